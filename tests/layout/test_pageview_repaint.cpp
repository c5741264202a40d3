// A page view repaints what a redraw changed, the selection grips where they were and where they go.
#include "gui/QtSupport.h"
#include "layout/Pageview.h"
#include "support/widgets/RecordingPrinter.h"

#include <gtest/gtest.h>

#include <QTest>

namespace {

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
    const auto onScreen = [&] {
        const TRect r = box->GetScalingRect(view.GetScale_());
        const TPoint o = view.GetPageDrawer()->GetPageOrigin(0);
        return QRect(r.Left + o.X, r.Top + o.Y, r.Right - r.Left, r.Bottom - r.Top);
    };
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

} // namespace
