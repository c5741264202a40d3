// A page view repaints the pixels a redraw changed and the selection grips where they were and
// where they go.
#include "gui/QtSupport.h"
#include "layout/Pageview.h"
#include "support/widgets/RecordingPrinter.h"

#include <gtest/gtest.h>

#include <QPaintEvent>
#include <QTest>

namespace {

class PaintRecorder : public QObject {
public:
    QRegion Painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) Painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

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
    PaintRecorder paints;
    view.viewport()->installEventFilter(&paints);
    const auto onScreen = [&] {
        const TRect r = box->GetScalingRect(view.GetScale_());
        const TPoint o = view.GetPageDrawer()->GetPageOrigin(0);
        return QRect(r.Left + o.X, r.Top + o.Y, r.Right - r.Left, r.Bottom - r.Top);
    };
    const auto shown = [&](QPoint at) { return platform::FromQColor(view.viewport()->grab().toImage().pixelColor(at)); };
    const auto recolour = [&](platform::TColor to) {
        paints.Painted = {};
        color = to;
        view.Redraw();
        QTest::qWait(20);
        return paints.Painted;
    };
    recolour(0x00FF00);
    EXPECT_TRUE(onScreen().contains(recolour(0x0000FF).boundingRect())) << "no more than the box";
    EXPECT_EQ(shown(onScreen().center()), 0x0000FFu) << "drawn into the buffer of two redraws ago";
    EXPECT_TRUE(recolour(0x0000FF).isEmpty()) << "nothing changed, nothing painted";

    const QPoint corner = onScreen().topLeft() - QPoint(1, 1);  // in the top left grip
    const platform::TColor paper = shown(corner);
    view.SetSelected(box);
    QTest::qWait(20);
    EXPECT_NE(shown(corner), paper) << "grips shown";
    EXPECT_NE(recolour(0x00FF00).boundingRect(), view.viewport()->rect());
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
