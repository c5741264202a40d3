#include "richtext/LightTextDump.h"
#include "richtext/Uexlighttext.h"
#include "richtext/Urtparser.h"

#include "platform/Codec.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <regex>
#include <sstream>

namespace {

using vkttest::Dump;

const std::string kHeader = "{\\rtf1\\ansi\\ansicpg932\\deflang1033\\deflangfe1041\r\n"
                            "{\\fonttbl\r\n{\\f0\\fswiss\\fcharset0\\fprq2 Arial;}\r\n"
                            "{\\f1\\fmodern\\fcharset128\\fprq2 \\'82\\'6C\\'82\\'72 "
                            "\\'82\\'6F\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4E;}\r\n}\r\n"
                            "{\\colortbl;\r\n\\red0\\green0\\blue0;\r\n}\r\n";
const std::string kPara = "\\fi0\\li0\\ri0\\sb0\\sa0\\sl240\\slmult1\\cufi0\\culi0\\curi0\\lisb0\\lisa0";
const std::string kSheet = "{\\stylesheet\r\n{" + kPara +
                           "\\loch\\af1\\hich\\af0\\dbch\\af1\\fs21\\snext0\\sbasedon0 Normal;}\r\n}\r\n"
                           "\\paperw12240\\paperh15480\\margl1800\\margr1800\\margt1440\\margb1440\\pgnstart0"
                           "\\deff0\\viewkind1\\dgmargin\\dghspace105\\dgvspace180\\dghorigin851\\dgvorigin567"
                           "\\lnongrid\r\n\\lang1033\\langfe1041\r\n";
const std::string kParaStart = "{\\pard\\plain" + kPara + "\\loch\\af1\\hich\\af0\\dbch\\af1\\fs21";
const std::string kAscii = "{\\hich\\af0\\dbch\\af1\\loch\\f1\\fs21 ";

TEST(RtfWriter, ExactOutput)
{
    TExLightText t;
    EXPECT_EQ(t.GetRich(), kHeader + kSheet + "\r\n}\r\n");
    t.SetAnsi("ab\r\n");
    EXPECT_EQ(t.GetRich(), kHeader + kSheet + kParaStart + kAscii + "ab}\\par}\n\r\n}\r\n");

    t.SetAnsi("a\tb{");
    t.AddWord("", kWordLine);
    t.AddWord("", kWordBack);
    EXPECT_EQ(t.GetRich(), kHeader + kSheet + kParaStart + kAscii + "a}{\\loch\\af1\\hich\\af0\\dbch\\af1\\fs21\\tab}" +
                               kAscii + "b\\{}\\line}\n\r\n}\r\n");

    t.SetAnsi("x\r\n");
    t.AddWord("", kWordPage);
    t.AddWord("y\r\n", 0);
    const std::string rich = t.GetRich();
    EXPECT_NE(rich.find("\\fs21\\page" + kAscii + "y}\\par}"), std::string::npos) << rich;
}

TEST(RtfKeywords, SortedTableFindsEveryRow)
{
    const TRTKeywordList& list = RTKeywordList();
    // Each property keyword reaches the row of its own property (the rows stand in the properties'
    // order, none left out); those of no property (-1) are read and ignored.
    for (int i = 0; i < list.Count(); ++i) {
        const TRTKeywordDefine& keyword = list.Keyword(i);
        if (keyword.State != rtfpsProperty || keyword.Arg1 < 0)
            continue;
        const TRTPropertyDefine* property = list.Property(keyword);
        ASSERT_NE(property, nullptr) << keyword.Name;
        EXPECT_EQ(property->Field, keyword.Arg1) << keyword.Name;
    }
    for (int i = 1; i < list.Count(); ++i)
        EXPECT_LT(list.Keyword(i - 1).Name, list.Keyword(i).Name);
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_EQ(list.IndexOf(list.Keyword(i).Name), i);
    EXPECT_EQ(list.IndexOf("*"), 0);
    EXPECT_EQ(list.IndexOf("~"), list.Count() - 1);
    EXPECT_EQ(list.IndexOf("B"), -1);
    EXPECT_EQ(list.IndexOf("rtf"), -1);
    EXPECT_EQ(list.IndexOf("u"), -1);
    EXPECT_EQ(list.Keyword(list.IndexOf("ulthdashdd")).Arg2, 14);
    EXPECT_EQ(list.Keyword(list.IndexOf("ulthdashd")).Arg2, 12);
}

// Records the parser's events as one line each.
struct EventLog {
    TRTParser parser;
    std::vector<std::string> lines;
    EventLog()
    {
        parser.OnText = [this](TRTParser*, const std::string& t, bool u) {
            lines.push_back((u ? "U:" : "T:") + (t.size() > 20 ? std::to_string(t.size()) : t));
        };
        parser.OnControl = [this](TRTParser*, int type) { lines.push_back("C:" + std::to_string(type)); };
        parser.OnFont = [this](TRTParser*, const std::string& n, int cs, int fam, int& index) {
            lines.push_back("F:" + n + "/" + std::to_string(cs) + "/" + std::to_string(fam) + "/" +
                            std::to_string(index));
        };
    }
    bool Parse(const std::string& rtf)
    {
        std::istringstream in(rtf);
        lines.clear();
        return parser.Parse(in);
    }
    std::string Log() const
    {
        std::string out;
        for (const auto& l : lines)
            out += (out.empty() ? "" : "|") + l;
        return out;
    }
};

TEST(RtfReader, EventsOfSmallInputs)
{
    struct Case {
        std::string rtf;
        const char* log;
    };
    const Case cases[] = {
        {"pre{\\rtf1 a\\par b}", "T:a|C:2|T:b"},
        {"{\\rtf1 \\'82\\'a0}", "T:\x82\xA0"},
        {"{\\rtf1 {\\info {\\title t}x}{\\*\\unknown y}{\\unknown z}w}", "T:z|T:w"},
        {"{\\rtf1\\b x\\b0  y\\tab\\~}", "T:x|T: y|C:1|U:\u00A0"},
        // characters written as control words; a backslash before a line end ends a paragraph
        {"{\\rtf1 Chef\\rquote s\\bullet\\endash\\emdash\\lquote\\ldblquote\\rdblquote\\_\\-}",
         "T:Chef|U:\u2019|T:s|U:\u2022|U:\u2013|U:\u2014|U:\u2018|U:\u201C|U:\u201D|U:\u2011|U:\u00AD"},
        {"{\\rtf1 a\\enspace\\emspace\\qmspace b}", "T:a|U:\u2002|U:\u2003|U:\u2005|T:b"},
        {"{\\rtf1 A\\\nB\\\r\nC}", "T:A|C:2|T:B|C:2|T:C"},
        // a font naming no charset takes the document's code page; 932 where none is declared
        {"{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset128 M;}}x}", "F:Arial/204/0/0|F:M/128/0/1|T:x"},
        {"{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset1 Arial;}}x}", "F:Arial/0/0/0|T:x"},
        {"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}x}", "F:Arial/1/0/0|T:x"},
        // ... or, declaring none, Western where its escaped bytes stand alone, not in 932's pairs
        {"{\\rtf1\\ansi{\\fonttbl{\\f0 A;}}Cr\\'e8me caf\\'e9\\par \\'82\\'a0}", "F:A/0/0/0|T:Cr\xE8me caf\xE9|C:2|T:\x82\xA0"},
        {"{\\rtf1{\\fonttbl{\\f0 A;}}\\'82\\'a0\\'8a\r\n\\'bf\\'e9\\\\'e9}", "F:A/1/0/0|T:\x82\xA0\x8A\xBF\xE9\\'e9"},
        {"{\\rtf1\\ansicpg932{\\fonttbl{\\f0 A;}}caf\\'e9 }", "F:A/1/0/0|T:caf\xE9 "},
        // a cell's own paragraph end keeps the row on one line; text after it makes a paragraph
        {"{\\rtf1 {\\pard\\intbl a\\par\\cell}{\\pard\\intbl b\\par x\\cell}\\row c\\par{\\pard\\intbl d\\par}}",
         "T:a|C:1|T:b|C:2|T:x|C:1|C:2|T:c|C:2|T:d|C:2"},
        {"{\\rtf1 " + std::string(1500, 'a') + "}", "T:999|T:501"},
        {"{\\rtf1 " + std::string(998, 'a') + "\x82\xA0}", "T:998|T:\x82\xA0"},
        {"{\\rtf1 a\\u12354?b\\uc2\\u-3\\'82\\'a0c\\u12354\\'82}", "T:a|U:あ|T:b|U:\xEF\xBF\xBD|T:c|U:あ"},
        {"{\\rtf1{\\fonttbl{\\f3\\froman\\fcharset128\\fprq1 A{\\*\\falt B}C;}}x}", "F:AC/128/17/3|T:x"},
        {"{\\rtf1 a\\bin3 {}\\b}", "T:a|T:b"},
        {"{\\rtf1 a\\bin-4 b}", "T:a|T:b"},
        // after a skipped \*-group the next unknown word is ignored, not skipped
        {"{\\rtf1 {\\*\\bkmkstart x}\\insrsid1 kept}", "T:kept"},
    };
    for (const Case& c : cases) {
        EventLog log;
        EXPECT_TRUE(log.Parse(c.rtf)) << c.rtf;
        EXPECT_EQ(log.Log(), c.log) << c.rtf;
    }
}

TEST(RtfReader, PropertiesAndDocument)
{
    TRTParser p;
    TExStyle atText;
    TExParaStyle paraAtText;
    p.OnText = [&](TRTParser* s, const std::string&, bool) {
        atText = s->GetStyle();
        paraAtText = s->GetParaStyle();
    };
    std::istringstream in("{\\rtf1\\margr77\\margt88\\deftab\\paperh\\landscape{\\colortbl;\\red1\\green2\\blue3;}"
                          "\\plain\\fs21\\b\\striked0\\ul0\\cf1\\qc\\li-5\\outlinelevel2\\f9 x}");
    EXPECT_TRUE(p.Parse(in));
    EXPECT_EQ(atText.Size, 105);
    EXPECT_EQ(atText.Bold, 1);
    EXPECT_EQ(atText.Strike, 1);
    EXPECT_EQ(atText.Underline, 0);
    EXPECT_EQ(atText.Color, 1);   // no colour event bound: the map holds the position
    EXPECT_EQ(atText.CharClass, 7);
    EXPECT_EQ(paraAtText.Align, 1);
    EXPECT_EQ(paraAtText.LeftIndent, -5);
    EXPECT_EQ(paraAtText.OutlineLevel, 3);
    const TExDocStyle d = p.GetDocStyle();
    EXPECT_EQ(d.RightMargin, 77);
    EXPECT_EQ(d.TopMargin, 88);
    EXPECT_EQ(d.DefaultTab, 720);
    EXPECT_EQ(d.PaperHeight, 15480);
    EXPECT_EQ(d.Landscape, 1);
}

TEST(RtfReader, FailuresKeepWhatWasRead)
{
    const char* const failing[] = {
        "{\\rtf1 a}}b",          // depth below 0
        "{\\rtf1 a\\'8g}",       // bad hexadecimal digit
        "{\\rtf1 a\\",           // ends after a backslash
        "{\\rtf1 a\\li-",        // ends after a minus
        "{\\rtf1 a",             // unbalanced at the end
    };
    for (const char* rtf : failing) {
        EventLog log;
        EXPECT_FALSE(log.Parse(rtf)) << rtf;
        EXPECT_EQ(log.lines.front(), "T:a") << rtf;
    }
    std::string deep = "{\\rtf1 a";
    for (int i = 0; i < 5000; ++i)
        deep += '{';
    EventLog log;
    EXPECT_FALSE(log.Parse(deep));
    EXPECT_EQ(log.Log(), "T:a");
    std::string ok = "{\\rtf1 " + std::string(4000, '{') + "b" + std::string(4001, '}');
    EXPECT_TRUE(log.Parse(ok));
    EXPECT_TRUE(log.Parse("{\\rtf1 \\abcdefghijklmnopqrstuvwxyzabcdefghijklmnop99999999999999999999 x}"));
    EXPECT_EQ(log.Log(), "T:x");
}

// A style's RTF with its fonts by name: a table written holds only the fonts used, so a font read
// back may have another number.
std::string WithFontNames(const TExLightText& t, const std::string& style)
{
    static const std::regex fontWord(R"((\\a?f)(\d+))");
    std::string named;
    auto at = style.cbegin();
    for (std::sregex_iterator m(style.begin(), style.end(), fontWord), end; m != end; ++m) {
        named.append(at, (*m)[0].first);
        named += (*m)[1].str() + "{" + t.GetFontAttributes().GetName(std::stoi((*m)[2].str())) + "}";
        at = (*m)[0].second;
    }
    return named.append(at, style.cend());
}

// Each run's sheet entries and style.
std::string Styles(const TExLightText& t)
{
    std::string out;
    for (int i = 0; i < t.Count(); ++i) {
        const TExLightWord& w = *t.GetWords(i);
        out += std::to_string(w.StyleIndex) + "/" + std::to_string(w.CharStyleIndex) + ":" +
               WithFontNames(t, t.EffectiveStyle(w).RTString()) + "\n";
    }
    return out;
}

TEST(RtfRoundTrip, OurWriterThroughOurReader)
{
    const char* const texts[] = {
        "Latin text, with {braces} and \\ backslash\r\n",
        "日本語の文章\u3000全角空白と ｶﾀｶﾅ\tタブ\nline\r\n",
        "Ça été Œuvre – “quoted” € ¥ ×\r\n",
    };
    for (const char* text : texts) {
        TExLightText a;
        a.SetAnsi(text);
        TExStyle heading = a.GetStyleAttributes().GetStyle(0);
        heading.Bold = 1;
        heading.Size = 140;
        heading.Color = a.GetColorIndex(0x0000FF);
        const int sheet = a.GetStyleIndex("見出し{1}", heading, TExParaStyle());
        for (int i = 0; i < a.Count() && a.GetWords(i - 1 < 0 ? 0 : i - 1)->Type != kWordPara; ++i)
            a.GetWords(i)->StyleIndex = sheet;
        a.AddWord("", kWordPage);
        a.AddWord("after page, last paragraph without end", 0);
        const std::string rich = a.GetRich();

        TExLightText b;
        EXPECT_TRUE(b.SetRich(rich));
        EXPECT_EQ(Dump(b), Dump(a)) << text;
        EXPECT_EQ(Styles(b), Styles(a)) << text;
        EXPECT_EQ(b.GetStyleAttributes().GetName(sheet), "見出し{1}");
        EXPECT_EQ(b.GetRich(), rich) << text;
    }
}

TEST(RtfRoundTrip, ForeignRtfAndEveryHighByte)
{
    TExLightText t;
    t.SetRich("{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9;}"
              "{\\f1\\fswiss\\fcharset0 Arial;}}\\f0 \\'93\\'fa\\'96\\'7b abc{\\f1 caf\\'e9}"
              "{\\dbch\\f0 x\\'82\\'a0}\\u12354?\\uc0\\u26085\\par}");
    EXPECT_EQ(Dump(t), "4:日本 9:_ 1:abc 1:caf 2:é 1:x 4:あ 4:あ 4:日 par");
    EXPECT_EQ(t.GetFontAttributes().GetName(0), "ＭＳ 明朝");

    for (int b = 0x80; b <= 0xFF; ++b) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", b);
        for (const char* association : {"\\loch", "\\hich", "\\dbch"}) {
            const std::string rtf = std::string("{\\rtf1{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset128 J;}}") +
                                    "\\loch\\f1\\hich\\f1\\dbch\\f1{" + association + "\\f1 \\'" + hex + "}\\par}";
            TExLightText once;
            once.SetRich(rtf);
            std::string expected = "\\'";
            expected += static_cast<char>(std::toupper(hex[0]));
            expected += static_cast<char>(std::toupper(hex[1]));
            const std::string written = once.GetRich();
            EXPECT_NE(written.find(" " + expected + "}"), std::string::npos) << association << " " << hex;
            TExLightText twice;
            twice.SetRich(written);
            EXPECT_EQ(twice.GetRich(), written) << association << " " << hex;
        }
    }
}

// Reads RTF, writes it, reads that and writes again: both reads give `text`, both writes the same
// bytes, and every run of Japanese text is written in a code-page-932 font.
void ExpectReadsAsWritten(const std::string& rtf, const std::string& text)
{
    TExLightText first;
    first.SetRich(rtf);
    EXPECT_EQ(platform::Utf16ToUtf8(first.GetWide()), text) << rtf;
    const std::string written = first.GetRich();
    TExLightText second;
    EXPECT_TRUE(second.SetRich(written)) << written;
    EXPECT_EQ(platform::Utf16ToUtf8(second.GetWide()), text) << written;
    EXPECT_EQ(second.GetRich(), written) << rtf;
    EXPECT_EQ(Dump(second), Dump(first)) << rtf;
    const TFontAttributes& fonts = second.GetFontAttributes();
    for (int i = 0; i < second.Count(); ++i) {
        const TExLightWord& w = *second.GetWords(i);
        const TExStyle style = second.EffectiveStyle(w);
        if (w.Type == kWordText && style.DoubleByte()) {
            const int charset = fonts.GetCharset(style.DBFont);
            EXPECT_TRUE(charset == 128 || charset == 1) << charset << " " << w.Text << "\n" << written;
        }
    }
}

TEST(RtfRoundTrip, JapaneseOfOtherWritersReadsAsWritten)
{
    const std::string tables = "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fnil\\fcharset128 Gothic;}}";
    struct Case {
        std::string rtf;
        const char* text;
    };
    const Case cases[] = {
        // fonts named for each kind of character: every piece in its own font's code page
        {"{\\rtf1\\ansi\\ansicpg932" + tables + "\\pard\\plain\\loch\\f0\\hich\\f0\\dbch\\f1 ab\\'82\\'a0\\'8a\\'bf\\par}",
         "abあ漢\r\n"},
        {"{\\rtf1" + tables + "\\loch\\f0\\hich\\f0\\dbch\\f1 \\'96@x\\'c7\\'82\\par}", "法xÇ‚\r\n"},
        {"{\\rtf1" + tables + "\\plain\\f0{\\hich\\af1\\dbch\\af1\\loch\\f1 \\'93\\'fa}abc\\par}", "日abc\r\n"},
        // a font for all characters
        {"{\\rtf1\\ansi\\deff0" + tables + "\\f0\\fs20 abc \\f1\\'82\\'a0\\f0 def\\par}", "abc あdef\r\n"},
        {"{\\rtf1\\ansi{\\fonttbl{\\f1 Foo;}}\\f1\\'83\\'67\\par}", "ト\r\n"},
        // Unicode in a Western font
        {"{\\rtf1\\ansi" + tables + "\\f0 \\u12488?\\u12510?\\u12488?\\par}", "トマト\r\n"},
        // text before the font table keeps the font it was read in
        {"{\\rtf1\xBCi\\fonttbl;}", "¼i"},
    };
    for (const Case& c : cases)
        ExpectReadsAsWritten(c.rtf, c.text);
}

TEST(RtfRoundTrip, TableCellsAndRowsStayApart)
{
    // As a word processor writes a two-row table: each cell ends with \cell, each row with \row.
    const std::string row = "\\trowd\\trgaph108\\cellx2000\\cellx4000\\pard\\intbl ";
    const std::string rtf = "{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fnil\\fcharset128 Gothic;}}\\f0 " + row +
                            "\\'8b\\'CA\\'82\\'CB\\'82\\'AC\\cell 100g\\cell\\row " + row +
                            "Salt\\cell 5g\\cell\\row\\pard after\\par}";
    ExpectReadsAsWritten(rtf, "玉ねぎ\t100g\t\r\nSalt\t5g\t\r\nafter\r\n");
    // Cells each in a group of their own: the row is laid out as its cells, not as the paragraph
    // around the table, whether \row stands inside a cell's group or after them.
    for (const char* cells : {"{\\pard\\intbl A\\cell}{\\pard\\intbl B\\cell}\\row",
                              "\\pard\\intbl A\\cell B\\cell\\row"}) {
        TExLightText t;
        ASSERT_TRUE(t.SetRich(std::string("{\\rtf1\\pard\\li1440\\sa400 Before\\par {\\trowd\\cellx2000\\cellx4000 ") +
                              cells + "}\\pard after\\par}"));
        std::vector<int> indents;
        for (int i = 0; i < t.Count(); ++i)
            if (t.GetWords(i)->Type == kWordPara)
                indents.push_back(t.EffectiveParaStyle(*t.GetWords(i)).LeftIndent);
        EXPECT_EQ(indents, (std::vector<int>{1440, 0, 0})) << cells;
    }
}

TEST(RtfRoundTrip, CharactersNoCodePageHoldsAreWrittenAsUnicode)
{
    // a surrogate pair, a lone high surrogate, a character outside both code pages
    ExpectReadsAsWritten("{\\rtf1\\ansi \\u-10180?\\u-8379?a\\u-10180?b\\u256?\\par}", "🍅a?bĀ\r\n");
    TExLightText t;
    t.SetAnsi("トマト🍅 ｶﾅé\r\n");
    const std::string rich = t.GetRich();
    EXPECT_NE(rich.find(" \\u-10180?\\u-8379?}"), std::string::npos) << rich;
    TExLightText back;
    back.SetRich(rich);
    EXPECT_EQ(platform::Utf16ToUtf8(back.GetWide()), "トマト🍅 ｶﾅé\r\n");
    EXPECT_EQ(back.GetRich(), rich);
}

TEST(RtfRoundTrip, RunsKeepTheirOwnStyleBesideTheParagraphMark)
{
    const std::string colours = "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}";
    const char* const words[] = {"\\b",         "\\i",        "\\outl",      "\\strike",  "\\striked1",
                                 "\\ul",        "\\uldb",     "\\cf1",       "\\highlight2", "\\ul\\ulc2",
                                 "\\fs30",      "\\b\\i\\cf2\\ulwave\\highlight1"};
    for (const char* word : words) {
        const std::string rtf = "{\\rtf1\\ansi" + colours + " a" + word + " b\\par}";
        TExLightText first;
        first.SetRich(rtf);
        const std::string written = first.GetRich();
        TExLightText second;
        second.SetRich(written);
        EXPECT_EQ(Styles(second), Styles(first)) << rtf << "\n" << written;
        EXPECT_EQ(second.GetRich(), written) << rtf;
    }
    // a run without size beside a paragraph mark with one
    TExLightText sized;
    sized.SetRich("{\\rtf1{\\stylesheet{Normal;}} a\\fs24 b\\par}");
    TExLightText back;
    back.SetRich(sized.GetRich());
    EXPECT_EQ(Styles(back), Styles(sized));
}

TEST(RtfRoundTrip, ToggleWordsReadAsOnOrOff)
{
    struct Case {
        const char* words;
        int bold, italic, outline, strike;
    };
    const Case cases[] = {
        {"\\b8\\i2\\outl3\\strike5", 1, 1, 1, 1},
        {"\\b255\\i256\\outl-1\\striked5", 1, 1, 1, 2},
        {"\\b\\i\\outl\\striked\\b0\\i0\\outl0\\strike0", 0, 0, 0, 0},
        {"\\b1\\striked0", 1, 0, 0, 1},
    };
    for (const Case& c : cases) {
        const std::string rtf = std::string("{\\rtf1\\ansi a") + c.words + " b\\par}";
        TExLightText first;
        first.SetRich(rtf);
        ASSERT_EQ(first.Count(), 3) << rtf;
        const TExStyle s = first.EffectiveStyle(*first.GetWords(1));
        EXPECT_EQ(s.Bold, c.bold) << rtf;
        EXPECT_EQ(s.Italic, c.italic) << rtf;
        EXPECT_EQ(s.Outline, c.outline) << rtf;
        EXPECT_EQ(s.Strike, c.strike) << rtf;
        const std::string written = first.GetRich();
        TExLightText second;
        second.SetRich(written);
        EXPECT_EQ(Styles(second), Styles(first)) << rtf << "\n" << written;
        EXPECT_EQ(second.GetRich(), written) << rtf;
    }
}

TEST(RtfRoundTrip, PageBreakStaysWhereItStands)
{
    TExLightText t;
    t.SetRich("{\\rtf1\\ansi a\\page b\\par}");
    EXPECT_EQ(Dump(t), "1:a page 1:b par");
    const std::string written = t.GetRich();
    TExLightText back;
    back.SetRich(written);
    EXPECT_EQ(Dump(back), "1:a page 1:b par") << written;
    back.AddWord("", kWordPage);
    TExLightText tail;
    tail.SetRich(back.GetRich());
    EXPECT_EQ(Dump(tail), "1:a page 1:b par page");
}

TEST(RtfRoundTrip, WrittenOnceItIsWrittenAgainTheSame)
{
    const char* const inputs[] = {
        // runs that differ in paragraph formatting only
        "{\\rtf1 a\\li3 b}",
        "{\\rtf1 a\\qc b\\par c\\sb100 d\\par}",
        // a paragraph whose style-sheet entry changes inside it
        "{\\rtf1{\\stylesheet{\\fs21 Normal;}{\\s1 Other;}}\\s1 a\\pard\\plain b\\par}",
    };
    for (const char* input : inputs) {
        TExLightText first;
        first.SetRich(input);
        const std::u16string text = first.GetWide();
        const std::string written = first.GetRich();
        TExLightText second;
        EXPECT_TRUE(second.SetRich(written));
        EXPECT_EQ(second.GetRich(), written) << input;
        EXPECT_EQ(second.GetWide(), text) << input;
    }
}

TEST(RtfRoundTrip, TheFontTableHoldsTheFontsItsTextNames)
{
    const std::string fonts = "{\\fonttbl{\\f0\\froman Times;}{\\f1\\fswiss Arial;}{\\f2\\fmodern Courier;}}";
    struct Case {
        std::string rtf;
        bool deleteCourier;   // the text in Courier deleted before writing
    };
    const Case cases[] = {
        {"{\\rtf1\\ansi\\deff0" + fonts + "{\\f1 Hello \\af9 world}\\par}", false},   // \af9: no font of the table
        {"{\\rtf1\\ansi\\deff0" + fonts + "{\\f1 Hello }{\\f2 gone}\\par}", true},
    };
    for (const Case& c : cases) {
        TExLightText read;
        ASSERT_TRUE(read.SetRich(c.rtf));
        for (int i = read.Count() - 1; c.deleteCourier && i >= 0; --i)
            if (read.GetWords(i)->Text == "gone")
                read.DeleteWord(i);
        const std::string written = read.GetRich();
        const std::string table = written.substr(0, written.find("{\\colortbl"));
        EXPECT_NE(table.find(" Times;"), std::string::npos) << written;
        EXPECT_NE(table.find(" Arial;"), std::string::npos) << written;
        EXPECT_EQ(table.find("Courier"), std::string::npos) << written;
        // Written again, the same bytes.
        TExLightText again;
        ASSERT_TRUE(again.SetRich(written));
        EXPECT_EQ(again.GetRich(), written);
    }
}

TEST(RtfRoundTrip, ParagraphUnitsAndStyleSheet)
{
    TExLightText t;
    t.SetRich("{\\rtf1{\\stylesheet{\\s0\\fs20 Normal;}{\\s1\\lisb50\\culi205\\cufi100\\fs24 Head;}}"
              "\\pard\\plain\\s1\\culi200\\cufi-100\\fs24 x\\par}");
    const TExParaStyle head = t.GetStyleAttributes().GetParaStyle(1);
    EXPECT_EQ(head.SpaceBefore, 180);
    EXPECT_EQ(head.LeftIndent, 420);
    EXPECT_EQ(head.FirstIndent, 240);
    EXPECT_EQ(t.GetStyleAttributes().GetStyle(0).Size, 100);
    const TExLightWord& par = *t.GetWords(1);
    EXPECT_EQ(par.Type, kWordPara);
    EXPECT_EQ(t.EffectiveParaStyle(par).LeftIndent, 420);
    EXPECT_EQ(t.EffectiveParaStyle(par).FirstIndent, -240);
    EXPECT_EQ(t.GetWords(0)->Style.Size, 0);   // equal to the style entry: unset
}

// Text and tab runs with their effective styles, paragraph ends with their paragraph styles.
std::string Model(const TExLightText& t)
{
    std::string out = Dump(t) + "\n";
    for (int i = 0; i < t.Count(); ++i) {
        const TExLightWord& w = *t.GetWords(i);
        if (w.Type == kWordText || w.Type == kWordTab)
            out += std::to_string(w.CharStyleIndex) + ":" + WithFontNames(t, t.EffectiveStyle(w).RTString()) + "\n";
        else if (w.Type == kWordPara)
            out += "s" + std::to_string(w.StyleIndex) + t.EffectiveParaStyle(w).RTString() + "\n";
    }
    return out;
}

// A document of random runs: Latin, Japanese, European, katakana, emoji and mixed text, tabs, line
// and page breaks, character and paragraph formatting, style-sheet entries and extra fonts.
void Generate(TExLightText& t, std::mt19937& random)
{
    const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    static const char* const kTexts[] = {"abc", "x y", "日本語", "トマト", "\u3000", "ab日本cd", "Çé¼×",
                                         "ｶﾅ", "🍅😀", "法@", "{\\}", "1–2 €", "a\u3000b"};
    t.Clear();
    TColorAttributes& colors = t.GetColorAttributes();
    for (TColor c : {0x0000FFu, 0x00FF00u, 0x123456u})
        colors.AddColor(c);
    TFontAttributes& fonts = t.GetFontAttributes();
    const int fontCount = fonts.Count();
    fonts.IndexOfFont("Times New Roman", 0, 0x12);
    fonts.IndexOfFont("ＭＳ 明朝", 128, 0x11);
    TExStyle heading = t.GetStyleAttributes().GetStyle(0);
    heading.Bold = 1;
    heading.Size = 160;
    TExParaStyle headingPara;
    headingPara.Align = 1;
    const int sheet = t.GetStyleIndex("Heading", heading, headingPara);
    TExStyle marked;
    marked.Invisible().Italic = 1;
    marked.Color = 2;
    const int charSheet = t.GetStyleIndex("Mark", marked, TExParaStyle().Invisible());
    const auto style = [&] {
        TExStyle s;
        s.Invisible();
        if (pick(2))
            s.Bold = static_cast<std::uint8_t>(pick(2));
        if (pick(3) == 0)
            s.Italic = 1;
        if (pick(3) == 0)
            s.Underline = static_cast<std::uint8_t>(pick(18));
        if (pick(5) == 0)
            s.Strike = static_cast<std::uint8_t>(pick(3));
        if (pick(8) == 0)
            s.Outline = 1;
        if (pick(3) == 0)
            s.Color = pick(colors.Count());
        if (pick(4) == 0)
            s.Highlight = pick(colors.Count());
        if (pick(6) == 0)
            s.ULColor = pick(colors.Count());
        if (pick(3) == 0)
            s.Size = 5 * (14 + pick(40));
        if (pick(4) == 0)
            s.LowFont = s.HighFont = s.DBFont = pick(fontCount + 2);
        return s;
    };
    const int paragraphs = 1 + pick(4);
    for (int p = 0; p < paragraphs; ++p) {
        const bool head = pick(4) == 0;
        t.SetCurrentStyleIndex(head ? sheet : 0);
        TExParaStyle para;
        para.Invisible();
        if (pick(3) == 0) {
            para.LeftIndent = 210 * pick(4);
            para.Align = static_cast<std::uint8_t>(pick(5));
        }
        t.SetCurrentParaStyle(para);
        if (p > 0 && pick(4) == 0)
            t.AddWord("", kWordPage);
        const int pieces = 1 + pick(5);
        for (int k = 0; k < pieces; ++k) {
            t.SetCurrentCharStyleIndex(pick(6) == 0 ? charSheet : 0);
            t.SetCurrentStyle(style());
            switch (pick(10)) {
            case 0: t.AddWord("", kWordTab); break;
            case 1: t.AddWord("", kWordLine); break;
            case 2: t.AddWord("", kWordPage); break;
            default: t.AddWord(kTexts[pick(static_cast<int>(std::size(kTexts)))], kWordText); break;
            }
        }
        t.SetCurrentCharStyleIndex(0);
        t.SetCurrentStyle(style());
        if (p + 1 < paragraphs || pick(3) != 0)
            t.AddWord("", kWordPara);
    }
}

TEST(RtfRoundTrip, GeneratedDocumentsWriteReadWriteTheSame)
{
    std::mt19937 random(5104);
    for (int round = 0; round < 400; ++round) {
        TExLightText source;
        Generate(source, random);
        const std::u16string text = source.GetWide();
        const std::string first = source.GetRich();
        TExLightText read;
        ASSERT_TRUE(read.SetRich(first)) << round;
        const std::string second = read.GetRich();
        ASSERT_EQ(second, first) << round;
        EXPECT_EQ(read.GetWide(), text) << round;
        EXPECT_EQ(Model(read), Model(source)) << round << "\n" << first;
        TExLightText reread;
        reread.SetRich(second);
        reread.GetRich();
        EXPECT_EQ(Model(reread), Model(read)) << round;
    }
}

TEST(RtfDamage, PrefixesAndMutationsLoad)
{
    TExLightText source;
    source.SetAnsi("日本語 text ｶﾅ Çé\r\n\t2行目\u3000end\r\nlast");
    TExStyle bold;
    bold.Bold = 1;
    source.GetWords(1)->CharStyleIndex = source.GetStyleIndex("強調", bold, TExParaStyle().Invisible());
    const std::string files[] = {
        source.GetRich(),
        "{\\rtf1{\\fonttbl{\\f0\\fcharset128 \\'82\\'6c;}}{\\*\\bkmkstart a}\\u12354?{\\info{\\title x}}\\bin2 ab"
        "\\'82\\'a0\\hich\\'b1\\dbch\\'81\\par}",
    };
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& file : files) {
        for (std::size_t n = 0; n <= file.size(); ++n) {
            TExLightText t;
            t.SetRich(file.substr(0, n));
            t.GetRich();
        }
    }
    std::mt19937 random(2024);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = files[round % 2];
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = random() % bytes.size();
            switch (random() % 3) {
            case 0: bytes[at] = static_cast<char>(random()); break;
            case 1: bytes.erase(at, 1 + random() % 4); break;
            default: bytes.insert(at, 1, "{}\\';0123456789\x82"[random() % 17]); break;
            }
            if (bytes.empty())
                bytes = "{";
        }
        TExLightText t;
        t.SetRich(bytes);
        const std::string again = t.GetRich();
        TExLightText back;
        EXPECT_TRUE(back.SetRich(again));
    }
    // the full text survives a clean prefix cut after its last paragraph
    TExLightText cut;
    EXPECT_FALSE(cut.SetRich(files[0].substr(0, files[0].size() - 3)));
    EXPECT_EQ(cut.GetWide(), source.GetWide());
    // A guard against endless loops, not a speed test: generous for sanitizer builds.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(120));
}

// How the runs that hold `phrase` are shown: "<size> [bold] [italic] [#RRGGBB]", "mixed" when they
// differ, "absent" when no run holds it.
std::string Shown(const TExLightText& t, const std::string& phrase)
{
    std::string text;
    std::vector<int> runOf;
    for (int i = 0; i < t.Count(); ++i) {
        const TExLightWord& w = *t.GetWords(i);
        text += w.Type == kWordText ? w.Text : " ";
        runOf.resize(text.size(), w.Type == kWordText && w.Text != " " ? i : -1);
    }
    const std::size_t at = text.find(phrase);
    std::string shown = at == std::string::npos ? "absent" : "";
    for (std::size_t k = at; k < at + phrase.size() && at != std::string::npos; ++k) {
        if (runOf[k] < 0)
            continue;
        const TExStyle s = t.EffectiveStyle(*t.GetWords(runOf[k]));
        char rgb[9] = "";
        const TColor c = t.GetColorAttributes().GetColor(s.Color);
        if (s.Color > 0)
            std::snprintf(rgb, sizeof rgb, " #%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
        const std::string one = std::to_string(s.Size) + (s.Bold == 1 ? " bold" : "") +
                                (s.Italic == 1 ? " italic" : "") + rgb;
        shown = shown.empty() || shown == one ? one : "mixed";
    }
    return shown;
}

std::vector<std::string> Words(std::string text)
{
    // A no-break space parts words on the page as a space does.
    for (std::size_t at = text.find("\u00A0"); at != std::string::npos; at = text.find("\u00A0", at))
        text.replace(at, 2, " ");
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

TEST(RtfOtherWriters, WriterFilesReadAsWriterShowsThem)
{
    struct Look {
        const char* file;
        const char* phrase;
        const char* shown;   // sizes in tenths of a point
    };
    const Look looks[] = {
        {"writer-note", "Chicken stock", "120"},
        {"writer-note", "keeps three days", "120 bold"},
        {"writer-note", "red miso", "120 #C00000"},
        {"writer-note", "前日まで", "120 bold"},
        {"writer-note", "材料", "120 bold"},
        {"writer-recipe", "Braised pork belly 豚の角煮", "180 bold"},
        {"writer-recipe", "必ず漉す", "120 bold"},
        {"writer-recipe", "small print 小さな字", "90"},
        {"writer-recipe", "large print 大きな字", "160"},
        {"writer-recipe", "Qty", "120 bold"},
        {"writer-recipe", "盛り付けは温かい器で。", "140 bold #0070C0"},
        {"pandoc-recipe", "Crème brûlée — the chef’s way", "180 bold"},
        {"pandoc-recipe", "“bake low and slow” – never boil.", "120"},
        {"latex2rtf-note", "Chef’s notes", "160 bold"},
        {"latex2rtf-note", "two days — no longer", "100"},
        {"jdk-stock", "Chef’s stock — a base for sauces", "120 bold"},
        {"jdk-stock", "Crème brûlée, café × 2 à 6°C", "120"},
        {"pygments-recipe", "弱火で焼く。\"\"\"", "120 italic #BA2121"},
        {"abiword-recipe", "弱火で煮る。", "120"},
        {"abiword-recipe", "small print 小さな字", "90"},
        {"textedit-recipe", "Crème brûlée", "160 bold"},
        {"textedit-recipe", "材料は日本語", "120"},
        {"textedit-recipe", "“bake low”", "120 #C00000"},
        {"word-list", "Chef’s mise en place", "110 bold"},
        {"word-list", "Serve at once—“hot”.", "110"},
        {"wordpad-list", "Café order", "110 bold"},
        {"wordpad-list", "Crème fraîche", "110"},
    };
    for (const char* file : {"writer-note", "writer-recipe", "pandoc-recipe", "latex2rtf-note", "jdk-stock",
                             "abiword-recipe", "textedit-recipe", "word-list", "wordpad-list", "pygments-recipe"}) {
        const std::string name = file;
        TExLightText read;
        ASSERT_TRUE(read.SetRich(vkttest::RtfData(name + ".rtf"))) << file;
        EXPECT_EQ(Words(platform::Utf16ToUtf8(read.GetWide())), Words(vkttest::RtfData(name + ".txt"))) << file;
        // Stored and read back, every run keeps its size.
        TExLightText stored;
        ASSERT_TRUE(stored.SetRich(read.GetRich())) << file;   // which joins the runs of one look
        stored.Restore();
        EXPECT_EQ(Styles(stored), Styles(read)) << file;
        for (const TExLightText* t : {&read, &stored}) {
            int unsized = 0;
            for (int i = 0; i < t->Count(); ++i)
                unsized += t->EffectiveStyle(*t->GetWords(i)).Size <= 0;
            EXPECT_EQ(unsized, 0) << file;
            for (const Look& look : looks) {
                if (look.file != name)
                    continue;
                EXPECT_EQ(Shown(*t, look.phrase), look.shown) << file << ": " << look.phrase;
            }
            if (name.rfind("writer-", 0) != 0)
                continue;
            // The table's heading row, whose cells are centred each, stands left over its columns.
            int at = 0;
            while (at < t->Count() && t->GetWords(at)->Text != "Qty")
                ++at;
            while (at < t->Count() && t->GetWords(at)->Type != kWordPara)
                ++at;
            ASSERT_LT(at, t->Count()) << file;
            EXPECT_EQ(t->EffectiveParaStyle(*t->GetWords(at)).Align, 0) << file;
        }
    }
}

TEST(RtfReader, SizesFromStyleBasesAndAssociatedFormatting)
{
    const std::string sheet =
        "{\\stylesheet{\\s0\\fs20 Normal;}{\\s1\\sbasedon0 Body;}{\\s2\\sbasedon1\\i List;}{\\s3\\sbasedon4 A;}"
        "{\\s4\\sbasedon3 B;}{\\s5\\sbasedon99 Orphan;}{\\s6\\sbasedon6 Self;}{\\s7\\sbasedon8 Early;}"
        "{\\s8\\sbasedon0\\fs32 Late;}{\\*\\cs9\\sbasedon0 Mark;}}";
    struct Case {
        std::string rtf;
        const char* shown;
    };
    std::string chain = "{\\rtf1{\\stylesheet";
    for (int i = 0; i < 3000; ++i)
        chain += "{\\s" + std::to_string(i) + "\\sbasedon" + std::to_string(i + 1) + " S;}";
    chain += "{\\s3000\\fs40 Root;}}\\plain\\s0 x\\par}";
    const Case cases[] = {
        // a size that neither the run nor its style gives comes from the style's bases
        {"\\plain\\s1 x", "100"},
        {"\\plain\\s2\\i x", "100 italic"},
        {"\\plain\\s7 x", "160"},
        {"\\plain\\s1\\cs9 x", "100"},
        // a cycle, a missing base, a style based on itself: RTF's default
        {"\\plain\\s3 x", "120"},
        {"\\plain\\s5 x", "120"},
        {"\\plain\\s6 x", "120"},
        {chain, "200"},
        {"{\\rtf1 x\\par}", "120"},
        // associated formatting formats the text as its plain twin, except that of right-to-left text
        {"\\plain{\\dbch\\ab x}", "100 bold"},
        {"\\plain{\\ab\\ai x}", "100 bold italic"},
        {"\\plain{\\dbch\\afs40 x}", "200"},
        {"\\plain{\\rtlch\\ab\\ai\\afs40 x}", "100"},
        {"\\plain{\\rtlch\\ab\\ltrch\\ai x}", "100 italic"},
        {"\\plain{\\rtlch\\plain\\ab x}", "100 bold"},
    };
    for (const Case& c : cases) {
        const std::string rtf = c.rtf.front() == '{' ? c.rtf : "{\\rtf1" + sheet + c.rtf + "\\par}";
        TExLightText t;
        EXPECT_TRUE(t.SetRich(rtf)) << c.rtf;
        EXPECT_EQ(Shown(t, "x"), c.shown) << c.rtf;
    }
}

TEST(RtfSourceView, LinesIndentsAndColours)
{
    TExLightText t;
    t.SetAnalyze(true);
    t.SetRich("{\\rtf1{\\info{\\title T}}\\b\\foo1 ab\\par}");
    std::string listing;
    std::string colours;
    for (int i = 0; i < t.Count(); ++i) {
        const TExLightWord& w = *t.GetWords(i);
        listing += w.Type == kWordPara ? "\n" : w.Text;
        if (w.Type == kWordText && w.Text.find_first_not_of(' ') != std::string::npos)
            colours += std::to_string(w.CharStyleIndex);
    }
    EXPECT_EQ(listing, "{\n  \\rtf1\n  {\n    \\info\n    {\n      \\title\"T\"\n    }\n  }\n  \\b\\foo1\"ab\"\n"
                       "  \\par\n}");
    // braces and quotes gray, backslashes green, known names blue, values red, unknown words gray,
    // the skipped destination silver, body text in its own formatting
    EXPECT_EQ(colours, "6453" "6" "222222222" "6" "45" "466" "606" "45" "6");
    EXPECT_EQ(t.GetColorAttributes().GetColor(6), 0x808080);
    EXPECT_EQ(t.GetFontAttributes().GetName(0), "Arial");
}

} // namespace
