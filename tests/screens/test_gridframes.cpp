// The grid frames driven by mouse and keys: marks, anchor and callbacks of the record grid, the
// drag decision, the empty list, the drawn cells and the current row's focus rectangle.
#include <gtest/gtest.h>

#include "gui/IconList.h"
#include "gui/KeptPixels.h"
#include "screens/Fdatalistview.h"
#include "support/PaintedRegion.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
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

TEST_F(GridFrames, AnEmptyListHasOneBlankRowNobodySeesAndOnlyDeleteAnswers)
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

    // The blank row takes no height: the list shows no row, not even its grid lines.
    QApplication::processEvents();
    EXPECT_EQ(list.GetStringGrid()->rowHeight(0), 0);
    const QImage image = Viewport()->grab().toImage();
    const QColor base = list.palette().color(QPalette::Base);
    int drawn = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) drawn += QColor(image.pixel(x, y)) != base;
    EXPECT_EQ(drawn, 0);

    // Rows again: a row high each.
    list.AddRow(201);
    list.UpdateRows();
    EXPECT_EQ(list.GetStringGrid()->rowHeight(0), 16);
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

// An editing grid (the filter names': only some rows editable) never searches by typed keys: a
// key on a cell that takes no typing moves nowhere, and a key typed at once after a click on the
// current cell goes into that cell; Enter then ends the edit without reaching the dialog's default
// button.
// A screen reader hears a list's row whole from any of its cells, each text after its caption;
// a grid edited by cells reads each cell alone.
TEST_F(GridFrames, AScreenReaderReadsAListRowWholeAndAnEditedGridByCells)
{
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(list.GetStringGrid());
    ASSERT_TRUE(table && table->tableInterface());
    const auto read = [&](int row, int col) {
        QAccessibleInterface* cell = table->tableInterface()->cellAt(row, col);
        return cell ? cell->text(QAccessible::Name).toStdString() : std::string("<none>");
    };
    EXPECT_EQ(read(2, 0), "名前 品目2, 価格 1,000");
    EXPECT_EQ(read(2, 1), "名前 品目2, 価格 1,000");
    list.SetEditing(true);
    EXPECT_EQ(read(2, 1), "1,000");
}

TEST(GridTyping, TypingInAnEditingGridEditsTheCurrentCellAndSearchesNothing)
{
    QDialog dialog;
    dialog.resize(200, 180);
    TGridEdit grid(&dialog);
    grid.setGeometry(0, 0, 200, 150);
    QPushButton button(&dialog);
    button.setGeometry(0, 155, 80, 20);
    button.setDefault(true);
    int pressed = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] { ++pressed; });
    grid.AddColumn("名前", 150, true, true, 0);
    const std::vector<std::string> names = {"all", "bread", "bacon", "beef"};
    grid.GetModel()->SetRowCount(static_cast<int>(names.size()));
    for (int row = 0; row < static_cast<int>(names.size()); ++row) grid.GetModel()->SetCell(0, row, names[row]);
    grid.OnCanEdit = [](TGridEdit*, int, int row, bool& allowed) { allowed = row >= 2; };
    std::vector<std::string> edits;
    grid.OnSetEditText = [&](TGridEdit*, int, int row, std::string& text) {
        edits.push_back(std::to_string(row) + ":" + text);
    };
    grid.SetEditing(true);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTableView* view = grid.GetStringGrid();
    view->setFocus();
    view->setCurrentIndex(grid.GetModel()->index(0, 0));
    QTest::keyClick(view, 'b');
    EXPECT_EQ(view->currentIndex().row(), 0);
    EXPECT_FALSE(grid.IsEditorShown());

    view->setCurrentIndex(grid.GetModel()->index(3, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->currentIndex()).center());
    for (char c : std::string("bun")) QTest::keyClick(QApplication::focusWidget(), c);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QApplication::processEvents();   // the editor commits on Enter by a queued call
    EXPECT_EQ(edits, std::vector<std::string>{"3:bun"});
    EXPECT_EQ(grid.GetModel()->GetCell(0, 2), "bacon");
    EXPECT_EQ(grid.GetModel()->GetCell(0, 3), "bun");
    EXPECT_EQ(pressed, 0);
    EXPECT_TRUE(dialog.isVisible());
}

// The focus rectangle: drawn only with the option on and the grid focused, around the current row
// from x = 1 to the last column's cell edge, or to the client edge when the columns go beyond it.
TEST(GridFocusRow, DrawnAroundTheCurrentRowOfAFocusedGridWithTheOption)
{
    struct Case {
        const char* what;
        bool option;
        bool focused;
        int width;   // of the frame
    };
    const Case cases[] = {
        {"option off", false, true, 300},
        {"not focused", true, false, 300},
        {"to the last column", true, true, 300},
        {"to the client edge", true, true, 150},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QWidget window;
        window.resize(c.width, 160);
        TGridEdit grid(&window);
        grid.setGeometry(0, 0, c.width, 140);
        QLineEdit other(&window);   // takes the focus in the unfocused case
        other.setGeometry(0, 140, 60, 20);
        grid.AddColumn("名前", 120, true, true, 0);
        grid.AddColumn("価格", 80, false, true, 0);
        grid.GetModel()->SetRowCount(5);
        grid.SetDrawFocusSelected(c.option);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTableView* view = grid.GetStringGrid();
        view->setCurrentIndex(grid.GetModel()->index(2, 0));
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        if (c.focused) view->setFocus();
        else other.setFocus();
        QApplication::processEvents();
        ASSERT_EQ(view->hasFocus(), c.focused);
        const QImage image = view->viewport()->grab().toImage();
        const QRgb ink = grid.palette().color(QPalette::Text).rgb();
        auto dots = [&](int x0, int y0, int x1, int y1) {
            int count = 0;
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x) count += image.pixel(x, y) == ink ? 1 : 0;
            return count;
        };
        const int top = 2 * 16;
        const int bottom = top + 14;   // the row's cells end above its grid line
        const int right = std::min(120 + 80 - 2, view->viewport()->width() - 1);
        const bool drawn = c.option && c.focused;
        // Dotted lines: about every other pixel of each edge.
        EXPECT_EQ(dots(1, top, 1, bottom) >= 6, drawn) << "left";
        EXPECT_EQ(dots(60, top, right - 1, top) >= (right - 60) / 3, drawn) << "top";
        EXPECT_EQ(dots(60, bottom, right - 1, bottom) >= (right - 60) / 3, drawn) << "bottom";
        EXPECT_EQ(dots(right, top, right, bottom) >= 6, drawn) << "right";
        // Nothing around the other rows, nor right of the columns.
        EXPECT_EQ(dots(1, top - 16, 1, top - 2), 0);
        if (right < view->viewport()->width() - 2) {
            EXPECT_EQ(dots(right + 2, top, view->viewport()->width() - 1, bottom), 0);
        }
    }
}

// Cell texts drawn as laid out once look as drawText draws them: both alignments, both fonts, the
// selected rows in both colours, texts too wide for their cells, control characters, and rows lower
// than the line (fallback glyphs taller than the text rectangle are clipped to it).
TEST(GridCells, TextsLaidOutOnceLookAsShapedOnEachPaint)
{
    const std::vector<std::vector<std::string>> rows = {
        {"牛肉 ロース", "1,234", "Beef gjpqy", "12.5"},
        {"とても長い品目の名前はこの狭い列には入りきらない", "123,456,789,012", "Ågÿ Viandes assorties longues", "-0.75"},
        {"鶏肉\tもも", "", "a\tb", "7"},
        {"", "0", "W", "1,000,000"},
        {"豚 Porc", "38", " x ", "3"},
    };
    // The last: its last row cut by the view's foot.
    for (const auto& [focused, rowHeight, height] :
         {std::tuple{true, 0, 120}, std::tuple{false, 0, 120}, std::tuple{true, 13, 120}, std::tuple{false, 11, 120},
          std::tuple{true, 0, 90}}) {
        SCOPED_TRACE(std::string(focused ? "focused" : "not focused") + ", row height " + std::to_string(rowHeight) +
                     ", grid height " + std::to_string(height));
        QWidget window;
        window.resize(420, 140);
        TGridEdit grid(&window);
        grid.setGeometry(0, 0, 420, height);
        QLineEdit other(&window);
        other.setGeometry(0, 120, 60, 20);
        grid.AddColumn("名前", 110, true, true, 0);
        grid.AddColumn("価格", 60, false, true, 0);
        grid.AddColumn("Name", 90, true, false, 0);
        grid.AddColumn("Qty", 50, false, false, 0);
        if (rowHeight > 0) grid.SetDefaultRowHeight(rowHeight);
        grid.GetModel()->SetRowCount(static_cast<int>(rows.size()));
        for (int row = 0; row < static_cast<int>(rows.size()); ++row)
            for (int col = 0; col < 4; ++col) grid.GetModel()->SetCell(col, row, rows[row][col]);
        grid.OnGetRowSelected = [](TGridEdit*, int, int row, bool& selected) { selected = row == 1 || row == 4; };
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        if (focused) grid.GetStringGrid()->setFocus();
        else other.setFocus();
        QApplication::processEvents();
        QWidget* viewport = grid.GetStringGrid()->viewport();
        // The view alone, and in the window with what lies around it (the cut row's texts reach past
        // the view's foot there).
        const QRect around(0, 0, 420, height);
        const QImage laid = viewport->grab().toImage();
        const QImage laidAround = window.grab(around).toImage();
        grid.SetTextLaidOnce(false);
        const QImage shaped = viewport->grab().toImage();
        const QImage shapedAround = window.grab(around).toImage();
        ASSERT_FALSE(laid.isNull());
        EXPECT_EQ(laid, shaped);
        EXPECT_EQ(laidAround, shapedAround);
        grid.SetTextLaidOnce(true);
        EXPECT_EQ(viewport->grab().toImage(), shaped) << "drawn again from the cache";
        EXPECT_EQ(viewport->grab().toImage(), shaped) << "drawn a third time, texts copied from their kept pixels";
        for (int pass = 0; pass < 3; ++pass)
            EXPECT_EQ(window.grab(around).toImage(), shapedAround) << "in the window, pass " << pass;
    }
}

// The grid lines the view fills, and the cells it draws itself, lie where the table's own loop and
// pen draw them: in the whole view and in parts of it, scrolled, below the last row and right of the
// last column, with a hidden row and a selected cell.
TEST(GridCells, LinesAndCellsLieWhereTheTablesOwnLoopDrawsThem)
{
    for (const int width : {110, 40}) {
        SCOPED_TRACE("columns " + std::to_string(width) + " wide");
        QWidget window;
        window.resize(300, 150);
        TGridEdit grid(&window);
        grid.setGeometry(0, 0, 300, 150);
        for (int col = 0; col < 4; ++col) grid.AddColumn("列" + std::to_string(col), width, col % 2 == 0, true, 0);
        grid.GetModel()->SetRowCount(12);
        for (int row = 0; row < 12; ++row)
            for (int col = 0; col < 4; ++col) grid.GetModel()->SetCell(col, row, std::to_string(row * col));
        QTableView* view = grid.GetStringGrid();
        view->setRowHidden(2, true);
        view->setCurrentIndex(view->model()->index(5, 1));
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QWidget* viewport = view->viewport();
        const auto drawn = [&](const QRegion& region) {
            QImage image(viewport->size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::magenta);
            viewport->render(&image, QPoint(), region);
            return image;
        };
        for (const bool scrolled : {false, true}) {
            if (scrolled) {
                view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum());
                view->verticalScrollBar()->setValue(3);
                QApplication::processEvents();
            }
            for (const QRegion& region : {QRegion(viewport->rect()), QRegion(30, 20, 100, 50),
                                          QRegion(0, 0, 60, 30) + QRegion(150, 60, 100, 200)}) {
                const QImage filled = drawn(region);
                view->setGridStyle(Qt::SolidLine);
                const QImage stroked = drawn(region);
                view->setGridStyle(Qt::NoPen);
                EXPECT_TRUE(filled == stroked) << (scrolled ? "scrolled, " : "") << "region "
                                                << region.boundingRect().x() << "," << region.boundingRect().y();
            }
        }
    }
}

} // namespace

namespace {

using vkttest::ShownPixels;

// Made lower, the list does not repaint its header; made wider or narrower, the header shows what a
// full paint of it shows.
// Shown again and again in one state, the header is copied from the pixels kept of its own paint
// and shows what a full paint of it shows: a caption changed, a column wider, an image set, a
// column hidden, the window inactive.
TEST(GridHeader, CopiedFromItsKeptPixelsInEachState)
{
    QWidget window;
    window.resize(520, 300);
    auto* grid = new TGridEdit(&window);
    grid->setGeometry(20, 40, 460, 200); // away from the pointer
    std::vector<QPixmap> images(2, QPixmap(16, 16));
    images[0].fill(Qt::red);
    images[1].fill(Qt::darkGreen);
    grid->SetHeaderImages(&images);
    grid->AddColumn("名前", 120, true, true, 0);
    grid->AddColumn("価格", 80, false, true, 0);
    grid->AddColumn("単位", 80, true, true, 0);
    grid->GetModel()->SetRowCount(3);
    QLineEdit other(&window);
    other.setGeometry(0, 260, 60, 20);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QApplication::processEvents();
    QWidget* header = grid->GetHeaderControl()->viewport();
    QWidget inactive;
    const std::vector<std::pair<const char*, std::function<void()>>> states = {
        {"as made", [] {}},
        {"a caption changed", [&] {
             grid->ClearColumns();
             grid->AddColumn("品名", 120, true, true, 0);
             grid->AddColumn("価格", 80, false, true, 0);
             grid->AddColumn("単位", 80, true, true, 0);
         }},
        {"a column wider", [&] { grid->GetHeaderControl()->resizeSection(1, 140); }},
        {"an image set", [&] { grid->SetHeaderImage(0, 1); }},
        {"another image", [&] { grid->SetHeaderImage(0, 2); }},
        {"a column hidden", [&] { grid->GetStringGrid()->setColumnHidden(1, true); }},
        {"the window inactive", [&] {
             inactive.show();
             inactive.activateWindow();
             ASSERT_TRUE(QTest::qWaitForWindowActive(&inactive));
         }},
    };
    for (const auto& [state, change] : states) {
        change();
        QApplication::processEvents();
        const qsizetype copied = platform::KeptDraws();
        const auto settle = [] {
            for (int i = 0; i < 3; ++i) QApplication::processEvents();
        };
        for (int round = 0; round < 3; ++round) {
            grid->hide();
            settle();
            grid->show();
            settle();
            platform::SetKeepingPixels(false);
            const QImage drawn = header->grab().toImage().convertToFormat(QImage::Format_RGB32);
            platform::SetKeepingPixels(true);
            EXPECT_EQ(ShownPixels(header), drawn) << state << ", round " << round;
        }
        EXPECT_GE(platform::KeptDraws() - copied, 2) << state << ": copied";
    }
}

TEST(GridHeader, KeptWhenTheListIsMadeLowerAndRightWhenWidthChanges)
{
    QWidget window;
    window.resize(520, 420);
    TDataListView list(&window);
    list.AddColumn("名前", 120, true, true, 0);
    list.AddColumn("価格", 80, false, true, 0);
    for (int id = 101; id <= 160; ++id) list.AddRow(id);
    list.UpdateRows();
    list.resize(300, 400);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();
    QWidget* header = list.GetHeaderControl()->viewport();
    vkttest::PaintedRegion painted;
    header->installEventFilter(&painted);
    list.resize(300, 250);
    QApplication::processEvents();
    EXPECT_TRUE(painted.Painted.isEmpty());
    EXPECT_EQ(ShownPixels(header), header->grab().toImage().convertToFormat(QImage::Format_RGB32));
    for (const int width : {480, 260, 300}) {
        list.resize(width, 250);
        QApplication::processEvents();
        EXPECT_EQ(ShownPixels(header), header->grab().toImage().convertToFormat(QImage::Format_RGB32)) << width;
    }
}

} // namespace
