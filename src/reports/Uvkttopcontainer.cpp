#include "reports/Uvkttopcontainer.h"

#include "data/Uvktaccesser.h"
#include "data/Uvktrowpatch.h"
#include "database/Uvktobject.h"
#include "platform/Text.h"
#include "platform/Xml.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvktdatalink.h"
#include "screens/Unoticesupport.h"

#include <algorithm>
#include <charconv>

namespace {

using F = TVktField;

// Holds the layout's redraw while a change runs through the containers: one redraw for all of
// them, not one per container.
class LayoutUpdate {
public:
    explicit LayoutUpdate(TViewItem* item) : items_(item ? item->GetOwner() : nullptr)
    {
        if (items_) items_->BeginUpdate();
    }
    ~LayoutUpdate() noexcept(false)
    {
        if (items_) items_->EndUpdate();
    }
    LayoutUpdate(const LayoutUpdate&) = delete;
    LayoutUpdate& operator=(const LayoutUpdate&) = delete;

private:
    TViewItems* items_;
};

bool Contains(const TPriorityItem& list, int value) { return list.IndexOf(value) >= 0; }

bool Intersects(const TPriorityItem& a, const TPriorityItem& b)
{
    for (int i = 0; i < a.GetCount(); ++i)
        if (Contains(b, a.GetItem(i))) return true;
    return false;
}

void AddRange(TPriorityItem& list, int first, int last)
{
    for (int f = first; f <= last; ++f) list << f;
}

// The field with the fields whose shown values change with it.
TPriorityItem AffectedFields(F field)
{
    const int f = ToInt(field);
    TPriorityItem fields;
    fields << f;
    switch (field) {
    case F::Class_Key: AddRange(fields, 1, 6); break;
    case F::Form_Key: AddRange(fields, 12, 13); break;
    case F::UseUnit_Key: AddRange(fields, 14, 15); break;
    case F::BuyUnit_Key: AddRange(fields, 16, 17); break;
    case F::Dealer_Key: AddRange(fields, 26, 34); break;
    case F::BuyPrice:
    case F::Quantity:
    case F::Yield:
    case F::Complete:
    case F::TotalPrice: fields << ToInt(F::UsePrice) << ToInt(F::CostRate); break;
    case F::SalePrice: fields << ToInt(F::CostRate); break;
    case F::ItemIndex:
    case F::ItemUse:
    case F::ItemUsePrice: fields << ToInt(F::UsePrice) << ToInt(F::TotalPrice) << ToInt(F::CostRate); break;
    default: break;
    }
    if (DataFields.Contains(f)) fields << ToInt(F::ChangeDate);
    return fields;
}

// Fields of the history, item, attribute and inventory tables, where edits add rows.
constexpr TVktFieldSet RowAddingFields{{F::Attribute_Key, F::AttrCheck},
                                       {F::MHistory_Key, F::YHMinPrice},
                                       {F::Item_Key, F::ItemCatIndex},
                                       {F::Inventory_Key, F::InvTotalPrice}};

bool ReadsRowAddingTable(const TPriorityItem& fields)
{
    for (int i = 0; i < fields.GetCount(); ++i)
        if (RowAddingFields.Contains(fields.GetItem(i))) return true;
    return false;
}

TPriorityItem FilterFieldList(const TFilterObject& filter)
{
    TPriorityItem fields;
    for (int i = 0; i < filter.GetCount(); ++i) fields << ToInt(filter.GetFilters(i).GetField());
    return fields;
}

} // namespace

TVktTopContainer::TVktTopContainer() : TContainer(ctVktBaseContainer), objEvent_(std::make_unique<TVktObjEvent>())
{
    fontSize2_ = GetFontSize();
    fontName2_ = GetFontName();
    objEvent_->OnClose = [this](TVktObject*) { SetVktObject(nullptr); };
    objEvent_->OnRelease = [this](TVktObject*) { SetVktObject(nullptr); };
    // Database notices change what the layout shows, never the layout itself.
    objEvent_->OnRename = [this](TVktObject*) {
        const TViewItemsContentChange content(OwnerItems());
        Renamed();
    };
    objEvent_->OnFieldChange = [this](TVktObject*, TVktField field, TPriorityItem ids) {
        const TViewItemsContentChange content(OwnerItems());
        FieldChanged(field, ids);
    };
    objEvent_->OnRecordsAdd = [this](TVktObject*, TVktObjKind kind, TPriorityItem ids) {
        const TViewItemsContentChange content(OwnerItems());
        RecordsChanged(kind, ids, true);
    };
    objEvent_->OnRecordsDelete = [this](TVktObject*, TVktObjKind kind, TPriorityItem ids) {
        const TViewItemsContentChange content(OwnerItems());
        RecordsChanged(kind, ids, false);
    };
}

TViewItems* TVktTopContainer::OwnerItems() const
{
    TViewItem* item = GetViewItem();
    return item ? item->GetOwner() : nullptr;
}

TVktTopContainer::~TVktTopContainer()
{
    SetVktObject(nullptr);
    for (TVktDataLink* link : links_) link->ForgetTopContainer();
    links_.clear();
}

void TVktTopContainer::AddLink(TVktDataLink* link)
{
    if (std::find(links_.begin(), links_.end(), link) == links_.end()) links_.push_back(link);
}

void TVktTopContainer::RemoveLink(TVktDataLink* link) { std::erase(links_, link); }

// ---- binding ----------------------------------------------------------------------------------

void TVktTopContainer::SetVktObject(TVktObject* object)
{
    if (object == object_) return;
    BeginUpdate();
    objEvent_->Detach();
    if (object_) {
        DBInactive();
        TVktObject* old = object_;
        object_ = nullptr;
        old->Release();
    }
    object_ = object;
    if (object_) {
        object_->AddRef();
        DBActive();
        object_->GetEvents().Add(objEvent_.get());
    }
    Change();
    EndUpdate();
}

void TVktTopContainer::DBActive()
{
    accesser_.reset();
    accesser_ = std::make_unique<TVktAccesser>(object_);
    // A suspended container lists when the suspension ends.
    if (suspended_) queryPending_ = true;
    else BuildQuery();
    active_ = true;
    BroadcastDBActive(GetViewItem());
}

void TVktTopContainer::DBInactive()
{
    active_ = false;
    BroadcastDBInactive(GetViewItem());
    accesser_.reset();
}

void TVktTopContainer::SetFilter(const TFilterObject& filter)
{
    if (filter == filter_) return;
    filter_ = filter;
    RequestQuery();
}

void TVktTopContainer::SetPageDataCount(int value)
{
    if (value == pageDataCount_) return;
    BeginUpdate();
    pageDataCount_ = value;
    RequestQuery();
    PushPageDataCount(GetViewItem(), value);
    EndUpdate();
}

void TVktTopContainer::SetAccessFields(const TAccessFieldStruct& fields)
{
    TPriorityItem newFields;
    TPriorityItem newOrders;
    const TPriorityItem& f = fields.GetFields();
    const TPriorityItem& o = fields.GetOrders();
    for (int i = 0; i < f.GetCount() && i < o.GetCount(); ++i) {
        if (o.GetItem(i) == 0) continue;
        newFields << f.GetItem(i);
        newOrders << o.GetItem(i);
    }
    if (newFields == fields_ && newOrders == orders_) return;
    fields_ = newFields;
    orders_ = newOrders;
    RequestQuery();
}

TAccessFieldStruct TVktTopContainer::GetAccessFields() const
{
    TAccessFieldStruct result;
    result.SetFields(fields_);
    result.SetOrders(orders_);
    return result;
}

void TVktTopContainer::SetFontName2(const std::string& name)
{
    if (name == fontName2_) return;
    fontName2_ = name;
    Change();
    for (TVktDataLink* link : links_) link->Font2Change();
}

void TVktTopContainer::SetFontSize2(int size)
{
    if (size == fontSize2_) return;
    fontSize2_ = size;
    Change();
    for (TVktDataLink* link : links_) link->Font2Change();
}

// ---- rows and pages ---------------------------------------------------------------------------

int TVktTopContainer::GetRowCount() const { return accesser_ ? accesser_->GetRowCount() : 0; }

int TVktTopContainer::GetDataID(int row)
{
    if (!accesser_ || row < 0 || row >= accesser_->GetRowCount()) return 0;
    accesser_->SetRowIndex(row);
    const platform::Variant id = accesser_->GetValue(F::Data_ID);
    return id.IsEmptyOrNull() ? 0 : id.AsInt();
}

bool TVktTopContainer::HasInvDate() const
{
    const int index = filter_.IndexOf(F::InvDate_Key);
    return index >= 0 && filter_.GetFilters(index).GetCount() > 0;
}

TPriorityItem TVktTopContainer::GetQueryFields() const { return queryFields_; }

int TVktTopContainer::GetPageMax()
{
    if (!GetViewItem() || !active_ || pageDataCount_ == 0) return 1;
    const int rows = GetRowCount();
    return rows / pageDataCount_ + (rows % pageDataCount_ ? 1 : 0);
}

// ---- the query --------------------------------------------------------------------------------

void TVktTopContainer::RequestQuery()
{
    queryPending_ = true;
    const LayoutUpdate update(GetViewItem());
    Change();
}

void TVktTopContainer::Requery()
{
    if (suspended_) queryPending_ = true;
    else RequestQuery();
}

void TVktTopContainer::SetSuspended(bool suspended)
{
    if (suspended == suspended_) return;
    suspended_ = suspended;
    if (!suspended_ && queryPending_) {
        const LayoutUpdate update(GetViewItem());
        Change();
    }
}

void TVktTopContainer::DoChange()
{
    if (!object_ || suspended_ || !queryPending_ || !accesser_ || !object_->IsValid()) return;
    queryPending_ = false;
    BuildQuery();
    BroadcastDBChange(GetViewItem());
}

TPriorityItem TVktTopContainer::CollectFields() const
{
    TPriorityItem fields;
    TViewItem* own = GetViewItem();
    if (!own || !own->GetOwner()) return fields;
    TViewItems* items = own->GetOwner();
    const int first = own->GetAbsoluteIndex() + 1;
    const int last = own->GetLastPosterity()->GetAbsoluteIndex();
    for (int i = first; i <= last; ++i)
        if (TVktDataLink* link = DataLinkOf(items->GetItem(i))) link->CollectReadFields(fields);
    return fields;
}

void TVktTopContainer::BuildQuery()
{
    if (!accesser_) return;
    queryPending_ = false;
    const TVktTable table = HasInvDate() ? TVktTable::TblInventory : TVktTable::TblData;
    TPriorityItem fields;
    TPriorityItem orders;
    for (int i = 0; i < fields_.GetCount(); ++i) {
        if (!CanListField(table, ToVktField(fields_.GetItem(i)))) continue;
        fields << fields_.GetItem(i);
        orders << (i < orders_.GetCount() ? orders_.GetItem(i) : 0);
    }
    const TPriorityItem collected = CollectFields();
    for (int i = 0; i < collected.GetCount(); ++i) {
        if (!CanListField(table, ToVktField(collected.GetItem(i)))) continue;
        fields << collected.GetItem(i);
        orders << 0;
    }
    fields << ToInt(F::Data_ID);
    orders << 0;
    queryFields_ = fields;
    accesser_->BeginUpdate();
    // The first page is listed at once (a self-paging grid's within kFirstRows); any row past it
    // lists them all. Records count as rows only where every field read has one value a record.
    const bool rowPerRecord = table == TVktTable::TblData && !ReadsRowAddingTable(fields);
    accesser_->SetWindow(!rowPerRecord ? 0 : pageDataCount_ > 0 ? pageDataCount_ : kFirstRows);
    accesser_->SetTable(table);
    accesser_->SetFields(fields);
    accesser_->SetOrder(orders);
    accesser_->SetFilter(filter_);
    accesser_->Refresh();
    accesser_->EndUpdate();
    ++queryCount_;
}

// ---- change notices ---------------------------------------------------------------------------

void TVktTopContainer::FieldChanged(TVktField field, const TPriorityItem& ids)
{
    if (!object_ || !accesser_) return;
    const int f = ToInt(field);
    const bool data = DataFields.Contains(f);
    if (!data && !MasterFields.Contains(f)) return;
    if (suspended_ || !object_->IsValid()) {
        queryPending_ = true;
        return;
    }
    const TPriorityItem affected = AffectedFields(field);
    const bool requery = MasterFields.Contains(f) || field == F::Data_ID || field == F::Class_Key ||
                         field == F::EraseDate || field == F::Attribute_Key || field == F::AttrCheck ||
                         Intersects(affected, fields_) || Intersects(affected, FilterFieldList(filter_)) ||
                         (data && ReadsRowAddingTable(queryFields_));
    if (requery) {
        RequestQuery();
        return;
    }
    const TPriorityItem named = NoticeRecordIds(field, ids);
    rowPatch_.clear();
    if (Intersects(affected, queryFields_)) {
        if (named.GetCount() > kPatchLimit) {
            RequestQuery();
            return;
        }
        TPriorityItem read;
        for (int i = 0; i < affected.GetCount(); ++i)
            if (Contains(queryFields_, affected.GetItem(i))) read << affected.GetItem(i);
        PatchRows(read, named);
    }
    rowPatching_ = true;
    try {
        BroadcastDBChange(GetViewItem());
    } catch (...) {
        rowPatching_ = false;
        throw;
    }
    rowPatching_ = false;
}

void TVktTopContainer::PatchRows(const TPriorityItem& fields, const TPriorityItem& ids)
{
    // Each record's row is looked up once: the filter and the patch both ask for it.
    std::vector<std::pair<int, int>> rows;
    const TRowOfId rowOf = [this, &rows](int id) {
        for (const auto& [known, row] : rows)
            if (known == id) return row;
        const int row = accesser_->FindRow(F::Data_ID, platform::Variant(id));
        rows.emplace_back(id, row);
        return row;
    };
    const std::optional<TFilterObject> filter = ListedRecordsFilter(filter_, ids, rowOf);
    if (!filter) return;
    ++patchCount_;
    patchedRows_ += PatchListedRows(*accesser_, rowOf, accesser_->GetTable(), fields, fields, *filter);
    for (const auto& [id, row] : rows)
        if (row >= 0) rowPatch_.push_back(row);
    std::sort(rowPatch_.begin(), rowPatch_.end());
}

void TVktTopContainer::RecordsChanged(TVktObjKind kind, const TPriorityItem& ids, bool added)
{
    if (!object_ || !accesser_) return;
    if (kind == TVktObjKind::RecipeItem) {
        FieldChanged(F::ItemIndex, ids);
        return;
    }
    const bool records = added ? kind == TVktObjKind::Data || kind == TVktObjKind::Food ||
                                     kind == TVktObjKind::Cook || kind == TVktObjKind::Menu
                               : kind == TVktObjKind::Data;
    if (records) Requery();
}

void TVktTopContainer::Renamed()
{
    for (TVktDataLink* link : links_) link->DBRename();
}

// ---- the data containers below ----------------------------------------------------------------

template <typename Call>
void TVktTopContainer::Broadcast(TViewItem* item, Call call)
{
    if (!item) return;
    const LayoutUpdate update(item);
    for (int i = 0; i < item->GetCountOfChildren(); ++i)
        if (TVktDataLink* link = DataLinkOf(item->GetItem(i))) call(*link);
}

void TVktTopContainer::BroadcastDBActive(TViewItem* item)
{
    Broadcast(item, [](TVktDataLink& link) { link.DBActive(); });
}

void TVktTopContainer::BroadcastDBInactive(TViewItem* item)
{
    Broadcast(item, [](TVktDataLink& link) { link.DBInactive(); });
}

void TVktTopContainer::BroadcastDBChange(TViewItem* item)
{
    Broadcast(item, [](TVktDataLink& link) { link.DBChange(); });
}

void TVktTopContainer::PushPageDataCount(TViewItem* item, int value)
{
    if (!item) return;
    for (int i = 0; i < item->GetCountOfChildren(); ++i) {
        TViewItem* child = item->GetItem(i);
        if (TVktDataLink* link = DataLinkOf(child)) link->SetPageDataCount(value);
        if (ContainerOf(child)) PushPageDataCount(child, value);
    }
}

void TVktTopContainer::PushSubData(TViewItem* item, bool value)
{
    if (!item) return;
    for (int i = 0; i < item->GetCountOfChildren(); ++i)
        if (TVktDataLink* link = DataLinkOf(item->GetItem(i))) link->SetSubData(value);
}

void TVktTopContainer::PushPageDataIndex(TViewItem* item, int value)
{
    if (!item) return;
    for (int i = 0; i < item->GetCountOfChildren(); ++i)
        if (TVktDataLink* link = DataLinkOf(item->GetItem(i))) link->SetPageDataIndex(value);
}

void TVktTopContainer::PushSubDataIndex(TViewItem* item, int value)
{
    if (!item) return;
    for (int i = 0; i < item->GetCountOfChildren(); ++i)
        if (TVktDataLink* link = DataLinkOf(item->GetItem(i))) link->SetSubDataIndex(value);
}

bool TVktTopContainer::GetParentSubData(TViewItem* item)
{
    const TVktDataLink* link = item ? DataLinkOf(item->GetParent()) : nullptr;
    return link && link->GetSubData();
}

int TVktTopContainer::GetParentPageDataIndex(TViewItem* item)
{
    const TVktDataLink* link = item ? DataLinkOf(item->GetParent()) : nullptr;
    return link ? link->GetPageDataIndex() : 0;
}

int TVktTopContainer::GetParentSubDataIndex(TViewItem* item)
{
    const TVktDataLink* link = item ? DataLinkOf(item->GetParent()) : nullptr;
    return link ? link->GetSubDataIndex() : 0;
}

// ---- layout file ------------------------------------------------------------------------------

void TVktTopContainer::SaveToXml(const platform::XmlNode& node)
{
    TContainer::SaveToXml(node);
    node.SetIntAttribute("PageDataCount", pageDataCount_);
    std::vector<std::string> names;
    for (int i = 0; i < fields_.GetCount(); ++i) names.push_back(GetFieldName(ToVktField(fields_.GetItem(i))));
    node.SetAttribute("Fields", platform::JoinCommaText(names));
    node.SetAttribute("Orders", orders_.GetCommaText());
    if (fontName2_ != GetFontName()) node.SetAttribute("FontName2", fontName2_);
    if (fontSize2_ != GetFontSize()) node.SetIntAttribute("FontSize2", fontSize2_);
}

void TVktTopContainer::LoadFromXml(const platform::XmlNode& node)
{
    TContainer::LoadFromXml(node);
    SetPageDataCount(ReadIntAttribute(node, "PageDataCount", 0));
    TPriorityItem orders;
    for (const std::string& piece : platform::SplitCommaText(node.GetAttribute("Orders"))) {
        int value = 0;
        std::from_chars(piece.data(), piece.data() + piece.size(), value);
        orders << value;
    }
    // Unknown names stay out together with their order.
    fields_.Clear();
    orders_.Clear();
    const std::vector<std::string> names = platform::SplitCommaText(node.GetAttribute("Fields"));
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        const TVktField field = FindFieldByName(names[static_cast<std::size_t>(i)]);
        if (field == VktFieldNotFound || field == TVktField{}) continue;
        fields_ << ToInt(field);
        orders_ << (i < orders.GetCount() ? orders.GetItem(i) : 0);
    }
    SetFontName2(node.GetAttribute("FontName2", GetFontName()));
    SetFontSize2(ReadIntAttribute(node, "FontSize2", GetFontSize()));
    RequestQuery();
}
