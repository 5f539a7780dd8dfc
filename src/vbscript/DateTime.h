// Dates and times as VBScript keeps them: an OLE Automation date, a double
// counting days since 1899-12-30 whose fraction is the time of day. Below
// zero the integer part counts days backwards while the fraction still runs
// forwards (-1.25 is 1899-12-29 06:00). Plain numbers and text go in and out;
// the built-ins (BuiltinsDate.cpp) turn them into Variants and errors.
//
// Entry points: `dateFromSerial`/`serialFromParts` convert between a serial
// and calendar parts; `dateSerial`/`timeSerial` normalise out-of-range parts
// as DateSerial/TimeSerial do; `dateAdd`, `dateDiff`, `datePart`, `weekday`;
// `parseDateTime` reads text as CDate/IsDate/DateValue/TimeValue accept it in
// en-US; `formatDateText` is CStr of a date and `formatDateTime` is
// FormatDateTime; `monthName`, `weekdayName`; `nowSerial`, `timerSeconds`
// read the local clock. Functions that can fail return false (or an empty
// optional) and the caller raises the VBScript error (5 or 13).
//
// Trade-off: arithmetic runs on a continuous timeline (days plus fraction,
// rounded to whole seconds when split into parts), so negative dates need
// no special cases beyond the two conversions at the edges; the proleptic
// Gregorian calendar covers the whole valid range 100-01-01 .. 9999-12-31.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ravelin::vbs {

// Serials of 100-01-01 00:00:00 and 9999-12-31 23:59:59.
inline constexpr double kMinDateSerial = -657434.0;
inline constexpr double kMaxDateSerial = 2958465.0 + 86399.0 / 86400.0;

struct DateParts {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Calendar parts of a serial, the time rounded to the nearest second.
DateParts dateFromSerial(double serial);
// The serial of exact parts; false unless they name a real date and time
// inside the valid range.
bool serialFromParts(const DateParts& parts, double& serial);
bool validDateSerial(double serial);

// Days since 1899-12-30 of a proleptic Gregorian date (no range check).
std::int64_t dayNumber(int year, int month, int day);
int daysInMonth(int year, int month);

// DateSerial: years 0-29 mean 2000-2029 and 30-99 mean 1930-1999; months and
// days outside their range carry into the neighbouring months and years.
// False when the result leaves the valid range.
bool dateSerial(int year, int month, int day, double& serial);
// TimeSerial: hours, minutes and seconds carry, negative values run back
// from midnight (TimeSerial(0, 0, -1) is 23:59:59 the day before day 0).
bool timeSerial(int hour, int minute, int second, double& serial);

// The date part (time dropped) and the time part (date dropped) of a serial.
double datePartOf(double serial);
double timePartOf(double serial);

// Day of the week, 1..7 counted from firstDayOfWeek (1 = Sunday .. 7 =
// Saturday; 0 means the locale's, Sunday).
int weekday(double serial, int firstDayOfWeek = 1);

// The intervals DateAdd, DateDiff and DatePart accept.
enum class DateInterval { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second };
// "yyyy", "q", "m", "y", "d", "w", "ww", "h", "n", "s" in any case.
std::optional<DateInterval> parseInterval(std::string_view text);

// DateAdd: false when the result leaves the valid range. Months keep the day
// of the month, clamped to the month's last day.
bool dateAdd(DateInterval interval, double number, double serial, double& result);
// DateDiff: the number of interval boundaries between the two dates
// (negative when date2 is earlier).
std::int64_t dateDiff(DateInterval interval, double date1, double date2, int firstDayOfWeek = 1,
                      int firstWeekOfYear = 1);
// DatePart. firstWeekOfYear: 1 (or 0) the week of January 1, 2 the first week
// with four days of the new year, 3 the first full week.
int datePart(DateInterval interval, double serial, int firstDayOfWeek = 1, int firstWeekOfYear = 1);

// What a text holds, for DateValue/TimeValue/CDate.
struct ParsedDateTime {
    double serial = 0;
    bool hasDate = false;
    bool hasTime = false;
};
// Reads a date, a time or both as en-US text ("12/25/2026", "2026-12-25",
// "Dec 25, 2026", "25 December 2026", "10:30 PM", "22:30:15"); a missing year
// is `currentYear` (the local clock's when 0). Month and weekday names are
// the full English names or their three-letter abbreviations.
std::optional<ParsedDateTime> parseDateTime(std::string_view text, int currentYear = 0);

// CStr of a date: "12/25/2026", "10:30:00 PM" or "12/25/2026 10:30:00 PM".
std::string formatDateText(double serial);
// FormatDateTime: 0 general, 1 long date, 2 short date, 3 long time,
// 4 short time ("22:30"); false for another format number.
bool formatDateTime(double serial, int format, std::string& out);
// Month 1..12 and weekday 1..7 (counted from firstDayOfWeek) names in English;
// empty for a number out of range.
std::string monthName(int month, bool abbreviate = false);
std::string weekdayName(int weekday, bool abbreviate = false, int firstDayOfWeek = 1);

// The local clock: Now as a serial, and Timer's seconds since midnight.
double nowSerial();
double timerSeconds();

} // namespace ravelin::vbs
