#include "reports/Uvktdatalink.h"

#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "platform/Xml.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvkttopcontainer.h"

using F = TVktField;

TVktDataLink* DataLinkOf(const TTreeItem* item)
{
    TContainer* container = ContainerOf(item);
    if (!container || container->GetType() < ctVktContainer || container->GetType() > ctVktChart) return nullptr;
    return dynamic_cast<TVktDataLink*>(container);
}

TVktDataLink::TVktDataLink(TContainer& self) : self_(self) {}

TVktDataLink::~TVktDataLink()
{
    if (top_) top_->RemoveLink(this);
}

void TVktDataLink::SetPageDataCount(int value)
{
    if (value == pageDataCount_) return;
    pageDataCount_ = value;
    if (value < pageDataIndex_) pageDataIndex_ = value;
    if (pageDataCount_ == 0 || pageDataIndex_ == 0) {
        subData_ = false;
        subDataIndex_ = 0;
    }
    LinkChange();
}

void TVktDataLink::SetPageDataIndex(int value)
{
    if (value == pageDataIndex_ || value > pageDataCount_) return;
    pageDataIndex_ = value;
    if (pageDataCount_ == 0 || pageDataIndex_ == 0) {
        subData_ = false;
        subDataIndex_ = 0;
    }
    LinkChange();
    TVktTopContainer::PushPageDataIndex(self_.GetViewItem(), value);
}

void TVktDataLink::SetSubData(bool value)
{
    if (value == subData_) return;
    subData_ = value;
    if (!value) subDataIndex_ = 0;
    LinkChange();
    TVktTopContainer::PushSubData(self_.GetViewItem(), value);
}

void TVktDataLink::SetSubDataIndex(int value)
{
    if (pageDataCount_ == 0 || pageDataIndex_ == 0) value = 0;
    if (value == subDataIndex_) return;
    subDataIndex_ = value;
    LinkChange();
    TVktTopContainer::PushSubDataIndex(self_.GetViewItem(), value);
}

void TVktDataLink::SetPage(int page)
{
    if (page == page_) return;
    page_ = page;
    // Drawing another page is no edit of the layout.
    TViewItem* item = self_.GetViewItem();
    const TViewItemsContentChange content(item ? item->GetOwner() : nullptr);
    LinkChange();
}

int TVktDataLink::GetRecordRow() const
{
    if (!top_ || pageDataCount_ == 0 || pageDataIndex_ == 0) return -1;
    const int row = (page_ >= 1 ? (page_ - 1) * pageDataCount_ : pageDataCount_) + pageDataIndex_ - 1;
    return row < top_->GetRowCount() ? row : -1;
}

int TVktDataLink::GetRecordID() const
{
    const int row = GetRecordRow();
    return row < 0 ? 0 : top_->GetDataID(row);
}

TVktTopContainer* TVktDataLink::FindTopContainer(TViewItem* item)
{
    if (top_) top_->RemoveLink(this);
    top_ = nullptr;
    for (TViewItem* parent = item ? item->GetParent() : nullptr; parent; parent = parent->GetParent()) {
        TContainer* container = ContainerOf(parent);
        if (!container) break;
        if (container->GetType() == ctVktBaseContainer) {
            top_ = dynamic_cast<TVktTopContainer*>(container);
            break;
        }
    }
    if (top_) top_->AddLink(this);
    return top_;
}

bool TVktDataLink::TopHasAccesser() const { return top_ && top_->GetAccesser(); }

void TVktDataLink::CopyInherited()
{
    TViewItem* item = self_.GetViewItem();
    if (!top_) {
        pageDataCount_ = pageDataIndex_ = subDataIndex_ = 0;
        subData_ = false;
        return;
    }
    pageDataCount_ = top_->GetPageDataCount();
    pageDataIndex_ = TVktTopContainer::GetParentPageDataIndex(item);
    subData_ = TVktTopContainer::GetParentSubData(item);
    subDataIndex_ = TVktTopContainer::GetParentSubDataIndex(item);
}

void TVktDataLink::InheritThroughSetters()
{
    TViewItem* item = self_.GetViewItem();
    SetPageDataCount(top_ ? top_->GetPageDataCount() : 0);
    SetPageDataIndex(top_ ? TVktTopContainer::GetParentPageDataIndex(item) : 0);
    SetSubData(top_ && TVktTopContainer::GetParentSubData(item));
    SetSubDataIndex(top_ ? TVktTopContainer::GetParentSubDataIndex(item) : 0);
}

int TVktDataLink::LinkPageMax(int divisor) const
{
    if (!self_.GetViewItem() || !top_ || !top_->GetAccesser() || divisor <= 0) return 1;
    const int rows = top_->GetRowCount();
    return rows / divisor + (rows % divisor ? 1 : 0);
}

void TVktDataLink::SaveLink(const platform::XmlNode& node, bool subDataFirst) const
{
    TViewItem* item = self_.GetViewItem();
    const bool writeSubData = subData_ != TVktTopContainer::GetParentSubData(item);
    if (subDataFirst && writeSubData) node.SetBoolAttribute("SubData", subData_);
    if (pageDataIndex_ != TVktTopContainer::GetParentPageDataIndex(item))
        node.SetIntAttribute("PageDataIndex", pageDataIndex_);
    if (!subDataFirst && writeSubData) node.SetBoolAttribute("SubData", subData_);
    if (subData_ && subDataIndex_ != TVktTopContainer::GetParentSubDataIndex(item))
        node.SetIntAttribute("SubDataIndex", subDataIndex_);
}

void TVktDataLink::LoadLink(const platform::XmlNode& node)
{
    TViewItem* item = self_.GetViewItem();
    SetSubData(ReadBoolAttribute(node, "SubData", TVktTopContainer::GetParentSubData(item)));
    SetPageDataIndex(ReadIntAttribute(node, "PageDataIndex", TVktTopContainer::GetParentPageDataIndex(item)));
    SetSubDataIndex(ReadIntAttribute(node, "SubDataIndex", TVktTopContainer::GetParentSubDataIndex(item)));
}

// ---- detail data ------------------------------------------------------------------------------

TVktDetailLink::TVktDetailLink(TContainer& self, TVktField detail) : TVktDataLink(self), detail_(detail) {}

void TVktDetailLink::LinkChange()
{
    dataChanged_ = true;
    GetContainer().Change();
}

void TVktDetailLink::DBActive()
{
    LinkChange();
    if (GetTopContainer()) GetTopContainer()->BroadcastDBActive(GetContainer().GetViewItem());
}

void TVktDetailLink::DBChange()
{
    stale_ = true;
    LinkChange();
    if (GetTopContainer()) GetTopContainer()->BroadcastDBChange(GetContainer().GetViewItem());
}

void TVktDetailLink::DBInactive()
{
    if (GetTopContainer()) GetTopContainer()->BroadcastDBInactive(GetContainer().GetViewItem());
    SetDataID(0);
    ClearDetail();
}

void TVktDetailLink::DetailChange()
{
    TVktTopContainer* top = GetTopContainer();
    if (!dataChanged_ || !top || !top->GetVktObject()) return;
    dataChanged_ = false;
    if (GetPageDataCount() == 0 || GetPageDataIndex() == 0) {
        SetDataID(0);
        return;
    }
    const int id = GetRecordID();
    if (!GetSubData() || id == 0) {
        SetDataID(id);
        return;
    }
    if (GetSubDataIndex() == 0) return;
    TVktAccesser item(top->GetVktObject());
    item.BeginUpdate();
    item.SetTable(TVktTable::TblItem);
    item.SetFields(TPriorityItem() << ToInt(F::Data_Key));
    item.SetOrder(TPriorityItem() << 0);
    TFilterObject filter;
    filter.Add(F::Item_Key, foEqual, id, 0);
    filter.Add(F::ItemIndex, foEqual, GetSubDataIndex(), 0);
    item.SetFilter(filter);
    item.EndUpdate();
    const platform::Variant key = item.GetRowCount() > 0 ? item.GetValue(F::Data_Key) : platform::Variant();
    SetDataID(key.IsEmptyOrNull() ? 0 : key.AsInt());
}

void TVktDetailLink::SetDataID(int id)
{
    if (id == dataID_ && !stale_) return;
    dataID_ = id;
    stale_ = false;
    std::string text;
    TVktTopContainer* top = GetTopContainer();
    if (id != 0 && top && top->GetVktObject()) {
        TVktAccesser detail(top->GetVktObject());
        detail.BeginUpdate();
        detail.SetTable(TVktTable::TblData);
        detail.SetFields(TPriorityItem() << ToInt(F::Data_ID) << ToInt(detail_));
        detail.SetOrder(TPriorityItem() << 0 << 0);
        TFilterObject filter;
        filter.Add(F::Data_ID, foEqual, id, 0);
        detail.SetFilter(filter);
        detail.EndUpdate();
        ++fetchCount_;
        const platform::Variant value = detail.GetRowCount() > 0 ? detail.GetValue(detail_) : platform::Variant();
        if (!value.IsEmptyOrNull()) text = value.ToText(GetFieldType(detail_));
    }
    ShowDetail(text);
}
