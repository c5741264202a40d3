// A layout with every container type printed through the PDF printer: the page count and paper
// size, the texts, grid cells and page numbers of each page, and ink inside every item and nowhere
// outside the printable area.
#include "core/Uvktsupport.h"
#include "gui/QtSupport.h"
#include "layout/Preview.h"
#include "layout/Uchartcontainer.h"
#include "layout/Ugraphiccontainer.h"
#include "layout/Ugridcontainer.h"
#include "layout/Uimagecontainer.h"
#include "layout/Utextcontainer.h"
#include "platform/Bitmap.h"
#include "platform/JpegWriter.h"
#include "support/Command.h"
#include "support/ScriptedServices.h"
#include "support/widgets/RecordingPrinter.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using vkttest::Capture;

constexpr int kDpi = 50;
constexpr TRect kPrintable{1000, 1000, 20000, 28700};   // the paper less 10 mm

struct Placed {
    const char* what;
    TRect mm;
    bool everyPage;   // has ink on pages 2 and 3 too
};

const Placed kItems[] = {
    {"title", {2000, 1500, 19000, 3000}, true},     {"page", {14000, 3200, 19000, 4200}, true},
    {"turned", {2000, 3200, 9000, 6200}, true},     {"rect", {2000, 6500, 4500, 8500}, true},
    {"ellipse", {5000, 6500, 7500, 8500}, true},    {"arrow", {8000, 6500, 10500, 8500}, true},
    {"rule", {11000, 6500, 13500, 8500}, true},     {"image", {2000, 9000, 10000, 13000}, false},
    {"chart", {11000, 9000, 19000, 13000}, true},   {"grid", {2000, 13500, 19000, 21000}, true},
    {"protect", {2000, 21500, 19000, 27500}, true},
};

class PreviewPrintTest : public testing::Test {
protected:
    void SetUp() override
    {
        platform::SetScreenPixelsPerInch(96);
        vkttest::Scripted().Reset();
        folder = vkttest::NewTempFolder("layoutprint");
        pdf = folder + "/layout.pdf";
        vkttest::InstallPdfPrinter(pdf);
        preview = std::make_unique<TPreview>();
        preview->SetMMMargin_({1000, 1000, 1000, 1000});
        Build();
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    template <typename T>
    T* Add(int type, const char* what)
    {
        const Placed* placed = nullptr;
        for (const Placed& p : kItems)
            if (std::string(p.what) == what)
                placed = &p;
        preview->SetSelected(nullptr);
        TViewItem* item = preview->AddContainer(type);
        item->SetMMBoundRect_(placed->mm);
        return dynamic_cast<T*>(ContainerOf(item));
    }

    void Build()
    {
        auto* title = Add<TTextContainer>(2, "title");
        title->SetText("原価表 Cost");
        title->SetFont("ＭＳ Ｐゴシック", 160, 0x402000, {fsBold});
        title->SetTextBrushColor(0xE0F0FF);
        title->SetVertAlign(1);
        auto* page = Add<TTextContainer>(2, "page");
        page->SetTextType(1);
        page->SetHorzAlign(2);
        auto* turned = Add<TTextContainer>(2, "turned");
        turned->SetText("回転");
        turned->SetTextAngle(450);
        turned->SetOutLine(true);
        turned->SetTextBrushColor(0xC0FFC0);
        turned->SetFontSize(240);
        turned->SetHorzAlign(1);
        turned->SetVertAlign(1);
        const struct { const char* what; int shape; } shapes[] = {{"rect", 0}, {"ellipse", 1}, {"arrow", 10}, {"rule", 9}};
        for (const auto& s : shapes) {
            auto* g = Add<TGraphicContainer>(4, s.what);
            g->SetGraphicType(s.shape);
            g->SetLineWidth(5);
            g->SetBrushColor(0xFFE0C0);
            g->SetArrowWidth(50);
            g->SetArrowAngle(300);
        }
        auto* image = Add<TImageContainer>(5, "image");
        image->SetColCount(2);
        image->SetDrawType(idtCenter);
        platform::Picture a(32, 24, 0x3080E0), b(16, 16, 0x2060C0);
        image->AddImage(BinToBase64(platform::EncodeJpeg(a)));
        image->AddImage(BinToBase64(platform::EncodeBmp(b)));
        auto* chart = Add<TChartContainer>(7, "chart");
        chart->SetGraphCount(1);
        TSeriesStruct series = chart->GetData(0);
        series.Kind = 2;
        series.Title = "単価";
        for (int i = 0; i < 5; ++i)
            series.Add(i, 10 + i * 7, "");
        chart->SetData(0, series);
        auto* grid = Add<TGridContainer>(6, "grid");
        grid->SetRowCount(12);
        grid->SetColCount(3);
        grid->SetVisibleRowCount(5);   // five records a page: three pages
        grid->SetTitles("品名,単価,数量");
        std::string csv;
        for (int r = 1; r <= 12; ++r)
            csv += "品目" + std::string(r < 10 ? "0" : "") + std::to_string(r) + "," + std::to_string(r * 110) + "," +
                   std::to_string(r) + "\n";
        grid->SetCSV(csv);
        auto* protect = Add<TTextContainer>(2, "protect");
        protect->SetTextType(3);
        protect->SetText("社外秘");
    }

    // Page n rasterised at kDpi, grey.
    QImage Raster(int page) const
    {
        const std::string p = std::to_string(page);
        const std::string stem = folder + "/p" + p;
        Capture("pdftoppm -r " + std::to_string(kDpi) + " -gray -f " + p + " -l " + p + " -singlefile -png '" + pdf +
                "' '" + stem + "'");
        return QImage(QString::fromStdString(stem + ".png"));
    }

    static QRect Pixels(TRect mm)
    {
        const auto px = [](int v) { return static_cast<int>(v * kDpi / 2540.0); };
        return QRect(QPoint(px(mm.Left), px(mm.Top)), QPoint(px(mm.Right) - 1, px(mm.Bottom) - 1));
    }

    static int Ink(const QImage& image, const QRect& area, bool inside)
    {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (area.contains(x, y) == inside && qGray(image.pixel(x, y)) < 200)
                    ++count;
        return count;
    }

    std::string folder;
    std::string pdf;
    std::unique_ptr<TPreview> preview;
};

TEST_F(PreviewPrintTest, PagesOneToThreeCarryTheirTextsCellsAndInk)
{
    ASSERT_EQ(preview->GetPageMax(), 3);
    ASSERT_TRUE(preview->DrawPrinter("原価表", 1, 0, 1, 3));
    EXPECT_TRUE(vkttest::Scripted().messages.empty());

    const std::string info = Capture("pdfinfo '" + pdf + "'");
    EXPECT_NE(info.find("Pages:           3"), std::string::npos) << info;
    EXPECT_NE(info.find("595 x 842 pts (A4)"), std::string::npos) << info;

    const struct { int page; std::vector<std::string> present, absent; } texts[] = {
        {1, {"原価表 Cost", "- 1 / 3 -", "品名", "品目01", "品目05", "110", "単価", "40.0"}, {"品目06"}},
        {2, {"原価表 Cost", "- 2 / 3 -", "品名", "品目06", "品目10", "660", "単価", "40.0"}, {"品目05", "品目11"}},
        {3, {"- 3 / 3 -", "品目11", "品目12", "1320", "単価", "40.0"}, {"品目10"}},
    };
    for (const auto& t : texts) {
        const std::string p = std::to_string(t.page);
        const std::string text = Capture("pdftotext -raw -f " + p + " -l " + p + " '" + pdf + "' -");
        for (const std::string& s : t.present)
            EXPECT_NE(text.find(s), std::string::npos) << "page " << p << " lacks " << s << "\n" << text;
        for (const std::string& s : t.absent)
            EXPECT_EQ(text.find(s), std::string::npos) << "page " << p << " shows " << s;
    }

    for (int page = 1; page <= 3; ++page) {
        const QImage image = Raster(page);
        ASSERT_EQ(image.height(), 585) << page;   // A4 at 50 dpi
        for (const Placed& item : kItems) {
            if (page == 1 || item.everyPage) {
                EXPECT_GT(Ink(image, Pixels(item.mm), true), 0) << item.what << " on page " << page;
            }
        }
        EXPECT_EQ(Ink(image, Pixels(kPrintable), false), 0) << "ink outside the printable area, page " << page;
    }
}

} // namespace
