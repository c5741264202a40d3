// The CSV import wizard on the generated database: 10 000 ingredient rows whose every name is
// registered, in a UTF-8 file as a spreadsheet writes it. Against the facade's InsertData of the
// same import text with a callback that only counts: the run from 変換開始 to the end of the batch
// dialog (AutoClose), and choosing the file on page 2 until page 4 is painted. Every iteration
// starts from the generated database: the imported records are deleted again, untimed.
#include "BenchRatio.h"
#include "GuiBenchData.h"
#include "GuiBenchSupport.h"
#include "PlainSqlite.h"

#include "database/Uvktobject.h"
#include "dialogs/Fcsvconvertor.h"
#include "dialogs/Fcsvedit.h"
#include "dialogs/Fcsveditor.h"
#include "dialogs/Fexecutedialog.h"
#include "dialogs/Ucsvtext.h"
#include "platform/Files.h"
#include "platform/NumberText.h"
#include "screens/Ffieldselector.h"
#include "widgets/Fstatelistview.h"

#include <benchmark/benchmark.h>

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

using F = TVktField;
constexpr int kRows = 10000;
const F kFields[] = {F::Data, F::Class_Key, F::Form_Key, F::BuyUnit_Key, F::BuyPrice, F::Dealer_Key};

struct ImportData {
    std::string Path;      // the UTF-8 file
    std::string Text;      // the import text the wizard sends
    TPriorityItem Fields;
    int LastId = 0;        // the highest record id before any import
};

// A field as a spreadsheet writes it: quoted, inner quotes doubled, only when it needs to be.
std::string SheetField(const std::string& text)
{
    if (text.find_first_of(",\"\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

const ImportData& Data()
{
    static const ImportData data = [] {
        TVktObject& object = bench::GuiBenchObject();
        ImportData made;
        for (F f : kFields) made.Fields << static_cast<int>(f);
        std::vector<std::string> names[4];
        for (TCsvNameKind kind : kCsvNameKinds)
            for (const auto& item : RegisteredItems(object, kind, 7)) names[static_cast<std::size_t>(kind)].push_back(item.Name);
        for (const auto& list : names)
            if (list.empty()) throw std::runtime_error("A kind of names has no registered row");
        std::string file = "\xEF\xBB\xBF";
        for (int row = 0; row < kRows; ++row) {
            const auto pick = [&](std::size_t kind) { return names[kind][static_cast<std::size_t>(row * 7 + 3) % names[kind].size()]; };
            const std::vector<std::string> cells = {"食材 crème " + std::to_string(row), pick(0), pick(1), pick(2),
                                                    platform::FormatCurrency(100 + row % 5000), pick(3)};
            for (std::size_t i = 0; i < cells.size(); ++i) file += (i ? "," : "") + SheetField(cells[i]);
            file += "\n";
        }
        made.Path = (std::filesystem::temp_directory_path() / ("vkt_csvbench_" + std::to_string(getpid()) + ".csv")).string();
        platform::WriteFileAtomic(made.Path, file);

        TCsvGrid grid;
        grid.SetFixedRows(1);
        SetRows(grid, ReadCsvFile(made.Path).Rows);
        TCsvNameMap maps[4];
        for (TCsvNameKind kind : kCsvNameKinds) {
            const auto k = static_cast<std::size_t>(kind);
            if (PrepareNameMap(maps[k], RegisteredItems(object, kind, 7), CollectNames(grid, made.Fields, 1, kind)))
                throw std::runtime_error("An unregistered name in the benchmark table");
        }
        made.Text = ImportText(BuildCompleteGrid(grid, made.Fields, 1, {}, {&maps[0], &maps[1], &maps[2], &maps[3]}),
                               made.Fields);
        bench::PlainDb db(bench::BenchContext::Get().DatabaseFile());
        bench::PlainStmt last(db, "select coalesce(max(Data_ID), 0) from VktDB1F");
        if (last.Step()) made.LastId = static_cast<int>(last.Int(0));
        return made;
    }();
    return data;
}

// The imported records and their rows deleted again.
void RemoveImported()
{
    bench::PlainDb db(bench::BenchContext::Get().DatabaseFile());
    bench::PlainTransaction transaction(db);
    const std::string above = std::to_string(Data().LastId);
    for (const char* table : {"VktDB1F where Data_ID", "VktDB1K where Food_Key", "VktDB1L where MHistory_Key"})
        db.Exec(std::string("delete from ") + table + " > " + above);
    transaction.Commit();
}

// A wizard on the generated database with the benchmark's fields chosen, shown on page 2.
class BenchWizard {
public:
    BenchWizard()
    {
        wizard.SetDataObject(&bench::GuiBenchObject());
        wizard.GetCsvFieldSelector()->GetRBFoodFamily()->setChecked(true);
        wizard.GetCsvFieldSelector()->ClassTypeSelectorClick();
        TDblPriorityItem states;
        for (F f : kFields) {
            states.Ids << static_cast<int>(f);
            states.States << 0;
        }
        wizard.GetCsvFieldSelector()->GetFieldSelector()->GetStateListView()->SetStates(states);
        bench::ShowExposed(wizard);
        wizard.ShowPage(0);
        wizard.BtnNextClick();
        wizard.BtnNextClick();
    }
    ~BenchWizard() { wizard.SetDataObject(nullptr); }
    // Page 2 → 4 with the file loaded; page 4 painted.
    void LoadAndCheck()
    {
        wizard.GetCsvEditor()->GetCsvEdit()->LoadFromFile(Data().Path);
        wizard.BtnNextClick();
        if (wizard.GetPage() != 4) throw std::runtime_error("The wizard did not reach the data check");
        wizard.repaint();
    }

    TCsvConvertor wizard;
};

void CsvImportRun(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        BenchWizard bench;
        bench.LoadAndCheck();
        TExecuteDialog* dialog = ExecuteDlg(&bench::GuiBenchObject());
        for (auto _ : state) {
            state.PauseTiming();
            bench.wizard.BtnPrevClick();   // page 4 → 2 → 4: the rebuilt table arms the start again
            bench.wizard.BtnNextClick();
            bench.wizard.BtnNextClick();
            dialog->SetAutoClose(true);
            state.ResumeTiming();
            bench.wizard.GetBtnCsvComp()->click();
            state.PauseTiming();
            if (dialog->GetLabel()->text() != QStringLiteral("終了しました。"))
                throw std::runtime_error("The import failed: " + dialog->GetLabel()->text().toStdString());
            RemoveImported();
            bench.wizard.BtnPrevClick();   // page 5 → 4
            state.ResumeTiming();
        }
        ExecuteDlg(nullptr);
    });
}

void CsvImportTable(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        Data();
        BenchWizard bench;
        for (auto _ : state) {
            bench.LoadAndCheck();
            state.PauseTiming();
            bench.wizard.BtnPrevClick();
            state.ResumeTiming();
        }
    });
}

void CsvImportFacade(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        TVktObject& object = bench::GuiBenchObject();
        int steps = 0;
        const TVktProgressEvent count = [&steps](TVktObject*, const std::string&, bool&, int) { ++steps; };
        for (auto _ : state) {
            steps = 0;
            if (!object.InsertData(TVktObjKind::Food, Data().Text, Data().Fields, 0, count) || steps != kRows)
                throw std::runtime_error("The facade's import failed");
            state.PauseTiming();
            RemoveImported();
            state.ResumeTiming();
        }
    });
}

BENCHMARK(CsvImportRun)->Unit(benchmark::kMillisecond);
BENCHMARK(CsvImportTable)->Unit(benchmark::kMillisecond);
BENCHMARK(CsvImportFacade)->Unit(benchmark::kMillisecond);

VKT_BENCH_RATIO(CsvImportRun, CsvImportFacade, 1.3);
VKT_BENCH_RATIO(CsvImportTable, CsvImportFacade, 0.5);

} // namespace
