// The batch progress dialog: 10 000 ingredients of the generated database trashed and restored
// through the program's one dialog (shown modally offscreen, AutoClose), against the same two
// facade calls with a progress callback that only counts. The ingredients are ones no recipe uses
// (the trash refuses the others), as many as there are up to 10 000.
#include "BenchRatio.h"
#include "GuiBenchData.h"
#include "PlainSqlite.h"

#include "database/Uvktobject.h"
#include "dialogs/Fexecutedialog.h"

#include <benchmark/benchmark.h>

#include <QLabel>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kRecords = 10000;

TPriorityItem BatchIds()
{
    const bench::GeneratedDatabase& database = bench::GuiBenchDatabase();
    bench::PlainDb db(bench::BenchContext::Get().DatabaseFile());
    bench::PlainStmt unused(db, "select Data_ID from VktDB1F where Data_ID <= ?1 and Data_ID not in "
                                "(select Data_Key from VktDB1O where Data_Key is not null) "
                                "and Data_ID not in (select Erase_Key from VktDB1G) order by Data_ID");
    unused.Bind(1, database.IngredientIds.empty() ? 0 : database.IngredientIds.back());
    std::vector<int> erasable;
    while (unused.Step()) erasable.push_back(static_cast<int>(unused.Int(0)));
    TPriorityItem ids;
    for (int id : bench::PickIds(erasable, kRecords, 11)) ids << id;
    if (ids.GetCount() == 0) throw std::runtime_error("No ingredient can go to the trash");
    return ids;
}

void BatchDialog(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        TVktObject& object = bench::GuiBenchObject();
        const TPriorityItem ids = BatchIds();
        TExecuteDialog* dialog = ExecuteDlg(&object);
        const auto run = [&](bool (TExecuteDialog::*setUp)(TPriorityItem)) {
            dialog->SetAutoClose(true);
            if (!(dialog->*setUp)(ids) || dialog->GetLabel()->text() != QStringLiteral("終了しました。"))
                throw std::runtime_error("The dialog's run failed: " + dialog->GetLabel()->text().toStdString());
        };
        for (auto _ : state) {
            run(&TExecuteDialog::EraseData);
            run(&TExecuteDialog::RestoreData);
        }
        ExecuteDlg(nullptr);
    });
}

void BatchFacade(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        TVktObject& object = bench::GuiBenchObject();
        const TPriorityItem ids = BatchIds();
        int steps = 0;
        const TVktProgressEvent count = [&steps](TVktObject*, const std::string&, bool&, int) { ++steps; };
        for (auto _ : state) {
            steps = 0;
            if (!object.EraseData(2, ids, count) || !object.RestoreData(3, ids, count) ||
                steps != 2 * ids.GetCount())
                throw std::runtime_error("The facade's run failed");
        }
    });
}

BENCHMARK(BatchDialog)->Unit(benchmark::kMillisecond);
BENCHMARK(BatchFacade)->Unit(benchmark::kMillisecond);

VKT_BENCH_RATIO(BatchDialog, BatchFacade, 1.3);

} // namespace
