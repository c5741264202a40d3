#include "gui/Canvas.h"
#include "widgets/Scrollcanvas.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPaintEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include <string>
#include <vector>

namespace {

// Draws a 10-pixel grid of the document: cell (i, j) red when i + j is even, blue otherwise.
class GridCanvas : public TScrollCanvas {
public:
    using TScrollCanvas::ScrollMessage;
    std::vector<std::pair<int, int>> draws;
    int resizings = 0;
    bool pixels = false;

protected:
    void Resizing() override { ++resizings; }
    bool ScrollsPixels() const override { return pixels; }
    void DoDraw(platform::Canvas& canvas, int x, int y) override
    {
        draws.emplace_back(x, y);
        canvas.FillRect({0, 0, GetClientWidth(), GetClientHeight()}, platform::RgbColor(255, 255, 255));
        for (int j = 0; j * 10 < GetDocHeight(); ++j)
            for (int i = 0; i * 10 < GetDocWidth(); ++i)
                canvas.FillRect({i * 10 - x, j * 10 - y, i * 10 + 10 - x, j * 10 + 10 - y},
                                (i + j) % 2 ? platform::RgbColor(0, 0, 255) : platform::RgbColor(255, 0, 0));
    }
};

// Records the rectangles of the paint events of the object it filters.
class PaintRects : public QObject {
public:
    std::vector<QRect> Rects;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            Rects.push_back(static_cast<QPaintEvent*>(event)->rect());
        return false;
    }
};

class ScrollCanvasTest : public testing::Test {
protected:
    // A shown canvas whose client is cw × ch pixels.
    void Show(TSCScrollStyle style, int cw, int ch)
    {
        canvas.SetScrollStyle(style);
        canvas.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&canvas));
        const QSize extra = canvas.size() - canvas.viewport()->size();
        canvas.resize(cw + extra.width(), ch + extra.height());
        QCoreApplication::processEvents();
        ASSERT_EQ(canvas.GetClientWidth(), cw);
        ASSERT_EQ(canvas.GetClientHeight(), ch);
    }
    // The 400 × 300 grid in a 100 × 80 client with both bars, at its origin; line steps of 7 and 13.
    void ShowGrid()
    {
        canvas.SetDocSize(400, 300);
        canvas.SetHSmallChange(7);
        canvas.SetVSmallChange(13);
        Show(scsBoth, 100, 80);
        canvas.SetDocPoint(0, 0);
        QCoreApplication::processEvents();
    }
    QImage Grab() { return canvas.viewport()->grab().toImage(); }
    // What the window shows of a part of the canvas (the backing store, not a fresh paint).
    QImage Shown(const QWidget* part)
    {
        const QPoint at = part->mapTo(&canvas, QPoint());
        return canvas.screen()
            ->grabWindow(canvas.winId(), at.x(), at.y(), part->width(), part->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    QImage Screen() { return Shown(canvas.viewport()); }

    GridCanvas canvas;
    std::vector<std::string> events;
};

TEST_F(ScrollCanvasTest, SmallDocumentIsCentred)
{
    Show(scsNone, 101, 80);
    canvas.SetDocSize(60, 40);
    const QImage image = Grab();
    ASSERT_FALSE(canvas.draws.empty());
    EXPECT_EQ(canvas.draws.back(), std::make_pair(-20, -20));
    EXPECT_EQ(image.pixelColor(19, 30), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(20, 20), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(30, 20), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(80, 30), QColor(Qt::white));
}

TEST_F(ScrollCanvasTest, DocPointClampsAndRunsTheScrollPath)
{
    Show(scsBoth, 200, 100);
    canvas.SetDocSize(1000, 500);
    canvas.OnScrolled = [&](TScrollCanvas*, int orientation, int code, int& pos) {
        events.push_back(std::to_string(orientation) + ":" + std::to_string(code) + ":" + std::to_string(pos));
    };
    canvas.OnScroll = [&](TScrollCanvas*) { events.push_back("scroll"); };
    canvas.SetDocPoint(5000, 5000);
    EXPECT_EQ(canvas.GetDocLeft(), 800);
    EXPECT_EQ(canvas.GetDocTop(), 400);
    EXPECT_EQ(canvas.horizontalScrollBar()->value(), 800);
    EXPECT_EQ(canvas.verticalScrollBar()->maximum(), 400);
    EXPECT_EQ(events, (std::vector<std::string>{"0:4:800", "scroll", "1:4:400", "scroll"}));
    canvas.SetDocPoint(-5, -5);
    EXPECT_EQ(canvas.GetDocLeft(), 0);
    EXPECT_EQ(canvas.GetDocTop(), 0);
    EXPECT_EQ(Grab().pixelColor(0, 0), QColor(Qt::red));
}

TEST_F(ScrollCanvasTest, BarActionsGiveTheirCodes)
{
    Show(scsHorizontal, 200, 100);
    canvas.SetDocSize(1000, 50);
    canvas.SetHSmallChange(7);
    std::vector<int> codes;
    canvas.OnScrolled = [&](TScrollCanvas*, int, int code, int&) { codes.push_back(code); };
    QScrollBar* bar = canvas.horizontalScrollBar();
    const struct {
        QAbstractSlider::SliderAction action;
        int code;
        int left;
    } cases[] = {
        {QAbstractSlider::SliderSingleStepAdd, 1, 7},  {QAbstractSlider::SliderPageStepAdd, 3, 207},
        {QAbstractSlider::SliderSingleStepSub, 0, 200}, {QAbstractSlider::SliderToMaximum, 7, 200},
        {QAbstractSlider::SliderPageStepSub, 2, 0},    {QAbstractSlider::SliderToMinimum, 6, 0},
    };
    for (const auto& c : cases) {
        bar->triggerAction(c.action);
        EXPECT_EQ(codes.back(), c.code);
        EXPECT_EQ(canvas.GetDocLeft(), c.left) << c.code;
        EXPECT_EQ(bar->value(), c.left) << c.code;
    }
    // Thumb tracking moves the offset at once; the release reports the bar's position.
    bar->setSliderDown(true);
    for (int pos : {100, 250, 900}) {
        bar->setSliderPosition(pos);
        EXPECT_EQ(codes.back(), 5);
        EXPECT_EQ(canvas.GetDocLeft(), std::min(pos, 800));
    }
    bar->setSliderDown(false);
    EXPECT_EQ(codes.back(), 4);
    EXPECT_EQ(canvas.GetDocLeft(), 800);
}

TEST_F(ScrollCanvasTest, DoScrolledMayChangeThePosition)
{
    Show(scsVertical, 100, 100);
    canvas.SetDocSize(50, 1000);
    canvas.OnScrolled = [](TScrollCanvas*, int, int, int& pos) { pos = pos / 50 * 50 + 5000; };
    canvas.verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(canvas.GetDocTop(), 900);   // clamped again
    canvas.OnScrolled = [](TScrollCanvas*, int, int, int& pos) { pos = 130; };
    canvas.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(canvas.GetDocTop(), 130);
    EXPECT_EQ(canvas.verticalScrollBar()->value(), 130);
}

TEST_F(ScrollCanvasTest, WithoutBarsTheOffsetChangesSilently)
{
    Show(scsNone, 100, 100);
    canvas.SetDocSize(400, 400);
    canvas.OnScroll = [&](TScrollCanvas*) { events.push_back("scroll"); };
    canvas.SetDocLeft(30);
    EXPECT_EQ(canvas.GetDocLeft(), 30);
    EXPECT_TRUE(events.empty());
    const QImage image = Grab();
    EXPECT_EQ(canvas.draws.back(), std::make_pair(30, 0));
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::blue));   // document x 30 is cell 3
}

TEST_F(ScrollCanvasTest, ResizesAreDebounced)
{
    Show(scsNone, 100, 100);
    canvas.resizings = 0;
    canvas.SetResizingDelay(200);
    for (int i = 1; i <= 10; ++i)
        canvas.resize(150 + i, 120);
    QCoreApplication::processEvents();
    EXPECT_TRUE(canvas.GetResizeDelaying());
    EXPECT_EQ(canvas.resizings, 0);
    QTRY_COMPARE_WITH_TIMEOUT(canvas.resizings, 1, 2000);
    QTest::qWait(250);
    EXPECT_EQ(canvas.resizings, 1);
    EXPECT_FALSE(canvas.GetResizeDelaying());
}

TEST_F(ScrollCanvasTest, FirstClickOnlyFocuses)
{
    QWidget window;
    auto* other = new QWidget(&window);
    other->setFocusPolicy(Qt::StrongFocus);
    canvas.setParent(&window);
    canvas.move(0, 20);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    other->setFocus();
    int downs = 0;
    canvas.OnMouseDown = [&](TScrollCanvas*, QMouseEvent*) { ++downs; };
    int focusCalls = 0;
    canvas.OnShowCaret = [&](TScrollCanvas*) { ++focusCalls; };
    QTest::mouseClick(canvas.viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(canvas.hasFocus());
    EXPECT_EQ(downs, 0);
    EXPECT_EQ(focusCalls, 1);
    QTest::mouseClick(canvas.viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(downs, 1);
    canvas.setParent(nullptr);
}

} // namespace

TEST_F(ScrollCanvasTest, ScrollStepsMovingPixelsShowWhatAFullPaintShows)
{
    for (const bool pixels : {false, true}) {
        SCOPED_TRACE(pixels);
        canvas.pixels = pixels;
        PaintRects painted;
        canvas.viewport()->installEventFilter(&painted);
        ShowGrid();
        const struct {
            int orientation, code;
        } steps[] = {{1, 1}, {1, 1}, {0, 1}, {1, 0}, {0, 1}, {0, 0}, {1, 3}, {1, 2}, {0, 7}, {1, 1}};
        for (const auto& step : steps) {
            canvas.draws.clear();
            painted.Rects.clear();
            canvas.ScrollMessage(step.orientation, step.code);
            ASSERT_EQ(canvas.draws.size(), 1u);
            // A line step moving pixels paints only the exposed strip.
            ASSERT_EQ(painted.Rects.size(), 1u);
            const QSize size = painted.Rects[0].size();
            EXPECT_EQ(size == QSize(100, 80), !pixels || step.code > 1) << size.width() << "x" << size.height();
            EXPECT_EQ(Screen(), Grab()) << step.orientation << " " << step.code << " at " << canvas.GetDocLeft()
                                        << "," << canvas.GetDocTop();
        }
        EXPECT_EQ(canvas.GetDocLeft(), 7);
        EXPECT_EQ(canvas.GetDocTop(), 26);
    }
}

TEST_F(ScrollCanvasTest, ScrollStepsRepaintTheBarsAloneAndShowTheirNewPlace)
{
    canvas.pixels = true;
    ShowGrid();
    PaintRects behind;
    canvas.installEventFilter(&behind);
    const struct {
        int orientation, code;
    } steps[] = {{1, 1}, {1, 1}, {0, 1}, {1, 0}, {0, 3}, {1, 3}, {0, 0}};
    for (const auto& step : steps) {
        canvas.ScrollMessage(step.orientation, step.code);
        QCoreApplication::processEvents();
        QScrollBar* bar = step.orientation == 0 ? canvas.horizontalScrollBar() : canvas.verticalScrollBar();
        // The bar is opaque: nothing of the frame behind it is painted again.
        EXPECT_TRUE(behind.Rects.empty()) << step.orientation << " " << step.code;
        EXPECT_EQ(Shown(bar), bar->grab().toImage().convertToFormat(QImage::Format_RGB32))
            << step.orientation << " " << step.code;
    }
    EXPECT_EQ(canvas.GetDocLeft(), 100);
    EXPECT_EQ(canvas.GetDocTop(), 93);
}
