// What a page view repaints after a redraw: the pixels that changed and the selection grips
// where they were and where they go.
#include "gui/QtSupport.h"
#include "layout/Pageview.h"
#include "support/widgets/RecordingPrinter.h"

#include <gtest/gtest.h>

#include <QPaintEvent>
#include <QTest>

#include <memory>

namespace {

// The region of the viewport's paints.
class PaintRecorder : public QObject {
public:
    QRegion Painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            Painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

class PageViewRepaint : public testing::Test {
protected:
    void SetUp() override
    {
        platform::SetScreenPixelsPerInch(96);
        vkttest::InstallRecordingPrinter(std::make_unique<vkttest::RecordingPrinter>("Recorder", 96));
        view = std::make_unique<TPageView>();
        view->OnDrawItem = [this](TPageView*, TViewItem* item, int x, int y, TRect r, int, platform::Canvas& canvas,
                                  int, int, bool) {
            if (item == box)
                canvas.FillRect({r.Left + x, r.Top + y, r.Right + x, r.Bottom + y}, color);
        };
        box = view->AddItem(nullptr, nullptr);
        box->SetMMBoundRect_({2540, 2540, 5080, 5080});
        view->resize(600, 500);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        QTest::qWait(80);  // the debounced resize
        view->Redraw();
        view->viewport()->installEventFilter(&paints);
        QTest::qWait(20);
    }
    // The region painted after the box's colour changed to `to`.
    QRegion Recolour(platform::TColor to)
    {
        paints.Painted = {};
        color = to;
        view->Redraw();
        QTest::qWait(20);
        return paints.Painted;
    }
    QRect BoxOnScreen() const
    {
        const TRect r = box->GetScalingRect(view->GetScale_());
        const TPoint o = view->GetPageDrawer()->GetPageOrigin(0);
        return {r.Left + o.X, r.Top + o.Y, r.Right - r.Left, r.Bottom - r.Top};
    }

    vkttest::PrinterScope printerScope;
    std::unique_ptr<TPageView> view;
    TViewItem* box = nullptr;
    platform::TColor color = 0x0000FF;
    PaintRecorder paints;
};

TEST_F(PageViewRepaint, AChangeRepaintsItsPixelsAndTheScreenShowsIt)
{
    const QRegion painted = Recolour(0x00FF00);
    ASSERT_FALSE(painted.isEmpty());
    EXPECT_TRUE(BoxOnScreen().contains(painted.boundingRect())) << "no more than the box";
    const QImage shown = view->viewport()->grab().toImage();
    EXPECT_EQ(platform::FromQColor(shown.pixelColor(BoxOnScreen().center())), 0x00FF00u);
    EXPECT_TRUE(Recolour(0x00FF00).isEmpty()) << "nothing changed, nothing painted";
    // Drawn into the buffer two redraws old: the change before shows too.
    Recolour(0x0000FF);
    const QImage back = view->viewport()->grab().toImage();
    EXPECT_EQ(platform::FromQColor(back.pixelColor(BoxOnScreen().center())), 0x0000FFu);
}

// The grip square at the box's top left corner, on the screen.
TEST_F(PageViewRepaint, GripsAreRepaintedWhereTheyWereAndWhereTheyGo)
{
    const auto corner = [this] {
        const QPoint at = BoxOnScreen().topLeft() - QPoint(1, 1);
        return platform::FromQColor(view->viewport()->grab().toImage().pixelColor(at));
    };
    const platform::TColor paper = corner();
    view->SetSelected(box);
    QTest::qWait(20);
    EXPECT_NE(corner(), paper) << "grips shown";
    const QRegion painted = Recolour(0x00FF00);
    EXPECT_NE(painted.boundingRect(), view->viewport()->rect()) << "not the whole view for a change under grips";
    EXPECT_NE(corner(), paper) << "grips kept";
    // Moved with the box: the old corner shows the paper again.
    const QRect before = BoxOnScreen();
    box->SetMMBoundRect_({7620, 7620, 10160, 10160});
    QTest::qWait(20);
    const QImage moved = view->viewport()->grab().toImage();
    EXPECT_EQ(platform::FromQColor(moved.pixelColor(before.topLeft() - QPoint(1, 1))), paper) << "old grips gone";
    EXPECT_NE(corner(), paper) << "new grips shown";
    view->SetSelected(nullptr);
    QTest::qWait(20);
    EXPECT_EQ(corner(), paper) << "grips taken away";
}

} // namespace
