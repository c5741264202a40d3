// A page of pictures redrawn after its first drawing, as a zoom or a printed page redraws it: an
// image container of 8 × 5 cells drawn cell by cell (the printer's road) onto an A4 page at 96 dpi.
//   MetafilePageRedraw / JpegPageRedraw: 40 distinct enhanced metafiles (shapes and a line of
//     text each) against the same page of 40 distinct JPEGs of the same size (at most 1.5).
// The metafiles are converted at the first drawing, before the timed loop.
#include "BenchRatio.h"

#include "core/Uvktsupport.h"
#include "gui/QtCanvas.h"
#include "gui/QtSupport.h"
#include "layout/Preview.h"
#include "layout/Uimagecontainer.h"
#include "platform/Bitmap.h"
#include "platform/JpegWriter.h"
#include "support/TestPictures.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <functional>
#include <string>

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
    platform::SetScreenPixelsPerInch(96);
    TPreview preview;
    TViewItem* item = preview.AddContainer(5);
    item->SetMMBoundRect_({1000, 1000, 20000, 28700});
    auto* images = dynamic_cast<TImageContainer*>(ContainerOf(item));
    images->SetColCount(8);
    images->SetRowCount(5);
    images->SetDrawType(2);
    for (int i = 0; i < kPictures; ++i)
        images->AddImage(BinToBase64(picture(i)));
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

} // namespace

BENCHMARK(MetafilePageRedraw)->Unit(benchmark::kMillisecond);
BENCHMARK(JpegPageRedraw)->Unit(benchmark::kMillisecond);
VKT_BENCH_RATIO(MetafilePageRedraw, JpegPageRedraw, 1.5);
