#pragma once
// JPEG pictures through libjpeg-turbo, shown as the camera meant them: turned upright by their EXIF
// orientation, CMYK and YCCK converted to RGB (an Adobe marker's inverted values honoured), and an
// embedded ICC colour profile converted to sRGB through lcms2. The file's bytes are never changed;
// every caller that draws or measures a JPEG goes through DecodeJpeg or DecodeJpegPixels.
#include "platform/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

struct jpeg_common_struct;
struct jpeg_decompress_struct;

namespace platform {

// libjpeg emit_message hook for decoding: the warnings that mean corrupt or cut data end the
// decode through the error_exit hook; libjpeg would otherwise fill the missing part of the
// picture with grey and report success.
extern "C" void OnJpegWarning(jpeg_common_struct* info, int level);

// Starts the decode of a JPEG of `size` bytes whose header has been read and whose output colour
// space is set, within the bounds of PictureLimits.h: false, nothing started, when the picture has
// more than kMaxJpegPixels. libjpeg's own buffers (the whole-image coefficients of a progressive
// file) are held to kJpegMemoryBase + kJpegMemoryPerByte × size: a file asking far beyond what its
// data can fill fails as corrupt, through the error manager's error_exit.
bool StartBoundedJpegDecode(jpeg_decompress_struct& info, std::size_t size);

// EXIF orientation (TIFF tag 0x0112), how the stored rows are to be turned to be seen upright:
// 1 as stored; 2 mirrored left–right; 3 turned 180°; 4 mirrored top–bottom; 5 mirrored about the
// main diagonal; 6 turned 90° clockwise; 7 mirrored about the other diagonal; 8 turned 90°
// anticlockwise. 5 to 8 swap width and height.
inline bool OrientationSwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

// The orientation held by an APP1 segment's data ("Exif\0\0", then a TIFF header and its first
// directory, read within the data and within kMaxExifEntries); 1 when there is none or it is not 1 to 8.
int ExifOrientation(std::string_view app1);
// The orientation of a JPEG file: that of its first EXIF segment before the frame; 1 without one.
int JpegOrientation(std::string_view bytes);

// Copies a width × height picture of 32-bit pixels (rows `srcStride` pixels apart) into `dst` turned
// upright for `orientation` (any value outside 2 to 8 copies as it is); `dst` is height × width when
// the orientation swaps sides, its rows `dstStride` pixels apart.
void OrientPixels(const std::uint32_t* src, int width, int height, std::size_t srcStride, int orientation,
                  std::uint32_t* dst, std::size_t dstStride);

// Where DecodeJpegPixels writes: Start once with the stored size, then each stored row in order from
// the top. Pixels are 0xFFRRGGBB words (QImage's RGB32) in sRGB. Neither may throw: false or null
// means there is no room for the picture, and the decode fails.
class JpegPixels {
public:
    virtual bool Start(int width, int height) = 0;
    virtual std::uint32_t* Row(int y) = 0;

protected:
    ~JpegPixels() = default;
};

// Decodes a JPEG file (baseline or progressive; greyscale, colour, CMYK or YCCK) in its stored
// orientation into `out` and returns the orientation that turns it upright. Bytes that are not a
// JPEG file, a file cut short, corrupt entropy-coded data and a picture past kMaxJpegPixels raise
// InvalidPictureError carrying the reason; so does a picture `out` has no room for. A colour
// profile that cannot be read, does not match the picture's colours or is larger than
// kMaxIccProfileBytes is left out.
int DecodeJpegPixels(std::string_view bytes, JpegPixels& out);

// A JPEG file decoded upright into an RGB picture, as DecodeJpegPixels; nothing of a failed decode is kept.
Picture DecodeJpeg(std::string_view bytes);

} // namespace platform
