#pragma once
// TCellEditGrid: TGridEdit with the edit cycle of the detail frames' grids. Opening the in-place
// editor on a cell remembers the cell's text as the undo text; typing sets Modified while the
// editor's text differs from it. A commit of a modified cell (moving to another cell, leaving the
// grid, Enter) applies it for the cell being left, before the current cell moves: the typed text
// goes into the cell and OnApply runs while EditRow() is that cell's row. Ctrl+Enter applies
// without leaving the cell; Esc restores the undo text. A text the grid does not accept
// (AcceptsText) is never applied: it stays in the cell, Modified stays set, and when the commit
// came from a move inside the grid the editor opens on it again.
//
// TItemListView: a recipe's or menu's items, one row each: category index, class, name, unit,
// unit price, use and use price, with the class icon before the first column. The use is
// editable, the use price only for an item whose use is 0; the owner writes an applied value.
// Cell values keep only the characters "0123456789." ("-2" is 2, "1,5" is 15).
#include "screens/Fgridedit.h"

#include <functional>
#include <string>

class QLineEdit;

namespace platform {
class Currency;
class IconList;
}

class TCellEditGrid : public TGridEdit {
    Q_OBJECT
public:
    using TNotify = std::function<void(QObject* Sender)>;

    explicit TCellEditGrid(QWidget* parent = nullptr);

    bool GetModified() const { return modified_; }
    // Stores the flag; OnModifiedChange when it changed.
    void SetModified(bool modified);
    const std::string& GetUndoText() const { return undoText_; }
    // The current cell takes the open editor's text; then the undo text := the cell's text,
    // Modified false, DoApply. Nothing happens when the grid does not accept the text.
    void ApplyEdit();
    // The current cell (and an open editor) gets the undo text back; Modified false.
    void CancelEdit();
    // The row whose edit is being applied; otherwise the current row (-1 none).
    int EditRow() const;
    int EditCol() const;

    TNotify OnApply;
    TNotify OnModifiedChange;

protected:
    virtual void DoApply();
    // Whether an edited text may be applied; any by default.
    virtual bool AcceptsText(int col, int row, const std::string& text) const;
    bool CellIsEditable(int col, int row);

    void GetEditText(int col, int row, std::string& text) override;
    void SetEditText(int col, int row, std::string& text) override;
    bool GridKeyPress(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* OpenLineEditor() const;
    void HookEditor();
    void Apply(int col, int row, const std::string& text);
    void ReopenLater(int col, int row);
    // Esc and Ctrl+Enter from the grid or its editor; true when taken.
    bool EditKey(int key, Qt::KeyboardModifiers modifiers);

    bool modified_ = false;
    std::string undoText_;
    int applyRow_ = -1;
    int applyCol_ = -1;
};

class TItemListView : public TCellEditGrid {
    Q_OBJECT
public:
    enum Column { ColCategory, ColClass, ColName, ColUnit, ColPrice, ColUse, ColUsePrice };

    explicit TItemListView(QWidget* parent = nullptr);

    // Class icons by index (not owned; none: no icons).
    void SetClassImages(const platform::IconList* images);
    const platform::IconList* GetClassImages() const { return classImages_; }

    // The header sections' update bracket.
    void BeginUpdate();
    void EndUpdate();

    // One empty row; no editor.
    void ClearRows();
    void AddItem(const std::string& category, const std::string& className, int icon, platform::Currency usePrice,
                 double use, platform::Currency unitPrice, const std::string& unitName, const std::string& itemName);
    int GetRowCount() const;
    int GetIcon(int row) const;

    // Of the edit row (EditRow): its 1-based index, use, unit price and use price.
    int GetItemIndex() const;
    double GetItemUse() const;
    platform::Currency GetItemPrice() const;
    platform::Currency GetItemUsePrice() const;
    void SetItemUsePrice(platform::Currency price);

    // A cell's value: its digits and points; "" is 0. False when that is no number ("1.2.3").
    static bool CellValue(const std::string& text, double& value);

protected:
    void GetCellText(int col, int row, std::string& text, QRect& rect) override;
    void CanEdit(int col, int row, bool& allowed) override;
    void GetRowSelected(int col, int row, bool& selected) override;
    bool AcceptsText(int col, int row, const std::string& text) const override;

private:
    double ValueAt(int col, int row) const;

    const platform::IconList* classImages_ = nullptr;
};
