#pragma once
// TClassFilterBar: the top navigator: the class drop-down, the filter tool bar and the month bar
// in one row. Behaves as TClassFilterView; the chosen class and its tree index are the drop-down's
// selected item (none: class 0 and the empty tree index).
#include "screens/Fclassfilterview.h"

class TClassBar;
class TFilterBar;

class TClassFilterBar : public TClassFilterBase {
    Q_OBJECT
public:
    explicit TClassFilterBar(QWidget* parent, TPanelOwner* owner = nullptr);
    ~TClassFilterBar() override;

    TClassBar* GetClassBar() const { return classBar_; }
    TFilterBar* GetFilterBar() const { return filterBar_; }

protected:
    void ClassClear() override;
    void ClassAdd(int id, int classType, int icon, const std::string& name, const TTreeIndex& treeIndex) override;
    void ClassDelete(int id) override;
    void ClassSelect(int id) override;
    void ClassSelectFirstRoot() override;
    int ClassSelectedID() const override;
    TTreeIndex ClassSelectedTreeIndex() const override;
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
    TClassBar* classBar_ = nullptr;
    TFilterBar* filterBar_ = nullptr;
};
