#include "reports/Uvktgridcontainer.h"

#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "platform/Text.h"
#include "platform/Xml.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvkttopcontainer.h"

#include <algorithm>

using F = TVktField;
using platform::Currency;

namespace {

bool IsNumberField(TVktField field)
{
    const platform::FieldType type = GetFieldType(field);
    return type == platform::FieldType::Float || type == platform::FieldType::Currency;
}

// Amounts that can be summed: numbers of any kind.
bool IsSummable(TVktField field)
{
    switch (GetFieldType(field)) {
    case platform::FieldType::SmallInt:
    case platform::FieldType::Integer:
    case platform::FieldType::Float:
    case platform::FieldType::Currency: return true;
    default: return false;
    }
}

// A field of the table by name; 0 for none or an unknown name.
int FieldOfName(const std::string& name)
{
    const TVktField field = FindFieldByName(name);
    return field == VktFieldNotFound ? 0 : ToInt(field);
}

// Widths and returns cut or padded (300, 0) to the fields.
void FitColumns(int count, TPriorityItem& widths, TPriorityItem& returns)
{
    for (int i = widths.GetCount(); i < count; ++i) widths << 300;
    widths.SetCount(count);
    returns.SetCount(count);
}

TPriorityItem IntList(const std::string& text)
{
    TPriorityItem list;
    list.SetCommaText(text);
    return list;
}

} // namespace

// ---- sums -------------------------------------------------------------------------------------

void TVGCSumStruct::Clear()
{
    entries_.clear();
    key_.clear();
    groups_ = 0;
    total_ = Currency();
}

void TVGCSumStruct::Add(const std::string& key, Currency value)
{
    if (!entries_.empty() && key == key_) {
        entries_.insert(entries_.end() - 1, Entry{groups_ - 1, Currency::FromRaw(-10000)});
        entries_.back().Sum += value;
    } else {
        key_ = key;
        ++groups_;
        entries_.push_back(Entry{groups_ - 1, Currency::FromRaw(-10000)});
        entries_.push_back(Entry{-1, value});
    }
    total_ += value;
}

int TVGCSumStruct::GetSumCount() const { return groups_ + (groups_ >= 2 ? 1 : 0); }

bool TVGCSumStruct::GetCheckSum(int index) const
{
    return index >= 0 && index < GetRowCount() && entries_[static_cast<std::size_t>(index)].RowOffset == -1;
}

Currency TVGCSumStruct::GetSum(int index) const
{
    return index < 0 || index >= GetRowCount() ? Currency() : entries_[static_cast<std::size_t>(index)].Sum;
}

int TVGCSumStruct::GetRowOffset(int index) const
{
    return index < 0 || index >= GetRowCount() ? 0 : entries_[static_cast<std::size_t>(index)].RowOffset;
}

bool TVGCSumStruct::SameRows(const TVGCSumStruct& other) const
{
    return groups_ == other.groups_ &&
           std::equal(entries_.begin(), entries_.end(), other.entries_.begin(), other.entries_.end(),
                      [](const Entry& a, const Entry& b) { return a.RowOffset == b.RowOffset; });
}

// ---- the grid ---------------------------------------------------------------------------------

TVktGridContainer::TVktGridContainer() : TGridContainer(ctVktGrid), TVktDataLink(static_cast<TContainer&>(*this))
{
    SetColsWrapStyle(1);
    SetColCount(0);
    SetRowCount(0);
}

TVktGridContainer::~TVktGridContainer()
{
    // The fields leave the database container's query, unless that goes too.
    fields_.Clear();
    TVktTopContainer* top = GetTopContainer();
    if (top && !(top->GetViewItem() && top->GetViewItem()->GetDeleting())) top->RequestQuery();
}

TVktGridContainer::Mode TVktGridContainer::GetMode() const
{
    TVktTopContainer* top = GetTopContainer();
    if (!top || !top->GetActive()) return Mode::Inactive;
    if (GetPageDataCount() == 0) return Mode::List;
    if (GetPageDataIndex() == 0) return Mode::Page;
    return GetSubData() ? Mode::Items : Mode::Slot;
}

void TVktGridContainer::RequestTopQuery()
{
    querySubData_ = GetSubData();
    if (GetTopContainer()) GetTopContainer()->RequestQuery();
}

void TVktGridContainer::ApplyRowsWrapStyle()
{
    SetRowsWrapStyle(!GetSubData() ? 0 : rowExpand_ ? 2 : 1);
}

void TVktGridContainer::DataChange()
{
    dataChanged_ = true;
    BeginUpdate();
    ApplyRowsWrapStyle();
    Change();
    EndUpdate();
}

void TVktGridContainer::LinkChange()
{
    DataChange();
    // The grid's fields join or leave the database container's query with the record list.
    if (GetSubData() != querySubData_) RequestTopQuery();
}

void TVktGridContainer::SetFloatType(TNSFloatType value)
{
    if (static_cast<int>(value) > 2) value = TNSFloatType::Formatted;
    Assign(floatType_, value);
}

void TVktGridContainer::SetNumSjis(int value) { Assign(numSjis_, value); }

void TVktGridContainer::SetRowExpand(bool value)
{
    if (value == rowExpand_) return;
    rowExpand_ = value;
    BeginUpdate();
    ApplyRowsWrapStyle();
    Change();
    EndUpdate();
}

void TVktGridContainer::SetSumField(int field)
{
    if (field == sumField_) return;
    sumField_ = field;
    InitSumStruct();
    DataChange();
}

void TVktGridContainer::SetSumClass(int field)
{
    if (field == sumClass_) return;
    sumClass_ = field;
    InitSumStruct();
    DataChange();
}

TPreviewFieldStruct TVktGridContainer::GetPreviewFields() const
{
    TPreviewFieldStruct result;
    result.SetName(fields_);
    result.SetWidth(widths_);
    result.SetReturn(returns_);
    TPriorityItem orders;
    const TAccessFieldStruct sort =
        GetTopContainer() && !GetSubData() ? GetTopContainer()->GetAccessFields() : TAccessFieldStruct();
    for (int i = 0; i < fields_.GetCount(); ++i) {
        const int at = sort.GetFields().IndexOf(fields_.GetItem(i));
        orders << (at < 0 ? 0 : sort.GetOrders().GetItem(at));
    }
    result.SetOrder(orders);
    return result;
}

void TVktGridContainer::SetPreviewFields(const TPreviewFieldStruct& fields)
{
    if (!(fields != GetPreviewFields())) return;
    dataChanged_ = true;
    fields_ = fields.GetName();
    widths_ = fields.GetWidth();
    returns_ = fields.GetReturn();
    FitColumns(fields_.GetCount(), widths_, returns_);
    BeginUpdate();
    InitHeader();
    SetColWraps(returns_);
    EndUpdate();
    Change();
    if (!GetSubData()) RequestTopQuery();
}

// ---- binding ----------------------------------------------------------------------------------

void TVktGridContainer::SetViewItem(TViewItem* item)
{
    TVktTopContainer* old = GetTopContainer();
    TGridContainer::SetViewItem(item);
    TVktTopContainer* top = FindTopContainer(item);
    if (old && old != top) old->RequestQuery();
    if (top) {
        InheritThroughSetters();
        // A grid being read asks once, when its columns are known.
        if (old != top && !GetLoading()) RequestTopQuery();
    } else {
        SetPageDataCount(0);
        SetPageDataIndex(0);
        SetSubData(false);
        SetSubDataIndex(0);
    }
    if (top && top->GetAccesser()) {
        DBActive();
        DBChange();
    }
}

void TVktGridContainer::DBActive()
{
    TVktTopContainer* top = GetTopContainer();
    subAccesser_ = std::make_unique<TVktAccesser>(top ? top->GetVktObject() : nullptr);
    DataChange();
    if (top) top->BroadcastDBActive(GetViewItem());
}

void TVktGridContainer::DBInactive()
{
    if (GetTopContainer()) GetTopContainer()->BroadcastDBInactive(GetViewItem());
    subAccesser_.reset();
    DataChange();
}

void TVktGridContainer::DBChange()
{
    TVktTopContainer* top = GetTopContainer();
    const std::vector<int>* patched = top ? top->GetRowPatch() : nullptr;
    const Mode mode = GetMode();
    const int rows = GetRowCount();
    const TVGCSumStruct sums = patched ? sums_ : TVGCSumStruct();
    rowPatch_ = patched && (mode == Mode::List || mode == Mode::Page);
    try {
        InitSumStruct();
        // The list's count as the change pass sets it, so that the cells are not cut and regrown.
        const int listed = top ? top->GetRowCount() : 0;
        SetRowCount(mode == Mode::List ? listed + sums_.GetSumCount() : listed);
        DataChange();
    } catch (...) {
        rowPatch_ = false;
        throw;
    }
    // A patch that left every row where it was changed only the patched rows.
    if (rowPatch_ && GetRowCount() == rows && sums_.SameRows(sums)) NoteChangedRows(*patched);
    else changedAll_ = true;
    rowPatch_ = false;
    if (top) top->BroadcastDBChange(GetViewItem());
}

void TVktGridContainer::NoteChangedRows(const std::vector<int>& rows)
{
    constexpr std::size_t kMostRows = 1024;
    const bool summed = GetMode() == Mode::List && sums_.GetSumCount() != 0;
    for (const int row : rows) {
        if (!summed) {
            changedRows_.push_back(row);
            continue;
        }
        // The data row, the subtotal closing its run and the total.
        int table = row;
        while (table < sums_.GetRowCount() && (sums_.GetCheckSum(table) || table - sums_.GetRowOffset(table) != row))
            ++table;
        changedRows_.push_back(table);
        int sum = table + 1;
        while (sum < sums_.GetRowCount() && !sums_.GetCheckSum(sum)) ++sum;
        changedRows_.push_back(sum);
        changedRows_.push_back(sums_.GetRowCount());
    }
    std::sort(changedRows_.begin(), changedRows_.end());
    changedRows_.erase(std::unique(changedRows_.begin(), changedRows_.end()), changedRows_.end());
    if (changedRows_.size() > kMostRows) changedAll_ = true;
}

bool TVktGridContainer::ChangedAreas(TRect rect, int scale, int page, std::vector<TRect>& areas)
{
    return !changedAll_ && RowAreas(rect, scale, page, changedRows_, areas);
}

void TVktGridContainer::CollectReadFields(TPriorityItem& fields) const
{
    if (GetSubData()) return;
    for (int i = 0; i < fields_.GetCount(); ++i)
        if (fields_.GetItem(i) != 0 && fields.IndexOf(fields_.GetItem(i)) < 0) fields << fields_.GetItem(i);
}

// ---- headers and sums -------------------------------------------------------------------------

void TVktGridContainer::InitHeader()
{
    THeaderAttributes& headers = GetHeaders();
    TVktTopContainer* top = GetTopContainer();
    TFontStruct own = GetFontStruct();
    TFontStruct second = own;
    if (top) {
        second.Name = top->GetFontName2();
        second.Size = top->GetFontSize2();
    }
    own.CharSet = 128;
    second.CharSet = 0;
    headers.Clear();
    for (int c = 0; c < fields_.GetCount(); ++c) {
        const TVktField field = ToVktField(fields_.GetItem(c));
        const bool french = FrenchFields.Contains(field);
        const int charSet = french ? 0 : 128;
        headers.Add(GetFieldCaption(field), c < widths_.GetCount() ? widths_.GetItem(c) : 300,
                    NumericFields.Contains(field) ? 2 : 0, charSet);
        headers.SetFont(charSet, french ? second : own);
    }
    ChangeHeader();
}

void TVktGridContainer::FontChange()
{
    BeginUpdate();
    TContainer::FontChange();
    InitHeader();
    SetColWraps(returns_);
    EndUpdate();
    Change();
}

void TVktGridContainer::InitSumStruct()
{
    sums_.Clear();
    TVktTopContainer* top = GetTopContainer();
    TVktAccesser* accesser = top ? top->GetAccesser() : nullptr;
    if (sumField_ == 0 || !accesser) return;
    const TPriorityItem read = accesser->GetFields();
    const TVktField sum = ToVktField(sumField_);
    // An amount that is no number (a text field named in a file) gives no sums.
    if (read.IndexOf(sumField_) < 0 || !IsSummable(sum)) return;
    const TVktField group = ToVktField(sumClass_);
    const bool grouped = sumClass_ != 0 && read.IndexOf(sumClass_) >= 0;
    for (int r = 0; r < accesser->GetRowCount(); ++r) {
        accesser->SetRowIndex(r);
        const platform::Variant value = accesser->GetValue(sum);
        sums_.Add(grouped ? accesser->GetText(group) : std::string(),
                  value.IsEmptyOrNull() ? Currency() : value.AsCurrency());
    }
    accesser->SetRowIndex(0);
}

// ---- rows and pages ---------------------------------------------------------------------------

void TVktGridContainer::SubDataAccess(int id)
{
    if (!subAccesser_) return;
    TFilterObject filter;
    filter.Add(F::Item_Key, foEqual, id, 0);
    if (GetSubDataIndex() != 0) filter.Add(F::ItemIndex, foEqual, GetSubDataIndex(), 0);
    TPriorityItem orders;
    orders.SetCount(fields_.GetCount());
    subAccesser_->BeginUpdate();
    subAccesser_->SetTable(TVktTable::TblItem);
    subAccesser_->SetFields(fields_);
    subAccesser_->SetOrder(orders);
    subAccesser_->SetFilter(filter);
    subAccesser_->Refresh();
    subAccesser_->EndUpdate();
}

void TVktGridContainer::DoChange()
{
    if (!rowPatch_) changedAll_ = true;
    TGridContainer::DoChange();
    TVktTopContainer* top = GetTopContainer();
    if (!GetViewItem() || !top || !dataChanged_) return;
    dataChanged_ = false;
    BeginUpdate();
    switch (GetMode()) {
    case Mode::Inactive:
        SetVisibleRowCount(0);
        SetRowCount(1);
        break;
    case Mode::List:
        SetVisibleRowCount(0);
        SetRowCount(top->GetRowCount() + sums_.GetSumCount());
        break;
    case Mode::Page:
        SetVisibleRowCount(std::min(top->GetRowCount(), GetPageDataCount()));
        SetRowCount(top->GetRowCount());
        break;
    case Mode::Items: {
        SubDataAccess(GetRecordID());
        const int rows = subAccesser_ ? subAccesser_->GetRowCount() : 0;
        SetVisibleRowCount(rows);
        SetRowCount(rows);
        break;
    }
    case Mode::Slot:
        // One row: the slot's record, drawn as page 1.
        SetVisibleRowCount(1);
        SetRowCount(1);
        break;
    }
    EndUpdate();
}

int TVktGridContainer::GetPageMax()
{
    TVktTopContainer* top = GetTopContainer();
    if (!GetViewItem() || !top || !top->GetActive()) return 1;
    int perPage = GetPageDataCount();
    if (perPage == 0) {
        const int titles = GetHeaderStyle() == 0 ? GetParagraph() : 0;
        // A grid too small for one row below its titles shows one page.
        perPage = GetVisibleRowCount() - titles;
        if (perPage <= 0) return 1;
    }
    const int total = top->GetRowCount() + sums_.GetSumCount();
    return (total + perPage - 1) / perPage;
}

void TVktGridContainer::Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int page,
                             int pageMax, bool printer)
{
    TVktDataLink::SetPage(page);
    const Mode mode = GetMode();
    TGridContainer::Draw(offsetX, offsetY, rect, scale, canvas,
                         mode == Mode::Items || mode == Mode::Slot ? 1 : page, pageMax, printer);
    if (!printer) {
        changedRows_.clear();
        changedAll_ = false;
    }
}

// ---- cells ------------------------------------------------------------------------------------

std::string TVktGridContainer::FieldText(TVktAccesser& accesser, TVktField field) const
{
    if (!IsNumberField(field)) return accesser.GetText(field);
    const platform::Variant value = accesser.GetValue(field);
    if (value.IsEmptyOrNull()) return {};
    // The cost rate is a percentage, printed with its sign as the record screen shows it.
    return NumericString(floatType_, numSjis_).GetAsString(value) + (field == TVktField::CostRate ? "%" : "");
}

std::string TVktGridContainer::SumRowText(int col, int row) const
{
    const bool total = row >= sums_.GetRowCount() || sums_.GetGroupCount() == 1;
    const int field = fields_.GetItem(col);
    std::string text;
    if (col == 0) {
        const bool french = FrenchFields.Contains(ToVktField(fields_.GetItem(0)));
        text = french ? (total ? "Total" : "Sous-Total") : (total ? "合計" : "小計");
    }
    if (field == sumField_) {
        const Currency amount = row >= sums_.GetRowCount() ? sums_.GetTotal() : sums_.GetSum(row);
        text = NumericString(floatType_, numSjis_).GetAsString(platform::Variant(amount));
    }
    return text;
}

std::string TVktGridContainer::CellText(int col, int row)
{
    TVktTopContainer* top = GetTopContainer();
    TVktAccesser* accesser = top ? top->GetAccesser() : nullptr;
    if (!GetViewItem() || !accesser || accesser->GetRowCount() == 0 || col < 0 || col >= fields_.GetCount())
        return {};
    const TVktField field = ToVktField(fields_.GetItem(col));
    switch (GetMode()) {
    case Mode::Inactive: return {};
    case Mode::Items:
        if (!subAccesser_ || row >= subAccesser_->GetRowCount()) return {};
        subAccesser_->SetRowIndex(row);
        return FieldText(*subAccesser_, field);
    case Mode::Slot:
        row = GetRecordRow();
        if (row < 0) return {};
        break;
    case Mode::List:
        if (sums_.GetSumCount() != 0) {
            if (row >= sums_.GetRowCount() || sums_.GetCheckSum(row)) return SumRowText(col, row);
            row -= sums_.GetRowOffset(row);
        }
        break;
    case Mode::Page: break;
    }
    if (row < 0 || row >= accesser->GetRowCount() || accesser->GetFields().IndexOf(ToInt(field)) < 0) return {};
    accesser->SetRowIndex(row);
    return FieldText(*accesser, field);
}

void TVktGridContainer::TextQuery(TTextDrawer*, int col, int row, std::string& text)
{
    std::string cell = CellText(col, row);
    if (!cell.empty()) text = std::move(cell);
}

// ---- layout file ------------------------------------------------------------------------------

void TVktGridContainer::SaveToXml(const platform::XmlNode& node)
{
    TGridContainer::SaveToXml(node);
    SaveLink(node, false);
    std::vector<std::string> names;
    for (int i = 0; i < fields_.GetCount(); ++i) names.push_back(GetFieldName(ToVktField(fields_.GetItem(i))));
    node.SetAttribute("Fields", platform::JoinCommaText(names));
    node.SetAttribute("Widths", widths_.GetCommaText());
    node.SetAttribute("Returns", returns_.GetCommaText());
    node.SetIntAttribute("NumSjis", numSjis_);
    node.SetIntAttribute("FloatType", static_cast<int>(floatType_));
    node.SetBoolAttribute("RowExpand", rowExpand_);
    if (sumField_ == 0) return;
    node.SetAttribute("SumField", GetFieldName(ToVktField(sumField_)));
    if (sumClass_ != 0) node.SetAttribute("SumClass", GetFieldName(ToVktField(sumClass_)));
}

void TVktGridContainer::LoadFromXml(const platform::XmlNode& node)
{
    TGridContainer::LoadFromXml(node);
    LoadLink(node);
    const std::vector<std::string> names = platform::SplitCommaText(node.GetAttribute("Fields"));
    TPriorityItem widths = IntList(node.GetAttribute("Widths"));
    TPriorityItem returns = IntList(node.GetAttribute("Returns"));
    FitColumns(static_cast<int>(names.size()), widths, returns);
    // An unknown name leaves with its width and return; "None" is an empty column and stays.
    fields_.Clear();
    widths_.Clear();
    returns_.Clear();
    const std::string emptyColumn = GetFieldName(TVktField::None);
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        const std::string& name = names[static_cast<std::size_t>(i)];
        const int field = FieldOfName(name);
        if (field == 0 && name != emptyColumn) continue;
        fields_ << field;
        widths_ << widths.GetItem(i);
        returns_ << returns.GetItem(i);
    }
    SetNumSjis(ReadIntAttribute(node, "NumSjis", 0));
    const int floatType = ReadIntAttribute(node, "FloatType", 0);
    SetFloatType(floatType >= 0 && floatType <= 2 ? static_cast<TNSFloatType>(floatType) : TNSFloatType::Formatted);
    SetRowExpand(ReadBoolAttribute(node, "RowExpand", false));
    SetSumField(FieldOfName(node.GetAttribute("SumField")));
    SetSumClass(FieldOfName(node.GetAttribute("SumClass")));
    BeginUpdate();
    InitHeader();
    SetColWraps(returns_);
    EndUpdate();
    RequestTopQuery();
}
