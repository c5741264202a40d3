#pragma once
// The navigators: panels that turn the user's choice of a class (or the trash), quick filters, a
// user filter and a stock-taking month into the selection filter, and report every change.
//
// TClassFilterBase holds what both navigators share: filling from the bound database, keeping the
// controls current on its notices, building the filter and the change report. Reloads driven by
// notices run under Loading (no report); reloading the quick or user filters restores their states
// and the chosen user filter afterwards and reports a change when the resulting filter differs.
//
// TClassFilterView is the side navigator: month bar, class tree and filter tree.
#include "core/Treeindex.h"
#include "data/Ufilterstruct.h"
#include "gui/IconList.h"
#include "widgets/Fguipanel.h"

#include <functional>
#include <string>
#include <vector>

class QSplitter;
class QTreeWidgetItem;
class TClassView;
class TFilterSelector;
class TInvDateBar;

class TClassFilterBase : public TGuiPanel {
    Q_OBJECT
public:
    using TNotify = std::function<void(TClassFilterBase* Sender)>;

    explicit TClassFilterBase(QWidget* parent, TPanelOwner* owner = nullptr);

    // BuildFilter plus InvDate_Key = the chosen month's id (0 when none), shown or not.
    TFilterObject GetFilter() const;
    // The selection filter without the month.
    TFilterObject BuildFilter() const;
    // Class, month (when listed), quick filters and user filter, in this order.
    void SetSelection(int classId, int invDateId, const TPriorityItem& quickIds, const TPriorityItem& quickChecks,
                      int userFilterIndex);
    void ShowInvDate(bool show);
    bool GetInvDateShown() const { return invDateShown_; }
    bool GetLoading() const { return loading_; }
    TInvDateBar* GetInvDateBar() const { return invDateBar_; }

    TNotify OnChange;

protected:
    // The controls, supplied by each navigator.
    virtual void ClassClear() = 0;
    virtual void ClassAdd(int id, int classType, int icon, const std::string& name, const TTreeIndex& treeIndex) = 0;
    virtual void ClassDelete(int id) = 0;
    virtual void ClassSelect(int id) = 0;
    virtual void ClassSelectFirstRoot() = 0;
    virtual int ClassSelectedID() const = 0;
    virtual TTreeIndex ClassSelectedTreeIndex() const = 0;
    // The tree index of a listed class; empty when the control cannot tell.
    virtual TTreeIndex ClassTreeIndex(int) const { return {}; }
    virtual void ClassSetName(int id, const std::string& name) = 0;
    virtual void ClassSetIcon(int id, int icon) = 0;
    virtual void ClassSetImages(const platform::IconList* images) = 0;
    virtual void QuickClear() = 0;
    virtual void QuickAdd(int id, const std::string& name) = 0;
    virtual void GetQuick(TPriorityItem& ids, TPriorityItem& checks) const = 0;
    virtual void SetQuick(const TPriorityItem& ids, const TPriorityItem& checks) = 0;
    virtual void UserClear() = 0;
    virtual void UserAdd(int index, const std::string& name) = 0;
    virtual int GetUserIndex() const = 0;
    virtual void SetUserIndex(int index) = 0;

    void DoAttach() override;
    void DoDetach() override;
    // Fires OnChange unless loading, when an object is bound and valid.
    void Report();
    void SetInvDateBar(TInvDateBar* bar);

private:
    void LoadClasses();
    void LoadQuick();
    void LoadInvDates();
    // The months reloaded after a sheet was added (or made again).
    void InvDateAdded(int id);
    void LoadUsers();
    // Reloads quick and user filters keeping their choice; reports when the filter changed.
    void ReloadFilters(bool users);
    void ClassRowChanged(TVktField field, int id);

    bool loading_ = false;
    bool invDateShown_ = false;
    // The user filters as last loaded: the filter is built from what the lists show.
    std::vector<TFilterObject> userFilters_;
    // Where each of them lives in the database's set (a filter keeps its address when it is
    // replaced or moved), so a reload keeps the chosen filter by identity.
    std::vector<const TFilterObject*> userAddresses_;
    TInvDateBar* invDateBar_ = nullptr;
    platform::IconList classIcons_;
};

class TClassFilterView : public TClassFilterBase {
    Q_OBJECT
public:
    explicit TClassFilterView(QWidget* parent, TPanelOwner* owner = nullptr);
    ~TClassFilterView() override;

    TClassView* GetClassView() const { return classView_; }
    TFilterSelector* GetFilterSelector() const { return filterSelector_; }
    QSplitter* GetSplitter() const { return splitter_; }

    // False without a database; true with a user filter or a quick filter on.
    bool IsFiltered() const;
    // 0 nothing selected or the first root; -1 another root; below a root by the level-1 digit:
    // 1 for 0, 2 for 1, 3 for any other.
    int GetSelectedFamily() const;
    int GetNodeFamily(const QTreeWidgetItem* node) const;

protected:
    void ClassClear() override;
    void ClassAdd(int id, int classType, int icon, const std::string& name, const TTreeIndex& treeIndex) override;
    void ClassDelete(int id) override;
    void ClassSelect(int id) override;
    void ClassSelectFirstRoot() override;
    int ClassSelectedID() const override;
    TTreeIndex ClassSelectedTreeIndex() const override;
    TTreeIndex ClassTreeIndex(int id) const override;
    void ClassSetName(int id, const std::string& name) override;
    void ClassSetIcon(int id, int icon) override;
    void ClassSetImages(const platform::IconList* images) override;
    void QuickClear() override;
    void QuickAdd(int id, const std::string& name) override;
    void GetQuick(TPriorityItem& ids, TPriorityItem& checks) const override;
    void SetQuick(const TPriorityItem& ids, const TPriorityItem& checks) override;
    void UserClear() override;
    void UserAdd(int index, const std::string& name) override;
    int GetUserIndex() const override;
    void SetUserIndex(int index) override;

private:
    TClassView* classView_ = nullptr;
    QSplitter* splitter_ = nullptr;
    TFilterSelector* filterSelector_ = nullptr;
};
