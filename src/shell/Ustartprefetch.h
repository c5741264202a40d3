#pragma once
// TStartPrefetch: the font configuration read on a worker thread from the program's first moment,
// while the main thread makes the application object and other things that measure no text. The
// first text measured would otherwise wait for it. The worker calls nothing of Qt's; the main
// thread waits for it before any font is resolved, so the configuration is never read twice.
#include <thread>

class TStartPrefetch {
public:
    // Starts reading the font configuration.
    TStartPrefetch();
    // Waits for the worker.
    ~TStartPrefetch();
    TStartPrefetch(const TStartPrefetch&) = delete;
    TStartPrefetch& operator=(const TStartPrefetch&) = delete;

    // Returns once the font configuration is read.
    void WaitFonts();

private:
    std::thread fonts_;
};
