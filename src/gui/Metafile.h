#pragma once
// A recorded picture (over QPicture): drawn once through a canvas, replayed at any size. The
// on-screen caches of pages and items are metafiles.
#include "gui/Canvas.h"

#include <memory>

class QPicture;

namespace platform {

class Metafile {
public:
    Metafile();
    // Logical size and resolution the recording was made at.
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    int GetDpi() const { return dpi_; }
    bool IsEmpty() const;

    const QPicture& Q() const;

private:
    friend class MetafileRecorder;
    std::shared_ptr<const QPicture> picture_;
    int width_ = 0;
    int height_ = 0;
    int dpi_ = 96;
};

// A canvas of width × height pixels at `dpi` that records; Finish gives the metafile.
class MetafileRecorder {
public:
    MetafileRecorder(int width, int height, int dpi);
    ~MetafileRecorder();
    MetafileRecorder(const MetafileRecorder&) = delete;
    MetafileRecorder& operator=(const MetafileRecorder&) = delete;

    Canvas& GetCanvas();
    // Ends the recording; the canvas must not be used afterwards.
    Metafile Finish();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
