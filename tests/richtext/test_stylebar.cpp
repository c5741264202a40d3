// The formatting tool bar over a view: what it shows of a mixed selection, the field each control
// sends, the underline and strike kinds, and its enabling.
#include "richtext/Fexstylebar.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Fupdownedit.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class StyleBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        view_.resize(300, 100);
        view_.SetWordWrap(true);
        view_.SetText("abcd");
        bar_.SetExView(&view_);
    }
    TExTextCommand* Editor() { return view_.GetEditor(); }
    const TExWord* Word(int i) { return Editor()->GetText()->GetPages(0)->GetLines(0)->GetWords(i); }

    TExView view_;
    TExStyleBar bar_;
};

TEST_F(StyleBarTest, ViewChangeShowsMixedSelections)
{
    Editor()->SetCaret(0);
    Editor()->BeginSelection();
    Editor()->SetCaret(2);
    TExStyle big;
    big.Invisible().Size = 200;
    big.Bold = 1;
    view_.SetStyle(big);
    Editor()->SelectAll();
    EXPECT_EQ(bar_.GetFontSize()->GetValue(), 100);   // mixed sizes show 10 pt
    EXPECT_FALSE(bar_.Action("ActBold")->isChecked());
    Editor()->EndSelection();
    Editor()->SetCaret(1);
    EXPECT_EQ(bar_.GetFontSize()->GetValue(), 200);
    EXPECT_TRUE(bar_.Action("ActBold")->isChecked());
}

TEST_F(StyleBarTest, EachControlSendsItsField)
{
    Editor()->SelectAll();
    const TExStyle before = Word(0)->GetStyle();
    bar_.Action("ActItalic")->trigger();
    TExStyle expected = before;
    expected.Italic = 1;
    EXPECT_EQ(Word(0)->GetStyle(), expected);

    bar_.GetHighlightList()->SetColor(platform::RgbColor(255, 255, 0));
    bar_.StyleChange(bar_.GetHighlightList());
    EXPECT_GT(Word(0)->GetStyle().Highlight, 0);
    bar_.GetHighlightList()->SetColor(view_.GetColor());   // the background colour removes it
    bar_.StyleChange(bar_.GetHighlightList());
    EXPECT_EQ(Word(0)->GetStyle().Highlight, 0);

    // A menu kind underlines in the text colour and presses the button; the button releases it.
    QAction* kind5 = bar_.GetUnderlineMenu()->actions().at(5);
    bar_.ULStyleClick(kind5);
    EXPECT_EQ(Word(0)->GetStyle().Underline, 5);
    EXPECT_EQ(Word(0)->GetStyle().ULColor, Word(0)->GetStyle().Color);
    EXPECT_TRUE(bar_.GetUnderlineButton()->isChecked());
    bar_.GetUnderlineButton()->click();
    EXPECT_EQ(Word(0)->GetStyle().Underline, 0);
    bar_.GetUnderlineButton()->click();   // the menu now shows "(なし)": kind 1
    EXPECT_EQ(Word(0)->GetStyle().Underline, 1);
    bar_.SOStyleClick(bar_.GetStrikeoutMenu()->actions().at(0));   // "(なし)" checked
    bar_.GetStrikeoutButton()->click();
    EXPECT_EQ(Word(0)->GetStyle().Strike, 1);

    bar_.Action("ActCenterAlign")->trigger();
    EXPECT_EQ(Editor()->GetText()->GetPages(0)->GetLines(0)->GetParaStyle().Align, 1);
}

TEST_F(StyleBarTest, Enabling)
{
    bar_.ActionListUpdate();
    EXPECT_TRUE(bar_.Action("ActLeftAlign")->isEnabled());
    EXPECT_FALSE(bar_.Action("ActCopy")->isEnabled());
    view_.SetWordWrap(false);
    Editor()->SelectAll();
    bar_.ActionListUpdate();
    EXPECT_FALSE(bar_.Action("ActLeftAlign")->isEnabled());
    EXPECT_TRUE(bar_.Action("ActCopy")->isEnabled());
    bar_.SetExView(nullptr);
    EXPECT_EQ(view_.GetChangeNotiferCount(), 0);
    for (const char* name : {"ActCopy", "ActBold", "ActFind", "ActUndo"})
        EXPECT_FALSE(bar_.Action(name)->isEnabled()) << name;
    EXPECT_FALSE(bar_.GetFontSize()->isEnabled());
}

} // namespace
