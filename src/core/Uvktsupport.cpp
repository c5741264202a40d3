#include "core/Uvktsupport.h"

#include "platform/Bitmap.h"
#include "platform/Codec.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <istream>
#include <iterator>
#include <ostream>
#include <vector>

namespace {

constexpr char32_t kOE = 0x0152;
constexpr char32_t kSmallOE = 0x0153;
constexpr const char* kHexDigits = "0123456789ABCDEF";
constexpr std::string_view kStandardBase64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=";

// One character of a UTF-8 text: its code point and its bytes. A byte that starts no well-formed
// sequence is a character of its own with the code point U+FFFD.
struct Utf8Char {
    char32_t cp;
    std::string_view bytes;
};

Utf8Char NextChar(std::string_view text, std::size_t pos)
{
    std::size_t end = pos;
    char32_t cp = 0;
    if (platform::TryNextCodePoint(text, end, cp))
        return {cp, text.substr(pos, end - pos)};
    return {0xFFFD, text.substr(pos, 1)};
}

std::vector<std::string_view> SplitChars(std::string_view text)
{
    std::vector<std::string_view> chars;
    for (std::size_t pos = 0; pos < text.size();) {
        const Utf8Char c = NextChar(text, pos);
        chars.push_back(c.bytes);
        pos += c.bytes.size();
    }
    return chars;
}

bool Contains(const std::vector<std::string_view>& chars, std::string_view c)
{
    for (std::string_view s : chars)
        if (s == c)
            return true;
    return false;
}

// The escape body (after the backslash) for a Windows-1252 code from 0x80.
std::string EscapeBody(unsigned code)
{
    struct Run {
        unsigned first;
        unsigned last;
        char letter;
    };
    static constexpr Run kRuns[] = {
        {0xC0, 0xC6, 'A'}, {0xC8, 0xCB, 'E'}, {0xCC, 0xCF, 'I'}, {0xD2, 0xD6, 'O'}, {0xD9, 0xDC, 'U'},
        {0xE0, 0xE6, 'a'}, {0xE8, 0xEB, 'e'}, {0xEC, 0xEF, 'i'}, {0xF2, 0xF6, 'o'}, {0xF9, 0xFC, 'u'}};
    for (const Run& run : kRuns)
        if (code >= run.first && code <= run.last)
            return {run.letter, static_cast<char>('0' + (code - run.first))};
    switch (code) {
    case 0xC7: return "C";
    case 0xE7: return "c";
    case 0x8C: return "O5";
    case 0x9C: return "o5";
    default: return {'0', 'x', kHexDigits[code >> 4], kHexDigits[code & 0xF]};
    }
}

// The first code of a vowel's run, or 0 for another character.
unsigned VowelRunStart(char letter)
{
    switch (letter) {
    case 'A': return 0xC0;
    case 'E': return 0xC8;
    case 'I': return 0xCC;
    case 'O': return 0xD2;
    case 'U': return 0xD9;
    case 'a': return 0xE0;
    case 'e': return 0xE8;
    case 'i': return 0xEC;
    case 'o': return 0xF2;
    case 'u': return 0xF9;
    default: return 0;
    }
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

void AppendCp1252(std::string& out, unsigned code)
{
    platform::AppendUtf8(out, platform::Cp1252ToCodePoint(static_cast<unsigned char>(code & 0xFF)));
}

std::string_view ChooseAlphabet(std::string_view alphabet)
{
    return alphabet.size() == 65 ? alphabet : kStandardBase64;
}

} // namespace

std::string EuroToStr(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const Utf8Char c = NextChar(text, pos);
        pos += c.bytes.size();
        if (c.cp == '\\') {
            out += "\\\\";
            continue;
        }
        const int code = c.cp < 0x80 ? -1 : platform::CodePointToCp1252(c.cp);
        if (code < 0) {
            out += c.bytes;
            continue;
        }
        out += '\\';
        out += EscapeBody(static_cast<unsigned>(code));
    }
    return out;
}

std::string StrToEuro(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        if (text[i] != '\\' || i + 1 >= n) {
            out += text[i++];
            continue;
        }
        const char letter = text[i + 1];
        if (const unsigned start = VowelRunStart(letter); start != 0) {
            if (i + 2 < n && text[i + 2] >= '0' && text[i + 2] <= '9') {
                const unsigned digit = static_cast<unsigned>(text[i + 2] - '0');
                if ((letter == 'O' || letter == 'o') && digit > 4)
                    platform::AppendUtf8(out, letter == 'O' ? kOE : kSmallOE);
                else
                    AppendCp1252(out, start + digit);
                i += 3;
                continue;
            }
        } else if (letter == 'C' || letter == 'c') {
            AppendCp1252(out, letter == 'C' ? 0xC7 : 0xE7);
            i += 2;
            continue;
        } else if (letter == '\\') {
            out += '\\';
            i += 2;
            continue;
        } else if (letter == '0' && i + 4 < n && text[i + 2] == 'x' && HexValue(text[i + 3]) >= 0
                   && HexValue(text[i + 4]) >= 0) {
            AppendCp1252(out, static_cast<unsigned>(HexValue(text[i + 3]) * 16 + HexValue(text[i + 4])));
            i += 5;
            continue;
        }
        out += text[i++];   // no escape: the backslash stays
    }
    return out;
}

std::u16string EuroToWide(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const Utf8Char c = NextChar(text, pos);
        pos += c.bytes.size();
        const bool kept = (c.cp >= 0x20 && c.cp <= 0x7F) || (c.cp >= 0xA0 && c.cp <= 0xFF) || c.cp == kOE
                          || c.cp == kSmallOE;
        out += kept ? static_cast<char16_t>(c.cp) : u' ';
    }
    return out;
}

std::string WideToEuro(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char16_t unit : text) {
        if (unit < 0x100 || unit == kOE || unit == kSmallOE)
            platform::AppendUtf8(out, unit);
        else
            out += ' ';
    }
    return out;
}

std::string BinToBase64(std::string_view bytes, std::string_view alphabet, bool lineBreaks)
{
    const std::string_view digits = ChooseAlphabet(alphabet);
    const char pad = digits[64];
    const std::size_t n = bytes.size();
    std::string out;
    out.reserve((n + 2) / 3 * 4 + (lineBreaks ? n / 30 : 0));
    std::size_t written = 0;
    for (std::size_t i = 0; i < n; i += 3) {
        const auto byteAt = [&](std::size_t k) -> std::uint32_t {
            return k < n ? static_cast<unsigned char>(bytes[k]) : 0u;
        };
        const std::uint32_t group = byteAt(i) << 16 | byteAt(i + 1) << 8 | byteAt(i + 2);
        out += digits[(group >> 18) & 63];
        out += digits[(group >> 12) & 63];
        out += i + 1 < n ? digits[(group >> 6) & 63] : pad;
        out += i + 2 < n ? digits[group & 63] : pad;
        written += 4;
        if (lineBreaks && written % 80 == 0 && n - std::min(n, i + 3) >= 2)
            out += "\r\n";
    }
    return out;
}

std::string BinToBase64(const platform::Bytes& bytes, std::string_view alphabet, bool lineBreaks)
{
    return BinToBase64(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), alphabet,
                       lineBreaks);
}

std::string BinToBase64(std::istream& input, std::string_view alphabet, bool lineBreaks)
{
    const std::string bytes{std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>()};
    return BinToBase64(std::string_view(bytes), alphabet, lineBreaks);
}

std::string Base64ToBin(std::string_view text, std::string_view alphabet)
{
    const std::string_view digits = ChooseAlphabet(alphabet);
    std::array<int, 256> value;
    value.fill(-1);
    for (int k = 64; k >= 0; --k)   // downwards: the first occurrence of a character counts
        value[static_cast<unsigned char>(digits[static_cast<std::size_t>(k)])] = k;

    std::string out;
    out.reserve(text.size() / 4 * 3);
    std::uint32_t group = 0;
    int count = 0;
    for (char c : text) {
        const int v = value[static_cast<unsigned char>(c)];
        if (v < 0)
            continue;
        if (v == 64)
            break;
        group = group << 6 | static_cast<std::uint32_t>(v);
        if (++count == 4) {
            out += static_cast<char>(group >> 16);
            out += static_cast<char>(group >> 8);
            out += static_cast<char>(group);
            group = 0;
            count = 0;
        }
    }
    // A last group of 2 or 3 digits holds 12 or 18 bits: one or two whole bytes.
    if (count >= 2) {
        group <<= 6 * (4 - count);
        out += static_cast<char>(group >> 16);
        if (count == 3)
            out += static_cast<char>(group >> 8);
    }
    return out;
}

void Base64ToBin(std::ostream& output, std::string_view text, std::string_view alphabet)
{
    const std::string bytes = Base64ToBin(text, alphabet);
    output.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string BinToAsc(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += kHexDigits[b >> 4];
        out += kHexDigits[b & 0xF];
    }
    return out;
}

std::string AscToBin(std::string_view text)
{
    std::string out;
    out.reserve(text.size() / 2);
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        const int high = std::max(HexValue(text[i]), 0);
        const int low = std::max(HexValue(text[i + 1]), 0);
        out += static_cast<char>(high * 16 + low);
    }
    return out;
}

std::string GetImagesTo(const platform::ImageList& images, int index, platform::TColor backColor)
{
    platform::Picture picture(images.GetWidth(), images.GetHeight(), backColor);
    images.Draw(picture, 0, 0, index);
    return platform::EncodeBmp(picture);
}

void AddImages(platform::ImageList& images, std::string_view bitmapBytes, platform::TColor /*color*/)
{
    const platform::Picture picture = platform::DecodeBmp(bitmapBytes);
    images.AddMasked(picture, picture.GetPixel(0, picture.GetHeight() - 1));
}

long double CurrStrToDouble(std::string_view text)
{
    std::string number = "0";
    for (char c : text)
        if ((c >= '0' && c <= '9') || c == '.')
            number += c;
    long double value = 0;
    std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::fixed);
    return value;
}

std::string StrToFmt(std::string_view text, std::string_view specials)
{
    const std::vector<std::string_view> special = SplitChars(specials);
    if (special.empty())
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (std::string_view c : SplitChars(text)) {
        if (Contains(special, c))
            out += special.front();
        out += c;
    }
    return out;
}

std::string FmtToStr(std::string_view text, std::string_view specials)
{
    const std::vector<std::string_view> special = SplitChars(specials);
    if (special.empty())
        return std::string(text);
    const std::vector<std::string_view> chars = SplitChars(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < chars.size(); ++i) {
        if (chars[i] == special.front()) {
            if (++i == chars.size())
                break;
        }
        out += chars[i];
    }
    return out;
}

bool CheckFmtStr(std::string_view text, std::string_view specials, int& position)
{
    const std::vector<std::string_view> special = SplitChars(specials);
    if (special.empty() || position < 1 || static_cast<std::size_t>(position) > text.size())
        return false;
    const std::size_t at = static_cast<std::size_t>(position) - 1;
    const std::string_view c = NextChar(text, at).bytes;
    if (c != special.front())
        return false;
    const std::size_t next = at + c.size();
    if (next < text.size() && Contains(special, NextChar(text, next).bytes)) {
        position += static_cast<int>(c.size());
        return false;
    }
    return true;
}

std::string SpaceCutter(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (static_cast<unsigned char>(c) > 0x20)
            out += c;
    return out;
}

std::string StrToQuotedPrintable(std::string_view text)
{
    return std::string(text);
}

std::string QuotedPrintableToStr(std::string_view text)
{
    return std::string(text);
}
