#include "layout/Umathsupport.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

double Radians(int angle) { return (angle % 36000) / static_cast<double>(GraphScale) * std::numbers::pi / 180.0; }

} // namespace

TPoint RotatePoint(TPoint p, int angle)
{
    const double r = Radians(angle);
    const double c = std::cos(r);
    const double s = std::sin(r);
    return {static_cast<int>(p.X * c - p.Y * s), static_cast<int>(p.X * s + p.Y * c)};
}

TPoint RotatePoint(TPoint origin, TPoint p, int angle)
{
    const TPoint turned = RotatePoint({p.X - origin.X, p.Y - origin.Y}, angle);
    return {turned.X + origin.X, turned.Y + origin.Y};
}

TPoint ShiftPoint(TPoint p, int angle, int distance)
{
    const TPoint d = RotatePoint({distance, 0}, angle);
    return {p.X + d.X, p.Y + d.Y};
}

int LineAngle(TPoint a, TPoint b)
{
    const double dx = b.X - a.X;
    const double dy = b.Y - a.Y;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d == 0)
        return 0;
    return static_cast<int>(std::atan2(dy / d, dx / d) * 180.0 / std::numbers::pi * GraphScale);
}

TRect RectRotatingRect(const TRect& r, TPoint origin, int angle)
{
    const TPoint corners[4] = {RotatePoint(origin, {r.Left, r.Top}, angle), RotatePoint(origin, {r.Right, r.Top}, angle),
                               RotatePoint(origin, {r.Right, r.Bottom}, angle),
                               RotatePoint(origin, {r.Left, r.Bottom}, angle)};
    TRect result{corners[0].X, corners[0].Y, corners[0].X, corners[0].Y};
    for (const TPoint& c : corners) {
        result.Left = std::min(result.Left, c.X);
        result.Top = std::min(result.Top, c.Y);
        result.Right = std::max(result.Right, c.X);
        result.Bottom = std::max(result.Bottom, c.Y);
    }
    return result;
}
