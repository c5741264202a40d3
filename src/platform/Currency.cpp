#include "platform/Currency.h"

#include "platform/Errors.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace platform {

namespace {

using Int128 = __int128;

constexpr Int128 kMaxRaw = std::numeric_limits<std::int64_t>::max();
constexpr Int128 kMinRaw = std::numeric_limits<std::int64_t>::min();

std::int64_t CheckedRaw(Int128 value)
{
    if (value > kMaxRaw || value < kMinRaw)
        throw ConvertError("Currency value out of range");
    return static_cast<std::int64_t>(value);
}

[[noreturn]] void NotANumber(std::string_view text)
{
    throw ConvertError("'" + std::string(text) + "' is not a valid floating point value");
}

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

Currency Currency::FromDouble(double value)
{
    if (!std::isfinite(value))
        throw ConvertError("Currency value out of range");
    // The product is formed in extended precision as the class library does, then rounded to
    // the nearest integer with ties to even (exact in long double at this magnitude).
    const long double scaled = static_cast<long double>(value) * 10000.0L;
    // rintl rounds to the nearest integer, ties to even, in the default rounding mode.
    const long double whole = std::rintl(scaled);
    if (whole > 9223372036854775807.0L || whole < -9223372036854775808.0L)
        throw ConvertError("Currency value out of range");
    return FromRaw(static_cast<std::int64_t>(whole));
}

Currency Currency::FromText(std::string_view text)
{
    std::size_t pos = 0;
    std::size_t end = text.size();
    while (pos < end && IsBlank(text[pos]))
        ++pos;
    while (end > pos && IsBlank(text[end - 1]))
        --end;

    bool negative = false;
    if (pos < end && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';

    // Significant digits (leading zeros dropped) and the power of ten of the last digit kept.
    std::string digits;
    int exponent = 0;
    bool anyDigit = false;
    for (; pos < end && IsDigit(text[pos]); ++pos) {
        anyDigit = true;
        if (!digits.empty() || text[pos] != '0')
            digits += text[pos];
    }
    if (pos < end && text[pos] == '.') {
        for (++pos; pos < end && IsDigit(text[pos]); ++pos) {
            anyDigit = true;
            --exponent;
            if (!digits.empty() || text[pos] != '0')
                digits += text[pos];
        }
    }
    if (!anyDigit)
        NotANumber(text);
    if (pos < end && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        bool expNegative = false;
        if (pos < end && (text[pos] == '+' || text[pos] == '-'))
            expNegative = text[pos++] == '-';
        if (pos == end || !IsDigit(text[pos]))
            NotANumber(text);
        int e = 0;
        for (; pos < end && IsDigit(text[pos]); ++pos)
            e = e < 100000 ? e * 10 + (text[pos] - '0') : e;
        exponent += expNegative ? -e : e;
    }
    if (pos != end)
        NotANumber(text);
    if (digits.empty())
        return Currency();

    // raw = digits * 10^(exponent + 4), rounded half to even where digits are cut.
    const long long shift = static_cast<long long>(exponent) + 4;
    const long long keep = static_cast<long long>(digits.size()) + shift;   // digits before the point of raw
    Int128 raw = 0;
    auto push = [&](int digit) {
        raw = raw * 10 + digit;
        if (raw > kMaxRaw + 1)
            throw ConvertError("Currency value out of range");
    };
    for (long long i = 0; i < keep; ++i)
        push(i < static_cast<long long>(digits.size()) ? digits[static_cast<std::size_t>(i)] - '0' : 0);
    if (keep < static_cast<long long>(digits.size())) {
        const std::size_t first = keep < 0 ? 0 : static_cast<std::size_t>(keep);
        // A cut below the first dropped digit position (keep < 0) always leaves less than a half.
        if (keep >= 0) {
            const int dropped = digits[first] - '0';
            bool restNonZero = false;
            for (std::size_t i = first + 1; i < digits.size(); ++i)
                restNonZero = restNonZero || digits[i] != '0';
            if (dropped > 5 || (dropped == 5 && (restNonZero || raw % 2 != 0)))
                ++raw;
        }
    }
    return FromRaw(CheckedRaw(negative ? -raw : raw));
}

std::string Currency::ToText() const
{
    const bool negative = raw_ < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(raw_) : static_cast<std::uint64_t>(raw_);
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, magnitude / 10000);
    (void)ec;
    std::string out;
    if (negative)
        out += '-';
    out.append(buf, end);
    unsigned fraction = static_cast<unsigned>(magnitude % 10000);
    if (fraction != 0) {
        char digits[4];
        for (int i = 3; i >= 0; --i) {
            digits[i] = static_cast<char>('0' + fraction % 10);
            fraction /= 10;
        }
        int length = 4;
        while (digits[length - 1] == '0')
            --length;
        out += '.';
        out.append(digits, static_cast<std::size_t>(length));
    }
    return out;
}

Currency Currency::operator*(Currency o) const
{
    return FromRaw(CheckedRaw(static_cast<Int128>(raw_) * o.raw_ / 10000));
}

Currency Currency::operator/(Currency o) const
{
    if (o.raw_ == 0)
        throw ConvertError("Division by zero");
    return FromRaw(CheckedRaw(static_cast<Int128>(raw_) * 10000 / o.raw_));
}

} // namespace platform
