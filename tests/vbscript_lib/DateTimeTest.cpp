// Dates as OLE serials: conversions, normalisation, arithmetic, parsing and
// the texts VBScript gives them (en-US).
#include "vbscript/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace ravelin::vbs;

namespace {

double serialOf(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0)
{
    double s = 0;
    EXPECT_TRUE(serialFromParts(DateParts{y, m, d, hh, mm, ss}, s)) << y << "-" << m << "-" << d;
    return s;
}

std::string text(double serial) { return formatDateText(serial); }

std::string parsed(std::string_view input)
{
    auto r = parseDateTime(input, 2026);
    return r ? text(r->serial) : "<invalid>";
}

} // namespace

TEST(DateSerials, KnownPointsAndNegativeDates)
{
    EXPECT_EQ(serialOf(1899, 12, 30), 0.0);
    EXPECT_EQ(serialOf(1900, 1, 1), 2.0);
    EXPECT_EQ(serialOf(2026, 12, 25), 46381.0);
    EXPECT_EQ(serialOf(100, 1, 1), kMinDateSerial);
    EXPECT_DOUBLE_EQ(serialOf(2026, 12, 25, 18), 46381.75);
    // Below zero the day counts back while the time still runs forward.
    EXPECT_DOUBLE_EQ(serialOf(1899, 12, 29, 6), -1.25);
    DateParts p = dateFromSerial(-1.25);
    EXPECT_EQ(p.year, 1899);
    EXPECT_EQ(p.day, 29);
    EXPECT_EQ(p.hour, 6);
    EXPECT_EQ(text(-1.5), "12/29/1899 12:00:00 PM");
}

TEST(DateSerials, PartsRoundToTheSecond)
{
    DateParts p = dateFromSerial(46381.0 + 86399.6 / 86400.0);
    EXPECT_EQ(p.day, 26);
    EXPECT_EQ(p.hour, 0);
    p = dateFromSerial(46381.0 + 3661.4 / 86400.0);
    EXPECT_EQ(p.hour, 1);
    EXPECT_EQ(p.minute, 1);
    EXPECT_EQ(p.second, 1);
}

TEST(DateSerials, InvalidPartsAndRange)
{
    double s = 0;
    EXPECT_FALSE(serialFromParts(DateParts{2026, 2, 29}, s));
    EXPECT_TRUE(serialFromParts(DateParts{2024, 2, 29}, s));
    EXPECT_FALSE(serialFromParts(DateParts{1900, 2, 29}, s));
    EXPECT_TRUE(serialFromParts(DateParts{2000, 2, 29}, s));
    EXPECT_FALSE(serialFromParts(DateParts{99, 12, 31}, s));
    EXPECT_FALSE(serialFromParts(DateParts{10000, 1, 1}, s));
    EXPECT_FALSE(serialFromParts(DateParts{2026, 1, 1, 24}, s));
    EXPECT_TRUE(validDateSerial(kMaxDateSerial));
    EXPECT_FALSE(validDateSerial(2958466.0));
    EXPECT_FALSE(validDateSerial(kMinDateSerial - 1));
    EXPECT_TRUE(validDateSerial(kMinDateSerial - 0.5)); // 100-01-01 at noon
}

TEST(DateSerialFunction, NormalisesOutOfRangeParts)
{
    double s = 0;
    ASSERT_TRUE(dateSerial(2026, 13, 1, s));
    EXPECT_EQ(text(s), "1/1/2027");
    ASSERT_TRUE(dateSerial(2026, 3, 0, s));
    EXPECT_EQ(text(s), "2/28/2026");
    ASSERT_TRUE(dateSerial(2026, 0, 1, s));
    EXPECT_EQ(text(s), "12/1/2025");
    ASSERT_TRUE(dateSerial(2026, -1, -1, s));
    EXPECT_EQ(text(s), "10/30/2025");
    ASSERT_TRUE(dateSerial(2026, 1, 400, s));
    EXPECT_EQ(text(s), "2/4/2027");
    ASSERT_TRUE(dateSerial(29, 1, 1, s));
    EXPECT_EQ(text(s), "1/1/2029");
    ASSERT_TRUE(dateSerial(30, 1, 1, s));
    EXPECT_EQ(text(s), "1/1/1930");
    ASSERT_TRUE(dateSerial(99, 13, 1, s));
    EXPECT_EQ(text(s), "1/1/2000");
    ASSERT_TRUE(dateSerial(100, 1, 1, s));
    EXPECT_EQ(text(s), "1/1/100");
    EXPECT_FALSE(dateSerial(10000, 1, 1, s));
    EXPECT_FALSE(dateSerial(-5, 1, 1, s));
    EXPECT_FALSE(dateSerial(9999, 12, 32, s));
}

TEST(TimeSerialFunction, CarriesAndRunsBackFromMidnight)
{
    double s = 0;
    ASSERT_TRUE(timeSerial(22, 30, 0, s));
    EXPECT_EQ(text(s), "10:30:00 PM");
    ASSERT_TRUE(timeSerial(12 - 6, -15, 0, s));
    EXPECT_EQ(text(s), "5:45:00 AM");
    ASSERT_TRUE(timeSerial(0, 0, 90, s));
    EXPECT_EQ(text(s), "12:01:30 AM");
    ASSERT_TRUE(timeSerial(25, 0, 0, s));
    EXPECT_EQ(text(s), "12/31/1899 1:00:00 AM");
    ASSERT_TRUE(timeSerial(0, 0, -1, s));
    EXPECT_EQ(text(s), "12/29/1899 11:59:59 PM");
    EXPECT_NEAR(s, -1.99998842592593, 1e-12);
}

TEST(DateText, DateTimeOrBoth)
{
    EXPECT_EQ(text(46381.0), "12/25/2026");
    EXPECT_EQ(text(0.9375), "10:30:00 PM");
    EXPECT_EQ(text(46381.9375), "12/25/2026 10:30:00 PM");
    EXPECT_EQ(text(0), "12:00:00 AM");
    EXPECT_EQ(text(0.5), "12:00:00 PM");
    EXPECT_EQ(text(serialOf(2026, 1, 2, 0, 0, 1)), "1/2/2026 12:00:01 AM");
}

TEST(DateText, FormatDateTimeNamedFormats)
{
    double s = serialOf(2026, 12, 25, 22, 30, 15);
    std::string out;
    ASSERT_TRUE(formatDateTime(s, 0, out));
    EXPECT_EQ(out, "12/25/2026 10:30:15 PM");
    ASSERT_TRUE(formatDateTime(s, 1, out));
    EXPECT_EQ(out, "Friday, December 25, 2026");
    ASSERT_TRUE(formatDateTime(s, 2, out));
    EXPECT_EQ(out, "12/25/2026");
    ASSERT_TRUE(formatDateTime(s, 3, out));
    EXPECT_EQ(out, "10:30:15 PM");
    ASSERT_TRUE(formatDateTime(s, 4, out));
    EXPECT_EQ(out, "22:30");
    ASSERT_TRUE(formatDateTime(serialOf(2026, 1, 2, 7, 5), 4, out));
    EXPECT_EQ(out, "07:05");
    EXPECT_FALSE(formatDateTime(s, 5, out));
}

TEST(DateNames, MonthsAndWeekdays)
{
    EXPECT_EQ(monthName(1), "January");
    EXPECT_EQ(monthName(9, true), "Sep");
    EXPECT_EQ(monthName(13), "");
    EXPECT_EQ(weekdayName(1), "Sunday");
    EXPECT_EQ(weekdayName(7, true), "Sat");
    EXPECT_EQ(weekdayName(1, false, 2), "Monday");
    EXPECT_EQ(weekdayName(7, false, 2), "Sunday");
    EXPECT_EQ(weekdayName(0), "");
}

TEST(DateArithmetic, WeekdayWithFirstDay)
{
    double friday = serialOf(2026, 12, 25);
    EXPECT_EQ(weekday(friday), 6);
    EXPECT_EQ(weekday(friday, 2), 5);
    EXPECT_EQ(weekday(friday, 6), 1);
    EXPECT_EQ(weekday(friday, 0), 6);
    EXPECT_EQ(weekday(0), 7); // 1899-12-30 was a Saturday
    EXPECT_EQ(weekday(-1.5), 6); // and the day before a Friday
}

TEST(DateArithmetic, DateAddIntervals)
{
    double r = 0;
    double base = serialOf(2026, 1, 31, 10, 0, 0);
    auto add = [&](const char* iv, double n, double from) {
        EXPECT_TRUE(dateAdd(*parseInterval(iv), n, from, r)) << iv;
        return text(r);
    };
    EXPECT_EQ(add("m", 1, base), "2/28/2026 10:00:00 AM");
    EXPECT_EQ(add("M", 1, serialOf(2024, 1, 31)), "2/29/2024");
    EXPECT_EQ(add("yyyy", -1, serialOf(2024, 2, 29)), "2/28/2023");
    EXPECT_EQ(add("q", 1, base), "4/30/2026 10:00:00 AM");
    EXPECT_EQ(add("d", 1, base), "2/1/2026 10:00:00 AM");
    EXPECT_EQ(add("w", 1, base), "2/1/2026 10:00:00 AM");
    EXPECT_EQ(add("y", -31, base), "12/31/2025 10:00:00 AM");
    EXPECT_EQ(add("ww", 2, base), "2/14/2026 10:00:00 AM");
    EXPECT_EQ(add("h", 14, base), "2/1/2026");
    EXPECT_EQ(add("n", -601, base), "1/30/2026 11:59:00 PM");
    EXPECT_EQ(add("s", 3600, base), "1/31/2026 11:00:00 AM");
    EXPECT_EQ(add("d", 1.5, serialOf(2026, 1, 1)), "1/3/2026"); // counts round to whole numbers
    // Crossing day zero keeps the time running forwards.
    EXPECT_EQ(add("h", -12, 0.25), "12/29/1899 6:00:00 PM");
    EXPECT_FALSE(dateAdd(DateInterval::Year, 1, serialOf(9999, 6, 1), r));
    EXPECT_FALSE(dateAdd(DateInterval::Day, -1, kMinDateSerial, r));
    EXPECT_FALSE(parseInterval("x"));
    EXPECT_FALSE(parseInterval(""));
}

TEST(DateArithmetic, DateDiffCountsBoundaries)
{
    double a = serialOf(2025, 12, 31, 23, 59, 59);
    double b = serialOf(2026, 1, 1, 0, 0, 1);
    EXPECT_EQ(dateDiff(DateInterval::Year, a, b), 1);
    EXPECT_EQ(dateDiff(DateInterval::Quarter, a, b), 1);
    EXPECT_EQ(dateDiff(DateInterval::Month, a, b), 1);
    EXPECT_EQ(dateDiff(DateInterval::Day, a, b), 1);
    EXPECT_EQ(dateDiff(DateInterval::Hour, a, b), 1);
    EXPECT_EQ(dateDiff(DateInterval::Minute, a, b), 1);
    EXPECT_EQ(dateDiff(DateInterval::Second, a, b), 2);
    EXPECT_EQ(dateDiff(DateInterval::Year, b, a), -1);
    EXPECT_EQ(dateDiff(DateInterval::Hour, serialOf(2026, 1, 1, 1, 59), serialOf(2026, 1, 1, 2, 0)), 1);
    double jan1 = serialOf(2026, 1, 1); // a Thursday
    double jan20 = serialOf(2026, 1, 20);
    EXPECT_EQ(dateDiff(DateInterval::Weekday, jan1, jan20), 2);
    EXPECT_EQ(dateDiff(DateInterval::Week, jan1, jan20), 3); // Sundays 4, 11, 18
    EXPECT_EQ(dateDiff(DateInterval::Week, jan1, jan20, 5), 2); // Thursdays 8, 15
    EXPECT_EQ(dateDiff(DateInterval::Weekday, jan20, jan1), -2);
    EXPECT_EQ(dateDiff(DateInterval::Day, -1.5, 0.25), 1);
}

TEST(DateArithmetic, DatePartIntervals)
{
    double s = serialOf(2026, 12, 25, 22, 30, 15);
    EXPECT_EQ(datePart(DateInterval::Year, s), 2026);
    EXPECT_EQ(datePart(DateInterval::Quarter, s), 4);
    EXPECT_EQ(datePart(DateInterval::Month, s), 12);
    EXPECT_EQ(datePart(DateInterval::DayOfYear, s), 359);
    EXPECT_EQ(datePart(DateInterval::Day, s), 25);
    EXPECT_EQ(datePart(DateInterval::Weekday, s), 6);
    EXPECT_EQ(datePart(DateInterval::Weekday, s, 2), 5);
    EXPECT_EQ(datePart(DateInterval::Hour, s), 22);
    EXPECT_EQ(datePart(DateInterval::Minute, s), 30);
    EXPECT_EQ(datePart(DateInterval::Second, s), 15);
}

TEST(DateArithmetic, WeekOfYearRules)
{
    // 2026-01-01 is a Thursday.
    double jan1 = serialOf(2026, 1, 1), jan4 = serialOf(2026, 1, 4), jan5 = serialOf(2026, 1, 5);
    EXPECT_EQ(datePart(DateInterval::Week, jan1), 1);
    EXPECT_EQ(datePart(DateInterval::Week, jan4), 2); // weeks start on Sunday
    EXPECT_EQ(datePart(DateInterval::Week, jan4, 2, 2), 1); // ISO-like: Monday, four days
    EXPECT_EQ(datePart(DateInterval::Week, jan5, 2, 2), 2);
    EXPECT_EQ(datePart(DateInterval::Week, jan1, 1, 3), 52); // before the first full week
    EXPECT_EQ(datePart(DateInterval::Week, jan4, 1, 3), 1);
    EXPECT_EQ(datePart(DateInterval::Week, serialOf(2026, 12, 31)), 53);
}

TEST(DateParsing, AcceptedForms)
{
    EXPECT_EQ(parsed("12/25/2026"), "12/25/2026");
    EXPECT_EQ(parsed("2026-12-25"), "12/25/2026");
    EXPECT_EQ(parsed("2026/1/5"), "1/5/2026");
    EXPECT_EQ(parsed("Dec 25, 2026"), "12/25/2026");
    EXPECT_EQ(parsed("December 25 2026"), "12/25/2026");
    EXPECT_EQ(parsed("25 December 2026"), "12/25/2026");
    EXPECT_EQ(parsed("25-Dec-2026"), "12/25/2026");
    EXPECT_EQ(parsed("Friday, December 25, 2026"), "12/25/2026");
    EXPECT_EQ(parsed("sep 3 2026"), "9/3/2026");
    EXPECT_EQ(parsed(",3/4/2026"), "3/4/2026");
    EXPECT_EQ(parsed("12/25/26"), "12/25/2026");
    EXPECT_EQ(parsed("1/2/30"), "1/2/1930");
    EXPECT_EQ(parsed("25/12/2026"), "12/25/2026"); // no 25th month: read day first
    EXPECT_EQ(parsed("12/25"), "12/25/2026"); // the current year
    EXPECT_EQ(parsed("  3/4/2026  "), "3/4/2026");
}

TEST(DateParsing, TimesAndCombinations)
{
    EXPECT_EQ(parsed("10:30 PM"), "10:30:00 PM");
    EXPECT_EQ(parsed("22:30:15"), "10:30:15 PM");
    EXPECT_EQ(parsed("10pm"), "10:00:00 PM");
    EXPECT_EQ(parsed("12:00 AM"), "12:00:00 AM");
    EXPECT_EQ(parsed("12:15 pm"), "12:15:00 PM");
    EXPECT_EQ(parsed("13:00 PM"), "1:00:00 PM"); // a 24-hour time ignores PM
    EXPECT_EQ(parsed("0:0"), "12:00:00 AM");
    EXPECT_EQ(parsed("12/25/2026 10:30 PM"), "12/25/2026 10:30:00 PM");
    EXPECT_EQ(parsed("2026-12-25 22:30:15"), "12/25/2026 10:30:15 PM");
    EXPECT_EQ(parsed("10:30 PM 12/25/2026"), "12/25/2026 10:30:00 PM");
    auto r = parseDateTime("22:30", 2026);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->hasTime);
    EXPECT_FALSE(r->hasDate);
    EXPECT_DOUBLE_EQ(r->serial, 0.9375);
}

TEST(DateParsing, RejectedTexts)
{
    for (const char* bad :
         {"",          "   ",      "hello",     "2026",         "12",          "13/13/2026",
          "2/30/2026", "25:00",    "10:60",     "24:00",        "PM",          "Sept 3, 2026",
          "Decem 25",  "1.2.2026", "3//4/2026", "3/4/2026,",    "10:30:15.5",  "12/25/2026 10:30 PM 11:00",
          "1:2:3:4",   "12//",     "Dec",       "Foo 25, 2026", "12/25/10000", "1.5e3",
          "$12"}) {
        EXPECT_FALSE(parseDateTime(bad, 2026)) << bad;
    }
}

TEST(DateClock, NowAndTimerAreConsistent)
{
    double now = nowSerial();
    EXPECT_TRUE(validDateSerial(now));
    EXPECT_GT(now, serialOf(2020, 1, 1));
    double timer = timerSeconds();
    EXPECT_GE(timer, 0.0);
    EXPECT_LT(timer, 86400.0);
}
