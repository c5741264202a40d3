#pragma once
// The styled-run list with its RTF side: a document style, RTF output (code page 932, pure ASCII)
// and RTF input through an owned TRTParser, either into runs or, in the source view, into a
// coloured and indented listing of the RTF source itself.
//
// RTF layout written by GetRich (lines joined and ended with CR LF):
//   {\rtf1\ansi\ansicpg932\deflang1033\deflangfe1041
//   font table / colour table / style sheet / document style
//   \lang1033\langfe1041
//   body: one "{\pard\plain…\par}" group and LF per paragraph, opened by the paragraph mark's
//   style; one "{…}" group per run with its own style over the mark's; \page where it stands
//   }
#include "richtext/Uexlighttext_.h"
#include "richtext/Urtparser.h"

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class TExLightText : public TExLightText_ {
public:
    TExLightText();
    ~TExLightText() override;

    void Clear() override;
    // Puts RTF (text/rtf) and the plain text on the clipboard in one write.
    void SetClipboard() override;
    // Rich text (text/rtf, application/rtf, text/richtext) first when `rich`, else plain text.
    void GetClipboard(bool rich) override;

    // Reads RTF into runs; false when the RTF is damaged (what was read stays).
    bool LoadFromRichStream(std::istream& stream);
    // Reads RTF into its source view.
    bool AnalyzeFromRichStream(std::istream& stream);
    bool SetRich(const std::string& text);
    // Joins equal runs first (Restore), so the list changes.
    std::string GetRich();
    void SaveToRichStream(std::ostream& stream);

    const TExDocStyle& GetDocStyle() const { return docStyle_; }
    void SetDocStyle(const TExDocStyle& style) { docStyle_ = style; }
    bool GetAnalyze() const { return analyze_; }
    void SetAnalyze(bool on) { analyze_ = on; }
    int GetIndentWidth() const { return indentWidth_; }
    void SetIndentWidth(int width) { indentWidth_ = width; }
    TRTParser& GetParser() { return *parser_; }

protected:
    virtual void ParseStyle(TRTParser* sender, const std::string& name, const TExStyle& style,
                            const TExParaStyle& paraStyle, int& index);
    virtual void ParseColor(TRTParser* sender, int red, int green, int blue, int& index);
    virtual void ParseFont(TRTParser* sender, const std::string& name, int charset, int family, int& index);
    virtual void ParseText(TRTParser* sender, const std::string& text, bool unicode);
    virtual void ParseCtrl(TRTParser* sender, int wordType);
    virtual void ParseIndent(TRTParser* sender, bool open);
    virtual void ParseString(TRTParser* sender, const std::string& text);
    virtual void ParseKeyword(TRTParser* sender, bool known, const std::string& name, int value, bool hasValue);

private:
    // What a character of a run is written as depends only on it, the run's class and its fonts
    // (within one writing the font table stays as it is): each is worked out once per writing.
    struct TRunChar {
        char32_t Code;
        int CharClass;
        int LowFont;
        int HighFont;
        int DBFont;
        bool operator==(const TRunChar&) const = default;
    };
    struct TRunCharHash {
        std::size_t operator()(const TRunChar& c) const;
    };
    using TRunChars = std::unordered_map<TRunChar, std::string, TRunCharHash>;
    // The openings of the last run groups written ("{", the character style, the run's style and
    // what resets the paragraph mark's), by what they are made of: runs repeat a few styles.
    class TRunGroups {
    public:
        const std::string& Opening(int charStyle, const TExStyle& style, const TExStyle& mark);

    private:
        static constexpr std::size_t kRecent = 8;
        struct TRunGroup {
            int CharStyle;
            TExStyle Style;
            TExStyle Mark;
            std::string Text;
        };
        std::vector<TRunGroup> recent_;
        std::size_t next_ = 0;
    };
    // Run text escaped for RTF: bytes where the run's font reads them back as the same character,
    // else \uN.
    std::string RunText(const std::string& text, const TExStyle& style, TRunChars& written) const;
    // The parser's style indexes and style as current, less the style-sheet entries.
    void TakeParserStyle(TRTParser* sender);
    // The parser's paragraph style with character units converted, less the style entry's (the
    // current style index).
    TExParaStyle OwnParaStyle(TRTParser* sender) const;
    std::vector<TDecodedChar> DecodeText(TRTParser* sender, const std::string& text, bool unicode) const;
    void NewLine(int depth);
    void AddStyled(const std::string& text, int charStyle);

    std::unique_ptr<TRTParser> parser_;
    TExDocStyle docStyle_;
    int indentWidth_ = 2;
    int viewState_ = 0;   // source view: 0 start, 1 after a brace, 2 after a control word, 3 after text
    bool analyze_ = false;
};
