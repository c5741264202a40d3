#include "gui/PaintAside.h"

#include "gui/RunPump.h"

#include <QCoreApplication>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

namespace platform {

namespace {

JobLane& Worker()
{
    static JobLane lane(1, JobLane::Stays);
    static const bool made = [] {
        if (QCoreApplication::instance())
            qAddPostRoutine([] { lane.WaitForDone(); });
        return true;
    }();
    (void)made;
    return lane;
}

} // namespace

void PaintLoan::Lend()
{
    SetState(JobState::Queued);
    Worker().Start([this] {
        SetState(JobState::Running);
        std::exception_ptr error;
        try {
            paint_();
        } catch (...) {
            error = std::current_exception();
        }
        const std::lock_guard lock(mutex_);
        error_ = error;
        SetState(error ? JobState::Refused : JobState::Made);
        ended_.notify_all();
    });
}

void PaintLoan::TakeBack(const std::function<std::chrono::steady_clock::time_point()>& due,
                         const std::function<void()>& meanwhile)
{
    std::unique_lock lock(mutex_);
    for (;;) {
        const bool done = ended_.wait_until(lock, due(), [&] { return Ended(); });
        if (std::chrono::steady_clock::now() >= due()) {
            lock.unlock();
            // The paint goes on whatever `meanwhile` does: the painter is the worker's until it ends.
            try {
                meanwhile();
            } catch (...) {
                lock.lock();
                ended_.wait(lock, [&] { return Ended(); });
                throw;
            }
            lock.lock();
        }
        if (done || Ended())
            break;
    }
    if (error_)
        std::rethrow_exception(error_);
}

void PaintAside(const std::function<void()>& paint, RunPump* pump)
{
    pump = RunPump::InForce(pump);
    // Qt 6 draws text in any thread (the raster workers of PicturePixels.h do).
    if (!pump) {
        paint();
        return;
    }
    ++pump->paintsAside_;
    PaintLoan loan(paint);
    loan.Lend();
    // The pump is called every few milliseconds of the run, however short each paint.
    loan.TakeBack([pump] { return pump->Due(); }, [pump] { pump->Painting(); });
}

} // namespace platform
