// Dates as OLE serials: what dates.vbs cannot reach through the built-ins
// (serial arithmetic below day zero, rounding, range edges, the parser's
// corner cases). The plain built-in behaviour is checked in dates.vbs.
#include "vbscript/DateTime.h"

#include <gtest/gtest.h>

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

TEST(DateSerials, KnownPointsNegativeDatesAndRounding)
{
    EXPECT_EQ(serialOf(1900, 1, 1), 2.0);
    EXPECT_EQ(serialOf(2026, 12, 25), 46381.0);
    EXPECT_EQ(serialOf(100, 1, 1), kMinDateSerial);
    EXPECT_DOUBLE_EQ(serialOf(2026, 12, 25, 18), 46381.75);
    // Below zero the day counts back while the time still runs forward.
    EXPECT_DOUBLE_EQ(serialOf(1899, 12, 29, 6), -1.25);
    DateParts p = dateFromSerial(-1.25);
    EXPECT_EQ(p.year * 10000 + p.day * 100 + p.hour, 18990000 + 2900 + 6);
    p = dateFromSerial(46381.0 + 86399.6 / 86400.0); // rounds to the next day
    EXPECT_EQ(p.day * 100 + p.hour, 2600);
    p = dateFromSerial(46381.0 + 3661.4 / 86400.0);
    EXPECT_EQ(p.hour * 10000 + p.minute * 100 + p.second, 10101);
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
    ASSERT_TRUE(dateSerial(2026, 0, 1, s));
    EXPECT_EQ(text(s), "12/1/2025");
    ASSERT_TRUE(dateSerial(99, 13, 1, s));
    EXPECT_EQ(text(s), "1/1/2000");
    EXPECT_FALSE(dateSerial(-5, 1, 1, s));
    EXPECT_FALSE(dateSerial(9999, 12, 32, s));
    // TimeSerial runs back from midnight of day zero.
    ASSERT_TRUE(timeSerial(25, 0, 0, s));
    EXPECT_EQ(text(s), "12/31/1899 1:00:00 AM");
    ASSERT_TRUE(timeSerial(0, 0, -1, s));
    EXPECT_EQ(text(s), "12/29/1899 11:59:59 PM");
    EXPECT_NEAR(s, -1.99998842592593, 1e-12);
}

TEST(DateArithmetic, EdgesAroundDayZeroAndTheRange)
{
    EXPECT_EQ(monthName(13), "");
    EXPECT_EQ(weekdayName(7, false, 2), "Sunday");
    EXPECT_EQ(weekday(serialOf(2026, 12, 25), 0), 6); // 0: the system's first day, Sunday
    EXPECT_EQ(weekday(0), 7); // 1899-12-30 was a Saturday
    EXPECT_EQ(weekday(-1.5), 6); // and the day before a Friday
    double r = 0;
    ASSERT_TRUE(dateAdd(DateInterval::Hour, -12, 0.25, r)); // crossing day zero keeps time running forwards
    EXPECT_EQ(text(r), "12/29/1899 6:00:00 PM");
    ASSERT_TRUE(dateAdd(DateInterval::Day, 1.5, serialOf(2026, 1, 1), r)); // counts round to whole numbers
    EXPECT_EQ(text(r), "1/3/2026");
    EXPECT_FALSE(dateAdd(DateInterval::Day, -1, kMinDateSerial, r));
    EXPECT_FALSE(parseInterval(""));
    EXPECT_EQ(dateDiff(DateInterval::Day, -1.5, 0.25), 1);
    EXPECT_EQ(dateDiff(DateInterval::Second, serialOf(2025, 12, 31, 23, 59, 59), serialOf(2026, 1, 1, 0, 0, 1)), 2);
    EXPECT_EQ(dateDiff(DateInterval::Weekday, serialOf(2026, 1, 20), serialOf(2026, 1, 1)), -2);
    EXPECT_EQ(datePart(DateInterval::Week, serialOf(2026, 1, 1)), 1);
    EXPECT_EQ(datePart(DateInterval::Week, serialOf(2026, 1, 4)), 2); // weeks start on Sunday
    EXPECT_EQ(datePart(DateInterval::Week, serialOf(2026, 1, 5), 2, 2), 2);
    EXPECT_EQ(datePart(DateInterval::Week, serialOf(2026, 1, 4), 1, 3), 1);
}

TEST(DateParsing, AcceptedForms)
{
    const std::pair<const char*, const char*> cases[] = {
        {"12/25/2026", "12/25/2026"},
        {"2026/1/5", "1/5/2026"},
        {"December 25 2026", "12/25/2026"},
        {"25-Dec-2026", "12/25/2026"},
        {"sep 3 2026", "9/3/2026"},
        {",3/4/2026", "3/4/2026"},
        {"12/25/26", "12/25/2026"},
        {"1/2/30", "1/2/1930"},
        {"12/25", "12/25/2026"}, // the current year
        {"  3/4/2026  ", "3/4/2026"},
        {"10:30 PM", "10:30:00 PM"},
        {"10pm", "10:00:00 PM"},
        {"12:00 AM", "12:00:00 AM"},
        {"12:15 pm", "12:15:00 PM"},
        {"13:00 PM", "1:00:00 PM"}, // a 24-hour time ignores PM
        {"0:0", "12:00:00 AM"},
        {"2026-12-25 22:30:15", "12/25/2026 10:30:15 PM"},
        {"10:30 PM 12/25/2026", "12/25/2026 10:30:00 PM"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(parsed(input), expected) << input;
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

TEST(DateClock, NowIsAValidRecentSerial)
{
    EXPECT_TRUE(validDateSerial(nowSerial()));
    EXPECT_GT(nowSerial(), serialOf(2020, 1, 1));
}
