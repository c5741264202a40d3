#include "widgets/Utabpane.h"

#include "support/PaintedRegion.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTest>

namespace {

using vkttest::ShownPixels;

void Settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

void AddPages(QTabWidget* tabs)
{
    tabs->addTab(new QLabel(QStringLiteral("材料")), QStringLiteral("材料"));
    tabs->addTab(new QLabel(QStringLiteral("メモ")), QStringLiteral("メモ"));
    tabs->resize(330, 260);
}

// The pane's frame shows as a plain tab widget draws it; shown again as it was, the style does not
// draw it again.
TEST(PaneTabWidget, ShowsThePlainFrameAndDrawsItOncePerState)
{
    QWidget window;
    window.resize(700, 300);
    auto* pane = new TPaneTabWidget(&window);
    auto* plain = new QTabWidget(&window);
    AddPages(pane);
    AddPages(plain);
    plain->move(350, 0);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    Settle();
    ASSERT_GT(pane->GetDrawCount(), 0);
    EXPECT_EQ(ShownPixels(pane), ShownPixels(plain));
    // (The first paint may come before the window is active: a state of its own.)
    pane->hide();
    pane->show();
    Settle();
    for (int round = 0; round < 2; ++round) {
        pane->hide();
        Settle();
        const int draws = pane->GetDrawCount();
        pane->show();
        Settle();
        EXPECT_EQ(pane->GetDrawCount(), draws) << round;
        EXPECT_EQ(ShownPixels(pane), ShownPixels(plain)) << round;
    }
    // Another page current, another size: drawn again, and still as the plain widget draws it.
    for (QTabWidget* tabs : {static_cast<QTabWidget*>(pane), plain}) {
        tabs->setCurrentIndex(1);
        tabs->resize(300, 200);
    }
    const int draws = pane->GetDrawCount();
    Settle();
    EXPECT_GT(pane->GetDrawCount(), draws);
    EXPECT_EQ(ShownPixels(pane), ShownPixels(plain));
}

} // namespace
