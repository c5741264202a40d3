#include "widgets/Utabpane.h"

#include "gui/KeptPixels.h"
#include "support/PaintedRegion.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <functional>
#include <utility>
#include <vector>

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

// Shown again and again in one state, the tab bar is copied from the pixels kept of its first
// drawing and looks as a plain tab bar in that state: another page, a caption changed, a tab
// disabled, a caption coloured, the bar focused.
TEST(PaneTabWidget, TabsCopiedLookAsAPlainTabBarInEachState)
{
    QWidget window;
    window.resize(760, 320);
    auto* pane = new TPaneTabWidget(&window);
    auto* plain = new QTabWidget(&window);
    for (QTabWidget* tabs : {static_cast<QTabWidget*>(pane), plain}) {
        AddPages(tabs);
        tabs->addTab(new QLabel, QStringLiteral("グラフ"));
    }
    pane->move(20, 40); // away from the pointer
    plain->move(380, 40);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    Settle();
    auto* bar = dynamic_cast<TKeptTabBar*>(pane->tabBar());
    ASSERT_NE(bar, nullptr);
    const std::vector<std::pair<const char*, std::function<void(QTabWidget*)>>> states = {
        {"as made", [](QTabWidget*) {}},
        {"another page", [](QTabWidget* tabs) { tabs->setCurrentIndex(2); }},
        {"a caption changed", [](QTabWidget* tabs) { tabs->setTabText(0, QStringLiteral("品目一覧")); }},
        {"a tab disabled", [](QTabWidget* tabs) { tabs->setTabEnabled(1, false); }},
        {"a caption coloured", [](QTabWidget* tabs) { tabs->tabBar()->setTabTextColor(0, Qt::red); }},
    };
    for (const auto& [state, change] : states) {
        change(pane);
        change(plain);
        Settle();
        int draws = 0;
        for (int round = 0; round < 4; ++round) {
            pane->hide();
            Settle();
            if (round == 1) draws = bar->GetDrawCount();
            pane->show();
            Settle();
            EXPECT_EQ(ShownPixels(bar), ShownPixels(plain->tabBar())) << state << ", round " << round;
        }
        EXPECT_EQ(bar->GetDrawCount(), draws) << state << ": copied in the later rounds";
    }
    // Focused, by the mouse and then by the keyboard (a focus frame): as the bar paints itself.
    for (const Qt::FocusReason reason : {Qt::MouseFocusReason, Qt::TabFocusReason}) {
        if (reason == Qt::TabFocusReason) QTest::keyClick(&window, Qt::Key_Tab);
        for (int round = 0; round < 3; ++round) {
            pane->hide();
            Settle();
            pane->show();
            bar->setFocus(reason); // hiding took it away
            Settle();
            ASSERT_TRUE(bar->hasFocus());
            platform::SetKeepingPixels(false);
            // With what lies behind the bar: the pane's frame shows through its foot.
            const QImage drawn = pane->grab(bar->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
            platform::SetKeepingPixels(true);
            EXPECT_EQ(ShownPixels(bar), drawn) << (reason == Qt::TabFocusReason ? "keyboard" : "mouse") << ", round "
                                               << round;
        }
    }
}

} // namespace
