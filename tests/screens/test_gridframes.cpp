// The grid frames driven by mouse and keys: marks, anchor and callbacks of the record grid, the
// drag decision, the empty list, and the drawn cells.
#include <gtest/gtest.h>

#include "gui/IconList.h"
#include "screens/Fdatalistview.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QTest>

#include <string>
#include <vector>

namespace {

class ProbeList : public TDataListView {
public:
    using TDataListView::TDataListView;
    std::vector<TPriorityItem> drags;

protected:
    void StartDrag(const TPriorityItem& ids) override { drags.push_back(ids); }
};

class GridFrames : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.resize(300, 200);
        list.AddColumn("名前", 120, true, true, 0);
        list.AddColumn("価格", 80, false, true, 0);
        for (int id = 101; id <= 110; ++id) list.AddRow(id);
        list.UpdateRows();
        list.OnCellText = [](TDataListView*, int col, std::string& text, int row) {
            text = col == 0 ? "品目" + std::to_string(row) : "1,000";
        };
        list.OnOpenData = [this](TDataListView*, int id) { log.push_back("open " + std::to_string(id)); };
        list.OnDeleteData = [this](TDataListView*) { log.push_back("delete"); };
        list.OnSelectionChange = [this](TDataListView*) { ++changes; };
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    }

    QWidget* Viewport() { return list.GetStringGrid()->viewport(); }
    // A point in column 1 of a row (outside the icon area).
    QPoint RowPoint(int row) { return {150, row * 16 + 8}; }
    void Click(int row, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(Viewport(), Qt::LeftButton, modifiers, RowPoint(row));
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(list.GetStringGrid(), static_cast<Qt::Key>(key), modifiers);
    }
    std::string Marks() const { return list.GetSelectedIDs().GetCommaText(); }

    platform::IconList icons;
    ProbeList list;
    std::vector<std::string> log;
    int changes = 0;
};

TEST_F(GridFrames, ClicksWithEachModifierGiveMarksAndAnchor)
{
    struct Step {
        int row;
        Qt::KeyboardModifiers modifiers;
        const char* marks;
        int anchor;
        int last;
    };
    // Shift without anchor marks just the row; then ranges from the anchor; Ctrl toggles.
    const Step steps[] = {
        {3, Qt::ShiftModifier, "104", 3, 3},
        {5, Qt::ShiftModifier, "104,105,106", 3, 3},
        {1, Qt::ShiftModifier, "102,103,104", 3, 3},
        {7, Qt::ControlModifier, "102,103,104,108", 3, 3},
        {3, Qt::ControlModifier, "102,103,108", 3, 3},
        {6, Qt::NoModifier, "107", 6, 6},
        {8, Qt::ShiftModifier, "107,108,109", 6, 6},
    };
    int expectedChanges = 0;
    for (const Step& step : steps) {
        Click(step.row, step.modifiers);
        ++expectedChanges;
        EXPECT_EQ(Marks(), step.marks) << "row " << step.row;
        EXPECT_EQ(list.GetAnchorRow(), step.anchor);
        EXPECT_EQ(list.GetLastRow(), step.last);
    }
    EXPECT_EQ(changes, expectedChanges);

    // Ctrl-click with no anchor makes the newly marked row the anchor.
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, QPoint(150, 199));   // below the rows: all cleared
    EXPECT_EQ(Marks(), "");
    EXPECT_EQ(list.GetAnchorRow(), -1);
    Click(4, Qt::ControlModifier);
    EXPECT_EQ(list.GetAnchorRow(), 4);
}

TEST_F(GridFrames, DragSelectsRangesAndCtrlDragTogglesEachRowOnce)
{
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, RowPoint(2));
    // Moves with the button held (QTest's moves carry no button).
    auto drag = [this](int row, Qt::KeyboardModifiers modifiers) {
        QMouseEvent move(QEvent::MouseMove, RowPoint(row), Viewport()->mapToGlobal(RowPoint(row)), Qt::NoButton,
                         Qt::LeftButton, modifiers);
        QApplication::sendEvent(Viewport(), &move);
    };
    for (int row : {3, 4, 4, 5}) drag(row, {});
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, RowPoint(5));
    EXPECT_EQ(Marks(), "103,104,105,106");

    QTest::mousePress(Viewport(), Qt::LeftButton, Qt::ControlModifier, RowPoint(8));
    for (int row : {7, 7, 6, 5}) drag(row, Qt::ControlModifier);
    QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::ControlModifier, RowPoint(5));
    EXPECT_EQ(Marks(), "103,104,105,107,108,109");   // 106 toggled off
}

TEST_F(GridFrames, EnterWithEachModifierDeleteAndDoubleClick)
{
    list.GetStringGrid()->setFocus();
    list.GetStringGrid()->setCurrentIndex(list.GetModel()->index(2, 1));
    Key(Qt::Key_Return);
    EXPECT_EQ(Marks(), "103");
    list.GetStringGrid()->setCurrentIndex(list.GetModel()->index(4, 1));
    Key(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(Marks(), "103,104,105");
    list.GetStringGrid()->setCurrentIndex(list.GetModel()->index(7, 1));
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Marks(), "103,104,105,108");
    Key(Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
    Key(Qt::Key_Delete);
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, RowPoint(9));
    EXPECT_EQ(log, (std::vector<std::string>{"open 108", "delete", "open 110"}));
}

TEST_F(GridFrames, PressInAMarkedRowsIconAreaDragsAndKeepsTheMarks)
{
    list.SetClassImages(&icons);
    Click(2);
    Click(4, Qt::ShiftModifier);
    QTest::mousePress(Viewport(), Qt::LeftButton, {}, QPoint(8, 3 * 16 + 8));
    QTest::mouseMove(Viewport(), QPoint(10, 3 * 16 + 9));   // under the threshold
    EXPECT_TRUE(list.drags.empty());
    QTest::mouseMove(Viewport(), QPoint(14, 3 * 16 + 8));
    QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, QPoint(14, 3 * 16 + 8));
    ASSERT_EQ(list.drags.size(), 1u);
    EXPECT_EQ(list.drags[0].GetCommaText(), "103,104,105");
    EXPECT_EQ(Marks(), "103,104,105");

    // An unmarked row's icon area does nothing at all.
    QTest::mouseClick(Viewport(), Qt::LeftButton, {}, QPoint(8, 7 * 16 + 8));
    EXPECT_EQ(list.drags.size(), 1u);
    EXPECT_EQ(Marks(), "103,104,105");
}

TEST_F(GridFrames, AnEmptyListShowsOneBlankRowAndOnlyDeleteAnswers)
{
    list.ClearRows();
    list.UpdateRows();
    EXPECT_EQ(list.GetModel()->rowCount(), 1);
    EXPECT_EQ(list.GetModel()->flags(list.GetModel()->index(0, 0)), Qt::NoItemFlags);
    list.GetStringGrid()->setFocus();
    Key(Qt::Key_Return);
    Key(Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier);
    Key(Qt::Key_Delete);
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, RowPoint(0));
    Click(0);
    EXPECT_EQ(log, std::vector<std::string>{"delete"});
    EXPECT_EQ(Marks(), "");
}

TEST_F(GridFrames, CellsAreDrawnWithSelectionColoursAlignmentAndIcons)
{
    QPixmap red(16, 16);
    red.fill(Qt::red);
    icons.Add(red);
    list.SetClassImages(&icons);
    list.OnRowImages = [](TDataListView*, int, int& state, int& image, int) {
        image = 0;
        state = -1;
    };
    list.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
    Click(1);
    const QPalette pal = list.palette();
    const int y = 1 * 16 + 8;

    QImage image = list.GetStringGrid()->viewport()->grab().toImage();
    EXPECT_EQ(QColor(image.pixel(100, y)), pal.color(QPalette::Highlight)) << "focused";
    EXPECT_EQ(QColor(image.pixel(100, 3 * 16 + 1)), pal.color(QPalette::Base));
    // The class icon at the cell's left edge + 2, text after it.
    EXPECT_EQ(QColor(image.pixel(2 + 8, 3 * 16 + 8)), QColor(Qt::red));

    // The numeric column: the last dark pixel of its text 2 pixels inside the cell's right edge.
    const int right = list.GetStringGrid()->columnViewportPosition(1) + list.GetStringGrid()->columnWidth(1) - 1;
    int lastInk = -1;
    for (int x = right; x > right - 40 && lastInk < 0; --x)
        for (int yy = 3 * 16; yy < 4 * 16 - 1; ++yy)
            if (qGray(image.pixel(x, yy)) < 128) {
                lastInk = x;
                break;
            }
    EXPECT_GE(lastInk, right - 4);
    EXPECT_LE(lastInk, right - 2);

    list.GetStringGrid()->clearFocus();
    QWidget other;
    other.show();
    other.setFocus();
    QApplication::processEvents();
    image = list.GetStringGrid()->viewport()->grab().toImage();
    EXPECT_EQ(QColor(image.pixel(100, y)), pal.color(QPalette::Button)) << "without focus";
}

} // namespace
