#include "emfplay/EmfPlayer.h"
#include "emfplay/EmfRecords.h"
#include "emfplay/Player.h"
#include "emfplay/PlayerLimits.h"
#include "gui/DrawingSvg.h"
#include "gui/EnhancedMetafile.h"
#include "platform/PictureLimits.h"
#include "platform/Units.h"
#include "support/ScriptedServices.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QSizeF>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace emftest;

constexpr unsigned kRed = 0xE01010;
constexpr unsigned kBlue = 0x1030D0;
constexpr unsigned kGreen = 0x10A020;
constexpr unsigned kWhite = 0xFFFFFF;
constexpr unsigned kBlack = 0x000000;

// The player and the program share no header: the values each keeps for the other agree.
TEST(PlayerLimits, AgreeWithTheProgram)
{
    // The player stops writing where the program stops reading.
    EXPECT_EQ(emfplay::kMaxDrawingBytes, platform::kMaxPlayerOutputBytes);
    // The clip groups the player nests stay within the depth the program's reader takes.
    EXPECT_LT(emfplay::kMaxClipAreas, static_cast<std::size_t>(platform::kMaxDrawingDepth));
    // The player's own time limit lies past the one the program kills it at.
    EXPECT_GT(static_cast<int>(emfplay::kCpuSeconds) * 1000, platform::kPlayTimeoutMs);
    EXPECT_EQ(emfplay::kMMPerInch, platform::kMMPerInch);
}

// The drawing of `bytes` read as the program reads it and painted on a white page of its frame.
QImage Paint(const std::string& bytes, int width, int height, std::string* svg = nullptr)
{
    std::string drawing, error;
    EXPECT_TRUE(emfplay::PlayEnhancedMetafile(bytes, drawing, error)) << error;
    if (svg)
        *svg = drawing;
    QImage page(width, height, QImage::Format_RGB32);
    page.fill(Qt::white);
    const auto list = platform::ReadDrawingSvg(drawing, QSizeF(width, height), platform::kMetafileDrawingLimits, error);
    EXPECT_TRUE(list) << error << "\n" << drawing;
    if (list) {
        QPainter painter(&page);
        list->Replay(painter);
    }
    return page;
}

bool Near(QRgb pixel, unsigned rgb, int tolerance = 48)
{
    return std::abs(qRed(pixel) - int(rgb >> 16)) <= tolerance &&
           std::abs(qGreen(pixel) - int((rgb >> 8) & 0xFF)) <= tolerance &&
           std::abs(qBlue(pixel) - int(rgb & 0xFF)) <= tolerance;
}

// The pixels of `area` that are not white.
int Inked(const QImage& page, const QRect& area)
{
    int inked = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            inked += !Near(page.pixel(x, y), kWhite, 60);
    return inked;
}

struct Probe {
    int X;
    int Y;
    unsigned Rgb;
};

std::vector<U_POINT16> Points16(std::initializer_list<std::pair<int, int>> points)
{
    std::vector<U_POINT16> result;
    for (const auto& [x, y] : points)
        result.push_back(point16_set(x, y));
    return result;
}

// A one-colour bitmap of 8 × 8 (24 bits) stretched over `dest`.
void StretchBlue(Emf& emf, U_RECTL dest)
{
    Bitmap bitmap(8, 8, 24, U_BI_RGB, 0);
    std::vector<char> bits(8 * 8 * 3);
    for (std::size_t i = 0; i < bits.size(); i += 3)
        bits[i] = char(kBlue & 0xFF), bits[i + 1] = char((kBlue >> 8) & 0xFF), bits[i + 2] = char(kBlue >> 16);
    emf.Add(U_EMRSTRETCHDIBITS_set(kNoBounds, Pt(dest.left, dest.top),
                                   Pt(dest.right - dest.left, dest.bottom - dest.top), Pt(0, 0), Pt(8, 8),
                                   U_DIB_RGB_COLORS, U_SRCCOPY, bitmap.Bmi(), std::uint32_t(bits.size()), bits.data()));
}

// A geometric pen of `width`, flat ends, in `style` with `dashes`.
void ExtPen(Emf& emf, unsigned rgb, int width, std::uint32_t style, std::vector<U_STYLEENTRY> dashes = {})
{
    PU_EXTLOGPEN pen = extlogpen_set(U_PS_GEOMETRIC | U_PS_ENDCAP_FLAT | style, width, U_BS_SOLID, Rgb(rgb), 0,
                                     std::uint32_t(dashes.size()), dashes.empty() ? nullptr : dashes.data());
    const std::uint32_t handle = emf.Handle();
    emf.Add(U_EMREXTCREATEPEN_set(handle, nullptr, 0, nullptr, pen));
    emf.Add(U_EMRSELECTOBJECT_set(handle));
    std::free(pen);
}

void Font(Emf& emf, int height, int escapement, const char* name = "DejaVu Sans",
          std::uint8_t pitchAndFamily = U_DEFAULT_PITCH)
{
    uint16_t* face = U_Utf8ToUtf16le(name, 0, nullptr);
    const U_LOGFONT font = logfont_set(height, 0, escapement, escapement, U_FW_NORMAL, 0, 0, 0, U_ANSI_CHARSET,
                                       U_OUT_DEFAULT_PRECIS, U_CLIP_DEFAULT_PRECIS, U_DEFAULT_QUALITY,
                                       pitchAndFamily, face);
    std::free(face);
    const std::uint32_t handle = emf.Handle();
    emf.Add(U_EMREXTCREATEFONTINDIRECTW_set(handle, reinterpret_cast<const char*>(&font), nullptr));
    emf.Add(U_EMRSELECTOBJECT_set(handle));
}

void TextOut(Emf& emf, int x, int y, const char* utf8, std::uint32_t options = U_ETO_NONE)
{
    size_t length = 0;
    uint16_t* text = U_Utf8ToUtf16le(utf8, 0, &length);
    std::vector<uint32_t> dx(length, 12);
    char* emrtext = emrtext_set(Pt(x, y), std::uint32_t(length), 2, text, options, kNoBounds, dx.data());
    emf.Add(U_EMREXTTEXTOUTW_set(kNoBounds, U_GM_COMPATIBLE, 1, 1, reinterpret_cast<PU_EMRTEXT>(emrtext)));
    std::free(emrtext);
    std::free(text);
}

struct Case {
    const char* What;
    std::function<void(Emf&)> Records;
    std::vector<Probe> Probes;
};

// Each case's records drawn onto a 192 × 96 page, and its named pixels.
TEST(EmfPlayer, PlaysRecordsAsTheSystemDraws)
{
    const Case cases[] = {
        {"an open zigzag has no closing segment",
         [](Emf& emf) {
             SolidPen(emf, kBlack, 3);
             const auto points = Points16({{10, 80}, {40, 20}, {70, 80}, {100, 20}});
             emf.Add(U_EMRPOLYLINE16_set(kNoBounds, 4, points.data()));
         },
         {{25, 50, kBlack}, {25, 70, kWhite}, {85, 30, kWhite}, {85, 50, kBlack}}},
        {"a Bézier curve stays open",
         [](Emf& emf) {
             SolidPen(emf, kBlack, 3);
             const auto points = Points16({{10, 80}, {10, 10}, {180, 10}, {180, 80}});
             emf.Add(U_EMRPOLYBEZIER16_set(kNoBounds, 4, points.data()));
         },
         {{95, 28, kBlack}, {95, 80, kWhite}}},
        {"a user style dashes the line",
         [](Emf& emf) {
             ExtPen(emf, kBlue, 6, U_PS_USERSTYLE, {10, 10});
             emf.Add(U_EMRMOVETOEX_set(Pt(0, 50)));
             emf.Add(U_EMRLINETO_set(Pt(192, 50)));
         },
         {{5, 50, kBlue}, {15, 50, kWhite}, {25, 50, kBlue}, {35, 50, kWhite}}},
        {"a null pen draws no outline",
         [](Emf& emf) {
             SolidPen(emf, kBlack, 1, U_PS_NULL);
             SolidBrush(emf, kRed);
             emf.Add(U_EMRRECTANGLE_set(Rect(20, 20, 80, 80)));
         },
         {{50, 50, kRed}, {21, 50, kRed}, {18, 50, kWhite}, {50, 18, kWhite}}},
        {"a hatched brush draws lines on a transparent background",
         [](Emf& emf) {
             emf.Add(U_EMRSETBKMODE_set(U_TRANSPARENT));
             SolidPen(emf, kBlack, 1, U_PS_NULL);
             SolidBrush(emf, kBlue, U_BS_HATCHED, U_HS_HORIZONTAL);
             emf.Add(U_EMRRECTANGLE_set(Rect(0, 0, 192, 96)));
         },
         {{50, 40, kBlue}, {50, 44, kWhite}, {120, 48, kBlue}, {120, 52, kWhite}}},
        {"a rectangle's clip keeps the fill inside",
         [](Emf& emf) {
             SolidPen(emf, kBlack, 1, U_PS_NULL);
             SolidBrush(emf, kRed);
             emf.Add(U_EMRINTERSECTCLIPRECT_set(Rect(20, 20, 60, 60)));
             emf.Add(U_EMRRECTANGLE_set(Rect(0, 0, 192, 96)));
         },
         {{40, 40, kRed}, {10, 10, kWhite}, {80, 40, kWhite}, {40, 70, kWhite}}},
        {"a path's clip keeps the fill inside",
         [](Emf& emf) {
             SolidPen(emf, kBlack, 1, U_PS_NULL);
             SolidBrush(emf, kRed);
             emf.Add(U_EMRBEGINPATH_set());
             emf.Add(U_EMRELLIPSE_set(Rect(0, 0, 96, 96)));
             emf.Add(U_EMRENDPATH_set());
             emf.Add(U_EMRSELECTCLIPPATH_set(U_RGN_COPY));
             emf.Add(U_EMRRECTANGLE_set(Rect(0, 0, 192, 96)));
         },
         {{48, 48, kRed}, {4, 4, kWhite}, {150, 48, kWhite}}},
        {"a region's clip keeps the fill inside its rectangles",
         [](Emf& emf) {
             SolidPen(emf, kBlack, 1, U_PS_NULL);
             SolidBrush(emf, kRed);
             U_RECTL rects[2] = {Rect(0, 0, 30, 30), Rect(60, 60, 90, 90)};
             PU_RGNDATA region = rgndata_set(rgndataheader_set(2, Rect(0, 0, 90, 90)), rects);
             emf.Add(U_EMREXTSELECTCLIPRGN_set(U_RGN_COPY, region));
             std::free(region);
             emf.Add(U_EMRRECTANGLE_set(Rect(0, 0, 192, 96)));
         },
         {{15, 15, kRed}, {75, 75, kRed}, {45, 45, kWhite}, {150, 15, kWhite}}},
        {"a bitmap after a clip's RESTOREDC still draws",
         [](Emf& emf) {
             emf.Add(U_EMRSAVEDC_set());
             emf.Add(U_EMRINTERSECTCLIPRECT_set(Rect(0, 0, 1, 1)));
             emf.Add(U_EMRRESTOREDC_set(-1));
             StretchBlue(emf, Rect(10, 10, 50, 50));
         },
         {{30, 30, kBlue}, {70, 30, kWhite}}},
        {"RESTOREDC gives back the world transform",
         [](Emf& emf) {
             SolidPen(emf, kBlack, 1, U_PS_NULL);
             SolidBrush(emf, kRed);
             emf.Add(U_EMRSAVEDC_set());
             emf.Add(U_EMRSETWORLDTRANSFORM_set(xform_set(1, 0, 0, 1, 100, 0)));
             emf.Add(U_EMRRESTOREDC_set(-1));
             emf.Add(U_EMRRECTANGLE_set(Rect(10, 10, 40, 40)));
         },
         {{25, 25, kRed}, {125, 25, kWhite}}},
        {"a rectangle gradient changes colour across",
         [](Emf& emf) {
             U_TRIVERTEX v[2] = {{0, 0, 0xFF00, 0, 0, 0}, {192, 96, 0, 0, 0xFF00, 0}};
             U_GRADIENT4 rect{0, 1};
             emf.Add(U_EMRGRADIENTFILL_set(kNoBounds, 2, 1, U_GRADIENT_FILL_RECT_H, v,
                                           reinterpret_cast<uint32_t*>(&rect)));
         },
         {{4, 48, 0xF00000}, {188, 48, 0x0000F0}, {96, 48, 0x800080}}},
        {"triangle gradients shade between their corners",
         [](Emf& emf) {
             U_TRIVERTEX v[4] = {{0, 0, 0xFF00, 0, 0, 0},
                                 {192, 0, 0, 0, 0xFF00, 0},
                                 {192, 96, 0, 0, 0xFF00, 0},
                                 {0, 96, 0xFF00, 0, 0, 0}};
             U_GRADIENT3 triangles[2] = {{0, 1, 2}, {0, 2, 3}};
             emf.Add(U_EMRGRADIENTFILL_set(kNoBounds, 4, 2, U_GRADIENT_FILL_TRIANGLE, v,
                                           reinterpret_cast<uint32_t*>(triangles)));
         },
         {{2, 48, 0xF00000}, {189, 48, 0x0000F0}, {96, 48, 0x800080}}},
        {"between two PATINVERTs the black shape shows the brush",
         [](Emf& emf) {
             SolidPen(emf, kBlack, 1, U_PS_NULL);
             SolidBrush(emf, kGreen);
             const U_XFORM identity = xform_set(1, 0, 0, 1, 0, 0);
             emf.Add(U_EMRBITBLT_set(kNoBounds, Pt(0, 0), Pt(96, 96), Pt(0, 0), identity, Rgb(kWhite),
                                     U_DIB_RGB_COLORS, U_PATINVERT, nullptr, 0, nullptr));
             emf.Add(U_EMRSELECTOBJECT_set(U_BLACK_BRUSH));
             const auto points = Points16({{10, 10}, {90, 10}, {10, 90}});
             emf.Add(U_EMRPOLYGON16_set(kNoBounds, 3, points.data()));
             SolidBrush(emf, kGreen);
             emf.Add(U_EMRBITBLT_set(kNoBounds, Pt(0, 0), Pt(96, 96), Pt(0, 0), identity, Rgb(kWhite),
                                     U_DIB_RGB_COLORS, U_PATINVERT, nullptr, 0, nullptr));
         },
         {{25, 25, kGreen}, {80, 80, kWhite}, {150, 50, kWhite}}},
        {"between two passes of fills by exclusive or the black shape shows the first",
         [](Emf& emf) {
             SolidPen(emf, kBlack, 1, U_PS_NULL);
             const auto bands = [&] {
                 emf.Add(U_EMRSETROP2_set(U_R2_XORPEN));
                 SolidBrush(emf, kGreen);
                 emf.Add(U_EMRRECTANGLE_set(Rect(0, 0, 96, 48)));
                 SolidBrush(emf, kBlue);
                 emf.Add(U_EMRRECTANGLE_set(Rect(0, 48, 96, 96)));
             };
             bands();
             emf.Add(U_EMRSETROP2_set(U_R2_COPYPEN));
             emf.Add(U_EMRSELECTOBJECT_set(U_BLACK_BRUSH));
             const auto points = Points16({{10, 10}, {90, 10}, {10, 90}});
             emf.Add(U_EMRPOLYGON16_set(kNoBounds, 3, points.data()));
             bands();
             emf.Add(U_EMRSETROP2_set(U_R2_COPYPEN));
         },
         {{25, 25, kGreen}, {20, 70, kBlue}, {80, 80, kWhite}, {150, 50, kWhite}}},
    };
    for (const Case& test : cases) {
        Emf emf;
        test.Records(emf);
        std::string svg;
        const QImage page = Paint(emf.Bytes(), 192, 96, &svg);
        for (const Probe& probe : test.Probes) {
            const QRgb pixel = page.pixel(probe.X, probe.Y);
            EXPECT_TRUE(Near(pixel, probe.Rgb)) << test.What << ": at (" << probe.X << ", " << probe.Y << ") "
                                                << std::hex << (pixel & 0xFFFFFF) << " for " << probe.Rgb << "\n"
                                                << svg;
        }
    }
}

// Run-length encoded bitmaps decode: runs, an absolute run, a line's end, a delta and the end.
TEST(EmfPlayer, DecodesRunLengthBitmaps)
{
    // 8 × 2, bottom-up: the bottom row red ×4 then blue ×4, the top row blue, red, blue, red by an
    // absolute run, then two pixels left out by a delta.
    const std::vector<unsigned> palette = {kRed, kBlue};
    const std::string rle8("\x04\x00\x04\x01\x00\x00"
                           "\x00\x04\x01\x00\x01\x00"
                           "\x00\x02\x02\x00"
                           "\x02\x01\x00\x01",
                           20);
    // The same picture in 4 bits: nibbles alternate within a run.
    const std::string rle4("\x04\x00\x04\x11\x00\x00"
                           "\x00\x04\x10\x10"
                           "\x00\x02\x02\x00"
                           "\x02\x11\x00\x01",
                           18);
    for (const auto& [bits, data] : {std::pair{8, rle8}, std::pair{4, rle4}}) {
        Bitmap bitmap(8, 2, bits, bits == 8 ? U_BI_RLE8 : U_BI_RLE4, std::uint32_t(data.size()), palette);
        Emf emf;
        std::string padded = data;
        padded.resize((data.size() + 3) / 4 * 4, '\0');
        emf.Add(U_EMRSTRETCHDIBITS_set(kNoBounds, Pt(0, 0), Pt(160, 40), Pt(0, 0), Pt(8, 2), U_DIB_RGB_COLORS,
                                       U_SRCCOPY, bitmap.Bmi(), std::uint32_t(padded.size()), padded.data()));
        const QImage page = Paint(emf.Bytes(), 192, 96);
        const auto at = [&](int column, int row) { return page.pixel(column * 20 + 10, row * 20 + 10); };
        for (int column = 0; column < 8; ++column)
            EXPECT_TRUE(Near(at(column, 1), column < 4 ? kRed : kBlue)) << bits << " bits, bottom row " << column;
        EXPECT_TRUE(Near(at(0, 0), kBlue)) << bits;
        EXPECT_TRUE(Near(at(1, 0), kRed)) << bits;
        EXPECT_TRUE(Near(at(3, 0), kRed)) << bits;
        EXPECT_TRUE(Near(at(4, 0), kWhite)) << bits << ": left out by the delta";
        EXPECT_TRUE(Near(at(6, 0), kBlue)) << bits;
    }
}

// A turned text lies where the system draws it: escapement 900 runs up from its reference point
// with the glyphs' tops to the left; a world transform of a quarter turn runs it down, tops right.
TEST(EmfPlayer, TurnsTextByEscapementAndWorldTransform)
{
    {
        Emf emf;
        Font(emf, -20, 900);
        emf.Add(U_EMRSETTEXTALIGN_set(U_TA_BASELINE));
        emf.Add(U_EMRSETBKMODE_set(U_TRANSPARENT));
        TextOut(emf, 96, 90, "HHHHH");
        const QImage page = Paint(emf.Bytes(), 192, 96);
        EXPECT_GT(Inked(page, QRect(78, 30, 18, 60)), 100) << "above the point, to its left";
        EXPECT_EQ(Inked(page, QRect(99, 0, 93, 96)), 0) << "nothing right of the baseline";
        EXPECT_EQ(Inked(page, QRect(0, 0, 70, 96)), 0) << "nothing far left";
    }
    {
        Emf emf;
        Font(emf, -20, 0);
        emf.Add(U_EMRSETTEXTALIGN_set(U_TA_BASELINE));
        emf.Add(U_EMRSETBKMODE_set(U_TRANSPARENT));
        emf.Add(U_EMRSETWORLDTRANSFORM_set(xform_set(0, 1, -1, 0, 0, 0)));
        TextOut(emf, 10, -96, "HHHHH"); // at (96, 10) on the page
        const QImage page = Paint(emf.Bytes(), 192, 96);
        EXPECT_GT(Inked(page, QRect(97, 10, 18, 60)), 100) << "below the point, to its right";
        EXPECT_EQ(Inked(page, QRect(0, 0, 93, 96)), 0) << "nothing left of the baseline";
    }
}

// Texts and face names are written escaped: markup in them stays characters.
TEST(EmfPlayer, EscapesTexts)
{
    Emf emf;
    Font(emf, -20, 0);
    TextOut(emf, 10, 10, "<a href=\"x\">&amp;'\x01</a>");
    std::string drawing, error;
    ASSERT_TRUE(emfplay::PlayEnhancedMetafile(emf.Bytes(), drawing, error)) << error;
    EXPECT_NE(drawing.find("&lt;a href=&quot;x&quot;&gt;&amp;amp;&apos;&lt;/a&gt;</text>"), std::string::npos)
        << drawing;
}

// A font's class (its pitch and family) goes with its face into the drawing as the generic family
// that ends the list, and a face of that name not being installed, the text is drawn in one of its
// class: a roman "Missing Face" as the serif the system matches, its letters where the record's
// advances put them.
TEST(EmfPlayer, DrawsAFaceNotInstalledInItsClass)
{
    const auto played = [](const char* face, std::uint8_t pitchAndFamily, std::string* svg = nullptr) {
        Emf emf;
        Font(emf, -40, 0, face, pitchAndFamily);
        emf.Add(U_EMRSETTEXTALIGN_set(U_TA_BASELINE));
        emf.Add(U_EMRSETBKMODE_set(U_TRANSPARENT));
        TextOut(emf, 8, 60, "Menu");
        return Paint(emf.Bytes(), 192, 96, svg);
    };
    const struct {
        std::uint8_t PitchAndFamily;
        const char* Family;
        const char* Installed; // the face drawn
    } cases[] = {
        {U_FF_ROMAN | U_VARIABLE_PITCH, "Missing Face, serif", "DejaVu Serif"},
        {U_FF_SWISS, "Missing Face, sans-serif", "DejaVu Sans"},
        {U_FF_MODERN | U_FIXED_PITCH, "Missing Face, monospace", "DejaVu Sans Mono"},
        {U_FF_DONTCARE | U_FIXED_PITCH, "Missing Face, monospace", "DejaVu Sans Mono"},
        {U_FF_SCRIPT, "Missing Face, cursive", nullptr},
        {U_FF_DECORATIVE, "Missing Face, fantasy", nullptr},
        {U_FF_DONTCARE | U_VARIABLE_PITCH, "Missing Face\"", "DejaVu Sans"},
    };
    for (const auto& c : cases) {
        std::string svg;
        const QImage drawn = played("Missing Face", c.PitchAndFamily, &svg);
        EXPECT_NE(svg.find(std::string("font-family=\"") + c.Family), std::string::npos) << svg;
        if (c.Installed) {
            EXPECT_TRUE(drawn == played(c.Installed, U_DEFAULT_PITCH)) << c.Family << " drawn as " << c.Installed;
        }
    }
    // A comma or quote in a face would end its name in the list.
    std::string svg;
    played("Lost, \"Face\"", U_FF_ROMAN, &svg);
    EXPECT_NE(svg.find("font-family=\"Lost Face, serif\""), std::string::npos) << svg;
}

// Damaged records refuse the picture with a reason; nothing crashes or reads past the bytes.
TEST(EmfPlayer, RefusesDamagedRecords)
{
    const auto record = [](std::uint32_t type, std::uint32_t size, std::string payload = {}) {
        std::string bytes(8, '\0');
        std::memcpy(bytes.data(), &type, 4);
        std::memcpy(bytes.data() + 4, &size, 4);
        return bytes + payload;
    };
    const auto shortBits = [] {
        Emf emf;
        Bitmap bitmap(100, 100, 24, U_BI_RGB, 0);
        std::vector<char> bits(300); // a row of the 100
        emf.Add(U_EMRSTRETCHDIBITS_set(kNoBounds, Pt(0, 0), Pt(96, 96), Pt(0, 0), Pt(100, 100), U_DIB_RGB_COLORS,
                                       U_SRCCOPY, bitmap.Bmi(), std::uint32_t(bits.size()), bits.data()));
        return emf.Bytes();
    };
    struct Damage {
        const char* What;
        std::string Bytes;
        const char* Error;
    };
    const Damage damages[] = {
        {"a record of size 0", Emf().Raw(record(U_EMR_SAVEDC, 0)).Bytes(), "the records cannot be read"},
        {"a record past the end", Emf().Raw(record(U_EMR_RECTANGLE, 4096)).Bytes(), "the records cannot be read"},
        {"points past the record", Emf().Raw(record(U_EMR_POLYLINE, 28, std::string("\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"
                                                                                      "\xff\xff\xff\x0f", 20))).Bytes(),
         "the records cannot be read"},
        {"a bitmap's bits short of its size", shortBits(), "the records cannot be read"},
        {"a handle past the table", Emf().Add(U_EMRSELECTOBJECT_set(0x7FFFFFF0)).Bytes(), "the records cannot be read"},
        {"no header", std::string(200, 'x'), "the header cannot be read"},
        {"a header cut short", Emf().Bytes().substr(0, 60), "the header cannot be read"},
    };
    for (const Damage& damage : damages) {
        std::string drawing, error;
        EXPECT_FALSE(emfplay::PlayEnhancedMetafile(damage.Bytes, drawing, error)) << damage.What;
        EXPECT_EQ(error, damage.Error) << damage.What;
    }
    // A header record that ends short of the device's size in micrometres, and the picture with it.
    std::string header = Emf().Bytes().substr(0, 105);
    const std::uint32_t size = 105;
    std::memcpy(header.data() + 4, &size, 4);
    std::string drawing, error;
    EXPECT_TRUE(emfplay::PlayEnhancedMetafile(header, drawing, error)) << error;
}

// The build tree's player program plays standard input: the drawing on standard output and
// exit 0, or one line on standard error and exit 1.
TEST(EmfPlayer, ProgramPlaysStandardInput)
{
    namespace fs = std::filesystem;
    const fs::path program = fs::canonical("/proc/self/exe").parent_path() / "lib/vektara/vkt-emfplay";
    const fs::path folder = vkttest::NewTempFolder("emfplay");
    Emf emf;
    SolidBrush(emf, kRed);
    emf.Add(U_EMRRECTANGLE_set(Rect(10, 10, 40, 40)));
    const auto run = [&](const std::string& bytes, std::string& out, std::string& err) {
        std::ofstream(folder / "in.emf", std::ios::binary) << bytes;
        const std::string command = program.string() + " < " + (folder / "in.emf").string() + " > " +
                                    (folder / "out").string() + " 2> " + (folder / "err").string();
        const int status = std::system(command.c_str());
        const auto slurp = [](const std::filesystem::path& path) {
            std::ostringstream text;
            text << std::ifstream(path, std::ios::binary).rdbuf();
            return text.str();
        };
        out = slurp(folder / "out");
        err = slurp(folder / "err");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    std::string out, err;
    EXPECT_EQ(run(emf.Bytes(), out, err), 0);
    EXPECT_EQ(out.rfind("<svg ", 0), 0u) << out;
    EXPECT_NE(out.find("fill=\"#e01010\""), std::string::npos) << out;
    EXPECT_EQ(err, "");
    EXPECT_EQ(run(std::string(100, 'x'), out, err), 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "the header cannot be read\n");
}

} // namespace
