#include "widgets/Uprintersupport.h"

#include "gui/Application.h"
#include "gui/BitmapCanvas.h"
#include "gui/FontTable.h"
#include "gui/PageRecording.h"
#include "gui/PaintAside.h"
#include "gui/PdfWriter.h"
#include "gui/QtCanvas.h"
#include "gui/QtSupport.h"
#include "gui/RunPump.h"
#include "gui/Services.h"
#include "platform/Errors.h"
#include "platform/Text.h"
#include "platform/Units.h"
#include "widgets/Mvktmodule.h"
#include "widgets/Ucupsprinter.h"
#include "widgets/Upapernamelist.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>

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
    return static_cast<int>(static_cast<long long>(hundredthsOfMM) * dpi / platform::kHundredthMMPerInch);
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
    // A paper of the printer's own (ids from 257 on) keeps its size; the user's paper takes the
    // settings' size.
    const std::vector<TPrinterPaper> papers = GetPapers();
    const auto listed = std::find_if(papers.begin(), papers.end(),
                                     [&](const TPrinterPaper& paper) { return paper.ID == mode.PaperSize; });
    const bool own = mode.PaperSize > kUserPaperID && listed != papers.end();
    if (!own && IsCustomPaperID(mode.PaperSize) && (mode.PaperWidth > 0 || mode.PaperLength > 0))
        return {mode.PaperWidth * 10, mode.PaperLength * 10};
    if (listed != papers.end()) return {listed->Width, listed->Height};
    return GetMMPaperSize_(mode.PaperSize);
}

platform::Point TPrinterDevice::GetPaperSize(const TPrinterDevMode& mode) const
{
    const platform::Point mm = PaperSizeMM(mode);
    const int dpi = GetResolution();
    platform::Point size{MMToPixels(mm.X, dpi), MMToPixels(mm.Y, dpi)};
    if (mode.Orientation == kLandscape) std::swap(size.X, size.Y);
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
    printer.setPageOrientation(mode.Orientation == kLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

void TPrinterDevice::ReadFromQPrinter(const QPrinter& printer, TPrinterDevMode& mode) const
{
    const QPageLayout layout = printer.pageLayout();
    const QPageSize size = layout.pageSize();
    mode.Orientation = layout.orientation() == QPageLayout::Landscape ? kLandscape : kPortrait;
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
// and played `copies` times, so callers draw it once. Every page starts from the same canvas state,
// its origin at the printable area's corner.
class TPdfJob : public TPrinterJob {
public:
    TPdfJob(const std::string& fileName, const std::string& title, platform::Point paperMM, int dpi, int copies,
            platform::Point origin)
        : writer_(fileName, paperMM.X, paperMM.Y, dpi, title),
          size_{MMToPixels(paperMM.X, dpi), MMToPixels(paperMM.Y, dpi)}, dpi_(dpi), copies_(std::max(1, copies)),
          origin_(origin)
    {
        StartPage();
    }

    platform::Canvas& GetCanvas() override { return page_ ? page_->GetCanvas() : writer_.GetCanvas(); }

    void NewPage() override
    {
        FlushPage();
        StartPage();
    }

    // A file that cannot be written raises the writer's message (the printer object keeps it).
    bool End() override
    {
        FlushPage();
        writer_.Finish();
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
            page_ = std::make_unique<platform::PageRecorder>(size_.X, size_.Y, dpi_);
            // Its pictures at the page's resolution, as drawn straight onto it.
            if (auto* canvas = dynamic_cast<platform::QtCanvas*>(&page_->GetCanvas())) canvas->CapImagesToResolution();
        } else {
            if (written_++ > 0) writer_.NewPage();
            writer_.GetCanvas().Save();
        }
        if (QPainter* painter = GetCanvas().GetPainter(); painter && (origin_.X != 0 || origin_.Y != 0))
            painter->translate(origin_.X, origin_.Y);
    }

    void FlushPage()
    {
        if (!page_) {
            writer_.GetCanvas().Restore();
            return;
        }
        if (const auto* canvas = dynamic_cast<const platform::QtCanvas*>(&page_->GetCanvas()))
            writer_.NoteSharedGlyphs(canvas->SharedGlyphs());
        const platform::PageRecording page = page_->Finish();
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
    platform::Point origin_;
    int written_ = 0;
    std::unique_ptr<platform::PageRecorder> page_;
};

} // namespace

std::unique_ptr<TPrinterJob> MakePdfFileJob(const std::string& fileName, const std::string& title,
                                            platform::Point paperMM, int dpi, int copies, platform::Point origin)
{
    return std::make_unique<TPdfJob>(fileName, title, paperMM, dpi, copies, origin);
}

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
    if (mode.Orientation == kLandscape) std::swap(mm.X, mm.Y);
    return MakePdfFileJob(fileName, title.empty() ? ProductName() : title, mm, kResolution, mode.Copies);
}

// ---- the machine's printers ---------------------------------------------------------------------

std::vector<std::unique_ptr<TPrinterDevice>> SystemPrinterDevices(int& defaultIndex)
{
    std::vector<std::unique_ptr<TPrinterDevice>> devices = CupsPrinterDevices(defaultIndex);
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

bool TPrinterObject::BeginDoc(const std::string& title, platform::RunPump* pump)
{
    lastError_.clear();
    if (!GetEnabled()) return false;
    try {
        job_ = devices_[current_]->BeginJob(title, devMode_);
    } catch (const platform::Error& error) {
        lastError_ = error.Message();
        return false;
    }
    pump_ = pump;
    if (job_) StartPage();
    return job_ != nullptr;
}

void TPrinterObject::NewPage()
{
    if (!job_) return;
    // The page ended is written out (and the next begun) aside when its pictures were: a page of
    // text is written in a fraction of a millisecond, less than handing it over costs.
    platform::PaintAside([this] { job_->NewPage(); }, PagePaintedAside() ? pump_ : nullptr);
    StartPage();
}

bool TPrinterObject::PagePaintedAside() const { return pump_ && pump_->PaintsAside() != asideBeforePage_; }

void TPrinterObject::StartPage()
{
    platform::Canvas& page = job_->GetCanvas();
    page.SetRunPump(pump_);
    if (pump_) asideBeforePage_ = pump_->PaintsAside();
    const int percent = ScalePercent();
    if (percent == 100) return;
    if (QPainter* painter = page.GetPainter()) painter->scale(percent / 100.0, percent / 100.0);
}

int TPrinterObject::PageLength(int paperPixels) const
{
    return static_cast<int>(static_cast<long long>(paperPixels) * 100 / ScalePercent());
}

bool TPrinterObject::EndDoc()
{
    lastError_.clear();
    if (!job_) return false;
    const auto job = std::move(job_);
    platform::RunPump* const pump = std::exchange(pump_, nullptr);
    try {
        // The file is written and sent aside during a run.
        bool ended = false;
        platform::PaintAside([&] { ended = job->End(); }, pump);
        return ended;
    } catch (const platform::Error& error) {
        lastError_ = error.Message();
        return false;
    }
}

void TPrinterObject::CancelDoc()
{
    if (!job_) return;
    const auto job = std::move(job_);
    pump_ = nullptr;
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
    const platform::Rect paper = devices_[current_]->GetPrintableRect(devMode_);
    return {PageLength(paper.Left), PageLength(paper.Top), PageLength(paper.Right), PageLength(paper.Bottom)};
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
    if (!GetHasPrinter()) {
        paperSize_ = {};
        return;
    }
    const platform::Point paper = devices_[current_]->GetPaperSize(devMode_);
    paperSize_ = {PageLength(paper.X), PageLength(paper.Y)};
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
        // The current paper itself (not the scaled page), portrait.
        platform::Point size = devices_[current_]->GetPaperSize(devMode_);
        if (devMode_.Orientation == kLandscape) std::swap(size.X, size.Y);
        devMode_.PaperSize = id;
        if (IsCustomPaperID(id)) {
            // In tenths of a millimetre.
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

bool TPrinterObject::GetOrientation() const { return GetHasPrinter() && devMode_.Orientation == kLandscape; }

void TPrinterObject::SetOrientation(bool landscape)
{
    if (Settable()) {
        devMode_.Orientation = landscape ? kLandscape : kPortrait;
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
