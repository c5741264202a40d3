// Pair "Recost": every recipe and menu recosted at current prices (price mode 0), bottom-up (the
// generator's recipes use only lower ids, menus come last), through the facade
// (TVktObject::RefreshItemPrices per recipe and menu), against the update statements of the same
// work by hand: per recipe, its items take the used records' use prices and units, then its item
// use prices, total and use price are recomputed; on both sides only the values that change are
// written (the change date always is). Each recipe is durable on its own on both sides, as each
// facade call commits.
//
// The clock moves on a minute before each pass, so every recipe is stale once per pass: the
// facade recosts each exactly once (a sub-recipe recosted earlier in the pass is current).
#include <stdexcept>

#include "BenchContext.h"
#include "PlainSqlite.h"
#include "database/Uvktobject.h"
#include "platform/Text.h"

namespace bench {

namespace {

std::vector<int> RecostOrder() {
    const GeneratedDatabase& db = BenchContext::Get().Database();
    std::vector<int> ids = db.RecipeIds;
    ids.insert(ids.end(), db.MenuIds.begin(), db.MenuIds.end());
    return ids;
}

void RecostSystem(benchmark::State& state) {
    TVktObject& object = BenchContext::Get().Object();
    const std::vector<int> ids = RecostOrder();
    for (auto _ : state) {
        state.PauseTiming();
        BenchContext::Get().AdvanceClock();
        state.ResumeTiming();
        const bool ok = Guarded(state, [&] {
            for (int id : ids)
                if (!object.RefreshItemPrices(id, pmNow))
                    throw std::runtime_error("RefreshItemPrices failed on record " + platform::IntToStr(id));
        });
        if (!ok) break;
    }
    state.counters["Recipes"] = static_cast<double>(ids.size());
}

void RecostSqlite(benchmark::State& state) {
    BenchContext& context = BenchContext::Get();
    const std::vector<int> ids = RecostOrder();
    PlainDb db(context.DatabaseFile());
    for (auto _ : state) {
        state.PauseTiming();
        const std::string stamp = platform::ToIsoDateTime(context.AdvanceClock());
        state.ResumeTiming();
        const bool ok = Guarded(state, [&] {
            // Only the rows whose values change are written, as the system writes them.
            PlainStmt prices(db,
                             "update VktDB1O set ItemUnit_Key = ( select UseUnit_Key from VktDB1F where Data_ID = "
                             "Data_Key ), ItemPrice = ( select UsePrice from VktDB1F where Data_ID = Data_Key ) "
                             "where Item_Key = ?1 and ( ItemUnit_Key is not ( select UseUnit_Key from VktDB1F where "
                             "Data_ID = Data_Key ) or ItemPrice is not ( select UsePrice from VktDB1F where Data_ID = "
                             "Data_Key ) )");
            PlainStmt itemUse(db,
                              "update VktDB1O set ItemUsePrice = ItemUse * ItemPrice where ( ItemUse <> 0 ) and "
                              "( Item_Key = ?1 ) and ItemUsePrice is not ItemUse * ItemPrice");
            PlainStmt total(db,
                            "update VktDB1N set TotalPrice = ( select sum( ItemUsePrice ) from VktDB1O where "
                            "Item_Key = ?1 ) where Cook_Key = ?1 and TotalPrice is not ( select sum( ItemUsePrice ) "
                            "from VktDB1O where Item_Key = ?1 )");
            PlainStmt usePrice(db,
                               "update VktDB1F set ChangeDate = ?2, UsePrice = ( select TotalPrice / Complete from "
                               "VktDB1N where Cook_Key = ?1 ) where Data_ID = ?1");
            usePrice.Bind(2, stamp);
            for (int id : ids) {
                PlainTransaction transaction(db);
                prices.Bind(1, id).Run();
                itemUse.Bind(1, id).Run();
                total.Bind(1, id).Run();
                usePrice.Bind(1, id).Run();
                transaction.Commit();
            }
        });
        if (!ok) break;
    }
    state.counters["Recipes"] = static_cast<double>(ids.size());
}

} // namespace

void RegisterRecostBenchmarks() {
    RegisterPair({"Recost", 1.3, Metric::RealTime,
                  "every recipe and menu recosted, each durable: facade RefreshItemPrices vs updates by hand"},
                 RecostSystem, RecostSqlite);
}

} // namespace bench
