// The program: one instance per user session. A second start asks the running one to come to the
// front and ends before any window exists. SIGTERM and SIGINT (a session ending, Ctrl+C) close the
// main window as the user would, so the database list, the layout and the bounds are kept.
#include "database/Uvktapplication.h"
#include "gui/Application.h"
#include "platform/Sqlite.h"
#include "shell/Fsplash.h"
#include "shell/Fvktsingleviewer.h"
#include "shell/Ushellservices.h"
#include "shell/Usingleinstance.h"
#include "shell/Ustartprefetch.h"
#include "widgets/Uaccessible.h"
#include "widgets/Uprintersupport.h"

#include <QIcon>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void OnStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

// Turns the stop signals into a call of `stop` in the event loop.
void CatchStopSignals(QObject* owner, std::function<void()> stop)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [stop = std::move(stop)] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(g_signalPipe[0], &byte, 1);
        stop();
    });
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

// True when Qt can be given a display: a platform named, or an X or Wayland display.
bool DisplayAvailable()
{
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

QtMessageHandler g_qtMessages = nullptr;

// While the application object is made: a display named but not reached ends the program as a
// missing one does, not with Qt's abort.
void StartMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fputs("vektara: the display cannot be opened\n", stderr);
        std::_Exit(1);
    }
    if (g_qtMessages) g_qtMessages(type, context, message);
}

} // namespace

int main(int argc, char** argv)
{
    if (!DisplayAvailable()) {
        std::fputs("vektara: no display (neither DISPLAY nor WAYLAND_DISPLAY is set)\n", stderr);
        return 1;
    }
    TStartPrefetch prefetch;   // the font configuration is read meanwhile
    g_qtMessages = qInstallMessageHandler(StartMessage);
    platform::Application app(argc, argv);
    qInstallMessageHandler(g_qtMessages);
    QGuiApplication::setDesktopFileName(QStringLiteral(VKT_APP_ID));
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/app/%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    // Before any window: the database dialog of a first start is read as the forms are.
    InstallAccessibility();
    VktApplication().SetShellServices(std::make_unique<TShellServices>());
    auto instance = std::make_unique<TSingleInstance>();
    if (!instance->Claim()) {
        // The application object's teardown asks fontconfig for its configuration: the worker
        // must have finished reading it first, or both threads build one.
        prefetch.WaitFonts();
        return 0;
    }
    // While the font configuration is read: the start-up picture is decoded on a worker, and the
    // printers the layout designer's page asks for are listed (no text is measured for either).
    TSplash::PrefetchStartPicture();
    platform::RemoveStaleReadCopies();   // of earlier runs that were killed
    try {
        PrinterObject();
    } catch (...) {
        // met again, and reported, where the layout designer asks for the printers
    }
    prefetch.WaitFonts();

    // An error escaping start-up or the loop is shown once; the program then ends normally.
    platform::Guard([&] {
        TVktSingleViewer viewer(std::move(instance));
        TSplash splash;
        viewer.SetSplash(&splash);
        viewer.SetFirstStartSample(true);
        viewer.SetReopenLastDatabase(true);
        CatchStopSignals(&viewer, [&viewer] {
            viewer.close();
            QCoreApplication::quit();
        });
        viewer.show();
        app.exec();
    });
    return 0;
}
