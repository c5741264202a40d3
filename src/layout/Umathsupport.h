#pragma once
// Plane geometry in whole pixels. Angles in hundredths of a degree (GraphScale parts of a degree),
// clockwise on the page (y grows downward) from the positive x axis. Results truncate toward zero.
#include "gui/Canvas.h"

using TRect = platform::Rect;
using TPoint = platform::Point;

inline constexpr int GraphScale = 100;

// P turned by Angle (taken as its remainder of 36000, sign kept) about the origin.
TPoint RotatePoint(TPoint p, int angle);
// P turned about Origin.
TPoint RotatePoint(TPoint origin, TPoint p, int angle);
// The point Distance away from P in direction Angle.
TPoint ShiftPoint(TPoint p, int angle, int distance);
// The direction from A to B in (-18000, 18000]; 0 for two equal points.
int LineAngle(TPoint a, TPoint b);
// The bounding rectangle of R's four corners turned about Origin.
TRect RectRotatingRect(const TRect& r, TPoint origin, int angle);
