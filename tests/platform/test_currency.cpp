#include "platform/Currency.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <limits>

using platform::ConvertError;
using platform::Currency;

TEST(Currency, FromDoubleRoundsToTenThousandthsHalvesToEven)
{
    // The values the batch insert relies on: both become 33.3334.
    EXPECT_EQ(Currency::FromDouble(33.33335).Raw(), 333334);
    EXPECT_EQ(Currency::FromDouble(33.33345).Raw(), 333334);
    // Exact binary halves: 1/32 = 312.5 ten-thousandths, 3/32 = 937.5, 5/32 = 1562.5.
    EXPECT_EQ(Currency::FromDouble(0.03125).Raw(), 312);
    EXPECT_EQ(Currency::FromDouble(0.09375).Raw(), 938);
    EXPECT_EQ(Currency::FromDouble(0.15625).Raw(), 1562);
    EXPECT_EQ(Currency::FromDouble(-0.03125).Raw(), -312);
    EXPECT_EQ(Currency::FromDouble(-0.09375).Raw(), -938);
    // Ordinary values.
    EXPECT_EQ(Currency::FromDouble(0.1).Raw(), 1000);
    EXPECT_EQ(Currency::FromDouble(1.23456).Raw(), 12346);
    EXPECT_EQ(Currency::FromDouble(-1.23456).Raw(), -12346);
    EXPECT_EQ(Currency::FromDouble(0.00004).Raw(), 0);
    EXPECT_EQ(Currency::FromDouble(100.0 / 3.0).Raw(), 333333);
    EXPECT_EQ(Currency::FromDouble(1e14).Raw(), 1'000'000'000'000'000'000);
}

TEST(Currency, FromDoubleOutOfRangeRaises)
{
    EXPECT_THROW(Currency::FromDouble(1e15), ConvertError);
    EXPECT_THROW(Currency::FromDouble(-1e15), ConvertError);
    EXPECT_THROW(Currency::FromDouble(std::numeric_limits<double>::quiet_NaN()), ConvertError);
    EXPECT_THROW(Currency::FromDouble(std::numeric_limits<double>::infinity()), ConvertError);
}

TEST(Currency, ProductAndQuotientTruncateTowardZero)
{
    const Currency third = Currency::FromRaw(3333);   // 0.3333
    // 0.3333 * 0.3333 = 0.11108889 -> 0.1110
    EXPECT_EQ((third * third).Raw(), 1110);
    EXPECT_EQ((-third * third).Raw(), -1110);
    // 1 / 3 = 0.33333... -> 0.3333; -1 / 3 -> -0.3333; 2 / 3 -> 0.6666 (not 0.6667)
    EXPECT_EQ((Currency::FromInt(1) / Currency::FromInt(3)).Raw(), 3333);
    EXPECT_EQ((Currency::FromInt(-1) / Currency::FromInt(3)).Raw(), -3333);
    EXPECT_EQ((Currency::FromInt(2) / Currency::FromInt(3)).Raw(), 6666);
    EXPECT_EQ((Currency::FromInt(2) / Currency::FromInt(-3)).Raw(), -6666);
    // The batch insert's use price: 300 * (100 / 50) / 2 = 300.
    const Currency buy = Currency::FromDouble(300);
    const Currency yieldFactor = Currency::FromDouble(100.0 / 50.0);
    EXPECT_EQ((buy * yieldFactor / Currency::FromDouble(2)).Raw(), 300 * 10000);
    // 100 / 30 = 3.3333 in money, times 1000 = 3333.3
    EXPECT_EQ((Currency::FromInt(1000) * Currency::FromDouble(100.0 / 30.0)).ToText(), "3333.3");
    // Large intermediates do not overflow: 900,000,000 * 9,000 fits only through a wide product.
    EXPECT_EQ((Currency::FromInt(900'000'000) * Currency::FromInt(9000)).Raw(),
              std::int64_t{8'100'000'000'000} * 10000);
    EXPECT_EQ((Currency::FromInt(900'000'000'000'000) / Currency::FromInt(1000)).Raw(),
              std::int64_t{900'000'000'000} * 10000);
}

TEST(Currency, DivisionByZeroAndOverflowRaise)
{
    EXPECT_THROW(Currency::FromInt(1) / Currency(), ConvertError);
    EXPECT_THROW(Currency() / Currency(), ConvertError);
    // 0.00001 rounds to zero at four decimals: dividing by it fails.
    EXPECT_THROW(Currency::FromInt(5) / Currency::FromDouble(0.00001), ConvertError);
    EXPECT_THROW(Currency::FromInt(900'000'000'000'000) * Currency::FromInt(100), ConvertError);
    EXPECT_THROW(Currency::FromInt(900'000'000'000'000) / Currency::FromRaw(1), ConvertError);
}

TEST(Currency, ToTextHasUpToFourDecimalsWithoutTrailingZeros)
{
    EXPECT_EQ(Currency::FromRaw(333333).ToText(), "33.3333");
    EXPECT_EQ(Currency::FromInt(25).ToText(), "25");
    EXPECT_EQ(Currency::FromRaw(-5000).ToText(), "-0.5");
    EXPECT_EQ(Currency::FromRaw(1).ToText(), "0.0001");
    EXPECT_EQ(Currency::FromRaw(-1).ToText(), "-0.0001");
    EXPECT_EQ(Currency::FromRaw(12340).ToText(), "1.234");
    EXPECT_EQ(Currency().ToText(), "0");
    EXPECT_EQ(Currency::FromInt(1234567).ToText(), "1234567");
    EXPECT_EQ(Currency::FromRaw(std::numeric_limits<std::int64_t>::min()).ToText(), "-922337203685477.5808");
    EXPECT_EQ(Currency::FromRaw(std::numeric_limits<std::int64_t>::max()).ToText(), "922337203685477.5807");
}

TEST(Currency, FromTextReadsDecimalTextExactly)
{
    EXPECT_EQ(Currency::FromText("123").Raw(), 1'230'000);
    EXPECT_EQ(Currency::FromText("-1.5").Raw(), -15'000);
    EXPECT_EQ(Currency::FromText("0.0001").Raw(), 1);
    EXPECT_EQ(Currency::FromText("+2.25").Raw(), 22'500);
    EXPECT_EQ(Currency::FromText(" 7 ").Raw(), 70'000);
    EXPECT_EQ(Currency::FromText(".5").Raw(), 5'000);
    EXPECT_EQ(Currency::FromText("5.").Raw(), 50'000);
    EXPECT_EQ(Currency::FromText("1.5E2").Raw(), 1'500'000);
    EXPECT_EQ(Currency::FromText("15e-5").Raw(), 2);   // 0.00015 -> halves to even
    // Beyond four decimals: halves to even on the decimal digits themselves.
    EXPECT_EQ(Currency::FromText("33.33335").Raw(), 333334);
    EXPECT_EQ(Currency::FromText("33.33345").Raw(), 333334);
    EXPECT_EQ(Currency::FromText("33.333450001").Raw(), 333335);
    EXPECT_EQ(Currency::FromText("-33.33335").Raw(), -333334);
    EXPECT_EQ(Currency::FromText("0.00005").Raw(), 0);
    EXPECT_EQ(Currency::FromText("0.000051").Raw(), 1);
    EXPECT_EQ(Currency::FromText("0.0000000000000000000009").Raw(), 0);
    EXPECT_EQ(Currency::FromText("0e999999").Raw(), 0);
    EXPECT_EQ(Currency::FromText("-922337203685477.5808").Raw(), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(Currency::FromText("922337203685477.5807").Raw(), std::numeric_limits<std::int64_t>::max());
    for (const char* bad : {"", " ", "abc", "1,5", "1.2.3", "--1", "1e", "1e+", "12x", ".", "-", "922337203685477.5808",
                            "1e30"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(Currency::FromText(bad), ConvertError);
    }
}

TEST(Currency, TextAndDoubleRoundTrips)
{
    for (std::int64_t raw : {std::int64_t{0}, std::int64_t{1}, std::int64_t{-1}, std::int64_t{333333},
                             std::int64_t{-12345678}, std::int64_t{99999999}, std::int64_t{10'000'000'000'000}}) {
        const Currency value = Currency::FromRaw(raw);
        EXPECT_EQ(Currency::FromText(value.ToText()), value);
        EXPECT_EQ(Currency::FromDouble(value.ToDouble()), value);
    }
    EXPECT_EQ(Currency::FromRaw(333334).ToDouble(), 33.3334);
}

TEST(Currency, ArithmeticAndOrdering)
{
    Currency a = Currency::FromDouble(1.5);
    a += Currency::FromDouble(0.25);
    EXPECT_EQ(a.ToText(), "1.75");
    a -= Currency::FromInt(2);
    EXPECT_EQ(a.ToText(), "-0.25");
    EXPECT_LT(a, Currency());
    EXPECT_GT(Currency::FromRaw(2), Currency::FromRaw(1));
    EXPECT_EQ((Currency::FromInt(3) - Currency::FromInt(5)).Raw(), -20'000);
}

TEST(Currency, TextDoesNotDependOnTheProcessLocale)
{
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    const std::string text = Currency::FromRaw(12345).ToText();
    const std::int64_t raw = Currency::FromText("1.2345").Raw();
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(text, "1.2345");
    EXPECT_EQ(raw, 12345);
}
