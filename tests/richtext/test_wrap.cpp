// Wrapping, hit-testing and the position records on fixed metrics: entry 0 is 14 px high
// (ascent 12, descent 2, rows of 16 px) and a half-width character advances 10 px.
#include "DocumentFixture.h"
#include "richtext/Uextextdrawer.h"
#include "support/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

class WrapTest : public DocumentFixture {
protected:
    void SetUp() override
    {
        DocumentFixture::SetUp();
        doc_.SetWordWrap(true);
        doc_.SetWrapWidth(100);
    }
    TExLine* Line(int page, int line) { return doc_.GetPages(page)->GetLines(line); }
    // Character counts of the rows of a line, "9 9 4".
    std::string Rows(const TExLine* line)
    {
        std::string out;
        for (int r = 0; r < line->GetLineWrapCount(); ++r)
            out += (r ? " " : "") + std::to_string(line->GetLineWrapCharCount(r));
        return out;
    }
};

TEST_F(WrapTest, BreakRules)
{
    struct Case {
        std::string text;
        int width;
        std::string rows;
    };
    const Case cases[] = {
        {"aaaaaaaaaaaaaaaaaaaa", 100, "9 9 4"},   // the tenth character would reach 100
        {"ああああああ", 100, "8 6"},              // 2-unit characters of 20 px
        {"ab", 5, "1 3"},                         // the first character never moves alone
        {"aaaaaaaa\tbb", 100, "8 5"},             // a tab passing the limit opens a row
        {"aaaaaaaaaaaa", 0, "14"},                // no width: no breaks
    };
    for (const Case& c : cases) {
        Load(c.text);
        doc_.SetWrapWidth(c.width);
        EXPECT_EQ(Rows(Line(0, 0)), c.rows) << c.text;
    }
    TExLightText broken;   // a line break opens a row
    broken.AddWord("ab", kWordText);
    broken.AddWord("", kWordLine);
    broken.AddWord("cd", kWordText);
    doc_.ReplaceFromLightText(&broken);
    EXPECT_EQ(Rows(Line(0, 0)), "3 4");
    doc_.SetWordWrap(false);
    Load("aaaaaaaaaaaaaaaaaaaa");
    EXPECT_EQ(Rows(Line(0, 0)), "22");
}

TEST_F(WrapTest, TabsAndBackSteps)
{
    TExDocStyle style;
    style.DefaultTab = 600;   // 40 px
    canvas_.SetAdvance(5);
    Load("aaaaa\tbc");
    doc_.SetDocStyle(style);
    doc_.BeginUpdate();   // the new empty word would merge away in a wrap
    doc_.InsertWord(Line(0, 0)->GetWords(2), 1)->SetType(kWordBack);
    doc_.EndUpdate();
    const TExLine* line = Line(0, 0);
    EXPECT_EQ(line->GetWords(1)->GetWordWrapWidth(0), 15);
    EXPECT_EQ(line->GetWords(3)->GetWordWrapWidth(0), -5);
    EXPECT_EQ(line->GetLineWrapWidth(0), 25 + 15 + 5 - 5 + 5);
}

TEST_F(WrapTest, RowHeights)
{
    Load("ab\r\ncd");
    EXPECT_EQ(Line(0, 0)->GetLineWrapHeight(0), 16);
    TExParaStyle para = Line(0, 1)->GetParaStyle();
    para.LineSpacing = 480;   // 32 px
    para.SpaceBefore = 150;   // 10 px
    para.SpaceAfter = 300;    // 20 px
    Line(0, 1)->SetParaStyle(para);
    doc_.SetWrapWidth(40);
    Load("ab\r\ncdefgh");
    Line(0, 1)->SetParaStyle(para);
    EXPECT_EQ(Rows(Line(0, 1)), "3 5");
    EXPECT_EQ(Line(0, 1)->GetLineWrapHeight(0), 42);
    EXPECT_EQ(Line(0, 1)->GetLineWrapHeight(1), 52);
    EXPECT_EQ(doc_.GetHeight(), 16 + 94);
    para.LineSpacing = 100;   // the 1.2 rule wins
    Line(0, 1)->SetParaStyle(para);
    EXPECT_EQ(Line(0, 1)->GetLineWrapHeight(0), 26);
    // Underlines add their extra height below the text.
    TExStyle ul;
    ul.Invisible();
    ul.Underline = 3;
    doc_.SetWordStyle(Line(0, 0)->GetWords(0), Line(0, 0)->GetLastWord(), ul);
    EXPECT_EQ(Line(0, 0)->GetUnderLine(0), TExTextWrapper::GetUnderLineHeight(3, 14));

    // Lengths and sizes read from RTF are held to a page: 24 inches, beyond the longest paper (A2).
    const int page = 24 * 96;
    const auto read = [this](const char* rtf) {
        std::istringstream in(rtf);
        doc_.LoadFromStream(in, kExStreamRich);
        return Line(0, 0)->GetLineWrapHeight(0);
    };
    EXPECT_EQ(read("{\\rtf1\\pard\\sl2147483647\\slmult2 a\\par}"), page);
    EXPECT_EQ(read("{\\rtf1\\pard\\sl-2147483647\\sb2147483647\\sa99999999999\\li-2147483647"
                   "\\ri2147483647\\fs2147483647 a\\par}"),
              static_cast<int>(page * 1.2) + 2 * page);   // a font a page high, space before and after
    EXPECT_EQ(Line(0, 0)->GetLeftIndentPx(), -page);
    EXPECT_EQ(Line(0, 0)->GetRightIndentPx(), page);
    EXPECT_EQ(Line(0, 0)->GetWords(0)->GetStyle().Size, 24 * 72 * 10);
}

TEST(WrapUnderline, ExtraHeights)
{
    const int cases[][3] = {{0, 40, 0}, {1, 40, 2}, {3, 40, 6}, {4, 40, 3}, {15, 40, 4}, {16, 40, 5},
                            {17, 40, 8}, {18, 40, 2}, {1, 10, 1}, {4, 10, 2}};
    for (const auto& c : cases)
        EXPECT_EQ(TExTextWrapper::GetUnderLineHeight(c[0], c[1]), c[2]) << c[0] << "," << c[1];
}

TEST_F(WrapTest, PageWrapsAndStackedPages)
{
    Load("a\r\nb\r\nc\r\nd\r\ne");
    doc_.SetWrapHeight(40);
    const TExPage* page = doc_.GetPages(0);
    ASSERT_EQ(page->GetPageWrapCount(), 3);
    EXPECT_EQ(page->GetPageWrapLineCount(0), 2);
    EXPECT_EQ(page->GetPageWrapHeight(0), 32);
    EXPECT_EQ(page->GetPageWrapLineCount(2), 1);
    EXPECT_EQ(doc_.GetPageCount(), 3);
    EXPECT_EQ(doc_.PageToCaret(1), 6);
    EXPECT_EQ(doc_.PageToCaret(2), 12);
    EXPECT_EQ(doc_.PageToCaret(9), doc_.GetCharCount());
    EXPECT_EQ(doc_.PositionToLineInfo(doc_.PageToCaret(1) + 1).Row, 2);

    doc_.SetWrapHeight(0);
    doc_.InsertPageNew(Line(0, 3)->GetWords(0), 0);   // pages of 3 and 2 rows
    EXPECT_EQ(doc_.GetHeight(), 48 + 10 + 32);
    TLineInfo row = doc_.PositionToCaretInfo(9).LineInfo;
    EXPECT_EQ(row.Row, 3);
    EXPECT_EQ(row.Top, 58);
    EXPECT_TRUE(row.GetIsPageTop());
    EXPECT_EQ(doc_.PointToLineInfo(50).Row, 2);   // inside the gap: the page above
    EXPECT_EQ(doc_.PointToLineInfo(58).Row, 3);
    ASSERT_TRUE(doc_.PrevLineInfo(row));
    EXPECT_EQ(row.Top, 32);
    EXPECT_TRUE(row.GetIsPageBottom());
    ASSERT_TRUE(doc_.NextLineInfo(row));
    EXPECT_EQ(row.Top, 58);
    doc_.SetPageGap(0);
    EXPECT_EQ(doc_.GetPageGap(), 10);
    doc_.SetMultiPage(true);
    EXPECT_EQ(doc_.GetHeight(), 80);
}

TEST_F(WrapTest, PositionsPointsAndRows)
{
    Load("aaaaaaaaaaaa\r\nbb");   // rows: 9 | 5 (3 + paragraph end) | 4
    struct Case {
        int pos;
        int row, rowOffset, x;
    };
    const Case cases[] = {{-5, 0, 0, 0}, {0, 0, 0, 0}, {4, 0, 4, 40}, {9, 1, 0, 0}, {12, 1, 3, 30},
                          {14, 2, 0, 0}, {16, 2, 2, 20}, {99, 2, 2, 20}};
    for (const Case& c : cases) {
        const TCaretInfo caret = doc_.PositionToCaretInfo(c.pos);
        EXPECT_EQ(caret.LineInfo.Row, c.row) << c.pos;
        EXPECT_EQ(caret.WordInfo.RowOffset, c.rowOffset) << c.pos;
        EXPECT_EQ(caret.WordInfo.X, c.x) << c.pos;
        const TCaretInfo hit = doc_.PointToCaretInfo({caret.WordInfo.X + 4, caret.LineInfo.Top + 3});
        EXPECT_EQ(hit.GetCaret(), std::clamp(c.pos, 0, 16)) << c.pos;
    }
    EXPECT_EQ(doc_.PositionToLineInfo(9).Row, 0);   // a row boundary resolves to the earlier row
    EXPECT_EQ(doc_.PointToCaretInfo({46, 2}).GetCaret(), 5);
    EXPECT_EQ(doc_.PointToCaretInfo({44, 2}).GetCaret(), 4);
    EXPECT_EQ(doc_.LineCountToLineInfo(0), doc_.LineCountToLineInfo(1));
    EXPECT_EQ(doc_.LineCountToLineInfo(3).Position, 14);
    EXPECT_EQ(doc_.LineCountToLineInfo(99).Row, 2);
    EXPECT_EQ(doc_.LastLineInfo().Row, 2);
    const TCaretInfo end = doc_.PositionToCaretInfo(8);
    EXPECT_EQ(doc_.IncrementCaretInfo(end, 1).GetCaret(), 9);
    EXPECT_EQ(doc_.IncrementCaretInfo(end, 1).LineInfo.Row, 1);
    EXPECT_EQ(doc_.DecrementCaretInfo(doc_.PositionToCaretInfo(9), 2).GetCaret(), 7);
    EXPECT_EQ(doc_.GetIncCount(Line(0, 0)->GetWords(0), 12), 2);
    EXPECT_EQ(doc_.GetDecCount(Line(0, 1)->GetWords(0), 0), 2);
}

TEST_F(WrapTest, WordSteppingAndLeft)
{
    Load("ab\tcd\r\nef");
    TCaretInfo caret = doc_.PositionToCaretInfo(0);
    std::vector<int> forward;
    while (doc_.NextWordInfo(caret) && forward.size() < 10)
        forward.push_back(caret.GetCaret());
    EXPECT_EQ(forward, (std::vector<int>{2, 3, 5, 7, 9}));
    std::vector<int> back;
    while (doc_.PrevWordInfo(caret) && back.size() < 10)
        back.push_back(caret.GetCaret());
    EXPECT_EQ(back, (std::vector<int>{7, 5, 3, 2, 0}));

    TExParaStyle centre = Line(0, 0)->GetParaStyle();
    centre.Align = 1;
    Line(0, 0)->SetParaStyle(centre);
    TLineInfo row = doc_.PositionToLineInfo(0);
    row.Line = Line(0, 0);
    EXPECT_EQ(row.GetLeft(301), (301 - row.GetWidth()) / 2);
    Load("aaaaaaaaaa");
    doc_.SetWrapWidth(0);
    Line(0, 0)->SetParaStyle(centre);
    EXPECT_EQ(doc_.PositionToLineInfo(0).GetWidth(), 100);
    EXPECT_EQ(doc_.PositionToLineInfo(0).GetLeft(301), 100);
}

TEST_F(WrapTest, SelectionRecords)
{
    Load("aaaaaaaaaaaa\r\nbb");
    TSelectInfo sel;
    sel.Anchor = sel.Caret = doc_.PositionToCaretInfo(3);
    EXPECT_FALSE(sel.GetEnabled());
    EXPECT_EQ(sel.GetSelLength(), 0);
    EXPECT_EQ(sel.GetText(), u"");
    EXPECT_EQ(&sel.GetTopInfo(), &sel.Anchor);
    EXPECT_EQ(&sel.GetBottomInfo(), &sel.Caret);
    sel.Anchor = doc_.PositionToCaretInfo(15);
    EXPECT_EQ(sel.GetOrientation(), -1);
    EXPECT_EQ(sel.GetTopPosition(), 3);
    EXPECT_EQ(sel.GetSelLength(), 12);
    EXPECT_EQ(sel.GetText(), u"aaaaaaaaa\r\nb");
    const int classes[] = {2, 4, 3, 0};
    for (int r = 0; r < 4; ++r) {
        TLineInfo row;
        row.Row = r;
        EXPECT_EQ(sel.CheckSelLine(row), classes[r]);
    }
    sel.Anchor = doc_.PositionToCaretInfo(5);
    TLineInfo row;
    EXPECT_EQ(sel.CheckSelLine(row), 1);
    row.Row = 1;
    EXPECT_EQ(sel.CheckSelLine(row), 0);

    // Typing style: after a bold word the bold style, at a paragraph start the first word's own.
    Load("ab\r\ncd");
    TExStyle bold;
    bold.Invisible();
    bold.Bold = 1;
    doc_.ChangeStyle(doc_.PositionToCaretInfo(0), doc_.PositionToCaretInfo(1), bold);
    EXPECT_EQ(doc_.PositionToCaretInfo(1).GetStyle().Bold, 1);
    EXPECT_EQ(doc_.PositionToCaretInfo(4).GetStyle().Bold, 0);
    sel.Anchor = doc_.PositionToCaretInfo(0);
    sel.Caret = doc_.PositionToCaretInfo(2);
    EXPECT_EQ(sel.GetStyle().Bold, TExStyle::kUnsetFlag);
    EXPECT_EQ(sel.GetSelFontName(), "ＭＳ Ｐゴシック");
    Load("aあ");
    sel.Anchor = doc_.PositionToCaretInfo(0);
    sel.Caret = doc_.PositionToCaretInfo(3);
    EXPECT_EQ(sel.GetSelFontName(), "ＭＳ Ｐゴシック");   // both kinds in the same face
}

TEST_F(WrapTest, AnEditMeasuresOnlyItsParagraph)
{
    std::string text;
    for (int i = 0; i < 60; ++i)
        text += "paragraph\tnumber\r\n";
    Load(text);
    const long before = doc_.GetMeasureCount();
    TExWord* word = Line(0, 30)->GetWords(0);
    word->InsertChar(3, U'x');
    EXPECT_LE(doc_.GetMeasureCount() - before, Line(0, 30)->GetCount() + 1);
    EXPECT_EQ(Line(0, 30)->GetString(), "parxagraph\tnumber\r\n");
    EXPECT_EQ(doc_.GetRowCount(), 60 * 2 + 1);   // the tab opens the second row
}

} // namespace
