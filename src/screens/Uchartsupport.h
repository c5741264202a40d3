#pragma once
// What the chart panels share: dates as chart x values, the value axis labelled "#,##0.##", and
// the scale of a value axis from the lowest and highest values shown. Also the edit keys of the
// detail frames.
#include "platform/DateTime.h"

#include <QDateTime>

#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

class QCategoryAxis;
class QFont;

// Day 0 is 1899-12-30 00:00 local time; the fraction is the time of day.
QDateTime ToQDateTime(platform::TDateTime value);
platform::TDateTime FromQDateTime(const QDateTime& value);
// The x value of a date on a date-time axis (milliseconds since the epoch) and back.
double ChartX(platform::TDateTime value);
platform::TDateTime FromChartX(double x);

// "#,##0.##": thousands grouped, at most two decimals, no trailing zeros ("1,234.5", "0").
std::string ChartNumberText(double value);

// The axis range for values from lo to hi: lo − margin × (hi − lo) to hi + 0.3 × (hi − lo); lo − 1
// to lo + 1 when they are equal; a negative minimum becomes 0.
struct TAxisRange {
    double min = 0;
    double max = 0;
};
TAxisRange ValueAxisRange(double lo, double hi, double margin);

// Gives the axis the range and labels ChartNumberText at round steps within it: about five, at
// most maxLabels.
void SetValueAxis(QCategoryAxis& axis, TAxisRange range, int maxLabels = std::numeric_limits<int>::max());
// The most labels a value axis over a plot `height` pixels high shows whole in `font`.
int ValueLabelLimit(double height, const QFont& font);

// Gives a date axis the range first to last and one label at each listed date (ascending).
using TDateLabels = std::vector<std::pair<platform::TDateTime, std::string>>;
void SetDateAxis(QCategoryAxis& axis, platform::TDateTime first, platform::TDateTime last, const TDateLabels& labels);
// The smallest of the steps (ascending) at which the labels of every step-th of `count` positions
// each get `spacing` pixels of `width`, shared out as the chart shares them (one share more than
// there are labels); the last step when none does.
int LabelStep(double width, int count, double spacing, const std::vector<int>& steps);

// The keys of the edit cycle: Esc without Shift, Ctrl or Alt cancels, Enter or Return with Ctrl
// applies, Enter or Return without them is a plain Enter.
enum class TEditKey { Other, Cancel, Apply, Enter };
TEditKey EditKeyOf(int key, Qt::KeyboardModifiers modifiers);
// Cancel runs `cancel`, Apply runs `apply`; true when one of them ran.
bool RunEditKey(TEditKey key, const std::function<void()>& cancel, const std::function<void()>& apply);
