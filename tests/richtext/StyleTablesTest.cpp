#include "richtext/Uextexthelper.h"
#include "support/RecordingCanvas.h"

#include <gtest/gtest.h>

namespace {

TExStyle Unset() { return TExStyle().Invisible(); }

TEST(ExStyle, RTStringOfClearedPartialAndMixedStyles)
{
    struct Case {
        const char* what;
        TExStyle style;
        const char* expected;
    };
    TExStyle ascii;
    ascii.CharClass = 1;
    ascii.LowFont = 3;
    ascii.Size = 105;
    ascii.Color = 2;
    ascii.ULColor = 2;
    ascii.Bold = 1;
    ascii.Underline = 1;
    TExStyle euro;
    euro.CharClass = 2;
    euro.HighFont = 4;
    euro.Strike = 2;
    euro.ULColor = 5;
    euro.Highlight = 3;
    euro.Italic = 1;
    euro.Outline = 1;
    TExStyle wide;
    wide.CharClass = 12;
    wide.DBFont = 1;
    wide.Size = 99;
    const Case cases[] = {
        {"cleared", TExStyle(), "\\loch\\af0\\hich\\af0\\dbch\\af0"},
        {"ascii", ascii, "\\hich\\af0\\dbch\\af0\\loch\\f3\\fs21\\cf2\\b\\ul"},
        {"euro", euro, "\\loch\\af0\\dbch\\af0\\hich\\f4\\i\\outl\\striked1\\ulc5\\highlight3"},
        {"full-width space", wide, "\\loch\\af0\\hich\\af0\\dbch\\f1\\fs19"},
        // unset fields write nothing, no bare association word either (other readers take it as
        // font 0): a partial character entry read back sets no strike or font
        {"unset", Unset(), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.style.RTString(), c.expected) << c.what;
}

TEST(ExStyle, UnderlineWords)
{
    const char* const words[] = {"",        "\\ul",         "\\ulw",      "\\uldb",      "\\ulth",     "\\uld",
                                 "\\ulthd", "\\uldash",     "\\ulthdash", "\\ulldash",   "\\ulthldash", "\\uldashd",
                                 "\\ulthdashd", "\\uldashdd", "\\ulthdashdd", "\\ulwave", "\\ulhwave", "\\ululdbwave",
                                 "\\ul"};
    for (int kind = 0; kind <= 18; ++kind) {
        TExStyle s;
        s.Underline = static_cast<std::uint8_t>(kind);
        EXPECT_EQ(s.RTString(), std::string("\\loch\\af0\\hich\\af0\\dbch\\af0") + words[kind]) << kind;
    }
}

TEST(ExStyle, MergeOperators)
{
    TExStyle a;
    a.Size = 105;
    a.Bold = 1;
    a.Color = 2;
    TExStyle b;
    b.Size = 120;
    b.Bold = 1;
    b.Color = 3;

    TExStyle common = a & b;
    EXPECT_EQ(common.Size, -1);
    EXPECT_EQ(common.Color, -1);
    EXPECT_EQ(common.Bold, 1);
    EXPECT_EQ(Unset() & a, Unset());
    EXPECT_EQ(a & a, a);

    TExStyle partial = Unset();
    partial.Italic = 1;
    partial.Size = 90;
    TExStyle added = a + partial;
    EXPECT_EQ(added.Italic, 1);
    EXPECT_EQ(added.Size, 90);
    EXPECT_EQ(added.Color, 2);
    EXPECT_EQ(a + Unset(), a);
    TExStyle shifted = a;
    shifted << partial;
    EXPECT_EQ(shifted, added);

    TExStyle diff = a - a;
    EXPECT_EQ(diff.DBFont, -1);
    EXPECT_EQ(diff.CharClass, -1);
    EXPECT_EQ(diff.Size, 0);
    EXPECT_EQ(diff.Spare, 255);
    EXPECT_EQ(diff.Strike, 255);
    diff = a - b;
    EXPECT_EQ(diff.Size, 105);
    EXPECT_EQ(diff.Bold, 255);

    EXPECT_TRUE(added.EqualLimited(partial));
    EXPECT_FALSE(a.EqualLimited(partial));
    TExStyle spare = a;
    spare.Spare = 1;
    EXPECT_NE(spare, a);
}

TEST(ExParaStyle, RTStringAndStates)
{
    TExParaStyle p;
    EXPECT_TRUE(p.Visible());
    EXPECT_EQ(p.RTString(), "\\fi0\\li0\\ri0\\sb0\\sa0\\sl240\\slmult1\\cufi0\\culi0\\curi0\\lisb0\\lisa0");
    p.OutlineLevel = 3;
    p.Align = 1;
    p.FirstIndent = -210;
    EXPECT_EQ(p.RTString(),
              "\\qc\\fi-210\\li0\\ri0\\sb0\\sa0\\sl240\\slmult1\\keepn\\outlinelevel2\\cufi0\\culi0\\curi0\\lisb0\\lisa0");

    TExParaStyle none = TExParaStyle().Invisible();
    EXPECT_FALSE(none.Visible());
    EXPECT_FALSE(none.Enabled());
    EXPECT_EQ(none.RTString(), "");
    none.LeftIndent = 420;
    EXPECT_TRUE(none.Enabled());
    EXPECT_EQ((TExParaStyle() + none).LeftIndent, 420);
    EXPECT_EQ((TExParaStyle() - TExParaStyle()).RTString(), "");
    EXPECT_EQ((p & TExParaStyle()).Align, 255);
}

TEST(ExDocStyle, ClearedRTString)
{
    TExDocStyle d;
    EXPECT_EQ(d.RTString(), "\\paperw12240\\paperh15480\\margl1800\\margr1800\\margt1440\\margb1440\\pgnstart0"
                            "\\deff0\\viewkind1\\dgmargin\\dghspace105\\dgvspace180\\dghorigin851\\dgvorigin567\\lnongrid");
    d.FacingPages = d.Landscape = 1;
    EXPECT_NE(d.RTString().find("\\pgnstart0\\facingp\\landscape\\deff0"), std::string::npos);
    EXPECT_EQ(TExDocStyle().DefaultTab, 840);
}

TEST(Tables, FontTableDefaultsAndIndexRules)
{
    TFontAttributes fonts;
    EXPECT_EQ(fonts.GetRTString(), "{\\fonttbl\r\n{\\f0\\fswiss\\fcharset0\\fprq2 Arial;}\r\n"
                                   "{\\f1\\fmodern\\fcharset128\\fprq2 \\'82\\'6C\\'82\\'72 "
                                   "\\'82\\'6F\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4E;}\r\n}");
    EXPECT_EQ(fonts.IndexOfFont("Arial", 0, 0x22), 2);   // entry 0 is never matched
    EXPECT_EQ(fonts.IndexOfFont("Arial", 0, 0x22), 2);
    EXPECT_EQ(fonts.AddFont(5, "ＭＳ Ｐゴシック", 128, 0x32), 1);
    EXPECT_EQ(fonts.AddFont(0, "Times {x}", 0, 0x12), 0);
    EXPECT_EQ(fonts.GetName(0), "Times {x}");
    EXPECT_NE(fonts.GetRTString().find("{\\f0\\froman\\fcharset0\\fprq2 Times \\{x\\};}"), std::string::npos);

    TFontAttributes copy;
    copy.SetFixedFont(true);
    copy.Assign(&fonts);
    EXPECT_EQ(copy.GetFamily(0), 0x11);
    copy.Clear();
    EXPECT_EQ(copy.GetName(1), "ＭＳ ゴシック");
    EXPECT_EQ(copy.GetFamily(0) & 3, 1);
    EXPECT_EQ(copy.GetFamily(1) & 3, 1);
    copy.SetFixedFont(false);
    EXPECT_EQ(copy.GetFamily(0) & 3, 1);

    const platform::FontSpec spec = fonts.GetLOGFONT(99);
    EXPECT_EQ(spec.Face, "Times {x}");
    EXPECT_EQ(spec.CharSet, 0);
    EXPECT_EQ(spec.PitchAndFamily, 0x12);
}

TEST(Tables, ColourAndStyleTables)
{
    TColorAttributes colors;
    EXPECT_EQ(colors.AddColor(0), 1);
    EXPECT_EQ(colors.AddColor(255, 0, 0), 2);
    EXPECT_EQ(colors.AddColor(0x00FF00), 3);
    EXPECT_EQ(colors.AddColor(255, 0, 0), 2);
    EXPECT_EQ(colors.GetRTString(),
              "{\\colortbl;\r\n\\red0\\green0\\blue0;\r\n\\red255\\green0\\blue0;\r\n\\red0\\green255\\blue0;\r\n}");
    TColorAttributes empty;
    empty.Assign(&colors);
    EXPECT_EQ(empty.Count(), 4);

    TStyleAttributes styles;
    EXPECT_EQ(styles.GetRTString(), "{\\stylesheet\r\n{\\fi0\\li0\\ri0\\sb0\\sa0\\sl240\\slmult1\\cufi0\\culi0\\curi0"
                                    "\\lisb0\\lisa0\\loch\\af1\\hich\\af0\\dbch\\af1\\fs21\\snext0\\sbasedon0 Normal;}\r\n}");
    TExStyle bold;
    bold.Bold = 1;
    EXPECT_EQ(styles.IndexOfStyle("見出し", bold, TExParaStyle()), 1);
    EXPECT_EQ(styles.IndexOfStyle("other", bold, TExParaStyle()), 1);
    EXPECT_EQ(styles.GetName(1), "見出し");
    EXPECT_EQ(styles.IndexOfStyle("強調", bold, TExParaStyle().Invisible()), 2);
    const std::string sheet = styles.GetRTString();
    EXPECT_NE(sheet.find("{\\s1\\fi0"), std::string::npos);
    EXPECT_NE(sheet.find("{\\*\\cs2\\loch\\af0\\hich\\af0\\dbch\\af0\\b\\snext0\\sbasedon0 \\'8B\\'AD\\'92\\'B2;}"),
              std::string::npos);

    int changes = 0;
    styles.OnChange = [&](TStyleAttributes*, int index, const TExParaStyle&, const TExStyle& old) {
        ++changes;
        EXPECT_EQ(index, 1);
        EXPECT_EQ(old.Bold, 1);
    };
    styles.SetStyle(1, TExStyle());
    styles.SetName(1, "x");
    EXPECT_EQ(changes, 1);

    TStyleAttributes none;
    TStyleAttributes assigned;
    none.AddStyle(0, "", TExStyle(), TExParaStyle());
    assigned.Assign(&none);
    EXPECT_EQ(assigned.Count(), 1);
}

TEST(Tables, ExtentsOnFixedMetrics)
{
    vkttest::RecordingCanvas canvas;
    canvas.SetAdvance(7);
    SetMeasureCanvas(&canvas);
    TFontAttributes fonts;
    TExStyle style;
    style.Size = 150;   // 20 pixels at 96 per inch
    style.CharClass = 4;
    std::vector<int> extents;
    int ascent = 0, descent = 0;
    fonts.GetExtent(style, "日本", &extents, ascent, descent);
    EXPECT_EQ(ascent, 16);
    EXPECT_EQ(descent, 4);
    EXPECT_EQ(extents, (std::vector<int>{14, 14, 28, 28}));
    style.CharClass = 1;
    fonts.GetExtent(style, "ab", &extents, ascent, descent);
    EXPECT_EQ(extents, (std::vector<int>{7, 14}));
    fonts.GetHeight(0, ascent, descent);
    EXPECT_EQ(ascent + descent, 2048);
    SetMeasureCanvas(nullptr);
}

} // namespace
