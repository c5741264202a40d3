// Monthly and yearly price history: dated prices (at most one per record and day), the summary row
// of one month, and the conversion of both to a new unit of use.
//
// Units and prices read from one row and written into another travel as bound values, so a NULL
// unit or price is carried over as NULL.
#include "database/Mvktfunctor.h"

#include <cmath>

#include "platform/Errors.h"

namespace {

// The ISO dates of the first and the last day of the value's month.
std::pair<std::string, std::string> MonthBounds(platform::TDateTime date) {
    const platform::DateParts parts = platform::DecodeDate(date);
    return {platform::ToIsoDate(platform::EncodeDate(parts.year, parts.month, 1)),
            platform::ToIsoDate(platform::EndOfMonth(parts.year, parts.month))};
}

} // namespace

bool TVktFunctor::SetMHistoryPrice(int dataId, platform::TDateTime date, platform::Currency price) {
    return Write(false, [&] {
        platform::Variant unit = platform::Variant::Null();
        bool found = false;
        {
            platform::StatementLease statement = Lease(
                "select UseUnit_Key from " + Tbl(TVktTable::TblData) + " where Data_ID = :ID", {{"ID", dataId}});
            found = statement->Step();
            if (found) unit = statement->GetVariant(0, platform::FieldType::Integer);
        }
        const std::string day = platform::ToIsoDate(date);
        const std::string table = Tbl(TVktTable::TblMHistory);
        Exec("delete from " + table + " where ( MHistory_Key = :ID ) and ( MHistoryDate = :Date )",
             {{"ID", dataId}, {"Date", day}});
        // A price of 0 or less only removes the day's row.
        if (price > platform::Currency()) {
            // A price of a record that does not exist would pass to whichever record takes its key.
            if (!found) throw platform::DatabaseError("No such record");
            Exec("insert into " + table + " values ( :ID, :Date, :Unit, :Price )",
                 {{"ID", dataId}, {"Date", day}, {"Unit", unit}, {"Price", price}});
        }
        return true;
    });
}

bool TVktFunctor::MakeYHistory(int dataId, bool removeMHistory, platform::TDateTime date) {
    ForgetBatchMemo();
    // Inside a batch's row it writes in the batch's savepoint: a savepoint per record copied the
    // pages that earlier records had changed into SQLite's in-memory statement journal again, and
    // each release cut that journal back by walking it from its start (a time that grew with the
    // square of the records folded).
    return InBatchRow(false, [&] {
        const auto [firstDay, lastDay] = MonthBounds(date);
        const std::string monthRows = " where ( MHistory_Key = :ID ) and ( MHistoryDate between :First and :Last )";
        const SqlParams monthParams{{"ID", dataId}, {"First", firstDay}, {"Last", lastDay}};
        const std::string mhistory = Tbl(TVktTable::TblMHistory);
        if (!QueryHasRow("select distinct MHistory_Key from " + mhistory + monthRows, monthParams)) return true;

        using platform::FieldType;
        platform::Variant maxPrice, avePrice, minPrice, lastPrice, unit;
        {
            platform::StatementLease statement =
                Lease("select max( MHistoryPrice ) as MHMaxPrice, avg( MHistoryPrice ) as MHAvePrice, "
                      "min( MHistoryPrice ) as MHMinPrice from " + mhistory + monthRows,
                      monthParams);
            statement->Step();
            maxPrice = statement->GetVariant("MHMaxPrice", FieldType::Currency);
            avePrice = statement->GetVariant("MHAvePrice", FieldType::Currency);
            minPrice = statement->GetVariant("MHMinPrice", FieldType::Currency);
        }
        {
            platform::StatementLease statement =
                Lease("select MHistoryDate, MHistoryUnit_Key, MHistoryPrice from " + mhistory + monthRows +
                          " order by MHistoryDate desc",
                      monthParams);
            statement->Step();
            lastPrice = statement->GetVariant("MHistoryPrice", FieldType::Currency);
            unit = statement->GetVariant("MHistoryUnit_Key", FieldType::Integer);
        }

        const std::string yhistory = Tbl(TVktTable::TblYHistory);
        Exec("delete from " + yhistory + " where ( YHistory_Key = :ID ) and ( YHistoryDate = :Last )",
             {{"ID", dataId}, {"Last", lastDay}});
        Exec("insert into " + yhistory + " values ( :ID, :Last, :Unit, :LastPrice, :MaxPrice, :AvePrice, :MinPrice )",
             {{"ID", dataId},
              {"Last", lastDay},
              {"Unit", unit},
              {"LastPrice", lastPrice},
              {"MaxPrice", maxPrice},
              {"AvePrice", avePrice},
              {"MinPrice", minPrice}});
        if (removeMHistory) Exec("delete from " + mhistory + monthRows, monthParams);
        return true;
    });
}

bool TVktFunctor::ConvertHistoryUnit(int dataId, int newUnitId, double rate) {
    // A NaN binds as NULL and an infinity overflows: either would wipe every price of the record.
    if (!std::isfinite(rate)) return false;
    return Write(false, [&] {
        // Today's row and later ones keep their unit: the price chain writes today's row anew.
        Exec("update " + Tbl(TVktTable::TblMHistory) +
                 " set MHistoryUnit_Key = :Unit, MHistoryPrice = MHistoryPrice * :Rate"
                 " where ( MHistory_Key = :ID ) and ( MHistoryDate < :Today )",
             {{"Unit", newUnitId}, {"Rate", rate}, {"ID", dataId}, {"Today", platform::ToIsoDate(platform::Today())}});
        Exec("update " + Tbl(TVktTable::TblYHistory) +
                 " set YHistoryUnit_Key = :Unit, YHLastPrice = YHLastPrice * :Rate, YHMaxPrice = YHMaxPrice * :Rate,"
                 " YHAvePrice = YHAvePrice * :Rate, YHMinPrice = YHMinPrice * :Rate where YHistory_Key = :ID",
             {{"Unit", newUnitId}, {"Rate", rate}, {"ID", dataId}});
        return true;
    });
}
