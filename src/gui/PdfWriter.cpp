#include "gui/PdfWriter.h"

#include "gui/QtCanvas.h"
#include "platform/Errors.h"
#include "platform/Files.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string_view>
#include <vector>

namespace platform {

namespace {

// One destination code of a CMap line, "<XXXX>" with its digits at `at`, renamed when it is a
// radical the canvas drew for a kanji. Four digits stay four, so the file keeps its offsets.
void RenameCode(std::string& pdf, std::size_t at, const std::map<char32_t, char32_t>& radicals)
{
    char32_t code = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        const char digit = pdf[at + k];
        const int value = digit >= '0' && digit <= '9'   ? digit - '0'
                          : digit >= 'A' && digit <= 'F' ? digit - 'A' + 10
                          : digit >= 'a' && digit <= 'f' ? digit - 'a' + 10
                                                         : -1;
        if (value < 0) return;
        code = code * 16 + static_cast<char32_t>(value);
    }
    const auto found = radicals.find(code);
    if (found == radicals.end() || found->second > 0xFFFF) return;
    char digits[5];
    std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(found->second));
    pdf.replace(at, 4, digits, 4);
}

// A line of a bfrange block between `from` and `to`: "<first> <last> <code>" (one glyph only: a
// range of several keeps its start) or "<first> <last> [<code> <code> …]".
void RenameRangeLine(std::string& pdf, std::size_t from, std::size_t to, const std::map<char32_t, char32_t>& radicals)
{
    std::vector<std::size_t> codes;
    bool array = false;
    for (std::size_t p = from; p < to; ++p) {
        if (pdf[p] == '[') array = codes.size() == 2;
        if (pdf[p] == '<' && p + 5 < to && pdf[p + 5] == '>') codes.push_back(p + 1);
    }
    if (codes.size() < 3 || (!array && (codes.size() != 3 || pdf.compare(codes[0], 4, pdf, codes[1], 4) != 0)))
        return;
    for (std::size_t k = 2; k < codes.size(); ++k) RenameCode(pdf, codes[k], radicals);
}

// Names the glyphs that radicals share with kanji after the kanji in every ToUnicode CMap.
void RenameRadicals(std::string& pdf, const std::map<char32_t, char32_t>& radicals)
{
    constexpr std::string_view begin = "beginbfrange";
    constexpr std::string_view end = "endbfrange";
    for (std::size_t at = pdf.find(begin); at != std::string::npos; at = pdf.find(begin, at)) {
        const std::size_t stop = pdf.find(end, at);
        if (stop == std::string::npos) return;
        for (std::size_t line = pdf.find('\n', at); line < stop;) {
            const std::size_t next = std::min(pdf.find('\n', line + 1), stop);
            RenameRangeLine(pdf, line + 1, next, radicals);
            line = next;
        }
        at = stop + end.size();
    }
}

} // namespace

struct PdfWriter::Impl {
    Impl(const std::string& fileName, int pageWidth, int pageHeight, int dpi)
        : FileName(fileName), Writer(QString::fromStdString(fileName))
    {
        Writer.setResolution(dpi > 0 ? dpi : 96);
        Writer.setPageLayout(QPageLayout(
            QPageSize(QSizeF(std::max(1, pageWidth) / 100.0, std::max(1, pageHeight) / 100.0), QPageSize::Millimeter),
            QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        if (!Painter.begin(&Writer)) throw FileError("Cannot create '" + fileName + "'");
        const int resolution = Writer.resolution();
        Canvas = std::make_unique<QtCanvas>(Painter, resolution, resolution, CanvasKind::Pdf);
    }

    void End()
    {
        Canvas.reset();
        if (Painter.isActive()) Painter.end();
    }

    std::string FileName;
    QPdfWriter Writer;
    QPainter Painter;
    std::unique_ptr<QtCanvas> Canvas;
    bool Done = false;
};

PdfWriter::PdfWriter(const std::string& fileName, int pageWidth, int pageHeight, int dpi)
    : impl_(std::make_unique<Impl>(fileName, pageWidth, pageHeight, dpi))
{
}

PdfWriter::~PdfWriter()
{
    if (!impl_->Done) Abort();
}

Canvas& PdfWriter::GetCanvas() { return *impl_->Canvas; }

void PdfWriter::NewPage()
{
    if (!impl_->Done) impl_->Writer.newPage();
}

void PdfWriter::Finish()
{
    if (impl_->Done) return;
    impl_->Done = true;
    const std::map<char32_t, char32_t> radicals = impl_->Canvas->SharedRadicals();
    impl_->Canvas.reset();
    if (!impl_->Painter.end()) throw FileError("Cannot write '" + impl_->FileName + "'");
    if (radicals.empty()) return;
    std::string pdf = ReadFileBytes(impl_->FileName);
    const std::string written = pdf;
    RenameRadicals(pdf, radicals);
    if (pdf != written) WriteFileAtomic(impl_->FileName, pdf);
}

void PdfWriter::Abort()
{
    if (impl_->Done) return;
    impl_->Done = true;
    impl_->End();
    std::error_code ignored;
    std::filesystem::remove(impl_->FileName, ignored);
}

} // namespace platform
