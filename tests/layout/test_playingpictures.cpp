// Metafile pictures play off the window's thread: the window goes on answering while they play, a
// frame stands in for each until it has played, then it is drawn; printing and PDF wait for them.
#include "core/Uvktsupport.h"
#include "gui/BitmapCanvas.h"
#include "gui/EnhancedMetafile.h"
#include "gui/PdfWriter.h"
#include "gui/QtSupport.h"
#include "layout/Preview.h"
#include "layout/Uimagecontainer.h"
#include "platform/Files.h"
#include "support/PaintedRegion.h"
#include "support/ScriptedServices.h"
#include "support/TestPictures.h"
#include "support/widgets/RecordingPrinter.h"
#include "widgets/Imageview.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

bool Red(QRgb p) { return qRed(p) > 180 && qGreen(p) < 80 && qBlue(p) < 80; }

bool Red(platform::TColor c) { return Red(qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF)); }

// A picture wholly red, its size making it distinct.
std::string RedPicture(int distinct)
{
    return vkttest::EmfBuilder(200 + distinct, 140).Rectangle(0, 0, 200 + distinct, 140, 0xE01010).Bytes();
}

// The longest the event loop went without answering a 10 ms timer while `until` is false (at most
// 20 s), its first answer included.
qint64 LongestUnanswered(const std::function<bool()>& until)
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
    });
    timer.start(10);
    while (!until() && clock.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return std::max(longest, clock.elapsed() - last);
}

// A page of ten pictures whose player takes 0.4 s each: the window answers a timer within 0.1 s
// throughout (it waited 4 s for them in turn), shows frames meanwhile, then each picture drawn in
// its cell without being asked to redraw.
TEST(PlayingPictures, APageOfSlowPicturesLeavesTheWindowAnswering)
{
    vkttest::PrinterScope printerScope;
    platform::SetScreenPixelsPerInch(96);
    vkttest::InstallRecordingPrinter(std::make_unique<vkttest::RecordingPrinter>("Recorder", 96));
    const vkttest::PlayerInUse slow(vkttest::ScriptPlayer(0.4));
    TPreview preview;
    TViewItem* item = preview.AddContainer(5);
    item->SetMMBoundRect_({1000, 1000, 13500, 6000});
    auto* images = dynamic_cast<TImageContainer*>(ContainerOf(item));
    images->SetColCount(5);
    images->SetRowCount(2);
    for (int i = 0; i < 10; ++i)
        images->AddImage(BinToBase64(RedPicture(100 + i)));
    preview.resize(800, 500);

    bool shown = false;
    QImage framed;
    const qint64 longest = LongestUnanswered([&] {
        if (!shown) {
            preview.show();
            shown = true;
        } else if (framed.isNull() && preview.windowHandle() && preview.windowHandle()->isExposed()) {
            framed = vkttest::ShownPixels(preview.viewport());
        }
        return shown && platform::ProgramMetafileCache().Playing() == 0;
    });
    EXPECT_LT(longest, 100) << "ms without an answer while ten pictures played";
    ASSERT_TRUE(vkttest::WaitForPlayers());
    QTest::qWait(50);

    const TRect r = item->GetScalingRect(preview.GetScale_());
    const TPoint o = preview.GetPageDrawer()->GetPageOrigin(0);
    const QImage drawn = vkttest::ShownPixels(preview.viewport());
    const int cw = (r.Right - r.Left) / 5;
    const int ch = (r.Bottom - r.Top) / 2;
    int drawnCells = 0;
    for (int cell = 0; cell < 10; ++cell) {
        const QPoint centre(o.X + r.Left + cw * (cell % 5) + cw / 2, o.Y + r.Top + ch * (cell / 5) + ch / 2);
        drawnCells += Red(drawn.pixel(centre));
        if (!framed.isNull()) {
            EXPECT_FALSE(Red(framed.pixel(centre))) << "cell " << cell << " framed first";
        }
    }
    EXPECT_FALSE(framed.isNull()) << "the page was shown while the pictures played";
    EXPECT_EQ(drawnCells, 10) << "cells drawn once their pictures played";
}

// The image view shows a frame while its picture plays and repaints itself when it has played; a
// picture that cannot be played is said once it has been tried, without holding the window.
TEST(PlayingPictures, TheImageViewRepaintsWhenItsPictureHasPlayed)
{
    const vkttest::PlayerInUse slow(vkttest::ScriptPlayer(0.3));
    TImageView view;
    view.resize(240, 180);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.SetData(RedPicture(300));
    QTest::qWait(50);
    const QPoint centre = view.viewport()->rect().center();
    EXPECT_FALSE(Red(vkttest::ShownPixels(view.viewport()).pixel(centre))) << "a frame while it plays";
    ASSERT_TRUE(vkttest::WaitForPlayers());
    EXPECT_TRUE(QTest::qWaitFor([&] { return Red(vkttest::ShownPixels(view.viewport()).pixel(centre)); }, 2000))
        << "drawn when played, without a call";

    vkttest::Scripted().Reset();
    const std::string folder = vkttest::NewTempFolder("slow");
    const std::string damaged = RedPicture(301).substr(0, 120);
    platform::WriteFileAtomic(folder + "/cut.emf", damaged);
    QElapsedTimer clock;
    clock.start();
    view.LoadFromFile(folder + "/cut.emf");
    EXPECT_LT(clock.elapsed(), 100) << "ms for a load";
    EXPECT_TRUE(vkttest::Scripted().messages.empty());
    ASSERT_TRUE(vkttest::WaitForPlayers());
    EXPECT_EQ(vkttest::Scripted().messages.size(), 1u) << "said when tried";
}

// Printing and PDF wait for the players: a page written while its pictures play, or after the
// screen cached frames for them, holds the drawings.
TEST(PlayingPictures, PrintingAndPdfWaitForThePictures)
{
    const vkttest::PlayerInUse slow(vkttest::ScriptPlayer(0.3));
    TPreview preview;
    TViewItem* item = preview.AddContainer(5);
    auto* images = dynamic_cast<TImageContainer*>(ContainerOf(item));
    images->AddImage(BinToBase64(RedPicture(400)));
    const TRect rect{10, 10, 210, 150};

    platform::BitmapCanvas screen(220, 160);
    images->Draw(0, 0, rect, 10000, screen, 1, 1, false);
    EXPECT_FALSE(Red(screen.GetPixel(110, 80))) << "a frame on screen while it plays";

    const std::string file = vkttest::NewTempFolder("pdf") + "/page.pdf";
    {
        platform::PdfWriter writer(file, 21000, 29700, 96);
        images->Draw(0, 0, rect, 10000, writer.GetCanvas(), 1, 1, false);
        writer.Finish();
    }
    const std::string command = "pdftoppm -r 96 -singlefile -png '" + file + "' '" + file + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(Red(QImage(QString::fromStdString(file + ".png")).pixel(110, 80))) << "in the PDF";

    // A printed page of four cells: their pictures play side by side.
    images->SetImageData(0, RedPicture(401));
    for (int i = 1; i < 4; ++i)
        images->AddImage(BinToBase64(RedPicture(401 + i)));
    images->SetColCount(2);
    images->SetRowCount(2);
    platform::BitmapCanvas paper(220, 160);
    QElapsedTimer clock;
    clock.start();
    images->Draw(0, 0, rect, 10000, paper, 1, 1, true);
    EXPECT_LT(clock.elapsed(), 1000) << "ms for four pictures of 0.3 s";
    for (const QPoint cell : {QPoint(60, 45), QPoint(160, 45), QPoint(60, 115), QPoint(160, 115)})
        EXPECT_TRUE(Red(paper.GetPixel(cell.x(), cell.y()))) << "on the printer, at " << cell.x() << ", " << cell.y();
}

} // namespace
