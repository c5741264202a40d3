#pragma once
// The class library's colour value: 0x00BBGGRR, red in the low byte, blue in the third byte.
// Owners that need a "no colour" value use kNoColor (or a negative value where they say so).
#include <cstdint>

namespace platform {

using TColor = std::int32_t;

inline constexpr TColor kNoColor = 0x1FFFFFFF;

constexpr TColor RgbColor(int red, int green, int blue)
{
    return static_cast<TColor>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int RedOf(TColor color) { return color & 0xFF; }
constexpr int GreenOf(TColor color) { return (color >> 8) & 0xFF; }
constexpr int BlueOf(TColor color) { return (color >> 16) & 0xFF; }

} // namespace platform
