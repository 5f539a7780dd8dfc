// Date and time built-ins (Now, Date, Time, Timer, Year .. Second, Weekday,
// DateAdd, DateDiff, DatePart, DateSerial, TimeSerial, DateValue, TimeValue,
// MonthName, WeekdayName, FormatDateTime) and their constants. The calendar
// work is DateTime's; this file turns Variants into serials and failures into
// VBScript's errors. CDate and IsDate belong to the conversion and
// inspection families.
#include "vbscript/Builtins.h"
#include "vbscript/DateTime.h"

namespace ravelin::vbs {

namespace {

using Args = std::span<Variant>;

// A date argument: text is read as CDate reads it (error 13 when it is no
// date), anything else converted as CDate converts it.
double dateArg(Args a, size_t i)
{
    Variant v = argValue(a, i);
    if (v.isString()) {
        auto parsed = parseDateTime(v.rawString());
        if (parsed)
            return parsed->serial;
    }
    return v.toDate();
}

// True when argument i is Null: the part functions give Null back for it.
bool nullArg(Args a, size_t i) { return i < a.size() && argValue(a, i).isNull(); }

Variant integerResult(int value) { return Variant::integer(static_cast<int16_t>(value)); }

int firstDayArg(Args a, size_t i)
{
    int32_t v = argLongOr(a, i, 1);
    requireValid(v >= 0 && v <= 7);
    return v == 0 ? 1 : v; // vbUseSystemDayOfWeek: Sunday in en-US
}

int firstWeekArg(Args a, size_t i)
{
    int32_t v = argLongOr(a, i, 1);
    requireValid(v >= 0 && v <= 3);
    return v == 0 ? 1 : v; // vbUseSystem: the week of January 1 in en-US
}

DateInterval intervalArg(Args a, size_t i)
{
    auto interval = parseInterval(argString(a, i));
    requireValid(interval.has_value());
    return *interval;
}

Variant fnNow(Context&, Args) { return Variant::date(nowSerial()); }
Variant fnDate(Context&, Args) { return Variant::date(datePartOf(nowSerial())); }
Variant fnTime(Context&, Args) { return Variant::date(timePartOf(nowSerial())); }
Variant fnTimer(Context&, Args) { return Variant::single(static_cast<float>(timerSeconds())); }

Variant part(Args a, DateInterval interval)
{
    if (nullArg(a, 0))
        return Variant::null();
    return integerResult(datePart(interval, dateArg(a, 0)));
}

Variant fnYear(Context&, Args a) { return part(a, DateInterval::Year); }
Variant fnMonth(Context&, Args a) { return part(a, DateInterval::Month); }
Variant fnDay(Context&, Args a) { return part(a, DateInterval::Day); }
Variant fnHour(Context&, Args a) { return part(a, DateInterval::Hour); }
Variant fnMinute(Context&, Args a) { return part(a, DateInterval::Minute); }
Variant fnSecond(Context&, Args a) { return part(a, DateInterval::Second); }

Variant fnWeekday(Context&, Args a)
{
    int first = firstDayArg(a, 1);
    if (nullArg(a, 0))
        return Variant::null();
    return integerResult(weekday(dateArg(a, 0), first));
}

// DateAdd(interval, number, date)
Variant fnDateAdd(Context&, Args a)
{
    DateInterval interval = intervalArg(a, 0);
    if (nullArg(a, 2))
        return Variant::null();
    double number = argDouble(a, 1);
    double result = 0;
    requireValid(dateAdd(interval, number, dateArg(a, 2), result));
    return Variant::date(result);
}

// DateDiff(interval, date1, date2[, firstdayofweek[, firstweekofyear]])
Variant fnDateDiff(Context&, Args a)
{
    DateInterval interval = intervalArg(a, 0);
    int first = firstDayArg(a, 3);
    int week = firstWeekArg(a, 4);
    if (nullArg(a, 1) || nullArg(a, 2))
        return Variant::null();
    return Variant::fromInt64(dateDiff(interval, dateArg(a, 1), dateArg(a, 2), first, week));
}

// DatePart(interval, date[, firstdayofweek[, firstweekofyear]])
Variant fnDatePart(Context&, Args a)
{
    DateInterval interval = intervalArg(a, 0);
    int first = firstDayArg(a, 2);
    int week = firstWeekArg(a, 3);
    if (nullArg(a, 1))
        return Variant::null();
    return integerResult(datePart(interval, dateArg(a, 1), first, week));
}

Variant fnDateSerial(Context&, Args a)
{
    double serial = 0;
    requireValid(dateSerial(argLong(a, 0), argLong(a, 1), argLong(a, 2), serial));
    return Variant::date(serial);
}

Variant fnTimeSerial(Context&, Args a)
{
    double serial = 0;
    requireValid(timeSerial(argLong(a, 0), argLong(a, 1), argLong(a, 2), serial));
    return Variant::date(serial);
}

Variant fnDateValue(Context&, Args a)
{
    if (nullArg(a, 0))
        return Variant::null();
    return Variant::date(datePartOf(dateArg(a, 0)));
}

Variant fnTimeValue(Context&, Args a)
{
    if (nullArg(a, 0))
        return Variant::null();
    return Variant::date(timePartOf(dateArg(a, 0)));
}

Variant fnMonthName(Context&, Args a)
{
    int32_t month = argLong(a, 0);
    requireValid(month >= 1 && month <= 12);
    return Variant::string(monthName(month, hasArg(a, 1) && argBool(a, 1)));
}

Variant fnWeekdayName(Context&, Args a)
{
    int32_t day = argLong(a, 0);
    bool abbreviate = hasArg(a, 1) && argBool(a, 1);
    int first = firstDayArg(a, 2);
    requireValid(day >= 1 && day <= 7);
    return Variant::string(weekdayName(day, abbreviate, first));
}

Variant fnFormatDateTime(Context&, Args a)
{
    int32_t format = argLongOr(a, 1, 0);
    requireValid(format >= 0 && format <= 4);
    if (nullArg(a, 0))
        raise(Err::InvalidNull);
    std::string text;
    formatDateTime(dateArg(a, 0), format, text);
    return Variant::string(std::move(text));
}

const BuiltinDef dateFunctions[] = {
    {"Now", 0, 0, fnNow},
    {"Date", 0, 0, fnDate},
    {"Time", 0, 0, fnTime},
    {"Timer", 0, 0, fnTimer},
    {"Year", 1, 1, fnYear},
    {"Month", 1, 1, fnMonth},
    {"Day", 1, 1, fnDay},
    {"Hour", 1, 1, fnHour},
    {"Minute", 1, 1, fnMinute},
    {"Second", 1, 1, fnSecond},
    {"Weekday", 1, 2, fnWeekday},
    {"DateAdd", 3, 3, fnDateAdd},
    {"DateDiff", 3, 5, fnDateDiff},
    {"DatePart", 2, 4, fnDatePart},
    {"DateSerial", 3, 3, fnDateSerial},
    {"TimeSerial", 3, 3, fnTimeSerial},
    {"DateValue", 1, 1, fnDateValue},
    {"TimeValue", 1, 1, fnTimeValue},
    {"MonthName", 1, 2, fnMonthName},
    {"WeekdayName", 1, 3, fnWeekdayName},
    {"FormatDateTime", 1, 2, fnFormatDateTime},
};

struct DateConstant {
    const char* name;
    int32_t value;
};

const DateConstant dateConstants[] = {
    {"vbUseSystemDayOfWeek", 0}, {"vbSunday", 1},        {"vbMonday", 2},      {"vbTuesday", 3},   {"vbWednesday", 4},
    {"vbThursday", 5},           {"vbFriday", 6},        {"vbSaturday", 7},    {"vbUseSystem", 0}, {"vbFirstJan1", 1},
    {"vbFirstFourDays", 2},      {"vbFirstFullWeek", 3}, {"vbGeneralDate", 0}, {"vbLongDate", 1},  {"vbShortDate", 2},
    {"vbLongTime", 3},           {"vbShortTime", 4},
};

} // namespace

void registerDateBuiltins(BuiltinRegistry& r)
{
    r.addFunctions(dateFunctions);
    for (const DateConstant& c : dateConstants)
        r.addConstant(c.name, Variant::longInt(c.value)); // Longs, as all named numeric constants
}

} // namespace ravelin::vbs
