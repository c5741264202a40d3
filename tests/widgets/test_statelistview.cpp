#include "widgets/Fstatelistview.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QTest>

#include <string>

namespace {

class StateListViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        view.resize(200, 150);
        view.AddItem("A", 10);
        view.AddItem("B", 20);
        view.AddItem("C", 30);
        view.OnChange = [this](QObject*) { ++changes; };
    }
    // "caption:position:image" of every row in display order.
    std::string Dump()
    {
        std::string text;
        QListWidget* list = view.GetListView();
        for (int row = 0; row < list->count(); ++row) {
            const QListWidgetItem* item = list->item(row);
            text += (row ? " " : "") + item->text().toStdString() + ":" +
                    std::to_string(TStateListView::GetItemPosition(item)) + ":" +
                    std::to_string(view.GetItemImage(item));
        }
        return text;
    }
    void Select(int id) { view.GetListView()->setCurrentItem(view.ItemOfId(id)); }
    void Show()
    {
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        view.GetListView()->setFocus();
    }
    QPoint Centre(int id) { return view.GetListView()->visualItemRect(view.ItemOfId(id)).center(); }

    TStateListView view;
    int changes = 0;
};

TEST_F(StateListViewTest, MoveItemShiftsThePositionsBetween)
{
    view.MoveItem(2, 0);
    EXPECT_EQ(Dump(), "C:0:0 A:1:0 B:2:0");
    EXPECT_EQ(changes, 1);
    view.MoveItem(0, 2);
    EXPECT_EQ(Dump(), "A:0:0 B:1:0 C:2:0");
    view.MoveItem(1, 1);
    view.MoveItem(1, 5);
    EXPECT_EQ(changes, 2);
}

TEST_F(StateListViewTest, SetStatesOrdersTheListedFieldsFirstWithoutAnEvent)
{
    TDblPriorityItem states;
    states.Ids << 30 << 10 << 99;
    states.States << 1 << 0 << 1;
    view.SetStates(states);
    EXPECT_EQ(Dump(), "C:0:2 A:1:1 B:2:0");
    EXPECT_EQ(changes, 0);
    const TDblPriorityItem back = view.GetStates();
    EXPECT_EQ(back.Ids.GetCommaText(), "30,10");
    EXPECT_EQ(back.States.GetCommaText(), "1,0");
}

TEST_F(StateListViewTest, SelectedStateWrapsAndShiftArrowsMove)
{
    Show();
    Select(20);
    view.SetSelectedState(4);
    EXPECT_EQ(view.GetItemImage(view.ItemOfId(20)), 1);
    view.SetSelectedState(-1);
    EXPECT_EQ(view.GetItemImage(view.ItemOfId(20)), 2);
    EXPECT_EQ(changes, 2);
    QTest::keyClick(view.GetListView(), Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(Dump(), "B:0:2 A:1:0 C:2:0");
    QTest::keyClick(view.GetListView(), Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(view.GetListView(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(view.GetListView(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Dump(), "A:0:0 C:1:0 B:2:2");
    EXPECT_EQ(changes, 5);   // the step above the top moved nothing
    // Enter cycles without an event.
    QTest::keyClick(view.GetListView(), Qt::Key_Return);
    EXPECT_EQ(view.GetItemImage(view.ItemOfId(20)), 0);
    EXPECT_EQ(changes, 5);
}

TEST_F(StateListViewTest, ClickingTheIconThreeTimesReturnsToNoState)
{
    Show();
    QListWidget* list = view.GetListView();
    const QPoint icon = view.IconRect(view.ItemOfId(20)).center();
    for (int i = 1; i <= 3; ++i) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, icon);
        EXPECT_EQ(view.GetItemImage(view.ItemOfId(20)), i % 3);
    }
    EXPECT_EQ(changes, 3);
    // A click on the caption only selects.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, Centre(30));
    EXPECT_EQ(view.GetItemImage(view.ItemOfId(30)), 0);
    EXPECT_EQ(changes, 3);
}

TEST_F(StateListViewTest, DraggingMovesOntoAnotherItemOnly)
{
    Show();
    QWidget* viewport = view.GetListView()->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, Centre(10));
    QTest::mouseMove(viewport, Centre(10) + QPoint(5, 1));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, Centre(10) + QPoint(5, 1));
    EXPECT_EQ(Dump(), "A:0:0 B:1:0 C:2:0");
    EXPECT_EQ(changes, 0);

    QTest::mousePress(viewport, Qt::LeftButton, {}, Centre(10));
    QTest::mouseMove(viewport, Centre(30));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, Centre(30));
    EXPECT_EQ(Dump(), "B:0:0 C:1:0 A:2:0");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(view.GetListView()->currentItem(), view.ItemOfId(10));
}

TEST_F(StateListViewTest, DeletionRenumbersTheLaterItems)
{
    view.MoveItem(0, 2);   // B C A
    view.DeleteItem(view.ItemOfId(30));
    EXPECT_EQ(Dump(), "B:0:0 A:1:0");
    EXPECT_EQ(view.ItemOfPosition(1), view.ItemOfId(10));
    EXPECT_EQ(view.ItemOfId(30), nullptr);
}

} // namespace
