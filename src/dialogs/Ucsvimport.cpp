#include "dialogs/Ucsvimport.h"

#include "data/Ufilterstruct.h"
#include "data/Uvktdbstruct.h"
#include "data/Vkttabledefine.h"
#include "database/Mvktfunctor.h"
#include "database/Uvktobject.h"
#include "platform/Codec.h"
#include "platform/Errors.h"
#include "platform/NumberText.h"
#include "platform/Text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <unordered_set>

namespace {

using F = TVktField;

const char* const kBlankMessage = "空白の項目があります。空白の項目は許可されません。";
const char* const kPriceMessage = "単価項目に異常な値が含まれています。";
const char* const kNumberMessage = "数値項目に異常な値が含まれています。";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The length of a minus sign ("-", "－" U+FF0D, "−" U+2212) at `pos`; 0 when there is none.
std::size_t MinusAt(std::string_view text, std::size_t pos)
{
    if (text[pos] == '-') return 1;
    const std::string_view rest = text.substr(pos, 3);
    return rest == "\xEF\xBC\x8D" || rest == "\xE2\x88\x92" ? 3 : 0;
}

std::size_t Index(int value) { return static_cast<std::size_t>(value); }

// Runs an accessor's query with `filter`.
void Query(TVktAccesser& accesser, const TFilterObject& filter)
{
    if (filter.GetKind() != 0 || filter.GetCount() > 0) {
        accesser.BeginUpdate();
        accesser.SetFilter(filter);
        accesser.EndUpdate();
    }
    if (!accesser.GetListed() || (filter.GetKind() == 0 && filter.GetCount() == 0)) accesser.Refresh();
}

struct ClassRow {
    int Id = 0;
    TTreeIndex Tree;
    std::string Name;
};

// The class rows of a class type (ctRoot: all), in TreeID order.
std::vector<ClassRow> ClassRows(TVktObject& object, int classType)
{
    TVDBClass reader(&object);
    TFilterObject filter;
    if (classType != ctRoot) filter.Add(F::ClassType, foEqual, classType, {});
    Query(reader, filter);
    std::vector<ClassRow> rows;
    for (int row = 0; row < reader.GetRowCount(); ++row) {
        reader.SetRowIndex(row);
        rows.push_back({reader.GetClassID(), reader.GetTreeID(), reader.GetClass()});
    }
    return rows;
}

std::string PathName(const std::vector<ClassRow>& rows, const ClassRow& leaf)
{
    std::unordered_map<std::string, const std::string*> names;
    for (const ClassRow& row : rows) names.emplace(row.Tree.GetPath(), &row.Name);
    std::string name = leaf.Name;
    for (TTreeIndex key = leaf.Tree; key.Depth() > 2;) {
        key = key.GetParent();
        const auto it = names.find(key.GetPath());
        name = (it == names.end() ? std::string() : *it->second) + "/" + name;
    }
    return name;
}

// Writes the general format of a number over `out`; whole numbers below 10^15 (most cells)
// without the exact decimal expansion, with the same result.
void AssignNumberText(std::string& out, double value)
{
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, static_cast<long long>(value)).ptr;
        out.assign(digits, static_cast<std::size_t>(end - digits));
        return;
    }
    out = platform::FloatToStr(value);
}

} // namespace

TCsvNameKind NameKindOf(int field)
{
    switch (static_cast<F>(field)) {
    case F::Class_Key: return TCsvNameKind::Class;
    case F::Form_Key: return TCsvNameKind::Form;
    case F::UseUnit_Key:
    case F::BuyUnit_Key: return TCsvNameKind::Unit;
    case F::Dealer_Key: return TCsvNameKind::Dealer;
    default: return TCsvNameKind::None;
    }
}

bool IsPriceField(int field)
{
    const F f = static_cast<F>(field);
    return f == F::UsePrice || f == F::BuyPrice || f == F::TotalPrice || f == F::SalePrice;
}

bool IsNumericField(int field)
{
    const F f = static_cast<F>(field);
    return IsPriceField(field) || f == F::Quantity || f == F::Yield || f == F::Complete;
}

std::optional<double> ToNumber(std::string_view text)
{
    // Bytes of other characters are never ASCII (UTF-8), so digits and signs are found bytewise.
    // The digits and points kept are never more than the text's bytes: a short text keeps them on
    // the stack.
    char buffer[64];
    std::string longer;
    char* kept = buffer;
    if (text.size() > sizeof buffer) {
        longer.resize(text.size());
        kept = longer.data();
    }
    std::size_t length = 0;
    bool negative = false;
    bool seenDigit = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            kept[length++] = c;
            seenDigit = true;
        } else if (c == '.') {
            kept[length++] = '.';
        } else if (const std::size_t minus = MinusAt(text, i); minus > 0) {
            negative = negative || !seenDigit;
            i += minus - 1;
        } else if (c == ',' && i > 0 && IsDigit(text[i - 1]) && i + 1 < text.size() && IsDigit(text[i + 1])) {
            // A thousands separator: exactly three digits follow.
            std::size_t digits = 0;
            while (i + 1 + digits < text.size() && IsDigit(text[i + 1 + digits])) ++digits;
            if (digits != 3) return std::nullopt;
        }
    }
    if (!seenDigit) return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(kept, kept + length, value);
    if (ec != std::errc() || end != kept + length || !std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

TCsvCheck CheckGrid(const TCsvGrid& grid, const TPriorityItem& fields, int perLine, int family)
{
    const int n = fields.GetCount();
    if (n == 0 || perLine < 1 || CountedColumns(grid, n * perLine) != n * perLine) return {kBlankMessage, -1, -1};
    auto at = [&](F field) { return fields.IndexOf(static_cast<int>(field)); };
    enum class Kind { Text, Number, Price };
    std::vector<Kind> kinds(Index(n));
    for (int i = 0; i < n; ++i) {
        const int field = fields.GetItem(i);
        kinds[Index(i)] = IsPriceField(field) ? Kind::Price : IsNumericField(field) ? Kind::Number : Kind::Text;
    }
    const int use = at(F::UsePrice), buy = at(F::BuyPrice), quantity = at(F::Quantity), yield = at(F::Yield);
    const int total = at(F::TotalPrice), complete = at(F::Complete);
    std::vector<std::optional<double>> values(Index(n));
    for (int row = grid.GetFixedRows(); row < grid.GetRowCount(); ++row) {
        for (int record = 0; record < perLine; ++record) {
            std::fill(values.begin(), values.end(), std::nullopt);
            for (int i = 0; i < n; ++i) {
                const int col = record * n + i;
                const std::string& text = grid.GetCell(col, row);
                if (IsBlankCell(text)) return {kBlankMessage, col, row};
                const Kind kind = kinds[Index(i)];
                if (kind == Kind::Text) continue;
                const std::optional<double> value = ToNumber(text);
                if (!value || *value < 0 || (kind == Kind::Price && *value > kCsvPriceLimit))
                    return {kind == Kind::Price ? kPriceMessage : kNumberMessage, col, row};
                values[Index(i)] = value;
            }
            // The use price the insert derives, through the insert's own rules.
            auto given = [&](int index) { return index < 0 ? std::nullopt : values[Index(index)]; };
            int source = -1;
            std::optional<double> derived;
            try {
                if (family == ToInt(TVktObjKind::Food)) {
                    source = buy >= 0 ? buy : use;
                    derived =
                        InsertFoodPrices(given(use), given(buy), given(quantity), given(yield)).UsePrice.ToDouble();
                } else if (family == ToInt(TVktObjKind::Cook) || family == ToInt(TVktObjKind::Menu)) {
                    source = total;
                    derived = InsertCookPrices(given(complete), given(total)).UsePrice.ToDouble();
                }
            } catch (const platform::ConvertError&) {
                derived = std::numeric_limits<double>::infinity();
            }
            if (source >= 0 && derived && *derived > kCsvPriceLimit) return {kPriceMessage, record * n + source, row};
        }
    }
    return {};
}

int CountedColumns(const TCsvGrid& grid, int wanted)
{
    int count = grid.GetColCount();
    auto blankColumn = [&](int col) {
        for (int row = grid.GetFixedRows(); row < grid.GetRowCount(); ++row)
            if (!IsBlankCell(grid.GetCell(col, row))) return false;
        return true;
    };
    while (count > std::max(wanted, 0) && blankColumn(count - 1)) --count;
    return count;
}

std::string ColumnCountMessage(const TCsvGrid& grid, int wanted)
{
    const std::string count = std::to_string(wanted);
    const int counted = CountedColumns(grid, wanted);
    if (counted < wanted) return "列の数が項目の数（" + count + "）より少なくなっています。";
    if (counted == wanted) return {};
    int first = grid.GetFixedRows();
    for (int row = grid.GetFixedRows(); row < grid.GetRowCount(); ++row) {
        bool beyond = false;
        for (int col = wanted; col < counted && !beyond; ++col) beyond = !IsBlankCell(grid.GetCell(col, row));
        if (beyond) {
            first = row;
            break;
        }
    }
    return std::to_string(first) + "行目: 列の数が項目の数（" + count + "）を超えています。";
}

void FitColumns(TCsvGrid& grid, int wanted)
{
    wanted = std::max(wanted, 1);
    if (grid.GetColCount() < wanted) {
        grid.SetColCount(wanted);
        return;
    }
    grid.SetColCount(CountedColumns(grid, wanted));
}

std::vector<std::string> CollectNames(const TCsvGrid& grid, const TPriorityItem& fields, int perLine,
                                      TCsvNameKind kind)
{
    const int n = fields.GetCount();
    std::vector<int> columns;
    for (int k = 0; k < perLine; ++k)
        for (int i = 0; i < n; ++i)
            if (NameKindOf(fields.GetItem(i)) == kind) columns.push_back(k * n + i);
    std::unordered_set<std::string_view> seen;
    for (int row = grid.GetFixedRows(); row < grid.GetRowCount(); ++row)
        for (int col : columns) seen.insert(grid.GetCell(col, row));
    std::vector<std::string> names(seen.begin(), seen.end());
    std::sort(names.begin(), names.end());
    return names;
}

// --- TCsvNameMap ---

void TCsvNameMap::ClearUnknownItems()
{
    unknown_.clear();
    map_.clear();
}

void TCsvNameMap::AddUnknownItem(const std::string& name)
{
    unknown_.push_back(name);
    map_[name] = 0;
}

void TCsvNameMap::DeleteUnknownItem(int index)
{
    if (index < 0 || Index(index) >= unknown_.size()) return;
    map_.erase(unknown_[Index(index)]);
    unknown_.erase(unknown_.begin() + index);
}

void TCsvNameMap::ClearItems()
{
    items_.clear();
    byName_.clear();
    byId_.clear();
}

void TCsvNameMap::AddItem(int id, const std::string& name, const std::string& alias)
{
    items_.push_back({id, name, {}});
    byName_.emplace(name, id);
    byId_.emplace(id, items_.size() - 1);
    if (!alias.empty()) map_[alias] = id;
}

int TCsvNameMap::GetItemID(const std::string& name) const
{
    if (const auto it = map_.find(name); it != map_.end()) return it->second;
    if (const auto it = byName_.find(name); it != byName_.end()) return it->second;
    return 0;
}

const std::string& TCsvNameMap::GetItemName(int id) const
{
    static const std::string none;
    const auto it = byId_.find(id);
    return it == byId_.end() ? none : items_[it->second].Name;
}

bool TCsvNameMap::SetItem(int unknown, int item)
{
    if (unknown < 0 || Index(unknown) >= unknown_.size() || item < 0 || Index(item) >= items_.size()) return false;
    const std::string name = unknown_[Index(unknown)];
    items_[Index(item)].Mapped.push_back(name);
    map_[name] = items_[Index(item)].Id;
    unknown_.erase(unknown_.begin() + unknown);
    return true;
}

void TCsvNameMap::ResetItem(int item)
{
    if (item < 0 || Index(item) >= items_.size()) return;
    for (const std::string& name : items_[Index(item)].Mapped) AddUnknownItem(name);
    items_[Index(item)].Mapped.clear();
}

bool TCsvNameMap::IsComplete() const
{
    return std::all_of(map_.begin(), map_.end(), [](const auto& entry) { return entry.second != 0; });
}

// --- the database side ---

std::vector<TCsvNameMap::Item> RegisteredItems(TVktObject& object, TCsvNameKind kind, int family)
{
    std::vector<TCsvNameMap::Item> items;
    const int type = FamilyClassType(family);
    switch (kind) {
    case TCsvNameKind::Class: {
        const std::vector<ClassRow> rows = ClassRows(object, type);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const std::string& path = rows[i].Tree.GetPath();
            const bool parent = i + 1 < rows.size() && rows[i + 1].Tree.GetPath().size() > path.size() &&
                                rows[i + 1].Tree.GetPath().compare(0, path.size(), path) == 0;
            if (!parent) items.push_back({rows[i].Id, PathName(rows, rows[i]), {}});
        }
        break;
    }
    case TCsvNameKind::Form:
    case TCsvNameKind::Unit: {
        TVDBUnits reader(&object);
        TFilterObject filter;
        filter.SetKind(kind == TCsvNameKind::Form ? type : type + 3);
        Query(reader, filter);
        for (int row = 0; row < reader.GetRowCount(); ++row) {
            reader.SetRowIndex(row);
            items.push_back({reader.GetUnitsID(), reader.GetUnits(), {}});
        }
        break;
    }
    case TCsvNameKind::Dealer: {
        TVDBDealer reader(&object);
        Query(reader, TFilterObject());
        for (int row = 0; row < reader.GetRowCount(); ++row) {
            reader.SetRowIndex(row);
            items.push_back({reader.GetDealerID(), reader.GetCompany(), {}});
        }
        break;
    }
    case TCsvNameKind::None: break;
    }
    return items;
}

std::string ClassPathName(TVktObject& object, int classId)
{
    const std::vector<ClassRow> rows = ClassRows(object, 0);
    const auto it = std::find_if(rows.begin(), rows.end(), [&](const ClassRow& row) { return row.Id == classId; });
    return it == rows.end() ? std::string() : PathName(rows, *it);
}

bool PrepareNameMap(TCsvNameMap& map, const std::vector<TCsvNameMap::Item>& registered,
                    const std::vector<std::string>& names)
{
    map.ClearItems();
    std::unordered_set<std::string> known;
    for (const TCsvNameMap::Item& item : registered) {
        map.AddItem(item.Id, item.Name);
        known.insert(item.Name);
    }
    map.ClearUnknownItems();
    for (const std::string& name : names)
        if (!known.count(name)) map.AddUnknownItem(name);
    return !map.GetUnknownItems().empty();
}

int CreateItem(TVktObject& object, TCsvNameMap& map, TCsvNameKind kind, int family, int unknown)
{
    if (unknown < 0 || Index(unknown) >= map.GetUnknownItems().size()) return 0;
    const std::string text = map.GetUnknownItems()[Index(unknown)];
    const auto type = static_cast<std::int8_t>(FamilyClassType(family));
    int id = 0;
    std::string name = text;
    switch (kind) {
    case TCsvNameKind::Class: {
        const std::vector<ClassRow> rows = ClassRows(object, type);
        const auto parent =
            std::find_if(rows.begin(), rows.end(), [](const ClassRow& row) { return row.Tree.Depth() == 2; });
        if (parent == rows.end()) return 0;
        id = object.AddClass(parent->Id, text);
        if (id != 0) name = ClassPathName(object, id);
        break;
    }
    case TCsvNameKind::Form: id = object.AddForm(type, text); break;
    case TCsvNameKind::Unit: id = object.AddUnit(type, text); break;
    case TCsvNameKind::Dealer: id = object.AddDealer(text); break;
    case TCsvNameKind::None: break;
    }
    if (id == 0) return 0;
    map.DeleteUnknownItem(unknown);
    map.AddItem(id, name, kind == TCsvNameKind::Class ? text : std::string());
    return id;
}

void BuildCompleteGrid(TCsvCompleteGrid& complete, const TCsvGrid& grid, const TPriorityItem& fields, int perLine,
                       const std::vector<std::string>& captions, const std::array<const TCsvNameMap*, 4>& maps)
{
    const int n = std::max(fields.GetCount(), 1);
    const int dataRows = grid.GetRowCount() - grid.GetFixedRows();
    // The cells of a grid built before are written over: their strings keep their room.
    complete.Grid.SetColCount(n);
    complete.Grid.SetRowCount(1 + perLine * dataRows);
    complete.Grid.SetFixedRows(1);
    complete.Ids.assign(Index(complete.Grid.GetRowCount()) * Index(n), 0);
    for (int i = 0; i < n; ++i) complete.Grid.CellAt(i, 0) = Index(i) < captions.size() ? captions[Index(i)] : std::string();
    if (fields.GetCount() == 0)
        for (int row = 1; row < complete.Grid.GetRowCount(); ++row) complete.Grid.CellAt(0, row).clear();
    // What each field's cells become, decided once.
    struct Column {
        TCsvNameKind Kind = TCsvNameKind::None;
        bool Numeric = false;
        int Size = 0;
    };
    std::vector<Column> columns;
    for (int i = 0; i < fields.GetCount(); ++i) {
        const int field = fields.GetItem(i);
        columns.push_back({NameKindOf(field), IsNumericField(field), GetFieldSize(static_cast<F>(field))});
    }
    // A kind's distinct cell texts looked up once: the id and the registered name shown for it.
    struct Resolved {
        int Id = 0;
        const std::string* Name = nullptr;
    };
    std::array<std::unordered_map<std::string_view, Resolved>, 4> resolved;
    int out = 1;
    for (int row = grid.GetFixedRows(); row < grid.GetRowCount(); ++row) {
        for (int k = 0; k < perLine; ++k, ++out) {
            for (std::size_t i = 0; i < columns.size(); ++i) {
                const Column& column = columns[i];
                const std::string& text = grid.GetCell(k * n + static_cast<int>(i), row);
                std::string& shown = complete.Grid.CellAt(static_cast<int>(i), out);
                if (column.Kind != TCsvNameKind::None) {
                    const auto kind = static_cast<std::size_t>(column.Kind);
                    const TCsvNameMap* map = maps[kind];
                    if (!map) {
                        complete.Ids[Index(out) * Index(n) + i] = 0;
                        shown.clear();
                        continue;
                    }
                    const auto [it, added] = resolved[kind].try_emplace(text);
                    if (added) {
                        const int id = map->GetItemID(text);
                        it->second = {id, &map->GetItemName(id)};
                    }
                    complete.Ids[Index(out) * Index(n) + i] = it->second.Id;
                    shown = *it->second.Name;
                } else if (column.Numeric) {
                    const std::optional<double> value = ToNumber(text);
                    if (value) AssignNumberText(shown, *value);
                    else shown.clear();
                } else {
                    shown.assign(column.Size > 0 ? platform::SjisTruncate(text, Index(column.Size))
                                                 : std::string_view(text));
                }
            }
        }
    }
}

TCsvCompleteGrid BuildCompleteGrid(const TCsvGrid& grid, const TPriorityItem& fields, int perLine,
                                   const std::vector<std::string>& captions,
                                   const std::array<const TCsvNameMap*, 4>& maps)
{
    TCsvCompleteGrid complete;
    BuildCompleteGrid(complete, grid, fields, perLine, captions, maps);
    return complete;
}

std::string ImportText(const TCsvCompleteGrid& complete, const TPriorityItem& fields)
{
    const int n = fields.GetCount();
    std::vector<bool> names(Index(n));
    for (int i = 0; i < n; ++i) names[Index(i)] = NameKindOf(fields.GetItem(i)) != TCsvNameKind::None;
    std::string text;
    text.reserve(Index(complete.GetDataCount()) * Index(n) * 12);
    for (int row = 1; row < complete.Grid.GetRowCount(); ++row) {
        if (n == 1 && !names[0] && complete.Grid.GetCell(0, row).empty()) {
            text += "\"\"\r\n";   // a line of one empty item, as comma text writes it
            continue;
        }
        for (int i = 0; i < n; ++i) {
            if (i > 0) text += ',';
            if (names[Index(i)]) {
                char digits[12];
                const char* end = std::to_chars(digits, digits + sizeof digits, complete.GetId(i, row)).ptr;
                text.append(digits, static_cast<std::size_t>(end - digits));
            } else {
                platform::AppendCommaItem(text, complete.Grid.GetCell(i, row));
            }
        }
        text += "\r\n";
    }
    return text;
}
