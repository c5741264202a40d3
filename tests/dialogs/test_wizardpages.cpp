// The wizard page stack: only ShowPage moves between pages; the tab bar and the tab widget's
// keys do nothing.
#include <gtest/gtest.h>

#include "dialogs/Uwizardpages.h"

#include <QTabBar>
#include <QTest>

namespace {

class WizardPagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        pages.AddPage("TabSheet1", "ウィザード開始");
        pages.AddPage("TabSheet2", "棚卸し表の作成");
        pages.AddPage("TabSheet3", "三");
        pages.resize(400, 300);
        pages.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&pages));
    }
    // Index and enabled state of every page, e.g. "1:010".
    std::string State() const
    {
        std::string s = std::to_string(pages.currentIndex()) + ":";
        for (int i = 0; i < pages.count(); ++i) s += pages.widget(i)->isEnabled() ? '1' : '0';
        return s;
    }
    TWizardPages pages;
};

TEST_F(WizardPagesTest, ShowPageEnablesOnlyThatPage)
{
    EXPECT_EQ(State(), "0:100");
    EXPECT_EQ(pages.widget(1)->objectName(), "TabSheet2");
    EXPECT_EQ(pages.tabText(1), QStringLiteral("棚卸し表の作成"));
    pages.ShowPage(2);
    EXPECT_EQ(State(), "2:001");
    pages.ShowPage(1);
    EXPECT_EQ(State(), "1:010");
    EXPECT_FALSE(pages.isTabEnabled(0));
    pages.ShowPage(5);
    pages.ShowPage(-1);
    EXPECT_EQ(State(), "1:010") << "out of range changes nothing";
}

TEST_F(WizardPagesTest, TabBarAndKeysCannotSwitch)
{
    pages.ShowPage(1);
    // Enable every tab so that only the swallowing can keep the page.
    for (int i = 0; i < pages.count(); ++i) pages.setTabEnabled(i, true);
    QTabBar* bar = pages.tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
    EXPECT_EQ(pages.currentIndex(), 1);
    QTest::keyClick(bar, Qt::Key_Right);
    QTest::keyClick(bar, Qt::Key_Left);
    EXPECT_EQ(pages.currentIndex(), 1);
    pages.widget(1)->setFocus();
    QTest::keyClick(&pages, Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(&pages, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(&pages, Qt::Key_PageDown, Qt::ControlModifier);
    QTest::keyClick(&pages, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(pages.currentIndex(), 1);
    EXPECT_EQ(bar->focusPolicy(), Qt::NoFocus);
}

} // namespace
