// The memory pictures hold: a layout page of 50 distinct metafile pictures of about 240 KB each
// (4 200 shapes), shown on screen at every step of the zoom field (25 % to 1 600 %), the view's
// top left, their pixels made at each:
//   PictureMemoryZoomed / PictureMemoryLimit: the growth of the process's resident memory over
//     the whole run, from before the page was made, against the limit of all picture memory
//     (kPictureBytes, PictureLimits.h), each given as its time in gigabytes a second (at most 1.1);
//     the drawings and pixels counted at its end beside.
// The pictures' drawings (those the page's container holds too), pixels, the page and the
// player's output are all in the growth. At the smoke run's tiny size, 10 pictures at three steps.
#include "BenchContext.h"
#include "BenchRatio.h"
#include "GuiBenchSupport.h"

#include "core/Uvktsupport.h"
#include "gui/EnhancedMetafile.h"
#include "gui/PicturePixels.h"
#include "gui/QtCanvas.h"
#include "gui/QtSupport.h"
#include "layout/Preview.h"
#include "layout/Uimagecontainer.h"
#include "platform/PictureLimits.h"
#include "support/TestPictures.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QThread>

#include <fstream>

#include <string>

namespace {

constexpr int kPictures = 50;

// A picture of about 240 KB: rows of rectangles and ellipses, distinct by its colours.
std::string Picture(int i)
{
    vkttest::EmfBuilder picture(600, 560);
    for (int k = 0; k < 2100; ++k) {
        const int x = k % 50 * 12, y = k / 50 * 13;
        const unsigned hue = (0x102030u * static_cast<unsigned>(i + 1) + 0x010101u * static_cast<unsigned>(k)) & 0xFFFFFF;
        picture.Rectangle(x, y, x + 10, y + 6, hue).Ellipse(x, y + 6, x + 10, y + 12, hue ^ 0xFFFFFF);
    }
    return picture.Bytes();
}

double ResidentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return double(resident) * 4096;
}

void Settle()
{
    for (int quiet = 0; quiet < 3;) {
        const bool busy =
            platform::ProgramMetafileCache().Playing() > 0 || platform::ProgramPicturePixels().Pending() > 0;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        quiet = busy ? 0 : quiet + 1;
    }
}

// The growth, and the bytes of drawings and pixels counted at its end.
struct Held {
    double Growth;
    double Drawings;
    double Pixels;
};

const Held& Growth()
{
    static const Held growth = [] {
        const double before = ResidentBytes();
        TPreview preview;
        const bool tiny = bench::BenchContext::Get().Options().Sizes.Ingredients <= 400;
        TImageContainer* images = bench::PictureCard(preview, 5, 10, tiny ? 10 : kPictures, Picture);
        QImage view(1280, 1024, QImage::Format_RGB32);
        const std::vector<int> zooms = tiny ? std::vector<int>{2500, 10000, 40000}
                                            : std::vector<int>{2500, 3300, 5000, 6600, 7500, 10000, 20000, 40000,
                                                               80000, 160000};
        for (const int zoom : zooms) {
            // Twice: played (frames), then drawn from the pixels once made.
            for (int pass = 0; pass < 2; ++pass) {
                view.fill(Qt::white);
                QPainter painter(&view);
                platform::QtCanvas canvas(painter, 96, 96, platform::CanvasKind::Screen);
                const auto at = [zoom](int v) { return int(double(v) * zoom / 10000); };
                // As a view draws it: from the container's recording, which holds its pictures.
                images->Draw(0, 0, {at(38), at(38), at(756), at(1085)}, zoom, canvas, 1, 1, false);
                painter.end();
                Settle();
            }
        }
        // The last worker gives back what the jobs freed after telling its job's end.
        QThread::msleep(200);
        return Held{ResidentBytes() - before, double(platform::ProgramMetafileCache().HeldBytes()),
                    double(platform::ProgramPicturePixels().HeldBytes())};
    }();
    return growth;
}

void PictureMemoryZoomed(benchmark::State& state)
{
    const Held& held = Growth();
    for (auto _ : state)
        state.SetIterationTime(held.Growth / 1e9);
    state.counters["MB"] = held.Growth / (1 << 20);
    state.counters["drawingMB"] = held.Drawings / (1 << 20);
    state.counters["pixelMB"] = held.Pixels / (1 << 20);
    state.counters["pictureKB"] = double(Picture(0).size()) / 1024;
}

void PictureMemoryLimit(benchmark::State& state)
{
    for (auto _ : state)
        state.SetIterationTime(double(platform::kPictureBytes) / 1e9);
    state.counters["MB"] = double(platform::kPictureBytes) / (1 << 20);
}

} // namespace

BENCHMARK(PictureMemoryZoomed)->UseManualTime()->Iterations(1);
BENCHMARK(PictureMemoryLimit)->UseManualTime()->Iterations(1);
VKT_BENCH_RATIO(PictureMemoryZoomed, PictureMemoryLimit, 1.1);
