// Printing through the print dialog against the page view's own printing, and loading a layout
// of 2 000 items with the item tree attached against the same load without it.
#include "BenchRatio.h"

#include "layout/Preview.h"
#include "layout/Ugridcontainer.h"
#include "reports/Fpreviewitemoperator.h"
#include "reports/Fprintexecutedlg.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <memory>
#include <string>

namespace {

constexpr int kPages = 100;
constexpr int kItems = 2000;

// A grid spanning 100 pages, printed to a PDF file.
struct PrintSetup {
    PrintSetup()
    {
        std::vector<std::unique_ptr<TPrinterDevice>> devices;
        devices.push_back(std::make_unique<TPdfPrinterDevice>(dir.filePath(QStringLiteral("p.pdf")).toStdString()));
        SetPrinterObject(std::make_unique<TPrinterObject>(std::move(devices), 0));
        TViewItem* item = preview.AddContainer(6);
        item->SetMMBoundRect_({2000, 2000, 19000, 27000});
        grid = dynamic_cast<TGridContainer*>(item->GetObject());
        int rows = 1;
        while (Fill(rows * 2), preview.GetPageMax() < kPages) rows *= 2;
        int low = rows, high = rows * 2;   // pages(low) < kPages <= pages(high)
        while (high - low > 1) {
            const int mid = (low + high) / 2;
            Fill(mid);
            (preview.GetPageMax() < kPages ? low : high) = mid;
        }
        Fill(high);
    }
    ~PrintSetup() { SetPrinterObject(nullptr); }
    void Fill(int rows)
    {
        std::string csv;
        for (int r = 1; r <= rows; ++r) csv += "品目" + std::to_string(r) + "," + std::to_string(r * 10) + "\n";
        grid->SetRowCount(rows);
        grid->SetCSV(csv);
    }

    QTemporaryDir dir;
    TPreview preview;
    TGridContainer* grid = nullptr;
};

void PrintDialogPdf(benchmark::State& state)
{
    PrintSetup setup;
    TPrintExecuteDlg dialog;
    for (auto _ : state) {
        dialog.Setup(&setup.preview, "Vektara", "");
        dialog.BtnPrintClick();
    }
    state.counters["pages"] = setup.preview.GetPageMax();
}

void DrawPrinterPdf(benchmark::State& state)
{
    PrintSetup setup;
    for (auto _ : state) {
        int count = 0;
        setup.preview.DrawPrinter("", 1, 0, 0, 0, [&count](TPageView*, int, int) { return ++count > 0; });
        benchmark::DoNotOptimize(count);
    }
}

// A layout file of 2 000 text items, ten to a box.
std::string LayoutFile(const QTemporaryDir& dir)
{
    TPreview preview;
    for (int box = 0; box < kItems / 10; ++box) {
        preview.SetSelected(nullptr);
        TViewItem* parent = preview.AddContainer(1);
        for (int i = 1; i < 10; ++i) {
            preview.SetSelected(parent);
            preview.AddContainer(2);
        }
    }
    const std::string file = dir.filePath(QStringLiteral("items.xml")).toStdString();
    preview.SaveToFile(file);
    return file;
}

void LoadWithItemTree(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string file = LayoutFile(dir);
    TPreview preview;
    TPreviewItemOperator tree;
    tree.SetPreview(&preview);
    for (auto _ : state) preview.LoadFromFile(file);
}

void LoadWithoutItemTree(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string file = LayoutFile(dir);
    TPreview preview;
    for (auto _ : state) preview.LoadFromFile(file);
}

} // namespace

BENCHMARK(PrintDialogPdf)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(DrawPrinterPdf)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(LoadWithItemTree)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadWithoutItemTree)->Unit(benchmark::kMillisecond);
VKT_BENCH_RATIO(PrintDialogPdf, DrawPrinterPdf, 1.1);
VKT_BENCH_RATIO(LoadWithItemTree, LoadWithoutItemTree, 1.3);
