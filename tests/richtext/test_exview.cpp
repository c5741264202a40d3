// The edit control offscreen: keys and the input method, mouse selection, scrolling, read-only,
// the edit styles, text access, notifications and the clipboard between controls.
#include "richtext/Exview.h"
#include "support/RecordingCanvas.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class ExViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        canvas_.SetAdvance(10);
        SetMeasureCanvas(&canvas_);
        view_ = std::make_unique<TExView>();
        view_->resize(202, 102);   // a buffer of 200 × 100 inside the 1 px margin
        view_->SetWordWrap(true);
        view_->show();
        view_->setFocus();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        view_.reset();
        SetMeasureCanvas(nullptr);
    }
    TExTextCommand* Editor() const { return view_->GetEditor(); }
    std::string Text() const { return view_->GetText(); }
    void Keys(const QString& text) { QTest::keyClicks(view_->viewport(), text); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(view_.get(), key, mods); }
    void Commit(const QString& commit, const QString& preedit = QString())
    {
        QInputMethodEvent e(preedit, {});
        e.setCommitString(commit);
        QApplication::sendEvent(view_.get(), &e);
    }
    // A client point of a document point.
    QPoint At(int x, int y) const { return QPoint(x + 1, y + 1 - Editor()->GetTopPixel()); }

    vkttest::RecordingCanvas canvas_;
    std::unique_ptr<TExView> view_;
};

TEST_F(ExViewTest, KeysAndInputMethodReachTheDocument)
{
    Keys("ab");
    Key(Qt::Key_Return);
    Commit("日本語");
    EXPECT_EQ(Text(), "ab\r\n日本語\r\n");
    Commit(QString(), "にほ");   // an open composition stays out of the document and the log
    EXPECT_EQ(view_->GetPreedit(), "にほ");
    EXPECT_EQ(Text(), "ab\r\n日本語\r\n");
    const int records = Editor()->GetHistorys()->Count();
    Commit("語");
    EXPECT_TRUE(view_->GetPreedit().isEmpty());
    EXPECT_EQ(Editor()->GetHistorys()->Count(), records);   // typing on at the caret joins the record
    EXPECT_EQ(static_cast<QWidget*>(view_.get())->inputMethodQuery(Qt::ImCursorRectangle).toRect().height(), 14);

    Key(Qt::Key_Left, Qt::ShiftModifier);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Text(), "ab\r\n日本語\r\n");
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Text(), "ab\r\n日本語語\r\n");
    Key(Qt::Key_Tab);   // the tab stays in the control
    EXPECT_TRUE(view_->hasFocus());
}

TEST_F(ExViewTest, MouseSelectsAndScrolls)
{
    view_->SetText("abcdefgh ijk\r\nline2\r\nline3\r\nline4\r\nline5\r\nline6\r\nline7\r\nline8\r\nline9");
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, At(22, 5));
    EXPECT_EQ(Editor()->GetCaret(), 2);
    QTest::mouseDClick(view_->viewport(), Qt::LeftButton, {}, At(22, 5));
    QTest::mouseRelease(view_->viewport(), Qt::LeftButton, {}, At(22, 5));   // the release selects the word
    EXPECT_EQ(Editor()->GetSelInfo().GetTopPosition(), 0);
    EXPECT_EQ(Editor()->GetSelInfo().GetBottomPosition(), 8);

    // Dragging below the control keeps selecting every 50 ms until the button is released.
    QTest::mousePress(view_->viewport(), Qt::LeftButton, {}, At(5, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(10, 150), QPointF(10, 150), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(view_->viewport(), &move);
    QTest::qWait(300);
    EXPECT_GT(Editor()->GetTopPixel(), 0);
    QTest::mouseRelease(view_->viewport(), Qt::LeftButton, {}, QPoint(10, 150));
    const int length = Editor()->GetSelInfo().GetSelLength();
    EXPECT_GT(length, 20);
    QTest::qWait(120);
    EXPECT_EQ(Editor()->GetSelInfo().GetSelLength(), length);

    // The bar's line steps move one row; Ctrl+Down and Ctrl+Up move the view, not the caret.
    Editor()->SetCaret(0);
    Editor()->VisibleCaret();
    EXPECT_EQ(Editor()->GetTopPixel(), 0);
    view_->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(Editor()->GetTopLineInfo().Row, 1);
    EXPECT_EQ(view_->GetDocTop(), Editor()->GetTopPixel());
    view_->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(Editor()->GetTopLineInfo().Row, 0);
    Key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(Editor()->GetTopLineInfo().Row, 1);
    Key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(Editor()->GetTopLineInfo().Row, 0);
    EXPECT_EQ(Editor()->GetCaret(), 0);
    Key(Qt::Key_PageDown);
    EXPECT_GT(Editor()->GetTopLineInfo().Row, 0);
}

TEST_F(ExViewTest, ReadOnlyPassesOnlyCopy)
{
    view_->SetText("abc");
    Editor()->SelectAll();
    view_->SetReadOnly(true);
    QApplication::clipboard()->clear();
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "abc");
    const int caret = Editor()->GetCaret();
    Key(Qt::Key_Left);
    Keys("x");
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Editor()->GetCaret(), caret);
    EXPECT_EQ(Text(), "abc\r\n");
    view_->SetEditStyle(evsSingleEdit);   // refused while read-only
    EXPECT_EQ(view_->GetEditStyle(), evsRichEdit);
}

TEST_F(ExViewTest, EditStylesAndText)
{
    struct Case {
        TEVStyle style;
        TEVOptions on;
        TEVOptions off;
        TSCScrollStyle bars;
        std::string text;
    };
    const TEVOptions rich = EVOption(evoRichFormat) | EVOption(evoLeftAcrossLines);
    const Case cases[] = {
        {evsRichEdit, rich, EVOption(evoFixedFont) | EVOption(evoWordParse) | EVOption(evoLineTailSpacing), scsVertical,
         "abc\r\n"},
        {evsMultiEdit, EVOption(evoFixedFont) | EVOption(evoWordParse) | EVOption(evoLineTailSpacing), rich,
         scsVertical, "abc\r\n"},
        {evsSingleEdit, EVOption(evoSingleLine) | EVOption(evoWordParse),
         rich | EVOption(evoWordWrap) | EVOption(evoLineTailSpacing), scsNone, "abc"},
    };
    for (const Case& c : cases) {
        view_->SetText("old");
        Keys("x");
        view_->SetEditStyle(c.style);   // discards the content and the log
        EXPECT_TRUE(view_->IsEmpty() || view_->GetText().empty() || view_->GetText() == "\r\n") << c.style;
        EXPECT_FALSE(view_->GetCanUndo());
        const TEVOptions options = view_->GetEditOption();
        EXPECT_EQ(options & c.on, c.on) << c.style;
        EXPECT_EQ(options & c.off, 0) << c.style;
        EXPECT_EQ(view_->GetScrollStyle(), c.bars) << c.style;
        view_->SetText("abc");
        EXPECT_EQ(view_->GetText(), c.text) << c.style;
        EXPECT_EQ(view_->GetWideText(), QString::fromStdString(c.text).toStdU16String());
    }
    view_->SetEditOption(view_->GetEditOption() | EVOption(evoEuroText));
    EXPECT_TRUE(Editor()->GetText()->GetEuroText());
}

TEST_F(ExViewTest, NotifiersAndOnChange)
{
    int changes = 0;
    std::vector<int> heard;
    view_->OnChange = [&](TExView*) { ++changes; };
    view_->AddChangeNotifer([&](TExView*) { heard.push_back(1); });
    view_->AddChangeNotifer([&](TExView*) { heard.push_back(2); });
    view_->SetText("abc");
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(heard.empty());
    Keys("x");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(heard, (std::vector<int>{1, 2}));
    Key(Qt::Key_Left);   // a caret move reaches only the notifiers
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(heard.size(), 4u);
    view_->DeleteChangeNotifer(0);
    heard.clear();
    Key(Qt::Key_Right);
    EXPECT_EQ(heard, (std::vector<int>{2}));
}

TEST_F(ExViewTest, ClipboardBetweenControls)
{
    Keys("plain ");
    TExStyle bold;
    bold.Invisible().Bold = 1;
    view_->SetStyle(bold);
    Commit("太字");
    Editor()->SelectAll();
    view_->CopyToClipboard();

    TExView other;
    other.resize(202, 102);
    other.show();
    other.setFocus();
    other.PasteFromClipboard();
    EXPECT_EQ(other.GetText(), "plain 太字\r\n");
    const TExWord* last = other.GetEditor()->GetText()->GetLastWord()->GetPrevWord();
    EXPECT_EQ(last->GetText(), "太字");
    EXPECT_EQ(last->GetStyle().Bold, 1);

    QLineEdit line;
    line.paste();
    EXPECT_EQ(line.text(), "plain 太字");
}

TEST_F(ExViewTest, BufferShowsTextAndSelection)
{
    view_->SetText("abc");
    const QImage before = view_->GetBuffer();
    Editor()->SelectAll();
    EXPECT_NE(view_->GetBuffer(), before);   // a selection redraws the buffer
    Editor()->EndSelection();
    const QImage plain = view_->GetBuffer();
    Key(Qt::Key_Right);   // a caret move without a selection does not
    EXPECT_EQ(view_->GetBuffer(), plain);

    // The buffer is drawn when painted: texts set while hidden show as the last one set.
    view_->clearFocus();
    const auto painted = [this] { return view_->viewport()->grab().toImage(); };
    const QImage abc = painted();
    view_->hide();
    view_->SetText("xyz");
    view_->show();
    const QImage xyz = painted();
    EXPECT_NE(xyz, abc);
    view_->hide();
    view_->SetText("abc");
    view_->SetText("xyz");
    view_->show();
    EXPECT_EQ(painted(), xyz);
    view_->SetText("abc");
    EXPECT_EQ(painted(), abc);
}

} // namespace

// Two single-line fields and a line edit in one window, the way a form holds them.
class SingleLineFields : public ::testing::Test {
protected:
    void SetUp() override
    {
        canvas_.SetAdvance(10);
        SetMeasureCanvas(&canvas_);
        for (TExView* field : {&first, &second}) {
            field->setParent(&window);
            field->SetEditStyle(evsSingleEdit);
            field->resize(202, 24);
        }
        second.move(0, 30);
        line.setParent(&window);
        line.move(0, 60);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        first.setFocus(Qt::OtherFocusReason);
        first.SetText("名称");
    }
    void TearDown() override { SetMeasureCanvas(nullptr); }
    static void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, mods);
    }

    vkttest::RecordingCanvas canvas_;
    QWidget window;
    TExView first;
    TExView second;
    QLineEdit line;
};

TEST_F(SingleLineFields, TabMovesTheFocusAndTypesNothing)
{
    Key(Qt::Key_End);
    Key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), &second);
    EXPECT_EQ(first.GetText(), "名称");
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), &first);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), &line);
    EXPECT_TRUE(second.GetText().empty());
    first.setFocus(Qt::OtherFocusReason);
    Key(Qt::Key_Tab, Qt::ControlModifier);   // not a focus move, and not a tab either
    EXPECT_EQ(first.GetText(), "名称");

    // A field that asks for the tab key keeps it.
    first.SetOption(first.GetOption() | scoWantTabs);
    Key(Qt::Key_End);
    Key(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), &first);
    const std::string typed = first.GetText();
    EXPECT_NE(typed, "名称");
    // It is left by Ctrl+Tab forwards, by Shift+Tab and Ctrl+Shift+Tab backwards, typing nothing.
    const struct { Qt::Key key; Qt::KeyboardModifiers modifiers; QWidget* to; } leaves[] = {
        {Qt::Key_Tab, Qt::ControlModifier, &second},
        {Qt::Key_Backtab, Qt::ShiftModifier, &line},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, &line}};
    for (const auto& leave : leaves) {
        first.setFocus(Qt::OtherFocusReason);
        Key(leave.key, leave.modifiers);
        EXPECT_EQ(QApplication::focusWidget(), leave.to) << leave.modifiers.toInt();
        EXPECT_EQ(first.GetText(), typed);
    }
}

TEST_F(SingleLineFields, AMaximumLengthHoldsTypingCommitsAndPastes)
{
    first.SetMaxLength(6);
    Key(Qt::Key_End);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("あいう"));
    QApplication::sendEvent(&first, &commit);   // 4 bytes held, 2 left: one double-byte character
    EXPECT_EQ(first.GetText(), "名称あ");
    QTest::keyClicks(&first, "x");
    EXPECT_EQ(first.GetText(), "名称あ");
    // A selection gives its bytes back; a paste is cut on a character boundary.
    first.GetEditor()->SelectAll();
    QApplication::clipboard()->setText(QStringLiteral("ab魚🐟cd"));
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(first.GetText(), "ab魚🐟c");
    first.SetText("長すぎる名前です");   // loading is not cut
    EXPECT_EQ(first.GetText(), "長すぎる名前です");
}

// A screen reader reads the text with "\n" paragraph ends and UTF-16 offsets, the caret and the
// selection, and sets them: the editor counts a double-byte character as two units and a paragraph
// end as two.
TEST_F(ExViewTest, AScreenReaderReadsAndSetsTextCaretAndSelection)
{
    Keys("ab");
    Key(Qt::Key_Return);
    Commit(QStringLiteral("漢🐟字"));
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(view_.get());
    ASSERT_TRUE(iface);
    EXPECT_EQ(iface->role(), QAccessible::EditableText);
    EXPECT_TRUE(iface->state().multiLine);
    EXPECT_TRUE(iface->state().editable);
    QAccessibleTextInterface* text = iface->textInterface();
    ASSERT_TRUE(text);
    const QString whole = QStringLiteral("ab\n漢🐟字");
    EXPECT_EQ(text->characterCount(), whole.size());
    EXPECT_EQ(text->text(0, text->characterCount()), whole);
    EXPECT_EQ(iface->text(QAccessible::Value), whole);
    EXPECT_EQ(text->cursorPosition(), whole.size());

    // After the fish (a surrogate pair): typing lands there.
    text->setCursorPosition(6);
    EXPECT_EQ(text->cursorPosition(), 6);
    Keys("y");
    EXPECT_EQ(text->text(0, text->characterCount()), QStringLiteral("ab\n漢🐟y字"));
    // Between the paragraph end and 漢.
    text->setCursorPosition(3);
    Keys("z");
    EXPECT_EQ(text->text(0, text->characterCount()), QStringLiteral("ab\nz漢🐟y字"));

    EXPECT_EQ(text->selectionCount(), 0);
    text->setSelection(0, 1, 5);
    int start = -1, end = -1;
    text->selection(0, &start, &end);
    EXPECT_EQ(text->selectionCount(), 1);
    EXPECT_EQ(start, 1);
    EXPECT_EQ(end, 5);
    EXPECT_EQ(text->cursorPosition(), 5);

    QAccessibleEditableTextInterface* edit = iface->editableTextInterface();
    ASSERT_TRUE(edit);
    edit->deleteText(1, 5);
    edit->insertText(1, QStringLiteral("c\nd"));
    EXPECT_EQ(text->text(0, text->characterCount()), QStringLiteral("ac\nd🐟y字"));
    EXPECT_EQ(view_->GetText(), "ac\r\nd🐟y字\r\n");

    view_->SetReadOnly(true);
    EXPECT_FALSE(iface->editableTextInterface());
    EXPECT_TRUE(iface->state().readOnly);
}

TEST_F(SingleLineFields, AScreenReaderReadsANameFieldAsOneLine)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&first);
    ASSERT_TRUE(iface && iface->textInterface());
    EXPECT_FALSE(iface->state().multiLine);
    EXPECT_EQ(iface->textInterface()->text(0, iface->textInterface()->characterCount()), QStringLiteral("名称"));
    first.GetEditor()->SetCaret(2);   // after 名: two units
    EXPECT_EQ(iface->textInterface()->cursorPosition(), 1);
}
