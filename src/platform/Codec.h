#pragma once
// Conversions between UTF-8 (text in memory) and the encodings of files: UTF-16, code page 932
// (Shift-JIS) and Windows-1252. An input that cannot be converted raises ConvertError naming the
// byte offset; nothing is dropped silently.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Code page 932 through iconv "CP932". Characters that share one code-page-932 code map onto it:
// "¥" U+00A5 is written as 0x5C and reads back as the backslash, "〜" U+301C as 0x8160 and reads
// back as U+FF5E.
std::string Utf8ToSjis(std::string_view utf8);
std::string SjisToUtf8(std::string_view sjis);

// Windows-1252. The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to
// the C1 controls U+0081 ... as Windows does, so every byte decodes and encodes back unchanged.
std::string Utf8ToCp1252(std::string_view utf8);
std::string Cp1252ToUtf8(std::string_view cp1252);
// One Windows-1252 code and its character, as the two conversions above map them; -1 for a
// character the code page lacks.
char32_t Cp1252ToCodePoint(unsigned char code);
int CodePointToCp1252(char32_t cp);

// The characters of text in a Windows code page that iconv knows (874, 936, 949, 950, 1250-1258,
// 1361, 437, 850 and 10000, Mac Roman), each with the number of bytes it took; a byte the code page
// cannot decode gives U+FFFD for itself. False, with nothing decoded, for a code page iconv lacks.
bool DecodeCodePage(std::string_view bytes, int codePage, std::vector<std::pair<char32_t, std::size_t>>& out);

// Length of a UTF-8 text in code-page-932 bytes (the unit of the stored name limits). A character
// that code page 932 lacks counts as one byte (the '?' of a lossy conversion); malformed UTF-8
// raises ConvertError.
std::size_t SjisLength(std::string_view utf8);
// The longest prefix of a UTF-8 text that takes at most `limit` code-page-932 bytes (counted as
// SjisLength counts), cut between characters: a double-byte character that would pass the limit
// is dropped whole. Malformed UTF-8 raises ConvertError.
std::string_view SjisTruncate(std::string_view utf8, std::size_t limit);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);
// The offset of the first malformed sequence at or after `from` (a character boundary), the one
// TryNextCodePoint stops at; npos when the rest is well-formed.
std::size_t Utf8ErrorOffset(std::string_view bytes, std::size_t from = 0);
// The number of leading ASCII bytes (below 0x80).
std::size_t AsciiPrefixLength(std::string_view bytes);
// Number of characters (code points) of a UTF-8 text.
std::size_t Utf8Length(std::string_view utf8);
// Decodes the code point at `pos` and advances `pos`; raises ConvertError on malformed input.
char32_t NextCodePoint(std::string_view utf8, std::size_t& pos);
// As NextCodePoint without raising: false (and `pos` unchanged) on malformed input or at the end.
bool TryNextCodePoint(std::string_view utf8, std::size_t& pos, char32_t& cp);
// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, char32_t cp);

} // namespace platform
