// Pair "Revalue": the stock-taking sheet of a month re-valued at another price type through the
// facade (TVktObject::SetInventoryEntry over every record marked for stock-taking, the counted
// quantities kept), against making the same sheet where the month has none (the same call). Both
// sides value half the records from a yearly history row at the sheet's date, the rest at their
// use price, and call a progress callback per record as the batch dialog does.
// Before each iteration (untimed) the yearly rows are written and, for the re-valuation, the
// month's sheet at the current prices with counted quantities; after it everything is removed, so
// every iteration starts from the generated database.
#include <stdexcept>
#include <string>

#include "BenchContext.h"
#include "PlainSqlite.h"
#include "database/Uvktobject.h"
#include "platform/DateTime.h"

namespace bench {

namespace {

constexpr const char* kSheetDate = "2024-02-29";
constexpr std::uint8_t kFromType = 0;   // the sheet as first made: current prices
constexpr std::uint8_t kToType = 4;     // re-valued at the yearly minimum

platform::TDateTime SheetDate() { return platform::EncodeDate(2024, 2, 29); }

// Yearly rows at the sheet's date for every second record to count.
void WriteYearly(PlainDb& db) {
    db.Exec(std::string("insert into VktDB1M select Data_ID, '") + kSheetDate +
            "', UseUnit_Key, UsePrice * 1.1, UsePrice * 1.3, UsePrice, UsePrice * 0.8 from VktDB1F"
            " where InvItem = 1 and Data_ID % 2 = 0");
}

// The month's sheet at the current prices, with a count on most entries.
void WriteSheet(PlainDb& db) {
    db.Exec(std::string("insert into VktDB1E select coalesce( max( InvDate_ID ), 0 ) + 1, '") + kSheetDate + "', " +
            std::to_string(kFromType) + " from VktDB1E");
    db.Exec(std::string("insert into VktDB1Q select Data_ID, InvDate_ID, UseUnit_Key, UsePrice, ( Data_ID % 7 ) * 0.5"
                        " from VktDB1F join VktDB1E on InvDate = '") +
            kSheetDate + "' left join VktDB1G on Erase_Key = Data_ID where InvItem = 1 and Erase_Key is null");
}

void RemoveSheet(PlainDb& db) {
    PlainTransaction transaction(db);
    const std::string date = std::string("'") + kSheetDate + "'";
    db.Exec("delete from VktDB1Q where InvDate_Key in ( select InvDate_ID from VktDB1E where InvDate = " + date + " )");
    db.Exec("delete from VktDB1E where InvDate = " + date);
    db.Exec("delete from VktDB1M where YHistoryDate = " + date);
    transaction.Commit();
}

// One iteration: `existing` writes the month's sheet first; the timed part is the facade's run.
void RunSheet(benchmark::State& state, bool existing) {
    BenchContext& context = BenchContext::Get();
    TVktObject& object = context.Object();
    PlainDb db(context.DatabaseFile());
    RemoveSheet(db);
    const TPriorityItem ids = object.GetInventoryItems();
    int steps = 0;
    const TVktProgressEvent progress = [&steps](TVktObject*, const std::string&, bool&, int) { ++steps; };
    for (auto _ : state) {
        state.PauseTiming();
        {
            PlainTransaction transaction(db);
            WriteYearly(db);
            if (existing) WriteSheet(db);
            transaction.Commit();
        }
        steps = 0;
        state.ResumeTiming();
        const bool ok = Guarded(state, [&] {
            if (!object.SetInventoryEntry(kToType, false, ids, SheetDate(), 6, progress) || steps != ids.GetCount())
                throw std::runtime_error("SetInventoryEntry stopped before the last record");
        });
        state.PauseTiming();
        RemoveSheet(db);
        state.ResumeTiming();
        if (!ok) break;
    }
    state.counters["Entries"] = static_cast<double>(ids.GetCount());
}

void RevalueSystem(benchmark::State& state) { RunSheet(state, true); }

void RevalueMake(benchmark::State& state) { RunSheet(state, false); }

} // namespace

void RegisterInventoryBenchmarks() {
    RegisterPair({"Revalue", 2.0, Metric::RealTime,
                  "a month's stock-taking sheet re-valued at another price type vs made anew, facade "
                  "SetInventoryEntry both",
                  "Make"},
                 RevalueSystem, RevalueMake);
}

} // namespace bench
