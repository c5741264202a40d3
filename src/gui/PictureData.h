#pragma once
// A picture held as the bytes of its file: a bitmap (BMP), an enhanced metafile (EMF) or a JPEG.
// The bytes are kept exactly as given and returned until the picture itself changes. Bitmaps and
// JPEGs are decoded for drawing; a metafile is played into a vector drawing when first drawn.
// Bytes of a known kind that do not decode (or play) are kept unchanged and drawn as an empty
// frame. Draw waits for a metafile's player; a screen asks for it first without waiting (Play),
// draws a frame while it plays and draws again when it has ended.
//
// Enhanced metafile header fields read here (little-endian):
//   offset  size  field
//        0     4  record type (1)
//       24    16  frame: left, top, right, bottom in hundredths of a millimetre
//       40     4  signature " EMF" (0x464D4520)
#include "gui/EnhancedMetafile.h"
#include "gui/Image.h"
#include "platform/Errors.h"

#include <memory>
#include <string>
#include <string_view>

namespace platform {

class Canvas;
struct Rect;

enum class PictureKind { None = 0, Bitmap = 1, Metafile = 2, Jpeg = 3 };

// A picture of a format the program does not read; its message names the format in the program's voice.
class PictureFormatError : public InvalidPictureError {
    using InvalidPictureError::InvalidPictureError;
};

class PictureData {
public:
    // The kind told by the first two bytes: 01 00 metafile, "BM" bitmap, FF D8 JPEG, else none.
    static PictureKind KindOf(std::string_view bytes);
    // The size of an enhanced metafile in pixels at 96 dpi from its header frame; false when the
    // header cannot be read.
    static bool MetafileSize(std::string_view bytes, int& width, int& height);
    // The name of the picture format the bytes start as when it is not one of those read ("PNG",
    // "GIF", "WebP", "HEIC", "AVIF", "TIFF", "PDF", "PSD", "JPEG 2000", "JPEG XL"); "" otherwise.
    static std::string OtherFormatOf(std::string_view bytes);
    // The file extension of a kind with its dot (".bmp", ".emf", ".jpg"); "" for none.
    static std::string ExtensionOf(PictureKind kind);

    // Bytes of an unknown kind (and empty bytes) leave no picture.
    void SetBytes(std::string bytes);
    // As SetBytes, but the bytes must be a picture of `kind` that decodes (a metafile need only
    // start as one: one that cannot be drawn is kept, as a pasted one is); otherwise
    // InvalidPictureError is raised and nothing changes: PictureFormatError ("PNG 形式の画像は読み込め
    // ません。BMP、JPEG、EMF の画像を使ってください。") for bytes of a format OtherFormatOf names.
    void LoadStrict(std::string bytes, PictureKind kind);
    // A bitmap (kind 1) holding the image, as a 24-bit BMP.
    void SetImage(const Image& image);
    void Clear();

    PictureKind GetKind() const { return kind_; }
    bool IsEmpty() const { return kind_ == PictureKind::None; }
    const std::string& GetBytes() const { return bytes_; }
    // The decoded image (empty for a metafile or bytes that do not decode).
    const Image& GetImage() const { return image_; }
    // A decoded image is there.
    bool CanDraw() const { return !image_.IsEmpty(); }
    // Draw shows the picture rather than an empty frame: a decoded image, or a metafile whose
    // records play (played now when not yet, or waited for while it plays).
    bool Draws() const;
    // A metafile's drawing (played now when not yet, or waited for while it plays, through `pump`
    // as MetafileCache::Wait does); null for other kinds and for a metafile that cannot be drawn.
    const PageRecording* Drawing(RunPump* pump = nullptr) const;
    // Gives a metafile that has not been played to a player, without waiting.
    void Play() const;
    // A metafile given to a player that has not ended yet; its play (for a JobWaiter) in GetPlay.
    bool Playing() const;
    std::shared_ptr<const MetafilePlay> GetPlay() const { return play_; }
    // Pixels; 0 × 0 when unknown.
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }

    // Draws the picture scaled into `dst` (smoothly; a metafile as vectors, waited for through the
    // canvas's run pump); what cannot be drawn becomes a one-pixel frame around `dst`.
    void Draw(Canvas& canvas, const Rect& dst, JobWaiter* waiter = nullptr) const;
    // The picture as 24-bit BMP bytes: a bitmap's own bytes, anything else drawn at its size;
    // "" without a picture or size.
    std::string ToBmp() const;

    // Turns the picture: 0 right by 90°, 1 by 180°, 2 left by 90°; other directions do nothing.
    // A bitmap stays a BMP (24-bit, or 32-bit keeping its alpha) and a JPEG a JPEG, written upright
    // (its EXIF orientation left behind). A picture that cannot be drawn raises
    // ConvertError("この画像は回転や反転ができません。") and changes nothing.
    void Rotate(int direction);
    // Flips left–right, or top–bottom when `vertical`; the same rules.
    void Mirror(bool vertical);

private:
    void Decode();
    // The pixels to turn, alpha included.
    Picture Pixels() const;
    void Replace(const Picture& picture);

    std::string bytes_;
    PictureKind kind_ = PictureKind::None;
    Image image_;
    int width_ = 0;
    int height_ = 0;
    // The metafile's drawing, played on first use and shared by copies; its play while it plays.
    mutable std::shared_ptr<const MetafileRendering> rendering_;
    mutable std::shared_ptr<MetafilePlay> play_;
};

// The pixel transformations behind Rotate and Mirror.
Picture RotatePicture(const Picture& picture, int direction);
Picture MirrorPicture(const Picture& picture, bool vertical);

} // namespace platform
