#include "data/Vkttabledefine.h"

#include <array>
#include <bit>

#include "core/Priorityitem.h"

namespace {

using FT = platform::FieldType;
using T = TVktTable;

constexpr std::array<TVktTableDef, VktTableCount> TableDefs{{
    {"", TVktField::None, 1, 0, ""},
    {"VktDB1A", TVktField::Class_ID, 6, 1, "TblClass"},
    {"VktDB1B", TVktField::Units_ID, 5, 1, "TblUnits"},
    {"VktDB1C", TVktField::Dealer_ID, 9, 1, "TblDealer"},
    {"VktDB1D", TVktField::AttrItem_ID, 2, 1, "TblAttrItem"},
    {"VktDB1E", TVktField::InvDate_ID, 3, 1, "TblInvDate"},
    {"VktDB1F", TVktField::Data_ID, 11, 11, "TblData"},
    {"VktDB1G", TVktField::Erase_Key, 2, 1, "TblErase"},
    {"VktDB1H", TVktField::Memo_Key, 2, 1, "TblMemo"},
    {"VktDB1I", TVktField::Image_Key, 2, 1, "TblImage"},
    {"VktDB1J", TVktField::Attribute_Key, 3, 2, "TblAttribute"},
    {"VktDB1K", TVktField::Food_Key, 6, 1, "TblFood"},
    {"VktDB1L", TVktField::MHistory_Key, 4, 2, "TblMHistory"},
    {"VktDB1M", TVktField::YHistory_Key, 7, 2, "TblYHistory"},
    {"VktDB1N", TVktField::Cook_Key, 4, 1, "TblCook"},
    {"VktDB1O", TVktField::Item_Key, 9, 2, "TblItem"},
    {"VktDB1P", TVktField::Information_Key, 3, 1, "TblInformation"},
    {"VktDB1Q", TVktField::Inventory_Key, 5, 2, "TblInventory"},
    {"VktDB1R", TVktField::Initial_ID, 2, 1, "TblInitialize"},
    {"TblForm", TVktField::Form, 2, 0, "TblForm"},
    {"TblUseUnit", TVktField::UseUnit, 2, 0, "TblUseUnit"},
    {"TblBuyUnit", TVktField::BuyUnit, 2, 0, "TblBuyUnit"},
    {"TblItemUnit", TVktField::ItemUnit, 2, 0, "TblItemUnit"},
    {"TblInvUnit", TVktField::InvUnit, 2, 0, "TblInvUnit"},
    {"TblMHistoryUnit", TVktField::MHistoryUnit, 2, 0, "TblMHistoryUnit"},
    {"TblYHistoryUnit", TVktField::YHistoryUnit, 2, 0, "TblYHistoryUnit"},
}};

constexpr std::array<TVktFieldDef, VktFieldCount> FieldDefs{{
    {T::None, "None", "", FT::Unknown, 0},
    // TblClass
    {T::TblClass, "Class_ID", "", FT::Integer, 0},
    {T::TblClass, "TreeID", "", FT::String, 21},
    {T::TblClass, "ClassType", "種類", FT::SmallInt, 0},
    {T::TblClass, "Class", "分類", FT::String, 50},
    {T::TblClass, "Class2", "分類(仏)", FT::String, 50},
    {T::TblClass, "Icon_Key", "", FT::SmallInt, 0},
    // TblUnits
    {T::TblUnits, "Units_ID", "", FT::Integer, 0},
    {T::TblUnits, "UnitsKind", "", FT::Boolean, 0},
    {T::TblUnits, "UnitsType", "", FT::SmallInt, 0},
    {T::TblUnits, "Units", "単位項目", FT::String, 50},
    {T::TblUnits, "Units2", "単位項目2", FT::String, 50},
    // unit views
    {T::TblForm, "Form", "形態", FT::String, 50},
    {T::TblForm, "Form2", "形態(仏)", FT::String, 50},
    {T::TblUseUnit, "UseUnit", "使用単位", FT::String, 50},
    {T::TblUseUnit, "UseUnit2", "使用単位(仏)", FT::String, 50},
    {T::TblBuyUnit, "BuyUnit", "購入単位", FT::String, 50},
    {T::TblBuyUnit, "BuyUnit2", "購入単位(仏)", FT::String, 50},
    {T::TblItemUnit, "ItemUnit", "材料単位", FT::String, 50},
    {T::TblItemUnit, "ItemUnit2", "材料単位(仏)", FT::String, 50},
    {T::TblInvUnit, "InvUnit", "棚卸単位", FT::String, 50},
    {T::TblInvUnit, "InvUnit2", "棚卸単位(仏)", FT::String, 50},
    {T::TblMHistoryUnit, "MHistoryUnit", "月間履歴単位", FT::String, 50},
    {T::TblMHistoryUnit, "MHistoryUnit2", "月間履歴単位(仏)", FT::String, 50},
    {T::TblYHistoryUnit, "YHistoryUnit", "年間履歴単位", FT::String, 50},
    {T::TblYHistoryUnit, "YHistoryUnit2", "年間履歴単位(仏)", FT::String, 50},
    // TblDealer
    {T::TblDealer, "Dealer_ID", "", FT::Integer, 0},
    {T::TblDealer, "Company", "業者名", FT::String, 50},
    {T::TblDealer, "Dealer", "担当者", FT::String, 20},
    {T::TblDealer, "PostCode", "〒", FT::String, 8},
    {T::TblDealer, "Address", "営業所", FT::String, 50},
    {T::TblDealer, "Tel", "電話番号", FT::String, 13},
    {T::TblDealer, "Tel2", "携帯電話", FT::String, 13},
    {T::TblDealer, "Fax", "ＦＡＸ", FT::String, 13},
    {T::TblDealer, "EMail", "ｅメール", FT::String, 100},
    // TblAttrItem
    {T::TblAttrItem, "AttrItem_ID", "", FT::Integer, 0},
    {T::TblAttrItem, "Attribute", "属性", FT::String, 50},
    // TblInvDate
    {T::TblInvDate, "InvDate_ID", "", FT::Integer, 0},
    {T::TblInvDate, "InvDate", "棚卸日付", FT::Date, 0},
    {T::TblInvDate, "InvType", "棚卸金額タイプ", FT::SmallInt, 0},
    // TblData
    {T::TblData, "Data_ID", "", FT::Integer, 0},
    {T::TblData, "Conserve", "", FT::Boolean, 0},
    {T::TblData, "InvItem", "棚卸項目", FT::Boolean, 0},
    {T::TblData, "Class_Key", "分類", FT::Integer, 0},
    {T::TblData, "Form_Key", "形態", FT::Integer, 0},
    {T::TblData, "Data", "名称", FT::String, 50},
    {T::TblData, "Data2", "名称(仏)", FT::String, 50},
    {T::TblData, "UseUnit_Key", "使用単位", FT::Integer, 0},
    {T::TblData, "UsePrice", "使用単価", FT::Currency, 0},
    {T::TblData, "CreateDate", "登録日", FT::DateTime, 0},
    {T::TblData, "ChangeDate", "変更日", FT::DateTime, 0},
    // TblErase
    {T::TblErase, "Erase_Key", "", FT::Integer, 0},
    {T::TblErase, "EraseDate", "削除日", FT::DateTime, 0},
    // TblMemo
    {T::TblMemo, "Memo_Key", "", FT::Integer, 0},
    {T::TblMemo, "Memo", "メモ", FT::FmtMemo, 0},
    // TblImage
    {T::TblImage, "Image_Key", "", FT::Integer, 0},
    {T::TblImage, "Image", "イメージ", FT::Graphic, 0},
    // TblAttribute
    {T::TblAttribute, "Attribute_Key", "", FT::Integer, 0},
    {T::TblAttribute, "AttrItem_Key", "", FT::Integer, 0},
    {T::TblAttribute, "AttrCheck", "属性状態", FT::Boolean, 0},
    // TblFood
    {T::TblFood, "Food_Key", "", FT::Integer, 0},
    {T::TblFood, "BuyUnit_Key", "購入単位", FT::Integer, 0},
    {T::TblFood, "BuyPrice", "購入単価", FT::Currency, 0},
    {T::TblFood, "Quantity", "内容量", FT::Float, 0},
    {T::TblFood, "Yield", "歩留まり", FT::Float, 0},
    {T::TblFood, "Dealer_Key", "購入業者", FT::Integer, 0},
    // TblMHistory
    {T::TblMHistory, "MHistory_Key", "", FT::Integer, 0},
    {T::TblMHistory, "MHistoryDate", "月間履歴", FT::Date, 0},
    {T::TblMHistory, "MHistoryUnit_Key", "月間履歴単位", FT::Integer, 0},
    {T::TblMHistory, "MHistoryPrice", "月間単価", FT::Currency, 0},
    // TblYHistory
    {T::TblYHistory, "YHistory_Key", "", FT::Integer, 0},
    {T::TblYHistory, "YHistoryDate", "年間履歴", FT::Date, 0},
    {T::TblYHistory, "YHistoryUnit_Key", "年間履歴単位", FT::Integer, 0},
    {T::TblYHistory, "YHLastPrice", "最終単価", FT::Currency, 0},
    {T::TblYHistory, "YHMaxPrice", "最高単価", FT::Currency, 0},
    {T::TblYHistory, "YHAvePrice", "平均単価", FT::Currency, 0},
    {T::TblYHistory, "YHMinPrice", "最低単価", FT::Currency, 0},
    // TblCook
    {T::TblCook, "Cook_Key", "", FT::Integer, 0},
    {T::TblCook, "Complete", "出来上がり", FT::Float, 0},
    {T::TblCook, "TotalPrice", "合計金額", FT::Currency, 0},
    {T::TblCook, "SalePrice", "売価", FT::Currency, 0},
    {T::TblCook, "CostRate", "原価率", FT::Float, 0},
    // TblItem
    {T::TblItem, "Item_Key", "", FT::Integer, 0},
    {T::TblItem, "ItemIndex", "", FT::SmallInt, 0},
    {T::TblItem, "Category", "", FT::SmallInt, 0},
    {T::TblItem, "CatIndex", "", FT::SmallInt, 0},
    {T::TblItem, "Data_Key", "", FT::Integer, 0},
    {T::TblItem, "ItemUse", "使用量", FT::Float, 0},
    {T::TblItem, "ItemPrice", "材料単価", FT::Currency, 0},
    {T::TblItem, "ItemUnit_Key", "材料単位", FT::Integer, 0},
    {T::TblItem, "ItemUsePrice", "金額", FT::Currency, 0},
    {T::TblItem, "ItemCatIndex", "インデックス", FT::String, 0},
    // TblInformation
    {T::TblInformation, "Information_Key", "", FT::Integer, 0},
    {T::TblInformation, "Information", "説明", FT::String, 200},
    {T::TblInformation, "Information2", "説明(仏)", FT::String, 200},
    // TblInventory
    {T::TblInventory, "Inventory_Key", "", FT::Integer, 0},
    {T::TblInventory, "InvDate_Key", "棚卸日付", FT::Integer, 0},
    {T::TblInventory, "InvUnit_Key", "棚卸単位", FT::Integer, 0},
    {T::TblInventory, "InvPrice", "棚卸単価", FT::Currency, 0},
    {T::TblInventory, "Remained", "残量", FT::Float, 0},
    {T::TblInventory, "InvTotalPrice", "棚卸金額", FT::Currency, 0},
    // TblInitialize
    {T::TblInitialize, "Initial_ID", "", FT::Integer, 0},
    {T::TblInitialize, "Initial", "", FT::Memo, 40},
}};

// Every field's table owns it, and every table's fields run consecutively from its first field.
constexpr bool FieldsMatchTables() {
    for (int f = 0; f < VktFieldCount; ++f) {
        const TVktTableDef& t = TableDefs[ToInt(FieldDefs[f].Table)];
        int first = ToInt(t.FirstField);
        // The computed columns of TblCook, TblItem and TblInventory lie one past the stored ones.
        int owned = t.FieldCount + (FieldDefs[f].Table == T::TblCook || FieldDefs[f].Table == T::TblItem ||
                                    FieldDefs[f].Table == T::TblInventory ? 1 : 0);
        if (f < first || f >= first + owned) return false;
    }
    return true;
}
static_assert(FieldsMatchTables(), "field definitions do not match the table definitions");

bool ValidTable(TVktTable table) { return ToInt(table) < VktTableCount; }
bool ValidField(TVktField field) { return ToInt(field) < VktFieldCount; }

} // namespace

int TVktFieldSet::Count() const { return std::popcount(words_[0]) + std::popcount(words_[1]); }

std::vector<TVktField> TVktFieldSet::Fields() const {
    std::vector<TVktField> result;
    for (int i = 1; i < VktFieldCount; ++i)
        if (Contains(i)) result.push_back(ToVktField(i));
    return result;
}

void BuildSchema() {}

const TVktTableDef& GetTableDef(TVktTable table) { return TableDefs[ValidTable(table) ? ToInt(table) : 0]; }

const TVktFieldDef& GetFieldDef(TVktField field) { return FieldDefs[ValidField(field) ? ToInt(field) : 0]; }

std::string GetTableFileName(TVktTable table) { return std::string(GetTableDef(table).FileName); }

std::string GetTableName(TVktTable table) { return std::string(GetTableDef(table).TableName); }

TVktField GetTableFirstField(TVktTable table) { return GetTableDef(table).FirstField; }

// Out of range gives 0 (table None's own count is 1: the field None).
int GetTableFieldCount(TVktTable table) { return ValidTable(table) ? TableDefs[ToInt(table)].FieldCount : 0; }

int GetTableKeyCount(TVktTable table) { return GetTableDef(table).KeyCount; }

TVktFieldSet GetTableFieldSet(TVktTable table) {
    TVktFieldSet result;
    if (!ValidTable(table)) return result;
    if (table == T::TblData || table == T::TblItem || table == T::TblInventory) return TVktFieldSet{{TVktField::Class_ID, TVktField::Initial}};
    const TVktTableDef& def = TableDefs[ToInt(table)];
    const int first = ToInt(def.FirstField);
    for (int f = first; f < first + def.FieldCount; ++f) result.Add(ToVktField(f));
    return result;
}

TVktTable FindTableByName(std::string_view name) {
    for (int t = 0; t < VktTableCount; ++t)
        if (TableDefs[t].TableName == name) return ToVktTable(t);
    return VktTableNotFound;
}

std::string GetFieldName(TVktField field) {
    return ValidField(field) ? std::string(FieldDefs[ToInt(field)].Name) : std::string();
}

std::string GetFieldCaption(TVktField field) { return std::string(GetFieldDef(field).Caption); }

platform::FieldType GetFieldType(TVktField field) { return GetFieldDef(field).Type; }

int GetFieldSize(TVktField field) { return GetFieldDef(field).Size; }

TVktTable GetFieldTable(TVktField field) { return GetFieldDef(field).Table; }

TVktField FindFieldByName(std::string_view name) {
    for (int f = 0; f < VktFieldCount; ++f)
        if (FieldDefs[f].Name == name) return ToVktField(f);
    return VktFieldNotFound;
}

namespace {

TVktField FoldUnitView(TVktField field) {
    if (!UnitViewFields.Contains(field)) return field;
    return FrenchFields.Contains(field) ? TVktField::Units2 : TVktField::Units;
}

} // namespace

bool VktFieldEqual(TVktField a, TVktField b) { return FoldUnitView(a) == FoldUnitView(b); }

bool VktFieldContains(const TPriorityItem& fields, TVktField field) {
    const TVktField folded = FoldUnitView(field);
    for (int i = 0; i < fields.GetCount(); ++i) {
        const int item = fields.GetItem(i);
        // An item that is no identifier equals no field.
        if (item < 0 || item >= VktFieldCount) continue;
        if (FoldUnitView(ToVktField(item)) == folded) return true;
    }
    return false;
}
