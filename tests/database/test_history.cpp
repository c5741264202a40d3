// Monthly and yearly price history: dated prices, month summaries and unit conversion.
#include "DbFixture.h"

#include <cmath>

namespace {

using platform::Currency;
using platform::EncodeDate;

class HistoryTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        AddData(1, 5);
        AddData(2, 6);
    }
    void AddData(int id, int useUnit) {
        Add(vkttest::DataRow{.Data_ID = id, .Class_Key = 4, .Form_Key = 1, .Data = "R" + std::to_string(id),
                             .UseUnit_Key = useUnit, .UsePrice = 0});
    }
    void AddDated(int id, const std::string& date, const std::string& unit, const std::string& price) {
        Sql("insert into VktDB1L values (" + std::to_string(id) + ", '" + date + "', " + unit + ", " + price + ")");
    }
    // The dated rows of a record, "date:unit:price" in date order.
    std::string Dated(int id) {
        return Text("select coalesce(group_concat(MHistoryDate || ':' || coalesce(MHistoryUnit_Key, 'null') || ':' || "
                    "coalesce(MHistoryPrice, 'null'), ' '), '') from (select * from VktDB1L where MHistory_Key = " +
                    std::to_string(id) + " order by MHistoryDate)");
    }
    // The summary rows of a record, "date:unit:last:max:ave:min" in date order.
    std::string Summaries(int id) {
        return Text("select coalesce(group_concat(YHistoryDate || ':' || coalesce(YHistoryUnit_Key, 'null') || ':' || "
                    "coalesce(YHLastPrice, 'null') || ':' || coalesce(YHMaxPrice, 'null') || ':' || "
                    "coalesce(YHAvePrice, 'null') || ':' || coalesce(YHMinPrice, 'null'), ' '), '') from "
                    "(select * from VktDB1M where YHistory_Key = " + std::to_string(id) + " order by YHistoryDate)");
    }
};

// ---- Dated prices -------------------------------------------------------------------------------------

TEST_F(HistoryTest, ADayHoldsOnePriceInTheRecordsUseUnit) {
    ASSERT_TRUE(functor.SetMHistoryPrice(1, EncodeDate(2024, 3, 1), Currency::FromText("12.3456")));
    EXPECT_EQ(Dated(1), "2024-03-01:5:12.3456");
    ASSERT_TRUE(functor.SetMHistoryPrice(1, platform::EncodeDateTime(2024, 3, 1, 18, 0, 0), Currency::FromInt(15)));
    EXPECT_EQ(Dated(1), "2024-03-01:5:15.0");
    ASSERT_TRUE(functor.SetMHistoryPrice(1, EncodeDate(2024, 3, 2), Currency::FromInt(16)));
    EXPECT_EQ(Dated(1), "2024-03-01:5:15.0 2024-03-02:5:16.0");
}

TEST_F(HistoryTest, APriceOfZeroOrLessRemovesTheDay) {
    AddDated(1, "2024-03-01", "5", "10");
    AddDated(1, "2024-03-02", "5", "11");
    ASSERT_TRUE(functor.SetMHistoryPrice(1, EncodeDate(2024, 3, 1), Currency()));
    ASSERT_TRUE(functor.SetMHistoryPrice(1, EncodeDate(2024, 3, 2), Currency::FromInt(-3)));
    EXPECT_EQ(Dated(1), "");
}

TEST_F(HistoryTest, ARecordWithoutUseUnitKeepsANullUnit) {
    Sql("update VktDB1F set UseUnit_Key = null where Data_ID = 1");
    ASSERT_TRUE(functor.SetMHistoryPrice(1, EncodeDate(2024, 3, 1), Currency::FromInt(10)));
    EXPECT_EQ(Dated(1), "2024-03-01:null:10.0");
}

TEST_F(HistoryTest, NoPriceIsDatedForARecordThatDoesNotExist) {
    AddDated(9, "2024-03-01", "5", "10");   // a stray row of a record since purged
    AddDated(9, "2024-03-02", "5", "11");
    EXPECT_FALSE(functor.SetMHistoryPrice(9, EncodeDate(2024, 3, 2), Currency::FromInt(12)));
    EXPECT_EQ(Dated(9), "2024-03-01:5:10.0 2024-03-02:5:11.0");
    EXPECT_TRUE(functor.SetMHistoryPrice(9, EncodeDate(2024, 3, 1), Currency()));   // removing still works
    EXPECT_EQ(Dated(9), "2024-03-02:5:11.0");
}

// ---- Month summaries ----------------------------------------------------------------------------------

TEST_F(HistoryTest, AMonthIsSummarisedOnItsLastDay) {
    AddDated(1, "2024-02-03", "5", "100");
    AddDated(1, "2024-02-10", "5", "80");
    AddDated(1, "2024-02-25", "6", "120");
    AddDated(1, "2024-03-01", "5", "999");
    AddDated(2, "2024-02-10", "6", "1");
    ASSERT_TRUE(functor.MakeYHistory(1, false, EncodeDate(2024, 2, 14)));
    EXPECT_EQ(Summaries(1), "2024-02-29:6:120.0:120.0:100.0:80.0");
    EXPECT_EQ(Summaries(2), "");
    EXPECT_EQ(Int("select count(*) from VktDB1L"), 5);

    // Again, removing the dated rows of the month: the summary is replaced, other months stay.
    Sql("update VktDB1L set MHistoryPrice = 90 where MHistory_Key = 1 and MHistoryDate = '2024-02-10'");
    ASSERT_TRUE(functor.MakeYHistory(1, true, EncodeDate(2024, 2, 29)));
    EXPECT_EQ(Summaries(1), "2024-02-29:6:120.0:120.0:103.3333:90.0");
    EXPECT_EQ(Dated(1), "2024-03-01:5:999.0");
    EXPECT_EQ(Dated(2), "2024-02-10:6:1.0");

    // A month without dated rows keeps its summary.
    ASSERT_TRUE(functor.MakeYHistory(1, true, EncodeDate(2024, 2, 1)));
    EXPECT_EQ(Summaries(1), "2024-02-29:6:120.0:120.0:103.3333:90.0");
}

TEST_F(HistoryTest, MonthsEndAtTheYearBoundary) {
    AddDated(1, "2023-12-01", "5", "10");
    AddDated(1, "2023-12-31", "5", "30");
    AddDated(1, "2024-01-01", "5", "50");
    ASSERT_TRUE(functor.MakeYHistory(1, false, EncodeDate(2023, 12, 31)));
    ASSERT_TRUE(functor.MakeYHistory(1, false, EncodeDate(2024, 1, 20)));
    EXPECT_EQ(Summaries(1), "2023-12-31:5:30.0:30.0:20.0:10.0 2024-01-31:5:50.0:50.0:50.0:50.0");
}

TEST_F(HistoryTest, AMonthWithoutRowsWritesNothing) {
    ASSERT_TRUE(functor.MakeYHistory(1, true, EncodeDate(2024, 2, 1)));
    EXPECT_EQ(Count(TVktTable::TblYHistory), 0);
}

TEST_F(HistoryTest, NullPricesAndUnitsAreCarriedOver) {
    AddDated(1, "2024-02-03", "5", "100");
    AddDated(1, "2024-02-28", "null", "null");
    ASSERT_TRUE(functor.MakeYHistory(1, false, EncodeDate(2024, 2, 3)));
    EXPECT_EQ(Summaries(1), "2024-02-29:null:null:100.0:100.0:100.0");
}

TEST_F(HistoryTest, AFailedSummaryLeavesTheMonthAsItWas) {
    AddDated(1, "2024-02-03", "5", "100");
    Sql("insert into VktDB1M values (1, '2024-02-29', 5, 1, 1, 1, 1)");
    Sql("create trigger NoDelete before delete on VktDB1L begin select raise(abort, 'refused'); end");
    EXPECT_FALSE(functor.MakeYHistory(1, true, EncodeDate(2024, 2, 3)));
    EXPECT_EQ(Summaries(1), "2024-02-29:5:1.0:1.0:1.0:1.0");
    EXPECT_EQ(Dated(1), "2024-02-03:5:100.0");
}

TEST_F(HistoryTest, InABatchRowAFoldWritesInTheCallersSavepoint) {
    // A savepoint of its own per record made SQLite copy the pages that earlier records of the
    // batch had changed into its statement journal again.
    struct Module : TVktFunctor {
        using TVktFunctor::Db;
        using TVktFunctor::QueryInt;
    } module;
    module.SetPath(folder);
    AddDated(1, "2024-02-03", "5", "100");
    AddDated(2, "2024-02-04", "6", "30");
    Sql("insert into VktDB1M values (2, '2024-02-29', 6, 1, 1, 1, 1)");
    Sql("create trigger NoTwo before delete on VktDB1L when old.MHistory_Key = 2 "
        "begin select raise(abort, 'refused'); end");
    {
        platform::Transaction transaction(module.Db());
        module.BeginBatch();
        for (int id : {1, 2}) {
            platform::Savepoint row(module.Db());
            module.BeginBatchRow();
            EXPECT_EQ(module.MakeYHistory(id, true, EncodeDate(2024, 2, 1)), id == 1);
            EXPECT_EQ(module.EndBatchRow(), id == 2) << "a failure asks for the caller's rollback";
            if (id == 1) {
                row.Release();
                continue;
            }
            EXPECT_EQ(module.QueryInt("select YHLastPrice from VktDB1M where YHistory_Key = 2"), 30)
                << "its new summary waits for the caller's rollback";
            row.Rollback();
        }
        module.EndBatch();
        transaction.Commit();
    }
    module.SetPath("");
    EXPECT_EQ(Summaries(1), "2024-02-29:5:100.0:100.0:100.0:100.0");
    EXPECT_EQ(Dated(1), "");
    EXPECT_EQ(Summaries(2), "2024-02-29:6:1.0:1.0:1.0:1.0");
    EXPECT_EQ(Dated(2), "2024-02-04:6:30.0");
}

// ---- Unit conversion ----------------------------------------------------------------------------------

TEST_F(HistoryTest, ConversionScalesEverythingBeforeToday) {
    AddDated(1, "2024-03-01", "5", "10.5");
    AddDated(1, "2024-03-15", "5", "12");   // today
    AddDated(1, "2024-03-20", "5", "13");
    AddDated(2, "2024-03-01", "6", "7");
    Sql("insert into VktDB1M values (1, '2024-02-29', 5, 4, 5, 4.5, 4), (2, '2024-02-29', 6, 1, 1, 1, 1)");
    ASSERT_TRUE(functor.ConvertHistoryUnit(1, 8, 2.0));
    EXPECT_EQ(Dated(1), "2024-03-01:8:21.0 2024-03-15:5:12.0 2024-03-20:5:13.0");
    EXPECT_EQ(Summaries(1), "2024-02-29:8:8.0:10.0:9.0:8.0");
    EXPECT_EQ(Dated(2), "2024-03-01:6:7.0");
    EXPECT_EQ(Summaries(2), "2024-02-29:6:1.0:1.0:1.0:1.0");
}

TEST_F(HistoryTest, ARateThatIsNoNumberConvertsNothing) {
    AddDated(1, "2024-03-01", "5", "10.5");
    Sql("insert into VktDB1M values (1, '2024-02-29', 5, 4, 5, 4.5, 4)");
    EXPECT_FALSE(functor.ConvertHistoryUnit(1, 8, std::nan("")));
    EXPECT_FALSE(functor.ConvertHistoryUnit(1, 8, 1.0 / 0.0));
    EXPECT_EQ(Dated(1), "2024-03-01:5:10.5");
    EXPECT_EQ(Summaries(1), "2024-02-29:5:4.0:5.0:4.5:4.0");
}

TEST_F(HistoryTest, OperationsFailWithoutTheirTables) {
    AddDated(1, "2024-02-03", "5", "100");
    Sql("drop table VktDB1M");
    EXPECT_FALSE(functor.ConvertHistoryUnit(1, 8, 2.0));
    EXPECT_EQ(Dated(1), "2024-02-03:5:100.0");   // the dated rows' conversion is undone
    EXPECT_FALSE(functor.MakeYHistory(1, false, EncodeDate(2024, 2, 3)));
    Sql("drop table VktDB1L");
    EXPECT_FALSE(functor.SetMHistoryPrice(1, EncodeDate(2024, 2, 3), Currency::FromInt(1)));
}

} // namespace
