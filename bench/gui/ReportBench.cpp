// A record report on the generated database: a layout of one database container with 20 slots
// (name, French name, buying and use price each), bound to 10 000 ingredients sorted by name and
// shown at page 250 (the middle page at smaller sizes). ReportEditReaction is one EditData of a
// shown buying price through the facade until the page view has repainted; more rows re-read
// than the page shows, or any listing, fail the run, and so does a query while the layout is
// hidden. Against the plain TVktAccesser listing of the container's own query.
#include "BenchRatio.h"
#include "GuiBenchData.h"
#include "GuiBenchSupport.h"

#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "layout/Preview.h"
#include "reports/Uvktcontainer.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvktfieldcontainer.h"
#include "reports/Uvkttopcontainer.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using F = TVktField;

constexpr int kRecords = 10000;
constexpr int kSlots = 20;
constexpr int kShownPage = 250;

TFilterObject ReportFilter() { return bench::FirstIngredients(kRecords); }

// The shown report: kSlots cards of 13 mm down an A4 page.
struct ShownReport {
    ShownReport()
    {
        preview.resize(1000, 800);
        binding.SetFilter(ReportFilter());
        binding.Attach(&bench::GuiBenchObject());
        top = static_cast<TVktTopContainer*>(Place(11, nullptr, {1000, 1000, 20000, 28000}));
        TAccessFieldStruct sort;
        sort.GetFields() << ToInt(F::Data);
        sort.GetOrders() << 1;
        top->SetAccessFields(sort);
        top->SetPageDataCount(kSlots);
        for (int slot = 1; slot <= kSlots; ++slot) {
            const int y = 1000 + (slot - 1) * 1300;
            auto* card = static_cast<TVktContainer*>(Place(12, top, {1000, y, 20000, y + 1200}));
            card->SetPageDataIndex(slot);
            const struct {
                TVktField field;
                int left, right;
            } fields[] = {{F::Data, 1200, 8000}, {F::Data2, 8200, 14000}, {F::BuyPrice, 14200, 17000},
                          {F::UsePrice, 17200, 19800}};
            for (const auto& f : fields)
                static_cast<TVktFieldContainer*>(Place(13, card, {f.left, y + 200, f.right, y + 1000}))
                    ->SetField(ToInt(f.field));
        }
        binding.Update();
        bench::ShowExposed(preview);
        preview.viewport()->installEventFilter(&paints);
        const int pages = preview.GetPageMax();
        preview.SetPage(pages >= 2 * kShownPage ? kShownPage : std::max(1, pages / 2));
        QCoreApplication::processEvents();
        if (top->GetRowCount() == 0) throw std::runtime_error("The report lists no records");
    }
    ~ShownReport()
    {
        binding.Detach();
        preview.Clear();
    }

    TContainer* Place(int type, TContainer* parent, TRect mm)
    {
        preview.SetSelected(parent ? parent->GetViewItem() : nullptr);
        TViewItem* item = preview.AddContainer(type);
        if (!item) throw std::runtime_error("The layout refused a container of type " + std::to_string(type));
        item->SetMMBoundRect_(mm);
        return ContainerOf(item);
    }
    // The record of the shown page's first slot.
    int ShownRecord() { return top->GetDataID((preview.GetPage() - 1) * kSlots); }
    // Waits for the page view's own repaint; raises when none comes.
    void AwaitPaint(int before)
    {
        QElapsedTimer waited;
        waited.start();
        while (paints.Paints == before) {
            if (waited.elapsed() > 2000) throw std::runtime_error("The page view did not repaint");
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }

    TPreview preview;
    TVktLayoutBinding binding{&preview};
    TVktTopContainer* top = nullptr;
    bench::PaintCounter paints;
};

void ReportAccesserListing(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        TPriorityItem fields;
        TPriorityItem orders;
        TFilterObject filter;
        TVktTable table;
        int rows = 0;
        {
            ShownReport report;
            const TVktAccesser& listed = *report.top->GetAccesser();
            fields = listed.GetFields();
            orders = listed.GetOrder();
            filter = listed.GetFilter();
            table = listed.GetTable();
            rows = listed.GetRowCount();
        }
        for (auto _ : state)
            if (bench::AccesserRows(&bench::GuiBenchObject(), table, fields, orders, filter) != rows)
                throw std::runtime_error("The accessor listed other rows");
        state.counters["rows"] = rows;
    });
}

void ReportEditReaction(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        TVktObject& object = bench::GuiBenchObject();
        ShownReport report;
        TVktTopContainer& top = *report.top;
        const TPriorityItem ids = TPriorityItem() << report.ShownRecord();
        const platform::Variant original = bench::StoredBuyPrice(&object, ids.GetItem(0));
        const double base = original.IsEmpty() ? 100.0 : original.AsDouble();
        int step = 0;
        for (auto _ : state) {
            const int queries = top.GetQueryCount();
            const int patched = top.GetPatchedRowCount();
            const int paints = report.paints.Paints;
            if (!object.EditData(F::BuyPrice, platform::Variant(base + (++step % 2 ? 1.0 : 0.0)), ids))
                throw std::runtime_error("The edit failed");
            report.AwaitPaint(paints);
            state.PauseTiming();
            const int reread = top.GetPatchedRowCount() - patched;
            if (top.GetQueryCount() != queries || reread < 1 || reread > kSlots)
                throw std::runtime_error("The edit re-read " + std::to_string(reread) + " rows and ran " +
                                         std::to_string(top.GetQueryCount() - queries) + " listings");
            state.ResumeTiming();
        }
        // Hidden, an edit only marks the container; showing lists it once.
        const int queries = top.GetQueryCount();
        const int patches = top.GetPatchCount();
        report.binding.SetShown(false);
        object.EditData(F::BuyPrice, original, ids);
        if (top.GetQueryCount() != queries || top.GetPatchCount() != patches)
            throw std::runtime_error("The hidden layout queried");
        report.binding.SetShown(true);
        report.binding.Update();
        if (top.GetQueryCount() != queries + 1) throw std::runtime_error("Showing did not list once");
    });
}

BENCHMARK(ReportAccesserListing)->Unit(benchmark::kMillisecond);
BENCHMARK(ReportEditReaction)->Unit(benchmark::kMillisecond);

VKT_BENCH_RATIO(ReportEditReaction, ReportAccesserListing, 0.05);

} // namespace
