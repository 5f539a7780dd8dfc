// The cvars tab's logic on the simulated desktop: where the dump is looked
// for on each engine, the bounded wait, the fill, and the Set
// Variable dialog's commands.
#include "config/CvarTable.h"

#include "platform/sim/ManualClock.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/SimServices.h"
#include "support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <tuple>

using namespace ravelin;
using namespace std::chrono_literals;

namespace {

using test::writeFile;

// A real server's dump, 107 cvars.
std::string capture()
{
    return test::readFile(test::sourceDir() / "tests/config/data/openarena-0.8.8-writeconfig.cfg");
}

struct RecordingCvarsView final : CvarsView {
    std::vector<CvarRow> rows;
    int fills = 0;
    int sortColumn = -1;
    bool ascending = true;
    int selected = -1;
    bool busy = false;
    int busyChanges = 0;
    bool timer = false;
    std::function<void(SetVarForm&)> dialog;

    void showRows(const std::vector<CvarRow>& r) override
    {
        rows = r;
        ++fills;
    }
    void showSortOrder(int column, bool asc) override
    {
        sortColumn = column;
        ascending = asc;
    }
    void showRowValue(int index, const std::string& value) override
    {
        rows.at(static_cast<std::size_t>(index)).value = value;
    }
    void selectRow(int index) override { selected = index; }
    int selectedRow() const override { return selected; }
    void showSearch(const std::string&) override {}
    void hideSearch(bool) override {}
    void setBusy(bool b) override
    {
        busy = b;
        ++busyChanges;
    }
    void setDumpTimerEnabled(bool on) override { timer = on; }
    void showSetVar(SetVarForm& form) override
    {
        if (dialog)
            dialog(form);
    }
};

struct CvarTableTest : testing::Test {
    sim::SimDesktop desktop;
    sim::SimMessageLoop loop;
    ConsoleBridge bridge{desktop, loop};
    CvarProbe probe{bridge};
    sim::ScriptedDialogs dialogs;
    sim::ManualClock clock;
    bool unloading = false;
    test::TempDir base{"ravelin-cvars"};
    sim::SimConsole* console = nullptr;
    RecordingCvarsView view;
    CvarTable table{bridge, probe, dialogs, clock, unloading};
    // What the server does on WRITECONFIG (the 1.32 answer by default).
    std::function<void(const std::string&)> onWriteConfig;
    bool ioq3 = false;
    std::string fsGame;

    CvarTableTest()
    {
        console = &desktop.addConsole();
        bridge.setSelectedConsole(console->handle());
        table.setView(&view);
        console->setServer([this](sim::SimConsole& c, const std::string& line) {
            if (line.rfind("WRITECONFIG ", 0) == 0) {
                if (onWriteConfig)
                    onWriteConfig(line.substr(12));
            } else if (line.rfind("Set", 0) == 0 || line.rfind("Seta", 0) == 0) {
            } else if (line.rfind("echo ", 0) == 0) {
                c.print(line.substr(5) + "\n");
            } else if (ioq3 && line == "com_basegame") {
                c.print("\"com_basegame\" is:\"baseoa\", the default\n");
            } else if (ioq3 && line == "fs_homepath") {
                c.print("\"fs_homepath\" is:\"" + (base.path() / "home").string() + "\", the default\n");
            } else if (ioq3 && line == "fs_game") {
                c.print("\"fs_game\" is:\"" + fsGame + "\"" + (fsGame.empty() ? ", the default" : " default:\"\"")
                        + "\n");
            } else if (line == "sv_hostname") {
                c.print("\"sv_hostname\" is:\"My Arena\" default:\"noname\"\n");
            } else if (line == "g_gametype") {
                c.print("\"g_gametype\" is:\"0\" default:\"0\"\n");
            } else {
                c.print("Unknown command \"" + line + "\"\n");
            }
        });
    }

    std::filesystem::path basePath() const { return base.path() / "q3"; }

    // Runs the poll timer up to `ticks` times while a dump runs (each tick
    // 10 ms of the clock).
    void tick(int ticks = 2000)
    {
        for (int i = 0; i < ticks && table.dumpRunning(); ++i) {
            clock.advance(10ms);
            table.tmrCvarDump_Timer();
        }
    }
    void runDump()
    {
        table.startDump();
        tick();
    }
    // A dump from the 1.32 engine, whose WRITECONFIG writes `contents`.
    void dumpOf(const std::string& contents)
    {
        table.learnDumpTarget(basePath().string());
        onWriteConfig = [this, contents](const std::string&) { writeFile(table.dumpTarget().file, contents); };
        runDump();
    }
};

} // namespace

TEST(CvarDumpTargetTest, EachEngineHasItsCommandAndFolder)
{
    const struct {
        const char *baseGame, *home, *game, *command, *file;
    } cases[] = {
        {"UNKNOWN COMMAND", "", "", "WRITECONFIG ..\\ravelin_tmp.cfg", "/srv/q3/ravelin_tmp.cfg"},
        {"UNKNOWN", "", "", "WRITECONFIG ..\\ravelin_tmp.cfg", "/srv/q3/ravelin_tmp.cfg"},
        {"baseoa", "/home/op/.openarena", "", "WRITECONFIG ravelin_tmp.cfg",
         "/home/op/.openarena/baseoa/ravelin_tmp.cfg"},
        {"baseoa", "/home/op/.openarena", "mymod", "WRITECONFIG ravelin_tmp.cfg",
         "/home/op/.openarena/mymod/ravelin_tmp.cfg"},
        {"baseq3", "/h", "UNKNOWN", "WRITECONFIG ravelin_tmp.cfg", "/h/baseq3/ravelin_tmp.cfg"},
        // Answers that are no folder or path fall back to the 1.32 way.
        {"/srv/q3", "/h", "", "WRITECONFIG ..\\ravelin_tmp.cfg", "/srv/q3/ravelin_tmp.cfg"},
        {"baseoa", "UNKNOWN", "", "WRITECONFIG ..\\ravelin_tmp.cfg", "/srv/q3/ravelin_tmp.cfg"},
    };
    for (const auto& c : cases) {
        const CvarDumpTarget target = cvarDumpTarget("/srv/q3", c.baseGame, c.home, c.game);
        EXPECT_EQ(target.command + " > " + target.file.string(), c.command + std::string(" > ") + c.file)
            << c.baseGame << ' ' << c.home << ' ' << c.game;
    }
}

TEST_F(CvarTableTest, LearnsWhereEachEngineWritesAskingEachCvarOnce)
{
    table.learnDumpTarget(basePath().string());
    EXPECT_EQ(table.dumpTarget().file, basePath() / "ravelin_tmp.cfg");
    EXPECT_EQ(console->entered(), std::vector<std::string>{"com_basegame"}) << "1.32 needs nothing more";

    ioq3 = true;
    fsGame = "mymod";
    table.learnDumpTarget(basePath().string());
    EXPECT_EQ(table.dumpTarget().file, base.path() / "home" / "mymod" / "ravelin_tmp.cfg");
    EXPECT_EQ(console->entered(), (std::vector<std::string>{"com_basegame", "com_basegame", "fs_homepath", "fs_game"}));
}

TEST_F(CvarTableTest, ADumpFillsTheTableSortedOnceAndDeletesTheFileAndASortKeepsTheSelection)
{
    for (bool ioq3Engine : {false, true}) {
        SCOPED_TRACE(ioq3Engine ? "ioq3" : "1.32");
        ioq3 = ioq3Engine;
        table.learnDumpTarget(basePath().string());
        const std::filesystem::path file = table.dumpTarget().file;
        onWriteConfig = [&](const std::string& name) {
            EXPECT_EQ(name, ioq3Engine ? "ravelin_tmp.cfg" : "..\\ravelin_tmp.cfg");
            writeFile(file, capture());
        };
        view = RecordingCvarsView{};
        runDump();
        ASSERT_FALSE(table.dumpRunning());
        EXPECT_TRUE(dialogs.asked().empty()) << dialogs.asked().at(0).text;
        ASSERT_EQ(view.rows.size(), 107u);
        EXPECT_EQ(view.rows.front().key, "capturelimit") << "sorted by key, ascending";
        EXPECT_EQ(std::tie(view.sortColumn, view.fills, view.busy, view.busyChanges, view.timer),
                  std::make_tuple(0, 1, false, 2, false));
        EXPECT_FALSE(std::filesystem::exists(file));
    }
    // A sort takes the selection along.
    view.selected = 2;
    const std::string key = view.rows[2].key;
    table.lvCVars_ColumnClick(2);
    EXPECT_EQ(view.sortColumn, 1);
    EXPECT_EQ(view.rows[static_cast<std::size_t>(view.selected)].key, key);
}

TEST_F(CvarTableTest, AFileStillGrowingOrTooShortIsReadAgain)
{
    table.learnDumpTarget(basePath().string());
    const std::filesystem::path file = table.dumpTarget().file;
    onWriteConfig = [&](const std::string&) { writeFile(file, "// gen"); };
    table.startDump();
    tick(5);
    EXPECT_TRUE(table.dumpRunning()) << "six bytes are not a dump yet";
    std::ofstream(file, std::ios::binary | std::ios::app) << "erated by quake\nseta a \"1\"\n";
    tick(1);
    std::ofstream(file, std::ios::binary | std::ios::app) << "seta b \"2\"\n";
    tick(10);
    ASSERT_FALSE(table.dumpRunning());
    EXPECT_EQ(view.rows, (std::vector<CvarRow>{{"a", "1"}, {"b", "2"}}));
}

TEST_F(CvarTableTest, AServerThatNeverWritesGivesTheMessageAndTheRowsStay)
{
    dumpOf("seta kept \"yes\"\n// padding...\n");
    ASSERT_EQ(view.rows.size(), 1u);

    onWriteConfig = nullptr;
    const auto started = clock.now();
    table.startDump();
    table.startDump(); // a second click while waiting is ignored
    EXPECT_EQ(std::count(console->entered().begin(), console->entered().end(), "WRITECONFIG ..\\ravelin_tmp.cfg"), 2);
    EXPECT_TRUE(view.busy);
    tick();
    EXPECT_GE(clock.now() - started, CvarTable::kDumpLimit);
    EXPECT_LE(clock.now() - started, CvarTable::kDumpLimit + 20ms);
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_THAT(dialogs.asked()[0].text,
                testing::AllOf(testing::HasSubstr((basePath() / "ravelin_tmp.cfg").string()),
                               testing::HasSubstr("10 seconds")));
    EXPECT_EQ(view.rows, (std::vector<CvarRow>{{"kept", "yes"}}));
    EXPECT_EQ(std::tie(view.busy, view.timer), std::make_tuple(false, false));

    // A file left behind by a late server is not taken for the next dump.
    writeFile(table.dumpTarget().file, "seta stale \"old\"\n// padding padding\n");
    table.startDump();
    tick(5);
    writeFile(table.dumpTarget().file, "seta fresh \"new\"\n// padding\n");
    tick();
    EXPECT_EQ(view.rows, (std::vector<CvarRow>{{"fresh", "new"}}));
}

TEST_F(CvarTableTest, ClosingTheWindowEndsAWaitQuietly)
{
    table.learnDumpTarget(basePath().string());
    table.startDump();
    unloading = true;
    table.tmrCvarDump_Timer();
    EXPECT_EQ(std::make_tuple(table.dumpRunning(), view.busy, dialogs.asked().size()),
              std::make_tuple(false, false, 0u));
    table.startDump();
    EXPECT_FALSE(table.dumpRunning());
}

// Searching is CvarList's (CvarListTest) and the page's (CvarsPageTest).

TEST_F(CvarTableTest, EditingSendsTheExactLineAndShowsTheTypedValueInTheRowItCameFrom)
{
    dumpOf("seta sv_hostname \"My Arena\"\nseta g_motd \"hi\"\n");
    view.selected = 1; // sv_hostname
    view.dialog = [](SetVarForm& form) {
        EXPECT_EQ(form.strName, "sv_hostname");
        EXPECT_EQ(form.strValue, "My Arena");
        EXPECT_TRUE(form.cmdApply_Click("Set", "sv_hostnamE", "New  Name"));
    };
    table.lvCVars_DblClick();
    EXPECT_EQ(console->entered().back(), "Set \"sv_hostnamE\" \"New  Name\"");
    EXPECT_EQ(view.rows[1], (CvarRow{"sv_hostname", "New  Name"}));

    // Cancel sends nothing; no selection opens nothing.
    const std::size_t sent = console->entered().size();
    view.dialog = [](SetVarForm&) {};
    table.lvCVars_DblClick();
    view.selected = -1;
    bool opened = false;
    view.dialog = [&](SetVarForm&) { opened = true; };
    table.lvCVars_DblClick();
    EXPECT_FALSE(opened);
    EXPECT_EQ(console->entered().size(), sent);
}

TEST_F(CvarTableTest, TheDialogRefusesTextThatWouldStartAnotherCommand)
{
    SetVarForm form(bridge, probe, dialogs, "sv_hostname", "x");
    const struct {
        const char *name, *value, *message; // message nullptr: sent
    } cases[] = {
        {"sv_hostname", "A; quit", SetVarForm::kUnsafeValue},
        {"sv_hostname", "say \"hi", SetVarForm::kUnsafeValue},
        {"sv_hostname", "two\nlines", SetVarForm::kUnsafeValue},
        {"sv_hostname", "cr\r", SetVarForm::kUnsafeValue},
        {"sv_host;quit", "x", SetVarForm::kUnsafeName},
        {"sv\"x", "x", SetVarForm::kUnsafeName},
        {"", "x", SetVarForm::kNoName},
        {"sv_hostname", "", nullptr},
        {"sv_hostname", "a 'b' \\c/ $d", nullptr},
    };
    for (const auto& c : cases) {
        dialogs.clear();
        const std::size_t before = console->entered().size();
        const bool sent = form.cmdApply_Click("SetA", c.name, c.value);
        EXPECT_EQ(sent, c.message == nullptr) << c.name << " / " << c.value;
        if (c.message) {
            EXPECT_EQ(console->entered().size(), before);
            ASSERT_EQ(dialogs.asked().size(), 1u);
            EXPECT_EQ(dialogs.asked()[0].text, c.message);
        } else {
            EXPECT_EQ(console->entered().back(), std::string("SetA \"") + c.name + "\" \"" + c.value + "\"");
        }
    }
}

TEST_F(CvarTableTest, GetCurrentAndGetDefaultAskTheServer)
{
    SetVarForm form(bridge, probe, dialogs, "sv_hostname", "x");
    EXPECT_EQ(form.cmdGetCurVal_Click("sv_hostname"), "My Arena");
    EXPECT_EQ(form.cmdDefault_Click("sv_hostname"), "noname");
    EXPECT_EQ(form.cmdDefault_Click("g_gametype"), "0") << "a value equal to its default";
    EXPECT_EQ(form.cmdGetCurVal_Click("nosuchvar"), "UNKNOWN COMMAND");
    const std::size_t before = console->entered().size();
    EXPECT_FALSE(form.cmdGetCurVal_Click("sv_hostname evil").has_value());
    EXPECT_FALSE(form.cmdDefault_Click("a;quit").has_value());
    EXPECT_EQ(console->entered().size(), before) << "a name that would run a command is not typed";
    EXPECT_EQ(dialogs.asked().size(), 2u);
}
