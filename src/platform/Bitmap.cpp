#include "platform/Bitmap.h"

#include "platform/Errors.h"
#include "platform/PictureLimits.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <string>

namespace platform {

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitFields = 3;
constexpr std::uint32_t kBiAlphaBitFields = 6;
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
// The version 3 header (56 bytes) and later ones hold an alpha mask after the colour masks.
constexpr std::size_t kAlphaMaskHeaderSize = 56;
constexpr std::size_t kV4HeaderSize = 108;
constexpr std::uint32_t kSrgbColourSpace = 0x73524742;   // 'sRGB'

[[noreturn]] void Invalid(const std::string& why)
{
    throw InvalidPictureError("Invalid bitmap: " + why);
}

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    std::size_t Size() const { return bytes_.size(); }
    std::uint8_t U8(std::size_t at) const
    {
        Need(at, 1);
        return static_cast<std::uint8_t>(bytes_[at]);
    }
    std::uint16_t U16(std::size_t at) const
    {
        Need(at, 2);
        return static_cast<std::uint16_t>(Byte(at) | (Byte(at + 1) << 8));
    }
    std::uint32_t U32(std::size_t at) const
    {
        Need(at, 4);
        return Byte(at) | (Byte(at + 1) << 8) | (Byte(at + 2) << 16) | (static_cast<std::uint32_t>(Byte(at + 3)) << 24);
    }
    std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }
    void Need(std::size_t at, std::size_t count) const
    {
        if (at > bytes_.size() || count > bytes_.size() - at)
            Invalid("the file is cut short");
    }

private:
    std::uint32_t Byte(std::size_t at) const { return static_cast<std::uint8_t>(bytes_[at]); }
    std::string_view bytes_;
};

void PutU16(std::string& out, std::uint32_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void PutU32(std::string& out, std::uint32_t value)
{
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

// One colour channel described by a bit mask, scaled to 0..255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t m) : mask(m)
    {
        if (mask != 0) {
            shift = std::countr_zero(mask);
            max = mask >> shift;
        }
    }
    int Scale(std::uint32_t pixel) const
    {
        if (max == 0)
            return 0;
        const std::uint64_t value = (pixel & mask) >> shift;
        return static_cast<int>(value * 255 / max);
    }
};

// The pixels of an RLE8 or RLE4 bitmap (bottom row first). Records, each two bytes: a count n > 0
// and a value, n pixels of the value's index (RLE4: its two nibbles in turn); or 0 and a code: 0 ends
// the row, 1 ends the picture, 2 moves right and up by the next two bytes, n ≥ 3 gives n indices as
// they are (RLE4: two to a byte), padded to an even number of bytes. A record that would write past
// its row or the picture refuses the file; pixels no record writes keep the first palette colour.
Picture DecodeRle(const Reader& in, std::size_t at, int width, int height, unsigned bitCount,
                  const std::vector<TColor>& palette)
{
    const std::uint64_t runBytes = at < in.Size() ? in.Size() - at : 0;
    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (pixels > kMaxJpegPixels || pixels > kRlePixelsBase + kRlePixelsPerByte * runBytes)
        Invalid("the picture is too large for its runs");
    const auto colourOf = [&](unsigned index) { return index < palette.size() ? palette[index] : 0; };
    Picture picture(width, height, colourOf(0));
    std::int64_t x = 0;
    std::int64_t row = 0;   // from the bottom
    const auto put = [&](unsigned index) { picture.SetPixel(static_cast<int>(x++), static_cast<int>(height - 1 - row), colourOf(index)); };
    const auto room = [&](std::int64_t count) {
        if (row >= height || count > width - x)
            Invalid("a run passes the end of its row");
    };
    while (at + 2 <= in.Size()) {
        const unsigned count = in.U8(at);
        const unsigned value = in.U8(at + 1);
        at += 2;
        if (count > 0) {
            room(count);
            for (unsigned i = 0; i < count; ++i)
                put(bitCount == 8 ? value : (i % 2 == 0 ? value >> 4 : value & 0x0F));
            continue;
        }
        switch (value) {
        case 0:
            x = 0;
            ++row;
            break;
        case 1:
            return picture;
        case 2:
            x += in.U8(at);
            row += in.U8(at + 1);
            at += 2;
            if (x > width || row > height)
                Invalid("a move passes the end of the picture");
            break;
        default: {
            room(value);
            const std::size_t dataBytes = bitCount == 8 ? value : (value + 1) / 2;
            in.Need(at, dataBytes);
            for (unsigned i = 0; i < value; ++i)
                put(bitCount == 8 ? in.U8(at + i) : (i % 2 == 0 ? in.U8(at + i / 2) >> 4 : in.U8(at + i / 2) & 0x0F));
            at += dataBytes + dataBytes % 2;
            break;
        }
        }
    }
    // Without the end-of-picture record, every row must have been ended.
    if (row < height)
        Invalid("the file is cut short");
    return picture;
}

} // namespace

Picture::Picture(int width, int height, TColor fill)
{
    if (width < 0 || height < 0)
        throw InvalidPictureError("Invalid picture size");
    width_ = width;
    height_ = height;
    pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill & 0xFFFFFF);
}

std::size_t Picture::IndexOf(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        throw ListIndexError("Pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") outside the picture");
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
}

TColor Picture::GetPixel(int x, int y) const
{
    return pixels_[IndexOf(x, y)];
}

void Picture::SetPixel(int x, int y, TColor color)
{
    pixels_[IndexOf(x, y)] = color & 0xFFFFFF;
}

void Picture::Fill(TColor color)
{
    std::fill(pixels_.begin(), pixels_.end(), color & 0xFFFFFF);
}

int Picture::GetAlpha(int x, int y) const
{
    const std::size_t at = IndexOf(x, y);
    return alpha_.empty() ? 255 : alpha_[at];
}

void Picture::SetAlpha(int x, int y, int alpha)
{
    const std::size_t at = IndexOf(x, y);
    alpha = std::clamp(alpha, 0, 255);
    if (alpha_.empty()) {
        if (alpha == 255)
            return;
        alpha_.assign(pixels_.size(), 255);
    }
    alpha_[at] = static_cast<std::uint8_t>(alpha);
}

std::string EncodeBmp(const Picture& picture)
{
    const bool alpha = picture.HasAlpha();
    const std::uint32_t width = static_cast<std::uint32_t>(picture.GetWidth());
    const std::uint32_t height = static_cast<std::uint32_t>(picture.GetHeight());
    const std::uint32_t pixelBytes = alpha ? 4 : 3;
    const std::uint32_t stride = (width * pixelBytes + 3) & ~3u;
    const std::uint32_t imageSize = stride * height;
    const std::uint32_t headerSize = alpha ? kV4HeaderSize : kInfoHeaderSize;
    const std::uint32_t offset = kFileHeaderSize + headerSize;

    std::string out;
    out.reserve(offset + imageSize);
    out += "BM";
    PutU32(out, offset + imageSize);
    PutU32(out, 0);
    PutU32(out, offset);
    PutU32(out, headerSize);
    PutU32(out, width);
    PutU32(out, height);
    PutU16(out, 1);
    PutU16(out, alpha ? 32 : 24);
    PutU32(out, alpha ? kBiBitFields : kBiRgb);
    PutU32(out, imageSize);
    for (int i = 0; i < 4; ++i)
        PutU32(out, 0);
    if (alpha) {
        for (const std::uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u})
            PutU32(out, mask);
        PutU32(out, kSrgbColourSpace);
        out.append(kV4HeaderSize - (out.size() - kFileHeaderSize), '\0');   // end points and gamma, unused
    }
    for (int y = picture.GetHeight() - 1; y >= 0; --y) {
        const std::size_t rowStart = out.size();
        for (int x = 0; x < picture.GetWidth(); ++x) {
            const TColor c = picture.GetPixel(x, y);
            out.push_back(static_cast<char>(BlueOf(c)));
            out.push_back(static_cast<char>(GreenOf(c)));
            out.push_back(static_cast<char>(RedOf(c)));
            if (alpha)
                out.push_back(static_cast<char>(picture.GetAlpha(x, y)));
        }
        out.append(stride - (out.size() - rowStart), '\0');
    }
    return out;
}

Picture DecodeBmp(std::string_view bytes)
{
    const Reader in(bytes);
    if (bytes.size() < kFileHeaderSize + 12 || bytes[0] != 'B' || bytes[1] != 'M')
        Invalid("not a bitmap file");
    const std::uint32_t dataOffset = in.U32(10);
    const std::uint32_t headerSize = in.U32(14);

    std::int64_t width = 0;
    std::int64_t height = 0;
    unsigned bitCount = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t coloursUsed = 0;
    std::size_t paletteEntrySize = 4;
    std::size_t paletteStart = kFileHeaderSize + headerSize;
    std::uint32_t masks[4] = {0, 0, 0, 0};

    if (headerSize == 12) {
        width = in.U16(18);
        height = in.U16(20);
        if (in.U16(22) != 1)
            Invalid("bad plane count");
        bitCount = in.U16(24);
        paletteEntrySize = 3;
    } else if (headerSize >= kInfoHeaderSize) {
        width = in.I32(18);
        height = in.I32(22);
        if (in.U16(26) != 1)
            Invalid("bad plane count");
        bitCount = in.U16(28);
        compression = in.U32(30);
        coloursUsed = in.U32(46);
        if (compression == kBiBitFields || compression == kBiAlphaBitFields) {
            // The masks follow a 40-byte header; larger headers hold them at the same place, the
            // alpha mask too from 56 bytes on.
            const bool alphaMask = compression == kBiAlphaBitFields || headerSize >= kAlphaMaskHeaderSize;
            const int count = alphaMask ? 4 : 3;
            for (int i = 0; i < count; ++i)
                masks[i] = in.U32(kFileHeaderSize + kInfoHeaderSize + 4 * static_cast<std::size_t>(i));
            if (headerSize == kInfoHeaderSize)
                paletteStart += 4 * static_cast<std::size_t>(count);
        }
    } else {
        Invalid("unknown header");
    }

    const bool rle = (compression == kBiRle8 && bitCount == 8) || (compression == kBiRle4 && bitCount == 4);
    const bool fields = (compression == kBiBitFields || compression == kBiAlphaBitFields) && (bitCount == 16 || bitCount == 32);
    if (compression != kBiRgb && !rle && !fields)
        Invalid("unsupported compression");
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        Invalid("unsupported bits per pixel");
    const bool topDown = height < 0;
    if (topDown)
        height = -height;
    if (width <= 0 || height <= 0 || width > std::numeric_limits<std::int32_t>::max()
        || height > std::numeric_limits<std::int32_t>::max())
        Invalid("bad size");
    if (rle && topDown)
        Invalid("an RLE bitmap is stored bottom-up");

    std::vector<TColor> palette;
    if (bitCount <= 8) {
        const std::uint32_t maxColours = 1u << bitCount;
        const std::uint32_t count = coloursUsed == 0 || coloursUsed > maxColours ? maxColours : coloursUsed;
        palette.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::size_t at = paletteStart + i * paletteEntrySize;
            if (at + 3 > dataOffset)
                break;   // a short palette: missing entries draw black
            palette.push_back(RgbColor(in.U8(at + 2), in.U8(at + 1), in.U8(at)));
        }
    }
    if (compression == kBiRgb) {
        if (bitCount == 16) {
            masks[0] = 0x7C00;
            masks[1] = 0x03E0;
            masks[2] = 0x001F;
        } else if (bitCount == 32) {
            masks[0] = 0xFF0000;
            masks[1] = 0x00FF00;
            masks[2] = 0x0000FF;
        }
    }
    if (rle)
        return DecodeRle(in, dataOffset, static_cast<int>(width), static_cast<int>(height), bitCount, palette);
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);

    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bitCount + 31) / 32) * 4;
    if (dataOffset > bytes.size() || stride * static_cast<std::uint64_t>(height) > bytes.size() - dataOffset)
        Invalid("the file is cut short");

    Picture picture(static_cast<int>(width), static_cast<int>(height));
    // The alphas of a picture with an alpha mask, kept only when some pixel's is not 0.
    std::vector<std::uint8_t> alphas;
    bool anyAlpha = false;
    if (alpha.mask != 0)
        alphas.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::int64_t row = 0; row < height; ++row) {
        const int y = static_cast<int>(topDown ? row : height - 1 - row);
        const std::size_t base = dataOffset + static_cast<std::size_t>(row * static_cast<std::int64_t>(stride));
        for (int x = 0; x < width; ++x) {
            TColor colour = 0;
            std::uint32_t px = 0;
            switch (bitCount) {
            case 1:
            case 4:
            case 8: {
                const std::size_t bit = static_cast<std::size_t>(x) * bitCount;
                const unsigned byte = in.U8(base + bit / 8);
                const unsigned index = (byte >> (8 - bitCount - bit % 8)) & ((1u << bitCount) - 1);
                colour = index < palette.size() ? palette[index] : 0;
                break;
            }
            case 16:
                px = in.U16(base + 2 * static_cast<std::size_t>(x));
                colour = RgbColor(red.Scale(px), green.Scale(px), blue.Scale(px));
                break;
            case 24: {
                const std::size_t at = base + 3 * static_cast<std::size_t>(x);
                colour = RgbColor(in.U8(at + 2), in.U8(at + 1), in.U8(at));
                break;
            }
            default:
                px = in.U32(base + 4 * static_cast<std::size_t>(x));
                colour = RgbColor(red.Scale(px), green.Scale(px), blue.Scale(px));
                break;
            }
            picture.SetPixel(x, y, colour);
            if (!alphas.empty()) {
                const int a = alpha.Scale(px);
                alphas[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] =
                    static_cast<std::uint8_t>(a);
                anyAlpha = anyAlpha || a != 0;
            }
        }
    }
    if (anyAlpha)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                picture.SetAlpha(x, y, alphas[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]);
    return picture;
}

} // namespace platform
