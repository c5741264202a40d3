#include "core/Ucolorsupport.h"

#include <algorithm>
#include <cstdint>

int _HSBOfSBRate = 100;

namespace {

// One channel: the pure colour's value c, then saturation and brightness, carried exactly as
// fractions (over R, then over R × H) and truncated once at the end.
int Channel(std::int64_t c, std::int64_t s, std::int64_t b, std::int64_t r)
{
    const std::int64_t h = r / 2;
    const std::int64_t saturated = c >= 128 ? (c - 128) * s + 128 * r : (128 - c) * (r - s) + c * r;
    const std::int64_t bright = b >= h ? (255 * r - saturated) * (b - h) + saturated * h : saturated * b;
    return static_cast<int>(std::clamp<std::int64_t>(bright / (r * h), 0, 255));
}

} // namespace

platform::TColor HSBToRGB(int hue, int saturation, int brightness)
{
    const int h = (hue % 360 + 360) % 360;
    const int f = h % 60;
    const int rise = f * 17 / 4;          // f × 4.25, truncated
    const int fall = (60 - f) * 17 / 4;   // (60 − f) × 4.25, truncated
    int red = 0, green = 0, blue = 0;
    switch (h / 60) {
    case 0: red = 255; green = rise; break;
    case 1: red = fall; green = 255; break;
    case 2: green = 255; blue = rise; break;
    case 3: green = fall; blue = 255; break;
    case 4: red = rise; blue = 255; break;
    default: red = 255; blue = fall; break;
    }
    const std::int64_t scale = std::max(_HSBOfSBRate, 2);
    return platform::RgbColor(Channel(red, saturation, brightness, scale), Channel(green, saturation, brightness, scale),
                              Channel(blue, saturation, brightness, scale));
}
