#include "screens/Fclassfilterview.h"

#include "data/Uvktdbstruct.h"
#include "database/Uvktobject.h"
#include "platform/FlagScope.h"
#include "screens/Fclassview.h"
#include "screens/Fdataview.h"
#include "screens/Ffilterselector.h"
#include "screens/Finvdatebar.h"

#include <QComboBox>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using F = TVktField;

// Lists the rows of a filter with one query (setting the filter alone lists them); unordered, the
// rows come in table order with no sort.
void ReadOne(TVktAccesser& reader, const TFilterObject& filter, bool ordered = true)
{
    reader.BeginUpdate();
    if (!ordered) reader.SetOrder(TPriorityItem());
    reader.SetFilter(filter);
    reader.EndUpdate();
    if (!reader.GetListed()) reader.Refresh();
}

} // namespace

// ===== TClassFilterBase ================================================================================

TClassFilterBase::TClassFilterBase(QWidget* parent, TPanelOwner* owner) : TGuiPanel(parent, owner)
{
    TVktObjEvent& events = GetObjEvent();
    events.OnIconSetChange = [this](TVktObject*) { LoadClasses(); };
    events.OnFilterSetChange = [this](TVktObject*) { ReloadFilters(true); };
    events.OnRecordsAdd = [this](TVktObject*, TVktObjKind kind, TPriorityItem ids) {
        TVktObject* object = GetVktObject();
        if (kind == TVktObjKind::Class && ids.GetCount() > 0 && object) {
            // The class is read by its tree index (an indexed lookup); a class filter would test
            // every class's tree index.
            const TTreeIndex tree = object->GetClassTreeID(ids.GetItem(0));
            if (tree.Depth() == 0) return;
            TVDBClass reader(object);
            TFilterObject filter;
            filter.Add(F::TreeID, foEqual, tree.GetAsString(), {});
            ReadOne(reader, filter, false);
            reader.Locate(ids.GetItem(0));
            if (reader.GetRowCount() > 0 && reader.GetClassID() == ids.GetItem(0)) {
                const platform::FlagScope scope(loading_);
                ClassAdd(reader.GetClassID(), reader.GetClassType(), reader.GetIconKey(), reader.GetClass(),
                         reader.GetTreeID());
            }
        } else if (kind == TVktObjKind::AttrItem) {
            ReloadFilters(true);
        } else if (kind == TVktObjKind::InvDate) {
            InvDateAdded(ids.GetCount() > 0 ? ids.GetItem(0) : 0);
        }
    };
    events.OnRecordsDelete = [this](TVktObject*, TVktObjKind kind, TPriorityItem ids) {
        if (kind == TVktObjKind::Class && ids.GetCount() > 0) {
            const int selected = ClassSelectedID();
            {
                const platform::FlagScope scope(loading_);
                ClassDelete(ids.GetItem(0));
            }
            // Deleting the chosen class (or an ancestor) chose another: the selection changed.
            if (ClassSelectedID() != selected) Report();
        } else if (kind == TVktObjKind::AttrItem) {
            ReloadFilters(true);
        } else if (kind == TVktObjKind::InvDate) {
            LoadInvDates();
        }
    };
    events.OnFieldChange = [this](TVktObject*, TVktField field, TPriorityItem ids) {
        const TVktTable table = GetFieldTable(field);
        if (table == TVktTable::TblClass && ids.GetCount() > 0) ClassRowChanged(field, ids.GetItem(0));
        else if (table == TVktTable::TblAttrItem) ReloadFilters(true);
        else if (table == TVktTable::TblInvDate) LoadInvDates();
    };
}

void TClassFilterBase::SetInvDateBar(TInvDateBar* bar)
{
    invDateBar_ = bar;
    invDateBar_->hide();
    invDateBar_->OnChange = [this](TInvDateBar*) { Report(); };
}

void TClassFilterBase::Report()
{
    if (loading_ || !OnChange) return;
    TVktObject* object = GetVktObject();
    if (object && object->IsValid()) OnChange(this);
}

TFilterObject TClassFilterBase::BuildFilter() const
{
    TVktObject* object = GetVktObject();
    if (!object || !object->IsValid()) return DefaultSelectionFilter();
    TFilterObject filter;
    const int user = GetUserIndex();
    if (user >= 0 && user < static_cast<int>(userFilters_.size())) filter = userFilters_[user];
    const TTreeIndex tree = ClassSelectedTreeIndex();
    if (tree.Depth() > 0 && tree.GetDigit(0) != 0) {
        filter.Add(F::Erase_Key, foIsNotEmpty, {}, {});
    } else {
        // An empty tree index (nothing chosen) is class 0, which lists nothing.
        filter.Add(F::Class_ID, foEqual, tree.Depth() > 0 ? ClassSelectedID() : 0, {});
        filter.Add(F::Erase_Key, foIsEmpty, {}, {});
    }
    TPriorityItem ids;
    TPriorityItem checks;
    GetQuick(ids, checks);
    if (ids.GetCount() > 0) filter.SetFilters(QuickToFilters(ids, checks));
    return filter;
}

TFilterObject TClassFilterBase::GetFilter() const
{
    TFilterObject filter = BuildFilter();
    filter.Add(F::InvDate_Key, foEqual, invDateBar_ ? invDateBar_->GetInvDateID() : 0, 0);
    return filter;
}

void TClassFilterBase::SetSelection(int classId, int invDateId, const TPriorityItem& quickIds,
                                    const TPriorityItem& quickChecks, int userFilterIndex)
{
    ClassSelect(classId);
    if (invDateBar_) invDateBar_->SetInvDateID(invDateId);
    SetQuick(quickIds, quickChecks);
    SetUserIndex(userFilterIndex);
}

void TClassFilterBase::ShowInvDate(bool show)
{
    if (show == invDateShown_) return;
    invDateShown_ = show;
    if (invDateBar_) invDateBar_->setVisible(show);
    Report();
}

void TClassFilterBase::DoAttach()
{
    const platform::FlagScope scope(loading_);
    LoadClasses();
    ClassSelect(1);
    LoadQuick();
    LoadInvDates();
    if (invDateBar_ && invDateBar_->GetInvDateID() == 0 && invDateBar_->GetDropDown()->count() > 0)
        invDateBar_->GetDropDown()->setCurrentIndex(0);
    LoadUsers();
}

void TClassFilterBase::DoDetach()
{
    const platform::FlagScope scope(loading_);
    ClassSetImages(nullptr);
    ClassClear();
    QuickClear();
    UserClear();
    userFilters_.clear();
    userAddresses_.clear();
    if (invDateBar_) invDateBar_->Clear();
}

void TClassFilterBase::LoadClasses()
{
    TVktObject* object = GetVktObject();
    if (!object || !object->IsValid()) return;
    const platform::FlagScope scope(loading_);
    classIcons_ = platform::IconList::FromImageList(object->GetClassIcons());
    ClassSetImages(&classIcons_);
    TVDBClass reader(object);
    reader.Refresh();
    ClassClear();
    for (int row = 0; row < reader.GetRowCount(); ++row) {
        reader.SetRowIndex(row);
        ClassAdd(reader.GetClassID(), reader.GetClassType(), reader.GetIconKey(), reader.GetClass(),
                 reader.GetTreeID());
    }
    ClassSelectFirstRoot();
}

void TClassFilterBase::LoadQuick()
{
    TVktObject* object = GetVktObject();
    QuickClear();
    if (!object || !object->IsValid()) return;
    TVDBAttrItem reader(object);
    reader.Refresh();
    for (int row = 0; row < reader.GetRowCount(); ++row) {
        reader.SetRowIndex(row);
        QuickAdd(reader.GetAttrItemID(), reader.GetAttribute());
    }
}

void TClassFilterBase::LoadUsers()
{
    TVktObject* object = GetVktObject();
    UserClear();
    userFilters_.clear();
    userAddresses_.clear();
    if (!object) return;
    const TFilterObjects& filters = object->GetFilterSet();
    for (int i = 0; i < filters.GetCount(); ++i) {
        userFilters_.push_back(filters.Get(i));
        userAddresses_.push_back(&filters.Get(i));
        UserAdd(i, filters.Get(i).GetName());
    }
}

void TClassFilterBase::LoadInvDates()
{
    TVktObject* object = GetVktObject();
    if (!invDateBar_ || !object || !object->IsValid()) return;
    const platform::FlagScope scope(loading_);
    const int selected = invDateBar_->GetInvDateID();
    TVDBInvDate reader(object);
    reader.Refresh();
    invDateBar_->Clear();
    for (int row = 0; row < reader.GetRowCount(); ++row) {
        reader.SetRowIndex(row);
        invDateBar_->Add(MonthText(reader.GetInvDate()), reader.GetInvDateID());
    }
    invDateBar_->SetInvDateID(selected);
}

void TClassFilterBase::InvDateAdded(int id)
{
    if (!invDateBar_) return;
    const int selected = invDateBar_->GetInvDateID();
    LoadInvDates();
    // The sheet just made is shown while sheets are shown, and when none was chosen; otherwise
    // the chosen one stays.
    if (id == 0 || id == selected || (selected != 0 && !invDateShown_)) return;
    {
        const platform::FlagScope scope(loading_);
        invDateBar_->SetInvDateID(id);
    }
    if (invDateBar_->GetInvDateID() != selected) Report();
}

void TClassFilterBase::ReloadFilters(bool users)
{
    TVktObject* object = GetVktObject();
    if (!object || !object->IsValid()) return;
    const TFilterObject before = BuildFilter();
    TPriorityItem ids;
    TPriorityItem checks;
    GetQuick(ids, checks);
    const int user = GetUserIndex();
    const bool listed = user >= 0 && user < static_cast<int>(userAddresses_.size());
    const TFilterObject* chosen = listed ? userAddresses_[static_cast<std::size_t>(user)] : nullptr;
    {
        const platform::FlagScope scope(loading_);
        LoadQuick();
        SetQuick(ids, checks);
        if (users) {
            LoadUsers();
            const auto found = std::find(userAddresses_.begin(), userAddresses_.end(), chosen);
            SetUserIndex(chosen && found != userAddresses_.end() ? static_cast<int>(found - userAddresses_.begin())
                                                                 : -1);
        }
    }
    if (BuildFilter() != before) Report();
}

void TClassFilterBase::ClassRowChanged(TVktField field, int id)
{
    if (field != F::TreeID && field != F::Class && field != F::Icon_Key) return;
    TVktObject* object = GetVktObject();
    if (!object || !object->IsValid()) return;
    if (field == F::TreeID) {
        const int selected = ClassSelectedID();
        {
            const platform::FlagScope scope(loading_);
            LoadClasses();
            ClassSelect(selected);
        }
        if (ClassSelectedID() != selected) Report();
        return;
    }
    const platform::FlagScope scope(loading_);
    // By its tree index where the control knows it (a class filter lists the whole sub-tree).
    TVDBClass reader(object);
    TFilterObject filter;
    const TTreeIndex tree = ClassTreeIndex(id);
    if (tree.Depth() > 0) filter.Add(F::TreeID, foEqual, tree.GetAsString(), {});
    else filter.Add(F::Class_ID, foEqual, id, {});
    ReadOne(reader, filter);
    reader.Locate(id);
    if (reader.GetRowCount() == 0 || reader.GetClassID() != id) return;
    if (field == F::Class) ClassSetName(id, reader.GetClass());
    else ClassSetIcon(id, reader.GetIconKey());
}

// ===== TClassFilterView =================================================================================

TClassFilterView::TClassFilterView(QWidget* parent, TPanelOwner* owner) : TClassFilterBase(parent, owner)
{
    setObjectName(QStringLiteral("ClassFilterView"));
    resize(268, 261);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* invDateBar = new TInvDateBar(this);
    invDateBar->setFixedHeight(23);
    layout->addWidget(invDateBar);
    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName(QStringLiteral("Splitter"));
    splitter_->setHandleWidth(8);
    splitter_->setChildrenCollapsible(false);
    classView_ = new TClassView(splitter_);
    filterSelector_ = new TFilterSelector(splitter_);
    splitter_->setStretchFactor(0, 3);
    splitter_->setStretchFactor(1, 1);
    layout->addWidget(splitter_);
    SetInvDateBar(invDateBar);
    classView_->OnChange = [this](TClassView*) { Report(); };
    filterSelector_->OnQuickFilterChange = [this](TFilterSelector*) { Report(); };
    filterSelector_->OnUserFilterChange = [this](TFilterSelector*) { Report(); };
}

TClassFilterView::~TClassFilterView()
{
    MarkDestroying();
    SetVktObject(nullptr);
}

bool TClassFilterView::IsFiltered() const
{
    if (!GetVktObject()) return false;
    if (GetUserIndex() != -1) return true;
    TPriorityItem ids;
    TPriorityItem checks;
    GetQuick(ids, checks);
    return ids.GetCount() > 0;
}

int TClassFilterView::GetSelectedFamily() const { return GetNodeFamily(classView_->GetClassTree()->currentItem()); }

int TClassFilterView::GetNodeFamily(const QTreeWidgetItem* node) const
{
    if (!node) return 0;
    if (!node->parent()) return classView_->GetClassTree()->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(node)) == 0 ? 0 : -1;
    while (node->parent() && node->parent()->parent()) node = node->parent();
    const TTreeIndex tree = classView_->GetNodeTreeIndex(node);
    if (tree.Depth() < 2) return 3;
    switch (tree.GetDigit(1)) {
    case 0: return 1;
    case 1: return 2;
    default: return 3;
    }
}

void TClassFilterView::ClassClear() { classView_->Clear(); }

void TClassFilterView::ClassAdd(int id, int classType, int icon, const std::string& name, const TTreeIndex& treeIndex)
{
    classView_->AddClass(id, classType, icon, name, treeIndex);
}

void TClassFilterView::ClassDelete(int id) { classView_->DeleteClass(id); }
void TClassFilterView::ClassSelect(int id) { classView_->SelectID(id); }

void TClassFilterView::ClassSelectFirstRoot()
{
    QTreeWidget* tree = classView_->GetClassTree();
    if (tree->topLevelItemCount() > 0) tree->setCurrentItem(tree->topLevelItem(0));
}

int TClassFilterView::ClassSelectedID() const { return classView_->GetSelectedID(); }

TTreeIndex TClassFilterView::ClassTreeIndex(int id) const
{
    return classView_->GetNodeTreeIndex(classView_->FindNode(id));
}
TTreeIndex TClassFilterView::ClassSelectedTreeIndex() const { return classView_->GetSelectedTreeIndex(); }

void TClassFilterView::ClassSetName(int id, const std::string& name)
{
    classView_->SetNodeText(classView_->FindNode(id), name);
}

void TClassFilterView::ClassSetIcon(int id, int icon) { classView_->SetNodeImage(classView_->FindNode(id), icon); }
void TClassFilterView::ClassSetImages(const platform::IconList* images) { classView_->SetImages(images); }
void TClassFilterView::QuickClear() { filterSelector_->ClearQuick(); }
void TClassFilterView::QuickAdd(int id, const std::string& name) { filterSelector_->AddQuick(id, name); }

void TClassFilterView::GetQuick(TPriorityItem& ids, TPriorityItem& checks) const
{
    filterSelector_->GetQuickFilters(ids, checks);
}

void TClassFilterView::SetQuick(const TPriorityItem& ids, const TPriorityItem& checks)
{
    filterSelector_->SetQuickFilters(ids, checks);
}

void TClassFilterView::UserClear() { filterSelector_->ClearUser(); }
void TClassFilterView::UserAdd(int index, const std::string& name) { filterSelector_->AddUser(index, name); }
int TClassFilterView::GetUserIndex() const { return filterSelector_->GetUserFilterIndex(); }
void TClassFilterView::SetUserIndex(int index) { filterSelector_->SetUserFilter(index); }
