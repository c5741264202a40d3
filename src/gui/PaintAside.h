#pragma once
// Painting done aside: while a PaintAsidePump lives on a thread (the print dialog's run), the long
// paints there that touch nothing but one painter (a picture's vectors replayed onto a printer, a
// PDF or a page bitmap) run on a worker thread of their own, the painter handed over and back,
// while the pump is called every few milliseconds, so that the window keeps answering. What is
// painted, and in which order, is the same as painted in place.
#include <chrono>
#include <functional>

namespace platform {

class PaintAsidePump {
public:
    explicit PaintAsidePump(std::function<void()> pump);
    ~PaintAsidePump();
    PaintAsidePump(const PaintAsidePump&) = delete;
    PaintAsidePump& operator=(const PaintAsidePump&) = delete;

private:
    friend void PaintAside(const std::function<void()>& paint);
    std::function<void()> pump_;
    PaintAsidePump* previous_;
    // When it was last called (or made).
    std::chrono::steady_clock::time_point last_;
};

// Runs `paint` and returns when it has ended, its exception raised here: on the worker while a pump
// lives on this thread (the latest made there), calling it meanwhile every few milliseconds of
// the paints it serves (a paint shorter than that may end without a call); else in place (also within a
// pump's call). `paint` must touch no object this thread may touch meanwhile.
void PaintAside(const std::function<void()>& paint);

} // namespace platform
