#include "ScriptingFixture.h"

using namespace ravelin;
using namespace ravelin::test;
using testing::AllOf;
using testing::ElementsAre;
using testing::HasSubstr;

TEST_F(ScriptingTest, GlobalAndConsoleModulesFromTheIndex)
{
    write("InitScripts.txt", "a.vbs,Global\r\nb.vbs,Console");
    write("a.vbs", "Function Twice(x)\n Twice = 2 * x\nEnd Function\n");
    write("b.vbs", "Sub Q3ARVL_say(d)\n ConsoleOut \"say \" & Twice(21)\nEnd Sub\nSub Helper()\nEnd Sub\n");
    host.InitScripts();

    EXPECT_THAT(view.consoleProcs, ElementsAre("Q3ARVL_say", "Helper"));
    EXPECT_THAT(view.scripts, ElementsAre("[Global]: Twice", "[Console]: Q3ARVL_say", "[Console]: Helper"));
    EXPECT_TRUE(view.debug.empty()) << view.debug.front();

    // A Console procedure sees the global module's procedures and the
    // window's operations by bare name.
    auto result = host.runConsoleProc("Q3ARVL_say", " hi");
    EXPECT_FALSE(result.failed) << result.description;
    EXPECT_THAT(operations.sent, ElementsAre("say 42"));
}

TEST_F(ScriptingTest, OnlyExactlyGlobalIsTheGlobalModuleAndBlanksAroundNamesAreIgnored)
{
    write("InitScripts.txt", "  a.vbs ,  global , ignored extra field\nb.vbs\t,\tConsole \n");
    write("a.vbs", "Sub InLowerGlobal()\nEnd Sub\n");
    write("b.vbs", "Sub Q3ARVL_x(d)\n InLowerGlobal\nEnd Sub\n");
    host.InitScripts();

    EXPECT_THAT(view.scripts, ElementsAre("[global]: InLowerGlobal", "[Console]: Q3ARVL_x"));
    EXPECT_THAT(view.consoleProcs, ElementsAre("Q3ARVL_x"));
    EXPECT_TRUE(view.debug.empty());
    // Module "global" is an ordinary module: the Console module cannot see it.
    EXPECT_TRUE(host.runConsoleProc("Q3ARVL_x", "").failed);
}

// InitScripts from top-level code is ignored: each load clears the lists once.
TEST_F(ScriptingTest, ReloadingListsEachProcedureOnceAndForgetsScriptState)
{
    write("InitScripts.txt", "a.vbs,Console\n");
    write("a.vbs", "InitScripts\nDim count : count = 0\nSub Q3ARVL_tick(d)\n count = count + 1\nEnd Sub\n");
    host.InitScripts();
    EXPECT_EQ(view.clears, 1);
    host.runConsoleProc("Q3ARVL_tick", "");
    host.InitScripts();
    host.InitScripts();
    EXPECT_EQ(view.clears, 3);
    EXPECT_THAT(view.consoleProcs, ElementsAre("Q3ARVL_tick"));
    EXPECT_THAT(view.scripts, ElementsAre("[Console]: Q3ARVL_tick"));
    EXPECT_EQ(eval("count", "Console"), "0");
}

TEST_F(ScriptingTest, ScriptsReachTheWindowByBareNameAndThroughRavelinAndSeeAppPathOnlyAfterLoading)
{
    write("InitScripts.txt", "a.vbs,Global");
    write("a.vbs",
          "ConsoleOut \"one\"\nRavelin.ConsoleOut \"two\"\nDebugPrint sGetComputerName()\n"
          "Dim atLoad\natLoad = \"[\" & AppPath & \"]\"\nFunction Where()\n Where = AppPath\nEnd Function\n");
    host.InitScripts();
    EXPECT_THAT(operations.sent, ElementsAre("one", "two"));
    EXPECT_THAT(view.debug, ElementsAre("testhost"));
    EXPECT_EQ(eval("atLoad"), "[]");
    EXPECT_EQ(eval("Where()"), app.path().string());
}

TEST_F(ScriptingTest, MissingIndexIsReportedAndNothingLoads)
{
    host.InitScripts();
    EXPECT_THAT(view.debug, ElementsAre(HasSubstr("InitScripts.txt")));
    EXPECT_TRUE(view.scripts.empty());
    // AppPath is still defined for scripts added later.
    EXPECT_EQ(eval("AppPath"), app.path().string());
}

TEST_F(ScriptingTest, EachBrokenEntryCostsOnlyItselfWithOneLine)
{
    write("InitScripts.txt",
          "good1.vbs,Global\r\ndivide.vbs,Global\r\nmissing.vbs,Console\r\nno comma here\r\n\r\n"
          "broken.vbs,Console\r\ngood2.vbs,Console\r\ngood3.vbs,Console\r\n");
    write("good1.vbs", "Sub G1()\nEnd Sub\n");
    write("divide.vbs", "Dim x\nx = 1\nx = 1 / 0\n");
    write("broken.vbs", "Sub Q3ARVL_ok(d)\nEnd Sub\n\nSub Bad(\n");
    write("good2.vbs", "Sub Q3ARVL_two(d)\nEnd Sub\n");
    write("good3.vbs", "Sub Q3ARVL_three(d)\nEnd Sub\n");
    host.InitScripts();

    ASSERT_EQ(view.debug.size(), 7u) << testing::PrintToString(view.debug);
    // A run-time error in top-level code is reported with its line.
    EXPECT_THAT(view.debug[0], AllOf(HasSubstr("divide.vbs line 3"), HasSubstr("[11]")));
    EXPECT_THAT(view.debug[1], AllOf(HasSubstr("line 3"), HasSubstr("missing.vbs")));
    EXPECT_THAT(view.debug[2], AllOf(HasSubstr("line 4"), HasSubstr("no comma here")));
    EXPECT_THAT(view.debug[3], HasSubstr("line 5"));
    EXPECT_THAT(view.debug[4], HasSubstr("broken.vbs line 4, column 9: Expected identifier [1010]"));
    // A module named again is reported, and the code joins the module (the
    // broken script had named "Console" first).
    EXPECT_THAT(view.debug[5], HasSubstr("good2.vbs"));
    EXPECT_THAT(view.debug[6], HasSubstr("good3.vbs"));
    EXPECT_THAT(view.consoleProcs, ElementsAre("Q3ARVL_two", "Q3ARVL_three"));
    EXPECT_THAT(view.scripts, testing::Contains("[Global]: G1"));
}

TEST_F(ScriptingTest, AFailingOrStuckProcedureReportsItsErrorAndTheNextOneRuns)
{
    write("InitScripts.txt", "c.vbs,Console");
    write("c.vbs",
          "Sub Q3ARVL_bad(d)\n Err.Raise 1234, \"me\", \"went wrong: \" & d\nEnd Sub\n"
          "Sub Q3ARVL_spin(d)\n Do\n Loop\nEnd Sub\nSub Q3ARVL_ok(d)\n ConsoleOut \"still alive\"\nEnd Sub\n");
    engine.setTimeout(200);
    host.InitScripts();

    auto result = host.runConsoleProc("Q3ARVL_bad", " data");
    EXPECT_EQ(std::tie(result.failed, result.number, result.description),
              std::make_tuple(true, 1234, "went wrong:  data"));
    EXPECT_FALSE(engine.hasError());
    result = host.runConsoleProc("Q3ARVL_spin", "");
    EXPECT_EQ(std::tie(result.failed, result.number), std::make_tuple(true, 1799));
    EXPECT_FALSE(host.runConsoleProc("Q3ARVL_ok", "").failed);
    EXPECT_THAT(operations.sent, ElementsAre("still alive"));
}

TEST_F(ScriptingTest, InitScriptsCalledByARunningScriptWaitsUntilItReturns)
{
    write("InitScripts.txt", "c.vbs,Console");
    write("c.vbs",
          "Dim n\nSub Q3ARVL_reload(d)\n InitScripts\n n = 5\n ConsoleOut \"after reload call\" & n\nEnd Sub\n");
    host.InitScripts();
    int clearsBefore = view.clears;

    auto result = host.runConsoleProc("Q3ARVL_reload", "");
    EXPECT_FALSE(result.failed) << result.description;
    EXPECT_THAT(operations.sent, ElementsAre("after reload call5"));
    // The reload happened once the procedure was done: its state is gone.
    EXPECT_EQ(view.clears, clearsBefore + 1);
    EXPECT_EQ(eval("IsEmpty(n)", "Console"), "True");
    EXPECT_THAT(view.consoleProcs, ElementsAre("Q3ARVL_reload"));
}

// A script whose unit fails to resolve leaves nothing behind in the engine,
// however often it is loaded again.
TEST_F(ScriptingTest, AParameterNamedTwiceFailsItsScriptOnceOnEveryLoad)
{
    write("InitScripts.txt", "good.vbs,Global\nbad.vbs,Console\n");
    write("good.vbs", "Sub Fine()\nEnd Sub\n");
    write("bad.vbs", "Sub Q3ARVL_ok(d)\nEnd Sub\nSub Bad(a, a)\nEnd Sub\n");
    for (size_t load = 1; load <= 3; ++load) {
        host.InitScripts();
        ASSERT_EQ(view.debug.size(), load);
        EXPECT_THAT(view.debug.back(), HasSubstr("Name redefined"));
        EXPECT_THAT(view.scripts, ElementsAre("[Global]: Fine"));
        EXPECT_TRUE(view.consoleProcs.empty());
    }
}
