#include "widgets/Imageview.h"

#include "gui/BitmapCanvas.h"
#include "gui/Clipboard.h"
#include "gui/Services.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Text.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPointer>

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kEmfFormat = "image/emf";

// The position of the extension's dot in a path; npos when the file name has none.
std::size_t ExtensionPos(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    const std::size_t slash = name.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string::npos;
    return dot;
}

std::string LowerExtension(const std::string& name)
{
    const std::size_t dot = ExtensionPos(name);
    return dot == std::string::npos ? std::string() : platform::LowerCase(name.substr(dot));
}

} // namespace

void TellUndrawablePicture(const std::string& bytes, const QWidget& shownBy, std::function<bool()> stillShown)
{
    if (platform::PictureData::KindOf(bytes) != platform::PictureKind::Metafile)
        return;
    platform::WhenMetafilePlayed(bytes, [shown = QPointer<const QWidget>(&shownBy), stillShown = std::move(stillShown)](
                                            const platform::MetafileRendering& rendering) {
        if (!rendering.Drawing.IsEmpty() || !shown || !shown->isVisible() || (stillShown && !stillShown()))
            return;
        platform::ShowWarning("このメタファイルは表示できません。\n" + platform::MetafileProblem(rendering.Error) +
                              "\n図のデータはそのまま残ります。");
    });
}

TImageView::TImageView(QWidget* owner) : TScrollCanvas(owner)
{
    setObjectName("ImageView");
    buffer_ = std::make_unique<platform::BitmapCanvas>(std::max(GetClientWidth(), 1),
                                                       std::max(GetClientHeight(), 1), platform::CanvasKind::Screen);
}

TImageView::~TImageView() = default;

std::string TImageView::GetData() const { return picture_.GetBytes(); }

void TImageView::SetData(const std::string& bytes)
{
    picture_.SetBytes(bytes);
    PictureChange();
}

std::string TImageView::GetBMPData() const { return picture_.ToBmp(); }

void TImageView::SetBMPData(const std::string& bytes)
{
    try {
        if (bytes.empty())
            picture_.Clear();
        else
            picture_.LoadStrict(bytes, platform::PictureKind::Bitmap);
    } catch (const platform::InvalidPictureError&) {
        picture_.Clear();
    }
    PictureChange();
}

void TImageView::LoadFromFile(const std::string& name)
{
    picture_.Clear();
    const std::string ext = LowerExtension(name);
    platform::PictureKind kind = platform::PictureKind::None;
    if (ext == ".bmp")
        kind = platform::PictureKind::Bitmap;
    else if (ext == ".emf")
        kind = platform::PictureKind::Metafile;
    else if (ext == ".jpg" || ext == ".jpeg")
        kind = platform::PictureKind::Jpeg;
    if (kind == platform::PictureKind::None) {
        platform::ShowError("データ形式が無効です。");
    } else {
        try {
            picture_.LoadStrict(platform::ReadFileBytes(name), kind);
        } catch (const platform::PictureFormatError& error) {
            picture_.Clear();
            platform::ShowError(error.what());
        } catch (const platform::Error&) {
            picture_.Clear();
            platform::ShowError("ファイルリードエラー");
        }
    }
    PictureChange();
    TellIfUndrawable();
}

void TImageView::TellIfUndrawable()
{
    TellUndrawablePicture(picture_.GetBytes(), *this, [this, told = shown_] { return shown_ == told; });
}

std::string TImageView::ForceExtension(const std::string& name) const
{
    const std::string ext = LowerExtension(name);
    std::string wanted = platform::PictureData::ExtensionOf(picture_.GetKind());
    if (wanted.empty() || ext == wanted || (wanted == ".jpg" && ext == ".jpeg"))
        return name;
    const std::size_t dot = ExtensionPos(name);
    return (dot == std::string::npos ? name : name.substr(0, dot)) + wanted;
}

void TImageView::SaveToFile(std::string& name)
{
    if (!HasPicture())
        return;
    name = ForceExtension(name);
    try {
        platform::WriteFileAtomic(name, picture_.GetBytes());
    } catch (const platform::Error&) {
        platform::ShowError("ファイルセーブエラー");
    }
}

bool TImageView::CopyToClipBoard()
{
    if (picture_.GetKind() == platform::PictureKind::Metafile) {
        platform::Clipboard::SetData(kEmfFormat, picture_.GetBytes());
        return true;
    }
    if (!picture_.CanDraw())
        return false;
    platform::Clipboard::SetImage(picture_.GetImage());
    return true;
}

void TImageView::PasteFlomClipBoard()
{
    bool metafile = false;
    if (const auto image = platform::Clipboard::GetImage(); image && !image->IsEmpty()) {
        picture_.SetImage(*image);
    } else if (platform::Clipboard::HasFormat(kEmfFormat)) {
        std::string bytes = platform::Clipboard::GetData(kEmfFormat);
        metafile = platform::PictureData::KindOf(bytes) == platform::PictureKind::Metafile;
        if (metafile)
            picture_.SetBytes(std::move(bytes));
    }
    PictureChange();
    if (metafile)
        TellIfUndrawable();
}

void TImageView::Rotate(int direction)
{
    if (direction < 0 || direction > 2 || !HasPicture())
        return;
    picture_.Rotate(direction);
    PictureChange();
}

void TImageView::Mirror(bool vertical)
{
    if (!HasPicture())
        return;
    picture_.Mirror(vertical);
    PictureChange();
}

void TImageView::SetEqual(bool equal)
{
    if (equal == equal_)
        return;
    equal_ = equal;
    SetScrollStyle(equal ? scsNone : scsBoth);
    Change();
}

void TImageView::SetShowFocus(bool show)
{
    if (show == showFocus_)
        return;
    showFocus_ = show;
    Change();
}

void TImageView::GetEqual(int cw, int ch, int& height, int& width)
{
    const int rc = (cw == 0 || ch == 0) ? 1000 : static_cast<int>(double(cw) / ch * 1000);
    const int ri = (width == 0 || height == 0) ? 1000 : static_cast<int>(double(width) / height * 1000);
    if (width == 0 || height == 0)
        return;
    double scale;
    if (ri < rc)
        scale = double(ch) * ri / width / 1000;
    else if (ri > rc)
        scale = double(cw) / ri / height * 1000;
    else
        scale = double(cw) / width;
    width = static_cast<int>(width * scale + 1);
    height = static_cast<int>(height * scale + 1);
}

void TImageView::Change()
{
    int width = picture_.GetWidth();
    int height = picture_.GetHeight();
    if (equal_)
        GetEqual(GetClientWidth(), GetClientHeight(), height, width);
    SetDocSize(width, height);
    DoChange();
}

void TImageView::PictureChange()
{
    ++shown_;
    Change();
}

void TImageView::DoChange()
{
    viewport()->update();
    if (OnChange)
        OnChange(this);
}

void TImageView::DoFocus(bool focused)
{
    TScrollCanvas::DoFocus(focused);
    viewport()->update();
}

void TImageView::DoResizeDelay()
{
    TScrollCanvas::DoResizeDelay();
    viewport()->update();
}

bool TImageView::DrawsDirect() const { return !equal_ && picture_.CanDraw(); }

bool TImageView::ScrollsPixels() const
{
    return DrawsDirect() && !GetResizeDelaying() && !(showFocus_ && hasFocus());
}

void TImageView::DoDraw(platform::Canvas& canvas, int xOffset, int yOffset)
{
    const int cw = GetClientWidth();
    const int ch = GetClientHeight();
    const bool resized = cw > 0 && ch > 0 && (cw != buffer_->GetWidth() || ch != buffer_->GetHeight());
    if (DrawsDirect() && !GetResizeDelaying()) {
        // Only the part being painted is copied (the painter clips).
        if (resized)
            buffer_ = std::make_unique<platform::BitmapCanvas>(cw, ch, platform::CanvasKind::Screen);
        DrawPicture(canvas, cw, ch, xOffset, yOffset);
        bufferStale_ = true;
        drawnX_ = xOffset;
        drawnY_ = yOffset;
    } else {
        if (bufferStale_ && GetResizeDelaying())
            DrawPicture(*buffer_, buffer_->GetWidth(), buffer_->GetHeight(), drawnX_, drawnY_);
        bufferStale_ = false;
        if (resized) {
            auto grown = std::make_unique<platform::BitmapCanvas>(cw, ch, platform::CanvasKind::Screen);
            if (GetResizeDelaying()) {
                // Keep what was drawn; only the strips the buffer grew by are filled.
                const int oldW = buffer_->GetWidth();
                const int oldH = buffer_->GetHeight();
                grown->FillRect({0, 0, cw, ch}, GetColor());
                const platform::Image old = buffer_->GetImage();
                grown->DrawImage({0, 0, oldW, oldH}, old, {0, 0, oldW, oldH});
            }
            buffer_ = std::move(grown);
        }
        if (!GetResizeDelaying())
            DrawPicture(*buffer_, buffer_->GetWidth(), buffer_->GetHeight(), xOffset, yOffset);
        // The buffer's pixels are drawn as they are (no copy) when both sides are painters.
        QPainter* painter = canvas.GetPainter();
        const auto* pixels =
            buffer_->GetPainter() ? dynamic_cast<const QImage*>(buffer_->GetPainter()->device()) : nullptr;
        if (painter && pixels) {
            painter->drawImage(QPoint(0, 0), *pixels, QRect(0, 0, buffer_->GetWidth(), buffer_->GetHeight()));
        } else {
            const platform::Image image = buffer_->GetImage();
            canvas.DrawImage({0, 0, image.GetWidth(), image.GetHeight()}, image,
                             {0, 0, image.GetWidth(), image.GetHeight()});
        }
    }
    if (showFocus_ && hasFocus()) {
        // A dotted frame turning the pixels it lies on, nothing over the picture inside it.
        const platform::CanvasState state(canvas);
        canvas.SetPen({0, 1, platform::PenStyle::Dot});
        canvas.SetBrush({0xFFFFFF, true});
        canvas.SetRasterOp(platform::RasterOp::Not);
        canvas.Rectangle({0, 0, cw, ch});
    }
}

void TImageView::DrawPicture(platform::Canvas& target, int bw, int bh, int xOffset, int yOffset) const
{
    const platform::Rect client{0, 0, bw, bh};
    if (DrawsDirect()) {
        // Natural size: only the part in view is copied, pixel for pixel.
        const int width = picture_.GetWidth();
        const int height = picture_.GetHeight();
        const platform::Rect dst{std::max(-xOffset, 0), std::max(-yOffset, 0), std::min(width - xOffset, bw),
                                 std::min(height - yOffset, bh)};
        if (dst != client)
            target.FillRect(client, GetColor());
        if (!dst.IsEmpty())
            target.DrawImage(dst, picture_.GetImage(),
                             {dst.Left + xOffset, dst.Top + yOffset, dst.Right + xOffset, dst.Bottom + yOffset});
        return;
    }
    target.FillRect(client, GetColor());
    if (!HasPicture())
        return;
    int width = picture_.GetWidth();
    int height = picture_.GetHeight();
    platform::Rect dst = client;
    if (!equal_) {
        dst = {-xOffset, -yOffset, width - xOffset, height - yOffset};
    } else if (width > 0 && height > 0) {
        GetEqual(bw, bh, height, width);
        const int left = (bw - width) / 2;
        const int top = (bh - height) / 2;
        dst = {left, top, left + width, top + height};
    }
    picture_.Play();
    const bool playing = picture_.Playing();
    if (playing)
        played_.Add(platform::ProgramMetafileCache(), picture_.GetPlay());
    if (playing || !picture_.Draws()) {
        // The frame stays inside the client, whole.
        dst = {std::max(dst.Left, 0), std::max(dst.Top, 0), std::min(dst.Right, bw), std::min(dst.Bottom, bh)};
    }
    if (playing) {
        target.FrameRect(dst, 0);
        return;
    }
    picture_.Draw(target, dst, &rastered_);
}

void TImageView::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    if ((mods & Qt::ControlModifier) && !(mods & Qt::ShiftModifier)) {
        switch (event->key()) {
        case Qt::Key_C:
            CopyToClipBoard();
            return;
        case Qt::Key_V:
            PasteFlomClipBoard();
            return;
        case Qt::Key_X:
            if (CopyToClipBoard())
                SetData({});
            return;
        default:
            break;
        }
    }
    TScrollCanvas::keyPressEvent(event);
}
