#include "support/TestPictures.h"

#include "gui/EnhancedMetafile.h"
#include "gui/PicturePixels.h"
#include "support/ScriptedServices.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sys/stat.h>

namespace vkttest {

std::string MakeEmf(int frameRight, int frameBottom)
{
    std::string bytes(108, '\0');
    const auto put = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    put(0, 1);
    put(4, 88);
    put(32, static_cast<std::uint32_t>(frameRight));
    put(36, static_cast<std::uint32_t>(frameBottom));
    put(40, 0x464D4520);
    put(44, 0x10000);
    put(48, 108);
    put(52, 2);
    put(88, 14);
    put(92, 20);
    return bytes;
}

} // namespace vkttest

namespace vkttest {

namespace {

void Put32(std::string& bytes, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::uint32_t ColorRef(unsigned rgb)
{
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

std::u16string Utf16(const std::string& utf8)
{
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        char32_t cp = c;
        int extra = 0;
        if (c >= 0xF0) { cp = c & 0x07; extra = 3; }
        else if (c >= 0xE0) { cp = c & 0x0F; extra = 2; }
        else if (c >= 0xC0) { cp = c & 0x1F; extra = 1; }
        for (int k = 1; k <= extra; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += 1 + extra;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

} // namespace

EmfBuilder::EmfBuilder(int width, int height) : width_(width), height_(height) {}

void EmfBuilder::Record(unsigned type, const std::string& payload)
{
    Put32(records_, type);
    Put32(records_, static_cast<std::uint32_t>(8 + payload.size()));
    records_ += payload;
    ++recordCount_;
}

EmfBuilder& EmfBuilder::Raw(unsigned type, const std::string& payload)
{
    Record(type, payload);
    return *this;
}

void EmfBuilder::SelectBrush(unsigned fill, unsigned style, unsigned hatch)
{
    const auto handle = static_cast<std::uint32_t>(handles_++);
    std::string brush;
    Put32(brush, handle);
    Put32(brush, style);
    Put32(brush, ColorRef(fill));
    Put32(brush, hatch);
    Record(39, brush); // create brush
    std::string select;
    Put32(select, handle);
    Record(37, select); // select object
}

EmfBuilder& EmfBuilder::Rectangle(int left, int top, int right, int bottom, unsigned fill)
{
    SelectBrush(fill);
    std::string box;
    for (int v : {left, top, right, bottom})
        Put32(box, static_cast<std::uint32_t>(v));
    Record(43, box);
    return *this;
}

EmfBuilder& EmfBuilder::Hatch(int left, int top, int right, int bottom, unsigned hatch, unsigned colour)
{
    SelectBrush(colour, 2, hatch); // BS_HATCHED
    std::string box;
    for (int v : {left, top, right, bottom})
        Put32(box, static_cast<std::uint32_t>(v));
    Record(43, box);
    return *this;
}

EmfBuilder& EmfBuilder::Ellipse(int left, int top, int right, int bottom, unsigned fill)
{
    SelectBrush(fill);
    std::string box;
    for (int v : {left, top, right, bottom})
        Put32(box, static_cast<std::uint32_t>(v));
    Record(42, box);
    return *this;
}

EmfBuilder& EmfBuilder::Text(int x, int y, int height, const std::string& text, unsigned colour,
                             const std::string& faceName)
{
    const auto handle = static_cast<std::uint32_t>(handles_++);
    std::string font;
    Put32(font, handle);
    Put32(font, static_cast<std::uint32_t>(-height)); // character height
    for (int i = 0; i < 3; ++i)
        Put32(font, 0);
    Put32(font, 400); // weight
    Put32(font, 0x80000000u); // italic, underline, strike out: no; character set 128
    Put32(font, 0);
    std::u16string face = Utf16(faceName);
    if (face.size() < 32)
        face.resize(32, u'\0');
    for (char16_t c : face) {
        font += static_cast<char>(c & 0xFF);
        font += static_cast<char>(c >> 8);
    }
    Record(82, font); // create font
    std::string select;
    Put32(select, handle);
    Record(37, select);
    std::string mode;
    Put32(mode, 1); // transparent background
    Record(18, mode);
    std::string textColour;
    Put32(textColour, ColorRef(colour));
    Record(24, textColour);

    const std::u16string chars = Utf16(text);
    std::string out;
    for (int v : {0, 0, -1, -1})
        Put32(out, static_cast<std::uint32_t>(v)); // bounds
    Put32(out, 1); // graphics mode
    Put32(out, 0); // x scale
    Put32(out, 0); // y scale
    Put32(out, static_cast<std::uint32_t>(x));
    Put32(out, static_cast<std::uint32_t>(y));
    Put32(out, static_cast<std::uint32_t>(chars.size()));
    const std::uint32_t stringAt = 76; // after the record's fixed fields
    Put32(out, stringAt);
    Put32(out, 0); // options
    for (int v : {0, 0, -1, -1})
        Put32(out, static_cast<std::uint32_t>(v));
    const std::size_t dxAt = stringAt + (chars.size() * 2 + 3) / 4 * 4;
    Put32(out, static_cast<std::uint32_t>(dxAt));
    for (char16_t c : chars) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    while ((out.size() + 8) % 4 != 0)
        out += '\0';
    for (std::size_t i = 0; i < chars.size(); ++i)
        Put32(out, static_cast<std::uint32_t>(height));
    Record(84, out); // text out
    return *this;
}

EmfBuilder& EmfBuilder::Bitmap(int left, int top, int right, int bottom, unsigned colour)
{
    constexpr int kSide = 4;
    constexpr std::uint32_t kFixed = 80; // the record's fields before the bitmap header
    constexpr std::uint32_t kHeader = 40;
    constexpr std::uint32_t kStride = (kSide * 3 + 3) / 4 * 4;
    std::string out;
    for (int v : {left, top, right - 1, bottom - 1})
        Put32(out, static_cast<std::uint32_t>(v)); // bounds
    for (int v : {left, top, 0, 0, kSide, kSide})
        Put32(out, static_cast<std::uint32_t>(v)); // destination, source origin and size
    for (std::uint32_t v : {kFixed, kHeader, kFixed + kHeader, kStride * kSide})
        Put32(out, v); // where the header and the bits are, and their sizes
    Put32(out, 0); // RGB colours
    Put32(out, 0x00CC0020); // source copy
    Put32(out, static_cast<std::uint32_t>(right - left));
    Put32(out, static_cast<std::uint32_t>(bottom - top));
    for (std::uint32_t v : {kHeader, std::uint32_t(kSide), std::uint32_t(kSide)})
        Put32(out, v);
    Put32(out, 1 | (24 << 16)); // one plane, 24 bits
    for (int i = 0; i < 6; ++i)
        Put32(out, i == 1 ? kStride * kSide : 0);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            out += static_cast<char>(colour & 0xFF);
            out += static_cast<char>((colour >> 8) & 0xFF);
            out += static_cast<char>((colour >> 16) & 0xFF);
        }
        out += std::string(kStride - kSide * 3, '\0');
    }
    Record(81, out); // stretched device-independent bitmap
    return *this;
}

std::string EmfBuilder::Bytes() const
{
    std::string eof;
    Put32(eof, 14);
    Put32(eof, 20);
    Put32(eof, 0);
    Put32(eof, 16);
    Put32(eof, 20);
    std::string header;
    Put32(header, 1);
    Put32(header, 88);
    for (int v : {0, 0, width_ - 1, height_ - 1})
        Put32(header, static_cast<std::uint32_t>(v)); // bounds, pixels
    for (int v : {0, 0, (width_ * 2540 + 95) / 96, (height_ * 2540 + 95) / 96})
        Put32(header, static_cast<std::uint32_t>(v)); // frame, hundredths of a millimetre
    Put32(header, 0x464D4520);
    Put32(header, 0x10000);
    Put32(header, static_cast<std::uint32_t>(88 + records_.size() + eof.size()));
    Put32(header, static_cast<std::uint32_t>(recordCount_ + 2));
    header += static_cast<char>(handles_ & 0xFF);
    header += static_cast<char>(handles_ >> 8);
    header += std::string(2, '\0');
    Put32(header, 0); // description
    Put32(header, 0);
    Put32(header, 0); // palette entries
    // Reference device: 96 pixels per inch.
    Put32(header, 1920);
    Put32(header, 1080);
    Put32(header, 508);
    Put32(header, 286);
    return header + records_ + eof;
}

std::string KitchenEmf()
{
    return EmfBuilder(200, 140)
        .Rectangle(10, 10, 90, 90, 0xE01010)
        .Ellipse(110, 10, 190, 90, 0x1030D0)
        .Text(10, 100, 30, "トマト煮込み", 0x000000)
        .Bytes();
}

std::string BuildPlayer() { return std::string(VKT_BUILD_PREFIX) + "/lib/vektara/vkt-emfplay"; }

std::string ScriptPlayer(double seconds, const std::string& then)
{
    const std::string path = NewTempFolder("player") + "/vkt-emfplay";
    {
        std::ofstream script(path);
        script << "#!/bin/sh\nsleep " << seconds << "\n"
               << (then.empty() ? "exec '" + BuildPlayer() + "'" : then) << "\n";
    }
    chmod(path.c_str(), 0755);
    return path;
}

PlayerInUse::PlayerInUse(const std::string& player) { platform::SetMetafilePlayer(player); }

PlayerInUse::~PlayerInUse() { platform::SetMetafilePlayer(BuildPlayer()); }

bool WaitForPlayers(double seconds)
{
    QElapsedTimer clock;
    clock.start();
    // A play ended is drawn again, which asks for its pixels: quiet only once neither is pending
    // through a few turns.
    for (int quiet = 0; quiet < 3;) {
        if (clock.elapsed() > seconds * 1000)
            return false;
        const bool busy =
            platform::ProgramMetafileCache().Playing() > 0 || platform::ProgramPicturePixels().Pending() > 0;
        QCoreApplication::processEvents(QEventLoop::AllEvents, busy ? 10 : 0);
        quiet = busy ? 0 : quiet + 1;
    }
    return true;
}

double LongestUnanswered(const std::function<bool()>& until)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.nsecsElapsed() - last);
        last = clock.nsecsElapsed();
    });
    timer.start(10);
    while (!until() && clock.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return static_cast<double>(std::max(longest, clock.nsecsElapsed() - last)) / 1e6;
}

} // namespace vkttest
