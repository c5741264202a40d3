// The CSV grid editor and its frame with widgets: typing and the edit keys, the merge of one cell's
// edits, operations through DoCanChange/DoChange, loading errors that change nothing, a block
// copied between two grids under the private format only, colours and the header by pixels, and
// the frame's buttons with their enabling rules.
#include <gtest/gtest.h>

#include "dialogs/Fcsvedit.h"
#include "dialogs/Fcsveditor.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "support/ScriptedServices.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include <string>
#include <vector>

namespace {

class CsvEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        window.resize(400, 300);
        edit = new TCsvEdit(&window);
        edit->setGeometry(0, 0, 400, 300);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->SetFixedRows(1);
        edit->SetCSV("a,b,c\r\nd,e,f\r\n");
        edit->SetCell(0, 0, "名称");
        edit->SetCurrent(0, 1);
        edit->GetStringGrid()->setFocus();
        QApplication::processEvents();
    }
    QLineEdit* Editor() { return edit->GetEditor(); }
    void Type(const char* text) { QTest::keyClicks(Editor(), QString::fromUtf8(text)); }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(Editor(), key, modifiers); }

    QWidget window;
    TCsvEdit* edit = nullptr;
};

TEST_F(CsvEditTest, TypingCommitsOnEnterAndMovesNeverInsertABreak)
{
    ASSERT_TRUE(Editor()->isVisible());
    Editor()->selectAll();
    Type("xy");
    EXPECT_EQ(edit->GetCell(0, 1), "a") << "not committed while typing";
    Key(Qt::Key_Return);
    EXPECT_EQ(edit->GetCell(0, 1), "xy");
    Type("z");
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(edit->GetCell(0, 1), "xyz");
    EXPECT_EQ(edit->Core().History().GetCount(), 1) << "one cell's edits merge";
    EXPECT_EQ(edit->GetRow(), 1);

    Type("!!");
    Key(Qt::Key_Escape);
    EXPECT_EQ(Editor()->text(), "xyz");
    Key(Qt::Key_Down);
    EXPECT_EQ(edit->GetRow(), 2);
    EXPECT_EQ(edit->GetCell(0, 1), "xyz");

    // Tab commits and moves right.
    Editor()->selectAll();
    Type("q");
    Key(Qt::Key_Tab);
    EXPECT_EQ(edit->GetCell(0, 2), "q");
    EXPECT_EQ(edit->GetCol(), 1);
    EXPECT_EQ(edit->GetCSV(), "xyz,b,c\r\nq,e,f\r\n");

    // Back to the first cell, another edit: one record, undone to the text it was taken up with.
    edit->SetCurrent(0, 1);
    Type("+");
    edit->Undo();
    EXPECT_EQ(edit->GetCell(0, 1), "xyz");
    EXPECT_EQ(edit->GetCell(0, 2), "q");
}

// Tab moves between cells; Ctrl+Tab commits and leaves the table for the control after it, and
// Ctrl+Shift+Tab for the one before it.
TEST_F(CsvEditTest, CtrlTabLeavesTheTable)
{
    auto* before = new QPushButton(QStringLiteral("before"), &window);
    auto* after = new QPushButton(QStringLiteral("after"), &window);
    QWidget::setTabOrder(before, edit->GetStringGrid());
    QWidget::setTabOrder(edit->GetStringGrid(), after);
    before->show();
    after->show();
    edit->GetStringGrid()->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(Editor()->isVisible());
    Editor()->selectAll();
    Type("k");
    Key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), after);
    EXPECT_EQ(edit->GetCell(0, 1), "k");
    EXPECT_EQ(edit->GetCol(), 0) << "no cell move";
    edit->GetStringGrid()->setFocus();
    QApplication::processEvents();
    Key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), before);
}

TEST_F(CsvEditTest, ACellTakenUpByAClickOrAKeyIsReplacedByTyping)
{
    QTableView* view = edit->GetStringGrid();
    const auto click = [&](int col, int row) {   // rows of the grid: the fixed one is row 0
        const QRect cell = view->visualRect(view->model()->index(row - 1, col));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    };
    click(1, 1);
    Type("24");
    Key(Qt::Key_Return);
    click(0, 2);
    Type("144.8");
    Key(Qt::Key_Return);
    EXPECT_EQ(edit->GetCSV(), "a,24,c\r\n144.8,e,f\r\n");
    // A click in the open editor places the caret.
    QTest::mouseClick(Editor(), Qt::LeftButton, {}, QPoint(1, Editor()->height() / 2));
    Type("1");
    Key(Qt::Key_Up);   // a key move takes the cell up selected as well; Right leaves it whole
    Key(Qt::Key_Right);
    Type("9");
    Key(Qt::Key_Return);
    EXPECT_EQ(edit->GetCSV(), "a,9,c\r\n1144.8,e,f\r\n");
    // F2 edits the cell's text from its end; the next cell moved to is replaced again.
    click(2, 1);
    Key(Qt::Key_F2);
    Type("d");
    Key(Qt::Key_Down);
    Type("g");
    Key(Qt::Key_Return);
    EXPECT_EQ(edit->GetCSV(), "a,9,cd\r\n1144.8,e,g\r\n");
}

TEST_F(CsvEditTest, OperationsAskFirstAndReportTheirKind)
{
    std::vector<int> asked, changed;
    bool allow = true;
    edit->OnCanChange = [&](TCsvEdit*, int kind, bool& ok) {
        asked.push_back(kind);
        ok = allow;
    };
    edit->OnChange = [&](TCsvEdit*, int kind) { changed.push_back(kind); };
    allow = false;
    edit->DeleteRow();
    EXPECT_EQ(edit->GetRowCount(), 3);
    allow = true;
    Editor()->selectAll();
    Type("open");   // an open edit is committed before the operation
    edit->InsertCol();
    EXPECT_EQ(edit->GetCSV(), ",open,b,c\r\n,d,e,f\r\n");
    EXPECT_EQ(edit->GetCell(1, 0), "名称") << "the header moves with its column";
    edit->MoveColLeft();   // current is column 0: the bound fails, nothing reported
    edit->Undo();
    edit->Undo();
    EXPECT_EQ(edit->GetCSV(), "a,b,c\r\nd,e,f\r\n");
    EXPECT_EQ(asked, (std::vector<int>{6, 1, 4}));
    EXPECT_EQ(changed, (std::vector<int>{1, 2})) << "the edit's kind 11 is not reported";
}

TEST_F(CsvEditTest, FailedLoadChangesNothing)
{
    const std::string folder = vkttest::NewTempFolder("csvedit");
    platform::WriteFileAtomic(folder + "/bad.csv", "\xEF\xBB\xBF" "x\n\"open");
    Editor()->selectAll();
    Type("t");
    Key(Qt::Key_Return);
    EXPECT_THROW(edit->LoadFromFile(folder + "/bad.csv"), platform::FileError);
    EXPECT_EQ(edit->GetCSV(), "t,b,c\r\nd,e,f\r\n");
    EXPECT_TRUE(edit->CanUndo());
    EXPECT_EQ(edit->GetEncoding(), TCsvEncoding::Sjis);

    platform::WriteFileAtomic(folder + "/good.csv", "\xEF\xBB\xBF" "crème,\"a b\"\n");
    edit->LoadFromFile(folder + "/good.csv");
    EXPECT_EQ(edit->GetEncoding(), TCsvEncoding::Utf8);
    EXPECT_FALSE(edit->CanUndo());
    EXPECT_EQ(edit->GetCell(0, 0), "名称");
    edit->SaveToFile(folder + "/out.csv");
    EXPECT_EQ(platform::ReadFileBytes(folder + "/out.csv"), "\xEF\xBB\xBF" "crème,\"a b\"\r\n");

    // Named, the encoding reads the file; a save the code page cannot carry makes it UTF-8.
    platform::WriteFileAtomic(folder + "/latin.csv", "Cr\xE8me,a b\r\n");
    edit->LoadFromFile(folder + "/latin.csv", TCsvEncoding::Sjis);
    EXPECT_EQ(edit->GetEncoding(), TCsvEncoding::Sjis);
    EXPECT_EQ(edit->GetCell(0, 1), "Cr鑪e");
    edit->LoadFromFile(folder + "/latin.csv");
    EXPECT_EQ(edit->GetEncoding(), TCsvEncoding::Cp1252);
    EXPECT_EQ(edit->GetCell(1, 1), "a b");
    edit->SetCell(1, 1, "鶏");
    edit->SaveToFile(folder + "/out.csv");
    EXPECT_EQ(edit->GetEncoding(), TCsvEncoding::Utf8);
    EXPECT_EQ(platform::ReadFileBytes(folder + "/out.csv"), "\xEF\xBB\xBF" "Crème,鶏\r\n");
}

TEST_F(CsvEditTest, ShiftBlockCopiesBetweenGridsUnderThePrivateFormatOnly)
{
    edit->SetCurrent(1, 1);
    edit->SetCurrent(2, 2, true);
    Key(Qt::Key_C, Qt::ControlModifier);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->formats(), QStringList{"Csv"});
    EXPECT_EQ(data->data("Csv").toStdString(), "b,c\r\ne,f\r\n");

    TCsvEdit other(&window);
    other.setGeometry(0, 0, 300, 200);
    other.SetCSV("1,2,3\r\n4,5,6\r\n7,8,9\r\n");
    other.SetCurrent(2, 1);
    other.GetStringGrid()->setFocus();
    QApplication::processEvents();
    QTest::keyClick(other.GetEditor(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(other.GetCSV(), "1,2,3\r\n4,5,b\r\n7,8,e\r\n") << "clipped at the last column";
    other.Undo();
    EXPECT_EQ(other.GetCell(2, 2), "9");

    // Without a block Ctrl+C is the line editor's copy of its text.
    edit->SetCurrent(0, 1);
    Editor()->selectAll();
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "a");
}

TEST_F(CsvEditTest, ColoursAndHeaderByPixels)
{
    edit->SetColWidth(0, 80);
    edit->SetCurrent(1, 1);
    edit->GetStringGrid()->clearFocus();
    window.setFocus();
    QApplication::processEvents();
    const QImage image = edit->GetStringGrid()->grab().toImage();
    QTableView* view = edit->GetStringGrid();
    auto pixel = [&](int col, int row) {
        const QRect rect = view->visualRect(view->model()->index(row, col));
        const QPoint at = view->viewport()->mapTo(view, rect.bottomRight() - QPoint(3, 3));
        return image.pixelColor(at);
    };
    EXPECT_EQ(pixel(1, 1), TCsvEdit::CurrentColColor()) << "same column";
    EXPECT_EQ(pixel(0, 0), TCsvEdit::CurrentRowColor()) << "same row";
    EXPECT_EQ(pixel(1, 0), view->palette().color(QPalette::Highlight)) << "current cell";
    EXPECT_EQ(pixel(2, 1), view->palette().color(QPalette::Base));
    const QHeaderView* header = view->horizontalHeader();
    ASSERT_TRUE(header->isVisible());
    EXPECT_EQ(header->model()->headerData(0, Qt::Horizontal).toString(), "名称");
    EXPECT_EQ(image.pixelColor(header->sectionPosition(0) + 40, header->height() - 3),
              header->palette().color(QPalette::Button));
    EXPECT_EQ(view->rowHeight(0), TCsvEdit::kRowHeight);
}

TEST_F(CsvEditTest, DragAutoScrollStepsByTheEdges)
{
    std::string text;
    for (int row = 0; row < 40; ++row) text += "a,b,c,d,e,f,g,h,i,j,k,l\r\n";
    edit->SetCSV(text);
    edit->SetCurrent(0, 1);
    QTableView* view = edit->GetStringGrid();
    const int width = view->viewport()->width();
    const int height = view->viewport()->height();
    auto left = [&] { return view->horizontalScrollBar()->value(); };
    auto top = [&] { return view->verticalScrollBar()->value() + 1; };   // grid rows: below the fixed one

    edit->AutoScroll({width + 20, 50});   // far right: three columns
    EXPECT_EQ(left(), 3);
    EXPECT_EQ(edit->GetCol(), std::min(3 + width / 64, 11));
    edit->AutoScroll({width - 2, 50});    // at the edge: one
    EXPECT_EQ(left(), 4);
    edit->AutoScroll({2, 50});            // left edge: one back, the first visible column current
    EXPECT_EQ(left(), 3);
    EXPECT_EQ(edit->GetCol(), 3);
    edit->AutoScroll({-20, 50});          // far left, but three back needs LeftCol > 3: one
    EXPECT_EQ(left(), 2);
    EXPECT_EQ(edit->GetCol(), 2);
    edit->AutoScroll({50, height + 20});  // far below: three rows
    EXPECT_EQ(top(), 4);
    EXPECT_EQ(edit->GetRow(), std::min(4 + height / TCsvEdit::kRowHeight, 40));
    edit->AutoScroll({50, 2});
    EXPECT_EQ(top(), 3);
    EXPECT_EQ(edit->GetRow(), 3);
    edit->AutoScroll({50, 100});          // inside: nothing
    EXPECT_EQ(top(), 3);
    EXPECT_EQ(left(), 2);
}

TEST(CsvEditorFrame, ButtonsRunTheOperationsAndFollowTheRules)
{
    vkttest::Scripted().Reset();
    TCsvEditor editor;
    editor.show();
    TCsvEdit* edit = editor.GetCsvEdit();
    edit->SetCSV("a,b\r\nc,d\r\n");
    const char* names[] = {"BtnLoad",      "BtnSave",      "BtnUpRow",      "BtnDownRow",   "BtnColRight",
                           "BtnColLeft",   "BtnInsertRow", "BtnInsertCol",  "BtnInsertCell", "BtnDeleteRow",
                           "BtnDeleteCol", "BtnDeleteCell", "BtnUndo",      "BtnRedo"};
    int top = -1;
    for (const char* name : names) {
        QPushButton* button = editor.Button(name);
        ASSERT_NE(button, nullptr) << name;
        EXPECT_GT(button->y(), top) << name;
        EXPECT_EQ(button->width(), 113);
        EXPECT_EQ(button->x() + button->width(), editor.width());
        top = button->y();
    }
    editor.UpdateButtons();
    EXPECT_FALSE(editor.GetBtnUndo()->isEnabled());
    EXPECT_FALSE(editor.GetBtnSave()->isEnabled());

    const struct {
        const char* button;
        const char* csv;
    } steps[] = {
        {"BtnDownRow", "c,d\r\na,b\r\n"},    {"BtnColRight", "d,c\r\nb,a\r\n"},
        {"BtnInsertRow", "d,c\r\n\r\nb,a\r\n"}, {"BtnDeleteRow", "d,c\r\nb,a\r\n"},
        {"BtnColLeft", "c,d\r\na,b\r\n"},    {"BtnInsertCell", "c,d\r\n,a\r\n"},
        {"BtnDeleteCell", "c,d\r\na\r\n"},
    };
    for (const auto& step : steps) {
        editor.Button(step.button)->click();
        EXPECT_EQ(edit->GetCSV(), step.csv) << step.button;
        EXPECT_EQ(vkttest::Scripted().busyDepth, 0);
    }
    EXPECT_TRUE(editor.GetBtnUndo()->isEnabled());
    EXPECT_TRUE(editor.GetBtnSave()->isEnabled());
    for (std::size_t i = 0; i < std::size(steps); ++i) editor.GetBtnUndo()->click();
    EXPECT_EQ(edit->GetCSV(), "a,b\r\nc,d\r\n");
    EXPECT_FALSE(editor.GetBtnUndo()->isEnabled());
    EXPECT_FALSE(editor.GetBtnSave()->isEnabled());
    EXPECT_TRUE(editor.GetBtnRedo()->isEnabled());
    editor.GetBtnRedo()->click();
    EXPECT_EQ(edit->GetCSV(), "c,d\r\na,b\r\n");
}

} // namespace
