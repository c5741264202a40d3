#include "richtext/Uexlighttext.h"
#include "richtext/LightTextDump.h"

#include "gui/Clipboard.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using vkttest::Dump;

TEST(LightText, TextAnalyzeSplitsByClass)
{
    struct Case {
        const char* text;
        const char* runs;
    };
    const Case cases[] = {
        {"ab c", "1:ab 9:_ 1:c"},
        {"a\r\nb", "1:a par 1:b"},
        {"a\nb\rc\td\r\n\ne", "1:a par 1:b par 1:c tab 1:d par par 1:e"},   // every line end
        {"\u3000\u3000", "12:\u3000\u3000"},
        {"漢\u3000字", "4:漢 12:\u3000 4:字"},
        {"ｱｲÉ€x", "2:ｱｲ 2:É€ 1:x"},
        {"¥ × ー", "2:¥ 9:_ 4:× 9:_ 4:ー"},
        {"ā😀", "2:ā😀"},   // kept as given, though code page 932 lacks them
    };
    for (const Case& c : cases) {
        TExLightText_ t;
        t.SetAnsi(c.text);
        EXPECT_EQ(Dump(t), c.runs) << c.text;
    }
}

TEST(LightText, WideTextAnalyzeKeepsItsRule)
{
    struct Case {
        std::u16string text;
        const char* runs;
    };
    const Case cases[] = {
        {u"ab c\r\n", "1:ab 9:_ 1:c par"},
        {u"a\nb\r", "1:a par 1:b par"},
        {u"×ｱ€", "2:× 2:ｱ 2:€"},
        {u"日本\u3000", "4:日本 12:\u3000"},
    };
    for (const Case& c : cases) {
        TExLightText_ t;
        t.SetWide(c.text);
        EXPECT_EQ(Dump(t), c.runs);
    }
    TExLightText_ t;
    t.SetWide(u"ｱé");
    // half-width katakana and a European letter get high-ANSI fonts of different charsets
    const TFontAttributes& fonts = t.GetFontAttributes();
    EXPECT_EQ(fonts.GetCharset(t.GetWords(0)->Style.HighFont), 128);
    EXPECT_EQ(fonts.GetCharset(t.GetWords(1)->Style.HighFont), 0);
    EXPECT_EQ(fonts.GetName(t.GetWords(1)->Style.HighFont), "ＭＳ Ｐゴシック");
}

TEST(LightText, CountsAddWordAndRestore)
{
    TExLightText_ t;
    t.AddWord("abc", 0);
    t.AddWord("", 2);
    t.AddWord("", 3);
    EXPECT_EQ(t.GetCharCount(), 5);
    t.AddWord("漢字", 0);
    t.AddWord("x", 4);
    EXPECT_EQ(t.GetLastWord()->Type, 0);
    EXPECT_EQ(t.GetLastWord()->Style.CharClass, 4);
    EXPECT_EQ(t.GetCharCount(), 5 + 4 + 2);
    t.InsertWord(0, "ab", 0);
    t.Restore();
    EXPECT_EQ(Dump(t), "1:ababc par page 4:漢字x");

    TExLightText_ copy;
    copy.Assign(&t, 3);
    EXPECT_EQ(Dump(copy), "4:漢字x");
}

TEST(LightText, AnsiBytesAndStreams)
{
    TExLightText_ t;
    t.SetAnsi("Ça\tÅ ｱ漢\r\n");
    EXPECT_EQ(t.GetAnsi(), "Ca\t\xC5 \xB1\x8A\xBF\r\n");
    EXPECT_EQ(t.GetWide(), u"Ça\tÅ ｱ漢\r\n");

    std::stringstream file;
    t.SaveToAnsiStream(file);
    TExLightText_ back;
    back.LoadFromAnsiStream(file);
    EXPECT_EQ(Dump(back), "1:Ca tab 2:ﾅ 9:_ 2:ｱ 4:漢 par");

    std::istringstream in("\x81\x40\x82\xA0\r\n\x81");
    TExLightText_ pair;
    pair.LoadFromAnsiStream(in);
    EXPECT_EQ(Dump(pair), "12:\u3000 4:あ par 2:\u0081");
    std::istringstream euroIn("\x81\x40\xE9");
    pair.SetEuro(true);
    pair.LoadFromAnsiStream(euroIn);
    EXPECT_EQ(Dump(pair), "2:\u0081 1:@ 2:é");
    std::istringstream lines("a\nb\rc\n");
    pair.SetEuro(false);
    pair.LoadFromAnsiStream(lines);
    EXPECT_EQ(Dump(pair), "1:a par 1:b par 1:c par");
}

TEST(LightText, Clipboard)
{
    TExLightText source;
    source.SetAnsi("太字 bold\r\nｱ");
    source.SetClipboard();
    EXPECT_EQ(TExLightText_::ClipboardHasText(true), 3);
    EXPECT_EQ(TExLightText_::ClipboardHasText(false), 2);
    EXPECT_EQ(platform::Clipboard::GetText(), "太字 bold\r\nｱ");

    TExLightText rich;
    rich.GetClipboard(true);
    EXPECT_EQ(Dump(rich), Dump(source));
    TExLightText plain;
    plain.GetClipboard(false);
    EXPECT_EQ(plain.GetWide(), source.GetWide());
    platform::Clipboard::SetText("x\ny");   // another program's lines
    plain.GetClipboard(true);
    EXPECT_EQ(Dump(plain), "1:x par 1:y");

    platform::Clipboard::SetText("plain");
    EXPECT_EQ(TExLightText_::ClipboardHasText(true), 2);
    platform::Clipboard::SetData("application/rtf", "{\\rtf1 from elsewhere}");
    rich.GetClipboard(true);
    EXPECT_EQ(rich.GetWide(), u"from elsewhere");
}

} // namespace
