// Errors from a table: each case checks number, line and column together,
// and that nothing of a unit that failed to compile is left behind; then
// the ravelin-vbs report format.
#include "vbscript/ScriptControl.h"

#include "support/ChildProcess.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

using namespace ravelin::vbs;
using ravelin::test::CommandResult;
using ravelin::test::repeat;

namespace {

struct ErrorCase {
    const char* name;
    std::string code;
    int number;
    int line, column; // 0: not checked
};

const ErrorCase compileCases[] = {
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
    // Never evaluated, yet every walk after the parser would recurse once per suffix.
    {"postfix_chain_too_deep", "If False Then x = a" + repeat("(1)", 300000) + "\n", 28, 1, 0},
    {"parentheses_too_deep", "x = " + std::string(20000, '(') + "1" + std::string(20000, ')'), 28, 1, 0},
    {"block_ifs_too_deep", repeat("If True Then\n", 5000), 28, 0, 0},
};

const ErrorCase runtimeCases[] = {
    {"invalid_call", "x = 1\ny = Mid(\"abc\", 0)", 5, 2, 1},
    {"overflow", "x = CInt(40000)", 6, 1, 1},
    {"subscript", "Dim a(2)\n  a(3) = 1", 9, 2, 3},
    {"fixed_array", "Dim a(2)\nReDim a(4)", 10, 2, 1},
    {"division_by_zero", "x = 0\nIf True Then\n    y = 5 / x\nEnd If", 11, 3, 5},
    {"type_mismatch", "x = \"a\" - 1", 13, 1, 1},
    {"object_not_set", "Dim o\nSet o = Nothing\no.Foo", 91, 3, 1},
    {"invalid_null", "x = CLng(Null)", 94, 1, 1},
    {"object_required", "x = 5\nx.Foo = 1", 424, 2, 1},
    {"cannot_create", "Set o = CreateObject(\"Excel.Application\")", 429, 1, 1},
    {"no_such_member", "Set d = CreateObject(\"Scripting.Dictionary\")\nd.Frobnicate", 438, 2, 1},
    {"wrong_arg_count", "Sub S(a)\nEnd Sub\nS 1, 2", 450, 3, 1},
    {"not_collection", "For Each x In 5\nNext", 451, 1, 1},
    {"key_exists", "Set d = CreateObject(\"Scripting.Dictionary\")\nd.Add 1, 1\nd.Add 1, 1", 457, 3, 1},
    {"variable_undefined", "Option Explicit\nDim a\na = b", 500, 3, 1},
    {"inside_procedure", "Sub Inner()\n  Err.Raise 9\nEnd Sub\nInner", 9, 2, 3},
    {"raise_custom", "Err.Raise 513, \"src\", \"custom\"", 513, 1, 1},
    {"in_class_method", "Class C\nSub M()\n    x = 1 / 0\nEnd Sub\nEnd Class\nSet obj = New C\nobj.M", 11, 3, 5},
    {"runaway_recursion", "Function D(n)\n  D = 1 + D(n + 1)\nEnd Function\nx = D(0)", 28, 2, 0},
};

class CompileErrors : public ::testing::TestWithParam<ErrorCase> {};
class RuntimeErrors : public ::testing::TestWithParam<ErrorCase> {};

void expectError(const ErrorCase& c, bool compiles)
{
    ScriptControl sc;
    EXPECT_FALSE(sc.addCode(c.code));
    EXPECT_EQ(std::make_tuple(sc.error().number, c.line ? sc.error().line : 0, c.column ? sc.error().column : 0),
              std::make_tuple(c.number, c.line, c.column))
        << sc.error().description;
    EXPECT_FALSE(sc.error().description.empty());
    if (compiles)
        return;
    EXPECT_EQ(sc.error().description, errorMessage(c.number));
    EXPECT_TRUE(sc.procedures().empty());
    EXPECT_EQ(sc.error().source,
              c.number == 28 ? "Microsoft VBScript runtime error" : "Microsoft VBScript compilation error");
}

TEST_P(CompileErrors, ReportNumberLineAndColumn) { expectError(GetParam(), false); }
TEST_P(RuntimeErrors, ReportNumberLineAndColumn) { expectError(GetParam(), true); }

INSTANTIATE_TEST_SUITE_P(Table, CompileErrors, ::testing::ValuesIn(compileCases),
                         [](const auto& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(Table, RuntimeErrors, ::testing::ValuesIn(runtimeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ravelin-vbs with these arguments, to its end.
CommandResult runVbs(std::vector<std::string> args)
{
    args.insert(args.begin(), (ravelin::test::binDir() / "ravelin-vbs").string());
    return ravelin::test::runCommand(args);
}

TEST(RavelinVbs, UncaughtErrorIsReportedWithFileLineColumnAndExitCode)
{
    ravelin::test::TempDir dir;
    std::string script = (dir.path() / "fail.vbs").string();
    std::ofstream(script) << "WScript.Echo \"before\"\nDim x\n  x = 1 / 0\nWScript.Echo \"after\"\n";
    CommandResult r = runVbs({script});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "before\n");
    EXPECT_EQ(r.err, script + "(3, 3) error 11: Division by zero\n");
}

TEST(RavelinVbs, ArgumentsScriptNameHelpTimeoutAndQuitEvenUnderResumeNext)
{
    ravelin::test::TempDir dir;
    std::string script = (dir.path() / "args.vbs").string();
    std::ofstream(script)
        << "Dim a, s\nFor Each a In WScript.Arguments : s = s & \"[\" & a & \"]\" : Next\n"
           "WScript.StdOut.Write WScript.ScriptName & \" \" & WScript.Arguments.Count & \" \" & s\n"
           "WScript.StdOut.WriteLine \"|\" & WScript.Arguments(1)\nWScript.Quit 7\nWScript.Echo \"not reached\"\n";
    CommandResult r = runVbs({script, "one", "two words"});
    EXPECT_EQ(r.status, 7);
    EXPECT_EQ(r.out, "args.vbs 2 [one][two words]|two words\n");

    CommandResult help = runVbs({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--timeout SECONDS"), std::string::npos) << help.out;

    // A limit that runs out: the limits/*.vbs tests.
    EXPECT_EQ(runVbs({"--timeout", "soon", "x.vbs"}).status, 2);

    // Quit is not an error a script can resume past.
    std::string quit = (dir.path() / "quit.vbs").string();
    std::ofstream(quit) << "On Error Resume Next\nWScript.Quit 4\nWScript.Echo \"not reached\"\n";
    CommandResult q = runVbs({"--timeout", "0.5", quit}); // a fraction of a second is a limit too
    EXPECT_EQ(q.status, 4);
    EXPECT_EQ(q.out + q.err, "");
}

} // namespace
