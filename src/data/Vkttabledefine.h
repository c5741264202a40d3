#pragma once
// The schema of a database as data: one definition per table and per field, indexed by the one-byte
// identifiers TVktTable and TVktField, and the fixed named sets of tables and fields.
//
// Invariants of the definitions:
//  - the fields of a table are consecutive identifiers starting at its first field; tables 1..18 are
//    stored tables (one table each in the database file), 19..25 are views of TblUnits;
//  - TblCook, TblItem and TblInventory own one field past their stored columns (CostRate,
//    ItemCatIndex, InvTotalPrice): computed in selects, never stored;
//  - the definitions are constant data (constexpr arrays): there is nothing to initialise.
//
// Every lookup checks its argument: a table >= VktTableCount or a field >= VktFieldCount gives the
// values of "none" (empty text, first field None, counts 0, type Unknown, size 0, table None).
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/FieldType.h"

class TPriorityItem;

// Table identifiers 0..25.
enum class TVktTable : std::uint8_t {
    None = 0,
    TblClass = 1,
    TblUnits = 2,
    TblDealer = 3,
    TblAttrItem = 4,
    TblInvDate = 5,
    TblData = 6,
    TblErase = 7,
    TblMemo = 8,
    TblImage = 9,
    TblAttribute = 10,
    TblFood = 11,
    TblMHistory = 12,
    TblYHistory = 13,
    TblCook = 14,
    TblItem = 15,
    TblInformation = 16,
    TblInventory = 17,
    TblInitialize = 18,
    // Views of TblUnits, one per kind of unit reference.
    TblForm = 19,
    TblUseUnit = 20,
    TblBuyUnit = 21,
    TblItemUnit = 22,
    TblInvUnit = 23,
    TblMHistoryUnit = 24,
    TblYHistoryUnit = 25,
};

// Field identifiers 0..102, named as their columns.
enum class TVktField : std::uint8_t {
    None = 0,
    // TblClass
    Class_ID = 1, TreeID = 2, ClassType = 3, Class = 4, Class2 = 5, Icon_Key = 6,
    // TblUnits
    Units_ID = 7, UnitsKind = 8, UnitsType = 9, Units = 10, Units2 = 11,
    // unit views
    Form = 12, Form2 = 13, UseUnit = 14, UseUnit2 = 15, BuyUnit = 16, BuyUnit2 = 17,
    ItemUnit = 18, ItemUnit2 = 19, InvUnit = 20, InvUnit2 = 21, MHistoryUnit = 22,
    MHistoryUnit2 = 23, YHistoryUnit = 24, YHistoryUnit2 = 25,
    // TblDealer
    Dealer_ID = 26, Company = 27, Dealer = 28, PostCode = 29, Address = 30, Tel = 31, Tel2 = 32,
    Fax = 33, EMail = 34,
    // TblAttrItem
    AttrItem_ID = 35, Attribute = 36,
    // TblInvDate
    InvDate_ID = 37, InvDate = 38, InvType = 39,
    // TblData
    Data_ID = 40, Conserve = 41, InvItem = 42, Class_Key = 43, Form_Key = 44, Data = 45, Data2 = 46,
    UseUnit_Key = 47, UsePrice = 48, CreateDate = 49, ChangeDate = 50,
    // TblErase
    Erase_Key = 51, EraseDate = 52,
    // TblMemo
    Memo_Key = 53, Memo = 54,
    // TblImage
    Image_Key = 55, Image = 56,
    // TblAttribute
    Attribute_Key = 57, AttrItem_Key = 58, AttrCheck = 59,
    // TblFood
    Food_Key = 60, BuyUnit_Key = 61, BuyPrice = 62, Quantity = 63, Yield = 64, Dealer_Key = 65,
    // TblMHistory
    MHistory_Key = 66, MHistoryDate = 67, MHistoryUnit_Key = 68, MHistoryPrice = 69,
    // TblYHistory
    YHistory_Key = 70, YHistoryDate = 71, YHistoryUnit_Key = 72, YHLastPrice = 73, YHMaxPrice = 74,
    YHAvePrice = 75, YHMinPrice = 76,
    // TblCook (CostRate computed)
    Cook_Key = 77, Complete = 78, TotalPrice = 79, SalePrice = 80, CostRate = 81,
    // TblItem (ItemCatIndex computed)
    Item_Key = 82, ItemIndex = 83, Category = 84, CatIndex = 85, Data_Key = 86, ItemUse = 87,
    ItemPrice = 88, ItemUnit_Key = 89, ItemUsePrice = 90, ItemCatIndex = 91,
    // TblInformation
    Information_Key = 92, Information = 93, Information2 = 94,
    // TblInventory (InvTotalPrice computed)
    Inventory_Key = 95, InvDate_Key = 96, InvUnit_Key = 97, InvPrice = 98, Remained = 99,
    InvTotalPrice = 100,
    // TblInitialize
    Initial_ID = 101, Initial = 102,
};

// Number of identifiers; also the "not found" results of FindTableByName / FindFieldByName.
inline constexpr int VktTableCount = 26;
inline constexpr int VktFieldCount = 103;
inline constexpr TVktTable VktTableNotFound = static_cast<TVktTable>(VktTableCount);
inline constexpr TVktField VktFieldNotFound = static_cast<TVktField>(VktFieldCount);

// Integer value of an identifier (as stored in TPriorityItem lists) and back. An integer that is no
// identifier converts to the "not found" value, never to another identifier by truncation.
constexpr int ToInt(TVktTable table) { return static_cast<int>(table); }
constexpr int ToInt(TVktField field) { return static_cast<int>(field); }
constexpr TVktTable ToVktTable(int value) {
    return static_cast<TVktTable>(value >= 0 && value < VktTableCount ? value : VktTableCount);
}
constexpr TVktField ToVktField(int value) {
    return static_cast<TVktField>(value >= 0 && value < VktFieldCount ? value : VktFieldCount);
}

// Definition of one table. For a unit view FileName equals TableName and KeyCount is 0.
struct TVktTableDef {
    std::string_view FileName;   // table name in the database file and in SQL
    TVktField FirstField;        // first of its consecutive fields
    int FieldCount;              // stored columns, counted from FirstField
    int KeyCount;                // leading columns of the primary key
    std::string_view TableName;  // "TblClass" ...: alias in SQL, TableType of saved queries
};

// Definition of one field. Caption is UTF-8, empty where the field is never shown.
struct TVktFieldDef {
    TVktTable Table;             // owning table (a unit view for fields 12..25)
    std::string_view Name;       // column name
    std::string_view Caption;
    platform::FieldType Type;
    int Size;                    // string length, in-table memo length, else 0
};

// Set of tables 0..25 (bit per identifier); identifiers >= 26 belong to none.
class TVktTableSet {
public:
    constexpr TVktTableSet() = default;
    // Members are the inclusive ranges given as {first, last} pairs (a single member as {n, n}).
    constexpr TVktTableSet(std::initializer_list<std::pair<int, int>> ranges) {
        for (const auto& r : ranges)
            for (int i = r.first; i <= r.second; ++i) Add(ToVktTable(i));
    }
    // The same with named bounds: {TVktTable::TblForm, TVktTable::TblYHistoryUnit}.
    constexpr TVktTableSet(std::initializer_list<std::pair<TVktTable, TVktTable>> ranges) {
        for (const auto& r : ranges)
            for (int i = ToInt(r.first); i <= ToInt(r.second); ++i) Add(ToVktTable(i));
    }
    constexpr void Add(TVktTable table) {
        if (ToInt(table) < VktTableCount) bits_ |= Bit(table);
    }
    constexpr void Remove(TVktTable table) {
        if (ToInt(table) < VktTableCount) bits_ &= ~Bit(table);
    }
    constexpr bool Contains(TVktTable table) const {
        return ToInt(table) < VktTableCount && (bits_ & Bit(table)) != 0;
    }
    constexpr bool IsEmpty() const { return bits_ == 0; }
    constexpr bool operator==(const TVktTableSet&) const = default;

private:
    static constexpr std::uint32_t Bit(TVktTable table) { return std::uint32_t{1} << ToInt(table); }
    std::uint32_t bits_ = 0;
};

// Set of fields 1..102 (bit per identifier); None (0) and identifiers >= 103 belong to none.
class TVktFieldSet {
public:
    constexpr TVktFieldSet() = default;
    // Members are the inclusive ranges given as {first, last} pairs (a single member as {n, n}).
    constexpr TVktFieldSet(std::initializer_list<std::pair<int, int>> ranges) {
        for (const auto& r : ranges)
            for (int i = r.first; i <= r.second; ++i)
                if (i >= 0 && i < VktFieldCount) Add(ToVktField(i));
    }
    // The same with named bounds: {TVktField::BuyPrice, TVktField::Yield}.
    constexpr TVktFieldSet(std::initializer_list<std::pair<TVktField, TVktField>> ranges) {
        for (const auto& r : ranges)
            for (int i = ToInt(r.first); i <= ToInt(r.second); ++i)
                if (i < VktFieldCount) Add(ToVktField(i));
    }
    // Single members: {TVktField::Complete, TVktField::SalePrice}.
    constexpr TVktFieldSet(std::initializer_list<TVktField> fields) {
        for (TVktField field : fields) Add(field);
    }
    constexpr void Add(TVktField field) {
        if (Valid(field)) words_[Word(field)] |= Bit(field);
    }
    constexpr void Remove(TVktField field) {
        if (Valid(field)) words_[Word(field)] &= ~Bit(field);
    }
    constexpr bool Contains(TVktField field) const {
        return Valid(field) && (words_[Word(field)] & Bit(field)) != 0;
    }
    // Integer form, for identifiers read from TPriorityItem lists: values outside 1..102 belong to none.
    constexpr bool Contains(int field) const {
        return field > 0 && field < VktFieldCount && Contains(ToVktField(field));
    }
    constexpr bool IsEmpty() const { return words_[0] == 0 && words_[1] == 0; }
    // Number of members.
    int Count() const;
    // The members in identifier order.
    std::vector<TVktField> Fields() const;
    constexpr bool operator==(const TVktFieldSet&) const = default;

private:
    static constexpr bool Valid(TVktField field) { return ToInt(field) > 0 && ToInt(field) < VktFieldCount; }
    static constexpr int Word(TVktField field) { return ToInt(field) / 64; }
    static constexpr std::uint64_t Bit(TVktField field) { return std::uint64_t{1} << (ToInt(field) % 64); }
    std::uint64_t words_[2] = {0, 0};
};

// Named sets.
// Tables with a table of their own in the database file.
inline constexpr TVktTableSet StoredTables{{TVktTable::TblClass, TVktTable::TblInitialize}};
// The views of TblUnits.
inline constexpr TVktTableSet UnitViewTables{{TVktTable::TblForm, TVktTable::TblYHistoryUnit}};
// Name columns of the unit views.
inline constexpr TVktFieldSet UnitViewFields{{TVktField::Form, TVktField::YHistoryUnit2}};
// Second-language name columns (Units2 is not one).
inline constexpr TVktFieldSet FrenchFields{TVktField::Class2, TVktField::Form2, TVktField::UseUnit2,
                                           TVktField::BuyUnit2, TVktField::ItemUnit2, TVktField::InvUnit2,
                                           TVktField::MHistoryUnit2, TVktField::YHistoryUnit2, TVktField::Data2,
                                           TVktField::Information2};
// Float and currency columns.
inline constexpr TVktFieldSet NumericFields{{TVktField::UsePrice, TVktField::UsePrice},
                                            {TVktField::BuyPrice, TVktField::Yield},
                                            {TVktField::MHistoryPrice, TVktField::MHistoryPrice},
                                            {TVktField::YHLastPrice, TVktField::YHMinPrice},
                                            {TVktField::Complete, TVktField::CostRate},
                                            {TVktField::ItemUse, TVktField::ItemPrice},
                                            {TVktField::ItemUsePrice, TVktField::ItemUsePrice},
                                            {TVktField::InvPrice, TVktField::InvTotalPrice}};
// Fields a user filter may use.
inline constexpr TVktFieldSet FilterFields{{TVktField::Company, TVktField::Dealer},
                                           {TVktField::Address, TVktField::EMail},
                                           {TVktField::InvItem, TVktField::InvItem},
                                           {TVktField::Form_Key, TVktField::ChangeDate},
                                           {TVktField::EraseDate, TVktField::EraseDate},
                                           {TVktField::BuyUnit_Key, TVktField::Dealer_Key},
                                           {TVktField::MHistoryDate, TVktField::MHistoryPrice},
                                           {TVktField::YHistoryDate, TVktField::YHMinPrice},
                                           {TVktField::Complete, TVktField::CostRate},
                                           {TVktField::ItemUse, TVktField::ItemUsePrice},
                                           {TVktField::Information, TVktField::Information2},
                                           {TVktField::InvDate_Key, TVktField::InvTotalPrice}};
// Fields offered as list and report columns (also known as ListFieldSet).
inline constexpr TVktFieldSet ListFields{{TVktField::Class, TVktField::Class2},
                                         {TVktField::Form, TVktField::YHistoryUnit2},
                                         {TVktField::Company, TVktField::EMail},
                                         {TVktField::Attribute, TVktField::Attribute},
                                         {TVktField::InvDate, TVktField::InvDate},
                                         {TVktField::Data, TVktField::Data2},
                                         {TVktField::UsePrice, TVktField::ChangeDate},
                                         {TVktField::EraseDate, TVktField::EraseDate},
                                         {TVktField::BuyPrice, TVktField::Yield},
                                         {TVktField::MHistoryDate, TVktField::MHistoryDate},
                                         {TVktField::MHistoryPrice, TVktField::MHistoryPrice},
                                         {TVktField::YHistoryDate, TVktField::YHistoryDate},
                                         {TVktField::YHLastPrice, TVktField::YHMinPrice},
                                         {TVktField::Complete, TVktField::CostRate},
                                         {TVktField::ItemUse, TVktField::ItemPrice},
                                         {TVktField::ItemUsePrice, TVktField::ItemCatIndex},
                                         {TVktField::Information, TVktField::Information2},
                                         {TVktField::InvPrice, TVktField::InvTotalPrice}};
inline constexpr const TVktFieldSet& ListFieldSet = ListFields;
// Columns holding the key of a master row or of another record.
inline constexpr TVktFieldSet ForeignKeyFields{TVktField::Class_Key, TVktField::Form_Key, TVktField::UseUnit_Key,
                                               TVktField::AttrItem_Key, TVktField::BuyUnit_Key,
                                               TVktField::Dealer_Key, TVktField::MHistoryUnit_Key,
                                               TVktField::YHistoryUnit_Key, TVktField::Data_Key,
                                               TVktField::ItemUnit_Key, TVktField::InvDate_Key,
                                               TVktField::InvUnit_Key};
// Fields of the master tables and unit views.
inline constexpr TVktFieldSet MasterFields{{TVktField::Class_ID, TVktField::InvType}};
// Fields of the record tables.
inline constexpr TVktFieldSet DataFields{{TVktField::Data_ID, TVktField::InvTotalPrice}};

// The definitions are constant; kept for callers that initialise the schema explicitly. Idempotent.
void BuildSchema();

// Whole definitions; an out-of-range identifier gives the definition of None.
const TVktTableDef& GetTableDef(TVktTable table);
const TVktFieldDef& GetFieldDef(TVktField field);

// Table lookups.
std::string GetTableFileName(TVktTable table);
std::string GetTableName(TVktTable table);
TVktField GetTableFirstField(TVktTable table);
int GetTableFieldCount(TVktTable table);
int GetTableKeyCount(TVktTable table);
// Fields a query on the table may select: 1..102 for TblData, TblItem and TblInventory (they may join
// any table), else the table's own fields without None (table None: empty).
TVktFieldSet GetTableFieldSet(TVktTable table);
// First table whose table name equals `name` exactly (case-sensitive; file names are not compared);
// VktTableNotFound when none does. "" gives None.
TVktTable FindTableByName(std::string_view name);

// Field lookups.
std::string GetFieldName(TVktField field);
std::string GetFieldCaption(TVktField field);
platform::FieldType GetFieldType(TVktField field);
int GetFieldSize(TVktField field);
TVktTable GetFieldTable(TVktField field);
// First field whose column name equals `name` exactly (case-sensitive); VktFieldNotFound when none
// does. "None" gives None.
TVktField FindFieldByName(std::string_view name);

// Field comparison that folds the unit-view fields (12..25) onto Units2 (French ones) or Units.
bool VktFieldEqual(TVktField a, TVktField b);
// True when some item of the field list is VktFieldEqual to `field`; items outside 1..102 are
// compared unfolded.
bool VktFieldContains(const TPriorityItem& fields, TVktField field);
