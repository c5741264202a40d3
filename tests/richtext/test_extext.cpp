// The document model, its edits and streams, and the keyword colouring.
#include "DocumentFixture.h"
#include "richtext/Uextextdrawer.h"
#include "platform/Codec.h"
#include "support/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Pages "|", paragraphs "/", words "[...]" (tab ">", paragraph end "¶", line break "↵").
std::string Tree(const TExText& doc)
{
    std::string out;
    for (int p = 0; p < doc.GetCount(); ++p) {
        if (p > 0)
            out += "|";
        for (int l = 0; l < doc.GetPages(p)->GetCount(); ++l) {
            const TExLine* line = doc.GetPages(p)->GetLines(l);
            if (l > 0)
                out += "/";
            for (int w = 0; w < line->GetCount(); ++w) {
                const TExWord* word = line->GetWords(w);
                static const char* const kMarks[] = {"", ">", "¶", "§", "↵", "←"};
                out += "[" + (word->GetType() == kWordText ? word->GetText() : std::string(kMarks[word->GetType()])) + "]";
            }
        }
    }
    return out;
}

class ExTextTest : public DocumentFixture {
protected:
    TExWord* WordAt(int page, int line, int word) { return doc_.GetPages(page)->GetLines(line)->GetWords(word); }
};

TEST_F(ExTextTest, ClearedDocument)
{
    EXPECT_EQ(Tree(doc_), "[¶]");
    EXPECT_EQ(doc_.GetCharCount(), 2);
    EXPECT_EQ(doc_.GetString(), "\r\n");
    EXPECT_EQ(WordAt(0, 0, 0)->GetStyle().Size, 105);
    EXPECT_EQ(doc_.GetTabChar(), 8);
    doc_.SetSingleLine(true);
    EXPECT_EQ(doc_.GetCharCount(), 0);
    EXPECT_EQ(doc_.InsertReturn(WordAt(0, 0, 0), 0), nullptr);
}

TEST_F(ExTextTest, WordCharactersByUnit)
{
    Load("日本語");
    TExWord* w = WordAt(0, 0, 0);
    EXPECT_EQ(w->GetWordCharCount(), 6);
    EXPECT_EQ(w->DeleteChar(3), U'本');   // inside a character: rounds down to its start
    EXPECT_EQ(w->BackChar(2), U'日');
    EXPECT_EQ(w->BackChar(0), 0U);
    EXPECT_EQ(w->DeleteChar(2), 0U);
    w->InsertChar(2, U'者');
    EXPECT_EQ(w->GetText(), "語者");
    doc_.BeginUpdate();   // the wrap merges equal neighbours again
    TExWord* tail = w->Split(2);
    EXPECT_EQ(Tree(doc_), "[語][者][¶]");
    EXPECT_EQ(tail->GetStyle().CharClass, kClassDouble);
    tail->JoinPrev();
    EXPECT_EQ(Tree(doc_), "[語者][¶]");
    doc_.EndUpdate();
    EXPECT_EQ(doc_.GetCharCount(), 6);
}

TEST_F(ExTextTest, PageAndLineSplitAndJoin)
{
    Load("ab\r\ncd\r\nef\r\n");
    EXPECT_EQ(Tree(doc_), "[ab][¶]/[cd][¶]/[ef][¶]");
    doc_.GetPages(0)->Split(1);
    EXPECT_EQ(Tree(doc_), "[ab][¶]|[cd][¶]/[ef][¶]");
    EXPECT_EQ(doc_.GetCharCount(), 12);
    doc_.GetPages(1)->GetLines(0)->JoinNext();
    EXPECT_EQ(Tree(doc_), "[ab][¶]|[cd][¶][ef][¶]");
    doc_.GetPages(0)->GetLines(0)->JoinNext();   // the last line of its page
    EXPECT_EQ(Tree(doc_), "[ab][¶]|[cd][¶][ef][¶]");
    doc_.GetPages(1)->JoinPrev();
    EXPECT_EQ(Tree(doc_), "[ab][¶]/[cd][¶][ef][¶]");
    doc_.GetPages(0)->Split(0);   // the emptied page keeps a paragraph end
    EXPECT_EQ(Tree(doc_), "[¶]|[ab][¶]/[cd][¶][ef][¶]");
    EXPECT_EQ(doc_.GetLastWord()->GetOwner()->GetPrevLine()->GetString(), "ab\r\n");
}

class CountingText : public TExText {
public:
    int changes = 0;

protected:
    void Changing() override
    {
        ++changes;
        TExText::Changing();
    }
};

TEST(ExTextChange, OneChangePerOutermostLockAndOneWrap)
{
    CountingText doc;
    doc.Clear();
    doc.changes = 0;
    doc.BeginUpdate();
    doc.BeginUpdate();
    TExWord* w = doc.InsertWord(doc.GetLastWord(), 0);
    w->SetString("abc");
    doc.InsertReturn(w, 1);
    doc.EndUpdate();
    EXPECT_EQ(doc.changes, 0);
    doc.EndUpdate();
    EXPECT_EQ(doc.changes, 1);
    EXPECT_EQ(doc.GetCharCount(), 7);

    vkttest::RecordingCanvas canvas;
    SetMeasureCanvas(&canvas);
    TExTextWrapper wrapper;
    wrapper.Clear();
    int wraps = 0;
    wrapper.OnChange = [&](TExTextWrapper*) { ++wraps; };
    wrapper.BeginUpdate();
    wrapper.SetWrapSize(200, 0);
    wrapper.InsertWord(wrapper.GetLastWord(), 0)->SetString("xyz");
    wrapper.SetWrapHeight(50);   // no longer drops the pending full wrap
    wrapper.EndUpdate();
    EXPECT_EQ(wraps, 1);
    EXPECT_FALSE(wrapper.GetFullWrap());
    EXPECT_EQ(wrapper.GetRowCount(), 1);
    SetMeasureCanvas(nullptr);
}

TEST_F(ExTextTest, StyleSheetEntryChangeRebasesWords)
{
    Load("ab\r\ncd");
    TExStyle big = WordAt(0, 1, 0)->GetStyle();
    big.Size = 200;
    WordAt(0, 1, 0)->SetStyle(big);
    TExStyle normal = doc_.GetStyles().GetStyle(0);
    normal.Size = 120;
    doc_.GetStyles().SetStyle(0, normal);
    EXPECT_EQ(WordAt(0, 0, 0)->GetStyle().Size, 120);
    EXPECT_EQ(WordAt(0, 0, 1)->GetStyle().Size, 120);
    EXPECT_EQ(WordAt(0, 1, 0)->GetStyle().Size, 200);
}

TEST_F(ExTextTest, FindTextGivesUnitOffsets)
{
    Load("aあb\tあb\r\n");
    TExLine* line = doc_.GetPages(0)->GetLines(0);
    struct Case {
        std::u16string text;
        int from, pos, len;
        bool found;
    };
    const Case cases[] = {{u"あb", 0, 1, 3, true}, {u"あb", 2, 1, 3, true}, {u"あb", 4, 5, 3, true},
                          {u"\tあ", 0, 4, 3, true}, {u"x", 0, 0, 0, false}, {u"", 0, 0, 0, false},
                          {u"b", 9, 0, 0, false}};
    for (const Case& c : cases) {
        int pos = c.from, len = -1;
        EXPECT_EQ(line->FindTextA(c.text, pos, len), c.found);
        EXPECT_EQ(pos, c.pos);
        EXPECT_EQ(len, c.len);
    }
}

TEST_F(ExTextTest, PastingParagraphRunsIntoAWord)
{
    for (bool single : {false, true}) {
        doc_.SetSingleLine(single);
        TExParaStyle centred;
        centred.Align = 1;
        doc_.GetLastWord()->GetOwner()->SetParaStyle(centred);
        doc_.InsertWord(doc_.GetLastWord(), 0)->SetString("xy");
        TExLightText runs;
        runs.SetAnsi("A\r\nB");
        doc_.SetWordWrap(true);
        doc_.PasteText(&runs, doc_.PositionToCaretInfo(1));
        if (single) {
            EXPECT_EQ(doc_.GetString(), "xA  By\r\n");
            continue;
        }
        EXPECT_EQ(doc_.GetString(), "xA\r\nBy\r\n");
        EXPECT_EQ(doc_.GetPages(0)->GetLines(0)->GetParaStyle().Align, 0);
        EXPECT_EQ(doc_.GetPages(0)->GetLines(1)->GetParaStyle().Align, 1);
    }
}

TEST_F(ExTextTest, PastedPageBreakSplitsWhereItStands)
{
    const auto pages = [](const TExText& doc) {
        std::string out;
        for (int p = 0; p < doc.GetCount(); ++p)
            out += (p > 0 ? "|" : "") + doc.GetPages(p)->GetString();
        return out;
    };
    struct Case {
        const char* text;
        int caret;
        const char* rtf;
        const char* pages;
    };
    const Case cases[] = {
        // inside a pasted paragraph: what stands before the break keeps the caret's page
        {"first line\r\n\r\n", 12, "Salt\\page Pepper\\par", "first line\r\nSalt\r\n|Pepper\r\n\r\n"},
        {"ABCDEF", 3, "Salt\\page Pepper\\par", "ABCSalt\r\n|Pepper\r\nDEF\r\n"},
        {"ABCDEF", 3, "Salt\\page", "ABCSalt\r\n|DEF\r\n"},
        // first in the pasted text: inside the caret's paragraph it ends that one, at a line start
        // the page splits there
        {"ABCDEF", 3, "\\page Pepper\\par", "ABC\r\n|Pepper\r\nDEF\r\n"},
        {"first line\r\n\r\n", 12, "\\page Pepper\\par", "first line\r\n|Pepper\r\n\r\n"},
        {"ABCDEF", 0, "\\page\\page x", "\r\n|\r\n|xABCDEF\r\n"},
    };
    for (const Case& c : cases) {
        Load(c.text);
        TExLightText runs;
        runs.SetRich(std::string("{\\rtf1\\ansi ") + c.rtf + "}");
        doc_.PasteText(&runs, doc_.PositionToCaretInfo(c.caret));
        EXPECT_EQ(pages(doc_), c.pages) << c.text << " + " << c.rtf;
    }
    // The paragraph the break ends takes the pasted paragraph's settings, as a pasted end does.
    Load("ABCDEF");
    TExLightText indented;
    indented.SetRich("{\\rtf1\\ansi\\pard\\li720 Salt\\page Pepper\\par}");
    doc_.PasteText(&indented, doc_.PositionToCaretInfo(3));
    ASSERT_EQ(pages(doc_), "ABCSalt\r\n|Pepper\r\nDEF\r\n");
    EXPECT_EQ(doc_.GetPages(0)->GetLines(0)->GetParaStyle().LeftIndent, 720);
    EXPECT_EQ(doc_.GetPages(1)->GetLines(0)->GetParaStyle().LeftIndent, 720);
    EXPECT_EQ(doc_.GetPages(1)->GetLines(1)->GetParaStyle().LeftIndent, 0);
}

TEST_F(ExTextTest, ReturnsAndPageBreaks)
{
    Load("abcd");
    TExWord* para = doc_.InsertReturn(WordAt(0, 0, 0), 2);
    ASSERT_NE(para, nullptr);
    EXPECT_EQ(Tree(doc_), "[ab][¶]/[cd][¶]");
    doc_.InsertPageNew(WordAt(0, 1, 0), 0);   // at a line start: the page splits, nothing added
    EXPECT_EQ(Tree(doc_), "[ab][¶]|[cd][¶]");
    doc_.InsertPageNew(WordAt(1, 0, 0), 1);
    EXPECT_EQ(Tree(doc_), "[ab][¶]|[c][¶]|[d][¶]");
    EXPECT_EQ(doc_.GetCharCount(), 10);
    // Deleting a page boundary joins the pages.
    doc_.DeleteText(doc_.PositionToCaretInfo(7), doc_.PositionToCaretInfo(7));
    EXPECT_EQ(Tree(doc_), "[ab][¶]|[c][¶]/[d][¶]");

    // A break read inside a paragraph ends the paragraph there; what stands before it keeps its page.
    const std::pair<std::string, std::string> read[] = {
        {"{\\rtf1\\ansi a\\page b\\par}", "[a][¶]|[b][¶]"},
        {"{\\rtf1\\ansi a\\par b\\page\\par}", "[a][¶]/[b][¶]|[¶]"},
        {"{\\rtf1\\ansi a\\par\\page b\\page c}", "[a][¶]|[b][¶]|[c][¶]"},
        {"{\\rtf1\\ansi\\page a\\tab\\page\\page b\\par}", "[¶]|[a][>][¶]|[¶]|[b][¶]"},
    };
    for (const auto& [rtf, tree] : read) {
        std::istringstream in(rtf);
        doc_.LoadFromStream(in, kExStreamRich);
        EXPECT_EQ(Tree(doc_), tree) << rtf;
    }
    std::istringstream indented("{\\rtf1\\ansi\\pard\\li720 a\\page b\\par}");
    doc_.LoadFromStream(indented, kExStreamRich);
    EXPECT_EQ(doc_.GetPages(0)->GetLines(0)->GetParaStyle().LeftIndent, 720);
    EXPECT_EQ(doc_.GetPages(1)->GetLines(0)->GetParaStyle().LeftIndent, 720);
}

TEST_F(ExTextTest, DeletingAcrossParagraphsRebasesStyles)
{
    Load("ab\r\ncd\r\nef\r\n");
    TExStyle bigEntry = doc_.GetStyles().GetStyle(0);
    bigEntry.Size = 200;
    const auto addBig = [&] { doc_.GetStyles().AddStyle(1, "Big", bigEntry, TExParaStyle()); };
    addBig();
    TExLine* second = doc_.GetPages(0)->GetLines(1);
    second->SetStyleIndex(1);
    TExStyle s = WordAt(0, 1, 0)->GetStyle();
    s.Size = 200;
    WordAt(0, 1, 0)->SetStyle(s);
    WordAt(0, 1, 1)->SetStyle(s);
    doc_.GetPages(0)->Split(2);
    // From the end of "ab" to the middle of "ef": paragraph and page boundaries go.
    doc_.DeleteWords(WordAt(0, 0, 0), 2, WordAt(1, 0, 0), 1);
    EXPECT_EQ(Tree(doc_), "[abf][¶]");
    EXPECT_EQ(doc_.GetPages(0)->GetLines(0)->GetStyleIndex(), 0);
    // A range ending at a paragraph start joins the paragraphs, the first taking the second's base.
    Load("ab\r\ncd\r\n");
    addBig();
    doc_.GetPages(0)->GetLines(1)->SetStyleIndex(1);
    doc_.DeleteWords(WordAt(0, 0, 1), 0, WordAt(0, 1, 0), 0);
    EXPECT_EQ(Tree(doc_), "[ab][cd][¶]");
    EXPECT_EQ(WordAt(0, 0, 0)->GetStyle().Size, 200);
    EXPECT_EQ(doc_.GetPages(0)->GetLines(0)->GetStyleIndex(), 1);
}

TEST_F(ExTextTest, StylesBetweenCarets)
{
    Load("abcdef\r\nxy");
    doc_.SetWordWrap(true);
    TExStyle bold;
    bold.Invisible();
    bold.Bold = 1;
    TExStyle red = WordAt(0, 0, 0)->GetStyle();
    red.Color = doc_.GetColorIndex(platform::RgbColor(255, 0, 0));
    WordAt(0, 0, 0)->SetStyle(red);
    doc_.ChangeStyle(doc_.PositionToCaretInfo(2), doc_.PositionToCaretInfo(4), bold);
    EXPECT_EQ(Tree(doc_), "[ab][cd][ef][¶]/[xy][¶]");
    const TExStyle cd = WordAt(0, 0, 1)->GetStyle();
    EXPECT_EQ(cd.Bold, 1);
    EXPECT_EQ(cd.Color, red.Color);
    EXPECT_EQ(cd.Size, 105);
    // Only set fields are copied; equal neighbours merge again.
    TExStyle plain;
    plain.Invisible();
    plain.Bold = 0;
    doc_.SetWordStyle(WordAt(0, 0, 0), WordAt(0, 0, 3), plain);
    EXPECT_EQ(Tree(doc_), "[abcdef][¶]/[xy][¶]");
    TExParaStyle right;
    right.Invisible();
    right.Align = 2;
    doc_.ChangeParaStyle(doc_.PositionToCaretInfo(3), doc_.PositionToCaretInfo(9), right);
    EXPECT_EQ(doc_.GetPages(0)->GetLines(0)->GetParaStyle().Align, 2);
    EXPECT_EQ(doc_.GetPages(0)->GetLines(1)->GetParaStyle().Align, 2);
    EXPECT_EQ(doc_.GetPages(0)->GetLines(1)->GetParaStyle().LineSpacing, 240);
}

TEST_F(ExTextTest, CopyTextCutsAtWordEdges)
{
    Load("abc\r\nあい\tz");
    doc_.SetWordWrap(true);
    struct Case {
        int top, bottom;
        std::string text;
    };
    const Case cases[] = {{1, 2, "b"}, {3, 5, "\r\n"}, {1, 7, "bc\r\nあ"}, {5, 10, "あい\t"}, {0, 12, "abc\r\nあい\tz"}};
    for (const Case& c : cases) {
        auto runs = doc_.CopyText(doc_.PositionToCaretInfo(c.top), doc_.PositionToCaretInfo(c.bottom));
        ASSERT_NE(runs, nullptr);
        std::ostringstream out;
        runs->SaveToAnsiStream(out);
        EXPECT_EQ(platform::SjisToUtf8(out.str()), c.text) << c.top << "-" << c.bottom;
    }
    EXPECT_EQ(doc_.CopyText(doc_.PositionToCaretInfo(2), doc_.PositionToCaretInfo(2)), nullptr);
}

TEST_F(ExTextTest, StreamsRoundTrip)
{
    std::ostringstream text;
    doc_.SaveToStream(text, kExStreamText);
    EXPECT_EQ(text.str(), "\r\n");
    std::istringstream in(text.str());
    TExTextDrawer loaded;
    loaded.LoadFromStream(in, kExStreamText);
    EXPECT_EQ(Tree(loaded), Tree(doc_));
    EXPECT_EQ(loaded.GetLastWord()->GetStyle(), doc_.GetLastWord()->GetStyle());

}

// Every word's type, text, sheet index and effective style, every line's sheet index and paragraph
// style, one entry a line.
std::vector<std::string> Styles(const TExText& doc)
{
    std::vector<std::string> out;
    for (int p = 0; p < doc.GetCount(); ++p)
        for (int l = 0; l < doc.GetPages(p)->GetCount(); ++l) {
            const TExLine* line = doc.GetPages(p)->GetLines(l);
            const std::string at = std::to_string(p) + "/" + std::to_string(l);
            out.push_back(at + " s" + std::to_string(line->GetStyleIndex()) + line->GetParaStyle().RTString());
            for (int w = 0; w < line->GetCount(); ++w) {
                const TExWord* word = line->GetWords(w);
                const TExStyle& s = word->GetStyle();
                out.push_back(at + "/" + std::to_string(w) + " t" + std::to_string(word->GetType()) + " \"" +
                              word->GetText() + "\" cs" + std::to_string(word->GetStyleIndex()) + " class" +
                              std::to_string(s.CharClass) + " " + s.RTString());
            }
        }
    return out;
}

TEST_F(ExTextTest, StyledJapaneseDocumentRoundTripsThroughRtf)
{
    Load("見出しの行\r\n本文はｶﾀｶﾅとLatin　全角\tタブ\r\n二頁目の段落\r\n三頁目 bold 太字\r\n");
    doc_.SetWordWrap(true);
    // A paragraph entry on the heading, a character entry and own overrides in the body.
    TExStyle headStyle = doc_.GetStyles().GetStyle(0);
    headStyle.Size = 140;
    headStyle.Bold = 1;
    TExParaStyle headPara;
    headPara.Align = 1;
    headPara.SpaceAfter = 120;
    const int head = doc_.GetStyles().AddStyle(1, "見出し", headStyle, headPara);
    TExStyle strong;
    strong.Invisible();
    strong.Italic = 1;
    strong.Color = doc_.GetColorIndex(platform::RgbColor(200, 0, 0));
    TExParaStyle noPara;
    noPara.Invisible();
    const int emphasis = doc_.GetStyles().AddStyle(2, "強調", strong, noPara);
    TExLine* first = doc_.GetPages(0)->GetLines(0);
    first->SetStyleIndex(head);
    first->SetParaStyle(headPara);
    for (int w = 0; w < first->GetCount(); ++w)
        doc_.Rebase(first->GetWords(w), 0, head);
    TExStyle own;
    own.Invisible();
    own.Bold = 1;
    own.Underline = 15;
    own.Color = doc_.GetColorIndex(platform::RgbColor(0, 128, 0));
    doc_.ChangeStyle(doc_.PositionToCaretInfo(14), doc_.PositionToCaretInfo(24), own);
    TExStyle mincho;
    mincho.Invisible();
    mincho.Size = 120;
    mincho.DBFont = doc_.GetFontIndex("ＭＳ 明朝", 128, 1);
    doc_.ChangeStyle(doc_.PositionToCaretInfo(20), doc_.PositionToCaretInfo(31), mincho);
    TExWord* marked = doc_.PositionToCaretInfo(14).WordInfo.Word;
    marked->SetStyleIndex(emphasis);
    marked->SetStyle(doc_.BaseStyle(0, emphasis) + (marked->GetStyle() - doc_.BaseStyle(0, 0)));
    TExParaStyle indented;
    indented.Invisible();
    indented.LeftIndent = 420;
    indented.SpaceBefore = 60;
    doc_.ChangeParaStyle(doc_.PositionToCaretInfo(50), doc_.PositionToCaretInfo(50), indented);
    doc_.InsertPageNew(doc_.GetPages(0)->GetLines(2)->GetWords(0), 0);
    doc_.InsertPageNew(doc_.GetPages(1)->GetLines(1)->GetWords(0), 0);
    ASSERT_EQ(doc_.GetCount(), 3);

    std::ostringstream rtf1;
    doc_.SaveToStream(rtf1, kExStreamRich);
    std::istringstream in1(rtf1.str());
    TExTextDrawer read;
    read.LoadFromStream(in1, kExStreamRich);
    std::ostringstream rtf2;
    read.SaveToStream(rtf2, kExStreamRich);
    std::istringstream in2(rtf2.str());
    TExTextDrawer reread;
    reread.LoadFromStream(in2, kExStreamRich);
    std::ostringstream rtf3;
    reread.SaveToStream(rtf3, kExStreamRich);
    EXPECT_EQ(rtf3.str(), rtf2.str());
    EXPECT_EQ(Tree(read), Tree(doc_));
    EXPECT_EQ(read.GetString(), doc_.GetString());
    EXPECT_EQ(Styles(read), Styles(doc_));
    EXPECT_EQ(Styles(reread), Styles(read));
    EXPECT_EQ(reread.GetStyles().Count(), doc_.GetStyles().Count());
    // The partial character entry comes back with its own fields and nothing struck or underlined.
    const TExStyle entry = read.GetStyles().GetStyle(emphasis);
    EXPECT_TRUE(entry.EqualLimited(strong)) << entry.RTString();
    EXPECT_EQ(entry.Strike, 0);
    EXPECT_EQ(entry.Underline, 0);
}

TEST_F(ExTextTest, MemoOfOtherWritersSavedTwiceIsTheSame)
{
    const std::string inputs[] = {
        "{\\rtf1a\\stylesheet;}",
        "{\\rtf1\\ansi a\\b b\\ul c\\par}",
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fnil\\fcharset128 Gothic;}}"
        "\\pard\\plain\\loch\\f0\\hich\\f0\\dbch\\f1 ab\\'96@\\par\\f0 \\u12488?\\u-10180?\\u-8379?\\par}",
    };
    const auto load = [](TExText& doc, const std::string& rtf) {
        std::istringstream in(rtf);
        doc.LoadFromStream(in, kExStreamRich);
    };
    const auto save = [](TExText& doc) {
        std::ostringstream out;
        doc.SaveToStream(out, kExStreamRich);
        return out.str();
    };
    for (const std::string& input : inputs) {
        TExTextDrawer read;
        load(read, input);
        const std::string first = save(read);
        TExTextDrawer reread;
        load(reread, first);
        EXPECT_EQ(save(reread), first) << input;
        EXPECT_EQ(reread.GetString(), read.GetString()) << input;
        EXPECT_EQ(Styles(reread), Styles(read)) << input;
    }
}

TEST_F(ExTextTest, FontNamesKeepTheBytesTheyWereReadIn)
{
    const auto load = [](TExText& doc, const std::string& rtf) {
        std::istringstream in(rtf);
        doc.LoadFromStream(in, kExStreamRich);
    };
    const auto save = [](TExText& doc) {
        std::ostringstream out;
        doc.SaveToStream(out, kExStreamRich);
        return out.str();
    };
    // Code page 932 gives some characters two codes (NEC and IBM extensions): ≒ 0x8790 and 0x81E0,
    // 纊 0xED40 and 0xFA5C, ⅰ 0xEEEF and 0xFA40. Bytes that make no character read one by one.
    const std::string name = "明朝≒纊ⅰ";
    Load("日本語\r\n");
    TExStyle style = WordAt(0, 0, 0)->GetStyle();
    style.DBFont = doc_.GetFontIndex(name, 128, 0x11);
    WordAt(0, 0, 0)->SetStyle(style);
    const std::string written = save(doc_);
    const std::string encoded = StrToRTString(name);
    ASSERT_EQ(encoded, "\\'96\\'BE\\'92\\'A9\\'81\\'E0\\'FA\\'5C\\'FA\\'40");
    ASSERT_NE(written.find(" " + encoded + ";}"), std::string::npos) << written;
    const struct {
        const char* bytes;
        bool named;   // the bytes read as `name`
    } stored[] = {
        {"\\'96\\'BE\\'92\\'A9\\'87\\'90\\'ED\\'40\\'EE\\'EF", true},
        {"\\'96\\'BE\\'92\\'A9\\'81\\'E0\\'ED\\'40\\'FA\\'40", true},
        {"\\'EE\\'EE\\'ED\\'84\\'82\\'82", false},
    };
    for (const auto& s : stored) {
        std::string memo = written;
        memo.replace(memo.find(encoded), encoded.size(), s.bytes);
        TExTextDrawer read;
        load(read, memo);
        if (s.named) {
            EXPECT_EQ(read.GetFonts().GetName(style.DBFont), name) << s.bytes;
        }
        const std::string first = save(read);
        EXPECT_EQ(first, memo) << s.bytes;
        TExTextDrawer reread;
        load(reread, first);
        EXPECT_EQ(save(reread), first) << s.bytes;
    }
}

// ---- colouring ----

TEST_F(ExTextTest, BuiltInRulesParsed)
{
    EXPECT_EQ(doc_.GetQuoteCount(), 6);
    EXPECT_EQ(doc_.GetKeyWordCount(), 32);
    const std::string quotes[][3] = {{"", "", ""},     {"\"", "\"", "\\\""}, {"'", "'", "\\'"},
                                     {"/*", "*/", ""}, {"//", "", ""},       {"#", "", ""}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(doc_.GetBeginQuote(i), quotes[i][0]);
        EXPECT_EQ(doc_.GetEndQuote(i), quotes[i][1]);
        EXPECT_EQ(doc_.GetCancelQuote(i), quotes[i][2]);
        EXPECT_EQ(doc_.GetTransmitQuote(i), i == 3);
    }
    EXPECT_EQ(doc_.GetKeyWord(0), "class");
    EXPECT_EQ(doc_.GetKeyWord(31), "return");
    EXPECT_EQ(doc_.GetKeyWordStyle(13).Bold, 1);
    EXPECT_EQ(doc_.GetDelimiters(), "!#$%&()-=^~\\|@`[{;+:*]},<.>/?");
    doc_.SetIniFile("/nonexistent/rules.ini");
    EXPECT_EQ(doc_.GetKeyWordCount(), 32);
}

// A rules file is read again whenever the rules are (its text may change); the rules' colours are
// in the colour table of a loaded text, whose own colours replace the table.
TEST_F(ExTextTest, RulesFileReadAgainAndColoursKeptThroughALoad)
{
    const std::string path = ::testing::TempDir() + "exrules.ini";
    const auto write = [&](const std::string& rules) { std::ofstream(path, std::ios::binary) << rules; };
    write("k,select,0x0000ff,1,0,0\r\nq,[,],,0,0x00ff00,0,0,0\r\n");
    doc_.SetIniFile(path);
    ASSERT_EQ(doc_.GetKeyWordCount(), 1);
    EXPECT_EQ(doc_.GetKeyWord(0), "select");
    EXPECT_EQ(doc_.GetQuoteCount(), 2);
    write("k,from,0x0000ff,1,0,0\r\nk,where,0x0000ff,0,1,0\r\n");
    doc_.Clear();
    ASSERT_EQ(doc_.GetKeyWordCount(), 2);
    EXPECT_EQ(doc_.GetKeyWord(1), "where");
    EXPECT_EQ(doc_.GetKeyWordStyle(1).Italic, 1);
    write("q,[,],,0,0x00ff00,0,0,0\r\n");
    Load("[a] b");
    EXPECT_EQ(doc_.GetKeyWordCount(), 0);
    ASSERT_EQ(doc_.GetQuoteCount(), 2);
    EXPECT_EQ(doc_.GetColors().GetColor(doc_.GetQuoteStyle(1).Color), 0x00ff00);
    std::remove(path.c_str());
}

TEST_F(ExTextTest, ColouringByQuotesAndKeywords)
{
    Load("int x = \"a\\\"\"; print Int(int_);\r\n/* 表 \"\r\nstill */ 表\" // c\r\n\"表\" # x\r\n");
    doc_.SetWordParse(true);
    const int blue = doc_.GetQuoteStyle(1).Color;
    const int comment = doc_.GetQuoteStyle(3).Color;
    const int hash = doc_.GetQuoteStyle(5).Color;
    // Each coloured stretch as "text:colour(bold)".
    const auto colours = [&](int line) {
        std::string out;
        const TExLine* l = doc_.GetPages(0)->GetLines(line);
        for (int i = 0; i + 1 < l->GetCount(); ++i) {
            const TExStyle& s = l->GetWords(i)->GetStyle();
            const char* name = s.Color == blue ? "q" : s.Color == comment ? "c" : s.Color == hash ? "h" : "-";
            const std::string tag = std::string(":") + name + (s.Bold == 1 ? "b" : "") + " ";
            if (out.size() >= tag.size() && out.compare(out.size() - tag.size(), tag.size(), tag) == 0)
                out.erase(out.size() - tag.size());
            out += l->GetWords(i)->GetText() + tag;
        }
        return out;
    };
    EXPECT_EQ(colours(0), "int:-b  x = :- \"a\\\"\":q ; print Int(int_);:- ");
    EXPECT_EQ(colours(1), "/* 表 \":c ");
    EXPECT_EQ(colours(2), "still */:c  表:- \" // c:q ");
    EXPECT_EQ(colours(3), "\"表\":q  :- # x:h ");
    EXPECT_EQ(TExTextParse::GetEndState(doc_.GetPages(0)->GetLines(1)), 3);
    EXPECT_EQ(TExTextParse::GetStartState(doc_.GetPages(0)->GetLines(2)), 3);
    EXPECT_EQ(TExTextParse::GetEndState(doc_.GetPages(0)->GetLines(2)), 0);
    doc_.SetWordParse(false);
    EXPECT_EQ(colours(0), "int x = \"a\\\"\"; print Int(int_);:- ");
    for (int l = 0; l < 4; ++l)
        EXPECT_EQ(TExTextParse::GetEndState(doc_.GetPages(0)->GetLines(l)), 0);
}

} // namespace
