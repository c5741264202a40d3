#pragma once
// Number texts of the fixed Japanese settings, independent of the process locale:
// "." decimals, "," thousands, currency sign "¥" (U+00A5) before the number, 2 number decimals,
// 0 currency decimals.
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

inline constexpr int kNumberDecimals = 2;
inline constexpr int kCurrencyDecimals = 0;
inline constexpr const char* kCurrencySign = "\u00A5";

// Thousands grouped, `decimals` places, rounded half away from zero on the exact decimal expansion
// of the double (0.125 -> "0.13", 2.675 -> "2.67"). Negative values with a leading "-"; a value
// that rounds to zero has none. All integer digits are written however large the value is.
// NaN and infinities give "NAN", "INF", "-INF" (all formats below too).
std::string FormatNumber(double value, int decimals = kNumberDecimals);
// As FormatNumber without grouping ("1234.50" for the fixed format).
std::string FormatFixed(double value, int decimals);
// Currency format: "¥1,235" for 1234.5 with 0 decimals, "-¥1,235" for negatives.
std::string FormatCurrency(double value, int decimals = kCurrencyDecimals);
// General format: shortest text with at most 15 significant digits, no grouping ("0.1", "1234.5",
// "1E20" style exponents for very large or small values): scientific when the value has more than
// 15 integer digits or is below 0.0001 ("1E15", "1.5E-7", "0.0001").
std::string FloatToStr(double value);

// Reads a whole text as a double ("." always; leading/trailing blanks allowed); raises ConvertError.
double StrToFloat(std::string_view text);
bool TryStrToFloat(std::string_view text, double& value);
// strtod-like: reads the longest numeric prefix (after leading blanks) and reports how many
// bytes were used (0 when none). Decimal only: no "inf", "nan" or hexadecimal; overflow gives
// a signed infinity, underflow zero.
double ReadFloatPrefix(std::string_view text, std::size_t& used);

} // namespace platform
