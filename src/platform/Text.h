#pragma once
// Locale-independent integer text, comma text and small string helpers (UTF-8 throughout).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Signed decimal text of an integer: "-5", "0", "123".
std::string IntToStr(std::int64_t value);
// Reads an integer: optional leading blanks, optional sign, decimal digits or hexadecimal after
// "0x"/"0X" or "$", nothing after, 32-bit range. Anything else raises ConvertError naming the text
// ("'12a' is not a valid integer value"). Blanks are spaces only. Hexadecimal may use all 32 bits
// and is read as two's complement ("$FFFFFFFF" is -1), the inverse of IntToHex.
int StrToInt(std::string_view text);
// As StrToInt, 64-bit range.
std::int64_t StrToInt64(std::string_view text);
// StrToInt returning the default instead of raising.
int StrToIntDef(std::string_view text, int defaultValue);
// Upper-case hexadecimal, zero-filled to at least `digits` digits; negative values as their
// 32-bit two's complement.
std::string IntToHex(std::int64_t value, int digits);

// The lines of a text as a string list takes them (StringList::SetText): the text ends at its
// first NUL; a line ends at "\r\n", "\r" or "\n"; a last line without an end counts, an end at
// the very end adds no empty line. The views point into `text`.
std::vector<std::string_view> SplitLines(std::string_view text);
// Splits comma text by the class library's rules: characters 0x01-0x20 before a piece are skipped;
// a piece starting with '"' runs to the closing quote ("" inside is one quote); an unquoted piece
// runs to the first character <= 0x20 or ','; a comma ends a piece, an empty piece between commas
// is kept, a trailing comma adds one empty piece. "" gives no pieces.
std::vector<std::string> SplitCommaText(std::string_view text);
// Joins items: an item holding a character <= 0x20, '"' or ',' is quoted with inner quotes doubled;
// a list of exactly one empty item gives "\"\"".
std::string JoinCommaText(const std::vector<std::string>& items);
// Quotes one item as JoinCommaText would.
std::string QuoteCommaItem(std::string_view item);
// Appends the quoted item to `out`.
void AppendCommaItem(std::string& out, std::string_view item);

// ASCII case folding and comparison (the system compares names this way).
std::string LowerCase(std::string_view text);
std::string UpperCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);
// Removes characters <= 0x20 at both ends.
std::string Trim(std::string_view text);
// Mask matching with '*' and '?', case-insensitive.
bool MatchesMask(std::string_view text, std::string_view mask);

} // namespace platform
