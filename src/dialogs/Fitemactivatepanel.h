#pragma once
// TItemActivatePanel maps names that are not registered to registered items, by selecting or by
// drag and drop; TItemActivateEdit wraps it with set, reset and new-item buttons.
//
// The panel shows a TCsvNameMap: StringGrid1 (top) the unknown names, one a row (an empty list
// shows one blank row); StringGrid2 the registered items, column 0 the name (the row's ID is the
// item id), column 1 the names mapped to it as comma text. An 8-pixel splitter lies between them.
// A drag starts after the mouse moved 5 pixels from a press on a used row of StringGrid1 and
// carries the name under kActivateItemMime; StringGrid2 makes the row under it current while
// hovering and maps the name on the drop.
#include "dialogs/Ucsvimport.h"

#include <QFrame>

#include <string>

class QPushButton;
class QSplitter;
class TActivateGrid;
class TGridEdit;

inline constexpr const char* kActivateItemMime = "application/x-vektara-activate-item";

class TItemActivatePanel : public QFrame {
    Q_OBJECT
public:
    explicit TItemActivatePanel(QWidget* parent = nullptr);

    TGridEdit* GetStringGrid1() const;
    TGridEdit* GetStringGrid2() const;
    QSplitter* GetSplitter() const { return splitter_; }
    const TCsvNameMap& GetNameMap() const { return map_; }
    TCsvNameMap& GetNameMap() { return map_; }

    void ClearUnknownItems();
    void AddUnknownItem(const std::string& name);
    // Removes unknown row `row` (0 = the first name) and its map entry.
    void DeleteUnknownItem(int row);
    void ClearItems();
    void AddItem(int id, const std::string& name, const std::string& alias = {});
    int GetItemID(const std::string& name) const { return map_.GetItemID(name); }
    const std::string& GetItemName(int id) const { return map_.GetItemName(id); }
    // Maps the current unknown name to the current registered row.
    void SetItem();
    // Brings the current registered row's mapped names back to the unknown list.
    void ResetItem();
    bool IsComplete() const { return map_.IsComplete(); }

    // Current rows (0-based; -1 when the list is empty or nothing is current).
    int GetUnknownRow() const;
    int GetItemRow() const;
    void SetItemRow(int row);
    // Shows the map again (after changing it through GetNameMap).
    void Reload();

protected:
    // Starts the drag of an unknown name (a QDrag carrying kActivateItemMime).
    virtual void StartDrag(const std::string& name);
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TActivateGrid;
    void SetColumnWidths();

    TCsvNameMap map_;
    TActivateGrid* grid1_ = nullptr;
    TGridEdit* grid2_ = nullptr;
    QSplitter* splitter_ = nullptr;
};

class TItemActivateEdit : public QFrame {
    Q_OBJECT
public:
    explicit TItemActivateEdit(QWidget* parent = nullptr);

    TItemActivatePanel* GetItemActivatePanel() const { return panel_; }
    QPushButton* GetBtnItemSet() const { return btnSet_; }
    QPushButton* GetBtnItemReset() const { return btnReset_; }
    // Its handler is the host's.
    QPushButton* GetBtnItemNew() const { return btnNew_; }

    void BtnItemSetClick();
    void BtnItemResetClick();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    TItemActivatePanel* panel_ = nullptr;
    QPushButton* btnSet_ = nullptr;
    QPushButton* btnReset_ = nullptr;
    QPushButton* btnNew_ = nullptr;
};
