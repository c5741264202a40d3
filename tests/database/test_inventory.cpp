// Inventory sheets and month queries: month lists, sheet lists, the sheet of a month, the records
// to count, and writing and deleting entries with the price of each price type.
#include "DbFixture.h"
#include "support/Ids.h"

#include <string>

namespace {

using platform::EncodeDate;

TPriorityItem Months(std::initializer_list<std::pair<int, int>> months) {
    TPriorityItem list;
    for (const auto& [year, month] : months) list << static_cast<int>(EncodeDate(year, month, 1));
    return list;
}

using vkttest::Ids;

class InventoryTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        CreateDefaults();
    }

    void AddRecord(int id, bool invItem = true, const platform::Variant& usePrice = 250,
                   const platform::Variant& unit = 5) {
        Add(vkttest::DataRow{.Data_ID = id, .InvItem = invItem, .Class_Key = 4, .Form_Key = 1,
                             .Data = "R" + std::to_string(id), .UseUnit_Key = unit, .UsePrice = usePrice});
    }
    void AddSheet(int id, const std::string& date, int type = 0) {
        Sql("insert into VktDB1E values (" + std::to_string(id) + ", '" + date + "', " + std::to_string(type) + ")");
    }
    // A yearly history row: last, max, average and min price.
    void AddYearly(int id, const std::string& date, const std::string& prices) {
        Sql("insert into VktDB1M values (" + std::to_string(id) + ", '" + date + "', 6, " + prices + ")");
    }
    // "unit|price|remained" of an entry; "" when there is none.
    std::string Entry(int sheet, int id) {
        return Text("select InvUnit_Key || '|' || InvPrice || '|' || Remained from VktDB1Q where InvDate_Key = " +
                    std::to_string(sheet) + " and Inventory_Key = " + std::to_string(id));
    }
};

// ---- Months and sheets ----------------------------------------------------------------------------

TEST_F(InventoryTest, MonthListsAreNewestFirstAcrossYearsAndTwoDigitMonths) {
    EXPECT_EQ(functor.GetMHistoryMonths(), TPriorityItem());
    EXPECT_EQ(functor.GetInvDateMonths(), TPriorityItem());
    Sql("insert into VktDB1L values (1, '2023-09-05', 5, 1), (1, '2023-10-01', 5, 1), (1, '2024-01-31', 5, 1), "
        "(2, '2023-10-20', 5, 1), (2, '2022-12-01', 5, 1)");
    EXPECT_EQ(functor.GetMHistoryMonths(), Months({{2024, 1}, {2023, 10}, {2023, 9}, {2022, 12}}));
    // Walked month by month on the date index; a database without it (write-protected, made before
    // it) is read row by row, to the same list.
    Sql("drop index VktDB1L_MHistoryDate");
    EXPECT_EQ(functor.GetMHistoryMonths(), Months({{2024, 1}, {2023, 10}, {2023, 9}, {2022, 12}}));
    AddSheet(1, "2023-09-30");
    AddSheet(2, "2024-02-29");
    AddSheet(3, "2023-10-31");
    EXPECT_EQ(functor.GetInvDateMonths(), Months({{2024, 2}, {2023, 10}, {2023, 9}}));
}

TEST_F(InventoryTest, SheetsAreListedNewestFirst) {
    EXPECT_EQ(functor.GetInvDates(), TPriorityItem());
    AddSheet(1, "2023-12-31");
    AddSheet(2, "2024-01-31");
    AddSheet(3, "2023-11-30");
    EXPECT_EQ(functor.GetInvDates(), Ids({2, 1, 3}));
}

TEST_F(InventoryTest, AnyDayOfAMonthFindsItsSheet) {
    AddSheet(1, "2024-03-31");
    AddSheet(2, "2024-02-29");
    EXPECT_EQ(functor.FindInvDate(EncodeDate(2024, 3, 10)), 1);
    EXPECT_EQ(functor.FindInvDate(EncodeDate(2024, 3, 31) + 0.75), 1);
    EXPECT_EQ(functor.FindInvDate(EncodeDate(2024, 2, 1)), 2);
    EXPECT_EQ(functor.FindInvDate(EncodeDate(2023, 2, 1)), 0);
}

TEST_F(InventoryTest, TheRecordsToCountLeaveOutTheTrashAndUnmarkedRecords) {
    AddRecord(1);
    AddRecord(2, false);
    AddRecord(3);
    AddRecord(4);
    Sql("insert into VktDB1G values (3, '2024-01-01 00:00:00')");
    EXPECT_EQ(functor.GetInventoryItems(), Ids({1, 4}));
}

// ---- Entries --------------------------------------------------------------------------------------

TEST_F(InventoryTest, EachPriceTypeValuesAtItsColumnOfTheYearlyRowAtTheSheetDate) {
    AddRecord(1);   // yearly row at the sheet's date
    AddRecord(2);   // yearly row at another date only
    AddYearly(1, "2024-03-31", "110, 140, 120.5, 95.25");
    AddYearly(1, "2023-12-31", "1, 2, 3, 4");
    AddYearly(2, "2024-02-29", "1, 2, 3, 4");
    const char* expected[] = {"250.0", "110.0", "140.0", "120.5", "95.25"};
    for (int type = 0; type <= 4; ++type) {
        Sql("delete from VktDB1E");
        AddSheet(7, "2024-03-31", type);
        EXPECT_TRUE(functor.SetInventoryEntry(7, 1, true));
        EXPECT_TRUE(functor.SetInventoryEntry(7, 2, true));
        // The unit is the record's use unit, not the history's.
        EXPECT_EQ(Entry(7, 1), std::string("5|") + expected[type] + "|0.0") << type;
        EXPECT_EQ(Entry(7, 2), "5|250.0|0.0") << type;
    }
}

TEST_F(InventoryTest, RewritingAnEntryKeepsOrResetsTheCount) {
    AddRecord(1);
    AddSheet(1, "2024-03-31");
    ASSERT_TRUE(functor.SetInventoryEntry(1, 1, false));
    EXPECT_EQ(Entry(1, 1), "5|250.0|0.0");
    Sql("update VktDB1Q set Remained = 3.5");
    Sql("update VktDB1F set UsePrice = 260, UseUnit_Key = 6");

    ASSERT_TRUE(functor.SetInventoryEntry(1, 1, false));
    EXPECT_EQ(Entry(1, 1), "6|260.0|3.5");   // unit and price afresh, the count kept
    ASSERT_TRUE(functor.SetInventoryEntry(1, 1, true));
    EXPECT_EQ(Entry(1, 1), "6|260.0|0.0");
    EXPECT_EQ(Count(TVktTable::TblInventory), 1);
}

TEST_F(InventoryTest, ARecordThatDoesNotExistIsNotCounted) {
    AddSheet(1, "2024-03-31");
    EXPECT_TRUE(functor.SetInventoryEntry(1, 99, false));
    EXPECT_EQ(Count(TVktTable::TblInventory), 0);
}

TEST_F(InventoryTest, NoEntryGoesOnAMissingSheetOrOneWithoutAPriceColumn) {
    AddRecord(1);
    EXPECT_FALSE(functor.SetInventoryEntry(1, 1, false));
    AddSheet(1, "2024-03-31", 5);
    EXPECT_FALSE(functor.SetInventoryEntry(1, 1, false));
    Sql("update VktDB1E set InvType = -1");
    EXPECT_FALSE(functor.SetInventoryEntry(1, 1, false));
    EXPECT_EQ(Count(TVktTable::TblInventory), 0);
}

TEST_F(InventoryTest, AFailedRewriteKeepsTheCountedRemainder) {
    AddRecord(1);
    AddSheet(1, "2024-03-31");
    Sql("insert into VktDB1Q values (1, 1, 5, 250, 7.25)");

    Sql("update VktDB1F set UseUnit_Key = NULL");   // no unit to count in
    EXPECT_FALSE(functor.SetInventoryEntry(1, 1, false));
    EXPECT_EQ(Entry(1, 1), "5|250.0|7.25");

    Sql("update VktDB1F set UseUnit_Key = 5, UsePrice = NULL");   // no price
    EXPECT_FALSE(functor.SetInventoryEntry(1, 1, true));
    EXPECT_EQ(Entry(1, 1), "5|250.0|7.25");

    Sql("update VktDB1F set UsePrice = 300");
    Sql("create trigger NoInsert before insert on VktDB1Q begin select raise(abort, 'refused'); end");
    EXPECT_FALSE(functor.SetInventoryEntry(1, 1, true));
    EXPECT_EQ(Entry(1, 1), "5|250.0|7.25");
}

TEST_F(InventoryTest, DeletingAnEntryLeavesTheOthers) {
    AddSheet(1, "2024-02-29");
    AddSheet(2, "2024-03-31");
    Sql("insert into VktDB1Q values (1, 1, 5, 1, 1), (2, 1, 5, 1, 1), (1, 2, 5, 1, 1)");
    EXPECT_TRUE(functor.DeleteInventoryEntry(1, 1));
    EXPECT_EQ(Text("select group_concat(Inventory_Key || ':' || InvDate_Key, ' ') from (select * from VktDB1Q "
                   "order by InvDate_Key, Inventory_Key)"),
              "2:1 1:2");
    EXPECT_TRUE(functor.DeleteInventoryEntry(1, 1));   // nothing left to delete
}

} // namespace
