// A shown report repaints what an edit of a record changed: after a price edit only the places of
// the changed texts, and always the pixels that a whole redraw gives.
#include "database/Uvktobject.h"
#include "gui/QtSupport.h"
#include "layout/Preview.h"
#include "reports/ReportFixture.h"
#include "reports/Uvktcontainer.h"
#include "reports/Uvktfieldcontainer.h"
#include "reports/Uvktgridcontainer.h"
#include "support/PaintedRegion.h"
#include "reports/Uvkttopcontainer.h"
#include "support/ScriptedServices.h"

#include <gtest/gtest.h>

#include <QPaintEvent>
#include <QTest>

#include <string>

namespace {

using F = TVktField;
using platform::Variant;
using vkttest::PaintedRegion;
using vkttest::ReportDatabase;

enum class Kind { Cards, SummedList, PagedGrid };

// A report over the ingredients sorted by name, the whole page in sight.
struct ShownReport {
    ShownReport(ReportDatabase& db, Kind kind) : layout(&db.Object(), ReportDatabase::FoodFilter())
    {
        top = layout.Add<TVktTopContainer>(11, nullptr);
        TAccessFieldStruct sort;
        sort.GetFields() << ToInt(F::Data);
        sort.GetOrders() << 1;
        top->SetAccessFields(sort);
        if (kind == Kind::Cards) {
            top->SetPageDataCount(4);
            for (int slot = 1; slot <= 4; ++slot) {
                const int y = 1000 + (slot - 1) * 2000;
                auto* card = layout.Add<TVktContainer>(12, top);
                card->GetViewItem()->SetMMBoundRect_({1000, y, 20000, y + 1800});
                card->SetPageDataIndex(slot);
                int left = 1200;
                for (F field : {F::Data, F::BuyPrice, F::UsePrice}) {
                    auto* text = layout.Add<TVktFieldContainer>(13, card);
                    text->GetViewItem()->SetMMBoundRect_({left, y + 200, left + 5000, y + 1400});
                    text->SetField(ToInt(field));
                    left += 6000;
                }
            }
        } else {
            if (kind == Kind::PagedGrid) top->SetPageDataCount(5);
            grid = layout.AddGrid(top, {F::Data, F::Class, F::BuyPrice, F::UsePrice}, 400);
            grid->GetViewItem()->SetMMBoundRect_({1000, 1000, 20000, 28000});
            if (kind == Kind::SummedList) {
                grid->SetSumField(ToInt(F::UsePrice));
                grid->SetSumClass(ToInt(F::Class));
            }
        }
        layout.binding->Update();
        TPreview& view = *layout.preview;
        view.resize(600, 800);
        view.viewport()->installEventFilter(&paints);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
        view.DrawFullPage();
        QTest::qWait(80);   // the debounced resize
        DrawWhole();
    }

    // A whole redraw; a grid draws every row afresh (as it does after a change of its own), not
    // from the cache its later paints replay.
    void DrawWhole()
    {
        if (grid) grid->Change();
        else layout.preview->Redraw();
        WaitQuiet();
    }

    // Returns once a while has passed with nothing painted: what was asked has been drawn, however
    // loaded the machine.
    void WaitQuiet()
    {
        for (int round = 0; round < 100; ++round) {
            const QRegion before = paints.Painted;
            QTest::qWait(40);
            if (paints.Painted == before) return;
        }
    }

    vkttest::BoundLayout layout;
    TVktTopContainer* top = nullptr;
    TVktGridContainer* grid = nullptr;
    PaintedRegion paints;
};

// A price edit of the second shown record repaints a strip of the page, not the page; a name edit
// re-lists the sorted records. Either way the buffer shown holds what a whole redraw draws.
TEST(ContentRepaintTest, EditsRepaintWhatChangedAsAWholeRedrawDrawsIt)
{
    vkttest::Scripted().Reset();
    platform::SetScreenPixelsPerInch(96);
    const struct {
        Kind kind;
        F field;
        Variant value;
        bool strip;
    } cases[] = {
        {Kind::Cards, F::BuyPrice, Variant(4321.0), true},
        {Kind::SummedList, F::BuyPrice, Variant(4321.0), true},
        {Kind::PagedGrid, F::BuyPrice, Variant(4321.0), true},
        {Kind::Cards, F::Data, Variant(std::string("食材00")), false},
        {Kind::SummedList, F::Data, Variant(std::string("食材00")), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind) * 10 + (c.strip ? 1 : 0));
        ReportDatabase fresh;
        ShownReport report(fresh, c.kind);
        TPreview& view = *report.layout.preview;
        const std::string before = report.layout.Dump(1);
        report.WaitQuiet();   // reading the texts sets the containers' pages: not the edit's paints
        report.paints.Painted = QRegion();
        ASSERT_TRUE(fresh.Object().EditData(c.field, c.value, TPriorityItem() << report.top->GetDataID(1)));
        QTRY_VERIFY_WITH_TIMEOUT(!report.paints.Painted.isEmpty(), 5000);
        report.WaitQuiet();
        EXPECT_NE(report.layout.Dump(1), before);
        if (c.strip) {
            EXPECT_LT(report.paints.Painted.boundingRect().height(), view.viewport()->height() / 4)
                << "the page was repainted for one record";
        }
        const QImage shown = view.GetBackBuffer().copy();
        report.DrawWhole();
        EXPECT_TRUE(shown == view.GetBackBuffer()) << "the repainted texts differ from a whole redraw";
    }
}

} // namespace
