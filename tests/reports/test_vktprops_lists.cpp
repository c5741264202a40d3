// The field-list model of the report pages: columns to list states and back with empty columns
// and their own widths, new columns, inserted empty columns, access lists, sum choices and the
// data list presets.
#include "reports/Upreviewfieldlist.h"

#include <gtest/gtest.h>

#include <array>

#include <string>

namespace {

using F = TVktField;

// Columns of {name, order, width, break}.
TPreviewFieldStruct Columns(std::initializer_list<std::array<int, 4>> columns)
{
    TPreviewFieldStruct fields;
    for (const auto& c : columns) {
        fields.GetName() << c[0];
        fields.GetOrder() << c[1];
        fields.GetWidth() << c[2];
        fields.GetReturn() << c[3];
    }
    return fields;
}

std::string Text(const TPreviewFieldStruct& f)
{
    return f.GetName().GetCommaText() + "|" + f.GetOrder().GetCommaText() + "|" + f.GetWidth().GetCommaText() + "|" +
           f.GetReturn().GetCommaText();
}

TFieldStates States(std::initializer_list<std::pair<int, int>> pairs)
{
    TFieldStates states;
    for (auto [id, state] : pairs) {
        states.Ids << id;
        states.States << state;
    }
    return states;
}

const int kName = ToInt(F::Data);
const int kPrice = ToInt(F::BuyPrice);
const int kClass = ToInt(F::Class);

TEST(VktFieldListModel, ColumnsThroughListStates)
{
    const TPreviewFieldStruct stored =
        Columns({{kName, 1, 400, 0}, {0, 0, 120, 0}, {kPrice, 2, 250, 1}, {0, 0, 80, 1}});
    const TFieldStates states = StatesOfFields(stored);
    EXPECT_EQ(states.Ids.GetCommaText(), std::to_string(kName) + ",-1," + std::to_string(kPrice) + ",-2");
    EXPECT_EQ(states.States.GetCommaText(), "1,0,2,0");
    EXPECT_EQ(StatesOfFields(stored, true).States.GetCommaText(), "0,0,0,0");
    EXPECT_EQ(EmptyColumnCount(stored), 2);

    struct Case {
        const char* what;
        TFieldStates states;
        std::string expected;
    };
    const std::string n = std::to_string(kName), p = std::to_string(kPrice), c = std::to_string(kClass);
    const Case cases[] = {
        {"unchanged", states, Text(stored)},
        {"empty columns swapped keep the n-th widths by position", States({{-1, 0}, {kName, 1}, {-2, 0}}),
         "0," + n + ",0|0,1,0|120,400,80|0,0,1"},
        {"a new field gets the new-column width", States({{kName, 0}, {kClass, 0}}),
         n + "," + c + "|0,0|400,300|0,0"},
        {"a hidden field is dropped", States({{kPrice, 2}}), p + "|2|250|1"},
        {"an empty column with a state is written unsorted", States({{-1, 1}}), "0|0|120|0"},
        {"a third empty column is new", States({{-3, 0}}), "0|0|300|0"},
    };
    for (const Case& cs : cases) EXPECT_EQ(Text(FieldsOfStates(cs.states, stored)), cs.expected) << cs.what;

    EXPECT_EQ(SortingIds(States({{kName, 1}, {-1, 2}, {kPrice, 0}, {-2, 1}}), true), (std::vector<int>{-1, -2}));
    EXPECT_EQ(SortingIds(States({{kName, 1}, {kClass, 2}, {kPrice, 0}}), false), (std::vector<int>{kName, kClass}));
    // The column of a selected item: listed ones by their place, others (and nothing) none.
    for (auto [id, column] : {std::pair{-2, 3}, {kPrice, 2}, {kClass, -1}, {0, -1}})
        EXPECT_EQ(ColumnOfId(states, id), column) << id;
}

TEST(VktFieldListModel, EmptyColumnInsertAndColumnValues)
{
    const TPreviewFieldStruct stored = Columns({{kName, 0, 400, 0}, {kPrice, 0, 250, 1}});
    struct Case {
        int position;
        std::string names;
    };
    const std::string n = std::to_string(kName), p = std::to_string(kPrice);
    for (const Case& c : {Case{0, "0," + n + "," + p}, Case{1, n + ",0," + p}, Case{2, n + "," + p + ",0"},
                          Case{-1, n + "," + p + ",0"}, Case{7, n + "," + p + ",0"}}) {
        const TPreviewFieldStruct fields = InsertEmptyColumn(stored, c.position);
        EXPECT_EQ(fields.GetName().GetCommaText(), c.names) << c.position;
        EXPECT_EQ(fields.GetWidth().GetItem(fields.GetName().IndexOf(0)), kNewColumnWidth);
    }
    // Lists shorter than the names (a hand-edited file) still take the column.
    TPreviewFieldStruct shortLists;
    shortLists.GetName() << kName << kPrice;
    EXPECT_EQ(Text(InsertEmptyColumn(shortLists, 1)), n + ",0," + p + "|0,0,0|0,300,0|0,0,0");

    TPreviewFieldStruct two = InsertEmptyColumn(InsertEmptyColumn(stored, 9), 9);
    EXPECT_TRUE(SetColumnWidth(two, -2, 150));
    EXPECT_TRUE(SetColumnBreak(two, -2, true));
    EXPECT_FALSE(SetColumnBreak(two, -2, true)) << "unchanged";
    EXPECT_FALSE(SetColumnWidth(two, kClass, 150)) << "absent";
    int width = 0, lineBreak = 0;
    ASSERT_TRUE(ColumnValues(two, -2, width, lineBreak));
    EXPECT_EQ(width, 150);
    EXPECT_EQ(lineBreak, 1);
    ASSERT_TRUE(ColumnValues(two, -1, width, lineBreak));
    EXPECT_EQ(width, kNewColumnWidth);
    EXPECT_FALSE(ColumnValues(two, -3, width, lineBreak));
    EXPECT_FALSE(ColumnValues(two, kClass, width, lineBreak));
    EXPECT_EQ(width, 0);
}

TEST(VktFieldListModel, AccessListsAndSumChoices)
{
    const TAccessFieldStruct access = AccessOfStates(States({{kPrice, 1}, {0, 0}, {kName, 0}}));
    EXPECT_EQ(access.GetFields().GetCommaText(), std::to_string(kPrice) + "," + std::to_string(kName));
    EXPECT_EQ(access.GetOrders().GetCommaText(), "2,1");
    EXPECT_TRUE(StatesOfAccess(access) == States({{kPrice, 1}, {kName, 0}}));

    const TSumChoices sums =
        SumChoicesOf(Columns({{kPrice, 0, 1, 0}, {0, 0, 1, 0}, {kClass, 0, 1, 0}, {kName, 0, 1, 0}}));
    EXPECT_EQ(sums.SumFields, (std::vector<int>{kPrice}));
    EXPECT_EQ(sums.SumClasses, (std::vector<int>{kClass, kName}));
}

TEST(VktFieldListModel, DataListPresets)
{
    struct Case {
        int index;
        int columns;
        int empty;
        F sumField;
        F sumClass;
        const char* title;
    };
    const Case cases[] = {{0, 6, 0, F::None, F::None, "食材リスト"},
                          {1, 7, 0, F::InvTotalPrice, F::Class, "棚卸し表"},
                          {2, 7, 2, F::None, F::None, "棚卸し表"},
                          {3, 11, 8, F::None, F::None, "発注表"}};
    for (const Case& c : cases) {
        const TDataListPreset preset = DataListPreset(c.index);
        const TPreviewFieldStruct& f = preset.Fields;
        ASSERT_EQ(f.GetName().GetCount(), c.columns) << c.index;
        EXPECT_EQ(EmptyColumnCount(f), c.empty) << c.index;
        EXPECT_EQ(f.GetOrder().GetItem(0), 1) << "first column ascending";
        for (int i = 0; i < c.columns; ++i) {
            EXPECT_LT(f.GetName().GetItem(i), VktFieldCount) << "every name resolves";
            EXPECT_EQ(f.GetReturn().GetItem(i), 0);
            if (i > 0) {
                EXPECT_EQ(f.GetOrder().GetItem(i), 0);
            }
        }
        EXPECT_EQ(preset.SumField, ToInt(c.sumField));
        EXPECT_EQ(preset.SumClass, ToInt(c.sumClass));
        EXPECT_EQ(preset.Title, c.title);
    }
    EXPECT_EQ(DataListPreset(3).Fields.GetWidth().GetCommaText(), "320,350,250,100,100,100,100,100,100,100,250");
    EXPECT_EQ(DataListPreset(4).Fields.GetName().GetCount(), 0);
}

} // namespace
