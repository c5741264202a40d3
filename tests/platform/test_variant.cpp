#include "platform/Errors.h"
#include "platform/Variant.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

using namespace platform;

namespace {

Variant Date(int y, int m, int d)
{
    return Variant::FromDateTime(EncodeDate(y, m, d));
}

Variant Money(std::int64_t raw)
{
    return Variant(Currency::FromRaw(raw));
}

} // namespace

TEST(Variant, KindsOfEachConstructor)
{
    EXPECT_EQ(Variant().GetKind(), Variant::Kind::Empty);
    EXPECT_EQ(Variant::Null().GetKind(), Variant::Kind::Null);
    EXPECT_EQ(Variant(5).GetKind(), Variant::Kind::Integer);
    EXPECT_EQ(Variant(std::int64_t{5}).GetKind(), Variant::Kind::Integer);
    EXPECT_EQ(Variant(2.5).GetKind(), Variant::Kind::Double);
    EXPECT_EQ(Variant(true).GetKind(), Variant::Kind::Boolean);
    EXPECT_EQ(Variant("abc").GetKind(), Variant::Kind::Text);
    EXPECT_EQ(Variant(std::string("abc")).GetKind(), Variant::Kind::Text);
    EXPECT_EQ(Variant(Currency::FromInt(3)).GetKind(), Variant::Kind::Currency);
    EXPECT_EQ(Variant(Bytes{1, 2}).GetKind(), Variant::Kind::Bytes);
    EXPECT_EQ(Date(2024, 3, 1).GetKind(), Variant::Kind::DateTime);
    EXPECT_TRUE(Variant().IsEmptyOrNull());
    EXPECT_TRUE(Variant::Null().IsEmptyOrNull());
    EXPECT_FALSE(Variant(0).IsEmptyOrNull());
    EXPECT_FALSE(Variant("").IsEmptyOrNull());
    EXPECT_EQ(Variant(static_cast<const char*>(nullptr)).AsString(), "");
}

TEST(Variant, NumericConversions)
{
    EXPECT_EQ(Variant(42).AsInt64(), 42);
    EXPECT_EQ(Variant(2.5).AsInt(), 2);        // halves to even, as the class library rounds
    EXPECT_EQ(Variant(3.5).AsInt(), 4);
    EXPECT_EQ(Variant(-2.5).AsInt(), -2);
    EXPECT_EQ(Variant(2.6).AsInt(), 3);
    EXPECT_EQ(Variant(true).AsInt(), 1);
    EXPECT_EQ(Variant(false).AsInt(), 0);
    EXPECT_EQ(Variant(" 17 ").AsInt(), 17);
    EXPECT_EQ(Variant("-3").AsInt64(), -3);
    EXPECT_EQ(Variant("4.5").AsInt(), 4);
    EXPECT_EQ(Money(25000).AsInt(), 2);
    EXPECT_EQ(Money(35000).AsInt(), 4);
    EXPECT_EQ(Money(-35001).AsInt(), -4);
    EXPECT_EQ(Variant().AsInt(), 0);
    EXPECT_EQ(Variant(std::int64_t{1} << 40).AsInt64(), std::int64_t{1} << 40);

    EXPECT_EQ(Variant(7).AsDouble(), 7.0);
    EXPECT_EQ(Variant("1234.5").AsDouble(), 1234.5);
    EXPECT_EQ(Money(333334).AsDouble(), 33.3334);
    EXPECT_EQ(Date(2024, 3, 1).AsDouble(), 45352.0);

    EXPECT_EQ(Variant(33.33335).AsCurrency().Raw(), 333334);
    EXPECT_EQ(Variant(12).AsCurrency().Raw(), 120000);
    EXPECT_EQ(Variant("1.23456").AsCurrency().Raw(), 12346);

    EXPECT_TRUE(Variant(1).AsBool());
    EXPECT_FALSE(Variant(0.0).AsBool());
    EXPECT_TRUE(Variant("TRUE").AsBool());
    EXPECT_FALSE(Variant("false").AsBool());
    EXPECT_TRUE(Variant("2").AsBool());
    EXPECT_FALSE(Variant().AsBool());
}

TEST(Variant, TextForms)
{
    EXPECT_EQ(Variant(true).AsString(), "True");
    EXPECT_EQ(Variant(false).AsString(), "False");
    EXPECT_EQ(Variant(-12).AsString(), "-12");
    EXPECT_EQ(Variant(0.1).AsString(), "0.1");
    EXPECT_EQ(Variant(1234.5).AsString(), "1234.5");
    EXPECT_EQ(Money(333333).AsString(), "33.3333");
    EXPECT_EQ(Date(2024, 3, 1).AsString(), "2024/03/01");
    EXPECT_EQ(Variant::FromDateTime(EncodeDateTime(2024, 3, 1, 9, 5, 0)).AsString(), "2024/03/01 9:05:00");
    // Null reads as the empty text (empty texts are stored as NULL).
    EXPECT_EQ(Variant::Null().AsString(), "");
    EXPECT_EQ(Variant().AsString(), "");
    EXPECT_TRUE(Variant::Null().AsBytes().empty());

    EXPECT_EQ(Variant("2024/03/01").AsDateTime(), EncodeDate(2024, 3, 1));
    EXPECT_EQ(Variant("2024-03-01 09:05:00").AsDateTime(), EncodeDateTime(2024, 3, 1, 9, 5, 0));
}

TEST(Variant, ImpossibleConversionsRaiseVariantError)
{
    const Variant null = Variant::Null();
    EXPECT_THROW(null.AsInt(), VariantError);
    EXPECT_THROW(null.AsInt64(), VariantError);
    EXPECT_THROW(null.AsDouble(), VariantError);
    EXPECT_THROW(null.AsBool(), VariantError);
    EXPECT_THROW(null.AsDateTime(), VariantError);
    EXPECT_THROW(null.AsCurrency(), VariantError);

    const Variant text("abc");
    EXPECT_THROW(text.AsInt(), VariantError);
    EXPECT_THROW(text.AsDouble(), VariantError);
    EXPECT_THROW(text.AsBool(), VariantError);
    EXPECT_THROW(text.AsDateTime(), VariantError);
    EXPECT_THROW(text.AsCurrency(), VariantError);
    EXPECT_THROW(text.AsBytes(), VariantError);

    const Variant bytes(Bytes{1, 2, 3});
    EXPECT_THROW(bytes.AsString(), VariantError);
    EXPECT_THROW(bytes.AsInt(), VariantError);
    EXPECT_EQ(bytes.AsBytes(), (Bytes{1, 2, 3}));

    EXPECT_THROW(Variant(true).AsDateTime(), VariantError);
    EXPECT_THROW(Variant(std::int64_t{1} << 40).AsInt(), VariantError);
    EXPECT_THROW(Variant(1e300).AsInt64(), VariantError);
    EXPECT_THROW(Variant(std::nan("")).AsInt64(), VariantError);
    EXPECT_THROW(Variant(1e300).AsCurrency(), VariantError);
    EXPECT_THROW(Variant(std::numeric_limits<std::int64_t>::max()).AsCurrency(), VariantError);
    EXPECT_THROW(Variant::FromDateTime(1e300).AsString(), VariantError);

    try {
        null.AsInt();
        FAIL();
    } catch (const VariantError& e) {
        EXPECT_EQ(e.Message(), "Could not convert variant of type (Null) into type (Int64)");
    }
}

TEST(Variant, EqualityAsTheFiltersCompare)
{
    // Numbers with numbers by value, whatever their kinds.
    EXPECT_EQ(Variant(5), Variant(5.0));
    EXPECT_EQ(Variant(5), Money(50000));
    EXPECT_EQ(Variant(0.1), Money(1000));
    EXPECT_NE(Variant(5), Variant(5.000001));
    EXPECT_NE(Variant(std::int64_t{9007199254740993}), Variant(9007199254740992.0));   // exact, not via double
    // Texts exactly (case and blanks count).
    EXPECT_EQ(Variant("abc"), Variant("abc"));
    EXPECT_NE(Variant("abc"), Variant("ABC"));
    EXPECT_NE(Variant("abc"), Variant("abc "));
    // A text against a number or a date is read as one.
    EXPECT_EQ(Variant("5"), Variant(5));
    EXPECT_NE(Variant("abc"), Variant(5));
    EXPECT_EQ(Variant("2024/03/01"), Date(2024, 3, 1));
    // Dates, booleans, currency, bytes.
    EXPECT_EQ(Date(2024, 3, 1), Date(2024, 3, 1));
    EXPECT_NE(Date(2024, 3, 1), Date(2024, 3, 2));
    EXPECT_EQ(Date(2024, 3, 1), Variant(45352));
    EXPECT_EQ(Variant(true), Variant(true));
    EXPECT_NE(Variant(true), Variant(false));
    EXPECT_NE(Variant(true), Variant(1));
    EXPECT_EQ(Money(1), Money(1));
    EXPECT_EQ(Variant(Bytes{1, 2}), Variant(Bytes{1, 2}));
    EXPECT_NE(Variant(Bytes{1, 2}), Variant(Bytes{1}));
    // Unassigned and null equal only themselves.
    EXPECT_EQ(Variant(), Variant());
    EXPECT_EQ(Variant::Null(), Variant::Null());
    EXPECT_NE(Variant(), Variant::Null());
    EXPECT_NE(Variant(), Variant(0));
    EXPECT_NE(Variant::Null(), Variant(""));
    EXPECT_NE(Variant(std::nan("")), Variant(std::nan("")));
}

TEST(Variant, Ordering)
{
    EXPECT_EQ(Variant(10).Compare(Variant(5)), 1);
    EXPECT_EQ(Variant(5).Compare(Variant(5)), 0);
    EXPECT_EQ(Variant(5).Compare(Variant(10)), -1);
    EXPECT_EQ(Variant(2.5).Compare(Variant(2)), 1);
    EXPECT_EQ(Variant(-2.5).Compare(Variant(-2)), -1);
    EXPECT_EQ(Variant(2).Compare(Variant(2.5)), -1);
    EXPECT_EQ(Money(25001).Compare(Variant(2.5)), 1);
    EXPECT_EQ(Money(-1).Compare(Variant(0)), -1);
    EXPECT_EQ(Variant(std::int64_t{1} << 62).Compare(Variant(1e300)), -1);
    EXPECT_EQ(Variant(std::numeric_limits<std::int64_t>::min()).Compare(Variant(-1e300)), 1);
    EXPECT_EQ(Variant("b").Compare(Variant("a")), 1);
    EXPECT_EQ(Variant("a").Compare(Variant("ab")), -1);
    EXPECT_EQ(Variant("10").Compare(Variant(9)), 1);   // read as a number, not as text
    EXPECT_EQ(Variant(9).Compare(Variant("10")), -1);
    EXPECT_EQ(Date(2024, 3, 2).Compare(Date(2024, 3, 1)), 1);
    EXPECT_EQ(Date(2024, 3, 1).Compare(Variant("2024/03/02")), -1);
    EXPECT_EQ(Variant(true).Compare(Variant(false)), 1);
    EXPECT_EQ(Variant().Compare(Variant::Null()), -1);
    EXPECT_EQ(Variant::Null().Compare(Variant(-5)), -1);
    EXPECT_EQ(Variant(-5).Compare(Variant()), 1);

    EXPECT_THROW(Variant("abc").Compare(Variant(1)), VariantError);
    EXPECT_THROW(Variant(true).Compare(Variant(1)), VariantError);
    EXPECT_THROW(Variant(Bytes{1}).Compare(Variant(1)), VariantError);
    EXPECT_THROW(Variant(std::nan("")).Compare(Variant(1.0)), VariantError);
}

TEST(Variant, TextRoundTripsForEachFieldType)
{
    struct Case {
        FieldType type;
        Variant value;
        const char* text;
        Variant::Kind kind;
    };
    const Case cases[] = {
        {FieldType::String, Variant("食材 A"), "食材 A", Variant::Kind::Text},
        {FieldType::Memo, Variant("line1\nline2"), "line1\nline2", Variant::Kind::Text},
        {FieldType::SmallInt, Variant(-32768), "-32768", Variant::Kind::Integer},
        {FieldType::Integer, Variant(2147483647), "2147483647", Variant::Kind::Integer},
        {FieldType::Boolean, Variant(true), "True", Variant::Kind::Boolean},
        {FieldType::Boolean, Variant(false), "False", Variant::Kind::Boolean},
        {FieldType::Float, Variant(1234.5), "1234.5", Variant::Kind::Double},
        {FieldType::Float, Variant(0.1), "0.1", Variant::Kind::Double},
        {FieldType::Currency, Money(333333), "33.3333", Variant::Kind::Currency},
        {FieldType::Currency, Money(-5000), "-0.5", Variant::Kind::Currency},
        {FieldType::Date, Date(2024, 3, 1), "2024/03/01", Variant::Kind::DateTime},
        {FieldType::DateTime, Variant::FromDateTime(EncodeDateTime(2024, 3, 31, 9, 5, 7)), "2024/03/31 9:05:07",
         Variant::Kind::DateTime},
        {FieldType::DateTime, Date(2024, 3, 31), "2024/03/31", Variant::Kind::DateTime},
        {FieldType::Graphic, Variant(Bytes{'G', 0, 0xFF}), "G\0\xFF", Variant::Kind::Bytes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.type));
        const std::string expected = c.type == FieldType::Graphic ? std::string(c.text, 3) : std::string(c.text);
        EXPECT_EQ(c.value.ToText(c.type), expected);
        const Variant back = Variant::FromText(expected, c.type);
        EXPECT_EQ(back.GetKind(), c.kind);
        EXPECT_EQ(back, c.value);
    }
}

TEST(Variant, TextConversionsByFieldType)
{
    // Empty values write the empty text; the empty text reads as null.
    EXPECT_EQ(Variant().ToText(FieldType::Integer), "");
    EXPECT_EQ(Variant::Null().ToText(FieldType::Date), "");
    for (FieldType type : {FieldType::String, FieldType::Integer, FieldType::Float, FieldType::Date})
        EXPECT_TRUE(Variant::FromText("", type).IsNull());

    // A value of another kind is converted to the field's type first.
    EXPECT_EQ(Variant(2.5).ToText(FieldType::Integer), "2");
    EXPECT_EQ(Variant(33.33335).ToText(FieldType::Currency), "33.3334");
    EXPECT_EQ(Variant(1).ToText(FieldType::Boolean), "True");
    EXPECT_EQ(Variant(45352.5).ToText(FieldType::Date), "2024/03/01");
    EXPECT_EQ(Variant(45352.5).ToText(FieldType::DateTime), "2024/03/01 12:00:00");
    EXPECT_THROW(Variant("abc").ToText(FieldType::Float), VariantError);
    EXPECT_THROW(Variant(Bytes{1}).ToText(FieldType::String), VariantError);

    // Readers: the storage forms are accepted for dates too; a date field drops the time.
    EXPECT_EQ(Variant::FromText("2024-03-01", FieldType::Date), Date(2024, 3, 1));
    EXPECT_EQ(Variant::FromText("2024/03/01 10:00:00", FieldType::Date).AsDateTime(), EncodeDate(2024, 3, 1));
    EXPECT_EQ(Variant::FromText("false", FieldType::Boolean), Variant(false));
    EXPECT_EQ(Variant::FromText("33.33335", FieldType::Currency), Money(333334));

    // Texts that do not read as the type raise the conversion error.
    EXPECT_THROW(Variant::FromText("abc", FieldType::Integer), ConvertError);
    EXPECT_THROW(Variant::FromText("1.5", FieldType::Integer), ConvertError);
    EXPECT_THROW(Variant::FromText("32768", FieldType::SmallInt), ConvertError);
    EXPECT_THROW(Variant::FromText("2147483648", FieldType::Integer), ConvertError);
    EXPECT_THROW(Variant::FromText("+-1", FieldType::Integer), ConvertError);
    EXPECT_THROW(Variant::FromText("yes", FieldType::Boolean), ConvertError);
    EXPECT_THROW(Variant::FromText("1,5", FieldType::Float), ConvertError);
    EXPECT_THROW(Variant::FromText("1.5.", FieldType::Currency), ConvertError);
    EXPECT_THROW(Variant::FromText("2024/02/30", FieldType::Date), ConvertError);
    EXPECT_THROW(Variant::FromText("noon", FieldType::DateTime), ConvertError);
}

TEST(Variant, TextFormsDoNotDependOnTheProcessLocale)
{
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    const std::string floatText = Variant(1234.5).ToText(FieldType::Float);
    const std::string moneyText = Money(12345).ToText(FieldType::Currency);
    const Variant floatBack = Variant::FromText("0.25", FieldType::Float);
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(floatText, "1234.5");
    EXPECT_EQ(moneyText, "1.2345");
    EXPECT_EQ(floatBack, Variant(0.25));
}

TEST(Variant, AssignTextReplacesAnyValueByTheText)
{
    Variant value(std::int64_t{42});
    value.AssignText("a long text that does not fit a short string");
    EXPECT_EQ(value.GetKind(), Variant::Kind::Text);
    EXPECT_EQ(value.AsString(), "a long text that does not fit a short string");
    value.AssignText("短い");
    EXPECT_EQ(value, Variant(std::string("短い")));
    value.AssignText("");
    EXPECT_EQ(value.GetKind(), Variant::Kind::Text);
    EXPECT_EQ(value.AsString(), "");
}
