#pragma once
// A page's recording: what was drawn once through a canvas (over QPicture), or a drawing read from a
// picture file (a display list); replayed at any size. The on-screen caches of pages and items are
// recordings.
// A recording may hold pictures by reference (PageRecorder::Place): shared drawings and images,
// never copied into it, replayed beneath what its canvas recorded.
#include "gui/Canvas.h"
#include "gui/Image.h"

#include <cstddef>
#include <memory>
#include <vector>

class QPainter;
class QPicture;
class QRectF;

namespace platform {

class DisplayList;
class JobWaiter;

class PageRecording {
public:
    PageRecording();
    // A drawing of width × height pixels at 96 dpi.
    PageRecording(std::shared_ptr<const DisplayList> drawing, int width, int height);
    // Logical size and resolution the recording was made at.
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    int GetDpi() const { return dpi_; }
    bool IsEmpty() const;

    // The recording; empty for a drawing.
    const QPicture& Q() const;
    // The drawing, or null for a recording.
    const DisplayList* GetDrawing() const { return drawing_.get(); }
    const std::shared_ptr<const DisplayList>& SharedDrawing() const { return drawing_; }
    // The memory it holds itself (pictures placed in it are shared, not counted).
    std::size_t Bytes() const;
    // The pictures placed in a recording.
    std::size_t PlacedCount() const { return placed_ ? placed_->size() : 0; }
    // Replays the placed pictures in the recording's pixels; those whose clip misses `visible` (in
    // the same pixels; all when it is empty) are skipped. On a screen (`shown`) a drawing is drawn
    // from its pixels (PicturePixels.h), never replayed.
    // `waiter` is called back once the pixels asked are made.
    void ReplayPlaced(QPainter& painter, const QRectF& visible, bool shown = false,
                      JobWaiter* waiter = nullptr) const;

private:
    friend class PageRecorder;
    // A picture held by reference: a drawing (of width × height units) or an image, drawn into
    // Place under Clip (the recording's pixels).
    struct Placed {
        Rect Clip;
        Rect Place;
        std::shared_ptr<const DisplayList> Drawing;
        int Width = 0;
        int Height = 0;
        Image Picture;
    };
    std::shared_ptr<const QPicture> picture_;
    std::shared_ptr<const DisplayList> drawing_;
    std::shared_ptr<const std::vector<Placed>> placed_;
    int width_ = 0;
    int height_ = 0;
    int dpi_ = 96;
};

// A canvas of width × height pixels at `dpi` that records; Finish gives the recording.
class PageRecorder {
public:
    PageRecorder(int width, int height, int dpi);
    ~PageRecorder();
    PageRecorder(const PageRecorder&) = delete;
    PageRecorder& operator=(const PageRecorder&) = delete;

    Canvas& GetCanvas();
    // Holds a drawing (a metafile read from a picture file; any other draws nothing) or an image by
    // reference, drawn into `place` inside `clip` beneath all the canvas records, in the order placed.
    void Place(const Rect& clip, const Rect& place, const PageRecording& drawing);
    void Place(const Rect& clip, const Rect& place, const Image& image);
    // Ends the recording; the canvas must not be used afterwards.
    PageRecording Finish();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
