#include "gui/PictureData.h"

#include "gui/BitmapCanvas.h"
#include "gui/Canvas.h"
#include "platform/Errors.h"
#include "platform/Jpeg.h"
#include "platform/JpegWriter.h"
#include "platform/PictureLimits.h"
#include "platform/Units.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>

namespace platform {

namespace {

constexpr const char* kNotTurnable = "この画像は回転や反転ができません。";

std::int32_t ReadInt32(std::string_view bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(i)]);
    return static_cast<std::int32_t>(value);
}

// JPEG decoding straight into the 32-bit image that drawing uses: a Picture in between would
// cost two more passes over every pixel of a photograph. Its failures and bounds are those of
// DecodeJpeg; a picture stored turned is turned upright here, so that everything that draws or
// measures it sees it upright.
class ImagePixels final : public JpegPixels {
public:
    bool Start(int width, int height) override
    {
        image = QImage(width, height, QImage::Format_RGB32);
        return !image.isNull();
    }
    std::uint32_t* Row(int y) override { return reinterpret_cast<std::uint32_t*>(image.scanLine(y)); }
    QImage image;
};

// An empty image when the bytes do not decode.
Image DecodeJpegImage(std::string_view bytes)
{
    ImagePixels pixels;
    int orientation = 1;
    try {
        orientation = DecodeJpegPixels(bytes, pixels);
    } catch (const InvalidPictureError&) {
        return Image();
    }
    if (orientation == 1)
        return Image(pixels.image);
    const QImage& stored = pixels.image;
    const bool swaps = OrientationSwapsSides(orientation);
    QImage upright(swaps ? stored.height() : stored.width(), swaps ? stored.width() : stored.height(),
                   QImage::Format_RGB32);
    if (upright.isNull())
        return Image();
    OrientPixels(reinterpret_cast<const std::uint32_t*>(stored.constBits()), stored.width(), stored.height(),
                 static_cast<std::size_t>(stored.bytesPerLine()) / 4, orientation,
                 reinterpret_cast<std::uint32_t*>(upright.bits()), static_cast<std::size_t>(upright.bytesPerLine()) / 4);
    return Image(upright);
}

} // namespace

PictureKind PictureData::KindOf(std::string_view bytes)
{
    if (bytes.size() < 2)
        return PictureKind::None;
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    const auto b1 = static_cast<unsigned char>(bytes[1]);
    if (b0 == 0x01 && b1 == 0x00)
        return PictureKind::Metafile;
    if (b0 == 'B' && b1 == 'M')
        return PictureKind::Bitmap;
    if (b0 == 0xFF && b1 == 0xD8)
        return PictureKind::Jpeg;
    return PictureKind::None;
}

bool PictureData::MetafileSize(std::string_view bytes, int& width, int& height)
{
    width = 0;
    height = 0;
    if (bytes.size() < 88 || ReadInt32(bytes, 0) != 1 || ReadInt32(bytes, 40) != 0x464D4520)
        return false;
    const std::int64_t frameWidth = std::int64_t(ReadInt32(bytes, 32)) - ReadInt32(bytes, 24);
    const std::int64_t frameHeight = std::int64_t(ReadInt32(bytes, 36)) - ReadInt32(bytes, 28);
    if (frameWidth < 0 || frameHeight < 0)
        return false;
    // Hundredths of a millimetre at 96 pixels per inch.
    const std::int64_t w = frameWidth * 96 / kHundredthMMPerInch;
    const std::int64_t h = frameHeight * 96 / kHundredthMMPerInch;
    if (w > kMaxMetafileFrameSide || h > kMaxMetafileFrameSide)
        return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

std::string PictureData::OtherFormatOf(std::string_view bytes)
{
    const auto starts = [&](std::string_view prefix, std::size_t at = 0) {
        return bytes.size() >= at + prefix.size() && bytes.substr(at, prefix.size()) == prefix;
    };
    using namespace std::string_view_literals;
    if (starts("\x89PNG\r\n\x1A\n"sv))
        return "PNG";
    if (starts("GIF87a"sv) || starts("GIF89a"sv))
        return "GIF";
    if (starts("RIFF"sv) && starts("WEBP"sv, 8))
        return "WebP";
    if (starts("II*\0"sv) || starts("MM\0*"sv))
        return "TIFF";
    if (starts("%PDF-"sv))
        return "PDF";
    if (starts("8BPS"sv))
        return "PSD";
    if (starts("\0\0\0\x0CjP  \r\n\x87\n"sv) || starts("\xFF\x4F\xFF\x51"sv))
        return "JPEG 2000";
    if (starts("\xFF\x0A"sv) || starts("\0\0\0\x0CJXL \r\n\x87\n"sv))
        return "JPEG XL";
    // ISO base media (HEIF): a box "ftyp" holding its major brand, a version, then compatible brands.
    if (starts("ftyp"sv, 4) && bytes.size() >= 12) {
        const auto byte = [&](std::size_t at) { return static_cast<std::size_t>(static_cast<unsigned char>(bytes[at])); };
        const std::size_t boxSize = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
        const std::size_t end = std::min({boxSize, bytes.size(), std::size_t(256)});
        bool heif = false;
        for (std::size_t at = 8; at + 4 <= end; at += at == 8 ? 8 : 4) {
            const std::string_view brand = bytes.substr(at, 4);
            if (brand == "avif"sv || brand == "avis"sv)
                return "AVIF";
            heif = heif || brand == "heic"sv || brand == "heix"sv || brand == "hevc"sv || brand == "hevx"sv
                || brand == "heim"sv || brand == "heis"sv || brand == "mif1"sv || brand == "msf1"sv;
        }
        if (heif)
            return "HEIC";
    }
    return {};
}

std::string PictureData::ExtensionOf(PictureKind kind)
{
    switch (kind) {
    case PictureKind::Bitmap: return ".bmp";
    case PictureKind::Metafile: return ".emf";
    case PictureKind::Jpeg: return ".jpg";
    default: return {};
    }
}

void PictureData::SetBytes(std::string bytes)
{
    Clear();
    const PictureKind kind = KindOf(bytes);
    if (kind == PictureKind::None)
        return;
    bytes_ = std::move(bytes);
    kind_ = kind;
    Decode();
}

void PictureData::LoadStrict(std::string bytes, PictureKind kind)
{
    if (KindOf(bytes) != kind)
        if (const std::string format = OtherFormatOf(bytes); !format.empty())
            throw PictureFormatError(format + " 形式の画像は読み込めません。BMP、JPEG、EMF の画像を使ってください。");
    PictureData loaded;
    loaded.SetBytes(std::move(bytes));
    if (loaded.kind_ != kind || kind == PictureKind::None)
        throw InvalidPictureError("Invalid picture: not a " + ExtensionOf(kind) + " file");
    // A metafile is kept whatever its header holds, as a pasted one is: its rendering says why.
    if (kind != PictureKind::Metafile && !loaded.CanDraw())
        throw InvalidPictureError("Invalid picture: the " + ExtensionOf(kind) + " file cannot be decoded");
    *this = std::move(loaded);
}

void PictureData::SetImage(const Image& image)
{
    Clear();
    if (image.IsEmpty())
        return;
    const Picture picture = image.ToPicture();
    bytes_ = EncodeBmp(picture);
    kind_ = PictureKind::Bitmap;
    image_ = Image(picture);
    width_ = picture.GetWidth();
    height_ = picture.GetHeight();
}

void PictureData::Clear()
{
    rendering_.reset();
    play_.reset();
    bytes_.clear();
    kind_ = PictureKind::None;
    image_ = Image();
    width_ = 0;
    height_ = 0;
}

void PictureData::Decode()
{
    image_ = Image();
    width_ = 0;
    height_ = 0;
    try {
        switch (kind_) {
        case PictureKind::Bitmap: image_ = Image(DecodeBmp(bytes_)); break;
        case PictureKind::Jpeg:
            image_ = DecodeJpegImage(bytes_).WithJpeg(std::make_shared<const std::string>(bytes_));
            break;
        case PictureKind::Metafile: MetafileSize(bytes_, width_, height_); return;
        case PictureKind::None: return;
        }
    } catch (const InvalidPictureError&) {
        // Kept as given: the bytes go back unchanged, drawn as an empty frame.
        return;
    }
    width_ = image_.GetWidth();
    height_ = image_.GetHeight();
}

const PageRecording* PictureData::Drawing(RunPump* pump) const
{
    if (kind_ != PictureKind::Metafile)
        return nullptr;
    if (!rendering_) {
        rendering_ = play_ ? ProgramMetafileCache().Wait(*play_, pump) : RenderEnhancedMetafileCached(bytes_, pump);
        play_.reset();
    }
    return rendering_->Drawing.IsEmpty() ? nullptr : &rendering_->Drawing;
}

bool PictureData::Draws() const { return CanDraw() || Drawing(); }

void PictureData::Play() const
{
    if (kind_ == PictureKind::Metafile && !rendering_ && !play_)
        rendering_ = ProgramMetafileCache().Find(bytes_, play_);
}

bool PictureData::Playing() const
{
    if (!play_)
        return false;
    if (!play_->Ended())
        return true;
    Drawing();
    return false;
}

void PictureData::Draw(Canvas& canvas, const Rect& dst, JobWaiter* waiter) const
{
    if (dst.IsEmpty())
        return;
    if (const PageRecording* drawing = Drawing(canvas.GetRunPump())) {
        canvas.DrawMetafile(dst, *drawing, waiter);
        return;
    }
    if (!CanDraw()) {
        canvas.FrameRect(dst, 0);
        return;
    }
    QPainter* painter = canvas.GetPainter();
    const bool smooth = painter && painter->testRenderHint(QPainter::SmoothPixmapTransform);
    if (painter)
        painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
    canvas.DrawImage(dst, image_, {0, 0, width_, height_});
    if (painter)
        painter->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

std::string PictureData::ToBmp() const
{
    if (kind_ == PictureKind::Bitmap && CanDraw())
        return bytes_;
    if (CanDraw())
        return EncodeBmp(image_.ToPicture());
    if (width_ <= 0 || height_ <= 0)
        return {};
    BitmapCanvas canvas(width_, height_);
    Draw(canvas, {0, 0, width_, height_});
    return EncodeBmp(canvas.GetImage().ToPicture());
}

void PictureData::Rotate(int direction)
{
    if (direction < 0 || direction > 2 || IsEmpty())
        return;
    if (!CanDraw())
        throw ConvertError(kNotTurnable);
    Replace(RotatePicture(Pixels(), direction));
}

void PictureData::Mirror(bool vertical)
{
    if (IsEmpty())
        return;
    if (!CanDraw())
        throw ConvertError(kNotTurnable);
    Replace(MirrorPicture(Pixels(), vertical));
}

Picture PictureData::Pixels() const
{
    // A bitmap's own file keeps its alpha, which the drawn image's pixels do not give back.
    return kind_ == PictureKind::Bitmap ? DecodeBmp(bytes_) : image_.ToPicture();
}

void PictureData::Replace(const Picture& picture)
{
    std::string bytes = kind_ == PictureKind::Jpeg ? EncodeJpeg(picture) : EncodeBmp(picture);
    Image image(picture);
    bytes_ = std::move(bytes);
    image_ = std::move(image);
    width_ = picture.GetWidth();
    height_ = picture.GetHeight();
}

namespace {

void CopyPixel(const Picture& from, int x, int y, Picture& to, int toX, int toY)
{
    to.SetPixel(toX, toY, from.GetPixel(x, y));
    if (from.HasAlpha())
        to.SetAlpha(toX, toY, from.GetAlpha(x, y));
}

} // namespace

Picture RotatePicture(const Picture& picture, int direction)
{
    const int w = picture.GetWidth();
    const int h = picture.GetHeight();
    if (direction == 1) {
        Picture result(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                CopyPixel(picture, x, y, result, w - 1 - x, h - 1 - y);
        return result;
    }
    Picture result(h, w);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (direction == 0)
                CopyPixel(picture, x, y, result, h - 1 - y, x);
            else
                CopyPixel(picture, x, y, result, y, w - 1 - x);
        }
    return result;
}

Picture MirrorPicture(const Picture& picture, bool vertical)
{
    const int w = picture.GetWidth();
    const int h = picture.GetHeight();
    Picture result(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            CopyPixel(picture, x, y, result, vertical ? x : w - 1 - x, vertical ? h - 1 - y : y);
    return result;
}

} // namespace platform
