#include "widgets/Uprintersupport.h"

#include "gui/Image.h"
#include "platform/Errors.h"
#include "support/Command.h"
#include "support/ScriptedServices.h"
#include "support/widgets/RecordingPrinter.h"
#include "widgets/Mvktmodule.h"
#include "widgets/Upapernamelist.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using vkttest::RecordingPrinter;

// Records every notice as "<id>:<printerChanged>".
struct NoticeLog {
    std::vector<std::string> lines;
    std::function<void(TPrinterObject*, bool)> Make(const std::string& id)
    {
        return [this, id](TPrinterObject*, bool changed) { lines.push_back(id + ":" + (changed ? "1" : "0")); };
    }
};

std::vector<std::string> Strings(const platform::StringList& list) { return list.GetStrings(); }

using vkttest::Capture;

class PrinterObjectTest : public testing::Test {
protected:
    void SetUp() override { vkttest::Scripted().Reset(); }
    vkttest::PrinterScope scope_;
};

TEST_F(PrinterObjectTest, WithoutPrinterAnswersFixedValuesAndOnlyNotifies)
{
    vkttest::InstallNoPrinter();
    TPrinterObject& printer = *PrinterObject();
    NoticeLog log;
    TPrnObjListener listener(log.Make("a"));

    EXPECT_FALSE(printer.GetEnabled());
    EXPECT_EQ(printer.GetDrawRect(), (platform::Rect{0, 0, 1, 1}));
    EXPECT_EQ(printer.GetPaperSize(), (platform::Point{0, 0}));
    platform::StringList list{"old"};
    printer.EnumPrinter(list);
    EXPECT_EQ(Strings(list), std::vector<std::string>{"未接続"});
    printer.EnumPaper(list);
    EXPECT_EQ(Strings(list), std::vector<std::string>{"未定義"});
    EXPECT_THROW(printer.PaperIndexToName(1), platform::ListIndexError);

    printer.SetCopyCount(4);
    printer.SetOrientation(true);
    printer.SetScale(50);
    printer.SetPaperIndex(0);
    printer.SetPrinterIndex(0);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"a:0", "a:0", "a:0", "a:0", "a:0"}));
    EXPECT_EQ(printer.GetCopyCount(), 1);
    EXPECT_FALSE(printer.GetOrientation());
    EXPECT_EQ(printer.GetScale(), 100);
    EXPECT_EQ(printer.GetPrinterIndex(), 0);
    EXPECT_EQ(printer.GetPaperIndex(), 0);
    EXPECT_EQ(printer.GetPaperType(), 0);
    EXPECT_EQ(printer.GetPrinterName(), "");
    EXPECT_FALSE(printer.BeginDoc("x"));
    EXPECT_FALSE(printer.ShowPropertyDialog());
    EXPECT_EQ(printer.GetCanvas().DpiX(), printer.GetPixelParInch());
}

TEST_F(PrinterObjectTest, PdfPrinterPapersAndPaperSizes)
{
    vkttest::InstallPdfPrinter(vkttest::NewTempFolder() + "/out.pdf");
    TPrinterObject& printer = *PrinterObject();
    platform::StringList list;
    printer.EnumPrinter(list);
    EXPECT_EQ(Strings(list), std::vector<std::string>{"PDFファイル"});
    printer.EnumPaper(list);
    ASSERT_EQ(list.GetCount(), 102);
    EXPECT_EQ(PaperIDOfObject(list.GetObject(101)), 118);
    EXPECT_TRUE(printer.GetEnabled());
    EXPECT_EQ(printer.GetPixelParInch(), 600);
    EXPECT_EQ(printer.GetPaperType(), kA4PaperID);
    EXPECT_EQ(printer.PaperIndexToName(printer.GetPaperIndex()), "A4 210 x 297 mm");

    struct Case {
        const char* paper;
        bool landscape;
        int width;
        int height;
    };
    const Case cases[] = {
        {"A4 210 x 297 mm", false, 4961, 7016},
        {"A4 210 x 297 mm", true, 7016, 4961},
        {"A3 297 x 420 mm", true, 9921, 7016},
        {"官製 ハガキ 100 x 148 mm", false, 2362, 3496},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.paper);
        printer.SetPaperIndex(printer.PaperNameToIndex(c.paper));
        printer.SetOrientation(c.landscape);
        EXPECT_EQ(printer.PaperIndexToName(printer.GetPaperIndex()), c.paper);
        EXPECT_EQ(printer.GetOrientation(), c.landscape);
        const platform::Point size = printer.GetPaperSize();
        EXPECT_NEAR(size.X, c.width, 3);
        EXPECT_NEAR(size.Y, c.height, 3);
        EXPECT_EQ(printer.GetDrawRect(), (platform::Rect{0, 0, size.X, size.Y}));
    }
}

TEST_F(PrinterObjectTest, CustomPaperTakesTheCurrentSizeInTenthsOfAMillimetre)
{
    RecordingPrinter& device = vkttest::InstallRecordingPrinter();
    TPrinterObject& printer = *PrinterObject();
    const int custom = printer.PaperNameToIndex("ユーザ定義");
    ASSERT_GE(custom, 0);
    ASSERT_EQ(printer.GetPaperSize(), (platform::Point{793, 1122}));   // A4 at 96 dpi

    printer.SetOrientation(true);
    printer.SetPaperIndex(custom);
    EXPECT_EQ(printer.GetPaperType(), 256);
    EXPECT_EQ(printer.GetDevMode().PaperWidth, 793 * 254 / 96);
    EXPECT_EQ(printer.GetDevMode().PaperLength, 1122 * 254 / 96);
    EXPECT_NEAR(printer.GetPaperSize().X, 1122, 1);
    EXPECT_NEAR(printer.GetPaperSize().Y, 793, 1);

    printer.SetPaperIndex(printer.PaperNameToIndex("A3 297 x 420 mm"));
    EXPECT_EQ(printer.GetDevMode().PaperWidth, 0);
    EXPECT_EQ(printer.GetDevMode().PaperLength, 0);
    device.margin = 10;
    EXPECT_EQ(printer.GetDrawRect(), (platform::Rect{10, 10, printer.GetPaperSize().X - 10, printer.GetPaperSize().Y - 10}));
}

// The scale draws each page at that percentage, as a driver does: the page the object reports grows
// by 100 / scale around the paper's corner, the job's drawing shrinks by scale / 100 around the
// printable area's corner, and the paper itself stays what it is.
TEST_F(PrinterObjectTest, ScaleGrowsThePageAndShrinksTheDrawing)
{
    auto recorder = std::make_unique<RecordingPrinter>();
    recorder->margin = 10;
    RecordingPrinter& device = vkttest::InstallRecordingPrinter(std::move(recorder));
    TPrinterObject& printer = *PrinterObject();
    NoticeLog log;
    TPrnObjListener listener(log.Make("a"));
    ASSERT_EQ(printer.GetPaperSize(), (platform::Point{793, 1122}));

    const struct {
        int scale;
        platform::Point paper;
        platform::Rect area;
    } cases[] = {
        {50, {1586, 2244}, {20, 20, 1566, 2224}},
        {200, {396, 561}, {5, 5, 391, 556}},
        {0, {793, 1122}, {10, 10, 783, 1112}},   // no scale: the paper as it is
        {100, {793, 1122}, {10, 10, 783, 1112}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scale);
        printer.SetScale(c.scale);
        EXPECT_EQ(printer.GetScale(), c.scale);
        EXPECT_EQ(printer.GetPaperSize(), c.paper);
        EXPECT_EQ(printer.GetDrawRect(), c.area);
    }
    EXPECT_EQ(log.lines.size(), 4u);

    // Landscape at 50 %: the sides swap, then grow.
    printer.SetScale(50);
    printer.SetOrientation(true);
    EXPECT_EQ(printer.GetPaperSize(), (platform::Point{2244, 1586}));
    // The user's paper takes the size of the paper itself, not of the grown page.
    printer.SetOrientation(false);
    printer.SetPaperIndex(printer.PaperNameToIndex("ユーザ定義"));
    EXPECT_EQ(printer.GetDevMode().PaperWidth, 793 * 254 / 96);
    EXPECT_EQ(printer.GetDevMode().PaperLength, 1122 * 254 / 96);
    EXPECT_NEAR(printer.GetPaperSize().X, 1586, 3);
    EXPECT_NEAR(printer.GetPaperSize().Y, 2244, 3);
    printer.SetPaperIndex(printer.PaperNameToIndex("A4 210 x 297 mm"));

    // A square drawn at (100, 100)-(200, 200) on every page lands at half that, each page anew.
    printer.SetCopyCount(3);
    ASSERT_TRUE(printer.BeginDoc("scaled"));
    for (int page = 1; page <= 2; ++page) {
        if (page > 1) printer.NewPage();
        printer.GetCanvas().FillRect({100, 100, 200, 200}, platform::RgbColor(255, 0, 0));
    }
    ASSERT_TRUE(printer.EndDoc());
    EXPECT_EQ(device.jobMode.Copies, 3) << "copies as they were";
    ASSERT_EQ(device.pages.size(), 2u);
    for (const QImage& page : device.pages) {
        EXPECT_EQ(page.size(), QSize(793, 1122)) << "the paper itself";
        EXPECT_EQ(page.pixelColor(51, 51), QColor(255, 0, 0));
        EXPECT_EQ(page.pixelColor(98, 98), QColor(255, 0, 0));
        EXPECT_EQ(page.pixelColor(102, 102), QColor(255, 255, 255));
        EXPECT_EQ(page.pixelColor(48, 48), QColor(255, 255, 255));
    }
}

TEST_F(PrinterObjectTest, ChoosingPrinters)
{
    auto first = std::make_unique<RecordingPrinter>("first");
    auto second = std::make_unique<RecordingPrinter>("second", 300);
    second->papers.resize(2);
    second->defaults.PaperSize = 8;
    second->defaults.Copies = 2;
    std::vector<std::unique_ptr<TPrinterDevice>> devices;
    devices.push_back(std::move(first));
    devices.push_back(std::move(second));
    SetPrinterObject(std::make_unique<TPrinterObject>(std::move(devices), 1));
    TPrinterObject& printer = *PrinterObject();
    NoticeLog log;
    TPrnObjListener listener(log.Make("a"));

    EXPECT_EQ(printer.GetPrinterName(), "second");
    EXPECT_EQ(printer.PrinterNameToIndex("FIRST"), 0);
    printer.SetPrinterIndex(0);
    EXPECT_EQ(printer.GetPrinterName(), "first");
    printer.SetCopyCount(3);
    printer.SetPrinterIndex(0);   // the current one: settings kept
    EXPECT_EQ(printer.GetCopyCount(), 3);
    printer.SetPrinterIndex(1);   // another: its defaults and papers
    EXPECT_EQ(printer.GetCopyCount(), 2);
    EXPECT_EQ(printer.GetPaperType(), 8);
    EXPECT_EQ(printer.GetPaperIndex(), 1);
    platform::StringList papers;
    printer.EnumPaper(papers);
    EXPECT_EQ(papers.GetCount(), 2);
    EXPECT_EQ(printer.GetPixelParInch(), 300);
    printer.SetPrinterIndex(0);
    printer.SetCopyCount(5);
    printer.SetPrinterIndex(-1);   // the default printer, fresh
    EXPECT_EQ(printer.GetPrinterIndex(), 1);
    EXPECT_EQ(printer.GetCopyCount(), 2);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"a:1", "a:0", "a:1", "a:1", "a:1", "a:0", "a:1"}));
    EXPECT_THROW(printer.SetPrinterIndex(2), platform::ListIndexError);
}

TEST_F(PrinterObjectTest, ListenersInOrderAndWithdrawn)
{
    vkttest::InstallRecordingPrinter();
    TPrinterObject& printer = *PrinterObject();
    NoticeLog log;
    TPrnObjEventHandler* a = printer.GetEventHandler();
    a->OnChange = log.Make("a");
    auto b = std::make_unique<TPrnObjListener>(log.Make("b"));
    TPrnObjEventHandler* c = printer.GetEventHandler();
    std::unique_ptr<TPrnObjListener> d;
    c->OnChange = [&](TPrinterObject*, bool) {
        log.lines.push_back("c:" + std::to_string(vkttest::Scripted().busyDepth));
        d.reset();   // withdrawn while DoChange runs
        printer.DeleteEventHandler(a);
    };
    d = std::make_unique<TPrnObjListener>(log.Make("d"));
    EXPECT_EQ(printer.GetEventHandlerCount(), 4);

    printer.DoChange(true);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"a:1", "b:1", "c:1"}));
    EXPECT_EQ(vkttest::Scripted().busyDepth, 0);

    log.lines.clear();
    b.reset();
    printer.DeleteEventHandler(c);
    printer.SetScale(90);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(printer.GetEventHandlerCount(), 0);
    EXPECT_EQ(printer.GetScale(), 90);

    // A listener that outlives its printer object.
    TPrnObjListener late(log.Make("late"));
    vkttest::InstallNoPrinter();
    late.Reset();
    EXPECT_EQ(PrinterObject()->GetEventHandlerCount(), 0);
}

TEST_F(PrinterObjectTest, JobOnTheRecordingPrinter)
{
    RecordingPrinter& device = vkttest::InstallRecordingPrinter();
    TPrinterObject& printer = *PrinterObject();
    platform::Canvas* measuring = &printer.GetCanvas();
    EXPECT_EQ(measuring->DpiX(), 96);
    printer.SetCopyCount(2);

    ASSERT_TRUE(printer.BeginDoc("帳票"));
    EXPECT_FALSE(printer.GetEnabled());
    EXPECT_FALSE(printer.BeginDoc("again"));
    printer.SetCopyCount(7);   // refused while printing
    EXPECT_EQ(printer.GetCopyCount(), 2);
    printer.GetCanvas().FillRect({0, 0, 10, 10}, platform::RgbColor(255, 0, 0));
    printer.NewPage();
    printer.GetCanvas().FillRect({0, 0, 10, 10}, platform::RgbColor(0, 0, 255));
    EXPECT_TRUE(printer.EndDoc());
    EXPECT_TRUE(printer.GetEnabled());

    EXPECT_EQ(device.log, (std::vector<std::string>{"BeginDoc|帳票", "NewPage", "EndDoc"}));
    ASSERT_EQ(device.pages.size(), 2u);
    EXPECT_EQ(device.pages[0].size(), QSize(793, 1122));
    EXPECT_EQ(device.pages[0].pixelColor(5, 5), QColor(255, 0, 0));
    EXPECT_EQ(device.pages[1].pixelColor(5, 5), QColor(0, 0, 255));
    EXPECT_EQ(device.jobMode.Copies, 2);

    device.failEnd = true;
    ASSERT_TRUE(printer.BeginDoc("t"));
    EXPECT_FALSE(printer.EndDoc());
    ASSERT_TRUE(printer.BeginDoc("t"));
    printer.CancelDoc();
    EXPECT_TRUE(printer.GetEnabled());
    EXPECT_EQ(device.log.back(), "CancelDoc");
    device.refuseJobs = true;
    EXPECT_FALSE(printer.BeginDoc("t"));
    EXPECT_TRUE(printer.GetEnabled());
}

// One copy is drawn straight into the file, several are played from a recording; either way the
// kanji come back as drawn, not as the radicals whose glyphs they share (立 ⽴, 米 ⽶).
TEST_F(PrinterObjectTest, PdfJobWritesEveryPageCopiesTimes)
{
    const std::string folder = vkttest::NewTempFolder();
    QImage pixels(1200, 900, QImage::Format_RGB32);
    for (int y = 0; y < 900; ++y)
        for (int x = 0; x < 1200; ++x) pixels.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    const platform::Image photo(pixels);
    const struct {
        bool landscape;
        int copies;
    } cases[] = {{false, 1}, {true, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.copies);
        const std::string file = folder + (c.landscape ? "/land.pdf" : "/port.pdf");
        vkttest::InstallPdfPrinter(file);
        TPrinterObject& printer = *PrinterObject();
        printer.SetCopyCount(c.copies);
        printer.SetOrientation(c.landscape);
        const int sheets = 3 * c.copies;
        ASSERT_TRUE(printer.BeginDoc("Report"));
        const int startHeight = printer.GetCanvas().GetFont().Height;
        for (int page = 1; page <= 3; ++page) {
            if (page > 1) printer.NewPage();
            platform::Canvas& canvas = printer.GetCanvas();
            EXPECT_EQ(canvas.DpiX(), 600);
            EXPECT_EQ(canvas.GetFont().Height, startHeight) << "every page starts afresh";
            platform::FontSpec font;
            font.Face = "ＭＳ Ｐゴシック";
            font.Height = -150;
            canvas.SetFont(font);
            canvas.TextOut(600, 600, "献立 米 ページ" + std::to_string(page));
            // A picture of more pixels than its inch at 600 dpi holds.
            canvas.DrawImage({600, 1200, 1200, 1650}, photo, {0, 0, 1200, 900});
        }
        ASSERT_TRUE(printer.EndDoc());
        // Written at its place's 600 × 450 pixels, copies or not.
        std::istringstream images(Capture("pdfimages -list '" + file + "'"));
        std::string line;
        std::getline(images, line);
        std::getline(images, line);
        int listed = 0;
        for (; std::getline(images, line); ++listed) {
            std::istringstream fields(line);
            std::string page, number, type, width, height;
            fields >> page >> number >> type >> width >> height;
            EXPECT_EQ(width + " x " + height, "600 x 450") << line;
        }
        EXPECT_EQ(listed, sheets);

        const std::string info = Capture("pdfinfo '" + file + "'");
        EXPECT_NE(info.find("Pages:           " + std::to_string(sheets)), std::string::npos) << info;
        EXPECT_NE(info.find(c.landscape ? "842 x 595 pts (A4)" : "595 x 842 pts (A4)"), std::string::npos) << info;
        EXPECT_NE(info.find("Title:           Report"), std::string::npos) << info;
        for (int sheet = 1; sheet <= sheets; ++sheet) {
            const std::string n = std::to_string(sheet);
            const std::string text = Capture("pdftotext -f " + n + " -l " + n + " '" + file + "' -");
            EXPECT_NE(text.find("献立 米"), std::string::npos) << text;
            EXPECT_NE(text.find("ページ" + std::to_string((sheet - 1) / c.copies + 1)), std::string::npos)
                << "sheet " << sheet << ": " << text;
        }
    }
}

TEST_F(PrinterObjectTest, PdfJobCancelledOrNotStarted)
{
    const std::string file = vkttest::NewTempFolder() + "/cancel.pdf";
    vkttest::InstallPdfPrinter(file);
    ASSERT_TRUE(PrinterObject()->BeginDoc("x"));
    PrinterObject()->GetCanvas().TextOut(0, 0, "x");
    PrinterObject()->NewPage();
    PrinterObject()->CancelDoc();
    EXPECT_FALSE(std::filesystem::exists(file));

    vkttest::InstallPdfPrinter("");   // asks for the file
    vkttest::Scripted().files.push_back(std::nullopt);
    EXPECT_FALSE(PrinterObject()->BeginDoc("月報"));
    EXPECT_TRUE(PrinterObject()->GetEnabled());
    ASSERT_EQ(vkttest::Scripted().calls.size(), 1u);
    EXPECT_EQ(vkttest::Scripted().calls[0].rfind("SaveFile|PDFファイル|PDFファイル|*.pdf|", 0), 0u);
    EXPECT_TRUE(vkttest::Scripted().calls[0].ends_with("|月報.pdf"));

    const std::string chosen = vkttest::NewTempFolder() + "/chosen.pdf";
    vkttest::Scripted().files.push_back(chosen);
    ASSERT_TRUE(PrinterObject()->BeginDoc("a/b"));
    EXPECT_TRUE(vkttest::Scripted().calls[1].ends_with("|a_b.pdf"));
    EXPECT_TRUE(PrinterObject()->EndDoc());
    EXPECT_TRUE(std::filesystem::exists(chosen));

    vkttest::Scripted().files.push_back(std::nullopt);
    std::filesystem::create_directories(VktMdl()->GetDocumentsFolder());   // the picker starts in it once it exists
    EXPECT_FALSE(PrinterObject()->BeginDoc(""));
    EXPECT_EQ(vkttest::Scripted().calls[2], "SaveFile|PDFファイル|PDFファイル|*.pdf|" + VktMdl()->GetDocumentsFolder() +
                                                "|" + VktMdl()->GetProductName() + ".pdf");
}

TEST_F(PrinterObjectTest, PropertyDialogCopiesPaperAndOrientationBack)
{
    vkttest::InstallPdfPrinter(vkttest::NewTempFolder() + "/p.pdf");
    TPrinterObject& printer = *PrinterObject();
    NoticeLog log;
    TPrnObjListener listener(log.Make("a"));
    printer.SetPaperIndex(printer.PaperNameToIndex("B5 (JIS) 182 x 257 mm"));
    printer.SetOrientation(true);
    log.lines.clear();

    EXPECT_FALSE(printer.ShowPropertyDialog());   // cancelled
    EXPECT_TRUE(log.lines.empty());
    vkttest::Scripted().pageSetups.push_back(true);
    EXPECT_TRUE(printer.ShowPropertyDialog());    // confirmed unchanged: the same settings read back
    EXPECT_EQ(printer.GetPaperType(), 13);
    EXPECT_TRUE(printer.GetOrientation());
    EXPECT_EQ(log.lines, std::vector<std::string>{"a:0"});

    RecordingPrinter& device = vkttest::InstallRecordingPrinter();
    device.pageSetupResult = true;
    device.pageSetupMode = std::make_unique<TPrinterDevMode>();
    device.pageSetupMode->PaperSize = 8;
    device.pageSetupMode->Orientation = kLandscape;
    EXPECT_TRUE(PrinterObject()->ShowPropertyDialog());
    EXPECT_EQ(PrinterObject()->GetPaperType(), 8);
    EXPECT_EQ(PrinterObject()->GetPaperSize(), (platform::Point{1587, 1122}));
}

TEST_F(PrinterObjectTest, FontsAndTheirDescriptions)
{
    vkttest::InstallPdfPrinter(vkttest::NewTempFolder() + "/f.pdf");
    platform::StringList fonts;
    PrinterObject()->EnumFont(fonts);
    EXPECT_GE(fonts.IndexOf("ＭＳ Ｐゴシック"), 0);
    EXPECT_GE(fonts.IndexOf("Arial"), 0);
    for (int i = 1; i < fonts.GetCount(); ++i) {
        platform::StringList pair{fonts.GetString(i - 1)};
        EXPECT_LT(pair.IndexOf(fonts.GetString(i)), 0) << "duplicate " << fonts.GetString(i);
    }
    platform::StringList sorted = fonts;
    sorted.Sort();
    EXPECT_EQ(Strings(sorted), Strings(fonts));

    struct Case {
        const char* face;
        int charSet;
        int pitch;
    };
    const Case cases[] = {
        {"ＭＳ Ｐゴシック", 128, 2},
        {"ＭＳ ゴシック", 128, 1},
        {"Courier New", 0, 1},
        {"No Such Face", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.face);
        const platform::FontSpec spec = PrinterObject()->GetLogFont(c.face);
        EXPECT_EQ(spec.Face, c.face);
        EXPECT_EQ(spec.CharSet, c.charSet);
        EXPECT_EQ(spec.PitchAndFamily, c.pitch);
        EXPECT_EQ(spec.Height, 0);
        EXPECT_EQ(spec.Weight, 0);
    }
}

} // namespace
