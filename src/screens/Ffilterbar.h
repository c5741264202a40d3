#pragma once
// TFilterBar: the top navigator's filters as a tool bar with two drop-down buttons. Each quick
// item (an attribute item, its id as the item's tag) is a sub-menu "チェックあり" / "チェックなし" /
// "無効" whose state shows as its image (TQuickState); "すべて無効" turns all off. Each user item
// carries its filter index; at most one is chosen (image 2); "ユーザーフィルター無効" chooses none.
#include "core/Priorityitem.h"
#include "screens/Ffilterselector.h"

#include <QFrame>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QToolBar;
class QToolButton;

class TFilterBar : public QFrame {
    Q_OBJECT
public:
    using TNotify = std::function<void(TFilterBar* Sender)>;

    explicit TFilterBar(QWidget* parent = nullptr);

    QToolBar* GetToolBar() const { return toolBar_; }
    QToolButton* GetBtnQuick() const { return btnQuick_; }
    QToolButton* GetBtnCustom() const { return btnCustom_; }
    QMenu* GetQuickMenu() const { return quickMenu_; }
    QMenu* GetCustomMenu() const { return customMenu_; }

    void ClearLists();
    void ClearQuick();
    void AddQuick(int id, const std::string& name);
    void ClearUser();
    void AddUser(int index, const std::string& name);
    void GetQuickFilters(TPriorityItem& ids, TPriorityItem& checks) const;
    void SetQuickFilters(const TPriorityItem& ids, const TPriorityItem& checks);
    int GetUserFilterIndex() const { return userFilterIndex_; }
    void SetUserFilter(int index);

    // The quick items' menu actions and the user items, in menu order.
    std::vector<QAction*> QuickItems() const;
    std::vector<QAction*> UserItems() const;
    // The state of a quick item or user item (its image index).
    static int ItemState(const QAction* item);

    // A sub-item of a quick item was chosen (its image is the new state).
    void QuickChosen(QAction* quickItem, int state);
    void AllQuickDisabled();
    void UserChosen(QAction* userItem);
    void AllUserDisabled();

    TNotify OnQuickFilterChange;
    TNotify OnUserFilterChange;

private:
    static void SetItemState(QAction* item, int state);

    QToolBar* toolBar_ = nullptr;
    QToolButton* btnQuick_ = nullptr;
    QToolButton* btnCustom_ = nullptr;
    QMenu* quickMenu_ = nullptr;
    QMenu* customMenu_ = nullptr;
    QAction* miQuickSepa_ = nullptr;
    QAction* miAllQuickDisabled_ = nullptr;
    QAction* miUserSepa_ = nullptr;
    QAction* miAllUserDisabled_ = nullptr;
    int userFilterIndex_ = -1;
};
