// The content containers one by one: text placement, graphic pixels and plane geometry, image
// cells and pictures, grid paging and painting, chart series and axes.
#include "core/Ucolorsupport.h"
#include "core/Uvktsupport.h"
#include "gui/BitmapCanvas.h"
#include "gui/QtSupport.h"
#include "layout/Preview.h"
#include "layout/Uchartcontainer.h"
#include "layout/Ugraphiccontainer.h"
#include "layout/Ugridcontainer.h"
#include "layout/Uimagecontainer.h"
#include "layout/Umathsupport.h"
#include "layout/Utextcontainer.h"
#include "platform/Bitmap.h"
#include "platform/DateTime.h"
#include "platform/Files.h"
#include "platform/JpegWriter.h"
#include "support/Command.h"
#include "support/RecordingCanvas.h"
#include "support/ScriptedServices.h"
#include "support/TestPictures.h"
#include "support/widgets/RecordingPrinter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <QAreaSeries>
#include <QBarSeries>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QValueAxis>
#include <QChart>
#include <QGraphicsScene>
#include <QLineSeries>
#include <QPainter>
#include <QImage>
#include <QTest>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

std::vector<std::string> Matching(const vkttest::RecordingCanvas& canvas, const std::string& prefix);

namespace {

// The pixels in which two images of one size differ.
int PixelsApart(const QImage& a, const QImage& b)
{
    int apart = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x)
            apart += a.pixel(x, y) != b.pixel(x, y);
    return a.size() == b.size() ? apart : -1;
}

class PartsTest : public testing::Test {
protected:
    void SetUp() override
    {
        platform::SetScreenPixelsPerInch(96);
        vkttest::InstallRecordingPrinter();
        preview = std::make_unique<TPreview>();
    }
    template <typename T>
    T* Add(int type, TRect mm = {0, 0, 8000, 5000})
    {
        preview->SetSelected(nullptr);
        TViewItem* item = preview->AddContainer(type);
        item->SetMMBoundRect_(mm);
        return dynamic_cast<T*>(ContainerOf(item));
    }
    std::unique_ptr<TPreview> preview;
    vkttest::RecordingCanvas canvas{1000, 1000, 96};
};

TEST_F(PartsTest, TextIsPlacedByItsNineAlignments)
{
    TTextContainer text;
    text.SetFont("Arial", 150, 0, {});   // 20 px: 10 px per character on the recording canvas
    text.SetText("abcd");
    const struct { int horz; int vert; const char* out; } cases[] = {
        {0, 0, "TextOut(5,5,\"abcd\")"}, {1, 1, "TextOut(85,45,\"abcd\")"}, {2, 2, "TextOut(165,85,\"abcd\")"},
        {2, 0, "TextOut(165,5,\"abcd\")"}, {0, 2, "TextOut(5,85,\"abcd\")"}, {-1, -1, "TextOut(5,5,\"abcd\")"}};
    for (const auto& c : cases) {
        canvas.ClearLog();
        text.SetHorzAlign(c.horz);
        text.SetVertAlign(c.vert);
        text.Draw(5, 5, {0, 0, 200, 100}, 10000, canvas, 1, 1, false);
        EXPECT_EQ(Matching(canvas, "TextOut"), std::vector<std::string>{c.out}) << c.horz << "," << c.vert;
    }
    // Turned downward from the top-left: pushed right so that the turned box starts at the left edge.
    canvas.ClearLog();
    text.SetHorzAlign(0);
    text.SetVertAlign(0);
    text.SetTextAngle(900);
    text.Draw(0, 0, {0, 0, 200, 100}, 10000, canvas, 1, 1, false);
    EXPECT_NE(canvas.Log().find("e2700"), std::string::npos);
    int x = 0, y = 0;
    ASSERT_EQ(std::sscanf(Matching(canvas, "TextOut")[0].c_str(), "TextOut(%d,%d", &x, &y), 2);
    EXPECT_GE(x, 19);
    EXPECT_LE(x, 20);
    EXPECT_EQ(y, 0);
}

TEST_F(PartsTest, TextKindsPageNumberDateOutlineAndDiagonal)
{
    TTextContainer text;
    text.SetFont("Arial", 150, 0x0000FF, {});
    text.SetTextType(1);
    text.Draw(0, 0, {0, 0, 300, 100}, 10000, canvas, 3, 7, true);
    EXPECT_NE(canvas.Log().find("\"- 3 / 7 -\""), std::string::npos);
    canvas.ClearLog();
    platform::SetFixedNow(platform::EncodeDate(2024, 3, 31));
    text.SetTextType(2);
    text.Draw(0, 0, {0, 0, 300, 100}, 10000, canvas, 1, 1, true);
    platform::SetClock({});
    EXPECT_NE(canvas.Log().find("\"2024/03/31\""), std::string::npos);

    canvas.ClearLog();
    text.SetTextType(0);
    text.SetText("abc");
    text.SetOutLine(true);
    text.SetTextBrushColor(0x00FF00);
    text.Draw(0, 0, {0, 0, 300, 100}, 10000, canvas, 1, 1, false);
    EXPECT_EQ(Matching(canvas, "TextOutline").size(), 1u);
    EXPECT_TRUE(Matching(canvas, "TextOut(").empty());

    canvas.ClearLog();
    text.SetTextType(3);
    text.Draw(0, 0, {0, 0, 200, 200}, 10000, canvas, 1, 1, false);   // square: the "otherwise" branch
    ASSERT_EQ(Matching(canvas, "TextOutline").size(), 1u);
    EXPECT_NE(canvas.Log().find("e-450"), std::string::npos);
    canvas.ClearLog();
    text.SetText("");
    text.Draw(0, 0, {0, 0, 0, 0}, 10000, canvas, 1, 1, false);
    EXPECT_TRUE(canvas.Lines().empty());
}

TEST(PlaneGeometry, RotationsShiftsAndAngles)
{
    EXPECT_EQ(RotatePoint({100, 0}, 9000), (TPoint{0, 100}));
    EXPECT_EQ(RotatePoint({100, 0}, 45000), (TPoint{0, 100}));
    EXPECT_EQ(RotatePoint({10, 10}, {20, 10}, 18000), (TPoint{0, 10}));
    EXPECT_EQ(ShiftPoint({5, 5}, 0, 10), (TPoint{15, 5}));
    EXPECT_EQ(LineAngle({0, 0}, {0, 10}), 9000);
    EXPECT_EQ(LineAngle({0, 0}, {-10, 0}), 18000);
    EXPECT_EQ(LineAngle({3, 3}, {3, 3}), 0);
    EXPECT_EQ(RectRotatingRect({0, 0, 10, 10}, {0, 0}, 0), (TRect{0, 0, 10, 10}));
}

TEST_F(PartsTest, GraphicShapesPaintTheirPixels)
{
    auto* g = Add<TGraphicContainer>(4);
    platform::BitmapCanvas bitmap(100, 80);
    const auto draw = [&](int scale) {
        bitmap.FillRect({0, 0, 100, 80}, 0xFF0000);
        g->Draw(0, 0, {10, 10, 60, 40}, scale, bitmap, 1, 1, false);
    };
    g->SetBrushColor(0x0000FF);
    g->SetLineWidth(0);
    draw(10000);
    EXPECT_EQ(bitmap.GetPixel(10, 10), 0x0000FF);   // no outline at all
    g->SetLineWidth(1);
    draw(1000);
    EXPECT_EQ(bitmap.GetPixel(10, 10), 0);          // one pixel even at 10 %
    EXPECT_EQ(bitmap.GetPixel(30, 25), 0x0000FF);
    g->SetGraphicType(8);
    g->SetBrushColor(-1);
    draw(10000);
    EXPECT_EQ(bitmap.GetPixel(30, 39), 0);          // the bottom rule
    EXPECT_EQ(bitmap.GetPixel(30, 10), 0xFF0000);   // no fill
    g->SetGraphicType(1);
    g->SetMasking(true);
    g->SetBrushColor(0x00FF00);
    draw(10000);
    EXPECT_EQ(bitmap.GetPixel(10, 10), 0xFFFFFF);   // masked corner
    EXPECT_EQ(bitmap.GetPixel(35, 25), 0x00FF00);

    g->SetGraphicType(2);
    g->SetRoundSize({10000, 10000});   // limited to half the item
    g->Draw(0, 0, {10, 10, 60, 40}, 10000, canvas, 1, 1, false);
    EXPECT_EQ(Matching(canvas, "RoundRect"), std::vector<std::string>{"RoundRect(10,10,60,40,151,94)"});
    g->SetGraphicType(-1);
    canvas.ClearLog();
    g->Draw(0, 0, {10, 10, 60, 40}, 10000, canvas, 1, 1, false);
    EXPECT_TRUE(canvas.Lines().empty());
}

TEST_F(PartsTest, ArrowsPointAlongTheirAngleToTheInscribedEllipse)
{
    auto* g = Add<TGraphicContainer>(4);
    g->SetGraphicType(10);
    g->SetArrowWidth(20);
    g->SetRoundSize({50, 60});
    const double f = 96 / 25.4;
    auto polygon = g->ArrowPolygon({0, 0, 100, 50}, f, 0);
    ASSERT_EQ(polygon.size(), 7u);
    EXPECT_EQ(polygon[3], (TPoint{100, 25}));   // tip at the middle of the right edge
    EXPECT_LE(std::abs(polygon[0].X), 1);       // tail at the left edge
    g->SetArrowAngle(450);
    polygon = g->ArrowPolygon({0, 0, 100, 100}, f, 0);
    EXPECT_EQ(polygon[3], (TPoint{85, 85}));
    EXPECT_TRUE(g->ArrowPolygon({5, 5, 5, 5}, f, 0).empty());
    platform::BitmapCanvas bitmap(120, 120);
    bitmap.FillRect({0, 0, 120, 120}, 0xFFFFFF);
    g->SetBrushColor(0x000080);
    g->Draw(0, 0, {0, 0, 100, 100}, 10000, bitmap, 1, 1, false);
    EXPECT_EQ(bitmap.GetPixel(80, 80), 0x000080);
}

TEST_F(PartsTest, ImagesFillCellsAndPages)
{
    int a = 200, b = 100;
    TImageContainer::FitPicture(false, 100, 100, a, b);
    EXPECT_EQ(a, 101);
    EXPECT_EQ(b, 51);
    a = 200, b = 100;
    TImageContainer::FitPicture(true, 100, 100, a, b);
    EXPECT_EQ(a, 201);
    EXPECT_EQ(b, 101);

    auto* image = Add<TImageContainer>(5);
    const std::string bmp = platform::EncodeBmp(platform::Picture(16, 8, 0x00FF00));
    image->AddImage(BinToBase64(bmp));
    EXPECT_EQ(image->GetPageMax(), 1);
    image->Draw(0, 0, {0, 0, 100, 100}, 10000, canvas, 3, 3, true);   // one picture on every page
    EXPECT_EQ(Matching(canvas, "DrawImage").size(), 1u);
    for (int i = 0; i < 4; ++i)
        image->AddImage(BinToBase64(bmp));
    image->SetColCount(2);
    image->SetRowCount(2);
    EXPECT_EQ(image->GetPageMax(), 2);
    canvas.ClearLog();
    image->Draw(0, 0, {0, 0, 100, 100}, 10000, canvas, 2, 2, true);   // page 2: the fifth in the first cell
    ASSERT_EQ(Matching(canvas, "DrawImage").size(), 1u);
    EXPECT_EQ(Matching(canvas, "DrawImage")[0].rfind("DrawImage(", 0), 0u);
    image->SetColCount(0);
    EXPECT_EQ(image->GetColCount(), 1);

    image->Rotate(0, false);
    EXPECT_EQ(image->GetItems(0)->GetPicture().GetWidth(), 8);
    EXPECT_EQ(image->GetImageData(0).substr(0, 2), "BM");
    const std::string jpeg = platform::EncodeJpeg(platform::Picture(20, 10, 0x808080));
    image->SetImageData(1, jpeg);
    image->Reverse(1, true);
    EXPECT_EQ(image->GetImageData(1).substr(0, 2), "\xFF\xD8");
    const std::string emf = std::string("\x01\x00\x00\x00", 4) + std::string(80, '\0');
    image->SetImageData(2, emf);
    EXPECT_THROW(image->Rotate(2, true), platform::ConvertError);
    EXPECT_EQ(image->GetImageData(2), emf);

    // Damaged bytes are kept and draw nothing.
    const std::string cut = jpeg.substr(0, jpeg.size() / 3);
    image->Clear();
    image->AddImage(BinToBase64(cut));
    image->SetColCount(1);
    image->SetRowCount(1);
    canvas.ClearLog();
    image->Draw(0, 0, {0, 0, 100, 100}, 10000, canvas, 1, 1, true);
    EXPECT_TRUE(Matching(canvas, "DrawImage").empty());
    EXPECT_EQ(image->GetImageData(0), cut);
}

// On screen the container replays its cached drawing; on paper every cell is drawn directly.
TEST_F(PartsTest, MetafilePicturesDrawTheirRecordsOnScreenAndPaper)
{
    auto* image = Add<TImageContainer>(5);
    image->AddImage(BinToBase64(vkttest::KitchenEmf()));
    image->SetDrawType(idtStretch);   // stretched over the cell: 400 × 280 for 200 × 140
    {
        // On screen a frame stands in the cell until the picture has played.
        platform::BitmapCanvas bitmap(420, 300);
        bitmap.FillRect({0, 0, 420, 300}, 0xFFFFFF);
        image->Draw(0, 0, {10, 10, 410, 290}, 10000, bitmap, 1, 1, false);
        EXPECT_EQ(bitmap.GetPixel(10, 10 + 100), 0u) << "the frame";
        EXPECT_EQ(bitmap.GetPixel(10 + 100, 10 + 100), 0xFFFFFFu) << "inside the frame";
        ASSERT_TRUE(vkttest::WaitForPlayers());
    }
    for (const bool printer : {false, true}) {
        platform::BitmapCanvas bitmap(420, 300);
        bitmap.FillRect({0, 0, 420, 300}, 0xFFFFFF);
        image->Draw(0, 0, {10, 10, 410, 290}, 10000, bitmap, 1, 1, printer);
        const auto red = bitmap.GetPixel(10 + 100, 10 + 100);
        EXPECT_GT(red & 0xFF, 0xB0u) << "rectangle, printer " << printer;
        EXPECT_LT((red >> 8) & 0xFF, 0x50u) << "rectangle, printer " << printer;
        const auto blue = bitmap.GetPixel(10 + 300, 10 + 100);
        EXPECT_GT((blue >> 16) & 0xFF, 0xA0u) << "ellipse, printer " << printer;
        EXPECT_EQ(bitmap.GetPixel(10 + 222, 10 + 22), 0xFFFFFFu) << "outside the ellipse, printer " << printer;
    }
    EXPECT_EQ(image->GetImageData(0), vkttest::KitchenEmf());

    // A frame under one pixel, tiled: one empty frame around the cell, not one per pixel.
    image->SetImageData(0, vkttest::MakeEmf(20, 20));
    image->SetDrawType(idtTile);
    for (const bool printer : {false, true}) {
        platform::BitmapCanvas bitmap(420, 300);
        bitmap.FillRect({0, 0, 420, 300}, 0xFFFFFF);
        image->Draw(0, 0, {10, 10, 410, 290}, 10000, bitmap, 1, 1, printer);
        EXPECT_EQ(bitmap.GetPixel(10 + 200, 10 + 140), 0xFFFFFFu) << "inside the frame, printer " << printer;
        EXPECT_EQ(bitmap.GetPixel(10, 10 + 140), 0u) << "the frame, printer " << printer;
    }
}

TEST_F(PartsTest, ImageNamesAndFiles)
{
    const std::string folder = vkttest::NewTempFolder("img");
    const std::string jpeg = platform::EncodeJpeg(platform::Picture(20, 10, 0x808080));
    platform::WriteFileAtomic(folder + "/A.JPG", jpeg);
    platform::WriteFileAtomic(folder + "/b.gif", "GIF89a");
    auto* image = Add<TImageContainer>(5);
    image->AddFile(folder + "/A.JPG");
    image->AddFile(folder + "/b.gif");
    EXPECT_EQ(image->GetItems(0)->GetImageType(), platform::PictureKind::Jpeg);
    EXPECT_EQ(image->GetItems(1)->GetImageType(), platform::PictureKind::None);
    EXPECT_EQ(image->GetFileNames(), "A.JPG,");
    // A picture of another format under a JPEG's name is refused naming its format, as the designer says.
    platform::WriteFileAtomic(folder + "/c.jpg", std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16));
    try {
        image->AddFile(folder + "/c.jpg");
        ADD_FAILURE() << "a PNG read as a JPEG";
    } catch (const platform::PictureFormatError& error) {
        EXPECT_STREQ(error.what(), "PNG 形式の画像は読み込めません。BMP、JPEG、EMF の画像を使ってください。");
    }
    image->DeleteItem(2);
    image->DeleteItem(1);
    image->SetDrawName(true);
    image->SetHorzAlign(1);
    image->Draw(0, 0, {0, 0, 200, 100}, 10000, canvas, 1, 1, true);
    EXPECT_NE(canvas.Log().find("\" A.JPG \""), std::string::npos);
}

// A grid that records which records its cells ask for.
struct RecordingGrid : TGridContainer {
    std::vector<int> asked;
    void TextQuery(TTextDrawer*, int, int row, std::string&) override { asked.push_back(row); }
    std::vector<int> Records(int page, int tag, int rows)
    {
        asked.clear();
        SetPage(page);
        std::string text;
        for (int r = 0; r < rows; ++r)
            TextQueryProc(nullptr, 0, r, tag, text);
        return asked;
    }
};

TEST_F(PartsTest, GridPagesRecordsOverParagraphs)
{
    auto* grid = new RecordingGrid();
    TViewItem* item = preview->AddItem(nullptr, grid);
    grid->SetViewItem(item);
    item->SetMMBoundRect_({0, 0, 20000, 2850});   // five lines of 5.5 mm per paragraph
    grid->SetParagraph(2);
    grid->SetRowCount(10);
    EXPECT_EQ(grid->GetGridRowCount(), 10);
    EXPECT_EQ(grid->GetPageMax(), 2);
    EXPECT_EQ(grid->Records(1, 1, 5), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(grid->Records(1, 2, 4), (std::vector<int>{4, 5, 6, 7}));
    EXPECT_EQ(grid->Records(2, 1, 4), (std::vector<int>{8, 9}));
    EXPECT_TRUE(grid->Records(2, 2, 4).empty());
    grid->SetParaOrient(true);
    EXPECT_EQ(grid->Records(1, 2, 2), (std::vector<int>{1, 3}));
    grid->SetParaOrient(false);
    grid->SetRowsWrapStyle(2);
    grid->SetRowCount(7);
    EXPECT_EQ(grid->GetPageMax(), 1);
    EXPECT_EQ(grid->Records(1, 1, 4), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(grid->Records(1, 2, 4), (std::vector<int>{4, 5, 6}));
}

TEST_F(PartsTest, GridSettingsCellsAndBands)
{
    auto* grid = Add<TGridContainer>(6, {0, 0, 20000, 5000});
    platform::XmlDocument doc;
    platform::XmlNode node = doc.CreateDocumentElement("Item");
    grid->SaveToXml(node);
    EXPECT_EQ(node.GetAttribute("LineWidth"), "5");
    EXPECT_EQ(node.GetAttribute("RowHeight"), "50");
    EXPECT_EQ(node.GetAttribute("TitleWidths"), "300");
    EXPECT_FALSE(node.HasAttribute("Paragraph") || node.HasAttribute("ParaOrient") || node.HasAttribute("DrawFullGrid"));

    grid->SetRowCount(3);
    grid->SetColCount(3);
    EXPECT_EQ(grid->GetTitleWidths().GetCommaText(), "300,300,300");
    grid->SetCSV("a b,c\n\"d e\",f");
    EXPECT_EQ(grid->GetCells().GetCells(1, 0), "b");
    EXPECT_EQ(grid->GetCells().GetCells(0, 1), "d e");
    EXPECT_EQ(grid->GetCells().GetCells(0, 2), "");
    grid->SetTitles("  ,x");
    EXPECT_EQ(grid->GetHeaders().GetTitle(0), "");
    EXPECT_EQ(grid->GetHeaders().GetTitle(1), "x");

    // With a paragraph gap the columns wrap at the paragraph's own width.
    grid->SetColCount(4);
    grid->SetParagraph(2);
    grid->SetParaGap(50);
    std::vector<int> bands;
    for (int i = 0; i < grid->GetHeaders().GetWrapCount(); ++i)
        bands.push_back(grid->GetHeaders().GetWrap(i));
    EXPECT_EQ(bands, (std::vector<int>{3, 1}));

    // A single-column grid follows the container's font.
    grid->SetColCount(1);
    grid->SetFontSize(160);
    EXPECT_EQ(grid->GetHeaders().GetFont(1).Size, 160);
}

// A column-count change empties the titles; the same text written afterwards (by the page, or by a
// layout read into a grid that had it) shows them again.
TEST_F(PartsTest, GridTitlesComeBackAfterAColumnCountChange)
{
    auto* grid = Add<TGridContainer>(6, {0, 0, 20000, 5000});
    auto titles = [grid] {
        std::vector<std::string> list;
        for (int c = 0; c < grid->GetHeaders().GetCount(); ++c) list.push_back(grid->GetHeaders().GetTitle(c));
        return list;
    };
    grid->SetColCount(2);
    grid->SetTitles("品名,単価");
    grid->SetColCount(2);
    EXPECT_EQ(titles(), (std::vector<std::string>{"品名", "単価"})) << "the same count rebuilds nothing";

    grid->SetColCount(3);
    EXPECT_EQ(titles(), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(grid->GetTitles(), "");
    grid->SetTitles("品名,単価");
    EXPECT_EQ(titles(), (std::vector<std::string>{"品名", "単価", ""}));

    platform::XmlDocument doc;
    platform::XmlNode node = doc.CreateDocumentElement("Item");
    grid->SaveToXml(node);
    node.SetAttribute("ColCount", "2");
    grid->LoadFromXml(node);
    EXPECT_EQ(titles(), (std::vector<std::string>{"品名", "単価"}));
    EXPECT_EQ(grid->GetTitles(), "品名,単価");
}

TEST_F(PartsTest, GridBackgroundsFollowTheirColours)
{
    auto* grid = Add<TGridContainer>(6, {0, 0, 10000, 5000});
    grid->SetRowCount(2);
    grid->SetCSV("a\nb");
    grid->SetRowColor1(0xFFFFFF);
    grid->SetRowColor2(0xFFFFFE);
    grid->Draw(0, 0, {0, 0, 378, 189}, 10000, canvas, 1, 1, true);
    const auto fills = Matching(canvas, "FillRect");
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_NE(fills[0].find("#FEFFFF"), std::string::npos);

    // A repaint after a colour change shows the new colour, at another scale as well.
    platform::BitmapCanvas bitmap(400, 200);
    const auto firstRow = [&](int scale) {
        bitmap.FillRect({0, 0, 400, 200}, 0xFFFFFF);
        grid->Draw(0, 0, {0, 0, 378, 189}, scale, bitmap, 1, 1, false);
        return bitmap.GetImage().Q().pixel(50, 28 * scale / 10000) & 0xFFFFFF;
    };
    EXPECT_EQ(firstRow(10000), 0xFFFFFFu);
    grid->SetRowColor1(0xEEEEEE);
    EXPECT_EQ(firstRow(10000), 0xEEEEEEu);
    EXPECT_EQ(firstRow(20000), 0xEEEEEEu);
}

// On screen a grid draws the rows in sight each paint: every paint, scrolled or not, makes the
// pixels the printed grid makes, texts included, across what were the screen cache's band seams
// (a repaint replayed a recording of the rows, whose texts could sit a pixel apart and whose clips,
// ended after each clipped text, drew a row across a seam twice: bold). For each header style, with
// the grid partly off the canvas; texts too wide for their columns at 150 %.
TEST_F(PartsTest, GridRepaintsDrawAsThePrintedGrid)
{
    enum class Texts { None, Short, TooWide };
    const auto paint = [](TGridContainer& grid, int top, int scale, bool printer) {
        platform::BitmapCanvas bitmap(420, 700);
        grid.Draw(10, top, {0, 0, 400, 2200}, scale, bitmap, 1, grid.GetPageMax(), printer);
        return bitmap.GetImage().Q().copy();
    };
    // Header style, cell texts, the grid's top on the canvas, the scale.
    const std::tuple<int, Texts, int, int> cases[] = {{0, Texts::None, -900, 10000},  {1, Texts::None, -333, 10000},
                                                      {2, Texts::None, -1210, 10000}, {0, Texts::Short, -517, 10000},
                                                      {2, Texts::Short, 40, 10000},   {0, Texts::TooWide, 0, 15000}};
    for (const auto& [headerStyle, texts, top, scale] : cases) {
        SCOPED_TRACE(testing::Message() << headerStyle << " texts " << int(texts) << " " << top << " " << scale);
        auto* grid = Add<TGridContainer>(6, {0, 0, 10600, 58200});
        grid->BeginUpdate();
        grid->SetColCount(3);
        grid->SetRowCount(90);
        grid->SetRowHeight(57);
        grid->SetRowGap(3);
        grid->SetLineWidth(3);
        grid->SetHeaderStyle(headerStyle);
        grid->SetTitles("品名,単価,数量");
        grid->SetRowColor2(0xF4F0E8);
        std::string csv;
        for (int r = 0; r < 90; ++r)
            csv += texts == Texts::None    ? ",,\n"
                   : texts == Texts::Short ? "玉ねぎ" + std::to_string(r) + "," + std::to_string(r * 7) + ",1\n"
                                           : "香草,とても長い名前の食材とても長い名前の食材とても長い名前,1\n";
        grid->SetCSV(csv);
        grid->EndUpdate();

        const QImage printed = paint(*grid, top, scale, true);
        EXPECT_GT(PixelsApart(printed, platform::BitmapCanvas(420, 700).GetImage().Q()), 0);
        EXPECT_EQ(PixelsApart(paint(*grid, top, scale, false), printed), 0);
        EXPECT_EQ(PixelsApart(paint(*grid, top, scale, false), printed), 0) << "repainted";
        EXPECT_EQ(PixelsApart(paint(*grid, top - 650, scale, false), paint(*grid, top - 650, scale, true)), 0)
            << "scrolled";
    }
}

TEST_F(PartsTest, ChartSeriesTextKindsHuesAndAxes)
{
    TSeriesStruct s;
    s.MarksVisible = true;
    s.Color = 255;
    s.Title = "T";
    s.Kind = 3;
    s.Add(1, 10, "");
    s.Add(2, 20, "");
    EXPECT_EQ(s.GetData(), "1:255:T:3:2:10:1:20:2");
    s.Title = "a b;c";
    TSeriesStruct back;
    back.SetData(s.GetData());
    EXPECT_EQ(back, s);
    EXPECT_NE(s.GetData().find(";a b;;c;"), std::string::npos);
    EXPECT_THROW(back.SetData("1:0:x:1:1:abc:1"), platform::ConvertError);

    auto* chart = Add<TChartContainer>(7);
    EXPECT_EQ(chart->GetGraphCount(), 0);
    chart->SetGraphCount(3);
    TSeriesStruct bar = chart->GetData(1);
    bar.Kind = 2;
    bar.Add(1, 5, "");
    chart->SetData(1, bar);
    EXPECT_EQ(chart->GetData(1).Kind, 2);
    EXPECT_EQ(chart->GetData(2).Kind, 1);
    {
        const std::unique_ptr<QChart> q = chart->MakeChart("Arial", 12, 1);
        ASSERT_EQ(q->series().size(), 3);
        EXPECT_NE(qobject_cast<QBarSeries*>(q->series()[1]), nullptr);
    }
    EXPECT_TRUE(chart->GetAxesVisible());
    TSeriesStruct pie;
    pie.Kind = 0;
    for (int i = 0; i < 3; ++i)
        pie.Add(i, i + 1, "");
    chart->SetData(0, pie);
    EXPECT_FALSE(chart->GetAxesVisible());
    EXPECT_EQ(chart->GetPieColors(0),
              (std::vector<TColor>{HSBToRGB(0, 100, 50), HSBToRGB(55, 100, 50), HSBToRGB(110, 100, 50)}));
    EXPECT_THROW(chart->SetData(3, pie), platform::ListIndexError);

    chart->SetChartLimit({0, 500, 1000, 100});
    EXPECT_FALSE(chart->GetLeftAxis().Automatic);
    EXPECT_EQ(chart->GetLeftAxis().Minimum, 1);
    EXPECT_EQ(chart->GetLeftAxis().Maximum, 5);
    EXPECT_EQ(chart->GetBottomAxis().Maximum, 10);
    chart->SetChartLimit({0, 0, 0, 0});
    EXPECT_TRUE(chart->GetLeftAxis().Automatic && chart->GetBottomAxis().Automatic);
    chart->SetPieColorH(400);
    EXPECT_EQ(chart->GetPieColorH(), 360);
    EXPECT_EQ(TChartContainer::ColorSaturationDown(0x000000, 50), 0x808080);
}

// The automatic axes show every series, not only the first: a history's lowest prices, the later
// series' dates, the tallest bar and the ground the bars rise from.
TEST_F(PartsTest, ChartAutomaticAxesCoverEverySeries)
{
    auto* chart = Add<TChartContainer>(7);
    const auto set = [&](const std::vector<std::tuple<int, double, double, double>>& series) {
        chart->SetGraphCount(static_cast<int>(series.size()));
        for (std::size_t i = 0; i < series.size(); ++i) {
            const auto [kind, x, low, high] = series[i];
            TSeriesStruct s = chart->GetData(static_cast<int>(i));
            s.Clear();
            s.Kind = kind;
            s.Add(x, high, "");
            s.Add(x + 30, low, "");
            chart->SetData(static_cast<int>(i), s);
        }
    };
    const auto range = [&](Qt::Orientation orientation) {
        const std::unique_ptr<QChart> q = chart->MakeChart("Arial", 12, 1);
        QAbstractAxis* axis = q->axes(orientation).value(0);
        if (auto* value = qobject_cast<QValueAxis*>(axis))
            return std::pair(value->min(), value->max());
        if (auto* date = qobject_cast<QDateTimeAxis*>(axis))
            return std::pair(date->min().toMSecsSinceEpoch() / 86400000.0 + 25569,
                             date->max().toMSecsSinceEpoch() / 86400000.0 + 25569);
        ADD_FAILURE() << "no axis";
        return std::pair(0.0, 0.0);
    };
    set({{4, 100, 190, 220}, {4, 100, 140, 170}, {1, 200, 40, 70}});
    EXPECT_LE(range(Qt::Vertical).first, 40);
    EXPECT_GE(range(Qt::Vertical).second, 220);
    EXPECT_EQ(range(Qt::Horizontal), std::pair(100.0, 230.0));
    chart->SetXTypeDate(true);
    EXPECT_EQ(range(Qt::Horizontal), std::pair(100.0, 230.0));

    set({{2, 1, 20, 94}, {2, 1, 50, 107}});
    EXPECT_EQ(range(Qt::Vertical).first, 0);
    EXPECT_GE(range(Qt::Vertical).second, 107);

    chart->SetChartLimit({0, 15000, 0, 5000});
    EXPECT_EQ(range(Qt::Vertical), std::pair(50.0, 150.0)) << "a set range is kept";
}

TEST_F(PartsTest, ChartIsKeptUntilAnythingChanges)
{
    auto* chart = Add<TChartContainer>(7);
    chart->SetGraphCount(1);
    TSeriesStruct bars = chart->GetData(0);
    bars.Kind = 2;
    bars.Add(1, 5, "");
    bars.Add(2, 9, "");
    chart->SetData(0, bars);
    platform::BitmapCanvas bitmap(300, 200);
    int scale = 10000;
    int width = 300;
    const auto draw = [&] {
        bitmap.FillRect({0, 0, 300, 200}, 0xFFFFFF);
        chart->Draw(0, 0, {0, 0, width, 200}, scale, bitmap, 1, 1, false);
        return bitmap.GetImage().ToPicture();
    };
    const platform::Picture untitled = draw();
    EXPECT_EQ(draw(), untitled);
    EXPECT_EQ(chart->GetChartBuilds(), 1);
    const struct {
        const char* what;
        std::function<void()> change;
    } changes[] = {
        {"title", [&] { chart->SetTitle("原価の推移"); }},
        {"series text", [&] { TSeriesStruct s = chart->GetData(0); s.Title = "x"; chart->SetData(0, s); }},
        {"legend", [&] { chart->SetLegendVisible(false); }},
        {"legend side", [&] { chart->SetLegendAlign(2); }},
        {"3D", [&] { chart->SetView3D(true); }},
        {"3D depth", [&] { chart->SetView3DWidth(30); }},
        {"axis range", [&] { chart->SetChartLimit({0, 2000, 300, 0}); }},
        {"dates", [&] { chart->SetXTypeDate(true); }},
        {"date form", [&] { chart->SetDateFormat(2); }},
        {"hue", [&] { chart->SetPieColorH(30); }},
        {"series count", [&] { chart->SetGraphCount(2); }},
        {"font colour", [&] { chart->SetFontColor(0x0000FF); }},
        {"font size", [&] { chart->SetFontSize(140); }},
        {"while loading", [&] { chart->SetLoading(true); chart->SetTitle("読込"); chart->SetLoading(false); }},
        {"in a bracket", [&] { chart->BeginUpdate(); chart->SetLegendVisible(true); chart->EndUpdate(); }},
        {"zoom", [&] { scale = 20000; }},
        {"width", [&] { width = 250; }},
    };
    for (const auto& c : changes) {
        const int before = chart->GetChartBuilds();
        c.change();
        draw();
        draw();
        EXPECT_EQ(chart->GetChartBuilds(), before + 1) << c.what;
    }
    EXPECT_NE(draw(), untitled) << "the kept chart shows the latest settings";
}

// A chart's frame lies whole inside the chart's rectangle, on each of its sides, at any zoom.
TEST_F(PartsTest, ChartFrameLiesInsideItsRectangle)
{
    auto* chart = Add<TChartContainer>(7);
    for (int scale : {10000, 20000, 40000}) {
        platform::BitmapCanvas bitmap(320, 220);
        bitmap.FillRect({0, 0, 320, 220}, 0xFFFFFF);
        chart->Draw(10, 10, {0, 0, 300, 200}, scale, bitmap, 1, 1, true);
        const platform::Picture drawn = bitmap.GetImage().ToPicture();
        const auto dark = [&](int x, int y) { return (drawn.GetPixel(x, y) & 0xFF) < 100; };
        EXPECT_TRUE(dark(10, 110) && dark(309, 110) && dark(160, 10) && dark(160, 209)) << scale;
        EXPECT_FALSE(dark(9, 110) || dark(310, 110) || dark(160, 9) || dark(160, 210)) << scale;
    }
}

// Painted item by item, a chart matches its whole scene rendered by Qt: texts in place, bars above
// the axis range and lines leaving the plot clipped, under the painter's own transform. (The legend
// is not Qt's: it is left out here.)
TEST_F(PartsTest, ChartDrawsAsItsSceneRenders)
{
    const struct { const char* what; int kind; TRect limit; const char* title; } cases[] = {
        {"pie with marks", 0, {}, "円"},
        {"bars above the range", 2, {0, 9000, 0, 3000}, "<b>太字</b> & 棒"},
        {"lines leaving the plot", 1, {200, 6000, 400, 3000}, ""},
        {"points with marks", 3, {}, "折れ線"},
        {"area", 4, {}, "面"},
    };
    const auto transformed = [](platform::BitmapCanvas& canvas) {
        canvas.FillRect({0, 0, 400, 300}, 0xFFFFFF);
        canvas.GetPainter()->translate(12, 7);
        canvas.GetPainter()->scale(1.25, 1.25);
        return canvas.GetPainter();
    };
    for (const auto& c : cases) {
        auto* chart = Add<TChartContainer>(7);
        chart->SetTitle(c.title);
        chart->SetLegendVisible(false);
        chart->SetGraphCount(c.kind == 0 ? 1 : 2);
        for (int s = 0; s < chart->GetGraphCount(); ++s) {
            TSeriesStruct series = chart->GetData(s);
            series.Kind = c.kind;
            series.MarksVisible = c.kind % 3 == 0;
            for (int i = 0; i < 6; ++i)
                series.Add(i * 100, 20 + (i * 37 + s * 50) % 90, c.kind == 0 ? std::to_string(i + 1) + "月" : "");
            chart->SetData(s, series);
        }
        chart->SetChartLimit(c.limit);
        platform::BitmapCanvas drawn(400, 300), rendered(400, 300);
        transformed(drawn);
        chart->Draw(10, 20, {0, 0, 280, 200}, 10000, drawn, 1, 1, false);

        std::string font;
        int size = 0;
        chart->DoFont(font, size);
        QGraphicsScene scene;
        QChart* q = chart->MakeChart(font, 96 * size / 720, 1).release();
        scene.addItem(q);
        q->setGeometry(0.5, 0.5, 279, 199);   // inset by half its one-pixel frame
        scene.setSceneRect(0, 0, 280, 200);
        QPainter* painter = transformed(rendered);
        painter->setRenderHint(QPainter::Antialiasing, true);
        scene.render(painter, QRectF(10, 20, 280, 200), scene.sceneRect(), Qt::IgnoreAspectRatio);

        const platform::Picture a = drawn.GetImage().ToPicture(), b = rendered.GetImage().ToPicture();
        // Equal but for a text's glyphs shaded a fraction of a pixel apart under the scaled painter.
        const auto apart = [](TColor p, TColor q) {
            int most = 0;
            for (int shift = 0; shift <= 16; shift += 8)
                most = std::max(most, std::abs(static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((q >> shift) & 0xFF)));
            return most > 0x48;
        };
        int differing = 0;
        for (int y = 0; y < a.GetHeight(); ++y)
            for (int x = 0; x < a.GetWidth(); ++x)
                differing += apart(a.GetPixel(x, y), b.GetPixel(x, y));
        EXPECT_EQ(differing, 0) << c.what;
    }
}

// The legend stands on its side of the chart, beside a plot that gives it room: nothing of the
// series, axes or grid shows under it, every marker shows its series' colour, labels too long for
// the room are elided and entries beyond it are left out, all inside the chart.
TEST_F(PartsTest, ChartLegendStandsBesideThePlot)
{
    const auto draw = [&](TChartContainer* chart, platform::BitmapCanvas& bitmap) {
        bitmap.FillRect({0, 0, 400, 300}, 0xFFFFFF);
        chart->Draw(10, 20, {0, 0, 300, 200}, 10000, bitmap, 1, 1, true);
        return bitmap.GetImage().ToPicture();
    };
    const auto inside = [](const QRectF& inner, const QRectF& outer) {
        return outer.adjusted(-0.01, -0.01, 0.01, 0.01).contains(inner);
    };
    for (int kind : {0, 2, 4}) {
        for (int align = 0; align < 4; ++align) {
            SCOPED_TRACE("kind " + std::to_string(kind) + ", side " + std::to_string(align));
            auto* chart = Add<TChartContainer>(7);
            chart->SetTitle("題");
            chart->SetLegendAlign(align);
            chart->SetGraphCount(kind == 0 ? 1 : 2);
            for (int s = 0; s < chart->GetGraphCount(); ++s) {
                TSeriesStruct series = chart->GetData(s);
                series.Kind = kind;
                series.Title = s == 0 ? "玉ねぎ" : "とても長い名前の材料をいくつも並べた系列の見出しです";
                for (int i = 0; i < 6; ++i)
                    series.Add(i * 100, 20 + (i * 37 + s * 50) % 90, i == 5 ? std::string(80, 'W') : std::to_string(i + 1) + "月");
                chart->SetData(s, series);
            }
            platform::BitmapCanvas bitmap(400, 300);
            const platform::Picture drawn = draw(chart, bitmap);
            const TChartLegend* legend = chart->GetDrawnLegend();
            ASSERT_NE(legend, nullptr);
            ASSERT_EQ(legend->Entries.size(), kind == 0 ? 6u : 2u);
            const QRectF whole(0, 0, 300, 200);
            EXPECT_TRUE(inside(legend->Box, whole));
            EXPECT_FALSE(legend->Box.intersects(legend->Plot));
            const QRectF& box = legend->Box;
            const QRectF& plot = legend->Plot;
            EXPECT_TRUE(align == 0 ? box.right() <= plot.left() : align == 1 ? box.left() >= plot.right()
                        : align == 2 ? box.bottom() <= plot.top() : box.top() >= plot.bottom());
            bool elided = false;
            for (std::size_t i = 0; i < legend->Entries.size(); ++i) {
                const TChartLegendEntry& entry = legend->Entries[i];
                EXPECT_TRUE(inside(entry.Marker, box) && inside(entry.Text, box)) << i;
                for (std::size_t j = i + 1; j < legend->Entries.size(); ++j)
                    EXPECT_FALSE(entry.Text.united(entry.Marker).intersects(legend->Entries[j].Text)) << i << " " << j;
                const QPoint centre = entry.Marker.center().toPoint() + QPoint(10, 20);
                EXPECT_EQ(platform::ToQColor(drawn.GetPixel(centre.x(), centre.y())), entry.Fill.color()) << i;
                elided = elided || entry.Label.endsWith(QChar(0x2026));
            }
            EXPECT_TRUE(elided);
            // Under the legend only its own markers and labels are painted.
            int stray = 0;
            for (int y = static_cast<int>(box.top()) + 1; y < static_cast<int>(box.bottom()); ++y)
                for (int x = static_cast<int>(box.left()) + 1; x < static_cast<int>(box.right()); ++x) {
                    const QPointF at(x + 0.5, y + 0.5);
                    const bool own = std::any_of(legend->Entries.begin(), legend->Entries.end(), [&](const auto& e) {
                        return e.Marker.adjusted(-2, -2, 2, 2).contains(at) || e.Text.adjusted(-2, -2, 2, 2).contains(at);
                    });
                    stray += !own && drawn.GetPixel(x + 10, y + 20) != 0xFFFFFF;
                }
            EXPECT_EQ(stray, 0);

            chart->SetLegendVisible(false);
            draw(chart, bitmap);
            EXPECT_TRUE(chart->GetDrawnLegend()->Entries.empty());
        }
    }

    // More slices than there is room for: those that fit, from the first.
    auto* pie = Add<TChartContainer>(7);
    pie->SetGraphCount(1);
    TSeriesStruct many = pie->GetData(0);
    many.Kind = 0;
    for (int i = 0; i < 60; ++i)
        many.Add(i, 1, "品" + std::to_string(i));
    pie->SetData(0, many);
    platform::BitmapCanvas bitmap(400, 300);
    draw(pie, bitmap);
    const TChartLegend* legend = pie->GetDrawnLegend();
    ASSERT_FALSE(legend->Entries.empty());
    EXPECT_LT(legend->Entries.size(), 60u);
    EXPECT_EQ(legend->Entries.front().Label, QStringLiteral("品0"));
    EXPECT_TRUE(inside(legend->Box, QRectF(0, 0, 300, 200)));

    // A chart too small for a legend on any side draws none rather than one over the plot.
    for (int align = 0; align < 4; ++align) {
        pie->SetLegendAlign(align);
        bitmap.FillRect({0, 0, 400, 300}, 0xFFFFFF);
        pie->Draw(10, 20, {0, 0, 40, 24}, 10000, bitmap, 1, 1, true);
        for (const TChartLegendEntry& entry : pie->GetDrawnLegend()->Entries)
            EXPECT_TRUE(inside(entry.Marker, QRectF(0, 0, 40, 24))) << align;
    }
}

// An area series does not own the line it is made of: the chart's series must take it along.
TEST_F(PartsTest, AChartFreesEveryLineItMade)
{
    auto* chart = Add<TChartContainer>(7);
    chart->SetGraphCount(2);
    for (int s = 0; s < 2; ++s) {
        TSeriesStruct series = chart->GetData(s);
        series.Kind = s == 0 ? 4 : 1;
        series.Add(1, 2, "");
        series.Add(2, 3, "");
        chart->SetData(s, series);
    }
    std::unique_ptr<QChart> q = chart->MakeChart("Arial", 12, 1);
    int lines = 0, freed = 0;
    for (QAbstractSeries* made : q->series()) {
        auto* area = qobject_cast<QAreaSeries*>(made);
        QObject* line = area ? area->upperSeries() : made;
        ASSERT_NE(qobject_cast<QLineSeries*>(line), nullptr);
        ++lines;
        QObject::connect(line, &QObject::destroyed, [&] { ++freed; });
    }
    q.reset();
    EXPECT_EQ(lines, 2);
    EXPECT_EQ(freed, 2);
}

// Where a red body's pixels lie: its front face, its lit top and its shaded side.
struct TRedBody {
    int Left = 1 << 20, Top = 1 << 20, Right = -1, Bottom = -1;   // the front face
    int TopDepth = 0;     // lit pixels straight above the front's middle
    int SideDepth = 0;    // shaded pixels straight right of the front's middle
    int Shaded = 0;       // lit and shaded pixels anywhere
    int BackWall = 0;     // pixels of the back wall's colour
};

TRedBody RedBody(const platform::Picture& picture)
{
    const auto red = [](TColor c) { return static_cast<int>(c & 0xFF); };
    const auto rest = [](TColor c) { return static_cast<int>((c >> 8) & 0xFF) + static_cast<int>((c >> 16) & 0xFF); };
    const auto front = [&](TColor c) { return red(c) > 240 && rest(c) < 20; };
    const auto lit = [&](TColor c) { return red(c) > 240 && rest(c) > 120 && rest(c) < 360; };
    const auto shaded = [&](TColor c) { return red(c) > 120 && red(c) < 220 && rest(c) < 20; };
    TRedBody body;
    for (int y = 0; y < picture.GetHeight(); ++y)
        for (int x = 0; x < picture.GetWidth(); ++x) {
            const TColor c = picture.GetPixel(x, y);
            body.Shaded += lit(c) || shaded(c);
            body.BackWall += c == 0xF8F8F8;
            if (front(c)) {
                body.Left = std::min(body.Left, x);
                body.Right = std::max(body.Right, x);
                body.Top = std::min(body.Top, y);
                body.Bottom = std::max(body.Bottom, y);
            }
        }
    if (body.Right < 0)
        return body;
    const int midX = (body.Left + body.Right) / 2, midY = (body.Top + body.Bottom) / 2;
    for (int y = body.Top - 1; y >= 0 && !front(picture.GetPixel(midX, y)); --y)
        body.TopDepth += lit(picture.GetPixel(midX, y));
    for (int x = body.Right + 1; x < picture.GetWidth() && !front(picture.GetPixel(x, midY)); ++x)
        body.SideDepth += shaded(picture.GetPixel(x, midY));
    return body;
}

// In 3-D a bar shows its depth as a lit top and a shaded right side, as deep as the depth percent
// says, in front of the walls; drawn flat it shows neither. The depth rises straight from the front
// face, and a line is a ribbon of the same depth.
TEST_F(PartsTest, ChartBarsShowTheirDepthIn3D)
{
    auto* chart = Add<TChartContainer>(7);
    chart->SetLegendVisible(false);
    chart->SetChartLimit({0, 10000, 0, 0});
    chart->SetGraphCount(1);
    TSeriesStruct bar = chart->GetData(0);
    bar.Kind = 2;
    bar.Color = 0x0000FF;
    bar.Add(1, 50, "");
    chart->SetData(0, bar);
    const auto draw = [&] {
        platform::BitmapCanvas bitmap(420, 300);
        chart->Draw(10, 10, {0, 0, 400, 280}, 10000, bitmap, 1, 1, false);
        return RedBody(bitmap.GetImage().ToPicture());
    };
    const TRedBody flat = draw();
    ASSERT_GE(flat.Right, 0);
    EXPECT_EQ(flat.Shaded, 0);
    EXPECT_EQ(flat.BackWall, 0);

    std::vector<int> depths;
    chart->SetView3D(true);
    for (int percent : {10, 30}) {
        chart->SetView3DWidth(percent);
        const TRedBody body = draw();
        ASSERT_GE(body.Right, 0) << percent;
        EXPECT_GT(body.BackWall, 1000) << percent;
        EXPECT_GT(body.SideDepth, 3) << percent;
        EXPECT_NEAR(body.TopDepth, body.SideDepth, 2) << percent;
        EXPECT_LT(body.Top, flat.Top + body.TopDepth + 2) << "the front plane gives up the depth at its top";
        depths.push_back(body.SideDepth);
    }
    EXPECT_NEAR(depths[1], 3 * depths[0], 6);

    // Off again, the chart is flat as before.
    chart->SetView3D(false);
    const TRedBody again = draw();
    EXPECT_EQ(again.Shaded, 0);
    EXPECT_EQ(std::tie(again.Left, again.Top, again.Right, again.Bottom),
              std::tie(flat.Left, flat.Top, flat.Right, flat.Bottom));

    bar.Kind = 1;
    bar.Add(2, 50, "");
    chart->SetData(0, bar);
    chart->SetView3D(true);
    EXPECT_GT(draw().Shaded, 100) << "a level line is a lit ribbon";
}

// The value axis and the bodies share one plane: a body of value V tops out on the axis tick of V,
// flat and in 3-D, for bars, lines and areas.
TEST_F(PartsTest, ChartBodiesTopOutOnTheirAxisTicks)
{
    const auto channel = [](TColor c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
    const auto dark = [&](TColor c) { return channel(c, 0) < 90 && channel(c, 8) < 90 && channel(c, 16) < 90; };
    const auto reddish = [&](TColor c) { return channel(c, 0) - std::max(channel(c, 8), channel(c, 16)) > 60; };
    const auto front = [&](TColor c) { return channel(c, 0) > 240 && channel(c, 8) < 20 && channel(c, 16) < 20; };
    for (int kind : {2, 3, 4}) {
        auto* chart = Add<TChartContainer>(7);
        chart->SetLegendVisible(false);
        chart->SetChartLimit({0, 5000, 300, 0});   // values 0..50, ticked every 12.5; x 0..3
        chart->SetGraphCount(1);
        TSeriesStruct series = chart->GetData(0);
        series.Kind = kind;
        series.Color = 0x0000FF;
        for (int i = 0; i < 4; ++i)
            series.Add(i, i < 2 ? 50 : 25, "");
        chart->SetData(0, series);
        chart->SetView3DWidth(25);
        for (bool depth : {false, true}) {
            SCOPED_TRACE("kind " + std::to_string(kind) + (depth ? ", 3-D" : ", flat"));
            chart->SetView3D(depth);
            platform::BitmapCanvas bitmap(400, 300);
            chart->Draw(0, 0, {0, 0, 400, 300}, 10000, bitmap, 1, 1, false);
            const platform::Picture p = bitmap.GetImage().ToPicture();
            // The left axis's line: the longest dark run down the chart's left half, inside its frame.
            struct TRun { int At = 0, From = 0, To = -1; } left;
            for (int x = 3; x < 200; ++x)
                for (int y = 3, from = 3; y < 297; ++y) {
                    if (!dark(p.GetPixel(x, y)))
                        from = y + 1;
                    else if (y - from > left.To - left.From)
                        left = {x, from, y};
                }
            // Where short dark runs cross a row or a column: the ticks.
            const auto ticks = [&](int from, int to, auto pixel) {
                std::vector<double> found;
                for (int i = from, run = 0; i < to; ++i) {
                    run = dark(pixel(i)) ? run + 1 : 0;
                    if (run > 0 && !dark(pixel(i + 1)))
                        found.push_back(i - (run - 1) / 2.0);
                }
                return found;
            };
            // The left axis's ticks (50, 37.5, 25, 12.5, 0) reach out left of its line; the bottom
            // axis's ticks, a quarter of it apart (the last may meet the chart's frame), below the
            // lowest of them.
            const std::vector<double> values =
                ticks(left.From - 3, left.To + 3, [&](int y) { return p.GetPixel(left.At - 3, y); });
            ASSERT_EQ(values.size(), 5u);
            const int below = static_cast<int>(values.back()) + 3;
            const std::vector<double> xs = ticks(left.At - 3, 399, [&](int x) { return p.GetPixel(x, below); });
            ASSERT_GE(xs.size(), 4u);
            // Where a body tops out in a column: a bar's or an area's front face at its first pixel, a
            // line (a ribbon in 3-D) at its lowest.
            const auto top = [&](double at) {
                const int x = static_cast<int>(at);
                int y = 3;
                if (kind == 3) {
                    for (int row = 3; row < values.back() - 1; ++row)
                        y = reddish(p.GetPixel(x, row)) ? row : y;
                } else {
                    while (y < values.back() && !front(p.GetPixel(x, y)))
                        ++y;
                }
                return y;
            };
            // An eighth into the bottom axis the values are 50, seven eighths into it 25.
            const double eighth = (xs[1] - xs[0]) / 2;
            EXPECT_NEAR(top(xs[0] + eighth), values[0], 2);
            EXPECT_NEAR(top(xs[3] + eighth), values[2], 2);
        }
    }
}

// A 3-D pie is a tilted disc with the front half of its rim as an edge band below it, deeper for a
// larger depth percent; a pie hides the walls, also for the bars drawn with it.
TEST_F(PartsTest, ChartPieIsATiltedDiscWithItsEdgeBelow)
{
    auto* chart = Add<TChartContainer>(7);
    chart->SetLegendVisible(false);
    chart->SetGraphCount(1);
    TSeriesStruct pie = chart->GetData(0);
    pie.Kind = 0;
    pie.Add(0, 10, "");
    chart->SetData(0, pie);
    const TColor top = chart->GetPieColors(0)[0];
    struct TDisc {
        int Width = 0, Height = 0, Edge = 0, EdgeGap = 0, Wall = 0;
    };
    const auto draw = [&] {
        platform::BitmapCanvas bitmap(420, 300);
        chart->Draw(10, 10, {0, 0, 400, 280}, 10000, bitmap, 1, 1, false);
        const platform::Picture picture = bitmap.GetImage().ToPicture();
        int left = 1 << 20, right = -1, upper = 1 << 20, lower = -1;
        TDisc disc;
        for (int y = 0; y < picture.GetHeight(); ++y)
            for (int x = 0; x < picture.GetWidth(); ++x) {
                disc.Wall += picture.GetPixel(x, y) == 0xF8F8F8;
                if (picture.GetPixel(x, y) != top)
                    continue;
                left = std::min(left, x), right = std::max(right, x);
                upper = std::min(upper, y), lower = std::max(lower, y);
            }
        disc.Width = right - left;
        disc.Height = lower - upper;
        // Darker pixels of the slice's hue straight below the disc's middle.
        const int mid = (left + right) / 2;
        bool started = false;
        for (int y = lower + 1; y < picture.GetHeight(); ++y) {
            const TColor c = picture.GetPixel(mid, y);
            const bool darker = (c & 0xFFFF00) == 0 && (c & 0xFF) > 30 && (c & 0xFF) + 20 < (top & 0xFF);
            if (darker)
                started = true, ++disc.Edge;
            else if (!started)
                ++disc.EdgeGap;
            else
                break;
        }
        return disc;
    };
    ASSERT_EQ(top & 0xFFFF00, 0u) << "a red first slice";
    const TDisc flat = draw();
    EXPECT_NEAR(flat.Height, flat.Width, 2);
    EXPECT_EQ(flat.Edge, 0);

    chart->SetView3D(true);
    chart->SetView3DWidth(15);
    const TDisc shallow = draw();
    EXPECT_LT(shallow.Height, shallow.Width * 6 / 10) << "tilted";
    EXPECT_GT(shallow.Edge, 3);
    EXPECT_LE(shallow.EdgeGap, 2) << "the edge hangs from the disc's rim";
    chart->SetView3DWidth(40);
    const TDisc deep = draw();
    EXPECT_GT(deep.Edge, shallow.Edge * 2);
    EXPECT_LT(deep.Wall, 20);

    chart->SetGraphCount(2);
    TSeriesStruct bars = chart->GetData(1);
    bars.Kind = 2;
    bars.Add(1, 5, "");
    chart->SetData(1, bars);
    EXPECT_LT(draw().Wall, 20) << "no walls beside a pie";
}

} // namespace

// Columns as wide as the grid together fill it, their rules inside it: 40 + 20 + 20 mm in 80 mm
// with 0.5 mm rules, wrapped by width or by the list, on screen at several zooms and on paper.
TEST_F(PartsTest, GridColumnsAsWideAsTheItemFillItWithTheirRules)
{
    const std::string pdf = vkttest::NewTempFolder("gridrules") + "/grid.pdf";
    // Where the dark runs along row y start, but the last one, where that one ends: from `left`,
    // looking 3 pixels beyond the item.
    const auto rules = [](const QImage& image, int y, int left, int right) {
        std::vector<int> found;
        int end = 0;
        for (int x = left - 3; x < right + 3; ++x)
            if (qGray(image.pixel(x, y)) < 160) {
                if (qGray(image.pixel(x - 1, y)) >= 160) found.push_back(x - left);
                end = x - left + 1;
            }
        if (!found.empty())
            found.back() = end;
        return found;
    };
    for (const int wrapStyle : {1, 0}) {
        auto* grid = Add<TGridContainer>(6, {2000, 2000, 10000, 5000});
        grid->SetColsWrapStyle(wrapStyle);
        grid->SetColCount(3);
        grid->SetRowCount(3);
        grid->SetTitleWidths(TPriorityItem() << 400 << 200 << 200);
        grid->GetViewItem()->SetOptions({voSelectable});   // no dotted frame over the rules
        preview->SetSelected(nullptr);
        preview->resize(1200, 800);
        preview->show();
        for (const int scale : {5000, 10000, 15000, 25000}) {
            preview->SetScale_(scale);
            preview->Redraw();
            const TRect r = grid->GetViewItem()->GetScalingRect(scale);
            const platform::Point o = preview->GetPageDrawer()->GetPageOrigin(0);
            const int y = o.Y + r.Top + static_cast<int>(1375 * 96 / 2540.0 * scale / 10000);   // the last, empty row
            const std::vector<int> found = rules(preview->viewport()->grab().toImage(), y, o.X + r.Left, o.X + r.Right);
            EXPECT_EQ(found, (std::vector<int>{0, r.Width() / 2, r.Width() * 3 / 4, r.Width()}))
                << "wrap style " << wrapStyle << ", zoom " << scale;
        }
        // On paper at 150 dpi: rules 40, 60 and 80 mm from the first.
        vkttest::InstallPdfPrinter(pdf);
        ASSERT_TRUE(preview->DrawPrinter("grid", 1, 0, 1, 1));
        vkttest::Capture("pdftoppm -r 150 -gray -singlefile -png '" + pdf + "' '" + pdf + "'");
        const double mm = 150 / 25.4;
        const std::vector<int> printed = rules(QImage(QString::fromStdString(pdf + ".png")), int(33.75 * mm), int(15 * mm), int(105 * mm));
        ASSERT_EQ(printed.size(), 4u) << "wrap style " << wrapStyle;
        for (int i = 1; i < 4; ++i) EXPECT_NEAR(printed[i] - printed[0], (i + 1) * 20 * mm, 1.5) << i;
        preview->Clear();
    }
}
