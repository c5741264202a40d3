#include "platform/ImageList.h"

#include "platform/Errors.h"

#include <algorithm>
#include <string>

namespace platform {

ImageList::ImageList(int width, int height) : width_(width), height_(height)
{
    if (width <= 0 || height <= 0)
        throw InvalidPictureError("Invalid image list size");
}

void ImageList::SetBkColor(TColor color)
{
    bkColor_ = color;
}

int ImageList::AddMasked(const Picture& picture, TColor transparent)
{
    transparent &= 0xFFFFFF;
    Image image{Picture(width_, height_, transparent),
                std::vector<bool>(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), true)};
    const int w = std::min(width_, picture.GetWidth());
    const int h = std::min(height_, picture.GetHeight());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const TColor c = picture.GetPixel(x, y);
            image.picture.SetPixel(x, y, c);
            image.transparent[static_cast<std::size_t>(y) * width_ + x] = c == transparent;
        }
    }
    images_.push_back(std::move(image));
    DoChange();
    return GetCount() - 1;
}

const ImageList::Image& ImageList::ImageAt(int index) const
{
    if (index < 0 || index >= GetCount())
        RaiseListIndex(index);
    return images_[static_cast<std::size_t>(index)];
}

void ImageList::Delete(int index)
{
    ImageAt(index);
    images_.erase(images_.begin() + index);
    DoChange();
}

void ImageList::Clear()
{
    images_.clear();
    DoChange();
}

const Picture& ImageList::GetImage(int index) const
{
    return ImageAt(index).picture;
}

bool ImageList::IsTransparent(int index, int x, int y) const
{
    const Image& image = ImageAt(index);
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        throw ListIndexError("Pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") outside the image");
    return image.transparent[static_cast<std::size_t>(y) * width_ + x];
}

void ImageList::Draw(Picture& target, int x, int y, int index) const
{
    if (index < 0 || index >= GetCount())
        return;
    const Image& image = images_[static_cast<std::size_t>(index)];
    const bool paintBack = bkColor_ >= 0 && bkColor_ <= 0xFFFFFF;
    for (int sy = 0; sy < height_; ++sy) {
        const int ty = y + sy;
        if (ty < 0 || ty >= target.GetHeight())
            continue;
        for (int sx = 0; sx < width_; ++sx) {
            const int tx = x + sx;
            if (tx < 0 || tx >= target.GetWidth())
                continue;
            if (!image.transparent[static_cast<std::size_t>(sy) * width_ + sx])
                target.SetPixel(tx, ty, image.picture.GetPixel(sx, sy));
            else if (paintBack)
                target.SetPixel(tx, ty, bkColor_);
        }
    }
}

void ImageList::DoChange()
{
    if (OnChange)
        OnChange(this);
}

} // namespace platform
