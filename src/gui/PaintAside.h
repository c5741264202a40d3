#pragma once
// Painting done aside: the long paints of a run (the print dialog's) that touch nothing but one
// painter (a picture's vectors replayed onto a printer, a PDF or a page bitmap) run on a worker
// thread of their own, the painter handed over and back, while the run's pump (RunPump.h) is
// called every few milliseconds, so that the window keeps answering. What is painted, and in which
// order, is the same as painted in place.
#include "gui/PictureJob.h"

#include <chrono>
#include <exception>
#include <functional>

namespace platform {

class RunPump;

// A paint lent to the worker of the paints aside (one thread of the picture jobs' pool that stays,
// so its fonts are resolved once for every page of a run), with what it paints on: a painter and
// whatever it touches are the worker's from Lend until TakeBack returns, then the lender's again.
// Queued, running, then made, or refused with what it threw (PictureJob.h).
class PaintLoan : public PictureJob {
public:
    explicit PaintLoan(const std::function<void()>& paint) : paint_(paint) {}
    PaintLoan(const PaintLoan&) = delete;
    PaintLoan& operator=(const PaintLoan&) = delete;

    void Lend();
    // Returns once the paint has ended, calling `meanwhile` whenever `due` (asked anew after each
    // call) has passed; raises here what the paint threw. What `meanwhile` throws is raised once
    // the paint has ended (the painter is the worker's until then).
    void TakeBack(const std::function<std::chrono::steady_clock::time_point()>& due,
                  const std::function<void()>& meanwhile);

private:
    const std::function<void()>& paint_;
    std::mutex mutex_;
    std::condition_variable ended_;
    std::exception_ptr error_;
};

// Runs `paint` and returns when it has ended, its exception raised here: on the worker when `pump`
// is in force (RunPump::InForce), calling it meanwhile every few milliseconds of the paints it
// serves (a paint shorter than that may end without a call); else in place. `paint` must touch no
// object this thread may touch meanwhile.
void PaintAside(const std::function<void()>& paint, RunPump* pump);

} // namespace platform
