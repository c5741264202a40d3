#include "richtext/Uextexthistory.h"

namespace {

bool SameRecord(const THistory& h, int kind, int paraIndex, int charIndex, const TExParaStyle& para,
                const TExStyle& style)
{
    return h.Kind == kind && h.ParaStyleIndex == paraIndex && h.CharStyleIndex == charIndex && h.ParaStyle == para &&
           h.Style == style;
}

std::string Utf8Of(char32_t code) { return CodePointsToUtf8(std::u32string(1, code)); }

} // namespace

THistorys::THistorys(TExText* text) : text_(text) {}

void THistorys::Clear()
{
    items_.clear();
    position_ = 0;
}

THistory* THistorys::GetHistory(int index) const
{
    return index >= 0 && index < Count() ? items_[static_cast<std::size_t>(index)].get() : nullptr;
}

THistory* THistorys::AddHistory()
{
    items_.resize(static_cast<std::size_t>(position_));
    items_.push_back(std::make_unique<THistory>());
    ++position_;
    return items_.back().get();
}

THistory* THistorys::Undo()
{
    if (GetCanUndo())
        --position_;
    return GetHistory(position_);
}

THistory* THistorys::Redo()
{
    if (GetCanRedo())
        ++position_;
    return GetHistory(position_ - 1);
}

std::unique_ptr<TExLightText> THistorys::Snapshot() const
{
    auto runs = std::make_unique<TExLightText>();
    if (text_) {
        runs->GetFontAttributes().Assign(&text_->GetFonts());
        runs->GetColorAttributes().Assign(&text_->GetColors());
        runs->GetStyleAttributes().Assign(&text_->GetStyles());
        runs->GetFontAttributes().SetFixedFont(text_->GetFixedFont());
    }
    return runs;
}

THistory* THistorys::Top(int kind, int paraIndex, int charIndex, const TExParaStyle& para,
                         const TExStyle& style) const
{
    if (!GetCanUndo())
        return nullptr;
    THistory* top = GetHistory(position_ - 1);
    return top && SameRecord(*top, kind, paraIndex, charIndex, para, style) ? top : nullptr;
}

THistory* THistorys::NewRecord(int kind, int start, int paraIndex, int charIndex, const TExParaStyle& para,
                               const TExStyle& style)
{
    THistory* h = AddHistory();
    h->Kind = kind;
    h->Start = start;
    h->ParaStyleIndex = paraIndex;
    h->CharStyleIndex = charIndex;
    h->ParaStyle = para;
    h->Style = style;
    h->Text = Snapshot();
    return h;
}

THistory* THistorys::InsertText(int start, std::unique_ptr<TExLightText> text)
{
    THistory* h = AddHistory();
    h->Kind = THistory::kInsertText;
    h->Start = start;
    h->End = start + (text ? text->GetCharCount() : 0);
    h->Text = std::move(text);
    return h;
}

void THistorys::DeleteText(int start, int end, std::unique_ptr<TExLightText> text)
{
    THistory* h = AddHistory();
    h->Kind = THistory::kDeleteText;
    h->Start = start;
    h->End = end;
    h->Text = std::move(text);
}

void THistorys::DeleteAll(std::unique_ptr<TExLightText> text)
{
    THistory* h = AddHistory();
    h->Kind = THistory::kDeleteAll;
    h->Text = std::move(text);
}

void THistorys::ChangeStyle(int start, int end, int paraIndex, int charIndex, const TExParaStyle& para,
                            const TExStyle& style, std::unique_ptr<TExLightText> text)
{
    if (THistory* top = Top(THistory::kChangeStyle, paraIndex, charIndex, para, style);
        top && top->Start == start && top->End == end) {
        top->Style << style;
        top->ParaStyle << para;
        return;   // the record keeps the text as it was before its first change
    }
    THistory* h = AddHistory();
    h->Kind = THistory::kChangeStyle;
    h->Start = start;
    h->End = end;
    h->ParaStyleIndex = paraIndex;
    h->CharStyleIndex = charIndex;
    h->ParaStyle = para;
    h->Style = style;
    h->Text = std::move(text);
}

void THistorys::AppendCode(TExLightText* runs, char32_t code, int paraIndex, int charIndex, const TExParaStyle& para,
                           const TExStyle& style, bool front)
{
    if (code == 0)
        return;
    const int position = front ? 0 : -1;
    if (code == kCodeTab || code == kCodeLine || code == kCodePara) {
        if (code == kCodePara) {
            runs->SetCurrentStyleIndex(paraIndex < 0 ? 0 : paraIndex);
            runs->SetCurrentParaStyle(para);
        }
        runs->SetCurrentCharStyleIndex(charIndex < 0 ? 0 : charIndex);
        runs->SetCurrentStyle(style);
        const TExWordType type = code == kCodeTab ? kWordTab : code == kCodeLine ? kWordLine : kWordPara;
        runs->AddWord(position, std::string(), type, style.CharClass);
        return;
    }
    if (code == kCodePage) {
        runs->AddWord(position, std::string(), kWordPage, 0);
        return;
    }
    const int cs = charIndex < 0 ? 0 : charIndex;
    TExLightWord* edge = runs->Count() == 0 ? nullptr : front ? runs->GetWords(0) : runs->GetLastWord();
    if (edge && edge->Type == kWordText && edge->CharStyleIndex == cs && edge->Style == style) {
        edge->Text = front ? Utf8Of(code) + edge->Text : edge->Text + Utf8Of(code);
        return;
    }
    runs->SetCurrentCharStyleIndex(cs);
    runs->SetCurrentStyle(style);
    runs->AddWord(position, Utf8Of(code), kWordText, style.CharClass);
}

void THistorys::InsertChar(int start, int end, int paraIndex, int charIndex, const TExParaStyle& para,
                           const TExStyle& style, char32_t code)
{
    THistory* h = Top(THistory::kInsertChar, paraIndex, charIndex, para, style);
    if (!h || h->End != start)
        h = NewRecord(THistory::kInsertChar, start, paraIndex, charIndex, para, style);
    h->End = end;
    AppendCode(h->Text.get(), code, paraIndex, charIndex, para, style);
}

void THistorys::DeleteChar(int position, int paraIndex, int charIndex, const TExParaStyle& para,
                           const TExStyle& style, char32_t code)
{
    THistory* h = Top(THistory::kDeleteChar, paraIndex, charIndex, para, style);
    if (!h || h->Start != position)
        h = NewRecord(THistory::kDeleteChar, position, paraIndex, charIndex, para, style);
    AppendCode(h->Text.get(), code, paraIndex, charIndex, para, style);
}

void THistorys::BackChar(int start, int end, int paraIndex, int charIndex, const TExParaStyle& para,
                         const TExStyle& style, char32_t code)
{
    THistory* h = Top(THistory::kBackChar, paraIndex, charIndex, para, style);
    if (!h || h->End != start)
        h = NewRecord(THistory::kBackChar, start, paraIndex, charIndex, para, style);
    h->End = end;
    AppendCode(h->Text.get(), code, paraIndex, charIndex, para, style, true);
}

void THistorys::Replace(int start, int end, int paraIndex, int charIndex, const TExParaStyle& para, TExStyle style,
                        char32_t code, char32_t oldCode, int newClass, int oldClass)
{
    style.CharClass = 0;
    THistory* h = Top(THistory::kReplace, paraIndex, charIndex, para, style);
    if (!h || h->End != start) {
        h = NewRecord(THistory::kReplace, start, paraIndex, charIndex, para, style);
        h->OldText = Snapshot();
    }
    h->End = end;
    const auto classed = [&](char32_t c, int cls) {
        TExStyle s = style;
        s.CharClass = c <= kCodeLine ? 0 : (cls > 0 ? cls : CharClassOf(c));
        return s;
    };
    if (code == 0)
        return;
    AppendCode(h->Text.get(), code, paraIndex, charIndex, para, classed(code, newClass));
    AppendCode(h->OldText.get(), oldCode, paraIndex, charIndex, para, classed(oldCode, oldClass));
}
