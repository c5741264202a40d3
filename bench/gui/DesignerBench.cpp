// The layout designer on the main data panel over the generated database, the ingredient family
// selected: the shipped food list waits in the hidden designer, and DesignerShow measures
// ActShowPreview's path (the panel switching to its layout view) until the page view has painted
// the first page; DesignerPick loads the food list while the recipe card shows, until its first
// page is painted. Against DesignerPlainPage: the food list's own statement limited to one page and
// stepped by plain SQLite, then those texts drawn by QPainter at their cells on a page-sized image.
#include "BenchRatio.h"
#include "GuiBenchData.h"
#include "GuiBenchSupport.h"
#include "PlainSqlite.h"

#include "data/Usqlwiz.h"

#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "layout/Preview.h"
#include "platform/Text.h"
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
#include <string_view>
#include <vector>

namespace {

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
        designer->LoadLayout(bench::ShippedLayout("FoodList.xml"));
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
        state.counters["cached"] = designer.top->GetAccesser()->GetCachedRowCount();
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
            designer.designer->LoadLayout(bench::ShippedLayout("Recipe.xml"));
            QCoreApplication::processEvents();
            state.ResumeTiming();
            const int before = designer.paints.Paints;
            designer.designer->LoadLayout(bench::ShippedLayout("FoodList.xml"));
            designer.FindTop();
            designer.AwaitPaint(before);
        }
    });
}

// The food list's statement (same fields, orders and filter) limited to one page and stepped by
// plain SQLite, then those texts drawn by QPainter at their cells on a page-sized image.
void DesignerPlainPage(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        TPriorityItem fields;
        std::string sql;
        int classId = 0;
        int perPage = 0;
        {
            DesignerPanel designer;
            designer.ShowAndPaint();
            const TVktAccesser& listed = *designer.top->GetAccesser();
            fields = listed.GetFields();
            const TFilterObject& filter = listed.GetFilter();
            const int index = filter.IndexOf(TVktField::Class_ID);
            if (index < 0) throw std::runtime_error("The food list is not filtered by class");
            classId = filter.GetFilters(index).GetBegin(0).AsInt();
            perPage = std::max(1, designer.top->GetPageDataCount());
            sql = VktSQLString(listed.GetTable(), fields, listed.GetOrder(), filter) + " limit " +
                  std::to_string(perPage);
        }
        bench::PlainDb db(bench::BenchContext::Get().DatabaseFile());
        bench::PlainStmt statement(db, sql);
        const int parameter = statement.ParameterIndex(":" + GetFieldName(TVktField::Class_ID) + "_b0");
        if (parameter == 0) throw std::runtime_error("The food list's statement takes no class");
        statement.Bind(parameter, classId);
        // The statement columns of the listed fields, found by name.
        std::vector<int> columns;
        for (int i = 0; i < fields.GetCount(); ++i) {
            const std::string name = GetFieldName(ToVktField(fields.GetItem(i)));
            int found = -1;
            for (int c = 0; c < statement.ColumnCount() && found < 0; ++c)
                if (platform::SameText(statement.ColumnName(c), name)) found = c;
            if (found < 0) throw std::runtime_error("The food list's statement has no column " + name);
            columns.push_back(found);
        }
        const int width = 700 / std::max<int>(1, static_cast<int>(columns.size()));
        for (auto _ : state) {
            QImage page(794, 1123, QImage::Format_RGB32);
            page.fill(Qt::white);
            QPainter painter(&page);
            int rows = 0;
            for (; statement.Step(); ++rows)
                for (std::size_t c = 0; c < columns.size(); ++c) {
                    const std::string_view text = statement.Text(columns[c]);
                    painter.drawText(QRect(40 + static_cast<int>(c) * width, 80 + rows * 24, width, 24),
                                     QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
                }
            statement.Reset();
            if (rows == 0) throw std::runtime_error("The food list's page is empty");
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
