// A random-mutation run of the metafile player and the drawing reader, and of the JPEG and bitmap
// readers, for the sanitizer build (not part of `make test`):
//   cmake --build build-asan --target vkt_fuzz_pictures
//   QT_QPA_PLATFORM=offscreen build-asan/tests/fuzz/vkt_fuzz_pictures --runs 20000 --seed 1 tests/data/emf/*.emf
//       tests/data/photos/*.jpg tests/data/photos/*.bmp
// A JPEG or bitmap seed is mutated the same way, and also in its marker segments (an EXIF block's
// words, a profile segment's length and numbers), then decoded as a record's picture is.
// Each run takes one of the seed pictures and mutates it (bytes flipped or set to edge values, runs
// copied or cut, record sizes, counts and offsets changed), plays it in this process and, when it
// plays, reads the drawing, replays it on a small page, then mutates the drawing's text (numbers
// made extreme, elements and attributes inserted, ranges cut or repeated) and reads that again.
// A run that takes more than 20 s aborts as a hang; the sanitizers report the rest.
#include "emfplay/EmfPlayer.h"
#include "gui/DrawingSvg.h"
#include "gui/EnhancedMetafile.h"
#include "gui/PictureData.h"
#include "platform/Errors.h"
#include "platform/Jpeg.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSizeF>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

std::mt19937_64 generator;

std::size_t Below(std::size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(generator); }

void Put32(std::string& bytes, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4 && at + i < bytes.size(); ++i)
        bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The start of each record (type and size words), as far as the sizes lead.
std::vector<std::size_t> Records(const std::string& bytes)
{
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at + 8 <= bytes.size() && starts.size() < 100000;) {
        std::uint32_t size = 0;
        std::memcpy(&size, bytes.data() + at + 4, 4);
        starts.push_back(at);
        if (size < 8 || size % 4)
            break;
        at += size;
    }
    return starts;
}

std::string MutatePicture(std::string bytes)
{
    const std::uint32_t edges[] = {0, 1, 2, 0x7F, 0x80, 0xFF, 0x7FFF, 0x8000, 0xFFFF, 0x7FFFFFFF, 0x80000000u,
                                   0xFFFFFFFFu, 0x3F800000u /* 1.0f */, 0x7F800000u /* inf */, 0x7FC00000u /* nan */};
    // Mostly a step or two, so that most pictures still play and their later records are reached.
    const int steps = Below(4) ? 1 + static_cast<int>(Below(2)) : 1 + static_cast<int>(Below(8));
    for (int s = 0; s < steps && !bytes.empty(); ++s) {
        const std::vector<std::size_t> records = Records(bytes);
        const std::size_t record = records.empty() ? 0 : records[Below(records.size())];
        switch (Below(7)) {
        case 0: // a bit
            bytes[Below(bytes.size())] ^= static_cast<char>(1 << Below(8));
            break;
        case 1: // an edge value at any word of a record
            Put32(bytes, record + 4 * Below(16), edges[Below(std::size(edges))]);
            break;
        case 2: // a record's size
            Put32(bytes, record + 4, static_cast<std::uint32_t>(Below(2) ? Below(4096) : edges[Below(std::size(edges))]));
            break;
        case 3: { // a record repeated
            if (records.size() < 2)
                break;
            const std::size_t i = Below(records.size() - 1);
            const std::string copy = bytes.substr(records[i], records[i + 1] - records[i]);
            for (std::size_t n = 1 + Below(64); n > 0; --n)
                bytes.insert(records[i], copy);
            break;
        }
        case 4: // cut, or a record left out
            if (Below(4) == 0)
                bytes.resize(Below(bytes.size()) + 1);
            else if (records.size() > 2)
                bytes.erase(record, std::min<std::size_t>(bytes.size() - record, 8 + Below(64) * 4));
            break;
        case 5: // a run of bytes copied elsewhere
        {
            const std::size_t from = Below(bytes.size()), length = Below(std::min<std::size_t>(512, bytes.size() - from));
            const std::string run = bytes.substr(from, length);
            bytes.replace(Below(bytes.size()), run.size(), run);
            break;
        }
        default: // a record's type
            Put32(bytes, record, static_cast<std::uint32_t>(1 + Below(122)));
            break;
        }
    }
    return bytes;
}

// The starts of a JPEG's marker segments before its scan.
std::vector<std::size_t> Segments(const std::string& bytes)
{
    std::vector<std::size_t> starts;
    for (std::size_t at = 2; at + 4 <= bytes.size() && static_cast<unsigned char>(bytes[at]) == 0xFF;) {
        starts.push_back(at);
        if (static_cast<unsigned char>(bytes[at + 1]) == 0xDA)
            break;
        at += 2 + (static_cast<std::size_t>(static_cast<unsigned char>(bytes[at + 2])) << 8
                   | static_cast<unsigned char>(bytes[at + 3]));
    }
    return starts;
}

std::string MutateJpegSegment(std::string bytes)
{
    const std::vector<std::size_t> segments = Segments(bytes);
    if (segments.empty())
        return bytes;
    const std::size_t segment = segments[Below(segments.size())];
    const std::size_t length = bytes.size() - segment > 4 ? std::min<std::size_t>(bytes.size() - segment - 4, 4096) : 0;
    const unsigned char edges[] = {0, 1, 2, 3, 4, 8, 9, 0x7F, 0x80, 0xFE, 0xFF};
    switch (Below(3)) {
    case 0: // its length
        bytes[segment + 2 + Below(2)] = static_cast<char>(edges[Below(std::size(edges))]);
        break;
    case 1: // a byte within it (an EXIF count, offset or type; a profile chunk's number)
        if (length)
            bytes[segment + 4 + Below(length)] = static_cast<char>(edges[Below(std::size(edges))]);
        break;
    default: // a word within it
        if (length > 4)
            Put32(bytes, segment + 4 + Below(length - 3), Below(2) ? 0xFFFFFFFFu : static_cast<std::uint32_t>(Below(65536)));
        break;
    }
    return bytes;
}

// Decodes the bytes as a record's picture (drawn and turned) and as the class icons read a file.
void Decode(const std::string& bytes)
{
    platform::PictureData picture;
    picture.SetBytes(bytes);
    if (picture.CanDraw())
        picture.Mirror(false);
    try {
        if (picture.GetKind() == platform::PictureKind::Jpeg)
            platform::DecodeJpeg(bytes);
        else
            platform::DecodeBmp(bytes);
    } catch (const platform::InvalidPictureError&) {
    }
}

std::string MutateDrawing(std::string svg)
{
    static const char* const numbers[] = {"1e308", "-1e308", "1e-308", "-0", "nan", "inf", "1e6", "-1e6", "0",
                                          "4294967296", "1e-300", "99999999999999999999", "0.0000001"};
    static const char* const pieces[] = {
        "<g clip-path='url(#c)'>", "</g>", "<g transform='matrix(1000 0 0 0.001 0 0)'>",
        "<g transform='skewX(89.9999)'>", "<clipPath id='c'><path d='M 0 0 L 1e6 1 L 0 1e6 Z'/></clipPath>",
        "<text x='1 2 3 4' y='5' font-size='1e6'>塩</text>", "<use xlink:href='#i'/>",
        "<linearGradient id='g' x1='0' x2='0'><stop offset='nan' stop-color='red'/></linearGradient>",
        "<rect fill='url(#g)' width='1e6' height='1e6'/>", "<path d='M 0 0 A 1e-300 1e300 0 1 1 1 1 Z 5'/>",
        "<pattern id='p' width='0' height='1e9'><use xlink:href='#i'/></pattern>", "]]>", "<![CDATA[", "&amp;",
        "<defs>", "</defs>", "<text>", "</text>", "<tspan>"};
    const int steps = 1 + static_cast<int>(Below(6));
    for (int s = 0; s < steps && !svg.empty(); ++s) {
        const std::size_t at = Below(svg.size());
        switch (Below(5)) {
        case 0: { // a number made extreme
            std::size_t from = at;
            while (from < svg.size() && !std::isdigit(static_cast<unsigned char>(svg[from])))
                ++from;
            std::size_t to = from;
            while (to < svg.size() && (std::isdigit(static_cast<unsigned char>(svg[to])) || svg[to] == '.'))
                ++to;
            if (from < svg.size())
                svg.replace(from, to - from, numbers[Below(std::size(numbers))]);
            break;
        }
        case 1: { // an element or attribute inserted before a tag
            const std::size_t tag = svg.find('<', at);
            if (tag != std::string::npos)
                svg.insert(tag, pieces[Below(std::size(pieces))]);
            break;
        }
        case 2: // a range cut
            svg.erase(at, Below(std::min<std::size_t>(256, svg.size() - at)));
            break;
        case 3: { // a range repeated
            const std::string run = svg.substr(at, Below(std::min<std::size_t>(2048, svg.size() - at)));
            for (std::size_t n = Below(200); n > 0; --n)
                svg.insert(at, run);
            break;
        }
        default:
            svg[at] = "<>/='\" #.-0aZ"[Below(13)];
            break;
        }
    }
    return svg;
}

void Draw(const std::string& svg)
{
    std::string error;
    if (const auto drawing = platform::ReadDrawingSvg(svg, QSizeF(120, 90), platform::kMetafileDrawingLimits, error)) {
        QImage page(120, 90, QImage::Format_ARGB32_Premultiplied);
        page.fill(Qt::white);
        QPainter painter(&page);
        painter.scale(0.37, 1.9);
        drawing->Replay(painter);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    long runs = 1000;
    unsigned long long seed = 1;
    std::vector<std::string> seeds;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--runs") && i + 1 < argc)
            runs = std::atol(argv[++i]);
        else if (!std::strcmp(argv[i], "--seed") && i + 1 < argc)
            seed = std::strtoull(argv[++i], nullptr, 10);
        else if (std::ifstream file{argv[i], std::ios::binary})
            seeds.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    if (seeds.empty()) {
        std::fprintf(stderr, "usage: vkt_fuzz_pictures [--runs N] [--seed S] picture.emf|.jpg|.bmp...\n");
        return 2;
    }
    generator.seed(seed);
    // The seeds' own drawings, mutated apart from their pictures' mutations.
    std::vector<std::string> drawings;
    for (const std::string& bytes : seeds) {
        std::string svg, error;
        if (platform::PictureData::KindOf(bytes) == platform::PictureKind::Metafile
            && emfplay::PlayEnhancedMetafile(bytes, svg, error))
            drawings.push_back(std::move(svg));
    }
    std::signal(SIGALRM, [](int) { std::abort(); });
    long played = 0, drawn = 0, decoded = 0;
    for (long run = 0; run < runs; ++run) {
        alarm(20);
        const std::string& seedBytes = seeds[Below(seeds.size())];
        const platform::PictureKind kind = platform::PictureData::KindOf(seedBytes);
        if (kind == platform::PictureKind::Jpeg || kind == platform::PictureKind::Bitmap) {
            Decode(kind == platform::PictureKind::Jpeg && Below(2) ? MutateJpegSegment(seedBytes) : MutatePicture(seedBytes));
            ++decoded;
            continue;
        }
        const std::string bytes = MutatePicture(seedBytes);
        std::string svg;
        std::string error;
        if (emfplay::PlayEnhancedMetafile(bytes, svg, error)) {
            ++played;
            Draw(svg);
            Draw(MutateDrawing(svg));
            ++drawn;
        }
        if (!drawings.empty())
            Draw(MutateDrawing(drawings[Below(drawings.size())]));
        if (run % 500 == 0)
            std::fprintf(stderr, "run %ld: %ld played\n", run, played);
    }
    alarm(0);
    std::fprintf(stderr, "%ld runs, %ld played and drawn, %ld photos and bitmaps decoded\n", runs, drawn, decoded);
    return 0;
}
