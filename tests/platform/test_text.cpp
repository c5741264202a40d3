#include "platform/Errors.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <climits>

using namespace platform;

namespace {

std::string Joined(const std::vector<std::string>& pieces)
{
    std::string out;
    for (std::size_t i = 0; i < pieces.size(); ++i)
        out += (i ? "|" : "") + pieces[i];
    return out + "#" + std::to_string(pieces.size());
}

std::string ConvertMessage(std::string_view text)
{
    try {
        StrToInt(text);
    } catch (const ConvertError& e) {
        return e.Message();
    }
    return "no error";
}

} // namespace

TEST(IntegerText, WritesSignedDecimal)
{
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-5), "-5");
    EXPECT_EQ(IntToStr(123), "123");
    EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
}

TEST(IntegerText, ReadsDecimalAndHexadecimal)
{
    EXPECT_EQ(StrToInt("42"), 42);
    EXPECT_EQ(StrToInt("   -17"), -17);
    EXPECT_EQ(StrToInt("+8"), 8);
    EXPECT_EQ(StrToInt("2147483647"), INT_MAX);
    EXPECT_EQ(StrToInt("-2147483648"), INT_MIN);
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToInt("0x1f"), 31);
    EXPECT_EQ(StrToInt("0X1F"), 31);
    EXPECT_EQ(StrToInt("-0x10"), -16);
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1) << "hexadecimal reads back IntToHex of a negative value";
    EXPECT_EQ(StrToInt64("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(StrToInt64("2147483648"), 2147483648LL);
}

TEST(IntegerText, RejectsWhatIsNotAnInteger)
{
    EXPECT_EQ(ConvertMessage("12a"), "'12a' is not a valid integer value");
    EXPECT_EQ(ConvertMessage(""), "'' is not a valid integer value");
    for (const char* bad : {"2147483648", "-2147483649", "12 ", " ", "-", "$", "0x", "$-1", "- 1", "1.5",
                            "$100000000", "0x+1", "１２", "\t12"})
        EXPECT_THROW(StrToInt(bad), ConvertError) << "'" << bad << "'";
    EXPECT_THROW(StrToInt64("9223372036854775808"), ConvertError);
    EXPECT_EQ(StrToIntDef("x", 7), 7);
    EXPECT_EQ(StrToIntDef("-3", 7), -3);
}

TEST(IntegerText, HexadecimalOutput)
{
    EXPECT_EQ(IntToHex(255, 2), "FF");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(0x1ABCD, 2), "1ABCD") << "never truncated";
    EXPECT_EQ(IntToHex(0, 0), "0");
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
    EXPECT_EQ(IntToHex(-16, 8), "FFFFFFF0");
}

TEST(CommaText, SplitsByTheClassLibraryRules)
{
    struct Case {
        const char* text;
        const char* pieces;
    };
    const Case cases[] = {
        {"", "#0"},
        {"   ", "#0"},
        {"4,5,6", "4|5|6#3"},
        {" 4, 5 ,6", "4|5|6#3"},
        {"1 2", "1|2#2"},
        {"1,,2", "1||2#3"},
        {"1,2,", "1|2|#3"},
        {"1,2, ", "1|2#2"},
        {",", "|#2"},
        {",1", "|1#2"},
        {"\"a b\",c", "a b|c#2"},
        {"\"say \"\"hi\"\"\"", "say \"hi\"#1"},
        {"\"\"", "#1"},
        {"\"open", "open#1"},
        {"\"a\"b", "a|b#2"},
        {"a\"b", "a\"b#1"},
        {"x\ty\r\nz", "x|y|z#3"},
        {"レシピ,原価", "レシピ|原価#2"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Joined(SplitCommaText(c.text)), c.pieces) << "text: [" << c.text << "]";
    EXPECT_EQ(Joined(SplitCommaText(std::string_view("1,2\0,3", 6))), "1|2#2") << "text ends at NUL";
}

TEST(CommaText, JoinsWithQuotesWhereNeeded)
{
    EXPECT_EQ(JoinCommaText({}), "");
    EXPECT_EQ(JoinCommaText({""}), "\"\"");
    EXPECT_EQ(JoinCommaText({"1", "-2", "3"}), "1,-2,3");
    EXPECT_EQ(JoinCommaText({"a b", "c,d", "say \"hi\"", "plain"}), "\"a b\",\"c,d\",\"say \"\"hi\"\"\",plain");
    EXPECT_EQ(JoinCommaText({"a", ""}), "a,");
    EXPECT_EQ(JoinCommaText({"", "a"}), ",a");
    EXPECT_EQ(QuoteCommaItem("tab\there"), "\"tab\there\"");
    std::string line = "1,";
    AppendCommaItem(line, "say \"hi\"");
    AppendCommaItem(line, "");
    AppendCommaItem(line, "plain");
    EXPECT_EQ(line, "1,\"say \"\"hi\"\"\"plain") << "appended as they are quoted, nothing else";
}

TEST(CommaText, RoundTripsAnyItems)
{
    const std::vector<std::vector<std::string>> lists = {
        {""},
        {"a", ""},
        {"", ""},
        {"", "a", ""},
        {" lead", "trail ", "\"", ",", "x\r\ny", "日本語 テキスト"},
    };
    for (const auto& list : lists)
        EXPECT_EQ(SplitCommaText(JoinCommaText(list)), list) << JoinCommaText(list);
}

TEST(CaseAndTrim, AsciiFolding)
{
    EXPECT_EQ(UpperCase("abcÄz"), "ABCÄZ");
    EXPECT_EQ(LowerCase("ABC_z"), "abc_z");
    EXPECT_TRUE(SameText("VktDB01", "vktdb01"));
    EXPECT_FALSE(SameText("a", "ab"));
    EXPECT_EQ(CompareText("abc", "ABC"), 0);
    EXPECT_LT(CompareText("abc", "abd"), 0);
    EXPECT_LT(CompareText("ab", "abc"), 0);
    EXPECT_GT(CompareText("_", "a"), 0) << "folds to upper case";
    EXPECT_EQ(Trim("\t  a b \r\n"), "a b");
    EXPECT_EQ(Trim("   "), "");
}

TEST(Mask, WildcardsIgnoreCase)
{
    EXPECT_TRUE(MatchesMask("C:\\data", "?:\\*"));
    EXPECT_FALSE(MatchesMask("/home/data", "?:\\*"));
    EXPECT_TRUE(MatchesMask("Report.XML", "*.xml"));
    EXPECT_FALSE(MatchesMask("Report.xmlx", "*.xml"));
    EXPECT_TRUE(MatchesMask("abcabd", "*ab?"));
    EXPECT_TRUE(MatchesMask("", "*"));
    EXPECT_FALSE(MatchesMask("", "?"));
    EXPECT_TRUE(MatchesMask("原価.txt", "??.TXT")) << "'?' is one character, not one byte";
    EXPECT_FALSE(MatchesMask("原価.txt", "?.txt"));
    EXPECT_TRUE(MatchesMask("a*b", "a*b"));
    EXPECT_TRUE(MatchesMask("aXXbYYc", "a*b*c"));
    EXPECT_FALSE(MatchesMask("aXXbYY", "a*b*c"));
}

TEST(Text, SplitLinesAsAStringListTakesThem)
{
    const std::string text = std::string("a\r\nb\nc\rd\n\ne\r\n\r") + '\0' + "hidden";
    const std::vector<std::string_view> lines = SplitLines(text);
    ASSERT_EQ(lines.size(), 7u);
    const char* expected[] = {"a", "b", "c", "d", "", "e", ""};
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << i;
    EXPECT_EQ(lines[5].data(), text.data() + 10) << "views into the text";
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(SplitLines("last").size(), 1u);
}
