#pragma once
// A printer for tests: each page of a job becomes a QImage at the printer's resolution and paper,
// every job call is logged, and the fonts, papers and failures are chosen by the test. The install
// helpers make the program's printer object one with just this printer, none, or a PDF printer.
#include "widgets/Uprintersupport.h"

#include <QImage>

#include <memory>
#include <string>
#include <vector>

namespace vkttest {

class RecordingPrinter : public TPrinterDevice {
public:
    // Papers A4 (the default), A3, B5 (JIS), Letter and the user-defined one (id 256).
    explicit RecordingPrinter(std::string name = "Recorder", int dpi = 96);

    std::string GetName() const override { return name; }
    std::vector<TPrinterPaper> GetPapers() const override { return papers; }
    TPrinterDevMode GetDefaultDevMode() const override { return defaults; }
    int GetResolution() const override { return dpi; }
    // The paper less `margin` pixels on every side.
    platform::Rect GetPrintableRect(const TPrinterDevMode& mode) const override;
    // `fonts` when set, else the default list.
    std::vector<std::string> GetFonts() const override;
    // Logs "PageSetup"; answers `pageSetupResult` and then applies `pageSetupMode` when it has one.
    bool PageSetup(TPrinterDevMode& mode) override;
    // Logs "BeginDoc|<title>"; null when `refuseJobs`, raises when `refuseMessage` is set.
    std::unique_ptr<TPrinterJob> BeginJob(const std::string& title, const TPrinterDevMode& mode) override;

    // Set-up.
    std::string name;
    int dpi;
    std::vector<TPrinterPaper> papers;
    TPrinterDevMode defaults;
    int margin = 0;
    std::vector<std::string> fonts;
    bool pageSetupResult = false;
    std::unique_ptr<TPrinterDevMode> pageSetupMode;
    bool refuseJobs = false;
    std::string refuseMessage;   // when set, BeginDoc raises platform::Error with it
    bool failEnd = false;   // EndDoc reports a failed write

    // Records: "BeginDoc|title", "NewPage", "EndDoc", "CancelDoc", "PageSetup"; the pages finished
    // by NewPage and EndDoc; the settings the last job began with.
    std::vector<std::string> log;
    std::vector<QImage> pages;
    TPrinterDevMode jobMode;
};

// Makes the printer object one with this printer (a new default one when null) and returns it.
RecordingPrinter& InstallRecordingPrinter(std::unique_ptr<RecordingPrinter> printer = nullptr);
// Makes the printer object one without any printer.
void InstallNoPrinter();
// Makes the printer object one with a PDF printer writing to fileName without asking (asking
// when empty).
void InstallPdfPrinter(const std::string& fileName);

// Restores the machine's printer object when the scope ends.
class PrinterScope {
public:
    PrinterScope() = default;
    ~PrinterScope();
    PrinterScope(const PrinterScope&) = delete;
    PrinterScope& operator=(const PrinterScope&) = delete;
};

} // namespace vkttest
