#include "platform/DateTime.h"

#include "platform/Errors.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <utility>

namespace platform {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;
// Valid range: 0001-01-01 .. 9999-12-31 23:59:59.999.
constexpr double kMinDateTime = -693593.0;
constexpr double kMaxDateTime = 2958466.0;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

constexpr DateParts CivilFromDays(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
    return DateParts{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

constexpr std::int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);   // 1899-12-30 in Unix days
static_assert(DaysFromCivil(2024, 3, 1) - kEpochOffset == 45352);

// A value split into whole days (truncated toward zero) and the milliseconds of the day taken
// from the fraction regardless of sign, rounded to the nearest millisecond.
struct Stamp {
    std::int64_t days;
    std::int64_t msOfDay;
};

Stamp ToStamp(TDateTime value)
{
    if (!std::isfinite(value) || value <= kMinDateTime - 1.0 || value >= kMaxDateTime)
        throw ConvertError("Invalid date-time value");
    const auto ms = static_cast<std::int64_t>(std::llround(value * static_cast<double>(kMsPerDay)));
    const std::int64_t days = ms / kMsPerDay;
    const std::int64_t msOfDay = (ms < 0 ? -ms : ms) % kMsPerDay;
    if (days < static_cast<std::int64_t>(kMinDateTime) || days >= static_cast<std::int64_t>(kMaxDateTime))
        throw ConvertError("Invalid date-time value");
    return Stamp{days, msOfDay};
}

// Date number plus time fraction, the time subtracted for dates before 1899-12-30.
TDateTime Combine(TDateTime date, TDateTime time)
{
    return date >= 0 ? date + time : date - time;
}

bool TryEncodeDate(int year, int month, int day, TDateTime& value)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    value = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day))
                                - kEpochOffset);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& value)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999)
        return false;
    const std::int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + msec;
    value = static_cast<double>(ms) / static_cast<double>(kMsPerDay);
    return true;
}

ClockFunction& Clock()
{
    static ClockFunction clock;
    return clock;
}

TDateTime SystemNow()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday)
         + EncodeTime(local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec, static_cast<int>(ms));
}

void AppendPadded(std::string& out, int value, int width)
{
    char buf[16];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    (void)ec;
    for (int n = static_cast<int>(end - buf); n < width; ++n)
        out += '0';
    out.append(buf, end);
}

std::string FormatDate(TDateTime value, char separator)
{
    const DateParts d = DecodeDate(value);
    std::string out;
    AppendPadded(out, d.year, 4);
    out += separator;
    AppendPadded(out, d.month, 2);
    out += separator;
    AppendPadded(out, d.day, 2);
    return out;
}

// A small cursor over text for the readers below.
class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}
    bool AtEnd() const { return pos_ == text_.size(); }
    bool Take(char c)
    {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    // Reads minDigits..maxDigits decimal digits.
    bool Number(int minDigits, int maxDigits, int& value)
    {
        int n = 0;
        value = 0;
        while (n < maxDigits && pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
            value = value * 10 + (text_[pos_] - '0');
            ++pos_;
            ++n;
        }
        return n >= minDigits;
    }
    void SkipBlanks()
    {
        while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) <= 0x20)
            ++pos_;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

bool ParseIso(std::string_view text, TDateTime& value)
{
    Scanner s(text);
    int y = 0, mo = 0, d = 0;
    if (!s.Number(4, 4, y) || !s.Take('-') || !s.Number(2, 2, mo) || !s.Take('-') || !s.Number(2, 2, d))
        return false;
    TDateTime date = 0;
    if (!TryEncodeDate(y, mo, d, date))
        return false;
    if (s.AtEnd()) {
        value = date;
        return true;
    }
    int h = 0, mi = 0, sec = 0, ms = 0;
    if (!(s.Take(' ') || s.Take('T')) || !s.Number(2, 2, h) || !s.Take(':') || !s.Number(2, 2, mi))
        return false;
    if (s.Take(':')) {
        if (!s.Number(2, 2, sec))
            return false;
        if (s.Take('.')) {
            // Fractional seconds: the first three digits count, the rest are ignored.
            int digits = 0;
            int frac = 0;
            while (!s.AtEnd()) {
                int digit = 0;
                if (!s.Number(1, 1, digit))
                    break;
                if (digits < 3)
                    frac = frac * 10 + digit;
                ++digits;
            }
            if (digits == 0)
                return false;
            for (int i = digits; i < 3; ++i)
                frac *= 10;
            ms = frac;
        }
    }
    if (!s.AtEnd())
        return false;
    TDateTime time = 0;
    if (!TryEncodeTime(h, mi, sec, ms, time))
        return false;
    value = Combine(date, time);
    return true;
}

bool ParseDisplay(std::string_view text, TDateTime& value)
{
    Scanner s(text);
    s.SkipBlanks();
    int y = 0, mo = 0, d = 0;
    if (!s.Number(4, 4, y) || !s.Take('/') || !s.Number(1, 2, mo) || !s.Take('/') || !s.Number(1, 2, d))
        return false;
    TDateTime date = 0;
    if (!TryEncodeDate(y, mo, d, date))
        return false;
    s.SkipBlanks();
    if (s.AtEnd()) {
        value = date;
        return true;
    }
    int h = 0, mi = 0, sec = 0;
    if (!s.Number(1, 2, h) || !s.Take(':') || !s.Number(1, 2, mi))
        return false;
    if (s.Take(':') && !s.Number(1, 2, sec))
        return false;
    s.SkipBlanks();
    if (!s.AtEnd())
        return false;
    TDateTime time = 0;
    if (!TryEncodeTime(h, mi, sec, 0, time))
        return false;
    value = Combine(date, time);
    return true;
}

} // namespace

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        throw ConvertError("Invalid month " + std::to_string(month));
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime value = 0;
    if (!TryEncodeDate(year, month, day, value))
        throw ConvertError("Invalid argument to date encode");
    return value;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec)
{
    TDateTime value = 0;
    if (!TryEncodeTime(hour, minute, second, msec, value))
        throw ConvertError("Invalid argument to time encode");
    return value;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second)
{
    return Combine(EncodeDate(year, month, day), EncodeTime(hour, minute, second));
}

DateParts DecodeDate(TDateTime value)
{
    return CivilFromDays(ToStamp(value).days + kEpochOffset);
}

TimeParts DecodeTime(TDateTime value)
{
    std::int64_t ms = ToStamp(value).msOfDay;
    TimeParts t;
    t.msec = static_cast<int>(ms % 1000);
    ms /= 1000;
    t.second = static_cast<int>(ms % 60);
    ms /= 60;
    t.minute = static_cast<int>(ms % 60);
    t.hour = static_cast<int>(ms / 60);
    return t;
}

TDateTime DateOf(TDateTime value)
{
    return static_cast<double>(ToStamp(value).days);
}

TDateTime EndOfMonth(TDateTime value)
{
    const DateParts d = DecodeDate(value);
    return EndOfMonth(d.year, d.month);
}

TDateTime EndOfMonth(int year, int month)
{
    return EncodeDate(year, month, DaysInMonth(year, month));
}

TDateTime IncMonth(TDateTime value, int months)
{
    const Stamp stamp = ToStamp(value);
    const DateParts d = CivilFromDays(stamp.days + kEpochOffset);
    const std::int64_t index = static_cast<std::int64_t>(d.year) * 12 + (d.month - 1) + months;
    const std::int64_t year = index >= 0 ? index / 12 : (index - 11) / 12;
    if (year < 1 || year > 9999)
        throw ConvertError("Invalid argument to date encode");
    const int y = static_cast<int>(year);
    const int m = static_cast<int>(index - year * 12) + 1;
    const int day = d.day < DaysInMonth(y, m) ? d.day : DaysInMonth(y, m);
    return Combine(EncodeDate(y, m, day), static_cast<double>(stamp.msOfDay) / static_cast<double>(kMsPerDay));
}

TDateTime Now()
{
    const ClockFunction& clock = Clock();
    return clock ? clock() : SystemNow();
}

TDateTime Today()
{
    return DateOf(Now());
}

void SetClock(ClockFunction clock)
{
    Clock() = std::move(clock);
}

void SetFixedNow(TDateTime value)
{
    Clock() = [value] { return value; };
}

std::string ToIsoDate(TDateTime value)
{
    return FormatDate(value, '-');
}

std::string ToIsoDateTime(TDateTime value)
{
    const TimeParts t = DecodeTime(value);
    std::string out = FormatDate(value, '-');
    out += ' ';
    AppendPadded(out, t.hour, 2);
    out += ':';
    AppendPadded(out, t.minute, 2);
    out += ':';
    AppendPadded(out, t.second, 2);
    return out;
}

TDateTime FromIsoText(std::string_view text)
{
    TDateTime value = 0;
    if (!ParseIso(text, value))
        throw ConvertError("'" + std::string(text) + "' is not a valid date and time");
    return value;
}

bool TryFromIsoText(std::string_view text, TDateTime& value)
{
    return ParseIso(text, value);
}

std::string DateToStr(TDateTime value)
{
    return FormatDate(value, '/');
}

std::string TimeToStr(TDateTime value)
{
    const TimeParts t = DecodeTime(value);
    std::string out;
    AppendPadded(out, t.hour, 1);
    out += ':';
    AppendPadded(out, t.minute, 2);
    out += ':';
    AppendPadded(out, t.second, 2);
    return out;
}

std::string DateTimeToStr(TDateTime value)
{
    const TimeParts t = DecodeTime(value);
    std::string out = DateToStr(value);
    if (t.hour != 0 || t.minute != 0 || t.second != 0 || t.msec != 0) {
        out += ' ';
        out += TimeToStr(value);
    }
    return out;
}

TDateTime StrToDateTime(std::string_view text)
{
    TDateTime value = 0;
    if (!ParseDisplay(text, value))
        throw ConvertError("'" + std::string(text) + "' is not a valid date and time");
    return value;
}

bool TryStrToDateTime(std::string_view text, TDateTime& value)
{
    return ParseDisplay(text, value);
}

} // namespace platform
