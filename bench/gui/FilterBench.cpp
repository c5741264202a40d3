// The user filters and the field select dialog on the generated database, each until the record
// list is painted, against the plain TVktAccesser listing of the same fields, orders and filter:
// choosing a three-condition user filter (name contains, price range, dealer) in the navigator,
// applying an edit of the chosen filter on the user filter page, and OK in the field dialog with
// one column and one sort added.
#include "BenchRatio.h"
#include "GuiBenchData.h"
#include "GuiBenchSupport.h"

#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "screens/Fclassfilterview.h"
#include "screens/Fdataview.h"
#include "screens/Ffieldselector.h"
#include "screens/Fuserfilteredit.h"
#include "widgets/Fstatelistview.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTableView>
#include <QWindow>

#include <stdexcept>
#include <string>

namespace {

using F = TVktField;

constexpr double kPriceLow = 100;
constexpr double kPriceHigh = 5000;

// The user filter: names containing "1", buy prices in a range, dealers other than the first.
TFilterObject ThreeConditions(double high)
{
    TFilterObject filter;
    filter.SetName("ベンチ");
    filter.Add(F::Data, foContains, std::string("1"), {});
    filter.Add(F::BuyPrice, foBetween, platform::Currency::FromDouble(kPriceLow), platform::Currency::FromDouble(high));
    filter.Add(F::Dealer_Key, foNotEqual, 1, {});
    return filter;
}

// The generated database with the user filter as its last one; its index.
int StoreFilter(TVktObject& object)
{
    TFilterObjects& set = object.GetFilterSet();
    for (int i = 0; i < set.GetCount(); ++i)
        if (set.Get(i).GetName() == "ベンチ") {
            set.SetItem(i, ThreeConditions(kPriceHigh));
            return i;
        }
    set.AddNew();
    set.SetItem(set.GetCount() - 1, ThreeConditions(kPriceHigh));
    return set.GetCount() - 1;
}

// The selection filter the navigator builds: the user filter, the ingredient root, not trashed.
TFilterObject Selection(const TFilterObject& user)
{
    TFilterObject filter = user;
    filter.Add(F::Class_ID, foEqual, platform::Variant(bench::GuiBenchDatabase().IngredientRootClass), {});
    filter.Add(F::Erase_Key, foIsEmpty, {}, {});
    return filter;
}

int List(TVktObject& object, const TViewFieldStruct& shown, const TFilterObject& filter)
{
    TPriorityItem fields = shown.GetName();
    fields << ToInt(F::Data_ID) << ToInt(F::Icon_Key) << ToInt(F::Conserve) << ToInt(F::InvItem);
    TPriorityItem orders = shown.GetOrder();
    orders.SetCount(shown.GetName().GetCount());
    orders << 0 << 0 << 0 << 0;
    TVktAccesser accesser(&object);
    accesser.BeginUpdate();
    accesser.SetTable(TVktTable::TblData);
    accesser.SetFields(fields);
    accesser.SetOrder(orders);
    accesser.SetFilter(filter);
    accesser.EndUpdate();
    return accesser.GetRowCount();
}

// The layout with BuyPrice added, sorted descending.
TViewFieldStruct WithPrice(TViewFieldStruct fields)
{
    if (fields.GetName().IndexOf(ToInt(F::BuyPrice)) < 0) {
        fields.GetName() << ToInt(F::BuyPrice);
        fields.GetOrder() << 2;
        fields.GetWidth() << 100;
    }
    return fields;
}

using bench::PaintCounter;

// The navigator and the record list, wired as the main data panel wires them.
struct Screen {
    Screen()
    {
        view.resize(800, 600);
        bench::ShowExposed(view);
        view.GetDataListView()->GetStringGrid()->viewport()->installEventFilter(&paints);
        TVktObject& object = bench::GuiBenchObject();
        navigator.SetVktObject(&object);
        view.SetVktObject(&object);
        navigator.OnChange = [this](TClassFilterBase*) { view.SetFilter(navigator.BuildFilter()); };
    }
    ~Screen()
    {
        navigator.SetVktObject(nullptr);
        view.SetVktObject(nullptr);
    }
    void Choose(int user)
    {
        navigator.SetSelection(bench::GuiBenchDatabase().IngredientRootClass, 0, {}, {}, user);
        view.SetFilter(navigator.BuildFilter());
    }
    void Paint()
    {
        const int before = paints.Paints;
        view.GetDataListView()->GetStringGrid()->viewport()->repaint();
        if (paints.Paints == before) throw std::runtime_error("The list did not paint");
    }

    PaintCounter paints;
    TClassFilterView navigator{nullptr};
    TDataView view{nullptr};
};

void FilterAccesserListing(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        TVktObject& object = bench::GuiBenchObject();
        const TFilterObject filter = Selection(ThreeConditions(kPriceHigh));
        for (auto _ : state) benchmark::DoNotOptimize(List(object, object.GetViewFields(), filter));
    });
}

// The price range's upper bound of the applied filter's iterations, turn about: the narrow range and
// one twice as wide, so that every application changes the filter.
double AppliedHigh(bool& wide)
{
    wide = !wide;
    return wide ? kPriceHigh * 2 : kPriceHigh;
}

// The listings the applied filter's iterations make, the two ranges in turn.
void FilterAccesserRanges(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        TVktObject& object = bench::GuiBenchObject();
        const TFilterObject filters[] = {Selection(ThreeConditions(kPriceHigh * 2)), Selection(ThreeConditions(kPriceHigh))};
        bool wide = false;
        for (auto _ : state)
            benchmark::DoNotOptimize(List(object, object.GetViewFields(), filters[AppliedHigh(wide) == kPriceHigh]));
    });
}

void UserFilterChoose(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        const int user = StoreFilter(bench::GuiBenchObject());
        Screen screen;
        for (auto _ : state) {
            state.PauseTiming();
            screen.Choose(-1);
            state.ResumeTiming();
            screen.Choose(user);
            screen.Paint();
        }
    });
}

void UserFilterApply(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        TVktObject& object = bench::GuiBenchObject();
        const int user = StoreFilter(object);
        Screen screen;
        screen.Choose(user);
        TUserFilterEdit page(nullptr);
        page.SetVktObject(&object);
        page.SelectFilter(user);
        bool wide = false;
        for (auto _ : state) {
            state.PauseTiming();
            TFilters price(F::BuyPrice);
            price.Add(foBetween, platform::Currency::FromDouble(kPriceLow),
                      platform::Currency::FromDouble(AppliedHigh(wide)));
            page.SetFieldFilters(price);
            state.ResumeTiming();
            page.Apply();
            screen.Paint();
        }
        page.SetVktObject(nullptr);
    });
}

void FieldAccesserListing(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        TVktObject& object = bench::GuiBenchObject();
        const TViewFieldStruct fields = WithPrice(object.GetViewFields());
        TFilterObject filter;
        filter.Add(F::Class_ID, foEqual, platform::Variant(bench::GuiBenchDatabase().IngredientRootClass), {});
        filter.Add(F::Erase_Key, foIsEmpty, {}, {});
        for (auto _ : state) benchmark::DoNotOptimize(List(object, fields, filter));
    });
}

void FieldDialogOk(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        TVktObject& object = bench::GuiBenchObject();
        const TViewFieldStruct before = object.GetViewFields();
        Screen screen;
        screen.Choose(-1);
        TFieldSelector selector(nullptr);
        for (TVktField field : ListFieldSet.Fields())
            selector.GetStateListView()->AddItem(GetFieldCaption(field), ToInt(field));
        selector.SetVktObject(&object);
        const TViewFieldStruct after = WithPrice(before);
        for (auto _ : state) {
            state.PauseTiming();
            object.SaveViewFields(before);
            screen.Paint();
            state.ResumeTiming();
            // The choice the dialog's buttons make, then OK.
            selector.SetFields(after);
            selector.Apply();
            screen.Paint();
        }
        selector.SetVktObject(nullptr);
        object.SaveViewFields(before);
    });
}

} // namespace

BENCHMARK(FilterAccesserListing)->Unit(benchmark::kMillisecond);
BENCHMARK(UserFilterChoose)->Unit(benchmark::kMillisecond);
BENCHMARK(FilterAccesserRanges)->Unit(benchmark::kMillisecond);
BENCHMARK(UserFilterApply)->Unit(benchmark::kMillisecond);
BENCHMARK(FieldAccesserListing)->Unit(benchmark::kMillisecond);
BENCHMARK(FieldDialogOk)->Unit(benchmark::kMillisecond);

VKT_BENCH_RATIO(UserFilterChoose, FilterAccesserListing, 1.5);
VKT_BENCH_RATIO(UserFilterApply, FilterAccesserRanges, 1.5);
VKT_BENCH_RATIO(FieldDialogOk, FieldAccesserListing, 1.5);
