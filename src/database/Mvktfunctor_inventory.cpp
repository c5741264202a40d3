// Inventory sheets and month queries. A sheet is a row of TblInvDate (at most one per month, dated
// the month's last day, with the price type it values stock at); its entries are rows of
// TblInventory, one per data record, keyed by (Inventory_Key = Data_ID, InvDate_Key = InvDate_ID).
//
// Price type of a sheet and the column an entry's unit price comes from:
//   0  UsePrice of the record
//   1  YHLastPrice   of the record's yearly history row dated the sheet's date
//   2  YHMaxPrice    "
//   3  YHAvePrice    "
//   4  YHMinPrice    "
// For 1..4 a record without a yearly row at exactly the sheet's date is valued at its UsePrice.
#include "database/Mvktfunctor.h"

#include "platform/Errors.h"

namespace {

constexpr const char* kPriceColumns[] = {"UsePrice", "YHLastPrice", "YHMaxPrice", "YHAvePrice", "YHMinPrice"};
constexpr int kLastPriceType = 4;

// The date serials of the first days of the "yyyy-mm" texts in the statement's first column.
TPriorityItem MonthSerials(platform::Statement& months) {
    TPriorityItem list;
    while (months.Step()) list.Push(static_cast<int>(platform::FromIsoText(months.GetText(0) + "-01")));
    return list;
}

} // namespace

// ---- Month and sheet lists ------------------------------------------------------------------------

TPriorityItem TVktFunctor::GetMHistoryMonths() {
    return Read(TPriorityItem(), [&] {
        const std::string table = Tbl(TVktTable::TblMHistory);
        // With the date index, month after month from the newest: each the latest date before the
        // month found last, one index seek a month rather than a pass over every row.
        const bool indexed = QueryHasRow("select 1 from sqlite_master where type = 'index' and name = :Name",
                                         {{"Name", table + "_MHistoryDate"}});
        platform::StatementLease months =
            indexed ? Lease("with recursive Months(Month) as ("
                            " select substr(max(MHistoryDate), 1, 7) from " + table +
                            " union all select (select substr(max(MHistoryDate), 1, 7) from " + table +
                            " where MHistoryDate < Month) from Months where Month is not null)"
                            " select Month from Months where Month is not null")
                    : Lease("select distinct substr(MHistoryDate, 1, 7) as FormatMHistoryDate from " + table +
                            " where MHistoryDate is not null order by FormatMHistoryDate desc");
        return MonthSerials(*months);
    });
}

TPriorityItem TVktFunctor::GetInvDateMonths() {
    return Read(TPriorityItem(), [&] {
        platform::StatementLease months =
            Lease("select distinct substr(InvDate, 1, 7) as FormatInvDate from " + Tbl(TVktTable::TblInvDate) +
                  " where InvDate is not null order by FormatInvDate desc");
        return MonthSerials(*months);
    });
}

TPriorityItem TVktFunctor::GetInvDates() {
    return Read(TPriorityItem(), [&] {
        return QueryIntList("select InvDate_ID from " + Tbl(TVktTable::TblInvDate) +
                            " order by InvDate desc, InvDate_ID desc");
    });
}

int TVktFunctor::FindInvDate(platform::TDateTime date) {
    return Read(0, [&] {
        return static_cast<int>(QueryInt("select InvDate_ID from " + Tbl(TVktTable::TblInvDate) +
                                             " where InvDate = :Date",
                                         {{"Date", platform::ToIsoDate(platform::EndOfMonth(date))}}));
    });
}

TPriorityItem TVktFunctor::GetInventoryItems() {
    return Read(TPriorityItem(), [&] {
        return QueryIntList("select Data_ID from " + Tbl(TVktTable::TblData) + " left join " +
                            Tbl(TVktTable::TblErase) +
                            " on Erase_Key = Data_ID where ( InvItem = 1 ) and ( Erase_Key is null )"
                            " order by Data_ID");
    });
}

// ---- Entries --------------------------------------------------------------------------------------

bool TVktFunctor::DeleteInventoryEntry(int invDateId, int dataId) {
    return Write(false, [&] {
        Exec("delete from " + Tbl(TVktTable::TblInventory) +
                 " where ( Inventory_Key = :Data ) and ( InvDate_Key = :Sheet )",
             {{"Data", dataId}, {"Sheet", invDateId}});
        return true;
    });
}

bool TVktFunctor::SetInventoryEntry(int invDateId, int dataId, bool resetRemained) {
    // One statement writes the entry: an entry that cannot be written keeps its previous unit,
    // price and count. Inside a batch's row it writes in the batch's savepoint.
    return InBatchRow(false, [&] {
        std::string sheetDate;
        int priceType = 0;
        {
            static const std::string text =
                "select InvDate, InvType from " + Tbl(TVktTable::TblInvDate) + " where InvDate_ID = :Sheet";
            platform::StatementLease sheet = Lease(text, {{"Sheet", invDateId}});
            if (!sheet->Step()) return false;   // no such sheet: nothing to add an entry to
            sheetDate = sheet->GetText("InvDate");
            priceType = sheet->IsNull("InvType") ? 0 : sheet->GetInt("InvType");
        }
        if (priceType < 0 || priceType > kLastPriceType) return false;

        std::int64_t unit = 0;
        double price = 0;
        {
            static const std::string text =
                "select UseUnit_Key, UsePrice, YHistory_Key, YHistoryDate, YHLastPrice, YHMaxPrice, YHAvePrice,"
                " YHMinPrice from " + Tbl(TVktTable::TblData) + " left join " + Tbl(TVktTable::TblYHistory) +
                " on ( Data_ID = YHistory_Key ) and ( YHistoryDate = :Date ) where Data_ID = :Data";
            platform::StatementLease record = Lease(text, {{"Date", sheetDate}, {"Data", dataId}});
            if (!record->Step()) return true;   // no such record: nothing to count
            const char* column = priceType == 0 || record->IsNull("YHistory_Key") ? kPriceColumns[0]
                                                                                  : kPriceColumns[priceType];
            // An entry needs its unit and its unit price.
            if (record->IsNull("UseUnit_Key") || record->IsNull(column))
                throw platform::DatabaseError("The record has no unit or no price to count it at");
            unit = record->GetInt64("UseUnit_Key");
            price = record->GetDouble(column);
        }

        // A new entry starts uncounted; an entry already on the sheet keeps its count (an empty
        // one reads 0) unless the count is reset.
        static const std::string upsert =
            "insert into " + Tbl(TVktTable::TblInventory) +
            " ( Inventory_Key, InvDate_Key, InvUnit_Key, InvPrice, Remained ) values ( :Data, :Sheet, :Unit, :Price,"
            " 0.0 ) on conflict ( Inventory_Key, InvDate_Key ) do update set InvUnit_Key = excluded.InvUnit_Key,"
            " InvPrice = excluded.InvPrice, Remained = case when :Reset then 0.0 else coalesce( Remained, 0.0 ) end";
        platform::StatementLease entry = Lease(upsert);
        entry->BindInt64("Data", dataId);
        entry->BindInt64("Sheet", invDateId);
        entry->BindInt64("Unit", unit);
        entry->BindDouble("Price", price);
        entry->BindBool("Reset", resetRemained);
        entry->Execute();
        return true;
    });
}
