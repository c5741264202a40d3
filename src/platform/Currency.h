#pragma once
// The class library's four-decimal currency: a signed 64-bit count of ten-thousandths.
// From a double it rounds to the nearest ten-thousandth, halves to the even neighbour;
// products and quotients are truncated toward zero; division by zero raises ConvertError.
// A result outside the 64-bit range (from a double, a text, a product or a quotient) raises
// ConvertError; + and - do not check.
#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

class Currency {
public:
    constexpr Currency() = default;
    // value * 10000 formed in long double, rounded half to even (33.33335 -> 33.3334).
    static Currency FromDouble(double value);
    static constexpr Currency FromRaw(std::int64_t tenThousandths) { Currency c; c.raw_ = tenThousandths; return c; }
    static Currency FromInt(std::int64_t units) { return FromRaw(units * 10000); }
    // Reads "123", "-1.5", "0.0001" ("." always; optional sign, exponent "1.5E2", blanks around);
    // more than four decimals round half to even on the decimal digits. Raises ConvertError.
    static Currency FromText(std::string_view text);

    constexpr std::int64_t Raw() const { return raw_; }
    double ToDouble() const { return static_cast<double>(raw_) / 10000.0; }
    // Up to four decimals, no trailing zeros: "33.3333", "25", "-0.5".
    std::string ToText() const;

    Currency operator+(Currency o) const { return FromRaw(raw_ + o.raw_); }
    Currency operator-(Currency o) const { return FromRaw(raw_ - o.raw_); }
    Currency operator-() const { return FromRaw(-raw_); }
    Currency operator*(Currency o) const;   // truncated
    Currency operator/(Currency o) const;   // truncated; zero divisor raises ConvertError
    Currency& operator+=(Currency o) { raw_ += o.raw_; return *this; }
    Currency& operator-=(Currency o) { raw_ -= o.raw_; return *this; }
    constexpr auto operator<=>(const Currency&) const = default;

private:
    std::int64_t raw_ = 0;
};

} // namespace platform
