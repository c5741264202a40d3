#include "WaylandSession.h"

#include "gui/Clipboard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QSocketNotifier>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <string>

#include <unistd.h>

namespace vkttest {

namespace {

struct KeyCatcher : QObject {
    bool pressed = false;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) pressed = true;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int ClipboardHelper()
{
    QWidget window;
    window.setWindowTitle(QStringLiteral("clipboard helper"));
    window.resize(200, 100);
    window.show();
    // The compositor offers the clipboard to the window with the keyboard's focus.
    if (!QTest::qWaitFor([&] { return window.isActiveWindow(); }, 10000)) {
        std::fprintf(stderr, "the helper's window never took the focus\n");
        return 2;
    }
    std::string rtf;
    if (!QTest::qWaitFor([&] {
            rtf = platform::Clipboard::GetData("text/rtf");
            return !rtf.empty();
        }, 10000))
        std::fprintf(stderr, "the helper was offered no text/rtf\n");
    std::printf("READ %s\n", QByteArray::fromStdString(rtf).toHex().constData());
    // A copy goes with the user's input (the compositor takes a selection only with a serial newer
    // than the last one's): it is made on a key.
    KeyCatcher keys;
    window.installEventFilter(&keys);
    std::printf("READY\n");
    std::fflush(stdout);
    if (!QTest::qWaitFor([&] { return keys.pressed; }, 10000)) std::fprintf(stderr, "the helper got no key\n");
    platform::Clipboard::SetData("text/rtf", kHelperRtf);
    std::printf("SET\n");
    std::fflush(stdout);
    window.hide();
    // Serves the clipboard until the test closes the helper's input.
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    bool closed = false;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char byte;
        if (read(STDIN_FILENO, &byte, 1) <= 0) closed = true;
    });
    return QTest::qWaitFor([&] { return closed; }, 60000) ? 0 : 3;
}

} // namespace vkttest
