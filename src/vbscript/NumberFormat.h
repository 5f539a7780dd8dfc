// The text of numbers, both ways, as VBScript gives and reads it in en-US:
// plain numbers (double, float, Currency as ten-thousandths) and option
// values go in, text comes out; text goes in and a double or a failure
// comes out. No Variant here; the engine's coercions and the FormatNumber
// family (BuiltinsFormat.cpp) call these.
//
// Entry points: `doubleToText`, `singleToText`, `currencyToText` (CStr of a
// Double, Single, Currency); `formatNumber`, `formatPercent`,
// `formatCurrencyValue` (FormatNumber, FormatPercent, FormatCurrency);
// `parseNumericText` (IsNumeric, CDbl and every numeric coercion of a string).
//
// Trade-off: the Format functions round the value's 15-significant-digit
// decimal text rather than its binary value, so 2.675 rounds to 2.68 as a
// script writer expects (halves away from zero), at the price of digits past
// the fifteenth always reading as zero.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ravelin::vbs {

// Up to 15 significant digits, no trailing zeros, the exponent form
// ("1E+15", "1.5E-07") below 1E-4 and from 1E15 on.
std::string doubleToText(double value);
// The same with 7 significant digits.
std::string singleToText(float value);
// Up to four decimals, no trailing zeros.
std::string currencyToText(std::int64_t tenThousandths);

// Tristate arguments of the Format functions.
inline constexpr int kTristateTrue = -1;
inline constexpr int kTristateFalse = 0;
inline constexpr int kTristateUseDefault = -2;

struct NumberFormatOptions {
    int digitsAfterDecimal = -1; // -1: the locale's (2)
    int includeLeadingDigit = kTristateUseDefault;
    int useParensForNegative = kTristateUseDefault;
    int groupDigits = kTristateUseDefault;
};

// Largest count of decimals the Format functions accept.
inline constexpr int kMaxFormatDigits = 99;

// False when an option is out of range (digits below -1 or above
// kMaxFormatDigits, a tristate other than -2, -1 or 0, a value that is not
// finite); the caller raises error 5.
bool formatNumber(double value, const NumberFormatOptions& options, std::string& out);
// value * 100 followed by "%".
bool formatPercent(double value, const NumberFormatOptions& options, std::string& out);
// "$1,234.50"; negative amounts in parentheses unless told otherwise.
bool formatCurrencyValue(double value, const NumberFormatOptions& options, std::string& out);

// Reads a number the way VBScript coerces a string: blanks around it, a
// leading or trailing sign, "$", parentheses for a negative amount, ","
// grouping in the integer part, a decimal point, an exponent, and &H / &O
// prefixes (up to 32 bits). False when the text is not a number or is out
// of range; `overflow`, when given, tells the second case (error 6 rather
// than 13 for CDbl).
bool parseNumericText(std::string_view text, double& out, bool* overflow = nullptr);

} // namespace ravelin::vbs
