// The host interface: modules, procedures, running with arguments, error
// state, host objects and their global members, the time limit, reset.
#include "vbscript/ScriptControl.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>

using namespace ravelin::vbs;

namespace {

// A host object like the main window: a method, a property, a ByRef method,
// one that resets the engine running it, and one that fails in C++.
class TestHost : public Object {
public:
    explicit TestHost(ScriptControl* control = nullptr) : m_control(control) {}
    std::string typeName() const override { return "TestHost"; }
    int memberId(std::string_view name) const override { return table().find(name); }
    const void* memberKey() const override { return &table(); }
    Variant invoke(int id, InvokeKind kind, std::span<Variant> args) override
    {
        switch (id) {
        case 1: // DebugPrint text
            expectArgs(args, 1, 1);
            printed.push_back(args[0].toString());
            return {};
        case 2: // Value property
            if (kind & InvokeLet) {
                value = args.back();
                return {};
            }
            return value;
        case 3: // Double(ByRef n)
            expectArgs(args, 1, 1);
            args[0] = Variant::longInt(args[0].toLong() * 2);
            return {};
        case 4: // Reload
            if (m_control)
                m_control->reset();
            return {};
        case 5: // Boom
            throw std::runtime_error("host failure");
        case 6: // Fail [code]: a host failure, with a text of its own or none
            if (!args.empty())
                raiseCustom(args[0].toLong(), {}, "TestHost");
            raiseCustom(1234, "host said no", "TestHost");
        default: raise(Err::NoSuchMember);
        }
    }

    std::vector<std::string> printed;
    Variant value;

private:
    static const MemberTable& table()
    {
        static const MemberTable t({"DebugPrint", "Value", "Double", "Reload", "Boom", "Fail"});
        return t;
    }
    ScriptControl* m_control;
};

std::vector<std::string> moduleNames(const ScriptControl& sc)
{
    std::vector<std::string> names;
    for (const ModuleInfo& m : sc.modules())
        names.push_back(m.name);
    return names;
}

// A module's procedures as "Name(arguments)", "=" after a function's.
std::string procedureList(const ScriptControl& sc, const std::string& module)
{
    std::string out;
    for (const ProcInfo& p : sc.procedures(module))
        out += (out.empty() ? "" : " ") + p.name + "(" + (p.argumentCount ? std::to_string(p.argumentCount) : "") + ")"
            + (p.hasReturnValue ? "=" : "");
    return out;
}

// The error number a call left, 0 when it succeeded.
template <class Result>
int errorOf(const ScriptControl& sc, const Result& r)
{
    return r ? 0 : sc.error().number;
}

// An engine with a host object whose members are global names, as the
// main window's is.
struct ScriptControlTest : testing::Test {
    ScriptControl sc;
    Ref<TestHost> host{new TestHost(&sc)};
    void SetUp() override { ASSERT_TRUE(sc.addObject("Ravelin", host, true)); }
    long evalLong(const std::string& expression, const std::string& module = "Global")
    {
        auto r = sc.eval(expression, module);
        EXPECT_TRUE(r) << expression << ": " << sc.error().description;
        return r ? r->toLong() : -1;
    }
};

TEST(ScriptControl, ModulesAndProceduresAreListedInCreationOrderAndNamesMayBeDeclaredAgain)
{
    ScriptControl sc;
    EXPECT_TRUE(sc.addModule("Console"));
    EXPECT_TRUE(sc.addModule("global"));
    EXPECT_EQ(moduleNames(sc), (std::vector<std::string>{"Global", "Console", "global"}));
    ASSERT_TRUE(
        sc.addCode("Sub Zed(a, b)\nEnd Sub\nFunction Alpha()\nEnd Function\nSub Mid_(x)\nEnd Sub\n", "Console"));
    EXPECT_EQ(procedureList(sc, "Console"), "Zed(2) Alpha()= Mid_(1)");
    EXPECT_TRUE(sc.procedures("Global").empty());
    // A procedure defined again is listed once and the later one runs.
    ASSERT_TRUE(sc.addCode("Function F() : F = 1 : End Function\nFunction F() : F = 2 : End Function"));
    EXPECT_EQ(sc.procedures().size(), 1u);
    EXPECT_EQ(sc.run("Global", "F")->toLong(), 2);
    // ReDim after Dim, one name in two procedures and at module level, and
    // a later unit declaring a module name again all compile.
    ASSERT_TRUE(sc.addCode("Dim a()\nReDim a(2)\nReDim a(3)\nDim n\n"
                           "Sub S(n)\nDim v\nEnd Sub\nSub T()\nDim v, n\nEnd Sub\n"))
        << sc.error().description;
    EXPECT_TRUE(sc.addCode("Dim n\nConst K = 1\n")) << sc.error().description;
}

TEST(ScriptControl, RunPassesArgumentsWritesByRefBackAndReturnsTheResult)
{
    ScriptControl sc;
    ASSERT_TRUE(sc.addCode("Function Join3(a, b, c)\nJoin3 = a & \"-\" & b & \"-\" & c\nEnd Function\n"
                           "Sub Bump(ByRef n, ByVal m)\nn = n + 1\nm = m + 1\nEnd Sub"));
    auto r = sc.run("Global", "join3", {Variant::string("x"), Variant::longInt(2), Variant::boolean(true)});
    ASSERT_TRUE(r) << sc.error().description;
    EXPECT_EQ(r->toString(), "x-2-True");
    EXPECT_FALSE(sc.hasError());
    std::vector<Variant> args{Variant::longInt(1), Variant::longInt(1)};
    ASSERT_TRUE(sc.run("Global", "Bump", args));
    EXPECT_EQ(args[0].toLong(), 2);
    EXPECT_EQ(args[1].toLong(), 1);
    EXPECT_EQ(errorOf(sc, sc.run("Global", "Bump", {})), 450);
    EXPECT_NE(errorOf(sc, sc.run("Global", "Nowhere", {})), 0);
    EXPECT_NE(errorOf(sc, sc.run("NoModule", "Nowhere", {})), 0);
}

TEST(ScriptControl, ErrorStateCarriesNumberPositionAndSourceLineUntilTheNextSuccess)
{
    ScriptControl sc;
    ASSERT_TRUE(sc.addCode("Sub Fail(data)\n  Dim x\n  x = 1 / 0\nEnd Sub", "Console"));
    EXPECT_FALSE(sc.run("Console", "Fail", {Variant::string("line")}));
    const ScriptError& e = sc.error();
    EXPECT_EQ(std::tie(e.number, e.description, e.line, e.column, e.lineText, e.source),
              std::make_tuple(11, "Division by zero", 3, 3, "  x = 1 / 0", "Microsoft VBScript runtime error"));
    EXPECT_TRUE(sc.addCode("x = 1"));
    EXPECT_FALSE(sc.hasError());
    EXPECT_FALSE(sc.addCode("x = 1 / 0"));
    sc.clearError();
    EXPECT_EQ(std::make_tuple(sc.hasError(), sc.error().number), std::make_tuple(false, 0));
}

TEST_F(ScriptControlTest, AddedObjectMembersAreGlobalNamesAndTopLevelCodeRunsOnAdd)
{
    ASSERT_TRUE(sc.addModule("Console"));
    ASSERT_TRUE(sc.addCode("DebugPrint \"loaded\"\nSub Q3ARVL_say(data)\n  DebugPrint \"said \" & data\n"
                           "  Value = Len(data)\nEnd Sub",
                           "Console"));
    ASSERT_TRUE(sc.run("Console", "Q3ARVL_say", {Variant::string("hello")})) << sc.error().description;
    EXPECT_EQ(host->printed, (std::vector<std::string>{"loaded", "said hello"}));
    EXPECT_EQ(host->value.toLong(), 5);
    EXPECT_EQ(evalLong("Value * 2", "Console"), 10);
    EXPECT_EQ(evalLong("Ravelin.Value + 1"), 6);
    // ByRef arguments of host methods are written back; parentheses pass by value.
    ASSERT_TRUE(sc.addCode("Dim n : n = 21 : Double n : Dim m : m = 5 : Double (m)"));
    EXPECT_EQ(evalLong("n"), 42);
    EXPECT_EQ(evalLong("m"), 5);
}

TEST(ScriptControl, ObjectWithoutAddMembersIsReachableOnlyByName)
{
    ScriptControl sc;
    Ref<TestHost> host(new TestHost);
    ASSERT_TRUE(sc.addObject("Host", host, false));
    ASSERT_TRUE(sc.addCode("Host.DebugPrint \"ok\""));
    EXPECT_EQ(host->printed.size(), 1u);
    EXPECT_EQ(errorOf(sc, sc.addCode("Option Explicit\nDebugPrint \"bare\"")), 500);
}

TEST_F(ScriptControlTest, HostFailuresLandInTheErrorStateWithVBScriptNumbers)
{
    EXPECT_EQ(errorOf(sc, sc.addCode("x = 1\nBoom")), 51);
    EXPECT_EQ(errorOf(sc, sc.addCode("Fail")), 1234);
    EXPECT_EQ(std::tie(sc.error().description, sc.error().line), std::make_tuple("host said no", 1));
    ASSERT_TRUE(sc.addCode("On Error Resume Next\nFail\nDim caught : caught = Err.Number"));
    EXPECT_EQ(evalLong("caught"), 1234);
    const struct {
        const char *code, *description;
        int number;
    } cases[] = {
        {"&H80004001", "Object doesn't support this action", 445},
        {"&H80020005", "Type mismatch", 13},
        {"&H8002000E", "Wrong number of arguments or invalid property assignment", 450},
        {"&H8002000F", "Argument not optional", 449},
        {"&H8007000E", "Out of memory", 7},
        {"&H800A0035", "File not found", 53},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(errorOf(sc, sc.addCode(std::string("Fail ") + c.code)), c.number) << c.code;
        EXPECT_EQ(sc.error().description, c.description) << c.code;
    }
}

TEST(ScriptControl, NamedModulesSeeGlobalsAndShadowThem)
{
    ScriptControl sc;
    // A global declared after the module that uses it is still visible to it.
    ASSERT_TRUE(sc.addCode("Function ShowPath() : ShowPath = \"[\" & AppPath & \"]\" : End Function", "Console"));
    ASSERT_TRUE(sc.addCode("Public AppPath\nDim Shared : Shared = \"global\"\nFunction Helper() : Helper = \"global "
                           "helper\" : End Function"));
    ASSERT_TRUE(sc.addCode("AppPath = \"/opt/app\""));
    EXPECT_EQ(sc.run("Console", "ShowPath")->toString(), "[/opt/app]");
    ASSERT_TRUE(
        sc.addCode("Function Where() : Where = AppPath & \"|\" & Helper() & \"|\" & Shared : End Function", "Console"));
    EXPECT_EQ(sc.run("Console", "Where")->toString(), "/opt/app|global helper|global");
    ASSERT_TRUE(sc.addCode("Dim Shared : Shared = \"own\"\nFunction Helper() : Helper = \"own helper\" : End "
                           "Function\nFunction Mine() : Mine = Helper() & \"|\" & Shared : End Function",
                           "Other"));
    EXPECT_EQ(sc.run("Other", "Mine")->toString(), "own helper|own");
    EXPECT_EQ(sc.run("Console", "Where")->toString(), "/opt/app|global helper|global");
    EXPECT_EQ(sc.eval("Shared")->toString(), "global");
    // Eval and ExecuteStatement work in a module.
    ASSERT_TRUE(sc.addModule("M"));
    ASSERT_TRUE(sc.executeStatement("Dim counter : counter = 40", "M"));
    ASSERT_TRUE(sc.executeStatement("counter = counter + 2", "M"));
    EXPECT_EQ(sc.eval("counter", "M")->toLong(), 42);
    EXPECT_EQ(errorOf(sc, sc.eval("1 +")), 1023);
    EXPECT_EQ(errorOf(sc, sc.eval("1 / 0")), 11);
}

TEST(ScriptControl, TimeoutStopsEndlessLoopsAndRegExpsEvenUnderResumeNextAndEachCallGetsItsOwn)
{
    ScriptControl sc;
    sc.setTimeout(200);
    EXPECT_EQ(sc.timeout(), 200);
    EXPECT_EQ(errorOf(sc, sc.addCode("x = 0\nDo\n  x = x + 1\nLoop")), 1799);
    EXPECT_EQ(std::tie(sc.error().description, sc.error().line), std::make_tuple("Script timed out", 2));
    ASSERT_TRUE(sc.addCode(
        "Sub Spin()\nOn Error Resume Next\nDo : Loop\nEnd Sub\nFunction Rec(n) : Rec = Rec(n + 1) : End Function"));
    EXPECT_EQ(errorOf(sc, sc.run("Global", "Spin")), 1799);
    EXPECT_TRUE(sc.addCode("y = 1"));
    EXPECT_EQ(errorOf(sc, sc.run("Global", "Rec", {Variant::longInt(0)})), 28);
    // A RegExp that backtracks without end is stopped too.
    const std::string regExp = "Set re = New RegExp\nre.Pattern = \"(a+)+b\"\nfound = re.Test(";
    EXPECT_EQ(errorOf(sc, sc.addCode(regExp + "String(40, \"a\"))")), 1799);
    EXPECT_EQ(sc.error().line, 3);
    EXPECT_TRUE(sc.addCode(regExp + "\"aab\")"));
    EXPECT_TRUE(sc.eval("found")->toBool());
    sc.setTimeout(0); // no limit
    ASSERT_TRUE(sc.addCode("For i = 1 To 300000 : z = z + i : Next"));
    EXPECT_EQ(sc.eval("z")->toDouble(), 300000.0 * 300001.0 / 2.0);
}

TEST(ScriptControl, ObjectCalledByTheHostLaterGetsItsOwnTimeLimit)
{
    ScriptControl sc;
    sc.setTimeout(1);
    auto loaded = std::chrono::steady_clock::now();
    ASSERT_TRUE(sc.addCode("Class W\nPublic Function Work() : For i = 1 To 20000 : n = n + 1 : Next : Work = n : End "
                           "Function\nEnd Class\nSet worker = New W"));
    sc.setTimeout(10000);
    auto obj = sc.eval("worker");
    ASSERT_TRUE(obj);
    // Once the earlier operations' limit has passed, a direct call from the host still runs.
    ASSERT_TRUE(ravelin::test::waitFor(
        [&] { return std::chrono::steady_clock::now() > loaded + std::chrono::milliseconds(20); }));
    Object* o = obj->rawObject();
    Variant r = o->invoke(o->memberId("Work"), InvokeMethod, {});
    EXPECT_EQ(r.toLong(), 20000);
}

TEST_F(ScriptControlTest, ResetRemovesCodeModulesObjectsAndError)
{
    ASSERT_TRUE(sc.addCode("Dim kept : kept = 1\nSub P() : End Sub"));
    ASSERT_TRUE(sc.addModule("Console"));
    EXPECT_FALSE(sc.addCode("x = 1 / 0"));
    sc.reset();
    EXPECT_FALSE(sc.hasError());
    EXPECT_EQ(moduleNames(sc), (std::vector<std::string>{"Global"}));
    EXPECT_TRUE(sc.procedures().empty());
    EXPECT_TRUE(sc.eval("IsEmpty(kept)")->toBool());
    EXPECT_FALSE(sc.addCode("Option Explicit\nDebugPrint \"gone\""));
    EXPECT_TRUE(host->printed.empty());
}

TEST_F(ScriptControlTest, ScriptCanResetTheEngineItRunsIn)
{
    ASSERT_TRUE(sc.addCode(
        "Sub Reload()\n  Dim local : local = \"still here\"\n  Ravelin.Reload\n  Ravelin.DebugPrint local\nEnd Sub"));
    EXPECT_TRUE(sc.run("Global", "Reload")) << sc.error().description;
    EXPECT_EQ(host->printed, (std::vector<std::string>{"still here"}));
    EXPECT_TRUE(sc.procedures().empty());
}

TEST(ScriptControl, BareHostMembersStillWorkAfterTheRunningScriptResetsTheEngine)
{
    ScriptControl sc;
    {
        // The engine holds the only reference, as the script host does.
        Ref<TestHost> host(new TestHost(&sc));
        ASSERT_TRUE(sc.addObject("Ravelin", host, true));
    }
    ASSERT_TRUE(sc.addCode(
        "Sub Reload()\n  Reload_ = 1\n  Ravelin.Reload\n  DebugPrint \"after reset\"\n  Value = 3\nEnd Sub"));
    EXPECT_TRUE(sc.run("Global", "Reload")) << sc.error().description;
}

TEST(ScriptControl, ScriptObjectKeptByTheHostOutlivesTheEngine)
{
    Variant kept;
    {
        ScriptControl sc;
        ASSERT_TRUE(sc.addCode(
            "Class T\nPublic V\nPrivate Sub Class_Terminate() : V = 0 : End Sub\nEnd Class\nSet o = New T\no.V = 5"));
        kept = sc.eval("o").value_or(Variant());
    }
    EXPECT_EQ(kept.typeName(), "T");
    kept = Variant(); // released after the engine: no terminator, no crash
}

TEST(ScriptControl, MsgBoxGoesThroughTheHostCallback)
{
    ScriptControl sc;
    std::string seen;
    sc.callbacks().msgBox = [&](const std::string& prompt, int buttons, const std::string& title) {
        seen = prompt + "|" + std::to_string(buttons) + "|" + title;
        return 6;
    };
    ASSERT_TRUE(sc.addCode("Dim answer : answer = MsgBox(\"Proceed?\", vbYesNo, \"Ravelin\")"));
    EXPECT_EQ(seen, "Proceed?|4|Ravelin");
    EXPECT_EQ(sc.eval("answer = vbYes")->toBool(), true);
}

} // namespace
