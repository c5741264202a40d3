#pragma once
// The filter model: TFilter (one condition), TFilters (the conditions on one field), TFilterObject
// (a named filter over several fields, or a unit-list filter) and TFilterObjects (the user filters
// of one database, with a change notice); the binding of a filter's values to the parameters of a
// prepared statement (SetFilterParams) and the quick attribute filter (QuickToFilters).
//
// Parameter names, shared with the SQL builder (Usqlwiz): condition i (from 0, within its field) of
// the field whose column name is F binds F + "_b" + i (begin value) and F + "_e" + i (end value).
//
// Filter XML (element / attributes / children), from the node the caller hands in:
//   (caller's node)  TFilterObjects::SaveToXML   -            one "Filter" per filter, list order
//   "Filter"         TFilterObject::SaveToXml    Name         one "Field" per entry with conditions
//   "Field"          TFilterObject / TFilters    Name         one "Logic" per condition
//   "Logic"          TFilters::SaveToXml         Type, Begin, End
// "Type" is the operator in decimal; "Begin" the begin value as text; "End" the end value as text
// for operators 4 and 5, else empty. Values of FrenchFields are written as upper-case hexadecimal
// of their UTF-8 bytes. The kind of a filter is not written.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Object.h"
#include "data/Vkttabledefine.h"
#include "platform/Variant.h"

class TPriorityItem;
namespace platform {
class StringList;
class Statement;
class XmlNode;
}

// Operator codes of a condition.
enum TFilterOperator : std::uint8_t {
    foEqual = 0,        // field = begin
    foNotEqual = 1,     // field <> begin
    foAtLeast = 2,      // field >= begin
    foAtMost = 3,       // field <= begin
    foBetween = 4,      // begin <= field <= end
    foOutside = 5,      // field < begin or field > end
    foContains = 6,     // begin occurs in the field's text
    foNotContains = 7,  // begin does not occur in the field's text
    foAttrCheck = 8,    // the check of attribute item begin equals end (field AttrCheck)
    foIsEmpty = 9,      // field is null
    foIsNotEmpty = 10,  // field is not null
};

// One condition: an operator and its begin and end values (new: operator 0, both unassigned).
class TFilter {
public:
    TFilter() = default;
    TFilter(std::uint8_t op, platform::Variant begin, platform::Variant end);

    std::uint8_t GetOperator() const { return operator_; }
    const platform::Variant& GetBegin() const { return begin_; }
    const platform::Variant& GetEnd() const { return end_; }

    // Same operator and both values equal under variant equality.
    bool Equal(std::uint8_t op, const platform::Variant& begin, const platform::Variant& end) const;
    bool operator==(const TFilter& other) const { return Equal(other.operator_, other.begin_, other.end_); }

private:
    std::uint8_t operator_ = foEqual;
    platform::Variant begin_;
    platform::Variant end_;
};

// One piece of a filter description: a text and whether it is drawn in the Latin (Western)
// character set. The screens draw the pieces in order, advancing x by each piece's width.
struct TFilterTextPiece {
    std::string Text;
    bool Latin = false;
    bool operator==(const TFilterTextPiece&) const = default;
};

// The conditions on one field, in the order of addition (the order gives the parameter numbers).
class TFilters {
public:
    TFilters() = default;
    explicit TFilters(TVktField field) : field_(field) {}
    TFilters(const TFilters& source) = default;
    TFilters(TFilters&& source) noexcept = default;
    TFilters& operator=(const TFilters& source);
    TFilters& operator=(TFilters&& source) noexcept = default;
    virtual ~TFilters() = default;

    // Same field, same count and condition i equal to condition i for every i.
    bool operator==(const TFilters& other) const;
    bool operator!=(const TFilters& other) const { return !(*this == other); }

    TVktField GetField() const { return field_; }
    void SetField(TVktField field) { field_ = field; }
    int GetCount() const { return static_cast<int>(conditions_.size()); }

    void Add(std::uint8_t op, const platform::Variant& begin, const platform::Variant& end);
    // Deletes every condition and sets the field to None.
    void Clear();

    // Condition i; an index outside 0 .. count-1 raises platform::ListIndexError.
    std::uint8_t GetOperator(int index) const;
    platform::Variant GetBegin(int index) const;
    platform::Variant GetEnd(int index) const;
    const TFilter& GetFilter(int index) const;

    // Reads a "Field" element: Clear, field = FindFieldByName of its "Name", one condition per child
    // element. A name that names no field leaves the entry empty with field None. Values take the
    // field's type; a text that does not convert raises platform::ConvertError.
    void LoadFromXml(const platform::XmlNode& node);
    // Adds one "Logic" child per condition (the node's "Name" is the owner's business).
    void SaveToXml(platform::XmlNode node) const;

    // The description of the conditions, in drawing order: for each condition "'", begin, "'",
    // the operator's phrase (for 4 and 5 followed by "'", end, "'", " までを含む" / " までを含まない"),
    // and "か または " between conditions. Values of FrenchFields are Latin pieces. With `values`
    // given (objects carrying ids), the begin value is shown as the text whose id equals it.
    std::vector<TFilterTextPiece> GetTextPieces(const platform::StringList* values = nullptr) const;

private:
    TVktField field_ = TVktField::None;
    std::vector<TFilter> conditions_;
};

// A whole filter: at most one TFilters entry per field, a name and a kind (0 conditions, 1..6
// unit-list filters). Equality ignores the order of the entries, not the order of conditions.
class TFilterObject {
public:
    TFilterObject() = default;
    TFilterObject(const TFilterObject& source) = default;
    TFilterObject(TFilterObject&& source) noexcept = default;
    // Nothing happens when the source equals this filter (an equal filter keeps its entry order).
    TFilterObject& operator=(const TFilterObject& source);
    TFilterObject& operator=(TFilterObject&& source) noexcept = default;
    virtual ~TFilterObject() = default;

    bool operator==(const TFilterObject& other) const;
    bool operator!=(const TFilterObject& other) const { return !(*this == other); }

    const std::string& GetName() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    int GetKind() const { return kind_; }
    void SetKind(int kind) { kind_ = kind; }

    int GetCount() const { return static_cast<int>(entries_.size()); }
    // Index of the field's entry; -1 when it has none.
    int IndexOf(TVktField field) const;
    // Appends a condition to the field's entry, creating the entry at the end when absent.
    void Add(TVktField field, std::uint8_t op, const platform::Variant& begin, const platform::Variant& end);
    // Replaces the entry of filters' field by a copy of it (appended when absent).
    void SetFilters(const TFilters& filters);
    // Deletes the field's entry; nothing when there is none.
    void Remove(TVktField field);
    // A copy of entry i; an index outside the list raises platform::ListIndexError.
    TFilters GetFilters(int index) const;
    // Entry i without a copy; same index rule.
    const TFilters& Filters(int index) const;
    // Deletes every entry; name and kind stay.
    void Clear();

    // The description of entry i (TFilters::GetTextPieces); empty for an index outside the list.
    std::vector<TFilterTextPiece> GetTextPieces(int index, const platform::StringList* values = nullptr) const;
    // The same pieces joined into one text.
    std::string GetText(int index, const platform::StringList* values = nullptr) const;

    // Reads a "Filter" element: Clear, Name, one entry per child element; children whose "Name"
    // names no column (unknown, or "None") are skipped. The kind is left unchanged.
    void LoadFromXml(const platform::XmlNode& node);
    // Sets "Name" and adds a "Field" child per entry that has at least one condition.
    void SaveToXml(platform::XmlNode node) const;

private:
    std::vector<TFilters> entries_;
    std::string name_;
    int kind_ = 0;
};

// The named user filters of one database. OnChange (sender: this list) fires after SetItem (only
// when something changed), Move, Delete, AddNew and once at the end of LoadFromXML; never while
// loading or being destroyed.
class TFilterObjects : public TObject {
public:
    TFilterObjects() = default;
    ~TFilterObjects() override;
    TFilterObjects(const TFilterObjects&) = delete;
    TFilterObjects& operator=(const TFilterObjects&) = delete;

    std::function<void(TObject* Sender)> OnChange;

    int GetCount() const { return static_cast<int>(items_.size()); }
    // The filter at `index` (not a copy); an index outside the list raises platform::ListIndexError.
    TFilterObject& Get(int index);
    const TFilterObject& Get(int index) const;
    TFilterObject GetItem(int index) const;
    // Assigns the filter to index and fires when it differs; nothing when they are equal.
    void SetItem(int index, const TFilterObject& filter);
    void Move(int fromIndex, int toIndex);
    void Delete(int index);
    // Deletes the filters from the last to the first, each through Delete.
    void Clear();

    // "新規ユーザーフィルター" followed by the first number from 1 that no filter's name uses.
    std::string NewName() const;
    // Appends an empty filter (kind 0) named NewName.
    void AddNew();

    // Clear, then one filter per child element of `node` (a null node reads nothing), then one
    // change notice. A conversion error propagates; the filters read so far stay.
    void LoadFromXML(const platform::XmlNode& node);
    // One "Filter" child per filter, in list order.
    void SaveToXML(platform::XmlNode node) const;

protected:
    void DoChange();

private:
    void CheckIndex(int index) const;

    std::vector<std::unique_ptr<TFilterObject>> items_;
    bool destroying_ = false;
    bool loading_ = false;
};

// Whether the select builder reaches the field's column from the base table: a field of the
// base's field set (GetTableFieldSet) whose table is the base itself or one the builder joins to
// it (never the units table but through a unit view, nor the settings but on their own table).
bool CanListField(TVktTable base, TVktField field);

// How the select builder writes the conditions on a field over a base table; the parameter binding
// follows the same form, so the binder binds exactly what the statement names.
enum class TFilterForm {
    LeftOut,      // the base cannot reach the field: no condition, no parameter
    Plain,        // the operators on the field's column or expression: F_b i, F_e i by operator
    ClassTree,    // Class_ID: the class's subtree (TreeID prefix); its first condition's F_b0
    TrashState,   // Erase_Key where the record is reached: live or trashed; no parameter
    AttrChecks,   // AttrCheck: every condition's item (F_b i) checked as F_e i
};
TFilterForm GetFilterForm(TVktTable base, TVktField field);
// Whether the builder puts a condition on the field over the base (its form is not LeftOut).
bool CanFilterField(TVktTable base, TVktField field);

// Names of the parameters of condition `index` (from 0, within its field) of `field`: the column name
// + "_b" + index for the begin value, + "_e" + index for the end value (Data_b0, BuyPrice_e1).
std::string FilterBeginParam(TVktField field, int index);
std::string FilterEndParam(TVktField field, int index);

// Binds the values of a filter of kind 0 to the named parameters of a statement prepared from the
// text VktSQLString built for the same base table and filter (see Usqlwiz.h for the texts). Per
// condition i of a field F in the Plain form, by operator: 0-3 F_b i = begin; 4, 5 the smaller
// value to F_b i and the larger to F_e i; 6, 7 F_b i = "%" + begin as text + "%"; 9, 10 nothing.
// The other forms (GetFilterForm) bind what their statement text names; a field left out on the
// base binds nothing. Values are bound as the field's type stores them (dates as ISO text).
// Other kinds bind nothing. A name the statement lacks raises platform::DatabaseError.
void SetFilterParams(const TFilterObject& filter, platform::Statement& statement, TVktTable base);

// The quick attribute filter: TFilters on AttrCheck with one operator-8 condition per position,
// begin = items[i] (integer), end = states[i] != 0 (boolean). The lists have the same length.
TFilters QuickToFilters(const TPriorityItem& items, const TPriorityItem& states);
