// A page view repaints what a redraw changed, the selection grips where they were and where they go.
#include "gui/QtSupport.h"
#include "layout/Pageview.h"
#include "support/widgets/RecordingPrinter.h"
#include "support/PaintedRegion.h"

#include <gtest/gtest.h>

#include <QPaintEvent>
#include <QTest>

#include <map>

namespace {

// Where the item is in the view.
QRect OnScreen(TPageView& view, const TViewItem* item)
{
    const TRect r = item->GetScalingRect(view.GetScale_());
    const TPoint o = view.GetPageDrawer()->GetPageOrigin(0);
    return QRect(r.Left + o.X, r.Top + o.Y, r.Right - r.Left, r.Bottom - r.Top);
}

TEST(PageViewRepaint, ChangedPixelsAndMovedGripsAreRepainted)
{
    vkttest::PrinterScope printerScope;
    platform::SetScreenPixelsPerInch(96);
    vkttest::InstallRecordingPrinter(std::make_unique<vkttest::RecordingPrinter>("Recorder", 96));
    TPageView view;
    platform::TColor color = 0x0000FF;
    TViewItem* box = view.AddItem(nullptr, nullptr);
    view.OnDrawItem = [&](TPageView*, TViewItem* item, int x, int y, TRect r, int, platform::Canvas& canvas, int, int,
                          bool) {
        if (item == box) canvas.FillRect({r.Left + x, r.Top + y, r.Right + x, r.Bottom + y}, color);
    };
    box->SetMMBoundRect_({2540, 2540, 5080, 5080});
    view.resize(600, 500);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QTest::qWait(80);  // the debounced resize
    const auto onScreen = [&] { return OnScreen(view, box); };
    const auto shown = [&](QPoint at) { return platform::FromQColor(view.viewport()->grab().toImage().pixelColor(at)); };
    const auto recolour = [&](platform::TColor to) {
        color = to;
        view.Redraw();
        QTest::qWait(20);
    };
    recolour(0x00FF00);
    recolour(0x0000FF);
    EXPECT_EQ(shown(onScreen().center()), 0x0000FFu) << "drawn into the buffer of two redraws ago";

    const QPoint corner = onScreen().topLeft() - QPoint(1, 1);  // in the top left grip
    const platform::TColor paper = shown(corner);
    view.SetSelected(box);
    QTest::qWait(20);
    EXPECT_NE(shown(corner), paper) << "grips shown";
    recolour(0x00FF00);
    EXPECT_NE(shown(corner), paper) << "grips kept";
    box->SetMMBoundRect_({7620, 7620, 10160, 10160});
    QTest::qWait(20);
    EXPECT_EQ(shown(corner), paper) << "old grips gone";
    EXPECT_NE(shown(onScreen().topLeft() - QPoint(1, 1)), paper) << "new grips shown";
    view.SetSelected(nullptr);
    QTest::qWait(20);
    EXPECT_EQ(shown(onScreen().topLeft() - QPoint(1, 1)), paper) << "grips taken away";
}

using vkttest::PaintedRegion;

// A content change repaints the changed item's area alone, with what overlaps it there; a content
// change that comes with a move repaints the view. Either way the buffer is what a redraw draws.
TEST(PageViewRepaint, ContentChangesRepaintTheChangedItemsAlone)
{
    vkttest::PrinterScope printerScope;
    platform::SetScreenPixelsPerInch(96);
    vkttest::InstallRecordingPrinter(std::make_unique<vkttest::RecordingPrinter>("Recorder", 96));
    TPageView view;
    TViewItems& items = *view.GetItems();
    TViewItem* under = view.AddItem(nullptr, nullptr);
    TViewItem* over = view.AddItem(nullptr, nullptr);
    TViewItem* far = view.AddItem(nullptr, nullptr);
    std::map<TViewItem*, platform::TColor> colors{{under, 0x0000FF}, {over, 0x00FF00}, {far, 0xFF0000}};
    std::map<TViewItem*, int> draws;
    view.OnDrawItem = [&](TPageView*, TViewItem* item, int x, int y, TRect r, int, platform::Canvas& canvas, int, int,
                          bool) {
        const auto color = colors.find(item);
        if (color == colors.end()) return;
        ++draws[item];
        canvas.FillRect({r.Left + x, r.Top + y, r.Right + x, r.Bottom + y}, color->second);
    };
    under->SetMMBoundRect_({2000, 2000, 6000, 6000});
    over->SetMMBoundRect_({5000, 5000, 8000, 8000});
    far->SetMMBoundRect_({2000, 15000, 6000, 19000});
    view.resize(600, 500);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QTest::qWait(80);  // the debounced resize
    PaintedRegion paints;
    view.viewport()->installEventFilter(&paints);
    const auto sameAsRedraw = [&] {
        const QImage shown = view.GetBackBuffer().copy();
        view.Redraw();
        return shown == view.GetBackBuffer();
    };

    draws.clear();
    colors[under] = 0x00FFFF;
    {
        const TViewItemsContentChange content(&items);
        under->Change();
    }
    QTest::qWait(20);
    EXPECT_EQ(draws[under], 1);
    EXPECT_EQ(draws[over], 1) << "what overlaps the changed item is drawn over it again";
    EXPECT_EQ(draws[far], 0);
    EXPECT_TRUE(OnScreen(view, under).adjusted(-10, -10, 10, 10).contains(paints.Painted.boundingRect()));
    const QRect changed = OnScreen(view, under);
    const QPoint inside = changed.topLeft() + QPoint(changed.width() / 4, changed.height() / 4);
    EXPECT_EQ(platform::FromQColor(view.GetBackBuffer().pixelColor(inside)), 0x00FFFFu);
    EXPECT_TRUE(sameAsRedraw());

    draws.clear();
    paints.Painted = QRegion();
    colors[under] = 0x0000FF;
    {
        const TViewItemsUpdate update(items);
        {
            const TViewItemsContentChange content(&items);
            under->Change();
        }
        far->SetMMBoundRect_({2000, 12000, 6000, 16000});
    }
    QTest::qWait(20);
    EXPECT_EQ(draws[far], 1) << "a moved item is drawn where it went";
    EXPECT_TRUE(sameAsRedraw());

    // An item changed and then deleted is no content change (nor a dangling one).
    draws.clear();
    {
        const TViewItemsUpdate update(items);
        {
            const TViewItemsContentChange content(&items);
            over->Change();
        }
        over->Delete();
    }
    QTest::qWait(20);
    EXPECT_EQ(draws[far], 1) << "the view is redrawn";
    EXPECT_TRUE(sameAsRedraw());
}

} // namespace
