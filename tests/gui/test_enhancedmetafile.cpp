#include "gui/BitmapCanvas.h"
#include "gui/EnhancedMetafile.h"
#include "gui/PdfWriter.h"
#include "gui/PictureData.h"
#include "support/ScriptedServices.h"
#include "support/TestPictures.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QtGlobal>

#include <cstdio>
#include <memory>
#include <string>

namespace {

using namespace platform;
using vkttest::EmfBuilder;
using vkttest::KitchenEmf;

constexpr unsigned kRed = 0xE01010;
constexpr unsigned kBlue = 0x1030D0;


bool Near(TColor pixel, unsigned rgb)
{
    const int r = pixel & 0xFF, g = (pixel >> 8) & 0xFF, b = (pixel >> 16) & 0xFF;
    return std::abs(r - int(rgb >> 16)) < 40 && std::abs(g - int((rgb >> 8) & 0xFF)) < 40 &&
           std::abs(b - int(rgb & 0xFF)) < 40;
}

int DarkPixels(const BitmapCanvas& canvas, const Rect& area)
{
    int dark = 0;
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x) {
            const TColor c = canvas.GetPixel(x, y);
            if ((c & 0xFF) < 100 && ((c >> 8) & 0xFF) < 100 && ((c >> 16) & 0xFF) < 100)
                ++dark;
        }
    return dark;
}

// Messages Qt's warning channel carried while a scope lived.
struct WarningCounter {
    static inline int Count = 0;
    static inline std::string Last;
    QtMessageHandler previous;
    WarningCounter()
    {
        Count = 0;
        Last.clear();
        previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtWarningMsg) {
                ++Count;
                Last = text.toStdString();
            }
        });
    }
    ~WarningCounter() { qInstallMessageHandler(previous); }
};

TEST(EnhancedMetafile, DrawsItsRecordsAtAnySize)
{
    PictureData picture;
    picture.SetBytes(KitchenEmf());
    ASSERT_EQ(picture.GetKind(), PictureKind::Metafile);
    EXPECT_EQ(picture.GetWidth(), 200);
    EXPECT_EQ(picture.GetHeight(), 140);
    EXPECT_TRUE(picture.Draws());

    for (const int zoom : {1, 2}) {
        BitmapCanvas canvas(200 * zoom, 140 * zoom);
        canvas.FillRect({0, 0, 200 * zoom, 140 * zoom}, 0xFFFFFF);
        picture.Draw(canvas, {0, 0, 200 * zoom, 140 * zoom});
        EXPECT_TRUE(Near(canvas.GetPixel(50 * zoom, 50 * zoom), kRed)) << "rectangle at zoom " << zoom;
        EXPECT_TRUE(Near(canvas.GetPixel(150 * zoom, 50 * zoom), kBlue)) << "ellipse at zoom " << zoom;
        // The ellipse's bounding corner stays white.
        EXPECT_TRUE(Near(canvas.GetPixel(112 * zoom, 12 * zoom), 0xFFFFFF)) << "outside the ellipse";
        EXPECT_GT(DarkPixels(canvas, {10 * zoom, 100 * zoom, 190 * zoom, 140 * zoom}), 80 * zoom * zoom)
            << "the text line at zoom " << zoom;
    }
    // Drawing changes nothing of what is stored.
    EXPECT_EQ(picture.GetBytes(), KitchenEmf());
}

TEST(EnhancedMetafile, BitmapCopyAndPdfDrawTheRecords)
{
    PictureData picture;
    picture.SetBytes(KitchenEmf());
    const Picture bmp = DecodeBmp(picture.ToBmp());
    ASSERT_EQ(bmp.GetWidth(), 200);
    EXPECT_TRUE(Near(bmp.GetPixel(50, 50), kRed));

    const std::string file = vkttest::NewTempFolder("emfpdf") + "/picture.pdf";
    {
        PdfWriter writer(file, 21000, 29700, 96);
        picture.Draw(writer.GetCanvas(), {96, 96, 96 + 400, 96 + 280});
        writer.Finish();
    }
    const std::string png = file + ".png";
    const std::string command = "pdftoppm -r 96 -singlefile -png '" + file + "' '" + file + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const QImage page(QString::fromStdString(png));
    ASSERT_FALSE(page.isNull());
    const QRgb red = page.pixel(96 + 100, 96 + 100);
    EXPECT_GT(qRed(red), 180);
    EXPECT_LT(qGreen(red), 80);
    const QRgb blue = page.pixel(96 + 300, 96 + 100);
    EXPECT_GT(qBlue(blue), 150);
    EXPECT_LT(qRed(blue), 80);
}

TEST(EnhancedMetafile, DamagedOrHostileBytesDrawAFrameAndAreKept)
{
    const std::string good = KitchenEmf();
    std::string hugeRecord = EmfBuilder(50, 50).Raw(43, std::string(4, '\x7f')).Bytes();
    std::string zeroSize = good;
    zeroSize.replace(92, 4, std::string(4, '\0')); // the first record after the header claims 0 bytes
    std::string wrongCount = good;
    wrongCount.replace(48, 4, "\xff\xff\xff\x7f"); // total size beyond the bytes
    const std::string cases[] = {
        good.substr(0, 120),               // cut in the middle of a record
        good.substr(0, 88),                // no end-of-file record
        hugeRecord,                        // a rectangle record too short for its rectangle
        zeroSize,
        wrongCount,
        good.substr(0, 88) + std::string(400, '\xff'),
    };
    for (const std::string& bytes : cases) {
        PictureData picture;
        picture.SetBytes(bytes);
        BitmapCanvas canvas(60, 60);
        canvas.FillRect({0, 0, 60, 60}, 0xFFFFFF);
        picture.Draw(canvas, {0, 0, 60, 60});   // no crash, no hang
        EXPECT_EQ(picture.GetBytes(), bytes);
        if (!picture.Draws()) {
            EXPECT_EQ(canvas.GetPixel(0, 0), 0x000000) << "an empty frame";
        }
    }
}

TEST(EnhancedMetafile, AnOversizedFrameDrawsNothingAndSaysSoOnce)
{
    const std::string bytes = vkttest::MakeEmf(100000 * 2540 / 96 + 1, 100000 * 2540 / 96 + 1);
    WarningCounter warnings;
    for (int i = 0; i < 3; ++i) {
        PictureData picture;
        picture.SetBytes(bytes);
        EXPECT_EQ(picture.GetWidth(), 100000);
        EXPECT_FALSE(picture.Draws());
        BitmapCanvas canvas(40, 40);
        picture.Draw(canvas, {0, 0, 40, 40});
    }
    EXPECT_EQ(WarningCounter::Count, 1);
    EXPECT_NE(WarningCounter::Last.find("too large"), std::string::npos) << WarningCounter::Last;
}

TEST(EnhancedMetafile, TheConverterIsBoundedInTimeAndOutput)
{
    const std::string bytes = KitchenEmf();
    std::string error;
    const auto svg = ConvertMetafileToSvg(bytes, 200, 140, 5000, error);
    ASSERT_TRUE(svg.has_value()) << error;
    EXPECT_NE(svg->find("<svg"), std::string::npos);

    EXPECT_FALSE(ConvertMetafileToSvg(bytes, 200, 140, 5000, error, 16).has_value());
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
    EXPECT_FALSE(ConvertMetafileToSvg(bytes, 200, 140, 0, error).has_value());
    EXPECT_NE(error.find("too long"), std::string::npos) << error;
    EXPECT_FALSE(ConvertMetafileToSvg("not a metafile", 10, 10, 5000, error).has_value());
}

} // namespace
