#include "gui/PdfImages.h"

#include "platform/Jpeg.h"

#include <QtEndian>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>

namespace platform {

namespace {

// A stand-in's pixels: two that say what it is, then its number.
constexpr int kStandInWidth = 3;
constexpr QRgb kStandInMark1 = 0xFF564B54;   // "VKT"
constexpr QRgb kStandInMark2 = 0xFF4A5047;   // "JPG"
// How Qt's PDF engine opens the dictionary of a stand-in's image object.
constexpr std::string_view kStandInDictionary = "/Subtype /Image\n/Width 3\n/Height 1\n";

unsigned Byte(std::string_view bytes, std::size_t at) { return static_cast<unsigned char>(bytes[at]); }
unsigned Word(std::string_view bytes, std::size_t at, bool little)
{
    return little ? Byte(bytes, at) | Byte(bytes, at + 1) << 8 : Byte(bytes, at) << 8 | Byte(bytes, at + 1);
}

} // namespace

std::optional<PdfJpeg> ReadPdfJpeg(std::shared_ptr<const std::string> bytes)
{
    if (!bytes) return std::nullopt;
    const std::string_view jpeg(*bytes);
    if (jpeg.size() < 4 || Byte(jpeg, 0) != 0xFF || Byte(jpeg, 1) != 0xD8) return std::nullopt;
    PdfJpeg found;
    bool adobeRgb = false;
    for (std::size_t at = 2; at + 4 <= jpeg.size();) {
        if (Byte(jpeg, at) != 0xFF) return std::nullopt;
        const unsigned marker = Byte(jpeg, at + 1);
        if (marker == 0xFF) {   // fill
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;
            continue;
        }
        if (marker == 0xD9) return std::nullopt;
        const std::size_t length = Word(jpeg, at + 2, false);
        if (length < 2 || at + 2 + length > jpeg.size()) return std::nullopt;
        const std::string_view segment = jpeg.substr(at + 4, length - 2);
        if (marker == 0xDA) break;   // the scan: the header is read
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
            if (segment.size() < 6 || Byte(segment, 0) != 8) return std::nullopt;
            found.Height = static_cast<int>(Word(segment, 1, false));
            found.Width = static_cast<int>(Word(segment, 3, false));
            found.Components = static_cast<int>(Byte(segment, 5));
        } else if (marker >= 0xC3 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            return std::nullopt;   // lossless, hierarchical or arithmetic coding
        } else if (marker == 0xE1 && ExifOrientation(segment) != 1) {   // drawn turned
            return std::nullopt;
        } else if (marker == 0xE2 && segment.substr(0, 12) == std::string_view("ICC_PROFILE\0", 12)) {
            return std::nullopt;
        } else if (marker == 0xEE && segment.substr(0, 5) == "Adobe" && segment.size() >= 12) {
            adobeRgb = Byte(segment, 11) == 0;
        }
        at += 2 + length;
    }
    if (found.Width <= 0 || found.Height <= 0 || (found.Components != 1 && found.Components != 3) ||
        (adobeRgb && found.Components == 3))
        return std::nullopt;
    found.Bytes = std::move(bytes);
    return found;
}

QImage JpegStandIn(int index)
{
    QImage image(kStandInWidth, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, kStandInMark1);
    image.setPixel(1, 0, kStandInMark2);
    image.setPixel(2, 0, 0xFF000000u | (static_cast<QRgb>(index) & 0xFFFFFFu));
    return image;
}

namespace {

// The number of the stand-in whose image object's stream (Flate) is `stream`, or -1.
int StandInNumber(QByteArrayView stream)
{
    QByteArray sized(4, '\0');
    qToBigEndian<quint32>(kStandInWidth * 3, sized.data());
    const QByteArray pixels = qUncompress(sized + stream.toByteArray());
    if (pixels.size() != kStandInWidth * 3) return -1;
    const auto at = [&](int k) { return static_cast<unsigned char>(pixels[k]); };
    const QRgb first = qRgb(at(0), at(1), at(2));
    const QRgb second = qRgb(at(3), at(4), at(5));
    if (first != kStandInMark1 || second != kStandInMark2) return -1;
    return static_cast<int>(at(6) << 16 | at(7) << 8 | at(8));
}

QByteArray JpegObject(const QByteArray& head, const PdfJpeg& jpeg)
{
    QByteArray object = head;
    object += "<<\n/Type /XObject\n/Subtype /Image\n/Width " + QByteArray::number(jpeg.Width) + "\n/Height " +
              QByteArray::number(jpeg.Height) + "\n/BitsPerComponent 8\n/ColorSpace " +
              (jpeg.Components == 1 ? "/DeviceGray" : "/DeviceRGB") + "\n/Filter /DCTDecode\n/Length " +
              QByteArray::number(static_cast<qsizetype>(jpeg.Bytes->size())) + "\n>>\nstream\n";
    object.append(jpeg.Bytes->data(), static_cast<qsizetype>(jpeg.Bytes->size()));
    object += "\nendstream\nendobj\n";
    return object;
}

} // namespace

QByteArray PlaceJpegs(const QByteArray& pdf, const std::vector<PdfJpeg>& jpegs)
{
    if (jpegs.empty()) return pdf;
    // The objects replaced: where each began and ended in the old file, and its new text.
    struct Replaced {
        qsizetype Begin;
        qsizetype End;
        QByteArray Text;
    };
    std::vector<Replaced> replaced;
    const QByteArrayView view(pdf);
    const QByteArrayView dictionary(kStandInDictionary.data(), static_cast<qsizetype>(kStandInDictionary.size()));
    for (qsizetype at = view.indexOf(dictionary); at >= 0; at = view.indexOf(dictionary, at + 1)) {
        // The object's first line, "N 0 obj", and its stream.
        const qsizetype open = pdf.lastIndexOf(" 0 obj\n", at);
        const qsizetype line = open < 0 ? -1 : pdf.lastIndexOf('\n', open) + 1;
        const qsizetype stream = pdf.indexOf(">>\nstream\n", at);
        const qsizetype streamEnd = stream < 0 ? -1 : pdf.indexOf("\nendstream\nendobj\n", stream);
        if (open < 0 || stream < 0 || streamEnd < 0 || (!replaced.empty() && line < replaced.back().End)) continue;
        const qsizetype data = stream + 10;
        const int number = StandInNumber(view.sliced(data, streamEnd - data));
        if (number < 0 || static_cast<std::size_t>(number) >= jpegs.size()) continue;
        const qsizetype end = streamEnd + 18;
        replaced.push_back({line, end, JpegObject(pdf.sliced(line, open + 7 - line), jpegs[static_cast<std::size_t>(number)])});
    }
    if (replaced.empty()) return pdf;

    // The cross-reference table: "xref", "0 N", N entries of 20 bytes; then the trailer.
    const qsizetype start = pdf.lastIndexOf("startxref\n");
    if (start < 0) return pdf;
    const qsizetype xref = pdf.mid(start + 10, pdf.indexOf('\n', start + 10) - start - 10).toLongLong();
    if (xref <= 0 || xref >= start || !view.sliced(xref).startsWith("xref\n")) return pdf;
    const qsizetype header = xref + 5;
    const qsizetype headerEnd = pdf.indexOf('\n', header);
    const QList<QByteArray> range = pdf.mid(header, headerEnd - header).split(' ');
    if (range.size() != 2 || range[0] != "0") return pdf;
    const qsizetype count = range[1].toLongLong();
    const qsizetype entries = headerEnd + 1;
    if (count <= 0 || entries + count * 20 > start) return pdf;
    const auto moved = [&](qsizetype offset) {
        qsizetype shift = 0;
        for (const Replaced& r : replaced)
            if (r.Begin < offset) shift += r.Text.size() - (r.End - r.Begin);
        return offset + shift;
    };

    QByteArray out;
    out.reserve(pdf.size());
    qsizetype copied = 0;
    for (const Replaced& r : replaced) {
        out += view.sliced(copied, r.Begin - copied);
        out += r.Text;
        copied = r.End;
    }
    out += view.sliced(copied, entries - copied);
    for (qsizetype k = 0; k < count; ++k) {
        QByteArray entry = pdf.mid(entries + k * 20, 20);
        if (entry.size() == 20 && entry[17] == 'n') {
            const QByteArray offset = QByteArray::number(moved(entry.left(10).toLongLong())).rightJustified(10, '0');
            entry.replace(0, 10, offset);
        }
        out += entry;
    }
    out += view.sliced(entries + count * 20, start + 10 - (entries + count * 20));
    out += QByteArray::number(moved(xref)) + "\n";
    out += view.sliced(pdf.indexOf('\n', start + 10) + 1);
    return out;
}

} // namespace platform
