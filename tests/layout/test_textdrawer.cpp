// The text and table drawer: text forms, bands, colours, shrinking and wrapping of strings,
// multi-line texts and the grid rows, checked through the recording canvas.
#include "layout/Utextdrawer.h"
#include "support/RecordingCanvas.h"
#include "support/widgets/RecordingPrinter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// The logged lines that start with `prefix` (shared by the container tests).
std::vector<std::string> Matching(const vkttest::RecordingCanvas& canvas, const std::string& prefix)
{
    std::vector<std::string> out;
    for (const std::string& line : canvas.Lines())
        if (line.rfind(prefix, 0) == 0)
            out.push_back(line);
    return out;
}

namespace {

class TextDrawerTest : public testing::Test {
protected:
    void SetUp() override { vkttest::InstallRecordingPrinter(); }
    vkttest::RecordingCanvas canvas{1000, 1000, 96};
    TTextDrawer drawer{canvas};
};

TEST(TextForms, SetsAndAlignmentsReadAndWriteTheirNames)
{
    EXPECT_EQ(FontStylesToString({fsBold, fsStrikeOut}), "Bold,StrikeOut");
    EXPECT_EQ(FontStylesToString({}), "");
    EXPECT_EQ(FontStylesFromString("italic, bold"), (TFontStyles{fsBold, fsItalic}));
    EXPECT_EQ(FontStylesFromString("Bold,Heavy"), (TFontStyles{fsBold}));
    EXPECT_EQ(EdgeBordersToString({ebLeft, ebTop, ebRight, ebBottom}), "Left,Top,Right,Bottom");
    EXPECT_EQ(EdgeBordersFromString("bottom,LEFT"), (TEdgeBorders{ebLeft, ebBottom}));
    const struct { const char* text; int horz; int vert; } cases[] = {
        {"Left", 0, -1}, {"center", 1, 1}, {"Right", 2, -1}, {"Top", -1, 0}, {"BOTTOM", -1, 2}, {"Middle", -1, -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(TextHorzAlignFromString(c.text), c.horz) << c.text;
        EXPECT_EQ(TextVertAlignFromString(c.text), c.vert) << c.text;
    }
    EXPECT_EQ(TextHorzAlignToString(1), "Center");
    EXPECT_EQ(TextVertAlignToString(3), "");
}

TEST(TextValues, DefaultsAndEqualityIncludeTheCharacterSet)
{
    TFontStruct a;
    EXPECT_EQ(a.Name, "ＭＳ Ｐゴシック");
    EXPECT_EQ(a.Size, 100);
    EXPECT_EQ(a.Color, 0);
    TFontStruct b = a;
    b.CharSet = 128;
    EXPECT_NE(a, b);
    TColAttribute c;
    EXPECT_EQ(c.BackColor, 0x1FFFFFFF);
}

TEST(HeaderBands, WrappingPacksColumnsIntoBands)
{
    const struct { std::vector<int> widths; int limit; std::vector<int> bands; } cases[] = {
        {{40, 40, 40}, 100, {2, 1}},
        {{150}, 100, {1}},
        {{40, 150, 40}, 100, {1, 1, 1}},
        {{30, 30, 30}, 0, {7}},   // a limit of 0 keeps the bands
    };
    for (const auto& c : cases) {
        THeaderAttributes headers;
        headers.AddWrap(7);
        for (int w : c.widths)
            headers.Add("", w, 0, 1);
        headers.Wrapping(c.limit, 0, 0);
        std::vector<int> bands;
        for (int i = 0; i < headers.GetWrapCount(); ++i)
            bands.push_back(headers.GetWrap(i));
        EXPECT_EQ(bands, c.bands) << c.limit;
    }
}

TEST(HeaderBands, FontChangesNotifyOnlyWhenDifferent)
{
    THeaderAttributes headers;
    int notices = 0;
    headers.OnChange = [&](THeaderAttributes*) { ++notices; };
    headers.Add("A", 300, 0, 1);
    TFontStruct font = headers.GetFont(3);
    headers.SetFont(3, font);
    font.Size = 120;
    headers.SetFont(3, font);
    EXPECT_EQ(notices, 2);
    EXPECT_EQ(headers.GetFont(3).Size, 120);
}

TEST_F(TextDrawerTest, ColoursAndLogicalFonts)
{
    EXPECT_EQ(TTextDrawer::ColorSaturationDown(platform::RgbColor(255, 0, 0), 50), platform::RgbColor(191, 64, 64));
    TFontStruct ascii;
    ascii.Name = "Arial";
    ascii.Size = 12;
    ascii.Style = {fsBold, fsItalic};
    const platform::FontSpec lf = TTextDrawer::GetLogFont(ascii);
    EXPECT_EQ(lf.Height, -12);
    EXPECT_EQ(lf.Weight, 700);
    EXPECT_TRUE(lf.Italic);
    EXPECT_EQ(lf.CharSet, 0);
    EXPECT_EQ(TTextDrawer::GetLogFont(TFontStruct{}).CharSet, 128);
}

TEST_F(TextDrawerTest, StringsShrinkOrWrapToTheirRectangle)
{
    platform::FontSpec lf;
    lf.Face = "Arial";
    lf.Height = -20;   // 10 pixels per character on the recording canvas
    drawer.DrawString({0, 0, 40, 30}, lf, 0, "abcd");   // inside the rectangle: not clipped
    EXPECT_EQ(Matching(canvas, "Text"), std::vector<std::string>{"TextOut(0,0,\"abcd\")"});

    canvas.ClearLog();
    drawer.DrawString({0, 0, 32, 30}, lf, 0, "abcd");   // 1.25 times too wide: 0.8 of the height, same bottom
    EXPECT_EQ(Matching(canvas, "SetFont").back(), "SetFont(\"Arial\",-16)");
    EXPECT_EQ(Matching(canvas, "TextRect"), std::vector<std::string>{"TextRect(0,0,32,30,0,4,\"abcd\")"});

    canvas.ClearLog();
    drawer.DrawString({0, 0, 20, 100}, lf, 0, "abcdefghij");   // wrapped onto the bottom
    EXPECT_EQ(Matching(canvas, "TextRect"),
              (std::vector<std::string>{"TextRect(0,0,20,100,0,88,\"abcdef\")", "TextRect(0,0,20,100,0,94,\"ghij\")"}));

    canvas.ClearLog();
    drawer.DrawString({5, 5, 5, 30}, lf, 0, "abcd");   // zero width: full size
    EXPECT_EQ(Matching(canvas, "TextRect"), std::vector<std::string>{"TextRect(5,5,5,30,5,5,\"abcd\")"});

    canvas.ClearLog();
    lf.Height = -2;
    canvas.SetAdvance(5);   // every character wider than the rectangle at any size
    drawer.DrawString({0, 0, 1, 10}, lf, 0, "abcdefghijklmnop");   // shrinks to nothing: stops
    EXPECT_TRUE(Matching(canvas, "TextRect").empty());
}

TEST_F(TextDrawerTest, LinesShrinkToTheHeightAndAlignToTheBottom)
{
    TTextAttribute a;
    a.Name = "Arial";
    a.Size = 30;
    a.Text = "ab\r\ncd\nef";
    a.VertAlign = 2;
    a.HorzAlign = 2;
    drawer.DrawTextA({0, 0, 200, 60}, a);   // three lines of 30 in 60: font 2/3
    const auto texts = Matching(canvas, "Text");
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(Matching(canvas, "SetFont")[1], "SetFont(\"Arial\",-20)");
    // Right aligned (width 2 × 10 + 1), the last line ending on the bottom.
    EXPECT_EQ(texts[0], "TextOut(179,0,\"ab\")");
    EXPECT_EQ(texts[2], "TextOut(179,40,\"ef\")");

    canvas.ClearLog();
    a.Text = "x";
    a.Size = 5;
    a.Color = platform::RgbColor(255, 0, 0);
    drawer.DrawTextA({0, 0, 100, 60}, a);   // tiny text is greyed
    EXPECT_EQ(Matching(canvas, "SetTextColor").back(), "SetTextColor(#BF4040)");
}

TEST_F(TextDrawerTest, CentredLinesKeepEveryLineInsideItsBand)
{
    TTextAttribute a;
    a.Name = "Arial";
    a.Size = 10;
    a.Text = "a\nb\nc";
    a.VertAlign = 1;
    drawer.DrawTextA({0, 0, 100, 90}, a);
    // The block of three lines centred, each line whole (its rectangle holds it, so no clip).
    EXPECT_EQ(Matching(canvas, "Text"),
              (std::vector<std::string>{"TextOut(0,30,\"a\")", "TextOut(0,40,\"b\")", "TextOut(0,50,\"c\")"}));
}

TEST_F(TextDrawerTest, GridRowsFillBackgroundsByParityAndAskEveryCell)
{
    THeaderAttributes headers;
    headers.Add("A", 200, 0, 1);
    headers.Add("B", 200, 1, 1);
    headers.AddWrap(2);
    headers.GetFont(1).Name = "Arial";
    std::vector<std::string> asked;
    const TTextQueryEvent query = [&](TTextDrawer*, int col, int row, int tag, std::string& text) {
        asked.push_back(std::to_string(col) + ":" + std::to_string(row) + ":" + std::to_string(tag));
        text = "v" + std::to_string(row);
    };
    drawer.DrawGrid({0, 0, 400, 400}, 10000, 0, true, headers, 3, 500, 0, 0, 50, 0, 0, {ebLeft, ebTop},
                    query, 4, -1, 0x00FF00, 0x0000FF);
    const auto fills = Matching(canvas, "FillRect");
    // No title fill (-1); rows 0 and 2 green, row 1 red, two cells each.
    ASSERT_EQ(fills.size(), 6u);
    EXPECT_NE(fills[0].find("#00FF00"), std::string::npos);
    EXPECT_NE(fills[2].find("#FF0000"), std::string::npos);
    EXPECT_NE(fills[4].find("#00FF00"), std::string::npos);
    EXPECT_EQ(asked.size(), 12u);   // asked again for the text pass
    EXPECT_EQ(asked[1], "1:0:4");
    EXPECT_EQ(std::count_if(canvas.Lines().begin(), canvas.Lines().end(),
                            [](const std::string& l) { return l.find("\"v2\"") != std::string::npos; }),
              2);

    canvas.ClearLog();
    drawer.DrawGrid({0, 0, 400, 400}, 1000, 1, true, headers, 1, 500, 0, 0, 10, 0, 0, {ebLeft}, {}, 0, -1, -1, -1);
    // 0.1 mm at 10 %: a one-pixel hairline in a lighter colour.
    const auto pens = Matching(canvas, "SetPen");
    ASSERT_FALSE(pens.empty());
    EXPECT_EQ(pens.front(), "SetPen(#7C7C7C,1,Solid)");
    EXPECT_TRUE(Matching(canvas, "FillRect").empty());
}

TEST_F(TextDrawerTest, RulesFollowTheTextsAndTouchingCellsShareThem)
{
    TColsAttribute cols;
    for (const char* text : {"a", "b", "c"}) {
        TColAttribute cell;
        cell.Size = 10;
        cell.Width = 40;
        cell.Text = text;
        cols.Add(cell);
    }
    const struct {
        int gap;
        TEdgeBorders borders;
        std::vector<std::string> lines;
    } cases[] = {
        // Touching cells: one rule across the row, the inner columns once.
        {0, {ebLeft, ebTop, ebRight, ebBottom},
         {"MoveTo(10,0)", "LineTo(130,0)", "MoveTo(10,20)", "LineTo(130,20)", "MoveTo(10,0)", "LineTo(10,20)",
          "MoveTo(50,0)", "LineTo(50,20)", "MoveTo(90,0)", "LineTo(90,20)", "MoveTo(130,0)", "LineTo(130,20)"}},
        // Apart: a piece of rule and two columns per cell.
        {5, {ebTop, ebRight},
         {"MoveTo(10,0)", "LineTo(50,0)", "MoveTo(55,0)", "LineTo(95,0)", "MoveTo(100,0)", "LineTo(140,0)",
          "MoveTo(50,0)", "LineTo(50,20)", "MoveTo(95,0)", "LineTo(95,20)", "MoveTo(140,0)", "LineTo(140,20)"}},
    };
    for (const auto& c : cases) {
        canvas.ClearLog();
        drawer.DrawCols({10, 0, 200, 20}, 10000, cols, 0, 1, 0, c.gap, c.borders, false);
        std::vector<std::string> lines;
        bool textAfterRule = false;
        for (const std::string& line : canvas.Lines()) {
            if (line.rfind("MoveTo", 0) == 0 || line.rfind("LineTo", 0) == 0)
                lines.push_back(line);
            else if (line.rfind("Text", 0) == 0)
                textAfterRule = textAfterRule || !lines.empty();
        }
        EXPECT_EQ(lines, c.lines) << "gap " << c.gap;
        EXPECT_FALSE(textAfterRule) << "gap " << c.gap;
    }
}

} // namespace
