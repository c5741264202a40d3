#include "screens/Uchartsupport.h"

#include "gui/QtSupport.h"
#include "platform/NumberText.h"

#include <QCategoryAxis>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

QDateTime ToQDateTime(platform::TDateTime value)
{
    const platform::DateParts date = platform::DecodeDate(value);
    const platform::TimeParts time = platform::DecodeTime(value);
    return QDateTime(QDate(date.year, date.month, date.day), QTime(time.hour, time.minute, time.second, time.msec));
}

platform::TDateTime FromQDateTime(const QDateTime& value)
{
    const QDate date = value.date();
    const QTime time = value.time();
    return platform::EncodeDate(date.year(), date.month(), date.day())
           + platform::EncodeTime(time.hour(), time.minute(), time.second(), time.msec());
}

double ChartX(platform::TDateTime value)
{
    return static_cast<double>(ToQDateTime(value).toMSecsSinceEpoch());
}

platform::TDateTime FromChartX(double x)
{
    return FromQDateTime(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(x))));
}

std::string ChartNumberText(double value)
{
    std::string text = platform::FormatNumber(value, 2);
    const std::size_t dot = text.find('.');
    if (dot == std::string::npos) return text;
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text == "-0" ? "0" : text;
}

TAxisRange ValueAxisRange(double lo, double hi, double margin)
{
    TAxisRange range;
    if (lo == hi) {
        range = {lo - 1, lo + 1};
    } else {
        range = {lo - margin * (hi - lo), hi + 0.3 * (hi - lo)};
    }
    if (range.min < 0) range.min = 0;
    return range;
}

namespace {

void ClearLabels(QCategoryAxis& axis)
{
    for (const QString& label : axis.categoriesLabels()) axis.remove(label);
}

} // namespace

void SetDateAxis(QCategoryAxis& axis, platform::TDateTime first, platform::TDateTime last, const TDateLabels& labels)
{
    ClearLabels(axis);
    axis.setRange(ChartX(first), ChartX(last));
    axis.setStartValue(ChartX(first - 1));
    for (const auto& [date, text] : labels) axis.append(platform::ToQString(text), ChartX(date));
}

int LabelStep(double width, int count, double spacing, const std::vector<int>& steps)
{
    // The chart gives each label an equal share of the axis, one share more than there are labels.
    for (const int step : steps) {
        const int labels = count > 1 ? (count - 1) / step + 1 : 1;
        if (width / (labels + 1) >= spacing) return step;
    }
    return steps.back();
}

int ValueLabelLimit(double height, const QFont& font)
{
    // The chart gives each of the axis's positions (one per label and its start) an equal share of
    // the height; a label taller than its share less a padding above and below is cut to "...".
    constexpr double kPadding = 4;
    const double labelHeight = QFontMetricsF(font).height() + 2 * kPadding + 2;
    return std::max(static_cast<int>(height / labelHeight) - 1, 1);
}

void SetValueAxis(QCategoryAxis& axis, TAxisRange range, int maxLabels)
{
    ClearLabels(axis);
    axis.setRange(range.min, range.max);
    const double span = range.max - range.min;
    if (!(span > 0) || !std::isfinite(span)) return;
    maxLabels = std::max(maxLabels, 1);
    // A step of 1, 2 or 5 times a power of ten giving about five labels, larger when fewer fit.
    const double raw = span / 5;
    double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (const double factor : {2.0, 5.0, 10.0}) {
        if (step >= raw) break;
        step = power * factor;
    }
    const auto count = [&range](double s) { return std::floor(range.max / s) - std::ceil(range.min / s) + 1; };
    for (int i = 0; count(step) > maxLabels && i < 64; ++i) {
        const double mantissa = step / power;
        if (mantissa < 1.5) {
            step = power * 2;
        } else if (mantissa < 3) {
            step = power * 5;
        } else {
            power *= 10;
            step = power;
        }
    }
    const double first = std::ceil(range.min / step) * step;
    // Labels sit on their category's end value: the first category starts just below the range.
    axis.setStartValue(range.min - step);
    for (int i = 0;; ++i) {
        const double tick = first + i * step;
        if (tick > range.max + step * 1e-9) break;
        axis.append(platform::ToQString(ChartNumberText(std::abs(tick) < step * 1e-9 ? 0 : tick)), tick);
    }
}

TEditKey EditKeyOf(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers shifts = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (key == Qt::Key_Escape && shifts == Qt::NoModifier) return TEditKey::Cancel;
    if (enter && (shifts & Qt::ControlModifier)) return TEditKey::Apply;
    if (enter && shifts == Qt::NoModifier) return TEditKey::Enter;
    return TEditKey::Other;
}

bool RunEditKey(TEditKey key, const std::function<void()>& cancel, const std::function<void()>& apply)
{
    switch (key) {
    case TEditKey::Cancel: cancel(); return true;
    case TEditKey::Apply: apply(); return true;
    default: return false;
    }
}
