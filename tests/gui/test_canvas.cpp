#include "gui/BitmapCanvas.h"
#include "gui/FontTable.h"
#include "gui/Image.h"
#include "gui/PageRecording.h"
#include "gui/Region.h"
#include "support/CanvasScene.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QFontInfo>
#include <QPainter>

#include <string>
#include <utility>

namespace {

using namespace platform;
using vkttest::CanvasScene;

constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kBlack = 0x000000;

// The bounding box of the pixels that are not white; empty when there are none.
Rect InkBounds(const BitmapCanvas& canvas, const Rect& area)
{
    Rect ink{area.Right, area.Bottom, area.Left, area.Top};
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x)
            if (canvas.GetPixel(x, y) != kWhite) {
                ink.Left = std::min(ink.Left, x);
                ink.Top = std::min(ink.Top, y);
                ink.Right = std::max(ink.Right, x + 1);
                ink.Bottom = std::max(ink.Bottom, y + 1);
            }
    return ink.IsEmpty() ? Rect{} : ink;
}

std::string Text(const Rect& r)
{
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom);
}

class SceneTest : public testing::TestWithParam<int> {
protected:
    SceneTest() : scene(GetParam()), canvas(scene.Size.Right, scene.Size.Bottom, GetParam()) { scene.Draw(canvas); }
    CanvasScene scene;
    BitmapCanvas canvas;
};

TEST_P(SceneTest, FiguresStayInsideTheirRectangles)
{
    struct Case {
        const char* what;
        Point at;
        TColor expected;
    };
    const Rect& f = scene.Filled;
    const Rect& r = scene.Framed;
    const Rect& o = scene.Rounded;
    const Rect& m = scene.Masked;
    const Case cases[] = {
        {"fill: first column", {f.Left, f.Top}, vkttest::kSceneBlue},
        {"fill: last column", {f.Right - 1, f.Bottom - 1}, vkttest::kSceneBlue},
        {"fill: column Right", {f.Right, f.Top + 2}, kWhite},
        {"fill: row Bottom", {f.Left + 2, f.Bottom}, kWhite},
        {"rectangle: outline on Left", {r.Left, r.Top + 3}, kBlack},
        {"rectangle: outline on Right - 1", {r.Right - 1, r.Top + 3}, kBlack},
        {"rectangle: outline on Bottom - 1", {r.Left + 3, r.Bottom - 1}, kBlack},
        {"rectangle: nothing on Right", {r.Right, r.Top + 3}, kWhite},
        {"rectangle: brush inside", {r.Left + 2, r.Top + 2}, 0x00FFFF},
        {"round rect: corner left out", {o.Left + 1, o.Top + 1}, kWhite},
        {"round rect: middle of its top edge", {(o.Left + o.Right) / 2, o.Top}, kBlack},
        {"round rect: inside", {(o.Left + o.Right) / 2, (o.Top + o.Bottom) / 2}, 0x00A000},
        {"mask: centre filled", {(m.Left + m.Right) / 2, (m.Top + m.Bottom) / 2}, vkttest::kSceneRed},
        {"mask: corner outside the ellipse", {m.Left + 1, m.Top + 1}, kWhite},
        {"mask: clip undone afterwards", {m.Right - 1, m.Bottom - 1}, kWhite},
        {"mirrored image: blue on the left", {scene.Mirrored.Left + 1, scene.Mirrored.Top + 1}, vkttest::kSceneBlue},
        {"mirrored image: red on the right", {scene.Mirrored.Right - 2, scene.Mirrored.Bottom - 2}, vkttest::kSceneRed},
        {"metafile: frame scaled to the corner", {scene.Replayed.Left, scene.Replayed.Top}, vkttest::kSceneMagenta},
        {"metafile: frame scaled to the far corner", {scene.Replayed.Right - 1, scene.Replayed.Bottom - 1},
         vkttest::kSceneMagenta},
    };
    for (const Case& c : cases)
        EXPECT_EQ(canvas.GetPixel(c.at.X, c.at.Y), c.expected) << c.what << " at " << c.at.X << "," << c.at.Y;
}

TEST_P(SceneTest, TextInkStaysInsideTheMeasuredCell)
{
    canvas.SetFont(scene.Font);
    const Point extent = canvas.TextExtent("献立表 Menu");
    const FontMetrics metrics = canvas.GetFontMetrics();
    EXPECT_EQ(extent.Y, metrics.Height);
    const Rect cell{scene.Upright.X, scene.Upright.Y, scene.Upright.X + extent.X, scene.Upright.Y + extent.Y};
    const Rect around{cell.Left - 10, cell.Top - 10, cell.Right + 10, cell.Bottom + 10};
    const Rect ink = InkBounds(canvas, around);
    ASSERT_FALSE(ink.IsEmpty());
    // The text's top is at y: the ink starts below it (the internal leading) and stays inside.
    EXPECT_GE(ink.Top, cell.Top) << Text(ink) << " in " << Text(cell);
    EXPECT_GT(ink.Top, cell.Top) << "a CJK face has leading above its glyphs";
    EXPECT_LE(ink.Bottom, cell.Bottom) << Text(ink) << " in " << Text(cell);
    EXPECT_GE(ink.Left, cell.Left) << Text(ink) << " in " << Text(cell);
    EXPECT_LE(ink.Right, cell.Right) << Text(ink) << " in " << Text(cell);
    EXPECT_GT(ink.Right, cell.Right - scene.Scale(12)) << "the text fills its measured width";
}

TEST_P(SceneTest, EscapementTurnsTextAroundTheCellsTopLeft)
{
    canvas.SetFont(scene.Font);
    const Point extent = canvas.TextExtent("縦書きの原価");
    // Escapement 2700 (counter-clockwise) runs downward; the cell lies left of the origin.
    const Point& at = scene.Turned;
    const Rect turned{at.X - extent.Y, at.Y, at.X, at.Y + extent.X};
    const int margin = scene.Scale(4);
    const Rect ink = InkBounds(
        canvas, Rect{turned.Left - margin, turned.Top - margin, turned.Right + margin, turned.Bottom + margin});
    EXPECT_GE(ink.Left, turned.Left) << Text(ink) << " in " << Text(turned);
    EXPECT_LE(ink.Right, turned.Right) << Text(ink) << " in " << Text(turned);
    EXPECT_GE(ink.Top, turned.Top) << Text(ink) << " in " << Text(turned);
    EXPECT_LE(ink.Bottom, turned.Bottom) << Text(ink) << " in " << Text(turned);
    EXPECT_GT(ink.Height(), 4 * ink.Width()) << "runs down, not across";
}

TEST_P(SceneTest, XorTwiceRestoresTheImageAndNotTwiceToo)
{
    const Image before = canvas.GetImage();
    for (const RasterOp op : {RasterOp::Xor, RasterOp::Not}) {
        canvas.SetRasterOp(op);
        canvas.FillRect(scene.Size, 0x123456);
        canvas.SetRasterOp(RasterOp::Copy);
        EXPECT_NE(canvas.GetImage().ToPicture(), before.ToPicture()) << "one pass changes the image";
        canvas.SetRasterOp(op);
        canvas.SetPen(Pen{0x123456, 0, PenStyle::Solid});
        canvas.SetBrush(Brush{0x123456, false});
        canvas.FillRect(scene.Size, 0x123456);
        canvas.SetRasterOp(RasterOp::Copy);
        EXPECT_EQ(canvas.GetImage().ToPicture(), before.ToPicture()) << "two passes restore it";
    }
}

INSTANTIATE_TEST_SUITE_P(Dpi, SceneTest, testing::Values(96, 300));

TEST(Canvas, LinesLeaveOutTheirEndPixel)
{
    BitmapCanvas canvas(40, 40);
    canvas.MoveTo(5, 5);
    canvas.LineTo(15, 5);
    canvas.LineTo(15, 15);
    canvas.Polyline({{20, 20}, {30, 20}});
    const struct {
        Point at;
        TColor expected;
    } cases[] = {
        {{5, 5}, kBlack}, {{14, 5}, kBlack}, {{15, 5}, kBlack} /* the next line's start */, {{15, 14}, kBlack},
        {{15, 15}, kWhite}, {{16, 5}, kWhite}, {{29, 20}, kBlack}, {{30, 20}, kWhite},
    };
    for (const auto& c : cases) EXPECT_EQ(canvas.GetPixel(c.at.X, c.at.Y), c.expected) << c.at.X << "," << c.at.Y;
}

TEST(Canvas, PolygonFillsByTheOddEvenRule)
{
    BitmapCanvas canvas(100, 100);
    canvas.SetPen(Pen{0, 0, PenStyle::Null});
    canvas.SetBrush(Brush{0x0000FF, false});
    // A five-pointed star: its middle is covered twice and stays empty.
    canvas.Polygon({{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}});
    EXPECT_EQ(canvas.GetPixel(50, 50), kWhite);
    EXPECT_EQ(canvas.GetPixel(50, 15), 0x0000FF);
}

TEST(Canvas, ClipNestsWithSaveAndReadsBack)
{
    BitmapCanvas canvas(50, 50);
    EXPECT_EQ(canvas.GetClip(), Region(Rect{0, 0, 50, 50}));
    canvas.Save();
    canvas.IntersectClip(Rect{10, 10, 30, 30});
    canvas.IntersectClip(Region(Rect{20, 0, 50, 50}));
    EXPECT_EQ(canvas.GetClip(), Region(Rect{20, 10, 30, 30}));
    canvas.FillRect(Rect{0, 0, 50, 50}, 0x0000FF);
    canvas.Restore();
    EXPECT_EQ(canvas.GetClip(), Region(Rect{0, 0, 50, 50}));
    EXPECT_EQ(InkBounds(canvas, Rect{0, 0, 50, 50}), (Rect{20, 10, 30, 30}));
}

TEST(Canvas, RasterOpsDrawNothingOffImages)
{
    PageRecorder recorder(20, 20, 96);
    recorder.GetCanvas().SetRasterOp(RasterOp::Xor);
    recorder.GetCanvas().FillRect(Rect{0, 0, 20, 20}, 0x0000FF);
    recorder.GetCanvas().SetRasterOp(RasterOp::Copy);
    recorder.GetCanvas().FillRect(Rect{0, 0, 5, 5}, 0x0000FF);
    const PageRecording metafile = recorder.Finish();
    BitmapCanvas canvas(20, 20);
    canvas.DrawMetafile(Rect{0, 0, 20, 20}, metafile);
    EXPECT_EQ(InkBounds(canvas, Rect{0, 0, 20, 20}), (Rect{0, 0, 5, 5}));
}

// A clip the picture set while recorded narrows the replay's clip; it never widens it (a grid's
// bands replayed side by side drew their cells twice). Nor does a restore that ends a recorded
// clip let the rest of the picture draw beyond the picture's rectangle (it replayed unclipped, and
// a band drew the row across its seam over the next band's).
TEST(PageRecording, RecordedClipsStayInsideTheReplaysClip)
{
    {
        PageRecorder recorder(20, 20, 96);
        recorder.GetCanvas().IntersectClip(Rect{0, 0, 20, 20});
        recorder.GetCanvas().FillRect(Rect{0, 0, 20, 20}, 0x0000FF);
        const PageRecording metafile = recorder.Finish();
        BitmapCanvas canvas(20, 20);
        canvas.IntersectClip(Rect{0, 0, 20, 10});
        canvas.DrawMetafile(Rect{0, 0, 20, 20}, metafile);
        EXPECT_EQ(InkBounds(canvas, Rect{0, 0, 20, 20}), (Rect{0, 0, 20, 10}));
    }
    PageRecorder recorder(20, 10, 96);
    {
        const CanvasState state(recorder.GetCanvas());
        recorder.GetCanvas().IntersectClip(Rect{0, 0, 5, 5});
        recorder.GetCanvas().FillRect(Rect{0, 0, 5, 5}, 0x0000FF);
    }
    recorder.GetCanvas().FillRect(Rect{0, 0, 20, 20}, 0x0000FF);
    const PageRecording metafile = recorder.Finish();
    BitmapCanvas canvas(20, 20);
    canvas.DrawMetafile(Rect{0, 0, 20, 10}, metafile);
    EXPECT_EQ(InkBounds(canvas, Rect{0, 0, 20, 20}), (Rect{0, 0, 20, 10}));
}

// The columns with a dark pixel (a picture's text may sit a pixel higher: QPicture replays it
// from an integral ascent).
std::string InkColumns(const Picture& picture)
{
    std::string columns;
    for (int x = 0; x < picture.GetWidth(); ++x) {
        bool dark = false;
        for (int y = 0; y < picture.GetHeight() && !dark; ++y) {
            const TColor c = picture.GetPixel(x, y);
            dark = (c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF) < 3 * 0x60;
        }
        columns += dark ? '#' : '.';
    }
    return columns;
}

// Draws through the canvas straight into an image and through a picture replayed into one.
template <typename Draw>
std::pair<Picture, Picture> DirectAndReplayed(int width, int height, Draw draw)
{
    BitmapCanvas direct(width, height);
    draw(static_cast<Canvas&>(direct));
    PageRecorder recorder(width, height, 96);
    draw(recorder.GetCanvas());
    BitmapCanvas replayed(width, height);
    replayed.DrawMetafile(Rect{0, 0, width, height}, recorder.Finish());
    return {direct.GetImage().ToPicture(), replayed.GetImage().ToPicture()};
}

TEST(PageRecording, ReplaysTextsWhereTheImageHasThem)
{
    // Set whole (kana, digits, Latin, ligature candidates) or character by character (a combining
    // mark, a character no face has, a tab), on a background and underlined.
    const char* const texts[] = {"玉ねぎ12", "office fi ffl", "A B", "か\xE3\x82\x99ﾊﾟ", "a\tb", "x\xEE\x80\x80y"};
    for (const char* text : texts)
        for (const bool dressed : {false, true}) {
            const auto [direct, replayed] = DirectAndReplayed(160, 30, [&](Canvas& canvas) {
                canvas.FillRect(Rect{0, 0, 160, 30}, kWhite);
                FontSpec font;
                font.Face = "ＭＳ Ｐゴシック";
                font.Height = -16;
                font.Underline = dressed;
                canvas.SetFont(font);
                canvas.SetBrush(Brush{0xC0FFC0, !dressed});
                canvas.SetTextColor(0x800000);
                canvas.TextOut(3, 5, text);
            });
            EXPECT_EQ(InkColumns(direct), InkColumns(replayed)) << text << (dressed ? " on a background, underlined" : "");
        }
}

TEST(Canvas, FiguresKeepTheirPenAndBrushBetweenTextsAndFills)
{
    const auto draw = [](Canvas& canvas) {
        canvas.FillRect(Rect{0, 0, 60, 40}, kWhite);
        canvas.SetPen(Pen{0x0000FF, 1, PenStyle::Solid});
        canvas.SetBrush(Brush{0x00FFFF, false});
        FontSpec font;
        font.Face = "ＭＳ Ｐゴシック";
        font.Height = -12;
        canvas.SetFont(font);
        canvas.SetTextColor(0xFF0000);
        canvas.TextOut(0, 0, "字");
        canvas.MoveTo(0, 20);
        canvas.LineTo(30, 20);
        canvas.FillRect(Rect{40, 0, 50, 10}, 0x00FF00);
        canvas.Rectangle(Rect{30, 25, 50, 35});
        if (QPainter* painter = canvas.GetPainter()) {
            painter->setPen(QColor(0, 255, 0));
            painter->setBrush(QColor(255, 0, 255));
        }
        canvas.MoveTo(0, 38);
        canvas.LineTo(30, 38);
        canvas.Ellipse(Rect{52, 0, 60, 20});
    };
    BitmapCanvas direct(60, 40);
    draw(direct);
    const auto [image, replayed] = DirectAndReplayed(60, 40, draw);
    EXPECT_EQ(InkColumns(image), InkColumns(replayed));
    const struct {
        const char* what;
        Point at;
        TColor expected;
    } cases[] = {
        {"line after a text: the pen", {10, 20}, 0x0000FF},
        {"fill", {45, 5}, 0x00FF00},
        {"rectangle after a fill: outline", {30, 30}, 0x0000FF},
        {"rectangle after a fill: brush", {40, 30}, 0x00FFFF},
        {"line after the painter was handed out", {10, 38}, 0x0000FF},
        {"ellipse after the painter was handed out", {56, 10}, 0x00FFFF},
    };
    for (const auto& c : cases) EXPECT_EQ(direct.GetPixel(c.at.X, c.at.Y), c.expected) << c.what;
}

TEST(Canvas, FontHeightsSelectEmOrCell)
{
    BitmapCanvas canvas(10, 10);
    FontSpec font;
    font.Face = "ＭＳ Ｐゴシック";
    font.Height = 20;
    canvas.SetFont(font);
    const FontMetrics cell = canvas.GetFontMetrics();
    EXPECT_EQ(cell.Height, 20);
    EXPECT_EQ(cell.Ascent + cell.Descent, 20);
    font.Height = -20;
    canvas.SetFont(font);
    const FontMetrics em = canvas.GetFontMetrics();
    EXPECT_EQ(em.Height - em.InternalLeading, 20);
    EXPECT_GT(em.InternalLeading, 0);

    font.Height = 0;
    canvas.SetFont(font);
    EXPECT_EQ(canvas.CharEdges("ab"), (std::vector<int>{0, 0}));
    EXPECT_EQ(canvas.TextExtent("ab"), (Point{0, 0}));
    canvas.TextOut(0, 0, "ab");
    EXPECT_TRUE(InkBounds(canvas, Rect{0, 0, 10, 10}).IsEmpty());
}

TEST(Canvas, AFaceNotInstalledDrawsInItsFamilysClass)
{
    struct Case {
        int pitchAndFamily;
        const char* drawnIn;   // a word of the face drawn
    };
    const Case cases[] = {
        {0x12, "Serif"},   // roman (RTF \froman), as a word processor names a serif face we lack
        {0x31, "Mono"},    // modern
        {0x22, "Sans"},    // swiss
        {0x00, "Sans"},    // no class: the Japanese fallback
    };
    for (const Case& c : cases) {
        FontSpec spec;
        spec.Face = "Vektara Absent Face";
        spec.Height = -16;
        spec.PitchAndFamily = c.pitchAndFamily;
        const QString family = QFontInfo(MakeQFont(spec, 96)).family();
        EXPECT_TRUE(family.contains(QLatin1String(c.drawnIn))) << c.pitchAndFamily << ": " << family.toStdString();
    }
}

TEST(Canvas, CharEdgesCountCodePointsAndGrowWithTheText)
{
    BitmapCanvas canvas(10, 10);
    FontSpec font;
    font.Face = "Arial";
    font.Height = -16;
    canvas.SetFont(font);
    const std::vector<int> edges = canvas.CharEdges("aé漢\xF0\x9F\x8D\xA3" "b");
    ASSERT_EQ(edges.size(), 5u);
    for (std::size_t i = 1; i < edges.size(); ++i) EXPECT_GT(edges[i], edges[i - 1]) << i;
    EXPECT_EQ(canvas.TextExtent("aé漢\xF0\x9F\x8D\xA3" "b").X, edges.back());
    EXPECT_EQ(canvas.CharEdges("a\xFF" "b").size(), 3u) << "a broken byte counts as one character";

    font.Width = canvas.GetFontMetrics().AveCharWidth * 2;
    const int narrow = canvas.TextExtent("abcdef").X;
    canvas.SetFont(font);
    EXPECT_NEAR(canvas.TextExtent("abcdef").X, 2 * narrow, narrow / 10) << "Width stretches the characters";
}

TEST(Canvas, ImagesConvertBothWays)
{
    Picture picture(3, 2, 0x112233);
    picture.SetPixel(2, 1, 0x445566);
    const Image image(picture);
    EXPECT_EQ(image.GetWidth(), 3);
    EXPECT_EQ(image.ToPicture(), picture);
    BitmapCanvas canvas(6, 4);
    canvas.DrawImage(Rect{0, 0, 6, 4}, image, Rect{0, 0, 3, 2}, false, true);
    EXPECT_EQ(canvas.GetPixel(5, 0), 0x445566) << "mirrored upside down and scaled twice";
    EXPECT_EQ(canvas.GetPixel(0, 3), 0x112233);
}

TEST(Region, CombinesShapes)
{
    const Region a(Rect{0, 0, 10, 10});
    const Region b(Rect{5, 0, 15, 10});
    EXPECT_EQ(a.And(b).Bounds(), (Rect{5, 0, 10, 10}));
    EXPECT_EQ(a.Or(b).Bounds(), (Rect{0, 0, 15, 10}));
    EXPECT_EQ(a.Diff(b), Region(Rect{0, 0, 5, 10}));
    EXPECT_FALSE(a.Xor(b).Contains(7, 5));
    EXPECT_TRUE(a.Xor(b).Contains(12, 5));
    EXPECT_EQ(a.Offset(3, 4).Bounds(), (Rect{3, 4, 13, 14}));

    const Region ellipse = Region::FromEllipse(Rect{0, 0, 20, 10});
    EXPECT_TRUE(ellipse.Contains(10, 5));
    EXPECT_FALSE(ellipse.Contains(0, 0));
    EXPECT_EQ(ellipse.Bounds(), (Rect{0, 0, 20, 10}));
    const Region round = Region::FromRoundRect(Rect{0, 0, 20, 20}, 10, 10);
    EXPECT_FALSE(round.Contains(0, 0));
    EXPECT_TRUE(round.Contains(10, 0));
    EXPECT_TRUE(Region(Rect{5, 5, 5, 9}).IsEmpty());
}

} // namespace
