#pragma once
// TFilterSelector: the side navigator's filters as a tree with two roots, the quick filters and
// the user filters. A quick filter (an attribute item) is in one of three states, kept as its node
// image: 3 off, 2 check on, 1 check off; Enter or a click on the image cycles off → on → off
// check → off. At most one user filter is chosen (image 2); choosing it again un-chooses it.
#include "core/Priorityitem.h"

#include <QFrame>

#include <functional>
#include <string>

class QAction;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

// Quick-filter states as image indices of the "filters" icons.
enum TQuickState { qsCheckOff = 1, qsCheckOn = 2, qsDisabled = 3 };

class TFilterSelector : public QFrame {
    Q_OBJECT
public:
    using TNotify = std::function<void(TFilterSelector* Sender)>;

    explicit TFilterSelector(QWidget* parent = nullptr);

    QTreeWidget* GetTreeView() const { return tree_; }
    QMenu* GetPopupMenu() const { return popup_; }
    QTreeWidgetItem* GetQuickRoot() const { return quickRoot_; }
    QTreeWidgetItem* GetUserRoot() const { return userRoot_; }

    void Reset();
    void ClearQuick();
    void AddQuick(int id, const std::string& name);
    void ClearUser();
    void AddUser(int index, const std::string& name);
    // (attribute-item ids, check values) of the quick filters that are on, in node order.
    void GetQuickFilters(TPriorityItem& ids, TPriorityItem& checks) const;
    void SetQuickFilters(const TPriorityItem& ids, const TPriorityItem& checks);
    int GetUserFilterIndex() const { return userFilterIndex_; }
    void SetUserFilter(int index);
    // The state of a quick node (its image).
    static int NodeState(const QTreeWidgetItem* node);

    // Enter on a node (also a click on its image).
    void NodeEnter(QTreeWidgetItem* node);
    void DisableQuickFilters();
    void DisableUserFilter();

    TNotify OnQuickFilterChange;
    TNotify OnUserFilterChange;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetNodeState(QTreeWidgetItem* node, int state);
    void ShowPopup(const QPoint& pos);
    // Where a node's text is drawn in the viewport; its image lies left of it.
    QRect TextRect(QTreeWidgetItem* node) const;

    QTreeWidget* tree_ = nullptr;
    QMenu* popup_ = nullptr;
    QAction* miDisableQuick_ = nullptr;
    QAction* miDisableUser_ = nullptr;
    int userFilterIndex_ = -1;
    QTreeWidgetItem* quickRoot_ = nullptr;
    QTreeWidgetItem* userRoot_ = nullptr;
};
