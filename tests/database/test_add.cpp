// Adding records and master rows: default names, records, classes, forms, units, dealers,
// attribute items, inventory sheets and moving records between classes.
#include "DbFixture.h"

namespace {

// Class ids of the default tree.
constexpr int kRoot = 1;
constexpr int kFoods = 2;      // "20000", family of ingredients
constexpr int kMeat = 3;       // "2000000", has sub-classes 4..7
constexpr int kBeef = 4;       // "200000000", a leaf
constexpr int kPork = 5;       // "200000001", a leaf
constexpr int kBase = 35;      // "2000100", a recipe leaf
constexpr int kBanquet = 44;   // "2000200", a menu leaf
constexpr int kTrash = 47;     // "201"

class AddTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        CreateDefaults();
    }
    // A record of the class written directly.
    void AddRecord(int id, int classId) {
        Add(vkttest::DataRow{.Data_ID = id, .Class_Key = classId, .Form_Key = 1, .Data = "R" + std::to_string(id),
                             .UseUnit_Key = 5, .UsePrice = 10, .ChangeDate = "2020-01-01 00:00:00"});
    }
    std::string ClassRow(int id) {
        return Text("select TreeID || '|' || ClassType || '|' || Class || '|' || Class2 || '|' || Icon_Key "
                    "from VktDB1A where Class_ID = " + std::to_string(id));
    }
};

// ---- Default names ----------------------------------------------------------------------------------

TEST_F(AddTest, DefaultNamesAreNumberedFromOneAndReuseFreedNumbers) {
    EXPECT_EQ(functor.MakeNewName(TVktObjKind::Class), "新規分類1");
    const int first = functor.AddClass(kBeef, "");
    ASSERT_NE(first, 0);
    EXPECT_EQ(Text("select Class from VktDB1A where Class_ID = " + std::to_string(first)), "新規分類1");
    EXPECT_EQ(functor.MakeNewName(TVktObjKind::Class), "新規分類2");
    Sql("update VktDB1A set Class = 'Other' where Class_ID = " + std::to_string(first));
    EXPECT_EQ(functor.MakeNewName(TVktObjKind::Class), "新規分類1");
}

TEST_F(AddTest, OnlyNamesThatStartWithTheBaseTakeANumber) {
    Sql("update VktDB1A set Class = case Class_ID when 3 then '新規分' when 4 then '新規分類1' when 5 then '新規分類2号' "
        "when 35 then 'X新規分類2' when 44 then '新規分類3' else Class end");
    EXPECT_EQ(functor.MakeNewName(TVktObjKind::Class), "新規分類2");
}

TEST_F(AddTest, EachKindHasItsBaseName) {
    EXPECT_EQ(functor.MakeNewName(TVktObjKind::Form), "新規形態1");
    EXPECT_EQ(functor.MakeNewName(TVktObjKind::Unit), "新規単位1");
    EXPECT_EQ(functor.MakeNewName(TVktObjKind::Dealer), "新規業者1");
    EXPECT_EQ(functor.MakeNewName(TVktObjKind::AttrItem), "新規属性1");
    EXPECT_EQ(functor.MakeNewName(TVktObjKind::Food), "新規食材1");
    EXPECT_EQ(functor.MakeNewName(TVktObjKind::Cook), "新規料理1");
    EXPECT_EQ(functor.MakeNewName(TVktObjKind::Menu), "新規メニュー1");
    EXPECT_EQ(functor.MakeNewName(TVktObjKind::InvDate), "");
    EXPECT_EQ(functor.MakeNewName(TVktObjKind::Data), "");
}

TEST_F(AddTest, FormsAndUnitsShareTheirNames) {
    ASSERT_NE(functor.AddForm(1, "新規単位1"), 0);
    EXPECT_EQ(functor.MakeNewName(TVktObjKind::Unit), "新規単位2");
    // Records of the three families share one table as well.
    AddRecord(1, kBase);
    Sql("update VktDB1F set Data = '新規食材1' where Data_ID = 1");
    EXPECT_EQ(functor.MakeNewName(TVktObjKind::Food), "新規食材2");
}

// ---- Records ------------------------------------------------------------------------------------------

TEST_F(AddTest, NewRecordsTakeTheKindOfTheirClassAndADefaultName) {
    const int food = functor.AddNewData(kBeef, "");
    ASSERT_EQ(food, 1);
    EXPECT_EQ(Text("select Data from VktDB1F where Data_ID = 1"), "新規食材1");
    EXPECT_EQ(Int("select Class_Key from VktDB1F where Data_ID = 1"), kBeef);
    EXPECT_EQ(Int("select count(*) from VktDB1K where Food_Key = 1"), 1);

    EXPECT_EQ(functor.AddNewData(kBeef, ""), 2);
    EXPECT_EQ(Text("select Data from VktDB1F where Data_ID = 2"), "新規食材2");

    EXPECT_EQ(functor.AddNewData(kBase, ""), 3);
    EXPECT_EQ(Text("select Data from VktDB1F where Data_ID = 3"), "新規料理1");
    EXPECT_EQ(Int("select count(*) from VktDB1N where Cook_Key = 3"), 1);

    EXPECT_EQ(functor.AddNewData(kBanquet, ""), 4);
    EXPECT_EQ(Text("select Data from VktDB1F where Data_ID = 4"), "新規メニュー1");
}

TEST_F(AddTest, AGivenNameIsStoredAsItIs) {
    const std::string name = "Chef's \"best\" beef, aged 30 days";
    const int id = functor.AddNewData(kPork, name);
    ASSERT_NE(id, 0);
    EXPECT_EQ(Text("select Data from VktDB1F where Data_ID = " + std::to_string(id)), name);
}

TEST_F(AddTest, RootTrashAndBranchClassesTakeNoRecords) {
    EXPECT_EQ(functor.AddNewData(kRoot, ""), 0);
    EXPECT_EQ(functor.AddNewData(kTrash, ""), 0);
    EXPECT_EQ(functor.AddNewData(kFoods, ""), 0);
    EXPECT_EQ(functor.AddNewData(kMeat, "x"), 0);
    EXPECT_EQ(functor.AddNewData(999, ""), 0);
    for (TVktTable table : {TVktTable::TblData, TVktTable::TblFood, TVktTable::TblCook, TVktTable::TblMHistory})
        EXPECT_EQ(Count(table), 0) << GetTableFileName(table);
}

// ---- Classes ------------------------------------------------------------------------------------------

TEST_F(AddTest, ANewClassFollowsTheLastChild) {
    const int id = functor.AddClass(kMeat, "");
    EXPECT_EQ(id, 48);
    EXPECT_EQ(ClassRow(id), "200000004|1|新規分類1|NouveauClasse|5");
}

TEST_F(AddTest, ANewClassFollowsTheLastChildNotItsSubClasses) {
    ASSERT_NE(functor.AddClass(7, ""), 0);   // "20000000300", below Meat's last child "200000003"
    const int child = functor.AddClass(kMeat, "");
    EXPECT_EQ(Text("select TreeID from VktDB1A where Class_ID = " + std::to_string(child)), "200000004");
}

TEST_F(AddTest, AFirstChildTakesTheParentsTypeIconAndRecords) {
    AddRecord(1, kBase);
    AddRecord(2, kBase);
    AddRecord(3, kBeef);
    const int first = functor.AddClass(kBase, "Fonds");
    ASSERT_EQ(first, 48);
    EXPECT_EQ(ClassRow(first), "200010000|2|Fonds|NouveauClasse|6");
    EXPECT_EQ(Int("select count(*) from VktDB1F where Class_Key = 48"), 2);
    EXPECT_EQ(Int("select Class_Key from VktDB1F where Data_ID = 3"), kBeef);

    // A second child leaves the records in the first one.
    const int second = functor.AddClass(kBase, "Sauces");
    ASSERT_EQ(second, 49);
    EXPECT_EQ(Text("select TreeID from VktDB1A where Class_ID = 49"), "200010001");
    EXPECT_EQ(Int("select count(*) from VktDB1F where Class_Key = 48"), 2);
}

TEST_F(AddTest, NoClassUnderTheRootTheTrashOrTheDeepestLevel) {
    EXPECT_EQ(functor.AddClass(kRoot, ""), 0);
    EXPECT_EQ(functor.AddClass(kTrash, ""), 0);
    EXPECT_EQ(functor.AddClass(999, ""), 0);
    // Levels 5 .. 10 below "Beef".
    int parent = kBeef;
    for (int depth = 5; depth <= 10; ++depth) {
        parent = functor.AddClass(parent, "");
        ASSERT_NE(parent, 0) << depth;
    }
    EXPECT_EQ(Text("select length(TreeID) from VktDB1A where Class_ID = " + std::to_string(parent)), "21");
    EXPECT_EQ(functor.AddClass(parent, ""), 0);
    EXPECT_EQ(Count(TVktTable::TblClass), 47 + 6);
}

TEST_F(AddTest, AClassThatFailsAfterItsInsertLeavesNothingBehind) {
    AddRecord(1, kBeef);
    Sql("create trigger NoMove before update on VktDB1F begin select raise(abort, 'refused'); end");
    EXPECT_EQ(functor.AddClass(kBeef, "Loin"), 0);
    EXPECT_EQ(Count(TVktTable::TblClass), 47);
    EXPECT_EQ(Int("select Class_Key from VktDB1F where Data_ID = 1"), kBeef);
}

TEST_F(AddTest, A256thSiblingIsRefused) {
    Sql("update VktDB1A set TreeID = '2000000FF' where Class_ID = 7");
    EXPECT_EQ(functor.AddClass(kMeat, ""), 0);
    EXPECT_EQ(Count(TVktTable::TblClass), 47);
}

// ---- Forms, units, dealers, attribute items ----------------------------------------------------------

TEST_F(AddTest, FormsAndUnitsTakeTheNextUnitsKey) {
    EXPECT_EQ(functor.AddForm(2, ""), 25);
    EXPECT_EQ(functor.AddUnit(3, "O'Neil"), 26);
    EXPECT_EQ(Text("select UnitsKind || '|' || UnitsType || '|' || Units || '|' || Units2 from VktDB1B "
                   "where Units_ID = 25"),
              "0|2|新規形態1|NouveauFome");
    EXPECT_EQ(Text("select UnitsKind || '|' || UnitsType || '|' || Units || '|' || Units2 from VktDB1B "
                   "where Units_ID = 26"),
              "1|3|O'Neil|NouveauUnit\xC3\xA9");
    EXPECT_EQ(functor.AddUnit(1, ""), 27);
    EXPECT_EQ(Text("select Units from VktDB1B where Units_ID = 27"), "新規単位1");
}

TEST_F(AddTest, DealersAndAttributeItems) {
    EXPECT_EQ(functor.AddDealer(""), 2);
    EXPECT_EQ(functor.AddDealer("Marché d'Or"), 3);
    EXPECT_EQ(Text("select Company from VktDB1C where Dealer_ID = 2"), "新規業者1");
    EXPECT_EQ(Text("select Company from VktDB1C where Dealer_ID = 3"), "Marché d'Or");
    EXPECT_EQ(Int("select count(*) from VktDB1C where Dealer_ID = 2 and Dealer is null and Address is null"), 1);

    EXPECT_EQ(functor.AddAttrItem(""), 1);
    EXPECT_EQ(functor.AddAttrItem(""), 2);
    EXPECT_EQ(Text("select group_concat(Attribute, ',') from (select Attribute from VktDB1D order by AttrItem_ID)"),
              "新規属性1,新規属性2");
}

// ---- Inventory sheets ---------------------------------------------------------------------------------

TEST_F(AddTest, OneInventorySheetPerMonthDatedItsLastDay) {
    EXPECT_EQ(functor.AddInvDate(0, platform::EncodeDate(2024, 2, 10)), 1);
    EXPECT_EQ(Text("select InvDate || '|' || InvType from VktDB1E where InvDate_ID = 1"), "2024-02-29|0");

    EXPECT_EQ(functor.AddInvDate(2, platform::EncodeDateTime(2024, 2, 29, 23, 0, 0)), 1);
    EXPECT_EQ(Text("select InvDate || '|' || InvType from VktDB1E where InvDate_ID = 1"), "2024-02-29|2");

    EXPECT_EQ(functor.AddInvDate(1, platform::EncodeDate(2023, 12, 1)), 2);
    EXPECT_EQ(Text("select InvDate from VktDB1E where InvDate_ID = 2"), "2023-12-31");
    EXPECT_EQ(Count(TVktTable::TblInvDate), 2);
}

// ---- Moving records -----------------------------------------------------------------------------------

TEST_F(AddTest, ARecordMovesOnlyWithinItsFamily) {
    AddRecord(1, kBeef);
    EXPECT_TRUE(functor.ChangeDataClass(1, kPork));
    EXPECT_EQ(Text("select Class_Key || '|' || ChangeDate from VktDB1F where Data_ID = 1"),
              "5|2024-03-15 10:20:30");

    Sql("update VktDB1F set ChangeDate = '2020-01-01 00:00:00'");
    EXPECT_TRUE(functor.ChangeDataClass(1, kBase));
    EXPECT_EQ(Text("select Class_Key || '|' || ChangeDate from VktDB1F where Data_ID = 1"),
              "5|2020-01-01 00:00:00");
    EXPECT_TRUE(functor.ChangeDataClass(99, kPork));
}

TEST_F(AddTest, OperationsFailWithoutTables) {
    Sql("drop table VktDB1A");
    EXPECT_EQ(functor.AddClass(kMeat, ""), 0);
    EXPECT_EQ(functor.AddNewData(kBeef, ""), 0);
    EXPECT_EQ(functor.MakeNewName(TVktObjKind::Class), "");
    Sql("drop table VktDB1E");
    EXPECT_EQ(functor.AddInvDate(0, platform::EncodeDate(2024, 1, 1)), 0);
}

} // namespace
