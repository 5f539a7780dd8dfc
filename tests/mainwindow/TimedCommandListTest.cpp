// The timed command list inside a whole session on the simulated desktop:
// composing and saving through the prompt, the drop-down after a restart,
// running on a fake clock that ticks tmrAAI as the window's timer would,
// the reports, and the operations scripts reach.
#include "SessionFixture.h"

#include "config/PresetFolder.h"

using namespace ravelin;
using ravelin::test::RecordingSessionView;
using ravelin::test::SessionTest;
using ravelin::test::writeFile;

namespace {

struct ListView : TimedCommandListView {
    std::vector<std::string> com, presets, exec;
    bool choiceEnabled = true;
    bool running = false;
    int selected = -1;
    void showComList(const std::vector<std::string>& e) override { com = e; }
    void showPresets(const std::vector<std::string>& n, int) override { presets = n; }
    void setPresetChoiceEnabled(bool e) override { choiceEnabled = e; }
    void showRunning(bool r) override { running = r; }
    void showExecList(const std::vector<std::string>& e) override { exec = e; }
    void selectExec(int i) override { selected = i; }
};

struct PanelView : SectionPanelsView {
    std::map<int, SectionColour> colours;
    int shown = 0;
    void showSections(SectionPanel, const SectionStack&) override { ++shown; }
    void setTitleColour(int index, SectionColour c) override { colours[index] = c; }
};

// tmrAAI as a fake-clock timer: a new interval restarts its count.
struct ClockedView : RecordingSessionView {
    long long now = 0;
    long long due = 0;
    void setTimerEnabled(SessionTimer t, bool on) override
    {
        if (t == SessionTimer::tmrAAI && on && !this->on(t))
            due = now + intervals[static_cast<std::size_t>(t)];
        RecordingSessionView::setTimerEnabled(t, on);
    }
    void setTimerInterval(SessionTimer t, int ms) override
    {
        RecordingSessionView::setTimerInterval(t, ms);
        if (t == SessionTimer::tmrAAI)
            due = now + ms;
    }
};

struct TimedCommandsTest : SessionTest {
    ClockedView clocked;
    ListView list;
    PanelView panel;
    sim::FixedMemoryInfo memory;
    std::vector<std::pair<long long, std::string>> sent;

    TimedCommandsTest()
    {
        clocked.intervals[static_cast<std::size_t>(SessionTimer::tmrAAI)] = 1000;
        console->setServer([this](sim::SimConsole& c, const std::string& line) {
            sent.emplace_back(clocked.now, line);
            if (line == "FS_BASEPATH")
                c.print("\"fs_basepath\" is:\"/srv/q3\" default:\"\"\n");
        });
    }

    // A loaded session with its scripts (none) in place.
    MainSession& start()
    {
        writeFile(appFolder.path() / "Scripts" / "InitScripts.txt", "");
        session = std::make_unique<MainSession>(
            MainServices{bridge, probe, settings, dialogs, appFolder.path(), &host, &memory}, clocked);
        session->timedCommands().setView(&list);
        session->sections().attach(SectionPanel::Function, &panel, 40, 478);
        session->load();
        session->InitScripts();
        sent.clear();
        return *session;
    }
    TimedCommandList& tcl() { return session->timedCommands(); }
    std::filesystem::path presets() { return appFolder.path() / "presets"; }

    void runUntil(long long until)
    {
        while (clocked.timerEnabled(SessionTimer::tmrAAI) && clocked.due <= until) {
            clocked.now = clocked.due;
            clocked.due = clocked.now + clocked.intervals[static_cast<std::size_t>(SessionTimer::tmrAAI)];
            session->tmrAAI_Timer();
        }
        clocked.now = until;
    }

    // Composes `entries` afresh in lstCom and saves them under `typed`.
    void savePreset(const std::string& typed, const std::vector<std::string>& entries)
    {
        while (!tcl().comList().empty())
            tcl().cmdRemoveComItem_Click(0);
        dialogs.queuePrompt(typed);
        for (const std::string& e : entries) {
            const RotationEntry split = splitRotationEntry(e);
            tcl().cmdAddItem_Click(split.command, split.interval);
        }
        tcl().cmdSavePreset_Click();
    }
};

} // namespace

TEST_F(TimedCommandsTest, ComposingAddsRemovesAndClearsOnlyAfterYes)
{
    start();
    tcl().cmdAddItem_Click("g_gravity 800", "1000");
    tcl().cmdAddItem_Click("NOP", "");
    tcl().cmdAddItem_Click("say hi", "abc");
    EXPECT_EQ(list.com, (std::vector<std::string>{"g_gravity 800||1000", "NOP||", "say hi||abc"}));
    tcl().cmdRemoveComItem_Click(1);
    tcl().cmdRemoveComItem_Click(-1);
    tcl().cmdRemoveComItem_Click(7);
    EXPECT_EQ(list.com, (std::vector<std::string>{"g_gravity 800||1000", "say hi||abc"}));

    tcl().cmdClearComList_Click(); // answered No
    EXPECT_EQ(list.com.size(), 2u);
    dialogs.queueAnswer(Dialogs::Answer::Yes);
    tcl().cmdClearComList_Click();
    EXPECT_TRUE(list.com.empty());
    ASSERT_EQ(dialogs.asked().size(), 2u);
    const auto& asked = dialogs.asked()[0];
    EXPECT_EQ(std::tuple(asked.text, asked.buttons, asked.icon, asked.title),
              std::tuple(TimedCommandList::kClearPrompt, Dialogs::Buttons::YesNo, Dialogs::Icon::None, kAppTitle));
}

TEST_F(TimedCommandsTest, SavedPresetsAreListedByDisplayNameAndSurviveARestart)
{
    start();
    savePreset("Big Map Cycle", {"map q3dm17||60000", "NOP||1000"});
    EXPECT_EQ(dialogs.asked().at(0).text, TimedCommandList::kSavePrompt);
    savePreset("CTF: night?", {"map q3ctf1||1000"});
    savePreset("?*", {"say only removed characters||1000"});
    EXPECT_EQ(list.presets, (std::vector<std::string>{"?*", "Big Map Cycle", "CTF: night?"}));

    // Cancelled or empty answers save nothing and say nothing.
    dialogs.clear();
    tcl().cmdSavePreset_Click();
    dialogs.queuePrompt("");
    tcl().cmdSavePreset_Click();
    EXPECT_EQ(dialogs.askedTexts(),
              (std::vector<std::string>{TimedCommandList::kSavePrompt, TimedCommandList::kSavePrompt}));
    EXPECT_EQ(tcl().presetNames().size(), 3u);

    // After a restart the load lists them again; the hidden ".pst" runs.
    session.reset();
    list = {};
    start();
    EXPECT_EQ(list.presets, (std::vector<std::string>{"?*", "Big Map Cycle", "CTF: night?"}));
    tcl().cboPreset_Click(0);
    tcl().optRunAAI_Click();
    runUntil(1000);
    EXPECT_EQ(console->entered().back(), "say only removed characters");
}

TEST_F(TimedCommandsTest, AnEmptyListIsNotSavedAndAFailedWriteKeepsTheListAsItWas)
{
    start();
    tcl().cmdSavePreset_Click();
    EXPECT_EQ(dialogs.askedTexts(), std::vector<std::string>{TimedCommandList::kNothingToSave});
    EXPECT_FALSE(std::filesystem::exists(presets()));

    savePreset("Kept", {"status||1000"});
    ASSERT_EQ(list.presets, std::vector<std::string>{"Kept"});
    // A folder named like the new file stands in the way of the rename.
    std::filesystem::create_directories(presets() / "Blocked.pst" / "x");
    dialogs.clear();
    savePreset("Blocked", {"status||1000"});
    ASSERT_EQ(dialogs.asked().size(), 2u);
    EXPECT_EQ(dialogs.asked()[1].text, TimedCommandList::kWriteFailed);
    EXPECT_EQ(dialogs.asked()[1].icon, Dialogs::Icon::Critical);
    EXPECT_NE(clocked.debug.back().find("Blocked.pst"), std::string::npos) << clocked.debug.back();
    EXPECT_EQ(list.presets, std::vector<std::string>{"Kept"});
}

TEST_F(TimedCommandsTest, RunSendsTheChosenPresetOnTmrAAIAndLstExecFollows)
{
    start();
    savePreset("Example", {"say hello||2000", "NOP||5000", "map_restart||3000"});

    // Run with nothing chosen falls back to Stop, silently.
    dialogs.clear();
    tcl().optRunAAI_Click();
    EXPECT_EQ(std::tuple(clocked.on(SessionTimer::tmrAAI), list.running, dialogs.asked().size()),
              std::tuple(false, false, 0u));

    // The schedule itself is RotationRunnerTest's; here the session's
    // timer drives it and lstExec follows.
    tcl().cboPreset_Click(0);
    tcl().optRunAAI_Click();
    EXPECT_EQ(std::pair(list.running, list.choiceEnabled), std::pair(true, false));
    EXPECT_EQ(list.exec, (std::vector<std::string>{"", "say hello||2000", "NOP||5000", "map_restart||3000"}));
    runUntil(8000);
    EXPECT_EQ(sent, (std::vector<std::pair<long long, std::string>>{{1000, "say hello"}, {8000, "map_restart"}}));
    EXPECT_EQ(list.selected, 3);

    // Choosing a preset stops the rotation; lstExec keeps its entries.
    tcl().cboPreset_Click(0);
    EXPECT_EQ(std::tuple(clocked.on(SessionTimer::tmrAAI),
                         clocked.intervals[static_cast<std::size_t>(SessionTimer::tmrAAI)], list.choiceEnabled,
                         list.running, list.exec.size()),
              std::tuple(false, 1000, true, false, 4u));

    // Run then Stop: nothing more is sent.
    tcl().optRunAAI_Click();
    tcl().optStopAAI_Click();
    runUntil(40000);
    EXPECT_EQ(sent.size(), 2u);
}

TEST_F(TimedCommandsTest, BadFilesAreSkippedWithOneDebugLineEachAndPresetsThatCannotRunSaySo)
{
    writeFile(presets() / "broken.pst", std::string("\x05\x00Br", 4));
    test::writePreset(appFolder.path(), "empty", "Empty", {});
    start();
    EXPECT_EQ(list.presets, std::vector<std::string>{"Empty"});
    ASSERT_EQ(clocked.debug.size(), 1u);
    EXPECT_NE(clocked.debug[0].find("broken.pst"), std::string::npos);
    session->scriptControl().executeStatement("RefreshPresets");
    EXPECT_EQ(clocked.debug.size(), 2u) << "each refresh names it again";

    savePreset("Vanishing", {"status||1000"});
    ASSERT_EQ(list.presets, (std::vector<std::string>{"Empty", "Vanishing"}));
    dialogs.clear();
    tcl().cboPreset_Click(0);
    tcl().optRunAAI_Click();
    EXPECT_EQ(std::pair(clocked.on(SessionTimer::tmrAAI), list.running), std::pair(false, false));

    std::filesystem::remove(presets() / "Vanishing.pst");
    tcl().cboPreset_Click(1);
    tcl().optRunAAI_Click();
    EXPECT_FALSE(clocked.on(SessionTimer::tmrAAI));
    ASSERT_EQ(dialogs.asked().size(), 2u);
    EXPECT_EQ(dialogs.asked()[0].text, TimedCommandList::kNothingToRun);
    EXPECT_EQ(dialogs.asked()[1].text.rfind(TimedCommandList::kUnreadable, 0), 0u) << dialogs.asked()[1].text;
    EXPECT_NE(dialogs.asked()[1].text.find("Vanishing.pst"), std::string::npos);
}

TEST_F(TimedCommandsTest, ReportsAreSaidOnAScriptsDemandAndAtTheSixthThenEveryFifthTick)
{
    memory.figures.availPhys = 64ull << 30;
    memory.figures.availPageFile = 524'288'000;
    memory.figures.memoryLoad = 7;
    MainSession& s = start();
    ASSERT_TRUE(s.scriptControl().executeStatement("DisplayRAMStats")) << s.scriptControl().error().description;
    // The lines are RamReportTest's; here the machine's figures reach them.
    ASSERT_EQ(sent.size(), 8u);
    EXPECT_EQ(std::tuple(sent[2].second, sent[3].second, sent[5].second),
              std::tuple("Say \"^5Physical : 65536 MB Free\"", "Say \"^5Paging   : 500 MB Free\"",
                         "Say \"^5Activity Payload : 7% Load\""));

    sent.clear();
    std::vector<int> reportedAt;
    for (int minute = 1; minute <= 11; ++minute) {
        const std::size_t before = sent.size();
        s.tmrReport_Timer();
        if (sent.size() > before)
            reportedAt.push_back(minute);
    }
    EXPECT_EQ(reportedAt, (std::vector<int>{6, 11}));

    // Closing mid-report: no line is said after the flag is set.
    sent.clear();
    loop.post(3, [&] { s.unload(); });
    s.DisplayRAMStats();
    EXPECT_LT(sent.size(), 8u);
    EXPECT_GE(sent.size(), 1u);
}

TEST_F(TimedCommandsTest, ScriptsReachTheHighlightOperations)
{
    MainSession& s = start();
    vbs::ScriptControl& sc = s.scriptControl();
    ASSERT_TRUE(sc.executeStatement("HighlightFunc 2")) << sc.error().description;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(panel.colours.at(i), i == 2 ? kFuncTitleHighlight : kFuncTitleGrey) << i;
    ASSERT_TRUE(sc.executeStatement("ClearFuncHighlight"));
    EXPECT_EQ(panel.colours.at(2), kFuncTitleGrey);
    EXPECT_FALSE(sc.executeStatement("HighlightFunc 5"));
    EXPECT_EQ(sc.error().number, 9);
    const int shownBefore = panel.shown;
    ASSERT_TRUE(sc.executeStatement("RefreshVSBFunc : RefreshVSBMain"));
    EXPECT_EQ(panel.shown, shownBefore + 1);
}
