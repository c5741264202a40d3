#pragma once
// An editor on fixed metrics (rows of 16 px, 10 px a half-width character) with helpers that
// read the document back as plain text: "\n" a paragraph end, "\f" a page break, "\t" a tab.
#include "richtext/Uextextcommand.h"
#include "support/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <string>

namespace vkttest {

class EditorFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        canvas_.SetAdvance(10);
        SetMeasureCanvas(&canvas_);
        editor_ = std::make_unique<TExTextCommand>();
        Doc()->SetWordWrap(true);
        Doc()->SetWrapSize(100, 64);
    }
    void TearDown() override
    {
        editor_.reset();
        SetMeasureCanvas(nullptr);
    }
    TExTextDrawer* Doc() const { return editor_->GetText(); }
    static std::string Dump(const TExText* doc)
    {
        std::string out;
        for (int p = 0; p < doc->GetCount(); ++p) {
            if (p > 0)
                out += "\f";
            const TExPage* page = doc->GetPages(p);
            for (int l = 0; l < page->GetCount(); ++l) {
                const TExLine* line = page->GetLines(l);
                for (int w = 0; w < line->GetCount(); ++w) {
                    const TExWord* word = line->GetWords(w);
                    switch (word->GetType()) {
                    case kWordText: out += word->GetText(); break;
                    case kWordTab: out += "\t"; break;
                    case kWordPara: out += "\n"; break;
                    case kWordLine: out += "\v"; break;
                    default: break;
                    }
                }
            }
        }
        return out;
    }
    std::string Text() const { return Dump(Doc()); }
    void Type(const std::string& utf8)
    {
        for (char32_t c : CodePoints(utf8))
            editor_->InsertChar(c);
    }
    void Key(unsigned short key, bool shift = false, bool ctrl = false) { editor_->Command(shift, ctrl, key); }
    void Select(int from, int to)
    {
        editor_->EndSelection();
        editor_->SetCaret(from);
        editor_->BeginSelection();
        editor_->SetCaret(to);
    }

    RecordingCanvas canvas_;
    std::unique_ptr<TExTextCommand> editor_;
};

} // namespace vkttest
