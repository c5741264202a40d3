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
#include "platform/JpegWriter.h"
#include "support/PaintedRegion.h"
#include "support/ScriptedServices.h"
#include "support/TestPictures.h"
#include "support/widgets/RecordingPrinter.h"
#include "widgets/Imageview.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QWindow>

#include <cstdlib>
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

// A red photograph of 640 × 480 pixels, as a JPEG.
std::string RedPhoto()
{
    platform::Picture photo(640, 480);
    unsigned noise = 12345;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            noise = noise * 1664525u + 1013904223u;
            photo.SetPixel(x, y, platform::RgbColor(200 + (noise >> 27), (noise >> 10) & 0x3F, (noise >> 20) & 0x3F));
        }
    return platform::EncodeJpeg(photo);
}

// A page of a photograph and nine pictures whose player takes 0.5 s each: the window's thread
// never waits for a player (the longest it leaves a timer unanswered stays far below the 4.5 s of
// waiting for them in turn, however loaded the machine), shows frames meanwhile, then each picture
// drawn in its cell without being asked to redraw. The page's recording holds the pictures by
// reference, not a copy of the photograph's pixels.
TEST(PlayingPictures, APageOfSlowPicturesLeavesTheWindowAnswering)
{
    vkttest::PrinterScope printerScope;
    platform::SetScreenPixelsPerInch(96);
    vkttest::InstallRecordingPrinter(std::make_unique<vkttest::RecordingPrinter>("Recorder", 96));
    const vkttest::PlayerInUse slow(vkttest::ScriptPlayer(0.5));
    TPreview preview;
    TViewItem* item = preview.AddContainer(5);
    item->SetMMBoundRect_({1000, 1000, 13500, 6000});
    auto* images = dynamic_cast<TImageContainer*>(ContainerOf(item));
    images->SetColCount(5);
    images->SetRowCount(2);
    images->AddImage(BinToBase64(RedPhoto()));
    for (int i = 1; i < 10; ++i)
        images->AddImage(BinToBase64(RedPicture(100 + i)));
    preview.resize(800, 500);
    const std::size_t heldWaits = platform::ProgramMetafileCache().HeldWaits();

    bool shown = false;
    QImage framed;
    const double longest = vkttest::LongestUnanswered([&] {
        if (!shown) {
            preview.show();
            shown = true;
        } else if (framed.isNull() && preview.windowHandle() && preview.windowHandle()->isExposed()) {
            framed = vkttest::ShownPixels(preview.viewport());
        }
        return shown && platform::ProgramMetafileCache().Playing() == 0;
    });
    EXPECT_LT(longest, 2000) << "ms without an answer while nine pictures played";
    EXPECT_EQ(platform::ProgramMetafileCache().HeldWaits(), heldWaits) << "the window's thread waited for a player";
    ASSERT_TRUE(vkttest::WaitForPlayers());
    QTest::qWait(50);
    EXPECT_LT(images->GetCache().Bytes(), 8u << 10) << "the recording holds no copy of the photograph's pixels";

    const TRect r = item->GetScalingRect(preview.GetScale_());
    const TPoint o = preview.GetPageDrawer()->GetPageOrigin(0);
    const QImage drawn = vkttest::ShownPixels(preview.viewport());
    const int cw = (r.Right - r.Left) / 5;
    const int ch = (r.Bottom - r.Top) / 2;
    int drawnCells = 0;
    for (int cell = 0; cell < 10; ++cell) {
        const QPoint centre(o.X + r.Left + cw * (cell % 5) + cw / 2, o.Y + r.Top + ch * (cell / 5) + ch / 2);
        drawnCells += Red(drawn.pixel(centre));
        if (!framed.isNull() && cell > 0) {
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
    const std::size_t heldWaits = platform::ProgramMetafileCache().HeldWaits();
    view.LoadFromFile(folder + "/cut.emf");
    EXPECT_EQ(platform::ProgramMetafileCache().HeldWaits(), heldWaits) << "a load waits for no player";
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

    // A printed page of four cells: their pictures play side by side (in turn they take 2 s).
    const vkttest::PlayerInUse slower(vkttest::ScriptPlayer(0.5));
    images->SetImageData(0, RedPicture(401));
    for (int i = 1; i < 4; ++i)
        images->AddImage(BinToBase64(RedPicture(401 + i)));
    images->SetColCount(2);
    images->SetRowCount(2);
    platform::BitmapCanvas paper(220, 160);
    QElapsedTimer clock;
    clock.start();
    images->Draw(0, 0, rect, 10000, paper, 1, 1, true);
    EXPECT_LT(clock.elapsed(), 1600) << "ms for four pictures of 0.5 s";
    for (const QPoint cell : {QPoint(60, 45), QPoint(160, 45), QPoint(60, 115), QPoint(160, 115)})
        EXPECT_TRUE(Red(paper.GetPixel(cell.x(), cell.y()))) << "on the printer, at " << cell.x() << ", " << cell.y();
}

} // namespace
