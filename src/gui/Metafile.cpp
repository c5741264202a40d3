#include "gui/Metafile.h"

#include "gui/DisplayList.h"
#include "gui/QtCanvas.h"

#include <QPainter>
#include <QPicture>

namespace platform {

Metafile::Metafile() = default;

Metafile::Metafile(std::shared_ptr<const DisplayList> drawing, int width, int height)
    : drawing_(std::move(drawing)), width_(width), height_(height)
{
}

bool Metafile::IsEmpty() const { return !drawing_ && (!picture_ || picture_->isNull()); }

std::size_t Metafile::Bytes() const
{
    return drawing_ ? drawing_->Bytes() : picture_ ? static_cast<std::size_t>(picture_->size()) : 0;
}

const QPicture& Metafile::Q() const
{
    static const QPicture empty;
    return picture_ ? *picture_ : empty;
}

struct MetafileRecorder::Impl {
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
    QPicture Picture;
    QPainter Painter;
    std::unique_ptr<QtCanvas> Canvas;
};

MetafileRecorder::MetafileRecorder(int width, int height, int dpi)
    : impl_(std::make_unique<Impl>(width, height, dpi > 0 ? dpi : 96))
{
}

MetafileRecorder::~MetafileRecorder()
{
    impl_->Canvas.reset();
    if (impl_->Painter.isActive()) impl_->Painter.end();
}

Canvas& MetafileRecorder::GetCanvas() { return *impl_->Canvas; }

Metafile MetafileRecorder::Finish()
{
    impl_->Canvas.reset();
    if (impl_->Painter.isActive()) impl_->Painter.end();
    impl_->Picture.setBoundingRect(QRect(0, 0, impl_->Width, impl_->Height));
    Metafile metafile;
    metafile.picture_ = std::make_shared<const QPicture>(impl_->Picture);
    metafile.width_ = impl_->Width;
    metafile.height_ = impl_->Height;
    metafile.dpi_ = impl_->Dpi;
    return metafile;
}

} // namespace platform
