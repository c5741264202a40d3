// The undo log: merge rules, the redo tail, undo and redo of each record kind, and a seeded run
// of random edits mirrored on a plain-text model.
#include "EditorFixture.h"
#include "gui/Clipboard.h"

#include <random>
#include <sstream>

namespace {

class HistoryTest : public vkttest::EditorFixture {
protected:
    THistorys* Log() const { return editor_->GetHistorys(); }
    THistory* Top() const { return Log()->GetHistory(Log()->GetPosition() - 1); }
    static std::string RunText(const TExLightText* runs)
    {
        std::string out;
        for (int i = 0; i < runs->Count(); ++i) {
            const TExLightWord* w = runs->GetWords(i);
            out += w->Type == kWordText ? w->Text : w->Type == kWordPara ? "\n" : w->Type == kWordPage ? "\f" : "?";
        }
        return out;
    }
};

TEST_F(HistoryTest, MergeRules)
{
    Type("abc");
    EXPECT_EQ(Log()->Count(), 1);
    editor_->SetCaret(1);
    Type("x");   // typed elsewhere: a new record
    EXPECT_EQ(Log()->Count(), 2);
    editor_->Undo();
    editor_->Undo();
    EXPECT_EQ(Text(), "\n");

    Type("abc");
    for (int i = 0; i < 3; ++i)
        editor_->BackChar();
    ASSERT_EQ(Log()->GetPosition(), 2);
    EXPECT_EQ(Top()->Kind, THistory::kBackChar);
    EXPECT_EQ(RunText(Top()->Text.get()), "abc");   // reading order
    editor_->Undo();
    EXPECT_EQ(Text(), "abc\n");
    EXPECT_EQ(editor_->GetSelInfo().GetTopPosition(), 0);
    EXPECT_EQ(editor_->GetSelInfo().GetBottomPosition(), 3);

    editor_->EndSelection();
    editor_->SetCaret(0);
    for (int i = 0; i < 3; ++i)
        editor_->DeleteChar();
    EXPECT_EQ(Top()->Kind, THistory::kDeleteChar);
    EXPECT_EQ(RunText(Top()->Text.get()), "abc");
    EXPECT_FALSE(Log()->GetCanRedo());   // the new edit dropped the redo tail
    editor_->Undo();
    EXPECT_EQ(Text(), "abc\n");
}

TEST_F(HistoryTest, OvertypeAndStyles)
{
    Type("ab");
    editor_->SetCaret(0);
    editor_->SetOverwrite(true);
    Type("xy");
    EXPECT_EQ(Text(), "xy\n");
    EXPECT_EQ(Top()->Kind, THistory::kReplace);
    EXPECT_EQ(RunText(Top()->Text.get()), "xy");
    EXPECT_EQ(RunText(Top()->OldText.get()), "ab");
    editor_->Undo();
    EXPECT_EQ(Text(), "ab\n");
    EXPECT_EQ(editor_->GetSelInfo().GetSelLength(), 2);
    editor_->Redo();
    EXPECT_EQ(Text(), "xy\n");
    EXPECT_EQ(editor_->GetSelInfo().GetSelLength(), 2);

    editor_->EndSelection();
    editor_->SetCaret(2);   // before the paragraph end: only inserts
    Type("z");
    EXPECT_EQ(Text(), "xyz\n");
    EXPECT_EQ(Top()->OldText->Count(), 0);
    editor_->Undo();
    EXPECT_EQ(Text(), "xy\n");
    editor_->SetOverwrite(false);

    const int before = Log()->GetPosition();
    Select(0, 2);
    TExStyle bold;
    bold.Invisible().Bold = 1;
    editor_->SetStyle(bold);
    editor_->SetStyle(bold);
    EXPECT_EQ(Log()->GetPosition(), before + 1);   // the same style twice: one record
    TExStyle italic;
    italic.Invisible().Italic = 1;
    editor_->SetStyle(italic);
    EXPECT_EQ(Log()->GetPosition(), before + 2);
    editor_->Undo();
    editor_->Undo();
    EXPECT_EQ(Doc()->GetFirstWord()->GetStyle().Bold, 0);
    EXPECT_EQ(editor_->GetSelInfo().GetSelLength(), 2);
}

TEST_F(HistoryTest, PageBoundariesAndWholeText)
{
    Type("ab");
    editor_->InsertPageNew();
    Type("cd");
    ASSERT_EQ(Text(), "ab\n\fcd\n");
    editor_->SetCaret(4);   // the start of the second page
    editor_->BackChar();    // takes the paragraph end and the page break in one record
    EXPECT_EQ(Text(), "abcd\n");
    EXPECT_EQ(RunText(Top()->Text.get()), "\n\f");
    editor_->Undo();
    EXPECT_EQ(Text(), "ab\n\fcd\n");
    editor_->EndSelection();
    editor_->SetCaret(2);
    editor_->DeleteChar();
    EXPECT_EQ(Text(), "abcd\n");
    editor_->Undo();
    EXPECT_EQ(Text(), "ab\n\fcd\n");

    // A style change over the whole text comes back from its snapshot.
    editor_->SelectAll();
    TExStyle red;
    red.Invisible().Size = 200;
    editor_->SetStyle(red);
    EXPECT_EQ(Doc()->GetFirstWord()->GetStyle().Size, 200);
    editor_->Undo();
    EXPECT_EQ(Text(), "ab\n\fcd\n");
    EXPECT_NE(Doc()->GetFirstWord()->GetStyle().Size, 200);
    editor_->Redo();
    EXPECT_EQ(Doc()->GetFirstWord()->GetStyle().Size, 200);
}

TEST_F(HistoryTest, PastedPageBreaksUndoneAndRedoneExactly)
{
    const auto rtf = [&] {
        std::ostringstream out;
        editor_->SaveToRichStream(out);
        return out.str();
    };
    struct Case {
        const char* text;
        int caret;
        const char* rtf;
    };
    const Case cases[] = {
        {"first line\r\n\r\n", 12, "Salt\\page Pepper\\par"},
        {"ABCDEF", 3, "Salt\\page Pepper\\par"},
        {"ABCDEF", 3, "Salt\\page"},
        {"ABCDEF", 3, "\\page Pepper\\par"},
        {"first line\r\n\r\n", 12, "\\page Pepper\\par"},
        {"first line\r\n\r\n", 12, "\\page"},
        {"ABCDEF", 0, "\\page\\page x\\page"},
    };
    for (const Case& c : cases) {
        std::istringstream in(c.text);
        editor_->LoadFromTextStream(in);
        editor_->SetCaret(c.caret);
        const std::string before = rtf();
        const std::string text = Text();
        const int after = Doc()->GetCharCount() - c.caret;   // what follows the caret stays
        platform::Clipboard::SetData("text/rtf", std::string("{\\rtf1\\ansi ") + c.rtf + "}");
        editor_->PasteFromClipboard();
        const std::string pasted = rtf();
        EXPECT_EQ(editor_->GetCaret(), Doc()->GetCharCount() - after) << c.text << " + " << c.rtf;
        editor_->Undo();
        EXPECT_EQ(Text(), text) << c.text << " + " << c.rtf;
        EXPECT_EQ(rtf(), before) << c.text << " + " << c.rtf;
        editor_->Redo();
        EXPECT_EQ(rtf(), pasted) << c.text << " + " << c.rtf;
        editor_->Undo();
        EXPECT_EQ(rtf(), before) << c.text << " + " << c.rtf;
    }
}

// ---- random edits against a plain-text model ----

int Units(char32_t c)
{
    if (c == U'\n')
        return 2;
    if (c == U'\f')
        return 0;
    if (c == U'\t')
        return 1;
    return ClassWidth(CharClassOf(c));
}

// The model index of a position: after any page break standing there.
std::size_t IndexOf(const std::u32string& m, int pos)
{
    std::size_t i = 0;
    for (int p = 0; i < m.size() && (p < pos || m[i] == U'\f'); ++i)
        p += Units(m[i]);
    return i;
}

int PositionOf(const std::u32string& m, std::size_t index)
{
    int p = 0;
    for (std::size_t i = 0; i < index; ++i)
        p += Units(m[i]);
    return p;
}

TEST_F(HistoryTest, RandomEditsMirrorAModel)
{
    std::mt19937 rng(20240607);
    const std::u32string letters = U"abcdefgxyz あいうえおカナ漢字　";
    std::u32string model = U"\n";
    std::vector<std::u32string> states{model};
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    // A space at a paragraph's start indents it instead (tested on its own).
    const auto letter = [&](std::size_t i) {
        const char32_t c = letters[static_cast<std::size_t>(pick(static_cast<int>(letters.size())))];
        const bool start = i == 0 || model[i - 1] == U'\n' || model[i - 1] == U'\f';
        return start && (c == U' ' || c == U'\u3000') ? U'a' : c;
    };
    TExStyle bold;
    bold.Invisible().Bold = 1;
    TExStyle plain;
    plain.Invisible().Bold = 0;
    for (int step = 0; step < 3000; ++step) {
        const int max = PositionOf(model, model.size()) - 2;
        const int pos = PositionOf(model, IndexOf(model, pick(max + 1)));
        editor_->EndSelection();
        editor_->SetCaret(pos);
        ASSERT_EQ(editor_->GetCaret(), pos);
        std::size_t i = IndexOf(model, pos);
        const int op = model.size() > 120 ? pick(3) + 1 : pick(10);
        std::string what;
        const std::u32string before = model;
        switch (op) {
        case 0:
        case 4:
        case 5: {
            const char32_t c = letter(i);
            editor_->InsertChar(c);
            model.insert(i, 1, c);
            what = "type";
            break;
        }
        case 1:
            editor_->DeleteChar();
            if (i + 1 < model.size())
                model.erase(i, model[i] == U'\n' && model[i + 1] == U'\f' ? 2 : 1);
            what = "delete";
            break;
        case 2:
            editor_->BackChar();
            if (i > 0)
                model.erase(i >= 2 && model[i - 1] == U'\f' ? i - 2 : i - 1, model[i - 1] == U'\f' ? 2 : 1);
            what = "back";
            break;
        case 3: {
            const int to = PositionOf(model, IndexOf(model, pick(max + 1)));
            Select(pos, to);
            editor_->DeleteSelection();
            const std::size_t a = IndexOf(model, std::min(pos, to));
            const std::size_t b = IndexOf(model, std::max(pos, to));
            model.erase(a, b - a);
            what = "delete selection";
            break;
        }
        case 6:
            editor_->InsertReturn();
            model.insert(i, 1, U'\n');
            what = "return";
            break;
        case 7: {
            editor_->InsertPageNew();
            const bool lineStart = i > 0 && model[i - 1] == U'\n';
            if (!lineStart) {   // the return before the break is an edit of its own
                model.insert(i++, 1, U'\n');
                states.push_back(model);
            }
            model.insert(i, 1, U'\f');
            what = "page";
            break;
        }
        case 8: {
            editor_->SetOverwrite(true);
            const char32_t c = letter(i);
            editor_->InsertChar(c);
            editor_->SetOverwrite(false);
            model.insert(i, 1, c);
            if (model[i + 1] != U'\n')
                model.erase(i + 1, 1);
            what = "overtype";
            break;
        }
        default: {
            const int to = PositionOf(model, IndexOf(model, pick(max + 1)));
            Select(pos, to);
            if (pick(2) == 0 || pos == to) {
                editor_->SetStyle(pick(2) ? bold : plain);
                what = "style";
            } else {
                editor_->CopyToClipboard();
                const std::size_t a = IndexOf(model, std::min(pos, to));
                const std::size_t b = IndexOf(model, std::max(pos, to));
                std::u32string copied = model.substr(a, b - a);
                if (!copied.empty() && copied.front() == U'\f')
                    copied.erase(0, 1);   // a copy holds no break at its edges
                if (!copied.empty() && copied.back() == U'\f')
                    copied.pop_back();
                const int at = PositionOf(model, IndexOf(model, pick(max + 1)));
                editor_->EndSelection();
                editor_->SetCaret(at);
                editor_->PasteFromClipboard();
                model.insert(IndexOf(model, at), copied);
                what = "paste " + std::to_string(pos) + ".." + std::to_string(to) + " at " + std::to_string(at) +
                       " of [" + CodePointsToUtf8(copied) + "]";
            }
            break;
        }
        }
        ASSERT_EQ(Text(), CodePointsToUtf8(model)) << "step " << step << " " << what << " at " << pos << " in [" << CodePointsToUtf8(before) << "]";
        if (states.back() != model)
            states.push_back(model);
    }
    // Each undo returns to an earlier state, in reverse order.
    std::size_t at = states.size() - 1;
    while (editor_->GetHistorys()->GetCanUndo()) {
        const THistory* h = editor_->GetHistorys()->GetHistory(editor_->GetHistorys()->GetPosition() - 1);
        const std::string was = Text();
        const std::string rec = "kind " + std::to_string(h->Kind) + " " + std::to_string(h->Start) + ".." +
                                std::to_string(h->End) + " [" + RunText(h->Text.get()) + "] from [" + was + "]";
        editor_->Undo();
        const std::u32string now = CodePoints(Text());
        std::size_t k = at;
        while (k > 0 && states[k] != now)
            --k;
        ASSERT_EQ(states[k], now) << "undo " << editor_->GetHistorys()->GetPosition() << " " << rec;
        at = k;
    }
    EXPECT_EQ(Text(), "\n");
    while (editor_->GetHistorys()->GetCanRedo())
        editor_->Redo();
    EXPECT_EQ(CodePoints(Text()), model);
}

} // namespace
