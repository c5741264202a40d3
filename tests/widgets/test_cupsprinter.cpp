// The printer object over a real CUPS queue: a private cupsd with a cups-pdf queue. The queue is
// listed beside the PDF printer with the papers of its PPD, a job arrives as a PDF in the queue's
// output folder, and a stopped queue, a queue that refuses jobs or no server at all give a message
// without waiting.
#include "widgets/Uprintersupport.h"

#include "support/Command.h"
#include "support/CupsServer.h"
#include "support/ScriptedServices.h"
#include "support/widgets/RecordingPrinter.h"
#include "widgets/Upapernamelist.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using vkttest::CupsServer;
using Clock = std::chrono::steady_clock;

using vkttest::Capture;

// The job files the printer object leaves in the temporary folder, which is this process's own:
// the other tests of the suite run beside it and print through their own servers.
int LeftJobFiles()
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path()))
        if (entry.path().filename().string().rfind("vektara-print-", 0) == 0) ++count;
    return count;
}

class CupsPrinterTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server_ = new CupsServer;   // its socket path stays short, under the outer folder
        const char* outer = std::getenv("TMPDIR");
        outerTmp_ = outer ? outer : "";
        std::string pattern = (std::filesystem::temp_directory_path() / "vkt-cupstest-XXXXXX").string();
        if (mkdtemp(pattern.data())) {
            ownTmp_ = pattern;
            setenv("TMPDIR", ownTmp_.c_str(), 1);
        }
    }
    static void TearDownTestSuite()
    {
        delete server_;
        server_ = nullptr;
        if (outerTmp_.empty()) unsetenv("TMPDIR");
        else setenv("TMPDIR", outerTmp_.c_str(), 1);
        if (!ownTmp_.empty()) {
            std::error_code error;
            std::filesystem::remove_all(ownTmp_, error);
        }
    }
    void SetUp() override
    {
        if (!server_->Failure().empty()) GTEST_SKIP() << "no private CUPS server: " << server_->Failure();
        vkttest::Scripted().Reset();
        SetPrinterObject(nullptr);   // the machine's printers, read afresh from the private server
    }
    // Chooses the queue; false when the printer object does not list it.
    static bool ChooseQueue()
    {
        const int index = PrinterObject()->PrinterNameToIndex(CupsServer::kQueue);
        if (index < 0) return false;
        PrinterObject()->SetPrinterIndex(index);
        return true;
    }

    static CupsServer* server_;
    static std::string outerTmp_;
    static std::string ownTmp_;
    vkttest::PrinterScope scope_;
};

CupsServer* CupsPrinterTest::server_ = nullptr;
std::string CupsPrinterTest::outerTmp_;
std::string CupsPrinterTest::ownTmp_;

TEST_F(CupsPrinterTest, QueueListedBesideThePdfPrinterWithThePapersOfItsPpd)
{
    platform::StringList printers;
    PrinterObject()->EnumPrinter(printers);
    EXPECT_EQ(printers.GetStrings(), (std::vector<std::string>{CupsServer::kQueue, "PDFファイル"}));
    ASSERT_TRUE(ChooseQueue());
    TPrinterObject& printer = *PrinterObject();
    EXPECT_EQ(printer.GetPrinterName(), CupsServer::kQueue);
    EXPECT_TRUE(printer.GetEnabled());

    // The PPD's papers: those of the paper table under its names and ids, the others under the
    // server's names and ids of their own; the PPD's default A4; its 300 dpi, no margins.
    platform::StringList papers;
    printer.EnumPaper(papers);
    EXPECT_GT(papers.GetCount(), 30);
    std::set<int> ids;
    int own = 0;
    for (int i = 0; i < papers.GetCount(); ++i) {
        const int id = PaperIDOfObject(papers.GetObject(i));
        EXPECT_TRUE(ids.insert(id).second) << "id " << id << " twice";
        if (id > kUserPaperID) {
            ++own;
            EXPECT_TRUE(PaperIDToName(id).empty()) << papers.GetString(i);
        } else {
            EXPECT_EQ(papers.GetString(i), PaperIDToName(id));
        }
    }
    EXPECT_GT(own, 0) << "sizes the table lacks";
    for (const char* name : {"A4 210 x 297 mm", "A3 297 x 420 mm", "B5 (JIS) 182 x 257 mm", "レター 8 1/2 x 11 in"})
        EXPECT_GE(papers.IndexOf(name), 0) << name;
    EXPECT_EQ(printer.GetPaperType(), kA4PaperID);
    EXPECT_EQ(printer.PaperIndexToName(printer.GetPaperIndex()), "A4 210 x 297 mm");
    EXPECT_EQ(printer.GetPixelParInch(), 300);
    const platform::Point a4 = printer.GetPaperSize();
    EXPECT_NEAR(a4.X, 2480, 2);
    EXPECT_NEAR(a4.Y, 3508, 2);
    EXPECT_EQ(printer.GetDrawRect(), (platform::Rect{0, 0, a4.X, a4.Y}));

    // A paper of the queue's own keeps its size when chosen.
    for (int i = 0; i < papers.GetCount(); ++i)
        if (PaperIDOfObject(papers.GetObject(i)) > kUserPaperID) {
            printer.SetPaperIndex(i);
            EXPECT_EQ(printer.GetPaperIndex(), i);
            EXPECT_NE(printer.GetPaperSize(), a4) << papers.GetString(i);
            break;
        }
}

TEST_F(CupsPrinterTest, JobArrivesAsAPdfWithItsPagesCopiesAndText)
{
    ASSERT_TRUE(ChooseQueue());
    TPrinterObject& printer = *PrinterObject();
    printer.SetCopyCount(2);
    const int leftBefore = LeftJobFiles();
    ASSERT_TRUE(printer.BeginDoc("Weekly menu")) << printer.GetLastError();
    for (int page = 1; page <= 3; ++page) {
        if (page > 1) printer.NewPage();
        platform::Canvas& canvas = printer.GetCanvas();
        EXPECT_EQ(canvas.DpiX(), 300);
        platform::FontSpec font;
        font.Face = "Arial";
        font.Height = -60;
        canvas.SetFont(font);
        canvas.TextOut(300, 300, "Sheet number " + std::to_string(page));
    }
    ASSERT_TRUE(printer.EndDoc()) << printer.GetLastError();
    EXPECT_TRUE(printer.GetLastError().empty());
    EXPECT_EQ(LeftJobFiles(), leftBefore) << "the job's own PDF is gone";

    const std::vector<std::string> files = server_->WaitForOutput(1);
    ASSERT_EQ(files.size(), 1u) << server_->LogTail();
    const std::string info = Capture("pdfinfo '" + files[0] + "'");
    EXPECT_NE(info.find("Pages:           6"), std::string::npos) << info;
    EXPECT_NE(info.find("595 x 842 pts (A4)"), std::string::npos) << info;
    for (int sheet = 1; sheet <= 6; ++sheet) {
        const std::string n = std::to_string(sheet);
        const std::string text = Capture("pdftotext -f " + n + " -l " + n + " '" + files[0] + "' -");
        EXPECT_NE(text.find("Sheet number " + std::to_string((sheet + 1) / 2)), std::string::npos)
            << "sheet " << sheet << ": " << text;
    }
}

TEST_F(CupsPrinterTest, StoppedOrRefusingQueueGivesAMessageAndNoJob)
{
    ASSERT_TRUE(ChooseQueue());
    TPrinterObject& printer = *PrinterObject();
    const int leftBefore = LeftJobFiles();
    const std::size_t printedBefore = server_->WaitForOutput(0, 1).size();
    const auto begin = [&] {
        const auto start = Clock::now();
        const bool begun = printer.BeginDoc("refused");
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(10)) << "no wait for the server's 15 s reply timeout";
        return begun;
    };

    ASSERT_TRUE(server_->Run(std::string("cupsdisable -r 'Paper jam' ") + CupsServer::kQueue));
    EXPECT_FALSE(begin());
    EXPECT_EQ(printer.GetLastError(), "プリンタ「vktpdf」は停止しています。\nPaper jam");
    EXPECT_TRUE(printer.GetEnabled()) << "no job runs";
    ASSERT_TRUE(server_->Run(std::string("cupsenable ") + CupsServer::kQueue));

    ASSERT_TRUE(server_->Run(std::string("cupsreject -r 'Closed today' ") + CupsServer::kQueue));
    EXPECT_FALSE(begin());
    EXPECT_EQ(printer.GetLastError(), "プリンタ「vktpdf」は印刷を受け付けていません。\nClosed today");

    // A queue that starts refusing while the job is drawn: the job is not sent, and says why.
    ASSERT_TRUE(server_->Run(std::string("cupsaccept ") + CupsServer::kQueue));
    ASSERT_TRUE(begin()) << printer.GetLastError();
    EXPECT_TRUE(printer.GetLastError().empty());
    printer.GetCanvas().TextOut(100, 100, "never sent");
    ASSERT_TRUE(server_->Run(std::string("cupsreject ") + CupsServer::kQueue));
    EXPECT_FALSE(printer.EndDoc());
    EXPECT_EQ(printer.GetLastError().rfind("プリンタ「vktpdf」は印刷を受け付けていません。", 0), 0u) << printer.GetLastError();
    EXPECT_TRUE(printer.GetEnabled());
    EXPECT_EQ(LeftJobFiles(), leftBefore);
    ASSERT_TRUE(server_->Run(std::string("cupsaccept ") + CupsServer::kQueue));
    EXPECT_EQ(server_->WaitForOutput(0, 1).size(), printedBefore) << "nothing was printed";
}

// A job the queue's filters fail on (a renderer that is not installed) is reported, not taken as
// printed.
TEST_F(CupsPrinterTest, JobTheServerStopsIsAFailureWithItsReason)
{
    ASSERT_TRUE(ChooseQueue());
    TPrinterObject& printer = *PrinterObject();
    const std::string queue = CupsServer::kQueue;
    ASSERT_TRUE(server_->Run("lpadmin -p " + queue + " -o pdftops-renderer-default=acroread"));
    ASSERT_TRUE(printer.BeginDoc("failing")) << printer.GetLastError();
    printer.GetCanvas().TextOut(100, 100, "never printed");
    EXPECT_FALSE(printer.EndDoc());
    EXPECT_EQ(printer.GetLastError(), "プリンタ「vktpdf」で印刷が停止しました。\nFilter failed");
    EXPECT_TRUE(printer.GetEnabled());
    EXPECT_TRUE(server_->Run("cancel -a " + queue));
    EXPECT_TRUE(server_->Run("lpadmin -p " + queue + " -o pdftops-renderer-default=pdftocairo"));
}

// Without a server: no queue, the PDF printer alone, at once.
TEST(CupsPrinterWithoutServerTest, OnlyThePdfPrinterAtOnce)
{
    vkttest::PrinterScope scope;
    const std::string missing = std::filesystem::temp_directory_path() / "vkt-no-cups.sock";
    cupsSetServer(missing.c_str());
    const auto start = Clock::now();
    SetPrinterObject(nullptr);
    platform::StringList printers;
    PrinterObject()->EnumPrinter(printers);
    cupsSetServer(nullptr);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(printers.GetStrings(), std::vector<std::string>{"PDFファイル"});
}

} // namespace
