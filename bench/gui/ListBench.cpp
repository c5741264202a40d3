// The record list on the generated database (every ingredient, the database's view fields sorted
// by name, not in the trash) against the plain TVktAccesser listing of the same fields, orders
// and filter: opening the list (bind, filter, first paint), 100 jumps spread over the list, each
// painted, pages at the end against pages at the top, the reaction to one EditData of a shown
// field (the patch query and the repaint; more rows re-read than the list shows fail the run) and
// the reaction to a class change of 10 000 records (one re-query and the repaint).
#include "BenchRatio.h"
#include "GuiBenchData.h"
#include "GuiBenchSupport.h"

#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "screens/Fdataview.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

using F = TVktField;
using Clock = std::chrono::steady_clock;

constexpr int kJumps = 100;
constexpr int kPages = 10;
constexpr int kBatchIds = 10000;

// The view fields the list shows: the database's, sorted by name.
TViewFieldStruct SortedByName(TVktObject& object)
{
    TViewFieldStruct fields = object.GetViewFields();
    const int name = fields.GetName().IndexOf(ToInt(F::Data));
    if (name < 0) throw std::runtime_error("The view fields show no name");
    TPriorityItem& orders = fields.GetOrder();
    orders.SetCount(fields.GetName().GetCount());
    for (int i = 0; i < orders.GetCount(); ++i) orders.SetItem(i, i == name ? 1 : 0);
    return fields;
}

// Every ingredient not in the trash, as the navigators hand it to the list.
TFilterObject IngredientFilter()
{
    TFilterObject filter;
    filter.Add(F::Class_ID, foEqual, platform::Variant(bench::GuiBenchDatabase().IngredientRootClass), {});
    filter.Add(F::Erase_Key, foIsEmpty, {}, {});
    return filter;
}

// The generated database with the list's view fields stored.
TVktObject& ListDatabase()
{
    TVktObject& object = bench::GuiBenchObject();
    const TViewFieldStruct sorted = SortedByName(object);
    if (object.GetViewFields() != sorted) object.SaveViewFields(sorted);
    return object;
}

using bench::PaintCounter;

// A shown record list of every ingredient.
struct ShownList {
    ShownList()
    {
        view.resize(800, 600);
        bench::ShowExposed(view);
        Grid()->viewport()->installEventFilter(&paints);
        Open(ListDatabase());
    }
    ~ShownList() { view.SetVktObject(nullptr); }

    void Open(TVktObject& object)
    {
        view.BeginUpdate();
        view.SetVktObject(&object);
        view.SetFilter(IngredientFilter());
        view.EndUpdate();
        Paint();
    }
    QTableView* Grid() const { return view.GetDataListView()->GetStringGrid(); }
    int Rows() const { return view.GetDataListView()->GetRows().GetCount(); }
    // Rows the viewport shows (a partly shown one included).
    int PageRows() const { return Grid()->viewport()->height() / Grid()->verticalHeader()->defaultSectionSize() + 1; }
    // Paints the viewport now; raises when it did not paint.
    void Paint()
    {
        const int before = paints.Paints;
        Grid()->viewport()->repaint();
        if (paints.Paints == before) throw std::runtime_error("The list did not paint");
    }
    void ShowRow(int row)
    {
        Grid()->verticalScrollBar()->setValue(row);
        Paint();
    }
    void ExpectRows() const
    {
        const int expected = static_cast<int>(bench::GuiBenchDatabase().IngredientIds.size());
        if (Rows() != expected)
            throw std::runtime_error("The list shows " + std::to_string(Rows()) + " rows, not " +
                                     std::to_string(expected));
    }

    PaintCounter paints;
    TDataView view{nullptr};
};

// Times the list's own handling of change notices: a subscription made before the list's takes
// the time when a notice arrives, one made after it adds the time the list took.
class NoticeClock {
public:
    explicit NoticeClock(TVktObject& object) : object_(object)
    {
        before_.OnFieldChange = [this](TVktObject*, TVktField, TPriorityItem) { start_ = Clock::now(); };
        object_.GetEvents().Add(&before_);
    }
    // After the list has subscribed.
    void Follow()
    {
        after_.OnFieldChange = [this](TVktObject*, TVktField, TPriorityItem) {
            spent_ += std::chrono::duration<double>(Clock::now() - start_).count();
        };
        object_.GetEvents().Add(&after_);
    }
    double Take() { return std::exchange(spent_, 0.0); }

private:
    TVktObject& object_;
    TVktObjEvent before_;
    TVktObjEvent after_;
    Clock::time_point start_;
    double spent_ = 0;
};

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void AccesserListing(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        TVktObject& object = ListDatabase();
        const TViewFieldStruct shown = object.GetViewFields();
        // The fields, orders and filter the list lists.
        TPriorityItem fields = shown.GetName();
        fields << ToInt(F::Data_ID) << ToInt(F::Icon_Key) << ToInt(F::Conserve) << ToInt(F::InvItem);
        TPriorityItem orders = shown.GetOrder();
        orders << 0 << 0 << 0 << 0;
        const TFilterObject filter = IngredientFilter();
        const int expected = static_cast<int>(bench::GuiBenchDatabase().IngredientIds.size());
        for (auto _ : state) {
            TVktAccesser accesser(&object);
            accesser.BeginUpdate();
            accesser.SetTable(TVktTable::TblData);
            accesser.SetFields(fields);
            accesser.SetOrder(orders);
            accesser.SetFilter(filter);
            accesser.EndUpdate();
            if (accesser.GetRowCount() != expected) throw std::runtime_error("The accessor listed the wrong rows");
        }
    });
}

void ListOpen(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        ShownList list;
        TVktObject& object = ListDatabase();
        for (auto _ : state) {
            state.PauseTiming();
            list.view.SetVktObject(nullptr);
            state.ResumeTiming();
            list.Open(object);
        }
        list.ExpectRows();
    });
}

void ListJumps(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        ShownList list;
        list.ExpectRows();
        const int last = list.Rows() - 1;
        for (auto _ : state)
            for (int jump = 0; jump < kJumps; ++jump) list.ShowRow(static_cast<int>(
                static_cast<long long>(last) * ((jump * 37) % kJumps) / (kJumps - 1)));
    });
}

// kPages pages from the top (end: false) or up to the end, each shown and painted.
void Pages(benchmark::State& state, bool end)
{
    bench::Guarded(state, [&] {
        ShownList list;
        const int page = list.PageRows();
        const int first = end ? std::max(0, list.Rows() - kPages * page) : 0;
        for (auto _ : state)
            for (int i = 0; i < kPages; ++i) list.ShowRow(first + i * page);
    });
}

void ListPagesTop(benchmark::State& state) { Pages(state, false); }
void ListPagesEnd(benchmark::State& state) { Pages(state, true); }

void ListEditReaction(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        TVktObject& object = ListDatabase();
        NoticeClock clock(object);
        ShownList list;
        clock.Follow();
        list.ShowRow(list.Rows() / 2);
        const int row = list.Grid()->rowAt(0);
        const int id = list.view.GetDataListView()->GetRows().GetID(row);
        TPriorityItem ids;
        ids << id;
        list.view.GetAccesser()->SetRowIndex(row);
        const std::string name = list.view.GetAccesser()->GetText(F::Data);
        bool renamed = false;
        for (auto _ : state) {
            const int queries = list.view.GetQueryCount();
            const int patched = list.view.GetPatchedRowCount();
            renamed = !renamed;
            if (!object.EditData(F::Data, platform::Variant(renamed ? name + "＊" : name), ids))
                throw std::runtime_error("The edit failed");
            const auto paint = Clock::now();
            list.Paint();
            state.SetIterationTime(clock.Take() + Since(paint));
            QCoreApplication::processEvents();
            const int reread = list.view.GetPatchedRowCount() - patched;
            if (list.view.GetQueryCount() != queries || reread < 1 || reread > list.PageRows())
                throw std::runtime_error("The edit re-read " + std::to_string(reread) + " rows and " +
                                         std::to_string(list.view.GetQueryCount() - queries) + " listings");
        }
        if (renamed) object.EditData(F::Data, platform::Variant(name), ids);
    });
}

void ListBatchNotice(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        TVktObject& object = ListDatabase();
        const bench::GeneratedDatabase& database = bench::GuiBenchDatabase();
        if (database.IngredientClasses.size() < 2) throw std::runtime_error("Two ingredient classes needed");
        TPriorityItem ids;
        for (int id : bench::PickIds(database.IngredientIds, kBatchIds, 7)) ids << id;
        NoticeClock clock(object);
        ShownList list;
        clock.Follow();
        bool moved = false;
        for (auto _ : state) {
            const int queries = list.view.GetQueryCount();
            const int patches = list.view.GetPatchCount();
            moved = !moved;
            const int target = database.IngredientClasses[moved ? 1 : 0];
            if (!object.ChangeDataClass(target, 1, ids, nullptr)) throw std::runtime_error("The class change failed");
            const auto paint = Clock::now();
            list.Paint();
            state.SetIterationTime(clock.Take() + Since(paint));
            QCoreApplication::processEvents();
            // Above the patch limit one re-query, else one patch query.
            const bool requery = ids.GetCount() > TDataView::kPatchLimit;
            if (list.view.GetQueryCount() - queries != (requery ? 1 : 0) ||
                list.view.GetPatchCount() - patches != (requery ? 0 : 1))
                throw std::runtime_error("The class change was not shown by one query");
        }
        list.ExpectRows();
    });
}

BENCHMARK(AccesserListing)->Unit(benchmark::kMillisecond);
BENCHMARK(ListOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(ListJumps)->Unit(benchmark::kMillisecond);
BENCHMARK(ListPagesTop)->Unit(benchmark::kMillisecond);
BENCHMARK(ListPagesEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(ListEditReaction)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ListBatchNotice)->UseManualTime()->Unit(benchmark::kMillisecond);

VKT_BENCH_RATIO(ListOpen, AccesserListing, 1.5);
VKT_BENCH_RATIO(ListJumps, AccesserListing, 1.5);
VKT_BENCH_RATIO(ListPagesEnd, ListPagesTop, 1.2);
VKT_BENCH_RATIO(ListEditReaction, AccesserListing, 0.02);
VKT_BENCH_RATIO(ListBatchNotice, AccesserListing, 1.5);

} // namespace
