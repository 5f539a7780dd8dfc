#include "vbscript/DateTime.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include <sys/time.h>

namespace ravelin::vbs {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// 1899-12-30 counted from 1970-01-01.
constexpr std::int64_t kEpochOffset = 25569;

constexpr std::array<const char*, 12> kMonths = {"January", "February", "March",     "April",   "May",      "June",
                                                 "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kWeekdays = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

std::int64_t floorMod(std::int64_t a, std::int64_t b) { return a - floorDiv(a, b) * b; }

// Days since 1970-01-01 of a proleptic Gregorian date, and back (the
// era-based method: 400-year cycles of 146097 days).
std::int64_t daysFromCivil(std::int64_t y, int m, int d)
{
    y -= m <= 2;
    const std::int64_t era = floorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const std::int64_t era = floorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

// A serial as a point on a continuous line of days (the fraction always
// forwards), and back.
double toTimeline(double serial)
{
    double day = std::trunc(serial);
    return day + std::fabs(serial - day);
}

double fromDayAndSeconds(std::int64_t day, double seconds)
{
    double frac = seconds / static_cast<double>(kSecondsPerDay);
    return day >= 0 ? static_cast<double>(day) + frac : static_cast<double>(day) - frac;
}

// Whole seconds on the timeline, split into a day and the second of that day.
void splitSerial(double serial, std::int64_t& day, std::int64_t& second)
{
    std::int64_t total = std::llround(toTimeline(serial) * static_cast<double>(kSecondsPerDay));
    day = floorDiv(total, kSecondsPerDay);
    second = total - day * kSecondsPerDay;
}

double fromTotalSeconds(std::int64_t total)
{
    std::int64_t day = floorDiv(total, kSecondsPerDay);
    return fromDayAndSeconds(day, static_cast<double>(total - day * kSecondsPerDay));
}

int normaliseFirstDay(int firstDayOfWeek) { return firstDayOfWeek < 1 || firstDayOfWeek > 7 ? 1 : firstDayOfWeek; }

int weekdayOfDay(std::int64_t day, int firstDayOfWeek)
{
    // Day 0 (1899-12-30) was a Saturday.
    int sundayBased = static_cast<int>(floorMod(day + 6, 7)) + 1;
    return static_cast<int>(floorMod(sundayBased - normaliseFirstDay(firstDayOfWeek), 7)) + 1;
}

std::int64_t weekStart(std::int64_t day, int firstDayOfWeek) { return day - (weekdayOfDay(day, firstDayOfWeek) - 1); }

std::int64_t firstWeekStart(int year, int firstDayOfWeek, int firstWeekOfYear)
{
    std::int64_t jan1 = dayNumber(year, 1, 1);
    switch (firstWeekOfYear) {
    case 2: // the first week with at least four days of the new year holds January 4
        return weekStart(jan1 + 3, firstDayOfWeek);
    case 3: { // the first full week
        std::int64_t start = weekStart(jan1, firstDayOfWeek);
        return start == jan1 ? start : start + 7;
    }
    default: return weekStart(jan1, firstDayOfWeek);
    }
}

bool validYearMonthDay(int y, int m, int d)
{
    return y >= 100 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= daysInMonth(y, m);
}

int twoDigitYear(int year, int digits)
{
    if (digits <= 2)
        return year < 30 ? 2000 + year : 1900 + year;
    return year;
}

std::string twoDigits(int v)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

std::string longTime(const DateParts& p)
{
    int h12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    return std::to_string(h12) + ":" + twoDigits(p.minute) + ":" + twoDigits(p.second) + (p.hour < 12 ? " AM" : " PM");
}

std::string shortDate(const DateParts& p)
{
    return std::to_string(p.month) + "/" + std::to_string(p.day) + "/" + std::to_string(p.year);
}

// ---------------------------------------------------------------- parsing

struct Token {
    enum Kind { Number, Month, Meridiem, Weekday, Sep } kind;
    int value = 0; // number value, month 1..12, meridiem 0 AM / 1 PM
    int digits = 0; // Number
    char sep = 0; // Sep: one of / - . , : and ' ' for blanks
};

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// A word that names a month or weekday in full or by its three-letter
// abbreviation, the two forms the locale knows; -1 when it is neither.
int matchName(const std::string& word, const char* const* names, int count)
{
    for (int i = 0; i < count; ++i) {
        std::string name;
        for (const char* c = names[i]; *c; ++c)
            name += lower(*c);
        if (word == name || (word.size() == 3 && name.compare(0, 3, word) == 0))
            return i;
    }
    return -1;
}

bool tokenize(std::string_view text, std::vector<Token>& tokens)
{
    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            Token t{Token::Number};
            while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
                if (++t.digits > 9)
                    return false;
                t.value = t.value * 10 + (text[i] - '0');
                ++i;
            }
            tokens.push_back(t);
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            std::string word;
            while (i < text.size() && ((text[i] >= 'a' && text[i] <= 'z') || (text[i] >= 'A' && text[i] <= 'Z')))
                word += lower(text[i++]);
            Token t{Token::Month};
            if (word == "am" || word == "a" || word == "pm" || word == "p") {
                t.kind = Token::Meridiem;
                t.value = word[0] == 'p' ? 1 : 0;
            } else if (int m = matchName(word, kMonths.data(), 12); m >= 0) {
                t.value = m + 1;
            } else if (matchName(word, kWeekdays.data(), 7) >= 0) {
                t.kind = Token::Weekday;
            } else {
                return false;
            }
            tokens.push_back(t);
        } else if (c == ' ' || c == '\t') {
            Token t{Token::Sep};
            t.sep = ' ';
            tokens.push_back(t);
            ++i;
        } else if (c == '/' || c == '-' || c == ',' || c == ':') {
            // Two date or time separators in a row ("3//4") leave a part out.
            std::size_t prev = tokens.size();
            while (prev > 0 && tokens[prev - 1].kind == Token::Sep && tokens[prev - 1].sep == ' ')
                --prev;
            if (c != ',' && prev > 0 && tokens[prev - 1].kind == Token::Sep && tokens[prev - 1].sep != ',')
                return false;
            Token t{Token::Sep};
            t.sep = c;
            tokens.push_back(t);
            ++i;
        } else {
            return false;
        }
    }
    // A separator may not end the text ("3/4/2026,").
    std::size_t last = tokens.size();
    while (last > 0 && tokens[last - 1].kind == Token::Sep && tokens[last - 1].sep == ' ')
        --last;
    return last == 0 || tokens[last - 1].kind != Token::Sep;
}

struct DateNumber {
    int value;
    int digits;
};

// Resolves the numbers (and month name) of the date part to a day number.
bool resolveDate(const std::vector<DateNumber>& nums, int monthName, int monthPos, int currentYear,
                 std::int64_t& dayOut)
{
    auto accept = [&](int y, int m, int d) {
        if (!validYearMonthDay(y, m, d))
            return false;
        dayOut = dayNumber(y, m, d);
        return true;
    };
    auto year = [](const DateNumber& n) { return twoDigitYear(n.value, n.digits); };
    auto looksLikeYear = [](const DateNumber& n) { return n.digits >= 3 || n.value > 31; };

    if (monthName > 0) {
        if (nums.size() == 1) {
            if (looksLikeYear(nums[0]))
                return accept(year(nums[0]), monthName, 1);
            return accept(currentYear, monthName, nums[0].value);
        }
        if (nums.size() == 2) {
            // "Dec 25, 2026", "25 December 2026", "2026 December 25".
            if (looksLikeYear(nums[0]) && monthPos > 0)
                return accept(year(nums[0]), monthName, nums[1].value);
            return accept(year(nums[1]), monthName, nums[0].value);
        }
        return false;
    }
    if (nums.size() == 3) {
        if (looksLikeYear(nums[0]))
            return accept(year(nums[0]), nums[1].value, nums[2].value);
        // Month first as in en-US; a first number that cannot be a month
        // is read as the day, as VBScript does.
        if (accept(year(nums[2]), nums[0].value, nums[1].value))
            return true;
        return accept(year(nums[2]), nums[1].value, nums[0].value);
    }
    if (nums.size() == 2) {
        if (looksLikeYear(nums[0]))
            return accept(year(nums[0]), nums[1].value, 1);
        if (accept(currentYear, nums[0].value, nums[1].value))
            return true;
        if (accept(currentYear, nums[1].value, nums[0].value))
            return true;
        if (looksLikeYear(nums[1]))
            return accept(year(nums[1]), nums[0].value, 1);
        return false;
    }
    return false;
}

} // namespace

std::int64_t dayNumber(int year, int month, int day) { return daysFromCivil(year, month, day) + kEpochOffset; }

int daysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0))
        return 29;
    return kDays[month - 1];
}

bool validDateSerial(double serial)
{
    if (!std::isfinite(serial))
        return false;
    double t = toTimeline(serial);
    return t >= kMinDateSerial && t < 2958466.0;
}

DateParts dateFromSerial(double serial)
{
    std::int64_t day = 0, second = 0;
    splitSerial(serial, day, second);
    DateParts p;
    civilFromDays(day - kEpochOffset, p.year, p.month, p.day);
    p.hour = static_cast<int>(second / 3600);
    p.minute = static_cast<int>(second / 60 % 60);
    p.second = static_cast<int>(second % 60);
    return p;
}

bool serialFromParts(const DateParts& p, double& serial)
{
    if (!validYearMonthDay(p.year, p.month, p.day) || p.hour < 0 || p.hour > 23 || p.minute < 0 || p.minute > 59
        || p.second < 0 || p.second > 59)
        return false;
    serial = fromDayAndSeconds(dayNumber(p.year, p.month, p.day), p.hour * 3600.0 + p.minute * 60.0 + p.second);
    return true;
}

bool dateSerial(int year, int month, int day, double& serial)
{
    if (year >= 0 && year <= 99)
        year = twoDigitYear(year, 2);
    std::int64_t months = static_cast<std::int64_t>(year) * 12 + (static_cast<std::int64_t>(month) - 1);
    std::int64_t y = floorDiv(months, 12);
    int m = static_cast<int>(floorMod(months, 12)) + 1;
    if (y < -100000 || y > 100000)
        return false;
    std::int64_t d = daysFromCivil(y, m, 1) + kEpochOffset + (static_cast<std::int64_t>(day) - 1);
    serial = static_cast<double>(d);
    return validDateSerial(serial);
}

bool timeSerial(int hour, int minute, int second, double& serial)
{
    std::int64_t total = static_cast<std::int64_t>(hour) * 3600 + static_cast<std::int64_t>(minute) * 60 + second;
    serial = fromTotalSeconds(total);
    return validDateSerial(serial);
}

double datePartOf(double serial)
{
    std::int64_t day = 0, second = 0;
    splitSerial(serial, day, second);
    return static_cast<double>(day);
}

double timePartOf(double serial)
{
    std::int64_t day = 0, second = 0;
    splitSerial(serial, day, second);
    return static_cast<double>(second) / static_cast<double>(kSecondsPerDay);
}

int weekday(double serial, int firstDayOfWeek)
{
    std::int64_t day = 0, second = 0;
    splitSerial(serial, day, second);
    return weekdayOfDay(day, firstDayOfWeek);
}

std::optional<DateInterval> parseInterval(std::string_view text)
{
    std::string t;
    for (char c : text)
        t += lower(c);
    if (t == "yyyy")
        return DateInterval::Year;
    if (t == "q")
        return DateInterval::Quarter;
    if (t == "m")
        return DateInterval::Month;
    if (t == "y")
        return DateInterval::DayOfYear;
    if (t == "d")
        return DateInterval::Day;
    if (t == "w")
        return DateInterval::Weekday;
    if (t == "ww")
        return DateInterval::Week;
    if (t == "h")
        return DateInterval::Hour;
    if (t == "n")
        return DateInterval::Minute;
    if (t == "s")
        return DateInterval::Second;
    return std::nullopt;
}

bool dateAdd(DateInterval interval, double number, double serial, double& result)
{
    // The count is rounded to a whole number, halves to even.
    double n = std::nearbyint(number);
    if (!std::isfinite(n) || std::fabs(n) > 1e11 || !validDateSerial(serial))
        return false;
    auto count = static_cast<std::int64_t>(n);
    std::int64_t day = 0, second = 0;
    splitSerial(serial, day, second);
    std::int64_t months = 0;
    std::int64_t seconds = 0;
    switch (interval) {
    case DateInterval::Year: months = count * 12; break;
    case DateInterval::Quarter: months = count * 3; break;
    case DateInterval::Month: months = count; break;
    case DateInterval::DayOfYear:
    case DateInterval::Day:
    case DateInterval::Weekday: seconds = count * kSecondsPerDay; break;
    case DateInterval::Week: seconds = count * 7 * kSecondsPerDay; break;
    case DateInterval::Hour: seconds = count * 3600; break;
    case DateInterval::Minute: seconds = count * 60; break;
    case DateInterval::Second: seconds = count; break;
    }
    if (months != 0) {
        int y = 0, m = 0, d = 0;
        civilFromDays(day - kEpochOffset, y, m, d);
        std::int64_t total = static_cast<std::int64_t>(y) * 12 + (m - 1) + months;
        std::int64_t ny = floorDiv(total, 12);
        int nm = static_cast<int>(floorMod(total, 12)) + 1;
        if (ny < 100 || ny > 9999)
            return false;
        d = std::min(d, daysInMonth(static_cast<int>(ny), nm));
        day = dayNumber(static_cast<int>(ny), nm, d);
    }
    result = fromTotalSeconds(day * kSecondsPerDay + second + seconds);
    return validDateSerial(result);
}

std::int64_t dateDiff(DateInterval interval, double date1, double date2, int firstDayOfWeek, int firstWeekOfYear)
{
    (void)firstWeekOfYear; // accepted for DateDiff's signature; no interval it counts depends on it
    std::int64_t day1 = 0, sec1 = 0, day2 = 0, sec2 = 0;
    splitSerial(date1, day1, sec1);
    splitSerial(date2, day2, sec2);
    int y1 = 0, m1 = 0, d1 = 0, y2 = 0, m2 = 0, d2 = 0;
    civilFromDays(day1 - kEpochOffset, y1, m1, d1);
    civilFromDays(day2 - kEpochOffset, y2, m2, d2);
    std::int64_t t1 = day1 * kSecondsPerDay + sec1;
    std::int64_t t2 = day2 * kSecondsPerDay + sec2;
    switch (interval) {
    case DateInterval::Year: return y2 - y1;
    case DateInterval::Quarter: return (y2 * 4LL + (m2 - 1) / 3) - (y1 * 4LL + (m1 - 1) / 3);
    case DateInterval::Month: return (y2 * 12LL + m2) - (y1 * 12LL + m1);
    case DateInterval::DayOfYear:
    case DateInterval::Day: return day2 - day1;
    case DateInterval::Weekday: return (day2 - day1) / 7; // whole weeks, truncated toward zero
    case DateInterval::Week: return (weekStart(day2, firstDayOfWeek) - weekStart(day1, firstDayOfWeek)) / 7;
    case DateInterval::Hour: return floorDiv(t2, 3600) - floorDiv(t1, 3600);
    case DateInterval::Minute: return floorDiv(t2, 60) - floorDiv(t1, 60);
    case DateInterval::Second: return t2 - t1;
    }
    return 0;
}

int datePart(DateInterval interval, double serial, int firstDayOfWeek, int firstWeekOfYear)
{
    std::int64_t day = 0, second = 0;
    splitSerial(serial, day, second);
    int y = 0, m = 0, d = 0;
    civilFromDays(day - kEpochOffset, y, m, d);
    switch (interval) {
    case DateInterval::Year: return y;
    case DateInterval::Quarter: return (m - 1) / 3 + 1;
    case DateInterval::Month: return m;
    case DateInterval::DayOfYear: return static_cast<int>(day - dayNumber(y, 1, 1)) + 1;
    case DateInterval::Day: return d;
    case DateInterval::Weekday: return weekdayOfDay(day, firstDayOfWeek);
    case DateInterval::Week: {
        std::int64_t start = firstWeekStart(y, firstDayOfWeek, firstWeekOfYear);
        if (day < start) // still in the last week of the year before
            start = firstWeekStart(y - 1, firstDayOfWeek, firstWeekOfYear);
        return static_cast<int>((day - start) / 7) + 1;
    }
    case DateInterval::Hour: return static_cast<int>(second / 3600);
    case DateInterval::Minute: return static_cast<int>(second / 60 % 60);
    case DateInterval::Second: return static_cast<int>(second % 60);
    }
    return 0;
}

std::optional<ParsedDateTime> parseDateTime(std::string_view text, int currentYear)
{
    std::vector<Token> tokens;
    if (!tokenize(text, tokens))
        return std::nullopt;

    // The time: numbers joined by colons, or a number with AM/PM; an AM/PM
    // may follow after blanks.
    ParsedDateTime result;
    std::vector<bool> used(tokens.size(), false);
    int hour = 0, minute = 0, second = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind != Token::Number)
            continue;
        std::vector<int> parts{tokens[i].value};
        std::size_t j = i + 1;
        while (j + 1 < tokens.size() && tokens[j].kind == Token::Sep && tokens[j].sep == ':'
               && tokens[j + 1].kind == Token::Number && parts.size() < 3) {
            parts.push_back(tokens[j + 1].value);
            j += 2;
        }
        std::size_t k = j;
        while (k < tokens.size() && tokens[k].kind == Token::Sep && tokens[k].sep == ' ')
            ++k;
        bool meridiem = k < tokens.size() && tokens[k].kind == Token::Meridiem;
        if (parts.size() == 1 && !meridiem)
            continue;
        if (result.hasTime)
            return std::nullopt; // two times
        result.hasTime = true;
        for (std::size_t u = i; u < j; ++u)
            used[u] = true;
        hour = parts[0];
        minute = parts.size() > 1 ? parts[1] : 0;
        second = parts.size() > 2 ? parts[2] : 0;
        if (minute > 59 || second > 59)
            return std::nullopt;
        if (hour > 23)
            return std::nullopt;
        if (meridiem) {
            used[k] = true;
            // A 24-hour clock time keeps its hour whatever AM/PM says.
            if (hour <= 12)
                hour = hour % 12 + (tokens[k].value == 1 ? 12 : 0);
        }
        i = j - 1;
    }

    // The date: what is left, besides separators and a weekday name.
    std::vector<DateNumber> nums;
    int month = 0;
    int monthPos = -1;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (used[i])
            continue;
        const Token& t = tokens[i];
        if (t.kind == Token::Number) {
            nums.push_back({t.value, t.digits});
        } else if (t.kind == Token::Month) {
            if (month)
                return std::nullopt;
            month = t.value;
            monthPos = static_cast<int>(nums.size());
        } else if (t.kind == Token::Meridiem) {
            return std::nullopt; // AM/PM without a time
        } else if (t.kind == Token::Sep && t.sep == ':') {
            return std::nullopt; // a colon outside a time
        }
    }
    std::int64_t day = 0;
    if (!nums.empty() || month) {
        if (currentYear == 0)
            currentYear = dateFromSerial(nowSerial()).year;
        if (!resolveDate(nums, month, monthPos, currentYear, day))
            return std::nullopt;
        result.hasDate = true;
    }
    if (!result.hasDate && !result.hasTime)
        return std::nullopt;
    result.serial = fromDayAndSeconds(day, hour * 3600.0 + minute * 60.0 + second);
    return result;
}

std::string formatDateText(double serial)
{
    std::int64_t day = 0, second = 0;
    splitSerial(serial, day, second);
    DateParts p = dateFromSerial(serial);
    if (day == 0)
        return longTime(p); // also "12:00:00 AM" for zero itself
    if (second == 0)
        return shortDate(p);
    return shortDate(p) + " " + longTime(p);
}

bool formatDateTime(double serial, int format, std::string& out)
{
    DateParts p = dateFromSerial(serial);
    switch (format) {
    case 0: out = formatDateText(serial); return true;
    case 1:
        out = std::string(kWeekdays[static_cast<std::size_t>(weekday(serial, 1) - 1)]) + ", "
            + kMonths[static_cast<std::size_t>(p.month - 1)] + " " + std::to_string(p.day) + ", "
            + std::to_string(p.year);
        return true;
    case 2: out = shortDate(p); return true;
    case 3: out = longTime(p); return true;
    case 4: out = twoDigits(p.hour) + ":" + twoDigits(p.minute); return true;
    default: return false;
    }
}

std::string monthName(int month, bool abbreviate)
{
    if (month < 1 || month > 12)
        return {};
    std::string name = kMonths[static_cast<std::size_t>(month - 1)];
    return abbreviate ? name.substr(0, 3) : name;
}

std::string weekdayName(int weekday, bool abbreviate, int firstDayOfWeek)
{
    if (weekday < 1 || weekday > 7)
        return {};
    int sundayBased = (weekday - 1 + normaliseFirstDay(firstDayOfWeek) - 1) % 7;
    std::string name = kWeekdays[static_cast<std::size_t>(sundayBased)];
    return abbreviate ? name.substr(0, 3) : name;
}

double nowSerial()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return fromDayAndSeconds(dayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
                             local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec);
}

double timerSeconds()
{
    timeval tv{};
    gettimeofday(&tv, nullptr);
    std::time_t now = tv.tv_sec;
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + tv.tv_usec / 1e6;
}

} // namespace ravelin::vbs
