#pragma once
// A plain RGB picture, with alpha where its file has it, and the bitmap file format (BMP) it is saved
// in and loaded from.
//
// Bitmap file layout written by EncodeBmp (all numbers little-endian):
//   offset  size  field
//        0     2  "BM"
//        2     4  file size
//        6     4  reserved, 0
//       10     4  offset of the pixel rows (54)
//       14     4  info header size (40)
//       18     4  width            22  4  height (positive: rows stored bottom-up)
//       26     2  planes (1)       28  2  bits per pixel (24)
//       30     4  compression (0 = none)      34  4  size of the pixel rows
//       38     4  x pixels per metre (0)      42  4  y pixels per metre (0)
//       46     4  colours used (0)            50  4  important colours (0)
//       54        rows, bottom row first, each pixel blue, green, red, each row padded to 4 bytes
// A picture with alpha is written with the 108-byte version 4 header instead: 32 bits per pixel,
// compression 3 (bit fields), masks red 0x00FF0000, green 0x0000FF00, blue 0x000000FF and alpha
// 0xFF000000 at offset 54, colour space "sRGB", pixel rows at 122, each pixel blue, green, red, alpha.
// DecodeBmp also reads uncompressed 1, 4, 8 (palette), 16, 24 and 32 bits per pixel, bit-field
// masks for 16 and 32 bits (alpha too: compression 6, or a header of 56 bytes or more), RLE8 and RLE4
// (compression 1 and 2), the old 12-byte core header and top-down rows (negative height).
#include "platform/Color.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Width × height pixels, (0, 0) top left; each pixel a TColor (the high byte is always 0) and an
// alpha, 0 clear to 255 opaque. A picture is opaque until a pixel is given another alpha.
class Picture {
public:
    Picture() = default;
    // Negative sizes raise InvalidPictureError.
    Picture(int width, int height, TColor fill = 0);

    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    bool IsEmpty() const { return width_ == 0 || height_ == 0; }

    // A pixel outside the picture raises ListIndexError.
    TColor GetPixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);
    void Fill(TColor color);
    // A pixel outside the picture raises ListIndexError.
    int GetAlpha(int x, int y) const;
    void SetAlpha(int x, int y, int alpha);
    bool HasAlpha() const { return !alpha_.empty(); }

    bool operator==(const Picture& other) const = default;

private:
    std::size_t IndexOf(int x, int y) const;

    int width_ = 0;
    int height_ = 0;
    std::vector<TColor> pixels_;
    std::vector<std::uint8_t> alpha_;   // empty while every pixel is opaque
};

// The bytes of a bitmap file holding the picture: 24-bit, or 32-bit with alpha when it has alpha.
std::string EncodeBmp(const Picture& picture);
// Reads a bitmap file; bytes that are not one (or are cut short) raise InvalidPictureError, and so
// does a run of an RLE bitmap that would write outside its row or the picture. Alpha is read where
// the header gives an alpha mask and some pixel's alpha is not 0 (else the picture is opaque).
Picture DecodeBmp(std::string_view bytes);

} // namespace platform
