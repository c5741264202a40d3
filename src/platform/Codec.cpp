#include "platform/Codec.h"

#include "platform/Errors.h"
#include "platform/Text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <map>
#include <memory>
#include <string>

namespace platform {

namespace {

std::string OffsetText(std::size_t offset) { return IntToStr(static_cast<std::int64_t>(offset)); }

std::string CodePointText(char32_t cp)
{
    std::string hex = IntToHex(static_cast<std::int64_t>(cp), 4);
    return "U+" + hex;
}

[[noreturn]] void ThrowBadUtf8(std::size_t offset)
{
    throw ConvertError("Invalid UTF-8 byte sequence at byte offset " + OffsetText(offset));
}

// Decodes one code point without raising; returns false on malformed input (overlong forms,
// surrogates and values above U+10FFFF are malformed).
bool DecodeUtf8(std::string_view s, std::size_t& pos, char32_t& cp)
{
    const auto b0 = static_cast<unsigned char>(s[pos]);
    if (b0 < 0x80) {
        cp = b0;
        ++pos;
        return true;
    }
    std::size_t len;
    char32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        return false;
    }
    if (pos + len > s.size())
        return false;
    for (std::size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80)
            return false;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return false;
    pos += len;
    return true;
}

// The number of ASCII bytes that a word of eight loaded bytes starts with (8 when all are).
inline std::size_t AsciiLead(std::uint64_t word)
{
    const std::uint64_t high = word & 0x8080808080808080ULL;
    if (!high)
        return sizeof word;
    const int bits = std::endian::native == std::endian::little ? std::countr_zero(high) : std::countl_zero(high);
    return static_cast<std::size_t>(bits) / 8;
}

// One iconv descriptor per thread and direction, opened on first use and reset before each call.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw ConvertError(std::string("The conversion from ") + from + " to " + to + " is not available");
    }
    ~IconvHandle() { iconv_close(cd_); }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    iconv_t Get()
    {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return cd_;
    }

private:
    iconv_t cd_;
};

iconv_t Utf8ToCp932Descriptor()
{
    thread_local IconvHandle handle("CP932", "UTF-8");
    return handle.Get();
}

iconv_t Cp932ToUtf8Descriptor()
{
    thread_local IconvHandle handle("UTF-8", "CP932");
    return handle.Get();
}

enum class IconvStop { Done, Invalid, Incomplete };

// Converts `input` appending to `out`; returns how it stopped and leaves `consumed` at the byte
// offset where it stopped. Both directions are between UTF-8 and code page 932, which share the
// ASCII range byte for byte, so a leading ASCII run is copied as it stands.
IconvStop RunIconv(iconv_t cd, std::string_view input, std::string& out, std::size_t& consumed)
{
    const std::size_t ascii = AsciiPrefixLength(input);
    out.append(input.data(), ascii);
    char* in = const_cast<char*>(input.data()) + ascii;
    std::size_t inLeft = input.size() - ascii;
    std::array<char, 4096> buf;
    IconvStop stop = IconvStop::Done;
    while (inLeft > 0) {
        char* outPtr = buf.data();
        std::size_t outLeft = buf.size();
        const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buf.data(), static_cast<std::size_t>(outPtr - buf.data()));
        if (rc != static_cast<std::size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        stop = errno == EINVAL ? IconvStop::Incomplete : IconvStop::Invalid;
        break;
    }
    if (stop == IconvStop::Done) {
        char* outPtr = buf.data();
        std::size_t outLeft = buf.size();
        iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
        out.append(buf.data(), static_cast<std::size_t>(outPtr - buf.data()));
    }
    consumed = input.size() - inLeft;
    return stop;
}

// The bytes 0x80-0x9F of Windows-1252. The five bytes Windows leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the C1 controls of the same value, as Windows' own conversion does, so every
// byte decodes and encodes back unchanged.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

bool DecodeCodePage(std::string_view bytes, int codePage, std::vector<std::pair<char32_t, std::size_t>>& out)
{
    // One descriptor per code page and thread, made on first use; null when iconv lacks the page.
    thread_local std::map<int, std::unique_ptr<IconvHandle>> handles;
    auto found = handles.find(codePage);
    if (found == handles.end()) {
        const std::string name = codePage == 10000 ? std::string("MACINTOSH") : "CP" + std::to_string(codePage);
        std::unique_ptr<IconvHandle> handle;
        try {
            handle = std::make_unique<IconvHandle>("UTF-32LE", name.c_str());
        } catch (const ConvertError&) {
        }
        found = handles.emplace(codePage, std::move(handle)).first;
    }
    if (!found->second)
        return false;
    iconv_t cd = found->second->Get();
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        // One character at a time: iconv stops when its output holds one.
        unsigned char unit[4];
        char* outPtr = reinterpret_cast<char*>(unit);
        std::size_t outLeft = sizeof unit;
        const std::size_t before = inLeft;
        iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        if (outLeft == 0) {
            const char32_t cp = unit[0] | unit[1] << 8 | unit[2] << 16 | static_cast<char32_t>(unit[3]) << 24;
            out.emplace_back(cp, before - inLeft);
            continue;
        }
        if (inLeft == before) {
            // Not decodable here (or cut off at the end): this byte alone.
            out.emplace_back(U'\uFFFD', 1);
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return true;
}

std::size_t AsciiPrefixLength(std::string_view bytes)
{
    std::size_t pos = 0;
    std::uint64_t word;
    while (pos + sizeof word <= bytes.size()) {
        std::memcpy(&word, bytes.data() + pos, sizeof word);
        const std::size_t lead = AsciiLead(word);
        pos += lead;
        if (lead < sizeof word)
            return pos;
    }
    while (pos < bytes.size() && static_cast<unsigned char>(bytes[pos]) < 0x80)
        ++pos;
    return pos;
}

std::size_t Utf8ErrorOffset(std::string_view bytes, std::size_t from)
{
    // The forms DecodeUtf8 takes, checked inline: the second byte's range of E0, ED, F0 and F4
    // rules out overlong forms, surrogates and values above U+10FFFF.
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t pos = from;
    while (pos < n) {
        const unsigned b0 = s[pos];
        auto tail = [&](std::size_t i) { return (s[pos + i] & 0xC0) == 0x80; };
        if (b0 < 0x80) {
            // Up to the next high byte of the word at once.
            std::uint64_t word;
            if (n - pos >= sizeof word) {
                std::memcpy(&word, s + pos, sizeof word);
                pos += AsciiLead(word);
            } else {
                ++pos;
            }
        } else if ((b0 & 0xF0) == 0xE0 && n - pos >= 3) {
            // The three-byte forms (CJK) first.
            const unsigned b1 = s[pos + 1];
            if (b1 < (b0 == 0xE0 ? 0xA0u : 0x80u) || b1 > (b0 == 0xED ? 0x9Fu : 0xBFu) || !tail(2))
                return pos;
            pos += 3;
        } else if (b0 < 0xC2 || (b0 >= 0xE0 && b0 < 0xF0)) {
            return pos;   // a continuation or overlong lead byte, or a three-byte form cut short
        } else if (b0 < 0xE0) {
            if (n - pos < 2 || !tail(1))
                return pos;
            pos += 2;
        } else if (b0 < 0xF5) {
            if (n - pos < 4)
                return pos;
            const unsigned b1 = s[pos + 1];
            if (b1 < (b0 == 0xF0 ? 0x90u : 0x80u) || b1 > (b0 == 0xF4 ? 0x8Fu : 0xBFu) || !tail(2) || !tail(3))
                return pos;
            pos += 4;
        } else {
            return pos;
        }
    }
    return std::string_view::npos;
}

bool IsValidUtf8(std::string_view bytes) { return Utf8ErrorOffset(bytes) == std::string_view::npos; }

std::size_t Utf8Length(std::string_view utf8)
{
    // Counts every byte that is not a continuation byte, so malformed text is still measured.
    std::size_t count = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    return count;
}

bool TryNextCodePoint(std::string_view utf8, std::size_t& pos, char32_t& cp)
{
    return pos < utf8.size() && DecodeUtf8(utf8, pos, cp);
}

char32_t NextCodePoint(std::string_view utf8, std::size_t& pos)
{
    char32_t cp = 0;
    if (pos >= utf8.size() || !DecodeUtf8(utf8, pos, cp))
        ThrowBadUtf8(pos);
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::u16string Utf8ToUtf16(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t cp = NextCodePoint(utf8, pos);
        if (cp >= 0x10000) {
            const char32_t v = cp - 0x10000;
            out += static_cast<char16_t>(0xD800 + (v >> 10));
            out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t u = utf16[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
            const char32_t cp = 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            AppendUtf8(out, cp);
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            throw ConvertError("Unpaired UTF-16 surrogate at byte offset " + OffsetText(i * 2));
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

std::string Utf8ToSjis(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t consumed = 0;
    if (RunIconv(Utf8ToCp932Descriptor(), utf8, out, consumed) == IconvStop::Done)
        return out;
    std::size_t pos = consumed;
    char32_t cp = 0;
    if (!DecodeUtf8(utf8, pos, cp))
        ThrowBadUtf8(consumed);
    throw ConvertError("The character " + CodePointText(cp) + " at byte offset " + OffsetText(consumed) +
                       " has no code page 932 form");
}

std::string SjisToUtf8(std::string_view sjis)
{
    std::string out;
    out.reserve(sjis.size() * 3 / 2);
    std::size_t consumed = 0;
    switch (RunIconv(Cp932ToUtf8Descriptor(), sjis, out, consumed)) {
    case IconvStop::Done:
        return out;
    case IconvStop::Incomplete:
        throw ConvertError("Incomplete code page 932 character at byte offset " + OffsetText(consumed));
    case IconvStop::Invalid:
        break;
    }
    throw ConvertError("Invalid code page 932 byte sequence at byte offset " + OffsetText(consumed));
}

std::size_t SjisLength(std::string_view utf8)
{
    // A character that code page 932 lacks counts as one byte (the '?' a lossy conversion would
    // write); malformed UTF-8 raises ConvertError.
    std::size_t length = 0;
    std::string chunk;
    while (!utf8.empty()) {
        chunk.clear();
        std::size_t consumed = 0;
        const IconvStop stop = RunIconv(Utf8ToCp932Descriptor(), utf8, chunk, consumed);
        length += chunk.size();
        if (stop == IconvStop::Done)
            break;
        std::size_t pos = consumed;
        char32_t cp = 0;
        if (!DecodeUtf8(utf8, pos, cp))
            ThrowBadUtf8(consumed);
        length += 1;
        utf8.remove_prefix(pos);
    }
    return length;
}

namespace {

// At least the code-page-932 length of well-formed UTF-8: a character takes one byte in ASCII and
// in the four-byte forms (characters it lacks, one '?'), at most two otherwise.
std::size_t SjisLengthBound(std::string_view utf8)
{
    std::size_t bound = 0;
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80 || byte >= 0xF0) bound += 1;
        else if (byte >= 0xC0) bound += 2;   // continuation bytes add nothing
    }
    return bound;
}

} // namespace

std::string_view SjisTruncate(std::string_view utf8, std::size_t limit)
{
    // The bound never passes the UTF-8 byte count: a text within the limit in bytes needs no count.
    if (IsValidUtf8(utf8) && (utf8.size() <= limit || SjisLengthBound(utf8) <= limit)) return utf8;
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return utf8.substr(0, limit);
    if (SjisLength(utf8) <= limit) return utf8;
    std::size_t used = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::size_t next = pos;
        NextCodePoint(utf8, next);
        const std::size_t width = SjisLength(utf8.substr(pos, next - pos));
        if (used + width > limit) break;
        used += width;
        pos = next;
    }
    return utf8.substr(0, pos);
}

char32_t Cp1252ToCodePoint(unsigned char code)
{
    return code >= 0x80 && code <= 0x9F ? kCp1252High[code - 0x80] : code;
}

int CodePointToCp1252(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (std::size_t i = 0; i < kCp1252High.size(); ++i)
        if (kCp1252High[i] == cp)
            return static_cast<int>(0x80 + i);
    return -1;
}

std::string Utf8ToCp1252(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t at = pos;
        const char32_t cp = NextCodePoint(utf8, pos);
        const int code = CodePointToCp1252(cp);
        if (code < 0)
            throw ConvertError("The character " + CodePointText(cp) + " at byte offset " + OffsetText(at) +
                               " has no Windows-1252 form");
        out += static_cast<char>(code);
    }
    return out;
}

std::string Cp1252ToUtf8(std::string_view cp1252)
{
    std::string out;
    out.reserve(cp1252.size() + cp1252.size() / 2);
    for (char c : cp1252)
        AppendUtf8(out, Cp1252ToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

} // namespace platform
