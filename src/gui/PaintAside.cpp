#include "gui/PaintAside.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

namespace platform {

namespace {

constexpr auto kPumpInterval = std::chrono::milliseconds(10);

thread_local PaintAsidePump* currentPump = nullptr;
// Set while this thread calls a pump: a paint asked for meanwhile is done in place.
thread_local bool pumping = false;

// One worker that stays: its fonts are resolved once for every page of a run.
QThreadPool& Worker()
{
    static QThreadPool pool;
    static const bool made = [] {
        pool.setMaxThreadCount(1);
        pool.setExpiryTimeout(-1);
        if (QCoreApplication::instance())
            qAddPostRoutine([] { pool.waitForDone(); });
        return true;
    }();
    (void)made;
    return pool;
}

} // namespace

PaintAsidePump::PaintAsidePump(std::function<void()> pump)
    : pump_(std::move(pump)), previous_(currentPump), last_(std::chrono::steady_clock::now())
{
    currentPump = this;
}

PaintAsidePump::~PaintAsidePump() { currentPump = previous_; }

void PaintAside(const std::function<void()>& paint)
{
    PaintAsidePump* const pump = currentPump;
    // Qt 6 draws text in any thread (the raster workers of PicturePixels.h do).
    if (!pump || pumping) {
        paint();
        return;
    }
    struct Run {
        std::mutex Mutex;
        std::condition_variable Ended;
        bool Done = false;
        std::exception_ptr Error;
    };
    const auto run = std::make_shared<Run>();
    Worker().start([run, &paint] {
        std::exception_ptr error;
        try {
            paint();
        } catch (...) {
            error = std::current_exception();
        }
        const std::lock_guard lock(run->Mutex);
        run->Error = error;
        run->Done = true;
        run->Ended.notify_all();
    });
    // The pump is called every few milliseconds of the run, however short each paint.
    const auto due = [pump] { return pump->last_ + kPumpInterval; };
    std::unique_lock lock(run->Mutex);
    for (;;) {
        const bool done = run->Ended.wait_until(lock, due(), [&] { return run->Done; });
        if (std::chrono::steady_clock::now() >= due()) {
            lock.unlock();
            // The paint goes on whatever the pump does: the painter is the worker's until it ends.
            try {
                pumping = true;
                pump->pump_();
                pumping = false;
            } catch (...) {
                pumping = false;
                lock.lock();
                run->Ended.wait(lock, [&] { return run->Done; });
                throw;
            }
            pump->last_ = std::chrono::steady_clock::now();
            lock.lock();
        }
        if (done || run->Done)
            break;
    }
    if (run->Error)
        std::rethrow_exception(run->Error);
}

} // namespace platform
