#include "core/Unumericstring.h"

#include <gtest/gtest.h>

namespace {

using platform::Currency;
using platform::Variant;

struct NumericStringTest : ::testing::Test {
    std::string Text(const Variant& value, TNSFloatType type, int style)
    {
        formatter.SetFloatType(type);
        formatter.SetDigitStyle(style);
        return formatter.GetAsString(value);
    }

    TNumericString formatter;
};

TEST_F(NumericStringTest, IntegersAreDecimalWhateverTheFloatType)
{
    for (TNSFloatType type : {TNSFloatType::Formatted, TNSFloatType::General, TNSFloatType::Ceiling}) {
        EXPECT_EQ(Text(Variant(1234), type, 0), "1234");
        EXPECT_EQ(Text(Variant(std::int64_t{-12345678901}), type, 0), "-12345678901");
    }
}

TEST_F(NumericStringTest, DoublesByFloatType)
{
    EXPECT_EQ(Text(Variant(1234.5), TNSFloatType::Formatted, 0), "1,234.50");
    EXPECT_EQ(Text(Variant(1234.5), TNSFloatType::General, 0), "1234.5");
    EXPECT_EQ(Text(Variant(2.1), TNSFloatType::Ceiling, 0), "3");
    EXPECT_EQ(Text(Variant(-2.5), TNSFloatType::Ceiling, 0), "-2");
    EXPECT_EQ(Text(Variant(-0.5), TNSFloatType::Ceiling, 0), "0");
    formatter.SetFloatDigit(0);
    EXPECT_EQ(Text(Variant(1234.5), TNSFloatType::Formatted, 0), "1,235");
}

TEST_F(NumericStringTest, CurrencyByFloatType)
{
    const Variant amount(Currency::FromText("1234.5"));
    EXPECT_EQ(Text(Variant(Currency::FromInt(1234)), TNSFloatType::Formatted, 0), "¥1,234");
    EXPECT_EQ(Text(amount, TNSFloatType::General, 0), "¥1234.5");
    EXPECT_EQ(Text(amount, TNSFloatType::Ceiling, 0), "¥1235");
    EXPECT_EQ(Text(Variant(Currency::FromText("-1234.5")), TNSFloatType::Ceiling, 0), "¥-1234");
    EXPECT_EQ(Text(Variant(Currency::FromInt(7)), TNSFloatType::Ceiling, 0), "¥7");
    formatter.SetCurrencyDigit(2);
    EXPECT_EQ(Text(amount, TNSFloatType::Formatted, 0), "¥1,234.50");
}

// A price of one use unit keeps the decimals it holds to four significant digits: a price per gram
// under a yen reads as it is.
TEST_F(NumericStringTest, UnitPricesKeepTheirDecimals)
{
    struct Case {
        const char* amount;
        const char* text;
    };
    const Case cases[] = {
        {"0.3111", "¥0.3111"}, {"0.35", "¥0.35"}, {"9800", "¥9,800"}, {"-0.2", "-¥0.2"},
        // to four significant digits: a plate's price is not read to a ten-thousandth of a yen
        {"2.6532", "¥2.653"}, {"10.8889", "¥10.89"}, {"172.6897", "¥172.7"}, {"1991.5505", "¥1,992"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatter.GetUnitPriceText(Currency::FromText(c.amount)), c.text) << c.amount;
    formatter.SetCurrencyDigit(2);
    EXPECT_EQ(formatter.GetUnitPriceText(Currency::FromText("12")), "¥12.00");
    formatter.SetFloatType(TNSFloatType::Ceiling);
    EXPECT_EQ(formatter.GetUnitPriceText(Currency::FromText("0.35")), "¥1");
}

TEST_F(NumericStringTest, OtherKindsGiveNothing)
{
    for (int style : {0, 1, 2, 3}) {
        EXPECT_EQ(Text(Variant("12"), TNSFloatType::Formatted, style), "");
        EXPECT_EQ(Text(Variant(), TNSFloatType::Formatted, style), "");
        EXPECT_EQ(Text(Variant::Null(), TNSFloatType::Formatted, style), "");
        EXPECT_EQ(Text(Variant(true), TNSFloatType::Formatted, style), "");
    }
}

TEST_F(NumericStringTest, FullWidthDigits)
{
    formatter.SetFloatDigit(1);
    EXPECT_EQ(Text(Variant(1234.5), TNSFloatType::Formatted, 1), "１，２３４、５");
    EXPECT_EQ(Text(Variant(-90), TNSFloatType::Formatted, 1), "９０");
    EXPECT_EQ(Text(Variant(Currency::FromInt(1234)), TNSFloatType::Formatted, 1), "￥１，２３４");
    EXPECT_EQ(Text(Variant(Currency::FromInt(5)), TNSFloatType::General, 1), "￥５");
}

TEST_F(NumericStringTest, KanjiNumerals)
{
    struct Case {
        Variant value;
        const char* text;
    };
    const Case cases[] = {
        {Variant(1234), "千二百三十四円"},
        {Variant(12345.67), "一万二千三百四十五円六十七銭"},
        {Variant(0.5), "〇円五十銭"},
        {Variant(10001000), "一千万千円"},
        {Variant(0), "〇円"},
        {Variant(10), "十円"},
        {Variant(11), "十一円"},
        {Variant(1), "一円"},
        {Variant(101), "百一円"},
        {Variant(20000), "二万円"},
        {Variant(10000), "一万円"},
        {Variant(100000000), "一億円"},
        {Variant(100010001), "一億一万一円"},
        {Variant(1.1), "一円十銭"},
        {Variant(0.05), "〇円五銭"},
        {Variant(3.0), "三円"},   // zero decimals write no sen
        {Variant(-15), "十五円"},
        {Variant(Currency::FromInt(2000)), "二千円"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text(c.value, TNSFloatType::Formatted, 2), c.text) << c.value.AsString();
}

TEST_F(NumericStringTest, KanjiCutsDecimalsToTwoAndFillsThem)
{
    EXPECT_EQ(Text(Variant(2.456), TNSFloatType::General, 2), "二円四十五銭");
    EXPECT_EQ(Text(Variant(2.5), TNSFloatType::General, 2), "二円五十銭");
    EXPECT_EQ(Text(Variant(Currency::FromText("12.34")), TNSFloatType::General, 2), "十二円三十四銭");
}

TEST_F(NumericStringTest, FormalKanjiNumerals)
{
    EXPECT_EQ(Text(Variant(1234), TNSFloatType::Formatted, 3), "千弐百参拾四円");
    EXPECT_EQ(Text(Variant(0.5), TNSFloatType::Formatted, 3), "零円五十銭");
    EXPECT_EQ(Text(Variant(12), TNSFloatType::Formatted, 4), "拾弐円");
    EXPECT_EQ(Text(Variant(10001000), TNSFloatType::Formatted, 3), "壱千万千円");
}

TEST(NumericStringInstance, AccessorSetsOrResetsTheFormat)
{
    TNumericString& shared = NumericString(TNSFloatType::Ceiling, 2);
    EXPECT_EQ(shared.GetFloatType(), TNSFloatType::Ceiling);
    EXPECT_EQ(shared.GetDigitStyle(), 2);
    EXPECT_EQ(shared.GetAsString(Variant(2.1)), "三円");
    TNumericString& again = NumericString();
    EXPECT_EQ(&again, &shared);
    EXPECT_EQ(again.GetFloatType(), TNSFloatType::Formatted);
    EXPECT_EQ(again.GetDigitStyle(), 0);
    EXPECT_EQ(again.GetAsString(Variant(2.1)), "2.10");
}

} // namespace
