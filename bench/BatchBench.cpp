// Pair "ClassChange": every ingredient moved to one class, as the class-change dialog does it
// (TVktObject::ChangeDataClass over the records, a progress callback per record), against plain
// SQLite doing the same: the target's class type read once, then per record whether its present
// class has that type and its class and change date updated, statements prepared once, one
// transaction.
// After each iteration (untimed) every record's class and change date are put back, so every
// iteration starts from the generated database.
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

// The records' classes and change dates as generated, kept by the connection.
void KeepClasses(PlainDb& db) {
    db.Exec("create temp table KeptClass ( Data_ID integer primary key, Class_Key, ChangeDate )");
    db.Exec("insert into temp.KeptClass select Data_ID, Class_Key, ChangeDate from VktDB1F");
}

void RestoreClasses(PlainDb& db) {
    PlainTransaction transaction(db);
    db.Exec("update VktDB1F set ( Class_Key, ChangeDate ) = ( select Class_Key, ChangeDate from temp.KeptClass K"
            " where K.Data_ID = VktDB1F.Data_ID )");
    transaction.Commit();
}

// The class every ingredient moves to: the last leaf of the family.
int TargetClass() { return BenchContext::Get().Database().IngredientClasses.back(); }

// Runs `change` (given the records) once per iteration, the classes restored after it, untimed.
template <class Change>
void RunChanges(benchmark::State& state, Change&& change) {
    PlainDb db(BenchContext::Get().DatabaseFile());
    KeepClasses(db);
    const std::vector<int>& ids = BenchContext::Get().Database().IngredientIds;
    for (auto _ : state) {
        const bool ok = Guarded(state, [&] { change(db, ids); });
        state.PauseTiming();
        RestoreClasses(db);
        state.ResumeTiming();
        if (!ok) break;
    }
    state.counters["Records"] = static_cast<double>(ids.size());
}

void ClassChangeSystem(benchmark::State& state) {
    TVktObject& object = BenchContext::Get().Object();
    RunChanges(state, [&](PlainDb&, const std::vector<int>& records) {
        TPriorityItem ids;
        for (int id : records) ids << id;
        int steps = 0;
        const TVktProgressEvent progress = [&steps](TVktObject*, const std::string&, bool&, int) { ++steps; };
        if (!object.ChangeDataClass(TargetClass(), 0, ids, progress) || steps != ids.GetCount())
            throw std::runtime_error("ChangeDataClass failed");
    });
}

void ClassChangeSqlite(benchmark::State& state) {
    RunChanges(state, [](PlainDb& db, const std::vector<int>& ids) {
        const std::string now = platform::ToIsoDateTime(platform::Now());
        PlainTransaction transaction(db);
        PlainStmt type(db, "select ClassType from VktDB1A where Class_ID = ?1");
        type.Bind(1, TargetClass());
        if (!type.Step()) throw std::runtime_error("no target class");
        const std::int64_t targetType = type.Int(0);
        type.Reset();
        PlainStmt family(db, "select 1 from VktDB1F join VktDB1A on Class_ID = Class_Key where Data_ID = ?1 and"
                             " ClassType = ?2");
        PlainStmt update(db, "update VktDB1F set Class_Key = ?1, ChangeDate = ?2 where Data_ID = ?3");
        family.Bind(2, targetType);
        update.Bind(1, TargetClass()).Bind(2, now);
        for (int id : ids) {
            family.Bind(1, id);
            const bool moves = family.Step();
            family.Reset();
            if (moves) update.Bind(3, id).Run();
        }
        transaction.Commit();
    });
}

} // namespace

void RegisterBatchBenchmarks() {
    RegisterPair({"ClassChange", 1.2, Metric::RealTime,
                  "every ingredient moved to one class: facade ChangeDataClass vs statements prepared once"},
                 ClassChangeSystem, ClassChangeSqlite);
}

} // namespace bench
