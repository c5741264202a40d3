#pragma once
// The field lists of the report property pages without their widgets: the states of a field
// list (ids in display order, each with a state) turned into report columns and back, the access
// list of a database container, the sum choices and the data list's presets.
//
// In a list, field k stands as id k; the n-th empty column (field 0) as id -n. A column's order
// is its list state: 0 shown, 1 ascending, 2 descending. An access list's order code is 1
// ascending, 2 descending.
#include "core/Priorityitem.h"
#include "data/Uviewfieldstruct.h"

#include <string>
#include <vector>

// Width of a newly shown or inserted column, 1/10 mm.
inline constexpr int kNewColumnWidth = 300;

// Ids and states of the listed items, in display order.
struct TFieldStates {
    TPriorityItem Ids;
    TPriorityItem States;
    bool operator==(const TFieldStates& other) const { return Ids == other.Ids && States == other.States; }
};

// The list states of the columns: field ids with their orders, the n-th empty column as -n with
// state 0. `allShown` gives every column state 0.
TFieldStates StatesOfFields(const TPreviewFieldStruct& fields, bool allShown = false);
// How many empty columns the columns have.
int EmptyColumnCount(const TPreviewFieldStruct& fields);

// The columns of the list states: each takes its width and line break from `stored` (a field from
// its entry of the same id, the n-th empty column from the n-th empty entry), a column found
// nowhere kNewColumnWidth and no break. Empty columns become field 0 with order 0.
TPreviewFieldStruct FieldsOfStates(const TFieldStates& states, const TPreviewFieldStruct& stored);

// The ids among the states whose state sorts (1 or 2): every such id, or only empty columns'.
std::vector<int> SortingIds(const TFieldStates& states, bool emptyOnly);

// The columns with an empty column inserted before `position`; a position outside the columns
// appends it after the last one.
TPreviewFieldStruct InsertEmptyColumn(TPreviewFieldStruct fields, int position);

// Index of the column of a list id among the states; -1 when it is not listed.
int ColumnOfId(const TFieldStates& states, int id);

// Width and break of the column of a list id (the n-th empty column for -n); false when absent.
bool ColumnValues(const TPreviewFieldStruct& fields, int id, int& width, int& lineBreak);
// Set the column's width or break; false (nothing done) when it is absent or has the value.
bool SetColumnWidth(TPreviewFieldStruct& fields, int id, int width);
bool SetColumnBreak(TPreviewFieldStruct& fields, int id, bool lineBreak);

// The access list of the states: every listed field (id != 0) with order code state + 1; and
// back, the list states of an access list.
TAccessFieldStruct AccessOfStates(const TFieldStates& states);
TFieldStates StatesOfAccess(const TAccessFieldStruct& access);

// The fields 1..102 standing in the columns, in id order: currency fields as sum fields, the
// others as sum classes.
struct TSumChoices {
    std::vector<int> SumFields;
    std::vector<int> SumClasses;
};
TSumChoices SumChoicesOf(const TPreviewFieldStruct& fields);

// A preset column set of the data list.
struct TDataListPreset {
    TPreviewFieldStruct Fields;
    int SumField = 0;
    int SumClass = 0;
    std::string Title;
};
inline constexpr int kDataListPresetCount = 4;
// Presets 0 to 3 ("食材リスト", "棚卸し表", "棚卸し表（書き込み用）", "発注表"); empty outside.
TDataListPreset DataListPreset(int index);
