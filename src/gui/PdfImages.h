#pragma once
// JPEG files written into a PDF as their own bytes. Qt's PDF engine writes every picture it is
// given as pixels; a JPEG that needs no scaling is drawn instead as a small stand-in image naming
// it, which PlaceJpegs replaces in the finished file by an image object holding the JPEG's bytes
// (DCTDecode).
#include <QByteArray>
#include <QImage>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A JPEG file a PDF can hold as it is: 8-bit baseline or progressive, grey or YCbCr, upright (no
// EXIF orientation but 1) and without a colour profile of its own.
struct PdfJpeg {
    std::shared_ptr<const std::string> Bytes;
    int Width = 0;
    int Height = 0;
    int Components = 0;
};

// The file's description when a PDF can hold it as it is; nullopt otherwise (or when its header is
// damaged).
std::optional<PdfJpeg> ReadPdfJpeg(std::shared_ptr<const std::string> bytes);

// The stand-in image drawn for the JPEG numbered `index` of a document (written losslessly).
QImage JpegStandIn(int index);

// The finished PDF with each stand-in's image object holding its JPEG instead, the
// cross-reference table moved to match; the PDF as it was when it has no stand-in. A stand-in
// numbered past `jpegs` is left as it is.
QByteArray PlaceJpegs(const QByteArray& pdf, const std::vector<PdfJpeg>& jpegs);

} // namespace platform
