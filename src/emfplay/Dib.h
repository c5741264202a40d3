#pragma once
// Device-independent bitmaps inside records: a BITMAPINFO (header, then bit fields or colour table)
// and the bits, each at an offset from the record's start. Every offset and size is checked
// against the record, and the bits' size against width × height × bit count, before a pixel is
// read or a buffer allocated.
//
// Decoded: 1, 4 and 8 bits through the colour table; 16 bits as 5-5-5 or by bit fields; 24 and 32
// bits (by bit fields too); RLE8 and RLE4 (pixels a run leaves out are transparent); top-down and
// bottom-up rows. JPEG and PNG bits are handed on as they are.
#include "emfplay/Picture.h"
#include "emfplay/PlayerLimits.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace emfplay {

struct DibPlace {
    std::uint32_t OffBmi = 0;
    std::uint32_t CbBmi = 0;
    std::uint32_t OffBits = 0;
    std::uint32_t CbBits = 0;
    std::uint32_t Usage = 0; // DIB_RGB_COLORS or DIB_PAL_COLORS
};

struct DibOptions {
    // 32-bit pixels carry premultiplied alpha (else their fourth byte is ignored).
    bool PremultipliedAlpha = false;
    // The colours of a monochrome bitmap's 0 and 1 bits (0xRRGGBB), in place of its table.
    std::optional<std::array<std::uint32_t, 2>> Monochrome;
    // The rows the bits hold, when fewer than the header's height (a band of scan lines).
    std::optional<std::int64_t> Rows;
};

struct Dib {
    int Width = 0;
    int Height = 0;     // the rows decoded
    int FullHeight = 0; // the header's
    bool TopDown = false;
    Picture Pixels;          // top row first; empty for JPEG and PNG
    std::string Encoded;     // the JPEG or PNG file, when the bits are one
    const char* Kind = "png"; // of Encoded: "png" or "jpeg"
};

enum class DibStatus {
    Decoded,
    Absent,     // the record carries no bitmap
    Damaged,    // an offset, size or count is out of bounds
    Unsupported // a compression or bit count that is not drawn
};

// Decodes the bitmap at `place` in `record` (`size` bytes, 4-byte aligned).
DibStatus DecodeDib(const char* record, std::uint32_t size, const DibPlace& place, const DibOptions& options,
                    Dib& dib);

} // namespace emfplay
