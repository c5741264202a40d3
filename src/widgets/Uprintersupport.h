#pragma once
// The program's one printer: the chosen printer with its paper, orientation, copies and scale, its
// fonts and printable area, the print job, and the listeners told of every change.
//
// Printers are TPrinterDevices: the CUPS queues and a built-in PDF printer. Lengths are device
// pixels at the printer's resolution, origin at the paper's top-left corner; a job's canvas has its
// origin at the printable area's corner. The scale draws every page at that percentage, as a
// driver does: the paper and the printable area the object reports grow by 100 / scale, and the
// job's canvas shrinks by scale / 100 around its origin. Without any printer the object answers
// with fixed values, its setters only notify, and drawing goes to a small bitmap canvas.
#include "gui/Canvas.h"
#include "platform/StringList.h"
#include "widgets/Upapernamelist.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QPrinter;

// TPrinterDevMode::Orientation values.
inline constexpr int kPortrait = 1;
inline constexpr int kLandscape = 2;

// The settings of the chosen printer.
struct TPrinterDevMode {
    int PaperSize = kA4PaperID;  // paper id
    int PaperWidth = 0;          // portrait size of a custom paper (id 0 or 256 and above) in 1/10 mm;
    int PaperLength = 0;         // 0 for the others
    int Orientation = kPortrait; // or kLandscape
    int Copies = 1;
    int Scale = 100;             // percent
    bool operator==(const TPrinterDevMode&) const = default;
};

// A paper a printer offers: id, name and portrait size in 1/100 mm.
struct TPrinterPaper {
    int ID = 0;
    std::string Name;
    int Width = 0;
    int Height = 0;
};

// True for the ids of custom papers (0 and 256 or above).
inline bool IsCustomPaperID(int id) { return id == 0 || id >= 256; }

// One running print job.
class TPrinterJob {
public:
    TPrinterJob() = default;
    TPrinterJob(const TPrinterJob&) = delete;
    TPrinterJob& operator=(const TPrinterJob&) = delete;
    virtual ~TPrinterJob() = default;

    // The canvas of the current page.
    virtual platform::Canvas& GetCanvas() = 0;
    virtual void NewPage() = 0;
    // Completes the job; false when it could not be written. May raise platform::Error with a
    // message for the user instead.
    virtual bool End() = 0;
    // Abandons the job; nothing of it remains.
    virtual void Cancel() = 0;
};

// One printer.
class TPrinterDevice {
public:
    TPrinterDevice() = default;
    TPrinterDevice(const TPrinterDevice&) = delete;
    TPrinterDevice& operator=(const TPrinterDevice&) = delete;
    virtual ~TPrinterDevice() = default;

    virtual std::string GetName() const = 0;
    // In the driver's order.
    virtual std::vector<TPrinterPaper> GetPapers() const = 0;
    // The driver's default settings.
    virtual TPrinterDevMode GetDefaultDevMode() const = 0;
    // Pixels per inch.
    virtual int GetResolution() const = 0;
    // The paper in pixels as the settings lay it (landscape swaps the sides).
    virtual platform::Point GetPaperSize(const TPrinterDevMode& mode) const;
    // The printable area in pixels relative to the paper; the whole paper by default.
    virtual platform::Rect GetPrintableRect(const TPrinterDevMode& mode) const;
    // The face names the printer offers, sorted, each once: by default the installed families and
    // the program's old face names.
    virtual std::vector<std::string> GetFonts() const;
    // Lets the user edit paper and orientation; true when confirmed (the settings then changed).
    virtual bool PageSetup(TPrinterDevMode& mode);
    // Starts a job at the settings' paper and orientation (not their scale; the printer object
    // scales the canvas). Null when the user cancelled; a printer that cannot print raises
    // platform::Error with a message for the user.
    virtual std::unique_ptr<TPrinterJob> BeginJob(const std::string& title, const TPrinterDevMode& mode) = 0;

protected:
    // The portrait paper size of the settings in 1/100 mm: the listed paper, or the settings' own
    // size for a custom one.
    platform::Point PaperSizeMM(const TPrinterDevMode& mode) const;
    // Prepares a QPrinter with the paper and orientation of the settings, and reads them back.
    void ApplyToQPrinter(const TPrinterDevMode& mode, QPrinter& printer) const;
    void ReadFromQPrinter(const QPrinter& printer, TPrinterDevMode& mode) const;
};

// The built-in PDF printer "PDFファイル": 600 dpi, the table's papers (ids 1 to 118) at their exact
// sizes, whole paper printable. A job asks for the file name unless the printer was given one.
class TPdfPrinterDevice : public TPrinterDevice {
public:
    static constexpr int kResolution = 600;

    // An empty fileName asks the user at each job.
    explicit TPdfPrinterDevice(std::string fileName = {});

    std::string GetName() const override;
    std::vector<TPrinterPaper> GetPapers() const override;
    TPrinterDevMode GetDefaultDevMode() const override;
    int GetResolution() const override { return kResolution; }
    std::unique_ptr<TPrinterJob> BeginJob(const std::string& title, const TPrinterDevMode& mode) override;

private:
    std::string fileName_;
};

// A job writing a PDF file of `paperMM` (1/100 mm, as laid) whose pages are drawn at `dpi` from
// `origin`, the printable area's corner in pixels; with several copies each page is written
// `copies` times in a row. An unwritable file raises platform::FileError.
std::unique_ptr<TPrinterJob> MakePdfFileJob(const std::string& fileName, const std::string& title,
                                            platform::Point paperMM, int dpi, int copies,
                                            platform::Point origin = {});

// The printers of the machine: the CUPS queues in the system's order, then the PDF printer.
// defaultIndex receives the default queue's index, or the PDF printer's when there is none.
std::vector<std::unique_ptr<TPrinterDevice>> SystemPrinterDevices(int& defaultIndex);

class TPrinterObject;

// One listener entry; the printer object owns it.
class TPrnObjEventHandler {
public:
    std::function<void(TPrinterObject* sender, bool printerChanged)> OnChange;

private:
    friend class TPrinterObject;
    friend class TPrnObjListener;
    TPrinterObject* owner_ = nullptr;   // null once withdrawn or when the object is gone
};

class TPrinterObject {
public:
    // The printers and the index chosen by SetPrinterIndex(-1); an empty list makes the object
    // without a printer.
    TPrinterObject(std::vector<std::unique_ptr<TPrinterDevice>> devices, int defaultIndex);
    ~TPrinterObject();
    TPrinterObject(const TPrinterObject&) = delete;
    TPrinterObject& operator=(const TPrinterObject&) = delete;

    // Listeners, called in the order added. A handler is valid until withdrawn or until the
    // object ends.
    TPrnObjEventHandler* GetEventHandler();
    // Withdraws the handler; it is not called again, even by a DoChange under way.
    void DeleteEventHandler(TPrnObjEventHandler* handler);
    int GetEventHandlerCount() const { return static_cast<int>(handlers_.size()); }
    // Calls every listener under the busy cursor.
    void DoChange(bool printerChanged);

    // Job. BeginDoc: false when no job started (disabled, cancelled, refused); `pump`, the run's
    // (kept by its owner until the job ends), has the pages' pictures painted aside (PaintAside.h),
    // a page whose pictures were written aside, and the job ended aside. EndDoc: false when the job
    // was not completed. GetCanvas: the job's page
    // between BeginDoc and EndDoc, drawing for the run's pump, otherwise a measuring canvas at the
    // printer's resolution.
    bool BeginDoc(const std::string& title, platform::RunPump* pump = nullptr);
    void NewPage();
    bool EndDoc();
    void CancelDoc();
    bool GetPrinting() const { return job_ != nullptr; }
    // Why the last BeginDoc or EndDoc failed, for the user; empty after a success or a cancel.
    const std::string& GetLastError() const { return lastError_; }

    // Device.
    int GetPixelParInch() const;
    // A printer exists and no job runs.
    bool GetEnabled() const;
    platform::Canvas& GetCanvas();
    platform::Rect GetDrawRect() const;
    platform::Point GetPaperSize() const { return paperSize_; }
    bool GetHasPrinter() const { return !devices_.empty(); }
    // The settings of the chosen printer (default values without a printer).
    const TPrinterDevMode& GetDevMode() const { return devMode_; }
    // Back to the driver's default settings (no notice).
    void ResetDevMode();

    // Printer choice; a negative index selects the default printer.
    int GetPrinterIndex() const;
    void SetPrinterIndex(int index);
    std::string GetPrinterName() const;
    void EnumPrinter(platform::StringList& list) const;
    int PrinterNameToIndex(const std::string& name) const;

    // Paper: the entries carry the paper id as their object.
    int GetPaperType() const;
    int GetPaperIndex() const;
    void SetPaperIndex(int index);
    void EnumPaper(platform::StringList& list) const;
    int PaperNameToIndex(const std::string& name) const;
    // Raises platform::ListIndexError outside the list.
    std::string PaperIndexToName(int index) const;

    int GetCopyCount() const;
    void SetCopyCount(int count);
    // True for landscape.
    bool GetOrientation() const;
    void SetOrientation(bool landscape);
    int GetScale() const;
    void SetScale(int scale);

    // The printer's page set-up; true when confirmed.
    bool ShowPropertyDialog();

    // Fonts.
    void EnumFont(platform::StringList& list) const;
    // The face's description: CharSet 128 when it writes Japanese, else 0; pitch 1 fixed or 2
    // variable; everything else 0. A face the printer does not know gets CharSet 1 and pitch 0.
    platform::FontSpec GetLogFont(const std::string& faceName) const;

private:
    friend class TPrnObjListener;
    std::shared_ptr<TPrnObjEventHandler> AddHandler();
    bool Settable() const { return GetEnabled(); }
    void ReadPaperSize();
    void FillPapers();
    // The scale in effect (100 for a value below 1), and the page's length for a length of paper
    // (paper pixels × 100 / scale).
    int ScalePercent() const { return devMode_.Scale > 0 ? devMode_.Scale : 100; }
    int PageLength(int paperPixels) const;
    // Readies the job's current page: shrunk by the scale, drawing for the run's pump.
    void StartPage();
    // The page's pictures were painted aside: its change (its writing) is long too.
    bool PagePaintedAside() const;
    const std::vector<std::string>& Fonts() const;

    std::vector<std::unique_ptr<TPrinterDevice>> devices_;
    int defaultIndex_ = 0;
    int current_ = 0;
    TPrinterDevMode devMode_;
    platform::Point paperSize_;
    platform::StringList papers_;
    std::vector<std::shared_ptr<TPrnObjEventHandler>> handlers_;
    std::unique_ptr<TPrinterJob> job_;
    platform::RunPump* pump_ = nullptr; // the job's run's, not owned
    std::size_t asideBeforePage_ = 0;   // the pump's paints aside before the current page
    std::string lastError_;
    std::unique_ptr<platform::Canvas> measure_;
    int measureDpi_ = 0;
    mutable std::vector<std::string> fonts_;
    mutable int fontsOf_ = -1;
};

// The one printer object, made on first use from the machine's printers and released when the
// application ends.
TPrinterObject* PrinterObject();
// Installs another printer object (null: the machine's, made on next use). Listeners of the old
// one are dropped with it.
void SetPrinterObject(std::unique_ptr<TPrinterObject> printer);

// A listener that withdraws itself when destroyed.
class TPrnObjListener {
public:
    TPrnObjListener() = default;
    explicit TPrnObjListener(std::function<void(TPrinterObject* sender, bool printerChanged)> onChange,
                             TPrinterObject* printer = PrinterObject());
    ~TPrnObjListener();
    TPrnObjListener(TPrnObjListener&& other) noexcept;
    TPrnObjListener& operator=(TPrnObjListener&& other) noexcept;

    // Withdraws now.
    void Reset();

private:
    std::shared_ptr<TPrnObjEventHandler> handler_;
};
