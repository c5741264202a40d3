#include "gui/BitmapCanvas.h"

#include "gui/QtSupport.h"
#include "platform/Units.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace platform {

struct BitmapCanvas::Buffer {
    Buffer(int width, int height, int dpi)
        : Pixels(std::max(1, width), std::max(1, height), QImage::Format_RGB32), Width(std::max(0, width)),
          Height(std::max(0, height))
    {
        Pixels.fill(Qt::white);
        const int dotsPerMetre = static_cast<int>(std::lround(dpi / kMetresPerInch));
        Pixels.setDotsPerMeterX(dotsPerMetre);
        Pixels.setDotsPerMeterY(dotsPerMetre);
        Painter.begin(&Pixels);
    }
    ~Buffer() { Painter.end(); }

    QImage Pixels;
    int Width;
    int Height;
    QPainter Painter;
};

BitmapCanvas::BitmapCanvas(int width, int height, int dpi)
    : BitmapCanvas(std::make_unique<Buffer>(width, height, dpi > 0 ? dpi : 96), dpi > 0 ? dpi : 96, CanvasKind::Image)
{
}

BitmapCanvas::BitmapCanvas(int width, int height, CanvasKind kind)
    : BitmapCanvas(std::make_unique<Buffer>(width, height, 96), 96, kind)
{
}

BitmapCanvas::BitmapCanvas(std::unique_ptr<Buffer> buffer, int dpi, CanvasKind kind)
    : QtCanvas(buffer->Painter, dpi, dpi, kind), buffer_(std::move(buffer))
{
}

BitmapCanvas::~BitmapCanvas() = default;

int BitmapCanvas::GetWidth() const { return buffer_->Width; }
int BitmapCanvas::GetHeight() const { return buffer_->Height; }

Image BitmapCanvas::GetImage() const
{
    return Image(buffer_->Pixels.copy(0, 0, buffer_->Width, buffer_->Height));
}

TColor BitmapCanvas::GetPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= buffer_->Width || y >= buffer_->Height) return kNoColor;
    const QRgb pixel = reinterpret_cast<const QRgb*>(buffer_->Pixels.constScanLine(y))[x];
    return RgbColor(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

} // namespace platform
