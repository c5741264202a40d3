// List reports on the generated database, 10 000 ingredients (fewer at small sizes):
// - a hand-built list grid (name, French name, class, use price) sorted by class and name, with
//   use prices summed per class, and the shipped food list (FoodList.xml) bound to the same
//   selection. *Print binds, lays out and prints the whole list to a PDF file; the baseline lists
//   the grid's own query through a bare TVktAccesser, reads every cell and draws the grid's cell
//   texts at their rows and columns with a bare QPainter into a QPdfWriter, a page per grid page.
// - *EditReaction: one EditData of the buying price of a record on a middle page shown in the page
//   view, until the view has repainted. More rows re-read than the grid shows, or any listing,
//   fail the run. Against the plain listing alone.
#include "BenchRatio.h"
#include "GuiBenchData.h"
#include "GuiBenchSupport.h"

#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "layout/Preview.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvktgridcontainer.h"
#include "reports/Uvkttopcontainer.h"
#include "widgets/Uprintersupport.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using F = TVktField;

constexpr int kRecords = 10000;

enum class Report { Grid, FoodList };

TFilterObject Selection() { return bench::FirstIngredients(kRecords); }

// A list report given the selection: its document, its database container and its grid; bound
// unless told otherwise.
struct ListReport {
    explicit ListReport(Report kind, bool bound = true)
    {
        preview.resize(1000, 800);
        binding.SetFilter(Selection());
        if (kind == Report::FoodList) {
            preview.LoadFromFile(bench::ShippedLayout("FoodList.xml"));
            top = dynamic_cast<TVktTopContainer*>(preview.GetContainerOfName("DataTop"));
            grid = dynamic_cast<TVktGridContainer*>(preview.GetContainerOfName("DataGrid"));
            if (!top || !grid) throw std::runtime_error("FoodList.xml has no DataTop and DataGrid");
        } else {
            preview.SetMMMargin_({1000, 1000, 1000, 1000});
            preview.SetSelected(nullptr);
            top = dynamic_cast<TVktTopContainer*>(ContainerOf(preview.AddContainer(11)));
            top->GetViewItem()->SetMMBoundRect_({1000, 1000, 20000, 28700});
            TAccessFieldStruct sort;
            sort.GetFields() << ToInt(F::Class) << ToInt(F::Data);
            sort.GetOrders() << 1 << 1;
            top->SetAccessFields(sort);
            preview.SetSelected(top->GetViewItem());
            grid = dynamic_cast<TVktGridContainer*>(ContainerOf(preview.AddContainer(16)));
            grid->GetViewItem()->SetMMBoundRect_({1000, 1000, 20000, 28700});
            TPreviewFieldStruct columns;
            for (const auto& [field, width] : {std::pair{F::Data, 500}, {F::Data2, 600}, {F::Class, 400},
                                               {F::UsePrice, 300}}) {
                columns.GetName() << ToInt(field);
                columns.GetWidth() << width;
                columns.GetReturn() << 0;
                columns.GetOrder() << 0;
            }
            grid->SetPreviewFields(columns);
            grid->SetSumField(ToInt(F::UsePrice));
            grid->SetSumClass(ToInt(F::Class));
        }
        if (bound) Bind();
    }
    ~ListReport()
    {
        binding.Detach();
        preview.Clear();
    }

    void Bind()
    {
        binding.Attach(&bench::GuiBenchObject());
        binding.Update();
        if (top->GetRowCount() == 0) throw std::runtime_error("The report lists no records");
    }
    int TitleRows() { return grid->GetHeaderStyle() == 0 ? grid->GetParagraph() : 0; }
    int RowsPerPage() { return std::max(1, grid->GetVisibleRowCount() - TitleRows()); }
    int TableRows() { return top->GetRowCount() + grid->GetSums().GetSumCount(); }
    // The record of a data row near the middle of the page.
    int RecordOnPage(int page)
    {
        const TVGCSumStruct& sums = grid->GetSums();
        int row = (page - 1) * RowsPerPage() + RowsPerPage() / 2;
        while (row > 0 && sums.GetSumCount() != 0 && sums.GetCheckSum(row)) --row;
        return top->GetDataID(sums.GetSumCount() != 0 ? row - sums.GetRowOffset(row) : row);
    }

    TPreview preview;
    TVktLayoutBinding binding{&preview};
    TVktTopContainer* top = nullptr;
    TVktGridContainer* grid = nullptr;
};

// What the baseline needs from a report: its query, its grid's cell texts and their places on
// a 600 dpi page.
struct PlainListing {
    explicit PlainListing(Report kind)
    {
        ListReport report(kind);
        const TVktAccesser& listed = *report.top->GetAccesser();
        table = listed.GetTable();
        fields = listed.GetFields();
        orders = listed.GetOrder();
        filter = listed.GetFilter();
        rows = listed.GetRowCount();
        TVktGridContainer& grid = *report.grid;
        const TRect bounds = grid.GetViewItem()->GetMMBoundRect_();
        const auto dots = [](int mm100) { return static_cast<int>(mm100 * 600LL / 2540); };
        int total = 0;
        for (int c = 0; c < grid.GetWidths().GetCount(); ++c) total += grid.GetWidths().GetItem(c);
        int left = 0;
        for (int c = 0; c < grid.GetFields().GetCount(); ++c) {
            columns.push_back(dots(bounds.Left + (bounds.Width() * left) / std::max(1, total)));
            left += grid.GetWidths().GetItem(c);
        }
        const int perPage = report.RowsPerPage();
        const int rowHeight = dots(bounds.Height()) / std::max(1, grid.GetVisibleRowCount());
        top = dots(bounds.Top) + report.TitleRows() * rowHeight;
        pitch = rowHeight;
        cells.resize(static_cast<std::size_t>(report.TableRows()));
        for (int r = 0; r < report.TableRows(); ++r)
            for (int c = 0; c < grid.GetFields().GetCount(); ++c)
                cells[static_cast<std::size_t>(r)].push_back(grid.CellText(c, r));
        pages = (report.TableRows() + perPage - 1) / perPage;
        font = QFont(QString::fromStdString(grid.GetFontName()), std::max(1, grid.GetFontSize() / 10));
    }

    // Lists the query, reads every cell, draws the texts a page per grid page.
    void Print(const QString& file) const
    {
        TVktAccesser accesser(&bench::GuiBenchObject());
        accesser.BeginUpdate();
        accesser.SetTable(table);
        accesser.SetFields(fields);
        accesser.SetOrder(orders);
        accesser.SetFilter(filter);
        accesser.EndUpdate();
        if (accesser.GetRowCount() != rows) throw std::runtime_error("The accessor listed other rows");
        std::size_t read = 0;
        for (int r = 0; r < rows; ++r) {
            accesser.SetRowIndex(r);
            for (int f = 0; f < fields.GetCount(); ++f) read += accesser.GetText(ToVktField(fields.GetItem(f))).size();
        }
        benchmark::DoNotOptimize(read);
        QPdfWriter writer(file);
        writer.setResolution(600);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins({});
        QPainter painter(&writer);
        painter.setFont(font);
        const std::size_t perPage = (cells.size() + pages - 1) / static_cast<std::size_t>(std::max(1, pages));
        for (std::size_t r = 0; r < cells.size(); ++r) {
            if (r != 0 && r % perPage == 0) writer.newPage();
            const int y = top + static_cast<int>(r % perPage + 1) * pitch;
            for (std::size_t c = 0; c < cells[r].size(); ++c)
                painter.drawText(columns[c], y, QString::fromStdString(cells[r][c]));
        }
    }

    TVktTable table;
    TPriorityItem fields;
    TPriorityItem orders;
    TFilterObject filter;
    int rows = 0;
    std::vector<int> columns;
    int top = 0;
    int pitch = 0;
    int pages = 0;
    std::vector<std::vector<std::string>> cells;
    QFont font;
};

void Print(benchmark::State& state, Report kind)
{
    bench::Guarded(state, [&] {
        bench::PdfPrinter printer;
        int pages = 0;
        for (auto _ : state) {
            state.PauseTiming();
            {
                auto report = std::make_unique<ListReport>(kind, false);
                state.ResumeTiming();
                report->Bind();
                pages = report->preview.GetPageMax();
                if (!report->preview.DrawPrinter("bench", 1, 0, 0, 0)) throw std::runtime_error("Printing failed");
                state.PauseTiming();
            }
            state.ResumeTiming();
        }
        state.counters["pages"] = pages;
    });
}

void PlainPrint(benchmark::State& state, Report kind)
{
    bench::Guarded(state, [&] {
        const PlainListing listing(kind);
        QTemporaryDir dir;
        for (auto _ : state) listing.Print(dir.filePath(QStringLiteral("plain.pdf")));
        state.counters["pages"] = listing.pages;
        state.counters["rows"] = listing.rows;
    });
}

void PlainListingOnly(benchmark::State& state, Report kind)
{
    bench::Guarded(state, [&] {
        const PlainListing listing(kind);
        for (auto _ : state)
            if (bench::AccesserRows(&bench::GuiBenchObject(), listing.table, listing.fields, listing.orders,
                                    listing.filter) != listing.rows)
                throw std::runtime_error("The accessor listed other rows");
        state.counters["rows"] = listing.rows;
    });
}

// Waits for the page view's own repaint; raises when none comes.
void AwaitPaint(const bench::PaintCounter& paints, int before)
{
    QElapsedTimer waited;
    waited.start();
    while (paints.Paints == before) {
        if (waited.elapsed() > 2000) throw std::runtime_error("The page view did not repaint");
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

void EditReaction(benchmark::State& state, Report kind)
{
    bench::Guarded(state, [&] {
        TVktObject& object = bench::GuiBenchObject();
        ListReport report(kind);
        bench::ShowExposed(report.preview);
        bench::PaintCounter paints;
        report.preview.viewport()->installEventFilter(&paints);
        const int page = std::max(1, report.preview.GetPageMax() / 2);
        report.preview.SetPage(page);
        QCoreApplication::processEvents();
        const int shown = report.grid->GetVisibleRowCount();
        const TPriorityItem ids = TPriorityItem() << report.RecordOnPage(page);
        const platform::Variant original = bench::StoredBuyPrice(&object, ids.GetItem(0));
        const double base = original.IsEmpty() ? 100.0 : original.AsDouble();
        TVktTopContainer& top = *report.top;
        int step = 0;
        int reread = 0;
        for (auto _ : state) {
            const int queries = top.GetQueryCount();
            const int patched = top.GetPatchedRowCount();
            const int before = paints.Paints;
            if (!object.EditData(F::BuyPrice, platform::Variant(base + (++step % 2 ? 1.0 : 0.0)), ids))
                throw std::runtime_error("The edit failed");
            AwaitPaint(paints, before);
            state.PauseTiming();
            reread = top.GetPatchedRowCount() - patched;
            if (top.GetQueryCount() != queries || reread < 1 || reread > shown) {
                state.SkipWithError(("The edit re-read " + std::to_string(reread) + " rows of " +
                                     std::to_string(shown) + " shown and ran " +
                                     std::to_string(top.GetQueryCount() - queries) + " listings")
                                        .c_str());
                break;
            }
            state.ResumeTiming();
        }
        object.EditData(F::BuyPrice, original, ids);
        state.counters["reread"] = reread;
        state.counters["shown"] = shown;
    });
}

void ReportGridPrint(benchmark::State& state) { Print(state, Report::Grid); }
void ReportGridPlainPrint(benchmark::State& state) { PlainPrint(state, Report::Grid); }
void ReportGridListing(benchmark::State& state) { PlainListingOnly(state, Report::Grid); }
void ReportGridEditReaction(benchmark::State& state) { EditReaction(state, Report::Grid); }
void FoodListPrint(benchmark::State& state) { Print(state, Report::FoodList); }
void FoodListPlainPrint(benchmark::State& state) { PlainPrint(state, Report::FoodList); }
void FoodListListing(benchmark::State& state) { PlainListingOnly(state, Report::FoodList); }
void FoodListEditReaction(benchmark::State& state) { EditReaction(state, Report::FoodList); }

BENCHMARK(ReportGridPrint)->Unit(benchmark::kMillisecond);
BENCHMARK(ReportGridPlainPrint)->Unit(benchmark::kMillisecond);
BENCHMARK(ReportGridListing)->Unit(benchmark::kMillisecond);
BENCHMARK(ReportGridEditReaction)->Unit(benchmark::kMillisecond);
BENCHMARK(FoodListPrint)->Unit(benchmark::kMillisecond);
BENCHMARK(FoodListPlainPrint)->Unit(benchmark::kMillisecond);
BENCHMARK(FoodListListing)->Unit(benchmark::kMillisecond);
BENCHMARK(FoodListEditReaction)->Unit(benchmark::kMillisecond);

VKT_BENCH_RATIO(ReportGridPrint, ReportGridPlainPrint, 3);
VKT_BENCH_RATIO(FoodListPrint, FoodListPlainPrint, 3);
VKT_BENCH_RATIO(ReportGridEditReaction, ReportGridListing, 0.05);
VKT_BENCH_RATIO(FoodListEditReaction, FoodListListing, 0.05);

} // namespace
