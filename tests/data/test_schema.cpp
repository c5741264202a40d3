#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Priorityitem.h"
#include "data/Vkttabledefine.h"

namespace {

using FT = platform::FieldType;
using F = TVktField;
using T = TVktTable;

std::vector<int> Members(const TVktFieldSet& set) {
    std::vector<int> result;
    for (TVktField f : set.Fields()) result.push_back(ToInt(f));
    return result;
}

// Expands {first, last} ranges into the member list.
std::vector<int> Expand(std::initializer_list<std::pair<int, int>> ranges) {
    std::vector<int> result;
    for (const auto& r : ranges)
        for (int i = r.first; i <= r.second; ++i) result.push_back(i);
    return result;
}

struct TableRow {
    int Table;
    const char* Name;
    const char* FileName;
    int FirstField;
    int FieldCount;
    int KeyCount;
};

const TableRow kTables[] = {
    {0, "", "", 0, 1, 0},
    {1, "TblClass", "VktDB1A", 1, 6, 1},
    {2, "TblUnits", "VktDB1B", 7, 5, 1},
    {3, "TblDealer", "VktDB1C", 26, 9, 1},
    {4, "TblAttrItem", "VktDB1D", 35, 2, 1},
    {5, "TblInvDate", "VktDB1E", 37, 3, 1},
    {6, "TblData", "VktDB1F", 40, 11, 11},
    {7, "TblErase", "VktDB1G", 51, 2, 1},
    {8, "TblMemo", "VktDB1H", 53, 2, 1},
    {9, "TblImage", "VktDB1I", 55, 2, 1},
    {10, "TblAttribute", "VktDB1J", 57, 3, 2},
    {11, "TblFood", "VktDB1K", 60, 6, 1},
    {12, "TblMHistory", "VktDB1L", 66, 4, 2},
    {13, "TblYHistory", "VktDB1M", 70, 7, 2},
    {14, "TblCook", "VktDB1N", 77, 4, 1},
    {15, "TblItem", "VktDB1O", 82, 9, 2},
    {16, "TblInformation", "VktDB1P", 92, 3, 1},
    {17, "TblInventory", "VktDB1Q", 95, 5, 2},
    {18, "TblInitialize", "VktDB1R", 101, 2, 1},
    {19, "TblForm", "TblForm", 12, 2, 0},
    {20, "TblUseUnit", "TblUseUnit", 14, 2, 0},
    {21, "TblBuyUnit", "TblBuyUnit", 16, 2, 0},
    {22, "TblItemUnit", "TblItemUnit", 18, 2, 0},
    {23, "TblInvUnit", "TblInvUnit", 20, 2, 0},
    {24, "TblMHistoryUnit", "TblMHistoryUnit", 22, 2, 0},
    {25, "TblYHistoryUnit", "TblYHistoryUnit", 24, 2, 0},
};

TEST(SchemaTables, EveryTableDefinition) {
    for (const TableRow& row : kTables) {
        SCOPED_TRACE(row.Table);
        const T t = ToVktTable(row.Table);
        EXPECT_EQ(GetTableName(t), row.Name);
        EXPECT_EQ(GetTableFileName(t), row.FileName);
        EXPECT_EQ(ToInt(GetTableFirstField(t)), row.FirstField);
        EXPECT_EQ(GetTableFieldCount(t), row.FieldCount);
        EXPECT_EQ(GetTableKeyCount(t), row.KeyCount);
    }
}

struct FieldRow {
    int Field;
    const char* Name;
    int Table;
    FT Type;
    int Size;
    const char* Caption;
};

// A sample across every table and every type.
const FieldRow kFields[] = {
    {0, "None", 0, FT::Unknown, 0, ""},
    {1, "Class_ID", 1, FT::Integer, 0, ""},
    {2, "TreeID", 1, FT::String, 21, ""},
    {3, "ClassType", 1, FT::SmallInt, 0, "種類"},
    {5, "Class2", 1, FT::String, 50, "分類(仏)"},
    {8, "UnitsKind", 2, FT::Boolean, 0, ""},
    {11, "Units2", 2, FT::String, 50, "単位項目2"},
    {13, "Form2", 19, FT::String, 50, "形態(仏)"},
    {22, "MHistoryUnit", 24, FT::String, 50, "月間履歴単位"},
    {25, "YHistoryUnit2", 25, FT::String, 50, "年間履歴単位(仏)"},
    {28, "Dealer", 3, FT::String, 20, "担当者"},
    {29, "PostCode", 3, FT::String, 8, "〒"},
    {32, "Tel2", 3, FT::String, 13, "携帯電話"},
    {33, "Fax", 3, FT::String, 13, "ＦＡＸ"},
    {34, "EMail", 3, FT::String, 100, "ｅメール"},
    {36, "Attribute", 4, FT::String, 50, "属性"},
    {38, "InvDate", 5, FT::Date, 0, "棚卸日付"},
    {39, "InvType", 5, FT::SmallInt, 0, "棚卸金額タイプ"},
    {42, "InvItem", 6, FT::Boolean, 0, "棚卸項目"},
    {45, "Data", 6, FT::String, 50, "名称"},
    {48, "UsePrice", 6, FT::Currency, 0, "使用単価"},
    {50, "ChangeDate", 6, FT::DateTime, 0, "変更日"},
    {52, "EraseDate", 7, FT::DateTime, 0, "削除日"},
    {54, "Memo", 8, FT::FmtMemo, 0, "メモ"},
    {56, "Image", 9, FT::Graphic, 0, "イメージ"},
    {58, "AttrItem_Key", 10, FT::Integer, 0, ""},
    {59, "AttrCheck", 10, FT::Boolean, 0, "属性状態"},
    {64, "Yield", 11, FT::Float, 0, "歩留まり"},
    {65, "Dealer_Key", 11, FT::Integer, 0, "購入業者"},
    {67, "MHistoryDate", 12, FT::Date, 0, "月間履歴"},
    {75, "YHAvePrice", 13, FT::Currency, 0, "平均単価"},
    {78, "Complete", 14, FT::Float, 0, "出来上がり"},
    {81, "CostRate", 14, FT::Float, 0, "原価率"},
    {85, "CatIndex", 15, FT::SmallInt, 0, ""},
    {90, "ItemUsePrice", 15, FT::Currency, 0, "金額"},
    {91, "ItemCatIndex", 15, FT::String, 0, "インデックス"},
    {93, "Information", 16, FT::String, 200, "説明"},
    {94, "Information2", 16, FT::String, 200, "説明(仏)"},
    {99, "Remained", 17, FT::Float, 0, "残量"},
    {100, "InvTotalPrice", 17, FT::Currency, 0, "棚卸金額"},
    {101, "Initial_ID", 18, FT::Integer, 0, ""},
    {102, "Initial", 18, FT::Memo, 40, ""},
};

TEST(SchemaFields, SampleDefinitions) {
    for (const FieldRow& row : kFields) {
        SCOPED_TRACE(row.Name);
        const F f = ToVktField(row.Field);
        EXPECT_EQ(GetFieldName(f), row.Name);
        EXPECT_EQ(ToInt(GetFieldTable(f)), row.Table);
        EXPECT_EQ(GetFieldType(f), row.Type);
        EXPECT_EQ(GetFieldSize(f), row.Size);
        EXPECT_EQ(GetFieldCaption(f), row.Caption);
    }
}

TEST(SchemaFields, TypeCodesAreTheScreenCodes) {
    EXPECT_EQ(static_cast<int>(GetFieldType(F::Data)), 1);
    EXPECT_EQ(static_cast<int>(GetFieldType(F::ClassType)), 2);
    EXPECT_EQ(static_cast<int>(GetFieldType(F::Data_ID)), 3);
    EXPECT_EQ(static_cast<int>(GetFieldType(F::Conserve)), 5);
    EXPECT_EQ(static_cast<int>(GetFieldType(F::Quantity)), 6);
    EXPECT_EQ(static_cast<int>(GetFieldType(F::BuyPrice)), 7);
    EXPECT_EQ(static_cast<int>(GetFieldType(F::YHistoryDate)), 9);
    EXPECT_EQ(static_cast<int>(GetFieldType(F::CreateDate)), 11);
    EXPECT_EQ(static_cast<int>(GetFieldType(F::Initial)), 16);
    EXPECT_EQ(static_cast<int>(GetFieldType(F::Image)), 17);
    EXPECT_EQ(static_cast<int>(GetFieldType(F::Memo)), 18);
}

TEST(SchemaFields, UncaptionedFields) {
    for (F f : {F::Class_ID, F::TreeID, F::Icon_Key, F::UnitsKind, F::UnitsType, F::Conserve, F::ItemIndex,
                F::Category, F::CatIndex, F::Data_Key, F::AttrItem_Key, F::Initial})
        EXPECT_EQ(GetFieldCaption(f), "") << GetFieldName(f);
}

TEST(SchemaStructure, FieldsOfATableAreConsecutiveFromItsFirstField) {
    // Each field 1..102 belongs to exactly one table's range; the computed column is one past it.
    std::vector<int> owner(VktFieldCount, -1);
    for (int t = 1; t < VktTableCount; ++t) {
        const T table = ToVktTable(t);
        const int first = ToInt(GetTableFirstField(table));
        int count = GetTableFieldCount(table);
        if (table == T::TblCook || table == T::TblItem || table == T::TblInventory) ++count;
        EXPECT_LE(GetTableKeyCount(table), GetTableFieldCount(table)) << t;
        for (int f = first; f < first + count; ++f) {
            ASSERT_LT(f, VktFieldCount);
            EXPECT_EQ(owner[f], -1) << "field " << f << " in two tables";
            owner[f] = t;
            EXPECT_EQ(ToInt(GetFieldTable(ToVktField(f))), t) << "field " << f;
        }
    }
    for (int f = 1; f < VktFieldCount; ++f) EXPECT_NE(owner[f], -1) << "field " << f << " in no table";
}

TEST(SchemaStructure, KeyCounts) {
    EXPECT_EQ(GetTableKeyCount(T::TblData), 11);
    for (T t : {T::TblAttribute, T::TblMHistory, T::TblYHistory, T::TblItem, T::TblInventory})
        EXPECT_EQ(GetTableKeyCount(t), 2) << GetTableName(t);
    int ones = 0;
    for (int t = 1; t <= 18; ++t) ones += GetTableKeyCount(ToVktTable(t)) == 1;
    EXPECT_EQ(ones, 18 - 6);
    for (int t = 19; t <= 25; ++t) EXPECT_EQ(GetTableKeyCount(ToVktTable(t)), 0);
}

TEST(SchemaStructure, NamesAreUniqueAndFoundAgain) {
    for (int f = 0; f < VktFieldCount; ++f)
        EXPECT_EQ(ToInt(FindFieldByName(GetFieldName(ToVktField(f)))), f);
    for (int t = 0; t < VktTableCount; ++t)
        EXPECT_EQ(ToInt(FindTableByName(GetTableName(ToVktTable(t)))), t);
}

TEST(SchemaLookup, FindTableByName) {
    EXPECT_EQ(FindTableByName(""), T::None);
    EXPECT_EQ(FindTableByName("TblForm"), T::TblForm);
    EXPECT_EQ(FindTableByName("VktDB1A"), VktTableNotFound);
    EXPECT_EQ(FindTableByName("tblclass"), VktTableNotFound);
    EXPECT_EQ(FindTableByName("TblClas"), VktTableNotFound);
    EXPECT_EQ(ToInt(VktTableNotFound), 26);
}

TEST(SchemaLookup, FindFieldByName) {
    EXPECT_EQ(FindFieldByName("None"), F::None);
    EXPECT_EQ(FindFieldByName("CostRate"), F::CostRate);
    EXPECT_EQ(FindFieldByName("costrate"), VktFieldNotFound);
    EXPECT_EQ(FindFieldByName("原価率"), VktFieldNotFound);  // captions are not names
    EXPECT_EQ(FindFieldByName(""), VktFieldNotFound);
    EXPECT_EQ(ToInt(VktFieldNotFound), 103);
}

TEST(SchemaLookup, GetTableFieldSet) {
    for (T t : {T::TblData, T::TblItem, T::TblInventory}) {
        const TVktFieldSet set = GetTableFieldSet(t);
        EXPECT_EQ(Members(set), Expand({{1, 102}})) << GetTableName(t);
    }
    EXPECT_EQ(Members(GetTableFieldSet(T::TblCook)), Expand({{77, 80}}));
    EXPECT_EQ(Members(GetTableFieldSet(T::TblForm)), Expand({{12, 13}}));
    EXPECT_EQ(Members(GetTableFieldSet(T::TblClass)), Expand({{1, 6}}));
    EXPECT_EQ(Members(GetTableFieldSet(T::TblUnits)), Expand({{7, 11}}));
    EXPECT_EQ(Members(GetTableFieldSet(T::TblDealer)), Expand({{26, 34}}));
    EXPECT_EQ(Members(GetTableFieldSet(T::TblAttrItem)), Expand({{35, 36}}));
    EXPECT_TRUE(GetTableFieldSet(T::None).IsEmpty());
}

// Identifiers past the arrays give the values of "none" instead of reading past them.
TEST(SchemaLookup, OutOfRangeIdentifiersGiveNone) {
    for (int f : {103, 150, 255}) {
        const F field = static_cast<F>(f);
        EXPECT_EQ(GetFieldName(field), "") << f;
        EXPECT_EQ(GetFieldCaption(field), "");
        EXPECT_EQ(GetFieldType(field), FT::Unknown);
        EXPECT_EQ(GetFieldSize(field), 0);
        EXPECT_EQ(GetFieldTable(field), T::None);
    }
    for (int t : {26, 31, 255}) {
        const T table = static_cast<T>(t);
        EXPECT_EQ(GetTableName(table), "") << t;
        EXPECT_EQ(GetTableFileName(table), "");
        EXPECT_EQ(GetTableFirstField(table), F::None);
        EXPECT_EQ(GetTableFieldCount(table), 0);
        EXPECT_EQ(GetTableKeyCount(table), 0);
        EXPECT_TRUE(GetTableFieldSet(table).IsEmpty());
    }
}

TEST(SchemaSets, NamedSetMembers) {
    EXPECT_EQ(Members(UnitViewFields), Expand({{12, 25}}));
    EXPECT_EQ(Members(FrenchFields), (std::vector<int>{5, 13, 15, 17, 19, 21, 23, 25, 46, 94}));
    EXPECT_EQ(Members(NumericFields),
              (std::vector<int>{48, 62, 63, 64, 69, 73, 74, 75, 76, 78, 79, 80, 81, 87, 88, 90, 98, 99, 100}));
    EXPECT_EQ(Members(FilterFields), Expand({{27, 28}, {30, 34}, {42, 42}, {44, 50}, {52, 52}, {61, 65}, {67, 69},
                                             {71, 76}, {78, 81}, {87, 90}, {93, 94}, {96, 100}}));
    EXPECT_EQ(Members(ListFields), Expand({{4, 5}, {12, 25}, {27, 34}, {36, 36}, {38, 38}, {45, 46}, {48, 50},
                                           {52, 52}, {62, 64}, {67, 67}, {69, 69}, {71, 71}, {73, 76}, {78, 81},
                                           {87, 88}, {90, 91}, {93, 94}, {98, 100}}));
    EXPECT_EQ(&ListFieldSet, &ListFields);
    EXPECT_EQ(Members(ForeignKeyFields), (std::vector<int>{43, 44, 47, 58, 61, 65, 68, 72, 86, 89, 96, 97}));
    EXPECT_EQ(Members(MasterFields), Expand({{1, 39}}));
    EXPECT_EQ(Members(DataFields), Expand({{40, 100}}));

    for (int t = 0; t < VktTableCount; ++t) {
        EXPECT_EQ(StoredTables.Contains(ToVktTable(t)), t >= 1 && t <= 18) << t;
        EXPECT_EQ(UnitViewTables.Contains(ToVktTable(t)), t >= 19 && t <= 25) << t;
    }
}

// The sets agree with the rules that define them over the field definitions.
TEST(SchemaSets, SetsFollowTheirDefiningRules) {
    for (int i = 1; i < VktFieldCount; ++i) {
        const F f = ToVktField(i);
        const std::string name = GetFieldName(f);
        const std::string caption = GetFieldCaption(f);
        SCOPED_TRACE(name);
        const bool numeric = GetFieldType(f) == FT::Float || GetFieldType(f) == FT::Currency;
        EXPECT_EQ(NumericFields.Contains(f), numeric);
        EXPECT_EQ(FrenchFields.Contains(f), caption.find("(仏)") != std::string::npos);
        const bool isKey = name.size() > 4 && name.compare(name.size() - 4, 4, "_Key") == 0;
        const bool excluded = f == F::ClassType || f == F::Units || f == F::Units2 || f == F::InvType ||
                              f == F::InvItem || f == F::AttrCheck || f == F::Memo || f == F::Image || isKey;
        EXPECT_EQ(ListFields.Contains(f), !caption.empty() && !excluded);
        EXPECT_EQ(UnitViewFields.Contains(f), UnitViewTables.Contains(GetFieldTable(f)));
    }
}

TEST(SchemaSets, FieldSetOperations) {
    TVktFieldSet set;
    EXPECT_TRUE(set.IsEmpty());
    set.Add(F::None);
    set.Add(VktFieldNotFound);
    set.Add(static_cast<F>(200));
    EXPECT_TRUE(set.IsEmpty());
    EXPECT_FALSE(set.Contains(F::None));

    set.Add(F::Class_ID);
    set.Add(F::Initial);
    set.Add(F::Data);  // word boundary at 64 lies between these
    set.Add(F::Yield);
    EXPECT_FALSE(set.IsEmpty());
    EXPECT_EQ(set.Count(), 4);
    EXPECT_EQ(Members(set), (std::vector<int>{1, 45, 64, 102}));
    EXPECT_TRUE(set.Contains(102));
    EXPECT_FALSE(set.Contains(103));
    EXPECT_FALSE(set.Contains(-1));
    EXPECT_FALSE(set.Contains(1 + 256));

    set.Remove(F::Yield);
    set.Remove(F::Units);  // not a member: no effect
    EXPECT_EQ(Members(set), (std::vector<int>{1, 45, 102}));
    for (F f : {F::Class_ID, F::Data, F::Initial}) set.Remove(f);
    EXPECT_TRUE(set.IsEmpty());
    EXPECT_EQ(set, TVktFieldSet());
}

TEST(SchemaFieldEqual, UnitViewFieldsFoldOntoUnitNames) {
    EXPECT_TRUE(VktFieldEqual(F::BuyUnit, F::Units));
    EXPECT_TRUE(VktFieldEqual(F::Form, F::YHistoryUnit));
    EXPECT_TRUE(VktFieldEqual(F::InvUnit2, F::Units2));
    EXPECT_TRUE(VktFieldEqual(F::Form2, F::UseUnit2));
    EXPECT_FALSE(VktFieldEqual(F::Units, F::Units2));
    EXPECT_FALSE(VktFieldEqual(F::Form, F::Form2));
    EXPECT_FALSE(VktFieldEqual(F::Class, F::Class2));
    EXPECT_FALSE(VktFieldEqual(F::Form, F::Form_Key));
    EXPECT_TRUE(VktFieldEqual(F::Data, F::Data));
}

TEST(SchemaFieldEqual, ContainsScansTheList) {
    TPriorityItem fields;
    EXPECT_FALSE(VktFieldContains(fields, F::None));
    fields << ToInt(F::Data) << ToInt(F::UseUnit) << 300 << -1;
    EXPECT_TRUE(VktFieldContains(fields, F::Data));
    EXPECT_TRUE(VktFieldContains(fields, F::Units));
    EXPECT_TRUE(VktFieldContains(fields, F::MHistoryUnit));
    EXPECT_FALSE(VktFieldContains(fields, F::Units2));
    // 300 and -1 are no identifiers: they equal no field, even one sharing their low byte.
    EXPECT_FALSE(VktFieldContains(fields, ToVktField(300 & 0xFF)));
    EXPECT_FALSE(VktFieldContains(fields, static_cast<F>(255)));
}

TEST(SchemaLookup, IntegersThatAreNoIdentifiersConvertToNotFound) {
    EXPECT_EQ(ToVktField(102), F::Initial);
    EXPECT_EQ(ToVktField(103), VktFieldNotFound);
    EXPECT_EQ(ToVktField(256 + 45), VktFieldNotFound);  // not Data by truncation
    EXPECT_EQ(ToVktField(-1), VktFieldNotFound);
    EXPECT_EQ(ToVktTable(25), T::TblYHistoryUnit);
    EXPECT_EQ(ToVktTable(256 + 6), VktTableNotFound);
    EXPECT_EQ(ToVktTable(-1), VktTableNotFound);
}

} // namespace
