// The layout designer on the main data panel over the generated database, the ingredient family
// selected: the shipped food list waits in the hidden designer, and DesignerShow measures
// ActShowPreview's path (the panel switching to its layout view) until the page view has painted
// the first page; DesignerPick loads the food list while the recipe card shows, until its first
// page is painted. Against DesignerPlainPage: the food list's own query listed by a bare accessor,
// then the first page's texts drawn by QPainter at their cells on a page-sized image.
#include "BenchRatio.h"
#include "GuiBenchData.h"
#include "GuiBenchSupport.h"

#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "layout/Preview.h"
#include "reports/Fvktpreview.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvkttopcontainer.h"
#include "screens/Fclassfilterview.h"
#include "screens/Fclassview.h"
#include "shell/Fvktpanel.h"
#include "shell/Mvktcommandmodule.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

std::string ShippedLayout(const char* file)
{
    return (QCoreApplication::applicationDirPath() + "/../../bin/" + file).toStdString();
}

// The main data panel bound to the generated database, the ingredient family chosen and the food
// list loaded into the hidden designer.
struct DesignerPanel {
    DesignerPanel()
    {
        window.resize(1000, 760);
        panel = new TVktPanel(&window);
        panel->resize(1000, 760);
        VktCommandModule()->SetCurrentPanel(panel);
        panel->Setup();
        bench::ShowExposed(window);
        panel->SetVktObject(&bench::GuiBenchObject());
        panel->GetClassFilterView()->GetClassView()->SelectID(bench::GuiBenchDatabase().IngredientRootClass);
        designer = panel->GetPreview();
        designer->LoadLayout(ShippedLayout("FoodList.xml"));
        QCoreApplication::processEvents();
        FindTop();
        designer->GetPreview()->viewport()->installEventFilter(&paints);
    }
    void FindTop()
    {
        top = dynamic_cast<TVktTopContainer*>(designer->GetPreview()->GetContainerOfName("DataTop"));
        if (!top) throw std::runtime_error("The layout has no DataTop");
    }
    // Waits for the page view's paint after `before` with the listing done.
    void AwaitPaint(int before)
    {
        QElapsedTimer waited;
        waited.start();
        while (paints.Paints == before || top->GetQueryPending()) {
            if (waited.elapsed() > 20000) throw std::runtime_error("The designer did not paint its page");
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
    }
    ~DesignerPanel() { VktCommandModule()->SetCurrentPanel(nullptr); }

    // Shows the layout view and waits for the page view's paint after the listing.
    void ShowAndPaint()
    {
        const int before = paints.Paints;
        panel->ShowPreview(true);
        AwaitPaint(before);
    }
    void Hide()
    {
        panel->ShowPreview(false);
        QCoreApplication::processEvents();
    }

    QWidget window;
    TVktPanel* panel = nullptr;
    TVktPreview* designer = nullptr;
    TVktTopContainer* top = nullptr;
    bench::PaintCounter paints;
};

void DesignerShow(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        DesignerPanel designer;
        for (auto _ : state) {
            state.PauseTiming();
            designer.Hide();
            state.ResumeTiming();
            designer.ShowAndPaint();
        }
        state.counters["rows"] = designer.top->GetRowCount();
    });
}

// The food list loaded while the recipe card shows, until its first page is painted.
void DesignerPick(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        DesignerPanel designer;
        designer.ShowAndPaint();
        for (auto _ : state) {
            state.PauseTiming();
            designer.designer->LoadLayout(ShippedLayout("Recipe.xml"));
            QCoreApplication::processEvents();
            state.ResumeTiming();
            const int before = designer.paints.Paints;
            designer.designer->LoadLayout(ShippedLayout("FoodList.xml"));
            designer.FindTop();
            designer.AwaitPaint(before);
        }
    });
}

void DesignerPlainPage(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        TPriorityItem fields;
        TPriorityItem orders;
        TFilterObject filter;
        TVktTable table;
        int perPage = 0;
        {
            DesignerPanel designer;
            designer.ShowAndPaint();
            const TVktAccesser& listed = *designer.top->GetAccesser();
            fields = listed.GetFields();
            orders = listed.GetOrder();
            filter = listed.GetFilter();
            table = listed.GetTable();
            perPage = std::max(1, designer.top->GetPageDataCount());
        }
        for (auto _ : state) {
            TVktAccesser accesser(&bench::GuiBenchObject());
            accesser.BeginUpdate();
            accesser.SetTable(table);
            accesser.SetFields(fields);
            accesser.SetOrder(orders);
            accesser.SetFilter(filter);
            accesser.EndUpdate();
            QImage page(794, 1123, QImage::Format_RGB32);
            page.fill(Qt::white);
            QPainter painter(&page);
            const int rows = std::min(perPage, accesser.GetRowCount());
            const int columns = fields.GetCount();
            const int width = 700 / std::max(1, columns);
            for (int r = 0; r < rows; ++r) {
                accesser.SetRowIndex(r);
                for (int c = 0; c < columns; ++c)
                    painter.drawText(QRect(40 + c * width, 80 + r * 24, width, 24),
                                     QString::fromStdString(accesser.GetText(ToVktField(fields.GetItem(c)))));
            }
            benchmark::DoNotOptimize(page.constBits());
        }
    });
}

} // namespace

BENCHMARK(DesignerShow)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DesignerPick)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DesignerPlainPage)->Unit(benchmark::kMillisecond)->UseRealTime();
VKT_BENCH_RATIO(DesignerShow, DesignerPlainPage, 2.0);
VKT_BENCH_RATIO(DesignerPick, DesignerPlainPage, 2.0);
