// Compile errors from a table: each case checks number, line and column together.
#include "vbscript/ScriptControl.h"

#include <gtest/gtest.h>

using namespace ravelin::vbs;

namespace {

struct CompileCase {
    const char* name;
    const char* code;
    int number;
    int line;
    int column;
};

const CompileCase compileCases[] = {
    {"expected_expression", "x = 1 +\n", 1023, 1, 8},
    {"unterminated_string", "x = 1\ny = \"abc\n", 1033, 2, 5},
    {"expected_then", "If x = 1\n  y = 2\nEnd If", 1017, 1, 9},
    {"expected_end_if", "If x Then\n  y = 2\n", 1014, 3, 1},
    {"expected_next", "For i = 1 To 3\n  y = i\n", 1020, 3, 1},
    {"expected_loop", "Do\n  y = 1\n", 1019, 3, 1},
    {"expected_wend", "While x\n", 1018, 2, 1},
    {"loop_without_do", "x = 1\nLoop\n", 1038, 2, 1},
    {"unexpected_next", "Next\n", 1055, 1, 1},
    {"expected_end_sub", "Sub A()\n  x = 1\n", 1016, 3, 1},
    {"expected_end_function", "Function F()\n", 1015, 2, 1},
    {"expected_rparen", "x = Len(\"a\"\n", 1006, 1, 12},
    {"expected_identifier", "Dim 5\n", 1010, 1, 5},
    {"expected_equals_in_const", "Const A 5\n", 1011, 1, 9},
    {"expected_end_of_statement", "x = 1 2\n", 1025, 1, 7},
    {"invalid_character", "x = 1 ? 2\n", 1032, 1, 7},
    {"expected_to", "For i = 1 3\nNext\n", 1013, 1, 11},
    {"expected_in", "For Each x Of y\nNext\n", 1046, 1, 12},
    {"expected_select_case", "Select x\n", 1021, 1, 8},
    {"invalid_exit", "Sub S()\n  Exit Function\nEnd Sub\n", 1039, 2, 3},
    {"exit_sub_outside", "Exit Sub\n", 1039, 1, 1},
    {"syntax_on_error", "On Error Goto Handler\n", 1002, 1, 15},
    {"property_outside_class", "Property Get P()\nEnd Property\n", 1048, 1, 10},
    {"parens_on_sub_call", "Sub S(a, b)\nEnd Sub\nS(1, 2)\n", 1044, 3, 1},
    {"me_outside_class", "x = Me\n", 1037, 1, 5},
    {"expected_let_set_get", "Class C\nProperty Foo()\nEnd Property\nEnd Class\n", 1049, 2, 10},
    {"init_with_arguments", "Class C\nSub Class_Initialize(a)\nEnd Sub\nEnd Class\n", 1053, 2, 1},
    {"continuation_counts_lines", "x = 1 + _\n    2 +\n", 1023, 2, 8},
    {"position_after_colon", "x = 1 : y = (2\n", 1006, 1, 15},
    // Found by resolution after the unit's procedures were already declared:
    // the whole unit must be dropped, and the error points at the second name.
    {"parameter_named_twice", "Sub Good()\nEnd Sub\nSub Bad(a, a)\nEnd Sub\n", 1041, 3, 12},
    {"field_declared_twice", "Sub Good()\nEnd Sub\nClass C\nPublic x\nPrivate x\nEnd Class\n", 1041, 5, 9},
    {"module_dim_twice", "Dim a\nDim b, a\n", 1041, 2, 8},
    {"const_after_dim", "Dim k\nConst k = 1\n", 1041, 2, 7},
    {"sub_after_a_dim_of_its_name", "Dim x\nSub x()\nEnd Sub\n", 1041, 2, 5},
    {"dim_after_a_class_of_its_name", "Class x\nEnd Class\nPrivate x\n", 1041, 3, 9},
    {"local_dim_twice", "Sub S()\nDim y\nDim y\nEnd Sub\n", 1041, 3, 5},
    {"local_dim_named_like_a_parameter", "Sub S(p)\nConst p = 1\nEnd Sub\n", 1041, 2, 7},
    {"terminate_with_arguments", "Sub Good()\nEnd Sub\nClass C\nSub Class_Terminate(a)\nEnd Sub\nEnd Class\n", 1053, 4,
     1},
    {"class_array_bound_not_constant", "Class C\nPublic n\nPublic arr(n)\nEnd Class\n", 1026, 3, 12},
    {"class_array_bound_from_method",
     "Class C\nPublic arr(Size())\nFunction Size()\nSize = 2\nEnd Function\nEnd Class\n", 1026, 2, 12},
    {"const_not_literal", "Sub Good()\nEnd Sub\nConst K = Len(\"a\")\n", 1045, 3, 11},
    {"postfix_chain_too_deep", nullptr, 28, 1, 0},
};

class CompileErrors : public ::testing::TestWithParam<CompileCase> {};

std::string codeOf(const CompileCase& c)
{
    if (c.code)
        return c.code;
    // Never evaluated, yet every walk after the parser would recurse once per suffix.
    std::string chain = "If False Then x = a";
    for (int i = 0; i < 300000; ++i)
        chain += "(1)";
    return chain + "\n";
}

TEST_P(CompileErrors, ReportNumberLineAndColumn)
{
    const CompileCase& c = GetParam();
    ScriptControl sc;
    EXPECT_FALSE(sc.addCode(codeOf(c)));
    EXPECT_EQ(sc.error().number, c.number) << sc.error().description;
    EXPECT_EQ(sc.error().line, c.line);
    if (c.column) {
        EXPECT_EQ(sc.error().column, c.column);
    }
    // Nothing of a unit that failed to compile is left behind.
    EXPECT_TRUE(sc.procedures().empty());
    EXPECT_EQ(sc.error().source,
              c.number == 28 ? "Microsoft VBScript runtime error" : "Microsoft VBScript compilation error");
    EXPECT_EQ(sc.error().description, errorMessage(c.number));
}

TEST(CompileErrorLimits, DeepNestingIsAnErrorNotACrash)
{
    ScriptControl sc;
    std::string code = "x = " + std::string(20000, '(') + "1" + std::string(20000, ')');
    EXPECT_FALSE(sc.addCode(code));
    EXPECT_EQ(sc.error().number, 28);
    EXPECT_EQ(sc.error().line, 1);
    std::string ifs;
    for (int i = 0; i < 5000; ++i)
        ifs += "If True Then\n";
    EXPECT_FALSE(sc.addCode(ifs));
    EXPECT_EQ(sc.error().number, 28);
}

TEST(CompileErrorLimits, RunawayRecursionIsOutOfStackSpace)
{
    ScriptControl sc;
    EXPECT_FALSE(sc.addCode("Function D(n)\n  D = 1 + D(n + 1)\nEnd Function\nx = D(0)"));
    EXPECT_EQ(sc.error().number, 28);
    EXPECT_EQ(sc.error().line, 2);
}

INSTANTIATE_TEST_SUITE_P(Table, CompileErrors, ::testing::ValuesIn(compileCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
