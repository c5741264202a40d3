// Pair "Fold": a month's price history folded again into yearly rows for every record, the
// monthly rows removed, as the yearly-history wizard does it (TVktObject::MakeYHistory, all
// records, a progress callback per record), against plain SQLite doing the same: the month's
// records with their highest, average and lowest price in one grouped query, then per record its
// last row read, its yearly row replaced and its monthly rows deleted, statements prepared once,
// one transaction.
// Before each iteration (untimed) the month has yearly rows, as an earlier fold that kept the
// monthly rows left them; after it the monthly rows are put back where they were and the yearly
// ones removed, so every iteration starts from the same database.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchContext.h"
#include "PlainSqlite.h"
#include "database/Uvktobject.h"
#include "platform/DateTime.h"

namespace bench {

namespace {

// A month of the generated history: every ingredient has one row in it, recipes and menus none.
constexpr const char* kFirstDay = "2024-02-01";
constexpr const char* kLastDay = "2024-02-29";

platform::TDateTime FoldedMonth() { return platform::EncodeDate(2024, 2, 1); }

std::string MonthRows() { return std::string("MHistoryDate between '") + kFirstDay + "' and '" + kLastDay + "'"; }

// The month's monthly rows with their row ids, kept by the connection for putting them back.
void KeepMonth(PlainDb& db) {
    db.Exec("create temp table KeptMonth as select rowid as Kept, * from VktDB1L where " + MonthRows());
}

// Yearly rows of the month as an earlier fold wrote them.
void WriteYearly(PlainDb& db) {
    db.Exec(std::string("insert into VktDB1M select MHistory_Key, '") + kLastDay +
            "', MHistoryUnit_Key, MHistoryPrice, MHistoryPrice, MHistoryPrice, MHistoryPrice from VktDB1L where " +
            MonthRows());
}

void RestoreMonth(PlainDb& db) {
    PlainTransaction transaction(db);
    db.Exec(std::string("delete from VktDB1M where YHistoryDate = '") + kLastDay + "'");
    db.Exec("insert or ignore into VktDB1L ( rowid, MHistory_Key, MHistoryDate, MHistoryUnit_Key, MHistoryPrice )"
            " select Kept, MHistory_Key, MHistoryDate, MHistoryUnit_Key, MHistoryPrice from temp.KeptMonth");
    transaction.Commit();
}

// Runs `fold` once per iteration, the month prepared before and restored after, untimed.
template <class Fold>
void RunFolds(benchmark::State& state, Fold&& fold) {
    PlainDb db(BenchContext::Get().DatabaseFile());
    KeepMonth(db);
    RestoreMonth(db);
    int records = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            PlainTransaction transaction(db);
            WriteYearly(db);
            transaction.Commit();
        }
        state.ResumeTiming();
        const bool ok = Guarded(state, [&] { records = fold(db); });
        state.PauseTiming();
        RestoreMonth(db);
        state.ResumeTiming();
        if (!ok) break;
    }
    state.counters["Records"] = static_cast<double>(records);
}

void FoldSystem(benchmark::State& state) {
    TVktObject& object = BenchContext::Get().Object();
    RunFolds(state, [&](PlainDb&) {
        int steps = 0;
        const TVktProgressEvent progress = [&steps](TVktObject*, const std::string&, bool&, int) { ++steps; };
        if (!object.MakeYHistory(true, 0, FoldedMonth(), progress) || steps == 0)
            throw std::runtime_error("MakeYHistory failed");
        return steps;
    });
}

void FoldSqlite(benchmark::State& state) {
    RunFolds(state, [](PlainDb& db) {
        PlainTransaction transaction(db);
        PlainStmt month(db, "select MHistory_Key, max( MHistoryPrice ), avg( MHistoryPrice ), min( MHistoryPrice )"
                            " from VktDB1L where MHistoryDate between ?1 and ?2 group by MHistory_Key");
        PlainStmt last(db, "select MHistoryUnit_Key, MHistoryPrice from VktDB1L where MHistory_Key = ?1 and"
                           " MHistoryDate between ?2 and ?3 order by MHistoryDate desc limit 1");
        PlainStmt dropYearly(db, "delete from VktDB1M where YHistory_Key = ?1 and YHistoryDate = ?2");
        PlainStmt addYearly(db, "insert into VktDB1M values ( ?1, ?2, ?3, ?4, ?5, ?6, ?7 )");
        PlainStmt dropMonthly(db, "delete from VktDB1L where MHistory_Key = ?1 and MHistoryDate between ?2 and ?3");
        month.Bind(1, kFirstDay).Bind(2, kLastDay);
        last.Bind(2, kFirstDay).Bind(3, kLastDay);
        dropYearly.Bind(2, kLastDay);
        addYearly.Bind(2, kLastDay);
        dropMonthly.Bind(2, kFirstDay).Bind(3, kLastDay);
        // The month's records first: deleting their rows while the grouped query walks them would
        // move it.
        struct Folded {
            std::int64_t Id;
            double Max, Ave, Min;
        };
        std::vector<Folded> records;
        while (month.Step()) records.push_back({month.Int(0), month.Double(1), month.Double(2), month.Double(3)});
        for (const Folded& record : records) {
            last.Bind(1, record.Id);
            if (!last.Step()) throw std::runtime_error("no last row");
            addYearly.Bind(1, record.Id).Bind(3, last.Int(0)).Bind(4, last.Double(1));
            last.Reset();
            addYearly.Bind(5, record.Max).Bind(6, record.Ave).Bind(7, record.Min);
            dropYearly.Bind(1, record.Id).Run();
            addYearly.Run();
            dropMonthly.Bind(1, record.Id).Run();
        }
        transaction.Commit();
        return static_cast<int>(records.size());
    });
}

} // namespace

void RegisterHistoryBenchmarks() {
    RegisterPair({"Fold", 1.2, Metric::RealTime,
                  "a month's price history folded again into yearly rows for every record, the monthly rows "
                  "removed: facade MakeYHistory vs statements prepared once"},
                 FoldSystem, FoldSqlite);
}

} // namespace bench
