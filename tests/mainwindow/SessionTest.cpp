// The session core on the simulated desktop: scripts and their lines, the
// console going away, script dialogs and operations, and the cvar table and
// command line as the session wires them.
#include "SessionFixture.h"

#include "mainwindow/ScriptDialogs.h"
#include "platform/sim/ManualClock.h"
#include "scripting/RavelinObject.h"

using namespace ravelin;
using ravelin::test::SessionTest;
using testing::HasSubstr;

// Load, first activation and unload (timers, base path, nothing after the
// unload) are checked through the window in FrmMainTest.
TEST_F(SessionTest, ActivationLoadsTheScriptsWhichGetTheirLinesAndReloadReplacesThem)
{
    useConsoleScript("Sub Q3ARVL_say(data)\r\n  ConsoleOut \"say heard\" & data\r\n  BumpTray\r\n  BumpTray\r\n"
                     "End Sub\r\n");
    MainSession& s = makeSession();
    s.load();
    s.activate();
    EXPECT_EQ(view.consoleProcs, std::vector<std::string>{"Q3ARVL_say"});

    console->print("say: Bob: hi\n");
    s.tmrConsole_Timer();
    EXPECT_THAT(view.display, HasSubstr("say: Bob: hi\r\n"));
    EXPECT_EQ(view.lastProc + "(" + view.lastData + ")", "Q3ARVL_say( Bob: hi)");
    EXPECT_EQ(console->entered().back(), "say heard Bob: hi");
    EXPECT_EQ(s.tray().frame(), 8) << "scripts step the tray animation";

    // A reload picks up the changed script; the old procedure is gone.
    useConsoleScript("Sub Q3ARVL_Kill(data)\r\n  DebugPrint \"kill\" & data\r\nEnd Sub\r\n");
    s.cmdInitScripts_Click();
    EXPECT_EQ(view.consoleProcs, std::vector<std::string>{"Q3ARVL_Kill"});
    console->print("say: ignored now\nKill: 0 1 10: A killed B\n");
    s.tmrConsole_Timer();
    EXPECT_EQ(view.debug.back(), "kill 0 1 10: A killed B");
    EXPECT_EQ(console->entered().back(), "say heard Bob: hi");
}

TEST_F(SessionTest, UnloadWhileAScriptIsSuspendedInAYieldEndsThePassQuietly)
{
    // The script's ConsoleOut yields before pressing Enter; the window closes
    // during one of those yields.
    useConsoleScript("Sub Q3ARVL_say(data)\r\n  ConsoleOut \"say one\"\r\n  ConsoleOut \"say two\"\r\nEnd Sub\r\n");
    MainSession& s = makeSession();
    s.load();
    s.activate();
    s.tmrConsole_Timer(); // the first pass starts the numbering where the console stands
    const auto llcBefore = s.pump().LLC();
    console->print("say: a\nsay: b\n");
    loop.post(2, [&] { s.unload(); });
    s.tmrConsole_Timer();

    EXPECT_TRUE(s.Unloading());
    EXPECT_EQ(s.pump().LLC(), llcBefore + 1) << "the line in hand counts as handled, the next one is not touched";
    EXPECT_THAT(view.display, testing::Not(HasSubstr("say: b"))) << "no line is handled after the flag is set";
    EXPECT_FALSE(s.pump().passRunning());
}

TEST_F(SessionTest, AConsoleThatGoesAwayIsNoticedOnceAndCommandsAreRefused)
{
    MainSession& s = makeSession();
    s.load();
    s.activate();
    s.txtOut_Enter("status");
    EXPECT_EQ(console->entered().back(), "status");

    desktop.closeWindow(console->handle());
    s.tmrClearOut_Timer();
    s.tmrClearOut_Timer();
    EXPECT_FALSE(s.consolePresent());
    EXPECT_FALSE(view.consolePresent);
    std::size_t first = view.display.find(MainSession::kConsoleGone);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(view.display.find(MainSession::kConsoleGone, first + 1), std::string::npos) << "said once";

    s.txtOut_Enter("map q3dm17");
    EXPECT_THAT(view.display, HasSubstr(std::string(MainSession::kNotSent) + "map q3dm17"));
}

TEST_F(SessionTest, ScriptMessageBoxesOfferEverySetAndReturnTheButtonChosen)
{
    struct Case {
        const char* code; // MsgBox arguments
        Dialogs::Answer answer;
        Dialogs::Buttons buttons;
        Dialogs::Icon icon;
        int defaultButton;
        int result;
    };
    const Case cases[] = {
        {"\"a\", vbOKOnly", Dialogs::Answer::Ok, Dialogs::Buttons::Ok, Dialogs::Icon::None, 0, 1},
        {"\"a\", vbOKCancel", Dialogs::Answer::Cancel, Dialogs::Buttons::OkCancel, Dialogs::Icon::None, 0, 2},
        {"\"a\", vbAbortRetryIgnore + vbCritical + vbDefaultButton3", Dialogs::Answer::Ignore,
         Dialogs::Buttons::AbortRetryIgnore, Dialogs::Icon::Critical, 2, 5},
        {"\"a\", vbYesNoCancel + vbQuestion + vbDefaultButton2", Dialogs::Answer::No, Dialogs::Buttons::YesNoCancel,
         Dialogs::Icon::Question, 1, 7},
        {"\"a\", vbYesNo + vbExclamation", Dialogs::Answer::Yes, Dialogs::Buttons::YesNo, Dialogs::Icon::Exclamation, 0,
         6},
        {"\"a\", vbRetryCancel + vbInformation", Dialogs::Answer::Retry, Dialogs::Buttons::RetryCancel,
         Dialogs::Icon::Information, 0, 4},
        // A default past the set's buttons falls back to the first.
        {"\"a\", vbOKCancel + vbDefaultButton4", Dialogs::Answer::Ok, Dialogs::Buttons::OkCancel, Dialogs::Icon::None,
         0, 1},
    };
    MainSession& s = makeSession();
    for (const Case& c : cases) {
        dialogs.clear();
        if (c.buttons != Dialogs::Buttons::Ok) // a lone OK takes no scripted answer
            dialogs.queueAnswer(c.answer);
        auto value = s.scriptControl().eval(std::string("MsgBox(") + c.code + ", \"T\")");
        ASSERT_TRUE(value.has_value()) << c.code << ": " << s.scriptControl().error().description;
        EXPECT_EQ(value->toString(), std::to_string(c.result)) << c.code;
        ASSERT_EQ(dialogs.asked().size(), 1u) << c.code;
        const auto& box = dialogs.asked()[0];
        EXPECT_EQ(std::tuple(box.buttons, box.icon, box.defaultButton, box.title),
                  std::tuple(c.buttons, c.icon, c.defaultButton, std::string("T")))
            << c.code;
    }
    // Without a title the box carries the application's; a cancelled
    // InputBox is an empty string.
    dialogs.clear();
    s.scriptControl().executeStatement("MsgBox \"plain\"");
    EXPECT_EQ(dialogs.asked().at(0).title, kAppTitle);
    EXPECT_EQ(s.scriptControl().eval("InputBox(\"name?\") = \"\"").value().toString(), "True");
}

TEST_F(SessionTest, FeaturesAddScriptOperationsAsTableRows)
{
    MainSession& s = makeSession();
    int port = 27960;
    s.operations().addProperty(
        "SamplePort", [&](OperationTable::Args) { return vbs::Variant::longInt(port); },
        [&](const vbs::Variant& v) { port = static_cast<int>(v.toDouble()); });
    s.operations().addProperty("ReadOnly", [](OperationTable::Args) { return vbs::Variant::string("r"); });
    EXPECT_THROW(s.operations().addMethod("consoleout", 1, 1, {}), std::logic_error);

    useConsoleScript("Sub Bump()\r\n  SamplePort = SamplePort + 1\r\n  Ravelin.SamplePort = Ravelin.SamplePort + 1\r\n"
                     "End Sub\r\n");
    s.InitScripts();
    s.scriptControl().run("Console", "Bump");
    EXPECT_FALSE(s.scriptControl().hasError()) << s.scriptControl().error().description;
    EXPECT_EQ(port, 27962);
    // Top-level code assigns the property too, not a variable of that name.
    EXPECT_TRUE(s.scriptControl().executeStatement("SamplePort = 27000"));
    EXPECT_EQ(port, 27000);
    EXPECT_FALSE(s.scriptControl().executeStatement("Ravelin.ReadOnly = 1"));
    EXPECT_EQ(s.scriptControl().error().number, 438);
    EXPECT_EQ(s.scriptControl().eval("sGetComputerName()").value().toString(), "testhost");
}

// Load learns where the cvar dump is written and the tab runs it; Enter goes
// through the command line; activation applies the stored switches, which
// scripts read and write.
TEST_F(SessionTest, TheCvarsTabDumpsWhereLoadLearnedAndTheCommandLineSendsThroughTheSession)
{
    test::TempDir base{"ravelin-base"};
    sim::ManualClock clock;
    console->setServer([&](sim::SimConsole& c, const std::string& line) {
        if (line == "FS_BASEPATH")
            c.print("\"fs_basepath\" is:\"" + base.path().string() + "\" default:\"\"\n");
        else if (line == "WRITECONFIG ..\\ravelin_tmp.cfg")
            test::writeFile(base.path() / "ravelin_tmp.cfg", "// generated by quake\nseta sv_hostname \"S\"\n");
        else if (line.rfind("say", 0) != 0)
            c.print("Unknown command \"" + line + "\"\n");
    });
    MainServices services{bridge, probe, settings, dialogs, appFolder.path(), &host};
    services.clock = &clock;
    session = std::make_unique<MainSession>(std::move(services), view);
    MainSession& s = *session;
    s.load();
    EXPECT_EQ(s.cvars().dumpTarget().file, base.path() / "ravelin_tmp.cfg");
    s.cvarsTab_Click();
    for (int i = 0; i < 100 && s.cvars().dumpRunning(); ++i) {
        clock.advance(std::chrono::milliseconds(10));
        s.cvars().tmrCvarDump_Timer();
    }
    EXPECT_EQ(s.cvars().list().rows(), (std::vector<CvarRow>{{"sv_hostname", "S"}}));

    // Activation brings the stored switches in; scripts read and write them.
    settings.saveSetting(kSettingsApp, "Settings", "DosKey", "0");
    s.activate();
    EXPECT_EQ(settings.getSetting(kSettingsApp, "Settings", "Intellisense", ""), "1");
    auto dosKey = s.scriptControl().eval("DosKey");
    ASSERT_TRUE(dosKey.has_value()) << s.scriptControl().error().description;
    EXPECT_EQ(dosKey->toString(), "0");
    EXPECT_TRUE(s.scriptControl().executeStatement("Ravelin.Intellisense = 0"));
    EXPECT_EQ(s.commandLine().Intellisense(), 0);

    s.txtOut_Enter("say hello");
    s.txtOut_Enter("RAM_STATUS");
    EXPECT_EQ(console->entered().back(), "say hello");
    EXPECT_EQ(s.commandLine().CommandHistory().back(), "say hello");
}
