#pragma once
// A canvas drawing into an image of its own (white at first): the screen buffers, the tests and
// the pictures the program makes. Xor and Not raster ops act here.
#include "gui/Image.h"
#include "gui/QtCanvas.h"

#include <memory>

class QImage;

namespace platform {

class BitmapCanvas : public QtCanvas {
public:
    BitmapCanvas(int width, int height, int dpi = 96);
    // A buffer of what a screen shows (`kind` Screen): drawings come from their pixels made off
    // the window's thread (PicturePixels.h).
    BitmapCanvas(int width, int height, CanvasKind kind);
    ~BitmapCanvas() override;

    int GetWidth() const;
    int GetHeight() const;
    // The pixels drawn so far (a copy; drawing goes on afterwards).
    Image GetImage() const;
    // kNoColor outside the image.
    TColor GetPixel(int x, int y) const;

private:
    struct Buffer;
    BitmapCanvas(std::unique_ptr<Buffer> buffer, int dpi, CanvasKind kind);
    std::unique_ptr<Buffer> buffer_;
};

} // namespace platform
