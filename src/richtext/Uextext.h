#pragma once
// The rich-text document: a tree of pages (TExPage), paragraphs (TExLine) and styled words
// (TExWord) over TItemCollection, with the document's font, colour and style-sheet tables.
//
// Invariants: a document has at least one page; every line ends with a paragraph-end word;
// words of a type other than text carry no text; a page break is the boundary between two pages.
// Positions count units (text: characters × the class width, paragraph end 2, tab, line break
// and back-step 1, page break 0); offsets inside a word are units, rounded down to a character.
//
// Effective styles: a word's Style = sheet style of its line's StyleIndex + sheet style of its
// own StyleIndex (when not 0) + its own overrides; a line's ParaStyle = sheet paragraph style of
// its StyleIndex + its own overrides.
//
// Each node's Changing runs when its outermost update lock ends with a change pending: a word
// drops its pieces, a line and a page recount and drop their rows, the document recounts.
#include "core/Itemcollection.h"
#include "richtext/Uexlighttext.h"

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

class TExText;
class TExPage;
class TExLine;
class TExWord;

// Stream formats of TExText::SaveToStream and LoadFromStream.
inline constexpr int kExStreamText = 1;       // plain text (ANSI)
inline constexpr int kExStreamRich = 3;       // RTF
inline constexpr int kExStreamRichSource = 4; // RTF read into its source view (load only)

// ---- wrap records (getters give 0 past the end) ----

struct TPageWrap {
    int Height = 0;
    int LineCount = 0;
    int CharCount = 0;
};
struct TLineWrap {
    int Ascent = 0;
    int Descent = 0;
    int UnderLine = 0;
    int Width = 0;
    int CharCount = 0;
};
struct TWordWrap {
    int CharCount = 0;
    int Width = 0;
};

// ---- nodes ----

class TExWord : public TItemCollection {
    friend class TExText;
    friend class TExTextWrapper;

public:
    explicit TExWord(TExLine* owner);

    TExLine* GetOwner() const;
    // Crossing line and page boundaries; null at the ends of the document.
    TExWord* GetPrevWord() const;
    TExWord* GetNextWord() const;

    TExWordType GetType() const { return type_; }
    int GetStyleIndex() const { return styleIndex_; }
    const TExStyle& GetStyle() const { return style_; }
    const std::string& GetText() const { return text_; }
    int GetAscent() const { return ascent_; }
    int GetDescent() const { return descent_; }
    // Units of one character: 2 for classes 4 and 12.
    int GetUnitWidth() const { return style_.DoubleByte() ? 2 : 1; }
    int GetWordCharCount() const;

    void SetString(const std::string& text);
    void SetStyle(const TExStyle& style);
    void SetType(TExWordType type);
    void SetStyleIndex(int index);

    // Text words: a new word after this one takes the units from n on (same style, index, ascent
    // and descent); returns it, or null when nothing was split.
    TExWord* Split(int n);
    void JoinNext();
    void JoinPrev();
    // One character at unit offset n; DeleteChar removes the one at n, BackChar the one before n.
    // Both return 0 and change nothing outside the text.
    void InsertChar(int n, char32_t c);
    char32_t DeleteChar(int n);
    char32_t BackChar(int n);

    void AddWordWrap(int chars, int width) { wraps_.push_back({chars, width}); }
    void ClearWordWrap() { wraps_.clear(); }
    int GetWordWrapCount() const { return static_cast<int>(wraps_.size()); }
    int GetWordWrapCharCount(int i) const;
    int GetWordWrapWidth(int i) const;
    bool GetEnabled() const { return !wraps_.empty(); }

    std::string GetString() const;
    std::u16string GetUniString() const;

    // Byte index in the text of unit offset n (clamped).
    std::size_t ByteOf(int n) const;

protected:
    void Changing() override;

private:
    void Recount();

    std::vector<TWordWrap> wraps_;
    // Where the pieces were made: the x the word began at, the left edge of further rows, the
    // row limit and whether the word began its line. A word moved to another place is wrapped again.
    int wrapX_ = 0;
    int wrapLeft_ = 0;
    int wrapLimit_ = 0;
    bool wrapFirst_ = false;
    TExWordType type_ = kWordText;
    int styleIndex_ = 0;
    int ascent_ = 0;
    int descent_ = 0;
    int chars_ = 0;   // code points of the text
    std::string text_;
    TExStyle style_;
};

class TExLine : public TItemCollection {
    friend class TExText;
    friend class TExTextParse;
    friend class TExTextWrapper;

public:
    explicit TExLine(TExPage* owner);

    TExPage* GetOwner() const;
    TExWord* GetWords(int i) const { return static_cast<TExWord*>(GetItems(i)); }
    TExWord* GetLastWord() const;
    TExLine* GetPrevLine() const;
    TExLine* GetNextLine() const;
    TExWord* InsertWord(int i);
    // A new line after this one takes the words from index i on; with i 0 this line gets a fresh word.
    TExLine* Split(int i);
    void JoinNext();
    void JoinPrev();

    // Counted when asked after a change: a paragraph read word by word is not counted at each word.
    int GetCharCount() const;
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    int GetStyleIndex() const { return styleIndex_; }
    const TExParaStyle& GetParaStyle() const { return paraStyle_; }
    void SetStyleIndex(int i);
    void SetParaStyle(const TExParaStyle& style);

    // Pixel values of the paragraph style, set by the wrap.
    int GetFirstIndentPx() const { return px_[0]; }
    int GetLeftIndentPx() const { return px_[1]; }
    int GetRightIndentPx() const { return px_[2]; }
    int GetLineSpacePx() const { return px_[3]; }
    int GetSpaceBeforePx() const { return px_[4]; }
    int GetSpaceAfterPx() const { return px_[5]; }

    void AddLineWrap(int ascent, int descent, int chars, int width);
    void ClearLineWrap() { wraps_.clear(); }
    int GetLineWrapCount() const { return static_cast<int>(wraps_.size()); }
    int GetAscent(int i) const;
    int GetDescent(int i) const;
    int GetLineWrapWidth(int i) const;
    int GetLineWrapCharCount(int i) const;
    int GetUnderLine(int i) const;
    void SetUnderLine(int i, int v);
    // max(truncate(1.2 × (ascent + descent)), line spacing) + space before (row 0) + after (last row).
    int GetLineWrapHeight(int i) const;
    bool GetEnabled() const { return GetCount() > 0 && !wraps_.empty(); }

    // Searches the line's text (without its paragraph end) for `text` from the character holding
    // unit offset pos; on success pos and len are the unit offset and length of the match.
    bool FindTextA(const std::u16string& text, int& pos, int& len) const;
    std::string GetString() const;
    std::u16string GetUniString() const;

protected:
    void Changing() override;

private:
    void RemoveEmptyWords();

    std::vector<TLineWrap> wraps_;
    mutable int charCount_ = -1;   // -1 until counted after a change
    int width_ = 0;
    int height_ = 0;
    int styleIndex_ = 0;
    int px_[6] = {0, 0, 0, 0, 0, 0};
    int quoteStart_ = 0;   // quote states of the colouring: at the line's start and end
    int quoteEnd_ = 0;
    TExParaStyle paraStyle_;
};

class TExPage : public TItemCollection {
    friend class TExText;
    friend class TExTextWrapper;

public:
    explicit TExPage(TExText* owner);

    TExText* GetOwner() const;
    TExLine* GetLines(int i) const { return static_cast<TExLine*>(GetItems(i)); }
    TExLine* GetLastLine() const;
    TExPage* GetPrevPage() const { return static_cast<TExPage*>(GetPrev()); }
    TExPage* GetNextPage() const { return static_cast<TExPage*>(GetNext()); }
    TExLine* InsertLine(int i);
    // A new page after this one takes the lines from index i on; returns it.
    TExPage* Split(int i);
    void JoinPrev();
    void JoinNext();

    int GetCharCount() const { return charCount_; }
    int GetRowCount() const { return rowCount_; }
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }

    void AddPageWrap(int height, int lines, int chars) { wraps_.push_back({height, lines, chars}); }
    void ClearPageWrap() { wraps_.clear(); }
    int GetPageWrapCount() const { return static_cast<int>(wraps_.size()); }
    int GetPageWrapHeight(int i) const;
    int GetPageWrapCharCount(int i) const;
    int GetPageWrapLineCount(int i) const;
    bool GetEnabled() const { return GetCount() > 0 && !wraps_.empty(); }

    std::string GetString() const;
    std::u16string GetUniString() const;

protected:
    void Changing() override;

private:
    std::vector<TPageWrap> wraps_;
    int charCount_ = 0;
    int rowCount_ = 0;
    int width_ = 0;
    int height_ = 0;
    int gap_ = 0;   // the part of height_ that is the gap below the page
};

// ---- the document ----

class TExText : public TItemCollection {
    friend class TExTextWrapper;

public:
    TExText();
    ~TExText() override;

    TExPage* GetPages(int i) const { return static_cast<TExPage*>(GetItems(i)); }
    TExPage* GetLastPage() const;
    TExPage* InsertPage(int i);
    TExWord* GetFirstWord() const;
    TExWord* GetLastWord() const;

    bool GetFixedFont() const { return fonts_.GetFixedFont(); }
    void SetFixedFont(bool fixed);
    bool GetSingleLine() const { return singleLine_; }
    void SetSingleLine(bool on);
    bool GetEuroText() const { return euroText_; }
    void SetEuroText(bool on) { euroText_ = on; }
    // The default tab in half-width cells of style-sheet entry 0.
    int GetTabChar() const;
    void SetTabChar(int n);

    int GetCharCount() const { return charCount_; }
    int GetRowCount() const { return rowCount_; }
    int GetPageCount() const { return pageCount_; }
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    // The largest caret position.
    int GetMaxPosition() const { return singleLine_ ? charCount_ : charCount_ - 2; }

    TFontAttributes& GetFonts() { return fonts_; }
    TColorAttributes& GetColors() { return colors_; }
    TStyleAttributes& GetStyles() { return styles_; }
    const TStyleAttributes& GetStyles() const { return styles_; }
    const TExDocStyle& GetDocStyle() const { return docStyle_; }

    int GetColorIndex(TColor color) { return colors_.IndexOfColor(color); }
    int GetFontIndex(const std::string& name, int charset, int family)
    {
        return fonts_.IndexOfFont(name, charset, family);
    }
    int GetStyleIndex(const std::string& name, const TExStyle& style, const TExParaStyle& para)
    {
        return styles_.IndexOfStyle(name, style, para);
    }

    virtual void StyleChange(TStyleAttributes* sender, int index, const TExParaStyle& oldPara,
                             const TExStyle& oldStyle);
    virtual void SetDocStyle(const TExDocStyle& style);
    virtual void ReplaceFromLightText(TExLightText* runs);
    void Clear() override;

    std::string GetString() const;
    std::u16string GetUniString() const;

    // ---- edits and streams ----
    TExWord* InsertWord(TExWord* word, int offset);
    TExWord* InsertReturn(TExWord* word, int offset);
    TExWord* InsertPageNew(TExWord* word, int offset);
    std::unique_ptr<TExLightText> CopyToLightText(TExWord* first, TExWord* last);
    void InsertFromLightText(TExLightText* runs, TExWord* before);
    void DeleteWords(TExWord* first, int firstOffset, TExWord* last, int lastOffset);
    // The set fields of `style` go into every word from first up to, not including, last.
    void SetWordStyle(TExWord* first, TExWord* last, const TExStyle& style);
    // kExStreamText or kExStreamRich; other formats write nothing.
    void SaveToStream(std::ostream& stream, int format);
    // kExStreamText, kExStreamRich or kExStreamRichSource; other formats leave the document cleared.
    void LoadFromStream(std::istream& stream, int format);

    // The effective style of a word with own overrides `own` in a line of sheet index `lineIndex`.
    TExStyle BaseStyle(int lineIndex, int charIndex) const;
    // Moves the word's base from paragraph entry `from` to entry `to`, keeping its own overrides.
    void Rebase(TExWord* word, int from, int to);

protected:
    void Changing() override;

private:
    int MapFont(TExLightText* runs, int index);
    int MapColor(TExLightText* runs, int index);
    TExStyle MapStyle(TExLightText* runs, TExStyle style);
    int MapSheet(TExLightText* runs, int index, bool paragraph);
    // One run of `runs` (not a page break) inserted before `before`, its styles mapped.
    // Inserts one run before `before`. A paragraph end rebases the first `ownWords` words of its line
    // (the line's words from before the paste) on the pasted paragraph's sheet entry, then clears it.
    void InsertRun(TExLightText* runs, const TExLightWord& run, TExWord* before, int& ownWords);
    void FitHighFont(TExWord* word, TExStyle& style);

    bool singleLine_ = false;
    bool euroText_ = false;
    int charCount_ = 0;
    int rowCount_ = 0;
    int pageCount_ = 0;
    int width_ = 0;
    int height_ = 0;
    TFontAttributes fonts_;
    TColorAttributes colors_;
    TStyleAttributes styles_;
    TExDocStyle docStyle_;
};
