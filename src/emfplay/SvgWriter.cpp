#include "emfplay/SvgWriter.h"

#include "emfplay/PlayerLimits.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace emfplay {

SvgWriter& SvgWriter::Number(double value)
{
    if (!std::isfinite(value))
        value = 0;
    value = std::clamp(value, -kMaxNumber, kMaxNumber);
    char buffer[32];
    const double rounded = std::round(value);
    std::to_chars_result result;
    if (std::abs(value - rounded) < 0.00005) {
        result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(rounded));
    } else {
        result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4);
        // Trailing zeros of the fraction go.
        while (result.ptr[-1] == '0')
            --result.ptr;
        if (result.ptr[-1] == '.')
            --result.ptr;
    }
    std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    if (text == "-0")
        text = "0";
    out_.append(text);
    return *this;
}

SvgWriter& SvgWriter::Attribute(std::string_view name, double value)
{
    out_ += ' ';
    out_.append(name);
    out_.append("=\"");
    Number(value);
    out_ += '"';
    return *this;
}

SvgWriter& SvgWriter::Attribute(std::string_view name, std::string_view text)
{
    out_ += ' ';
    out_.append(name);
    out_.append("=\"");
    Escaped(text);
    out_ += '"';
    return *this;
}

SvgWriter& SvgWriter::Color(std::string_view name, std::uint32_t rgb)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out_ += ' ';
    out_.append(name);
    out_.append("=\"#");
    for (int shift = 20; shift >= 0; shift -= 4)
        out_ += kHex[(rgb >> shift) & 15];
    out_ += '"';
    return *this;
}

SvgWriter& SvgWriter::Escaped(std::string_view text)
{
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            switch (c) {
            case '&': out_.append("&amp;"); break;
            case '<': out_.append("&lt;"); break;
            case '>': out_.append("&gt;"); break;
            case '"': out_.append("&quot;"); break;
            case '\'': out_.append("&apos;"); break;
            default:
                if ((c >= 0x20 && c != 0x7F) || c == '\t')
                    out_ += char(c);
            }
            ++i;
            continue;
        }
        // A multi-byte sequence, taken whole only when it is well formed.
        const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
        if (length == 0 || c > 0xF4 || i + length > n) {
            ++i;
            continue;
        }
        char32_t code = c & (0x3F >> (length - 1));
        bool valid = true;
        for (std::size_t k = 1; k < length; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            code = code << 6 | (s[i + k] & 0x3F);
        }
        const char32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (!valid) {
            ++i;
            continue;
        }
        // Overlong forms, surrogates, the C1 controls and the non-characters U+FFFE and U+FFFF are left out.
        if (code >= least && code <= 0x10FFFF && !(code >= 0xD800 && code < 0xE000) && !(code >= 0x80 && code < 0xA0) &&
            code != 0xFFFE && code != 0xFFFF)
            out_.append(text.substr(i, length));
        i += length;
    }
    return *this;
}

SvgWriter& SvgWriter::PathData(const Path& path)
{
    const auto& verbs = path.Verbs();
    const auto& points = path.Points();
    std::size_t p = 0;
    bool first = true;
    const auto point = [&](const Point& at) {
        Number(at.X);
        out_ += ' ';
        Number(at.Y);
    };
    for (const Path::Verb verb : verbs) {
        if (!first)
            out_ += ' ';
        first = false;
        switch (verb) {
        case Path::Verb::Move:
            out_ += 'M';
            point(points[p++]);
            break;
        case Path::Verb::Line:
            out_ += 'L';
            point(points[p++]);
            break;
        case Path::Verb::Cubic:
            out_ += 'C';
            point(points[p++]);
            out_ += ' ';
            point(points[p++]);
            out_ += ' ';
            point(points[p++]);
            break;
        case Path::Verb::Close:
            out_ += 'Z';
            break;
        }
    }
    return *this;
}

} // namespace emfplay
