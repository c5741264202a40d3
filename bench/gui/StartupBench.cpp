// Starting the program and opening a database, each against plain Qt or the data layer alone.
//
// StartUp: the program (bin/vektara beside the build's bench folder) started as a process, with
// the generated database registered, until its start-up trace reports the main window shown;
// against this program started as a plain Qt program that shows an empty QMainWindow. Both run
// on their own home and runtime folders; each repetition is the median of kStartRuns starts of
// each, the two taking turns.
//
// CloseToExit: in the same runs, from the close request (SIGTERM, which the program turns into
// its main window's close and the loop's end) until the process has ended; against the plain Qt
// program closing its window and quitting on the same request.
//
// ReportCloseToExit: the same close of the program's main window showing the generated
// database's food list of every ingredient in the layout view (this benchmark program started
// as that window, the shipped layouts in its data folder), against the same plain Qt close.
//
// DatabaseOpen: the command module's SwitchDatabase on a shown main data panel until the records
// are listed and painted; against a TVktAccesser listing the same table, fields, orders and filter.
//
// DatabaseOpenStockTaking: the same open with the panel in stock-taking mode, until the fresh
// navigation's sheet (the database's one, 10 000 entries) is listed and painted; against the open
// in list mode. The hidden record list lists nothing: listing it as well would bring the pair to
// about 1.
#include "BenchRatio.h"
#include "GuiBenchData.h"
#include "GuiBenchSupport.h"

#include "data/Uvktaccesser.h"
#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Settings.h"
#include "layout/Preview.h"
#include "screens/Fclassfilterview.h"
#include "screens/Fclassview.h"
#include "screens/Fdatalistview.h"
#include "screens/Fdataview.h"
#include "screens/Fdataviewer.h"
#include "screens/Finventoryview.h"
#include "shell/Fvktpanel.h"
#include "shell/Fvktsingleviewer.h"
#include "shell/Mvktcommandmodule.h"
#include "widgets/Mvktmodule.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMainWindow>
#include <QProcess>
#include <QSocketNotifier>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <csignal>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kStartRuns = 5;
constexpr int kStartTimeoutMs = 30000;
constexpr const char* kShownLine = "main window shown";
constexpr const char* kPlainWindowVariable = "VKT_BENCH_PLAIN_WINDOW";
constexpr const char* kReportWindowVariable = "VKT_BENCH_REPORT_WINDOW";   // the ingredient root class
constexpr const char* kDatabaseName = "ベンチ厨房";

int g_closePipe[2] = {-1, -1};

void OnCloseSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_closePipe[1], &byte, 1);
}

// Reports `window` shown as the program reports its own and runs the loop; SIGTERM closes the
// window and ends the loop, as the program's own close request does.
int RunUntilClosed(QWidget& window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_closePipe) != 0) return 1;
    QSocketNotifier notifier(g_closePipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &window, [&window] {
        window.close();
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    std::fprintf(stderr, "%s\n", kShownLine);
    std::fflush(stderr);
    return QCoreApplication::exec();
}

// The plain Qt side: an empty main window.
int RunPlainWindow()
{
    int argc = 1;
    char name[] = "plain";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    QMainWindow window;
    window.resize(800, 600);
    window.show();
    return RunUntilClosed(window);
}

// Started with the variable set, this program is the plain Qt program: it ends before its main.
[[maybe_unused]] const bool plainWindowRun = std::getenv(kPlainWindowVariable) && (std::_Exit(RunPlainWindow()), true);

// The program's main window with the generated database open and the food list of the class the
// variable names (every ingredient) laid out in its layout view; run by main in place of the
// benchmarks.
int RunReportWindow()
{
    for (const char* file : {"FoodList.xml", "Recipe.xml", "Menu.xml"})
        std::filesystem::copy_file(bench::ShippedLayout(file), VktMdl()->GetDataFolder() + file,
                                   std::filesystem::copy_options::overwrite_existing);
    TVktSingleViewer window;
    window.show();
    VktCommandModule()->SwitchDatabase(kDatabaseName, true);
    TVktPanel* panel = window.GetVktPanel();
    panel->GetClassFilterView()->GetClassView()->SelectID(std::atoi(std::getenv(kReportWindowVariable)));
    panel->ShowPreview(true);
    QCoreApplication::processEvents();
    if (window.GetLayoutDocument()->GetPageMax() < 2) return 1;
    return RunUntilClosed(window);
}

[[maybe_unused]] const bool reportWindowRegistered = bench::AddChildProgram(kReportWindowVariable, RunReportWindow);

// Which program a start runs.
enum class Started { Program, Plain, Report };

// The home and runtime folders of the started programs, with the generated database registered.
class StartFolders {
public:
    StartFolders()
    {
        if (!home_.isValid()) throw std::runtime_error("Cannot make a home folder");
        char pattern[] = "/tmp/vkbXXXXXX";   // socket paths hold about 100 bytes
        const char* made = mkdtemp(pattern);
        if (!made) throw std::runtime_error("Cannot make a runtime folder");
        runtime_ = made;
        chmod(made, 0700);
        const std::string home = platform::FromQString(home_.path());
        platform::SetSettingsFolder(platform::SettingsScope::User, home + "/.config");
        VktMdl()->WriteAliases(std::string(kDatabaseName) + "=" + bench::GuiBenchDatabase().Folder + "\r\n");
        platform::SetSettingsFolder(platform::SettingsScope::User, {});
    }
    ~StartFolders()
    {
        std::error_code ignored;
        std::filesystem::remove_all(runtime_, ignored);
    }

    QProcessEnvironment Environment(Started started) const
    {
        const QString home = home_.path();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home);
        env.insert("XDG_CONFIG_HOME", home + "/.config");
        env.insert("XDG_DATA_HOME", home + "/.local/share");
        env.insert("XDG_CACHE_HOME", home + "/.cache");
        env.insert("XDG_RUNTIME_DIR", platform::ToQString(runtime_));
        if (!env.contains("QT_QPA_PLATFORM")) env.insert("QT_QPA_PLATFORM", "offscreen");
        env.remove(kPlainWindowVariable);
        env.remove(kReportWindowVariable);
        // The program reports its window shown in its start-up trace; the report window only
        // once its report is laid out.
        if (started == Started::Program) env.insert("QT_LOGGING_RULES", "vektara.startup.debug=true");
        if (started == Started::Plain) env.insert(kPlainWindowVariable, "1");
        if (started == Started::Report)
            env.insert(kReportWindowVariable, QString::number(bench::GuiBenchDatabase().IngredientRootClass));
        return env;
    }

private:
    QTemporaryDir home_;
    std::string runtime_;
};

QString ProgramPath()
{
    const QString program = QCoreApplication::applicationDirPath() + "/../../bin/vektara";
    if (!QFileInfo(program).isExecutable())
        throw std::runtime_error("No program at " + platform::FromQString(program) + " (build the vektara target)");
    return program;
}

struct RunSeconds {
    double Shown = 0;    // from the start to the report of the shown main window
    double Closed = 0;   // from the close request to the end of the process
};

// Starts the program until it reports its main window shown, then ends it as a session ends it.
RunSeconds StartAndClose(const QString& program, const QProcessEnvironment& env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    QByteArray output;
    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    while (!output.contains(kShownLine)) {
        const int left = kStartTimeoutMs - static_cast<int>(clock.elapsed());
        if (left <= 0 || !process.waitForReadyRead(left)) {
            process.kill();
            process.waitForFinished();
            throw std::runtime_error("The main window was not shown: " + output.toStdString());
        }
        output += process.readAll();
    }
    RunSeconds seconds;
    seconds.Shown = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    clock.restart();
    process.terminate();
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        throw std::runtime_error("The program did not end on the close request");
    }
    seconds.Closed = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    return seconds;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Medians of the two programs' starts and closes, made kStartRuns at a time with the programs
// taking turns and taken one by one by the benchmarks.
struct StartMedians {
    std::deque<double> Program;
    std::deque<double> Plain;
    std::deque<double> ProgramClose;
    std::deque<double> PlainClose;
    std::deque<double> ReportClose;

    static StartMedians& Get()
    {
        static StartMedians medians;
        return medians;
    }
    void Measure()
    {
        const StartFolders folders;
        const QString program = ProgramPath();
        const QString self = QCoreApplication::applicationFilePath();
        // Untimed first starts fill the home folder's caches.
        StartAndClose(program, folders.Environment(Started::Program));
        StartAndClose(self, folders.Environment(Started::Plain));
        StartAndClose(self, folders.Environment(Started::Report));
        std::vector<RunSeconds> program_;
        std::vector<RunSeconds> plain;
        std::vector<RunSeconds> report;
        for (int run = 0; run < kStartRuns; ++run) {
            program_.push_back(StartAndClose(program, folders.Environment(Started::Program)));
            plain.push_back(StartAndClose(self, folders.Environment(Started::Plain)));
            report.push_back(StartAndClose(self, folders.Environment(Started::Report)));
        }
        auto median = [](const std::vector<RunSeconds>& runs, double RunSeconds::*part) {
            std::vector<double> values;
            for (const RunSeconds& run : runs) values.push_back(run.*part);
            return Median(values);
        };
        Program.push_back(median(program_, &RunSeconds::Shown));
        Plain.push_back(median(plain, &RunSeconds::Shown));
        ProgramClose.push_back(median(program_, &RunSeconds::Closed));
        PlainClose.push_back(median(plain, &RunSeconds::Closed));
        ReportClose.push_back(median(report, &RunSeconds::Closed));
    }
    double Take(std::deque<double>& from)
    {
        if (from.empty()) Measure();
        const double median = from.front();
        from.pop_front();
        return median;
    }
};

void StartUp(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        for (auto _ : state) state.SetIterationTime(StartMedians::Get().Take(StartMedians::Get().Program));
    });
}

void PlainWindowStartUp(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        for (auto _ : state) state.SetIterationTime(StartMedians::Get().Take(StartMedians::Get().Plain));
    });
}

void CloseToExit(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        for (auto _ : state) state.SetIterationTime(StartMedians::Get().Take(StartMedians::Get().ProgramClose));
    });
}

void PlainWindowCloseToExit(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        for (auto _ : state) state.SetIterationTime(StartMedians::Get().Take(StartMedians::Get().PlainClose));
    });
}

void ReportCloseToExit(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        for (auto _ : state) state.SetIterationTime(StartMedians::Get().Take(StartMedians::Get().ReportClose));
    });
}

// A shown main data panel, current in the command module, with the generated database in the
// program's registry; user settings go to a folder of its own.
class OpenPanel {
public:
    OpenPanel()
    {
        if (!settings_.isValid()) throw std::runtime_error("Cannot make a settings folder");
        platform::SetSettingsFolder(platform::SettingsScope::User, platform::FromQString(settings_.path()));
        TVktApplication& registry = VktApplication();
        if (registry.IndexOf(kDatabaseName) < 0 &&
            !registry.RegisterDatabase(kDatabaseName, bench::GuiBenchDatabase().Folder))
            throw std::runtime_error("Cannot register the generated database");
        window_.resize(1000, 700);
        panel_ = new TVktPanel(&window_);
        panel_->resize(1000, 700);
        VktCommandModule()->SetCurrentPanel(panel_);
        panel_->Setup();
        bench::ShowExposed(window_);
    }
    ~OpenPanel()
    {
        Close();
        VktCommandModule()->SetCurrentPanel(nullptr);
        delete panel_;   // while the settings still go to the own folder
        platform::SetSettingsFolder(platform::SettingsScope::User, {});
    }

    void ShowInventory(bool on) { panel_->ShowInventory(on); }
    // Opens the database; the shown screen lists its rows and is painted.
    void Open()
    {
        VktCommandModule()->SwitchDatabase(kDatabaseName, true);
        QCoreApplication::processEvents();
        if (ShownRows() == 0) throw std::runtime_error("The opened database lists no rows");
        QTableView* grid = panel_->GetInventoryMode() ? panel_->GetInventoryView()->GetInvListView()->GetStringGrid()
                                                      : View()->GetDataListView()->GetStringGrid();
        grid->viewport()->repaint();
    }
    int ShownRows() const
    {
        return panel_->GetInventoryMode() ? panel_->GetInventoryView()->GetInvListView()->GetModel()->GetRowCount()
                                          : View()->GetDataListView()->GetRows().GetCount();
    }
    void Close()
    {
        if (TVktObject* object = panel_->GetVktObject()) {
            object->Close();
            panel_->SetVktObject(nullptr);
        }
    }
    TDataView* View() const { return panel_->GetDataViewer()->GetDataView(); }
    TVktObject* Object() const { return panel_->GetVktObject(); }

private:
    QTemporaryDir settings_;
    QWidget window_;
    TVktPanel* panel_ = nullptr;
};

void DatabaseOpen(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        OpenPanel panel;
        for (auto _ : state) {
            state.PauseTiming();
            panel.Close();
            state.ResumeTiming();
            panel.Open();
        }
        state.counters["rows"] = panel.View()->GetDataListView()->GetRows().GetCount();
    });
}

void DatabaseOpenStockTaking(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        bench::StockTakingSheet();
        OpenPanel panel;
        panel.ShowInventory(true);
        for (auto _ : state) {
            state.PauseTiming();
            panel.Close();
            state.ResumeTiming();
            panel.Open();
        }
        if (panel.ShownRows() != bench::StockTakingSheetRows())
            throw std::runtime_error("The stock-taking view shows other rows than the sheet's");
        state.counters["rows"] = panel.ShownRows();
    });
}

void AccesserOpenListing(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        OpenPanel panel;
        panel.Open();
        const TVktAccesser& shown = *panel.View()->GetAccesser();
        const int rows = shown.GetRowCount();
        for (auto _ : state)
            if (bench::AccesserRows(panel.Object(), shown.GetTable(), shown.GetFields(), shown.GetOrder(),
                                    shown.GetFilter()) != rows)
                throw std::runtime_error("The accessor listed other rows");
        state.counters["rows"] = rows;
    });
}

BENCHMARK(StartUp)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainWindowStartUp)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(CloseToExit)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainWindowCloseToExit)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(ReportCloseToExit)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(DatabaseOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(DatabaseOpenStockTaking)->Unit(benchmark::kMillisecond);
BENCHMARK(AccesserOpenListing)->Unit(benchmark::kMillisecond);

VKT_BENCH_RATIO(StartUp, PlainWindowStartUp, 3);
VKT_BENCH_RATIO(CloseToExit, PlainWindowCloseToExit, 3);
VKT_BENCH_RATIO(ReportCloseToExit, PlainWindowCloseToExit, 3);
VKT_BENCH_RATIO(DatabaseOpen, AccesserOpenListing, 2);
VKT_BENCH_RATIO(DatabaseOpenStockTaking, DatabaseOpen, 0.3);

} // namespace
