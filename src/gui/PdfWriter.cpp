#include "gui/PdfWriter.h"

#include "gui/QtCanvas.h"
#include "platform/Errors.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <filesystem>

namespace platform {

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
    impl_->Canvas.reset();
    if (!impl_->Painter.end()) throw FileError("Cannot write '" + impl_->FileName + "'");
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
