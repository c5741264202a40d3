#pragma once
// The bounds of the metafile player on its input: one enhanced metafile from outside (a database,
// a file, the clipboard, a pasted layout), which may have been made to harm. Each bounds what one
// picture may make the player read, hold, compute or write; a picture past one is refused (the
// player says why and exits 1), or the part beyond is left out, as said.
//
// The program bounds what it reads of the player (platform/PictureLimits.h); the two programs
// share no header, and a test of the player holds the values that must agree equal.
#include <cstddef>
#include <cstdint>

namespace emfplay {

// ---- the process (vkt-emfplay) ----

// Bytes of the picture read from standard input; a larger one is refused before it is held.
constexpr std::size_t kMaxInputBytes = std::size_t(256) << 20;
// Processor seconds the player lets itself use: the program kills it after 1 s of processor time
// (real pictures play in 5 to 60 ms); this holds when the program cannot.
constexpr unsigned kCpuSeconds = 2;
// The player's address space (not under AddressSanitizer, whose shadow memory alone exceeds it).
constexpr std::size_t kAddressSpaceBytes = std::size_t(1) << 30;

// ---- one playing ----

// The drawing written, as SVG: the most the program reads of a player
// (platform::kMaxPlayerOutputBytes, the same value).
constexpr std::size_t kMaxDrawingBytes = std::size_t(24) << 20;
// Records played: tiny records each cost a step, so the count bounds the time of a picture.
constexpr std::uint64_t kMaxRecords = 2'000'000;
// Points in one record, or in one path.
constexpr std::size_t kMaxPoints = 4'000'000;
// Rectangles of one region record.
constexpr std::size_t kMaxRegionRectangles = 1'000'000;
// Characters of one text record drawn; those beyond are left out.
constexpr std::size_t kMaxTextUnits = 8192;
// States saved (SaveDC) at once; saves past them are not made.
constexpr std::size_t kMaxSavedStates = 4096;
// Pixels of one bitmap (also its width and its height).
constexpr std::int64_t kMaxDibPixels = 40'000'000;
// A region past this many intervals, or whose making would take past this many interval steps,
// is replaced by its bounds, so that no sequence of combinations grows or takes without end.
constexpr std::size_t kMaxRegionSpans = 200'000;
constexpr std::size_t kMaxRegionWork = 20'000'000;
// Areas of one clip kept: an outline intersected past them is left out (each is nested in the
// drawing, whose reader nests only so deep: platform::kMaxDrawingDepth).
constexpr std::size_t kMaxClipAreas = 24;
// Numbers written are held within this; anything larger draws nowhere a picture reaches.
constexpr double kMaxNumber = 1e9;

} // namespace emfplay
