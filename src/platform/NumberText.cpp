#include "platform/NumberText.h"

#include "platform/Errors.h"

#include <array>
#include <bit>
#include <cstdint>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace platform {

namespace {

// The exact decimal expansion of |value| (finite): all integer digits, then every fractional
// digit the binary value has (a double has at most 1074 of them), no rounding anywhere.
struct Decimal {
    std::string integer;    // at least "0"
    std::string fraction;   // possibly empty
};

Decimal ExactDecimal(double value)
{
    value = std::fabs(value);
    int exponent = 0;
    std::frexp(value, &exponent);
    // value = M * 2^(exponent - 53) with a 53-bit M: that many binary, hence decimal, fraction digits.
    int precision = 53 - exponent;
    precision = precision < 0 ? 0 : (precision > 1074 ? 1074 : precision);
    std::array<char, 1500> buf;
    const auto result = std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed, precision);
    const std::string_view text(buf.data(), static_cast<std::size_t>(result.ptr - buf.data()));
    Decimal d;
    const std::size_t point = text.find('.');
    d.integer = std::string(text.substr(0, point));
    if (point != std::string_view::npos)
        d.fraction = std::string(text.substr(point + 1));
    return d;
}

// Adds one unit to the last digit of a digit string; returns true when it carried out of the front.
bool Increment(std::string& digits)
{
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    return true;
}

// |value| rounded half away from zero to `decimals` fraction digits (exactly that many kept).
Decimal RoundToDecimals(double value, int decimals)
{
    Decimal d = ExactDecimal(value);
    const auto keep = static_cast<std::size_t>(decimals);
    const bool up = d.fraction.size() > keep && d.fraction[keep] >= '5';
    d.fraction.resize(keep, '0');
    if (up) {
        if (Increment(d.fraction) && Increment(d.integer))
            d.integer.insert(d.integer.begin(), '1');
    }
    return d;
}

bool IsZeroDigits(const Decimal& d)
{
    return d.integer.find_first_not_of('0') == std::string::npos
        && d.fraction.find_first_not_of('0') == std::string::npos;
}

std::string Group(const std::string& integer)
{
    std::string out;
    out.reserve(integer.size() + integer.size() / 3);
    for (std::size_t i = 0; i < integer.size(); ++i) {
        if (i != 0 && (integer.size() - i) % 3 == 0)
            out += ',';
        out += integer[i];
    }
    return out;
}

// Text of a value that has no digits; empty for a finite value.
std::string NonFinite(double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    return {};
}

// Whether |value| (finite) lies exactly halfway between two numbers of `decimals` fraction digits:
// its exact expansion then ends one digit after them, in a 5, which is when its lowest set bit is
// worth 2^-(decimals + 1).
bool IsDecimalTie(double value, int decimals)
{
    if (value == 0)
        return false;
    int exponent = 0;
    const double mantissa = std::frexp(std::fabs(value), &exponent);
    const auto bits = static_cast<std::uint64_t>(std::ldexp(mantissa, 53));   // value = bits * 2^(exponent - 53)
    return exponent - 53 + std::countr_zero(bits) == -(decimals + 1);
}

// |value| rounded half away from zero to `decimals` fraction digits. Rounding to nearest, as
// to_chars does, differs from it only on a tie, which takes the exact expansion.
Decimal Rounded(double value, int decimals)
{
    if (IsDecimalTie(value, decimals))
        return RoundToDecimals(value, decimals);
    std::array<char, 1500> buf;
    const auto result =
        std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(value), std::chars_format::fixed, decimals);
    const std::string_view text(buf.data(), static_cast<std::size_t>(result.ptr - buf.data()));
    const std::size_t point = text.find('.');
    Decimal d;
    d.integer = std::string(text.substr(0, point));
    if (point != std::string_view::npos)
        d.fraction = std::string(text.substr(point + 1));
    return d;
}

std::string Formatted(double value, int decimals, bool grouped, const char* sign)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    decimals = decimals < 0 ? 0 : (decimals > 1074 ? 1074 : decimals);
    const Decimal d = Rounded(value, decimals);
    std::string out;
    if (std::signbit(value) && !IsZeroDigits(d))
        out += '-';
    out += sign;
    out += grouped ? Group(d.integer) : d.integer;
    if (decimals > 0) {
        out += '.';
        out += d.fraction;
    }
    return out;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

// The decimal number syntax [+|-] digits [. digits] [(e|E) [+|-] digits] (at least one mantissa
// digit; an exponent without digits is not part of the number) starting at `pos`.
struct NumberSpan {
    std::size_t end = 0;         // one past the number; 0 when there is no number
    bool negative = false;
    bool plusSign = false;
    long long leadPower = 0;     // power of ten of the first nonzero digit (0 when all zero)
};

NumberSpan ScanNumber(std::string_view text, std::size_t pos)
{
    NumberSpan span;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        span.negative = text[pos] == '-';
        span.plusSign = text[pos] == '+';
        ++pos;
    }
    bool anyDigit = false;
    bool seenNonZero = false;
    long long intDigits = 0;
    long long leadPower = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        anyDigit = true;
        if (seenNonZero || text[pos] != '0') {
            seenNonZero = true;
            ++intDigits;
        }
    }
    leadPower = intDigits - 1;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        long long position = -1;
        for (; pos < text.size() && IsDigit(text[pos]); ++pos, --position) {
            anyDigit = true;
            if (!seenNonZero && text[pos] != '0') {
                seenNonZero = true;
                leadPower = position;
            }
        }
    }
    if (!anyDigit)
        return NumberSpan{};
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t p = pos + 1;
        bool expNegative = false;
        if (p < text.size() && (text[p] == '+' || text[p] == '-'))
            expNegative = text[p++] == '-';
        if (p < text.size() && IsDigit(text[p])) {
            long long e = 0;
            for (; p < text.size() && IsDigit(text[p]); ++p)
                e = e < 1'000'000 ? e * 10 + (text[p] - '0') : e;
            leadPower += expNegative ? -e : e;
            pos = p;
        }
    }
    span.end = pos;
    span.leadPower = seenNonZero ? leadPower : 0;
    return span;
}

// Converts a scanned number; false on overflow (value then holds the signed infinity).
bool ConvertSpan(std::string_view text, std::size_t start, const NumberSpan& span, double& value)
{
    const char* first = text.data() + start + (span.plusSign ? 1 : 0);
    const char* last = text.data() + span.end;
    double result = 0;
    const auto [ptr, ec] = std::from_chars(first, last, result, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        if (span.leadPower > 0) {
            value = span.negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
            return false;
        }
        value = span.negative ? -0.0 : 0.0;   // underflow
        return true;
    }
    if (ec != std::errc() || ptr != last) {   // cannot happen after ScanNumber; be safe
        value = 0;
        return false;
    }
    value = result;
    return true;
}

} // namespace

std::string FormatNumber(double value, int decimals)
{
    return Formatted(value, decimals, true, "");
}

std::string FormatFixed(double value, int decimals)
{
    return Formatted(value, decimals, false, "");
}

std::string FormatCurrency(double value, int decimals)
{
    return Formatted(value, decimals, true, kCurrencySign);
}

std::string FloatToStr(double value)
{
    constexpr int kPrecision = 15;
    if (!std::isfinite(value))
        return NonFinite(value);
    if (value == 0)
        return "0";
    const Decimal d = ExactDecimal(value);
    // All digits with the point after d.integer; value = 0.<significant> * 10^exponent.
    const std::string all = d.integer + d.fraction;
    const std::size_t lead = all.find_first_not_of('0');
    long long exponent = static_cast<long long>(d.integer.size()) - static_cast<long long>(lead);
    std::string digits = all.substr(lead, kPrecision);
    if (all.size() - lead > kPrecision && all[lead + kPrecision] >= '5') {
        if (Increment(digits)) {
            digits.insert(digits.begin(), '1');
            digits.pop_back();
            ++exponent;
        }
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = value < 0 ? "-" : "";
    if (exponent > kPrecision || exponent < -3) {
        out += digits[0];
        if (digits.size() > 1) {
            out += '.';
            out.append(digits, 1);
        }
        char buf[16];
        const auto result = std::to_chars(buf, buf + sizeof buf, exponent - 1);
        out += 'E';
        out.append(buf, result.ptr);
    } else if (exponent <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent), '0');
        out += digits;
    } else {
        const auto whole = static_cast<std::size_t>(exponent);
        if (digits.size() <= whole) {
            out += digits;
            out.append(whole - digits.size(), '0');
        } else {
            out.append(digits, 0, whole);
            out += '.';
            out.append(digits, whole);
        }
    }
    return out;
}

bool TryStrToFloat(std::string_view text, double& value)
{
    std::size_t start = 0;
    std::size_t end = text.size();
    while (start < end && IsBlank(text[start]))
        ++start;
    while (end > start && IsBlank(text[end - 1]))
        --end;
    const std::string_view trimmed = text.substr(0, end);
    const NumberSpan span = ScanNumber(trimmed, start);
    if (span.end == 0 || span.end != end)
        return false;
    double result = 0;
    if (!ConvertSpan(trimmed, start, span, result))
        return false;
    value = result;
    return true;
}

double StrToFloat(std::string_view text)
{
    double value = 0;
    if (!TryStrToFloat(text, value))
        throw ConvertError("'" + std::string(text) + "' is not a valid floating point value");
    return value;
}

double ReadFloatPrefix(std::string_view text, std::size_t& used)
{
    used = 0;
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || (text[start] >= '\t' && text[start] <= '\r')))
        ++start;
    const NumberSpan span = ScanNumber(text, start);
    if (span.end == 0)
        return 0;
    double value = 0;
    ConvertSpan(text, start, span, value);   // overflow gives the signed infinity, as strtod's HUGE_VAL
    used = span.end;
    return value;
}

} // namespace platform
