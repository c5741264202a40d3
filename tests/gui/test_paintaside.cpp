// Painting aside (a print run): a paint runs in place unless its run's pump is passed, and then on
// another thread with the pump called meanwhile (also over many short paints), its exception
// raised to the caller; a pump is in force only on its own thread and outside its own call, where
// a run begun within the call has its own; pictures drawn onto a printing canvas so are the same
// pixels, and none is replayed on the caller's thread.
#include "gui/DrawingSvg.h"
#include "gui/EnhancedMetafile.h"
#include "gui/PageRecording.h"
#include "gui/PaintAside.h"
#include "gui/QtCanvas.h"
#include "gui/RunPump.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

using namespace platform;

// Paints aside through `pump` a paint that ends only once `pumped` has counted a call: in place it
// would never see one (it gives up after a while). True when it ran on another thread and saw it.
bool PaintedAsideAndPumped(RunPump& pump, const std::atomic<int>& pumped)
{
    const int before = pumped.load();
    std::thread::id ranOn;
    bool sawPump = false;
    PaintAside(
        [&] {
            ranOn = std::this_thread::get_id();
            const auto give = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (pumped.load() == before && std::chrono::steady_clock::now() < give)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            sawPump = pumped.load() > before;
        },
        &pump);
    return ranOn != std::this_thread::get_id() && sawPump;
}

TEST(PaintAside, InPlaceWithoutAPumpAsideWithOneTheErrorsCarriedBack)
{
    const auto here = std::this_thread::get_id();
    std::thread::id ranOn;
    PaintAside([&] { ranOn = std::this_thread::get_id(); }, nullptr);
    EXPECT_EQ(ranOn, here) << "no pump: in place";

    std::atomic<int> pumped{0};
    RunPump pump({}, [&] { ++pumped; });
    EXPECT_TRUE(PaintedAsideAndPumped(pump, pumped));
    EXPECT_THROW(PaintAside([] { throw std::runtime_error("refused"); }, &pump), std::runtime_error);
}

// Where a run's pump is in force: a paint asked for within its call, or on another thread it was
// passed to, is done in place there, the pump not called; a run begun within the call pumps its
// own.
TEST(PaintAside, APumpIsInForceOnItsThreadOutsideItsCall)
{
    const auto here = std::this_thread::get_id();
    std::thread::id nestedOn, passedOn;
    bool innerAside = false;
    std::atomic<int> pumped{0}, innerPumped{0};
    RunPump pump({}, [&] {
        if (pumped++ > 0)
            return;
        PaintAside([&] { nestedOn = std::this_thread::get_id(); }, &pump);
        RunPump inner({}, [&] { ++innerPumped; });
        innerAside = PaintedAsideAndPumped(inner, innerPumped);
    });
    ASSERT_TRUE(PaintedAsideAndPumped(pump, pumped));
    EXPECT_EQ(nestedOn, here) << "a paint asked within the pump's call is done in place";
    EXPECT_TRUE(innerAside) << "a run begun within the call pumps its own";

    const int before = pumped.load();
    std::thread other([&] { PaintAside([&] { passedOn = std::this_thread::get_id(); }, &pump); });
    const auto otherId = other.get_id();
    other.join();
    EXPECT_EQ(passedOn, otherId) << "passed to another thread: in place there";
    EXPECT_EQ(pumped.load(), before);
}

// Paints each shorter than the pump's interval still have it called as their time adds up.
TEST(PaintAside, ShortPaintsInARowArePumpedAsTheirTimeAddsUp)
{
    int pumped = 0;
    RunPump pump({}, [&] { ++pumped; });
    for (int i = 0; i < 20; ++i)
        PaintAside([] { std::this_thread::sleep_for(std::chrono::milliseconds(2)); }, &pump);
    EXPECT_GT(pumped, 0);
}

std::shared_ptr<const DisplayList> Drawing()
{
    std::string error;
    std::optional<DisplayList> drawing = ReadDrawingSvg(
        "<svg xmlns='http://www.w3.org/2000/svg' width='200' height='100'>"
        "<defs><linearGradient id='g'><stop offset='0' stop-color='#2050c0'/>"
        "<stop offset='1' stop-color='#e0c020'/></linearGradient></defs>"
        "<ellipse cx='60' cy='50' rx='55' ry='40' fill='url(#g)' stroke='#801010' stroke-width='3'/>"
        "<text x='90' y='60' font-family='sans-serif' font-size='22' fill='#102030'>塩 Salt</text></svg>",
        QSizeF(200, 100), kMetafileDrawingLimits, error);
    EXPECT_TRUE(drawing) << error;
    return std::make_shared<const DisplayList>(std::move(drawing).value_or(DisplayList()));
}

// A drawing and a recording (text over a placed drawing) printed onto a page bitmap for the run of
// `pump`, if any.
QImage Printed(const PageRecording& drawing, const PageRecording& recording, RunPump* pump = nullptr)
{
    QImage page(600, 400, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    QtCanvas canvas(painter, 300, 300, CanvasKind::Printer);
    canvas.SetRunPump(pump);
    canvas.DrawMetafile({10, 10, 410, 210}, drawing);
    canvas.DrawMetafile({100, 200, 500, 400}, recording);
    return page;
}

TEST(PaintAside, PicturesPrintedAsideAreTheSameAndNotReplayedHere)
{
    const PageRecording drawing(Drawing(), 200, 100);
    PageRecorder recorder(200, 100, 96);
    recorder.Place({0, 0, 200, 100}, {0, 0, 200, 100}, drawing);
    recorder.GetCanvas().SetFont({"Sans", 14});
    recorder.GetCanvas().SetTextColor(0x0000C0);
    recorder.GetCanvas().TextOut(10, 70, "献立 Menu");
    const PageRecording recording = recorder.Finish();

    const std::size_t before = DisplayList::ReplaysOnThisThread();
    const QImage inPlace = Printed(drawing, recording);
    EXPECT_EQ(DisplayList::ReplaysOnThisThread(), before + 2);
    RunPump pump({}, [] {});
    const QImage aside = Printed(drawing, recording, &pump);
    EXPECT_EQ(DisplayList::ReplaysOnThisThread(), before + 2) << "no picture replayed on this thread";
    EXPECT_TRUE(aside == inPlace) << "the same pixels";
    EXPECT_NE(inPlace.pixel(60, 60), QColor(Qt::white).rgb()) << "something was drawn";
}

} // namespace
