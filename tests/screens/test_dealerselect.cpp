// The dealer selector's edit cycle with real focus moves and keys: the undo key taken on entry,
// Esc re-selecting the dealer of entry time, leaving applying once, the popup not ending an edit.
#include <gtest/gtest.h>

#include "screens/Fdealerselectpanel.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <string>
#include <vector>

namespace {

class DealerPanel : public testing::Test {
protected:
    void SetUp() override
    {
        panel.AddDealer(11, "築地の問屋");
        panel.AddDealer(12, "丸山青果");
        panel.AddDealer(13, "ル・ポワソン");
        panel.OnApply = [this](QObject*) { log.push_back("apply " + std::to_string(panel.GetDealerKey())); };
        panel.OnModifiedChange = [this](QObject*) { log.push_back(panel.GetModified() ? "modified" : "clean"); };
        panel.show();
        QApplication::setActiveWindow(&panel);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
        Leave();
    }
    QComboBox* Selector() { return panel.GetCompanySelector(); }
    void Enter() { Selector()->setFocus(Qt::TabFocusReason); }
    void Leave() { panel.GetMailEdit()->setFocus(Qt::TabFocusReason); }
    void Key(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(Selector(), static_cast<Qt::Key>(key), modifiers);
    }

    TDealerSelectPanel panel;
    std::vector<std::string> log;
};

TEST_F(DealerPanel, LoadingIsNoChangeAndUnknownIdsSelectNothing)
{
    panel.SetDealerKey(12);
    panel.SetDealer("佐藤");
    EXPECT_EQ(panel.GetDealerKey(), 12);
    EXPECT_EQ(panel.GetDealerEdit()->text(), "佐藤");
    panel.SetDealerKey(99);
    EXPECT_EQ(panel.GetDealerKey(), 0);
    EXPECT_TRUE(log.empty());
}

TEST_F(DealerPanel, NoSelectionAtEntryMakesAnyChoiceAChange)
{
    Enter();
    Key(Qt::Key_Down);
    EXPECT_EQ(panel.GetDealerKey(), 11);
    EXPECT_EQ(log, (std::vector<std::string>{"modified"}));
    Leave();
    EXPECT_EQ(log, (std::vector<std::string>{"modified", "clean", "apply 11"}));
    // Entering and leaving again without a change applies nothing.
    Enter();
    Leave();
    EXPECT_EQ(log.size(), 3u);
}

TEST_F(DealerPanel, EscReselectsTheEntryDealerThroughTheOwnersHandler)
{
    panel.SetDealerKey(11);
    std::vector<int> shown;
    panel.OnCompanySelectorChange = [&](QObject*) {
        panel.EditChange();
        shown.push_back(panel.GetDealerKey());
    };
    Enter();
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_TRUE(panel.GetModified());
    Key(Qt::Key_Escape);
    EXPECT_EQ(panel.GetDealerKey(), 11);
    EXPECT_FALSE(panel.GetModified());
    EXPECT_EQ(shown, (std::vector<int>{12, 13, 11}));
    Leave();
    EXPECT_EQ(std::count(log.begin(), log.end(), "apply 11"), 0);
}

TEST_F(DealerPanel, CtrlEnterAppliesAndMakesTheChoiceTheUndoKey)
{
    panel.SetDealerKey(11);
    Enter();
    Key(Qt::Key_Down);
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(log, (std::vector<std::string>{"modified", "clean", "apply 12"}));
    Key(Qt::Key_Escape);
    EXPECT_EQ(panel.GetDealerKey(), 12);
    Leave();
    EXPECT_EQ(log.size(), 3u);
}

TEST_F(DealerPanel, OpeningThePopupDoesNotEndTheEdit)
{
    panel.SetDealerKey(11);
    Enter();
    Key(Qt::Key_Down);
    Selector()->showPopup();
    QApplication::processEvents();
    Selector()->hidePopup();
    QApplication::processEvents();
    EXPECT_TRUE(panel.GetModified());
    EXPECT_EQ(std::count(log.begin(), log.end(), "apply 12"), 0);
}

} // namespace
