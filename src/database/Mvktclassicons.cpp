// The eight default class icons, drawn pixel by pixel, and their settings text.
#include "database/Mvktclassicons.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/Uvktsupport.h"
#include "platform/Text.h"

namespace {

using platform::Picture;
using platform::RgbColor;
using platform::TColor;

// Colour between a and b: t = 0 gives a, t = 1 gives b.
TColor Mix(TColor a, TColor b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto channel = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return RgbColor(channel(platform::RedOf(a), platform::RedOf(b)),
                    channel(platform::GreenOf(a), platform::GreenOf(b)),
                    channel(platform::BlueOf(a), platform::BlueOf(b)));
}

// Normalised distance of the pixel centre (x, y) from an ellipse's centre: < 1 inside.
double EllipseDistance(int x, int y, double cx, double cy, double rx, double ry) {
    const double dx = (x + 0.5 - cx) / rx;
    const double dy = (y + 0.5 - cy) / ry;
    return std::sqrt(dx * dx + dy * dy);
}

constexpr TColor kWhite = RgbColor(255, 255, 255);

// Sets a drawn pixel; a drawn pixel never takes the back colour, which would make it transparent.
void Plot(Picture& picture, int x, int y, TColor color) {
    picture.SetPixel(x, y, color == kClassIconBackColor ? kWhite : color);
}
constexpr TColor kBlack = RgbColor(0, 0, 0);
constexpr TColor kBlue = RgbColor(0, 64, 224);
constexpr TColor kYellow = RgbColor(240, 200, 0);
constexpr TColor kGreen = RgbColor(0, 168, 48);

// A shaded ball: light at the upper left, dark at the rim.
Picture Ball(TColor color) {
    Picture picture(kClassIconSize, kClassIconSize, kClassIconBackColor);
    for (int y = 0; y < kClassIconSize; ++y)
        for (int x = 0; x < kClassIconSize; ++x) {
            const double d = EllipseDistance(x, y, 8.0, 8.0, 6.5, 6.5);
            if (d >= 1.0) continue;
            const double light = EllipseDistance(x, y, 6.0, 6.0, 5.0, 5.0);
            TColor c = Mix(Mix(kWhite, color, 0.25), color, light);
            if (d > 0.8) c = Mix(c, kBlack, (d - 0.8) * 2.0);
            Plot(picture, x, y, c);
        }
    return picture;
}

// A flat oval with a darker outline.
Picture Oval(TColor color) {
    Picture picture(kClassIconSize, kClassIconSize, kClassIconBackColor);
    for (int y = 0; y < kClassIconSize; ++y)
        for (int x = 0; x < kClassIconSize; ++x) {
            const double d = EllipseDistance(x, y, 8.0, 8.0, 7.5, 4.0);
            if (d >= 1.0) continue;
            Plot(picture, x, y, d > 0.75 ? Mix(color, kBlack, 0.45) : color);
        }
    return picture;
}

// A white drum with a blue outline, a blue lid rim and a blue band: the database.
Picture Drum() {
    Picture picture(kClassIconSize, kClassIconSize, kClassIconBackColor);
    const double left = 2.5, right = 13.5, top = 4.0, bottom = 12.0, ry = 2.5;
    const double cx = (left + right) / 2, rx = (right - left) / 2;
    auto inside = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= kClassIconSize || y >= kClassIconSize) return false;
        const double px = x + 0.5, py = y + 0.5;
        return (px > left && px < right && py >= top && py <= bottom) ||
               EllipseDistance(x, y, cx, top, rx, ry) < 1.0 || EllipseDistance(x, y, cx, bottom, rx, ry) < 1.0;
    };
    // Lower arc of an ellipse row: the y of the curve below the centre line cy at column px.
    auto arc = [&](double px, double cy) {
        const double u = (px - cx) / rx;
        return cy + ry * std::sqrt(std::max(0.0, 1.0 - u * u));
    };
    const TColor shade = RgbColor(200, 216, 248);
    for (int y = 0; y < kClassIconSize; ++y)
        for (int x = 0; x < kClassIconSize; ++x) {
            if (!inside(x, y)) continue;
            const double px = x + 0.5, py = y + 0.5;
            TColor c = kWhite;
            if (!inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1))
                c = kBlue;                                                   // outline
            else if (std::fabs(py - arc(px, top)) < 0.6 || std::fabs(py - arc(px, (top + bottom) / 2)) < 0.6)
                c = kBlue;                                                   // lid rim, band
            else if (py > arc(px, top) && px > cx)
                c = Mix(kWhite, shade, (px - cx) / rx);                      // shaded right side
            Plot(picture, x, y, c);
        }
    return picture;
}

// Two blue arrows chasing each other round a circle: the trash.
Picture Arrows() {
    Picture picture(kClassIconSize, kClassIconSize, kClassIconBackColor);
    const double cx = 8.0, cy = 8.0, inner = 3.8, outer = 6.2;
    constexpr double pi = std::numbers::pi;
    // Each arrow runs clockwise over 140 degrees and ends in a head 40 degrees long.
    const double starts[] = {-pi * 0.9, pi * 0.1};
    const double body = pi * 140 / 180, head = pi * 40 / 180;
    for (int y = 0; y < kClassIconSize; ++y)
        for (int x = 0; x < kClassIconSize; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            const double r = std::sqrt(dx * dx + dy * dy);
            double angle = std::atan2(dy, dx);
            for (double start : starts) {
                double a = angle - start;
                while (a < 0) a += 2 * pi;
                while (a >= 2 * pi) a -= 2 * pi;
                bool on = false;
                if (a <= body) {
                    on = r >= inner && r <= outer;
                } else if (a <= body + head) {
                    // The head narrows from a wide base to its tip.
                    const double t = (a - body) / head;
                    const double half = (1.0 - t) * 2.6;
                    on = std::fabs(r - (inner + outer) / 2) <= half;
                }
                if (on) Plot(picture, x, y, kBlue);
            }
        }
    return picture;
}

} // namespace

TVktClassIcons::TVktClassIcons() {
    classIcons_.SetBkColor(kClassIconBackColor);
    for (const Picture& picture : {Drum(), Arrows(), Ball(kYellow), Ball(kGreen), Ball(kBlue), Oval(kYellow),
                                   Oval(kGreen), Oval(kBlue)})
        classIcons_.AddMasked(picture, kClassIconBackColor);
}

std::string TVktClassIcons::GetIconSetText() const {
    std::string text = "<IconSet>";
    Picture bitmap(kClassIconSize, kClassIconSize);
    for (int i = 0; i < classIcons_.GetCount(); ++i) {
        // The list's back colour fills the transparent pixels, so every pixel is painted anew.
        classIcons_.Draw(bitmap, 0, 0, i);
        text += "<Icon Icon_ID=\"" + platform::IntToStr(i) + "\" Value=\"" +
                BinToBase64(platform::EncodeBmp(bitmap), "", true) + "\" />";
    }
    text += "</IconSet>";
    return text;
}

std::string GetVktClassIcons() { return TVktClassIcons().GetIconSetText(); }
