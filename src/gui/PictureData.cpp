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

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <utility>

#include <jpeglib.h>

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
// cost two more passes over every pixel of a photograph. Failures are those of DecodeJpeg
// (corrupt or cut data ends the decode, nothing is drawn grey), and so are its bounds: pictures past
// kMaxJpegPixels are refused before their pixels are allocated, and libjpeg's own memory is held
// as there.
struct JpegErrors {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

// Lives outside the frame that calls setjmp, so nothing automatic there changes before a longjmp.
struct JpegImageState {
    jpeg_decompress_struct info;
    JpegErrors errors;
    QImage image;
};

extern "C" void OnPictureJpegError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

bool DecodeJpegInto(const unsigned char* data, unsigned long size, JpegImageState& state)
{
    state.info.err = jpeg_std_error(&state.errors.pub);
    state.errors.pub.error_exit = OnPictureJpegError;
    state.errors.pub.emit_message = OnJpegWarning;
    if (setjmp(state.errors.jump)) {
        jpeg_destroy_decompress(&state.info);
        return false;
    }
    jpeg_create_decompress(&state.info);
    jpeg_mem_src(&state.info, data, size);
    jpeg_read_header(&state.info, TRUE);
    // QImage::Format_RGB32 holds 0xFFRRGGBB words: blue, green, red, pad in memory order.
    state.info.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    if (!StartBoundedJpegDecode(state.info, size)) {
        jpeg_destroy_decompress(&state.info);
        return false;
    }
    state.image = QImage(static_cast<int>(state.info.output_width), static_cast<int>(state.info.output_height),
                         QImage::Format_RGB32);
    if (state.image.isNull()) {
        jpeg_destroy_decompress(&state.info);
        return false;
    }
    while (state.info.output_scanline < state.info.output_height) {
        JSAMPROW row = state.image.scanLine(static_cast<int>(state.info.output_scanline));
        jpeg_read_scanlines(&state.info, &row, 1);
    }
    jpeg_finish_decompress(&state.info);
    jpeg_destroy_decompress(&state.info);
    return true;
}

// An empty image when the bytes do not decode.
Image DecodeJpegImage(std::string_view bytes)
{
    auto state = std::make_unique<JpegImageState>();
    if (bytes.empty() || !DecodeJpegInto(reinterpret_cast<const unsigned char*>(bytes.data()),
                                         static_cast<unsigned long>(bytes.size()), *state))
        return Image();
    return Image(state->image);
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
        case PictureKind::Jpeg: image_ = DecodeJpegImage(bytes_); break;
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

const PageRecording* PictureData::Drawing() const
{
    if (kind_ != PictureKind::Metafile)
        return nullptr;
    if (!rendering_) {
        rendering_ = play_ ? ProgramMetafileCache().Wait(*play_) : RenderEnhancedMetafileCached(bytes_);
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

void PictureData::Draw(Canvas& canvas, const Rect& dst, PixelWaiter* waiter) const
{
    if (dst.IsEmpty())
        return;
    if (const PageRecording* drawing = Drawing()) {
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
    Replace(RotatePicture(image_.ToPicture(), direction));
}

void PictureData::Mirror(bool vertical)
{
    if (IsEmpty())
        return;
    if (!CanDraw())
        throw ConvertError(kNotTurnable);
    Replace(MirrorPicture(image_.ToPicture(), vertical));
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

Picture RotatePicture(const Picture& picture, int direction)
{
    const int w = picture.GetWidth();
    const int h = picture.GetHeight();
    if (direction == 1) {
        Picture result(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                result.SetPixel(w - 1 - x, h - 1 - y, picture.GetPixel(x, y));
        return result;
    }
    Picture result(h, w);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (direction == 0)
                result.SetPixel(h - 1 - y, x, picture.GetPixel(x, y));
            else
                result.SetPixel(y, w - 1 - x, picture.GetPixel(x, y));
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
            result.SetPixel(vertical ? x : w - 1 - x, vertical ? h - 1 - y : y, picture.GetPixel(x, y));
    return result;
}

} // namespace platform
