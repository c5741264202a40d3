// The editor and its key commands on fixed metrics: typing into words, tabs, indents, overtype,
// joins, whole-text deletes, word and text selection, scrolling the caret into view, find, the
// fill-in and no-selection modes, the key table and files.
#include "EditorFixture.h"

#include "platform/Errors.h"
#include "platform/Files.h"
#include "support/ScriptedServices.h"

#include <QFile>

#include <random>
#include <sstream>

#include <unistd.h>

namespace {

class EditorTest : public vkttest::EditorFixture {};

TEST_F(EditorTest, TypingMakesWordsPerStyle)
{
    Type("ab");
    EXPECT_EQ(Doc()->GetPages(0)->GetLines(0)->GetCount(), 2);   // "ab" and the paragraph end
    EXPECT_EQ(editor_->GetHistorys()->Count(), 1);
    editor_->SetCaret(1);
    TExStyle bold;
    bold.Invisible().Bold = 1;
    editor_->SetStyle(bold);   // no selection: the typing style only
    Type("X");
    const TExLine* line = Doc()->GetPages(0)->GetLines(0);
    ASSERT_EQ(line->GetCount(), 4);
    EXPECT_EQ(line->GetWords(1)->GetText(), "X");
    EXPECT_EQ(line->GetWords(1)->GetStyle().Bold, 1);
    EXPECT_EQ(line->GetWords(2)->GetStyle().Bold, 0);
    Type("あ");   // class 4 in its own word, two units
    EXPECT_EQ(editor_->GetCaret(), 4);
    EXPECT_EQ(Text(), "aXあb\n");
}

TEST_F(EditorTest, TabsIndentsAndOvertype)
{
    const int tab = 4;
    struct Case {
        std::string before;
        int spaces;
    };
    for (const Case& c : {Case{"abc", tab - 3 % tab}, Case{"abcd", tab - 4 % tab}}) {
        editor_->Clear();
        Doc()->SetTabChar(tab);
        Type(c.before);
        editor_->InsertTab();
        EXPECT_EQ(Text(), c.before + std::string(static_cast<std::size_t>(c.spaces), ' ') + "\n") << c.before;
    }
    editor_->SetTabSpaces(false);
    editor_->InsertTab();
    EXPECT_EQ(Text().back(), '\n');
    EXPECT_NE(Text().find('\t'), std::string::npos);

    // A space at the start of a wrapped proportional paragraph indents it by half a character.
    editor_->Clear();
    Type("ab");
    editor_->SetCaret(0);
    Type(" ");
    EXPECT_EQ(Text(), "ab\n");
    EXPECT_EQ(Doc()->GetPages(0)->GetLines(0)->GetParaStyle().CharFirstIndent, 50);
    Type("\u3000");
    EXPECT_EQ(Doc()->GetPages(0)->GetLines(0)->GetParaStyle().CharFirstIndent, 150);
    editor_->BackChar();
    EXPECT_EQ(Doc()->GetPages(0)->GetLines(0)->GetParaStyle().CharFirstIndent, 100);
    EXPECT_EQ(Text(), "ab\n");

    // Overtyping the last character of a word replaces the first of the next text word.
    editor_->Clear();
    Type("ab");
    TExStyle bold;
    bold.Invisible().Bold = 1;
    editor_->SetStyle(bold);
    Type("cd");
    editor_->SetCaret(1);
    editor_->SetOverwrite(true);
    Type("xy");
    EXPECT_EQ(Text(), "axyd\n");
}

TEST_F(EditorTest, DeletesJoinParagraphsAndPages)
{
    Type("ab");
    editor_->InsertReturn();
    Type("cd");
    editor_->InsertPageNew();
    Type("ef");
    ASSERT_EQ(Text(), "ab\ncd\n\fef\n");
    editor_->SetCaret(2);
    editor_->DeleteChar();
    EXPECT_EQ(Text(), "abcd\n\fef\n");
    editor_->SetCaret(4);
    editor_->DeleteChar();
    EXPECT_EQ(Text(), "abcdef\n");
    EXPECT_EQ(Doc()->GetCount(), 1);
    editor_->SetCaret(Doc()->GetMaxPosition());
    editor_->DeleteChar();   // at the end nothing happens
    EXPECT_EQ(Text(), "abcdef\n");

    // Deleting the whole text leaves one paragraph in entry 0's style.
    TExStyle big;
    big.Invisible().Size = 300;
    editor_->SelectAll();
    editor_->SetStyle(big);
    editor_->SelectAll();
    editor_->DeleteSelection();
    EXPECT_EQ(Text(), "\n");
    EXPECT_EQ(Doc()->GetLastWord()->GetStyle(), Doc()->GetStyles().GetStyle(0));
    EXPECT_EQ(editor_->GetHistorys()->GetHistory(editor_->GetHistorys()->GetPosition() - 1)->Kind,
              THistory::kDeleteAll);
    editor_->Undo();
    EXPECT_EQ(Text(), "abcdef\n");
    EXPECT_EQ(Doc()->GetFirstWord()->GetStyle().Size, 300);
}

TEST_F(EditorTest, SelectionsFindAndModes)
{
    Type("abc def");
    editor_->SetCaret(1);
    editor_->SelectWord();
    EXPECT_EQ(editor_->GetSelInfo().GetTopPosition(), 0);
    EXPECT_EQ(editor_->GetSelInfo().GetBottomPosition(), 3);
    editor_->EndSelection();
    editor_->SetCaret(7);   // before the paragraph end: the last word
    editor_->SelectWord();
    EXPECT_EQ(editor_->GetSelInfo().GetTopPosition(), 4);

    editor_->SelectAll();
    EXPECT_EQ(editor_->GetSelInfo().GetSelLength(), 7);

    editor_->EndSelection();
    editor_->SetCaret(0);
    editor_->FindTextA(u"def");
    EXPECT_EQ(editor_->GetSelInfo().GetTopPosition(), 4);
    EXPECT_EQ(editor_->GetSelInfo().GetBottomPosition(), 7);
    editor_->FindTextA(u"abc");   // searches on from the caret
    EXPECT_FALSE(editor_->GetSelInfo().GetEnabled());

    editor_->SetCanSelect(false);
    editor_->BeginSelection();
    editor_->SetCaret(2);
    EXPECT_FALSE(editor_->GetSelInfo().GetEnabled());
    editor_->SetCanSelect(true);

    editor_->SetCanInsert(false);
    editor_->SetOverwrite(false);
    EXPECT_TRUE(editor_->GetOverwrite());
}

TEST_F(EditorTest, VisibleCaretScrolls)
{
    for (int i = 0; i < 10; ++i) {
        Type("line");
        editor_->InsertReturn();
    }
    // Rows of 16 px in a view 64 px high: the caret on row 10 puts row 7 at the top.
    EXPECT_EQ(editor_->GetTopLineInfo().Row, 10 - 64 / 16 + 1);
    editor_->SetCaret(0);
    EXPECT_EQ(editor_->GetTopPixel(), editor_->GetTopLineInfo().Top);
    editor_->VisibleCaret();
    EXPECT_EQ(editor_->GetTopPixel(), 0);

    Doc()->SetWordWrap(false);
    editor_->Clear();
    Type(std::string(30, 'a'));   // 300 px in a view 100 px wide
    EXPECT_GT(editor_->GetViewLeft(), 0);
    EXPECT_EQ(editor_->GetViewLeft() % 25, 0);
}

TEST_F(EditorTest, KeyTable)
{
    using C = TExTextCommand;
    Type("abcdef");
    editor_->SetCaret(0);
    for (int i = 0; i < 3; ++i)
        Key(C::kVkRight, true);
    EXPECT_EQ(editor_->GetSelInfo().GetSelLength(), 3);
    Key(C::kVkLeft);
    EXPECT_FALSE(editor_->GetSelInfo().GetEnabled());
    EXPECT_EQ(editor_->GetCaret(), 2);
    Key(C::kVkEnd);
    EXPECT_EQ(editor_->GetCaret(), 6);   // before the paragraph end
    Key(C::kVkHome);
    EXPECT_EQ(editor_->GetCaret(), 0);

    Key(C::kVkReturn);
    Key(C::kVkDelete);
    Key(C::kVkBack);
    EXPECT_EQ(Text(), "bcdef\n");
    Key('Z', false, true);
    EXPECT_EQ(Text(), "\nbcdef\n");
    Key('Z', true, true);
    EXPECT_EQ(Text(), "bcdef\n");
    Key('A', false, true);
    EXPECT_EQ(editor_->GetSelInfo().GetSelLength(), 5);

    unsigned short plain = 'A';
    editor_->Command(false, false, plain);
    EXPECT_EQ(plain, 'A');   // letters without Ctrl are typed, not commanded
    unsigned short insert = C::kVkInsert;
    editor_->Command(false, false, insert);
    EXPECT_EQ(insert, 0);
    EXPECT_TRUE(editor_->GetOverwrite());

    // Ctrl+Home goes to the start of the paragraph.
    editor_->Clear();
    Type(std::string(25, 'a'));   // three rows of nine
    Key(C::kVkHome, false, true);
    EXPECT_EQ(editor_->GetCaret(), 0);
}

TEST_F(EditorTest, FilesAndStreams)
{
    const std::string dir = vkttest::NewTempFolder("editor");
    const std::string rtf = dir + "/memo.RTF";
    Type("日本語 text");
    editor_->SaveToFile(rtf);
    EXPECT_FALSE(editor_->GetHistorys()->GetCanUndo());   // saving empties the log
    EXPECT_EQ(platform::ReadFileBytes(rtf).rfind("{\\rtf1", 0), 0u);
    Type("x");
    editor_->LoadFromFile(rtf);
    EXPECT_EQ(Text(), "日本語 text\n");
    EXPECT_FALSE(editor_->GetHistorys()->GetCanUndo());   // so does loading

    editor_->SetRichFormat(false);
    editor_->LoadFromFile(rtf);   // read as plain text
    EXPECT_EQ(Text().rfind("{\\rtf1", 0), 0u);
    editor_->SetRichFormat(true);

    // A failed save keeps the old file and names it.
    const std::string blocked = dir + "/missing/memo.rtf";
    EXPECT_THROW(editor_->SaveToFile(blocked), platform::FileError);
    EXPECT_THROW(editor_->LoadFromFile(dir + "/none.rtf"), platform::FileError);
    if (geteuid() != 0) {   // a folder without write permission stops everyone but root
        const std::string before = platform::ReadFileBytes(rtf);
        QFile::setPermissions(QString::fromStdString(dir), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EXPECT_THROW(editor_->SaveToFile(rtf), platform::FileError);
        QFile::setPermissions(QString::fromStdString(dir), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        EXPECT_EQ(platform::ReadFileBytes(rtf), before);
    }

    editor_->Clear();
    Type("紙 paper");
    std::stringstream stream;
    editor_->SaveToRichStream(stream);
    editor_->Clear();
    editor_->LoadFromRichStream(stream);
    EXPECT_EQ(Text(), "紙 paper\n");

    // characters code page 932 lacks are kept
    editor_->Clear();
    Type("トマト🍅 Āé");
    std::stringstream unicode;
    editor_->SaveToRichStream(unicode);
    editor_->Clear();
    editor_->LoadFromRichStream(unicode);
    EXPECT_EQ(Text(), "トマト🍅 Āé\n");
}

} // namespace

namespace {

// Every wrap record of a document as text: the totals, each page's and each line's rows.
std::string Layout(const TExText* doc)
{
    std::ostringstream out;
    out << doc->GetRowCount() << ' ' << doc->GetPageCount() << ' ' << doc->GetWidth() << ' ' << doc->GetHeight()
        << ' ' << doc->GetCharCount() << '\n';
    for (int p = 0; p < doc->GetCount(); ++p) {
        const TExPage* page = doc->GetPages(p);
        out << "page " << page->GetRowCount() << ' ' << page->GetWidth() << ' ' << page->GetHeight() << ' '
            << page->GetCharCount() << ':';
        for (int w = 0; w < page->GetPageWrapCount(); ++w)
            out << ' ' << page->GetPageWrapHeight(w) << '/' << page->GetPageWrapLineCount(w) << '/'
                << page->GetPageWrapCharCount(w);
        out << '\n';
        for (int l = 0; l < page->GetCount(); ++l) {
            const TExLine* line = page->GetLines(l);
            out << " line " << line->GetWidth() << ' ' << line->GetHeight() << ':';
            for (int r = 0; r < line->GetLineWrapCount(); ++r)
                out << ' ' << line->GetLineWrapCharCount(r) << '/' << line->GetLineWrapWidth(r) << '/'
                    << line->GetLineWrapHeight(r);
            out << '\n';
        }
    }
    return out.str();
}

// The rows of a position, a pixel and a row number, with every field of their records.
std::string Rows(const TExTextDrawer* doc, int position, int y, int row)
{
    std::ostringstream out;
    for (const TLineInfo& r : {doc->PositionToLineInfo(position), doc->PointToLineInfo(y),
                               doc->LineCountToLineInfo(row)})
        out << r.Line << ' ' << r.Word << ' ' << r.Wrap << ' ' << r.WordWrap << ' ' << r.LineOffset << ' '
            << r.WordOffset << ' ' << r.Row << ' ' << r.Position << ' ' << r.LineIndex << ' ' << r.LinePosition
            << ' ' << r.Top << '\n';
    return out.str();
}

} // namespace

TEST_F(EditorTest, TypingPagesOnlyTheChangedPage)
{
    for (int p = 0; p < 40; ++p) {
        Type("page " + std::to_string(p) + " text that wraps over rows");
        Key(TExTextCommand::kVkReturn);
        Type("second paragraph");
        if (p < 39)
            editor_->InsertPageNew();
    }
    ASSERT_EQ(Doc()->GetCount(), 40);
    editor_->SetCaret(Doc()->PageToCaret(Doc()->GetPageCount() / 2) + 3);
    const long before = Doc()->GetPagedCount();
    Type("xyz");
    EXPECT_EQ(Doc()->GetPagedCount() - before, 3);
}

// Edits, undos and changes of the wrap size, page gap and paging in a seeded random order: after
// each the wrap kept by the incremental pass equals a full wrap of the same text.
TEST_F(EditorTest, IncrementalWrapMatchesFullWrap)
{
    std::mt19937 random(20240611);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const char* const words[] = {"a", "bb", "ccc dd ", "あい", "長い段落の文字", " e f g h i j k "};
    for (int step = 0; step < 600; ++step) {
        const int op = pick(20);
        if (op < 7) {
            Type(words[pick(6)]);
        } else if (op < 9) {
            Key(TExTextCommand::kVkReturn);
        } else if (op == 9) {
            editor_->InsertPageNew();
        } else if (op < 12) {
            Key(pick(2) ? TExTextCommand::kVkBack : TExTextCommand::kVkDelete);
        } else if (op == 12) {
            editor_->Undo();
        } else if (op == 13) {
            Select(pick(Doc()->GetMaxPosition() + 1), pick(Doc()->GetMaxPosition() + 1));
            Key(TExTextCommand::kVkDelete);
        } else if (op == 14) {
            Doc()->SetWrapHeight(32 + 16 * pick(6));
        } else if (op == 15) {
            Doc()->SetPageGap(1 + pick(20));
        } else if (op == 16) {
            Doc()->SetMultiPage(!Doc()->GetMultiPage());
        } else if (op == 17) {
            Doc()->SetWrapWidth(60 + 10 * pick(8));
        } else {
            editor_->EndSelection();
            editor_->SetCaret(pick(Doc()->GetMaxPosition() + 1));
        }
        const std::string kept = Layout(Doc());
        Doc()->Wrapping(true);
        ASSERT_EQ(kept, Layout(Doc())) << "step " << step << " op " << op;
        // Rows found through the page sums equal rows found by walking every page (a pending
        // change sets the sums aside).
        // Random places, and the first position, pixel and row of a page.
        int position = pick(Doc()->GetMaxPosition() + 1);
        int y = pick(Doc()->GetHeight() + 1);
        int row = pick(Doc()->GetRowCount() + 1);
        int start[3] = {0, 0, 1};
        for (int p = pick(Doc()->GetCount()), i = 0; i < p; ++i) {
            start[0] += Doc()->GetPages(i)->GetCharCount();
            start[1] += Doc()->GetPages(i)->GetHeight();
            start[2] += Doc()->GetPages(i)->GetRowCount();
        }
        const std::string summed = Rows(Doc(), position, y, row) + Rows(Doc(), start[0], start[1], start[2]);
        Doc()->BeginUpdate();
        Doc()->Change();
        const std::string walked = Rows(Doc(), position, y, row) + Rows(Doc(), start[0], start[1], start[2]);
        Doc()->EndUpdate();
        ASSERT_EQ(summed, walked) << "step " << step;
    }
    EXPECT_GE(Doc()->GetCount(), 3);
}
