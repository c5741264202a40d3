#include "gui/PdfWriter.h"

#include "gui/PdfImages.h"
#include "gui/QtCanvas.h"
#include "platform/Errors.h"

#include <QBuffer>
#include <QSaveFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string_view>
#include <vector>

namespace platform {

namespace {

// One destination code of a CMap line, "<XXXX>" with its digits at `at`, renamed when its glyph
// was drawn for a higher code point. Four digits stay four, so the file keeps its offsets.
void RenameCode(char* pdf, std::size_t at, const std::map<char32_t, char32_t>& shared)
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
    const auto found = shared.find(code);
    if (found == shared.end() || found->second > 0xFFFF) return;
    char digits[5];
    std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(found->second));
    std::copy_n(digits, 4, pdf + at);
}

// A line of a bfrange block between `from` and `to`: "<first> <last> <code>" (one glyph only: a
// range of several keeps its start) or "<first> <last> [<code> <code> …]".
void RenameRangeLine(char* pdf, std::size_t from, std::size_t to, const std::map<char32_t, char32_t>& shared)
{
    const std::string_view text(pdf, to);
    std::vector<std::size_t> codes;
    bool array = false;
    for (std::size_t p = from; p < to; ++p) {
        if (pdf[p] == '[') array = codes.size() == 2;
        if (pdf[p] == '<' && p + 5 < to && pdf[p + 5] == '>') codes.push_back(p + 1);
    }
    if (codes.size() < 3 || (!array && (codes.size() != 3 || text.substr(codes[0], 4) != text.substr(codes[1], 4))))
        return;
    for (std::size_t k = 2; k < codes.size(); ++k) RenameCode(pdf, codes[k], shared);
}

// Names the glyphs shared by several code points after the one drawn in every ToUnicode CMap.
void RenameSharedGlyphs(char* data, std::size_t size, const std::map<char32_t, char32_t>& shared)
{
    const std::string_view pdf(data, size);
    constexpr std::string_view begin = "beginbfrange";
    constexpr std::string_view end = "endbfrange";
    for (std::size_t at = pdf.find(begin); at != std::string::npos; at = pdf.find(begin, at)) {
        const std::size_t stop = pdf.find(end, at);
        if (stop == std::string::npos) return;
        for (std::size_t line = pdf.find('\n', at); line < stop;) {
            const std::size_t next = std::min(pdf.find('\n', line + 1), stop);
            RenameRangeLine(data, line + 1, next, shared);
            line = next;
        }
        at = stop + end.size();
    }
}

} // namespace

// The document is made in memory and written once finished, its glyph names mended, into a
// temporary file beside the named one that takes its place at the end: until then a file of that
// name stays as it was, and an abort leaves it so.
struct PdfWriter::Impl {
    Impl(const std::string& fileName, int pageWidth, int pageHeight, int dpi, const std::string& title)
        : FileName(fileName), File(QString::fromStdString(fileName)), Writer(&Buffer)
    {
        if (!title.empty()) Writer.setTitle(QString::fromStdString(title));
        if (!File.open(QIODevice::WriteOnly) || !Buffer.open(QIODevice::WriteOnly))
            throw FileError(Failed("を作成できません。"));
        Writer.setResolution(dpi > 0 ? dpi : 96);
        Writer.setPageLayout(QPageLayout(
            QPageSize(QSizeF(std::max(1, pageWidth) / 100.0, std::max(1, pageHeight) / 100.0), QPageSize::Millimeter),
            QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        if (!Painter.begin(&Writer)) {
            File.cancelWriting();
            throw FileError(Failed("を作成できません。"));
        }
        const int resolution = Writer.resolution();
        Canvas = std::make_unique<QtCanvas>(Painter, resolution, resolution, CanvasKind::Pdf);
    }

    // The user's message: the file named, what failed, and the system's reason when there is one.
    std::string Failed(const char* what) const
    {
        std::string text = "ファイル「" + FileName + "」" + what;
        if (File.error() != QFileDevice::NoError) text += "\n" + File.errorString().toStdString();
        return text;
    }

    void End()
    {
        Canvas.reset();
        if (Painter.isActive()) Painter.end();
    }

    std::string FileName;
    QSaveFile File;
    QBuffer Buffer;
    QPdfWriter Writer;
    QPainter Painter;
    std::unique_ptr<QtCanvas> Canvas;
    std::map<char32_t, char32_t> SharedGlyphs;
    bool Done = false;
};

PdfWriter::PdfWriter(const std::string& fileName, int pageWidth, int pageHeight, int dpi, const std::string& title)
    : impl_(std::make_unique<Impl>(fileName, pageWidth, pageHeight, dpi, title))
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

void PdfWriter::NoteSharedGlyphs(const std::map<char32_t, char32_t>& shared)
{
    for (const auto& [lowest, drawn] : shared) impl_->SharedGlyphs[lowest] = drawn;
}

void PdfWriter::Finish()
{
    if (impl_->Done) return;
    impl_->Done = true;
    std::map<char32_t, char32_t>& shared = impl_->SharedGlyphs;
    for (const auto& [lowest, drawn] : impl_->Canvas->SharedGlyphs()) shared[lowest] = drawn;
    const std::vector<PdfJpeg> jpegs = impl_->Canvas->PassedJpegs();
    impl_->Canvas.reset();
    QByteArray& written = impl_->Buffer.buffer();
    const bool ended = impl_->Painter.end();
    if (ended && !shared.empty())
        RenameSharedGlyphs(written.data(), static_cast<std::size_t>(written.size()), shared);
    const QByteArray pdf = ended ? PlaceJpegs(written, jpegs) : written;
    if (!ended || impl_->File.write(pdf) != pdf.size() || !impl_->File.commit()) {
        std::string message = impl_->Failed("に書き込めません。");
        impl_->File.cancelWriting();
        throw FileError(message);
    }
}

void PdfWriter::Abort()
{
    if (impl_->Done) return;
    impl_->Done = true;
    impl_->End();
    impl_->File.cancelWriting();
}

} // namespace platform
