// Metafile pictures play off the window's thread: the window goes on answering while they play, a
// frame stands in for each until it has played, then it is drawn from pixels made off the window's
// thread too; printing and PDF wait for them and draw their vectors.
#include "core/Uvktsupport.h"
#include "gui/BitmapCanvas.h"
#include "gui/EnhancedMetafile.h"
#include "gui/PicturePixels.h"
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

#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>

#include <cstdlib>
#include <optional>
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

// Players that wait until the gate is opened or (with `together`) until that many of them have
// started, then answer with the drawing of a red picture (played once beforehand, so that no player
// starts up within the time a play may take however loaded the machine). A player still waiting
// after its 8 s in all is killed and its picture refused.
class GatedPlayers {
public:
    explicit GatedPlayers(int together = 0) : folder_(vkttest::NewTempFolder("gate")), use_(Script(folder_, together))
    {
    }
    void Open() const { platform::WriteFileAtomic(folder_ + "/open", ""); }

private:
    static std::string Script(const std::string& folder, int together)
    {
        std::string error;
        const std::optional<std::string> drawing = platform::PlayMetafile(RedPicture(0), 60000, error);
        EXPECT_TRUE(drawing) << error;
        platform::WriteFileAtomic(folder + "/drawing", drawing.value_or(""));
        return vkttest::ScriptPlayer(0, "touch '" + folder + "/started.'$$; while [ ! -e '" + folder +
                                            "/open' ] && [ $(ls '" + folder + "' | grep -c started) -lt " +
                                            std::to_string(together > 0 ? together : 1 << 30) +
                                            " ]; do sleep 0.01; done; exec cat '" + folder + "/drawing'");
    }

    std::string folder_;
    vkttest::PlayerInUse use_;
};

// A page of a photograph and nine pictures whose players wait until the page has been seen: the
// window's thread never waits for a player (were it to wait, the gate would stay shut and hold it
// 8 s a picture, until the player is killed), shows frames meanwhile, then each picture drawn in
// its cell without being asked to redraw. The page's recording holds the pictures by reference,
// not a copy of the photograph's pixels.
TEST(PlayingPictures, APageOfSlowPicturesLeavesTheWindowAnswering)
{
    vkttest::PrinterScope printerScope;
    platform::SetScreenPixelsPerInch(96);
    vkttest::InstallRecordingPrinter(std::make_unique<vkttest::RecordingPrinter>("Recorder", 96));
    const GatedPlayers gate;
    TPreview preview;
    TViewItem* item = preview.AddContainer(5);
    item->SetMMBoundRect_({1000, 1000, 13500, 6000});
    auto* images = dynamic_cast<TImageContainer*>(ContainerOf(item));
    images->SetColCount(5);
    images->SetRowCount(2);
    images->AddImage(BinToBase64(RedPhoto()));
    preview.resize(800, 500);
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    const std::size_t heldWaits = platform::ProgramMetafileCache().HeldWaits();

    // The pictures set on the page shown; the gate opened once their frames are seen.
    bool set = false;
    QImage framed;
    const double longest = vkttest::LongestUnanswered([&] {
        if (!set) {
            images->BeginUpdate();
            for (int i = 1; i < 10; ++i)
                images->AddImage(BinToBase64(RedPicture(100 + i)));
            images->EndUpdate();
            set = true;
        } else if (framed.isNull() && platform::ProgramMetafileCache().Playing() > 0) {
            framed = vkttest::ShownPixels(preview.viewport());
            gate.Open();
        }
        return !framed.isNull() && platform::ProgramMetafileCache().Playing() == 0;
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
    TImageView view;
    view.resize(240, 180);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const QPoint centre = view.viewport()->rect().center();
    {
        const GatedPlayers gate;
        view.SetData(RedPicture(300));
        QTest::qWait(50);
        EXPECT_FALSE(Red(vkttest::ShownPixels(view.viewport()).pixel(centre))) << "a frame while it plays";
        gate.Open();
        ASSERT_TRUE(vkttest::WaitForPlayers());
    }
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
    const GatedPlayers gate;
    TPreview preview;
    TViewItem* item = preview.AddContainer(5);
    auto* images = dynamic_cast<TImageContainer*>(ContainerOf(item));
    images->AddImage(BinToBase64(RedPicture(400)));
    const TRect rect{10, 10, 210, 150};

    platform::BitmapCanvas screen(220, 160);
    images->Draw(0, 0, rect, 10000, screen, 1, 1, false);
    EXPECT_FALSE(Red(screen.GetPixel(110, 80))) << "a frame on screen while it plays";
    gate.Open();

    const std::string file = vkttest::NewTempFolder("pdf") + "/page.pdf";
    {
        platform::PdfWriter writer(file, 21000, 29700, 96);
        images->Draw(0, 0, rect, 10000, writer.GetCanvas(), 1, 1, false);
        writer.Finish();
    }
    const std::string command = "pdftoppm -r 96 -singlefile -png '" + file + "' '" + file + "' 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(Red(QImage(QString::fromStdString(file + ".png")).pixel(110, 80))) << "in the PDF";

    // A printed page of four cells: their pictures play side by side (each player waits until all
    // four have started: played in turn, every one would be killed).
    const GatedPlayers together(4);
    images->SetImageData(0, RedPicture(401));
    for (int i = 1; i < 4; ++i)
        images->AddImage(BinToBase64(RedPicture(401 + i)));
    images->SetColCount(2);
    images->SetRowCount(2);
    platform::BitmapCanvas paper(220, 160);
    images->Draw(0, 0, rect, 10000, paper, 1, 1, true);
    for (const QPoint cell : {QPoint(60, 45), QPoint(160, 45), QPoint(60, 115), QPoint(160, 115)})
        EXPECT_TRUE(Red(paper.GetPixel(cell.x(), cell.y()))) << "on the printer, at " << cell.x() << ", " << cell.y();
}

// On screen a picture is shown from pixels made off the window's thread, at the size shown: the
// window's thread replays no drawing, and a page of 20 pictures scrolled over and repainted once
// their pixels are made makes none of them again.
TEST(PlayingPictures, APageShowsPixelsMadeOffTheWindowsThread)
{
    platform::SetScreenPixelsPerInch(96);
    TPreview preview;
    TViewItem* item = preview.AddContainer(5);
    item->SetMMBoundRect_({1000, 1000, 20000, 28700});
    auto* images = dynamic_cast<TImageContainer*>(ContainerOf(item));
    images->SetColCount(4);
    images->SetRowCount(5);
    images->BeginUpdate();
    for (int i = 0; i < 20; ++i)
        images->AddImage(BinToBase64(RedPicture(500 + i)));
    images->EndUpdate();
    preview.resize(840, 500);
    preview.SetScale_(10000);
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    const std::size_t replays = platform::DisplayList::ReplaysOnThisThread();
    QScrollBar* bar = preview.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    // Down the page a wheel notch at a time, repainted, then back to its top.
    const auto scrollThrough = [&] {
        for (const int down : {1, -1})
            for (int step = 0; step < 100 && bar->value() != (down > 0 ? bar->maximum() : 0); ++step) {
                const QPointF at(100, 100);
                QWheelEvent wheel(at, preview.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120 * down),
                                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
                QCoreApplication::sendEvent(preview.viewport(), &wheel);
                preview.viewport()->repaint();
                ASSERT_TRUE(vkttest::WaitForPlayers());
            }
        EXPECT_EQ(bar->value(), 0);
    };
    scrollThrough();
    ASSERT_TRUE(vkttest::WaitForPlayers());
    const TRect r = item->GetScalingRect(preview.GetScale_());
    const TPoint o = preview.GetPageDrawer()->GetPageOrigin(0);
    const QPoint firstCell(o.X + r.Left + r.Width() / 8, o.Y + r.Top + r.Height() / 10);
    EXPECT_TRUE(Red(vkttest::ShownPixels(preview.viewport()).pixel(firstCell))) << "drawn from its pixels";

    const std::size_t rasters = platform::ProgramPicturePixels().Rasters();
    scrollThrough();
    ASSERT_TRUE(vkttest::WaitForPlayers());
    EXPECT_EQ(platform::ProgramPicturePixels().Rasters(), rasters) << "scrolled and repainted: nothing made again";
    EXPECT_TRUE(Red(vkttest::ShownPixels(preview.viewport()).pixel(firstCell)));
    EXPECT_EQ(platform::DisplayList::ReplaysOnThisThread(), replays) << "no drawing replayed on the window's thread";
}

} // namespace
