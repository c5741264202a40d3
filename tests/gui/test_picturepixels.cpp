// Drawings on screen come from pixels made by worker threads: a paint before they are made draws
// a frame (or the pixels of another size) and replays nothing on its own thread; made once per
// size, kept within their budget; a drawing over the raster time limit shows its frame and reason.
#include "gui/DrawingSvg.h"
#include "gui/EnhancedMetafile.h"
#include "gui/PaintAside.h"
#include "gui/PicturePixels.h"
#include "gui/RunPump.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

namespace {

using namespace platform;

// A drawing of 200 × 100 units: red, with many commands (each a check of the time limit).
std::shared_ptr<const DisplayList> RedDrawing()
{
    std::string body;
    for (int i = 0; i < 400; ++i)
        body += "<rect x='" + std::to_string(i % 20 * 10) + "' y='" + std::to_string(i / 20 * 5) +
                "' width='10' height='5' fill='#e01010'/>";
    std::string error;
    std::optional<DisplayList> drawing =
        ReadDrawingSvg("<svg xmlns='http://www.w3.org/2000/svg' width='200' height='100'>" + body + "</svg>",
                       QSizeF(200, 100), kMetafileDrawingLimits, error);
    EXPECT_TRUE(drawing) << error;
    return std::make_shared<const DisplayList>(std::move(drawing).value_or(DisplayList()));
}

bool Red(QRgb p) { return qRed(p) > 180 && qGreen(p) < 80 && qBlue(p) < 80; }

// Lets the workers end every job asked and their notice arrive.
bool Settle(PicturePixels& pixels)
{
    QElapsedTimer clock;
    clock.start();
    while (pixels.Pending() > 0 && clock.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
    return pixels.Pending() == 0;
}

struct Painted {
    QImage Page;
    bool Made;
};

// The drawing painted onto a white page of 400 × 300 into `place`.
Painted Paint(PicturePixels& pixels, const std::shared_ptr<const DisplayList>& drawing, const QRectF& place,
              JobWaiter* waiter = nullptr)
{
    Painted painted{QImage(400, 300, QImage::Format_RGB32), false};
    painted.Page.fill(Qt::white);
    QPainter painter(&painted.Page);
    painted.Made = pixels.Draw(painter, drawing, 200, 100, place, waiter);
    return painted;
}

TEST(PicturePixels, PaintsStandInsUntilThePixelsOfTheSizeShownAreMade)
{
    PicturePixels pixels(16 << 20, 10000);
    const auto drawing = RedDrawing();
    const std::size_t replays = DisplayList::ReplaysOnThisThread();
    int told = 0;
    JobWaiter waiter([&] { ++told; });

    // Before its pixels: the frame, the job asked and waited for.
    Painted first = Paint(pixels, drawing, QRectF(10, 10, 200, 100), &waiter);
    EXPECT_FALSE(first.Made);
    EXPECT_FALSE(Red(first.Page.pixel(110, 60))) << "no drawing before its pixels";
    EXPECT_EQ(first.Page.pixel(10, 10), qRgb(0, 0, 0)) << "its frame";
    EXPECT_TRUE(waiter.IsWaiting());
    // Made but not told yet (no events handled): still pending, so a wait for none pending
    // also waits for the notice.
    QElapsedTimer made;
    made.start();
    while (pixels.Rasters() == 0 && made.elapsed() < 20000)
        QThread::msleep(5);
    EXPECT_EQ(pixels.Pending(), 1u) << "made, its notice not delivered";
    ASSERT_TRUE(Settle(pixels));
    EXPECT_EQ(told, 1) << "the waiter is called back once the pixels are made";
    EXPECT_FALSE(waiter.IsWaiting());

    // Made: copied, as often as painted, made once.
    for (int i = 0; i < 3; ++i) {
        const Painted again = Paint(pixels, drawing, QRectF(10, 10, 200, 100));
        EXPECT_TRUE(again.Made);
        EXPECT_TRUE(Red(again.Page.pixel(110, 60)));
        EXPECT_EQ(again.Page.pixel(5, 5), qRgb(255, 255, 255)) << "nothing outside its place";
    }
    EXPECT_EQ(pixels.Rasters(), 1u);
    EXPECT_EQ(pixels.Pending(), 0u);

    // A zoom: the pixels of the size before stand in, scaled, while those of the new size are made.
    const Painted zoomed = Paint(pixels, drawing, QRectF(0, 0, 400, 200));
    EXPECT_FALSE(zoomed.Made);
    EXPECT_TRUE(Red(zoomed.Page.pixel(300, 150))) << "the old pixels, scaled";
    ASSERT_TRUE(Settle(pixels));
    EXPECT_TRUE(Paint(pixels, drawing, QRectF(0, 0, 400, 200)).Made);
    EXPECT_TRUE(Paint(pixels, drawing, QRectF(10, 10, 200, 100)).Made) << "the first size is still kept";
    EXPECT_EQ(pixels.Rasters(), 2u);
    EXPECT_EQ(DisplayList::ReplaysOnThisThread(), replays) << "no vectors replayed on the painting thread";
}

// The pixels copied over a coloured page, through a clip, show what replaying the drawing there
// shows: its antialiased, translucent edges blended over the page.
TEST(PicturePixels, CopiedPixelsShowWhatTheDrawingDraws)
{
    std::string error;
    std::optional<DisplayList> read = ReadDrawingSvg(
        "<svg xmlns='http://www.w3.org/2000/svg' width='200' height='100'>"
        "<ellipse cx='60' cy='50' rx='55' ry='40' fill='#2050c0'/>"
        "<ellipse cx='130' cy='50' rx='60' ry='45' fill='#e01010' fill-opacity='0.5'/>"
        "<path d='M 10 90 L 190 10' stroke='#000000' stroke-width='3'/></svg>",
        QSizeF(200, 100), kMetafileDrawingLimits, error);
    ASSERT_TRUE(read) << error;
    const auto drawing = std::make_shared<const DisplayList>(std::move(*read));
    PicturePixels pixels(16 << 20, 10000);
    const QRectF place(30, 40, 200, 100);
    const QRect clip(50, 50, 150, 70);
    const auto page = [&](bool fromPixels) {
        QImage shown(300, 200, QImage::Format_RGB32);
        shown.fill(qRgb(240, 220, 120));
        QPainter painter(&shown);
        painter.setClipRect(clip);
        if (fromPixels) {
            EXPECT_TRUE(pixels.Draw(painter, drawing, 200, 100, place));
        } else {
            painter.translate(place.topLeft());
            drawing->Replay(painter);
        }
        return shown;
    };
    {
        QImage scratch(300, 200, QImage::Format_RGB32);
        QPainter painter(&scratch);
        pixels.Draw(painter, drawing, 200, 100, place);
    }
    ASSERT_TRUE(Settle(pixels));
    const QImage copied = page(true);
    const QImage replayed = page(false);
    int most = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x) {
            const QRgb a = copied.pixel(x, y), b = replayed.pixel(x, y);
            most = std::max({most, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                             std::abs(qBlue(a) - qBlue(b))});
        }
    EXPECT_LE(most, 3) << "largest difference of a channel";
    EXPECT_EQ(copied.pixel(40, 60), qRgb(240, 220, 120)) << "nothing outside the clip";
}

TEST(PicturePixels, KeepsPixelsWithinTheirBudget)
{
    // Room for one 200 × 100 raster (80 kB) and not two.
    PicturePixels pixels(120 << 10, 10000);
    const auto one = RedDrawing();
    auto two = RedDrawing();
    for (const auto& drawing : {one, two}) {
        Paint(pixels, drawing, QRectF(0, 0, 200, 100));
        ASSERT_TRUE(Settle(pixels));
    }
    EXPECT_LE(pixels.HeldBytes(), std::size_t(120) << 10);
    EXPECT_TRUE(Paint(pixels, two, QRectF(0, 0, 200, 100)).Made) << "the latest made is kept";
    EXPECT_FALSE(Paint(pixels, one, QRectF(0, 0, 200, 100)).Made) << "the longest unused went";

    // Kept pixels do not keep their drawing: the drawings' cache counts it.
    const std::weak_ptr<const DisplayList> held = two;
    two.reset();
    EXPECT_TRUE(held.expired());
}

// A job ends refused whatever stops its replay: past its processor time (between two commands,
// whatever the work limit admitted) or anything thrown. The frame with its reason stands in, and
// it is not made again at that size.
TEST(PicturePixels, ARefusedJobShowsTheFrameAndReason)
{
    const auto replay = [](const DisplayList& drawing, QPainter& painter, const std::function<bool()>& goOn) {
        return drawing.Replay(painter, goOn);
    };
    struct Row {
        const char* Case;
        int TimeoutMs;
        PicturePixels::Rasteriser Rasterise;
    };
    const Row rows[] = {
        {"over its time", 0, replay},
        {"out of memory", 10000, [](auto&, auto&, auto&) -> bool { throw std::bad_alloc(); }},
        {"an error", 10000, [](auto&, auto&, auto&) -> bool { throw std::runtime_error("broken"); }},
        {"no exception", 10000, [](auto&, auto&, auto&) -> bool { throw 42; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Case);
        PicturePixels pixels(16 << 20, row.TimeoutMs, kRasterWorkers, row.Rasterise);
        const auto drawing = RedDrawing();
        Paint(pixels, drawing, QRectF(0, 0, 400, 300));
        ASSERT_TRUE(Settle(pixels));
        const std::size_t rasters = pixels.Rasters();
        const Painted refused = Paint(pixels, drawing, QRectF(0, 0, 400, 300));
        EXPECT_FALSE(refused.Made);
        EXPECT_EQ(pixels.Pending(), 0u) << "not asked again";
        EXPECT_EQ(refused.Page.pixel(0, 0), qRgb(0, 0, 0)) << "its frame";
        int red = 0, dark = 0;
        for (int y = 2; y < 298; ++y)
            for (int x = 2; x < 398; ++x) {
                red += Red(refused.Page.pixel(x, y));
                dark += qGray(refused.Page.pixel(x, y)) < 128;
            }
        EXPECT_EQ(red, 0) << "nothing of the drawing";
        EXPECT_GT(dark, 50) << "the reason written inside";
        ASSERT_TRUE(Settle(pixels));
        EXPECT_EQ(pixels.Rasters(), rasters);
    }
}

// A view closed drops the jobs it alone waited for that no worker has begun.
TEST(PicturePixels, AClosedViewsQueuedJobsAreDropped)
{
    std::atomic<bool> release{false};
    std::atomic<int> begun{0};
    PicturePixels pixels(64 << 20, 10000, 1,
                         [&](const DisplayList& drawing, QPainter& painter, const std::function<bool()>& goOn) {
                             ++begun;
                             while (!release.load())
                                 QThread::msleep(1);
                             return drawing.Replay(painter, goOn);
                         });
    const auto drawing = RedDrawing();
    {
        JobWaiter view([] {});
        for (int i = 0; i < 10; ++i)
            Paint(pixels, drawing, QRectF(0, 0, 100 + i, 50), &view);
        QElapsedTimer clock;
        clock.start();
        while (begun.load() == 0 && clock.elapsed() < 20000)
            QThread::msleep(1);
    }
    release.store(true);
    ASSERT_TRUE(Settle(pixels));
    EXPECT_EQ(begun.load(), 1) << "only the job begun before the view closed";
    EXPECT_EQ(pixels.Rasters(), 1u);
}

// One drawing rasterised at three sizes at once, and printed aside meanwhile: every worker replays
// the same drawing, each of its outlines drawn first on several threads at once (a new drawing
// each round, so that nothing a first draw makes is there yet). Each replay shows the same picture.
TEST(PicturePixels, ADrawingReplayedOnSeveralThreadsAtOnce)
{
    std::string body = "<clipPath id='c'><path d='M 0 0 L 200 0 L 200 95 C 100 105 100 90 0 95 Z'/></clipPath>"
                       "<g clip-path='url(#c)'>";
    for (int i = 0; i < 2000; ++i) {
        const int x = i % 40 * 5, y = i / 40 * 2;
        body += "<path d='M " + std::to_string(x) + " " + std::to_string(y) + " l 4 0 c 1 0 1 1 0 1 l -4 0 z' fill='#" +
                (i % 2 ? "e01010" : "1030c0") + "' stroke='#000000' stroke-width='0.3'/>";
    }
    body += "</g>";
    const std::string svg = "<svg xmlns='http://www.w3.org/2000/svg' width='200' height='100'>" + body + "</svg>";
    // Sizes near each other: the workers keep pace, drawing the same outline at the same time.
    const QRectF sizes[] = {{0, 0, 100, 50}, {0, 0, 101, 50}, {0, 0, 100, 51}};
    for (int round = 0; round < 40; ++round) {
        std::string error;
        std::optional<DisplayList> read = ReadDrawingSvg(svg, QSizeF(200, 100), kMetafileDrawingLimits, error);
        ASSERT_TRUE(read) << error;
        const auto drawing = std::make_shared<const DisplayList>(std::move(*read));
        PicturePixels pixels(64 << 20, 20000, 3);
        for (const QRectF& place : sizes)
            Paint(pixels, drawing, place);
        QImage printed(100, 51, QImage::Format_RGB32);
        printed.fill(Qt::white);
        {
            RunPump pump({}, [] {});
            QPainter painter(&printed);
            painter.scale(0.5, 0.51);
            PaintAside([&] { drawing->Replay(painter); }, &pump);
        }
        ASSERT_TRUE(Settle(pixels));
        const Painted shown = Paint(pixels, drawing, sizes[2]);
        ASSERT_TRUE(shown.Made) << "round " << round;
        for (const QPoint at : {QPoint(1, 0), QPoint(4, 0), QPoint(60, 30)}) {
            const QRgb a = shown.Page.pixel(at), b = printed.pixel(at);
            EXPECT_LE(std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                std::abs(qBlue(a) - qBlue(b))}),
                      8)
                << "round " << round << " at " << at.x() << "," << at.y();
        }
    }
}

} // namespace
