#include "richtext/Uextexteditor.h"

#include "platform/Codec.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace {

bool SpareSet(const TExStyle& s) { return s.Spare != 0 && s.Spare != TExStyle::kUnsetFlag; }

TExParaStyle UnsetPara()
{
    TExParaStyle p;
    return p.Invisible();
}

int ParaValue(std::int32_t v) { return v == TExParaStyle::kUnset ? 0 : v; }

char32_t TypeCode(int type)
{
    switch (type) {
    case kWordTab: return THistorys::kCodeTab;
    case kWordPara: return THistorys::kCodePara;
    case kWordLine: return THistorys::kCodeLine;
    default: return 0;
    }
}

bool LastOfPage(const TExWord* word)
{
    const TExLine* line = word->GetOwner();
    const TExPage* page = line->GetOwner();
    return word == line->GetLastWord() && line == page->GetLastLine() && page->GetNextPage();
}

} // namespace

TExTextEditor::TExTextEditor() : text_(std::make_unique<TExTextDrawer>())
{
    text_->Clear();
    text_->OnChange = [this](TExTextWrapper* sender) { TextChange(sender); };
    historys_ = std::make_unique<THistorys>(text_.get());
    TextChange(text_.get());
}

TExTextEditor::~TExTextEditor()
{
    text_->OnChange = nullptr;
    historys_.reset();
    text_.reset();
}

// ---- notification ----

void TExTextEditor::BeginUpdate() { ++UpdateCount; }

void TExTextEditor::EndUpdate()
{
    if (UpdateCount > 0)
        --UpdateCount;
    if (UpdateCount == 0 && ChangePending) {
        ChangePending = false;
        DoChange();
        ChangeFlags = 0;
    }
}

void TExTextEditor::Change()
{
    ChangePending = true;
    if (UpdateCount == 0) {
        ChangePending = false;
        DoChange();
        ChangeFlags = 0;
    }
}

void TExTextEditor::DoChange()
{
    if (OnChange)
        OnChange(this);
    TextChanged = false;
}

void TExTextEditor::Clear()
{
    BeginUpdate();
    ViewLeft = 0;
    ClearHistory();
    EndSelection();
    SetCaret(0);
    text_->Clear();
    EndUpdate();
}

void TExTextEditor::TakeStyles()
{
    if (SelInfo.GetEnabled()) {
        Style = SelInfo.GetStyle();
        ParaStyle = SelInfo.GetParaStyle();
    } else {
        Style = CaretInfo.GetStyle();
        ParaStyle = CaretInfo.GetParaStyle();
    }
}

void TExTextEditor::TextChange(TExTextWrapper*)
{
    BeginUpdate();
    TextChanged = true;
    TopLineInfo = text_->LineCountToLineInfo(TopLineInfo.Row + 1);
    const int anchor = SelInfo.Anchor.GetCaret();
    CaretInfo = CaretAt(Caret);
    Caret = CaretInfo.GetCaret();
    SelInfo.Caret = CaretInfo;
    SelInfo.Anchor = CanSelect && Selecting ? CaretAt(anchor) : CaretInfo;
    TopPixel = TopLineInfo.Top;
    TakeStyles();
    ChangeFlags |= 2;
    LineTailSpace = 0;
    DesiredX = 0;
    Change();
    EndUpdate();
}

// ---- options ----

void TExTextEditor::SetOverwrite(bool on)
{
    if (on == Overwrite || (!on && !CanInsert))
        return;
    Overwrite = on;
    Change();
}

void TExTextEditor::SetCanInsert(bool on)
{
    if (on == CanInsert)
        return;
    CanInsert = on;
    if (!on)
        Overwrite = true;
    Change();
}

void TExTextEditor::SetCanSelect(bool on)
{
    if (on == CanSelect)
        return;
    CanSelect = on;
    if (!on)
        EndSelection();
    Change();
}

void TExTextEditor::SetLineTailSpacing(bool on)
{
    if (on == LineTailSpacing)
        return;
    LineTailSpacing = on;
    if (!on)
        LineTailSpace = 0;
    Change();
}

void TExTextEditor::SetLineTailSpace(int n)
{
    if (n == LineTailSpace)
        return;
    LineTailSpace = n;
    Change();
}

// ---- view ----

void TExTextEditor::SetViewPoint(int top, int left)
{
    BeginUpdate();
    SetViewLeft(left);
    SetTopLineInfo(text_->PointToLineInfo(top));
    EndUpdate();
}

void TExTextEditor::SetViewTop(int top) { SetTopLineInfo(text_->PointToLineInfo(top)); }

void TExTextEditor::SetViewLeft(int left)
{
    if (left == ViewLeft)
        return;
    ChangeFlags |= 2;
    ViewLeft = left;
    Change();
}

void TExTextEditor::SetTopLineInfo(const TLineInfo& row)
{
    if (row == TopLineInfo && row.Top == TopPixel)
        return;
    ChangeFlags |= 2;
    TopLineInfo = row;
    TopPixel = row.Top;
    Change();
}

void TExTextEditor::VisibleCaret()
{
    BeginUpdate();
    const int height = text_->GetWrapHeight();
    const TLineInfo& row = CaretInfo.LineInfo;
    if (height > 0) {
        const int y = TopPixel + height;
        TLineInfo last = text_->PointToLineInfo(y);
        if (y < last.Top + last.GetHeight())
            text_->PrevLineInfo(last);
        if (row.Top < TopPixel) {
            SetTopLineInfo(row);
        } else if (row.Top > last.Top) {
            TLineInfo top = TopLineInfo;
            do {
                if (!text_->NextLineInfo(top))
                    break;
            } while (row.Top + row.GetHeight() - top.Top > height);
            SetTopLineInfo(top);
        }
    }
    if (!text_->GetWordWrap()) {
        const int width = text_->GetWrapWidth();
        const int x = CaretInfo.WordInfo.X + LineTailSpace * row.GetENSquare();
        const int step = std::max(1, width / 4);
        int left = ViewLeft;
        while (x < left)
            left = std::max(0, left - step);
        while (width > 0 && x > left + width)
            left += step;
        SetViewLeft(left);
    }
    EndUpdate();
}

// ---- caret and selection ----

void TExTextEditor::SetCaret(int position) { SetCaretInfo(CaretAt(position)); }

void TExTextEditor::SetCaretPos(platform::Point p)
{
    BeginUpdate();
    SetCaretInfo(text_->PointToCaretInfo(p));
    int tail = 0;
    const TLineInfo& row = CaretInfo.LineInfo;
    const bool lastRow = row.Line && row.Wrap == row.Line->GetLineWrapCount() - 1;
    const int cell = row.GetENSquare();
    if (text_->GetFixedFont() && LineTailSpacing && lastRow && cell > 0 && p.X > CaretInfo.WordInfo.X)
        tail = (p.X - CaretInfo.WordInfo.X) / cell;
    SetLineTailSpace(tail);
    DesiredX = 0;
    EndUpdate();
}

void TExTextEditor::SetCaretInfo(const TCaretInfo& caret)
{
    if (caret == CaretInfo && caret.GetCaret() == Caret)
        return;
    BeginUpdate();
    TCaretInfo c = caret;
    if (!CanInsert) {
        TCaretInfo moved = c;
        if (Forward ? FindNextWord(moved) : FindPrevWord(moved))
            c = moved;
    }
    Forward = false;
    CaretInfo = c;
    Caret = c.GetCaret();
    TSelectInfo s = SelInfo;
    if (!Selecting)
        s.Anchor = c;
    s.Caret = c;
    SetSelInfo(s);
    TakeStyles();
    Change();
    EndUpdate();
}

void TExTextEditor::SetSelInfo(const TSelectInfo& selection)
{
    if (selection == SelInfo)
        return;
    ChangeFlags |= SelInfo.GetEnabled() == selection.GetEnabled() ? 1 : 2;
    SelInfo = selection;
    if (!CanSelect)
        SelInfo.Anchor = SelInfo.Caret;
    Change();
}

void TExTextEditor::BeginSelection()
{
    if (Selecting)
        return;
    Selecting = true;
    SetSelInfo(TSelectInfo{CaretInfo, CaretInfo});
    TakeStyles();
    Change();
}

void TExTextEditor::EndSelection()
{
    Selecting = false;
    SetSelInfo(TSelectInfo{CaretInfo, CaretInfo});
    TakeStyles();
    Change();
}

void TExTextEditor::SelectWord()
{
    const TLineInfo row = CaretInfo.LineInfo;
    TExWord* w = CaretInfo.WordInfo.Word;
    int piece = CaretInfo.WordInfo.WordWrap;
    if (!w)
        return;
    const auto lastPiece = [](const TExWord* x) { return std::max(0, x->GetWordWrapCount() - 1); };
    const auto space = [](const TExWord* x) { return x->GetType() == kWordText && x->GetStyle().SpaceChar(); };
    if (CaretInfo.WordInfo.CharOffset == 0 && CaretInfo.WordInfo.RowOffset > 0 && w->GetPrev()) {
        w = static_cast<TExWord*>(w->GetPrev());
        piece = lastPiece(w);
    }
    while (space(w) && w->GetIndex() > 0 && piece == 0) {
        w = static_cast<TExWord*>(w->GetPrev());
        piece = lastPiece(w);
    }
    while (space(w) && piece == lastPiece(w)) {
        auto* next = static_cast<TExWord*>(w->GetNext());
        if (!next || next->GetType() == kWordPara || next->GetType() == kWordLine)
            break;
        w = next;
        piece = 0;
    }
    if (w->GetType() == kWordPara || w->GetType() == kWordLine)
        return;
    int from = -1;
    int to = -1;
    text_->ForRowPieces(row, [&](const TExTextWrapper::TRowPiece& p) {
        if (p.Word == w && p.Piece == piece) {
            from = p.RowOffset;
            to = p.RowOffset + w->GetWordWrapCharCount(piece);
            return false;
        }
        return true;
    });
    if (from < 0)
        return;
    BeginUpdate();
    TSelectInfo s;
    s.Anchor.LineInfo = s.Caret.LineInfo = row;
    s.Anchor.WordInfo = text_->PositionToWordInfo(row, from);
    s.Caret.WordInfo = text_->PositionToWordInfo(row, to);
    Selecting = true;
    LineTailSpace = 0;
    CaretInfo = s.Caret;
    Caret = CaretInfo.GetCaret();
    SetSelInfo(s);
    TakeStyles();
    Change();
    EndUpdate();
}

void TExTextEditor::SelectAll()
{
    BeginUpdate();
    EndSelection();
    SetCaret(0);
    BeginSelection();
    SetCaret(text_->GetCharCount());
    VisibleCaret();
    EndUpdate();
}

bool TExTextEditor::IsFixed(const TExWord* word) const { return word && SpareSet(word->GetStyle()); }

bool TExTextEditor::FindPrevWord(TCaretInfo& caret) { return FindEditable(caret, false); }

bool TExTextEditor::FindNextWord(TCaretInfo& caret) { return FindEditable(caret, true); }

bool TExTextEditor::FindEditable(TCaretInfo& caret, bool forward)
{
    const auto atEnd = [](const TCaretInfo& c) {
        return c.WordInfo.Word && c.WordInfo.CharOffset >= c.WordInfo.Word->GetWordCharCount();
    };
    // Steps over fixed words in one direction; nothing when the document's edge comes first.
    const auto search = [&](TCaretInfo c, bool next) -> std::optional<TCaretInfo> {
        while (IsFixed(c.WordInfo.Word)) {
            const int before = c.GetCaret();
            if (!(next ? text_->NextWordInfo(c) : text_->PrevWordInfo(c)) || c.GetCaret() == before)
                return std::nullopt;
        }
        return c;
    };
    TCaretInfo c = caret;
    if (atEnd(c) && (IsFixed(c.WordInfo.Word) || !CanInsert) && c.WordInfo.Word->GetNextWord()) {
        c.WordInfo.Word = c.WordInfo.Word->GetNextWord();
        c.WordInfo.WordWrap = 0;
        c.WordInfo.CharOffset = 0;
    }
    std::optional<TCaretInfo> found = search(c, forward);
    if (!found)
        found = search(c, !forward);
    if (!found)
        return false;
    caret = *found;
    if (!CanInsert && atEnd(caret) && caret.GetCaret() > 0)
        caret = text_->DecrementCaretInfo(caret, text_->GetDecCount(caret.WordInfo.Word, caret.WordInfo.CharOffset));
    return true;
}

void TExTextEditor::FindTextA(const std::u16string& text)
{
    if (text.empty())
        return;
    BeginUpdate();
    int linePos = CaretInfo.LineInfo.LinePosition;
    int from = CaretInfo.LineInfo.LineOffset + CaretInfo.WordInfo.RowOffset;
    bool found = false;
    int len = 0;
    for (TExLine* line = CaretInfo.LineInfo.Line; line; line = line->GetNextLine()) {
        int pos = from;
        if (line->FindTextA(text, pos, len)) {
            from = pos;
            found = true;
            break;
        }
        linePos += line->GetCharCount();
        from = 0;
    }
    if (!found) {
        EndSelection();
    } else {
        Selecting = true;
        TSelectInfo s;
        s.Anchor = CaretAt(linePos + from);
        s.Caret = CaretAt(linePos + from + len);
        CaretInfo = s.Caret;
        Caret = CaretInfo.GetCaret();
        SetSelInfo(s);
        TakeStyles();
        Change();
        VisibleCaret();
    }
    EndUpdate();
}

// ---- editing ----

char32_t TExTextEditor::WordCode(const TExWord* word) { return TypeCode(word->GetType()); }

void TExTextEditor::FillLineTail()
{
    if (LineTailSpace <= 0)
        return;
    const int n = LineTailSpace;
    TExWord* end = CaretInfo.WordInfo.Word ? CaretInfo.WordInfo.Word->GetOwner()->GetLastWord() : nullptr;
    if (!end)
        return;
    auto runs = std::make_unique<TExLightText>();
    runs->GetFontAttributes().SetFixedFont(text_->GetFixedFont());
    TExStyle style = Style;
    runs->SetCurrentStyle(style);
    runs->AddWord(-1, std::string(static_cast<std::size_t>(n), ' '), kWordText, kClassSpace);
    const int at = Caret;
    historys_->InsertText(at, std::move(runs));
    Caret = at + n;
    style.CharClass = kClassSpace;
    text_->BeginUpdate();
    TExWord* spaces = text_->InsertWord(end, 0);
    spaces->SetStyle(style);
    spaces->SetString(std::string(static_cast<std::size_t>(n), ' '));
    text_->EndUpdate();
    LineTailSpace = 0;
    CaretInfo = CaretAt(Caret);
}

bool TExTextEditor::IndentBySpace(bool add, int charClass)
{
    const TLineInfo& row = CaretInfo.LineInfo;
    if (!text_->GetWordWrap() || !row.Line || row.LineOffset != 0 || CaretInfo.WordInfo.RowOffset != 0)
        return false;
    TExParaStyle para = row.Line->GetParaStyle();
    int cufi = ParaValue(para.CharFirstIndent);
    if (add) {
        if (text_->GetFixedFont() || (charClass != kClassSpace && charClass != kClassWideSpace))
            return false;
        cufi += charClass == kClassSpace ? 50 : 100;
    } else {
        if (cufi <= 0)
            return false;
        cufi -= 50;
    }
    const int size = Style.Size > 0 ? Style.Size : 105;
    para.CharFirstIndent = cufi;
    para.FirstIndent = cufi / 50 * size;
    row.Line->SetParaStyle(para);
    return true;
}

char32_t TExTextEditor::RemoveNext(TExWord* word, int offset, int& oldClass)
{
    oldClass = word->GetStyle().CharClass;
    if (offset < word->GetWordCharCount())
        return word->DeleteChar(offset);
    TExWord* next = static_cast<TExWord*>(word->GetNext());
    if (!next)
        return 0;
    oldClass = next->GetStyle().CharClass;
    switch (next->GetType()) {
    case kWordText: {
        const char32_t c = next->DeleteChar(0);
        if (next->GetWordCharCount() == 0)
            next->GetOwner()->Delete(next);
        return c;
    }
    case kWordTab:
    case kWordLine: {
        const char32_t c = TypeCode(next->GetType());
        next->GetOwner()->Delete(next);
        return c;
    }
    default: return 0;
    }
}

namespace {

// The bytes of a run's text; a tab or line break counts one, a paragraph end nothing.
std::size_t WordBytes(int type, const std::string& text)
{
    if (type == kWordText)
        return platform::SjisLength(text);
    return type == kWordPara ? 0 : 1;
}

std::size_t RunsBytes(const TExLightText_& runs)
{
    std::size_t bytes = 0;
    for (int i = 0; i < runs.Count(); ++i)
        bytes += WordBytes(runs.GetWords(i)->Type, runs.GetWords(i)->Text);
    return bytes;
}

// Cuts the runs so that their text takes at most `room` bytes.
void CutRuns(TExLightText_& runs, std::size_t room)
{
    int i = 0;
    for (; i < runs.Count(); ++i) {
        TExLightWord* word = runs.GetWords(i);
        const std::size_t bytes = WordBytes(word->Type, word->Text);
        if (bytes <= room) {
            room -= bytes;
            continue;
        }
        if (word->Type == kWordText && room > 0) {
            word->Text = std::string(platform::SjisTruncate(word->Text, room));
            ++i;
        }
        break;
    }
    while (runs.Count() > i)
        runs.DeleteWord(runs.Count() - 1);
}

} // namespace

std::size_t TExTextEditor::Room() const
{
    if (MaxLength <= 0)
        return std::numeric_limits<std::size_t>::max();
    std::size_t used = 0;
    for (const TExWord* w = text_->GetFirstWord(); w; w = w->GetNextWord())
        used += WordBytes(w->GetType(), w->GetString());
    if (SelInfo.GetEnabled())
        if (const std::unique_ptr<TExLightText> runs = text_->CopyText(SelInfo.GetTopInfo(), SelInfo.GetBottomInfo()))
            used -= std::min(used, RunsBytes(*runs));
    const auto limit = static_cast<std::size_t>(MaxLength);
    return used >= limit ? 0 : limit - used;
}

void TExTextEditor::InsertChar(char32_t code)
{
    if (code == 127 || code < 32)
        return;
    if (MaxLength > 0 && platform::SjisLength(CodePointsToUtf8(std::u32string(1, code))) > Room())
        return;
    BeginUpdate();
    TExStyle style = Style;
    const bool deleted = SelInfo.GetEnabled();
    if (deleted) {
        DeleteSelection();
        LineTailSpace = 0;
    }
    FillLineTail();
    TExWord* word = CaretInfo.WordInfo.Word;
    int offset = CaretInfo.WordInfo.CharOffset;
    if (word && !CanInsert && offset >= word->GetWordCharCount() && word->GetNextWord()) {
        word = word->GetNextWord();
        offset = 0;
    }
    if (!word || (!CanInsert && (word->GetType() == kWordPara || IsFixed(word)))) {
        EndUpdate();
        return;
    }
    // A character beyond code page 932 is kept as typed, in the single-byte class.
    style.CharClass = CharClassOf(code);
    if (style.CharClass == kClassEuro && style.HighFont >= 0 && style.HighFont < text_->GetFonts().Count()) {
        TFontAttributes& fonts = text_->GetFonts();
        const int charset = IsHalfKatakana(code) ? 128 : 0;
        if (fonts.GetCharset(style.HighFont) != charset)
            style.HighFont = fonts.IndexOfFont(fonts.GetName(style.HighFont), charset, fonts.GetFamily(style.HighFont));
    }
    if (IndentBySpace(true, style.CharClass)) {
        EndUpdate();
        return;
    }
    Forward = true;
    const int units = ClassWidth(style.CharClass);
    const int cs = word->GetStyleIndex();
    const int start = Caret;
    const auto fits = [&](const TExWord* w) {
        return w && w->GetType() == kWordText && w->GetStyleIndex() == cs && w->GetStyle() == style;
    };
    text_->BeginUpdate();
    TExWord* target = nullptr;
    int at = 0;
    auto* prev = static_cast<TExWord*>(word->GetPrev());
    auto* next = static_cast<TExWord*>(word->GetNext());
    if (fits(word)) {
        target = word;
        at = offset;
    } else if (offset <= 0 && fits(prev)) {
        target = prev;
        at = prev->GetWordCharCount();
    } else if (offset > 0 && offset >= word->GetWordCharCount() && fits(next)) {
        target = next;
        at = 0;
    } else {
        target = text_->InsertWord(word, offset);
        target->SetStyleIndex(cs);
        target->SetStyle(style);
        at = 0;
    }
    target->InsertChar(at, code);
    char32_t oldCode = 0;
    int oldClass = 0;
    const bool replace = Overwrite && !deleted;
    if (replace)
        oldCode = RemoveNext(target, at + units, oldClass);
    text_->EndUpdate();
    if (replace)
        historys_->Replace(start, start + units, -1, cs, UnsetPara(), style, code, oldCode, style.CharClass, oldClass);
    else
        historys_->InsertChar(start, start + units, -1, cs, UnsetPara(), style, code);
    Forward = true;
    SetCaret(start + units);
    Style = style;
    ChangeFlags |= 2;
    Change();
    VisibleCaret();
    EndUpdate();
}

void TExTextEditor::InsertTab()
{
    BeginUpdate();
    const bool deleted = SelInfo.GetEnabled();
    if (deleted) {
        DeleteSelection();
        LineTailSpace = 0;
    }
    FillLineTail();
    if (TabSpaces) {
        const int width = std::max(1, text_->GetTabChar());
        const int column = CaretInfo.LineInfo.LineOffset + CaretInfo.WordInfo.RowOffset;
        for (int n = width - column % width; n > 0; --n)
            InsertChar(U' ');
        EndUpdate();
        return;
    }
    TExWord* word = CaretInfo.WordInfo.Word;
    if (!word) {
        EndUpdate();
        return;
    }
    TExStyle style = Style;
    const int cs = word->GetStyleIndex();
    const int start = Caret;
    text_->BeginUpdate();
    TExWord* tab = text_->InsertWord(word, CaretInfo.WordInfo.CharOffset);
    tab->SetType(kWordTab);
    tab->SetStyleIndex(cs);
    tab->SetStyle(style);
    char32_t oldCode = 0;
    int oldClass = 0;
    const bool replace = Overwrite && !deleted;
    if (replace)
        oldCode = RemoveNext(tab, 1, oldClass);
    text_->EndUpdate();
    if (replace)
        historys_->Replace(start, start + 1, -1, cs, UnsetPara(), style, THistorys::kCodeTab, oldCode, 0, oldClass);
    else
        historys_->InsertChar(start, start + 1, -1, cs, UnsetPara(), style, THistorys::kCodeTab);
    SetCaret(start + 1);
    Style = style;
    ChangeFlags |= 2;
    Change();
    VisibleCaret();
    EndUpdate();
}

void TExTextEditor::InsertReturn()
{
    BeginUpdate();
    DeleteSelection();
    TExWord* word = CaretInfo.WordInfo.Word;
    if (!word || text_->GetSingleLine()) {
        EndUpdate();
        return;
    }
    const TExStyle style = Style;
    const int cs = word->GetStyleIndex();
    const int start = Caret;
    text_->BeginUpdate();
    TExWord* para = text_->InsertReturn(word, CaretInfo.WordInfo.CharOffset);
    if (para) {
        para->SetStyleIndex(cs);
        para->SetStyle(style);
    }
    text_->EndUpdate();
    if (para) {
        const TExLine* line = para->GetOwner();
        historys_->InsertChar(start, start + 2, line->GetStyleIndex(), cs, line->GetParaStyle(), style,
                              THistorys::kCodePara);
        Forward = true;
        SetCaret(start + 2);
    }
    Style = style;
    VisibleCaret();
    EndUpdate();
}

void TExTextEditor::InsertPageNew()
{
    BeginUpdate();
    DeleteSelection();
    if (text_->GetSingleLine() || !CaretInfo.WordInfo.Word) {
        EndUpdate();
        return;
    }
    const TWordInfo& wi = CaretInfo.WordInfo;
    const bool atLineStart = wi.CharOffset == 0 && wi.Word->GetIndex() == 0 && wi.Word->GetOwner()->GetIndex() > 0;
    if (!atLineStart)
        InsertReturn();
    TExWord* word = CaretInfo.WordInfo.Word;
    const int at = Caret;
    text_->BeginUpdate();
    TExWord* result = word ? text_->InsertPageNew(word, CaretInfo.WordInfo.CharOffset) : nullptr;
    text_->EndUpdate();
    if (result) {
        TExStyle none;
        historys_->InsertChar(at, at, -1, -1, UnsetPara(), none.Invisible(), THistorys::kCodePage);
        SetCaret(at);
    }
    VisibleCaret();
    EndUpdate();
}

void TExTextEditor::DeleteChar()
{
    BeginUpdate();
    if (SelInfo.GetEnabled()) {
        DeleteSelection();
        EndUpdate();
        return;
    }
    TExWord* word = CaretInfo.WordInfo.Word;
    int offset = CaretInfo.WordInfo.CharOffset;
    if (word && offset >= word->GetWordCharCount()) {
        word = word->GetNextWord();
        offset = 0;
    }
    if (LineTailSpace != 0 || !word) {
        EndUpdate();
        return;
    }
    const int pos = Caret;
    text_->BeginUpdate();
    switch (word->GetType()) {
    case kWordPara: {
        const TExLine* line = word->GetOwner();
        if (!word->GetNextWord())
            break;
        historys_->DeleteChar(pos, line->GetStyleIndex(), word->GetStyleIndex(), line->GetParaStyle(),
                              word->GetStyle(), THistorys::kCodePara);
        if (LastOfPage(word))
            historys_->GetHistory(historys_->GetPosition() - 1)->Text->AddWord(-1, std::string(), kWordPage, 0);
        text_->DeleteWords(word, 0, word, 2);
        break;
    }
    case kWordTab:
    case kWordLine:
        historys_->DeleteChar(pos, -1, word->GetStyleIndex(), UnsetPara(), word->GetStyle(), WordCode(word));
        word->GetOwner()->Delete(word);
        break;
    case kWordText: {
        const TExStyle style = word->GetStyle();
        const char32_t c = word->DeleteChar(offset);
        historys_->DeleteChar(pos, -1, word->GetStyleIndex(), UnsetPara(), style, c);
        if (word->GetWordCharCount() == 0)
            word->GetOwner()->Delete(word);
        break;
    }
    default: break;
    }
    text_->EndUpdate();
    SetCaret(pos);
    VisibleCaret();
    EndUpdate();
}

void TExTextEditor::BackChar()
{
    BeginUpdate();
    if (SelInfo.GetEnabled()) {
        DeleteSelection();
        EndUpdate();
        return;
    }
    if (LineTailSpace != 0) {
        LineTailSpace = 0;
        Change();
        EndUpdate();
        return;
    }
    if (IndentBySpace(false, 0)) {
        EndUpdate();
        return;
    }
    TExWord* word = CaretInfo.WordInfo.Word;
    int offset = CaretInfo.WordInfo.CharOffset;
    if (word && offset <= 0) {
        word = word->GetPrevWord();
        offset = word ? word->GetWordCharCount() : 0;
    }
    if (!word) {
        EndUpdate();
        return;
    }
    const int pos = Caret;
    int units = 0;
    text_->BeginUpdate();
    switch (word->GetType()) {
    case kWordPara: {
        const TExLine* line = word->GetOwner();
        units = 2;
        historys_->BackChar(pos, pos - units, line->GetStyleIndex(), word->GetStyleIndex(), line->GetParaStyle(),
                            word->GetStyle(), THistorys::kCodePara);
        if (LastOfPage(word))
            historys_->GetHistory(historys_->GetPosition() - 1)->Text->AddWord(1, std::string(), kWordPage, 0);
        text_->DeleteWords(word, 0, word, 2);
        break;
    }
    case kWordTab:
    case kWordLine:
        units = 1;
        historys_->BackChar(pos, pos - units, -1, word->GetStyleIndex(), UnsetPara(), word->GetStyle(),
                            WordCode(word));
        word->GetOwner()->Delete(word);
        break;
    case kWordText: {
        const TExStyle style = word->GetStyle();
        units = word->GetUnitWidth();
        const char32_t c = word->BackChar(offset);
        historys_->BackChar(pos, pos - units, -1, word->GetStyleIndex(), UnsetPara(), style, c);
        if (word->GetWordCharCount() == 0)
            word->GetOwner()->Delete(word);
        break;
    }
    default: break;
    }
    text_->EndUpdate();
    SetCaret(pos - units);
    VisibleCaret();
    EndUpdate();
}

void TExTextEditor::DeleteSelection()
{
    if (!SelInfo.GetEnabled())
        return;
    BeginUpdate();
    const int top = SelInfo.GetTopPosition();
    Delete(SelInfo.GetTopInfo(), SelInfo.GetBottomInfo());
    SetCaret(top);
    EndSelection();
    VisibleCaret();
    EndUpdate();
}

bool TExTextEditor::AtPageTop(const TCaretInfo& caret)
{
    const TExWord* w = caret.WordInfo.Word;
    return w && caret.WordInfo.CharOffset == 0 && w->GetIndex() == 0 && w->GetOwner()->GetIndex() == 0 &&
           w->GetOwner()->GetOwner()->GetIndex() > 0;
}

bool TExTextEditor::IsWhole(int top, int bottom) const
{
    return top == 0 && bottom > 0 && bottom >= text_->GetMaxPosition() && !text_->GetSingleLine();
}

std::unique_ptr<TExLightText> TExTextEditor::CopyRange(const TCaretInfo& top, const TCaretInfo& bottom)
{
    // The whole text is copied with its final paragraph end, as a load would give it.
    if (IsWhole(top.GetCaret(), bottom.GetCaret()))
        return text_->CopyToLightText(text_->GetFirstWord(), text_->GetLastWord());
    std::unique_ptr<TExLightText> runs = text_->CopyText(top, bottom);
    // A range ending at a page's top takes the break with it when it is deleted: the copy keeps it.
    if (runs && AtPageTop(bottom))
        runs->AddWord(-1, std::string(), kWordPage, 0);
    return runs;
}

void TExTextEditor::Delete(const TCaretInfo& top, const TCaretInfo& bottom)
{
    std::unique_ptr<TExLightText> runs = CopyRange(top, bottom);
    if (!runs)
        return;
    BeginUpdate();
    const int from = top.GetCaret();
    const int to = bottom.GetCaret();
    if (IsWhole(from, to)) {
        DeleteAll(TSelectInfo{top, bottom});
        historys_->DeleteAll(std::move(runs));
    } else {
        text_->DeleteText(top, bottom);
        historys_->DeleteText(from, to, std::move(runs));
    }
    EndUpdate();
}

void TExTextEditor::Paste(const TCaretInfo& caret, std::unique_ptr<TExLightText> runs)
{
    if (!runs || runs->Count() == 0)
        return;
    TExLightText* list = runs.get();
    const int at = caret.GetCaret();
    const int count = text_->GetCharCount();
    const bool pageTop = AtPageTop(CaretAt(at));
    THistory* h = historys_->InsertText(at, std::move(runs));
    h->Tables = historys_->Snapshot();
    text_->PasteText(list, caret);
    // A break inside the pasted text brings the paragraph end it implies; one at a line start
    // splits the page at the caret.
    h->End = at + text_->GetCharCount() - count;
    h->PageAtStart = !pageTop && AtPageTop(CaretAt(at));
    Change();
}

void TExTextEditor::DeleteAll(const TSelectInfo& selection)
{
    BeginUpdate();
    EndSelection();
    const TCaretInfo& top = selection.GetTopInfo();
    const TCaretInfo& bottom = selection.GetBottomInfo();
    text_->BeginUpdate();
    if (top.WordInfo.Word && bottom.WordInfo.Word)
        text_->DeleteWords(top.WordInfo.Word, top.WordInfo.CharOffset, bottom.WordInfo.Word,
                           bottom.WordInfo.CharOffset);
    if (text_->GetCount() == 0)
        text_->InsertPage(0);
    TExPage* page = text_->GetPages(0);
    if (page->GetCount() == 0)
        page->InsertLine(0);
    TExLine* line = page->GetLines(0);
    TExWord* last = line->GetLastWord();
    if (!last || last->GetType() != kWordPara) {
        last = line->InsertWord(line->GetCount());
        last->SetType(kWordPara);
    }
    const TStyleAttributes& styles = text_->GetStyles();
    line->SetStyleIndex(0);
    line->SetParaStyle(styles.GetParaStyle(0));
    last->SetStyleIndex(0);
    last->SetStyle(styles.GetStyle(0));
    text_->EndUpdate();
    Caret = 0;
    SetCaret(0);
    EndUpdate();
}

void TExTextEditor::PasteAll(TExLightText* runs)
{
    BeginUpdate();
    SetCaret(0);
    EndSelection();
    const int count = runs ? runs->GetCharCount() : 0;
    text_->BeginUpdate();
    text_->ReplaceFromLightText(runs);
    text_->EndUpdate();
    SetCaret(0);
    BeginSelection();
    SetCaret(count);
    EndUpdate();
}

void TExTextEditor::SetStyle(const TExStyle& style)
{
    BeginUpdate();
    if (!SelInfo.GetEnabled()) {
        Style << style;
        Change();
    } else {
        const TCaretInfo top = SelInfo.GetTopInfo();
        const TCaretInfo bottom = SelInfo.GetBottomInfo();
        historys_->ChangeStyle(SelInfo.Anchor.GetCaret(), SelInfo.Caret.GetCaret(), -1, -1, UnsetPara(), style,
                               CopyRange(top, bottom));
        text_->ChangeStyle(top, bottom, style);
    }
    EndUpdate();
}

void TExTextEditor::SetParaStyle(const TExParaStyle& para)
{
    BeginUpdate();
    if (SelInfo.GetEnabled())
        text_->ChangeParaStyle(SelInfo.GetTopInfo(), SelInfo.GetBottomInfo(), para);
    else
        text_->ChangeParaStyle(CaretInfo, CaretInfo, para);
    EndUpdate();
}

// ---- clipboard ----

void TExTextEditor::CopyToClipboard()
{
    if (!SelInfo.GetEnabled())
        return;
    if (std::unique_ptr<TExLightText> runs = text_->CopyText(SelInfo.GetTopInfo(), SelInfo.GetBottomInfo()))
        runs->SetClipboard();
}

void TExTextEditor::CutToClipboard()
{
    if (!SelInfo.GetEnabled())
        return;
    BeginUpdate();
    const int top = SelInfo.GetTopPosition();
    CopyToClipboard();
    DeleteSelection();
    EndSelection();
    SetCaret(top);
    VisibleCaret();
    EndUpdate();
}

void TExTextEditor::PasteFromClipboard()
{
    BeginUpdate();
    if (SelInfo.GetEnabled()) {
        DeleteSelection();
        LineTailSpace = 0;
    }
    FillLineTail();
    auto runs = std::make_unique<TExLightText>();
    runs->GetFontAttributes().SetFixedFont(text_->GetFixedFont());
    runs->SetAnalyze(RichAnalyze);
    runs->SetEuro(text_->GetEuroText());
    runs->GetClipboard(RichFormat);
    if (MaxLength > 0)
        CutRuns(*runs, Room());
    if (runs->Count() > 0) {
        const int at = Caret;
        const int count = text_->GetCharCount();
        Paste(CaretInfo, std::move(runs));
        SetCaret(at + text_->GetCharCount() - count);
    }
    VisibleCaret();
    EndUpdate();
}

// ---- undo ----

void TExTextEditor::Undo() { StepHistory(false); }

void TExTextEditor::Redo() { StepHistory(true); }

void TExTextEditor::StepHistory(bool redo)
{
    if (!(redo ? historys_->GetCanRedo() : historys_->GetCanUndo()))
        return;
    BeginUpdate();
    EndSelection();
    THistory* h = redo ? historys_->Redo() : historys_->Undo();
    const int count = h->Text ? h->Text->GetCharCount() : 0;
    const auto select = [&](int from, int to) {
        SetCaret(from);
        BeginSelection();
        SetCaret(to);
    };
    // An insertion undone and a deletion redone take n units out at p, and the page break the
    // insertion put at p; an insertion redone and a deletion undone put the text back, selected.
    const auto remove = [&](int p, int n, bool breakAtP) {
        SetCaret(p);
        if (n > 0)
            text_->DeleteText(CaretAt(p), CaretAt(p + n));
        if (breakAtP)
            text_->DeleteText(CaretAt(p), CaretAt(p));   // joins the page at p to the one before
        SetCaret(p);
    };
    const auto restore = [&](int p, int n) {
        SetCaret(p);
        text_->PasteText(h->Text.get(), CaretAt(p));
        select(p, p + n);
    };
    switch (h->Kind) {
    case THistory::kInsertText:
        if (redo) {
            restore(h->Start, h->End - h->Start);
        } else {
            remove(h->Start, h->End - h->Start, h->PageAtStart);
            if (h->Tables) {
                text_->GetFonts().Assign(&h->Tables->GetFontAttributes());
                text_->GetColors().Assign(&h->Tables->GetColorAttributes());
                text_->GetStyles().Assign(&h->Tables->GetStyleAttributes());
            }
        }
        break;
    case THistory::kInsertChar:   // a typed page break has no units
        if (redo)
            restore(h->Start, count);
        else
            remove(h->Start, count, count == 0);
        break;
    case THistory::kDeleteText:
    case THistory::kBackChar:
    case THistory::kDeleteChar: {
        const int p = h->Kind == THistory::kDeleteChar ? h->Start : std::min(h->Start, h->End);
        if (redo)
            remove(p, count, false);
        else
            restore(p, count);
        break;
    }
    case THistory::kChangeStyle: {
        SetCaret(h->Start);
        const TSelectInfo s{CaretAt(h->Start), CaretAt(h->End)};
        if (redo) {
            text_->ChangeStyle(s.GetTopInfo(), s.GetBottomInfo(), h->Style);
        } else {
            if (IsWhole(s.GetTopPosition(), s.GetBottomPosition())) {
                DeleteAll(s);
                PasteAll(h->Text.get());
            } else {
                text_->DeleteText(s.GetTopInfo(), s.GetBottomInfo());
                text_->PasteText(h->Text.get(), CaretAt(s.GetTopPosition()));
            }
            EndSelection();
        }
        select(h->Start, h->End);
        break;
    }
    case THistory::kDeleteAll:
        if (redo)
            DeleteAll(TSelectInfo{CaretAt(0), CaretAt(text_->GetCharCount())});
        else
            PasteAll(h->Text.get());
        break;
    case THistory::kReplace: {
        const int old = h->OldText ? h->OldText->GetCharCount() : 0;
        SetCaret(h->Start);
        if (redo) {
            if (old > 0)
                text_->DeleteText(CaretAt(h->Start), CaretAt(h->Start + old));
            text_->PasteText(h->Text.get(), CaretAt(h->Start));
            select(h->Start, h->Start + count);
        } else {
            text_->DeleteText(CaretAt(h->Start), CaretAt(h->Start + count));
            if (old > 0)
                text_->PasteText(h->OldText.get(), CaretAt(h->Start));
            select(h->Start, h->Start + old);
        }
        break;
    }
    default: break;
    }
    VisibleCaret();
    EndUpdate();
}
