#include "console/PumpFixture.h"

using namespace ravelin;
using ravelin::test::PumpTest;

TEST(DispatchNames, PrefixBeforeTheFirstColonNamesTheProcedure)
{
    std::string data;
    EXPECT_EQ(ConsolePump::procedureFor("Foo bar: xxxxxxxxxxxx", &data), "Q3ARVL_Foo_bar");
    EXPECT_EQ(data, " xxxxxxxxxxxx");
    EXPECT_EQ(ConsolePump::procedureFor("Foo_bar: x"), "Q3ARVL_Foo_bar");
    EXPECT_EQ(ConsolePump::procedureFor("  say  :hi: there", &data), "Q3ARVL_say");
    EXPECT_EQ(data, "hi: there");
    EXPECT_EQ(ConsolePump::procedureFor("a  b c: x"), "Q3ARVL_a__b_c");
}

TEST(DispatchNames, ShortOrMissingPrefixNamesNothing)
{
    EXPECT_EQ(ConsolePump::procedureFor("ab: twelve x"), "");
    EXPECT_EQ(ConsolePump::procedureFor("    ab   : x"), "");
    EXPECT_EQ(ConsolePump::procedureFor("no colon at all"), "");
    EXPECT_EQ(ConsolePump::procedureFor(": empty prefix"), "");
    EXPECT_EQ(ConsolePump::procedureFor("abc:"), "Q3ARVL_abc");
}

TEST_F(PumpTest, ListedProcedureIsShownWithItsData)
{
    procs = {"Q3ARVL_Kill", "Q3ARVL_Foo_bar"};
    console->print("Kill: 0 1 7: Bob killed Red by MOD_ROCKET\nFoo bar: 12345\nab: short\nplain line\n");
    pump.runPass();
    ASSERT_EQ(lastCalls.size(), 2u);
    EXPECT_EQ(lastCalls[0],
              std::make_pair(std::string("Q3ARVL_Kill"), std::string(" 0 1 7: Bob killed Red by MOD_ROCKET")));
    EXPECT_EQ(lastCalls[1], std::make_pair(std::string("Q3ARVL_Foo_bar"), std::string(" 12345")));
    // Every line is echoed whether or not it was dispatched.
    EXPECT_EQ(display.text,
              "Kill: 0 1 7: Bob killed Red by MOD_ROCKET\r\nFoo bar: 12345\r\nab: short\r\nplain line\r\n");
}

TEST_F(PumpTest, ScriptErrorsAreReportedAndThePumpGoesOn)
{
    procs = {"Q3ARVL_say"};
    int calls = 0;
    pump.hooks().runConsoleProc = [&](const std::string& proc, const std::string& data) {
        ++calls;
        EXPECT_EQ(proc, "Q3ARVL_say");
        ScriptCallResult result;
        if (data == " boom") {
            result.failed = true;
            result.number = 11;
            result.description = "Division by zero";
        }
        return result;
    };
    console->print("say: boom\nsay: fine\n");
    pump.runPass();
    EXPECT_EQ(calls, 2);
    ASSERT_EQ(debug.size(), 2u);
    EXPECT_EQ(debug[0], "Script Error[11]: Division by zero");
    EXPECT_EQ(debug[1], "Error occured in [Console:Q3ARVL_say] Data: boom");
    EXPECT_EQ(display.text, "say: boom\r\nsay: fine\r\n");
}

// Names match exactly, case and all: an unlisted one is neither called nor
// reported.
TEST_F(PumpTest, UnlistedProcedureIsNeitherCalledNorReported)
{
    procs = {"q3arvl_kill", "Q3ARVL_kill", "Q3ARVL_Kill "};
    int calls = 0;
    pump.hooks().runConsoleProc = [&](const std::string&, const std::string&) {
        ++calls;
        return ScriptCallResult{true, 1, "x"};
    };
    console->print("Kill: 1 2 3\nsay: hello\n");
    pump.runPass();
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(lastCalls.empty());
    EXPECT_TRUE(debug.empty());
    EXPECT_EQ(display.text, "Kill: 1 2 3\r\nsay: hello\r\n");
}
