#pragma once
// Conversions between UTF-8 (text in memory) and the encodings of files: UTF-16, code page 932
// (Shift-JIS) and Windows-1252. An input that cannot be converted raises ConvertError naming the
// byte offset; nothing is dropped silently.
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

std::string Utf8ToSjis(std::string_view utf8);
std::string SjisToUtf8(std::string_view sjis);

std::string Utf8ToCp1252(std::string_view utf8);
std::string Cp1252ToUtf8(std::string_view cp1252);

// Length of a UTF-8 text in code-page-932 bytes (the unit of the stored name limits).
std::size_t SjisLength(std::string_view utf8);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);
// Number of characters (code points) of a UTF-8 text.
std::size_t Utf8Length(std::string_view utf8);
// Decodes the code point at `pos` and advances `pos`; raises ConvertError on malformed input.
char32_t NextCodePoint(std::string_view utf8, std::size_t& pos);
// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, char32_t cp);

} // namespace platform
