#pragma once
// TDataListView: a grid list of records. Each row carries a record id and a mark; marks, the
// anchor and the last row are the list's own (Windows-style multi-selection by mouse and keys),
// drawn as the selection. Column 0 starts with the class icon and the state icon. Callbacks open
// (double-click, Ctrl+Shift+Enter) and delete (Delete) records.
//
// Mouse: a click marks the row alone and makes it anchor and last row; Ctrl toggles it; Shift
// marks the range from the anchor; dragging with the button down extends the range (with Ctrl:
// toggles each row entered). A press in the icon area of a marked row drags the marked rows once
// the pointer moved 5 pixels, keeping the marks.
#include "screens/Fgridedit.h"

#include "core/Priorityitem.h"

#include <QPoint>

namespace platform {
class IconList;
}

// The rows of a record list: id and mark per row.
class TGridRows {
public:
    int GetCount() const { return static_cast<int>(items_.size()); }
    void Add(int id) { items_.push_back({id, 0}); }
    void Clear() { items_.clear(); }
    int GetID(int index) const { return items_.at(index).ID; }
    bool GetSelected(int index) const { return items_.at(index).Selected != 0; }
    void SetSelected(int index, bool mark) { items_.at(index).Selected = mark ? 1 : 0; }
    void Reserve(int count) { items_.reserve(count); }

private:
    std::vector<TGridRowStruct> items_;
};

// MIME type of a drag of marked records: the ids as comma text.
inline constexpr const char* kVktDataIdsMime = "application/x-vektara-data-ids";

class TDataListView : public TGridEdit {
    Q_OBJECT
public:
    using TNotify = std::function<void(TDataListView* Sender)>;
    using TCellTextCallback = std::function<void(TDataListView* Sender, int Col, std::string& Text, int Row)>;
    using TRowImagesCallback =
        std::function<void(TDataListView* Sender, int Col, int& StateImage, int& ClassImage, int Row)>;
    using TOpenData = std::function<void(TDataListView* Sender, int ID)>;
    using TSelectEvent = std::function<void(TDataListView* Sender, int ID, bool Marked)>;

    explicit TDataListView(QWidget* parent = nullptr);

    // Class icons, not owned (none: no icons and no icon area).
    void SetClassImages(const platform::IconList* images);
    const platform::IconList* GetClassImages() const { return classImages_; }
    // The state images (0 stock-taking item, 1 kept).
    const std::vector<QPixmap>& GetStateImages() const { return stateImages_; }

    void BeginHeaderUpdate();
    void EndHeaderUpdate();
    // Marks cleared (OnSelect per marked row), rows removed, anchor and last row -1.
    void ClearRows();
    void AddRow(int id);
    void ReserveRows(int count) { rows_.Reserve(count); }
    // Grid row count := rows (at least one shown); repaint.
    void UpdateRows();
    // The rows shown from the first, which becomes the current row (other rows, another list).
    void ShowFromTop();
    const TGridRows& GetRows() const { return rows_; }
    TPriorityItem GetSelectedIDs() const;
    void SelectAll();
    void UnselectAll();
    void InvertSelection();
    void Select(int row);
    void Unselect(int row);
    int GetAnchorRow() const { return anchorRow_; }
    int GetLastRow() const { return lastRow_; }

    TNotify OnSelectionChange;
    TCellTextCallback OnCellText;
    TRowImagesCallback OnRowImages;
    TOpenData OnOpenData;
    TNotify OnDeleteData;
    TSelectEvent OnSelect;

protected:
    void GetCellText(int col, int row, std::string& text, QRect& rect) override;
    void GetRowSelected(int col, int row, bool& selected) override;

    bool GridMousePress(QMouseEvent* event) override;
    bool GridMouseMove(QMouseEvent* event) override;
    bool GridMouseRelease(QMouseEvent* event) override;
    bool GridDoubleClick(QMouseEvent* event) override;
    bool GridKeyPress(QKeyEvent* event) override;

    // Starts dragging the marked rows (a QDrag carrying kVktDataIdsMime).
    virtual void StartDrag(const TPriorityItem& ids);

private:
    void SetMark(int row, bool mark);
    void ClearMarks();
    void MarkRange(int from, int to);
    void ClickRow(int row, Qt::KeyboardModifiers modifiers);
    void SelectionChanged();
    void Repaint();

    const platform::IconList* classImages_ = nullptr;
    std::vector<QPixmap> stateImages_;
    TGridRows rows_;
    bool mouseSelecting_ = false;
    bool dragPending_ = false;
    bool dragging_ = false;
    QPoint dragStart_;
    int anchorRow_ = -1;
    int lastRow_ = -1;
};

// Drawn pictures by index: the sort states of a header (0 ascending, 1 descending) and the row
// states (0 stock-taking item, 1 kept).
std::vector<QPixmap> SortStatePixmaps();
std::vector<QPixmap> RowStatePixmaps();
