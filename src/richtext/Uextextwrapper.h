#pragma once
// Layout of the document in pixels at 96 per inch: rows of a paragraph broken at the wrap width
// (between any two characters), page wraps of the wrap height, the totals of the document, and
// conversions between positions, points, row numbers and page numbers and the records of
// Uextextinfo. The wrap is lazy: a change drops the changed nodes' records and the wrap runs once
// when the document's outermost update lock ends, measuring only words without pieces and paging
// only pages without page wraps (a changed line drops its page's); the others keep theirs.
//
// A word's pieces: piece 0 continues the row the word starts in, each further piece opens a row.
#include "richtext/Uextextinfo.h"
#include "richtext/Uextextparse.h"

#include <functional>
#include <memory>
#include <vector>

class TExTextWrapper : public TExTextParse {
public:
    static constexpr int kPixelsPerInch = 96;
    using TChangeEvent = std::function<void(TExTextWrapper* sender)>;

    TExTextWrapper();
    ~TExTextWrapper() override;

    bool GetWordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);
    bool GetMultiPage() const { return multiPage_; }
    void SetMultiPage(bool on);
    int GetWrapWidth() const { return wrapWidth_; }
    int GetWrapHeight() const { return wrapHeight_; }
    void SetWrapSize(int width, int height);
    void SetWrapWidth(int width);
    void SetWrapHeight(int height);
    int GetPageGap() const { return pageGap_; }
    void SetPageGap(int gap);
    bool GetFullWrap() const { return fullWrap_; }

    void Clear() override;
    void SetDocStyle(const TExDocStyle& style) override;
    void StyleChange(TStyleAttributes* sender, int index, const TExParaStyle& oldPara,
                     const TExStyle& oldStyle) override;

    // ---- measuring ----
    int GetWordExtent(int i) const;
    void SetWordExtent_(int i, int x);
    // Measures a word into the extents (right edge per unit) and gives its ascent and descent.
    void SetWordExtent(TExWord* word, int* ascent, int* descent);
    // Measures a text with the canvas's current font; a double-byte text's two units share an edge.
    void SetWordExtent(platform::Canvas& canvas, bool doubleByte, std::string_view text);
    // Words measured since construction (for tests of the incremental wrap).
    long GetMeasureCount() const { return measureCount_; }
    // Pages paged since construction (likewise).
    long GetPagedCount() const { return pagedCount_; }

    // ---- wrapping ----
    void Wrapping(bool full);
    // Rows and page wraps of one page (the gap below it aside).
    void WrapPage(TExPage* page, bool full);
    void LineRestore(TExLine* line);
    void WrapLine(TExLine* line, bool full);
    void WrapWord(TExWord* word, bool full, int x);
    static int GetUnderLineHeight(int kind, int height);
    int GetIncCount(TExWord* word, int offset) const;
    int GetDecCount(TExWord* word, int offset) const;

    // ---- positions ----
    int PageToCaret(int page) const;
    TLineInfo PointToLineInfo(int y) const;
    TWordInfo PointToWordInfo(const TLineInfo& row, int x);
    TCaretInfo PointToCaretInfo(platform::Point p);
    TLineInfo PositionToLineInfo(int pos) const;
    TWordInfo PositionToWordInfo(const TLineInfo& row, int n);
    TCaretInfo PositionToCaretInfo(int pos);
    TLineInfo LineCountToLineInfo(int n) const;
    TLineInfo LastLineInfo() const { return PointToLineInfo(GetHeight()); }
    bool NextLineInfo(TLineInfo& row) const;
    bool PrevLineInfo(TLineInfo& row) const;
    bool NextWordInfo(TCaretInfo& caret);
    bool PrevWordInfo(TCaretInfo& caret);
    TCaretInfo IncrementCaretInfo(const TCaretInfo& caret, int n);
    TCaretInfo DecrementCaretInfo(const TCaretInfo& caret, int n);
    // The x where a row starts: by alignment with word wrap on, else at the left indent.
    int RowLeft(const TLineInfo& row) const;

    // One piece of a row: its word, the piece index, the units of the word and of the row before
    // it, and its x from the row's left.
    struct TRowPiece {
        TExWord* Word = nullptr;
        int Piece = 0;
        int WordOffset = 0;
        int RowOffset = 0;
        int X = 0;
        bool Last = false;   // the row's last piece
    };
    // Calls f for each piece of the row in order until f returns false.
    template <typename F> void ForRowPieces(const TLineInfo& row, F f) const
    {
        TRowPiece p{row.Word, row.WordWrap, row.WordOffset, 0, 0, false};
        while (p.Word) {
            TExWord* next = p.Piece + 1 < p.Word->GetWordWrapCount() ? nullptr : static_cast<TExWord*>(p.Word->GetNext());
            p.Last = next == nullptr;
            if (!f(static_cast<const TRowPiece&>(p)) || !next)
                return;
            const int chars = p.Word->GetWordWrapCharCount(p.Piece);
            p.RowOffset += chars;
            p.X += p.Word->GetWordWrapWidth(p.Piece);
            p.Word = next;
            p.Piece = 0;
            p.WordOffset = 0;
        }
    }

    // ---- edits between carets ----
    std::unique_ptr<TExLightText> CopyText(const TCaretInfo& top, const TCaretInfo& bottom);
    void DeleteText(const TCaretInfo& top, const TCaretInfo& bottom);
    void PasteText(TExLightText* runs, const TCaretInfo& caret);
    void ChangeStyle(const TCaretInfo& top, const TCaretInfo& bottom, const TExStyle& style);
    void ChangeParaStyle(const TCaretInfo& top, const TCaretInfo& bottom, const TExParaStyle& para);

    TChangeEvent OnChange;

protected:
    void Changing() override;
    void DoChange() override;
    bool GetInWrap() const { return inWrap_; }
    int TabUnit(int cell) const;

private:
    int Pixels(int twips) const;
    void LinePixels(TExLine* line);
    void EnsureExtents(int count);
    // The word and piece that begin row `wrap` of a line, with the units of the word before it.
    void RowStart(const TExLine* line, int wrap, TExWord*& word, int& piece, int& wordOffset) const;
    // Fills a record for row `wrap` of `line` (other fields kept).
    void SetRow(TLineInfo& info, TExLine* line, int wrap) const;
    enum class TRowMeasure { Chars, Pixels, Rows };
    // The row the amount (characters, pixels or rows from the top) falls in.
    TLineInfo MeasureToLineInfo(int amount, TRowMeasure measure) const;
    // Sums of the pages before each page (entry p: pages 0 .. p-1), made by the wrap; valid while
    // no change is pending, so that a position finds its page by a binary search.
    struct TPageSums {
        std::vector<int> Chars, Pixels, Rows, Lines;
        bool Valid = false;
    };
    void SumPages();

    bool inWrap_ = false;
    bool fullWrap_ = false;
    bool repage_ = false;   // every page to be paged again (the wrap height changed)
    bool wordWrap_ = false;
    bool multiPage_ = false;
    int wrapWidth_ = 0;
    int wrapHeight_ = 0;
    int pageGap_ = 10;
    long measureCount_ = 0;
    long pagedCount_ = 0;
    TPageSums sums_;
    std::vector<int> extents_;
};
