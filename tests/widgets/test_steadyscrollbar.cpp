#include "widgets/Usteadyscrollbar.h"

#include "support/PaintedRegion.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>

#include <cstdlib>

namespace {

using vkttest::ShownPixels;

// A list of many rows with the steady bar, shown and painted.
struct ShownList {
    explicit ShownList(int rows)
    {
        list.setUniformItemSizes(true);
        bar = new TSteadyScrollBar(Qt::Vertical);
        list.setVerticalScrollBar(bar);
        for (int i = 0; i < rows; ++i)
            list.addItem(QString::number(i));
        list.resize(160, 300);
        list.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&list));
        Settle();
    }
    void Settle()
    {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }
    int Painted()
    {
        const int before = bar->GetPaintCount();
        Settle();
        return bar->GetPaintCount() - before;
    }

    QListWidget list;
    TSteadyScrollBar* bar = nullptr;
};

TEST(SteadyScrollBar, RepaintsOnlyWhenTheSliderMoves)
{
    ShownList shown(5000);
    ASSERT_GT(shown.bar->maximum(), 4000);
    // Taken by the view, the bar stays opaque: its repaints paint nothing behind it.
    EXPECT_TRUE(shown.bar->testAttribute(Qt::WA_OpaquePaintEvent));
    // One more row: the range grows by one, the slider keeps its pixels.
    shown.list.addItem(QStringLiteral("more"));
    EXPECT_EQ(shown.Painted(), 0);
    // A jump to the middle moves the slider: its old and new places are painted, and the window
    // shows what a full paint of the bar shows.
    shown.bar->setValue(100);
    shown.Settle();
    vkttest::PaintedRegion painted;
    shown.bar->installEventFilter(&painted);
    const QRect before = shown.bar->rect();
    shown.bar->setValue(shown.bar->maximum() / 2);
    EXPECT_GT(shown.Painted(), 0);
    EXPECT_LT(painted.Painted.boundingRect().height(), before.height() / 2);
    EXPECT_EQ(ShownPixels(shown.bar), shown.bar->grab().toImage().convertToFormat(QImage::Format_RGB32));
    shown.bar->setValue(shown.bar->maximum() / 2 + 900);
    shown.Settle();
    EXPECT_EQ(ShownPixels(shown.bar), shown.bar->grab().toImage().convertToFormat(QImage::Format_RGB32));
    // Reaching the end changes the drawn end button even without a slider move.
    shown.bar->setValue(shown.bar->maximum());
    EXPECT_GT(shown.Painted(), 0);
}

// A slider moved twice before the window paints: the place it passed is not painted.
TEST(SteadyScrollBar, PaintsNotThePlacesTheSliderPassed)
{
    ShownList shown(5000);
    shown.bar->setValue(100);
    shown.Settle();
    vkttest::PaintedRegion painted;
    shown.bar->installEventFilter(&painted);
    shown.bar->setValue(shown.bar->maximum() / 2);
    shown.bar->setValue(140);
    shown.list.viewport()->repaint();
    EXPECT_FALSE(painted.Painted.isEmpty());
    EXPECT_FALSE(painted.Painted.contains(QPoint(shown.bar->width() / 2, shown.bar->height() / 2)));
    EXPECT_EQ(ShownPixels(shown.bar), shown.bar->grab().toImage().convertToFormat(QImage::Format_RGB32));
    // Moved while the window does not paint (hidden), it is painted whole when shown again.
    shown.list.hide();
    shown.bar->setValue(shown.bar->maximum());
    shown.list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown.list));
    shown.Settle();
    EXPECT_EQ(ShownPixels(shown.bar), shown.bar->grab().toImage().convertToFormat(QImage::Format_RGB32));
}

// A tree view jumping by more than a page (a node far away made current) repaints its whole bar;
// the steady tree leaves the bar to repaint only what its slider moved.
TEST(SteadyScrollBar, TreeJumpRepaintsOnlyTheSlider)
{
    TSteadyTreeWidget tree;
    tree.setUniformRowHeights(true);
    for (int i = 0; i < 3000; ++i)
        new QTreeWidgetItem(&tree, {QString::number(i)});
    tree.resize(160, 300);
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    auto* bar = dynamic_cast<TSteadyScrollBar*>(tree.verticalScrollBar());
    ASSERT_NE(bar, nullptr);
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    tree.setCurrentItem(tree.topLevelItem(1000));
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    vkttest::PaintedRegion painted;
    bar->installEventFilter(&painted);
    const int top = bar->value();
    tree.setCurrentItem(tree.topLevelItem(1080));
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    // Scrolled to the node, the view shows it and the bar what a full paint shows.
    EXPECT_GT(bar->value(), top + 40);
    EXPECT_TRUE(tree.viewport()->rect().contains(tree.visualItemRect(tree.topLevelItem(1080))));
    EXPECT_FALSE(painted.Painted.isEmpty());
    EXPECT_LT(painted.Painted.boundingRect().height(), bar->height() / 2);
    EXPECT_EQ(ShownPixels(bar), bar->grab().toImage().convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(ShownPixels(tree.viewport()), tree.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32));
    // Back to the top: the end button's state changes with the slider at the minimum.
    painted.Painted = QRegion();
    tree.setCurrentItem(tree.topLevelItem(0));
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(ShownPixels(bar), bar->grab().toImage().convertToFormat(QImage::Format_RGB32));
}

// Made shorter or longer with the slider in place, the bar repaints its far end only (and what
// it exposes), and the window shows what a full paint of the bar shows.
TEST(SteadyScrollBar, ResizedRepaintsItsEndOnly)
{
    for (const Qt::Orientation orientation : {Qt::Vertical, Qt::Horizontal}) {
        for (const bool atEnd : {false, true}) {
            // In a window that keeps its size (a resized window repaints all of it).
            QWidget window;
            window.resize(340, 340);
            auto* bar = new TSteadyScrollBar(orientation, &window);
            bar->setRange(0, 5000);
            bar->setPageStep(20);
            bar->setValue(atEnd ? 5000 : 0);
            const auto sized = [&](int length) {
                bar->resize(orientation == Qt::Vertical ? QSize(14, length) : QSize(length, 14));
            };
            sized(300);
            window.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
            QApplication::processEvents();
            vkttest::PaintedRegion painted;
            bar->installEventFilter(&painted);
            int before = 300;
            for (const int length : {180, 260, 300, 299, 120}) {
                painted.Painted = {};
                sized(length);
                QApplication::processEvents();
                const QRect rect = painted.Painted.boundingRect();
                EXPECT_FALSE(rect.isEmpty()) << length;
                if (!atEnd) {
                    const int along = orientation == Qt::Vertical ? rect.height() : rect.width();
                    EXPECT_LE(along, std::abs(length - before) + 28) << orientation << " " << length;
                }
                EXPECT_EQ(ShownPixels(bar), bar->grab().toImage().convertToFormat(QImage::Format_RGB32))
                    << orientation << " " << atEnd << " " << length;
                before = length;
            }
        }
    }
}

// Made shorter and longer again and again (a list above an editor that opens and closes), the
// bar's end is drawn by the style twice in each length, then copied; the window shows what a whole
// drawing of the bar shows each time.
TEST(SteadyScrollBar, ItsEndIsCopiedWhenResizedAgainAlike)
{
    for (const int value : {0, 2500, 5000}) {
        QWidget window;
        window.resize(60, 340);
        auto* bar = new TSteadyScrollBar(Qt::Vertical, &window);
        bar->setRange(0, 5000);
        bar->setPageStep(20);
        bar->setValue(value);
        bar->resize(14, 300);
        bar->move(30, 20); // away from the pointer
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QApplication::processEvents();
        int draws = 0;
        for (int round = 0; round < 5; ++round) {
            for (const int length : {180, 300}) {
                bar->resize(14, length);
                bar->setPageStep(length / 15);
                QApplication::processEvents();
                EXPECT_EQ(ShownPixels(bar), bar->grab().toImage().convertToFormat(QImage::Format_RGB32))
                    << value << ", round " << round << ", " << length;
            }
            if (round == 2) draws = bar->GetDrawCount();
        }
        EXPECT_EQ(bar->GetDrawCount(), draws) << value << ": copied in the later rounds";
    }
}

// Shown again as it was, the bar is painted whole from its last drawing in that state: the style
// does not draw it again, and the window shows what a plain scroll bar in that state shows.
TEST(SteadyScrollBar, ShownAgainTakesItsLastDrawing)
{
    const auto settle = [] {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    };
    QWidget window;
    window.resize(200, 340);
    auto* bar = new TSteadyScrollBar(Qt::Vertical, &window);
    auto* plain = new QScrollBar(Qt::Vertical, &window);
    for (QScrollBar* each : {static_cast<QScrollBar*>(bar), plain}) {
        each->setRange(0, 4000);
        each->setPageStep(25);
        each->setValue(1234);
        each->resize(14, 300);
    }
    bar->move(100, 20);
    plain->move(140, 20);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    settle();
    ASSERT_GT(bar->GetPaintCount(), 0);
    for (int round = 0; round < 2; ++round) {
        bar->hide();
        settle();
        const int paints = bar->GetPaintCount();
        const int draws = bar->GetDrawCount();
        bar->show();
        settle();
        EXPECT_GT(bar->GetPaintCount(), paints);
        EXPECT_EQ(bar->GetDrawCount(), draws) << round;
        EXPECT_EQ(ShownPixels(bar), ShownPixels(plain)) << round;
    }
    // Another state is drawn by the style, and shows as the plain bar shows it.
    bar->hide();
    plain->setValue(3000);
    bar->setValue(3000);
    settle();
    const int draws = bar->GetDrawCount();
    bar->show();
    settle();
    EXPECT_EQ(bar->GetDrawCount(), draws + 1);
    EXPECT_EQ(ShownPixels(bar), ShownPixels(plain));
}

TEST(SteadyScrollBar, StillScrollsItsView)
{
    ShownList shown(200);
    const QString top = shown.list.itemAt(2, 2)->text();
    shown.bar->setValue(50);
    shown.Settle();
    EXPECT_NE(shown.list.itemAt(2, 2)->text(), top);
    // Few rows: the slider grows with each removed row and the bar repaints.
    ShownList small(30);
    const int before = small.bar->GetPaintCount();
    for (int i = 0; i < 5; ++i)
        delete small.list.takeItem(0);
    small.Settle();
    EXPECT_GT(small.bar->GetPaintCount(), before);
}

} // namespace

namespace {

// Where the bar says it is opaque, its painting covers every pixel.
TEST(SteadyScrollBar, CoversEveryPixel)
{
    ASSERT_TRUE(TSteadyScrollBar(Qt::Vertical).testAttribute(Qt::WA_OpaquePaintEvent));
    for (const int value : {0, 37, 100}) {
        TSteadyScrollBar bar(Qt::Vertical);
        bar.setRange(0, 100);
        bar.setPageStep(10);
        bar.setValue(value);
        bar.resize(14, 300);
        QImage image(bar.size(), QImage::Format_RGB32);
        image.fill(QColor(255, 0, 255));
        bar.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
        int uncovered = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                uncovered += image.pixel(x, y) == qRgb(255, 0, 255);
        EXPECT_EQ(uncovered, 0) << value;
    }
}

} // namespace
