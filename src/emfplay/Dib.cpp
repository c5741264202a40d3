#include "emfplay/Dib.h"

#include <uemf.h>
#include <uemf_safe.h>

#include <algorithm>
#include <climits>
#include <bit>
#include <cstring>
#include <vector>

namespace emfplay {

namespace {

// The default palette's twenty colours, for colour tables of palette indices.
constexpr std::uint32_t kDefaultPalette[20] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0, 0xC0DCC0, 0xA6CAF0,
    0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

std::uint32_t ReadU32(const char* at)
{
    std::uint32_t v;
    std::memcpy(&v, at, 4);
    return v;
}

// A channel of a bit-field pixel: its mask's shift and the largest value it holds.
struct Channel {
    int Shift = 0;
    std::uint32_t Max = 0;
    std::uint8_t Of(std::uint32_t pixel, std::uint32_t mask) const
    {
        if (Max == 0)
            return 0;
        return static_cast<std::uint8_t>(std::uint64_t((pixel & mask) >> Shift) * 255 / Max);
    }
};

Channel ChannelOf(std::uint32_t mask)
{
    if (mask == 0)
        return {};
    const int shift = std::countr_zero(mask);
    return {shift, mask >> shift};
}

// Colour table entries as 0xRRGGBB.
using Palette = std::vector<std::uint32_t>;

void SetPixel(Picture& picture, int x, int y, std::uint32_t rgb)
{
    std::uint8_t* p = picture.At(x, y);
    p[0] = std::uint8_t(rgb >> 16);
    p[1] = std::uint8_t(rgb >> 8);
    p[2] = std::uint8_t(rgb);
    p[3] = 255;
}

std::uint32_t Entry(const Palette& palette, std::uint32_t index)
{
    return index < palette.size() ? palette[index] : 0;
}

// Run-length encoded 8 or 4 bits (`nibbles`), bottom-up. Codes cut short by the data's end end the
// bitmap there.
void DecodeRle(const std::uint8_t* data, std::size_t size, bool nibbles, const Palette& palette, Picture& picture)
{
    const int w = picture.Width, h = picture.Height;
    std::int64_t x = 0, y = 0; // y counts rows from the bottom
    std::size_t i = 0;
    const auto put = [&](std::uint32_t index) {
        if (x >= 0 && x < w && y >= 0 && y < h)
            SetPixel(picture, int(x), int(h - 1 - y), Entry(palette, index));
        ++x;
    };
    while (y < h && i + 2 <= size) {
        const std::uint8_t count = data[i], value = data[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count && x < w; ++k)
                put(nibbles ? (k % 2 == 0 ? value >> 4 : value & 15) : value);
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of bitmap
            return;
        case 2: // delta
            if (i + 2 > size)
                return;
            x += data[i];
            y += data[i + 1];
            i += 2;
            break;
        default: { // an absolute run of `value` pixels, padded to a 16-bit boundary
            const std::size_t bytes = nibbles ? (value + 1) / 2 : value;
            if (i + bytes > size)
                return;
            for (int k = 0; k < value; ++k)
                put(nibbles ? (k % 2 == 0 ? data[i + k / 2] >> 4 : data[i + k / 2] & 15) : data[i + k]);
            i += (bytes + 1) & ~std::size_t(1);
            break;
        }
        }
    }
}

} // namespace

DibStatus DecodeDib(const char* record, std::uint32_t size, const DibPlace& place, const DibOptions& options, Dib& dib)
{
    if (place.CbBmi == 0 || place.OffBmi == 0)
        return DibStatus::Absent;
    const std::uint64_t bmiEnd = std::uint64_t(place.OffBmi) + place.CbBmi;
    const std::uint64_t bitsEnd = std::uint64_t(place.OffBits) + place.CbBits;
    if (place.CbBmi < sizeof(U_BITMAPINFOHEADER) || bmiEnd > size || bitsEnd > size || place.OffBmi % 4 != 0)
        return DibStatus::Damaged;
    const char* bmi = record + place.OffBmi;
    if (!bitmapinfo_safe(bmi, record + size))
        return DibStatus::Damaged;
    U_BITMAPINFOHEADER header;
    std::memcpy(&header, bmi, sizeof header);
    if (header.biSize < sizeof(U_BITMAPINFOHEADER) || header.biSize > place.CbBmi)
        return DibStatus::Damaged;
    const std::int64_t width = header.biWidth;
    const std::int64_t fullHeight = header.biHeight < 0 ? -std::int64_t(header.biHeight) : header.biHeight;
    const std::int64_t height = options.Rows ? std::min(*options.Rows, fullHeight) : fullHeight;
    if (width <= 0 || height <= 0 || width > kMaxDibPixels || height > kMaxDibPixels ||
        width * height > kMaxDibPixels)
        return DibStatus::Damaged;
    dib.Width = int(width);
    dib.Height = int(height);
    dib.FullHeight = int(std::min<std::int64_t>(fullHeight, INT32_MAX));
    dib.TopDown = header.biHeight < 0;
    const std::uint32_t compression = header.biCompression;
    const int bits = header.biBitCount;
    const std::uint8_t* data = reinterpret_cast<const std::uint8_t*>(record + place.OffBits);

    if (compression == U_BI_JPEG || compression == U_BI_PNG) {
        const bool png = compression == U_BI_PNG;
        if (place.CbBits < 8 ||
            (png ? std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) != 0 : data[0] != 0xFF || data[1] != 0xD8))
            return DibStatus::Damaged;
        dib.Encoded.assign(reinterpret_cast<const char*>(data), place.CbBits);
        dib.Kind = png ? "png" : "jpeg";
        return DibStatus::Decoded;
    }
    const bool rle = compression == U_BI_RLE8 || compression == U_BI_RLE4;
    if (rle ? ((compression == U_BI_RLE8 ? bits != 8 : bits != 4) || dib.TopDown)
            : (compression != U_BI_RGB && compression != U_BI_BITFIELDS))
        return DibStatus::Unsupported;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return DibStatus::Unsupported;
    if (compression == U_BI_BITFIELDS && bits != 16 && bits != 32)
        return DibStatus::Unsupported;

    // The colour table (or the bit fields of a 40-byte header) follows the header.
    const std::uint64_t tableAt = std::uint64_t(place.OffBmi) + header.biSize;
    const std::uint64_t bmiLimit = bmiEnd;
    std::uint32_t masks[4] = {0x7C00, 0x03E0, 0x001F, 0};
    if (bits == 32)
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    if (compression == U_BI_BITFIELDS) {
        // Within a larger header (at byte 40, alpha at 52), or right after a 40-byte one.
        const std::uint64_t at = header.biSize >= 52 ? place.OffBmi + 40 : tableAt;
        if (at + 12 > bmiLimit)
            return DibStatus::Damaged;
        for (int k = 0; k < 3; ++k)
            masks[k] = ReadU32(record + at + 4 * k);
        if (header.biSize >= 56)
            masks[3] = ReadU32(record + place.OffBmi + 52);
    }
    Palette palette;
    if (bits <= 8) {
        std::uint64_t count = 1u << bits;
        if (header.biClrUsed != 0)
            count = std::min<std::uint64_t>(header.biClrUsed, count);
        const std::uint64_t entry = place.Usage == U_DIB_PAL_COLORS ? 2 : 4;
        count = std::min<std::uint64_t>(count, tableAt < bmiLimit ? (bmiLimit - tableAt) / entry : 0);
        palette.resize(count);
        for (std::uint64_t k = 0; k < count; ++k) {
            const char* at = record + tableAt + k * entry;
            if (entry == 2) {
                std::uint16_t index;
                std::memcpy(&index, at, 2);
                palette[k] = index < 20 ? kDefaultPalette[index] : 0;
            } else {
                const auto* q = reinterpret_cast<const std::uint8_t*>(at);
                palette[k] = std::uint32_t(q[2]) << 16 | std::uint32_t(q[1]) << 8 | q[0];
            }
        }
        if (bits == 1 && options.Monochrome)
            palette.assign(options.Monochrome->begin(), options.Monochrome->end());
    }

    dib.Pixels = Picture(dib.Width, dib.Height);
    if (rle) {
        DecodeRle(data, place.CbBits, compression == U_BI_RLE4, palette, dib.Pixels);
        return DibStatus::Decoded;
    }

    const std::uint64_t stride = (std::uint64_t(width) * bits + 31) / 32 * 4;
    if (stride * std::uint64_t(height) > place.CbBits)
        return DibStatus::Damaged;
    const Channel red = ChannelOf(masks[0]), green = ChannelOf(masks[1]), blue = ChannelOf(masks[2]),
                  alpha = ChannelOf(masks[3]);
    for (int row = 0; row < dib.Height; ++row) {
        const std::uint8_t* line = data + stride * std::uint64_t(row);
        const int y = dib.TopDown ? row : dib.Height - 1 - row;
        std::uint8_t* out = dib.Pixels.At(0, y);
        for (int x = 0; x < dib.Width; ++x, out += 4) {
            std::uint32_t rgb = 0;
            std::uint8_t a = 255;
            switch (bits) {
            case 1: rgb = Entry(palette, (line[x >> 3] >> (7 - (x & 7))) & 1); break;
            case 4: rgb = Entry(palette, (line[x >> 1] >> ((x & 1) ? 0 : 4)) & 15); break;
            case 8: rgb = Entry(palette, line[x]); break;
            case 24:
                rgb = std::uint32_t(line[x * 3 + 2]) << 16 | std::uint32_t(line[x * 3 + 1]) << 8 | line[x * 3];
                break;
            case 16:
            case 32: {
                std::uint32_t pixel;
                if (bits == 16) {
                    pixel = std::uint32_t(line[x * 2]) | std::uint32_t(line[x * 2 + 1]) << 8;
                } else {
                    pixel = ReadU32(reinterpret_cast<const char*>(line + std::size_t(x) * 4));
                }
                rgb = std::uint32_t(red.Of(pixel, masks[0])) << 16 | std::uint32_t(green.Of(pixel, masks[1])) << 8 |
                      blue.Of(pixel, masks[2]);
                if (bits == 32 && options.PremultipliedAlpha)
                    a = masks[3] ? alpha.Of(pixel, masks[3]) : std::uint8_t(pixel >> 24);
                break;
            }
            }
            out[0] = std::uint8_t(rgb >> 16);
            out[1] = std::uint8_t(rgb >> 8);
            out[2] = std::uint8_t(rgb);
            out[3] = a;
            if (a != 255) {
                // Premultiplied: back to straight colour.
                for (int c = 0; c < 3; ++c)
                    out[c] = a == 0 ? 0 : std::uint8_t(std::min(255, out[c] * 255 / a));
            }
        }
    }
    return DibStatus::Decoded;
}

} // namespace emfplay
