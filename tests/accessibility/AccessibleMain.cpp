// The `accessibility` runner: the snapshots' forms shown one at a time in a real X server with
// Qt's AT-SPI bridge on, for a screen reader's client to read (test_accessibility.py).
//
// Reads snapshot names from stdin, one a line: shows that form (the one before is deleted), waits
// until it is exposed and prints "shown <name>" (or "failed <name> <why>"). Ends at end of input.
#include "gui/Application.h"
#include "support/Snapshot.h"
#include "support/TestEnvironment.h"
#include "support/TestPictures.h"
#include "widgets/Uaccessible.h"

#include <QSocketNotifier>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

const vkttest::SnapshotEntry* Find(const std::string& name)
{
    for (const vkttest::SnapshotEntry& entry : vkttest::Snapshots())
        if (entry.name == name) return &entry;
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    setenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1", 1);
    vkttest::TestEnvironment environment;
    platform::Application app(argc, argv);
    environment.Install();
    QApplication::setQuitOnLastWindowClosed(false);   // the forms come and go until the input ends
    InstallAccessibility();                             // as the program does before its first window

    std::unique_ptr<QWidget> shown;
    std::string pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false);
            QApplication::quit();
            return;
        }
        pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            const std::string name = pending.substr(0, end);
            pending.erase(0, end + 1);
            shown.reset();
            const vkttest::SnapshotEntry* entry = Find(name);
            const char* problem = nullptr;
            if (!entry) {
                problem = "unknown";
            } else {
                shown.reset(entry->make());
                if (!shown) {
                    problem = "no widget";
                } else {
                    shown->show();
                    if (!QTest::qWaitForWindowExposed(shown.get(), 10000)) problem = "never exposed";
                    vkttest::WaitForPlayers();
                    QTest::qWait(200);   // the bridge's registration of the new window
                }
            }
            if (problem)
                std::printf("failed %s %s\n", name.c_str(), problem);
            else
                std::printf("shown %s\n", name.c_str());
            std::fflush(stdout);
        }
    });
    const int code = QApplication::exec();
    shown.reset();
    environment.Uninstall();
    return code;
}
