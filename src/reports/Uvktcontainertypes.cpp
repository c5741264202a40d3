#include "reports/Uvktcontainertypes.h"

#include "database/Uvktobject.h"
#include "layout/Preview.h"
#include "reports/Uvktchartcontainer.h"
#include "reports/Uvktcontainer.h"
#include "reports/Uvktdatalist.h"
#include "reports/Uvktfieldcontainer.h"
#include "reports/Uvktgridcontainer.h"
#include "reports/Uvktimagecontainer.h"
#include "reports/Uvktmemocontainer.h"
#include "reports/Uvktmenu.h"
#include "reports/Uvktrecipe.h"
#include "reports/Uvkttopcontainer.h"

#include <algorithm>

namespace {

int TypeOf(const TTreeItem* item)
{
    const TContainer* container = ContainerOf(item);
    return container ? container->GetType() : -1;
}

} // namespace

const TVktContainerType* FindVktContainerType(int code)
{
    for (const TVktContainerType& row : VktContainerTypes)
        if (row.Code == code) return &row;
    return nullptr;
}

TVktLayoutBinding::TVktLayoutBinding(TPreview* preview) : preview_(preview)
{
    preview_->OnNewContainer = [this](TPreview* s, int t, TContainer*& c) { PreviewNewContainer(s, t, c); };
    preview_->OnCanNewContainer = [this](TPreview* s, TViewItem* i, int t, bool& a) {
        PreviewCanNewContainer(s, i, t, a);
    };
    preview_->OnGetContainerCaption = [this](TPreview* s, int t, std::string& c) {
        PreviewGetContainerCaption(s, t, c);
    };
    preview_->OnContainerTypeToName = [this](TPreview* s, int t, std::string& n) {
        PreviewContainerTypeToName(s, t, n);
    };
    preview_->OnContainerTypeFromName = [this](TPreview* s, const std::string& n, int& t) {
        PreviewContainerTypeFromName(s, n, t);
    };
    preview_->OnCanMoveItem = [this](TPageView* s, TViewItem* i, TViewItem* d, bool c, bool& a) {
        PreviewCanMoveItem(s, i, d, c, a);
    };
    preview_->OnMoveItem = [this](TPageView* s, TTreeItem* i, TTreeItem* d, int m) { PreviewMoveItem(s, i, d, m); };
}

TVktLayoutBinding::~TVktLayoutBinding()
{
    preview_->OnNewContainer = nullptr;
    preview_->OnCanNewContainer = nullptr;
    preview_->OnGetContainerCaption = nullptr;
    preview_->OnContainerTypeToName = nullptr;
    preview_->OnContainerTypeFromName = nullptr;
    preview_->OnCanMoveItem = nullptr;
    preview_->OnMoveItem = nullptr;
}

std::vector<TVktTopContainer*> TVktLayoutBinding::GetTopContainers() const
{
    std::vector<TVktTopContainer*> tops;
    TViewItems* items = preview_->GetItems();
    for (int i = 0; i < items->GetCount(); ++i)
        if (auto* top = dynamic_cast<TVktTopContainer*>(ContainerOf(items->GetItem(i)))) tops.push_back(top);
    return tops;
}

void TVktLayoutBinding::Attach(TVktObject* object)
{
    object_ = object;
    const TViewItemsContentChange content(preview_->GetItems());
    const TViewItemsUpdate update(*preview_->GetItems());
    // The filter first, so that binding lists once.
    for (TVktTopContainer* top : GetTopContainers()) {
        top->SetFilter(filter_);
        top->SetVktObject(object);
    }
    filterPending_ = false;
}

void TVktLayoutBinding::Detach()
{
    object_ = nullptr;
    const TViewItemsContentChange content(preview_->GetItems());
    const TViewItemsUpdate update(*preview_->GetItems());
    for (TVktTopContainer* top : GetTopContainers()) {
        top->SetVktObject(nullptr);
        top->SetFilter(filter_);
    }
}

void TVktLayoutBinding::SetFilter(const TFilterObject& filter)
{
    filter_ = filter;
    filterPending_ = true;
}

void TVktLayoutBinding::Update()
{
    const bool valid = object_ && object_->IsValid();
    const TViewItemsContentChange content(preview_->GetItems());
    const TViewItemsUpdate update(*preview_->GetItems());
    for (TVktTopContainer* top : GetTopContainers()) {
        top->BeginUpdate();
        top->SetSuspended(!shown_);
        if (valid) {
            top->SetFilter(filter_);
            if (filterPending_) top->RequestQuery();
        }
        top->EndUpdate();
    }
    if (valid) filterPending_ = false;
}

void TVktLayoutBinding::SetShown(bool shown)
{
    shown_ = shown;
    const TViewItemsContentChange content(preview_->GetItems());
    if (!shown)
        for (TVktTopContainer* top : GetTopContainers()) top->SetSuspended(true);
}

// ---- the document's handlers ------------------------------------------------------------------

void TVktLayoutBinding::PreviewNewContainer(TPreview*, int type, TContainer*& container)
{
    switch (type) {
    case ctVktDataList: container = new TVktDataList; break;
    case ctVktRecipe: container = new TVktRecipe; break;
    case ctVktMenu: container = new TVktMenu; break;
    case ctVktBaseContainer: {
        auto* top = new TVktTopContainer;
        top->SetSuspended(!shown_);
        top->SetFilter(filter_);
        top->SetVktObject(object_);
        container = top;
        break;
    }
    case ctVktContainer: container = new TVktContainer; break;
    case ctVktField: container = new TVktFieldContainer; break;
    case ctVktMemo: container = new TVktMemoContainer; break;
    case ctVktImage: container = new TVktImageContainer; break;
    case ctVktGrid: container = new TVktGridContainer; break;
    case ctVktChart: container = new TVktChartContainer; break;
    default: break;
    }
}

void TVktLayoutBinding::PreviewCanNewContainer(TPreview*, TViewItem* item, int type, bool& accept)
{
    if (type <= ctVktBaseContainer) {
        accept = true;
        return;
    }
    accept = type <= ctVktChart && item && TypeOf(item->GetParent()) >= ctVktBaseContainer;
}

void TVktLayoutBinding::PreviewGetContainerCaption(TPreview*, int type, std::string& str)
{
    if (const TVktContainerType* row = FindVktContainerType(type)) str = row->Caption;
}

void TVktLayoutBinding::PreviewContainerTypeToName(TPreview*, int type, std::string& str)
{
    if (const TVktContainerType* row = FindVktContainerType(type)) str = row->Name;
}

void TVktLayoutBinding::PreviewContainerTypeFromName(TPreview*, const std::string& str, int& type)
{
    for (const TVktContainerType& row : VktContainerTypes)
        if (row.Name == str) {
            type = row.Code;
            return;
        }
}

void TVktLayoutBinding::PreviewCanMoveItem(TPageView*, TViewItem* source, TViewItem* target, bool asChild,
                                           bool& accept)
{
    const int moved = TypeOf(source);
    const int destination = TypeOf(target);
    const int parent = target ? TypeOf(target->GetParent()) : -1;
    if (moved < ctVktBaseContainer) accept = true;
    else if (moved == ctVktBaseContainer) accept = destination < ctVktBaseContainer;
    else if (moved <= ctVktChart && asChild) accept = destination >= ctVktBaseContainer;
    else if (moved <= ctVktChart) accept = destination >= ctVktContainer || parent >= ctVktBaseContainer;
    else accept = false;
}

void TVktLayoutBinding::PreviewMoveItem(TPageView*, TTreeItem* source, TTreeItem*, int)
{
    auto* item = dynamic_cast<TViewItem*>(source);
    if (!item) return;
    // Every data container of the moved subtree finds its database container again; those it left
    // and those it joined re-query (what they read joins or leaves their queries).
    std::vector<TVktTopContainer*> tops;
    auto remember = [&tops](TVktTopContainer* top) {
        if (top && std::find(tops.begin(), tops.end(), top) == tops.end()) tops.push_back(top);
    };
    TViewItems* items = item->GetOwner();
    const int first = item->GetAbsoluteIndex();
    const int last = item->GetLastPosterity()->GetAbsoluteIndex();
    for (int i = first; i <= last; ++i)
        if (TVktDataLink* link = DataLinkOf(items->GetItem(i))) remember(link->GetTopContainer());
    if (TContainer* container = ContainerOf(item)) container->SetViewItem(item);
    for (int i = first + 1; i <= last; ++i)
        if (TVktDataLink* link = DataLinkOf(items->GetItem(i))) link->GetContainer().SetViewItem(items->GetItem(i));
    for (int i = first; i <= last; ++i)
        if (TVktDataLink* link = DataLinkOf(items->GetItem(i))) remember(link->GetTopContainer());
    for (TVktTopContainer* top : tops) top->RequestQuery();
}
