#include "platform/Codec.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

using namespace platform;

namespace {

std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ConvertError& e) {
        return e.Message();
    }
    return "no error";
}

} // namespace

TEST(Utf16, RoundTripIncludingSurrogatePairs)
{
    const std::string text = "a¥レシピ😀";
    const std::u16string wide = Utf8ToUtf16(text);
    EXPECT_EQ(wide, u"a¥レシピ😀");
    EXPECT_EQ(wide.size(), 7u);
    EXPECT_EQ(Utf16ToUtf8(wide), text);
}

TEST(Utf16, MalformedInputRaises)
{
    EXPECT_EQ(ErrorOf([] { Utf8ToUtf16("ab\xC3"); }), "Invalid UTF-8 byte sequence at byte offset 2");
    EXPECT_THROW(Utf8ToUtf16("\xC0\xAF"), ConvertError) << "overlong";
    EXPECT_THROW(Utf8ToUtf16("\xED\xA0\x80"), ConvertError) << "encoded surrogate";
    EXPECT_THROW(Utf8ToUtf16("\xF4\x90\x80\x80"), ConvertError) << "above U+10FFFF";
    EXPECT_EQ(ErrorOf([] { Utf16ToUtf8(std::u16string(u"ab") + char16_t(0xD800)); }),
              "Unpaired UTF-16 surrogate at byte offset 4");
    EXPECT_THROW(Utf16ToUtf8(std::u16string(1, char16_t(0xDC00)) + u"x"), ConvertError);
}

TEST(Utf8, Helpers)
{
    EXPECT_TRUE(IsValidUtf8("レシピ"));
    EXPECT_FALSE(IsValidUtf8("\xFF"));
    EXPECT_EQ(Utf8Length("aレシピ"), 4u);
    std::size_t pos = 1;
    EXPECT_EQ(NextCodePoint("aレ", pos), U'レ');
    EXPECT_EQ(pos, 4u);
    EXPECT_THROW(NextCodePoint("a", pos), ConvertError) << "past the end";
    std::string out;
    for (char32_t cp : {U'A', U'¥', U'レ', U'😀'})
        AppendUtf8(out, cp);
    EXPECT_EQ(out, "A¥レ😀");
}

// ASCII runs are skipped by the word: what follows a run of any length is still checked.
TEST(Utf8, ValidityAfterAsciiRunsOfEveryLength)
{
    for (std::size_t run = 0; run <= 19; ++run) {
        const std::string ascii(run, 'a');
        SCOPED_TRACE(run);
        EXPECT_TRUE(IsValidUtf8(ascii));
        EXPECT_TRUE(IsValidUtf8(ascii + "レ" + ascii));
        for (const std::string bad : {"\xFF", "\xC3", "\xE3\x83", "\xC0\xAF", "\xED\xA0\x80", "\x80"}) {
            EXPECT_FALSE(IsValidUtf8(ascii + bad));
            EXPECT_FALSE(IsValidUtf8(ascii + bad + "bcdefghijklmnop"));
            EXPECT_FALSE(IsValidUtf8("レ" + ascii + bad + ascii));
        }
    }
}

// The offset the fast check names is where decoding character by character stops, for every
// sequence of up to four bytes around the limits of each form, after ASCII runs that end inside
// and at the edge of a word.
TEST(Utf8, ErrorOffsetIsWhereTheDecoderStops)
{
    const unsigned char edges[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF,
                                   0xE0, 0xE1, 0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF3, 0xF4, 0xF5, 0xFF};
    const auto decoderStop = [](std::string_view text) {
        std::size_t pos = 0;
        char32_t cp = 0;
        while (TryNextCodePoint(text, pos, cp)) {}
        return pos == text.size() ? std::string_view::npos : pos;
    };
    for (const std::string prefix : {"", "ab", "レ1234567", "abcdefghijklm"}) {
        std::string text;
        const std::function<void(int)> extend = [&](int left) {
            const std::size_t expected = decoderStop(text);
            ASSERT_EQ(Utf8ErrorOffset(text), expected) << testing::PrintToString(text);
            ASSERT_EQ(IsValidUtf8(text), expected == std::string_view::npos);
            if (prefix == "レ1234567") {
                ASSERT_EQ(Utf8ErrorOffset(text, 3), expected);
            }
            if (left == 0) return;
            for (unsigned char b : edges) {
                text += static_cast<char>(b);
                extend(left - 1);
                text.pop_back();
            }
        };
        text = prefix;
        extend(4);
    }
    EXPECT_EQ(Utf8ErrorOffset("レシピ\xE3\x83"), 9u);
    EXPECT_EQ(Utf8ErrorOffset("ab\xFFレ", 2), 2u);
    EXPECT_EQ(Utf8ErrorOffset("ab\xFFレ", 3), std::string_view::npos) << "only what follows `from` counts";
    EXPECT_EQ(Utf8ErrorOffset("abレ", 3), 3u) << "a continuation byte starts nothing";
}

TEST(Utf8, AsciiPrefixLength)
{
    for (std::size_t run = 0; run <= 19; ++run) {
        const std::string ascii(run, '\x7F');
        EXPECT_EQ(AsciiPrefixLength(ascii), run);
        EXPECT_EQ(AsciiPrefixLength(ascii + "\x80" + ascii), run);
        EXPECT_EQ(AsciiPrefixLength(ascii + "é"), run);
    }
}

TEST(CodePage932, RoundTrip)
{
    const std::string text = "レシピ原価表 ABC ｶﾅ①";
    const std::string sjis = Utf8ToSjis(text);
    EXPECT_EQ(sjis.substr(0, 4), "\x83\x8C\x83\x56");
    EXPECT_EQ(SjisToUtf8(sjis), text);
    EXPECT_EQ(SjisLength(text), sjis.size());
    EXPECT_EQ(SjisLength("レシピ原価表"), 12u);
    EXPECT_EQ(SjisLength("ｶﾅ"), 2u) << "half-width kana take one byte";
    EXPECT_EQ(Utf8ToSjis(""), "");
}

TEST(CodePage932, SharedCodesMapOntoOneByteSequence)
{
    EXPECT_EQ(Utf8ToSjis("¥100"), "\x5C" "100");
    EXPECT_EQ(SjisToUtf8("\x5C"), "\\");
    EXPECT_EQ(Utf8ToSjis("〜"), Utf8ToSjis("～"));
}

TEST(CodePage932, CharacterItLacksIsAnErrorNamingTheOffset)
{
    EXPECT_EQ(ErrorOf([] { Utf8ToSjis("原価😀"); }),
              "The character U+1F600 at byte offset 6 has no code page 932 form");
    EXPECT_THROW(Utf8ToSjis("€"), ConvertError);
    EXPECT_THROW(Utf8ToSjis("a\xFF"), ConvertError) << "malformed UTF-8";
    EXPECT_EQ(SjisLength("原😀"), 3u) << "a character it lacks counts as one byte";
}

TEST(CodePage932, InvalidBytesAreAnErrorNamingTheOffset)
{
    EXPECT_EQ(ErrorOf([] { SjisToUtf8("ab\x80"); }), "Invalid code page 932 byte sequence at byte offset 2");
    EXPECT_EQ(ErrorOf([] { SjisToUtf8("\x83\x8C\x83"); }), "Incomplete code page 932 character at byte offset 2");
    EXPECT_THROW(SjisToUtf8("\xFF"), ConvertError);
}

TEST(CodePage932, AFailedConversionLeavesTheNextOneIntact)
{
    // The converters are kept between calls: whatever a failure left behind must not reach the next.
    const std::vector<std::function<void()>> failures = {
        [] { SjisToUtf8("\x83\x8C\x83"); },
        [] { SjisToUtf8("ab\x80"); },
        [] { Utf8ToSjis("原価😀"); },
        [] { SjisLength("a\xFF"); },
    };
    for (std::size_t i = 0; i < failures.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_THROW(failures[i](), ConvertError);
        EXPECT_EQ(SjisToUtf8("\x8C\xB4" "A"), "原A");
        EXPECT_EQ(Utf8ToSjis("A原"), "A\x8C\xB4");
        EXPECT_EQ(SjisLength("原価"), 4u);
    }
    std::string onOtherThread;
    std::thread([&] { onOtherThread = SjisToUtf8(Utf8ToSjis("レシピ")); }).join();
    EXPECT_EQ(onOtherThread, "レシピ");
}

TEST(CodePage932, LongTextCrossesConversionBuffers)
{
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "原価";
    EXPECT_EQ(SjisToUtf8(Utf8ToSjis(text)), text);
    EXPECT_EQ(SjisLength(text), 20000u);
}

TEST(Windows1252, TableAndUndefinedBytes)
{
    EXPECT_EQ(Cp1252ToUtf8("\x80\x8A\x9F\xE9"), "€ŠŸé");
    EXPECT_EQ(Utf8ToCp1252("€ŠŸé"), "\x80\x8A\x9F\xE9");
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all) << "every byte survives, the five undefined ones included";
    EXPECT_EQ(Cp1252ToUtf8("\x81"), "\xC2\x81");
    EXPECT_EQ(ErrorOf([] { Utf8ToCp1252("ab原"); }), "The character U+539F at byte offset 2 has no Windows-1252 form");
    EXPECT_THROW(Utf8ToCp1252("\x80"), ConvertError) << "malformed UTF-8 input";
}
