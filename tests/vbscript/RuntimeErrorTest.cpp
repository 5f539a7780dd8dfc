// Run-time errors from a table: number, line and column of the failing
// statement together, plus the ravelin-vbs report format.
#include "vbscript/ScriptControl.h"

#include "support/ChildProcess.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace ravelin::vbs;
using ravelin::test::CommandResult;

namespace {

struct RuntimeCase {
    const char* name;
    const char* code;
    int number;
    int line;
    int column;
};

const RuntimeCase runtimeCases[] = {
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
};

class RuntimeErrors : public ::testing::TestWithParam<RuntimeCase> {};

TEST_P(RuntimeErrors, ReportNumberLineAndColumn)
{
    const RuntimeCase& c = GetParam();
    ScriptControl sc;
    EXPECT_FALSE(sc.addCode(c.code));
    EXPECT_EQ(sc.error().number, c.number) << sc.error().description;
    EXPECT_EQ(sc.error().line, c.line);
    EXPECT_EQ(sc.error().column, c.column);
    EXPECT_FALSE(sc.error().description.empty());
}

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

TEST(RavelinVbs, ArgumentsQuitAndScriptName)
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
}

TEST(RavelinVbs, HelpTimeoutAndQuitUnderResumeNext)
{
    ravelin::test::TempDir dir;
    CommandResult help = runVbs({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--timeout SECONDS"), std::string::npos) << help.out;

    std::string loop = (dir.path() / "loop.vbs").string();
    std::ofstream(loop) << "On Error Resume Next\nDo\nLoop\n";
    CommandResult timedOut = runVbs({"--timeout", "0.5", loop});
    EXPECT_EQ(timedOut.status, 1);
    EXPECT_EQ(timedOut.out + timedOut.err, loop + "(2, 1) error 1799: Script timed out\n");
    EXPECT_EQ(runVbs({"--timeout", "soon", loop}).status, 2);

    // Quit is not an error a script can resume past.
    std::string quit = (dir.path() / "quit.vbs").string();
    std::ofstream(quit) << "On Error Resume Next\nWScript.Quit 4\nWScript.Echo \"not reached\"\n";
    CommandResult q = runVbs({quit});
    EXPECT_EQ(q.status, 4);
    EXPECT_EQ(q.out + q.err, "");
}

} // namespace
