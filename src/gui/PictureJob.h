#pragma once
// The state of a job of the picture path done off the window's thread (a raster of a drawing at
// one size). Each job goes one way through it, its end told once:
//
//   New ──▶ Queued ──▶ Running ──▶ Made
//             │           │
//             │           └──────▶ Refused   (over its time, out of memory, anything thrown: the
//             │                               reason kept with it)
//             └──────────────────▶ Dropped   (pushed out of the queue, its view closed, the engine
//                                             stopped: not begun, no refusal)
//
// Made, Refused and Dropped are ends: a job ended is never queued again.
#include <cstdint>

namespace platform {

enum class JobState : std::uint8_t { New, Queued, Running, Made, Refused, Dropped };

constexpr bool Ended(JobState state)
{
    return state == JobState::Made || state == JobState::Refused || state == JobState::Dropped;
}

// Gives the memory freed by the jobs back to the system: called by the worker that ends the last
// job queued. Each worker thread allocates from an arena of its own, which keeps what its jobs
// freed (a player's output, a reading's text, a replay's paths) for reuse: 50 pictures played
// and zoomed kept 76 MB so, beyond any budget (bench/README.md).
void ReturnFreedMemory();

} // namespace platform
