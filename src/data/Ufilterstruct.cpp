#include "data/Ufilterstruct.h"

#include <cstdint>
#include <utility>

#include "core/Priorityitem.h"
#include "core/Uvktsupport.h"
#include "platform/DateTime.h"
#include "platform/Errors.h"
#include "platform/Sqlite.h"
#include "platform/StringList.h"
#include "platform/Text.h"
#include "platform/Xml.h"

namespace {

using F = TVktField;
using FT = platform::FieldType;
using platform::Variant;

// The class library's text of a variant value ("" for no value).
std::string ValueText(const Variant& value) {
    return value.IsEmptyOrNull() ? std::string() : value.AsString();
}

bool IsRange(std::uint8_t op) { return op == foBetween || op == foOutside; }

// A value read from the filter XML, typed by the field (Variant::FromText). An empty text of a
// field that is not a text field reads as no value (an "is empty" condition writes none); other
// texts that do not convert raise ConvertError. Fields of other types (memo, graphic) hold no value.
Variant ReadValue(const std::string& text, FT type) {
    switch (type) {
    case FT::String: return Variant(text);
    case FT::SmallInt:
    case FT::Integer:
    case FT::Boolean:
    case FT::Float:
    case FT::Currency:
    case FT::Date:
    case FT::DateTime: return text.empty() ? Variant() : Variant::FromText(text, type);
    default: return Variant();
    }
}

// The end value of a condition that is not a range: the zero value of the field's type.
Variant ZeroValue(FT type) {
    switch (type) {
    case FT::String: return Variant(std::string());
    case FT::SmallInt:
    case FT::Integer: return Variant(0);
    case FT::Boolean: return Variant(false);
    case FT::Float: return Variant(0.0);
    case FT::Currency: return Variant(platform::Currency());
    case FT::Date:
    case FT::DateTime: return Variant::FromDateTime(0.0);
    default: return Variant();
    }
}

// Text of a begin value for the description: the name whose id equals it when a list is given.
std::string BeginText(const Variant& begin, const platform::StringList* values) {
    if (values != nullptr && !begin.IsEmptyOrNull()) {
        try {
            const std::intptr_t id = begin.AsInt();
            for (int k = 0; k < values->GetCount(); ++k)
                if (reinterpret_cast<std::intptr_t>(values->GetObject(k)) == id) return values->GetString(k);
        } catch (const platform::Error&) {
            // not an id: shown as its own text
        }
    }
    return ValueText(begin);
}

const char* Phrase(std::uint8_t op) {
    switch (op) {
    case foEqual: return " に一致する";
    case foNotEqual: return " に一致しない";
    case foAtLeast: return " 以上";
    case foAtMost: return " 以下";
    case foBetween:
    case foOutside: return " から ";
    case foContains: return " を含む";
    case foNotContains: return " を含まない";
    default: return "";
    }
}

} // namespace

// ---- TFilter ---------------------------------------------------------------------------------------

TFilter::TFilter(std::uint8_t op, Variant begin, Variant end)
    : operator_(op), begin_(std::move(begin)), end_(std::move(end)) {}

bool TFilter::Equal(std::uint8_t op, const Variant& begin, const Variant& end) const {
    return operator_ == op && begin_ == begin && end_ == end;
}

// ---- TFilters --------------------------------------------------------------------------------------

TFilters& TFilters::operator=(const TFilters& source) {
    TFilters copy(source);
    field_ = copy.field_;
    conditions_ = std::move(copy.conditions_);
    return *this;
}

bool TFilters::operator==(const TFilters& other) const {
    return field_ == other.field_ && conditions_ == other.conditions_;
}

void TFilters::Add(std::uint8_t op, const Variant& begin, const Variant& end) {
    conditions_.emplace_back(op, begin, end);
}

void TFilters::Clear() {
    conditions_.clear();
    field_ = F::None;
}

const TFilter& TFilters::GetFilter(int index) const {
    if (index < 0 || index >= GetCount()) platform::RaiseListIndex(index);
    return conditions_[static_cast<std::size_t>(index)];
}

std::uint8_t TFilters::GetOperator(int index) const { return GetFilter(index).GetOperator(); }
Variant TFilters::GetBegin(int index) const { return GetFilter(index).GetBegin(); }
Variant TFilters::GetEnd(int index) const { return GetFilter(index).GetEnd(); }

void TFilters::LoadFromXml(const platform::XmlNode& node) {
    Clear();
    const F field = FindFieldByName(node.GetAttribute("Name"));
    if (field == VktFieldNotFound) return;
    field_ = field;
    const FT type = GetFieldType(field);
    const bool french = FrenchFields.Contains(field);
    for (const platform::XmlNode& logic : node.GetChildren()) {
        const int code = platform::StrToInt(logic.GetAttribute("Type"));
        const auto op = static_cast<std::uint8_t>(code);
        auto text = [&](const char* name) {
            const std::string value = logic.GetAttribute(name);
            return french ? AscToBin(value) : value;
        };
        const Variant begin = ReadValue(text("Begin"), type);
        const Variant end = IsRange(op) ? ReadValue(text("End"), type) : ZeroValue(type);
        Add(op, begin, end);
    }
}

void TFilters::SaveToXml(platform::XmlNode node) const {
    const bool french = FrenchFields.Contains(field_);
    for (const TFilter& condition : conditions_) {
        platform::XmlNode logic = node.AddChild("Logic");
        std::string begin = ValueText(condition.GetBegin());
        std::string end = IsRange(condition.GetOperator()) ? ValueText(condition.GetEnd()) : std::string();
        if (french) {
            begin = BinToAsc(begin);
            if (!end.empty()) end = BinToAsc(end);
        }
        logic.SetAttribute("Type", platform::IntToStr(condition.GetOperator()));
        logic.SetAttribute("Begin", begin);
        logic.SetAttribute("End", end);
    }
}

std::vector<TFilterTextPiece> TFilters::GetTextPieces(const platform::StringList* values) const {
    const bool latin = FrenchFields.Contains(field_);
    std::vector<TFilterTextPiece> pieces;
    for (std::size_t i = 0; i < conditions_.size(); ++i) {
        const TFilter& condition = conditions_[i];
        const std::uint8_t op = condition.GetOperator();
        if (i > 0) pieces.push_back({"か または ", false});
        pieces.push_back({"'", false});
        pieces.push_back({BeginText(condition.GetBegin(), values), latin});
        pieces.push_back({"'", false});
        if (*Phrase(op) != '\0') pieces.push_back({Phrase(op), false});
        if (IsRange(op)) {
            pieces.push_back({"'", false});
            pieces.push_back({ValueText(condition.GetEnd()), latin});
            pieces.push_back({"'", false});
            pieces.push_back({op == foBetween ? " までを含む" : " までを含まない", false});
        }
    }
    return pieces;
}

// ---- TFilterObject ---------------------------------------------------------------------------------

TFilterObject& TFilterObject::operator=(const TFilterObject& source) {
    if (*this == source) return *this;
    std::vector<TFilters> entries = source.entries_;   // source may be this object
    kind_ = source.kind_;
    name_ = source.name_;
    entries_ = std::move(entries);
    return *this;
}

bool TFilterObject::operator==(const TFilterObject& other) const {
    if (name_ != other.name_ || entries_.size() != other.entries_.size() || kind_ != other.kind_) return false;
    for (const TFilters& entry : entries_) {
        const int index = other.IndexOf(entry.GetField());
        if (index < 0 || other.entries_[static_cast<std::size_t>(index)] != entry) return false;
    }
    return true;
}

int TFilterObject::IndexOf(TVktField field) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].GetField() == field) return static_cast<int>(i);
    return -1;
}

void TFilterObject::Add(TVktField field, std::uint8_t op, const Variant& begin, const Variant& end) {
    int index = IndexOf(field);
    if (index < 0) {
        entries_.emplace_back(field);
        index = GetCount() - 1;
    }
    entries_[static_cast<std::size_t>(index)].Add(op, begin, end);
}

void TFilterObject::SetFilters(const TFilters& filters) {
    const int index = IndexOf(filters.GetField());
    if (index < 0)
        entries_.push_back(filters);
    else
        entries_[static_cast<std::size_t>(index)] = filters;
}

void TFilterObject::Remove(TVktField field) {
    const int index = IndexOf(field);
    if (index >= 0) entries_.erase(entries_.begin() + index);
}

const TFilters& TFilterObject::Filters(int index) const {
    if (index < 0 || index >= GetCount()) platform::RaiseListIndex(index);
    return entries_[static_cast<std::size_t>(index)];
}

TFilters TFilterObject::GetFilters(int index) const { return Filters(index); }

void TFilterObject::Clear() { entries_.clear(); }

std::vector<TFilterTextPiece> TFilterObject::GetTextPieces(int index, const platform::StringList* values) const {
    if (index < 0 || index >= GetCount()) return {};
    return entries_[static_cast<std::size_t>(index)].GetTextPieces(values);
}

std::string TFilterObject::GetText(int index, const platform::StringList* values) const {
    std::string text;
    for (const TFilterTextPiece& piece : GetTextPieces(index, values)) text += piece.Text;
    return text;
}

void TFilterObject::LoadFromXml(const platform::XmlNode& node) {
    Clear();
    name_ = node.GetAttribute("Name");
    for (const platform::XmlNode& child : node.GetChildren()) {
        const F field = FindFieldByName(child.GetAttribute("Name"));
        // Names no column, or one no record list can show.
        if (field == VktFieldNotFound || !CanFilterField(TVktTable::TblData, field)) continue;
        TFilters filters;
        filters.LoadFromXml(child);
        SetFilters(filters);
    }
}

void TFilterObject::SaveToXml(platform::XmlNode node) const {
    node.SetAttribute("Name", name_);
    for (const TFilters& entry : entries_) {
        if (entry.GetCount() == 0) continue;
        platform::XmlNode field = node.AddChild("Field");
        field.SetAttribute("Name", GetFieldName(entry.GetField()));
        entry.SaveToXml(field);
    }
}

// ---- TFilterObjects --------------------------------------------------------------------------------

TFilterObjects::~TFilterObjects() {
    destroying_ = true;
    items_.clear();
}

void TFilterObjects::CheckIndex(int index) const {
    if (index < 0 || index >= GetCount()) platform::RaiseListIndex(index);
}

void TFilterObjects::DoChange() {
    if (destroying_ || loading_ || !OnChange) return;
    OnChange(this);
}

TFilterObject& TFilterObjects::Get(int index) {
    CheckIndex(index);
    return *items_[static_cast<std::size_t>(index)];
}

const TFilterObject& TFilterObjects::Get(int index) const {
    CheckIndex(index);
    return *items_[static_cast<std::size_t>(index)];
}

TFilterObject TFilterObjects::GetItem(int index) const { return Get(index); }

void TFilterObjects::SetItem(int index, const TFilterObject& filter) {
    TFilterObject& target = Get(index);
    if (target == filter) return;
    target = filter;
    DoChange();
}

void TFilterObjects::Move(int fromIndex, int toIndex) {
    if (fromIndex == toIndex) {
        CheckIndex(fromIndex);
    } else {
        CheckIndex(fromIndex);
        CheckIndex(toIndex);
        auto item = std::move(items_[static_cast<std::size_t>(fromIndex)]);
        items_.erase(items_.begin() + fromIndex);
        items_.insert(items_.begin() + toIndex, std::move(item));
    }
    DoChange();
}

void TFilterObjects::Delete(int index) {
    CheckIndex(index);
    items_.erase(items_.begin() + index);
    DoChange();
}

void TFilterObjects::Clear() {
    for (int i = GetCount() - 1; i >= 0; --i) Delete(i);
    items_.clear();
}

std::string TFilterObjects::NewName() const {
    static const std::string base = "新規ユーザーフィルター";
    for (int number = 1;; ++number) {
        const std::string name = base + platform::IntToStr(number);
        bool used = false;
        for (const auto& item : items_)
            if (item->GetName() == name) {
                used = true;
                break;
            }
        if (!used) return name;
    }
}

void TFilterObjects::AddNew() {
    auto filter = std::make_unique<TFilterObject>();
    filter->SetName(NewName());
    items_.push_back(std::move(filter));
    DoChange();
}

void TFilterObjects::LoadFromXML(const platform::XmlNode& node) {
    struct LoadingFlag {
        bool& flag;
        explicit LoadingFlag(bool& f) : flag(f) { flag = true; }
        ~LoadingFlag() { flag = false; }
    };
    {
        LoadingFlag loading(loading_);
        Clear();
        if (!node.IsNull()) {
            for (const platform::XmlNode& child : node.GetChildren()) {
                AddNew();
                items_.back()->LoadFromXml(child);
            }
        }
    }
    DoChange();
}

void TFilterObjects::SaveToXML(platform::XmlNode node) const {
    for (const auto& item : items_) item->SaveToXml(node.AddChild("Filter"));
}

// ---- Binding and the quick filter ------------------------------------------------------------------

bool CanListField(TVktTable base, TVktField field) {
    if (!GetTableFieldSet(base).Contains(field)) return false;
    const TVktTable table = GetFieldTable(field);
    if (table == base) return true;
    switch (table) {
    case TVktTable::None:
    case TVktTable::TblUnits:        // only through one of the unit views
    case TVktTable::TblInitialize:   // settings, no record's
        return false;
    default: return true;
    }
}

TFilterForm GetFilterForm(TVktTable base, TVktField field) {
    if (!CanListField(base, field)) return TFilterForm::LeftOut;
    switch (field) {
    case F::Class_ID: return TFilterForm::ClassTree;
    case F::AttrCheck: return TFilterForm::AttrChecks;
    case F::Erase_Key:
        // The trash state is the record's: on the trash table alone the key is a plain column.
        return GetTableFieldSet(base).Contains(F::Conserve) ? TFilterForm::TrashState : TFilterForm::Plain;
    default: return TFilterForm::Plain;
    }
}

bool CanFilterField(TVktTable base, TVktField field) {
    return GetFilterForm(base, field) != TFilterForm::LeftOut;
}

std::string FilterBeginParam(TVktField field, int index) {
    return GetFieldName(field) + "_b" + platform::IntToStr(index);
}

std::string FilterEndParam(TVktField field, int index) {
    return GetFieldName(field) + "_e" + platform::IntToStr(index);
}

namespace {

// "%" + the value's text + "%"; dates in their stored (ISO) form.
std::string LikePattern(const Variant& value, FT type) {
    std::string text;
    if (value.GetKind() == Variant::Kind::DateTime && type == FT::Date)
        text = platform::ToIsoDate(value.AsDateTime());
    else if (value.GetKind() == Variant::Kind::DateTime && type == FT::DateTime)
        text = platform::ToIsoDateTime(value.AsDateTime());
    else
        text = ValueText(value);
    return "%" + text + "%";
}

// True when begin sorts after end; values that do not compare are taken as given.
bool IsBackwards(const Variant& begin, const Variant& end) {
    try {
        return begin.Compare(end) > 0;
    } catch (const platform::VariantError&) {
        return false;
    }
}

} // namespace

void SetFilterParams(const TFilterObject& filter, platform::Statement& statement, TVktTable base) {
    if (filter.GetKind() != 0) return;
    for (int i = 0; i < filter.GetCount(); ++i) {
        const TFilters& filters = filter.Filters(i);
        if (filters.GetCount() == 0) continue;
        const F field = filters.GetField();
        const FT type = GetFieldType(field);
        switch (GetFilterForm(base, field)) {
        case TFilterForm::LeftOut:
        case TFilterForm::TrashState:
            continue;
        case TFilterForm::ClassTree:
            statement.Bind(FilterBeginParam(field, 0), filters.GetFilter(0).GetBegin(), FT::Integer);
            continue;
        case TFilterForm::AttrChecks:
            for (int j = 0; j < filters.GetCount(); ++j) {
                statement.Bind(FilterBeginParam(field, j), filters.GetFilter(j).GetBegin(), FT::Integer);
                statement.Bind(FilterEndParam(field, j), filters.GetFilter(j).GetEnd(), FT::Boolean);
            }
            continue;
        case TFilterForm::Plain:
            break;
        }
        for (int j = 0; j < filters.GetCount(); ++j) {
            const TFilter& condition = filters.GetFilter(j);
            const std::string begin = FilterBeginParam(field, j);
            const std::string end = FilterEndParam(field, j);
            switch (condition.GetOperator()) {
            case foBetween:
            case foOutside:
                if (IsBackwards(condition.GetBegin(), condition.GetEnd())) {
                    statement.Bind(begin, condition.GetEnd(), type);
                    statement.Bind(end, condition.GetBegin(), type);
                } else {
                    statement.Bind(begin, condition.GetBegin(), type);
                    statement.Bind(end, condition.GetEnd(), type);
                }
                break;
            case foContains:
            case foNotContains:
                statement.BindText(begin, LikePattern(condition.GetBegin(), type));
                break;
            case foIsEmpty:
            case foIsNotEmpty:
                break;
            default:   // 0-3, and 8 or codes above 10 (written as equality)
                statement.Bind(begin, condition.GetBegin(), type);
                break;
            }
        }
    }
}

TFilters QuickToFilters(const TPriorityItem& items, const TPriorityItem& states) {
    TFilters filters(F::AttrCheck);
    for (int i = 0; i < items.GetCount(); ++i)
        filters.Add(foAttrCheck, Variant(items.GetItem(i)), Variant(states.GetItem(i) != 0));
    return filters;
}
