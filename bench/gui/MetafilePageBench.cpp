// A page of pictures redrawn after its first drawing, as a zoom or a printed page redraws it: an
// image container of 8 × 5 cells drawn cell by cell (the printer's road) onto an A4 page at 96 dpi.
//   MetafilePageRedraw / JpegPageRedraw: 40 distinct enhanced metafiles (shapes and a line of
//     text each) against the same page of 40 distinct JPEGs of the same size (at most 1.5).
// The metafiles are converted at the first drawing, before the timed loop.
// A shown page of pictures, as the layout view shows it: an image container of 4 × 5 cells over an
// A4 page, its 20 pictures set, until every one is drawn on screen.
//   MetafilePageFirstShown / MetafilePageShownFromCache: 20 distinct real metafiles (the tests'
//     pictures, each made distinct by a comment record), played for the first time (frames shown,
//     then the page drawn again as they play), against the same page with every drawing in the
//     cache (no target: the first showing takes as long as the players).
//   MetafilePageAnswering / JpegPageAnswering: the longest the window leaves a 10 ms timer
//     unanswered while the page is shown anew with 20 real metafiles whose drawings the program
//     holds (two such pages in turn, so that the container takes each picture afresh), against the
//     same page of 20 JPEGs of the same sizes (at most 1.5).
//   MetafilePageFirstAnswering: the same longest time while 20 real metafiles never played before
//     are shown (against the JPEG page, no target).
// A layout page of 20 real metafiles shown at 100 %, their pixels made (PicturePixels.h):
//   MetafilePageScrollStep / JpegPageScrollStep: one scroll step, from the bar's move to the
//     view's repaint, against the same page of 20 JPEGs of the same sizes (at most 1.2).
//   SlowDrawingsAnswering / SlowJpegsAnswering: the longest the window leaves a 10 ms timer
//     unanswered while three drawings that replay slowly (a zigzag of miter joins under a miter
//     limit of 100, 24 nested clip paths, a clip star over 1 600 ellipses) are shown, played,
//     scrolled over and repainted, against three JPEGs of their size (no target; the goal is that
//     the first stays within 0.1 s).
// The same page of 20 real metafiles (played, their drawings held) printed through the print dialog:
//   MetafilePagePrintAnswering / JpegPagePrintAnswering: the longest the window leaves a 10 ms
//     timer unanswered while the page prints to PDF, against the page of 20 JPEGs (no target; the
//     goal is that the first stays within 0.1 s); *RecorderAnswering the same on the tests'
//     recording printer at 300 dpi (a page a bitmap); SlowPage* the same with the page's cells
//     given the three slow drawings above in turn.
//   MetafilePagePrinted / JpegPagePrinted: the print's whole time to PDF (no target).
#include "BenchRatio.h"
#include "GuiBenchSupport.h"

#include "core/Uvktsupport.h"
#include "gui/EnhancedMetafile.h"
#include "gui/PicturePixels.h"
#include "gui/QtCanvas.h"
#include "gui/QtSupport.h"
#include "layout/Preview.h"
#include "layout/Uimagecontainer.h"
#include "platform/Bitmap.h"
#include "platform/JpegWriter.h"
#include "reports/Fprintexecutedlg.h"
#include "support/TestPictures.h"
#include "support/widgets/RecordingPrinter.h"

#include <benchmark/benchmark.h>

#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kPictures = 40;
constexpr int kWidth = 200;
constexpr int kHeight = 140;

std::string Metafile(int i)
{
    const unsigned hue = 0x102030u * static_cast<unsigned>(i + 1) & 0xFFFFFF;
    return vkttest::EmfBuilder(kWidth, kHeight)
        .Rectangle(10, 10, 90, 90, hue)
        .Ellipse(110, 10, 190, 90, hue ^ 0xFFFFFF)
        .Text(10, 100, 30, "トマト煮込み " + std::to_string(i), 0x000000)
        .Bytes();
}

std::string Jpeg(int i)
{
    platform::Picture picture(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            picture.SetPixel(x, y,
                             platform::RgbColor((x + i * 5) & 0xFF, y * 255 / kHeight, ((x / 7) ^ (y / 5)) & 0xFF));
    return platform::EncodeJpeg(picture);
}

void RedrawPage(benchmark::State& state, const std::function<std::string(int)>& picture)
{
    TPreview preview;
    TImageContainer* images = bench::PictureCard(preview, 8, 5, kPictures, picture);
    QImage page(794, 1123, QImage::Format_RGB32);
    QPainter painter(&page);
    platform::QtCanvas canvas(painter, 96, 96, platform::CanvasKind::Image);
    const TRect rect{38, 38, 756, 1085};
    const auto draw = [&] {
        painter.fillRect(page.rect(), Qt::white);
        images->Draw(0, 0, rect, 10000, canvas, 1, 1, true);
    };
    draw();
    for (auto _ : state)
        draw();
}

void MetafilePageRedraw(benchmark::State& state) { RedrawPage(state, Metafile); }
void JpegPageRedraw(benchmark::State& state) { RedrawPage(state, Jpeg); }


constexpr int kShownPictures = 20;

// The tests' real metafiles, by name.
const std::vector<std::string>& RealPictures()
{
    static const std::vector<std::string> pictures = [] {
        std::vector<std::filesystem::path> names;
        for (const auto& entry : std::filesystem::directory_iterator(VKT_EMF_DATA_DIR))
            if (entry.path().extension() == ".emf")
                names.push_back(entry.path());
        std::sort(names.begin(), names.end());
        std::vector<std::string> read;
        for (const auto& name : names) {
            std::ifstream file(name, std::ios::binary);
            read.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        }
        return read;
    }();
    return pictures;
}

// The picture with a comment record holding `tag` after its header (the header's size and record
// count mended): drawn alike, played anew.
std::string Tagged(const std::string& picture, std::uint32_t tag)
{
    const auto word = [](const std::string& bytes, std::size_t at) {
        std::uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
        return v;
    };
    const auto put = [](std::string& bytes, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    const std::size_t header = word(picture, 4);
    std::string comment(16, '\0');
    put(comment, 0, 70);
    put(comment, 4, 16);
    put(comment, 8, 4);
    put(comment, 12, tag);
    std::string tagged = picture.substr(0, header) + comment + picture.substr(header);
    put(tagged, 48, word(tagged, 48) + 16);
    put(tagged, 52, word(tagged, 52) + 1);
    return tagged;
}

// The 20 pictures of a page, as a layout file holds them, made distinct by `round`.
std::vector<std::string> PagePictures(std::uint32_t round)
{
    std::vector<std::string> page;
    for (int i = 0; i < kShownPictures; ++i) {
        const std::string& picture = RealPictures()[static_cast<std::size_t>(i) % RealPictures().size()];
        page.push_back(BinToBase64(Tagged(picture, round * kShownPictures + static_cast<std::uint32_t>(i))));
    }
    return page;
}

// The layout view showing an A4 page with an image container of 4 × 5 cells.
struct ShownPage {
    ShownPage()
    {
        images = bench::PictureCard(preview, 4, 5, 0, {});
        preview.resize(840, 1180);
        bench::ShowExposed(preview);
    }

    // Sets the pictures and lets events through until every one is drawn on screen.
    void Show(const std::vector<std::string>& pictures)
    {
        images->BeginUpdate();
        images->Clear();
        for (const std::string& picture : pictures)
            images->AddImage(picture);
        images->EndUpdate();
        platform::MetafileCache& cache = platform::ProgramMetafileCache();
        if (cache.Playing() > 0) {
            QEventLoop loop;
            QObject::connect(&platform::ProgramJobNotifier(), &platform::JobNotifier::Ended, &loop, [&] {
                if (cache.Playing() == 0)
                    loop.quit();
            });
            loop.exec();
        }
        QCoreApplication::processEvents();
    }

    TPreview preview;
    TImageContainer* images = nullptr;
};

// A JPEG photograph of the size of real picture `i` (its frame at 96 dpi), made distinct by `round`.
std::string SizedJpeg(int i, std::uint32_t round)
{
    int width = 0;
    int height = 0;
    platform::PictureData::MetafileSize(RealPictures()[static_cast<std::size_t>(i) % RealPictures().size()], width,
                                        height);
    platform::Picture picture(width, height);
    std::uint32_t noise = round * 7919u + static_cast<std::uint32_t>(i);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = static_cast<int>(noise >> 28);
            picture.SetPixel(x, y,
                             platform::RgbColor(std::min(255, x * 255 / width + grain), (y * 255 / height + grain) & 0xFF,
                                                ((x / 9) ^ (y / 7)) * 13 & 0xFF));
        }
    return BinToBase64(platform::EncodeJpeg(picture));
}

// The longest time, in seconds, the window leaves a 10 ms timer unanswered while the page is given
// `pictures` and painted with every one.
double LongestUnanswered(ShownPage& page, const std::vector<std::string>& pictures)
{
    bench::PaintCounter paints;
    page.preview.viewport()->installEventFilter(&paints);
    bool shown = false;
    const double longest = vkttest::LongestUnanswered([&] {
        if (shown)
            return paints.Paints > 0 && platform::ProgramMetafileCache().Playing() == 0;
        shown = true;
        page.images->BeginUpdate();
        page.images->Clear();
        for (const std::string& picture : pictures)
            page.images->AddImage(picture);
        page.images->EndUpdate();
        return false;
    });
    QCoreApplication::processEvents();
    page.preview.viewport()->removeEventFilter(&paints);
    return longest / 1e3;
}

// Two pages of pictures shown in turn, each in the program's cache of drawings before the timing.
void PageAnswering(benchmark::State& state, const std::vector<std::string>& first, const std::vector<std::string>& second)
{
    ShownPage page;
    page.Show(first);
    page.Show(second);
    bool odd = false;
    for (auto _ : state)
        state.SetIterationTime(LongestUnanswered(page, (odd = !odd) ? first : second));
}

void MetafilePageAnswering(benchmark::State& state) { PageAnswering(state, PagePictures(1), PagePictures(2)); }

void JpegPageAnswering(benchmark::State& state)
{
    static const auto page = [](std::uint32_t round) {
        std::vector<std::string> pictures;
        for (int i = 0; i < kShownPictures; ++i)
            pictures.push_back(SizedJpeg(i, round));
        return pictures;
    };
    static const std::vector<std::string> first = page(1), second = page(2);
    PageAnswering(state, first, second);
}

// The same with 20 real metafiles never played before, shown while they play.
void MetafilePageFirstAnswering(benchmark::State& state)
{
    static std::uint32_t round = 5000;
    ShownPage page;
    for (auto _ : state) {
        state.PauseTiming();
        const std::vector<std::string> pictures = PagePictures(++round);
        state.ResumeTiming();
        state.SetIterationTime(LongestUnanswered(page, pictures));
    }
}

void MetafilePageFirstShown(benchmark::State& state)
{
    static std::uint32_t round = 1000;
    ShownPage page;
    for (auto _ : state) {
        state.PauseTiming();
        const std::vector<std::string> pictures = PagePictures(++round);
        state.ResumeTiming();
        page.Show(pictures);
    }
}

void MetafilePageShownFromCache(benchmark::State& state)
{
    const std::vector<std::string> pictures = PagePictures(0);
    ShownPage page;
    page.Show(pictures);
    for (auto _ : state)
        page.Show(pictures);
}

// Lets events through until no picture plays and no raster job is pending.
void SettlePictures()
{
    for (int quiet = 0; quiet < 3;) {
        const bool busy =
            platform::ProgramMetafileCache().Playing() > 0 || platform::ProgramPicturePixels().Pending() > 0;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        quiet = busy ? 0 : quiet + 1;
    }
}

// One notch of the mouse wheel over the view, down (1) or up (-1).
void WheelStep(QAbstractScrollArea& view, int down)
{
    const QPointF at(100, 100);
    QWheelEvent wheel(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120 * down), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view.viewport(), &wheel);
}

// Scroll steps over the page at 100 %, down and up again, each timed from the bar's move until
// the view has repainted (the page view repaints within the move).
void PageScrollStep(benchmark::State& state, const std::vector<std::string>& pictures)
{
    ShownPage page;
    page.preview.resize(840, 600);
    page.preview.SetScale_(10000);
    page.Show(pictures);
    SettlePictures();
    QScrollBar* bar = page.preview.verticalScrollBar();
    if (bar->maximum() <= 0)
        throw std::runtime_error("The page does not scroll");
    // Scrolled through once first: the pictures below come into view, and have their pixels made.
    for (const int down : {1, -1}) {
        for (int step = 0; step < 200 && bar->value() != (down > 0 ? bar->maximum() : bar->minimum()); ++step)
            WheelStep(page.preview, down);
        SettlePictures();
    }
    int direction = 1;
    const std::size_t rasters = platform::ProgramPicturePixels().Rasters();
    for (auto _ : state) {
        if ((direction > 0 && bar->value() >= bar->maximum()) || (direction < 0 && bar->value() <= bar->minimum()))
            direction = -direction;
        WheelStep(page.preview, direction);
    }
    state.counters["rasters"] = double(platform::ProgramPicturePixels().Rasters() - rasters);
}

void MetafilePageScrollStep(benchmark::State& state) { PageScrollStep(state, PagePictures(3)); }

void JpegPageScrollStep(benchmark::State& state)
{
    std::vector<std::string> pictures;
    for (int i = 0; i < kShownPictures; ++i)
        pictures.push_back(SizedJpeg(i, 3));
    PageScrollStep(state, pictures);
}

// The three slow drawings, as the player writes them (SVG over a 1000 × 1000 frame).
std::vector<std::string> SlowDrawings()
{
    const std::string svg = "<svg xmlns='http://www.w3.org/2000/svg' width='1000' height='1000'>";
    std::vector<std::string> drawings;
    // A zigzag whose sharp turns make miter spikes 44 pen widths long (within the limit of 100).
    std::string d = "M 20 500";
    for (int k = 1; k < 100; ++k)
        d += " L " + std::to_string(20 + k * 9) + " " + std::to_string(k % 2 ? 100 : 900);
    drawings.push_back(svg + "<path d='" + d + "' fill='none' stroke='#204080' stroke-width='6' " +
                       "stroke-linejoin='miter' stroke-miterlimit='100'/></svg>");
    // 24 clip paths, each a star of 400 points, nested.
    std::string nested, closing;
    std::string defs = "<defs>";
    for (int c = 0; c < 24; ++c) {
        std::string star = "M 500 " + std::to_string(60 + c);
        for (int k = 1; k < 400; ++k) {
            const double r = (k % 2 ? 440.0 : 400.0) - c;
            star += " L " + std::to_string(500 + r * std::sin(k * 0.015708 + c * 0.01)) + " " +
                    std::to_string(500 - r * std::cos(k * 0.015708 + c * 0.01));
        }
        defs += "<clipPath id='c" + std::to_string(c) + "'><path d='" + star + " Z'/></clipPath>";
        nested += "<g clip-path='url(#c" + std::to_string(c) + ")'>";
        closing += "</g>";
    }
    drawings.push_back(svg + defs + "</defs>" + nested +
                       "<rect x='0' y='0' width='1000' height='1000' fill='#c04020'/>" + closing + "</svg>");
    // A star of 2 000 points clipping 1 600 ellipses.
    std::string star = "M 500 50";
    for (int k = 1; k < 2000; ++k)
        star += " L " + std::to_string(500 + (k % 2 ? 450 : 380) * std::sin(k * 0.0031416)) + " " +
                std::to_string(500 - (k % 2 ? 450 : 380) * std::cos(k * 0.0031416));
    std::string ellipses =
        "<defs><clipPath id='s'><path d='" + star + " Z'/></clipPath></defs><g clip-path='url(#s)'>";
    for (int i = 0; i < 1600; ++i)
        ellipses += "<ellipse cx='" + std::to_string(i % 40 * 25 + 12) + "' cy='" +
                    std::to_string(i / 40 * 25 + 12) + "' rx='14' ry='10' fill='#" +
                    std::to_string(200000 + i * 37 % 700000) + "'/>";
    drawings.push_back(svg + ellipses + "</g></svg>");
    return drawings;
}

// Pictures of 400 × 400 pixels, distinct by size, each played as one of the slow drawings by a
// player that writes the drawing picked by the size of its input.
struct SlowPictures {
    SlowPictures()
    {
        const std::string folder = dir.path().toStdString();
        const std::vector<std::string> drawings = SlowDrawings();
        for (std::size_t i = 0; i < drawings.size(); ++i) {
            const std::string picture =
                vkttest::EmfBuilder(400, 400 + int(i)).Rectangle(0, 0, 10 + int(i), 10, 0).Bytes();
            std::ofstream(folder + "/" + std::to_string(picture.size()) + ".svg") << drawings[i];
            Pictures.push_back(BinToBase64(picture));
        }
        const std::string player = folder + "/vkt-emfplay";
        std::ofstream(player) << "#!/bin/sh\nexec cat '" << folder << "/'$(wc -c | tr -d ' ')'.svg'\n";
        std::filesystem::permissions(player, std::filesystem::perms::owner_all);
        platform::SetMetafilePlayer(player);
    }
    ~SlowPictures() { platform::SetMetafilePlayer(vkttest::BuildPlayer()); }

    QTemporaryDir dir;
    std::vector<std::string> Pictures;
};

// The longest unanswered time while the pictures are shown on a page of 3 × 1 cells at 100 %,
// played and rasterised, scrolled over down and up and repainted.
double SlowAnswering(const std::vector<std::string>& pictures)
{
    TPreview preview;
    platform::SetScreenPixelsPerInch(96);
    TViewItem* item = preview.AddContainer(5);
    item->SetMMBoundRect_({1000, 1000, 20000, 8000});
    auto* images = dynamic_cast<TImageContainer*>(ContainerOf(item));
    images->SetColCount(3);
    images->SetRowCount(1);
    preview.resize(840, 400);
    preview.SetScale_(10000);
    bench::ShowExposed(preview);
    int stage = 0;
    const double longest = vkttest::LongestUnanswered([&] {
        switch (stage) {
        case 0:
            images->BeginUpdate();
            for (const std::string& picture : pictures)
                images->AddImage(picture);
            images->EndUpdate();
            ++stage;
            return false;
        case 1:
            if (platform::ProgramMetafileCache().Playing() > 0 || platform::ProgramPicturePixels().Pending() > 0)
                return false;
            ++stage;
            return false;
        default:
            // Scrolled a step down and up, and repainted, a few times over.
            if (stage < 20) {
                WheelStep(preview, stage % 2 ? 1 : -1);
                preview.viewport()->repaint();
                ++stage;
                return false;
            }
            return platform::ProgramPicturePixels().Pending() == 0;
        }
    });
    return longest / 1e3;
}

void SlowDrawingsAnswering(benchmark::State& state)
{
    for (auto _ : state) {
        const SlowPictures slow;
        state.SetIterationTime(SlowAnswering(slow.Pictures));
    }
}

void SlowJpegsAnswering(benchmark::State& state)
{
    static std::uint32_t round = 9000;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::string> pictures;
        for (int i = 0; i < 3; ++i) {
            platform::Picture photo(400, 400 + i);
            for (int y = 0; y < photo.GetHeight(); ++y)
                for (int x = 0; x < 400; ++x)
                    photo.SetPixel(x, y, platform::RgbColor((x + int(round)) & 0xFF, y & 0xFF, (x ^ y) & 0xFF));
            pictures.push_back(BinToBase64(platform::EncodeJpeg(photo)));
        }
        ++round;
        state.ResumeTiming();
        state.SetIterationTime(SlowAnswering(pictures));
    }
}

// The page printed through the print dialog, to PDF or to the recording printer.
struct PrintedPage {
    PrintedPage(const std::vector<std::string>& pictures, bool pdf)
    {
        if (pdf)
            pdfPrinter = std::make_unique<bench::PdfPrinter>();
        else
            vkttest::InstallRecordingPrinter(std::make_unique<vkttest::RecordingPrinter>("Recorder", 300));
        page.Show(pictures);
        SettlePictures();
    }
    ~PrintedPage()
    {
        if (!pdfPrinter)
            SetPrinterObject(nullptr);
    }

    // Prints the page; false when the dialog did not finish the run.
    bool Print()
    {
        dialog.Setup(&page.preview, "", "pictures");
        dialog.BtnPrintClick();
        return !dialog.GetPrinting();
    }

    std::unique_ptr<bench::PdfPrinter> pdfPrinter;
    ShownPage page;
    TPrintExecuteDlg dialog;
};

void PagePrintAnswering(benchmark::State& state, const std::vector<std::string>& pictures, bool pdf)
{
    PrintedPage printed(pictures, pdf);
    for (auto _ : state) {
        bool done = false;
        const double longest = vkttest::LongestUnanswered([&] {
            if (done)
                return true;
            if (!printed.Print())
                throw std::runtime_error("The page did not print");
            done = true;
            return false;
        });
        state.SetIterationTime(longest / 1e3);
    }
}

std::vector<std::string> SizedJpegPage(std::uint32_t round)
{
    std::vector<std::string> pictures;
    for (int i = 0; i < kShownPictures; ++i)
        pictures.push_back(SizedJpeg(i, round));
    return pictures;
}

void MetafilePagePrintAnswering(benchmark::State& state) { PagePrintAnswering(state, PagePictures(4), true); }
void JpegPagePrintAnswering(benchmark::State& state) { PagePrintAnswering(state, SizedJpegPage(4), true); }
void MetafilePageRecorderAnswering(benchmark::State& state) { PagePrintAnswering(state, PagePictures(4), false); }
void JpegPageRecorderAnswering(benchmark::State& state) { PagePrintAnswering(state, SizedJpegPage(4), false); }

// The page's 20 cells given the three slow drawings in turn.
void SlowPagePrintAnswering(benchmark::State& state, bool pdf)
{
    const SlowPictures slow;
    std::vector<std::string> pictures;
    for (int i = 0; i < kShownPictures; ++i)
        pictures.push_back(slow.Pictures[static_cast<std::size_t>(i) % slow.Pictures.size()]);
    PagePrintAnswering(state, pictures, pdf);
}

void SlowPagePrintAnswering(benchmark::State& state) { SlowPagePrintAnswering(state, true); }
void SlowPageRecorderAnswering(benchmark::State& state) { SlowPagePrintAnswering(state, false); }

void PagePrinted(benchmark::State& state, const std::vector<std::string>& pictures)
{
    PrintedPage printed(pictures, true);
    for (auto _ : state)
        if (!printed.Print())
            throw std::runtime_error("The page did not print");
}

void MetafilePagePrinted(benchmark::State& state) { PagePrinted(state, PagePictures(4)); }
void JpegPagePrinted(benchmark::State& state) { PagePrinted(state, SizedJpegPage(4)); }

} // namespace

BENCHMARK(MetafilePageRedraw)->Unit(benchmark::kMillisecond);
BENCHMARK(JpegPageRedraw)->Unit(benchmark::kMillisecond);
VKT_BENCH_RATIO(MetafilePageRedraw, JpegPageRedraw, 1.5);
BENCHMARK(MetafilePageFirstShown)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MetafilePageShownFromCache)->Unit(benchmark::kMillisecond)->UseRealTime();
VKT_BENCH_RATIO(MetafilePageFirstShown, MetafilePageShownFromCache, 0);
BENCHMARK(MetafilePageAnswering)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(JpegPageAnswering)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(MetafilePageFirstAnswering)->Unit(benchmark::kMillisecond)->UseManualTime();
VKT_BENCH_RATIO(MetafilePageAnswering, JpegPageAnswering, 1.5);
VKT_BENCH_RATIO(MetafilePageFirstAnswering, JpegPageAnswering, 0);
BENCHMARK(MetafilePageScrollStep)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(JpegPageScrollStep)->Unit(benchmark::kMillisecond)->UseRealTime();
VKT_BENCH_RATIO(MetafilePageScrollStep, JpegPageScrollStep, 1.2);
BENCHMARK(SlowDrawingsAnswering)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(SlowJpegsAnswering)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
VKT_BENCH_RATIO(SlowDrawingsAnswering, SlowJpegsAnswering, 0);
BENCHMARK(MetafilePagePrintAnswering)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(JpegPagePrintAnswering)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
VKT_BENCH_RATIO(MetafilePagePrintAnswering, JpegPagePrintAnswering, 0);
BENCHMARK(SlowPagePrintAnswering)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
VKT_BENCH_RATIO(SlowPagePrintAnswering, JpegPagePrintAnswering, 0);
BENCHMARK(MetafilePageRecorderAnswering)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(JpegPageRecorderAnswering)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
VKT_BENCH_RATIO(MetafilePageRecorderAnswering, JpegPageRecorderAnswering, 0);
BENCHMARK(SlowPageRecorderAnswering)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
VKT_BENCH_RATIO(SlowPageRecorderAnswering, JpegPageRecorderAnswering, 0);
BENCHMARK(MetafilePagePrinted)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(JpegPagePrinted)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
VKT_BENCH_RATIO(MetafilePagePrinted, JpegPagePrinted, 0);
