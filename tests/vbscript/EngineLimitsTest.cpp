// What no script may do to the engine: each case once crashed it, read freed
// memory or grew the process without bound. Each must now end normally or
// with the VBScript error in the table.
#include "vbscript/ScriptControl.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

using namespace ravelin::vbs;
using ravelin::test::repeat;

namespace {

struct LimitCase {
    const char* name;
    std::string code;
    int number; // 0: ends normally
};

// A class whose instances count their Class_Terminate runs in `terminated`.
const std::string counted = "Dim terminated : terminated = 0\n"
                            "Class Node\n"
                            "  Public nxt, self, arr(2)\n"
                            "  Private Sub Class_Terminate() : terminated = terminated + 1 : End Sub\n"
                            "End Class\n";

std::vector<LimitCase> limitCases()
{
    return {
        // Element counts that wrap, overflow or go negative.
        {"redim_count_wraps", "ReDim a(65535, 65535, 65535, 65535)\na(1, 2, 3, 4) = 1", 7},
        {"redim_bound_overflows", "ReDim a(2147483647)", 7},
        {"redim_over_cap", "ReDim a(8000, 9000)", 7},
        {"redim_negative", "ReDim a(-2)", 9},
        {"redim_empty_then_huge", "ReDim a(-1, 2147483647)", 7},
        // Depth: evaluation, Execute and Eval recursion, nested single-line Ifs, long operator chains.
        {"postfix_chain", "x = a" + repeat("(1)", 50000), 28},
        {"execute_recursion", "s = \"Execute s\"\nExecute s", 28},
        {"executeglobal_recursion", "s = \"ExecuteGlobal s\"\nExecuteGlobal s", 28},
        {"eval_recursion", "s = \"Eval(s)\"\nx = Eval(s)", 28},
        {"inline_if_nesting", repeat("If True Then ", 60000) + "x = 1", 28},
        {"operator_chain", "x = 1" + repeat(" + 1", 100000), 28},
        // Releasing deep values must not recurse.
        {"deep_array", "For i = 1 To 300000 : a = Array(a) : Next\na = Empty", 0},
        {"deep_dictionary",
         "Set d = Nothing\nFor i = 1 To 300000\n  Set n = CreateObject(\"Scripting.Dictionary\")\n  n.Add 1, d\n"
         "  Set d = n\nNext\nSet n = Nothing\nSet d = Nothing",
         0},
        {"deep_object_list",
         counted
             + "Set head = Nothing\nFor i = 1 To 300000\n  Set n = New Node\n  Set n.nxt = head\n  Set head = n\nNext\n"
               "Set n = Nothing\nSet head = Nothing\nIf terminated <> 300000 Then Err.Raise 1000",
         0},
        // Strings past the cap are error 14, trappable; so is memory running out.
        {"string_doubling", "s = \"x\"\nDo : s = s & s : Loop", 14},
        {"string_doubling_trapped",
         "On Error Resume Next\ns = \"x\"\nDo : s = s & s : Loop Until Err.Number <> 0\nn = Err.Number\n"
         "On Error GoTo 0\nIf n <> 14 Then Err.Raise 1000",
         0},
        {"space_over_cap", "s = Space(300000000)", 14},
        {"string_over_cap", "s = String(300000000, \"a\")", 14},
        {"replace_over_cap", "s = Replace(Space(20000), \" \", Space(20000))", 14},
        // Script code running inside an operation changes what the operation works on.
        {"subscript_reassigns_array", "ReDim a(3)\nFunction F() : a = 5 : F = 1 : End Function\nx = a(F())", 13},
        {"subscript_reassigns_target", "ReDim a(3)\nFunction F() : a = 5 : F = 1 : End Function\na(F()) = 1", 13},
        {"subscript_reassigns_byref",
         "ReDim a(3)\nFunction F() : a = 5 : F = 1 : End Function\nSub S(ByRef v) : v = 2 : End Sub\nS a(F())", 13},
        {"subscript_default_property_redims",
         "ReDim a(1000)\nClass Idx\n  Public Default Property Get Value() : ReDim a(0) : Value = 900 : End Property\n"
         "End Class\nSet o = New Idx\nx = a(o)",
         9},
        {"erase_terminator_reassigns",
         "Class T\n  Private Sub Class_Terminate() : a = 5 : End Sub\nEnd Class\nDim a(3)\nSet a(1) = New T\n"
         "Set a(2) = New T\nErase a",
         0},
        {"removeall_terminator_adds",
         "Class T\n  Private Sub Class_Terminate() : d.Add CStr(Rnd), 1 : End Sub\nEnd Class\n"
         "Set d = CreateObject(\"Scripting.Dictionary\")\nFor i = 1 To 20 : d.Add i, New T : "
         "Next\nd.RemoveAll\nd.Remove 1",
         32811},
        {"remove_terminator_adds",
         "Class T\n  Private Sub Class_Terminate() : d.Add \"k\" & d.Count, 1 : End Sub\nEnd Class\n"
         "Set d = CreateObject(\"Scripting.Dictionary\")\nd.Add 1, New T\nd.Remove 1\n"
         "If d.Count <> 1 Then Err.Raise 1000",
         0},
        // An object that stores Me from its own Class_Terminate lives on and terminates once.
        {"terminate_resurrects",
         counted
             + "Dim g\nClass R\n  Public v\n  Private Sub Class_Terminate()\n"
               "    Set g = Me : terminated = terminated + 1\n  End Sub\nEnd Class\nSet o = New R\no.v = 7\n"
               "Set o = Nothing\nIf g.v <> 7 Then Err.Raise 1000\nSet g = Nothing\nIf terminated <> 1 Then Err.Raise "
               "1001",
         0},
        {"terminate_self_field",
         "Class R\n  Public me2\n  Private Sub Class_Terminate() : Set me2 = Me : End Sub\nEnd Class\n"
         "Set o = New R\nSet o = Nothing",
         0},
        // Dates out of range.
        {"dateserial_month_overflow", "x = DateSerial(2000, -2147483648, 1)", 5},
        {"cdate_huge_text", "x = CDate(\"1E300\")", 6},
    };
}

class EngineLimits : public ::testing::TestWithParam<LimitCase> {};

TEST_P(EngineLimits, EndWithAnErrorNotACrash)
{
    const LimitCase& c = GetParam();
    ScriptControl sc;
    sc.setTimeout(60000);
    bool ok = sc.addCode(c.code);
    EXPECT_EQ(sc.error().number, c.number) << sc.error().description << " at line " << sc.error().line;
    EXPECT_EQ(ok, c.number == 0);
    // The engine is still usable after it.
    sc.reset();
    EXPECT_EQ(sc.eval("1 + 1").value_or(Variant()).toLong(), 2);
}

INSTANTIATE_TEST_SUITE_P(Table, EngineLimits, ::testing::ValuesIn(limitCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// A failed ExecuteGlobal leaves nothing of its unit behind, and a procedure
// it would have replaced keeps working.
TEST(TransactionalCompile, FailedExecuteGlobalChangesNothing)
{
    ScriptControl sc;
    ASSERT_TRUE(sc.addCode("x = 0\nSub Keep()\n  x = 1\nEnd Sub"));
    ASSERT_TRUE(sc.addCode("On Error Resume Next\n"
                           "ExecuteGlobal \"Sub Good()\" & vbCrLf & \"End Sub\" & vbCrLf & \"Sub Keep()\" & vbCrLf & "
                           "\"x = 2\" & vbCrLf & \"End Sub\" & vbCrLf & \"Sub Bad(a, a)\" & vbCrLf & \"End Sub\"\n"
                           "n = Err.Number\nOn Error GoTo 0"));
    EXPECT_EQ(sc.eval("n")->toLong(), 1041);
    ASSERT_EQ(sc.procedures().size(), 1u);
    EXPECT_EQ(sc.procedures()[0].name, "Keep");
    ASSERT_TRUE(sc.run("Global", "Keep"));
    EXPECT_EQ(sc.eval("x")->toLong(), 1);
    EXPECT_FALSE(sc.addCode("Good"));
}

// A host object held by a reference cycle is let go when the engine resets.
class Probe : public Object {
public:
    std::string typeName() const override { return "Probe"; }
};

TEST(CycleBreaking, ResetAndTheEngineGoingAwayFreeCycles)
{
    Ref<Object> probe(new Probe);
    {
        ScriptControl sc;
        ASSERT_TRUE(sc.addObject("Probe", probe, false));
        ASSERT_TRUE(
            sc.addCode(counted
                       + "Set a = New Node\nSet a.self = a\nSet a.nxt = Probe\n"
                         "Set d = CreateObject(\"Scripting.Dictionary\")\nd.Add \"me\", d\nd.Add \"p\", Probe\n"
                         "Set b = New Node\nSet b.nxt = d\nSet d2 = CreateObject(\"Scripting.Dictionary\")\n"
                         "Set d2(\"b\") = b\nSet b.arr(1) = d2\nSet a = Nothing : Set d = Nothing : Set b = Nothing\n"
                         "Set d2 = Nothing"));
        EXPECT_GT(probe->refCount(), 1u);
        sc.reset();
        EXPECT_EQ(probe->refCount(), 1u);
        ASSERT_TRUE(sc.addObject("Probe", probe, false));
        ASSERT_TRUE(sc.addCode(counted + "Set a = New Node\nSet a.self = a\nSet a.nxt = Probe"));
    }
    EXPECT_EQ(probe->refCount(), 1u);
}

// A loop of operations too long to finish still stops at the time limit, and
// another thread can stop a script that has no time limit.
TEST(TimeLimit, StopsARunawayLoopOfLongOperationsAndAStopRequestFromAnotherThreadEndsTheScript)
{
    ScriptControl sc;
    sc.setTimeout(2000);
    EXPECT_FALSE(
        sc.addCode("On Error Resume Next\ns = \"x\"\nDo\n  s = s & s\n  If Err.Number <> 0 Then s = \"x\"\nLoop"));
    EXPECT_EQ(sc.error().number, 1799);
    sc.setTimeout(0);
    std::atomic<bool> done{false};
    std::thread stopper([&] {
        while (!done.load())
            sc.requestStop(); // until it lands inside the run
    });
    bool ok = sc.addCode("Do\nLoop");
    done = true;
    stopper.join();
    EXPECT_FALSE(ok);
    EXPECT_EQ(sc.error().number, 1799);
}

} // namespace
