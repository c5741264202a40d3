#pragma once
// The flat form of styled text: a list of runs, each with one character style, one paragraph style
// and a word type, with its own font, colour and style-sheet tables. The interchange form of the
// rich-text engine (clipboard, pasting, undo snapshots, streams).
//
// Word types and their position units and plain text:
//   0 text         its characters (class 4/12: 2 units each, else 1)    its text
//   1 tab          1                                                    TAB
//   2 paragraph    2                                                    CR LF
//   3 page break   0                                                    nothing
//   4 line break   1                                                    LF
//   5 back-step    1                                                    BS
// Text runs hold UTF-8 of one class; class-2 runs are either all half-width katakana or none.
#include "richtext/Uextexthelper.h"

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The word types above. A value outside them stays as read (the type holds any int32).
enum TExWordType : std::int32_t {
    kWordText = 0,
    kWordTab = 1,
    kWordPara = 2,
    kWordPage = 3,
    kWordLine = 4,
    kWordBack = 5,
};

struct TExLightWord {
    TExWordType Type = kWordText;
    std::int32_t StyleIndex = 0;       // style-sheet entry of the paragraph (\s)
    std::int32_t CharStyleIndex = 0;   // style-sheet entry of a character style (\cs), 0 none
    TExStyle Style;                    // own formatting over the style-sheet entries
    TExParaStyle ParaStyle;
    std::string Text;                  // text runs only

    int GetCharCount() const;
};

class TExLightText_ {
public:
    TExLightText_();
    virtual ~TExLightText_();
    TExLightText_(const TExLightText_&) = delete;
    TExLightText_& operator=(const TExLightText_&) = delete;

    // Removes the runs, clears the tables and makes the current styles all unset.
    virtual void Clear();
    // Puts the plain text on the clipboard (text/plain, UTF-8).
    virtual void SetClipboard();
    // Reads the clipboard's plain text, when there is some.
    virtual void GetClipboard(bool rich);

    void Assign(const TExLightText_* source, int first = 0);
    int Count() const { return static_cast<int>(words_.size()); }
    TExLightWord* GetWords(int i);
    const TExLightWord* GetWords(int i) const;
    TExLightWord* GetLastWord();
    void DeleteWord(int i);
    int GetCharCount() const;

    int GetStyleIndex(const std::string& name, const TExStyle& style, const TExParaStyle& paraStyle);
    int GetColorIndex(TColor color) { return colors_.IndexOfColor(color); }
    int GetFontIndex(const std::string& name, int charset, int family);

    // One run at `position` (-1 appends) from the current state. Text of class 2 keeps only the
    // characters the class can write ("?" for others) and gets a high-ANSI font of fitting charset.
    TExLightWord* AddWord(int position, const std::string& text, TExWordType type, int charClass);
    // Wide text: class 6 becomes 2.
    TExLightWord* AddWord(int position, const std::u16string& text, TExWordType type, int charClass);
    // `type` kWordText splits the text by class; another value with text makes one text run of
    // that value as its character class; no text makes one run of that word type.
    bool AddWord(const std::string& text, int type);
    bool AddWord(const std::u16string& text, int type);
    bool InsertWord(int position, const std::string& text, int type);
    bool InsertWord(int position, const std::u16string& text, int type);
    // Splits the text into runs by class; TAB makes a tab run, and LF, CR LF and CR each a
    // paragraph end. Returns the number of runs added.
    int TextAnalyze(const std::string& text, int position);
    int TextAnalyze(const std::u16string& text, int position);

    void SetAnsi(const std::string& text);
    void SetWide(const std::u16string& text);
    // The bytes of a code-page-932 plain-text file (European runs through the letter table).
    std::string GetAnsi() const;
    std::u16string GetWide() const;
    void SaveToAnsiStream(std::ostream& stream) const;
    // Reads code-page-932 bytes (Windows-1252 with the European flag), line by line.
    void LoadFromAnsiStream(std::istream& stream);
    // 3 rich text (when asked), 2 plain text, 0 nothing.
    static int ClipboardHasText(bool rich);

    // Joins neighbouring text runs of equal indexes and styles.
    void Restore();
    // Style-sheet entry, plus the character style entry, plus the run's own style.
    TExStyle EffectiveStyle(const TExLightWord& word) const;
    TExParaStyle EffectiveParaStyle(const TExLightWord& word) const;

    TFontAttributes& GetFontAttributes() { return fonts_; }
    const TFontAttributes& GetFontAttributes() const { return fonts_; }
    TColorAttributes& GetColorAttributes() { return colors_; }
    const TColorAttributes& GetColorAttributes() const { return colors_; }
    TStyleAttributes& GetStyleAttributes() { return styles_; }
    const TStyleAttributes& GetStyleAttributes() const { return styles_; }

    // Kept for callers; every class-2 run gets its fitting high-ANSI font.
    bool GetAutoHighFont() const { return autoHighFont_; }
    void SetAutoHighFont(bool on) { autoHighFont_ = on; }
    // Bytes 0x80-0xFF of decoded text are single European letters.
    bool GetEuro() const { return euro_; }
    void SetEuro(bool on) { euro_ = on; }

    int GetCurrentStyleIndex() const { return styleIndex_; }
    void SetCurrentStyleIndex(int index) { styleIndex_ = index; }
    int GetCurrentCharStyleIndex() const { return charStyleIndex_; }
    void SetCurrentCharStyleIndex(int index) { charStyleIndex_ = index; }
    const TExStyle& GetCurrentStyle() const { return style_; }
    void SetCurrentStyle(const TExStyle& style) { style_ = style; }
    const TExParaStyle& GetCurrentParaStyle() const { return paraStyle_; }
    void SetCurrentParaStyle(const TExParaStyle& paraStyle) { paraStyle_ = paraStyle; }

protected:
    // Adds the characters as runs split by class (see TextAnalyze); returns the runs added.
    int AddRuns(const std::vector<TDecodedChar>& chars, int position);
    // Decodes bytes drawn with font `font` of the association (1 \loch, 2 \hich, 4 \dbch, other \f).
    std::vector<TDecodedChar> DecodeFontBytes(std::string_view bytes, int font, int association) const;
    // Decodes bytes in the fonts of `style`, whose class field holds the associations named (bits
    // 1 \loch, 2 \hich, 4 \dbch): one association decodes all bytes in its font; otherwise ASCII
    // reads in the low-ANSI font, code-page-932 lead and trail pairs (European flag off) in the
    // double-byte font and other bytes in the high-ANSI font.
    std::vector<TDecodedChar> DecodeStyledBytes(std::string_view bytes, const TExStyle& style) const;
    // Gives the run's own style a double-byte or high-ANSI font that holds its text when the
    // effective one does not (RTF charsets decide how its bytes read back).
    void FitFonts(TExLightWord& word);
    // On while RTF is read: class-2 runs keep a given high-ANSI font that holds them.
    bool givenFonts_ = false;
    std::string PlainText() const;

private:
    void FitHighFont(bool katakana);

    std::vector<std::unique_ptr<TExLightWord>> words_;
    TFontAttributes fonts_;
    TColorAttributes colors_;
    TStyleAttributes styles_;
    bool autoHighFont_ = false;
    bool euro_ = false;
    int styleIndex_ = 0;
    int charStyleIndex_ = 0;
    TExParaStyle paraStyle_;
    TExStyle style_;
};
