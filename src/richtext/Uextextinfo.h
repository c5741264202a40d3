#pragma once
// Places in a wrapped document: TLineInfo one row, TWordInfo a caret point inside a row,
// TCaretInfo a caret (row and point), TSelectInfo a selection (anchor and caret). Plain values
// with pointers into the document tree, valid until the next edit or wrap. Positions are units
// of the document's character count; pixels are those of the wrap.
#include "richtext/Uextext.h"

class TLineInfo {
public:
    TExLine* Line = nullptr;
    TExWord* Word = nullptr;    // the word whose piece begins the row
    int Wrap = 0;               // row index within the line
    int WordWrap = 0;           // piece of Word that begins the row
    int LineOffset = 0;         // units from the line start to the row start
    int WordOffset = 0;         // units from Word's start to the row start
    int Row = 0;                // row number in the document
    int Position = 0;           // position of the row's first unit
    int LineIndex = 0;          // paragraph number in the document
    int LinePosition = 0;       // position of the paragraph's first unit
    int Top = 0;                // pixel top from the document top

    void Clear() { *this = TLineInfo(); }
    bool Equal(const TLineInfo& b) const;
    friend bool operator==(const TLineInfo& a, const TLineInfo& b) { return a.Equal(b); }

    bool GetIsPageTop() const;
    bool GetIsPageBottom() const;
    int GetENSquare() const;
    int GetAscent() const;
    int GetDescent() const;
    int GetHeight() const;
    int GetWidth() const;
    int GetWrapCount() const;
    int GetBeforeLineSpace() const;
    int GetAfterLineSpace() const;
    int GetLineSpace() const;
    int GetFirstIndent() const;
    int GetLeftIndent() const;
    int GetRightIndent() const;
    // The x where the row starts in an area `width` pixels wide, by the paragraph's alignment.
    int GetLeft(int width) const;
};

class TWordInfo {
public:
    TExWord* Word = nullptr;
    int WordWrap = 0;     // piece of Word holding the caret
    int RowOffset = 0;    // units from the row start
    int CharOffset = 0;   // units from Word's start
    int X = 0;            // pixel x including the row's left

    void Clear() { *this = TWordInfo(); }
    bool Equal(const TWordInfo& b) const;
    friend bool operator==(const TWordInfo& a, const TWordInfo& b) { return a.Equal(b); }
    int GetAscent() const { return Word ? Word->GetAscent() : 0; }
    int GetDescent() const { return Word ? Word->GetDescent() : 0; }
    TExStyle GetStyle() const { return Word ? Word->GetStyle() : TExStyle(); }
};

class TCaretInfo {
public:
    TLineInfo LineInfo;
    TWordInfo WordInfo;

    void Clear() { *this = TCaretInfo(); }
    friend bool operator==(const TCaretInfo& a, const TCaretInfo& b)
    {
        return a.LineInfo == b.LineInfo && a.WordInfo == b.WordInfo;
    }
    int GetCaret() const { return LineInfo.Position + WordInfo.RowOffset; }
    // The style typing at the caret takes: the previous word's at the start of a word (unless that
    // one carries the spare flag or the word opens its line), else the word's.
    TExStyle GetStyle() const;
    TExParaStyle GetParaStyle() const;
};

class TSelectInfo {
public:
    TCaretInfo Anchor;
    TCaretInfo Caret;

    void Clear() { *this = TSelectInfo(); }
    friend bool operator==(const TSelectInfo& a, const TSelectInfo& b)
    {
        return a.Anchor == b.Anchor && a.Caret == b.Caret;
    }
    bool GetEnabled() const { return Anchor.GetCaret() != Caret.GetCaret(); }
    int GetOrientation() const;
    const TCaretInfo& GetTopInfo() const;
    const TCaretInfo& GetBottomInfo() const;
    int GetTopPosition() const;
    int GetBottomPosition() const;
    int GetSelLength() const { return GetBottomPosition() - GetTopPosition(); }
    // 0 outside the selected rows, 1 the only row, 2 the top row, 4 a middle row, 3 the bottom row.
    int CheckSelLine(const TLineInfo& row) const;
    TExStyle GetStyle() const;
    TExParaStyle GetParaStyle() const;
    std::u16string GetText() const;
    std::string GetSelFontName() const;
};
