// Trash, restore and purge of records (live, erased, conserved, gone), deletes of classes, forms,
// units, dealers and attribute items, icon key shifts and the dependency queries.
#include "DbFixture.h"

#include <string>
#include <utility>
#include <vector>

namespace {

// Class ids of the default tree.
constexpr int kFoods = 2;     // "20000", family of ingredients
constexpr int kMeat = 3;      // "2000000", has sub-classes 4..7
constexpr int kBeef = 4;      // "200000000", a leaf
constexpr int kPork = 5;      // "200000001", a leaf
constexpr int kBase = 35;     // "2000100", first of the recipe leaves 35..42
constexpr int kSauce = 36;    // "2000101"
constexpr int kOther = 42;    // "2000107", the last recipe leaf
constexpr int kTrash = 47;    // "201"
constexpr const char* kOld = "2020-01-01 00:00:00";
constexpr const char* kNow = "2024-03-15 10:20:30";

// Tables holding rows that belong to one record, with their key column.
const std::vector<std::pair<std::string, std::string>> kOwned = {
    {"VktDB1H", "Memo_Key"},      {"VktDB1I", "Image_Key"},    {"VktDB1J", "Attribute_Key"},
    {"VktDB1K", "Food_Key"},      {"VktDB1L", "MHistory_Key"}, {"VktDB1M", "YHistory_Key"},
    {"VktDB1N", "Cook_Key"},      {"VktDB1O", "Item_Key"},     {"VktDB1P", "Information_Key"},
};

class EraseTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        CreateDefaults();
    }

    void AddRecord(int id, int classId = kBeef, bool conserve = false) {
        const std::string key = std::to_string(id);
        Add(vkttest::DataRow{.Data_ID = id, .Conserve = conserve, .Class_Key = classId, .Form_Key = 1,
                             .Data = "R" + key, .UseUnit_Key = 5, .UsePrice = 10, .ChangeDate = kOld});
    }
    // A record with one row in every table a record owns (its recipe item uses record 999).
    void AddFullRecord(int id) {
        AddRecord(id);
        const std::string key = std::to_string(id);
        Sql("insert into VktDB1H values (" + key + ", x'01')");
        Sql("insert into VktDB1I values (" + key + ", x'02')");
        Sql("insert into VktDB1J values (" + key + ", 1, 1)");
        Sql("insert into VktDB1K values (" + key + ", 5, 100, 1, 100, 1)");
        Sql("insert into VktDB1L values (" + key + ", '2024-03-01', 5, 10)");
        Sql("insert into VktDB1M values (" + key + ", '2023-12-31', 5, 10, 12, 11, 9)");
        Sql("insert into VktDB1N values (" + key + ", 1, 10, 20)");
        Sql("insert into VktDB1O values (" + key + ", 1, 1, 1, 999, 1, 10, 5, 10)");
        Sql("insert into VktDB1P values (" + key + ", 'info', 'info2')");
    }
    // How many owned rows the record still has, over all nine tables.
    std::int64_t OwnedRows(int id) {
        std::int64_t rows = 0;
        for (const auto& [table, column] : kOwned)
            rows += Int("select count(*) from " + table + " where " + column + " = " + std::to_string(id));
        return rows;
    }
    std::int64_t TrashRows(int id) { return Int("select count(*) from VktDB1G where Erase_Key = " + std::to_string(id)); }
    std::int64_t DataRows(int id) { return Int("select count(*) from VktDB1F where Data_ID = " + std::to_string(id)); }
    // "Class_ID:TreeID" of every class, in Class_ID order.
    std::string Tree() {
        return Text("select group_concat(s, ' ') from (select Class_ID || ':' || TreeID as s from VktDB1A "
                    "order by Class_ID)");
    }
    // A class written directly.
    void AddClass(int id, const std::string& treeId, int type = 2) {
        Sql("insert into VktDB1A values (" + std::to_string(id) + ", '" + treeId + "', " + std::to_string(type) +
            ", 'C" + std::to_string(id) + "', NULL, 6)");
    }
};

// ---- Erase and restore ----------------------------------------------------------------------------

TEST_F(EraseTest, EraseAndRestoreMoveARecordInAndOutOfTheTrash) {
    AddFullRecord(1);
    EXPECT_TRUE(functor.EraseData(1));
    EXPECT_EQ(Text("select EraseDate from VktDB1G where Erase_Key = 1"), kNow);
    EXPECT_EQ(functor.GetDataEraseState(1), -1);
    EXPECT_EQ(OwnedRows(1), 9);

    // A second erase writes nothing: the first stamp stays.
    platform::SetFixedNow(platform::EncodeDateTime(2024, 4, 1, 8, 0, 0));
    EXPECT_TRUE(functor.EraseData(1));
    EXPECT_EQ(TrashRows(1), 1);
    EXPECT_EQ(Text("select EraseDate from VktDB1G where Erase_Key = 1"), kNow);

    EXPECT_TRUE(functor.RestoreData(1));
    EXPECT_EQ(TrashRows(1), 0);
    EXPECT_EQ(functor.GetDataEraseState(1), 0);
    EXPECT_EQ(OwnedRows(1), 9);
    EXPECT_TRUE(functor.RestoreData(1));   // a live record: nothing to do
}

TEST_F(EraseTest, ARecordUsedAsARecipeItemIsNotErased) {
    AddRecord(1);
    AddRecord(2, kBase);
    Sql("insert into VktDB1O values (2, 1, 1, 1, 1, 1, 10, 5, 10)");
    EXPECT_TRUE(functor.EraseData(1));
    EXPECT_EQ(TrashRows(1), 0);
    EXPECT_TRUE(functor.EraseData(999));   // no such record
    EXPECT_EQ(Count(TVktTable::TblErase), 0);
}

TEST_F(EraseTest, AnItemWithoutARecordDoesNotBlockEveryErase) {
    // A NULL Data_Key must not turn "not in (items)" into unknown for every record.
    AddRecord(1);
    AddRecord(2, kBase);
    Sql("insert into VktDB1O values (2, 1, 1, 1, NULL, 1, 10, 5, 10)");
    EXPECT_TRUE(functor.EraseData(1));
    EXPECT_EQ(TrashRows(1), 1);
    EXPECT_TRUE(functor.PurgeData(1));
    EXPECT_EQ(DataRows(1), 0);
}

// ---- Purge ----------------------------------------------------------------------------------------

TEST_F(EraseTest, PurgeOfAnErasedRecordRemovesEverythingItOwns) {
    AddFullRecord(1);
    AddFullRecord(2);
    ASSERT_TRUE(functor.EraseData(1));
    EXPECT_TRUE(functor.PurgeData(1));
    EXPECT_EQ(DataRows(1), 0);
    EXPECT_EQ(TrashRows(1), 0);
    EXPECT_EQ(OwnedRows(1), 0);
    EXPECT_EQ(OwnedRows(2), 9);   // other records keep theirs
    EXPECT_EQ(DataRows(2), 1);
}

TEST_F(EraseTest, PurgeOfALiveRecordChangesNothing) {
    AddFullRecord(1);
    EXPECT_FALSE(functor.PurgeData(1));
    EXPECT_EQ(DataRows(1), 1);
    EXPECT_EQ(OwnedRows(1), 9);
    EXPECT_FALSE(functor.PurgeData(999));
}

TEST_F(EraseTest, PurgeOfARecordUsedAsAnItemChangesNothing) {
    AddFullRecord(1);
    AddRecord(2, kBase);
    Sql("insert into VktDB1G values (1, '2024-01-01 00:00:00')");   // erased before it was used
    Sql("insert into VktDB1O values (2, 1, 1, 1, 1, 1, 10, 5, 10)");
    EXPECT_FALSE(functor.PurgeData(1));
    EXPECT_EQ(TrashRows(1), 1);
    EXPECT_EQ(OwnedRows(1), 9);
}

TEST_F(EraseTest, PurgeKeepsARecordCountedOnASheetUntilItsEntryIsDeleted) {
    AddFullRecord(1);
    Sql("insert into VktDB1E values (1, '2024-02-29', 0)");
    Sql("insert into VktDB1Q values (1, 1, 5, 10, 3)");
    ASSERT_TRUE(functor.EraseData(1));

    EXPECT_FALSE(functor.PurgeData(1));   // conserved, not gone
    EXPECT_EQ(OwnedRows(1), 0);
    EXPECT_EQ(TrashRows(1), 0);
    EXPECT_EQ(Text("select Conserve || '|' || InvItem || '|' || ChangeDate from VktDB1F where Data_ID = 1"),
              std::string("1|0|") + kNow);
    EXPECT_EQ(functor.GetDataEraseState(1), -2);
    EXPECT_EQ(Count(TVktTable::TblInventory), 1);

    // A conserved record has no trash row: restore leaves it as it is.
    EXPECT_TRUE(functor.RestoreData(1));
    EXPECT_EQ(functor.GetDataEraseState(1), -2);
    EXPECT_FALSE(functor.PurgeData(1));   // still counted
    EXPECT_EQ(DataRows(1), 1);

    ASSERT_TRUE(functor.DeleteInventoryEntry(1, 1));
    EXPECT_TRUE(functor.PurgeData(1));
    EXPECT_EQ(DataRows(1), 0);
}

TEST_F(EraseTest, AFailingPurgeLeavesTheRecordWholeInTheTrash) {
    AddFullRecord(1);
    ASSERT_TRUE(functor.EraseData(1));
    Sql("create trigger NoDelete before delete on VktDB1M begin select raise(abort, 'refused'); end");
    EXPECT_FALSE(functor.PurgeData(1));
    EXPECT_EQ(OwnedRows(1), 9);
    EXPECT_EQ(TrashRows(1), 1);
    EXPECT_EQ(Text("select Conserve || '|' || ChangeDate from VktDB1F where Data_ID = 1"), std::string("0|") + kOld);

    Sql("drop trigger NoDelete");
    EXPECT_TRUE(functor.PurgeData(1));
    EXPECT_EQ(DataRows(1), 0);
}

// ---- Delete a class -------------------------------------------------------------------------------

TEST_F(EraseTest, DeletingAClassRenumbersItsLaterSiblingsAndTheirSubTrees) {
    AddClass(48, "200010300");   // below 2000103 (id 38)
    AddClass(49, "20001030000");
    AddClass(50, "200010700");   // below 2000107 (id 42)
    const std::string before = Tree();

    ASSERT_TRUE(functor.DeleteClass(kSauce));
    std::string expected = before;
    auto replace = [&](const std::string& from, const std::string& to) {
        const auto at = expected.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        expected.replace(at, from.size(), to);
    };
    replace("36:2000101 ", "");
    for (int id = 37; id <= 42; ++id)
        replace(std::to_string(id) + ":20001" + "0" + std::to_string(id - 35),
                std::to_string(id) + ":20001" + "0" + std::to_string(id - 36));
    replace("48:200010300", "48:200010200");
    replace("49:20001030000", "49:20001020000");
    replace("50:200010700", "50:200010600");
    EXPECT_EQ(Tree(), expected);
}

TEST_F(EraseTest, DeletingTheLastSiblingRenumbersNothing) {
    const std::string before = Tree();
    ASSERT_TRUE(functor.DeleteClass(kOther));
    std::string expected = before;
    expected.erase(expected.find("42:2000107 "), std::string("42:2000107 ").size());
    EXPECT_EQ(Tree(), expected);
}

TEST_F(EraseTest, AClassWithContentsIsNotDeleted) {
    const std::string before = Tree();
    EXPECT_FALSE(functor.DeleteClass(kMeat));   // sub-classes

    AddRecord(1, kBeef);
    EXPECT_FALSE(functor.DeleteClass(kBeef));   // a live record

    AddRecord(2, kPork);
    Sql("insert into VktDB1G values (2, '2024-01-01 00:00:00')");
    EXPECT_FALSE(functor.DeleteClass(kPork));   // an erased record

    AddRecord(3, kBase, true);
    EXPECT_FALSE(functor.DeleteClass(kBase));   // a conserved record
    EXPECT_EQ(Tree(), before);
}

TEST_F(EraseTest, TheFixedClassesAndMissingClassesAreNotDeleted) {
    Sql("delete from VktDB1A where TreeID like '20002_%'");   // leaves the menu family empty
    const std::string before = Tree();
    EXPECT_FALSE(functor.DeleteClass(kTrash));   // no contents, but part of every database
    EXPECT_FALSE(functor.DeleteClass(43));       // the empty menu family
    EXPECT_FALSE(functor.DeleteClass(999));
    EXPECT_EQ(Tree(), before);
}

TEST_F(EraseTest, AFailingRenumberKeepsTheDeletedClass) {
    const std::string before = Tree();
    Sql("create trigger NoMove before update on VktDB1A when old.Class_ID = 40 "
        "begin select raise(abort, 'refused'); end");
    EXPECT_FALSE(functor.DeleteClass(kSauce));
    EXPECT_EQ(Tree(), before);
}

// ---- Deletes of forms, units, dealers and attribute items -----------------------------------------

TEST_F(EraseTest, FormsAndUnitsAreDeletedOnlyByTheirOwnOperation) {
    AddRecord(1);   // Form_Key 1, UseUnit_Key 5
    EXPECT_TRUE(functor.DeleteForm(5));   // 5 is a unit
    EXPECT_TRUE(functor.DeleteUnit(2));   // 2 is a form
    EXPECT_EQ(Count(TVktTable::TblUnits), 24);

    EXPECT_TRUE(functor.DeleteUnit(5));
    EXPECT_TRUE(functor.DeleteForm(2));
    EXPECT_EQ(Int("select count(*) from VktDB1B where Units_ID in (2, 5)"), 0);
    EXPECT_EQ(Count(TVktTable::TblUnits), 22);
    EXPECT_EQ(Int("select UseUnit_Key from VktDB1F"), 5);   // references stay; nothing renumbers
    EXPECT_EQ(Int("select max(Units_ID) from VktDB1B"), 24);
}

TEST_F(EraseTest, DeletingADealerLeavesTheIngredientsKeys) {
    Sql("insert into VktDB1C (Dealer_ID, Company) values (2, 'Fish market')");
    AddFullRecord(1);
    Sql("update VktDB1K set Dealer_Key = 2");
    EXPECT_TRUE(functor.DeleteDealer(2));
    EXPECT_EQ(Count(TVktTable::TblDealer), 1);
    EXPECT_EQ(Int("select Dealer_Key from VktDB1K"), 2);
}

TEST_F(EraseTest, DeletingAnAttributeItemTakesEveryCheckOfIt) {
    Sql("insert into VktDB1D values (1, 'Halal'), (2, 'Vegan')");
    Sql("insert into VktDB1J values (1, 1, 1), (1, 2, 0), (2, 1, 0)");
    EXPECT_TRUE(functor.DeleteAttrItem(1));
    EXPECT_EQ(Text("select group_concat(AttrItem_ID) from VktDB1D"), "2");
    EXPECT_EQ(Text("select group_concat(Attribute_Key || ':' || AttrItem_Key) from VktDB1J"), "1:2");
}

TEST_F(EraseTest, ShiftIconKeysMovesTheKeysFromTheRemovedIconDown) {
    EXPECT_TRUE(functor.ShiftIconKeys(5));
    // Icons 0..4 stay; 5, 6, 7 become 4, 5, 6.
    EXPECT_EQ(Text("select group_concat(Icon_Key) from (select distinct Icon_Key from VktDB1A order by Icon_Key)"),
              "0,1,2,3,4,5,6");
    EXPECT_EQ(Int("select Icon_Key from VktDB1A where Class_ID = " + std::to_string(kBeef)), 4);
    EXPECT_EQ(Int("select Icon_Key from VktDB1A where Class_ID = " + std::to_string(kFoods)), 2);
}

// ---- Dependency queries ---------------------------------------------------------------------------

TEST_F(EraseTest, ClassesByIcon) {
    EXPECT_TRUE(functor.GetClassesByIcon(7));
    EXPECT_FALSE(functor.GetClassesByIcon(8));
}

TEST_F(EraseTest, ContentsAndBranchOrEmpty) {
    AddRecord(1, kBeef);
    AddRecord(2, kPork);
    Sql("insert into VktDB1G values (2, '2024-01-01 00:00:00')");
    AddRecord(3, kBase, true);
    struct Case {
        int classId;
        bool hasContents;
        bool branchOrEmpty;
    };
    const Case cases[] = {
        {kMeat, true, true},     // sub-classes only
        {kBeef, true, false},    // a live record
        {kPork, true, false},    // an erased record
        {kBase, true, false},    // a conserved record
        {kSauce, false, true},   // an empty leaf
        {999, false, false},     // no such class: the queries fail
    };
    for (const Case& c : cases) {
        EXPECT_EQ(functor.ClassHasContents(c.classId), c.hasContents) << c.classId;
        EXPECT_EQ(functor.ClassIsBranchOrEmpty(c.classId), c.branchOrEmpty) << c.classId;
    }
    // Only direct sub-classes count as sub-classes: a grandchild alone is not one.
    Sql("update VktDB1A set TreeID = '20001010000' where Class_ID = 37");
    EXPECT_FALSE(functor.ClassHasContents(kSauce));
}

TEST_F(EraseTest, UsedUnitKeysAreFoundInEverySevenColumns) {
    using vkttest::DataRow;
    const auto null = platform::Variant::Null();
    const std::pair<const char*, std::string> uses[] = {
        {"Form_Key", InsertSql(DataRow{.Data_ID = 1, .InvItem = false, .Class_Key = 4, .Form_Key = 30,
                                       .UseUnit_Key = null})},
        {"UseUnit_Key", InsertSql(DataRow{.Data_ID = 1, .InvItem = false, .Class_Key = 4, .Form_Key = null,
                                          .UseUnit_Key = 30})},
        {"BuyUnit_Key", "insert into VktDB1K values (1, 30, 1, 1, 100, 1)"},
        {"MHistoryUnit_Key", "insert into VktDB1L values (1, '2024-01-01', 30, 1)"},
        {"YHistoryUnit_Key", "insert into VktDB1M values (1, '2023-12-31', 30, 1, 1, 1, 1)"},
        {"InvUnit_Key", "insert into VktDB1Q values (1, 1, 30, 1, 1)"},
        {"ItemUnit_Key", "insert into VktDB1O values (1, 1, 1, 1, 2, 1, 1, 30, 1)"},
    };
    for (const auto& [column, insert] : uses) {
        for (const char* table : {"VktDB1F", "VktDB1K", "VktDB1L", "VktDB1M", "VktDB1Q", "VktDB1O"})
            Sql(std::string("delete from ") + table);
        EXPECT_FALSE(functor.GetUsedUnitKeys(30)) << column;
        Sql(insert);
        EXPECT_TRUE(functor.GetUsedUnitKeys(30)) << column;
        EXPECT_FALSE(functor.GetUsedUnitKeys(31)) << column;
    }
}

TEST_F(EraseTest, DealerOneIsAlwaysInUse) {
    Sql("delete from VktDB1C");
    EXPECT_TRUE(functor.GetFoodsByDealer(1));
    EXPECT_FALSE(functor.GetFoodsByDealer(2));
    AddFullRecord(1);
    Sql("update VktDB1K set Dealer_Key = 2");
    EXPECT_TRUE(functor.GetFoodsByDealer(2));
}

} // namespace
