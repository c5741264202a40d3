// TExText: structural edits, the exchange with styled-run lists and streams.
#include "richtext/Uextext.h"

#include <istream>
#include <ostream>

TExWord* TExText::InsertWord(TExWord* word, int offset)
{
    if (!word)
        return nullptr;
    TExLine* line = word->GetOwner();
    TExWord* created = nullptr;
    if (offset <= 0) {
        created = line->InsertWord(word->GetIndex());
    } else {
        if (offset < word->GetWordCharCount())
            word->Split(offset);
        created = line->InsertWord(word->GetIndex() + 1);
    }
    created->BeginUpdate();
    created->SetStyleIndex(word->GetStyleIndex());
    created->SetStyle(word->GetStyle());
    created->EndUpdate();
    return created;
}

TExWord* TExText::InsertReturn(TExWord* word, int offset)
{
    if (singleLine_ || !word)
        return nullptr;
    BeginUpdate();
    TExWord* para = InsertWord(word, offset);
    para->SetType(kWordPara);
    if (offset <= 0) {
        if (TExWord* prev = para->GetPrevWord())
            para->SetStyle(prev->GetStyle());
    }
    TExLine* line = para->GetOwner();
    line->Split(para->GetIndex() + 1);
    EndUpdate();
    return para;
}

TExWord* TExText::InsertPageNew(TExWord* word, int offset)
{
    if (singleLine_ || !word)
        return nullptr;
    TExLine* line = word->GetOwner();
    TExPage* page = line->GetOwner();
    BeginUpdate();
    TExWord* result = word;
    if (offset <= 0 && word->GetIndex() == 0 && line->GetIndex() > 0) {
        page->Split(line->GetIndex());
    } else {
        result = InsertReturn(word, offset);
        page->Split(result->GetOwner()->GetIndex() + 1);
    }
    EndUpdate();
    return result;
}

std::unique_ptr<TExLightText> TExText::CopyToLightText(TExWord* first, TExWord* last)
{
    auto runs = std::make_unique<TExLightText>();
    runs->GetStyleAttributes().Assign(&styles_);
    runs->GetFontAttributes().Assign(&fonts_);
    runs->GetColorAttributes().Assign(&colors_);
    runs->SetDocStyle(docStyle_);
    const TExPage* page = first ? first->GetOwner()->GetOwner() : nullptr;
    for (TExWord* w = first; w; w = w->GetNextWord()) {
        TExLine* line = w->GetOwner();
        if (line->GetOwner() != page) {
            page = line->GetOwner();
            runs->AddWord(-1, std::string(), kWordPage, 0);
        }
        const TExWordType type = w->GetType();
        TExLightWord* run = runs->AddWord(-1, type == kWordText ? w->GetText() : std::string(), type, 0);
        run->Text = type == kWordText ? w->GetText() : std::string();
        run->StyleIndex = line->GetStyleIndex();
        run->CharStyleIndex = w->GetStyleIndex();
        run->ParaStyle = line->GetParaStyle() - styles_.GetParaStyle(line->GetStyleIndex());
        run->Style = w->GetStyle() - BaseStyle(line->GetStyleIndex(), w->GetStyleIndex());
        if (type == kWordText)
            run->Style.CharClass = w->GetStyle().CharClass;
        if (w == last)
            break;
    }
    return runs;
}

int TExText::MapFont(TExLightText* runs, int index)
{
    const TFontAttributes& f = runs->GetFontAttributes();
    if (index < 0 || index >= f.Count())
        return index;
    return fonts_.IndexOfFont(f.GetName(index), f.GetCharset(index), f.GetFamily(index));
}

int TExText::MapColor(TExLightText* runs, int index)
{
    if (index <= 0 || index >= runs->GetColorAttributes().Count())
        return index;
    return colors_.IndexOfColor(runs->GetColorAttributes().GetColor(index));
}

TExStyle TExText::MapStyle(TExLightText* runs, TExStyle style)
{
    style.DBFont = MapFont(runs, style.DBFont);
    style.HighFont = MapFont(runs, style.HighFont);
    style.LowFont = MapFont(runs, style.LowFont);
    style.Color = MapColor(runs, style.Color);
    style.Highlight = MapColor(runs, style.Highlight);
    style.ULColor = MapColor(runs, style.ULColor);
    return style;
}

int TExText::MapSheet(TExLightText* runs, int index, bool paragraph)
{
    const TStyleAttributes& sheet = runs->GetStyleAttributes();
    if (index <= 0 || index >= sheet.Count())
        return 0;
    TExParaStyle para = sheet.GetParaStyle(index);
    if (!paragraph)
        para.Invisible();
    return styles_.IndexOfStyle(sheet.GetName(index), MapStyle(runs, sheet.GetStyle(index)), para);
}

void TExText::InsertRun(TExLightText* runs, const TExLightWord& run, TExWord* before, int& ownWords)
{
    TExWordType type = run.Type;
    std::string text = run.Text;
    if (singleLine_ && (type == kWordPara || type == kWordLine)) {
        text = type == kWordPara ? "  " : " ";
        type = kWordText;
    }
    TExLine* line = before->GetOwner();
    TExWord* word = line->InsertWord(before->GetIndex());
    const int sheetIndex = MapSheet(runs, run.StyleIndex, true);
    const int charIndex = MapSheet(runs, run.CharStyleIndex, false);
    word->BeginUpdate();
    if (type == kWordPara) {
        TExLine* next = line->Split(word->GetIndex() + 1);
        line->SetStyleIndex(sheetIndex);
        line->SetParaStyle(styles_.GetParaStyle(sheetIndex) + run.ParaStyle);
        // The line's own words before the paste now belong to the paragraph ending here; the
        // pasted ones keep what their runs showed.
        for (int w = 0; w < ownWords && w < word->GetIndex(); ++w)
            Rebase(line->GetWords(w), next->GetStyleIndex(), sheetIndex);
        ownWords = 0;
    }
    // A pasted run shows as it showed among the runs, whatever the paragraph it joins and whatever
    // this text's entries of the same number hold.
    TExStyle style = MapStyle(runs, runs->EffectiveStyle(run));
    if (type != run.Type)
        style.CharClass = kClassSpace;
    word->SetStyleIndex(charIndex);
    word->SetStyle(style);
    word->SetType(type);
    if (type == kWordText)
        word->SetString(text);
    word->EndUpdate();
}

void TExText::InsertFromLightText(TExLightText* runs, TExWord* before)
{
    if (!runs || runs->Count() == 0 || !before)
        return;
    runs->Restore();
    BeginUpdate();
    int ownWords = before->GetIndex();   // the words of the paste's first line that were there
    for (int i = 0; i < runs->Count(); ++i) {
        const TExLightWord& run = *runs->GetWords(i);
        if (run.Type != kWordPage) {
            InsertRun(runs, run, before, ownWords);
            continue;
        }
        if (singleLine_)
            continue;
        // A break inside a paragraph ends it there, as reading does, so that what stands before it
        // keeps its page. After pasted runs the end is theirs, as a pasted paragraph end would be;
        // otherwise it is the one a typed break adds.
        if (before->GetIndex() > 0 || before->GetOwner()->GetIndex() == 0) {
            if (i > 0 && before->GetIndex() > 0) {
                TExLightWord end = *runs->GetWords(i - 1);
                end.Type = kWordPara;
                end.Text.clear();
                InsertRun(runs, end, before, ownWords);
            } else {
                InsertReturn(before, 0);
            }
        }
        TExLine* line = before->GetOwner();
        line->GetOwner()->Split(line->GetIndex());
        ownWords = 0;
    }
    EndUpdate();
}

void TExText::ReplaceFromLightText(TExLightText* runs)
{
    if (!runs || runs->Count() == 0)
        return;
    runs->Restore();
    BeginUpdate();
    Clear();
    styles_.Assign(&runs->GetStyleAttributes());
    fonts_.Assign(&runs->GetFontAttributes());
    colors_.Assign(&runs->GetColorAttributes());
    SetDocStyle(runs->GetDocStyle());
    TExWord* last = GetLastWord();
    TExPage* page = last->GetOwner()->GetOwner();
    page->BeginUpdate();
    {
        const TExLightWord& first = *runs->GetWords(0);
        TExLine* line = last->GetOwner();
        line->SetStyleIndex(first.StyleIndex);
        line->SetParaStyle(styles_.GetParaStyle(first.StyleIndex) + first.ParaStyle);
    }
    const int count = runs->Count();
    for (int i = 0; i < count; ++i) {
        const TExLightWord& run = *runs->GetWords(i);
        TExWordType type = run.Type;
        std::string text = run.Text;
        TExLine* line = last->GetOwner();
        if (type == kWordPage) {
            if (!singleLine_) {
                page->EndUpdate();
                // A break inside a paragraph ends it there: the words before stay on this page.
                if (TExWord* end = InsertPageNew(last, 0); end->GetIndex() > 0) {
                    const TExLightWord& before = *runs->GetWords(i - 1);
                    end->GetOwner()->SetStyleIndex(before.StyleIndex);
                    end->GetOwner()->SetParaStyle(styles_.GetParaStyle(before.StyleIndex) + before.ParaStyle);
                }
                page = last->GetOwner()->GetOwner();
                page->BeginUpdate();
            }
            continue;
        }
        if (singleLine_ && (type == kWordPara || type == kWordLine)) {
            text = type == kWordPara ? "  " : " ";
            type = kWordText;
        }
        const bool final = type == kWordPara && i == count - 1;
        TExWord* word = final ? last : line->InsertWord(last->GetIndex());
        word->BeginUpdate();
        if (type == kWordPara) {
            if (!final)
                line->Split(word->GetIndex() + 1);
            line->SetStyleIndex(run.StyleIndex);
            line->SetParaStyle(styles_.GetParaStyle(run.StyleIndex) + run.ParaStyle);
        }
        // Runs of one paragraph share its sheet index, so each word is based on its run's.
        TExStyle style = BaseStyle(run.StyleIndex, run.CharStyleIndex) + run.Style;
        if (type != run.Type)
            style.CharClass = kClassSpace;
        word->SetStyleIndex(run.CharStyleIndex);
        word->SetStyle(style);
        word->SetType(type);
        if (type == kWordText)
            word->SetString(text);
        word->EndUpdate();
    }
    const TExLightWord& tail = *runs->GetWords(count - 1);
    if (tail.Type != kWordPara && tail.Type != kWordPage && !singleLine_) {
        last->GetOwner()->SetStyleIndex(tail.StyleIndex);
        last->GetOwner()->SetParaStyle(styles_.GetParaStyle(tail.StyleIndex) + tail.ParaStyle);
    }
    page->EndUpdate();
    Change();
    EndUpdate();
}

void TExText::DeleteWords(TExWord* first, int firstOffset, TExWord* last, int lastOffset)
{
    if (!first || !last)
        return;
    BeginUpdate();
    // The end point first, so that splitting the start does not move it.
    TExWord* end = last;
    if (lastOffset > 0) {
        if (lastOffset < last->GetWordCharCount() && last->GetType() == kWordText)
            end = last->Split(lastOffset);
        else
            end = last->GetNextWord();
    }
    TExWord* start = first;
    if (firstOffset > 0) {
        if (firstOffset < first->GetWordCharCount() && first->GetType() == kWordText)
            start = first->Split(firstOffset);
        else
            start = first->GetNextWord();
    }
    // The final paragraph end always stays; an empty end word may vanish in a join.
    if (!end)
        end = GetLastWord();
    while (end && end->GetType() == kWordText && end->GetWordCharCount() == 0 && end->GetNextWord())
        end = end->GetNextWord();
    if (singleLine_ && start && start->GetType() == kWordPara) {
        EndUpdate();
        return;
    }
    for (TExWord* w = start; w && w != end;) {
        TExLine* line = w->GetOwner();
        TExPage* page = line->GetOwner();
        if (w == line->GetLastWord() && line == page->GetLastLine() && page->GetNextPage()) {
            page->JoinNext();
            continue;
        }
        if (w->GetType() == kWordPara) {
            auto* next = static_cast<TExLine*>(line->GetNext());
            if (next) {
                for (int i = 0; i < line->GetCount(); ++i)
                    Rebase(line->GetWords(i), line->GetStyleIndex(), next->GetStyleIndex());
                line->JoinNext();
            }
        }
        TExWord* following = w->GetNextWord();
        w->GetOwner()->Delete(w);
        w = following;
    }
    if (end && end->GetType() == kWordText) {
        auto* prev = static_cast<TExWord*>(end->GetPrev());
        if (prev && prev->GetType() == kWordText && prev->GetStyleIndex() == end->GetStyleIndex() &&
            prev->GetStyle() == end->GetStyle())
            end->JoinPrev();
    }
    EndUpdate();
}

void TExText::FitHighFont(TExWord* word, TExStyle& style)
{
    if (word->GetType() != kWordText || style.CharClass != kClassEuro || style.HighFont < 0 ||
        style.HighFont >= fonts_.Count())
        return;
    const std::u32string cps = CodePoints(word->GetText());
    const int charset = !cps.empty() && IsHalfKatakana(cps.front()) ? 128 : 0;
    if (fonts_.GetCharset(style.HighFont) != charset)
        style.HighFont = fonts_.IndexOfFont(fonts_.GetName(style.HighFont), charset, fonts_.GetFamily(style.HighFont));
}

void TExText::SetWordStyle(TExWord* first, TExWord* last, const TExStyle& style)
{
    if (!first)
        return;
    BeginUpdate();
    for (TExWord* w = first; w && w != last; w = w->GetNextWord()) {
        TExStyle s = w->GetStyle();
        s << style;
        FitHighFont(w, s);
        w->SetStyle(s);
    }
    for (TExWord* w = first; w && w != last;) {
        auto* next = static_cast<TExWord*>(w->GetNext());
        if (next && next != last && w->GetType() == kWordText && next->GetType() == kWordText &&
            w->GetStyleIndex() == next->GetStyleIndex() && w->GetStyle() == next->GetStyle()) {
            w->JoinNext();
            continue;
        }
        w = w->GetNextWord();
    }
    EndUpdate();
}

void TExText::SaveToStream(std::ostream& stream, int format)
{
    if (format != kExStreamText && format != kExStreamRich)
        return;
    std::unique_ptr<TExLightText> runs = CopyToLightText(GetFirstWord(), GetLastWord());
    if (format == kExStreamText)
        runs->SaveToAnsiStream(stream);
    else
        runs->SaveToRichStream(stream);
}

void TExText::LoadFromStream(std::istream& stream, int format)
{
    TExLightText runs;
    runs.GetFontAttributes().SetFixedFont(GetFixedFont());
    runs.SetEuro(euroText_);
    Clear();
    BeginUpdate();
    bool read = true;
    if (format == kExStreamText)
        runs.LoadFromAnsiStream(stream);
    else if (format == kExStreamRich)
        runs.LoadFromRichStream(stream);
    else if (format == kExStreamRichSource)
        runs.AnalyzeFromRichStream(stream);
    else
        read = false;
    if (read)
        ReplaceFromLightText(&runs);
    EndUpdate();
}
