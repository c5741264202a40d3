#pragma once
// An immutable, shared RGB(A) image for drawing, with a QImage behind it. Copies share the pixels.
#include "platform/Bitmap.h"

#include <memory>
#include <string>

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

    // The JPEG file the pixels were decoded from, as read (null for other images); a PDF may
    // take it as it is.
    const std::shared_ptr<const std::string>& GetJpeg() const { return jpeg_; }
    bool HasJpeg() const { return jpeg_ != nullptr; }
    // The same pixels, decoded from these JPEG bytes.
    Image WithJpeg(std::shared_ptr<const std::string> bytes) const;

private:
    std::shared_ptr<const QImage> image_;
    std::shared_ptr<const std::string> jpeg_;
};

} // namespace platform
