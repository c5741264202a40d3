#include "screens/Fclassfilterbar.h"

#include "screens/Fclassbar.h"
#include "screens/Ffilterbar.h"
#include "screens/Finvdatebar.h"

#include <QComboBox>
#include <QHBoxLayout>

TClassFilterBar::TClassFilterBar(QWidget* parent, TPanelOwner* owner) : TClassFilterBase(parent, owner)
{
    setObjectName(QStringLiteral("ClassFilterBar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    classBar_ = new TClassBar(this);
    classBar_->setMinimumWidth(200);
    filterBar_ = new TFilterBar(this);
    auto* invDateBar = new TInvDateBar(this);
    invDateBar->setMinimumWidth(120);
    layout->addWidget(classBar_, 1);
    layout->addWidget(filterBar_);
    layout->addWidget(invDateBar);
    SetInvDateBar(invDateBar);
    classBar_->OnChange = [this](TClassBar*) { Report(); };
    filterBar_->OnQuickFilterChange = [this](TFilterBar*) { Report(); };
    filterBar_->OnUserFilterChange = [this](TFilterBar*) { Report(); };
}

TClassFilterBar::~TClassFilterBar()
{
    MarkDestroying();
    SetVktObject(nullptr);
}

void TClassFilterBar::ClassClear() { classBar_->Clear(); }

void TClassFilterBar::ClassAdd(int id, int classType, int icon, const std::string& name, const TTreeIndex& treeIndex)
{
    classBar_->AddClass(id, classType, icon, treeIndex, name);
}

void TClassFilterBar::ClassDelete(int id) { classBar_->DeleteClass(id); }
void TClassFilterBar::ClassSelect(int id) { classBar_->SetClassID(id); }

void TClassFilterBar::ClassSelectFirstRoot()
{
    if (classBar_->GetCount() > 0) classBar_->GetDropDown()->setCurrentIndex(0);
}

int TClassFilterBar::ClassSelectedID() const { return classBar_->GetClassID(); }

TTreeIndex TClassFilterBar::ClassSelectedTreeIndex() const
{
    const TClassBarItem* item = classBar_->GetSelectedItem();
    return item ? item->TreeIndex : TTreeIndex();
}

void TClassFilterBar::ClassSetName(int id, const std::string& name) { classBar_->SetItemName(classBar_->FindItem(id), name); }
void TClassFilterBar::ClassSetIcon(int id, int icon) { classBar_->SetItemIcon(classBar_->FindItem(id), icon); }
void TClassFilterBar::ClassSetImages(const platform::IconList* images) { classBar_->SetImages(images); }
void TClassFilterBar::QuickClear() { filterBar_->ClearQuick(); }
void TClassFilterBar::QuickAdd(int id, const std::string& name) { filterBar_->AddQuick(id, name); }

void TClassFilterBar::GetQuick(TPriorityItem& ids, TPriorityItem& checks) const
{
    filterBar_->GetQuickFilters(ids, checks);
}

void TClassFilterBar::SetQuick(const TPriorityItem& ids, const TPriorityItem& checks)
{
    filterBar_->SetQuickFilters(ids, checks);
}

void TClassFilterBar::UserClear() { filterBar_->ClearUser(); }
void TClassFilterBar::UserAdd(int index, const std::string& name) { filterBar_->AddUser(index, name); }
int TClassFilterBar::GetUserIndex() const { return filterBar_->GetUserFilterIndex(); }
void TClassFilterBar::SetUserIndex(int index) { filterBar_->SetUserFilter(index); }
