#pragma once
// An immutable, shared RGB(A) image for drawing, with a QImage behind it. Copies share the pixels.
#include "platform/Bitmap.h"

#include <memory>

class QImage;

namespace platform {

class Image {
public:
    Image();
    explicit Image(const Picture& picture);
    explicit Image(const QImage& image);

    int GetWidth() const;
    int GetHeight() const;
    bool IsEmpty() const;

    Picture ToPicture() const;
    const QImage& Q() const;

private:
    std::shared_ptr<const QImage> image_;
};

} // namespace platform
