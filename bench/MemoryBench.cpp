// Pair "Memory": the peak heap of listing every ingredient through TVktAccesser (its row cache,
// the lister, SQLite's sorting) against plain SQLite stepping the same rows into strings held in
// memory. Both measured by the process's counting allocator (C++ and SQLite allocations alike),
// from the level before the listing.
#include <stdexcept>

#include "BenchContext.h"
#include "MemoryCounter.h"
#include "PlainSqlite.h"
#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"

namespace bench {

namespace {

void MemorySystem(benchmark::State& state) {
    BenchContext& context = BenchContext::Get();
    const ListingQuery query = IngredientListing();
    const int expected = static_cast<int>(context.Database().IngredientIds.size());
    std::int64_t peak = 0;
    std::int64_t held = 0;
    for (auto _ : state) {
        const bool ok = Guarded(state, [&] {
            const std::int64_t base = HeapBytesNow();
            ResetHeapPeak();
            TVktAccesser accesser(&context.Object());
            accesser.BeginUpdate();
            accesser.SetTable(TVktTable::TblData);
            accesser.SetFields(query.Fields);
            accesser.SetOrder(query.Orders);
            accesser.SetFilter(query.Filter);
            accesser.EndUpdate(); // lists once
            if (accesser.GetRowCount() != expected) throw std::runtime_error("The accessor listed the wrong row count");
            peak = HeapBytesPeak() - base;
            held = HeapBytesNow() - base;
        });
        if (!ok) break;
    }
    state.counters["PeakBytes"] = static_cast<double>(peak);
    state.counters["HeldBytes"] = static_cast<double>(held);
}

void MemorySqlite(benchmark::State& state) {
    BenchContext& context = BenchContext::Get();
    const ListingQuery query = IngredientListing();
    const std::size_t expected = context.Database().IngredientIds.size();
    std::int64_t peak = 0;
    std::int64_t held = 0;
    for (auto _ : state) {
        const bool ok = Guarded(state, [&] {
            const std::int64_t base = HeapBytesNow();
            ResetHeapPeak();
            PlainDb db(context.DatabaseFile());
            const std::vector<std::vector<std::string>> rows = PlainListing(db, query);
            db.Close();
            if (rows.size() != expected) throw std::runtime_error("The plain listing has the wrong row count");
            peak = HeapBytesPeak() - base;
            held = HeapBytesNow() - base;
        });
        if (!ok) break;
    }
    state.counters["PeakBytes"] = static_cast<double>(peak);
    state.counters["HeldBytes"] = static_cast<double>(held);
}

} // namespace

void RegisterMemoryBenchmarks() {
    RegisterPair({"Memory", 1.0, Metric::PeakBytes,
                  "peak heap of listing every ingredient: accessor row cache vs rows held as strings"},
                 MemorySystem, MemorySqlite);
}

} // namespace bench
