#include "gui/Image.h"

#include <QImage>

namespace platform {

namespace {

const QImage& EmptyImage()
{
    static const QImage empty;
    return empty;
}

} // namespace

Image::Image() = default;

Image::Image(const Picture& picture)
{
    const bool alpha = picture.HasAlpha();
    QImage image(picture.GetWidth(), picture.GetHeight(), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < picture.GetHeight(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.GetWidth(); ++x) {
            const TColor color = picture.GetPixel(x, y);
            line[x] = qRgba(RedOf(color), GreenOf(color), BlueOf(color), alpha ? picture.GetAlpha(x, y) : 255);
        }
    }
    image_ = std::make_shared<const QImage>(std::move(image));
}

Image::Image(const QImage& image)
{
    if (!image.isNull()) image_ = std::make_shared<const QImage>(image);
}

int Image::GetWidth() const { return image_ ? image_->width() : 0; }
int Image::GetHeight() const { return image_ ? image_->height() : 0; }
bool Image::IsEmpty() const { return GetWidth() == 0 || GetHeight() == 0; }

Picture Image::ToPicture() const
{
    if (IsEmpty()) return Picture();
    const QImage rgb = image_->convertToFormat(QImage::Format_RGB32);
    Picture picture(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            picture.SetPixel(x, y, RgbColor(qRed(line[x]), qGreen(line[x]), qBlue(line[x])));
    }
    return picture;
}

const QImage& Image::Q() const { return image_ ? *image_ : EmptyImage(); }

Image Image::WithJpeg(std::shared_ptr<const std::string> bytes) const
{
    Image image = *this;
    if (!IsEmpty()) image.jpeg_ = std::move(bytes);
    return image;
}

} // namespace platform
