#include "platform/Text.h"

#include "platform/Errors.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace platform {

namespace {

[[noreturn]] void ThrowNotInteger(std::string_view text)
{
    throw ConvertError("'" + std::string(text) + "' is not a valid integer value");
}

// Parses the integer grammar of StrToInt for a result of `bits` bits (32 or 64). Decimal text
// must lie in the signed range; hexadecimal text may use all `bits` bits and is read as two's
// complement ("$FFFFFFFF" is -1), so IntToHex output reads back to the same value.
bool ParseInteger(std::string_view text, int bits, std::int64_t& result)
{
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int base = 10;
    if (pos < text.size() && text[pos] == '$') {
        base = 16;
        ++pos;
    } else if (pos + 1 < text.size() && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }
    if (pos >= text.size())
        return false;
    // from_chars accepts no sign or prefix of its own here: the first character must be a digit.
    const char* first = text.data() + pos;
    const char* last = text.data() + text.size();
    const unsigned char c0 = static_cast<unsigned char>(*first);
    const bool isDigit = (c0 >= '0' && c0 <= '9') ||
                         (base == 16 && ((c0 >= 'a' && c0 <= 'f') || (c0 >= 'A' && c0 <= 'F')));
    if (!isDigit)
        return false;
    std::uint64_t magnitude = 0;
    auto [end, ec] = std::from_chars(first, last, magnitude, base);
    if (ec != std::errc() || end != last)
        return false;

    if (base == 16) {
        const std::uint64_t limit = bits == 32 ? 0xFFFFFFFFull : std::numeric_limits<std::uint64_t>::max();
        if (magnitude > limit)
            return false;
        std::int64_t value = bits == 32 ? static_cast<std::int64_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude)))
                                        : static_cast<std::int64_t>(magnitude);
        if (negative) {
            if (bits == 32)
                value = static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(value));
            else
                value = static_cast<std::int64_t>(0ull - static_cast<std::uint64_t>(value));
        }
        result = value;
        return true;
    }

    const std::uint64_t maxPositive = bits == 32 ? 0x7FFFFFFFull : 0x7FFFFFFFFFFFFFFFull;
    if (negative) {
        if (magnitude > maxPositive + 1)
            return false;
        result = static_cast<std::int64_t>(0ull - magnitude);
    } else {
        if (magnitude > maxPositive)
            return false;
        result = static_cast<std::int64_t>(magnitude);
    }
    return true;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }
char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c; }

bool IsBlank(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x01 && u <= 0x20;
}

// Length of the UTF-8 sequence starting with `lead` (1 for a stray continuation byte).
std::size_t SequenceLength(unsigned char lead)
{
    if (lead >= 0xF0 && lead <= 0xF7)
        return 4;
    if (lead >= 0xE0)
        return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

} // namespace

std::string IntToStr(std::int64_t value)
{
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    (void)ec;
    return std::string(buf, end);
}

int StrToInt(std::string_view text)
{
    std::int64_t value = 0;
    if (!ParseInteger(text, 32, value))
        ThrowNotInteger(text);
    return static_cast<int>(value);
}

std::int64_t StrToInt64(std::string_view text)
{
    std::int64_t value = 0;
    if (!ParseInteger(text, 64, value))
        ThrowNotInteger(text);
    return value;
}

int StrToIntDef(std::string_view text, int defaultValue)
{
    std::int64_t value = 0;
    return ParseInteger(text, 32, value) ? static_cast<int>(value) : defaultValue;
}

std::string IntToHex(std::int64_t value, int digits)
{
    std::uint64_t bitsValue;
    if (value < 0 && value >= std::numeric_limits<std::int32_t>::min())
        bitsValue = static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
    else
        bitsValue = static_cast<std::uint64_t>(value);
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, bitsValue, 16);
    (void)ec;
    std::string hex(buf, end);
    for (char& c : hex)
        c = AsciiUpper(c);
    if (digits > static_cast<int>(hex.size()))
        hex.insert(0, static_cast<std::size_t>(digits) - hex.size(), '0');
    return hex;
}

std::vector<std::string_view> SplitLines(std::string_view text)
{
    if (auto nul = text.find('\0'); nul != std::string_view::npos)
        text = text.substr(0, nul);
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        // One pass over the bytes (find_first_of tests each byte against the set by a call).
        std::size_t stop = pos;
        while (stop < text.size() && text[stop] != '\r' && text[stop] != '\n')
            ++stop;
        lines.push_back(text.substr(pos, stop - pos));
        pos = stop;
        if (pos < text.size() && text[pos] == '\r')
            ++pos;
        if (pos < text.size() && text[pos] == '\n')
            ++pos;
    }
    return lines;
}

std::vector<std::string> SplitCommaText(std::string_view text)
{
    // The text ends at its first NUL, as the class library's null-terminated reading does.
    if (auto nul = text.find('\0'); nul != std::string_view::npos)
        text = text.substr(0, nul);

    std::vector<std::string> pieces;
    std::size_t p = 0;
    const std::size_t n = text.size();
    while (p < n && IsBlank(text[p]))
        ++p;
    while (p < n) {
        std::string piece;
        if (text[p] == '"') {
            ++p;
            while (p < n) {
                if (text[p] == '"') {
                    if (p + 1 < n && text[p + 1] == '"') {
                        piece += '"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                piece += text[p++];
            }
        } else {
            const std::size_t start = p;
            while (p < n && static_cast<unsigned char>(text[p]) > 0x20 && text[p] != ',')
                ++p;
            piece.assign(text.substr(start, p - start));
        }
        pieces.push_back(std::move(piece));
        while (p < n && IsBlank(text[p]))
            ++p;
        if (p < n && text[p] == ',') {
            if (p + 1 == n)
                pieces.emplace_back();
            do {
                ++p;
            } while (p < n && IsBlank(text[p]));
        }
    }
    return pieces;
}

void AppendCommaItem(std::string& out, std::string_view item)
{
    const bool needsQuotes = std::any_of(item.begin(), item.end(), [](char c) {
        return static_cast<unsigned char>(c) <= 0x20 || c == '"' || c == ',';
    });
    if (!needsQuotes) {
        out += item;
        return;
    }
    out += '"';
    for (char c : item) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

std::string QuoteCommaItem(std::string_view item)
{
    std::string quoted;
    quoted.reserve(item.size() + 2);
    AppendCommaItem(quoted, item);
    return quoted;
}

std::string JoinCommaText(const std::vector<std::string>& items)
{
    if (items.size() == 1 && items[0].empty())
        return "\"\"";
    std::string result;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            result += ',';
        AppendCommaItem(result, items[i]);
    }
    return result;
}

std::string LowerCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = AsciiLower(c);
    return out;
}

std::string UpperCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = AsciiUpper(c);
    return out;
}

bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i]))
            return false;
    return true;
}

int CompareText(std::string_view a, std::string_view b)
{
    // Folds to upper case, as the class library does ('_' sorts after letters).
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const int ca = static_cast<unsigned char>(AsciiUpper(a[i]));
        const int cb = static_cast<unsigned char>(AsciiUpper(b[i]));
        if (ca != cb)
            return ca - cb;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::string Trim(std::string_view text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= 0x20)
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 0x20)
        --last;
    return std::string(text.substr(first, last - first));
}

bool MatchesMask(std::string_view text, std::string_view mask)
{
    // Greedy matching with one backtrack point (the last '*'); '?' stands for one UTF-8 character.
    std::size_t t = 0;
    std::size_t m = 0;
    std::size_t starMask = std::string_view::npos;
    std::size_t starText = 0;
    while (t < text.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starText = t;
            continue;
        }
        if (m < mask.size() && mask[m] == '?') {
            t += SequenceLength(static_cast<unsigned char>(text[t]));
            if (t > text.size())
                t = text.size();
            ++m;
            continue;
        }
        if (m < mask.size() && AsciiUpper(mask[m]) == AsciiUpper(text[t])) {
            ++m;
            ++t;
            continue;
        }
        if (starMask == std::string_view::npos)
            return false;
        // Let the last '*' swallow one more character and retry after it.
        m = starMask + 1;
        starText += SequenceLength(static_cast<unsigned char>(text[starText]));
        if (starText > text.size())
            starText = text.size();
        t = starText;
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

} // namespace platform
