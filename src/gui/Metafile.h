#pragma once
// A recorded picture: drawn once through a canvas (over QPicture), or a drawing read from a picture
// file (a display list); replayed at any size. The on-screen caches of pages and items are metafiles.
#include "gui/Canvas.h"

#include <cstddef>
#include <memory>

class QPicture;

namespace platform {

class DisplayList;

class Metafile {
public:
    Metafile();
    // A drawing of width × height pixels at 96 dpi.
    Metafile(std::shared_ptr<const DisplayList> drawing, int width, int height);
    // Logical size and resolution the recording was made at.
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    int GetDpi() const { return dpi_; }
    bool IsEmpty() const;

    // The recording; empty for a drawing.
    const QPicture& Q() const;
    // The drawing, or null for a recording.
    const DisplayList* GetDrawing() const { return drawing_.get(); }
    // The memory it holds.
    std::size_t Bytes() const;

private:
    friend class MetafileRecorder;
    std::shared_ptr<const QPicture> picture_;
    std::shared_ptr<const DisplayList> drawing_;
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
