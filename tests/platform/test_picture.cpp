#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "platform/ImageList.h"
#include "platform/Jpeg.h"
#include "support/Jpeg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "platform/ChildProcess.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>


namespace {

using platform::InvalidPictureError;
using platform::Picture;
using platform::RgbColor;
using platform::TColor;

constexpr TColor kTransparent = RgbColor(254, 254, 254);

Picture Gradient(int width, int height)
{
    Picture picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.SetPixel(x, y, RgbColor(x * 255 / std::max(1, width - 1), y * 255 / std::max(1, height - 1), 90));
    return picture;
}

// --- Picture ---------------------------------------------------------------------------------------

TEST(Picture, PixelsAreColoursWithinTheirBounds)
{
    Picture picture(3, 2, RgbColor(1, 2, 3));
    picture.SetPixel(2, 1, static_cast<TColor>(0x7F00FF00));   // the high byte is no colour
    EXPECT_EQ(picture.GetPixel(2, 1), RgbColor(0, 255, 0));
    picture.Fill(RgbColor(9, 9, 9));
    EXPECT_EQ(picture, Picture(3, 2, RgbColor(9, 9, 9)));
    EXPECT_THROW(picture.GetPixel(3, 0), platform::ListIndexError);
    EXPECT_THROW(picture.SetPixel(0, -1, 0), platform::ListIndexError);
    EXPECT_THROW(Picture(-1, 2), InvalidPictureError);
}

// --- Bitmap files ----------------------------------------------------------------------------------

std::uint32_t U32At(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

TEST(Bmp, WritesA24BitFile)
{
    const std::string bytes = platform::EncodeBmp(Gradient(5, 3));
    ASSERT_EQ(bytes.size(), 54u + 16u * 3u);   // 5 pixels = 15 bytes, padded to 16
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(U32At(bytes, 2), bytes.size());
    EXPECT_EQ(U32At(bytes, 10), 54u);
    EXPECT_EQ(U32At(bytes, 18), 5u);
    EXPECT_EQ(U32At(bytes, 22), 3u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24);
    // The first row stored is the bottom one: pixel (0, 2) = RGB(0, 255, 90) as blue, green, red.
    EXPECT_EQ(bytes.substr(54, 3), std::string("\x5A\xFF\x00", 3));
}

TEST(Bmp, RoundTripsEveryWidthPadding)
{
    for (int width = 1; width <= 8; ++width) {
        const Picture picture = Gradient(width, 4);
        EXPECT_EQ(platform::DecodeBmp(platform::EncodeBmp(picture)), picture) << "width " << width;
    }
    const Picture icon = Gradient(16, 16);
    EXPECT_EQ(platform::DecodeBmp(platform::EncodeBmp(icon)), icon);
}

TEST(Bmp, KeepsAlphaThroughItsFile)
{
    Picture picture = Gradient(3, 2);
    picture.SetAlpha(0, 0, 0);
    picture.SetAlpha(2, 1, 128);
    const std::string bytes = platform::EncodeBmp(picture);
    EXPECT_EQ(U32At(bytes, 14), 108u);   // version 4 header, bit fields with an alpha mask
    EXPECT_EQ(U32At(bytes, 66), 0xFF000000u);
    const Picture loaded = platform::DecodeBmp(bytes);
    EXPECT_EQ(loaded, picture);
    EXPECT_EQ(loaded.GetAlpha(0, 0), 0);
    EXPECT_EQ(loaded.GetAlpha(1, 0), 255);
    // An alpha mask over alphas that are all 0 is a file that does not use it: opaque.
    Picture opaque = Gradient(3, 2);
    opaque.SetAlpha(0, 0, 0);
    std::string cleared = platform::EncodeBmp(opaque);
    for (std::size_t at = U32At(cleared, 10) + 3; at < cleared.size(); at += 4)
        cleared[at] = '\0';
    EXPECT_FALSE(platform::DecodeBmp(cleared).HasAlpha());
}

// A bitmap file with a 40-byte header; `rows` as stored.
std::string BmpFile(int width, int height, int bits, const std::string& palette, const std::string& rows,
                    std::uint32_t compression = 0)
{
    std::string out = "BM";
    const auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    const auto put16 = [&](std::uint32_t v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>((v >> 8) & 0xFF);
    };
    const std::uint32_t offset = 54 + static_cast<std::uint32_t>(palette.size());
    put32(offset + static_cast<std::uint32_t>(rows.size()));
    put32(0);
    put32(offset);
    put32(40);
    put32(static_cast<std::uint32_t>(width));
    put32(static_cast<std::uint32_t>(height));
    put16(1);
    put16(static_cast<std::uint32_t>(bits));
    put32(compression);
    put32(static_cast<std::uint32_t>(rows.size()));
    put32(0);
    put32(0);
    put32(0);
    put32(0);
    return out + palette + rows;
}

TEST(Bmp, ReadsPaletteBitmaps)
{
    // 8 bits, 3 × 2, bottom-up: palette 0 red, 1 green, 2 blue.
    const std::string palette("\x00\x00\xFF\x00\x00\xFF\x00\x00\xFF\x00\x00\x00", 12);
    const std::string rows("\x00\x01\x02\x00\x02\x02\x02\x00", 8);
    const Picture eight = platform::DecodeBmp(BmpFile(3, 2, 8, palette, rows));
    EXPECT_EQ(eight.GetPixel(0, 1), RgbColor(255, 0, 0));
    EXPECT_EQ(eight.GetPixel(1, 1), RgbColor(0, 255, 0));
    EXPECT_EQ(eight.GetPixel(2, 0), RgbColor(0, 0, 255));

    // 1 bit, 10 × 1: black and white bits 1010000011.
    const std::string bwPalette("\x00\x00\x00\x00\xFF\xFF\xFF\x00", 8);
    const Picture one = platform::DecodeBmp(BmpFile(10, 1, 1, bwPalette, std::string("\xA0\xC0\x00\x00", 4)));
    EXPECT_EQ(one.GetPixel(0, 0), RgbColor(255, 255, 255));
    EXPECT_EQ(one.GetPixel(1, 0), RgbColor(0, 0, 0));
    EXPECT_EQ(one.GetPixel(8, 0), RgbColor(255, 255, 255));
    EXPECT_EQ(one.GetPixel(9, 0), RgbColor(255, 255, 255));
}

TEST(Bmp, ReadsTopDown32BitBitmaps)
{
    // Height -2: the first row stored is the top one.
    const std::string rows("\x01\x02\x03\xFF\x04\x05\x06\xFF", 8);
    const Picture picture = platform::DecodeBmp(BmpFile(1, -2, 32, "", rows));
    EXPECT_EQ(picture.GetPixel(0, 0), RgbColor(3, 2, 1));
    EXPECT_EQ(picture.GetPixel(0, 1), RgbColor(6, 5, 4));
}

TEST(Bmp, RefusesWhatItCannotRead)
{
    const std::string good = platform::EncodeBmp(Gradient(4, 4));
    EXPECT_THROW(platform::DecodeBmp(""), InvalidPictureError);
    EXPECT_THROW(platform::DecodeBmp("GIF89a............................"), InvalidPictureError);
    EXPECT_THROW(platform::DecodeBmp(good.substr(0, good.size() - 1)), InvalidPictureError);
    EXPECT_THROW(platform::DecodeBmp(good.substr(0, 20)), InvalidPictureError);
    EXPECT_THROW(platform::DecodeBmp(BmpFile(2, 2, 8, std::string(1024, '\0'), std::string(8, '\0'), 5)),
                 InvalidPictureError);   // compression 5: a PNG inside
    EXPECT_THROW(platform::DecodeBmp(BmpFile(2, 2, 7, "", std::string(8, '\0'))), InvalidPictureError);
    EXPECT_THROW(platform::DecodeBmp(BmpFile(0, 2, 24, "", "")), InvalidPictureError);
    // A header claiming a huge picture over a few bytes is refused before anything is allocated.
    EXPECT_THROW(platform::DecodeBmp(BmpFile(60000, 60000, 24, "", std::string(64, '\0'))), InvalidPictureError);
}

// Run-length bitmaps: palette 0 black, 1 red, 2 green, 3 blue. Each row: the size, the runs as stored
// (bottom row first), and the rows top first as palette indices ("" when the file is refused).
TEST(Bmp, ReadsRunLengthBitmapsWithinTheirRows)
{
    const std::string palette("\0\0\0\0\0\0\xFF\0\0\xFF\0\0\xFF\0\0\0", 16);
    const struct {
        int bits;
        int width;
        int height;
        std::string runs;
        const char* indices;
    } cases[] = {
        // RLE8: a run, an absolute stretch of 3 padded to even, end of row; a move right, a run, end of picture.
        {8, 5, 2, std::string("\x02\x01\x00\x03\x02\x00\x01\x00\x00\x00\x00\x02\x02\x00\x01\x02\x00\x01", 18),
         "00200/11201"},
        // RLE4: a run alternates its two indices; an absolute stretch packs two to a byte.
        {4, 5, 1, std::string("\x03\x12\x02\x30\x00\x01", 6), "12130"},
        {4, 5, 1, std::string("\x00\x05\x12\x31\x20\x00\x00\x01", 8), "12312"},
        // Every row ended, no end-of-picture record: read.
        {8, 2, 1, std::string("\x02\x03\x00\x00", 4), "33"},
        // Refused: a run, an absolute stretch or a move past the row or the picture; a run above the
        // top row; runs cut short; an absolute stretch's data cut.
        {8, 2, 2, std::string("\x03\x01\x00\x01", 4), ""},
        {4, 2, 2, std::string("\x03\x11\x00\x01", 4), ""},
        {8, 2, 2, std::string("\x00\x03\x01\x02\x03\x00\x00\x01", 8), ""},
        {8, 2, 2, std::string("\x00\x02\x05\x00\x00\x01", 6), ""},
        {8, 2, 2, std::string("\x00\x02\x00\x05\x00\x01", 6), ""},
        {8, 2, 2, std::string("\x00\x00\x00\x00\x01\x01\x00\x01", 8), ""},
        {8, 2, 2, std::string("\x02\x01", 2), ""},
        {8, 5, 1, std::string("\x00\x05\x01\x02", 4), ""},
        // A huge picture over a few runs is refused before its pixels are allocated.
        {8, 60000, 60000, std::string("\x00\x01", 2), ""},
    };
    for (const auto& c : cases) {
        const std::string file = BmpFile(c.width, c.height, c.bits, palette, c.runs, c.bits == 8 ? 1 : 2);
        if (!*c.indices) {
            EXPECT_THROW(platform::DecodeBmp(file), InvalidPictureError) << c.width << "x" << c.height;
            continue;
        }
        const Picture picture = platform::DecodeBmp(file);
        std::string indices;
        for (int y = 0; y < picture.GetHeight(); ++y) {
            if (y > 0)
                indices += '/';
            for (int x = 0; x < picture.GetWidth(); ++x) {
                const TColor colour = picture.GetPixel(x, y);
                indices += colour == RgbColor(255, 0, 0) ? '1' : colour == RgbColor(0, 255, 0) ? '2'
                         : colour == RgbColor(0, 0, 255) ? '3' : colour == 0 ? '0' : '?';
            }
        }
        EXPECT_EQ(indices, c.indices);
    }
    // Stored top-down, as an RLE bitmap never is: refused.
    EXPECT_THROW(platform::DecodeBmp(BmpFile(2, -1, 8, palette, std::string("\x02\x01\x00\x01", 4), 1)),
                 InvalidPictureError);
}

// --- Image list ------------------------------------------------------------------------------------

Picture Icon()
{
    Picture picture(16, 16, kTransparent);   // diagonals; the corners stay transparent
    for (int i = 1; i < 15; ++i) {
        picture.SetPixel(i, i, RgbColor(200, 0, 0));
        picture.SetPixel(15 - i, i, RgbColor(0, 0, 200));
    }
    return picture;
}

TEST(ImageList, MasksByTheTransparentColour)
{
    platform::ImageList list;
    EXPECT_EQ(list.GetWidth(), 16);
    EXPECT_EQ(list.GetHeight(), 16);
    EXPECT_EQ(list.AddMasked(Icon(), kTransparent), 0);
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_FALSE(list.IsTransparent(0, 3, 3));
    EXPECT_TRUE(list.IsTransparent(0, 3, 4));
    EXPECT_EQ(list.GetImage(0), Icon());
    EXPECT_THROW(list.GetImage(1), platform::ListIndexError);
    EXPECT_THROW(list.IsTransparent(0, 16, 0), platform::ListIndexError);
}

TEST(ImageList, DrawsOpaquePixelsAndTheBackground)
{
    platform::ImageList list;
    list.AddMasked(Icon(), kTransparent);

    Picture target(20, 20, RgbColor(0, 255, 0));
    list.Draw(target, 2, 3, 0);
    EXPECT_EQ(target.GetPixel(3, 4), RgbColor(200, 0, 0));
    EXPECT_EQ(target.GetPixel(2, 3), RgbColor(0, 255, 0));   // transparent: the target shows
    EXPECT_EQ(target.GetPixel(0, 0), RgbColor(0, 255, 0));

    list.SetBkColor(RgbColor(1, 1, 1));
    list.Draw(target, 2, 3, 0);
    EXPECT_EQ(target.GetPixel(2, 3), RgbColor(1, 1, 1));
    EXPECT_EQ(target.GetPixel(18, 3), RgbColor(0, 255, 0));   // outside the image

    Picture small(4, 4, RgbColor(0, 255, 0));
    list.Draw(small, -14, -14, 0);   // clipped: pixel (14, 14) of the image lands on (0, 0)
    EXPECT_EQ(small.GetPixel(0, 0), RgbColor(200, 0, 0));
    EXPECT_EQ(small.GetPixel(1, 1), RgbColor(1, 1, 1));
    EXPECT_EQ(small.GetPixel(2, 2), RgbColor(0, 255, 0));

    Picture untouched(4, 4, RgbColor(5, 5, 5));
    list.Draw(untouched, 0, 0, 7);
    EXPECT_EQ(untouched, Picture(4, 4, RgbColor(5, 5, 5)));
}

TEST(ImageList, OtherSizesAreCutOrLeftTransparent)
{
    platform::ImageList list;
    list.AddMasked(Picture(4, 4, RgbColor(10, 10, 10)), kTransparent);
    EXPECT_FALSE(list.IsTransparent(0, 3, 3));
    EXPECT_TRUE(list.IsTransparent(0, 4, 0));
    list.AddMasked(Gradient(40, 40), kTransparent);
    EXPECT_EQ(list.GetImage(1).GetWidth(), 16);
    EXPECT_EQ(list.GetImage(1).GetPixel(15, 15), Gradient(40, 40).GetPixel(15, 15));
}

TEST(ImageList, ChangesAreReported)
{
    platform::ImageList list;
    std::vector<int> counts;
    list.OnChange = [&](platform::ImageList* sender) { counts.push_back(sender->GetCount()); };
    list.AddMasked(Icon(), kTransparent);
    list.AddMasked(Icon(), kTransparent);
    list.Delete(0);
    EXPECT_THROW(list.Delete(5), platform::ListIndexError);
    list.Clear();
    EXPECT_EQ(counts, (std::vector<int>{1, 2, 1, 0}));
}

TEST(ImageList, BitmapRoundTripKeepsPixelsAndMask)
{
    platform::ImageList source;
    source.AddMasked(Icon(), kTransparent);
    Picture drawn(16, 16, kTransparent);
    source.Draw(drawn, 0, 0, 0);

    const Picture loaded = platform::DecodeBmp(platform::EncodeBmp(drawn));
    platform::ImageList target;
    target.AddMasked(loaded, loaded.GetPixel(0, 15));
    EXPECT_EQ(target.GetImage(0), source.GetImage(0));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(target.IsTransparent(0, x, y), source.IsTransparent(0, x, y)) << x << "," << y;
}

// --- JPEG ------------------------------------------------------------------------------------------

using vkttest::EncodeJpeg;

void ExpectClose(const Picture& actual, const Picture& expected, int tolerance)
{
    ASSERT_EQ(actual.GetWidth(), expected.GetWidth());
    ASSERT_EQ(actual.GetHeight(), expected.GetHeight());
    for (int y = 0; y < expected.GetHeight(); ++y) {
        for (int x = 0; x < expected.GetWidth(); ++x) {
            const TColor a = actual.GetPixel(x, y);
            const TColor e = expected.GetPixel(x, y);
            ASSERT_NEAR(platform::RedOf(a), platform::RedOf(e), tolerance) << x << "," << y;
            ASSERT_NEAR(platform::GreenOf(a), platform::GreenOf(e), tolerance) << x << "," << y;
            ASSERT_NEAR(platform::BlueOf(a), platform::BlueOf(e), tolerance) << x << "," << y;
        }
    }
}

TEST(Jpeg, DecodesColourAndGrey)
{
    const Picture colour = Gradient(33, 17);
    ExpectClose(platform::DecodeJpeg(EncodeJpeg(colour, false)), colour, 8);

    Picture grey(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            grey.SetPixel(x, y, RgbColor(x * 30, x * 30, x * 30));
    ExpectClose(platform::DecodeJpeg(EncodeJpeg(grey, true)), grey, 4);
}

TEST(Jpeg, CorruptFilesRaiseInvalidPicture)
{
    const std::string good = EncodeJpeg(Gradient(64, 64), false);
    ASSERT_NO_THROW(platform::DecodeJpeg(good));

    EXPECT_THROW(platform::DecodeJpeg(""), InvalidPictureError);
    EXPECT_THROW(platform::DecodeJpeg("not a jpeg at all"), InvalidPictureError);
    EXPECT_THROW(platform::DecodeJpeg(good.substr(0, good.size() / 2)), InvalidPictureError);
    EXPECT_THROW(platform::DecodeJpeg(good.substr(0, 30)), InvalidPictureError);

    std::string broken = good;
    for (std::size_t i = 2; i < 200 && i < broken.size(); ++i)   // wreck the headers after SOI
        broken[i] = static_cast<char>(0xFF);
    EXPECT_THROW(platform::DecodeJpeg(broken), InvalidPictureError);

    try {
        platform::DecodeJpeg(good.substr(0, good.size() / 2));
    } catch (const InvalidPictureError& e) {
        EXPECT_NE(std::string(e.what()).find("Invalid JPEG picture"), std::string::npos) << e.what();
    }
}

// Growth of the resident memory of a child decoding the bytes, in MiB (at most 250); 251 when the
// decode succeeded, 252 when the child could not measure.
int DecodeGrowthMiB(const std::string& bytes)
{
    const ChildResult result = RunInChild([&] {
        std::ofstream("/proc/self/clear_refs") << "5";   // the peak starts again from here
        const auto status = [](const char* field) {
            std::ifstream in("/proc/self/status");
            std::string line;
            while (std::getline(in, line))
                if (line.rfind(field, 0) == 0)
                    return std::atol(line.c_str() + std::strlen(field));
            return -1L;
        };
        const long before = status("VmRSS:");
        try {
            platform::DecodeJpeg(bytes);
            return 251;
        } catch (const InvalidPictureError&) {
        }
        const long peak = status("VmHWM:");
        if (before < 0 || peak < 0)
            return 252;
        return static_cast<int>(std::min(250L, std::max(0L, peak - before) / 1024));
    });
    return result.finished ? result.exitCode : -1;
}

TEST(Jpeg, AHeaderClaimingAHugePictureOverMissingDataFailsWithoutAllocatingIt)
{
    for (const bool progressive : {false, true}) {
        std::string bytes = EncodeJpeg(Gradient(16, 16), false, progressive);
        const std::size_t frame = bytes.find(progressive ? "\xFF\xC2" : "\xFF\xC0");
        ASSERT_NE(frame, std::string::npos);
        for (const std::size_t at : {frame + 5, frame + 7}) {   // height, width
            bytes[at] = '\x3F';
            bytes[at + 1] = '\xFF';
        }
        EXPECT_LT(DecodeGrowthMiB(bytes), 32) << (progressive ? "progressive" : "baseline");
    }
}

} // namespace
