#include "gui/BitmapCanvas.h"
#include "gui/DrawingSvg.h"
#include "gui/EnhancedMetafile.h"
#include "gui/PdfWriter.h"
#include "gui/PictureData.h"
#include "support/ScriptedServices.h"
#include "support/TestPictures.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QSizeF>
#include <QtGlobal>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Opens a FIFO for writing once `after` has passed, until destroyed, so that a reader blocked in
// open(2) gets end of file: a draw that would wait for good fails on its time instead.
class FifoRelease {
public:
    FifoRelease(std::string path, std::chrono::milliseconds after)
        : thread_([this, path = std::move(path), after] {
              const auto start = std::chrono::steady_clock::now();
              while (!done_) {
                  if (std::chrono::steady_clock::now() - start > after) {
                      const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK);
                      if (fd >= 0)
                          close(fd);
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(50));
              }
          })
    {
    }
    ~FifoRelease()
    {
        done_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> done_{false};
    std::thread thread_;
};

// A picture's texts and face names reach the converter's SVG unescaped: whatever they spell, the
// drawing opens no file (a picture's pixels do not appear, a FIFO does not block) and draws on.
TEST(EnhancedMetafile, APictureOpensNoFile)
{
    const std::string folder = vkttest::NewTempFolder("emfhref");
    const std::string png = folder + "/green.png";
    QImage green(200, 140, QImage::Format_RGB32);
    green.fill(QColor(0, 255, 0));
    ASSERT_TRUE(green.save(QString::fromStdString(png)));
    const std::string fifo = folder + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((folder + "/f").c_str(), 0600), 0);
    const auto image = [](const std::string& path) {
        return "]]></text><image xlink:href=\"" + path + "\" width=\"200\" height=\"140\"/><text><![CDATA[";
    };
    struct Case {
        const char* What;
        std::string Bytes;
    };
    const Case cases[] = {
        {"a text naming a picture", EmfBuilder(200, 140).Text(10, 100, 30, image(png), 0x000000).Bytes()},
        {"a text naming a FIFO", EmfBuilder(200, 140).Text(10, 100, 30, image(fifo), 0x000000).Bytes()},
        // The face name's 32 characters name "f" in the working folder; the text closes the element.
        {"a face name naming a file",
         EmfBuilder(200, 140)
             .Text(10, 100, 30, "]]></image><text><![CDATA[", 0x000000, "\"/><image xlink:href=\"f")
             .Bytes()},
    };
    char* const previous = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    for (const Case& test : cases) {
        PictureData picture;
        picture.SetBytes(test.Bytes);
        BitmapCanvas canvas(200, 140);
        canvas.FillRect({0, 0, 200, 140}, 0xFFFFFF);
        WarningCounter warnings;
        const auto start = std::chrono::steady_clock::now();
        {
            FifoRelease release(fifo, std::chrono::milliseconds(6000));
            FifoRelease releaseF(folder + "/f", std::chrono::milliseconds(6000));
            picture.Draw(canvas, {0, 0, 200, 140});
        }
        const auto took =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        EXPECT_LT(took.count(), 5000) << test.What;
        EXPECT_EQ(WarningCounter::Count, 0) << test.What << ": " << WarningCounter::Last;
        int greens = 0;
        for (int y = 0; y < 140; ++y)
            for (int x = 0; x < 200; ++x)
                greens += Near(canvas.GetPixel(x, y), 0x00FF00);
        EXPECT_EQ(greens, 0) << test.What;
    }
    ASSERT_EQ(chdir(previous), 0);
    free(previous);

    // An embedded bitmap still draws.
    PictureData picture;
    picture.SetBytes(EmfBuilder(200, 140).Bitmap(20, 20, 120, 100, kBlue).Bytes());
    BitmapCanvas canvas(200, 140);
    canvas.FillRect({0, 0, 200, 140}, 0xFFFFFF);
    picture.Draw(canvas, {0, 0, 200, 140});
    EXPECT_TRUE(Near(canvas.GetPixel(70, 60), kBlue));
    EXPECT_TRUE(Near(canvas.GetPixel(150, 60), 0xFFFFFF));
}

// The converter's SVG is painted by what it draws alone: shapes, clip paths, inline pictures and
// their patterns, texts. A reference out of the document, a picture posing as another format and
// elements that draw nothing (links, scripts, styles) leave the page white; a document type refuses it.
TEST(DrawingSvg, PaintsOnlyDrawingElementsAndInlinePictures)
{
    QImage dot(2, 2, QImage::Format_RGB32);
    dot.fill(QColor(0x10, 0x30, 0xD0));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    dot.save(&buffer, "PNG");
    const std::string inlinePng = "data:image/png;base64," + png.toBase64().toStdString();
    // A JPEG's signature before an SVG document: a reader guessing by content would take it as SVG.
    const std::string posing = "data:image/jpeg;base64," +
        QByteArray("\xff\xd8\xff\xe0\x00\x10<svg><image xlink:href='/etc/passwd'/></svg>").toBase64().toStdString();
    const std::string svg =
        "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' width='100' height='50'>"
        "<defs><image id='i' width='10' height='10' xlink:href='" + inlinePng + "'/>"
        "<pattern id='p' width='10' height='10'><use xlink:href='#i'/></pattern>"
        "<clipPath id='c'><rect x='60' y='0' width='10' height='10'/></clipPath></defs>"
        "<rect x='0' y='0' width='10' height='10' fill='#E01010' onclick='x()'/>"
        "<use xlink:href='#i' x='20'/><use xlink:href='other.svg#i' x='20' y='20'/>"
        "<rect x='40' y='0' width='10' height='10' style='fill:url(#p)'/>"
        "<g clip-path='url(#c)'><rect x='55' y='0' width='20' height='20'/></g>"
        "<image x='80' width='10' height='10' xlink:href='/any/picture.png'/>"
        "<image x='80' width='10' height='10' xlink:href='" + posing + "'/>"
        "<path d='M 0 30 A 10 10 0 0 1 20 30 Z'/><path d='M 0 0 L 1 1 Z 5 5'/>"
        "<rect x='90' y='20' width='10' height='10' fill='url(file:///etc/passwd)' style='fill:url(/a.png)'/>"
        "<text x='30' y='45' font-size='10' style='white-space:pre;'><![CDATA[a < b & c]]></text>"
        "<style>@import url(/a.css);</style><a xlink:href='/x'><rect y='40' width='100' height='10'/></a>"
        "<foreignObject/><script>x</script></svg>";
    QImage page(200, 100, QImage::Format_RGB32);
    page.fill(Qt::white);
    std::string error;
    {
        QPainter painter(&page);
        ASSERT_TRUE(PaintDrawingSvg(svg, painter, QSizeF(200, 100), {1000, 100, 1000}, error)) << error;
    }
    const auto at = [&](int x, int y) { return page.pixel(x, y) & 0xFFFFFF; };
    const struct {
        int X, Y;
        unsigned Rgb;
        const char* What;
    } pixels[] = {
        {10, 10, 0xE01010, "a rectangle"},
        {50, 10, 0x1030D0, "a picture used"},
        {90, 10, 0x1030D0, "a pattern of it"},
        {130, 10, 0, "inside the clip path"},
        {114, 10, 0xFFFFFF, "left of the clip path"},
        {144, 10, 0xFFFFFF, "right of the clip path"},
        {170, 10, 0xFFFFFF, "pictures named or posing"},
        {50, 50, 0xFFFFFF, "a picture of another document"},
        {20, 54, 0, "inside the arc"},
        {4, 44, 0xFFFFFF, "outside the arc"},
        {190, 50, 0xFFFFFF, "a fill out of the document"},
        {190, 90, 0xFFFFFF, "a link's content"},
    };
    for (const auto& pixel : pixels)
        EXPECT_EQ(at(pixel.X, pixel.Y), pixel.Rgb) << pixel.What;
    int ink = 0;
    for (int y = 70; y < 92; ++y)
        for (int x = 60; x < 160; ++x)
            ink += at(x, y) != 0xFFFFFFu;
    EXPECT_GT(ink, 40) << "the text";

    QImage scratch(10, 10, QImage::Format_RGB32);
    QPainter painter(&scratch);
    EXPECT_FALSE(PaintDrawingSvg(svg, painter, QSizeF(10, 10), {1000, 8, 1000}, error)) << "more elements than allowed";
    EXPECT_FALSE(PaintDrawingSvg(svg, painter, QSizeF(10, 10), {1000, 100, 20}, error)) << "more points than allowed";
    EXPECT_FALSE(PaintDrawingSvg("<!DOCTYPE svg [<!ENTITY e SYSTEM '/etc/passwd'>]><svg "
                                 "xmlns='http://www.w3.org/2000/svg'><text>&e;</text></svg>", painter, QSizeF(10, 10),
                                 {1000, 100, 1000}, error));
    EXPECT_FALSE(PaintDrawingSvg("<svg xmlns='http://www.w3.org/2000/svg'><text>&e;</text></svg>", painter,
                                 QSizeF(10, 10), {1000, 100, 1000}, error));
    EXPECT_FALSE(PaintDrawingSvg("<html/>", painter, QSizeF(10, 10), {1000, 100, 1000}, error));
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

// Twenty distinct pictures drawn twice, four of them refused by the converter: the second pass
// converts nothing and says nothing.
TEST(EnhancedMetafile, EachPictureIsConvertedOnce)
{
    std::vector<std::string> pictures;
    for (int i = 0; i < 16; ++i)
        pictures.push_back(EmfBuilder(40 + i, 30).Rectangle(2, 2, 20, 20, kRed).Bytes());
    for (int i = 0; i < 4; ++i) {
        const std::string bytes = EmfBuilder(40 + i, 30).Rectangle(2, 2, 20, 20, kRed).Bytes();
        pictures.push_back(bytes.substr(0, bytes.size() - 8)); // the end-of-file record cut
    }
    WarningCounter warnings;
    const std::size_t before = MetafileConversionCount();
    for (int pass = 0; pass < 2; ++pass)
        for (const std::string& bytes : pictures) {
            PictureData picture;
            picture.SetBytes(bytes);
            BitmapCanvas canvas(40, 30);
            picture.Draw(canvas, {0, 0, 40, 30});
        }
    EXPECT_EQ(MetafileConversionCount() - before, pictures.size());
    EXPECT_EQ(WarningCounter::Count, 4) << WarningCounter::Last;
}

std::size_t StatusKilobytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0)
            return std::stoul(line.substr(field.size() + 1));
    return 0;
}

// A large picture is held once while it converts and once it is drawn: neither the converter nor
// the cache keeps a copy of its bytes.
TEST(EnhancedMetafile, ALargePictureIsHeldOnce)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps freed memory";
#endif
    constexpr std::uint32_t kSize = 96u << 20;
    std::string comment(4 + std::size_t(kSize), 'x');
    for (int i = 0; i < 4; ++i)
        comment[std::size_t(i)] = static_cast<char>((kSize >> (8 * i)) & 0xFF);
    std::string bytes = EmfBuilder(100, 100).Rectangle(10, 10, 90, 90, kRed).Raw(70, comment).Bytes();
    comment = std::string();
    std::ofstream reset("/proc/self/clear_refs");
    if (!(reset << "5" << std::flush))
        GTEST_SKIP() << "the peak resident size cannot be reset";
    const std::size_t baseline = StatusKilobytes("VmRSS");
    PictureData picture;
    picture.SetBytes(std::move(bytes));
    BitmapCanvas canvas(100, 100);
    picture.Draw(canvas, {0, 0, 100, 100});
    const std::size_t peak = StatusKilobytes("VmHWM");
    EXPECT_LT((peak - baseline) * 1024, kSize / 2) << "peak " << peak << " kB over " << baseline << " kB";
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
