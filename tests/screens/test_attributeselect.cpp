// The attribute checks driven with the mouse and keys: the mark cycles, the text only selects,
// moving on applies the entry being left, Esc restores, unknown ids are skipped.
#include <gtest/gtest.h>

#include "screens/Fattributeselectpanel.h"

#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QTest>

#include <string>
#include <vector>

namespace {

class AttributePanel : public testing::Test {
protected:
    void SetUp() override
    {
        panel.resize(220, 140);
        panel.AddItem(31, "国産");
        panel.AddItem(32, "有機");
        panel.AddItem(33, "冷凍");
        panel.SetCheck(31, 2);
        panel.SetCheck(32, 1);
        panel.OnApply = [this](QObject*) {
            applied.push_back(std::to_string(panel.GetCurrentItem()) + ":" + std::to_string(panel.GetCurrentCheck()));
        };
        panel.show();
        QApplication::setActiveWindow(&panel);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
        List()->setFocus(Qt::TabFocusReason);
    }
    QListWidget* List() { return panel.GetAttributeList(); }
    QPoint Mark(int row) { return panel.IconRect(List()->item(row)).center(); }
    QPoint Text(int row) { return List()->visualItemRect(List()->item(row)).center() + QPoint(20, 0); }
    void Click(const QPoint& at) { QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, at); }
    std::string States()
    {
        return std::to_string(panel.GetCheck(31)) + std::to_string(panel.GetCheck(32)) +
               std::to_string(panel.GetCheck(33));
    }

    TAttributeSelectPanel panel;
    std::vector<std::string> applied;
};

TEST_F(AttributePanel, MarkClicksCycleTextClicksOnlySelect)
{
    Click(Text(0));
    EXPECT_EQ(panel.GetCurrentItem(), 31);
    EXPECT_EQ(States(), "210");
    EXPECT_FALSE(panel.GetModified());
    const char* expected[] = {"110", "010", "210"};
    for (const char* states : expected) {
        Click(Mark(0));
        EXPECT_EQ(States(), states);
    }
    EXPECT_FALSE(panel.GetModified());  // back where it started
    EXPECT_TRUE(applied.empty());
}

TEST_F(AttributePanel, MovingOnAppliesTheEntryBeingLeft)
{
    Click(Mark(0));
    EXPECT_TRUE(panel.GetModified());
    Click(Text(2));
    EXPECT_EQ(applied, std::vector<std::string>{"31:1"});
    EXPECT_EQ(panel.GetCurrentItem(), 33);
    EXPECT_FALSE(panel.GetModified());
    // Enter cycles the selected entry; leaving the list applies it.
    QTest::keyClick(List(), Qt::Key_Return);
    EXPECT_EQ(States(), "112");
    panel.clearFocus();
    List()->clearFocus();
    EXPECT_EQ(applied, (std::vector<std::string>{"31:1", "33:2"}));
}

TEST_F(AttributePanel, EscRestoresCtrlEnterApplies)
{
    Click(Text(1));
    QTest::keyClick(List(), Qt::Key_Return);
    QTest::keyClick(List(), Qt::Key_Return);
    EXPECT_EQ(States(), "220");
    QTest::keyClick(List(), Qt::Key_Escape);
    EXPECT_EQ(States(), "210");
    EXPECT_EQ(panel.GetCurrentCheck(), 1);
    EXPECT_FALSE(panel.GetModified());
    QTest::keyClick(List(), Qt::Key_Return);
    QTest::keyClick(List(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(applied, std::vector<std::string>{"32:0"});
    QTest::keyClick(List(), Qt::Key_Escape);
    EXPECT_EQ(States(), "200");
}

TEST_F(AttributePanel, UnknownIdsAreSkippedAndTheRestLoads)
{
    panel.ClearChecks();
    for (const auto& [id, state] : {std::pair{31, 1}, {99, 2}, {33, 2}}) panel.SetCheck(id, state);
    EXPECT_EQ(States(), "102");
    EXPECT_EQ(panel.GetCheck(99), -1);
}

TEST_F(AttributePanel, MarksDrawnByState)
{
    List()->clearSelection();
    const QImage shot = List()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QColor window = shot.pixelColor(shot.width() - 2, shot.height() - 2);
    // Row 0 checked (image 2), row 1 not checked (image 1), row 2 without an entry (image 3).
    for (const auto& [row, image] : {std::pair{0, 2}, {1, 1}, {2, 3}}) {
        QImage expected(16, 16, QImage::Format_RGB32);
        expected.fill(window);
        QPainter painter(&expected);
        painter.drawPixmap(0, 0, panel.GetStateImages().Pixmap(image));
        painter.end();
        const QRect r = panel.IconRect(List()->item(row));
        EXPECT_EQ(shot.copy(r.left(), r.top() + 1, 16, 16), expected) << row;
    }
}

} // namespace
