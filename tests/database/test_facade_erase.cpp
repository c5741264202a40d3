// The database object's facade over the trash, deletes, reordering and inventory sheets: the
// notices each operation fires, the batch loops with their progress and stops, and the refusals.
#include "FacadeFixture.h"

#include <memory>
#include <string>
#include <vector>

#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "support/Ids.h"

namespace {

constexpr int kBeef = 4;
constexpr int kFish = 8;     // "2000001"
constexpr int kSauce = 36;   // "2000101", an empty recipe leaf
constexpr const char* kNow = "2024-03-15 10:20:30";

using vkttest::Ids;

class FacadeEraseTest : public FacadeFixture {
protected:

    void AddFood(int id, const platform::Variant& unit = 5) {
        const std::string key = std::to_string(id);
        Add(vkttest::DataRow{.Data_ID = id, .Class_Key = kBeef, .Form_Key = 1, .Data = "R" + key, .UseUnit_Key = unit,
                             .UsePrice = 250});
        Sql("insert into VktDB1K values (" + key + ", 5, 1000, 4, 100, 1)");
    }
    void Erase(int id) { Sql("insert into VktDB1G values (" + std::to_string(id) + ", '2024-01-01 00:00:00')"); }
    std::int64_t DataRows(int id) { return Int("select count(*) from VktDB1F where Data_ID = " + std::to_string(id)); }
    std::string Entries() {
        return Text("select group_concat(s, ' ') from (select InvDate_Key || ':' || Inventory_Key || '=' || Remained "
                    "as s from VktDB1Q order by InvDate_Key, Inventory_Key)");
    }

};

// A progress callback that records each call and stops after `stopAfter` calls (0: never).
struct Progress {
    int calls = 0;
    int stopAfter = 0;
    std::vector<bool> flags;
    TVktProgressEvent Event(TVktObject* expected) {
        return [this, expected](TVktObject* sender, const std::string& text, bool& cont, int tag) {
            EXPECT_EQ(sender, expected);
            EXPECT_EQ(text, "");
            EXPECT_EQ(tag, 17);
            flags.push_back(cont);
            if (++calls == stopAfter) cont = false;
        };
    }
};

// ---- Trash ----------------------------------------------------------------------------------------

TEST_F(FacadeEraseTest, TheTrashCycleIsAnnounced) {
    AddFood(1);
    AddFood(2);
    ASSERT_TRUE(object->EraseData(17, Ids({1, 2}), nullptr));
    EXPECT_EQ(object->GetDataEraseState(1), -1);
    EXPECT_EQ(object->GetDataClassType(1), 1);
    ASSERT_TRUE(object->RestoreData(17, Ids({1}), nullptr));
    EXPECT_EQ(object->GetDataEraseState(1), 0);
    ASSERT_TRUE(object->PurgeData(17, Ids({2}), nullptr));
    EXPECT_EQ(DataRows(2), 0);
    EXPECT_EQ(Int("select count(*) from VktDB1K where Food_Key = 2"), 0);
    EXPECT_EQ(notices, (Notices{"field 52: 1,2", "field 52: 1", "delete 6: 2"}));
}

TEST_F(FacadeEraseTest, EmptyBatchesReturnTrueAndFireNothing) {
    EXPECT_TRUE(object->EraseData(17, TPriorityItem(), nullptr));
    EXPECT_TRUE(object->RestoreData(17, TPriorityItem(), nullptr));
    EXPECT_TRUE(object->PurgeData(17, TPriorityItem(), nullptr));
    EXPECT_TRUE(object->DeleteInventoryEntry(1, 17, TPriorityItem(), nullptr));
    EXPECT_TRUE(notices.empty());
}

TEST_F(FacadeEraseTest, APurgeThatConservesARecordGoesOnWithTheBatch) {
    for (int id = 1; id <= 3; ++id) {
        AddFood(id);
        Erase(id);
    }
    Sql("insert into VktDB1E values (1, '2024-02-29', 0)");
    Sql("insert into VktDB1Q values (2, 1, 5, 250, 4)");
    Progress progress;
    EXPECT_TRUE(object->PurgeData(17, Ids({1, 2, 3}), progress.Event(object)));
    EXPECT_EQ(progress.flags, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(notices, Notices{"delete 6: 1,2,3"});
    EXPECT_EQ(DataRows(1) + DataRows(3), 0);
    // Record 2 is conserved: its own rows are gone, the data row stays for the sheet.
    EXPECT_EQ(functor.GetDataEraseState(2), -2);
    EXPECT_EQ(Text("select Conserve || '|' || InvItem || '|' || ChangeDate from VktDB1F where Data_ID = 2"),
              std::string("1|0|") + kNow);
    EXPECT_EQ(Int("select count(*) from VktDB1K where Food_Key = 2"), 0);

    // Once its entry is gone, the conserved record is purged for good.
    notices.clear();
    ASSERT_TRUE(object->DeleteInventoryEntry(1, 17, Ids({2}), nullptr));
    ASSERT_TRUE(object->PurgeData(17, Ids({2}), nullptr));
    EXPECT_EQ(DataRows(2), 0);
    EXPECT_EQ(notices, (Notices{"delete 11: 2", "delete 6: 2"}));
}

TEST_F(FacadeEraseTest, TheProgressCallbackStopsAnErase) {
    for (int id = 1; id <= 3; ++id) AddFood(id);
    Progress progress;
    progress.stopAfter = 1;
    EXPECT_FALSE(object->EraseData(17, Ids({1, 2, 3}), progress.Event(object)));
    EXPECT_EQ(progress.calls, 1);
    EXPECT_EQ(notices, Notices{"field 52: 1"});
    EXPECT_EQ(Count(TVktTable::TblErase), 1);
}

// A record that a recipe or menu uses stays out of the trash; the records that stayed so are
// found with the names of those that use them. Records in the trash are not among them.
TEST_F(FacadeEraseTest, RecordsInUseStayOutOfTheTrashAndNameTheirUsers) {
    for (int id = 1; id <= 3; ++id) AddFood(id);
    Add(vkttest::DataRow{.Data_ID = 10, .InvItem = false, .Class_Key = kSauce, .Form_Key = 1, .Data = "Stew"});
    Add(vkttest::DataRow{.Data_ID = 11, .InvItem = false, .Class_Key = kSauce, .Form_Key = 1, .Data = "Soup"});
    Sql("insert into VktDB1O (Item_Key, ItemIndex, Category, CatIndex, Data_Key) values "
        "(11, 1, 1, 1, 1), (10, 1, 1, 1, 1), (10, 2, 1, 2, 1), (10, 3, 1, 3, 3)");
    Erase(3);   // in the trash, then used
    ASSERT_TRUE(object->EraseData(17, Ids({1, 2}), nullptr));
    EXPECT_EQ(Text("select group_concat(Erase_Key) from VktDB1G"), "2,3");
    const std::vector<TVktItemUse> uses = object->GetItemUses(Ids({3, 2, 1, 99}));
    ASSERT_EQ(uses.size(), 1u);
    EXPECT_EQ(uses[0].DataId, 1);
    EXPECT_EQ(uses[0].Name, "R1");
    EXPECT_EQ(uses[0].Users, (std::vector<std::string>{"Stew", "Soup"}));
}

// ---- Deletes and dependency queries ---------------------------------------------------------------

TEST_F(FacadeEraseTest, DeletesAnnounceTheirKindAndKey) {
    Sql("insert into VktDB1C (Dealer_ID, Company) values (2, 'Fish market')");
    Sql("insert into VktDB1D values (1, 'Halal')");
    EXPECT_TRUE(object->DeleteClass(kSauce));
    EXPECT_FALSE(object->DeleteClass(3));   // has sub-classes
    EXPECT_TRUE(object->DeleteForm(2));
    EXPECT_TRUE(object->DeleteUnit(5));
    EXPECT_TRUE(object->DeleteDealer(2));
    EXPECT_TRUE(object->DeleteAttrItem(1));
    EXPECT_EQ(notices, (Notices{"delete 0: 36", "delete 1: 2", "delete 2: 5", "delete 3: 2", "delete 4: 1"}));
}

TEST_F(FacadeEraseTest, DependencyQueriesPassThrough) {
    AddFood(1);
    EXPECT_TRUE(object->ClassHasContents(kBeef));
    EXPECT_FALSE(object->ClassIsBranchOrEmpty(kBeef));
    EXPECT_TRUE(object->ClassIsBranchOrEmpty(kSauce));
    EXPECT_TRUE(object->GetUsedUnitKeys(5));
    EXPECT_FALSE(object->GetUsedUnitKeys(7));
    EXPECT_TRUE(object->GetFoodsByDealer(1));
    EXPECT_FALSE(object->GetFoodsByDealer(2));
    EXPECT_TRUE(object->GetClassesByIcon(7));
    EXPECT_FALSE(object->GetClassesByIcon(9));
    EXPECT_TRUE(notices.empty());
}

// ---- Reordering -----------------------------------------------------------------------------------

TEST_F(FacadeEraseTest, MovesAnnounceTheNewPosition) {
    AddFood(1);
    Sql("update VktDB1F set Form_Key = 4");
    Sql("insert into VktDB1C (Dealer_ID, Company) values (2, 'Fish market')");
    Sql("insert into VktDB1D values (1, 'Halal'), (2, 'Vegan')");
    ASSERT_TRUE(object->MoveUnit(4, 2));
    EXPECT_EQ(Int("select Form_Key from VktDB1F"), 2);
    ASSERT_TRUE(object->MoveDealer(2, 1));
    EXPECT_EQ(Int("select Dealer_Key from VktDB1K"), 2);
    ASSERT_TRUE(object->MoveAttrItem(1, 2));
    ASSERT_TRUE(object->MoveClassUp(kFish));
    ASSERT_TRUE(object->MoveClassDown(kFish));
    EXPECT_EQ(notices, (Notices{"add 1: 2", "add 2: 2", "add 3: 1", "add 4: 2", "field 2: 8", "field 2: 8"}));
}

TEST_F(FacadeEraseTest, RefusedMovesAnnounceNothing) {
    EXPECT_FALSE(object->MoveUnit(3, 3));
    EXPECT_FALSE(object->MoveDealer(2, 2));
    EXPECT_FALSE(object->MoveAttrItem(1, 1));
    EXPECT_FALSE(object->MoveClassUp(3));     // first child
    EXPECT_FALSE(object->MoveClassDown(2));   // a family class
    EXPECT_TRUE(notices.empty());
}

// ---- Inventory sheets -----------------------------------------------------------------------------

TEST_F(FacadeEraseTest, ASheetIsStoredForItsMonthAndFilled) {
    AddFood(1);
    AddFood(2);
    ASSERT_TRUE(object->SetInventoryEntry(2, false, Ids({1, 2}), platform::EncodeDate(2024, 3, 10), 17, nullptr));
    EXPECT_EQ(Text("select InvDate_ID || '|' || InvDate || '|' || InvType from VktDB1E"), "1|2024-03-31|2");
    EXPECT_EQ(Entries(), "1:1=0.0 1:2=0.0");
    EXPECT_EQ(object->FindInvDate(platform::EncodeDate(2024, 3, 1)), 1);
    EXPECT_EQ(object->GetInvDates(), Ids({1}));
    EXPECT_EQ(object->GetInvDateMonths(), Ids({static_cast<int>(platform::EncodeDate(2024, 3, 1))}));
    EXPECT_EQ(object->GetInventoryItems(), Ids({1, 2}));

    // The same month again: the sheet's price type is updated; counts kept unless reset.
    Sql("update VktDB1Q set Remained = 2");
    ASSERT_TRUE(object->SetInventoryEntry(0, false, Ids({1}), platform::EncodeDate(2024, 3, 31), 17, nullptr));
    ASSERT_TRUE(object->SetInventoryEntry(0, true, Ids({2}), platform::EncodeDate(2024, 3, 31), 17, nullptr));
    EXPECT_EQ(Int("select InvType from VktDB1E"), 0);
    EXPECT_EQ(Entries(), "1:1=2.0 1:2=0.0");
    EXPECT_EQ(notices, (Notices{"add 5: 1", "add 11: 1,2", "add 5: 1", "add 11: 1", "add 5: 1", "add 11: 2"}));
}

TEST_F(FacadeEraseTest, AnEmptySelectionStillStoresAndAnnouncesTheSheet) {
    ASSERT_TRUE(object->SetInventoryEntry(1, false, TPriorityItem(), platform::EncodeDate(2024, 4, 2), 17, nullptr));
    EXPECT_EQ(Text("select InvDate from VktDB1E"), "2024-04-30");
    EXPECT_EQ(notices, Notices{"add 5: 1"});
}

TEST_F(FacadeEraseTest, ASheetThatCannotBeStoredIsAFailure) {
    AddFood(1);
    EXPECT_FALSE(object->SetInventoryEntry(5, false, Ids({1}), platform::EncodeDate(2024, 3, 10), 17, nullptr));
    Sql("create trigger NoSheet before insert on VktDB1E begin select raise(abort, 'refused'); end");
    EXPECT_FALSE(object->SetInventoryEntry(0, false, Ids({1}), platform::EncodeDate(2024, 3, 10), 17, nullptr));
    EXPECT_EQ(Count(TVktTable::TblInvDate), 0);
    EXPECT_EQ(Count(TVktTable::TblInventory), 0);
    EXPECT_TRUE(notices.empty());
}

// The sheet and its entries are stored together or not at all.
TEST_F(FacadeEraseTest, AnEntryThatCannotBeWrittenStopsTheSheetAndStoresNothing) {
    AddFood(1);
    AddFood(2, platform::Variant::Null());   // no unit
    AddFood(3);
    Progress progress;
    EXPECT_FALSE(object->SetInventoryEntry(0, false, Ids({1, 2, 3}), platform::EncodeDate(2024, 3, 10), 17,
                                           progress.Event(object)));
    EXPECT_EQ(progress.flags, (std::vector<bool>{true, false}));
    EXPECT_EQ(Count(TVktTable::TblInvDate), 0);
    EXPECT_EQ(Entries(), "");
    EXPECT_TRUE(notices.empty());
}

TEST_F(FacadeEraseTest, EntriesAreAddedOnlyToAnExistingSheet) {
    AddFood(1);
    AddFood(2);
    Sql("insert into VktDB1E values (4, '2024-02-29', 0)");
    Sql("insert into VktDB1Q values (1, 4, 5, 250, 6)");
    EXPECT_TRUE(object->SetInventoryEntries(9, 17, Ids({1, 2}), nullptr));   // no such sheet
    EXPECT_EQ(Entries(), "4:1=6.0");
    ASSERT_TRUE(object->SetInventoryEntries(4, 17, Ids({1, 2}), nullptr));
    EXPECT_EQ(Entries(), "4:1=6.0 4:2=0.0");
    EXPECT_EQ(notices, Notices{"add 11: 1,2"});
}

TEST_F(FacadeEraseTest, DeletingEntriesIsAnnouncedWhenAnyWereDone) {
    Sql("insert into VktDB1E values (1, '2024-02-29', 0)");
    Sql("insert into VktDB1Q values (1, 1, 5, 250, 6), (2, 1, 5, 250, 6), (3, 1, 5, 250, 6)");
    EXPECT_TRUE(object->DeleteInventoryEntry(0, 17, Ids({1}), nullptr));   // sheet 0: nothing
    EXPECT_EQ(Count(TVktTable::TblInventory), 3);
    ASSERT_TRUE(object->DeleteInventoryEntry(1, 17, Ids({1, 3}), nullptr));
    EXPECT_EQ(Entries(), "1:2=6.0");
    EXPECT_EQ(notices, Notices{"delete 11: 1,3"});
}

TEST_F(FacadeEraseTest, MonthsOfThePriceHistory) {
    Sql("insert into VktDB1L values (1, '2023-12-01', 5, 1), (1, '2024-02-10', 5, 1)");
    EXPECT_EQ(object->GetMHistoryMonths(), Ids({static_cast<int>(platform::EncodeDate(2024, 2, 1)),
                                                static_cast<int>(platform::EncodeDate(2023, 12, 1))}));
}

} // namespace
