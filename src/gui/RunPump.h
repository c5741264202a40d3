#pragma once
// The pump of a long run on the window's thread (a print run): its owner makes it for the run and
// passes it down to what waits and paints for it, so that the window keeps answering. A wait for
// pictures still playing (MetafileCache) calls it with how many have ended, and gives up when it
// says so; a paint gone aside (PaintAside.h) calls it every few milliseconds while it lasts.
// Without a pump passed, waits hold their thread and paints run in place.
//
// A pump is in force only on the thread that made it and only while that thread is not calling
// it: passed on to another thread (a paint's worker) it does nothing there, and a wait or a paint
// asked for within its call is done in place.
#include <chrono>
#include <cstddef>
#include <functional>
#include <thread>

namespace platform {

class RunPump {
public:
    // Called while plays are waited for, with how many of them have ended; false gives the waits up
    // (a confirmed stop).
    using WaitCall = std::function<bool(std::size_t ended, std::size_t waited)>;
    // `paint` is called while a paint runs aside.
    RunPump(WaitCall wait, std::function<void()> paint);
    RunPump(const RunPump&) = delete;
    RunPump& operator=(const RunPump&) = delete;

    // How often a wait or a paint aside calls it.
    static constexpr std::chrono::milliseconds kInterval{10};

    // `pump` when a wait or a paint asked for now on this thread may call it; else null.
    static RunPump* InForce(RunPump* pump);

    bool Waiting(std::size_t ended, std::size_t waited);
    void Painting();
    // kInterval after its last call (or its making).
    std::chrono::steady_clock::time_point Due() const { return last_ + kInterval; }
    // How many paints have gone aside through it.
    std::size_t PaintsAside() const { return paintsAside_; }

private:
    friend void PaintAside(const std::function<void()>& paint, RunPump* pump);
    class Calling;

    WaitCall wait_;
    std::function<void()> paint_;
    const std::thread::id thread_;
    // Both on the pump's thread only.
    bool calling_ = false;
    std::chrono::steady_clock::time_point last_;
    std::size_t paintsAside_ = 0;
};

} // namespace platform
