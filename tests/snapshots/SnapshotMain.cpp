// The `visual` runner: shows each registered snapshot widget in the real X server, waits until it
// is exposed and its pictures have played, grabs it and writes <folder>/<name>.png. Fails on a widget that never shows, an
// image that cannot be written, or an image of one colour.
#include "gui/Application.h"
#include "support/Snapshot.h"
#include "support/TestEnvironment.h"
#include "support/TestPictures.h"

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

bool OneColour(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const QRgb first = rgb.pixel(0, 0);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            if (line[x] != first) return false;
    }
    return true;
}

// Empty when written, else what went wrong.
QString Take(const vkttest::SnapshotEntry& entry, const QDir& folder)
{
    std::unique_ptr<QWidget> widget(entry.make());
    if (!widget) return QStringLiteral("no widget");
    widget->show();
    if (!QTest::qWaitForWindowExposed(widget.get(), 10000)) return QStringLiteral("never exposed");
    QTest::qWait(100);   // late layouts and repaints
    // PageRecording pictures drawn once played.
    if (!vkttest::WaitForPlayers()) return QStringLiteral("pictures still playing");
    const QImage image = widget->grab().toImage();
    if (image.isNull() || image.width() == 0 || image.height() == 0) return QStringLiteral("empty grab");
    const QString file = folder.filePath(QString::fromStdString(entry.name) + QStringLiteral(".png"));
    if (!image.save(file, "PNG")) return QStringLiteral("cannot write ") + file;
    const QImage written(file);
    if (written.isNull()) return QStringLiteral("missing ") + file;
    if (OneColour(written)) return QStringLiteral("one colour only");
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "xcb", 1);   // the real X server, whatever the caller's setting
    vkttest::TestEnvironment environment;
    platform::Application app(argc, argv);
    environment.Install();

    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot make %s\n", argv[1]);
        return 2;
    }
    int failures = 0;
    for (const vkttest::SnapshotEntry& entry : vkttest::Snapshots()) {
        const QString problem = Take(entry, folder);
        std::printf("%-32s %s\n", entry.name.c_str(), problem.isEmpty() ? "ok" : qPrintable(problem));
        if (!problem.isEmpty()) ++failures;
    }
    if (vkttest::Snapshots().empty()) {
        std::fprintf(stderr, "no snapshots registered\n");
        ++failures;
    }
    environment.Uninstall();
    return failures == 0 ? 0 : 1;
}
