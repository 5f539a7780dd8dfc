// Number text both ways: CStr of Double/Single/Currency, the FormatNumber
// family's options and rounding, and numeric parsing of strings.
#include "vbscript/NumberFormat.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

using namespace ravelin::vbs;

namespace {

std::string number(double v, int digits = -1, int lead = -2, int parens = -2, int group = -2)
{
    std::string out;
    EXPECT_TRUE(formatNumber(v, NumberFormatOptions{digits, lead, parens, group}, out));
    return out;
}

std::string percent(double v, int digits = -1, int lead = -2, int parens = -2, int group = -2)
{
    std::string out;
    EXPECT_TRUE(formatPercent(v, NumberFormatOptions{digits, lead, parens, group}, out));
    return out;
}

std::string currency(double v, int digits = -1, int lead = -2, int parens = -2, int group = -2)
{
    std::string out;
    EXPECT_TRUE(formatCurrencyValue(v, NumberFormatOptions{digits, lead, parens, group}, out));
    return out;
}

std::string parsed(std::string_view text)
{
    double v = 0;
    if (!parseNumericText(text, v))
        return "<no>";
    return doubleToText(v);
}

} // namespace

TEST(NumberText, DoubleUpToFifteenDigits)
{
    EXPECT_EQ(doubleToText(0), "0");
    EXPECT_EQ(doubleToText(-0.0), "0");
    EXPECT_EQ(doubleToText(42), "42");
    EXPECT_EQ(doubleToText(-2.5), "-2.5");
    EXPECT_EQ(doubleToText(0.1 + 0.2), "0.3");
    EXPECT_EQ(doubleToText(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(doubleToText(123456789012345.0), "123456789012345");
    EXPECT_EQ(doubleToText(1234567890123456.0), "1.23456789012346E+15");
    EXPECT_EQ(doubleToText(1e15), "1E+15");
    EXPECT_EQ(doubleToText(1.5e-7), "1.5E-07");
    EXPECT_EQ(doubleToText(-0.0001), "-0.0001");
    EXPECT_EQ(doubleToText(0.00012345), "0.00012345");
    EXPECT_EQ(doubleToText(0.00001), "1E-05");
    EXPECT_EQ(doubleToText(1e100), "1E+100");
    EXPECT_EQ(doubleToText(std::numeric_limits<double>::infinity()), "1.#INF");
}

TEST(NumberText, SingleAndCurrency)
{
    EXPECT_EQ(singleToText(3.14159265f), "3.141593");
    EXPECT_EQ(singleToText(1.0f / 3), "0.3333333");
    EXPECT_EQ(singleToText(1e20f), "1E+20");
    EXPECT_EQ(singleToText(0.1f), "0.1");
    EXPECT_EQ(currencyToText(0), "0");
    EXPECT_EQ(currencyToText(12345), "1.2345");
    EXPECT_EQ(currencyToText(-125000), "-12.5");
    EXPECT_EQ(currencyToText(10000), "1");
    EXPECT_EQ(currencyToText(1), "0.0001");
    EXPECT_EQ(currencyToText(9223372036854775807LL), "922337203685477.5807");
    EXPECT_EQ(currencyToText(-9223372036854775807LL - 1), "-922337203685477.5808");
}

TEST(FormatNumber, DefaultsGroupAndTwoDecimals)
{
    EXPECT_EQ(number(1234567.891), "1,234,567.89");
    EXPECT_EQ(number(0), "0.00");
    EXPECT_EQ(number(-1234.5), "-1,234.50");
    EXPECT_EQ(number(999.999), "1,000.00");
    EXPECT_EQ(number(1e20), "100,000,000,000,000,000,000.00");
    EXPECT_EQ(number(123.456, 0), "123");
    EXPECT_EQ(number(0.000001, 8), "0.00000100");
}

TEST(FormatNumber, RoundsHalvesAwayFromZero)
{
    EXPECT_EQ(number(0.5, 0), "1");
    EXPECT_EQ(number(1.5, 0), "2");
    EXPECT_EQ(number(2.5, 0), "3");
    EXPECT_EQ(number(-2.5, 0), "-3");
    EXPECT_EQ(number(2.675, 2), "2.68"); // 2.67499999... in binary
    EXPECT_EQ(number(1.005, 2), "1.01");
    EXPECT_EQ(number(0.05, 1), "0.1");
    EXPECT_EQ(number(0.004, 2), "0.00");
    EXPECT_EQ(number(-0.001, 2), "-0.00");
    EXPECT_EQ(number(9.995, 2), "10.00");
}

TEST(FormatNumber, TristateOptions)
{
    EXPECT_EQ(number(0.5, 2, 0), ".50");
    EXPECT_EQ(number(-0.5, 2, 0), "-.50");
    EXPECT_EQ(number(0.25, 1, 0), ".3");
    EXPECT_EQ(number(0.4, 0, 0), "0");
    EXPECT_EQ(number(-1234.5, 2, -1, -1), "(1,234.50)");
    EXPECT_EQ(number(-1234.5, 2, -1, -1, 0), "(1234.50)");
    EXPECT_EQ(number(1234.5, 2, -1, 0, 0), "1234.50");
    EXPECT_EQ(number(1234.5, 2, -1, -2, -1), "1,234.50");
    std::string out;
    EXPECT_FALSE(formatNumber(1, NumberFormatOptions{-2, -2, -2, -2}, out));
    EXPECT_FALSE(formatNumber(1, NumberFormatOptions{2, 1, -2, -2}, out));
    EXPECT_FALSE(formatNumber(1, NumberFormatOptions{2, -2, 5, -2}, out));
    EXPECT_FALSE(formatNumber(1, NumberFormatOptions{kMaxFormatDigits + 1, -2, -2, -2}, out));
    EXPECT_FALSE(formatNumber(std::nan(""), NumberFormatOptions{}, out));
}

TEST(FormatPercentAndCurrency, Texts)
{
    EXPECT_EQ(percent(0.125), "12.50%");
    EXPECT_EQ(percent(1234.5, 0), "123,450%");
    EXPECT_EQ(percent(-0.5, 1), "-50.0%");
    EXPECT_EQ(percent(-0.5, 1, -1, -1), "(50.0%)");
    EXPECT_EQ(percent(0.001, 1, 0), ".1%");
    EXPECT_EQ(currency(1234.5), "$1,234.50");
    EXPECT_EQ(currency(1234.5, 0), "$1,235");
    EXPECT_EQ(currency(-1234.5), "($1,234.50)");
    EXPECT_EQ(currency(-0.5, 2, 0, 0), "-$.50");
    EXPECT_EQ(currency(0), "$0.00");
}

TEST(NumericParsing, AcceptedTexts)
{
    EXPECT_EQ(parsed("12"), "12");
    EXPECT_EQ(parsed("  12  "), "12");
    EXPECT_EQ(parsed("\t5"), "5");
    EXPECT_EQ(parsed("-.5"), "-0.5");
    EXPECT_EQ(parsed("+.5e-1"), "0.05");
    EXPECT_EQ(parsed("1."), "1");
    EXPECT_EQ(parsed("1e3"), "1000");
    EXPECT_EQ(parsed("1E+3"), "1000");
    EXPECT_EQ(parsed("1,234.5"), "1234.5");
    EXPECT_EQ(parsed("12,34,5"), "12345");
    EXPECT_EQ(parsed("1,234,"), "1234");
    EXPECT_EQ(parsed("$12"), "12");
    EXPECT_EQ(parsed("$ 12"), "12");
    EXPECT_EQ(parsed("12$"), "12");
    EXPECT_EQ(parsed("-$12"), "-12");
    EXPECT_EQ(parsed("(12)"), "-12");
    EXPECT_EQ(parsed("($12)"), "-12");
    EXPECT_EQ(parsed("12-"), "-12");
    EXPECT_EQ(parsed("12 -"), "-12");
    EXPECT_EQ(parsed("- 12"), "-12");
    EXPECT_EQ(parsed("1e-400"), "0");
}

TEST(NumericParsing, HexAndOctal)
{
    EXPECT_EQ(parsed("&H1F"), "31");
    EXPECT_EQ(parsed(" &h1f "), "31");
    EXPECT_EQ(parsed("&HFFFF"), "65535");
    EXPECT_EQ(parsed("&H7FFFFFFF"), "2147483647");
    EXPECT_EQ(parsed("&H80000000"), "-2147483648");
    EXPECT_EQ(parsed("&HFFFFFFFF"), "-1");
    EXPECT_EQ(parsed("&O777"), "511");
    EXPECT_EQ(parsed("&o17"), "15");
    EXPECT_EQ(parsed("&H100000000"), "<no>");
    EXPECT_EQ(parsed("&H"), "<no>");
    EXPECT_EQ(parsed("&O8"), "<no>");
    EXPECT_EQ(parsed("&Q1"), "<no>");
    EXPECT_EQ(parsed("-&H1F"), "<no>");
}

TEST(NumericParsing, RejectedTexts)
{
    for (const char* bad :
         {"",     "  ",   ".",      "-",     "+",   "1e",  "1e+", "--1", "+-1", "1 2", "1.2.3",   ",1",    "12%",
          "+12+", "0x1F", "1.#INF", "1e400", "(12", "12)", "abc", "1d2", "$",   "$$1", "1,2.3.4", "(-12)-"}) {
        double v = 0;
        EXPECT_FALSE(parseNumericText(bad, v)) << bad;
    }
}

TEST(NumericParsing, OverflowIsToldApart)
{
    double v = 0;
    bool overflow = false;
    EXPECT_FALSE(parseNumericText("1e400", v, &overflow));
    EXPECT_TRUE(overflow);
    EXPECT_FALSE(parseNumericText("-1,000e999", v, &overflow));
    EXPECT_TRUE(overflow);
    EXPECT_FALSE(parseNumericText("&H100000000", v, &overflow));
    EXPECT_TRUE(overflow);
    EXPECT_FALSE(parseNumericText("&H1000000000G", v, &overflow));
    EXPECT_FALSE(overflow);
    EXPECT_FALSE(parseNumericText("1e4x", v, &overflow));
    EXPECT_FALSE(overflow);
    EXPECT_TRUE(parseNumericText("1e300", v, &overflow));
    EXPECT_FALSE(overflow);
}

TEST(NumberText, IgnoresTheProcessLocale)
{
    // A host may switch the C locale to its user's; script text stays en-US.
    std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    const char* chosen = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE", "fr_FR"})
        if ((chosen = std::setlocale(LC_NUMERIC, name)))
            break;
    if (!chosen)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    std::string out;
    EXPECT_EQ(doubleToText(2.5), "2.5");
    EXPECT_EQ(singleToText(0.25f), "0.25");
    EXPECT_TRUE(formatNumber(1234.5, NumberFormatOptions{}, out));
    EXPECT_EQ(out, "1,234.50");
    double v = 0;
    EXPECT_TRUE(parseNumericText("1.5", v));
    EXPECT_EQ(v, 1.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
}
