// The largest drawings the metafile limits admit, each of one kind (texts, outlines, pictures, clips,
// dense zigzags, fills, large texts, empty groups, one photo, a zigzag of a wide round-joined pen,
// a zigzag of miter spikes, lines with wide round ends, thin dashed lines under a shear, distinct
// CJK glyphs). Each is found
// by growing it until the limits refuse it, then read (DrawingRead…), redrawn onto a 1000 × 999
// page as a view fits it, its two scales a pixel apart (DrawingRedraw…), and printed to PDF
// (DrawingPrint…); the counters give what it holds (MB) and its work units. No pair: bench/README.md
// holds the times against read ≤ 0.5 s and redraw ≤ 0.25 s.
#include "BenchRatio.h"

#include "gui/DrawingSvg.h"
#include "gui/EnhancedMetafile.h"
#include "gui/PdfWriter.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QSizeF>
#include <QString>

#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace {

using platform::DisplayList;

const QSizeF kPage(1000, 1000);

std::string Svg(const std::string& body)
{
    return "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' width='1000' "
           "height='1000'>" + body + "</svg>";
}

std::string At(int i)
{
    return "x='" + std::to_string(i * 37 % 950) + "' y='" + std::to_string(20 + i * 13 % 970) + "'";
}

std::string Texts(int n)
{
    std::string body;
    for (int i = 0; i < n; ++i)
        body += "<text " + At(i) + " font-size='12'>塩 Salt " + std::to_string(i) + "</text>";
    return Svg(body);
}

std::string Outlines(int n)
{
    std::string body;
    for (int i = 0; i < n; ++i) {
        std::string points;
        for (int k = 0; k < 50; ++k)
            points += std::to_string(i * 37 % 950 + 20 * std::cos(k * 0.1257)) + "," +
                      std::to_string(i * 13 % 970 + 20 * std::sin(k * 0.1257)) + " ";
        body += "<polygon points='" + points + "' fill='#" + std::to_string(100000 + i % 899999) +
                "' stroke='#000000'/>";
    }
    return Svg(body);
}

// A picture of noise, side × side, as an inline PNG.
std::string NoisePng(int side, unsigned seed)
{
    QImage noise(side, side, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, random.generate() | 0xFF000000u);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    noise.save(&buffer, "PNG");
    return "data:image/png;base64," + png.toBase64().toStdString();
}

std::string Pictures(int n)
{
    static const std::string picture =
        "<image id='i' width='300' height='300' xlink:href='" + NoisePng(1000, 49) + "'/>";
    std::string body = "<defs>" + picture + "</defs>";
    for (int i = 0; i < n; ++i)
        body += "<use xlink:href='#i' " + At(i) + "/>";
    return Svg(body);
}

std::string Clips(int n)
{
    std::string star = "M 500 50";
    for (int k = 1; k < 2000; ++k)
        star += " L " + std::to_string(500 + (k % 2 ? 450 : 400) * std::sin(k * 0.0031416)) + " " +
                std::to_string(500 - (k % 2 ? 450 : 400) * std::cos(k * 0.0031416));
    std::string body = "<defs><clipPath id='c'><path d='" + star + " Z'/></clipPath></defs>";
    for (int i = 0; i < n; ++i)
        body += "<g clip-path='url(#c)'><rect " + At(i) + " width='40' height='40' fill='#205080'/></g>";
    return Svg(body);
}

// Zigzags over the whole page's height: each edge crosses every scanline.
std::string Zigzags(int n)
{
    std::string body;
    for (int i = 0; i < n; ++i) {
        std::string d = "M 0 0";
        for (int k = 1; k < 100; ++k)
            d += " L " + std::to_string(k * 10 + i % 10) + " " + std::to_string(k % 2 ? 1000 : 0);
        body += "<path d='" + d + "' fill='#" + std::to_string(100000 + i % 899999) + "'/>";
    }
    return Svg(body);
}

std::string Fills(int n)
{
    std::string body;
    for (int i = 0; i < n; ++i)
        body += "<rect x='0' y='0' width='1000' height='1000' fill='#" + std::to_string(100000 + i % 899999) + "'/>";
    return Svg(body);
}

std::string LargeTexts(int n)
{
    std::string body;
    for (int i = 0; i < n; ++i)
        body += "<text " + At(i) + " font-size='300'>塩S" + std::to_string(i % 10) + "</text>";
    return Svg(body);
}

// One zigzag of n points across the page, its pen 80 wide with round joins: each join crosses
// as many scanlines as the pen is wide.
std::string WideZigzags(int n)
{
    std::string d = "M 0 490";
    for (int k = 1; k < n; ++k)
        d += " L " + std::to_string(1000.0 * k / n) + " " + std::to_string(k % 2 ? 510 : 490);
    return Svg("<path d='" + d + "' fill='none' stroke='#204080' stroke-width='80' stroke-linejoin='round'/>");
}

// One zigzag of n points, its sharp turns under a miter limit of 100: each join's spike reaches 44
// pen widths (20 wide) out from its corner.
std::string MiterZigzags(int n)
{
    std::string d = "M 20 500";
    for (int k = 1; k < n; ++k)
        d += " L " + std::to_string(20 + k * 9 % 960) + " " + std::to_string(k % 2 ? 100 : 900);
    return Svg("<path d='" + d + "' fill='none' stroke='#204080' stroke-width='20' stroke-linejoin='miter' "
               "stroke-miterlimit='100'/>");
}

// Short lines with round ends 200 wide.
std::string RoundEnds(int n)
{
    std::string body;
    for (int i = 0; i < n; ++i)
        body += "<path d='M " + std::to_string(i * 37 % 1000) + " " + std::to_string(i * 13 % 1000) +
                " l 20 10' stroke='#204080' stroke-width='200' stroke-linecap='round'/>";
    return Svg(body);
}

// Lines across the page with a thin pen dashed by the pixel, under a shear: each dash is made and
// filled.
std::string ShearedDashes(int n)
{
    std::string body = "<g transform='matrix(1 0 0.5 1 0 0)'>";
    for (int i = 0; i < n; ++i)
        body += "<path d='M 0 " + std::to_string(i % 1000) +
                " H 1000' stroke='#000000' stroke-width='1' stroke-dasharray='1 1'/>";
    return Svg(body + "</g>");
}

// Distinct CJK ideographs 60 pixels high, 16 a text (once cached, as the redraws draw them).
std::string Glyphs(int n)
{
    std::string body;
    for (int i = 0; i < n; ++i) {
        const char32_t c = 0x4E00 + i % 20'992;
        if (i % 16 == 0)
            body += (i ? "</text><text x='0' y='" : "<text x='0' y='") + std::to_string(60 + i / 16 % 16 * 60) +
                    "' font-size='60'>";
        body += QString::fromUcs4(&c, 1).toStdString();
    }
    return Svg(body + "</text>");
}

// One picture of noise, as large as the drawing may hold.
std::string Photo(int n)
{
    return Svg("<image width='1000' height='1000' xlink:href='" + NoisePng(n * 16, 50) + "'/>");
}

// Groups that draw nothing, read to their end.
std::string Groups(int n)
{
    std::string body;
    for (int i = 0; i < n; ++i)
        body += "<g transform='matrix(1 0 0 1 " + std::to_string(i % 7) + " 0)' fill='#123456' stroke='#000'/>";
    return Svg(body);
}

// The largest drawing of a kind the limits admit, found by doubling, then halving the step.
const std::string& Largest(const std::string& kind, const std::function<std::string(int)>& make)
{
    static std::map<std::string, std::string> found;
    if (const auto it = found.find(kind); it != found.end())
        return it->second;
    const auto admitted = [&](int n) {
        std::string error;
        return ReadDrawingSvg(make(n), kPage, platform::kMetafileDrawingLimits, error).has_value();
    };
    // At most the converter's 24 MB of drawing; a smoke run (a short text, --vkt_chars) only runs them.
    const int most = bench::TextChars() < 200000 ? 64 : 1 << 22;
    int n = 1;
    while (n < most && admitted(n * 2) && make(n * 2).size() < (24u << 20))
        n *= 2;
    for (int step = n < most ? n / 2 : 0; step > 0; step /= 2)
        if (admitted(n + step) && make(n + step).size() < (24u << 20))
            n += step;
    return found[kind] = make(n);
}

void Read(benchmark::State& state, const std::string& kind, const std::function<std::string(int)>& make)
{
    const std::string& svg = Largest(kind, make);
    std::string error;
    std::optional<DisplayList> drawing;
    for (auto _ : state) {
        drawing = ReadDrawingSvg(svg, kPage, platform::kMetafileDrawingLimits, error);
        benchmark::DoNotOptimize(drawing);
    }
    if (drawing) {
        state.counters["MB"] = static_cast<double>(drawing->Bytes()) / (1 << 20);
        state.counters["work"] = static_cast<double>(drawing->Work());
    }
}

void Redraw(benchmark::State& state, const std::string& kind, const std::function<std::string(int)>& make)
{
    std::string error;
    const std::optional<DisplayList> drawing =
        ReadDrawingSvg(Largest(kind, make), kPage, platform::kMetafileDrawingLimits, error);
    QImage page(1000, 999, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        page.fill(Qt::white);
        QPainter painter(&page);
        painter.scale(1, 0.999);
        if (drawing)
            drawing->Replay(painter);
    }
}

void Print(benchmark::State& state, const std::string& kind, const std::function<std::string(int)>& make)
{
    std::string error;
    const std::optional<DisplayList> drawing =
        ReadDrawingSvg(Largest(kind, make), kPage, platform::kMetafileDrawingLimits, error);
    const std::string file = QDir::temp().filePath("vkt-drawing-bench.pdf").toStdString();
    for (auto _ : state) {
        platform::PdfWriter writer(file, 21000, 29700, 96);
        if (drawing)
            drawing->Replay(*writer.GetCanvas().GetPainter());
        writer.Finish();
    }
    std::remove(file.c_str());
}

#define VKT_DRAWING_BENCH(Kind)                                                                             \
    void DrawingRead##Kind(benchmark::State& state) { Read(state, #Kind, Kind); }                          \
    void DrawingRedraw##Kind(benchmark::State& state) { Redraw(state, #Kind, Kind); }                      \
    void DrawingPrint##Kind(benchmark::State& state) { Print(state, #Kind, Kind); }                        \
    BENCHMARK(DrawingRead##Kind)->Unit(benchmark::kMillisecond);                                            \
    BENCHMARK(DrawingRedraw##Kind)->Unit(benchmark::kMillisecond);                                          \
    BENCHMARK(DrawingPrint##Kind)->Unit(benchmark::kMillisecond)

VKT_DRAWING_BENCH(Texts);
VKT_DRAWING_BENCH(Outlines);
VKT_DRAWING_BENCH(Pictures);
VKT_DRAWING_BENCH(Clips);
VKT_DRAWING_BENCH(Zigzags);
VKT_DRAWING_BENCH(Fills);
VKT_DRAWING_BENCH(LargeTexts);
VKT_DRAWING_BENCH(Groups);
VKT_DRAWING_BENCH(Photo);
VKT_DRAWING_BENCH(WideZigzags);
VKT_DRAWING_BENCH(MiterZigzags);
VKT_DRAWING_BENCH(RoundEnds);
VKT_DRAWING_BENCH(ShearedDashes);
VKT_DRAWING_BENCH(Glyphs);

} // namespace
