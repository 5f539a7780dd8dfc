#include "vbscript/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace ravelin::vbs {

namespace {

// Windows' texts for the values VBScript's arithmetic never makes but a
// host might hand in.
std::string nonFinite(double value)
{
    if (std::isnan(value))
        return "-1.#IND";
    return value < 0 ? "-1.#INF" : "1.#INF";
}

std::string printfText(double value, int significant)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    if (value == 0)
        return "0"; // also for -0
    // to_chars rather than printf: the host may have switched the C locale
    // to one with a decimal comma, and script text must not follow it.
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, significant);
    (void)ec; // 64 bytes hold any double at 15 digits
    std::string text(buf, end);
    for (char& c : text)
        if (c == 'e')
            c = 'E';
    return text;
}

// |value| rounded half away from zero to `digits` decimals, from its
// 15-significant-digit decimal form: the integer digits and the decimals.
void roundDecimal(double value, int digits, std::string& intPart, std::string& fracPart)
{
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    (void)ec;
    *end = '\0';
    // buf is "d.dddddddddddddde±XX".
    std::string mantissa;
    mantissa += buf[0];
    mantissa.append(buf + 2, 14);
    int exponent = std::atoi(buf + 17);
    if (mantissa.find_first_not_of('0') == std::string::npos)
        exponent = 0;

    // The number is 0.mantissa × 10^(exponent + 1); keep `keep` digits.
    int keep = exponent + 1 + digits;
    std::string kept;
    if (keep > 0)
        kept = mantissa.substr(0, static_cast<std::size_t>(std::min(keep, 15)));
    if (keep >= 0 && keep < 15 && mantissa[static_cast<std::size_t>(keep)] >= '5') {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9')
            kept[static_cast<std::size_t>(i--)] = '0';
        if (i >= 0) {
            ++kept[static_cast<std::size_t>(i)];
        } else {
            kept.insert(kept.begin(), '1');
            ++exponent;
        }
    }
    int intDigits = exponent + 1; // digits before the point in 0.kept × 10^intDigits
    intPart.clear();
    fracPart.clear();
    for (int i = 0; i < intDigits; ++i)
        intPart += i < static_cast<int>(kept.size()) ? kept[static_cast<std::size_t>(i)] : '0';
    if (intPart.empty())
        intPart.assign(1, '0');
    for (int i = 0; i < digits; ++i) {
        int at = intDigits + i;
        fracPart += (at >= 0 && at < static_cast<int>(kept.size())) ? kept[static_cast<std::size_t>(at)] : '0';
    }
    std::size_t nonZero = intPart.find_first_not_of('0');
    if (nonZero == std::string::npos)
        intPart.assign(1, '0');
    else
        intPart.erase(0, nonZero);
}

std::string grouped(const std::string& digits)
{
    std::string out;
    int count = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (count && count % 3 == 0)
            out.insert(out.begin(), ',');
        out.insert(out.begin(), *it);
        ++count;
    }
    return out;
}

bool validTristate(int t) { return t == kTristateTrue || t == kTristateFalse || t == kTristateUseDefault; }

bool resolve(int tristate, bool localeDefault)
{
    return tristate == kTristateUseDefault ? localeDefault : tristate != 0;
}

// The shared body of the three Format functions: `prefix` and `suffix`
// wrap the digits inside the sign or parentheses.
bool formatWith(double value, const NumberFormatOptions& o, bool parensByDefault, const char* prefix,
                const char* suffix, std::string& out)
{
    if (!std::isfinite(value) || o.digitsAfterDecimal < -1 || o.digitsAfterDecimal > kMaxFormatDigits
        || !validTristate(o.includeLeadingDigit) || !validTristate(o.useParensForNegative)
        || !validTristate(o.groupDigits))
        return false;
    int digits = o.digitsAfterDecimal == -1 ? 2 : o.digitsAfterDecimal;
    std::string intPart, fracPart;
    roundDecimal(value, digits, intPart, fracPart);
    if (resolve(o.groupDigits, true))
        intPart = grouped(intPart);
    if (intPart == "0" && digits > 0 && !resolve(o.includeLeadingDigit, true))
        intPart.clear();
    std::string body = prefix + intPart;
    if (digits > 0)
        body += "." + fracPart;
    body += suffix;
    // A negative value keeps its sign even when it rounds to zero, as
    // Windows prints "-0.00".
    if (std::signbit(value) && value != 0)
        out = resolve(o.useParensForNegative, parensByDefault) ? "(" + body + ")" : "-" + body;
    else
        out = body;
    return true;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// &H and &O texts: up to 32 bits, the top bit making the value negative.
bool parseRadix(std::string_view text, double& out, bool& overflow)
{
    if (text.size() < 3 || text[0] != '&')
        return false;
    char kind = text[1];
    unsigned base = (kind == 'h' || kind == 'H') ? 16 : (kind == 'o' || kind == 'O') ? 8 : 0;
    if (!base)
        return false;
    std::uint64_t value = 0;
    for (std::size_t i = 2; i < text.size(); ++i) {
        char c = text[i];
        unsigned d = 0;
        if (c >= '0' && c <= '9')
            d = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
        if (d >= base)
            return false;
        value = value * base + d;
        if (value > 0xFFFFFFFFull) {
            // Still a number, only too big: keep reading to tell the two apart.
            for (std::size_t j = i + 1; j < text.size(); ++j) {
                char k = text[j];
                bool digit = (k >= '0' && k <= '7')
                    || (base == 16 && ((k >= '8' && k <= '9') || (k >= 'a' && k <= 'f') || (k >= 'A' && k <= 'F')));
                if (!digit)
                    return false;
            }
            overflow = true;
            return false;
        }
    }
    out = value > 0x7FFFFFFFull ? static_cast<double>(static_cast<std::int64_t>(value) - 0x100000000LL)
                                : static_cast<double>(value);
    return true;
}

} // namespace

std::string doubleToText(double value) { return printfText(value, 15); }

std::string singleToText(float value) { return printfText(static_cast<double>(value), 7); }

std::string currencyToText(std::int64_t tenThousandths)
{
    bool negative = tenThousandths < 0;
    std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(tenThousandths) : static_cast<std::uint64_t>(tenThousandths);
    std::string text = std::to_string(magnitude / 10000);
    std::uint64_t frac = magnitude % 10000;
    if (frac) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04u", static_cast<unsigned>(frac));
        std::string decimals = buf;
        decimals.erase(decimals.find_last_not_of('0') + 1);
        text += "." + decimals;
    }
    return negative ? "-" + text : text;
}

bool formatNumber(double value, const NumberFormatOptions& options, std::string& out)
{
    return formatWith(value, options, false, "", "", out);
}

bool formatPercent(double value, const NumberFormatOptions& options, std::string& out)
{
    return formatWith(value * 100.0, options, false, "", "%", out);
}

bool formatCurrencyValue(double value, const NumberFormatOptions& options, std::string& out)
{
    return formatWith(value, options, true, "$", "", out);
}

bool parseNumericText(std::string_view text, double& out, bool* overflowOut)
{
    bool overflowSeen = false;
    bool& overflow = overflowOut ? *overflowOut : overflowSeen;
    overflow = false;
    std::size_t b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    text = text.substr(b, e - b);
    if (text.empty())
        return false;
    if (text[0] == '&')
        return parseRadix(text, out, overflow);

    std::size_t i = 0;
    const std::size_t n = text.size();
    bool negative = false, haveSign = false, haveDollar = false, paren = false;
    auto skipBlanks = [&] {
        while (i < n && isBlank(text[i]))
            ++i;
    };
    // Leading decorations in any order: "(", a sign, "$".
    for (;;) {
        skipBlanks();
        if (i >= n)
            return false;
        char c = text[i];
        if (c == '(' && !paren && !haveSign) {
            paren = true;
        } else if ((c == '+' || c == '-') && !haveSign) {
            haveSign = true;
            negative = c == '-';
        } else if (c == '$' && !haveDollar) {
            haveDollar = true;
        } else {
            break;
        }
        ++i;
    }

    std::string number;
    bool digitSeen = false;
    while (i < n && ((text[i] >= '0' && text[i] <= '9') || (text[i] == ',' && digitSeen))) {
        if (text[i] != ',') {
            number += text[i];
            digitSeen = true;
        }
        ++i;
    }
    if (i < n && text[i] == '.') {
        number += '.';
        ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            number += text[i++];
            digitSeen = true;
        }
    }
    if (!digitSeen)
        return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        number += 'e';
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            number += text[i++];
        bool expDigits = false;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            number += text[i++];
            expDigits = true;
        }
        if (!expDigits)
            return false;
    }

    // Trailing decorations: "$", a sign when none led, the closing ")".
    for (;;) {
        skipBlanks();
        if (i >= n)
            break;
        char c = text[i];
        if (c == '$' && !haveDollar) {
            haveDollar = true;
        } else if ((c == '+' || c == '-') && !haveSign) {
            haveSign = true;
            negative = c == '-';
        } else if (c == ')' && paren) {
            paren = false;
            negative = true;
            haveSign = true;
        } else {
            return false;
        }
        ++i;
    }
    if (paren)
        return false;

    double value = 0;
    auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as zero; overflow is not a number.
        if (number.find("e-") != std::string::npos) {
            out = negative ? -0.0 : 0.0;
            return true;
        }
        overflow = true;
        return false;
    }
    if (ec != std::errc() || end != number.data() + number.size() || !std::isfinite(value))
        return false;
    out = negative ? -value : value;
    return true;
}

} // namespace ravelin::vbs
