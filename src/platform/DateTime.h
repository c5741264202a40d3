#pragma once
// The class library's date-time: days since 1899-12-30 with the time of day as the fraction
// (2024-03-01 = 45352). All "today" and "now" of the data layers go through the injectable clock.
// Before 1899-12-30 the whole part is the (negative) day and the fraction the time regardless of
// sign: -1.25 is 1899-12-29 06:00. Decoding rounds the time to the nearest millisecond (a value a
// hair below midnight is the next day); values outside 0001-01-01 .. 9999-12-31, NaN and infinities
// raise ConvertError wherever a value is decoded or written as text.
#include <functional>
#include <string>
#include <string_view>

namespace platform {

using TDateTime = double;

struct DateParts { int year = 0, month = 0, day = 0; };
struct TimeParts { int hour = 0, minute = 0, second = 0, msec = 0; };

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);   // a month outside 1..12 raises ConvertError
// Raises ConvertError for an impossible date or time.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec = 0);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second);
DateParts DecodeDate(TDateTime value);
TimeParts DecodeTime(TDateTime value);
// Date part only (the time fraction removed), of the millisecond-rounded value.
TDateTime DateOf(TDateTime value);
// The last day of the value's month (date only).
TDateTime EndOfMonth(TDateTime value);
TDateTime EndOfMonth(int year, int month);
// Adds months, clamping the day to the target month's length.
TDateTime IncMonth(TDateTime value, int months);

// The clock: Now() and Today() read it; tests set a fixed value.
using ClockFunction = std::function<TDateTime()>;
TDateTime Now();
TDateTime Today();
void SetClock(ClockFunction clock);   // an empty function restores the system clock
void SetFixedNow(TDateTime value);

// ISO texts for storage and SQL: "yyyy-mm-dd" and "yyyy-mm-dd hh:mm:ss".
std::string ToIsoDate(TDateTime value);
std::string ToIsoDateTime(TDateTime value);
// Reads "yyyy-mm-dd" or "yyyy-mm-dd hh:mm[:ss[.fff]]" (also with 'T'); raises ConvertError.
TDateTime FromIsoText(std::string_view text);
bool TryFromIsoText(std::string_view text, TDateTime& value);

// Display texts of the fixed Japanese settings: "yyyy/mm/dd", "h:nn:ss", "yyyy/mm/dd h:nn:ss"
// (the date-time form omits the time when it is midnight, as the class library does).
std::string DateToStr(TDateTime value);
std::string TimeToStr(TDateTime value);
std::string DateTimeToStr(TDateTime value);
// Reads the display forms ("yyyy/mm/dd", "yyyy/m/d", optional " h:nn[:ss]", blanks around allowed;
// the year has four digits); raises ConvertError.
TDateTime StrToDateTime(std::string_view text);
bool TryStrToDateTime(std::string_view text, TDateTime& value);

} // namespace platform
