// The wizard page stack: only ShowPage moves between pages; the tab bar and the tab widget's
// keys do nothing. The help of every set-up dialog and wizard, by F1 and by its button.
#include <gtest/gtest.h>

#include "dialogs/Fappendinventorydialog.h"
#include "dialogs/Fattributechangedialog.h"
#include "dialogs/Fclasschangedialog.h"
#include "dialogs/Fdatapropertychangedialog.h"
#include "dialogs/Finventorydialog.h"
#include "dialogs/Fmhisttoyhistdialog.h"
#include "dialogs/Fuseunitchangedialog.h"
#include "dialogs/Uwizardpages.h"
#include "support/ScriptedServices.h"

#include <QApplication>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <functional>
#include <memory>

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

TEST(SetUpDialogHelp, F1AndTheHelpButtonOpenEachDialogsPage)
{
    struct Case {
        int context;
        std::function<TVktDialog*()> make;
    } const cases[] = {
        {10000, [] { return new TClassChangeDialog; }},     {10256, [] { return new TAttributeChangeDialog; }},
        {10768, [] { return new TDataPropertyChangeDialog; }}, {8720, [] { return new TInventoryDialog; }},
        {9744, [] { return new TAppendInventoryDialog; }},  {9488, [] { return new TUseUnitChangeDialog; }},
        {8976, [] { return new TMHistToYHistDialog; }},
    };
    vkttest::ScriptedServices& s = vkttest::Scripted();
    platform::SetHelpFolder(vkttest::NewTempFolder("help"));
    for (const Case& c : cases) {
        s.Reset();
        std::unique_ptr<TVktDialog> dialog(c.make());
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        QTest::keyClick(dialog.get(), Qt::Key_F1);
        dialog->GetBtnHelp()->click();
        ASSERT_EQ(s.messages.size(), 2u) << c.context;
        const std::string page = std::to_string(c.context) + ".html";
        for (const auto& m : s.messages) EXPECT_NE(m.text.find(page), std::string::npos) << m.text;
        EXPECT_FALSE(dialog->GetBtnSetting()->isVisible()) << c.context;
    }
    platform::SetHelpFolder({});
    s.Reset();
}

} // namespace
