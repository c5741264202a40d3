#include "gui/BitmapCanvas.h"
#include "gui/EnhancedMetafile.h"
#include "gui/PageRecording.h"
#include "gui/PdfWriter.h"
#include "gui/PictureData.h"
#include "gui/QtCanvas.h"
#include "gui/RunPump.h"
#include "platform/ProgramFiles.h"
#include "support/ScriptedServices.h"
#include "support/TestPictures.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QSizeF>
#include <QWidget>
#include <QtGlobal>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>
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

TColor FromRgb(QRgb rgb) { return TColor(qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16)); }

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

// The edge of an ellipse shades from its colour to the page's, on a bitmap and through a recorded
// page (the on-screen caches' road).
TEST(EnhancedMetafile, ShapesAreAntialiased)
{
    PictureData picture;
    picture.SetBytes(EmfBuilder(100, 100).Ellipse(10, 10, 90, 90, kBlue).Bytes());
    const auto shades = [](const QImage& image) {
        int between = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = image.pixel(x, y);
                between += qBlue(c) > 0x40 && qBlue(c) < 0xC0 && qRed(c) > 0x40 && qRed(c) < 0xC0;
            }
        return between;
    };
    BitmapCanvas bitmap(100, 100);
    bitmap.FillRect({0, 0, 100, 100}, 0xFFFFFF);
    picture.Draw(bitmap, {0, 0, 100, 100});
    QImage drawn(100, 100, QImage::Format_RGB32);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const TColor c = bitmap.GetPixel(x, y);
            drawn.setPixel(x, y, qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
        }
    EXPECT_GT(shades(drawn), 40) << "on a bitmap";

    PageRecorder recorder(100, 100, 96);
    picture.Draw(recorder.GetCanvas(), {0, 0, 100, 100});
    const PageRecording page = recorder.Finish();
    QImage replayed(100, 100, QImage::Format_RGB32);
    replayed.fill(Qt::white);
    {
        QPainter painter(&replayed);
        QtCanvas canvas(painter, 96, 96, CanvasKind::Screen);
        canvas.DrawMetafile({0, 0, 100, 100}, page);
    }
    EXPECT_GT(shades(replayed), 40) << "through a recorded page";
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

std::string Xform(float m11, float m12, float m21, float m22, float dx, float dy)
{
    std::string payload;
    for (const float v : {m11, m12, m21, m22, dx, dy}) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &v, 4);
        for (int i = 0; i < 4; ++i)
            payload += static_cast<char>((bits >> (8 * i)) & 0xFF);
    }
    return payload;
}

// A widget that shows a picture as the image view does: its canvas is the screen's.
class PictureWidget : public QWidget {
public:
    explicit PictureWidget(const PictureData& picture) : picture_(picture) { resize(200, 140); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        QtCanvas canvas(painter, 96, 96, CanvasKind::Screen);
        picture_.Draw(canvas, {0, 0, 200, 140});
    }

private:
    const PictureData& picture_;
};

// A text under a degenerate or extreme world transform, then a red rectangle under none: on screen,
// on a bitmap and in PDF the text never reaches the glyph rasteriser with that transform (a shear
// of 1000 crashed it), and what follows it is drawn.
TEST(EnhancedMetafile, TextUnderExtremeTransformsIsDrawnSafely)
{
    const struct {
        const char* What;
        std::string Transform;
    } cases[] = {
        {"a shear of 1000", Xform(1, 0, 1000, 1, 0, 0)},
        {"a vertical shear of 1000", Xform(1, 1000, 0, 1, 0, 0)},
        {"a scale of a million by a millionth", Xform(1e6f, 0, 0, 1e-6f, 0, 0)},
        {"a nearly singular rotation", Xform(0.7071068f, 0.7071068f, 0.7071068f, 0.7071069f, 0, 0)},
        {"a scale of a ten-millionth", Xform(1e-7f, 0, 0, 1e-7f, 0, 0)},
        {"a scale of a thousand", Xform(1000, 0, 0, 1000, 0, 0)},
        {"a quarter turn", Xform(0, 1, -1, 0, 100, 0)},
    };
    const std::string folder = vkttest::NewTempFolder("emfxform");
    for (const auto& test : cases) {
        const std::string bytes = EmfBuilder(200, 140)
                                      .Raw(35, test.Transform)
                                      .Text(10, 40, 20, "Salt 塩 and pepper", 0x000000)
                                      .Raw(35, Xform(1, 0, 0, 1, 0, 0))
                                      .Rectangle(120, 80, 190, 130, kRed)
                                      .Bytes();
        PictureData picture;
        picture.SetBytes(bytes);
        WarningCounter warnings;

        // On screen, from the pixels its first paint asked the workers for.
        PictureWidget widget(picture);
        widget.grab();
        ASSERT_TRUE(vkttest::WaitForPlayers());
        const QImage screen = widget.grab().toImage();
        EXPECT_TRUE(Near(FromRgb(screen.pixel(150, 100)), kRed)) << test.What << ": on screen";

        BitmapCanvas bitmap(200, 140);
        bitmap.FillRect({0, 0, 200, 140}, 0xFFFFFF);
        picture.Draw(bitmap, {0, 0, 200, 140});
        EXPECT_TRUE(Near(bitmap.GetPixel(150, 100), kRed)) << test.What << ": on a bitmap";

        const std::string file = folder + "/picture.pdf";
        {
            PdfWriter writer(file, 21000, 29700, 96);
            picture.Draw(writer.GetCanvas(), {0, 0, 200, 140});
            writer.Finish();
        }
        const std::string command = "pdftoppm -r 96 -singlefile -png '" + file + "' '" + file + "' 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << test.What;
        const QImage page(QString::fromStdString(file + ".png"));
        EXPECT_TRUE(Near(FromRgb(page.pixel(150, 100)), kRed)) << test.What << ": in PDF";
        EXPECT_EQ(WarningCounter::Count, 0) << test.What << ": " << WarningCounter::Last;
    }
}

// A drawing over the cache's budget is refused rather than kept as its only entry; a refused
// picture is rendered once and said once.
TEST(EnhancedMetafile, ADrawingOverTheCacheBudgetIsRefused)
{
    int renders = 0;
    MetafileCache cache(16 << 10, [&](std::string_view bytes) {
        ++renders;
        return RenderEnhancedMetafile(bytes);
    });
    EmfBuilder many(200, 140);
    for (int i = 0; i < 400; ++i)
        many.Ellipse(i % 180, i / 3, i % 180 + 20, i / 3 + 10, 0x100000u * (i % 16));
    const std::string large = many.Bytes();
    const std::string small = EmfBuilder(40, 30).Rectangle(2, 2, 20, 20, kRed).Bytes();
    WarningCounter warnings;
    EXPECT_FALSE(cache.Get(small)->Drawing.IsEmpty());
    const std::size_t held = cache.HeldBytes();
    EXPECT_GT(held, 0u);
    for (int pass = 0; pass < 2; ++pass) {
        const auto rendering = cache.Get(large);
        EXPECT_TRUE(rendering->Drawing.IsEmpty());
        EXPECT_EQ(rendering->Error, "the drawing is too large to keep");
    }
    EXPECT_EQ(cache.HeldBytes(), held) << "the small drawing is kept, the large one is not";
    EXPECT_EQ(renders, 2);
    EXPECT_EQ(WarningCounter::Count, 1) << WarningCounter::Last;
}

// The cache's budget counts every drawing it made that something still holds (a shown page's
// pictures): those held by nothing else go first, and one let go while held elsewhere stays counted
// until it has gone, and is given back when asked for again rather than played anew.
TEST(EnhancedMetafile, TheCacheCountsTheDrawingsHeldElsewhere)
{
    std::vector<std::string> pictures;
    for (int i = 0; i < 8; ++i)
        pictures.push_back(EmfBuilder(40, 30).Rectangle(2, 2, 20 + i, 20, kRed).Bytes());
    int renders = 0;
    const auto render = [&](std::string_view bytes) {
        ++renders;
        return RenderEnhancedMetafile(bytes);
    };
    std::size_t each = 0;
    {
        MetafileCache probe(16 << 10, render);
        probe.Get(pictures[0]);
        each = probe.HeldBytes();
    }
    renders = 0;
    MetafileCache cache(3 * each, render);
    std::vector<std::shared_ptr<const MetafileRendering>> shown;
    for (int i = 0; i < 4; ++i)
        shown.push_back(cache.Get(pictures[i]));
    for (int i = 4; i < 8; ++i)
        cache.Get(pictures[i]);
    EXPECT_EQ(cache.HeldBytes(), 5 * each) << "the four held, over the budget, and the latest made";
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(cache.Get(pictures[i])->Drawing.GetDrawing(), shown[i]->Drawing.GetDrawing()) << i;
    EXPECT_EQ(renders, 8) << "the held drawings are not played again";
    shown.clear();
    EXPECT_LE(cache.HeldBytes(), 3 * each) << "let go by all, within the budget again";
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

// A hatch's tile goes into a PDF as a lossless image: a light hatch prints in its own colour, not
// in the grey a JPEG of its lines turns into.
TEST(EnhancedMetafile, AHatchPrintsInItsOwnColour)
{
    PictureData picture;
    picture.SetBytes(EmfBuilder(200, 140).Hatch(0, 0, 200, 140, 5, 0xFFC3C3).Bytes());
    const std::string file = vkttest::NewTempFolder("emfhatch") + "/picture.pdf";
    {
        PdfWriter writer(file, 21000, 29700, 96);
        picture.Draw(writer.GetCanvas(), {0, 0, 200, 140});
        writer.Finish();
    }
    const std::string command = "pdftoppm -r 96 -singlefile -png '" + file + "' '" + file + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const QImage page(QString::fromStdString(file + ".png"));
    ASSERT_FALSE(page.isNull());
    int minRed = 255;
    int minGreen = 255;
    for (int y = 20; y < 120; ++y)
        for (int x = 20; x < 180; ++x) {
            minRed = std::min(minRed, qRed(page.pixel(x, y)));
            minGreen = std::min(minGreen, qGreen(page.pixel(x, y)));
        }
    EXPECT_GE(minRed, 250) << "pink lines on white hold no grey";
    EXPECT_NEAR(minGreen, 195, 4) << "the lines are the hatch's pink";
}

// A hatch drawn smaller than its picture, as in a small stretched cell, keeps its lines: a tile's
// pixel never shrinks below a device pixel, so no sampling drops the column a line is in.
TEST(EnhancedMetafile, AShrunkHatchKeepsItsLines)
{
    PictureData picture;
    picture.SetBytes(EmfBuilder(200, 140).Hatch(0, 0, 200, 140, 1, 0xC00000).Bytes());
    for (const int width : {40, 50, 60, 75, 90, 110, 150, 342}) {
        BitmapCanvas bitmap(width, 100);
        bitmap.FillRect({0, 0, width, 100}, 0xFFFFFF);
        picture.Draw(bitmap, {0, 0, width, 100});
        const QImage image = bitmap.GetImage().Q();
        int lines = 0;
        for (int x = 2; x < width - 2; ++x)
            if (qRed(image.pixel(x, 50)) > 150 && qGreen(image.pixel(x, 50)) < 80)
                ++lines;
        EXPECT_GE(lines, (width - 4) / 16) << "the vertical hatch drawn " << width << " pixels wide";
    }
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

// The player runs apart: its drawing, its own reason for a refusal, a limit on what it may write and
// on its time.
TEST(EnhancedMetafile, ThePlayerIsBoundedInTimeAndOutput)
{
    const std::string bytes = KitchenEmf();
    std::string error;
    const auto svg = PlayMetafile(bytes, 5000, error);
    ASSERT_TRUE(svg.has_value()) << error;
    EXPECT_NE(svg->find("<svg"), std::string::npos);

    EXPECT_FALSE(PlayMetafile(bytes, 5000, error, 16).has_value());
    EXPECT_EQ(error, "the drawing is too large");
    EXPECT_FALSE(PlayMetafile(bytes, 0, error).has_value());
    EXPECT_EQ(error, "the conversion took too long");
    EXPECT_FALSE(PlayMetafile("not a metafile", 5000, error).has_value());
    EXPECT_EQ(error, "the header cannot be read");
    // A picture larger than a pipe's buffer goes in whole while the drawing comes out.
    std::string comment(4 + (4 << 20), 'x');
    comment.replace(0, 4, std::string("\0\0\x40\0", 4)); // its 4 MB of data
    const std::string large = vkttest::EmfBuilder(200, 140).Raw(70, comment).Bytes();
    ASSERT_TRUE(PlayMetafile(large, 5000, error).has_value()) << error;
}

// Only the player the program is pointed at runs: by default the one beside the program (a test
// program has none there), never one whose path was compiled in. Its time is the processor time it
// uses: one kept from running a while (as on a loaded machine) still draws, one that computes on is
// killed at its time, and one that closes its output and then lingers is killed at its time from
// then, not waited for.
TEST(EnhancedMetafile, OnlyTheProgramsOwnPlayerRunsAndALingeringOneIsKilled)
{
    std::string error;
    {
        // By default the player under the program's prefix (the build tree's here) plays; under a
        // prefix without one nothing plays, though a player lies on PATH.
        const vkttest::PlayerInUse own("");
        EXPECT_TRUE(PlayMetafile(KitchenEmf(), 1000, error).has_value()) << error;
        const std::filesystem::path built = vkttest::BuildPlayer();
        const std::string onPath = vkttest::NewTempFolder("path");
        std::filesystem::copy_file(built, onPath + "/vkt-emfplay");
        const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", (onPath + ":" + path).c_str(), 1);
        platform::SetProgramPrefix(vkttest::NewTempFolder("prefix"));
        EXPECT_FALSE(PlayMetafile(KitchenEmf(), 1000, error).has_value());
        EXPECT_EQ(error, "the player cannot be started");
        platform::SetProgramPrefix(built.parent_path().parent_path().parent_path().string());
        setenv("PATH", path.c_str(), 1);
    }
    {
        const vkttest::PlayerInUse late(vkttest::ScriptPlayer(1.5));
        EXPECT_TRUE(PlayMetafile(KitchenEmf(), 1000, error).has_value()) << error;
    }
    {
        const vkttest::PlayerInUse computing(vkttest::ScriptPlayer(0, "while :; do :; done"));
        const auto began = std::chrono::steady_clock::now();
        EXPECT_FALSE(PlayMetafile(KitchenEmf(), 1000, error).has_value());
        // At its 1 s of the processor, before the 8 s it may take in all (room for a machine seven
        // times as busy between).
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::milliseconds(7500));
        EXPECT_EQ(error, "the conversion took too long");
    }
    {
        const vkttest::PlayerInUse lingering(vkttest::ScriptPlayer(0, "exec 0<&- 1>&- 2>&-; exec sleep 8"));
        const auto began = std::chrono::steady_clock::now();
        EXPECT_FALSE(PlayMetafile(KitchenEmf(), 1000, error).has_value());
        // Killed at its 1 s, not waited for over its 8 s (room for a loaded machine between).
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(5));
        EXPECT_EQ(error, "the conversion took too long");
    }
    {
        // What it started is killed with it.
        const std::string folder = vkttest::NewTempFolder("spawning");
        const vkttest::PlayerInUse spawning(
            vkttest::ScriptPlayer(0, "sleep 30 & echo $! > '" + folder + "/child'; exec sleep 30"));
        // Waiting, it is killed at 8 times its time in all.
        EXPECT_FALSE(PlayMetafile(KitchenEmf(), 200, error).has_value());
        std::string child;
        std::ifstream(folder + "/child") >> child;
        ASSERT_FALSE(child.empty());
        const auto ended = [&] {
            std::ifstream stat("/proc/" + child + "/stat");
            std::string pid, name, state;
            return !(stat >> pid >> name >> state) || state == "Z";
        };
        for (int i = 0; i < 300 && !ended(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_TRUE(ended()) << "the player's child " << child << " outlived it";
        if (!ended())
            kill(std::stoi(child), SIGKILL);
    }
    EXPECT_TRUE(PlayMetafile(KitchenEmf(), 1000, error).has_value()) << error;
}

// A picture asked for again while a worker plays it is played once; a caller that must wait for a
// picture no worker has taken yet plays it itself (the one worker is busy); the GUI thread is told
// once of plays that ended together.
TEST(EnhancedMetafile, APictureAskedForWhileItPlaysIsPlayedOnce)
{
    const std::string slow = EmfBuilder(41, 30).Rectangle(2, 2, 20, 20, kRed).Bytes();
    const std::string queued = EmfBuilder(42, 30).Rectangle(2, 2, 20, 20, kBlue).Bytes();
    std::atomic<int> renders{0};
    std::atomic<bool> release{false};
    MetafileCache cache(
        16 << 20,
        [&](std::string_view bytes) {
            ++renders;
            while (bytes == slow && !release)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return RenderEnhancedMetafile(bytes);
        },
        1);
    int told = 0;
    QObject::connect(&ProgramJobNotifier(), &JobNotifier::Ended, [&] { ++told; });

    std::shared_ptr<MetafilePlay> first, again, other;
    EXPECT_EQ(cache.Find(slow, first), nullptr);
    EXPECT_EQ(cache.Find(slow, again), nullptr);
    EXPECT_EQ(again, first);
    EXPECT_EQ(cache.Find(queued, other), nullptr);
    EXPECT_EQ(cache.Playing(), 2u);

    const auto taken = cache.Get(queued);
    EXPECT_FALSE(taken->Drawing.IsEmpty()) << taken->Error;
    EXPECT_TRUE(other->Ended());
    EXPECT_FALSE(first->Ended());
    release = true;
    const auto played = cache.Wait(*first);
    EXPECT_FALSE(played->Drawing.IsEmpty()) << played->Error;
    EXPECT_EQ(cache.Get(slow), played);
    EXPECT_EQ(renders, 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(told, 1);
    EXPECT_EQ(cache.Playing(), 0u);
}

// The one worker takes the pictures asked for in the latest turn of the event loop first (in one
// turn in the order asked), drops those whose askers have let go, and takes a picture waited for
// under a pump before every other while the pump runs; a pump that gives up leaves a frame.
TEST(EnhancedMetafile, APictureShownNowGoesFirstAndOneNoLongerAskedForIsDropped)
{
    std::mutex mutex;
    std::vector<int> order;
    std::atomic<bool> release{false};
    // Picture i is i + 50 pixels wide; 0, 4 and 8 hold the worker until released.
    MetafileCache cache(
        16 << 20,
        [&](std::string_view bytes) {
            int width = 0, height = 0;
            PictureData::MetafileSize(bytes, width, height);
            std::unique_lock lock(mutex);
            order.push_back(width - 50);
            lock.unlock();
            while ((width - 50) % 4 == 0 && !release)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return MetafileRendering{PageRecording(std::make_shared<const DisplayList>(), width, height), {}};
        },
        1);
    const auto ask = [&](int i) {
        std::shared_ptr<MetafilePlay> play;
        cache.Find(EmfBuilder(50 + i, 30).Rectangle(2, 2, 20, 20, kRed).Bytes(), play);
        return play;
    };
    const auto played = [&](std::size_t count) {
        for (;; std::this_thread::sleep_for(std::chrono::milliseconds(1))) {
            std::lock_guard lock(mutex);
            if (order.size() >= count)
                return std::vector<int>(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(count));
        }
    };
    const auto busy = ask(0);
    played(1);
    auto earlier = std::vector{ask(1), ask(2), ask(3)};
    QCoreApplication::processEvents();
    const auto now = ask(5);
    earlier[1].reset();
    release = true;
    EXPECT_EQ(played(4), (std::vector<int>{0, 5, 1, 3})) << "2 was let go before it played";

    release = false;
    const auto blocking = ask(4);
    played(5);
    const auto queued = ask(6);
    const auto waited = ask(7);
    const std::size_t held = cache.HeldWaits();
    {
        int pumped = 0;
        RunPump pump([&](std::size_t, std::size_t) { return (release = ++pumped > 2), true; }, {});
        EXPECT_FALSE(cache.Wait(*waited, &pump)->Drawing.IsEmpty());
    }
    EXPECT_EQ(cache.HeldWaits(), held) << "the waiting thread let events through and played nothing";
    EXPECT_EQ(played(6), (std::vector<int>{0, 5, 1, 3, 4, 7})) << "7, waited for, before 6";
    release = false;
    const auto late = ask(8);
    {
        RunPump giveUp([](std::size_t, std::size_t) { return false; }, {});
        EXPECT_TRUE(cache.Wait(*late, &giveUp)->Drawing.IsEmpty()) << "a wait given up draws a frame";
    }
    release = true;
    cache.Wait(*late);
}

// A pumped wait for a page's plays takes those not yet taken first and tells the pump how many have
// ended, the last call with all of them, also when the last ends while the pump runs.
TEST(EnhancedMetafile, APumpedWaitForSeveralPlaysCountsEachEnded)
{
    std::atomic<bool> release{false};
    MetafileCache cache(
        16 << 20,
        [&](std::string_view bytes) {
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            int width = 0, height = 0;
            PictureData::MetafileSize(bytes, width, height);
            return MetafileRendering{PageRecording(std::make_shared<const DisplayList>(), width, height), {}};
        },
        2);
    std::vector<std::shared_ptr<const MetafilePlay>> plays;
    for (int i = 0; i < 3; ++i) {
        std::shared_ptr<MetafilePlay> play;
        cache.Find(EmfBuilder(60 + i, 30).Rectangle(2, 2, 20, 20, kRed).Bytes(), play);
        plays.push_back(play);
    }
    plays.push_back(nullptr);
    std::vector<std::pair<std::size_t, std::size_t>> told;
    {
        // The plays are let go on the first call and all end before it returns.
        RunPump pump(
            [&](std::size_t ended, std::size_t waited) {
                told.emplace_back(ended, waited);
                if (!release.exchange(true))
                    while (!std::all_of(plays.begin(), plays.begin() + 3, [](const auto& p) { return p->Ended(); }))
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                return true;
            },
            {});
        EXPECT_TRUE(cache.WaitAll(plays, &pump));
    }
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.front(), std::make_pair(std::size_t{0}, std::size_t{3}));
    EXPECT_EQ(told.back(), std::make_pair(std::size_t{3}, std::size_t{3})) << "the last call counts all ended";
    EXPECT_TRUE(cache.WaitAll(plays)) << "plays ended are not waited for";
}

// A rendering that throws ends its play as a refusal, on a worker and on the caller's thread
// alike: nothing waits for it for ever, and the program goes on.
TEST(EnhancedMetafile, ARenderingThatThrowsEndsItsPlay)
{
    const std::string worker = EmfBuilder(43, 30).Rectangle(2, 2, 20, 20, kRed).Bytes();
    const std::string caller = EmfBuilder(44, 30).Rectangle(2, 2, 20, 20, kBlue).Bytes();
    const std::string odd = EmfBuilder(45, 30).Rectangle(2, 2, 20, 20, kBlue).Bytes();
    MetafileCache cache(
        16 << 20,
        [&](std::string_view bytes) -> MetafileRendering {
            if (bytes == worker)
                throw std::bad_alloc();
            if (bytes == odd)
                throw 42;
            throw std::runtime_error("damaged");
        },
        1);
    std::shared_ptr<MetafilePlay> play;
    EXPECT_EQ(cache.Find(worker, play), nullptr);
    const auto played = cache.Wait(*play);
    EXPECT_TRUE(played->Drawing.IsEmpty());
    EXPECT_EQ(MetafileProblem(played->Error), "図が大きすぎて描けません。") << played->Error;
    // Not an exception at all: refused as well.
    EXPECT_EQ(cache.Find(odd, play), nullptr);
    EXPECT_TRUE(cache.Wait(*play)->Drawing.IsEmpty());

    const auto first = cache.Get(caller);
    EXPECT_TRUE(first->Drawing.IsEmpty());
    EXPECT_NE(first->Error.find("damaged"), std::string::npos) << first->Error;
    EXPECT_EQ(cache.Get(caller), first);
    QCoreApplication::processEvents();
    EXPECT_EQ(cache.Playing(), 0u);
}

} // namespace
