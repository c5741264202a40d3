#pragma once
// TInventoryView: the stock-taking sheet of one inventory date as a list: class, form, name, stock
// unit, unit price, remaining quantity and line total per counted ingredient. The remaining
// quantity is edited in place and written at once (with the sheet's date id as second key); the
// line total follows in four-decimal fixed point.
//
// TInvListView: the grid. Seven cell columns in a fixed order (below) whatever the header shows;
// each row keeps the ingredient's Data_ID and its class's Icon_Key as its two row integers. An
// empty sheet is one blank row in a disabled grid. Only the remaining quantity is editable, with
// the grids' edit cycle (TCellEditGrid): applied for the cell left, on Ctrl+Enter or when the grid
// loses the focus, Esc restores. A text that is not a number is refused: nothing is applied and a
// move inside the grid opens the editor on it again, until it is corrected or Esc restores it.
#include "data/Ufilterstruct.h"
#include "data/Uviewfieldstruct.h"
#include "gui/IconList.h"
#include "platform/Currency.h"
#include "screens/Fgridedit.h"
#include "widgets/Fguipanel.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

// One row of a sheet.
struct TInvRow {
    int DataID = 0;
    std::string ClassName;
    int IconKey = 0;
    std::string FormName;
    std::string Name;
    std::string UnitName;
    platform::Currency InvPrice;
    double Remained = 0;
    platform::Currency InvTotalPrice;
};

class TInvListView : public TCellEditGrid {
    Q_OBJECT
public:
    // Cell columns.
    enum : int { ColClass, ColForm, ColData, ColUnit, ColPrice, ColRemained, ColTotal, ColCount };

    explicit TInvListView(QWidget* parent = nullptr);

    // One blank row, disabled, not editing.
    void Clear();
    void AddRow(const TInvRow& row);
    void AddRows(const std::vector<TInvRow>& rows);
    bool IsEmpty() const { return GetModel()->GetRowCount() == 0; }
    int GetRowID(int row) const;
    int GetIconKey(int row) const;
    void SetIconKey(int row, int iconKey);
    void SetClassName(int row, const std::string& text) { GetModel()->SetCell(ColClass, row, text); }
    void SetFormName(int row, const std::string& text) { GetModel()->SetCell(ColForm, row, text); }
    void SetUnitName(int row, const std::string& text) { GetModel()->SetCell(ColUnit, row, text); }
    platform::Currency GetInvPrice(int row) const;
    // False when the cell's text is not a number ("" is 0).
    bool GetRemained(int row, double& value) const;
    void SetRemained(int row, double value);
    void SetTotal(int row, platform::Currency total);
    // Class icons, not owned (none: no icons).
    void SetImages(const platform::IconList* images);
    const platform::IconList* GetImages() const { return images_; }

protected:
    void GetCellText(int col, int row, std::string& text, QRect& rect) override;
    void CanEdit(int col, int row, bool& allowed) override;
    void GetRowSelected(int col, int row, bool& selected) override;
    // A remaining quantity must be a number.
    bool AcceptsText(int col, int row, const std::string& text) const override;

private:
    const platform::IconList* images_ = nullptr;
};

class TInventoryView : public TGuiPanel {
    Q_OBJECT
public:
    explicit TInventoryView(QWidget* parent, TPanelOwner* owner = nullptr);
    ~TInventoryView() override;

    // Taken only while the view is shown.
    void SetFilter(const TFilterObject& filter);
    const TFilterObject& GetFilter() const { return filter_; }
    int GetInvDateID() const { return invDateId_; }
    void SetViewFields(const TViewFieldStruct& fields);
    const TViewFieldStruct& GetViewFields() const { return viewFields_; }
    TInvListView* GetInvListView() const { return list_; }
    // Grid row of an ingredient; -1 when it is not listed.
    int RowOfID(int id) const;

    // Header handling (the header's signals and mouse release call these).
    void HeaderClick(int section);
    void HeaderResized();
    void HeaderMouseUp();

    // Full loads and master-field patch queries run so far (tests and benchmarks).
    int GetQueryCount() const { return queryCount_; }
    int GetPatchCount() const { return patchCount_; }

    std::function<void(TInventoryView* Sender)> OnModifiedChange;

protected:
    void DoAttach() override;
    void DoDetach() override;
    void DoUpdate() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WriteRemained();
    // The stored count of the row's record on the shown sheet, in its cell.
    void ShowStoredRemained(int row);
    void PatchMasterField(TVktField field);
    void Repaint();

    TInvListView* list_ = nullptr;
    std::vector<QPixmap> sortImages_;
    platform::IconList classIcons_;
    TViewFieldStruct viewFields_;
    TFilterObject filter_;
    std::unordered_map<int, int> rowOfId_;
    int invDateId_ = 0;
    bool loading_ = false;
    int queryCount_ = 0;
    int patchCount_ = 0;
};

// InvPrice × (remained rounded to four decimals), truncated to four decimals.
platform::Currency InventoryLineTotal(platform::Currency price, double remained);
