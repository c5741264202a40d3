// The database layout pages against the setters they end in, on the food-list layout listing
// 10 000 ingredients of the generated database: a sort change pressed on the database container's
// page, and a column-width change on the data list's page, each until the page view is repainted,
// against the container's SetAccessFields or the template's SetFields with the same repaint.
#include "BenchRatio.h"
#include "GuiBenchData.h"
#include "GuiBenchSupport.h"

#include "layout/Preview.h"
#include "layout/Uviewitems.h"
#include "reports/Fvktdatalistproperty.h"
#include "reports/Fvktfieldlists.h"
#include "reports/Fvkttopcontainerproperty.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvktdatalist.h"
#include "reports/Uvkttopcontainer.h"
#include "widgets/Fstatelistview.h"
#include "widgets/Fupdownedit.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace {

using F = TVktField;

constexpr int kRecords = 10000;

TFilterObject FoodFilter() { return bench::FirstIngredients(kRecords); }

// The shipped food list, shown, over the ingredients.
struct FoodList {
    FoodList()
    {
        preview.resize(1000, 800);
        binding.SetFilter(FoodFilter());
        preview.LoadFromFile(bench::ShippedLayout("FoodList.xml"));
        binding.Attach(&bench::GuiBenchObject());
        binding.Update();
        TViewItems* items = preview.GetItems();
        for (int i = 0; i < items->GetCount(); ++i) {
            TContainer* c = ContainerOf(items->GetItem(i));
            if (!list) list = dynamic_cast<TVktDataList*>(c);
            if (!top) top = dynamic_cast<TVktTopContainer*>(c);
        }
        if (!list || !top) throw std::runtime_error("The food list lacks its template or database container");
        bench::ShowExposed(preview);
        QCoreApplication::processEvents();
        if (top->GetRowCount() == 0) throw std::runtime_error("The food list lists no records");
    }
    ~FoodList()
    {
        binding.Detach();
        preview.Clear();
    }
    void Repaint()
    {
        preview.Redraw();
        preview.viewport()->repaint();
    }

    TPreview preview;
    TVktLayoutBinding binding{&preview};
    TVktDataList* list = nullptr;
    TVktTopContainer* top = nullptr;
};

template <typename T>
T* Named(QWidget* page, const char* name)
{
    auto* child = page->findChild<T*>(QString::fromLatin1(name));
    if (!child) throw std::runtime_error(std::string("The page lacks ") + name);
    return child;
}

void Select(TStateListView& list, int id)
{
    QListWidgetItem* item = list.ItemOfId(id);
    if (!item) throw std::runtime_error("The field list lacks a field");
    list.GetListView()->setCurrentItem(item);
    item->setSelected(true);
}

// The access lists the sort change toggles between: the second field unsorted or descending.
TAccessFieldStruct Sorting(bool second)
{
    TAccessFieldStruct fields;
    fields.GetFields() << ToInt(F::Class) << ToInt(F::Data);
    fields.GetOrders() << 1 << 1;
    if (second) {
        fields.GetFields() << ToInt(F::Data2);
        fields.GetOrders() << 2;
    }
    return fields;
}

void TopPageSortChange(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        FoodList doc;
        doc.top->SetAccessFields(Sorting(false));
        TVktTopContainerProperty page;
        page.SetViewItem(doc.top->GetViewItem());
        auto& list = *Named<TStateListView>(&page, "StateListView");
        Select(list, ToInt(F::Data2));
        QPushButton* desc = Named<QPushButton>(&page, "BtnFieldDesc");
        QPushButton* none = Named<QPushButton>(&page, "BtnFieldShow");
        bool sorted = false;
        for (auto _ : state) {
            sorted = !sorted;
            (sorted ? desc : none)->click();
            doc.Repaint();
        }
    });
}

void TopSetAccessFields(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        FoodList doc;
        doc.top->SetAccessFields(Sorting(false));
        bool sorted = false;
        for (auto _ : state) {
            sorted = !sorted;
            doc.top->SetAccessFields(Sorting(sorted));
            doc.Repaint();
        }
    });
}

void DataListPageWidthChange(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        FoodList doc;
        TVktDataListProperty page;
        page.SetViewItem(doc.list->GetViewItem());
        TVktFieldListBox* box = page.GetFieldBox();
        Select(*box->StateListView, doc.list->GetFields().GetName().GetItem(1));
        const int width = box->FieldWidthEdit->GetValue();
        bool wider = false;
        for (auto _ : state) {
            wider = !wider;
            box->FieldWidthEdit->SetValue(wider ? width + 10 : width);
            doc.Repaint();
        }
    });
}

void DataListSetFields(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        FoodList doc;
        TPreviewFieldStruct fields = doc.list->GetFields();
        const int width = fields.GetWidth().GetItem(1);
        bool wider = false;
        for (auto _ : state) {
            wider = !wider;
            fields.GetWidth().SetItem(1, wider ? width + 10 : width);
            doc.list->SetFields(fields);
            doc.Repaint();
        }
    });
}

} // namespace

BENCHMARK(TopPageSortChange)->Unit(benchmark::kMillisecond);
BENCHMARK(TopSetAccessFields)->Unit(benchmark::kMillisecond);
BENCHMARK(DataListPageWidthChange)->Unit(benchmark::kMillisecond);
BENCHMARK(DataListSetFields)->Unit(benchmark::kMillisecond);
VKT_BENCH_RATIO(TopPageSortChange, TopSetAccessFields, 1.2);
VKT_BENCH_RATIO(DataListPageWidthChange, DataListSetFields, 1.2);
