// The image view against Qt's own picture handling, on a 4000 × 3000 JPEG:
//   ImageViewLoadPaint / QImageLoadPaint: SetData and the first fitted paint into an 800 × 600
//     client, against QImage::loadFromData and a smooth scaled drawImage (at most 1.5);
//   ImageViewScrollRepaint / QImageRegionPaint: the repaint after one line of scrolling at natural
//     size, against a plain widget of the same client size repainting the same region of a
//     QImage (at most 1.3).
#include "BenchRatio.h"

#include "platform/Bitmap.h"
#include "platform/JpegWriter.h"
#include "widgets/Imageview.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <memory>
#include <string>

namespace {

constexpr int kPictureWidth = 4000;
constexpr int kPictureHeight = 3000;
constexpr int kClientWidth = 800;
constexpr int kClientHeight = 600;

// A photograph-like picture: smooth gradients with a fine pattern, so the JPEG is of a usual size.
const std::string& JpegBytes()
{
    static const std::string bytes = [] {
        platform::Picture picture(kPictureWidth, kPictureHeight);
        for (int y = 0; y < kPictureHeight; ++y)
            for (int x = 0; x < kPictureWidth; ++x)
                picture.SetPixel(x, y, platform::RgbColor(x * 255 / kPictureWidth, y * 255 / kPictureHeight,
                                                          ((x / 7) ^ (y / 5)) & 0xFF));
        return platform::EncodeJpeg(picture);
    }();
    return bytes;
}

// An image view whose client is 800 × 600, shown.
std::unique_ptr<TImageView> MakeView(bool fitted)
{
    auto view = std::make_unique<TImageView>();
    view->SetEqual(fitted);
    view->show();
    QCoreApplication::processEvents();
    const QSize extra = view->size() - view->viewport()->size();
    view->resize(kClientWidth + extra.width(), kClientHeight + extra.height());
    QCoreApplication::processEvents();
    return view;
}

void ImageViewLoadPaint(benchmark::State& state)
{
    const std::string& bytes = JpegBytes();
    auto view = MakeView(true);
    for (auto _ : state) {
        view->SetData(bytes);
        view->viewport()->repaint();
    }
}

void QImageLoadPaint(benchmark::State& state)
{
    const std::string& bytes = JpegBytes();
    QImage target(kClientWidth, kClientHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        QImage image;
        image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()), "JPEG");
        QPainter painter(&target);
        painter.fillRect(target.rect(), Qt::white);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(QRect(0, 34, 801, 601), image);
    }
}

void ImageViewScrollRepaint(benchmark::State& state)
{
    auto view = MakeView(false);
    view->SetData(JpegBytes());
    view->SetVSmallChange(20);
    bool down = true;
    for (auto _ : state) {
        view->ScrollMessage(1, down ? 1 : 0);   // repaints at once
        down = !down;
    }
}

// Draws the region of the picture at `top`.
class RegionWidget : public QWidget {
public:
    QImage image;
    int top = 0;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawImage(QPoint(0, 0), image, QRect(0, top, width(), height()));
    }
};

void QImageRegionPaint(benchmark::State& state)
{
    const std::string& bytes = JpegBytes();
    RegionWidget widget;
    widget.image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()), "JPEG");
    widget.setAttribute(Qt::WA_OpaquePaintEvent);
    widget.resize(kClientWidth, kClientHeight);
    widget.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        widget.top = widget.top == 0 ? 20 : 0;
        widget.repaint();
    }
}

} // namespace

BENCHMARK(ImageViewLoadPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(QImageLoadPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(ImageViewScrollRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(QImageRegionPaint)->Unit(benchmark::kMillisecond);

VKT_BENCH_RATIO(ImageViewLoadPaint, QImageLoadPaint, 1.5);
VKT_BENCH_RATIO(ImageViewScrollRepaint, QImageRegionPaint, 1.3);
