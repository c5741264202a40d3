#include "reports/Upreviewfieldlist.h"

#include "platform/FieldType.h"

namespace {

// Index of the column of a list id in `fields`; -1 when none.
int IndexOfId(const TPreviewFieldStruct& fields, int id)
{
    const TPriorityItem& names = fields.GetName();
    if (id > 0) return names.IndexOf(id);
    if (id == 0) return -1;
    int empty = 0;
    for (int i = 0; i < names.GetCount(); ++i)
        if (names.GetItem(i) == 0 && ++empty == -id) return i;
    return -1;
}

int ValueAt(const TPriorityItem& list, int index) { return index < list.GetCount() ? list.GetItem(index) : 0; }

void Append(TPreviewFieldStruct& fields, int name, int order, int width, int lineBreak)
{
    fields.GetName().Push(name);
    fields.GetOrder().Push(order);
    fields.GetWidth().Push(width);
    fields.GetReturn().Push(lineBreak);
}

} // namespace

TFieldStates StatesOfFields(const TPreviewFieldStruct& fields, bool allShown)
{
    TFieldStates states;
    int empty = 0;
    for (int i = 0; i < fields.GetName().GetCount(); ++i) {
        const int name = fields.GetName().GetItem(i);
        states.Ids.Push(name == 0 ? -++empty : name);
        states.States.Push(name == 0 || allShown ? 0 : ValueAt(fields.GetOrder(), i));
    }
    return states;
}

int EmptyColumnCount(const TPreviewFieldStruct& fields)
{
    int count = 0;
    for (int i = 0; i < fields.GetName().GetCount(); ++i)
        if (fields.GetName().GetItem(i) == 0) ++count;
    return count;
}

TPreviewFieldStruct FieldsOfStates(const TFieldStates& states, const TPreviewFieldStruct& stored)
{
    TPreviewFieldStruct fields;
    for (int i = 0; i < states.Ids.GetCount(); ++i) {
        const int id = states.Ids.GetItem(i);
        const int at = IndexOfId(stored, id);
        const int width = at < 0 ? kNewColumnWidth : ValueAt(stored.GetWidth(), at);
        const int lineBreak = at < 0 ? 0 : ValueAt(stored.GetReturn(), at);
        if (id < 0)
            Append(fields, 0, 0, width, lineBreak);
        else
            Append(fields, id, ValueAt(states.States, i), width, lineBreak);
    }
    return fields;
}

std::vector<int> SortingIds(const TFieldStates& states, bool emptyOnly)
{
    std::vector<int> ids;
    for (int i = 0; i < states.Ids.GetCount(); ++i) {
        const int id = states.Ids.GetItem(i);
        const int state = ValueAt(states.States, i);
        if ((state == 1 || state == 2) && (!emptyOnly || id < 0)) ids.push_back(id);
    }
    return ids;
}

TPreviewFieldStruct InsertEmptyColumn(TPreviewFieldStruct fields, int position)
{
    const int count = fields.GetName().GetCount();
    // Lists shorter than the names are padded first, so every list takes the insertion.
    for (TPriorityItem* list : {&fields.GetOrder(), &fields.GetWidth(), &fields.GetReturn()})
        if (list->GetCount() < count) list->SetCount(count);
    const int at = position >= 0 && position < count ? position : count;
    fields.GetName().Insert(at, 0);
    fields.GetOrder().Insert(at, 0);
    fields.GetWidth().Insert(at, kNewColumnWidth);
    fields.GetReturn().Insert(at, 0);
    return fields;
}

int ColumnOfId(const TFieldStates& states, int id) { return id == 0 ? -1 : states.Ids.IndexOf(id); }

bool ColumnValues(const TPreviewFieldStruct& fields, int id, int& width, int& lineBreak)
{
    const int at = IndexOfId(fields, id);
    width = at < 0 ? 0 : ValueAt(fields.GetWidth(), at);
    lineBreak = at < 0 ? 0 : ValueAt(fields.GetReturn(), at);
    return at >= 0;
}

namespace {

bool SetColumnItem(TPreviewFieldStruct& fields, TPriorityItem& list, int id, int value)
{
    const int at = IndexOfId(fields, id);
    if (at < 0 || ValueAt(list, at) == value) return false;
    if (list.GetCount() < fields.GetName().GetCount()) list.SetCount(fields.GetName().GetCount());
    list.SetItem(at, value);
    return true;
}

} // namespace

bool SetColumnWidth(TPreviewFieldStruct& fields, int id, int width)
{
    return SetColumnItem(fields, fields.GetWidth(), id, width);
}

bool SetColumnBreak(TPreviewFieldStruct& fields, int id, bool lineBreak)
{
    return SetColumnItem(fields, fields.GetReturn(), id, lineBreak ? 1 : 0);
}

TAccessFieldStruct AccessOfStates(const TFieldStates& states)
{
    TAccessFieldStruct access;
    for (int i = 0; i < states.Ids.GetCount(); ++i) {
        if (states.Ids.GetItem(i) == 0) continue;
        access.GetFields().Push(states.Ids.GetItem(i));
        access.GetOrders().Push(ValueAt(states.States, i) + 1);
    }
    return access;
}

TFieldStates StatesOfAccess(const TAccessFieldStruct& access)
{
    TFieldStates states;
    for (int i = 0; i < access.GetFields().GetCount(); ++i) {
        const int field = access.GetFields().GetItem(i);
        if (field == 0) continue;
        states.Ids.Push(field);
        states.States.Push(ValueAt(access.GetOrders(), i) - 1);
    }
    return states;
}

TSumChoices SumChoicesOf(const TPreviewFieldStruct& fields)
{
    TSumChoices choices;
    for (int id = 1; id < VktFieldCount; ++id) {
        if (fields.GetName().IndexOf(id) < 0) continue;
        if (GetFieldType(ToVktField(id)) == platform::FieldType::Currency)
            choices.SumFields.push_back(id);
        else
            choices.SumClasses.push_back(id);
    }
    return choices;
}

TDataListPreset DataListPreset(int index)
{
    struct Column {
        const char* name;   // nullptr: an empty column
        int width;
    };
    const auto build = [](std::initializer_list<Column> columns, const char* sumField, const char* sumClass,
                          const char* title) {
        TDataListPreset preset;
        bool first = true;
        for (const Column& column : columns) {
            const int id = column.name ? ToInt(FindFieldByName(column.name)) : 0;
            Append(preset.Fields, id, first ? 1 : 0, column.width, 0);
            first = false;
        }
        preset.SumField = sumField ? ToInt(FindFieldByName(sumField)) : 0;
        preset.SumClass = sumClass ? ToInt(FindFieldByName(sumClass)) : 0;
        preset.Title = title;
        return preset;
    };
    switch (index) {
    case 0:
        return build({{"Class", 350}, {"Form", 240}, {"Data", 400}, {"UseUnit", 240}, {"UsePrice", 250},
                      {"Company", 400}},
                     nullptr, nullptr, "食材リスト");
    case 1:
        return build({{"Class", 300}, {"Form", 230}, {"Data", 400}, {"UseUnit", 250}, {"InvPrice", 250},
                      {"Remained", 200}, {"InvTotalPrice", 250}},
                     "InvTotalPrice", "Class", "棚卸し表");
    case 2:
        return build({{"Class", 300}, {"Form", 230}, {"Data", 400}, {"UseUnit", 250}, {"InvPrice", 250},
                      {nullptr, 200}, {nullptr, 250}},
                     nullptr, nullptr, "棚卸し表");
    case 3:
        return build({{"Class", 320}, {"Data", 350}, {"BuyUnit", 250}, {nullptr, 100}, {nullptr, 100},
                      {nullptr, 100}, {nullptr, 100}, {nullptr, 100}, {nullptr, 100}, {nullptr, 100},
                      {nullptr, 250}},
                     nullptr, nullptr, "発注表");
    default:
        return {};
    }
}
