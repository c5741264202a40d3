// The print dialog driven through its buttons: what each showing resets and keeps, the progress
// maximum of every range, mode and copy mode, the pages a run puts into a PDF (order and
// collation), the cancel question answered both ways, Esc while printing, runs that print
// nothing, a run that waits for pictures still playing, and one whose pictures and job are
// painted and written with the window answering.
#include "core/Uvktsupport.h"
#include "gui/DisplayList.h"
#include "gui/EnhancedMetafile.h"
#include "layout/Preview.h"
#include "layout/Ugridcontainer.h"
#include "layout/Uimagecontainer.h"
#include "layout/Utextcontainer.h"
#include "platform/Files.h"
#include "reports/Fprintexecutedlg.h"
#include "support/CupsServer.h"
#include "support/ScriptedServices.h"
#include "support/TestPictures.h"
#include "support/widgets/RecordingPrinter.h"
#include "widgets/Fupdownedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using platform::MsgAnswer;

std::string Run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    process.waitForFinished(30000);
    return process.readAllStandardOutput().toStdString();
}

int PdfPages(const std::string& pdf)
{
    const std::string info = Run("pdfinfo", {QString::fromStdString(pdf)});
    const auto at = info.find("Pages:");
    return at == std::string::npos ? 0 : std::stoi(info.substr(at + 6));
}

// The page-number text of each PDF page, as "n" for "- n / 12 -".
std::vector<int> PrintedPages(const std::string& pdf)
{
    std::vector<int> out;
    for (int p = 1, n = PdfPages(pdf); p <= n; ++p) {
        const QString page = QString::number(p);
        const std::string text =
            Run("pdftotext", {"-f", page, "-l", page, "-layout", QString::fromStdString(pdf), "-"});
        const auto dash = text.find("- ");
        out.push_back(dash == std::string::npos ? 0 : std::atoi(text.c_str() + dash + 2));
    }
    return out;
}

// A document of 12 pages: a grid paged by its rows and a page-number text.
std::unique_ptr<TPreview> TwelvePages()
{
    auto preview = std::make_unique<TPreview>();
    TViewItem* item = preview->AddContainer(6);
    item->SetMMBoundRect_({2000, 3000, 19000, 25000});
    auto* grid = dynamic_cast<TGridContainer*>(item->GetObject());
    grid->SetColCount(2);
    const auto rows = [&](int n) {
        std::string csv;
        for (int r = 1; r <= n; ++r) csv += "品目" + std::to_string(r) + "," + std::to_string(r * 10) + "\n";
        grid->SetRowCount(n);
        grid->SetCSV(csv);
    };
    int perPage = 1;
    while (rows(perPage + 1), preview->GetPageMax() == 1) ++perPage;
    rows(perPage * 12);
    preview->SetSelected(nullptr);
    TViewItem* number = preview->AddContainer(2);
    number->SetMMBoundRect_({2000, 1000, 19000, 2500});
    dynamic_cast<TTextContainer*>(number->GetObject())->SetTextType(1);
    preview->SetSelected(nullptr);
    return preview;
}

template <typename T>
T* Find(const char* name)
{
    return PrintExecuteDlg()->findChild<T*>(QString::fromLatin1(name));
}
std::string Text(const char* name) { return Find<QLabel>(name)->text().toStdString(); }

struct Options {
    bool range = false;
    int from = 1, to = 1;
    int mode = 0;
    int copies = 0;   // 0: copies off
    bool sets = false;
};

// Sets the options as a user would: clicks, picks and typed values.
void Choose(const Options& o)
{
    if (o.range) {
        Find<QCheckBox>("CBSelPage")->click();
        Find<TUpDownEdit>("StartPageEdit")->SetValue(o.from);
        Find<TUpDownEdit>("EndPageEdit")->SetValue(o.to);
    }
    auto* list = Find<QComboBox>("PrintTypeList");
    list->setCurrentIndex(o.mode);
    emit list->activated(o.mode);
    if (o.copies) {
        Find<QCheckBox>("CBCopy")->click();
        Find<TUpDownEdit>("CopyCountEdit")->SetValue(o.copies);
        if (o.sets) Find<QRadioButton>("RBFileCopy")->click();
    }
}

class PrintDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        pdf = vkttest::NewTempFolder("print") + "/out.pdf";
        vkttest::InstallPdfPrinter(pdf);
        preview = TwelvePages();
    }
    // Shows the dialog; `act` runs inside it, then the dialog is closed by its button.
    void Show(const std::function<void()>& act, TPageView* view = nullptr)
    {
        QTimer::singleShot(0, [act] {
            act();
            if (PrintExecuteDlg()->isVisible()) Find<QPushButton>("BtnCancel")->click();
        });
        ShowPrintExecuteDlg(view ? view : preview.get(), "Vektara", "");
    }

    vkttest::PrinterScope printerScope;
    std::string pdf;
    std::unique_ptr<TPreview> preview;
};

TEST_F(PrintDialogTest, EachShowingResetsTheChecksAndKeepsTheMode)
{
    Show([] {
        EXPECT_EQ(PrintExecuteDlg()->windowTitle().toStdString(), "印刷 - ");
        EXPECT_EQ(Text("Label"), " Vektara ");
        EXPECT_EQ(Text("ProgressLabel"), "印刷待機中");
        EXPECT_TRUE(Find<QPushButton>("BtnPrint")->isEnabled());
        EXPECT_EQ(Find<QPushButton>("BtnCancel")->text().toStdString(), "閉じる");
        EXPECT_TRUE(Find<QCheckBox>("CBSelPage")->isEnabled());
        for (const char* name : {"PrintTypeList", "StartPageEdit", "EndPageEdit", "CopyCountEdit", "RBPageCopy"})
            EXPECT_FALSE(Find<QWidget>(name)->isEnabled()) << name;
        EXPECT_EQ(Find<TUpDownEdit>("StartPageEdit")->GetSuffix(), "/12");
        EXPECT_EQ(Find<TUpDownEdit>("EndPageEdit")->GetValue(), 12);
        EXPECT_EQ(PrintExecuteDlg()->GetProgressMax(), 12);
        Choose({.range = true, .from = 4, .to = 30, .mode = 2, .copies = 2, .sets = true});
        EXPECT_EQ(Find<TUpDownEdit>("EndPageEdit")->GetValue(), 12) << "typed pages are clamped";
        EXPECT_EQ(PrintExecuteDlg()->GetProgressMax(), 10);   // 4, 6 … 12 twice
        Find<QCheckBox>("CBCopy")->click();
        EXPECT_EQ(Find<TUpDownEdit>("CopyCountEdit")->GetValue(), 1);
        EXPECT_TRUE(Find<QRadioButton>("RBPageCopy")->isChecked());
    });
    Show([] {
        EXPECT_FALSE(Find<QCheckBox>("CBSelPage")->isChecked());
        EXPECT_FALSE(Find<QCheckBox>("CBCopy")->isChecked());
        EXPECT_EQ(Find<QComboBox>("PrintTypeList")->currentIndex(), 2);
        EXPECT_EQ(Find<TUpDownEdit>("StartPageEdit")->GetValue(), 1);
        EXPECT_EQ(PrintExecuteDlg()->GetProgressMax(), 6) << "even pages of all twelve";
    });
    // A one-page layout: no range.
    TPreview single;
    single.AddContainer(2);
    Show([] {
        EXPECT_FALSE(Find<QCheckBox>("CBSelPage")->isEnabled());
        EXPECT_EQ(Find<TUpDownEdit>("EndPageEdit")->GetSuffix(), "/1");
        Find<QComboBox>("PrintTypeList")->setCurrentIndex(0);
        PrintExecuteDlg()->PrintPageOperatorClick();
        EXPECT_EQ(PrintExecuteDlg()->GetProgressMax(), 1);
    }, &single);
}

TEST_F(PrintDialogTest, RunsPutTheChosenPagesInOrderIntoThePdf)
{
    // The progress maximum counts the pages printed, times the sets; an end before the start none.
    const struct {
        Options options;
        std::vector<int> pages;
        int max;
    } cases[] = {
        {{}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 12},
        {{.range = true, .from = 3, .to = 7, .mode = 1}, {3, 5, 7}, 3},
        {{.range = true, .from = 3, .to = 7, .mode = 1, .copies = 3, .sets = true}, {3, 5, 7, 3, 5, 7, 3, 5, 7}, 9},
        {{.mode = 2}, {2, 4, 6, 8, 10, 12}, 6},
        {{.range = true, .from = 3, .to = 5, .copies = 2}, {3, 3, 4, 4, 5, 5}, 3},
        {{.range = true, .from = 3, .to = 5, .copies = 2, .sets = true}, {3, 4, 5, 3, 4, 5}, 6},
        {{.range = true, .from = 12, .to = 12}, {12}, 1},
        {{.range = true, .from = 9, .to = 6}, {9}, 0},
    };
    for (const auto& c : cases) {
        std::remove(pdf.c_str());
        std::string end;
        int bar = -1;
        Show([&] {
            Choose(c.options);
            EXPECT_EQ(PrintExecuteDlg()->GetProgressMax(), c.max) << c.options.from << ".." << c.options.to;
            Find<QPushButton>("BtnPrint")->click();
            end = Text("ProgressLabel");
            bar = Find<QProgressBar>("ProgressBar")->value();
            EXPECT_FALSE(Find<QPushButton>("BtnPrint")->isEnabled()) << "until an option changes";
        });
        EXPECT_EQ(PrintedPages(pdf), c.pages) << c.options.from << ".." << c.options.to;
        EXPECT_EQ(end, "印刷終了");
        EXPECT_EQ(bar, PrintExecuteDlg()->GetProgressMax()) << "the bar ends full";
    }
}

// Clicks the cancel button once the counter shows `page`, answering the question with `answer`.
struct CancelAt {
    CancelAt(int page, MsgAnswer answer)
    {
        vkttest::Scripted().answers.push_back(answer);
        QObject::connect(&timer, &QTimer::timeout, [this, page] {
            if (done || Text("ProgressLabel") != std::to_string(page) + " / 12 印刷中...") return;
            done = true;
            caption = Find<QPushButton>("BtnCancel")->text().toStdString();
            Find<QPushButton>("BtnCancel")->click();
            stillOpen = PrintExecuteDlg()->isVisible();
        });
        timer.start(0);
    }
    QTimer timer;
    bool done = false;
    bool stillOpen = false;
    std::string caption;
};

// A confirmed stop cancels the job whole: nothing reaches the file, and a file of its name from
// before stays as it was.
TEST_F(PrintDialogTest, CancelAsksAndAConfirmedStopCancelsTheJob)
{
    const struct {
        MsgAnswer answer;
        int page;   // the cancel is clicked while the page after it is under way
    } cases[] = {{MsgAnswer::Ok, 3}, {MsgAnswer::Ok, 11}, {MsgAnswer::Cancel, 3}};
    for (const auto& [answer, page] : cases) {
        vkttest::Scripted().Reset();
        platform::WriteFileAtomic(pdf, "earlier");
        CancelAt cancel(page, answer);
        std::string end;
        Show([&] {
            Find<QPushButton>("BtnPrint")->click();
            end = Text("ProgressLabel");
            EXPECT_EQ(Find<QPushButton>("BtnCancel")->text().toStdString(), "閉じる");
        });
        ASSERT_TRUE(cancel.done);
        EXPECT_EQ(cancel.caption, "キャンセル");
        EXPECT_TRUE(cancel.stillOpen) << "cancel while printing never closes";
        ASSERT_EQ(vkttest::Scripted().messages.size(), 1u);
        const auto& question = vkttest::Scripted().messages[0];
        EXPECT_EQ(question.text, "印刷を中止してもよろしいですか？");
        EXPECT_EQ(question.caption, "確認");
        EXPECT_EQ(question.defaultButton, MsgAnswer::Cancel);
        EXPECT_EQ(end, answer == MsgAnswer::Ok ? "印刷を中止しました" : "印刷終了");
        if (answer == MsgAnswer::Ok)
            EXPECT_EQ(platform::ReadFileBytes(pdf), "earlier") << "stopped at page " << page;
        else
            EXPECT_EQ(PdfPages(pdf), 12);
    }
}

// A page whose pictures still play is waited for with the window answering, the state saying so
// and the bar counting the pictures drawn; a stop confirmed meanwhile ends the run there and
// cancels the job: nothing of it is printed, the pages before included, and the state says the
// run was stopped.
TEST_F(PrintDialogTest, PicturesStillPlayingAreWaitedForWithTheWindowAnswering)
{
    const vkttest::PlayerInUse slow(vkttest::ScriptPlayer(0.5));
    const struct {
        int pictures;   // 16 a page
        int stopPage;   // the page whose wait is stopped: the pictures are drawn on it alone
        int waited;
    } cases[] = {{16, 1, 16}, {24, 2, 8}};
    for (const auto& c : cases) {
        vkttest::Scripted().Reset();
        std::remove(pdf.c_str());
        TPreview pictures;
        TViewItem* item = pictures.AddContainer(5);
        item->SetMMBoundRect_({1000, 1000, 19000, 27000});
        if (c.stopPage == 2) item->SetDrawPageType(2);   // even pages
        auto* images = dynamic_cast<TImageContainer*>(item->GetObject());
        images->SetColCount(4);
        images->SetRowCount(4);
        for (int i = 0; i < c.pictures; ++i)
            images->AddImage(
                BinToBase64(vkttest::EmfBuilder(500 + i, 140).Rectangle(0, 0, 500 + i, 140, 0xE01010).Bytes()));
        pictures.SetSelected(nullptr);
        ASSERT_EQ(pictures.GetPageMax(), c.stopPage);
        vkttest::Scripted().answers.push_back(MsgAnswer::Ok);
        bool waiting = false;
        bool clicked = false;
        int drawn = 0;
        int waited = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (clicked || Text("ProgressLabel") != "図の描画を待っています...") return;
            const auto* bar = Find<QProgressBar>("ProgressBar");
            drawn = bar->value();
            waited = bar->maximum();
            // Stopped once some pictures are drawn, while others still play.
            if (drawn == 0 && platform::ProgramMetafileCache().Playing() > 0) return;
            waiting = platform::ProgramMetafileCache().Playing() > 0;
            clicked = true;
            Find<QPushButton>("BtnCancel")->click();
        });
        timer.start(0);
        std::string end;
        Show(
            [&] {
                Find<QPushButton>("BtnPrint")->click();
                end = Text("ProgressLabel");
            },
            &pictures);
        EXPECT_TRUE(waiting) << "events went through while the pictures played, page " << c.stopPage;
        EXPECT_EQ(waited, c.waited) << "the bar counts the pictures waited for, those of the page stopped";
        EXPECT_GT(drawn, 0);
        EXPECT_LT(drawn, c.waited);
        EXPECT_EQ(end, "印刷を中止しました");
        EXPECT_LE(PdfPages(pdf), 0) << "nothing of the job is printed, page " << c.stopPage;
        EXPECT_TRUE(vkttest::WaitForPlayers());
    }
}

// On a CUPS queue a confirmed stop sends nothing: the job the server knows of is the one finished
// after it.
TEST_F(PrintDialogTest, AStoppedRunSendsNoJobToTheQueue)
{
    const vkttest::CupsServer server;
    if (!server.Failure().empty()) GTEST_SKIP() << "no private CUPS server: " << server.Failure();
    SetPrinterObject(nullptr);
    const int queue = PrinterObject()->PrinterNameToIndex(vkttest::CupsServer::kQueue);
    ASSERT_GE(queue, 0);
    PrinterObject()->SetPrinterIndex(queue);
    // Asked through a connection of its own, closed after.
    const auto jobs = [] {
        http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 5000, nullptr);
        cups_job_t* list = nullptr;
        const int count = http ? cupsGetJobs2(http, &list, vkttest::CupsServer::kQueue, 0, CUPS_WHICHJOBS_ALL) : -1;
        cupsFreeJobs(std::max(count, 0), list);
        if (http) httpClose(http);
        return count;
    };
    // Clicked while page 2, then the last page, is under way.
    for (const int page : {1, 11}) {
        CancelAt cancel(page, MsgAnswer::Ok);
        std::string end;
        Show([&] {
            Find<QPushButton>("BtnPrint")->click();
            end = Text("ProgressLabel");
        });
        EXPECT_TRUE(cancel.done);
        EXPECT_EQ(end, "印刷を中止しました");
        EXPECT_EQ(jobs(), 0) << "stopped at page " << page;
    }
    Show([] { Find<QPushButton>("BtnPrint")->click(); });
    EXPECT_EQ(jobs(), 1);
}

TEST_F(PrintDialogTest, StopConfirmedBeforeTheFirstPagePrintsNothing)
{
    // The cancel is served by the events let through as the run starts.
    vkttest::Scripted().answers.push_back(MsgAnswer::Ok);
    std::string end;
    Show([&] {
        QTimer::singleShot(0, [] { Find<QPushButton>("BtnCancel")->click(); });
        Find<QPushButton>("BtnPrint")->click();
        end = Text("ProgressLabel");
    });
    EXPECT_EQ(vkttest::Scripted().messages.size(), 1u);
    EXPECT_EQ(end, "印刷を中止しました");
    EXPECT_LE(PdfPages(pdf), 0) << "no page after the confirmed stop";
    // The next run is not stopped by the earlier answer.
    Show([] { Find<QPushButton>("BtnPrint")->click(); });
    EXPECT_EQ(PdfPages(pdf), 12);
}

TEST_F(PrintDialogTest, EscapeWhilePrintingAsksInsteadOfClosing)
{
    vkttest::Scripted().answers.push_back(MsgAnswer::Cancel);
    bool asked = false;
    bool open = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (asked || !PrintExecuteDlg()->GetPrinting()) return;
        asked = true;
        QTest::keyClick(PrintExecuteDlg(), Qt::Key_Escape);
        PrintExecuteDlg()->close();
        open = PrintExecuteDlg()->isVisible();
    });
    timer.start(0);
    Show([] { Find<QPushButton>("BtnPrint")->click(); });
    EXPECT_TRUE(asked);
    EXPECT_TRUE(open);
    EXPECT_EQ(vkttest::Scripted().messages.size(), 2u) << "Esc and the close box both ask";
    EXPECT_EQ(PdfPages(pdf), 12);
}

TEST_F(PrintDialogTest, RunsThatPrintNothingSaySo)
{
    // No printer: nothing to start.
    vkttest::InstallNoPrinter();
    Show([] {
        EXPECT_FALSE(Find<QPushButton>("BtnPrint")->isEnabled());
        Find<QCheckBox>("CBCopy")->click();
        EXPECT_FALSE(Find<QPushButton>("BtnPrint")->isEnabled()) << "option changes keep it off";
    });
    // A refused job, and a declined PDF file name.
    auto device = std::make_unique<vkttest::RecordingPrinter>();
    device->refuseJobs = true;
    vkttest::InstallRecordingPrinter(std::move(device));
    std::string refused;
    Show([&] {
        Find<QPushButton>("BtnPrint")->click();
        refused = Text("ProgressLabel");
    });
    EXPECT_EQ(refused, "印刷できませんでした。");
    EXPECT_TRUE(vkttest::Scripted().messages.empty()) << "a refusal without a reason shows no box";
    // A printer that says why: the reason is shown once the run has ended.
    auto stopped = std::make_unique<vkttest::RecordingPrinter>();
    stopped->refuseMessage = "プリンタ「Recorder」は停止しています。";
    vkttest::InstallRecordingPrinter(std::move(stopped));
    std::string said;
    Show([&] {
        Find<QPushButton>("BtnPrint")->click();
        said = Text("ProgressLabel");
    });
    EXPECT_EQ(said, "印刷できませんでした。");
    ASSERT_EQ(vkttest::Scripted().messages.size(), 1u);
    const auto& message = vkttest::Scripted().messages[0];
    EXPECT_EQ(message.text, "印刷できませんでした。\nプリンタ「Recorder」は停止しています。");
    EXPECT_EQ(message.caption, "エラー");
    EXPECT_EQ(message.icon, platform::MsgIcon::Stop);
    vkttest::InstallPdfPrinter("");
    vkttest::Scripted().files.push_back(std::nullopt);
    std::string declined;
    Show([&] {
        Find<QPushButton>("BtnPrint")->click();
        declined = Text("ProgressLabel");
    });
    EXPECT_EQ(declined, "印刷できませんでした。");
}

// Files written by this process stay below `bytes` while it lives (a write beyond fails, EFBIG).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldSignal_);
    }

private:
    rlimit old_{};
    void (*oldSignal_)(int) = nullptr;
};

// A PDF file that cannot be made or written: the message says so in Japanese, naming the file
// (the system's reason may follow), and the print button can be clicked again.
TEST_F(PrintDialogTest, AFailedRunSaysWhyInJapaneseAndMayBeRetried)
{
    const std::string missing = vkttest::NewTempFolder("print") + "/none/out.pdf";
    const struct {
        std::string file;
        bool full;
        std::string said;
    } cases[] = {
        {missing, false, "ファイル「" + missing + "」を作成できません。"},
        {pdf, true, "ファイル「" + pdf + "」に書き込めません。"},
    };
    for (const auto& c : cases) {
        vkttest::Scripted().Reset();
        vkttest::InstallPdfPrinter(c.file);
        std::string end;
        bool again = false;
        Show([&] {
            std::optional<FileSizeLimit> limit;
            if (c.full) limit.emplace(1000);
            Find<QPushButton>("BtnPrint")->click();
            limit.reset();
            end = Text("ProgressLabel");
            again = Find<QPushButton>("BtnPrint")->isEnabled();
        });
        EXPECT_EQ(end, "印刷できませんでした。") << c.file;
        EXPECT_TRUE(again) << c.file;
        ASSERT_EQ(vkttest::Scripted().messages.size(), 1u) << c.file;
        const std::string text = vkttest::Scripted().messages[0].text;
        EXPECT_EQ(text.substr(0, text.find('\n', text.find('\n') + 1)), "印刷できませんでした。\n" + c.said);
    }
}

// A PDF printer whose job is written only once the window has answered (served a timer) since the
// writing began: written on the window's thread, it fails after 20 s. It counts the pages written
// off the thread that began the job.
class AnsweredPrinter : public TPdfPrinterDevice {
public:
    explicit AnsweredPrinter(std::string file) : file_(std::move(file)) {}
    std::unique_ptr<TPrinterJob> BeginJob(const std::string& title, const TPrinterDevMode& mode) override
    {
        class Job : public TPrinterJob {
        public:
            Job(std::unique_ptr<TPrinterJob> pdf, AnsweredPrinter& printer)
                : pdf_(std::move(pdf)), ending_(printer.ending), answered_(printer.answered),
                  pagesAside_(printer.pagesAside)
            {
            }
            platform::Canvas& GetCanvas() override { return pdf_->GetCanvas(); }
            void NewPage() override
            {
                pagesAside_ += std::this_thread::get_id() != began_;
                pdf_->NewPage();
            }
            bool End() override
            {
                ending_ = true;
                const auto give = std::chrono::steady_clock::now() + std::chrono::seconds(20);
                while (!answered_.load() && std::chrono::steady_clock::now() < give)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                return answered_.load() && pdf_->End();
            }
            void Cancel() override { pdf_->Cancel(); }

        private:
            std::unique_ptr<TPrinterJob> pdf_;
            std::atomic<bool>& ending_;
            std::atomic<bool>& answered_;
            std::atomic<int>& pagesAside_;
            const std::thread::id began_ = std::this_thread::get_id();
        };
        (void)mode;
        return std::make_unique<Job>(MakePdfFileJob(file_, title, {21000, 29700}, kResolution, 1), *this);
    }

    // Set as the job's writing begins, and once the window has served a timer since.
    std::atomic<bool> ending{false};
    std::atomic<bool> answered{false};
    std::atomic<int> pagesAside{0};

private:
    std::string file_;
};

// The pictures of a page are replayed, and the page and the job written, off the window's thread,
// which serves its events meanwhile; the recording printer's pages are those the page view prints
// itself.
TEST_F(PrintDialogTest, PicturesAndTheJobArePaintedAsideWithTheWindowAnswering)
{
    TPreview pictures;
    TViewItem* item = pictures.AddContainer(5);
    item->SetMMBoundRect_({1000, 1000, 19000, 27000});
    auto* images = dynamic_cast<TImageContainer*>(item->GetObject());
    images->SetColCount(2);
    images->SetRowCount(2);
    for (int i = 0; i < 8; ++i)
        images->AddImage(BinToBase64(vkttest::EmfBuilder(300 + i, 200)
                                         .Ellipse(10, 10, 290, 190, 0x2050C0)
                                         .Text(20, 80, 40, "献立 " + std::to_string(i), 0x101010)
                                         .Bytes()));
    pictures.SetSelected(nullptr);
    ASSERT_EQ(pictures.GetPageMax(), 2);
    // Played first: the run draws them at once.
    for (int i = 0; i < 8; ++i)
        (void)platform::RenderEnhancedMetafileCached(images->GetImageData(i));

    std::vector<std::unique_ptr<TPrinterDevice>> devices;
    devices.push_back(std::make_unique<AnsweredPrinter>(pdf));
    auto* printer = static_cast<AnsweredPrinter*>(devices.back().get());
    SetPrinterObject(std::make_unique<TPrinterObject>(std::move(devices), 0));
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (printer->ending) printer->answered = true;
    });
    timer.start(0);
    std::string end;
    std::size_t replays = 0;
    Show(
        [&] {
            replays = platform::DisplayList::ReplaysOnThisThread();
            Find<QPushButton>("BtnPrint")->click();
            replays = platform::DisplayList::ReplaysOnThisThread() - replays;
            end = Text("ProgressLabel");
        },
        &pictures);
    timer.stop();
    EXPECT_EQ(end, "印刷終了");
    EXPECT_EQ(PdfPages(pdf), 2);
    EXPECT_EQ(replays, 0u) << "no picture replayed on the window's thread";
    EXPECT_EQ(printer->pagesAside.load(), 1) << "the first page, of pictures, written aside";

    // The same pages on the recording printer, through the dialog and straight from the view.
    auto& recorder = vkttest::InstallRecordingPrinter(std::make_unique<vkttest::RecordingPrinter>("Recorder", 150));
    Show([] { Find<QPushButton>("BtnPrint")->click(); }, &pictures);
    ASSERT_EQ(recorder.pages.size(), 2u);
    EXPECT_TRUE(pictures.DrawPrinter("", 1, 0, 0, 0, {}));
    ASSERT_EQ(recorder.pages.size(), 4u);
    EXPECT_TRUE(recorder.pages[2] == recorder.pages[0]) << "the same pages as printed in place";
    EXPECT_TRUE(recorder.pages[3] == recorder.pages[1]);
}

} // namespace
