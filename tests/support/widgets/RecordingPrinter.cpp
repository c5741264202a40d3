#include "support/widgets/RecordingPrinter.h"

#include "gui/BitmapCanvas.h"
#include "gui/Image.h"
#include "platform/Errors.h"
#include "widgets/Upapernamelist.h"

namespace vkttest {

namespace {

class RecordingJob : public TPrinterJob {
public:
    RecordingJob(RecordingPrinter& printer, platform::Point size) : printer_(printer), size_(size) { StartPage(); }

    platform::Canvas& GetCanvas() override { return *page_; }

    void NewPage() override
    {
        printer_.log.push_back("NewPage");
        FinishPage();
        StartPage();
    }

    bool End() override
    {
        printer_.log.push_back("EndDoc");
        FinishPage();
        return !printer_.failEnd;
    }

    void Cancel() override
    {
        printer_.log.push_back("CancelDoc");
        page_.reset();
    }

private:
    void StartPage()
    {
        page_ = std::make_unique<platform::BitmapCanvas>(std::max(1, size_.X), std::max(1, size_.Y), printer_.dpi);
    }
    void FinishPage() { printer_.pages.push_back(page_->GetImage().Q().copy()); }

    RecordingPrinter& printer_;
    platform::Point size_;
    std::unique_ptr<platform::BitmapCanvas> page_;
};

} // namespace

RecordingPrinter::RecordingPrinter(std::string name_, int dpi_) : name(std::move(name_)), dpi(dpi_)
{
    for (int id : {9, 8, 13, 1, 256}) {
        const platform::Point size = GetMMPaperSize_(id);
        papers.push_back({id, PaperIDToName(id), size.X, size.Y});
    }
}

platform::Rect RecordingPrinter::GetPrintableRect(const TPrinterDevMode& mode) const
{
    const platform::Point size = GetPaperSize(mode);
    return {margin, margin, size.X - margin, size.Y - margin};
}

std::vector<std::string> RecordingPrinter::GetFonts() const
{
    return fonts.empty() ? TPrinterDevice::GetFonts() : fonts;
}

bool RecordingPrinter::PageSetup(TPrinterDevMode& mode)
{
    log.push_back("PageSetup");
    if (pageSetupResult && pageSetupMode) mode = *pageSetupMode;
    return pageSetupResult;
}

std::unique_ptr<TPrinterJob> RecordingPrinter::BeginJob(const std::string& title, const TPrinterDevMode& mode)
{
    log.push_back("BeginDoc|" + title);
    if (!refuseMessage.empty()) throw platform::Error(refuseMessage);
    if (refuseJobs) return nullptr;
    jobMode = mode;
    return std::make_unique<RecordingJob>(*this, GetPaperSize(mode));
}

RecordingPrinter& InstallRecordingPrinter(std::unique_ptr<RecordingPrinter> printer)
{
    if (!printer) printer = std::make_unique<RecordingPrinter>();
    RecordingPrinter& result = *printer;
    std::vector<std::unique_ptr<TPrinterDevice>> devices;
    devices.push_back(std::move(printer));
    SetPrinterObject(std::make_unique<TPrinterObject>(std::move(devices), 0));
    return result;
}

void InstallNoPrinter() { SetPrinterObject(std::make_unique<TPrinterObject>(std::vector<std::unique_ptr<TPrinterDevice>>{}, 0)); }

void InstallPdfPrinter(const std::string& fileName)
{
    std::vector<std::unique_ptr<TPrinterDevice>> devices;
    devices.push_back(std::make_unique<TPdfPrinterDevice>(fileName));
    SetPrinterObject(std::make_unique<TPrinterObject>(std::move(devices), 0));
}

PrinterScope::~PrinterScope() { SetPrinterObject(nullptr); }

} // namespace vkttest
