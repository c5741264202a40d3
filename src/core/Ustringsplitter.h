#pragma once
// Splits a text into items at a separator while keeping quoted and bracketed sections whole, and
// joins items back into a text. Quote characters are single bytes (ASCII); positions count bytes
// from 1.
#include "platform/StringList.h"

#include <string>
#include <string_view>

class TStringSplitter {
public:
    // No items, Splitter ",", Quote the six openers ' " ( < [ {.
    TStringSplitter();
    TStringSplitter(const TStringSplitter& other);
    TStringSplitter& operator=(const TStringSplitter& other);
    virtual ~TStringSplitter() = default;

    // Empties the list; Splitter becomes "," and Quote the two characters " and ' (so brackets no
    // longer protect separators).
    void Clear();

    // Item operations; an index outside the list raises ListIndexError.
    int Add(std::string text);
    void Delete(int index);
    int GetCount() const { return strings_.GetCount(); }
    const std::string& GetString(int index) const { return strings_.GetString(index); }
    void SetString(int index, std::string text) { strings_.SetString(index, std::move(text)); }
    const platform::StringList& GetStrings() const { return strings_; }

    const std::string& GetSplitter() const { return splitter_; }
    void SetSplitter(std::string value) { splitter_ = std::move(value); }
    // Opening characters; ( < [ { close with ) > ] }, any other character closes itself.
    const std::string& GetQuote() const { return quote_; }
    void SetQuote(std::string value) { quote_ = std::move(value); }

    // Splits the text into the list: a separator inside a quoted or bracketed section does not
    // split ("a,'b,c',d" gives a, 'b,c' and d). An empty text gives no item, nor does an empty
    // rest after the last separator.
    void SetText(std::string_view text);
    // The items joined with Splitter.
    std::string GetText() const;

    // Index of the first item that, trimmed of blanks, matches the mask ('*' and '?', case
    // ignored); -1 when none does.
    int IndexOfMatches(std::string_view mask) const;
    // The smallest position of any Quote character in the text; 0 when there is none.
    int QuotedPos(std::string_view text) const;
    // For the character at the position: an opening bracket gives the position of the first
    // matching closing bracket after it, a quote character that of its next occurrence, a closing
    // bracket that of the first matching opening bracket in the text before it; 0 when there is
    // no match or the position lies outside the text.
    int EndQuotedPos(std::string_view text, int position) const;

private:
    platform::StringList strings_;
    std::string splitter_;
    std::string quote_;
};
