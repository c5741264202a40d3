// The data screen and the stock-taking view on the generated database:
//  - opening a record in the editor below the ingredient list (kernel panel and every detail tab
//    loaded and laid out) for the recipe with the most items and for an ingredient with twelve
//    months of price history, against the same typed row readers done bare (the record's type and
//    state, the class, form and unit lists, the kernel row, dealers, history, items, attribute
//    checks, memo and picture) timed at the same point of the same cycle, after the same paint; in
//    three cycles: from another record of the same kind, from the closed editor, and from a record
//    of the other kind; the open from the closed editor until its first paint is reported beside;
//  - one kernel field edit through the database object, as the kernel panel writes it, with every
//    ingredient listed above the editor: the write, the notices and the list's repaint, against the
//    accessor's listing of the list's rows; the list must re-read the edited row alone;
//  - a stock-taking sheet of 10 000 ingredients opened in the view (bind, query, rows, first
//    paint), against the accessor's listing of the same rows.
#include "BenchRatio.h"
#include "GuiBenchData.h"
#include "GuiBenchSupport.h"
#include "PlainSqlite.h"

#include "data/Uvktdbstruct.h"
#include "data/Vkttabledefine.h"
#include "database/Uvktobject.h"
#include "gui/Services.h"
#include "screens/Fdataeditor.h"
#include "screens/Fdataview.h"
#include "screens/Fdataviewer.h"
#include "screens/Finventoryview.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using F = TVktField;

// ===== Set-up ==========================================================================================

// Shows a top-level widget at a size and waits until the window system exposes it.
void ShowExposed(QWidget& widget, int width, int height)
{
    widget.resize(width, height);
    bench::ShowExposed(widget);
}

// Paints a viewport now; raises when it did not paint.
class Painter {
public:
    explicit Painter(QWidget* viewport) : viewport_(viewport) { viewport_->installEventFilter(&counter_); }
    void Paint()
    {
        const int before = counter_.Paints;
        viewport_->repaint();
        if (counter_.Paints == before) throw std::runtime_error("The view did not paint");
    }

private:
    QWidget* viewport_;
    bench::PaintCounter counter_;
};

// Every ingredient not in the trash, as the navigators hand it to the list.
TFilterObject IngredientFilter()
{
    TFilterObject filter;
    filter.Add(F::Class_ID, foEqual, platform::Variant(bench::GuiBenchDatabase().IngredientRootClass), {});
    filter.Add(F::Erase_Key, foIsEmpty, {}, {});
    return filter;
}

// The first id a plain query gives (its parameters 1 and 2 are the bounds of `ids`).
int FirstId(const std::string& sql, const std::vector<int>& ids)
{
    if (ids.empty()) throw std::runtime_error("The generated database has no such records");
    bench::PlainDb db(bench::BenchContext::Get().DatabaseFile());
    bench::PlainStmt query(db, sql);
    query.Bind(1, ids.front()).Bind(2, ids.back());
    if (!query.Step()) throw std::runtime_error("No record fits: " + sql);
    return static_cast<int>(query.Int(0));
}

std::string Table(TVktTable table) { return GetTableFileName(table); }

// The recipes by their count of items, most first (one with a memo first among equals); `rank` 0
// is the largest.
int LargestRecipe(int rank = 0)
{
    static int ids[2] = {};
    if (ids[rank] == 0)
        ids[rank] = FirstId(
            "select Item_Key from " + Table(TVktTable::TblItem) + " where Item_Key between ?1 and ?2 "
            "group by Item_Key order by count(*) desc, Item_Key in (select Memo_Key from " +
                Table(TVktTable::TblMemo) + ") desc, Item_Key limit 1 offset " + std::to_string(rank),
            bench::GuiBenchDatabase().RecipeIds);
    return ids[rank];
}

// Ingredients with twelve months of history, preferably with a memo and attribute checks; `rank`
// counts them in that order.
int HistoryIngredient(int rank = 0)
{
    static int ids[2] = {};
    if (ids[rank] == 0)
        ids[rank] = FirstId(
            "select MHistory_Key from " + Table(TVktTable::TblMHistory) + " where MHistory_Key between ?1 and ?2 "
            "group by MHistory_Key having count(*) = 12 "
            "order by MHistory_Key in (select Memo_Key from " + Table(TVktTable::TblMemo) + ") desc, "
            "MHistory_Key in (select Attribute_Key from " + Table(TVktTable::TblAttribute) + ") desc, MHistory_Key "
            "limit 1 offset " + std::to_string(rank),
            bench::GuiBenchDatabase().IngredientIds);
    return ids[rank];
}

// The data screen, shown, with every ingredient listed.
struct ShownViewer {
    ShownViewer()
    {
        ShowExposed(viewer, 1000, 720);
        TDataView* view = viewer.GetDataView();
        view->BeginUpdate();
        viewer.SetVktObject(&bench::GuiBenchObject());
        view->SetFilter(IngredientFilter());
        view->EndUpdate();
        const int expected = static_cast<int>(bench::GuiBenchDatabase().IngredientIds.size());
        if (Rows() != expected)
            throw std::runtime_error("The list shows " + std::to_string(Rows()) + " rows, not " +
                                     std::to_string(expected));
    }
    ~ShownViewer() { viewer.SetVktObject(nullptr); }

    QTableView* Grid() const { return viewer.GetDataView()->GetDataListView()->GetStringGrid(); }
    int Rows() const { return viewer.GetDataView()->GetDataListView()->GetRows().GetCount(); }
    void Open(int id)
    {
        viewer.EditData(id);
        QCoreApplication::sendPostedEvents();
        if (viewer.GetDataEditor()->GetDataID() != id) throw std::runtime_error("The editor did not open the record");
    }

    TDataViewer viewer{nullptr};
};

// Lists rows through a bare accessor; the row count.
int AccesserRows(TVktTable table, const TPriorityItem& fields, const TPriorityItem& orders,
                 const TFilterObject& filter)
{
    return bench::AccesserRows(&bench::GuiBenchObject(), table, fields, orders, filter);
}

// ===== Opening a record ================================================================================

// A typed reader listed with one condition, as the editor's panels list theirs.
template <class Reader>
Reader& Listed(Reader& reader, const TFilterObject& filter)
{
    reader.BeginUpdate();
    reader.SetFilter(filter);
    reader.EndUpdate();
    if (!reader.GetListed()) reader.Refresh();
    return reader;
}

TFilterObject Where(F field, const platform::Variant& value)
{
    TFilterObject filter;
    filter.Add(field, foEqual, value, {});
    return filter;
}

TFilterObject OfKind(int kind)
{
    TFilterObject filter;
    filter.SetKind(kind);
    return filter;
}

// Keeps the reads from being thrown away.
template <class T>
void Keep(const T& value)
{
    benchmark::DoNotOptimize(value);
}

// What the editor reads for one record, each once, through the typed readers alone.
void ReadRecord(int id)
{
    TVktObject& object = bench::GuiBenchObject();
    const int type = object.GetDataClassType(id);
    Keep(object.GetDataEraseState(id));
    if (type < 1 || type > 3) throw std::runtime_error("Not a record: " + std::to_string(id));

    TVDBClass classes(&object);
    Listed(classes, Where(F::ClassType, type));
    for (int row = 0; row < classes.GetRowCount(); ++row) {
        classes.SetRowIndex(row);
        Keep(classes.GetClassID() + classes.GetClassType() + classes.GetIconKey());
        Keep(classes.GetTreeID());
        Keep(classes.GetClass());
    }
    for (const int kind : {type, type + 3}) {
        TVDBUnits units(&object);
        Listed(units, OfKind(kind));
        for (int row = 0; row < units.GetRowCount(); ++row) {
            units.SetRowIndex(row);
            Keep(units.GetUnitsID());
            Keep(units.GetUnits());
        }
    }

    std::unique_ptr<TVDBKernel> kernel;
    if (type == 1) kernel = std::make_unique<TVDBFood>(&object);
    else if (type == 2) kernel = std::make_unique<TVDBCook>(&object);
    else kernel = std::make_unique<TVDBMenu>(&object);
    Listed(*kernel, Where(F::Data_ID, id));
    if (kernel->GetRowCount() != 1) throw std::runtime_error("The kernel row is missing");
    kernel->SetRowIndex(0);
    Keep(kernel->GetClassKey() + kernel->GetFormKey() + kernel->GetUseUnitKey());
    Keep(kernel->GetData());
    Keep(kernel->GetData2());
    Keep(kernel->GetUsePrice());
    Keep(kernel->GetInvItem());
    Keep(kernel->GetCreateDate() + kernel->GetChangeDate());

    if (auto* food = dynamic_cast<TVDBFood*>(kernel.get())) {
        Keep(food->GetBuyUnitKey());
        Keep(food->GetBuyPrice());
        Keep(food->GetQuantity() + food->GetYield());
        TVDBDealer dealers(&object);
        dealers.Refresh();
        for (int row = 0; row < dealers.GetRowCount(); ++row) {
            dealers.SetRowIndex(row);
            Keep(dealers.GetDealerID());
            Keep(dealers.GetCompany());
        }
        dealers.Locate(food->GetDealerKey());
        for (const std::string& text : {dealers.GetDealer(), dealers.GetPostCode(), dealers.GetAddress(),
                                        dealers.GetTel(), dealers.GetTel2(), dealers.GetFax(), dealers.GetEMail()})
            Keep(text);
        TVDBMonthHistory months(&object);
        Listed(months, Where(F::MHistory_Key, id));
        for (int row = 0; row < months.GetRowCount(); ++row) {
            months.SetRowIndex(row);
            Keep(months.GetMHistoryDate());
            Keep(months.GetMHistoryPrice().ToDouble());
        }
        TVDBYearHistory years(&object);
        Listed(years, Where(F::YHistory_Key, id));
        for (int row = 0; row < years.GetRowCount(); ++row) {
            years.SetRowIndex(row);
            Keep(years.GetYHistoryDate());
            Keep(years.GetYHMaxPrice().ToDouble() + years.GetYHAvePrice().ToDouble() +
                 years.GetYHMinPrice().ToDouble() + years.GetYHLastPrice().ToDouble());
        }
    } else {
        auto* cook = static_cast<TVDBCook*>(kernel.get());
        Keep(cook->GetComplete() + cook->GetCostRate());
        Keep(cook->GetSalePrice());
        Keep(cook->GetTotalPrice());
        if (auto* menu = dynamic_cast<TVDBMenu*>(cook)) {
            Keep(menu->GetInformation());
            Keep(menu->GetInformation2());
        }
        TVDBItem items(&object);
        Listed(items, Where(F::Item_Key, id));
        for (int row = 0; row < items.GetRowCount(); ++row) {
            items.SetRowIndex(row);
            Keep(items.GetItemCatIndex());
            Keep(items.GetClass());
            Keep(items.GetIconKey());
            Keep(items.GetItemUsePrice());
            Keep(items.GetItemUse());
            Keep(items.GetItemPrice());
            Keep(items.GetItemUnit());
            Keep(items.GetData());
        }
    }

    TVDBAttribute checks(&object);
    Listed(checks, Where(F::Attribute_Key, id));
    for (int row = 0; row < checks.GetRowCount(); ++row) {
        checks.SetRowIndex(row);
        Keep(checks.GetAttrItemKey() + (checks.GetAttrCheck() ? 2 : 1));
    }
    TVDBDetail detail(&object);
    Listed(detail, Where(F::Data_ID, id));
    if (detail.GetRowCount() > 0) {
        detail.SetRowIndex(0);
        Keep(detail.GetMemo());
        Keep(detail.GetImage());
    }
}

// What a cycle of the data screen times.
enum class Timed { Open, OpenPainted, Reads };

// One cycle: the editor closed (`from` 0) or showing record `from`, the screen painted, then record
// `id` opened in the editor and the screen painted again. Timed::Open times the open with the
// window's updates held (the record read, the editor filled and laid out); OpenPainted the same
// until the editor's first paint; Reads the typed readers' reads of record `id`, done bare where the
// open would start, so both begin after the same paint.
void OpenCycle(benchmark::State& state, int id, int from, Timed timed)
{
    ShownViewer shown;
    for (auto _ : state) {
        state.PauseTiming();
        if (from == 0) shown.viewer.EditData(0);
        else shown.Open(from);
        QCoreApplication::processEvents();
        if (timed != Timed::OpenPainted) shown.viewer.setUpdatesEnabled(false);
        state.ResumeTiming();
        if (timed == Timed::Reads) {
            ReadRecord(id);
            state.PauseTiming();
        }
        shown.Open(id);
        if (timed == Timed::Open) state.PauseTiming();
        shown.viewer.setUpdatesEnabled(true);
        QCoreApplication::processEvents();
        if (timed != Timed::OpenPainted) state.ResumeTiming();
    }
}

#define VKT_RECORD_CYCLE(name, id, from, timed)                                                           \
    void name(benchmark::State& state)                                                                    \
    {                                                                                                     \
        bench::Guarded(state, [&] { OpenCycle(state, id, from, timed); });                               \
    }

// Opened while the editor shows another record of the same kind, as records are opened one after
// another from a list: every field and detail row changes, the kind's lists and frames stay.
VKT_RECORD_CYCLE(RecordOpenRecipe, LargestRecipe(), LargestRecipe(1), Timed::Open)
VKT_RECORD_CYCLE(RecordReadsRecipe, LargestRecipe(), LargestRecipe(1), Timed::Reads)
VKT_RECORD_CYCLE(RecordOpenIngredient, HistoryIngredient(), HistoryIngredient(1), Timed::Open)
VKT_RECORD_CYCLE(RecordReadsIngredient, HistoryIngredient(), HistoryIngredient(1), Timed::Reads)

// Opened with the editor closed: the editor and the splitter shown, the list above shortened.
VKT_RECORD_CYCLE(RecordReopenRecipe, LargestRecipe(), 0, Timed::Open)
VKT_RECORD_CYCLE(RecordReopenReadsRecipe, LargestRecipe(), 0, Timed::Reads)
VKT_RECORD_CYCLE(RecordReopenIngredient, HistoryIngredient(), 0, Timed::Open)
VKT_RECORD_CYCLE(RecordReopenReadsIngredient, HistoryIngredient(), 0, Timed::Reads)
VKT_RECORD_CYCLE(RecordOpenPaintedRecipe, LargestRecipe(), 0, Timed::OpenPainted)
VKT_RECORD_CYCLE(RecordOpenPaintedIngredient, HistoryIngredient(), 0, Timed::OpenPainted)

// Opened while the editor shows a record of the other kind: the kernel panel's class, form and
// unit lists, its controls and the detail frames change with the kind.
VKT_RECORD_CYCLE(RecordKindChangeRecipe, LargestRecipe(), HistoryIngredient(), Timed::Open)
VKT_RECORD_CYCLE(RecordKindChangeReadsRecipe, LargestRecipe(), HistoryIngredient(), Timed::Reads)
VKT_RECORD_CYCLE(RecordKindChangeIngredient, HistoryIngredient(), LargestRecipe(), Timed::Open)
VKT_RECORD_CYCLE(RecordKindChangeReadsIngredient, HistoryIngredient(), LargestRecipe(), Timed::Reads)

// ===== One kernel edit =================================================================================

// The fields and orders the record list queries.
void ListQuery(TPriorityItem& fields, TPriorityItem& orders)
{
    const TViewFieldStruct shown = bench::GuiBenchObject().GetViewFields();
    fields = shown.GetName();
    fields << ToInt(F::Data_ID) << ToInt(F::Icon_Key) << ToInt(F::Conserve) << ToInt(F::InvItem);
    orders = shown.GetOrder();
    orders.SetCount(shown.GetName().GetCount());
    orders << 0 << 0 << 0 << 0;
}

void ViewerListing(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        TPriorityItem fields;
        TPriorityItem orders;
        ListQuery(fields, orders);
        const TFilterObject filter = IngredientFilter();
        const int expected = static_cast<int>(bench::GuiBenchDatabase().IngredientIds.size());
        for (auto _ : state)
            if (AccesserRows(TVktTable::TblData, fields, orders, filter) != expected)
                throw std::runtime_error("The accessor listed the wrong rows");
    });
}

void KernelEdit(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        TVktObject& object = bench::GuiBenchObject();
        ShownViewer shown;
        TDataView* view = shown.viewer.GetDataView();
        Painter list(shown.Grid()->viewport());
        // A record from the middle of the list, opened and kept in sight.
        shown.Grid()->verticalScrollBar()->setValue(shown.Rows() / 2);
        const int id = view->GetDataListView()->GetRows().GetID(shown.Grid()->rowAt(0));
        shown.Open(id);
        const int row = view->RowOfID(id);
        shown.Grid()->verticalScrollBar()->setValue(row);
        list.Paint();
        view->GetAccesser()->SetRowIndex(row);
        const std::string name = view->GetAccesser()->GetText(F::Data);
        TPriorityItem ids;
        ids << id;
        bool renamed = false;
        for (auto _ : state) {
            const int queries = view->GetQueryCount();
            const int patched = view->GetPatchedRowCount();
            renamed = !renamed;
            {
                const platform::BusyCursor busy;
                if (!object.EditData(F::Data, platform::Variant(renamed ? name + "＊" : name), ids))
                    throw std::runtime_error("The edit failed");
            }
            list.Paint();
            const int reread = view->GetPatchedRowCount() - patched;
            if (view->GetQueryCount() != queries || reread != 1)
                throw std::runtime_error("The edit re-read " + std::to_string(reread) + " rows and " +
                                         std::to_string(view->GetQueryCount() - queries) + " listings");
        }
        if (renamed) object.EditData(F::Data, platform::Variant(name), ids);
    });
}

// ===== Stock-taking ====================================================================================

// The view's filter for the stock-taking sheet.
TFilterObject SheetFilter()
{
    TFilterObject filter;
    filter.Add(F::Class_ID, foEqual, platform::Variant(bench::GuiBenchDatabase().IngredientRootClass), {});
    filter.Add(F::InvDate_Key, foEqual, platform::Variant(bench::StockTakingSheet()), {});
    return filter;
}

int SheetRows() { return bench::StockTakingSheetRows(); }

void SheetListing(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        const TFilterObject filter = SheetFilter();
        // The view's query: the stored columns, the seven cells, the row's id and icon.
        const TViewFieldStruct shown = bench::GuiBenchObject().GetInvViewFields();
        TPriorityItem fields = shown.GetName();
        TPriorityItem orders = shown.GetOrder();
        orders.SetCount(fields.GetCount());
        for (F field : {F::Class, F::Form, F::Data, F::InvUnit, F::InvPrice, F::Remained, F::InvTotalPrice})
            if (fields.IndexOf(ToInt(field)) < 0) {
                fields << ToInt(field);
                orders << 0;
            }
        fields << ToInt(F::Data_ID) << ToInt(F::Icon_Key);
        orders << 0 << 0;
        for (auto _ : state)
            if (AccesserRows(TVktTable::TblInventory, fields, orders, filter) != SheetRows())
                throw std::runtime_error("The accessor listed the wrong sheet rows");
    });
}

void SheetOpen(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        TVktObject& object = bench::GuiBenchObject();
        const TFilterObject filter = SheetFilter();
        TInventoryView view(nullptr);
        ShowExposed(view, 900, 600);
        Painter grid(view.GetInvListView()->GetStringGrid()->viewport());
        for (auto _ : state) {
            state.PauseTiming();
            view.SetVktObject(nullptr);
            QCoreApplication::processEvents();
            state.ResumeTiming();
            view.BeginUpdate();
            view.SetVktObject(&object);
            view.SetFilter(filter);
            view.EndUpdate();
            grid.Paint();
        }
        if (view.GetInvListView()->GetModel()->GetRowCount() != SheetRows())
            throw std::runtime_error("The view shows the wrong sheet rows");
        view.SetVktObject(nullptr);
    });
}

BENCHMARK(RecordOpenRecipe)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordReadsRecipe)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordOpenIngredient)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordReadsIngredient)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordReopenRecipe)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordReopenReadsRecipe)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordReopenIngredient)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordReopenReadsIngredient)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordKindChangeRecipe)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordKindChangeReadsRecipe)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordKindChangeIngredient)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordKindChangeReadsIngredient)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordOpenPaintedRecipe)->Unit(benchmark::kMillisecond);
BENCHMARK(RecordOpenPaintedIngredient)->Unit(benchmark::kMillisecond);
BENCHMARK(ViewerListing)->Unit(benchmark::kMillisecond);
BENCHMARK(KernelEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(SheetListing)->Unit(benchmark::kMillisecond);
BENCHMARK(SheetOpen)->Unit(benchmark::kMillisecond);

// The limit holds the loading of a record into the editor against its reads, and the open from the
// closed editor until its first paint within four times them. The other opens with the editor
// closed or showing the other kind are reported beside it: on top of the load they show the
// editor's frame and shorten the list, or rearrange the panels for the kind (the lists of classes,
// forms and units refilled, the other kind's frames cleared and swapped), work no read stands for.
VKT_BENCH_RATIO(RecordOpenRecipe, RecordReadsRecipe, 1.5);
VKT_BENCH_RATIO(RecordOpenIngredient, RecordReadsIngredient, 1.5);
VKT_BENCH_RATIO(RecordReopenRecipe, RecordReopenReadsRecipe, 0);
VKT_BENCH_RATIO(RecordReopenIngredient, RecordReopenReadsIngredient, 0);
VKT_BENCH_RATIO(RecordKindChangeRecipe, RecordKindChangeReadsRecipe, 0);
VKT_BENCH_RATIO(RecordKindChangeIngredient, RecordKindChangeReadsIngredient, 0);
VKT_BENCH_RATIO(RecordOpenPaintedRecipe, RecordReopenReadsRecipe, 4);
VKT_BENCH_RATIO(RecordOpenPaintedIngredient, RecordReopenReadsIngredient, 4);
VKT_BENCH_RATIO(KernelEdit, ViewerListing, 0.02);
VKT_BENCH_RATIO(SheetOpen, SheetListing, 1.5);

} // namespace
