// Variant: lifetime of the shared blocks and every coercion of VBScript's
// type system. Conversions follow the language's rules: banker's rounding to
// integers, overflow as error 6, Null as error 94, anything unconvertible as 13.
#include "vbscript/Variant.h"

#include "vbscript/Errors.h"
#include "vbscript/Object.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace ravelin::vbs {

Variant Variant::string(std::string s)
{
    Variant v;
    v.m_type = VT::String;
    v.m_u.str = new StringRep{1, std::move(s)};
    return v;
}

Variant Variant::object(Object* obj)
{
    Variant v;
    v.m_type = VT::Object;
    v.m_u.obj = obj;
    if (obj)
        obj->addRef();
    return v;
}

Variant Variant::array(ArrayRep* rep)
{
    Variant v;
    v.m_type = VT::Array;
    v.m_u.arr = rep;
    return v;
}

Variant Variant::fromInt64(int64_t i)
{
    if (i >= std::numeric_limits<int32_t>::min() && i <= std::numeric_limits<int32_t>::max())
        return longInt(static_cast<int32_t>(i));
    return dbl(static_cast<double>(i));
}

Variant Variant::widenedInteger(int64_t i)
{
    if (i >= -32768 && i <= 32767)
        return integer(static_cast<int16_t>(i));
    return fromInt64(i);
}

void Variant::retain() const noexcept
{
    switch (m_type) {
    case VT::String: ++m_u.str->refs; break;
    case VT::Object: if (m_u.obj) m_u.obj->addRef(); break;
    case VT::Array: ++m_u.arr->refs; break;
    default: break;
    }
}

void Variant::release() noexcept
{
    switch (m_type) {
    case VT::String:
        if (--m_u.str->refs == 0)
            delete m_u.str;
        break;
    case VT::Object:
        if (m_u.obj) {
            Object* o = m_u.obj;
            m_type = VT::Empty; // a terminator running now must not see a dangling value
            o->release();
        }
        break;
    case VT::Array:
        if (--m_u.arr->refs == 0)
            delete m_u.arr;
        break;
    default: break;
    }
}

ArrayRep* Variant::mutableArray()
{
    if (m_u.arr->refs > 1) {
        auto* copy = new ArrayRep{1, 0, m_u.arr->fixed, m_u.arr->dims, m_u.arr->data};
        --m_u.arr->refs;
        m_u.arr = copy;
    }
    return m_u.arr;
}

bool Variant::isNumeric() const
{
    switch (m_type) {
    case VT::Boolean: case VT::Byte: case VT::Integer: case VT::Long: case VT::Single:
    case VT::Double: case VT::Currency: case VT::Date:
        return true;
    default:
        return false;
    }
}

Variant Variant::dereferenced() const
{
    if (m_type != VT::Object)
        return *this;
    if (!m_u.obj)
        raise(Err::ObjectNotSet);
    Variant v = m_u.obj->invoke(DefaultMemberId, InvokeKind(InvokeGet | InvokeMethod), {});
    if (v.isObject())
        raise(Err::TypeMismatch);
    return v;
}

double Variant::toDouble() const
{
    switch (m_type) {
    case VT::Empty: return 0;
    case VT::Null: raise(Err::InvalidNull);
    case VT::Boolean: return m_u.i16 ? -1.0 : 0.0;
    case VT::Byte: return static_cast<double>(rawByte());
    case VT::Integer: return m_u.i16;
    case VT::Long: return m_u.i32;
    case VT::Single: return m_u.f;
    case VT::Double: case VT::Date: return m_u.d;
    case VT::Currency: return static_cast<double>(m_u.i64) / 10000.0;
    case VT::String: {
        double d;
        if (parseNumber(m_u.str->text, d))
            return d;
        if (parseDate(m_u.str->text, d))
            return d;
        raise(Err::TypeMismatch);
    }
    case VT::Object: return dereferenced().toDouble();
    default: raise(Err::TypeMismatch);
    }
}

double roundHalfEven(double value)
{
    double r = std::nearbyint(value); // default rounding mode is to nearest, ties to even
    return r;
}

int32_t Variant::toLong() const
{
    switch (m_type) {
    case VT::Integer: return m_u.i16;
    case VT::Long: return m_u.i32;
    case VT::Byte: return rawByte();
    case VT::Boolean: return m_u.i16 ? -1 : 0;
    case VT::Empty: return 0;
    default: break;
    }
    double d = roundHalfEven(toDouble());
    if (!(d >= -2147483648.0 && d <= 2147483647.0))
        raise(Err::Overflow);
    return static_cast<int32_t>(d);
}

int16_t Variant::toInteger() const
{
    if (m_type == VT::Integer)
        return m_u.i16;
    double d = (m_type == VT::Long) ? m_u.i32 : roundHalfEven(toDouble());
    if (!(d >= -32768.0 && d <= 32767.0))
        raise(Err::Overflow);
    return static_cast<int16_t>(d);
}

uint8_t Variant::toByte() const
{
    double d = roundHalfEven(toDouble());
    if (!(d >= 0 && d <= 255))
        raise(Err::Overflow);
    return static_cast<uint8_t>(d);
}

float Variant::toSingle() const
{
    double d = toDouble();
    if (std::isfinite(d) && std::fabs(d) > 3.402823466e38)
        raise(Err::Overflow);
    return static_cast<float>(d);
}

int64_t Variant::toCurrency() const
{
    if (m_type == VT::Currency)
        return m_u.i64;
    double d = roundHalfEven(toDouble() * 10000.0);
    if (!(d >= -9.2233720368547758e18 && d < 9.2233720368547758e18))
        raise(Err::Overflow);
    return static_cast<int64_t>(d);
}

double Variant::toDate() const
{
    if (m_type == VT::String) {
        double d;
        if (parseDate(m_u.str->text, d))
            return d;
        if (parseNumber(m_u.str->text, d))
            return d;
        raise(Err::TypeMismatch);
    }
    double d = toDouble();
    if (!(d >= -657434.0 && d < 2958466.0))
        raise(Err::Overflow);
    return d;
}

bool Variant::toBool() const
{
    switch (m_type) {
    case VT::Empty: return false;
    case VT::Null: raise(Err::InvalidNull);
    case VT::Boolean: case VT::Integer: return m_u.i16 != 0;
    case VT::Long: return m_u.i32 != 0;
    case VT::Byte: return rawByte() != 0;
    case VT::String: {
        const std::string& s = m_u.str->text;
        std::string l = lowerCase(s);
        size_t a = l.find_first_not_of(" \t");
        size_t b = l.find_last_not_of(" \t");
        std::string t = a == std::string::npos ? std::string() : l.substr(a, b - a + 1);
        if (t == "true" || t == "#true#")
            return true;
        if (t == "false" || t == "#false#")
            return false;
        double d;
        if (parseNumber(s, d))
            return d != 0;
        raise(Err::TypeMismatch);
    }
    case VT::Object: return dereferenced().toBool();
    default: return toDouble() != 0;
    }
}

std::string Variant::toString() const
{
    switch (m_type) {
    case VT::Empty: return {};
    case VT::Null: raise(Err::InvalidNull);
    case VT::Boolean: return m_u.i16 ? "True" : "False";
    case VT::Byte: return std::to_string(rawByte());
    case VT::Integer: return std::to_string(m_u.i16);
    case VT::Long: return std::to_string(m_u.i32);
    case VT::Single: return formatSingle(m_u.f);
    case VT::Double: return formatDouble(m_u.d);
    case VT::Currency: return formatCurrency(m_u.i64);
    case VT::Date: return formatDate(m_u.d);
    case VT::String: return m_u.str->text;
    case VT::Error: return "Error " + std::to_string(m_u.i32);
    case VT::Object: return dereferenced().toString();
    default: raise(Err::TypeMismatch);
    }
}

std::string Variant::toText() const
{
    if (m_type == VT::Null || m_type == VT::Empty)
        return {};
    if (m_type == VT::String)
        return m_u.str->text;
    if (m_type == VT::Object) {
        Variant v = dereferenced();
        return v.toText();
    }
    return toString();
}

std::string Variant::typeName() const
{
    switch (m_type) {
    case VT::Empty: return "Empty";
    case VT::Null: return "Null";
    case VT::Boolean: return "Boolean";
    case VT::Byte: return "Byte";
    case VT::Integer: return "Integer";
    case VT::Long: return "Long";
    case VT::Single: return "Single";
    case VT::Double: return "Double";
    case VT::Currency: return "Currency";
    case VT::Date: return "Date";
    case VT::String: return "String";
    case VT::Error: return "Error";
    case VT::Object: return m_u.obj ? m_u.obj->typeName() : "Nothing";
    case VT::Array: return "Variant()";
    default: return "Unknown";
    }
}

int Variant::varType() const
{
    if (m_type == VT::Array)
        return 8192 + 12;
    if (m_type == VT::Object && m_u.obj) {
        // An object with a default value reports that value's type, as VarType does.
        return 9;
    }
    return static_cast<int>(m_type);
}

// ---- Numeric text.

static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool parseNumber(std::string_view text, double& out)
{
    size_t i = 0, n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    while (n > i && isBlank(text[n - 1]))
        --n;
    if (i >= n)
        return false;
    std::string_view t = text.substr(i, n - i);
    if (t.size() >= 2 && t[0] == '&') {
        int base = 0;
        size_t p = 1;
        char k = static_cast<char>(t[1] | 0x20);
        if (k == 'h') { base = 16; p = 2; }
        else if (k == 'o') { base = 8; p = 2; }
        else base = 8;
        if (p >= t.size())
            return false;
        uint64_t v = 0;
        for (; p < t.size(); ++p) {
            char c = t[p];
            int d;
            if (c >= '0' && c <= '9') d = c - '0';
            else if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') d = (c | 0x20) - 'a' + 10;
            else return false;
            if (d >= base)
                return false;
            v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
            if (v > 0xFFFFFFFFull)
                return false;
        }
        // Hexadecimal text is a 32-bit pattern (16-bit when it fits 4 digits).
        if (v <= 0xFFFF && t.size() - 2 <= 4 && base == 16)
            out = static_cast<int16_t>(static_cast<uint16_t>(v));
        else
            out = static_cast<int32_t>(static_cast<uint32_t>(v));
        return true;
    }
    size_t p = 0;
    bool neg = false;
    if (t[p] == '+' || t[p] == '-') {
        neg = t[p] == '-';
        ++p;
    }
    size_t digits = 0;
    std::string buf;
    buf.reserve(t.size());
    for (; p < t.size() && ((t[p] >= '0' && t[p] <= '9') || t[p] == ','); ++p) {
        if (t[p] != ',') {
            buf.push_back(t[p]);
            ++digits;
        }
    }
    if (p < t.size() && t[p] == '.') {
        buf.push_back('.');
        ++p;
        for (; p < t.size() && t[p] >= '0' && t[p] <= '9'; ++p) {
            buf.push_back(t[p]);
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (p < t.size() && (t[p] == 'e' || t[p] == 'E' || t[p] == 'd' || t[p] == 'D')) {
        buf.push_back('e');
        ++p;
        if (p < t.size() && (t[p] == '+' || t[p] == '-'))
            buf.push_back(t[p++]);
        size_t ed = 0;
        for (; p < t.size() && t[p] >= '0' && t[p] <= '9'; ++p, ++ed)
            buf.push_back(t[p]);
        if (ed == 0)
            return false;
    }
    if (p != t.size())
        return false;
    double v = std::strtod(buf.c_str(), nullptr);
    out = neg ? -v : v;
    return true;
}

static std::string trimExponent(const char* s)
{
    // "1.5E+020" style differs between C libraries; VBScript prints "1.5E+20".
    std::string r(s);
    size_t e = r.find('E');
    if (e == std::string::npos)
        return r;
    std::string mant = r.substr(0, e);
    char sign = r[e + 1];
    std::string digs = r.substr(e + 2);
    while (digs.size() > 2 && digs[0] == '0')
        digs.erase(0, 1);
    return mant + "E" + sign + digs;
}

std::string formatDouble(double value)
{
    if (value == 0)
        return "0";
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value > 0 ? "Infinity" : "-Infinity";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15G", value);
    return trimExponent(buf);
}

std::string formatSingle(float value)
{
    if (value == 0)
        return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.7G", static_cast<double>(value));
    return trimExponent(buf);
}

std::string formatCurrency(int64_t v)
{
    bool neg = v < 0;
    uint64_t a = neg ? static_cast<uint64_t>(-(v + 1)) + 1 : static_cast<uint64_t>(v);
    std::string s = std::to_string(a / 10000);
    uint64_t frac = a % 10000;
    if (frac) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04u", static_cast<unsigned>(frac));
        std::string f(buf);
        while (!f.empty() && f.back() == '0')
            f.pop_back();
        s += "." + f;
    }
    return neg ? "-" + s : s;
}

// Days from 1899-12-30 for a civil date, and back (proleptic Gregorian).
static int64_t daysFromCivil(int64_t y, int64_t m, int64_t d)
{
    y -= m <= 2;
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + 25569; // 1970-01-01 is serial 25569
}

static void civilFromDays(int64_t serial, int& y, int& m, int& d)
{
    int64_t z = serial - 25569 + 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t yy = yoe + era * 400;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

std::string formatDate(double serial)
{
    double whole = std::trunc(serial);
    double frac = std::fabs(serial - whole);
    int64_t secs = static_cast<int64_t>(std::llround(frac * 86400.0));
    if (secs >= 86400)
        secs = 86399;
    std::string out;
    char buf[64];
    if (whole != 0 || frac == 0) {
        int y, m, d;
        civilFromDays(static_cast<int64_t>(whole), y, m, d);
        std::snprintf(buf, sizeof buf, "%d/%d/%d", m, d, y);
        out = buf;
    }
    if (frac != 0) {
        int h = static_cast<int>(secs / 3600), mi = static_cast<int>(secs / 60 % 60), s = static_cast<int>(secs % 60);
        int h12 = h % 12 == 0 ? 12 : h % 12;
        std::snprintf(buf, sizeof buf, "%d:%02d:%02d %s", h12, mi, s, h < 12 ? "AM" : "PM");
        if (!out.empty())
            out += ' ';
        out += buf;
    }
    return out;
}

bool parseDate(std::string_view text, double& serial)
{
    std::string t = lowerCase(text);
    int nums[6] = {0, 0, 0, 0, 0, 0};
    int count = 0;
    int dateParts = 0;
    char dateSep = 0;
    bool pm = false, am = false, hasTime = false;
    size_t i = 0;
    while (i < t.size()) {
        char c = t[i];
        if (c >= '0' && c <= '9') {
            if (count >= 6)
                return false;
            int v = 0, nd = 0;
            while (i < t.size() && t[i] >= '0' && t[i] <= '9' && nd < 5) {
                v = v * 10 + (t[i] - '0');
                ++i;
                ++nd;
            }
            nums[count++] = v;
            char next = i < t.size() ? t[i] : 0;
            if (next == ':' || (count > 0 && hasTime && dateParts < count - 1 - 0 && false))
                hasTime = true;
            if (!hasTime && (next == '/' || next == '-' || next == '.')) {
                if (dateSep && dateSep != next)
                    return false;
                dateSep = next;
            }
            if (!hasTime && next != ':')
                dateParts = count;
            if (next == ':')
                hasTime = true;
            continue;
        }
        if (c == '/' || c == '-' || c == '.' || c == ':' || c == ' ' || c == ',') {
            ++i;
            continue;
        }
        if (t.compare(i, 2, "am") == 0) { am = true; i += 2; continue; }
        if (t.compare(i, 2, "pm") == 0) { pm = true; i += 2; continue; }
        return false;
    }
    if (count == 0)
        return false;
    // A time portion starts at the first number followed by ':'.
    int timeStart = count;
    for (int k = 0, pos = 0; k < count; ++k) {
        (void)pos;
    }
    {
        // Re-scan to find which numbers belong to the time.
        int idx = 0;
        size_t j = 0;
        while (j < t.size()) {
            if (t[j] >= '0' && t[j] <= '9') {
                size_t st = j;
                while (j < t.size() && t[j] >= '0' && t[j] <= '9')
                    ++j;
                (void)st;
                if (j < t.size() && t[j] == ':' && timeStart == count)
                    timeStart = idx;
                ++idx;
                continue;
            }
            ++j;
        }
    }
    int nDate = timeStart;
    int nTime = count - timeStart;
    if (nTime == 0 && (am || pm) && nDate == 1) {
        nTime = 1;
        nDate = 0;
        timeStart = 0;
    }
    if (nDate != 0 && nDate != 3 && nDate != 2)
        return false;
    if (nDate == 0 && nTime == 0)
        return false;
    double day = 0;
    if (nDate >= 2) {
        int y, m, d;
        if (nDate == 3) {
            if (nums[0] > 31) { y = nums[0]; m = nums[1]; d = nums[2]; }
            else { m = nums[0]; d = nums[1]; y = nums[2]; }
        } else {
            m = nums[0]; d = nums[1];
            int yy, mm, dd;
            civilFromDays(25569 + 20000, yy, mm, dd); // current year unknown here: take a fixed one
            y = yy;
        }
        if (y < 100)
            y += y < 30 ? 2000 : 1900;
        if (m > 12 && d <= 12)
            std::swap(m, d);
        if (m < 1 || m > 12 || d < 1 || d > 31)
            return false;
        day = static_cast<double>(daysFromCivil(y, m, d));
    }
    double time = 0;
    if (nTime > 0) {
        int h = nums[timeStart], mi = nTime > 1 ? nums[timeStart + 1] : 0, s = nTime > 2 ? nums[timeStart + 2] : 0;
        if (nTime > 3)
            return false;
        if (pm && h < 12) h += 12;
        if (am && h == 12) h = 0;
        if (h > 23 || mi > 59 || s > 59)
            return false;
        time = (h * 3600 + mi * 60 + s) / 86400.0;
    }
    serial = day >= 0 ? day + time : day - time;
    return true;
}

// ---- Case and comparison.

char foldCase(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7))
        return static_cast<char>(u + 32);
    return c;
}

std::string lowerCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = foldCase(c);
    return r;
}

std::string upperCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r) {
        unsigned char u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
            c = static_cast<char>(u - 32);
    }
    return r;
}

int compareStrings(std::string_view a, std::string_view b, CompareMode mode)
{
    size_t n = std::min(a.size(), b.size());
    if (mode == CompareMode::Binary) {
        int r = n ? std::memcmp(a.data(), b.data(), n) : 0;
        if (r != 0)
            return r < 0 ? -1 : 1;
    } else {
        for (size_t i = 0; i < n; ++i) {
            unsigned char x = static_cast<unsigned char>(foldCase(a[i]));
            unsigned char y = static_cast<unsigned char>(foldCase(b[i]));
            if (x != y)
                return x < y ? -1 : 1;
        }
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

static int cmpNum(double x, double y) { return x < y ? -1 : (x > y ? 1 : 0); }

int compareVariants(const Variant& a0, const Variant& b0, CompareMode mode, bool& isNull, bool aLiteral, bool bLiteral)
{
    isNull = false;
    const Variant& a = a0;
    const Variant& b = b0;
    if (a.isObject() || b.isObject()) {
        Variant x = a.dereferenced(), y = b.dereferenced();
        return compareVariants(x, y, mode, isNull, aLiteral, bLiteral);
    }
    if (a.isNull() || b.isNull()) {
        isNull = true;
        return 0;
    }
    if (a.isArray() || b.isArray() || a.type() == VT::Error || b.type() == VT::Error)
        raise(Err::TypeMismatch);
    VT ta = a.type(), tb = b.type();
    // Fast path: small integers.
    if ((ta == VT::Integer || ta == VT::Long) && (tb == VT::Integer || tb == VT::Long)) {
        int32_t x = ta == VT::Integer ? a.rawInt16() : a.rawInt32();
        int32_t y = tb == VT::Integer ? b.rawInt16() : b.rawInt32();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (ta == VT::String && tb == VT::String)
        return compareStrings(a.rawString(), b.rawString(), mode);
    if (ta == VT::Empty && tb == VT::Empty)
        return 0;
    if (ta == VT::String || tb == VT::String) {
        const Variant& s = ta == VT::String ? a : b;
        const Variant& o = ta == VT::String ? b : a;
        bool oLiteral = ta == VT::String ? bLiteral : aLiteral;
        int sign = ta == VT::String ? 1 : -1;
        if (o.isEmpty())
            return sign * compareStrings(s.rawString(), "", mode);
        if (oLiteral) {
            double d;
            if (!parseNumber(s.rawString(), d))
                raise(Err::TypeMismatch);
            return sign * cmpNum(d, o.toDouble());
        }
        // A numeric value is always less than a string.
        return sign;
    }
    return cmpNum(a.toDouble(), b.toDouble());
}

// ---- Arrays.

ArrayRep* newArray(const std::vector<int32_t>& ubounds)
{
    auto* rep = new ArrayRep;
    size_t total = 1;
    for (int32_t ub : ubounds) {
        if (ub < -1)
            raise(Err::SubscriptOutOfRange);
        rep->dims.push_back(ub + 1);
        total *= static_cast<size_t>(ub + 1);
    }
    if (total > (size_t(1) << 28)) {
        delete rep;
        raise(Err::OutOfMemory);
    }
    rep->data.resize(total);
    return rep;
}

int64_t arrayOffset(const ArrayRep& arr, const int32_t* indices, size_t count)
{
    if (count != arr.dims.size())
        return -1;
    int64_t off = 0, mul = 1;
    for (size_t i = 0; i < count; ++i) {
        if (indices[i] < 0 || indices[i] >= arr.dims[i])
            return -1;
        off += indices[i] * mul;
        mul *= arr.dims[i];
    }
    return off;
}

} // namespace ravelin::vbs
