// Number text both ways, the cases format.vbs does not reach through the
// built-ins: extremes, the rounding of halves, every tristate, and the
// numeric text the parser refuses or reads as overflow.
#include "vbscript/NumberFormat.h"
#include "vbscript/ScriptControl.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

using namespace ravelin::vbs;

namespace {

using Format = bool (*)(double, const NumberFormatOptions&, std::string&);

std::string format(Format f, double v, int digits = -1, int lead = -2, int parens = -2, int group = -2)
{
    std::string out;
    EXPECT_TRUE(f(v, NumberFormatOptions{digits, lead, parens, group}, out)) << v;
    return out;
}

std::string number(double v, int digits = -1, int lead = -2, int parens = -2, int group = -2)
{
    return format(formatNumber, v, digits, lead, parens, group);
}

std::string parsed(std::string_view text)
{
    double v = 0;
    return parseNumericText(text, v) ? doubleToText(v) : "<no>";
}

} // namespace

TEST(NumberText, DoubleSingleAndCurrencyExtremes)
{
    EXPECT_EQ(doubleToText(0), "0");
    EXPECT_EQ(doubleToText(-0.0), "0");
    EXPECT_EQ(doubleToText(-2.5), "-2.5");
    EXPECT_EQ(doubleToText(0.00012345), "0.00012345");
    EXPECT_EQ(doubleToText(1e100), "1E+100");
    EXPECT_EQ(doubleToText(std::numeric_limits<double>::infinity()), "1.#INF");
    EXPECT_EQ(singleToText(0.1f), "0.1");
    EXPECT_EQ(currencyToText(0), "0");
    EXPECT_EQ(currencyToText(1), "0.0001");
    EXPECT_EQ(currencyToText(9223372036854775807LL), "922337203685477.5807");
    EXPECT_EQ(currencyToText(-9223372036854775807LL - 1), "-922337203685477.5808");
}

TEST(FormatNumber, RoundingAndTristates)
{
    const std::pair<std::string, std::string> cases[] = {
        {number(1e20), "100,000,000,000,000,000,000.00"},
        {number(0.5, 0), "1"},
        {number(1.5, 0), "2"},
        {number(1.005, 2), "1.01"},
        {number(0.05, 1), "0.1"},
        {number(0.004, 2), "0.00"},
        {number(-0.001, 2), "-0.00"},
        {number(9.995, 2), "10.00"},
        {number(-0.5, 2, 0), "-.50"},
        {number(0.25, 1, 0), ".3"},
        {number(0.4, 0, 0), "0"},
        {number(-1234.5, 2, -1, -1, 0), "(1234.50)"},
        {number(1234.5, 2, -1, 0, 0), "1234.50"},
        {number(1234.5, 2, -1, -2, -1), "1,234.50"},
        {format(formatPercent, 1234.5, 0), "123,450%"},
        {format(formatPercent, -0.5, 1), "-50.0%"},
        {format(formatPercent, 0.001, 1, 0), ".1%"},
        {format(formatCurrencyValue, 1234.5, 0), "$1,235"},
        {format(formatCurrencyValue, -0.5, 2, 0, 0), "-$.50"},
        {format(formatCurrencyValue, 0), "$0.00"},
    };
    for (const auto& [got, expected] : cases)
        EXPECT_EQ(got, expected);
    std::string out;
    EXPECT_FALSE(formatNumber(1, NumberFormatOptions{2, 1, -2, -2}, out));
    EXPECT_FALSE(formatNumber(1, NumberFormatOptions{2, -2, 5, -2}, out));
    EXPECT_FALSE(formatNumber(1, NumberFormatOptions{kMaxFormatDigits + 1, -2, -2, -2}, out));
    EXPECT_FALSE(formatNumber(std::nan(""), NumberFormatOptions{}, out));
}

TEST(NumericParsing, AcceptedTexts)
{
    const std::pair<const char*, const char*> cases[] = {
        {"+.5e-1", "0.05"},   {"1.", "1"},         {"1E+3", "1000"},
        {"12,34,5", "12345"}, {"1,234,", "1234"},  {"$ 12", "12"},
        {"12$", "12"},        {"-$12", "-12"},     {"($12)", "-12"},
        {"12 -", "-12"},      {"- 12", "-12"},     {"1e-400", "0"},
        {" &h1f ", "31"},     {"&HFFFF", "65535"}, {"&H7FFFFFFF", "2147483647"},
        {"&HFFFFFFFF", "-1"}, {"&O777", "511"},    {"&H100000000", "<no>"},
        {"&H", "<no>"},       {"&O8", "<no>"},     {"&Q1", "<no>"},
        {"-&H1F", "<no>"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(parsed(input), expected) << input;
}

TEST(NumericParsing, RejectedTexts)
{
    for (const char* bad : {"  ",     "-",     "+",   "1e+", "--1", "1.2.3", ",1", "12%", "+12+",    "0x1F",
                            "1.#INF", "1e400", "(12", "12)", "abc", "1d2",   "$",  "$$1", "1,2.3.4", "(-12)-"}) {
        double v = 0;
        EXPECT_FALSE(parseNumericText(bad, v)) << bad;
    }
}

TEST(NumericParsing, OverflowIsToldApart)
{
    const std::pair<const char*, bool> cases[] = {
        {"1e400", true}, {"-1,000e999", true}, {"&H100000000", true}, {"&H1000000000G", false}, {"1e4x", false},
    };
    for (const auto& [input, overflows] : cases) {
        double v = 0;
        bool overflow = !overflows;
        EXPECT_FALSE(parseNumericText(input, v, &overflow)) << input;
        EXPECT_EQ(overflow, overflows) << input;
    }
    double v = 0;
    bool overflow = true;
    EXPECT_TRUE(parseNumericText("1e300", v, &overflow));
    EXPECT_FALSE(overflow);
}

TEST(NumberText, IgnoresTheProcessLocale)
{
    // A host may switch the C locale to its user's; numbers in script text
    // and their text stay en-US.
    std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    const char* chosen = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE", "fr_FR"})
        if ((chosen = std::setlocale(LC_NUMERIC, name)))
            break;
    if (!chosen)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    EXPECT_EQ(doubleToText(2.5), "2.5");
    EXPECT_EQ(singleToText(0.25f), "0.25");
    EXPECT_EQ(number(1234.5), "1,234.50");
    double v = 0;
    EXPECT_TRUE(parseNumericText("1.5", v));
    EXPECT_EQ(v, 1.5);
    EXPECT_EQ(ScriptControl().eval("1.5 * 2")->toDouble(), 3.0);
    std::setlocale(LC_NUMERIC, saved.c_str());
}
