// TExTextWrapper: positions, points, rows and pages, caret steps and the edits between carets.
#include "richtext/Uextextwrapper.h"

#include <algorithm>

void TExTextWrapper::RowStart(const TExLine* line, int wrap, TExWord*& word, int& piece, int& wordOffset) const
{
    word = line->GetCount() > 0 ? line->GetWords(0) : nullptr;
    piece = wordOffset = 0;
    if (wrap <= 0)
        return;
    int row = 0;
    for (int i = 0; i < line->GetCount(); ++i) {
        TExWord* w = line->GetWords(i);
        int units = 0;
        for (int p = 0; p < w->GetWordWrapCount(); ++p) {
            if (p > 0 && ++row == wrap) {
                word = w;
                piece = p;
                wordOffset = units;
                return;
            }
            units += w->GetWordWrapCharCount(p);
        }
    }
}

void TExTextWrapper::SetRow(TLineInfo& info, TExLine* line, int wrap) const
{
    info.Line = line;
    info.Wrap = std::max(0, wrap);
    RowStart(line, info.Wrap, info.Word, info.WordWrap, info.WordOffset);
    info.LineOffset = 0;
    for (int r = 0; r < info.Wrap; ++r)
        info.LineOffset += line->GetLineWrapCharCount(r);
}

int TExTextWrapper::RowLeft(const TLineInfo& row) const
{
    return wordWrap_ ? row.GetLeft(wrapWidth_) : row.GetLeftIndent();
}

int TExTextWrapper::PageToCaret(int page) const
{
    int pos = 0;
    int n = 0;
    for (int p = 0; p < GetCount(); ++p)
        for (int w = 0; w < GetPages(p)->GetPageWrapCount(); ++w) {
            if (n++ >= page)
                return pos;
            pos += GetPages(p)->GetPageWrapCharCount(w);
        }
    return GetCharCount();
}

TLineInfo TExTextWrapper::MeasureToLineInfo(int amount, TRowMeasure measure) const
{
    // What a page, a line and a line's row `k` take of the amount; a caret position at the end of a line
    // stays on that line, so lines and rows are passed only when the position lies beyond them.
    const auto pageSize = [&](const TExPage* page) {
        switch (measure) {
        case TRowMeasure::Chars: return page->GetCharCount();
        case TRowMeasure::Pixels: return page->GetHeight();
        case TRowMeasure::Rows: return page->GetRowCount();
        }
        return 0;
    };
    const auto lineSize = [&](const TExLine* line) {
        switch (measure) {
        case TRowMeasure::Chars: return line->GetCharCount();
        case TRowMeasure::Pixels: return line->GetHeight();
        case TRowMeasure::Rows: return line->GetLineWrapCount();
        }
        return 0;
    };
    const auto rowSize = [&](const TExLine* line, int k) {
        switch (measure) {
        case TRowMeasure::Chars: return line->GetLineWrapCharCount(k);
        case TRowMeasure::Pixels: return line->GetLineWrapHeight(k);
        case TRowMeasure::Rows: return 1;
        }
        return 0;
    };
    const auto passed = [&](int size) { return measure == TRowMeasure::Chars ? size < amount : size <= amount; };
    TLineInfo r;
    int first = 0;
    if (sums_.Valid && !GetChanged() && static_cast<int>(sums_.Chars.size()) == GetCount() + 1 && GetCount() > 1) {
        // The pages passed whole, by a binary search of the sums the wrap made.
        const std::vector<int>& sizes = measure == TRowMeasure::Chars    ? sums_.Chars
                                        : measure == TRowMeasure::Pixels ? sums_.Pixels
                                                                         : sums_.Rows;
        const auto after = std::upper_bound(sizes.begin() + 1, sizes.end() - 1, amount);
        first = static_cast<int>(after - (sizes.begin() + 1));
        const auto at = static_cast<std::size_t>(first);
        amount -= sizes[at];
        r.Position = r.LinePosition = sums_.Chars[at];
        r.Row = sums_.Rows[at];
        r.LineIndex = sums_.Lines[at];
        r.Top = sums_.Pixels[at];
    }
    for (int p = first; p < GetCount(); ++p) {
        const TExPage* page = GetPages(p);
        if (pageSize(page) <= amount && p + 1 < GetCount()) {
            amount -= pageSize(page);
            r.Position += page->GetCharCount();
            r.LinePosition += page->GetCharCount();
            r.Row += page->GetRowCount();
            r.LineIndex += page->GetCount();
            r.Top += page->GetHeight();
            continue;
        }
        for (int l = 0; l < page->GetCount(); ++l) {
            TExLine* line = page->GetLines(l);
            if (passed(lineSize(line)) && l + 1 < page->GetCount()) {
                amount -= lineSize(line);
                r.Position += line->GetCharCount();
                r.LinePosition += line->GetCharCount();
                r.Row += line->GetLineWrapCount();
                ++r.LineIndex;
                r.Top += line->GetHeight();
                continue;
            }
            const int rows = line->GetLineWrapCount();
            int k = 0;
            for (; k + 1 < rows && passed(rowSize(line, k)); ++k) {
                amount -= rowSize(line, k);
                r.Position += line->GetLineWrapCharCount(k);
                r.Top += line->GetLineWrapHeight(k);
                ++r.Row;
            }
            SetRow(r, line, k);
            return r;
        }
        break;
    }
    return r;
}

TLineInfo TExTextWrapper::PositionToLineInfo(int pos) const
{
    return MeasureToLineInfo(std::clamp(pos, 0, std::max(0, GetMaxPosition())), TRowMeasure::Chars);
}

TLineInfo TExTextWrapper::PointToLineInfo(int y) const
{
    return MeasureToLineInfo(std::clamp(y, 0, std::max(0, GetHeight() - 1)), TRowMeasure::Pixels);
}

TLineInfo TExTextWrapper::LineCountToLineInfo(int n) const
{
    return MeasureToLineInfo(std::max(1, std::clamp(n, 0, GetRowCount())) - 1, TRowMeasure::Rows);
}

bool TExTextWrapper::NextLineInfo(TLineInfo& row) const
{
    if (!row.Line)
        return false;
    TLineInfo r = row;
    if (row.Wrap + 1 < row.Line->GetLineWrapCount()) {
        SetRow(r, row.Line, row.Wrap + 1);
    } else {
        TExLine* next = row.Line->GetNextLine();
        if (!next)
            return false;
        ++r.LineIndex;
        r.LinePosition += row.Line->GetCharCount();
        SetRow(r, next, 0);
    }
    ++r.Row;
    r.Position += row.GetWrapCount();
    r.Top += row.GetHeight() + (row.GetIsPageBottom() && !multiPage_ ? pageGap_ : 0);
    row = r;
    return true;
}

bool TExTextWrapper::PrevLineInfo(TLineInfo& row) const
{
    if (!row.Line)
        return false;
    TLineInfo r = row;
    if (row.Wrap > 0) {
        SetRow(r, row.Line, row.Wrap - 1);
    } else {
        TExLine* prev = row.Line->GetPrevLine();
        if (!prev)
            return false;
        --r.LineIndex;
        r.LinePosition -= prev->GetCharCount();
        SetRow(r, prev, prev->GetLineWrapCount() - 1);
    }
    --r.Row;
    r.Position -= r.GetWrapCount();
    r.Top -= r.GetHeight() + (row.GetIsPageTop() && !multiPage_ ? pageGap_ : 0);
    row = r;
    return true;
}

TWordInfo TExTextWrapper::PositionToWordInfo(const TLineInfo& row, int n)
{
    TWordInfo wi;
    n = std::clamp(n, 0, row.GetWrapCount());
    wi.RowOffset = n;
    TRowPiece at;
    ForRowPieces(row, [&](const TRowPiece& p) {
        at = p;
        return !(n - p.RowOffset <= p.Word->GetWordWrapCharCount(p.Piece) || p.Last);
    });
    if (!at.Word)
        return wi;
    const int rest = n - at.RowOffset;
    int width = at.X;
    if (at.Word->GetType() == kWordText) {
        if (rest > 0) {
            SetWordExtent(at.Word, nullptr, nullptr);
            width += GetWordExtent(at.WordOffset + rest - 1) - (at.WordOffset > 0 ? GetWordExtent(at.WordOffset - 1) : 0);
        }
    } else if (rest != 0) {
        width += at.Word->GetWordWrapWidth(at.Piece);
    }
    wi.Word = at.Word;
    wi.WordWrap = at.Piece;
    wi.CharOffset = at.WordOffset + rest;
    wi.X = width + RowLeft(row);
    return wi;
}

TWordInfo TExTextWrapper::PointToWordInfo(const TLineInfo& row, int x)
{
    TWordInfo wi;
    const int left = RowLeft(row);
    int px = std::clamp(x - left, 0, std::max(0, row.GetWidth()));
    TRowPiece at;
    ForRowPieces(row, [&](const TRowPiece& p) {
        at = p;
        const int w = p.Word->GetWordWrapWidth(p.Piece);
        if (w < px && !p.Last) {
            px -= w;
            return true;
        }
        return false;
    });
    if (!at.Word)
        return wi;
    const int chars = at.Word->GetWordWrapCharCount(at.Piece);
    int k = 0;
    int width = at.X;
    if (at.Word->GetType() == kWordText) {
        SetWordExtent(at.Word, nullptr, nullptr);
        const int uw = at.Word->GetUnitWidth();
        int prev = at.WordOffset > 0 ? GetWordExtent(at.WordOffset - 1) : 0;
        for (; k + uw <= chars; k += uw) {
            const int edge = GetWordExtent(at.WordOffset + k + uw - 1);
            const int d = edge - prev;
            if (px < d / 2)
                break;
            px -= d;
            width += d;
            prev = edge;
        }
    } else if (px > 0 && px >= at.Word->GetWordWrapWidth(at.Piece) / 2) {
        k = chars;
        width += at.Word->GetWordWrapWidth(at.Piece);
    }
    wi.Word = at.Word;
    wi.WordWrap = at.Piece;
    wi.CharOffset = at.WordOffset + k;
    wi.RowOffset = at.RowOffset + k;
    wi.X = left + width;
    // A caret before a word inside the row belongs to the end of the word before it.
    auto* prevWord = static_cast<TExWord*>(wi.Word->GetPrev());
    if (wi.CharOffset == 0 && wi.RowOffset > 0 && prevWord) {
        wi.Word = prevWord;
        wi.WordWrap = std::max(0, prevWord->GetWordWrapCount() - 1);
        wi.CharOffset = prevWord->GetWordCharCount();
    }
    return wi;
}

TCaretInfo TExTextWrapper::PointToCaretInfo(platform::Point p)
{
    TCaretInfo c;
    c.LineInfo = PointToLineInfo(p.Y);
    c.WordInfo = PointToWordInfo(c.LineInfo, p.X);
    return c;
}

TCaretInfo TExTextWrapper::PositionToCaretInfo(int pos)
{
    TCaretInfo c;
    pos = std::clamp(pos, 0, std::max(0, GetMaxPosition()));
    c.LineInfo = PositionToLineInfo(pos);
    c.WordInfo = PositionToWordInfo(c.LineInfo, pos - c.LineInfo.Position);
    TLineInfo next = c.LineInfo;
    if (c.WordInfo.RowOffset >= c.LineInfo.GetWrapCount() && NextLineInfo(next)) {
        c.LineInfo = next;
        c.WordInfo.Word = next.Word;
        c.WordInfo.WordWrap = next.WordWrap;
        c.WordInfo.CharOffset = next.WordOffset;
        c.WordInfo.RowOffset = 0;
        c.WordInfo.X = RowLeft(next);
    }
    return c;
}

bool TExTextWrapper::NextWordInfo(TCaretInfo& caret)
{
    const TLineInfo& row = caret.LineInfo;
    const TWordInfo& wi = caret.WordInfo;
    TExWord* w = wi.Word;
    if (!w)
        return false;
    const bool atEnd = wi.CharOffset >= w->GetWordCharCount();
    auto* next = static_cast<TExWord*>(w->GetNext());
    const bool beforeBreak = atEnd && next && (next->GetType() == kWordLine || next->GetType() == kWordPara);
    const bool onBreak = w->GetType() == kWordPara || (w->GetType() == kWordLine && wi.CharOffset == 0);
    if (wi.RowOffset >= row.GetWrapCount() || beforeBreak || onBreak) {
        TLineInfo r = row;
        if (!NextLineInfo(r))
            return false;
        caret.LineInfo = r;
        caret.WordInfo = TWordInfo{r.Word, r.WordWrap, 0, r.WordOffset, RowLeft(r)};
        return true;
    }
    TExWord* target = atEnd ? next : w;
    const int piece = atEnd ? 0 : wi.WordWrap;
    if (!target || target->GetType() == kWordPara || (target->GetType() == kWordLine && piece != 1))
        return false;
    int offset = -1;
    ForRowPieces(row, [&](const TRowPiece& p) {
        if (p.Word == target && p.Piece == piece) {
            offset = p.RowOffset + target->GetWordWrapCharCount(piece);
            return false;
        }
        return true;
    });
    if (offset < 0)
        return false;
    TWordInfo moved = PositionToWordInfo(row, offset);
    auto* after = static_cast<TExWord*>(moved.Word ? moved.Word->GetNext() : nullptr);
    if (offset < row.GetWrapCount() && moved.Word && moved.CharOffset >= moved.Word->GetWordCharCount() && after) {
        moved.Word = after;
        moved.WordWrap = 0;
        moved.CharOffset = 0;
    }
    caret.WordInfo = moved;
    return true;
}

bool TExTextWrapper::PrevWordInfo(TCaretInfo& caret)
{
    const TLineInfo& row = caret.LineInfo;
    const TWordInfo& wi = caret.WordInfo;
    if (!wi.Word)
        return false;
    if (wi.RowOffset != 0) {
        TExWord* target = wi.Word;
        int piece = wi.WordWrap;
        int pieceStart = 0;
        for (int p = 0; p < piece; ++p)
            pieceStart += target->GetWordWrapCharCount(p);
        if (wi.CharOffset == pieceStart || target->GetType() == kWordLine) {
            if (auto* prev = static_cast<TExWord*>(target->GetPrev())) {
                target = prev;
                piece = std::max(0, prev->GetWordWrapCount() - 1);
            }
        }
        int offset = 0;
        int wordOffset = 0;
        ForRowPieces(row, [&](const TRowPiece& p) {
            offset = p.RowOffset;
            wordOffset = p.WordOffset;
            return !(p.Word == target && p.Piece == piece);
        });
        TWordInfo moved = PositionToWordInfo(row, offset);
        moved.Word = target;
        moved.WordWrap = piece;
        moved.CharOffset = wordOffset;
        caret.WordInfo = moved;
        return true;
    }
    TLineInfo r = row;
    if (!PrevLineInfo(r))
        return false;
    int offset = r.GetWrapCount();
    ForRowPieces(r, [&](const TRowPiece& p) {
        if (p.Last && (p.Word->GetType() == kWordLine || p.Word->GetType() == kWordPara))
            offset = p.RowOffset;
        return true;
    });
    caret.LineInfo = r;
    caret.WordInfo = PositionToWordInfo(r, offset);
    return true;
}

TCaretInfo TExTextWrapper::IncrementCaretInfo(const TCaretInfo& caret, int n)
{
    TCaretInfo c = caret;
    int offset = caret.WordInfo.RowOffset + n;
    const int rowChars = caret.LineInfo.GetWrapCount();
    TLineInfo next = caret.LineInfo;
    if (offset >= rowChars && NextLineInfo(next)) {
        offset -= rowChars;
        c.LineInfo = next;
    }
    c.WordInfo = PositionToWordInfo(c.LineInfo, offset);
    return c;
}

TCaretInfo TExTextWrapper::DecrementCaretInfo(const TCaretInfo& caret, int n)
{
    TCaretInfo c = caret;
    int offset = caret.WordInfo.RowOffset - n;
    TLineInfo prev = caret.LineInfo;
    if (offset < 0 && PrevLineInfo(prev)) {
        offset += prev.GetWrapCount();
        c.LineInfo = prev;
    }
    c.WordInfo = PositionToWordInfo(c.LineInfo, offset);
    return c;
}

// ---- edits between carets ----

std::unique_ptr<TExLightText> TExTextWrapper::CopyText(const TCaretInfo& top, const TCaretInfo& bottom)
{
    if (top.GetCaret() == bottom.GetCaret() || !top.WordInfo.Word || !bottom.WordInfo.Word)
        return nullptr;
    TExWord* first = top.WordInfo.Word;
    int firstOffset = top.WordInfo.CharOffset;
    if (firstOffset >= first->GetWordCharCount() && first->GetNextWord()) {
        first = first->GetNextWord();
        firstOffset = 0;
    }
    TExWord* last = bottom.WordInfo.Word;
    int lastOffset = bottom.WordInfo.CharOffset;
    if (lastOffset == 0 && last->GetPrevWord()) {
        last = last->GetPrevWord();
        lastOffset = last->GetWordCharCount();
    }
    BeginUpdate();
    std::unique_ptr<TExLightText> runs = CopyToLightText(first, last);
    EndUpdate();
    const auto cut = [](TExLightWord* run, int from, int to) {
        if (!run || run->Type != kWordText)
            return;
        const int w = ClassWidth(run->Style.CharClass);
        const std::u32string cps = CodePoints(run->Text);
        const auto a = std::min<std::size_t>(static_cast<std::size_t>(from / w), cps.size());
        const auto b = std::clamp<std::size_t>(static_cast<std::size_t>(to / w), a, cps.size());
        run->Text = CodePointsToUtf8(cps.substr(a, b - a));
    };
    if (runs->Count() > 0) {
        cut(runs->GetLastWord(), 0, lastOffset);
        cut(runs->GetWords(0), firstOffset, 1 << 30);
    }
    return runs;
}

void TExTextWrapper::DeleteText(const TCaretInfo& top, const TCaretInfo& bottom)
{
    TExWord* w = top.WordInfo.Word;
    if (!w || !bottom.WordInfo.Word)
        return;
    BeginUpdate();
    if (w == bottom.WordInfo.Word && top.WordInfo.CharOffset == bottom.WordInfo.CharOffset) {
        TExLine* line = w->GetOwner();
        TExPage* page = line->GetOwner();
        if (top.WordInfo.CharOffset >= w->GetWordCharCount() && w == line->GetLastWord() &&
            line == page->GetLastLine() && page->GetNextPage())
            page->JoinNext();
        else if (top.WordInfo.CharOffset == 0 && w->GetIndex() == 0 && line->GetIndex() == 0 && page->GetPrevPage())
            page->JoinPrev();
    } else {
        DeleteWords(w, top.WordInfo.CharOffset, bottom.WordInfo.Word, bottom.WordInfo.CharOffset);
    }
    EndUpdate();
}

void TExTextWrapper::PasteText(TExLightText* runs, const TCaretInfo& caret)
{
    TExWord* w = caret.WordInfo.Word;
    if (!runs || runs->Count() == 0 || !w)
        return;
    BeginUpdate();
    const int offset = caret.WordInfo.CharOffset;
    TExWord* before = w;
    if (offset >= w->GetWordCharCount() && offset > 0)
        before = w->GetNextWord() ? w->GetNextWord() : w;
    else if (offset > 0)
        before = w->Split(offset);
    InsertFromLightText(runs, before);
    EndUpdate();
}

void TExTextWrapper::ChangeStyle(const TCaretInfo& top, const TCaretInfo& bottom, const TExStyle& style)
{
    if (top.GetCaret() == bottom.GetCaret() || !top.WordInfo.Word || !bottom.WordInfo.Word)
        return;
    BeginUpdate();
    const auto cut = [](TExWord* w, int offset) -> TExWord* {
        if (offset <= 0)
            return w;
        if (offset >= w->GetWordCharCount() || w->GetType() != kWordText)
            return w->GetNextWord();
        return w->Split(offset);
    };
    TExWord* last = cut(bottom.WordInfo.Word, bottom.WordInfo.CharOffset);
    TExWord* first = cut(top.WordInfo.Word, top.WordInfo.CharOffset);
    if (first)
        SetWordStyle(first, last, style);
    EndUpdate();
}

void TExTextWrapper::ChangeParaStyle(const TCaretInfo& top, const TCaretInfo& bottom, const TExParaStyle& para)
{
    if (!top.WordInfo.Word || !bottom.WordInfo.Word)
        return;
    BeginUpdate();
    TExLine* last = bottom.WordInfo.Word->GetOwner();
    for (TExLine* line = top.WordInfo.Word->GetOwner(); line; line = line->GetNextLine()) {
        TExParaStyle p = line->GetParaStyle();
        p << para;
        line->SetParaStyle(p);
        if (line == last)
            break;
    }
    EndUpdate();
}
