#pragma once
// TDataView: the record list of the data screen. One row per data record that matches the
// selection filter, one column per field of the database's view fields, each row with its class
// icon and state icon in front. The rows are not copied: the grid reads the texts from the list's
// own accessor (its row cache) and keeps only an id and a mark per row.
//
// Header clicks cycle a column's sort (none, ascending, descending) and re-query; resizing and
// moving columns change the view fields, which are saved on mouse release over the header (a move
// at once) and come back through the view-fields notice.
//
// Change notices: a changed data field re-reads just the named rows that are listed (the fields it
// affects, in one query; above kPatchLimit ids the list re-queries instead, because one condition
// per id makes an OR chain the SQL engine refuses when long); a changed master field re-reads the
// columns that show it; trash moves, attribute changes, adds of records and deletes re-query.
#include "data/Ufilterstruct.h"
#include "data/Uviewfieldstruct.h"
#include "screens/Fdatalistview.h"
#include "widgets/Fguipanel.h"

#include "gui/IconList.h"

#include <memory>
#include <unordered_map>

class TVktAccesser;

class TDataView : public TGuiPanel {
    Q_OBJECT
public:
    static constexpr int kPatchLimit = 500;

    explicit TDataView(QWidget* parent, TPanelOwner* owner = nullptr);
    ~TDataView() override;

    // Taken only while the list is visible (a hidden list keeps its filter). Another filter's list
    // shows from its first row; the same filter again keeps the rows where they are.
    void SetFilter(const TFilterObject& filter);
    const TFilterObject& GetFilter() const { return filter_; }
    void SetOnOpenData(TDataListView::TOpenData handler) { list_->OnOpenData = std::move(handler); }
    void SetOnDeleteData(TDataListView::TNotify handler) { list_->OnDeleteData = std::move(handler); }
    void SetViewFields(const TViewFieldStruct& fields);
    TViewFieldStruct GetViewFields() const { return viewFields_; }

    TDataListView* GetDataListView() const { return list_; }
    // The row cache; null before the first refresh with a usable database.
    TVktAccesser* GetAccesser() const { return accesser_.get(); }
    // Grid row of a record; -1 when it is not listed.
    int RowOfID(int id) const;

    // Header handling (the header's signals and mouse release call these).
    void HeaderClick(int section);
    void HeaderMouseUp();
    void SectionMoved(int from, int to);

    // How many full queries and patch queries ran (for tests and benchmarks).
    int GetQueryCount() const { return queryCount_; }
    int GetPatchCount() const { return patchCount_; }
    int GetPatchedRowCount() const { return patchedRows_; }

protected:
    void DoAttach() override;
    void DoDetach() override;
    void DoUpdate() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FieldChanged(TVktField field, const TPriorityItem& ids);
    // Re-reads `fields` (those shown) of the listed records among `ids`.
    void PatchRows(TPriorityItem fields, const TPriorityItem& ids);
    // Re-reads the column of a master field for every listed record.
    void PatchMasterField(TVktField field);
    void CellText(int col, std::string& text, int row);
    void RowImages(int& stateImage, int& classImage, int row);
    void Repaint();

    TDataListView* list_ = nullptr;
    std::vector<QPixmap> sortImages_;
    platform::IconList classIcons_;
    std::unique_ptr<TVktAccesser> accesser_;
    TViewFieldStruct viewFields_;
    TFilterObject filter_;
    bool newSelection_ = false;   // the next refresh shows the list from its top
    std::unordered_map<int, int> rowOfId_;
    int queryCount_ = 0;
    int patchCount_ = 0;
    int patchedRows_ = 0;
};

// The default selection filter: class 1 (the whole database) and not in the trash.
TFilterObject DefaultSelectionFilter();
