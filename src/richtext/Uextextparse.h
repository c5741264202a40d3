#pragma once
// Colouring of the document as source code: quoted strings and comments by quote rules, words by
// a keyword list, applied as character styles to the words of each line. A quote still open at a
// line's end continues on the next line when its rule allows it; each line keeps the quote state
// it starts and ends with.
//
// Rule text (one rule a line; fields split by commas, optionally in double quotes):
//   d,<delimiters>
//   q,<begin>,<end>,<cancel>,<carry-over>,<colour>,<bold>,<italic>,<underline>
//   k,<word>,<colour>,<bold>,<italic>,<underline>
// Searches compare characters; every non-ASCII character is a word character.
#include "richtext/Uextext.h"

#include <string>
#include <vector>

class TExTextParse : public TExText {
public:
    TExTextParse();
    ~TExTextParse() override;

    void Clear() override;
    void ReplaceFromLightText(TExLightText* runs) override;

    void InitParseWord();
    void AddKeyWord(const std::string& word, const TExStyle& style);
    void AddQuote(const std::string& begin, const std::string& end, const std::string& cancel, bool carryOver,
                  const TExStyle& style);
    int GetKeyWordCount() const { return static_cast<int>(keyWords_.size()); }
    std::string GetKeyWord(int i) const;
    TExStyle GetKeyWordStyle(int i) const;
    int GetQuoteCount() const { return static_cast<int>(quotes_.size()); }
    std::string GetBeginQuote(int i) const;
    std::string GetEndQuote(int i) const;
    std::string GetCancelQuote(int i) const;
    bool GetTransmitQuote(int i) const;
    TExStyle GetQuoteStyle(int i) const;
    std::string GetDelimiters() const { return CodePointsToUtf8(delimiters_); }

    bool GetWordParse() const { return wordParse_; }
    void SetWordParse(bool on);
    const std::string& GetIniFile() const { return iniFile_; }
    void SetIniFile(const std::string& name);
    void Parsing(bool all);

    // Quote states of a line: at its start and at its end (0 outside any quote).
    static int GetStartState(const TExLine* line) { return line->quoteStart_; }
    static int GetEndState(const TExLine* line) { return line->quoteEnd_; }
    // The built-in rule text.
    static std::string DefaultRules();

protected:
    void Changing() override;
    bool GetParsingNow() const { return parsing_; }

private:
    struct TKeyWord {
        std::u32string Word;
        TExStyle Style;
    };
    struct TQuote {
        std::u32string Begin;
        std::u32string End;      // empty: to the end of the line
        std::u32string Cancel;   // an end right after it does not close the quote
        bool CarryOver = false;
        TExStyle Style;
    };

    void ReadRules(const std::string& text);
    void ParseLine(int startState, TExLine* line);
    void ParseText(TExLine* line, const std::u32string& chars, const std::vector<int>& units, int from, int to);
    void ParseQuote(TExLine* line, int from, int to, const TExStyle& style);

    std::vector<TKeyWord> keyWords_;
    std::vector<TQuote> quotes_;
    std::string iniFile_;
    std::u32string delimiters_;
    TExStyle baseStyle_;
    bool parsing_ = false;
    bool pending_ = false;
    bool replacing_ = false;
    bool wordParse_ = false;
};
