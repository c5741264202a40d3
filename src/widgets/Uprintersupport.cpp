#include "widgets/Uprintersupport.h"

#include "gui/Application.h"
#include "gui/BitmapCanvas.h"
#include "gui/FontTable.h"
#include "gui/Metafile.h"
#include "gui/PdfWriter.h"
#include "gui/QtCanvas.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "platform/Errors.h"
#include "platform/Text.h"
#include "widgets/Mvktmodule.h"
#include "widgets/Upapernamelist.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <filesystem>
#include <utility>

namespace {

const char* const kPdfPrinterName = "PDFファイル";

// Where the PDF printer suggests its files, and the name it uses for an untitled job.
std::string DocumentsFolder() { return VktMdl()->GetDocumentsFolder(); }
std::string ProductName() { return VktMdl()->GetProductName(); }

int MMToPixels(int hundredthsOfMM, int dpi)
{
    return static_cast<int>(static_cast<long long>(hundredthsOfMM) * dpi / 2540);
}

// The installed families and the old face names, sorted, each once.
std::vector<std::string> DefaultFontNames()
{
    platform::StringList list;
    list.SetIgnoreDuplicates(true);
    for (const QString& family : QFontDatabase::families()) list.Add(platform::FromQString(family));
    for (const std::string& face : platform::OldFaceNames()) list.Add(face);
    list.Sort();
    return list.GetStrings();
}

} // namespace

// ---- TPrinterDevice ------------------------------------------------------------------------------

platform::Point TPrinterDevice::PaperSizeMM(const TPrinterDevMode& mode) const
{
    if (IsCustomPaperID(mode.PaperSize) && (mode.PaperWidth > 0 || mode.PaperLength > 0))
        return {mode.PaperWidth * 10, mode.PaperLength * 10};
    for (const TPrinterPaper& paper : GetPapers())
        if (paper.ID == mode.PaperSize) return {paper.Width, paper.Height};
    return GetMMPaperSize_(mode.PaperSize);
}

platform::Point TPrinterDevice::GetPaperSize(const TPrinterDevMode& mode) const
{
    const platform::Point mm = PaperSizeMM(mode);
    const int dpi = GetResolution();
    platform::Point size{MMToPixels(mm.X, dpi), MMToPixels(mm.Y, dpi)};
    if (mode.Orientation == 2) std::swap(size.X, size.Y);
    return size;
}

platform::Rect TPrinterDevice::GetPrintableRect(const TPrinterDevMode& mode) const
{
    const platform::Point size = GetPaperSize(mode);
    return {0, 0, size.X, size.Y};
}

std::vector<std::string> TPrinterDevice::GetFonts() const { return DefaultFontNames(); }

void TPrinterDevice::ApplyToQPrinter(const TPrinterDevMode& mode, QPrinter& printer) const
{
    const platform::Point mm = PaperSizeMM(mode);
    const QSizeF size(std::max(1, mm.X) / 100.0, std::max(1, mm.Y) / 100.0);
    const bool custom = IsCustomPaperID(mode.PaperSize);
    printer.setPageSize(QPageSize(size, QPageSize::Millimeter, QString(),
                                  custom ? QPageSize::ExactMatch : QPageSize::FuzzyMatch));
    printer.setPageOrientation(mode.Orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
}

void TPrinterDevice::ReadFromQPrinter(const QPrinter& printer, TPrinterDevMode& mode) const
{
    const QPageLayout layout = printer.pageLayout();
    const QPageSize size = layout.pageSize();
    mode.Orientation = layout.orientation() == QPageLayout::Landscape ? 2 : 1;
    const int id = size.windowsId();
    const auto papers = GetPapers();
    if (!IsCustomPaperID(id) &&
        std::any_of(papers.begin(), papers.end(), [&](const TPrinterPaper& p) { return p.ID == id; })) {
        mode.PaperSize = id;
        mode.PaperWidth = mode.PaperLength = 0;
    } else {
        const QSizeF mm = size.size(QPageSize::Millimeter);
        mode.PaperSize = kUserPaperID;
        mode.PaperWidth = static_cast<int>(mm.width() * 10);
        mode.PaperLength = static_cast<int>(mm.height() * 10);
    }
}

bool TPrinterDevice::PageSetup(TPrinterDevMode& mode)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    ApplyToQPrinter(mode, printer);
    if (!platform::Services().PageSetup(printer)) return false;
    ReadFromQPrinter(printer, mode);
    return true;
}

// ---- the PDF printer -----------------------------------------------------------------------------

namespace {

// A page printed once is drawn straight into the file; with several copies each page is recorded
// and played `copies` times, so callers draw it once. Every page starts from the same canvas state.
class TPdfJob : public TPrinterJob {
public:
    TPdfJob(const std::string& fileName, const std::string& title, platform::Point paperMM,
            platform::Point paperPixels, int dpi, int copies)
        : writer_(fileName, paperMM.X, paperMM.Y, dpi, title), size_(paperPixels), dpi_(dpi), copies_(std::max(1, copies))
    {
        StartPage();
    }

    platform::Canvas& GetCanvas() override { return page_ ? page_->GetCanvas() : writer_.GetCanvas(); }

    void NewPage() override
    {
        FlushPage();
        StartPage();
    }

    bool End() override
    {
        FlushPage();
        try {
            writer_.Finish();
        } catch (const platform::FileError&) {
            return false;
        }
        return true;
    }

    void Cancel() override
    {
        page_.reset();
        writer_.Abort();
    }

private:
    void StartPage()
    {
        if (copies_ > 1) {
            page_ = std::make_unique<platform::MetafileRecorder>(size_.X, size_.Y, dpi_);
            return;
        }
        if (written_++ > 0) writer_.NewPage();
        writer_.GetCanvas().Save();
    }

    void FlushPage()
    {
        if (!page_) {
            writer_.GetCanvas().Restore();
            return;
        }
        if (const auto* canvas = dynamic_cast<const platform::QtCanvas*>(&page_->GetCanvas()))
            writer_.NoteSharedRadicals(canvas->SharedRadicals());
        const platform::Metafile page = page_->Finish();
        page_.reset();
        for (int copy = 0; copy < copies_; ++copy) {
            if (written_++ > 0) writer_.NewPage();
            writer_.GetCanvas().DrawMetafile({0, 0, size_.X, size_.Y}, page);
        }
    }

    platform::PdfWriter writer_;
    platform::Point size_;
    int dpi_;
    int copies_;
    int written_ = 0;
    std::unique_ptr<platform::MetafileRecorder> page_;
};

} // namespace

TPdfPrinterDevice::TPdfPrinterDevice(std::string fileName) : fileName_(std::move(fileName)) {}

std::string TPdfPrinterDevice::GetName() const { return kPdfPrinterName; }

std::vector<TPrinterPaper> TPdfPrinterDevice::GetPapers() const
{
    std::vector<TPrinterPaper> papers;
    for (const TPaperName& row : PaperNames())
        if (row.ID <= 118) papers.push_back({row.ID, row.Name, row.Width, row.Height});
    return papers;
}

TPrinterDevMode TPdfPrinterDevice::GetDefaultDevMode() const { return {}; }

std::unique_ptr<TPrinterJob> TPdfPrinterDevice::BeginJob(const std::string& title, const TPrinterDevMode& mode)
{
    std::string fileName = fileName_;
    if (fileName.empty()) {
        std::string name = title.empty() ? ProductName() : title;
        std::replace(name.begin(), name.end(), '/', '_');
        const auto chosen =
            platform::Services().SaveFile(kPdfPrinterName, "PDFファイル|*.pdf", DocumentsFolder(), name + ".pdf");
        if (!chosen || chosen->empty()) return nullptr;
        fileName = *chosen;
    }
    platform::Point mm = PaperSizeMM(mode);
    if (mode.Orientation == 2) std::swap(mm.X, mm.Y);
    return std::make_unique<TPdfJob>(fileName, title.empty() ? ProductName() : title, mm, GetPaperSize(mode),
                                     kResolution, mode.Copies);
}

// ---- the CUPS printers ---------------------------------------------------------------------------

namespace {

class TQtPrinterJob : public TPrinterJob {
public:
    explicit TQtPrinterJob(std::unique_ptr<QPrinter> printer) : printer_(std::move(printer)) {}

    // False when the printer refused to start.
    bool Start()
    {
        if (!painter_.begin(printer_.get())) return false;
        const int dpi = printer_->resolution();
        canvas_ = std::make_unique<platform::QtCanvas>(painter_, dpi, dpi, platform::CanvasKind::Printer);
        return true;
    }

    platform::Canvas& GetCanvas() override { return *canvas_; }
    void NewPage() override { printer_->newPage(); }

    bool End() override
    {
        canvas_.reset();
        return painter_.end() && printer_->printerState() != QPrinter::Error;
    }

    void Cancel() override
    {
        canvas_.reset();
        printer_->abort();
        if (painter_.isActive()) painter_.end();
    }

private:
    std::unique_ptr<QPrinter> printer_;
    QPainter painter_;
    std::unique_ptr<platform::QtCanvas> canvas_;
};

class TCupsPrinterDevice : public TPrinterDevice {
public:
    explicit TCupsPrinterDevice(const QPrinterInfo& info) : info_(info)
    {
        for (const QPageSize& size : info_.supportedPageSizes()) {
            const int id = size.windowsId();
            const QSizeF mm = size.size(QPageSize::Millimeter);
            const std::string tableName = PaperIDToName(id);
            papers_.push_back({id, tableName.empty() ? platform::FromQString(size.name()) : tableName,
                               static_cast<int>(mm.width() * 100), static_cast<int>(mm.height() * 100)});
        }
        resolution_ = MakePrinter()->resolution();
    }

    std::string GetName() const override { return platform::FromQString(info_.printerName()); }
    std::vector<TPrinterPaper> GetPapers() const override { return papers_; }
    int GetResolution() const override { return resolution_; }

    TPrinterDevMode GetDefaultDevMode() const override
    {
        TPrinterDevMode mode;
        const int id = info_.defaultPageSize().windowsId();
        const bool listed =
            std::any_of(papers_.begin(), papers_.end(), [&](const TPrinterPaper& p) { return p.ID == id; });
        if (listed)
            mode.PaperSize = id;
        else if (!papers_.empty())
            mode.PaperSize = papers_.front().ID;
        return mode;
    }

    platform::Rect GetPrintableRect(const TPrinterDevMode& mode) const override
    {
        auto printer = MakePrinter();
        ApplyToQPrinter(mode, *printer);
        QPageLayout layout = printer->pageLayout();
        layout.setMargins(layout.minimumMargins());
        return platform::FromQRect(layout.paintRectPixels(resolution_));
    }

    bool PageSetup(TPrinterDevMode& mode) override
    {
        auto printer = MakePrinter();
        ApplyToQPrinter(mode, *printer);
        if (!platform::Services().PageSetup(*printer)) return false;
        ReadFromQPrinter(*printer, mode);
        return true;
    }

    std::unique_ptr<TPrinterJob> BeginJob(const std::string& title, const TPrinterDevMode& mode) override
    {
        auto printer = MakePrinter();
        ApplyToQPrinter(mode, *printer);
        printer->setFullPage(true);
        printer->setCopyCount(std::max(1, mode.Copies));
        printer->setCollateCopies(false);
        printer->setDocName(platform::ToQString(title));
        auto job = std::make_unique<TQtPrinterJob>(std::move(printer));
        if (!job->Start()) return nullptr;
        return job;
    }

private:
    std::unique_ptr<QPrinter> MakePrinter() const
    {
        auto printer = std::make_unique<QPrinter>(info_, QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::NativeFormat);
        return printer;
    }

    QPrinterInfo info_;
    std::vector<TPrinterPaper> papers_;
    int resolution_ = 0;
};

} // namespace

std::vector<std::unique_ptr<TPrinterDevice>> SystemPrinterDevices(int& defaultIndex)
{
    std::vector<std::unique_ptr<TPrinterDevice>> devices;
    const QString defaultName = QPrinterInfo::defaultPrinterName();
    defaultIndex = -1;
    for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
        if (info.printerName() == defaultName) defaultIndex = static_cast<int>(devices.size());
        devices.push_back(std::make_unique<TCupsPrinterDevice>(info));
    }
    if (defaultIndex < 0) defaultIndex = static_cast<int>(devices.size());
    devices.push_back(std::make_unique<TPdfPrinterDevice>());
    return devices;
}

// ---- TPrinterObject ------------------------------------------------------------------------------

TPrinterObject::TPrinterObject(std::vector<std::unique_ptr<TPrinterDevice>> devices, int defaultIndex)
    : devices_(std::move(devices))
{
    if (!devices_.empty()) defaultIndex_ = std::clamp(defaultIndex, 0, static_cast<int>(devices_.size()) - 1);
    SetPrinterIndex(-1);
}

TPrinterObject::~TPrinterObject()
{
    if (job_) job_->Cancel();
    for (const auto& handler : handlers_) handler->owner_ = nullptr;
}

std::shared_ptr<TPrnObjEventHandler> TPrinterObject::AddHandler()
{
    auto handler = std::make_shared<TPrnObjEventHandler>();
    handler->owner_ = this;
    handlers_.push_back(handler);
    return handler;
}

TPrnObjEventHandler* TPrinterObject::GetEventHandler() { return AddHandler().get(); }

void TPrinterObject::DeleteEventHandler(TPrnObjEventHandler* handler)
{
    const auto it = std::find_if(handlers_.begin(), handlers_.end(),
                                 [&](const auto& entry) { return entry.get() == handler; });
    if (it == handlers_.end()) return;
    (*it)->owner_ = nullptr;
    handlers_.erase(it);
}

void TPrinterObject::DoChange(bool printerChanged)
{
    platform::BusyCursor busy;
    const auto handlers = handlers_;   // a listener may add or withdraw others
    for (const auto& handler : handlers)
        if (handler->owner_ == this && handler->OnChange) handler->OnChange(this, printerChanged);
}

bool TPrinterObject::BeginDoc(const std::string& title)
{
    if (!GetEnabled()) return false;
    job_ = devices_[current_]->BeginJob(title, devMode_);
    return job_ != nullptr;
}

void TPrinterObject::NewPage()
{
    if (job_) job_->NewPage();
}

bool TPrinterObject::EndDoc()
{
    if (!job_) return false;
    const auto job = std::move(job_);
    return job->End();
}

void TPrinterObject::CancelDoc()
{
    if (!job_) return;
    const auto job = std::move(job_);
    job->Cancel();
}

int TPrinterObject::GetPixelParInch() const
{
    return GetHasPrinter() ? devices_[current_]->GetResolution() : platform::ScreenPixelsPerInch();
}

bool TPrinterObject::GetEnabled() const { return GetHasPrinter() && !job_; }

platform::Canvas& TPrinterObject::GetCanvas()
{
    if (job_) return job_->GetCanvas();
    const int dpi = GetPixelParInch();
    if (!measure_ || measureDpi_ != dpi) {
        measure_ = std::make_unique<platform::BitmapCanvas>(1, 1, dpi);
        measureDpi_ = dpi;
    }
    return *measure_;
}

platform::Rect TPrinterObject::GetDrawRect() const
{
    if (!GetHasPrinter()) return {0, 0, 1, 1};
    return devices_[current_]->GetPrintableRect(devMode_);
}

void TPrinterObject::ResetDevMode()
{
    devMode_ = GetHasPrinter() ? devices_[current_]->GetDefaultDevMode() : TPrinterDevMode{};
}

int TPrinterObject::GetPrinterIndex() const { return GetHasPrinter() ? current_ : 0; }

void TPrinterObject::SetPrinterIndex(int index)
{
    if (GetHasPrinter() && !(index >= 0 && index == current_) && GetEnabled()) {
        if (index >= static_cast<int>(devices_.size())) platform::RaiseListIndex(index);
        current_ = index < 0 ? defaultIndex_ : index;
        ResetDevMode();
        FillPapers();
        ReadPaperSize();
    } else if (!GetHasPrinter()) {
        FillPapers();
    }
    DoChange(GetEnabled());
}

std::string TPrinterObject::GetPrinterName() const
{
    return GetHasPrinter() ? devices_[current_]->GetName() : std::string();
}

void TPrinterObject::EnumPrinter(platform::StringList& list) const
{
    list.Clear();
    if (!GetHasPrinter()) {
        list.Add("未接続");
        return;
    }
    for (const auto& device : devices_) list.Add(device->GetName());
}

int TPrinterObject::PrinterNameToIndex(const std::string& name) const
{
    platform::StringList list;
    EnumPrinter(list);
    return list.IndexOf(name);
}

void TPrinterObject::FillPapers()
{
    papers_.Clear();
    if (GetHasPrinter())
        for (const TPrinterPaper& paper : devices_[current_]->GetPapers())
            papers_.AddObject(paper.Name, PaperIDToObject(paper.ID));
    if (papers_.IsEmpty()) papers_.Add("未定義");
}

void TPrinterObject::ReadPaperSize()
{
    paperSize_ = GetHasPrinter() ? devices_[current_]->GetPaperSize(devMode_) : platform::Point{};
}

int TPrinterObject::GetPaperType() const { return GetHasPrinter() ? devMode_.PaperSize : 0; }

int TPrinterObject::GetPaperIndex() const
{
    return GetHasPrinter() ? papers_.IndexOfObject(PaperIDToObject(devMode_.PaperSize)) : 0;
}

void TPrinterObject::SetPaperIndex(int index)
{
    if (Settable()) {
        const int id = PaperIDOfObject(papers_.GetObject(index));
        devMode_.PaperSize = id;
        if (IsCustomPaperID(id)) {
            // The current paper, portrait, in tenths of a millimetre.
            platform::Point size = paperSize_;
            if (devMode_.Orientation == 2) std::swap(size.X, size.Y);
            const int dpi = GetPixelParInch();
            devMode_.PaperWidth = static_cast<int>(static_cast<long long>(size.X) * 254 / dpi);
            devMode_.PaperLength = static_cast<int>(static_cast<long long>(size.Y) * 254 / dpi);
        } else {
            devMode_.PaperWidth = devMode_.PaperLength = 0;
        }
    }
    ReadPaperSize();
    DoChange(false);
}

void TPrinterObject::EnumPaper(platform::StringList& list) const
{
    list.Clear();
    list.AddStrings(papers_);
}

int TPrinterObject::PaperNameToIndex(const std::string& name) const { return papers_.IndexOf(name); }

std::string TPrinterObject::PaperIndexToName(int index) const { return papers_.GetString(index); }

int TPrinterObject::GetCopyCount() const { return GetHasPrinter() ? devMode_.Copies : 1; }

void TPrinterObject::SetCopyCount(int count)
{
    if (Settable()) devMode_.Copies = count;
    DoChange(false);
}

bool TPrinterObject::GetOrientation() const { return GetHasPrinter() && devMode_.Orientation == 2; }

void TPrinterObject::SetOrientation(bool landscape)
{
    if (Settable()) {
        devMode_.Orientation = landscape ? 2 : 1;
        ReadPaperSize();
    }
    DoChange(false);
}

int TPrinterObject::GetScale() const { return GetHasPrinter() ? devMode_.Scale : 100; }

void TPrinterObject::SetScale(int scale)
{
    if (Settable()) {
        devMode_.Scale = scale;
        ReadPaperSize();
    }
    DoChange(false);
}

bool TPrinterObject::ShowPropertyDialog()
{
    if (!Settable()) return false;
    TPrinterDevMode mode = devMode_;
    if (!devices_[current_]->PageSetup(mode)) return false;
    devMode_ = mode;
    ReadPaperSize();
    DoChange(false);
    return true;
}

const std::vector<std::string>& TPrinterObject::Fonts() const
{
    const int of = GetHasPrinter() ? current_ : -1;
    if (fontsOf_ != of || fonts_.empty()) {
        fonts_ = GetHasPrinter() ? devices_[current_]->GetFonts() : DefaultFontNames();
        fontsOf_ = of;
    }
    return fonts_;
}

void TPrinterObject::EnumFont(platform::StringList& list) const
{
    list.Clear();
    for (const std::string& face : Fonts()) list.Add(face);
}

platform::FontSpec TPrinterObject::GetLogFont(const std::string& faceName) const
{
    platform::FontSpec spec;
    spec.Face = faceName;
    spec.Weight = 0;
    const auto& fonts = Fonts();
    const auto same = [&](const std::string& face) { return platform::SameText(face, faceName); };
    if (std::none_of(fonts.begin(), fonts.end(), same)) {
        spec.CharSet = 1;
        spec.PitchAndFamily = 0;
        return spec;
    }
    spec.CharSet = platform::FaceSupportsJapanese(faceName) ? 128 : 0;
    // Fixed pitch by the glyphs: CJK monospace faces do not call themselves fixed.
    QFont font(platform::ToQString(platform::InstalledFace(faceName)));
    font.setPixelSize(20);
    const QFontMetrics metrics(font);
    spec.PitchAndFamily = metrics.horizontalAdvance(QLatin1Char('i')) == metrics.horizontalAdvance(QLatin1Char('W')) ? 1 : 2;
    return spec;
}

// ---- the one printer object ----------------------------------------------------------------------

namespace {

std::unique_ptr<TPrinterObject>& ThePrinterObject()
{
    static std::unique_ptr<TPrinterObject> printer;
    return printer;
}

void ReleaseAtExit()
{
    static bool registered = false;
    if (registered || !platform::Application::Instance()) return;
    registered = true;
    platform::Application::Instance()->AtExit([] { ThePrinterObject().reset(); });
}

} // namespace

TPrinterObject* PrinterObject()
{
    auto& printer = ThePrinterObject();
    if (!printer) {
        int defaultIndex = 0;
        auto devices = SystemPrinterDevices(defaultIndex);
        printer = std::make_unique<TPrinterObject>(std::move(devices), defaultIndex);
        ReleaseAtExit();
    }
    return printer.get();
}

void SetPrinterObject(std::unique_ptr<TPrinterObject> printer)
{
    ThePrinterObject() = std::move(printer);
    if (ThePrinterObject()) ReleaseAtExit();
}

// ---- TPrnObjListener -----------------------------------------------------------------------------

TPrnObjListener::TPrnObjListener(std::function<void(TPrinterObject*, bool)> onChange, TPrinterObject* printer)
{
    if (!printer) return;
    handler_ = printer->AddHandler();
    handler_->OnChange = std::move(onChange);
}

TPrnObjListener::~TPrnObjListener() { Reset(); }

TPrnObjListener::TPrnObjListener(TPrnObjListener&& other) noexcept : handler_(std::move(other.handler_)) {}

TPrnObjListener& TPrnObjListener::operator=(TPrnObjListener&& other) noexcept
{
    if (this != &other) {
        Reset();
        handler_ = std::move(other.handler_);
    }
    return *this;
}

void TPrnObjListener::Reset()
{
    if (handler_ && handler_->owner_) handler_->owner_->DeleteEventHandler(handler_.get());
    handler_.reset();
}
