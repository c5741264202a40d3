// Photos and bitmaps written by other programs (tests/data/photos, README.md there says how each was
// made), read as a record's picture is: their size, orientation and colours against ImageMagick's
// own reading of the same file.
#include "gui/BitmapCanvas.h"
#include "gui/PictureData.h"
#include "platform/Bitmap.h"
#include "platform/Files.h"
#include "platform/Jpeg.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <cstdlib>
#include <string>

namespace {

using platform::PictureData;

std::string Photo(const std::string& name) { return platform::ReadFileBytes(std::string(VKT_PHOTO_DATA_DIR) + "/" + name); }

struct Rgba {
    int r, g, b, a = 255;
};

// The centres of the four quarters of the upright 32 × 16 picture: top left, top right, bottom left,
// bottom right.
constexpr int kAt[4][2] = {{8, 4}, {24, 4}, {8, 12}, {24, 12}};

std::string Describe(const QColor& c) { return std::to_string(c.red()) + "," + std::to_string(c.green()) + "," + std::to_string(c.blue()) + "," + std::to_string(c.alpha()); }

bool Near(const QColor& actual, const Rgba& expected, int tolerance)
{
    return std::abs(actual.red() - expected.r) <= tolerance && std::abs(actual.green() - expected.g) <= tolerance
        && std::abs(actual.blue() - expected.b) <= tolerance && std::abs(actual.alpha() - expected.a) <= tolerance;
}

// Colours as ImageMagick 6.9.11 gives them at the four centres, turned upright (-auto-orient) and
// converted to sRGB by the file's profile (-profile srgb.icc), or plainly (-colorspace sRGB) without one.
struct PhotoCase {
    const char* file;
    Rgba colours[4];
};

const PhotoCase kPhotos[] = {
    // Red, green over blue, yellow, stored as a camera held each way stores it, EXIF orientation 1 to 8.
    {"orient-1.jpg", {{254, 0, 0}, {0, 255, 1}, {0, 0, 254}, {255, 255, 0}}},
    {"orient-2.jpg", {{254, 0, 0}, {0, 255, 1}, {0, 0, 254}, {255, 255, 0}}},
    {"orient-3.jpg", {{254, 0, 0}, {0, 255, 1}, {0, 0, 254}, {255, 255, 0}}},
    {"orient-4.jpg", {{254, 0, 0}, {0, 255, 1}, {0, 0, 254}, {255, 255, 0}}},
    {"orient-5.jpg", {{254, 0, 0}, {0, 255, 1}, {0, 0, 254}, {255, 255, 0}}},
    {"orient-6.jpg", {{254, 0, 0}, {0, 255, 1}, {0, 0, 254}, {255, 255, 0}}},
    {"orient-7.jpg", {{254, 0, 0}, {0, 255, 1}, {0, 0, 254}, {255, 255, 0}}},
    {"orient-8.jpg", {{254, 0, 0}, {0, 255, 1}, {0, 0, 254}, {255, 255, 0}}},
    // Red, green over brown (200, 100, 50), grey (128): Display P3 turned by orientation 6; Adobe RGB
    // in one profile segment and in three.
    {"phone-p3.jpg", {{255, 0, 0}, {0, 255, 0}, {215, 93, 31}, {128, 128, 128}}},
    {"adobergb.jpg", {{255, 0, 0}, {0, 255, 0}, {227, 100, 42}, {129, 129, 129}}},
    {"icc-chunks.jpg", {{255, 0, 0}, {0, 255, 0}, {227, 100, 42}, {129, 129, 129}}},
    // Greys 40, 100 over 160, 220 with a grey profile of a linear curve.
    {"grey.jpg", {{110, 110, 110}, {168, 168, 168}, {208, 208, 208}, {239, 239, 239}}},
    // CMYK with inverted values and an Adobe marker; YCCK; YCCK with a CMYK profile.
    {"cmyk.jpg", {{255, 0, 0}, {0, 255, 0}, {200, 100, 50}, {128, 128, 128}}},
    {"ycck.jpg", {{255, 0, 0}, {0, 255, 1}, {200, 100, 50}, {128, 128, 128}}},
    {"ycck-icc.jpg", {{255, 0, 0}, {0, 255, 0}, {186, 74, 26}, {103, 103, 103}}},
    // Red, green over blue, yellow as RLE8 and RLE4; with alpha 255, 128, 0 and 64; the same with every
    // alpha 0, which is drawn opaque (ImageMagick shows it clear).
    {"rle8.bmp", {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}}},
    {"rle4.bmp", {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}}},
    {"alpha.bmp", {{255, 0, 0, 255}, {0, 255, 0, 128}, {0, 0, 255, 0}, {255, 255, 0, 64}}},
    {"alpha-zero.bmp", {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}}},
};

// A failed assertion ends only its row.
void ExpectShownAsMeant(const PhotoCase& c)
{
    {
        const std::string bytes = Photo(c.file);
        PictureData picture;
        picture.SetBytes(bytes);
        // The size the picture page reports, and the image every view, print and PDF draws.
        ASSERT_TRUE(picture.CanDraw());
        EXPECT_EQ(picture.GetWidth(), 32);
        EXPECT_EQ(picture.GetHeight(), 16);
        const QImage& image = picture.GetImage().Q();
        ASSERT_EQ(image.size(), QSize(32, 16));
        // The platform's reading, as the class icons take a file.
        const bool jpeg = picture.GetKind() == platform::PictureKind::Jpeg;
        const platform::Picture decoded = jpeg ? platform::DecodeJpeg(bytes) : platform::DecodeBmp(bytes);
        ASSERT_EQ(decoded.GetWidth(), 32);
        ASSERT_EQ(decoded.GetHeight(), 16);
        for (int i = 0; i < 4; ++i) {
            const auto [x, y] = kAt[i];
            const QColor shown = image.pixelColor(x, y);
            EXPECT_TRUE(Near(shown, c.colours[i], 3)) << "at " << x << "," << y << ": " << Describe(shown);
            const platform::TColor read = decoded.GetPixel(x, y);
            EXPECT_TRUE(Near(QColor(platform::RedOf(read), platform::GreenOf(read), platform::BlueOf(read)),
                             {c.colours[i].r, c.colours[i].g, c.colours[i].b}, 3))
                << "decoded at " << x << "," << y;
        }
        // Kept as the file's own bytes.
        EXPECT_EQ(picture.GetBytes(), bytes);
    }
}

TEST(Photos, AreShownUprightInTheirColoursAsTheirWritersMeantThem)
{
    for (const PhotoCase& c : kPhotos) {
        SCOPED_TRACE(c.file);
        ExpectShownAsMeant(c);
    }
}

TEST(Photos, AlphaIsDrawnOverWhatLiesBelow)
{
    PictureData picture;
    picture.SetBytes(Photo("alpha.bmp"));
    platform::BitmapCanvas canvas(32, 16);   // white
    picture.Draw(canvas, {0, 0, 32, 16});
    const struct {
        int x, y;
        platform::TColor colour;
    } expected[] = {{8, 4, platform::RgbColor(255, 0, 0)},
                    {24, 4, platform::RgbColor(127, 255, 127)},
                    {8, 12, platform::RgbColor(255, 255, 255)},
                    {24, 12, platform::RgbColor(255, 255, 191)}};
    for (const auto& e : expected) {
        const platform::TColor drawn = canvas.GetPixel(e.x, e.y);
        EXPECT_NEAR(platform::RedOf(drawn), platform::RedOf(e.colour), 2) << e.x << "," << e.y;
        EXPECT_NEAR(platform::GreenOf(drawn), platform::GreenOf(e.colour), 2) << e.x << "," << e.y;
        EXPECT_NEAR(platform::BlueOf(drawn), platform::BlueOf(e.colour), 2) << e.x << "," << e.y;
    }
    // Turned, the bitmap keeps its alpha.
    picture.Rotate(1);
    EXPECT_EQ(picture.GetImage().Q().pixelColor(31 - 8, 15 - 12).alpha(), 0);
    EXPECT_EQ(platform::DecodeBmp(picture.GetBytes()).GetAlpha(31 - 24, 15 - 4), 128);
}

TEST(Photos, ATurnedPhotoIsWrittenUprightWithoutItsOrientation)
{
    PictureData picture;
    picture.SetBytes(Photo("orient-6.jpg"));
    picture.Rotate(0);   // right by 90°: blue comes to the top left
    EXPECT_EQ(platform::JpegOrientation(picture.GetBytes()), 1);
    PictureData again;
    again.SetBytes(picture.GetBytes());
    ASSERT_EQ(again.GetWidth(), 16);
    ASSERT_EQ(again.GetHeight(), 32);
    EXPECT_TRUE(Near(again.GetImage().Q().pixelColor(4, 8), {0, 0, 254}, 6)) << Describe(again.GetImage().Q().pixelColor(4, 8));
    EXPECT_TRUE(Near(again.GetImage().Q().pixelColor(12, 8), {254, 0, 0}, 6));
}

TEST(Photos, OrientationIsReadWithinTheExifBlock)
{
    const std::string six = Photo("orient-6.jpg");
    EXPECT_EQ(platform::JpegOrientation(six), 6);
    EXPECT_EQ(platform::JpegOrientation(Photo("phone-p3.jpg")), 6);
    EXPECT_EQ(platform::JpegOrientation(Photo("adobergb.jpg")), 1);
    // The EXIF block as stored, then cut, lied about and turned to nonsense: shown as stored.
    const std::size_t exif = six.find("Exif");
    ASSERT_NE(exif, std::string::npos);
    const std::size_t length = static_cast<unsigned char>(six[exif - 2]) << 8 | static_cast<unsigned char>(six[exif - 1]);
    const std::string block = six.substr(exif, length - 2);
    EXPECT_EQ(platform::ExifOrientation(block), 6);
    for (std::size_t cut = 0; cut < block.size(); ++cut)
        EXPECT_LE(platform::ExifOrientation(block.substr(0, cut)), 8) << cut;
    std::string bad = block;
    const std::size_t tiff = 6;
    const bool big = bad[tiff] == 'M';
    bad[tiff + (big ? 4 : 7)] = '\x7F';   // the first directory far past the block
    EXPECT_EQ(platform::ExifOrientation(bad), 1);
    // A whole picture stored turned with a broken EXIF block still decodes, as stored.
    std::string broken = six;
    broken[exif + tiff + (big ? 4 : 7)] = '\x7F';
    PictureData picture;
    picture.SetBytes(broken);
    EXPECT_EQ(picture.GetWidth(), 16);
    EXPECT_EQ(picture.GetHeight(), 32);
}

} // namespace
