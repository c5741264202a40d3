#include "richtext/Uextextinfo.h"

#include "platform/Codec.h"

#include <array>

namespace {

// The text of units [from, to) of a word; a word that is not text gives all of its text or nothing.
std::string WordSlice(const TExWord* w, int from, int to)
{
    if (to <= from)
        return {};
    if (w->GetType() != kWordText)
        return w->GetString();
    const std::string& text = w->GetText();
    const std::size_t a = w->ByteOf(from);
    const std::size_t b = w->ByteOf(to);
    return text.substr(a, b - a);
}

TExText* DocumentOf(const TExWord* w)
{
    return w && w->GetOwner() && w->GetOwner()->GetOwner() ? w->GetOwner()->GetOwner()->GetOwner() : nullptr;
}

// The word range a selection covers: from the top caret (the next word when it stands at its word's
// end) to the bottom caret (the previous word when it stands at its word's start).
struct TRange {
    TExWord* First = nullptr;
    int FirstOffset = 0;
    TExWord* Last = nullptr;
    int LastOffset = 0;
};

TRange SelectedWords(const TCaretInfo& top, const TCaretInfo& bottom)
{
    TRange r{top.WordInfo.Word, top.WordInfo.CharOffset, bottom.WordInfo.Word, bottom.WordInfo.CharOffset};
    if (r.First && r.FirstOffset >= r.First->GetWordCharCount() && r.First->GetNextWord()) {
        r.First = r.First->GetNextWord();
        r.FirstOffset = 0;
    }
    if (r.Last && r.LastOffset == 0 && r.Last->GetPrevWord()) {
        r.Last = r.Last->GetPrevWord();
        r.LastOffset = r.Last->GetWordCharCount();
    }
    return r;
}

} // namespace

// ---- TLineInfo ----

bool TLineInfo::Equal(const TLineInfo& b) const
{
    return Line == b.Line && Word == b.Word && Wrap == b.Wrap && WordWrap == b.WordWrap &&
           LineOffset == b.LineOffset && WordOffset == b.WordOffset && Row == b.Row && Position == b.Position &&
           LineIndex == b.LineIndex && LinePosition == b.LinePosition && Top == b.Top;
}

bool TLineInfo::GetIsPageTop() const
{
    return Line && Wrap == 0 && Line->GetIndex() == 0 && Line->GetOwner()->GetIndex() > 0;
}

bool TLineInfo::GetIsPageBottom() const
{
    return Line && Wrap == Line->GetLineWrapCount() - 1 && Line->GetNext() == nullptr &&
           Line->GetOwner()->GetNextPage() != nullptr;
}

int TLineInfo::GetENSquare() const { return Word ? (Word->GetAscent() + Word->GetDescent() + 1) / 2 : 0; }
int TLineInfo::GetAscent() const { return Line ? Line->GetAscent(Wrap) : 0; }
int TLineInfo::GetDescent() const { return Line ? Line->GetDescent(Wrap) : 0; }
int TLineInfo::GetHeight() const { return Line ? Line->GetLineWrapHeight(Wrap) : 0; }
int TLineInfo::GetWidth() const { return Line ? Line->GetLineWrapWidth(Wrap) : 0; }
int TLineInfo::GetWrapCount() const { return Line ? Line->GetLineWrapCharCount(Wrap) : 0; }
int TLineInfo::GetBeforeLineSpace() const { return Line && Wrap == 0 ? Line->GetSpaceBeforePx() : 0; }

int TLineInfo::GetAfterLineSpace() const
{
    return Line && Wrap == Line->GetLineWrapCount() - 1 ? Line->GetSpaceAfterPx() : 0;
}

int TLineInfo::GetLineSpace() const { return Line ? Line->GetLineSpacePx() : 0; }
int TLineInfo::GetFirstIndent() const { return Line && Wrap == 0 ? Line->GetFirstIndentPx() : 0; }
int TLineInfo::GetLeftIndent() const { return Line ? Line->GetLeftIndentPx() : 0; }
int TLineInfo::GetRightIndent() const { return Line ? Line->GetRightIndentPx() : 0; }

int TLineInfo::GetLeft(int width) const
{
    if (!Line)
        return 0;
    switch (Line->GetParaStyle().Align) {
    case 1: return (width - (GetWidth() + GetFirstIndent())) / 2 + GetFirstIndent();
    case 2: return width - (GetWidth() + GetRightIndent());
    default: return GetFirstIndent() + GetLeftIndent();
    }
}

// ---- TWordInfo ----

bool TWordInfo::Equal(const TWordInfo& b) const
{
    return Word == b.Word && WordWrap == b.WordWrap && RowOffset == b.RowOffset && CharOffset == b.CharOffset &&
           X == b.X;
}

// ---- TCaretInfo ----

TExStyle TCaretInfo::GetStyle() const
{
    const TExWord* w = WordInfo.Word;
    if (!w)
        return TExStyle();
    if (WordInfo.CharOffset == 0 && w->GetIndex() > 0) {
        const TExWord* prev = w->GetPrevWord();
        if (prev && !(prev->GetStyle().Spare > 0 && prev->GetStyle().Spare != TExStyle::kUnsetFlag))
            return prev->GetStyle();
    }
    return w->GetStyle();
}

TExParaStyle TCaretInfo::GetParaStyle() const
{
    return WordInfo.Word ? WordInfo.Word->GetOwner()->GetParaStyle() : TExParaStyle();
}

// ---- TSelectInfo ----

int TSelectInfo::GetOrientation() const
{
    const int a = Anchor.LineInfo.Row;
    const int c = Caret.LineInfo.Row;
    return c > a ? 1 : (c < a ? -1 : 0);
}

const TCaretInfo& TSelectInfo::GetTopInfo() const
{
    if (!GetEnabled())
        return Anchor;
    switch (GetOrientation()) {
    case 1: return Anchor;
    case -1: return Caret;
    default: return Anchor.WordInfo.RowOffset < Caret.WordInfo.RowOffset ? Anchor : Caret;
    }
}

const TCaretInfo& TSelectInfo::GetBottomInfo() const
{
    if (!GetEnabled())
        return Caret;
    return &GetTopInfo() == &Anchor ? Caret : Anchor;
}

int TSelectInfo::GetTopPosition() const { return GetEnabled() ? GetTopInfo().GetCaret() : 0; }
int TSelectInfo::GetBottomPosition() const { return GetEnabled() ? GetBottomInfo().GetCaret() : 0; }

int TSelectInfo::CheckSelLine(const TLineInfo& row) const
{
    const int t = GetTopInfo().LineInfo.Row;
    const int b = GetBottomInfo().LineInfo.Row;
    const int r = row.Row;
    if (r < t || r > b)
        return 0;
    if (t == b)
        return 1;
    if (r == t)
        return 2;
    return r == b ? 3 : 4;
}

TExStyle TSelectInfo::GetStyle() const
{
    if (!GetEnabled())
        return GetTopInfo().GetStyle();
    const TRange r = SelectedWords(GetTopInfo(), GetBottomInfo());
    if (!r.First)
        return TExStyle();
    TExStyle style = r.First->GetStyle();
    for (TExWord* w = r.First; w && w != r.Last; w = w->GetNextWord())
        style &= w->GetStyle();
    if (r.Last)
        style &= r.Last->GetStyle();
    return style;
}

TExParaStyle TSelectInfo::GetParaStyle() const
{
    const TCaretInfo& top = GetTopInfo();
    if (!GetEnabled() || !top.WordInfo.Word)
        return top.LineInfo.Line ? top.LineInfo.Line->GetParaStyle() : TExParaStyle();
    TExLine* first = top.WordInfo.Word->GetOwner();
    const TCaretInfo& bottom = GetBottomInfo();
    TExWord* lastWord = bottom.WordInfo.Word;
    if (lastWord && bottom.WordInfo.CharOffset == 0 && lastWord->GetPrevWord())
        lastWord = lastWord->GetPrevWord();
    TExLine* last = lastWord ? lastWord->GetOwner() : first;
    TExParaStyle para = first->GetParaStyle();
    for (TExLine* l = first; l; l = l->GetNextLine()) {
        para &= l->GetParaStyle();
        if (l == last)
            break;
    }
    return para;
}

std::u16string TSelectInfo::GetText() const
{
    if (!GetEnabled())
        return {};
    const TRange r = SelectedWords(GetTopInfo(), GetBottomInfo());
    if (!r.First || !r.Last)
        return {};
    std::string text;
    if (r.First == r.Last) {
        const TExWordType type = r.First->GetType();
        text = type == kWordTab || type == kWordPara ? r.First->GetString()
                                                      : WordSlice(r.First, r.FirstOffset, r.LastOffset);
    } else {
        text = WordSlice(r.First, r.FirstOffset, r.First->GetWordCharCount());
        TExWord* w = r.First->GetNextWord();
        for (; w && w != r.Last; w = w->GetNextWord())
            text += w->GetString();
        if (w)
            text += WordSlice(w, 0, r.LastOffset);
    }
    return platform::Utf8ToUtf16(text);
}

std::string TSelectInfo::GetSelFontName() const
{
    const TExText* doc = DocumentOf(GetTopInfo().WordInfo.Word);
    if (!doc)
        return {};
    TFontAttributes& fonts = const_cast<TExText*>(doc)->GetFonts();
    const TExStyle style = GetStyle();
    const auto name = [&](int index) { return index < 0 ? std::string() : fonts.GetName(index); };
    switch (style.CharClass) {
    case kClassAscii:
    case kClassSpace: return name(style.LowFont);
    case kClassEuro: return name(style.HighFont);
    case kClassDouble:
    case kClassWideSpace: return name(style.DBFont);
    default: break;
    }
    if (style.LowFont < 0 || style.HighFont < 0 || style.DBFont < 0)
        return {};
    std::array<bool, 3> kinds{};
    for (char16_t c : GetText())
        kinds[c < 0x80 ? 0 : (c <= 0xFF ? 1 : 2)] = true;
    const std::array<int, 3> fontOf{style.LowFont, style.HighFont, style.DBFont};
    std::string common;
    bool first = true;
    for (int k = 0; k < 3; ++k) {
        if (!kinds[static_cast<std::size_t>(k)])
            continue;
        const std::string n = fonts.GetName(fontOf[static_cast<std::size_t>(k)]);
        if (first)
            common = n;
        else if (n != common)
            return {};
        first = false;
    }
    return common;
}
