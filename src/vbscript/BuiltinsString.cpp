// String built-ins: Len, Left, Mid, InStr, Replace, Split, Join and the rest,
// with VBScript's argument rules (Null in gives Null out where the language
// does, negative lengths and zero starts are error 5), and the string constants.
#include "vbscript/Builtins.h"
#include "vbscript/Interrupt.h"
#include "vbscript/TextSearch.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace ravelin::vbs {

namespace {

using Args = std::span<Variant>;

bool nullArg(Args a, size_t i)
{
    // Only an object's default member needs reading; other values are looked at in place.
    return i < a.size() && (a[i].isObject() ? argValue(a, i).isNull() : a[i].isNull());
}

// Length/count argument: CLng with banker's rounding, negative is error 5.
int64_t count(Args a, size_t i)
{
    int32_t n = argLong(a, i);
    requireValid(n >= 0);
    return n;
}

Variant fnLen(Context&, Args a)
{
    Variant v = argValue(a, 0);
    if (v.isNull())
        return Variant::null();
    if (v.isString())
        return Variant::longInt(static_cast<int32_t>(v.rawString().size()));
    return Variant::longInt(static_cast<int32_t>(v.toString().size()));
}

Variant fnLeft(Context&, Args a)
{
    // Null where a number is needed is reported before anything else.
    if (nullArg(a, 1))
        raise(Err::InvalidNull);
    int64_t n = count(a, 1); // a negative length is 5 even for a Null text
    if (nullArg(a, 0))
        return Variant::null();
    std::string scratch;
    std::string_view s = argView(a, 0, scratch);
    return Variant::string(s.substr(0, static_cast<size_t>(std::min<int64_t>(n, static_cast<int64_t>(s.size())))));
}

Variant fnRight(Context&, Args a)
{
    // Null where a number is needed is reported before anything else.
    if (nullArg(a, 1))
        raise(Err::InvalidNull);
    int64_t n = count(a, 1); // a negative length is 5 even for a Null text
    if (nullArg(a, 0))
        return Variant::null();
    std::string scratch;
    std::string_view s = argView(a, 0, scratch);
    size_t k = static_cast<size_t>(std::min<int64_t>(n, static_cast<int64_t>(s.size())));
    return Variant::string(s.substr(s.size() - k));
}

Variant fnMid(Context&, Args a)
{
    if (nullArg(a, 1) || nullArg(a, 2))
        raise(Err::InvalidNull);
    int32_t start = argLong(a, 1);
    requireValid(start >= 1);
    int64_t len = hasArg(a, 2) ? count(a, 2) : -1;
    if (nullArg(a, 0))
        return Variant::null();
    std::string scratch;
    std::string_view s = argView(a, 0, scratch);
    size_t from = static_cast<size_t>(start - 1);
    if (from >= s.size())
        return Variant::string(std::string_view());
    size_t n = len < 0 ? std::string::npos : static_cast<size_t>(len);
    return Variant::string(s.substr(from, n));
}

Variant fnInStr(Context&, Args a)
{
    // InStr([start,] string1, string2 [, compare])
    size_t base = 0;
    int64_t start = 1;
    if (a.size() >= 3) {
        if (nullArg(a, 0))
            raise(Err::InvalidNull);
        start = argLong(a, 0);
        requireValid(start >= 1);
        base = 1;
    } else if (a.size() < 2) {
        raise(Err::WrongArgCount);
    }
    CompareMode mode = a.size() >= 4 ? argCompareMode(a, 3) : CompareMode::Binary;
    if (nullArg(a, base) || nullArg(a, base + 1))
        return Variant::null();
    std::string scratchHay, scratchNeedle;
    std::string_view hay = argView(a, base, scratchHay), needle = argView(a, base + 1, scratchNeedle);
    if (static_cast<size_t>(start) > hay.size())
        return Variant::longInt(needle.empty() && static_cast<size_t>(start) == hay.size() + 1 ? 0 : 0);
    if (needle.empty())
        return Variant::longInt(static_cast<int32_t>(start));
    size_t p = findText(hay, needle, static_cast<size_t>(start - 1), mode);
    return Variant::longInt(p == std::string::npos ? 0 : static_cast<int32_t>(p + 1));
}

Variant fnInStrRev(Context&, Args a)
{
    // The numbers are checked before a Null text gives Null.
    if (nullArg(a, 2) || nullArg(a, 3))
        raise(Err::InvalidNull);
    int32_t start = argLongOr(a, 2, -1);
    requireValid(start == -1 || start >= 1);
    if (nullArg(a, 0) || nullArg(a, 1))
        return Variant::null();
    std::string hay = argString(a, 0), needle = argString(a, 1);
    CompareMode mode = argCompareMode(a, 3);
    size_t limit = start == -1 ? hay.size() : static_cast<size_t>(start);
    if (limit > hay.size())
        return Variant::longInt(0);
    if (needle.empty())
        return Variant::longInt(static_cast<int32_t>(limit));
    if (needle.size() > limit)
        return Variant::longInt(0);
    size_t p = rfindText(std::string_view(hay).substr(0, limit), needle, limit - needle.size(), mode);
    return Variant::longInt(p == std::string::npos ? 0 : static_cast<int32_t>(p + 1));
}

Variant fnLCase(Context&, Args a)
{
    if (nullArg(a, 0))
        return Variant::null();
    std::string scratch;
    std::string_view s = argView(a, 0, scratch);
    StringBuffer out(s.size());
    char* d = out.data();
    for (char c : s)
        *d++ = foldCase(c);
    return out.take(s.size());
}

Variant fnUCase(Context&, Args a)
{
    if (nullArg(a, 0))
        return Variant::null();
    std::string scratch;
    std::string_view s = argView(a, 0, scratch);
    StringBuffer out(s.size());
    char* d = out.data();
    for (char c : s)
        *d++ = upperChar(c);
    return out.take(s.size());
}

Variant trimmed(Args a, bool left, bool right)
{
    if (nullArg(a, 0))
        return Variant::null();
    std::string scratch;
    std::string_view s = argView(a, 0, scratch);
    size_t b = 0, e = s.size();
    if (left)
        while (b < e && s[b] == ' ')
            ++b;
    if (right)
        while (e > b && s[e - 1] == ' ')
            --e;
    return Variant::string(s.substr(b, e - b));
}

Variant fnLTrim(Context&, Args a) { return trimmed(a, true, false); }
Variant fnRTrim(Context&, Args a) { return trimmed(a, false, true); }
Variant fnTrim(Context&, Args a) { return trimmed(a, true, true); }

Variant fnReplace(Context&, Args a)
{
    // Null in any of the three texts gives Null; in a number it is 94.
    if (nullArg(a, 3) || nullArg(a, 4) || nullArg(a, 5))
        raise(Err::InvalidNull);
    int32_t start = argLongOr(a, 3, 1);
    int32_t limit = argLongOr(a, 4, -1);
    requireValid(start >= 1 && limit >= -1);
    if (nullArg(a, 0) || nullArg(a, 1) || nullArg(a, 2))
        return Variant::null();
    std::string s = argString(a, 0), find = argString(a, 1), with = argString(a, 2);
    CompareMode mode = argCompareMode(a, 5);
    if (static_cast<size_t>(start) > s.size())
        return Variant::string(std::string());
    // The text before the start position is dropped from the result.
    std::string src = s.substr(static_cast<size_t>(start - 1));
    if (find.empty() || limit == 0)
        return Variant::string(src);
    std::string out;
    out.reserve(src.size());
    size_t pos = 0;
    int done = 0;
    for (;;) {
        if (limit >= 0 && done >= limit)
            break;
        size_t p = findText(src, find, pos, mode);
        if (p == std::string::npos)
            break;
        checkStringLength(out.size() + (p - pos) + with.size());
        out.append(src, pos, p - pos);
        out += with;
        pos = p + find.size();
        ++done;
    }
    out.append(src, pos, std::string::npos);
    return Variant::string(std::move(out));
}

Variant stringArray(std::vector<std::string>& parts)
{
    ArrayRep* rep = newArray({static_cast<int32_t>(parts.size()) - 1});
    for (size_t i = 0; i < parts.size(); ++i)
        rep->data[i] = Variant::string(std::move(parts[i]));
    return Variant::array(rep);
}

Variant fnSplit(Context&, Args a)
{
    if (nullArg(a, 2) || nullArg(a, 3))
        raise(Err::InvalidNull);
    int32_t limit = argLongOr(a, 2, -1);
    requireValid(limit >= -1);
    if (nullArg(a, 0) || nullArg(a, 1))
        return Variant::null();
    std::string scratch, scratchDelim(" ");
    std::string_view s = argView(a, 0, scratch);
    std::string_view delim = hasArg(a, 1) ? argView(a, 1, scratchDelim) : std::string_view(scratchDelim);
    CompareMode mode = argCompareMode(a, 3);
    // The pieces go straight into the array block: Split is on hot paths.
    auto* rep = new ArrayRep;
    Variant result = Variant::array(rep);
    if (s.empty() || limit == 0) {
        rep->dims.push_back(0);
        return result;
    }
    // The common case (a short line split on one character, no limit): one
    // pass finds the cuts, then the block is allocated once and filled.
    if (delim.size() == 1 && mode == CompareMode::Binary && limit < 0 && s.size() <= 4096) {
        constexpr size_t MaxCuts = 128;
        uint16_t cuts[MaxCuts];
        size_t n = 0;
        const char* base = s.data();
        const char* end = base + s.size();
        for (const char* p = base; n < MaxCuts;) {
            const void* hit = std::memchr(p, delim[0], static_cast<size_t>(end - p));
            if (!hit)
                break;
            p = static_cast<const char*>(hit);
            cuts[n++] = static_cast<uint16_t>(p - base);
            ++p;
        }
        if (n < MaxCuts) {
            rep->data.reserve(n + 1);
            size_t pos = 0;
            for (size_t i = 0; i < n; ++i) {
                rep->data.push_back(Variant::string(s.substr(pos, cuts[i] - pos)));
                pos = cuts[i] + 1u;
            }
            rep->data.push_back(Variant::string(s.substr(pos)));
            rep->dims.push_back(static_cast<int32_t>(n + 1));
            return result;
        }
    }
    {
        size_t pos = 0;
        if (!delim.empty()) {
            for (;;) {
                if (limit > 0 && static_cast<int32_t>(rep->data.size()) == limit - 1)
                    break;
                size_t p = findText(s, delim, pos, mode);
                if (p == std::string::npos)
                    break;
                if (static_cast<int64_t>(rep->data.size()) >= MaxArrayElements)
                    raise(Err::OutOfMemory);
                rep->data.push_back(Variant::string(s.substr(pos, p - pos)));
                pos = p + delim.size();
            }
        }
        rep->data.push_back(Variant::string(s.substr(pos)));
    }
    rep->dims.push_back(static_cast<int32_t>(rep->data.size()));
    return result;
}

const ArrayRep& oneDimArray(const Variant& v)
{
    if (!v.isArray())
        raise(Err::TypeMismatch);
    const ArrayRep& rep = *v.rawArray();
    if (rep.dims.size() > 1)
        raise(Err::SubscriptOutOfRange);
    return rep;
}

Variant fnJoin(Context&, Args a)
{
    Variant list = argValue(a, 0);
    // Null is reported before any other fault of the arguments.
    if (list.isNull() || nullArg(a, 1))
        raise(Err::InvalidNull);
    if (list.isArray() && list.rawArray()->dims.size() > 1)
        raise(Err::TypeMismatch);
    const ArrayRep& rep = oneDimArray(list);
    std::string delim = hasArg(a, 1) ? argString(a, 1) : std::string(" ");
    std::string out;
    for (size_t i = 0; i < rep.data.size(); ++i) {
        if (i)
            out += delim;
        const Variant& v = rep.data[i];
        if (v.isNull())
            raise(Err::TypeMismatch);
        std::string text;
        std::string_view piece = v.isString() ? v.rawString() : std::string_view(text = v.toText());
        checkStringLength(out.size() + piece.size() + delim.size());
        out += piece;
    }
    return Variant::string(std::move(out));
}

Variant fnFilter(Context&, Args a)
{
    Variant list = argValue(a, 0);
    if (list.isNull())
        raise(Err::InvalidNull);
    const ArrayRep& rep = oneDimArray(list);
    std::string value = argString(a, 1);
    bool include = hasArg(a, 2) ? argBool(a, 2) : true;
    CompareMode mode = argCompareMode(a, 3);
    std::vector<std::string> parts;
    for (const Variant& v : rep.data) {
        std::string s = v.toText();
        pollInterrupt(s.size() + 1);
        bool found = findText(s, value, 0, mode) != std::string::npos;
        if (found == include)
            parts.push_back(std::move(s));
    }
    return stringArray(parts);
}

Variant fnSpace(Context&, Args a)
{
    if (nullArg(a, 0)) // a count, not a text
        raise(Err::InvalidNull);
    int64_t n = count(a, 0);
    checkStringLength(static_cast<size_t>(n));
    return Variant::string(std::string(static_cast<size_t>(n), ' '));
}

Variant fnString(Context&, Args a)
{
    if (nullArg(a, 0) || nullArg(a, 1))
        return Variant::null();
    int64_t n = count(a, 0);
    Variant c = argValue(a, 1);
    char ch;
    if (c.isString()) {
        requireValid(!c.rawString().empty());
        ch = c.rawString()[0];
    } else {
        int32_t code = c.toLong();
        ch = static_cast<char>(((code % 256) + 256) % 256);
    }
    checkStringLength(static_cast<size_t>(n));
    return Variant::string(std::string(static_cast<size_t>(n), ch));
}

Variant fnStrComp(Context&, Args a)
{
    if (nullArg(a, 0) || nullArg(a, 1))
        return Variant::null();
    CompareMode mode = argCompareMode(a, 2);
    return Variant::integer(static_cast<int16_t>(compareStrings(argString(a, 0), argString(a, 1), mode)));
}

Variant fnStrReverse(Context&, Args a)
{
    if (nullArg(a, 0))
        raise(Err::InvalidNull);
    std::string s = argString(a, 0);
    std::reverse(s.begin(), s.end());
    return Variant::string(std::move(s));
}

Variant fnChr(Context&, Args a)
{
    int32_t c = argLong(a, 0);
    requireValid(c >= 0 && c <= 255);
    return Variant::string(std::string(1, static_cast<char>(c)));
}

Variant fnChrW(Context&, Args a)
{
    int32_t c = argLong(a, 0);
    requireValid(c >= -32768 && c <= 65535);
    if (c < 0)
        c += 65536;
    // Text is one byte per character: beyond Latin-1 becomes '?'.
    return Variant::string(std::string(1, c <= 255 ? static_cast<char>(c) : '?'));
}

Variant fnAsc(Context&, Args a)
{
    if (nullArg(a, 0))
        raise(Err::InvalidNull);
    std::string s = argString(a, 0);
    requireValid(!s.empty());
    return Variant::integer(static_cast<int16_t>(static_cast<unsigned char>(s[0])));
}

std::string radix(Args a, int bitsPerDigit)
{
    Variant v = argValue(a, 0);
    uint64_t u;
    switch (v.type()) {
    case VT::Empty: u = 0; break;
    case VT::Byte: u = v.rawByte(); break;
    case VT::Integer:
    case VT::Boolean: u = static_cast<uint16_t>(v.rawInt16()); break;
    default: u = static_cast<uint32_t>(v.toLong()); break;
    }
    const char* digits = "0123456789ABCDEF";
    std::string out;
    uint64_t mask = (1u << bitsPerDigit) - 1;
    do {
        out.push_back(digits[u & mask]);
        u >>= bitsPerDigit;
    } while (u);
    std::reverse(out.begin(), out.end());
    return out;
}

Variant fnHex(Context&, Args a)
{
    if (nullArg(a, 0))
        return Variant::null();
    return Variant::string(radix(a, 4));
}

Variant fnOct(Context&, Args a)
{
    if (nullArg(a, 0))
        return Variant::null();
    return Variant::string(radix(a, 3));
}

Variant fnEscape(Context&, Args a)
{
    if (nullArg(a, 0))
        return Variant::null();
    std::string s = argString(a, 0), out;
    const char* hex = "0123456789ABCDEF";
    for (unsigned char c : s) {
        if (std::isalnum(c) || std::strchr("@*_+-./", c))
            out.push_back(static_cast<char>(c));
        else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
    return Variant::string(std::move(out));
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(c | 0x20);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

Variant fnUnescape(Context&, Args a)
{
    if (nullArg(a, 0))
        return Variant::null();
    std::string s = argString(a, 0), out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 5 < s.size() + 0 && (s[i + 1] | 0x20) == 'u') {
            int v = 0;
            bool ok = true;
            for (int k = 2; k < 6; ++k) {
                int d = hexDigit(s[i + static_cast<size_t>(k)]);
                if (d < 0)
                    ok = false;
                v = v * 16 + d;
            }
            if (ok) {
                out.push_back(v <= 255 ? static_cast<char>(v) : '?');
                i += 5;
                continue;
            }
        }
        if (s[i] == '%' && i + 2 < s.size() && hexDigit(s[i + 1]) >= 0 && hexDigit(s[i + 2]) >= 0) {
            out.push_back(static_cast<char>(hexDigit(s[i + 1]) * 16 + hexDigit(s[i + 2])));
            i += 2;
            continue;
        }
        out.push_back(s[i]);
    }
    return Variant::string(std::move(out));
}

const BuiltinDef stringFunctions[] = {
    {"Len", 1, 1, fnLen},
    {"Left", 2, 2, fnLeft},
    {"Right", 2, 2, fnRight},
    {"Mid", 2, 3, fnMid},
    {"InStr", 2, 4, fnInStr},
    {"InStrRev", 2, 4, fnInStrRev},
    {"LCase", 1, 1, fnLCase},
    {"UCase", 1, 1, fnUCase},
    {"LTrim", 1, 1, fnLTrim},
    {"RTrim", 1, 1, fnRTrim},
    {"Trim", 1, 1, fnTrim},
    {"Replace", 3, 6, fnReplace},
    {"Split", 1, 4, fnSplit},
    {"Join", 1, 2, fnJoin},
    {"Filter", 2, 4, fnFilter},
    {"Space", 1, 1, fnSpace},
    {"String", 2, 2, fnString},
    {"StrComp", 2, 3, fnStrComp},
    {"StrReverse", 1, 1, fnStrReverse},
    {"Chr", 1, 1, fnChr},
    {"ChrW", 1, 1, fnChrW},
    {"ChrB", 1, 1, fnChr},
    {"Asc", 1, 1, fnAsc},
    {"AscW", 1, 1, fnAsc},
    {"AscB", 1, 1, fnAsc},
    {"LenB", 1, 1, fnLen},
    {"Hex", 1, 1, fnHex},
    {"Oct", 1, 1, fnOct},
    {"Escape", 1, 1, fnEscape},
    {"Unescape", 1, 1, fnUnescape},
};

} // namespace

void registerStringBuiltins(BuiltinRegistry& r)
{
    r.addFunctions(stringFunctions);
    r.addConstant("vbCrLf", Variant::string("\r\n"));
    r.addConstant("vbNewLine", Variant::string("\r\n"));
    r.addConstant("vbCr", Variant::string("\r"));
    r.addConstant("vbLf", Variant::string("\n"));
    r.addConstant("vbTab", Variant::string("\t"));
    r.addConstant("vbBack", Variant::string("\b"));
    r.addConstant("vbFormFeed", Variant::string("\f"));
    r.addConstant("vbVerticalTab", Variant::string("\v"));
    r.addConstant("vbNullChar", Variant::string(std::string(1, '\0')));
    r.addConstant("vbNullString", Variant::string(""));
    r.addConstant("vbBinaryCompare", Variant::longInt(0));
    r.addConstant("vbTextCompare", Variant::longInt(1));
    r.addConstant("vbDatabaseCompare", Variant::longInt(2));
}

} // namespace ravelin::vbs
