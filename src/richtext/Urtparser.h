#pragma once
// The RTF reader in two layers. TRTStreamParser walks the bytes of a stream into groups, control
// words and text pieces; TRTParser keeps the RTF state (formatting, the table being read, the
// document settings, one saved state per open group) and hands finished items to its owner
// through events. What a control word does is the data of Urtparsedefine.
//
// Texts handed on are the RTF's own bytes (escapes resolved); the owner decodes them by the
// charset of the font they are drawn with. Only \uN characters arrive decoded, as UTF-8 (a
// surrogate pair as one character).
//
// Limits on the input (a text piece's size, a control word's name, the open groups, lengths):
// RtfLimits.h.
//
// Style-sheet entries are handed on when the style sheet ends, each completed from its \sbasedon
// chain: an entry without a size takes that of its nearest base that has one (a paragraph style
// only from paragraph styles, a character style from character styles; a missing base or a cycle
// ends the chain). A paragraph style that nothing gives a size takes RTF's default, 12 pt.
//
// A table row is read as one paragraph, its cells parted by tabs; a row of several cells is
// aligned left (a cell's own alignment cannot apply to the row as a whole). A cell's text that
// ends with its own paragraph end (\par before \cell, as some writers put each cell in a group of
// its own) still keeps the row on one line.
//
// Fonts take the charset their entry names; one that names none (or the default, 1) takes that of
// the document's \ansicpg, and where the document declares none code page 932, or Western (1252)
// when its escaped bytes read as a Western writer's (a lone \'e8 before plain text, not 932's
// pairs of escaped bytes). Characters written
// as control words (\bullet, \rquote, \~ …) are handed on decoded, as \uN characters are; a
// backslash that ends a line ends a paragraph.
//
// Associated character formatting (\ab, \ai, \afs, \af and the other \a words) formats the text
// as its plain twin does, except after \rtlch (until \ltrch, \loch, \dbch or \plain), where it
// is that of right-to-left scripts, which are not drawn.
#include "richtext/Uextexthelper.h"
#include "richtext/RtfLimits.h"
#include "richtext/Urtparsedefine.h"

#include <cstdint>
#include <functional>
#include <istream>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TRTStreamParser {
public:
    TRTStreamParser() = default;
    virtual ~TRTStreamParser() = default;
    TRTStreamParser(const TRTStreamParser&) = delete;
    TRTStreamParser& operator=(const TRTStreamParser&) = delete;

    // Walks the stream to its end (or until Stop). False for: braces closing below depth 0 or left
    // open at the end, more than kRtfMaxDepth open groups, a non-hexadecimal digit in a \' escape, a
    // stream ending after a backslash or a "-" of a control word. What was delivered stays.
    bool Parse(std::istream& stream);
    // Ends the walk as a success.
    void Stop() { stop_ = true; }
    int GetDepth() const { return depth_; }

protected:
    virtual void DoKeyword(const std::string& name, int value, bool hasValue) = 0;
    virtual void DoDestinationText(const std::string& text) = 0;
    virtual void DoGroup(bool open);
    virtual void Reset();
    // Called before the walk, the stream at its start.
    virtual void BeginStream(std::istream&) {}
    // Drops the next `count` bytes of text (the fallback of a \u character); a brace or a control
    // word ends the drop.
    void SkipFallback(int count) { fallback_ = count > 0 ? count : 0; }

private:
    int Next();
    void AppendText(char byte);
    void FlushText();
    bool ReadControl();

    std::istream* stream_ = nullptr;
    int pushed_ = -1;        // one byte stepped back, -1 none
    int state_ = 0;          // 0 normal, 1 skipping \bin data, 2 reading a \' escape
    std::int64_t binLeft_ = 0;
    int hexDigits_ = 0;
    int hexValue_ = 0;
    int depth_ = 0;
    int fallback_ = 0;
    std::string text_;
    bool stop_ = false;
};

struct TRTSection {
    std::int32_t Columns = 0;
    std::uint8_t BreakKind = 0;
    std::int32_t PageNumberX = 0;
    std::int32_t PageNumberY = 0;
    std::uint8_t PageNumberFormat = 0;
};

struct TRTFontEntry {
    std::string Name;
    std::uint8_t Charset = 1;
    std::uint8_t Family = 0;
};

struct TRTColorEntry {
    std::int32_t Red = 0;
    std::int32_t Green = 0;
    std::int32_t Blue = 0;
};

// The state saved per open group and restored when it closes.
struct TParseStruct {
    std::uint8_t DestState = 0;   // 0 before \rtf1, 1 body, 2 table destination, 6 skipping
    std::int32_t DestKind = 0;    // 0 font table, 1 colour table, 2 style sheet
    std::int32_t FontAssociation = 0;   // 0 none, 2 \hich, 3 \loch, 4 \dbch
    TExStyle Style;               // class field: bits of the fonts named (1 \loch, 2 \hich, 4 \dbch, 7 \f);
                                  // the entry number in the font table; size in half-points
    TExParaStyle ParaStyle;
    TRTSection Section;
    TRTFontEntry Font;
    TRTColorEntry Color;
    std::int32_t StyleIndex = 0;
    std::int32_t CharStyleIndex = 0;
    std::int32_t UnicodeSkip = 1;   // \ucN
    std::int32_t BasedOn = -1;      // \sbasedon of the style-sheet entry being read, -1 none
    bool RightToLeft = false;       // after \rtlch: associated formatting is not ours
    bool InTable = false;           // \intbl: the paragraph lies in a table cell (until \pard)
};

// A style-sheet entry as read, before its base completes it.
struct TRTStyleEntry {
    std::string Name;
    TExStyle Style;   // translated as GetStyle translates
    TExParaStyle ParaStyle;
    int Number = 0;
    int BasedOn = -1;
    bool Character = false;
};

class TRTParser : public TRTStreamParser {
public:
    using TStyleEvent = std::function<void(TRTParser* sender, const std::string& name, const TExStyle& style,
                                           const TExParaStyle& paraStyle, int& index)>;
    using TColorEvent = std::function<void(TRTParser* sender, int red, int green, int blue, int& index)>;
    using TFontEvent =
        std::function<void(TRTParser* sender, const std::string& name, int charset, int family, int& index)>;
    // Body text: bytes, or UTF-8 when `unicode` (a \uN character).
    using TTextEvent = std::function<void(TRTParser* sender, const std::string& text, bool unicode)>;
    using TControlEvent = std::function<void(TRTParser* sender, int wordType)>;
    using TGroupEvent = std::function<void(TRTParser* sender, bool open)>;
    using TStringEvent = std::function<void(TRTParser* sender, const std::string& text)>;
    using TKeywordEvent =
        std::function<void(TRTParser* sender, bool known, const std::string& name, int value, bool hasValue)>;

    // RTF's size where none is given (\fs24), in tenths of a point.
    static constexpr int kDefaultSize = 120;

    TRTParser();

    // The character style with fonts and colours translated through the maps, size in tenths of a point.
    TExStyle GetStyle() const;
    TExParaStyle GetParaStyle() const { return state_.ParaStyle; }
    TExDocStyle GetDocStyle() const;
    // (style index, character style index) translated through the style map.
    std::pair<int, int> GetStyleIndexes() const;
    // The raw state, for the source view.
    const TParseStruct& GetState() const { return state_; }
    bool Skipping() const { return state_.DestState == rtfpsSkip; }
    bool InBody() const { return state_.DestState == 1; }
    const TRTSection& GetSection() const { return state_.Section; }

    TGroupEvent OnGroup;
    TKeywordEvent OnKeyword;
    TControlEvent OnControl;
    TStringEvent OnRawText;
    TTextEvent OnText;
    TStyleEvent OnStyle;
    TFontEvent OnFont;
    TColorEvent OnColor;

protected:
    void DoKeyword(const std::string& name, int value, bool hasValue) override;
    void DoDestinationText(const std::string& text) override;
    void DoGroup(bool open) override;
    void Reset() override;
    void BeginStream(std::istream& stream) override;
    virtual void DoKeywordEvent(bool known, const std::string& name, int value, bool hasValue);
    virtual void DoFontAssociation(int kind, int value);
    virtual void SetProperty(const TRTPropertyDefine& row, int value);
    virtual void DoControl(int wordType);
    virtual void DoText(const std::string& text, bool unicode);
    virtual void DoStyle(const std::string& name, const TExStyle& style, const TExParaStyle& paraStyle, int& index);
    virtual void DoFont(const std::string& name, int charset, int family, int& index);
    virtual void DoColor(int red, int green, int blue, int& index);

private:
    void ChangeDestination(int code);
    // Starts a style-sheet entry: cleared styles and indexes, its fonts unset.
    void ClearStyleEntry();
    // Hands on the entries read, each completed from its base (see the top of this file).
    void EndStyleSheet();
    // True for an associated word (\ab, \af, \afs …), which after \rtlch formats right-to-left text.
    bool Associated(const TRTKeywordDefine& row) const;
    // \uN: a UTF-16 unit; a high surrogate waits for the low one that follows it.
    void DoUnicode(int value);
    // Hands on a high surrogate that no low one followed, as "?".
    void EndSurrogate();
    // A character written as a control word (\bullet, \~ …).
    void DoCharacter(char32_t cp);
    // Hands on the paragraph end a table cell's text kept waiting, if any.
    void EndCellParagraph();
    // The charset a font entry's text is read in: its own, or for the default (1, also when the
    // entry names none) the charset of the document's \ansicpg.
    int FontCharset(int charset) const;

    const TRTKeywordList& keywords_;
    bool asterisk_ = false;
    char32_t highSurrogate_ = 0;
    TParseStruct state_;
    TExDocStyle doc_;
    std::vector<TParseStruct> stack_;
    std::map<int, int> fontMap_;
    std::vector<int> colorMap_;
    std::map<int, int> styleMap_;
    std::vector<TRTStyleEntry> sheet_;
    int rowCells_ = 0;   // \cell words read since the last \row
    std::optional<TExParaStyle> cellPara_;   // the paragraph of the row's last cell, until \row
    int ansiCodePage_ = 0;   // \ansicpg, 0 when none is declared
    bool westernBytes_ = false;   // no \ansicpg, and the bytes read as a Western writer's
    bool cellPar_ = false;   // a paragraph end in a table cell waits for what follows it
};
