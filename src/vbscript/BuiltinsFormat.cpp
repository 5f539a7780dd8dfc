// FormatNumber, FormatPercent and FormatCurrency: argument handling for the
// formatting in NumberFormat, with error 5 for an option out of range.
#include "vbscript/Builtins.h"
#include "vbscript/NumberFormat.h"

namespace ravelin::vbs {

namespace {

using Args = std::span<Variant>;
using Formatter = bool (*)(double, const NumberFormatOptions&, std::string&);

// Expression[, NumDigitsAfterDecimal[, IncludeLeadingDigit[,
// UseParensForNegativeNumbers[, GroupDigits]]]]
Variant formatWith(Args a, Formatter formatter)
{
    double value = argDouble(a, 0);
    NumberFormatOptions options;
    options.digitsAfterDecimal = argLongOr(a, 1, -1);
    options.includeLeadingDigit = argLongOr(a, 2, kTristateUseDefault);
    options.useParensForNegative = argLongOr(a, 3, kTristateUseDefault);
    options.groupDigits = argLongOr(a, 4, kTristateUseDefault);
    std::string text;
    requireValid(formatter(value, options, text));
    return Variant::string(std::move(text));
}

Variant fnFormatNumber(Context&, Args a) { return formatWith(a, formatNumber); }
Variant fnFormatPercent(Context&, Args a) { return formatWith(a, formatPercent); }
Variant fnFormatCurrency(Context&, Args a) { return formatWith(a, formatCurrencyValue); }

const BuiltinDef formatFunctions[] = {
    {"FormatNumber", 1, 5, fnFormatNumber},
    {"FormatPercent", 1, 5, fnFormatPercent},
    {"FormatCurrency", 1, 5, fnFormatCurrency},
};

} // namespace

void registerFormatBuiltins(BuiltinRegistry& r) { r.addFunctions(formatFunctions); }

} // namespace ravelin::vbs
