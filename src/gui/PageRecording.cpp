#include "gui/PageRecording.h"

#include "gui/DisplayList.h"
#include "gui/PicturePixels.h"
#include "gui/QtCanvas.h"

#include <QPainter>
#include <QPicture>

namespace platform {

PageRecording::PageRecording() = default;

PageRecording::PageRecording(std::shared_ptr<const DisplayList> drawing, int width, int height)
    : drawing_(std::move(drawing)), width_(width), height_(height)
{
}

bool PageRecording::IsEmpty() const { return !drawing_ && (!picture_ || picture_->isNull()) && PlacedCount() == 0; }

std::size_t PageRecording::Bytes() const
{
    if (drawing_)
        return drawing_->Bytes();
    return (picture_ ? static_cast<std::size_t>(picture_->size()) : 0) + PlacedCount() * sizeof(Placed);
}

void PageRecording::ReplayPlaced(QPainter& painter, const QRectF& visible, bool shown, JobWaiter* waiter) const
{
    if (!placed_)
        return;
    for (const Placed& placed : *placed_) {
        const QRect clip(placed.Clip.Left, placed.Clip.Top, placed.Clip.Width(), placed.Clip.Height());
        if (!visible.isEmpty() && !visible.intersects(clip))
            continue;
        painter.save();
        painter.setClipRect(clip, Qt::IntersectClip);
        const QRectF place(placed.Place.Left, placed.Place.Top, placed.Place.Width(), placed.Place.Height());
        if (placed.Drawing && shown) {
            ProgramPicturePixels().Draw(painter, placed.Drawing, placed.Width, placed.Height, place, waiter);
        } else if (placed.Drawing) {
            painter.translate(place.topLeft());
            painter.scale(place.width() / placed.Width, place.height() / placed.Height);
            placed.Drawing->Replay(painter);
        } else {
            painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
            painter.drawImage(place, placed.Picture.Q());
        }
        painter.restore();
    }
}

const QPicture& PageRecording::Q() const
{
    static const QPicture empty;
    return picture_ ? *picture_ : empty;
}

struct PageRecorder::Impl {
    Impl(int width, int height, int dpi)
        : Width(width), Height(height), Dpi(dpi), Painter(&Picture),
          Canvas(std::make_unique<QtCanvas>(Painter, dpi, dpi, CanvasKind::Metafile))
    {
        // Clipped to the picture from the start. A restore that ends a clip is recorded as "no
        // clip" and then the clips it comes back to; with this one among them, the rest of the
        // picture replays inside the picture's rectangle, not unclipped (a grid's band drew the row
        // across its seam again, over the next band's).
        Canvas->IntersectClip(Rect{0, 0, width, height});
    }
    int Width;
    int Height;
    int Dpi;
    std::vector<PageRecording::Placed> Placed;
    QPicture Picture;
    QPainter Painter;
    std::unique_ptr<QtCanvas> Canvas;
};

PageRecorder::PageRecorder(int width, int height, int dpi)
    : impl_(std::make_unique<Impl>(width, height, dpi > 0 ? dpi : 96))
{
}

PageRecorder::~PageRecorder()
{
    impl_->Canvas.reset();
    if (impl_->Painter.isActive()) impl_->Painter.end();
}

Canvas& PageRecorder::GetCanvas() { return *impl_->Canvas; }

void PageRecorder::Place(const Rect& clip, const Rect& place, const PageRecording& drawing)
{
    if (!drawing.drawing_ || place.IsEmpty() || drawing.GetWidth() <= 0 || drawing.GetHeight() <= 0)
        return;
    impl_->Placed.push_back({clip, place, drawing.drawing_, drawing.GetWidth(), drawing.GetHeight(), Image()});
}

void PageRecorder::Place(const Rect& clip, const Rect& place, const Image& image)
{
    if (image.IsEmpty() || place.IsEmpty())
        return;
    impl_->Placed.push_back({clip, place, nullptr, 0, 0, image});
}

PageRecording PageRecorder::Finish()
{
    impl_->Canvas.reset();
    if (impl_->Painter.isActive()) impl_->Painter.end();
    impl_->Picture.setBoundingRect(QRect(0, 0, impl_->Width, impl_->Height));
    PageRecording metafile;
    metafile.picture_ = std::make_shared<const QPicture>(impl_->Picture);
    if (!impl_->Placed.empty())
        metafile.placed_ = std::make_shared<const std::vector<PageRecording::Placed>>(std::move(impl_->Placed));
    metafile.width_ = impl_->Width;
    metafile.height_ = impl_->Height;
    metafile.dpi_ = impl_->Dpi;
    return metafile;
}

} // namespace platform
