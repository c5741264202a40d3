#include "richtext/Uextextwrapper.h"

#include <algorithm>
#include <utility>

namespace {

bool SpareSet(const TExStyle& s) { return s.Spare != 0 && s.Spare != TExStyle::kUnsetFlag; }

int Underline(const TExStyle& s) { return s.Underline == TExStyle::kUnsetFlag ? 0 : s.Underline; }

int ParaValue(std::int32_t v) { return v == TExParaStyle::kUnset ? 0 : v; }

// The units a caret step over `word` takes, after `skipped` units of spare text (0 without a word).
int StepUnits(const TExWord* word, int skipped)
{
    if (!word)
        return 0;
    switch (word->GetType()) {
    case kWordPara: return skipped + 2;
    case kWordTab:
    case kWordLine:
    case kWordBack: return skipped + 1;
    case kWordText: return skipped + word->GetUnitWidth();
    default: return skipped;
    }
}

} // namespace

TExTextWrapper::TExTextWrapper() : extents_(256, 0) {}

TExTextWrapper::~TExTextWrapper() { OnChange = nullptr; }

void TExTextWrapper::SetWordWrap(bool on)
{
    if (on == wordWrap_)
        return;
    wordWrap_ = on;
    fullWrap_ = true;
    Change();
}

void TExTextWrapper::SetMultiPage(bool on)
{
    if (on == multiPage_)
        return;
    multiPage_ = on;
    Change();
}

void TExTextWrapper::SetWrapSize(int width, int height)
{
    if (width == wrapWidth_ && height == wrapHeight_)
        return;
    if (width != wrapWidth_)
        fullWrap_ = true;
    if (height != wrapHeight_)
        repage_ = true;
    wrapWidth_ = width;
    wrapHeight_ = height;
    Change();
}

void TExTextWrapper::SetWrapWidth(int width) { SetWrapSize(width, wrapHeight_); }

void TExTextWrapper::SetWrapHeight(int height) { SetWrapSize(wrapWidth_, height); }

void TExTextWrapper::SetPageGap(int gap)
{
    if (gap < 1 || gap == pageGap_)
        return;
    pageGap_ = gap;
    Change();
}

void TExTextWrapper::Clear()
{
    BeginUpdate();
    TExTextParse::Clear();
    if (!GetDestroying()) {
        pageGap_ = 10;
        fullWrap_ = true;
    }
    EndUpdate();
}

void TExTextWrapper::SetDocStyle(const TExDocStyle& style)
{
    if (style == GetDocStyle())
        return;
    BeginUpdate();
    TExTextParse::SetDocStyle(style);
    fullWrap_ = true;
    EndUpdate();
}

void TExTextWrapper::StyleChange(TStyleAttributes* sender, int index, const TExParaStyle& oldPara,
                                 const TExStyle& oldStyle)
{
    if (!GetDestroying())
        fullWrap_ = true;
    TExTextParse::StyleChange(sender, index, oldPara, oldStyle);
}

void TExTextWrapper::Changing()
{
    // Changes made by the wrap itself or by a colouring pass only recount: the outer run finishes.
    sums_.Valid = false;
    if (inWrap_ || GetParsingNow()) {
        TExText::Changing();
        return;
    }
    TExTextParse::Changing();
    if (!GetDestroying())
        Wrapping(fullWrap_);
    fullWrap_ = false;
}

void TExTextWrapper::DoChange()
{
    TExTextParse::DoChange();
    if (!GetParsingNow() && !inWrap_ && OnChange)
        OnChange(this);
}

// ---- measuring ----

int TExTextWrapper::GetWordExtent(int i) const
{
    return i >= 0 && i < static_cast<int>(extents_.size()) ? extents_[static_cast<std::size_t>(i)] : 0;
}

void TExTextWrapper::SetWordExtent_(int i, int x)
{
    if (i >= 0) {
        EnsureExtents(i + 1);
        extents_[static_cast<std::size_t>(i)] = x;
    }
}

void TExTextWrapper::EnsureExtents(int count)
{
    if (static_cast<int>(extents_.size()) < count + 2)
        extents_.resize(static_cast<std::size_t>((count + 2 + 255) / 256 * 256), 0);
}

void TExTextWrapper::SetWordExtent(TExWord* word, int* ascent, int* descent)
{
    ++measureCount_;
    int a = 0;
    int d = 0;
    const int count = word->GetWordCharCount();
    const std::string_view text = word->GetType() == kWordText ? std::string_view(word->GetText()) : std::string_view();
    GetFonts().GetExtent(word->GetStyle(), text, &extents_, a, d);
    EnsureExtents(count);
    if (GetFixedFont() && word->GetType() == kWordText) {
        const int cell = (a + d + 1) / 2;
        const int w = word->GetUnitWidth();
        for (int i = 0; i < count; ++i)
            extents_[static_cast<std::size_t>(i)] = (i / w + 1) * w * cell;
    }
    if (ascent)
        *ascent = a;
    if (descent)
        *descent = d;
}

void TExTextWrapper::SetWordExtent(platform::Canvas& canvas, bool doubleByte, std::string_view text)
{
    const std::vector<int> edges = canvas.CharEdges(text);
    const int w = doubleByte ? 2 : 1;
    EnsureExtents(static_cast<int>(edges.size()) * w);
    std::size_t k = 0;
    for (int edge : edges)
        for (int u = 0; u < w; ++u)
            extents_[k++] = edge;
}

int TExTextWrapper::Pixels(int twips) const
{
    return static_cast<int>(std::int64_t{kPixelsPerInch} * twips / 1440);
}

int TExTextWrapper::TabUnit(int cell) const
{
    return GetFixedFont() ? GetTabChar() * cell : Pixels(GetDocStyle().DefaultTab);
}

void TExTextWrapper::LinePixels(TExLine* line)
{
    const TExParaStyle& p = line->GetParaStyle();
    const int cufi = ParaValue(p.CharFirstIndent);
    if (cufi != 0) {
        const int size = line->GetCount() > 0 ? line->GetWords(0)->GetStyle().Size : 0;
        line->px_[0] = static_cast<int>(kPixelsPerInch / 72.0 * cufi / 100.0 * size / 10.0);
    } else {
        line->px_[0] = Pixels(ParaValue(p.FirstIndent));
    }
    line->px_[1] = Pixels(ParaValue(p.LeftIndent));
    line->px_[2] = Pixels(ParaValue(p.RightIndent));
    line->px_[3] = Pixels(ParaValue(p.LineSpacing) * ParaValue(p.LineMult));
    line->px_[4] = Pixels(ParaValue(p.SpaceBefore));
    line->px_[5] = Pixels(ParaValue(p.SpaceAfter));
}

// ---- wrapping ----

int TExTextWrapper::GetUnderLineHeight(int kind, int height)
{
    if (kind <= 0 || kind == TExStyle::kUnsetFlag)
        return 0;
    const int t = std::max(1, static_cast<int>(height - height * 0.95));
    const int thick = std::max(2, static_cast<int>(1.5 * t));
    switch (kind) {
    case 3: return 2 * t + 2;
    case 4: case 6: case 8: case 10: case 12: case 14: return thick;
    case 15: return t + 2;
    case 16: return thick + 2;
    case 17: return 2 * t + 4;
    default: return t;
    }
}

void TExTextWrapper::WrapWord(TExWord* word, bool, int x)
{
    TExLine* line = word->GetOwner();
    int a = 0;
    int d = 0;
    SetWordExtent(word, &a, &d);
    word->ascent_ = a;
    word->descent_ = d;
    word->ClearWordWrap();
    const int limit = wrapWidth_ - line->GetRightIndentPx();
    const bool breaking = wordWrap_ && wrapWidth_ != 0;
    const bool firstOfLine = word->GetIndex() == 0;
    word->wrapX_ = x;
    word->wrapLeft_ = line->GetLeftIndentPx();
    word->wrapLimit_ = limit;
    word->wrapFirst_ = firstOfLine;
    switch (word->GetType()) {
    case kWordTab: {
        const int unit = TabUnit((a + d + 1) / 2);
        const int width = unit > 0 ? unit - ((x % unit) + unit) % unit : 0;
        if (breaking && x + width > limit && !firstOfLine)
            word->AddWordWrap(0, 0);
        word->AddWordWrap(1, width);
        return;
    }
    case kWordPara: word->AddWordWrap(2, 0); return;
    case kWordLine:
        word->AddWordWrap(1, 0);
        word->AddWordWrap(0, 0);
        return;
    case kWordBack: {
        int w = 0;
        auto* prev = static_cast<TExWord*>(word->GetPrev());
        if (!(wordWrap_ && firstOfLine) && prev) {
            if (prev->GetType() == kWordText) {
                SetWordExtent(prev, nullptr, nullptr);
                const int n = prev->GetWordCharCount();
                const auto e = [&](int i) { return GetWordExtent(i); };
                if (prev->GetUnitWidth() == 2)
                    w = n > 2 ? (e(n - 1) - e(n - 3)) / 2 : e(n - 1) / 2;
                else
                    w = n > 1 ? e(n - 1) - e(n - 2) : (n == 1 ? e(0) : 0);
            } else {
                w = prev->GetWordWrapWidth(0);
            }
        }
        word->AddWordWrap(1, -w);
        return;
    }
    case kWordText: break;
    default: return;
    }
    const int count = word->GetWordCharCount();
    const int uw = word->GetUnitWidth();
    int pieceWidth = 0;
    int pieceChars = 0;
    int prevEdge = 0;
    for (int i = 0; i + uw <= count; i += uw) {
        const int edge = extents_[static_cast<std::size_t>(i + uw - 1)];
        const int advance = edge - prevEdge;
        prevEdge = edge;
        if (breaking && x + pieceWidth + advance >= limit && !(firstOfLine && i == 0 && pieceChars == 0)) {
            word->AddWordWrap(pieceChars, pieceWidth);
            x = line->GetLeftIndentPx();
            pieceWidth = advance;
            pieceChars = uw;
        } else {
            pieceWidth += advance;
            pieceChars += uw;
        }
    }
    if (pieceChars > 0)
        word->AddWordWrap(pieceChars, pieceWidth);
    if (word->GetWordWrapCount() == 0)
        word->AddWordWrap(count, 0);
}

void TExTextWrapper::WrapLine(TExLine* line, bool full)
{
    line->ClearLineWrap();
    line->width_ = line->height_ = 0;
    const int left = line->GetLeftIndentPx();
    int x = left + line->GetFirstIndentPx();
    bool rewrap = full;
    int ascent = 0;
    int descent = 0;
    int chars = 0;
    int width = 0;
    std::vector<int> kinds;
    const auto closeRow = [&] {
        line->AddLineWrap(ascent, descent, chars, width);
        int under = 0;
        for (int k : kinds)
            under = std::max(under, GetUnderLineHeight(k, ascent + descent));
        line->SetUnderLine(line->GetLineWrapCount() - 1, under);
        line->width_ = std::max(line->width_, width);
    };
    for (int i = 0; i < line->GetCount(); ++i) {
        TExWord* word = line->GetWords(i);
        // A word keeps its pieces while it starts where they were made (words of a joined
        // paragraph move to another line and x).
        if (!word->GetEnabled() || rewrap || word->wrapX_ != x || word->wrapLeft_ != left ||
            word->wrapLimit_ != wrapWidth_ - line->GetRightIndentPx() || word->wrapFirst_ != (i == 0)) {
            WrapWord(word, full, x);
            rewrap = true;
        }
        const int pieces = word->GetWordWrapCount();
        x = pieces == 1 ? x + word->GetWordWrapWidth(0) : left + word->GetWordWrapWidth(pieces - 1);
        const int kind = Underline(word->GetStyle());
        for (int p = 0; p < pieces; ++p) {
            const int c = word->GetWordWrapCharCount(p);
            const int w = word->GetWordWrapWidth(p);
            if (p > 0) {
                closeRow();
                kinds.clear();
                ascent = word->GetAscent();
                descent = word->GetDescent();
                chars = c;
                width = w;
            } else {
                chars += c;
                width += w;
                if (c > 0) {
                    ascent = std::max(ascent, word->GetAscent());
                    descent = std::max(descent, word->GetDescent());
                }
            }
            if (c > 0 && kind != 0)
                kinds.push_back(kind);
        }
    }
    closeRow();
    for (int r = 0; r < line->GetLineWrapCount(); ++r)
        line->height_ += line->GetLineWrapHeight(r);
}

void TExTextWrapper::LineRestore(TExLine* line)
{
    line->BeginUpdate();
    for (int i = 0; i + 1 < line->GetCount();) {
        TExWord* a = line->GetWords(i);
        const TExWord* b = line->GetWords(i + 1);
        if (a->GetType() == kWordText && b->GetType() == kWordText && a->GetStyleIndex() == b->GetStyleIndex() &&
            a->GetStyle() == b->GetStyle())
            a->JoinNext();
        else
            ++i;
    }
    line->EndUpdate();
}

void TExTextWrapper::WrapPage(TExPage* page, bool full)
{
    ++pagedCount_;
    // A line keeps its wraps only while its words are unchanged since the last restore.
    for (int l = 0; l < page->GetCount(); ++l)
        if (full || !page->GetLines(l)->GetEnabled())
            LineRestore(page->GetLines(l));
    page->rowCount_ = page->width_ = page->height_ = page->gap_ = 0;
    page->ClearPageWrap();
    int wrapRows = 0;
    int wrapHeight = 0;
    int wrapChars = 0;
    for (int l = 0; l < page->GetCount(); ++l) {
        TExLine* line = page->GetLines(l);
        LinePixels(line);
        if (!line->GetEnabled() || full)
            WrapLine(line, full);
        page->width_ = std::max(page->width_, line->GetWidth());
        page->height_ += line->GetHeight();
        page->rowCount_ += line->GetLineWrapCount();
        if (wrapHeight_ == 0)
            continue;
        for (int r = 0; r < line->GetLineWrapCount(); ++r) {
            const int h = line->GetLineWrapHeight(r);
            if (wrapRows > 0 && wrapHeight + h > wrapHeight_) {
                page->AddPageWrap(wrapHeight, wrapRows, wrapChars);
                wrapRows = wrapHeight = wrapChars = 0;
            }
            wrapHeight += h;
            ++wrapRows;
            wrapChars += line->GetLineWrapCharCount(r);
        }
    }
    if (wrapHeight_ == 0)
        page->AddPageWrap(page->height_, page->rowCount_, page->charCount_);
    else
        page->AddPageWrap(wrapHeight, wrapRows, wrapChars);
}

void TExTextWrapper::Wrapping(bool full)
{
    if (GetDestroying())
        return;
    inWrap_ = true;
    const bool all = full || std::exchange(repage_, false);
    rowCount_ = pageCount_ = width_ = height_ = 0;
    for (int p = 0; p < GetCount(); ++p) {
        TExPage* page = GetPages(p);
        // An unchanged page keeps its rows and page wraps; only the gap below it follows its place.
        if (all || !page->GetEnabled())
            WrapPage(page, full);
        const int gap = !multiPage_ && p + 1 < GetCount() ? pageGap_ : 0;
        page->height_ += gap - page->gap_;
        page->gap_ = gap;
        rowCount_ += page->rowCount_;
        width_ = std::max(width_, page->width_);
        height_ += page->height_;
        pageCount_ += page->GetPageWrapCount();
    }
    SumPages();
    inWrap_ = false;
}

void TExTextWrapper::SumPages()
{
    const auto count = static_cast<std::size_t>(GetCount());
    for (auto* v : {&sums_.Chars, &sums_.Pixels, &sums_.Rows, &sums_.Lines})
        v->assign(count + 1, 0);
    for (std::size_t p = 0; p < count; ++p) {
        const TExPage* page = GetPages(static_cast<int>(p));
        sums_.Chars[p + 1] = sums_.Chars[p] + page->GetCharCount();
        sums_.Pixels[p + 1] = sums_.Pixels[p] + page->GetHeight();
        sums_.Rows[p + 1] = sums_.Rows[p] + page->GetRowCount();
        sums_.Lines[p + 1] = sums_.Lines[p] + page->GetCount();
    }
    sums_.Valid = true;
}

int TExTextWrapper::GetIncCount(TExWord* word, int offset) const
{
    if (word && offset >= word->GetWordCharCount()) {
        word = word->GetNextWord();
        offset = 0;
    }
    int skipped = 0;
    while (word && SpareSet(word->GetStyle())) {
        skipped += word->GetWordCharCount() - offset;
        offset = 0;
        word = word->GetNextWord();
    }
    return StepUnits(word, skipped);
}

int TExTextWrapper::GetDecCount(TExWord* word, int offset) const
{
    if (word && offset <= 0) {
        word = word->GetPrevWord();
        offset = word ? word->GetWordCharCount() : 0;
    }
    int skipped = 0;
    while (word && SpareSet(word->GetStyle())) {
        skipped += offset;
        word = word->GetPrevWord();
        offset = word ? word->GetWordCharCount() : 0;
    }
    return StepUnits(word, skipped);
}
