#include "platform/Errors.h"
#include "platform/NumberText.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cstdint>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace platform;

namespace {

// Every formatting example as (got, expected) pairs, so the same table can be checked under
// another process locale.
std::vector<std::pair<std::string, std::string>> FormattingExamples()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    return {
        // Number format: grouped, rounded half away from zero on the exact value of the double.
        {FormatNumber(0.125), "0.13"},
        {FormatNumber(2.675), "2.67"},          // the double is 2.67499999...
        {FormatNumber(1.005), "1.00"},          // 1.00499999...
        {FormatNumber(1.5, 0), "2"},
        {FormatNumber(2.5, 0), "3"},
        {FormatNumber(-2.5, 0), "-3"},
        {FormatNumber(-0.125), "-0.13"},
        {FormatNumber(1234567.891), "1,234,567.89"},
        {FormatNumber(999.995), "1,000.00"},    // 999.995000000000004547...
        {FormatNumber(999999.5, 0), "1,000,000"},
        {FormatNumber(100), "100.00"},
        {FormatNumber(123456), "123,456.00"},
        {FormatNumber(0), "0.00"},
        {FormatNumber(-0.0), "0.00"},
        {FormatNumber(-0.001), "0.00"},         // no "-0.00"
        {FormatNumber(0.5, 3), "0.500"},
        {FormatNumber(1e20, 0), "100,000,000,000,000,000,000"},
        {FormatNumber(5e-324, 2), "0.00"},
        {FormatNumber(1.25, -1), "1"},
        {FormatNumber(nan), "NAN"},
        {FormatNumber(-inf), "-INF"},
        // Fixed format: the same without grouping.
        {FormatFixed(1234.5, 2), "1234.50"},
        {FormatFixed(-1234567.125, 2), "-1234567.13"},
        {FormatFixed(0.0001, 4), "0.0001"},
        // Currency format: sign before the number, minus before the sign.
        {FormatCurrency(1234.5), "\u00A51,235"},
        {FormatCurrency(-1234.5), "-\u00A51,235"},
        {FormatCurrency(0.4), "\u00A50"},
        {FormatCurrency(-0.4), "\u00A50"},
        {FormatCurrency(1234567.456, 2), "\u00A51,234,567.46"},
        // General format: shortest text, at most 15 significant digits, no grouping.
        {FloatToStr(0.1), "0.1"},
        {FloatToStr(1234.5), "1234.5"},
        {FloatToStr(0), "0"},
        {FloatToStr(-0.0), "0"},
        {FloatToStr(-2.5), "-2.5"},
        {FloatToStr(100), "100"},
        {FloatToStr(0.1 + 0.2), "0.3"},
        {FloatToStr(1.0 / 3.0), "0.333333333333333"},
        {FloatToStr(2.0 / 3.0), "0.666666666666667"},
        {FloatToStr(33.3334), "33.3334"},
        {FloatToStr(123456789012345.0), "123456789012345"},
        {FloatToStr(999999999999999.9), "1E15"},
        {FloatToStr(1e15), "1E15"},
        {FloatToStr(1e20), "1E20"},
        {FloatToStr(-1.5e20), "-1.5E20"},
        {FloatToStr(0.0001), "0.0001"},
        {FloatToStr(0.00012345), "0.00012345"},
        {FloatToStr(0.00001), "1E-5"},
        {FloatToStr(1.5e-7), "1.5E-7"},
        {FloatToStr(5e-324), "4.94065645841247E-324"},
        {FloatToStr(std::numeric_limits<double>::max()), "1.79769313486232E308"},
        {FloatToStr(nan), "NAN"},
        {FloatToStr(inf), "INF"},
    };
}

struct ReadResult {
    double value;
    std::size_t used;
};

ReadResult Prefix(std::string_view text)
{
    ReadResult r{};
    r.value = ReadFloatPrefix(text, r.used);
    return r;
}

} // namespace

TEST(NumberText, FormattingExamples)
{
    for (const auto& [got, expected] : FormattingExamples())
        EXPECT_EQ(got, expected);
}

// Rounding at any number of decimals matches half-away-from-zero rounding of the exact binary
// value, for ties (multiples of a power of two) and near-ties as well as arbitrary values.
TEST(NumberText, FixedFormatRoundsTheExactValueHalfAwayFromZero)
{
    // The exact expansion, then half away from zero, digit by digit.
    const auto reference = [](double value, int decimals) {
        std::vector<char> buf(2000);
        const auto end = std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(value), std::chars_format::fixed, 1074).ptr;
        std::string text(buf.data(), end);
        const std::size_t point = text.find('.');
        std::string digits = text.substr(0, point) + text.substr(point + 1, static_cast<std::size_t>(decimals));
        if (text[point + 1 + static_cast<std::size_t>(decimals)] >= '5') {
            std::size_t i = digits.size();
            while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
            if (i == 0) digits.insert(digits.begin(), '1');
            else ++digits[i - 1];
        }
        std::string out = digits.substr(0, digits.size() - static_cast<std::size_t>(decimals));
        if (decimals > 0) out += "." + digits.substr(digits.size() - static_cast<std::size_t>(decimals));
        const bool zero = digits.find_first_not_of('0') == std::string::npos;
        return (std::signbit(value) && !zero ? "-" : "") + out;
    };
    std::vector<double> values;
    std::uint64_t seed = 88172645463325252ULL;
    const auto next = [&] { seed ^= seed << 13; seed ^= seed >> 7; seed ^= seed << 17; return seed; };
    for (int i = 0; i < 2000; ++i) {
        const double unit = std::ldexp(1.0, static_cast<int>(next() % 12) - 8);   // 2^-8 .. 2^3
        const double tie = static_cast<double>(static_cast<std::int64_t>(next() % 2000000) - 1000000) * unit;
        values.insert(values.end(), {tie, std::nextafter(tie, 1e300), std::nextafter(tie, -1e300),
                                     std::ldexp(static_cast<double>(next() >> 11), static_cast<int>(next() % 80) - 60)});
    }
    for (double v : {0.0, -0.0, 5e-324, 1e300, 0.05, 0.005, 1.005, 2.675})
        values.push_back(v);
    for (double v : values)
        for (int decimals : {0, 1, 2, 3, 4})
            ASSERT_EQ(FormatFixed(v, decimals), reference(v, decimals)) << std::hexfloat << v << " " << decimals;
}

TEST(NumberText, FormattingDoesNotDependOnTheProcessLocale)
{
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    const auto examples = FormattingExamples();
    double read = 0;
    const bool readOk = TryStrToFloat("1234.5", read);
    std::size_t used = 0;
    const double prefix = ReadFloatPrefix("2.5kg", used);
    std::setlocale(LC_ALL, "C");
    for (const auto& [got, expected] : examples)
        EXPECT_EQ(got, expected);
    EXPECT_TRUE(readOk);
    EXPECT_EQ(read, 1234.5);
    EXPECT_EQ(prefix, 2.5);
    EXPECT_EQ(used, 3u);
}

TEST(NumberText, GeneralFormatRoundTripsShortValues)
{
    for (double v : {0.1, 0.7, 1.1, 19.99, 123.456, 1e-4, 98765.4321, 3.14159265358979, -42.0, 1e14}) {
        SCOPED_TRACE(v);
        EXPECT_EQ(StrToFloat(FloatToStr(v)), v);
    }
}

TEST(NumberText, StrToFloatReadsWholeTexts)
{
    EXPECT_EQ(StrToFloat("1234.5"), 1234.5);
    EXPECT_EQ(StrToFloat("  -0.25  "), -0.25);
    EXPECT_EQ(StrToFloat("+3"), 3.0);
    EXPECT_EQ(StrToFloat(".5"), 0.5);
    EXPECT_EQ(StrToFloat("5."), 5.0);
    EXPECT_EQ(StrToFloat("1E3"), 1000.0);
    EXPECT_EQ(StrToFloat("1.5e-2"), 0.015);
    EXPECT_EQ(StrToFloat("1e-400"), 0.0);   // underflow reads as zero
    for (const char* bad : {"", "  ", "abc", "1,5", "1.2.3", "12kg", "1e", "e5", ".", "-", "+-1", "inf", "nan",
                            "0x10", "1e400", "-1e400"}) {
        SCOPED_TRACE(bad);
        double value = 9;
        EXPECT_FALSE(TryStrToFloat(bad, value));
        EXPECT_EQ(value, 9.0);
        EXPECT_THROW(StrToFloat(bad), ConvertError);
    }
    try {
        StrToFloat("abc");
        FAIL();
    } catch (const ConvertError& e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid floating point value");
    }
}

TEST(NumberText, ReadFloatPrefixReadsLikeStrtod)
{
    const ReadResult kg = Prefix("  12.5kg");
    EXPECT_EQ(kg.value, 12.5);
    EXPECT_EQ(kg.used, 6u);
    const ReadResult exp = Prefix("3e2x");
    EXPECT_EQ(exp.value, 300.0);
    EXPECT_EQ(exp.used, 3u);
    // An exponent without digits is not part of the number.
    const ReadResult partial = Prefix("7e+");
    EXPECT_EQ(partial.value, 7.0);
    EXPECT_EQ(partial.used, 1u);
    const ReadResult negative = Prefix("-.5,");
    EXPECT_EQ(negative.value, -0.5);
    EXPECT_EQ(negative.used, 3u);
    const ReadResult comma = Prefix("1,5");
    EXPECT_EQ(comma.value, 1.0);
    EXPECT_EQ(comma.used, 1u);
    for (const char* none : {"", "abc", "-", ".", " +x", "e5"}) {
        SCOPED_TRACE(none);
        const ReadResult r = Prefix(none);
        EXPECT_EQ(r.value, 0.0);
        EXPECT_EQ(r.used, 0u);
    }
    const ReadResult huge = Prefix("1e999 ");
    EXPECT_TRUE(std::isinf(huge.value));
    EXPECT_EQ(huge.used, 5u);
}
