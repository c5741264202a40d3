#include "platform/DateTime.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <clocale>

using namespace platform;

namespace {

// Restores the system clock after a test that set its own.
class DateTimeClock : public ::testing::Test {
protected:
    void TearDown() override { SetClock({}); }
};

} // namespace

TEST(DateTime, EncodesDaysSinceEpoch)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(2024, 3, 1), 45352.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(1899, 12, 29), -1.0);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
    EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
    EXPECT_EQ(EncodeTime(12, 0, 0), 0.5);
    EXPECT_EQ(EncodeTime(6, 0, 0), 0.25);
    EXPECT_EQ(EncodeDateTime(2024, 3, 1, 18, 0, 0), 45352.75);
}

TEST(DateTime, RejectsImpossibleDatesAndTimes)
{
    EXPECT_THROW(EncodeDate(2023, 2, 29), ConvertError);
    EXPECT_THROW(EncodeDate(2024, 13, 1), ConvertError);
    EXPECT_THROW(EncodeDate(2024, 0, 1), ConvertError);
    EXPECT_THROW(EncodeDate(2024, 4, 31), ConvertError);
    EXPECT_THROW(EncodeDate(0, 1, 1), ConvertError);
    EXPECT_THROW(EncodeDate(10000, 1, 1), ConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0), ConvertError);
    EXPECT_THROW(EncodeTime(0, 60, 0), ConvertError);
    EXPECT_THROW(EncodeTime(0, 0, 0, 1000), ConvertError);
    EXPECT_THROW(DaysInMonth(2024, 13), ConvertError);
    EXPECT_NO_THROW(EncodeDate(2024, 2, 29));
}

TEST(DateTime, LeapYearsAndMonthLengths)
{
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_FALSE(IsLeapYear(2023));
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2023, 2), 28);
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2024, 4), 30);
}

TEST(DateTime, LastDayOfEveryMonthOf2023And2024)
{
    const int expected[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                 {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};
    for (int y = 0; y < 2; ++y) {
        const int year = 2023 + y;
        for (int month = 1; month <= 12; ++month) {
            SCOPED_TRACE(std::to_string(year) + "-" + std::to_string(month));
            const int last = expected[y][month - 1];
            EXPECT_EQ(DaysInMonth(year, month), last);
            EXPECT_EQ(EndOfMonth(year, month), EncodeDate(year, month, last));
            // From any day and time of the month, the date of its last day (no time).
            EXPECT_EQ(EndOfMonth(EncodeDateTime(year, month, 1, 13, 45, 0)), EncodeDate(year, month, last));
            EXPECT_EQ(ToIsoDate(EndOfMonth(year, month)).substr(8), std::to_string(last));
        }
    }
}

TEST(DateTime, DecodesDatesAndTimes)
{
    const DateParts d = DecodeDate(45352.75);
    EXPECT_EQ(d.year, 2024);
    EXPECT_EQ(d.month, 3);
    EXPECT_EQ(d.day, 1);
    const TimeParts t = DecodeTime(EncodeTime(9, 5, 7, 123));
    EXPECT_EQ(t.hour, 9);
    EXPECT_EQ(t.minute, 5);
    EXPECT_EQ(t.second, 7);
    EXPECT_EQ(t.msec, 123);
    const DateParts epoch = DecodeDate(0);
    EXPECT_EQ(epoch.year, 1899);
    EXPECT_EQ(epoch.month, 12);
    EXPECT_EQ(epoch.day, 30);
}

TEST(DateTime, EveryDayOf2023And2024RoundTrips)
{
    TDateTime day = EncodeDate(2023, 1, 1);
    for (int year = 2023; year <= 2024; ++year)
        for (int month = 1; month <= 12; ++month)
            for (int d = 1; d <= DaysInMonth(year, month); ++d, day += 1) {
                ASSERT_EQ(EncodeDate(year, month, d), day);
                const DateParts parts = DecodeDate(day + 0.999);
                ASSERT_EQ(parts.year, year);
                ASSERT_EQ(parts.month, month);
                ASSERT_EQ(parts.day, d);
            }
}

TEST(DateTime, TimesRoundToTheNearestMillisecond)
{
    // Just below midnight by less than half a millisecond: the next day at 0:00:00.
    const TDateTime almost = 45352.0 + (86'400'000.0 - 0.1) / 86'400'000.0;
    EXPECT_EQ(ToIsoDateTime(almost), "2024-03-02 00:00:00");
    EXPECT_EQ(DateOf(almost), 45353.0);
    // A time computed with a rounding error just below the second.
    const TDateTime nineOClock = 45352.0 + 9.0 / 24.0 - 1e-12;
    EXPECT_EQ(TimeToStr(nineOClock), "9:00:00");
    const TimeParts t = DecodeTime(EncodeTime(23, 59, 59, 999));
    EXPECT_EQ(t.second, 59);
    EXPECT_EQ(t.msec, 999);
}

TEST(DateTime, NegativeValuesKeepTheTimeAsUnsignedFraction)
{
    // -1.25 is 1899-12-29 06:00: the whole part is the day, the fraction the time.
    EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0), -1.25);
    EXPECT_EQ(ToIsoDateTime(-1.25), "1899-12-29 06:00:00");
    EXPECT_EQ(DateOf(-1.25), -1.0);
    // Between -1 and 0 the day is 1899-12-30 itself.
    EXPECT_EQ(ToIsoDateTime(-0.5), "1899-12-30 12:00:00");
    EXPECT_EQ(ToIsoDateTime(EncodeDateTime(1850, 7, 4, 23, 59, 59)), "1850-07-04 23:59:59");
    EXPECT_EQ(IncMonth(-1.25, 1), EncodeDateTime(1900, 1, 29, 6, 0, 0));
}

TEST(DateTime, OutOfRangeValuesRaiseInsteadOfCrashing)
{
    EXPECT_THROW(DecodeDate(1e300), ConvertError);
    EXPECT_THROW(DecodeDate(-1e300), ConvertError);
    EXPECT_THROW(DecodeDate(std::numeric_limits<double>::quiet_NaN()), ConvertError);
    EXPECT_THROW(ToIsoDate(std::numeric_limits<double>::infinity()), ConvertError);
    EXPECT_THROW(DateTimeToStr(2958466.0), ConvertError);
    EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1), 1), ConvertError);
}

TEST(DateTime, IncMonthClampsTheDayAndKeepsTheTime)
{
    EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31), 1), EncodeDate(2024, 2, 29));
    EXPECT_EQ(IncMonth(EncodeDate(2023, 1, 31), 1), EncodeDate(2023, 2, 28));
    EXPECT_EQ(IncMonth(EncodeDate(2024, 3, 31), -1), EncodeDate(2024, 2, 29));
    EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 15), -13), EncodeDate(2022, 12, 15));
    EXPECT_EQ(IncMonth(EncodeDate(2024, 11, 30), 14), EncodeDate(2026, 1, 30));
    EXPECT_EQ(IncMonth(EncodeDateTime(2024, 5, 31, 8, 30, 0), 1), EncodeDateTime(2024, 6, 30, 8, 30, 0));
}

TEST(DateTime, IsoTextsBothWays)
{
    EXPECT_EQ(ToIsoDate(45352.75), "2024-03-01");
    EXPECT_EQ(ToIsoDateTime(EncodeDateTime(2024, 3, 31, 9, 5, 0)), "2024-03-31 09:05:00");
    EXPECT_EQ(ToIsoDate(EncodeDate(1, 1, 1)), "0001-01-01");
    EXPECT_EQ(FromIsoText("2024-03-01"), 45352.0);
    EXPECT_EQ(FromIsoText("2024-03-31 09:05:00"), EncodeDateTime(2024, 3, 31, 9, 5, 0));
    EXPECT_EQ(FromIsoText("2024-03-31T09:05:00"), EncodeDateTime(2024, 3, 31, 9, 5, 0));
    EXPECT_EQ(FromIsoText("2024-03-31 09:05"), EncodeDateTime(2024, 3, 31, 9, 5, 0));
    EXPECT_EQ(FromIsoText("2024-03-31 09:05:00.250"), EncodeDate(2024, 3, 31) + EncodeTime(9, 5, 0, 250));

    // Round trip to the second over a spread of moments.
    for (int i = 0; i < 500; ++i) {
        const TDateTime value = EncodeDate(1990, 1, 1) + i * 37.123456789;
        const TDateTime back = FromIsoText(ToIsoDateTime(value));
        ASSERT_EQ(ToIsoDateTime(back), ToIsoDateTime(value));
        ASSERT_NEAR(back, value, 1.0 / 86400.0);
    }

    for (const char* bad : {"", "2024-3-1", "2024-02-30", "2024-03-01 24:00:00", "2024-03-01x", "24-03-01",
                            "2024/03/01", "2024-03-01 09:05:", " 2024-03-01"}) {
        SCOPED_TRACE(bad);
        TDateTime value = 7;
        EXPECT_FALSE(TryFromIsoText(bad, value));
        EXPECT_EQ(value, 7.0);
        EXPECT_THROW(FromIsoText(bad), ConvertError);
    }
}

TEST(DateTime, DisplayTextsOfTheFixedSettings)
{
    EXPECT_EQ(DateToStr(EncodeDate(2024, 3, 1)), "2024/03/01");
    EXPECT_EQ(TimeToStr(EncodeTime(9, 5, 7)), "9:05:07");
    EXPECT_EQ(TimeToStr(0), "0:00:00");
    EXPECT_EQ(TimeToStr(EncodeTime(23, 59, 59)), "23:59:59");
    EXPECT_EQ(DateTimeToStr(EncodeDateTime(2024, 3, 1, 14, 30, 0)), "2024/03/01 14:30:00");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 3, 1)), "2024/03/01");

    EXPECT_EQ(StrToDateTime("2024/03/01"), EncodeDate(2024, 3, 1));
    EXPECT_EQ(StrToDateTime("2024/3/1"), EncodeDate(2024, 3, 1));
    EXPECT_EQ(StrToDateTime("2024/03/01 9:05"), EncodeDateTime(2024, 3, 1, 9, 5, 0));
    EXPECT_EQ(StrToDateTime(" 2024/03/01 14:30:15 "), EncodeDateTime(2024, 3, 1, 14, 30, 15));
    for (const char* bad : {"", "2024/02/30", "2024-03-01", "24/3/1", "2024/03/01 25:00", "2024/03/01 9", "abc"}) {
        SCOPED_TRACE(bad);
        TDateTime value = 7;
        EXPECT_FALSE(TryStrToDateTime(bad, value));
        EXPECT_THROW(StrToDateTime(bad), ConvertError);
    }
    const TDateTime moment = EncodeDateTime(2023, 12, 31, 23, 59, 58);
    EXPECT_EQ(StrToDateTime(DateTimeToStr(moment)), moment);
}

TEST_F(DateTimeClock, NowAndTodayReadTheInjectedClock)
{
    SetFixedNow(EncodeDateTime(2024, 3, 1, 15, 20, 0));
    EXPECT_EQ(Now(), EncodeDateTime(2024, 3, 1, 15, 20, 0));
    EXPECT_EQ(Today(), 45352.0);

    int calls = 0;
    SetClock([&calls] { ++calls; return 100.5; });
    EXPECT_EQ(Now(), 100.5);
    EXPECT_EQ(Today(), 100.0);
    EXPECT_EQ(calls, 2);

    SetClock({});
    const TDateTime system = Now();
    EXPECT_GT(system, EncodeDate(2020, 1, 1));
    EXPECT_LT(system, EncodeDate(2200, 1, 1));
    EXPECT_EQ(Today(), DateOf(Today()));
}

TEST(DateTime, TextsDoNotDependOnTheProcessLocale)
{
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    const TDateTime moment = EncodeDateTime(2024, 3, 1, 9, 5, 7);
    const std::string iso = ToIsoDateTime(moment);
    const std::string display = DateTimeToStr(moment);
    const TDateTime back = FromIsoText("2024-03-01 09:05:07");
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(iso, "2024-03-01 09:05:07");
    EXPECT_EQ(display, "2024/03/01 9:05:07");
    EXPECT_EQ(back, moment);
}
