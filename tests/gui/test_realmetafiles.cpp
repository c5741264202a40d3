// Real pictures written by Inkscape and LibreOffice (tests/data/emf), drawn as a record's picture is
// drawn and compared with the writing program's own rendering of the same source (name.png: the
// EMF frame's area at 96 dpi):
//  - by a figure: the share of pixels whose colour, after a 7 × 7 box blur of both images, differs
//    by more than 40 in a channel. The blur forgives antialiasing, hinting and a drawing off by a
//    pixel (the writer's rendering moved by one pixel differs in 0.1 to 4 % of its pixels), not one
//    off by two (4 to 17 %) nor a missing or misplaced part; each file has its limit;
//  - at named places, for what each file is about: each place is checked on the writer's rendering
//    too, so a place that says something untrue of it is a fault of the table, not of the drawing.
// With VKT_PICTURE_OUTPUT naming a folder, each drawing is written there as name.png beside
// name.sbs.png (the writer's rendering, ours and where they differ).
#include "gui/BitmapCanvas.h"
#include "gui/PictureData.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace platform;

constexpr int kBlurRadius = 3;
constexpr int kDifference = 40;
// A pixel is of a colour when no channel is further from it than this.
constexpr int kNear = 64;

// What a place must show: `Least`..`Most` percent of its pixels of the colour `Rgb` (0xRRGGBB); for
// LikeWriter, a mean colour no further than `Most` in any channel from the writer's mean there; for
// Steady, along its longer side, a colour that changes one way only (a channel of its rows' or
// columns' mean colour never steps back by more than `Most`: no seam of a gradient shows).
enum class Look { Share, LikeWriter, Steady };

struct Place {
    const char* What;
    Rect Area;
    Look How;
    unsigned Rgb;
    int Least;
    int Most;
};

constexpr Place Share(const char* what, Rect area, unsigned rgb, int least, int most)
{
    return {what, area, Look::Share, rgb, least, most};
}

constexpr Place LikeWriter(const char* what, Rect area, int most = 16)
{
    return {what, area, Look::LikeWriter, 0, 0, most};
}

constexpr Place Steady(const char* what, Rect area, int most = 3)
{
    return {what, area, Look::Steady, 0, 0, most};
}

struct RealPicture {
    const char* Name;
    // The largest share of differing pixels, in percent.
    double Limit;
    std::vector<Place> Places;
};

constexpr unsigned kWhite = 0xFFFFFF;

const RealPicture kPictures[] = {
    {"ink-shapes", 3.0,
     {Share("the filled rectangle is red", {60, 50, 160, 100}, 0xD03020, 95, 100),
      Share("its outline is dark", {17, 40, 23, 110}, 0x202020, 70, 100),
      Share("the stroked rectangle is empty inside", {280, 50, 400, 100}, 0xFFFAF0, 98, 100),
      Share("its outline is blue", {237, 40, 243, 110}, 0x1040C0, 70, 100),
      Share("the ellipse is green", {80, 210, 140, 250}, 0x30A040, 95, 100),
      Share("the ellipse's bounding corner stays paper", {22, 172, 35, 185}, 0xFFFAF0, 98, 100),
      Share("the circle's ring is orange", {221, 222, 229, 238}, 0xE08000, 60, 100),
      Share("the circle is empty inside", {265, 215, 295, 245}, 0xFFFAF0, 98, 100),
      Share("the rounded rectangle's corner is cut", {360, 170, 366, 176}, 0xFFFAF0, 60, 100),
      Share("the rounded rectangle is yellow", {380, 200, 440, 260}, 0xF0D040, 95, 100)}},
    {"ink-dashes", 3.0,
     {Share("the long dashes have gaps", {20, 28, 380, 32}, kWhite, 20, 50),
      Share("the dots have gaps", {20, 68, 380, 72}, kWhite, 45, 85),
      Share("the dash-dots have gaps", {20, 109, 380, 111}, kWhite, 20, 55),
      Share("the coupon's outline is dashed", {40, 139, 200, 141}, 0x404040, 30, 80)}},
    {"ink-zigzag", 4.5,
     {Share("the zigzag has no closing segment", {266, 39, 274, 47}, kWhite, 98, 100),
      Share("the zigzag is drawn", {119, 96, 121, 104}, 0x000000, 80, 100),
      Share("the filled open curve has no stroke along its chord", {90, 287, 130, 293}, 0x202080, 0, 5),
      Share("it is filled up to its chord", {90, 280, 130, 287}, 0xA0C8F0, 80, 100),
      Share("the filled open polyline has no stroke along its base", {280, 287, 300, 293}, 0x206020, 0, 5),
      Share("it is filled up to its base", {285, 278, 295, 287}, 0xC8F0B0, 80, 100)}},
    {"ink-text", 3.0,
     {Share("the first line is written", {20, 22, 240, 56}, kWhite, 40, 92),
      Share("the 30° line lies along its slope", {80, 237, 100, 257}, kWhite, 30, 92),
      Share("nothing where the 30° line would lie unturned", {130, 270, 170, 288}, kWhite, 98, 100),
      Share("the 90° line runs up the right edge", {418, 150, 438, 280}, kWhite, 30, 92),
      Share("nothing where the 90° line would lie unturned", {445, 275, 478, 298}, kWhite, 98, 100),
      Share("nothing below the 90° line's start", {414, 304, 446, 318}, kWhite, 98, 100)}},
    {"ink-gradient", 3.0,
     {Share("the first gradient starts red", {25, 60, 35, 80}, 0xE01010, 95, 100),
      Share("it is orange half way", {195, 60, 205, 80}, 0xE87818, 95, 100),
      Share("it ends yellow", {365, 60, 375, 80}, 0xF0E020, 95, 100),
      Share("the vertical gradient starts blue", {100, 152, 110, 158}, 0x1030C0, 95, 100),
      Share("it ends white", {100, 272, 110, 278}, 0xF5F6FC, 95, 100),
      Share("the three stops: green", {225, 200, 235, 230}, 0x20A020, 95, 100),
      Share("white", {295, 200, 305, 230}, kWhite, 95, 100),
      Share("purple", {365, 200, 375, 230}, 0x8020A0, 95, 100)}},
    {"ink-clip", 3.0,
     {Share("the disc shows inside its square", {90, 40, 120, 60}, 0xF0C000, 95, 100),
      Share("nothing of the disc right of the square", {170, 100, 200, 130}, kWhite, 98, 100),
      Share("nothing of the disc below the square", {45, 160, 75, 185}, kWhite, 98, 100),
      Share("the photo cut round leaves its corner empty", {224, 24, 238, 38}, kWhite, 98, 100),
      LikeWriter("the photo cut round shows in its circle", {290, 70, 350, 130}),
      LikeWriter("the photo after the clips appears", {50, 200, 230, 320}),
      LikeWriter("the turned photo appears", {330, 245, 390, 285}),
      Share("nothing where the turned photo would lie unturned", {286, 216, 296, 223}, kWhite, 90, 100)}},
    {"ink-hatch", 6.0,
     {Share("the diagonal hatch has lines and gaps", {40, 40, 160, 200}, kWhite, 50, 92),
      Share("its lines are red", {40, 40, 160, 200}, 0xA02020, 5, 45),
      Share("the cross hatch lets the yellow through", {230, 40, 360, 90}, 0xF8E060, 40, 92),
      Share("its lines are blue", {230, 40, 360, 90}, 0x2040C0, 8, 55),
      Share("the horizontal hatch crosses a column", {300, 150, 301, 200}, kWhite, 60, 95),
      Share("its lines are green", {230, 150, 360, 200}, 0x208020, 5, 35)}},
    // LibreOffice writes the triple hatch into the EMF at other phases than it renders the source (its
    // own rendering of the EMF shows the lines drawn here): the blue band differs line by line.
    {"lo-hatch", 11.0,
     {Share("the single hatch has lines and gaps", {40, 40, 190, 125}, kWhite, 50, 92),
      Share("the double hatch lets its yellow fill through", {330, 70, 380, 110}, 0xFFF0A0, 40, 92),
      Share("its lines are red", {330, 70, 380, 110}, 0xC01010, 5, 50),
      Share("the triple hatch has lines and gaps", {40, 190, 440, 300}, kWhite, 30, 92),
      Share("no hatch between the shapes", {215, 40, 245, 130}, kWhite, 98, 100),
      Share("the double hatch stays inside its ellipse", {252, 22, 268, 38}, kWhite, 95, 100)}},
    {"lo-gradient", 1.5,
     {Share("the rectangle's gradient is yellow at the top", {200, 22, 280, 30}, 0xEED21E, 90, 100),
      Share("and red at the bottom", {200, 124, 280, 130}, 0xE12011, 90, 100),
      Share("the ellipse's gradient is blue at the top", {110, 160, 140, 170}, 0x213FC4, 90, 100),
      Share("and white at the bottom", {110, 300, 140, 310}, 0xEDEFFA, 90, 100),
      Share("the ellipse's bounding corner stays white", {22, 157, 40, 175}, kWhite, 98, 100),
      Share("nothing left of the triangle", {260, 160, 290, 190}, kWhite, 98, 100),
      Share("nothing right of the triangle", {395, 158, 425, 195}, kWhite, 98, 100),
      Share("the triangle's axis is purple", {345, 270, 365, 290}, 0x862AA4, 70, 100),
      Steady("the rectangle's gradient has no seams", {238, 22, 242, 132}),
      Steady("nor the ellipse's", {123, 158, 127, 312}),
      Steady("nor the triangle's", {262, 298, 353, 302})}},
    {"lo-photo", 4.0,
     {LikeWriter("the 256-colour photo: top left", {30, 30, 135, 95}),
      LikeWriter("top right", {145, 30, 250, 95}),
      LikeWriter("bottom left", {30, 105, 135, 170}),
      LikeWriter("bottom right", {145, 105, 250, 170}),
      LikeWriter("upright: a glazed piece below", {181, 125, 193, 137}),
      LikeWriter("the plate above it", {181, 61, 193, 73}),
      LikeWriter("the photo cut round shows in its ellipse", {330, 60, 410, 130}),
      Share("the ellipse's corner stays white", {282, 22, 295, 35}, kWhite, 90, 100),
      LikeWriter("the photo after the ellipse appears", {30, 200, 190, 310})}},
    {"lo-text", 4.0,
     {Share("the title is written", {21, 25, 240, 55}, 0xFFF4E0, 40, 92),
      Share("the 30° line lies along its slope", {80, 265, 115, 295}, kWhite, 30, 92),
      Share("nothing where the 30° line would lie unturned", {120, 305, 170, 330}, kWhite, 98, 100),
      Share("the 90° line runs up", {432, 160, 450, 290}, kWhite, 30, 92),
      Share("nothing where the 90° line would lie unturned", {440, 310, 478, 334}, kWhite, 98, 100)}},
    {"lo-chart", 4.0,
     {Share("August's food bar is tall", {299, 95, 309, 290}, 0x004586, 95, 100),
      Share("the plot shows above it", {299, 70, 309, 85}, 0xD9D9D9, 90, 100),
      Share("April's food bar stops at its height", {76, 120, 86, 132}, 0xD9D9D9, 90, 100),
      Share("the title is written", {198, 23, 281, 39}, kWhite, 30, 92),
      Share("the legend has its keys", {416, 141, 424, 148}, 0x004586, 80, 100)}},
    {"lo-table", 4.0,
     {Share("the header row is brown", {150, 25, 180, 35}, 0x604020, 95, 100),
      Share("the total row is yellow", {90, 245, 150, 270}, 0xFFE080, 95, 100),
      Share("a dish's name is written", {25, 70, 140, 100}, kWhite, 40, 92),
      Share("numbers are right-aligned: the cell's left is empty", {196, 70, 222, 100}, kWhite, 98, 100),
      Share("and its right is written", {240, 70, 276, 100}, kWhite, 40, 92)}},
    {"lo-menu", 5.0,
     {LikeWriter("the large photo appears", {40, 140, 340, 330}),
      LikeWriter("the 256-colour photo appears", {390, 130, 580, 250}),
      LikeWriter("upright: a green ball at its top right", {524, 152, 538, 166}),
      Share("the header is red at the top", {600, 22, 640, 27}, 0xC31B11, 90, 100),
      Share("and yellow at the bottom", {600, 98, 640, 104}, 0xECB41E, 90, 100),
      Share("the stamp's hatch has lines and gaps", {650, 140, 700, 170}, 0xFFE8B0, 30, 92),
      // One pixel wide between pixels: antialiased over two rows at half its darkness.
      Share("the coupon's outline is dashed", {50, 421, 250, 424}, 0x202020, 15, 80),
      Share("the zigzag has no closing segment", {115, 557, 130, 566}, 0xFFFAF0, 98, 100),
      Share("the leaf's gradient stays inside its ellipse", {444, 444, 456, 456}, 0xFFFAF0, 95, 100),
      Share("the 30° text lies along its slope", {338, 507, 358, 527}, 0xFFFAF0, 30, 92),
      Share("the 90° text runs up", {713, 345, 727, 415}, 0xFFFAF0, 30, 92),
      Steady("the header's gradient has no seams", {728, 22, 732, 104})}},
    // Serif and Mincho faces, drawn in the faces the system matches for their names: in a sans, the
    // Latin letters' widths and weight move a line's mean colour (the Mincho's Japanese only by the
    // figure: its rendering weight varies by a few levels between the writer and Qt).
    {"ink-serif", 0.6,
     {LikeWriter("the line in the generic serif is a serif", {20, 135, 360, 165}, 3),
      LikeWriter("the Latin letters asking for a Mincho are a serif", {185, 185, 310, 220}, 3)}},
    {"lo-serif", 1.8,
     {LikeWriter("the Latin letters asking for a Mincho are a serif", {180, 135, 300, 170}, 4),
      LikeWriter("a Mincho of fixed pitch spaces its letters as a fixed face", {24, 282, 370, 310}, 3)}},
    {"lo-serif-page", 1.0,
     {LikeWriter("the title asking for LiberationSerif is a serif", {29, 30, 265, 65}, 4),
      LikeWriter("the body text asking for LiberationSerif is a serif", {29, 152, 440, 175}, 4)}},
    // The transparency of its discs and of the photo's shadow stands in EMF+ records only: the EMF
    // records draw them opaque.
    {"lo-slide-glow", 13.0,
     {LikeWriter("the radial gradient's glow", {20, 20, 60, 60}),
      LikeWriter("below the photo", {130, 300, 190, 340}),
      Share("its outer colour in the far corner", {560, 20, 600, 60}, 0x1A2A6C, 95, 100),
      Steady("the glow lightens steadily towards its centre", {98, 0, 102, 96}),
      Steady("from the left edge too", {0, 298, 210, 302}),
      LikeWriter("the photo appears", {60, 110, 280, 250}),
      Share("the price box is orange", {355, 102, 385, 130}, 0xF0A030, 90, 100),
      Share("the title is written in white", {200, 20, 400, 70}, 0xFFFFFF, 5, 60)}},
};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The image over white, as 0xRRGGBB pixels.
QImage OverWhite(const QImage& image)
{
    QImage out(image.size(), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.drawImage(0, 0, image);
    return out;
}

// The channels of each pixel, box-blurred by kBlurRadius with the edges repeated.
std::vector<int> Blurred(const QImage& image)
{
    const int w = image.width(), h = image.height(), k = 2 * kBlurRadius + 1;
    std::vector<int> across(std::size_t(w) * h * 3), out(across.size());
    const auto at = [](int i, int n) { return std::clamp(i, 0, n - 1); };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int d = -kBlurRadius; d <= kBlurRadius; ++d) {
                    const QRgb p = image.pixel(at(x + d, w), y);
                    sum += c == 0 ? qRed(p) : c == 1 ? qGreen(p) : qBlue(p);
                }
                across[(std::size_t(y) * w + x) * 3 + c] = sum;
            }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int d = -kBlurRadius; d <= kBlurRadius; ++d)
                    sum += across[(std::size_t(at(y + d, h)) * w + x) * 3 + c];
                out[(std::size_t(y) * w + x) * 3 + c] = sum / (k * k);
            }
    return out;
}

// The percentage of pixels that differ, and the image of where (red).
double DifferingShare(const QImage& writer, const QImage& ours, QImage& where)
{
    const std::vector<int> a = Blurred(writer), b = Blurred(ours);
    where = QImage(writer.size(), QImage::Format_RGB32);
    where.fill(Qt::white);
    long differing = 0;
    for (int y = 0; y < writer.height(); ++y)
        for (int x = 0; x < writer.width(); ++x) {
            const std::size_t i = (std::size_t(y) * writer.width() + x) * 3;
            const int most = std::max({std::abs(a[i] - b[i]), std::abs(a[i + 1] - b[i + 1]), std::abs(a[i + 2] - b[i + 2])});
            if (most > kDifference) {
                ++differing;
                where.setPixel(x, y, qRgb(230, 0, 0));
            }
        }
    return 100.0 * differing / (double(writer.width()) * writer.height());
}

int SharePercent(const QImage& image, const Rect& area, unsigned rgb)
{
    int near = 0;
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x) {
            const QRgb p = image.pixel(x, y);
            near += std::abs(qRed(p) - int(rgb >> 16)) <= kNear &&
                    std::abs(qGreen(p) - int((rgb >> 8) & 0xFF)) <= kNear &&
                    std::abs(qBlue(p) - int(rgb & 0xFF)) <= kNear;
        }
    return int(100.0 * near / (area.Width() * area.Height()) + 0.5);
}

std::array<int, 3> MeanColour(const QImage& image, const Rect& area)
{
    std::array<long, 3> sum{};
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x) {
            const QRgb p = image.pixel(x, y);
            sum[0] += qRed(p);
            sum[1] += qGreen(p);
            sum[2] += qBlue(p);
        }
    const long n = long(area.Width()) * area.Height();
    return {int(sum[0] / n), int(sum[1] / n), int(sum[2] / n)};
}

// The largest step back of a channel along the area's longer side, against the way it changes
// from end to end.
int LargestStepBack(const QImage& image, const Rect& area)
{
    const bool down = area.Height() >= area.Width();
    const int steps = down ? area.Height() : area.Width();
    std::vector<std::array<int, 3>> means;
    for (int i = 0; i < steps; ++i)
        means.push_back(MeanColour(image, down ? Rect{area.Left, area.Top + i, area.Right, area.Top + i + 1}
                                               : Rect{area.Left + i, area.Top, area.Left + i + 1, area.Bottom}));
    int largest = 0;
    for (int c = 0; c < 3; ++c) {
        const int way = means.back()[c] >= means.front()[c] ? 1 : -1;
        for (std::size_t i = 1; i < means.size(); ++i)
            largest = std::max(largest, way * (means[i - 1][c] - means[i][c]));
    }
    return largest;
}

// What a place shows in `image`, as a short text, and whether it is what the place wants.
bool Shows(const Place& place, const QImage& image, const QImage& writer, std::string& seen)
{
    if (place.How == Look::Steady) {
        const int back = LargestStepBack(image, place.Area);
        seen = "a colour steps back by " + std::to_string(back) + " (wanted at most " + std::to_string(place.Most) +
               ")";
        return back <= place.Most;
    }
    if (place.How == Look::Share) {
        const int share = SharePercent(image, place.Area, place.Rgb);
        seen = std::to_string(share) + " % of the colour (wanted " + std::to_string(place.Least) + ".." +
               std::to_string(place.Most) + ")";
        return share >= place.Least && share <= place.Most;
    }
    const auto a = MeanColour(image, place.Area), b = MeanColour(writer, place.Area);
    const int most = std::max({std::abs(a[0] - b[0]), std::abs(a[1] - b[1]), std::abs(a[2] - b[2])});
    seen = "mean colour " + std::to_string(most) + " from the writer's (wanted at most " +
           std::to_string(place.Most) + ")";
    return most <= place.Most;
}

void PrintTo(const RealPicture& picture, std::ostream* out) { *out << picture.Name; }

class RealMetafile : public testing::TestWithParam<RealPicture> {};

TEST_P(RealMetafile, DrawsAsItsWriterDoes)
{
    const RealPicture& test = GetParam();
    const std::string stem = std::string(VKT_EMF_DATA_DIR) + "/" + test.Name;
    const QImage loaded(QString::fromStdString(stem + ".png"));
    ASSERT_FALSE(loaded.isNull()) << stem << ".png";
    const QImage writer = OverWhite(loaded);
    const int w = writer.width(), h = writer.height();

    PictureData picture;
    picture.SetBytes(ReadFile(stem + ".emf"));
    ASSERT_EQ(picture.GetKind(), PictureKind::Metafile) << stem << ".emf";
    // The frame covers the rendering's area (Inkscape rounds it up to whole millimetres); the picture
    // is drawn at its size, so that a unit of its frame falls where it falls in the rendering.
    EXPECT_GE(picture.GetWidth(), w - 1);
    EXPECT_LE(picture.GetWidth(), w + 4);
    EXPECT_GE(picture.GetHeight(), h - 1);
    EXPECT_LE(picture.GetHeight(), h + 4);
    BitmapCanvas canvas(w, h);
    canvas.FillRect({0, 0, w, h}, 0xFFFFFF);
    picture.Draw(canvas, {0, 0, picture.GetWidth(), picture.GetHeight()});
    const QImage ours = OverWhite(canvas.GetImage().Q());

    QImage where;
    const double share = DifferingShare(writer, ours, where);
    int kept = 0;
    for (const Place& place : test.Places) {
        std::string seen;
        EXPECT_TRUE(Shows(place, writer, writer, seen)) << test.Name << ": the writer's rendering: " << place.What << ": " << seen;
        const bool right = Shows(place, ours, writer, seen);
        kept += right;
        EXPECT_TRUE(right) << test.Name << ": " << place.What << ": " << seen;
    }
    std::printf("[ picture  ] %-13s %5.1f %% of pixels differ (limit %.1f %%), %d of %zu places right\n", test.Name, share,
                test.Limit, kept, test.Places.size());
    EXPECT_LE(share, test.Limit) << test.Name << ": the share of pixels that differ from the writer's rendering";

    if (const char* folder = std::getenv("VKT_PICTURE_OUTPUT")) {
        const QString base = QString::fromUtf8(folder) + "/" + QString::fromUtf8(test.Name);
        ours.save(base + ".png");
        QImage side(3 * w + 20, h, QImage::Format_RGB32);
        side.fill(QColor(128, 128, 128));
        QPainter painter(&side);
        painter.drawImage(0, 0, writer);
        painter.drawImage(w + 10, 0, ours);
        painter.drawImage(2 * w + 20, 0, where);
        painter.end();
        side.save(base + ".sbs.png");
    }
}

std::string NameOf(const testing::TestParamInfo<RealPicture>& info)
{
    std::string name = info.param.Name;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Pictures, RealMetafile, testing::ValuesIn(kPictures), NameOf);

} // namespace
