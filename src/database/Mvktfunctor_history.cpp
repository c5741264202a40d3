// Monthly and yearly price history: dated prices (at most one per record and day), the summary row
// of one month, and the conversion of both to a new unit of use.
//
// Units and prices read from one row and written into another travel as bound values, so a NULL
// unit or price is carried over as NULL.
#include "database/Mvktfunctor.h"

#include <algorithm>
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
        const SqlParams monthParams{{"ID", dataId}, {"First", firstDay}, {"Last", lastDay}};
        static const std::string monthRows =
            " from " + Tbl(TVktTable::TblMHistory) + " where ( MHistory_Key = :ID ) and ( MHistoryDate between :First and :Last )";
        // The month's rows in date order: the summary is made while they are read, as SQLite's
        // max, avg and min make it (NULL prices left out; the average the plain sum in that order
        // divided by the count), and the last row gives the unit and the last price.
        using platform::FieldType;
        bool any = false;
        platform::Variant maxPrice = platform::Variant::Null(), avePrice = platform::Variant::Null(),
                          minPrice = platform::Variant::Null(), lastPrice, unit;
        {
            static const std::string read = "select MHistoryUnit_Key, MHistoryPrice" + monthRows + " order by MHistoryDate";
            platform::StatementLease rows = Lease(read, monthParams);
            double high = 0, low = 0, sum = 0;
            int count = 0;
            while (rows->Step()) {
                any = true;
                unit = rows->GetVariant(0, FieldType::Integer);
                lastPrice = rows->GetVariant(1, FieldType::Currency);
                if (rows->IsNull(1)) continue;
                const double price = rows->GetDouble(1);
                high = count == 0 ? price : std::max(high, price);
                low = count == 0 ? price : std::min(low, price);
                sum += price;
                ++count;
            }
            if (count > 0) {
                maxPrice = platform::Variant(platform::Currency::FromDouble(high));
                avePrice = platform::Variant(platform::Currency::FromDouble(sum / count));
                minPrice = platform::Variant(platform::Currency::FromDouble(low));
            }
        }
        if (!any) return true;
        // The month's yearly row replaces the one an earlier fold wrote (the key is the record and
        // the date).
        static const std::string write =
            "insert or replace into " + Tbl(TVktTable::TblYHistory) +
            " values ( :ID, :Last, :Unit, :LastPrice, :MaxPrice, :AvePrice, :MinPrice )";
        Exec(write, {{"ID", dataId},
                     {"Last", lastDay},
                     {"Unit", unit},
                     {"LastPrice", lastPrice},
                     {"MaxPrice", maxPrice},
                     {"AvePrice", avePrice},
                     {"MinPrice", minPrice}});
        static const std::string remove = "delete" + monthRows;
        if (removeMHistory) Exec(remove, monthParams);
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
