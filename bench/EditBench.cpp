// Pair "Edits": buy-price edits of distinct ingredients, one by one as the record editor makes
// them, through the facade (TVktObject::EditData: the field, then the ingredient's price chain),
// against the statements of the same work prepared once. Every edit is durable on its own on both
// sides: the facade commits what each operation writes, the baseline commits each edit.
#include <stdexcept>

#include "BenchContext.h"
#include "PlainSqlite.h"
#include "database/Uvktobject.h"
#include "platform/Currency.h"
#include "platform/Text.h"

namespace bench {

namespace {

int passes = 0; // each pass writes prices of its own

double NewPrice(int id, int pass) { return 100 + (static_cast<long long>(id) * 7919 + pass * 104729LL) % 9000; }

std::vector<int> EditedIds() {
    BenchContext& context = BenchContext::Get();
    return PickIds(context.Database().IngredientIds, context.Options().Operations, 15);
}

void EditsSystem(benchmark::State& state) {
    TVktObject& object = BenchContext::Get().Object();
    const std::vector<int> ids = EditedIds();
    for (auto _ : state) {
        const int pass = ++passes;
        const bool ok = Guarded(state, [&] {
            for (int id : ids) {
                TPriorityItem keys;
                keys << id;
                if (!object.EditData(TVktField::BuyPrice,
                                     platform::Variant(platform::Currency::FromDouble(NewPrice(id, pass))), keys))
                    throw std::runtime_error("EditData failed on record " + platform::IntToStr(id));
            }
        });
        if (!ok) break;
    }
    state.counters["Edits"] = static_cast<double>(ids.size());
}

void EditsSqlite(benchmark::State& state) {
    BenchContext& context = BenchContext::Get();
    const std::vector<int> ids = EditedIds();
    PlainDb db(context.DatabaseFile());
    for (auto _ : state) {
        const int pass = ++passes;
        const bool ok = Guarded(state, [&] {
            const platform::TDateTime now = platform::Now();
            const std::string stamp = platform::ToIsoDateTime(now);
            const std::string today = platform::ToIsoDate(now);
            PlainStmt price(db, "update VktDB1K set BuyPrice = ?1 where Food_Key = ?2");
            PlainStmt flags(db,
                            "select Conserve, Erase_Key, ClassType from VktDB1F left join VktDB1A on Class_ID = "
                            "Class_Key left join VktDB1G on Data_ID = Erase_Key where Data_ID = ?1");
            PlainStmt usePrice(db,
                               "update VktDB1F set ChangeDate = ?1, UsePrice = ( select BuyPrice * ( 100.0 / Yield ) "
                               "/ Quantity from VktDB1K where Food_Key = ?2 ) where Data_ID = ?2");
            PlainStmt dropDay(db, "delete from VktDB1L where ( MHistory_Key = ?1 ) and ( MHistoryDate = ?2 )");
            PlainStmt addDay(db,
                             "insert into VktDB1L ( MHistory_Key, MHistoryDate, MHistoryUnit_Key, MHistoryPrice ) "
                             "select Data_ID, ?2, UseUnit_Key, UsePrice from VktDB1F where Data_ID = ?1");
            usePrice.Bind(1, stamp);
            dropDay.Bind(2, today);
            addDay.Bind(2, today);
            for (int id : ids) {
                PlainTransaction transaction(db);
                price.Bind(1, NewPrice(id, pass)).Bind(2, id).Run();
                flags.Bind(1, id);
                const bool live = flags.Step() && flags.Int(0) == 0 && flags.IsNull(1) && flags.Int(2) == 1;
                flags.Reset();
                if (live) {
                    usePrice.Bind(2, id).Run();
                    dropDay.Bind(1, id).Run();
                    addDay.Bind(1, id).Run();
                }
                transaction.Commit();
            }
        });
        if (!ok) break;
    }
    state.counters["Edits"] = static_cast<double>(ids.size());
}

} // namespace

void RegisterEditBenchmarks() {
    RegisterPair({"Edits", 1.1, Metric::RealTime,
                  "buy-price edits with the price chain, each durable: facade EditData vs statements prepared once"},
                 EditsSystem, EditsSqlite);
}

} // namespace bench
