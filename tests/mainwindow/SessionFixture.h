// A session core on the simulated desktop with a view made of plain members:
// the whole main-window logic runs here without a QApplication.
#pragma once

#include "config/PresetFile.h"
#include "mainwindow/MainSession.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/SimServices.h"
#include "support/TestEnvironment.h"

#include <gmock/gmock.h>

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace ravelin::test {

// A 1.32 server's answers to the main window's queries on load.
inline void answerAsQuake3(sim::SimConsole& c, const std::string& line)
{
    if (line == "FS_BASEPATH")
        c.print("\"fs_basepath\" is:\"/srv/q3\" default:\"\"\n");
    else if (line == "net_port")
        c.print("\"net_port\" is:\"27960\" default:\"27960\"\n");
    else // as a 1.32 server answers a name it does not know
        c.print("Unknown command \"" + line + "\"\n");
}

// One script file as the module "Console" in the application folder `app`.
inline void writeConsoleScript(const std::filesystem::path& app, const std::string& code)
{
    writeFile(app / "Scripts" / "InitScripts.txt", "console.vbs, Console\n");
    writeFile(app / "Scripts" / "console.vbs", code);
}

// A preset file as the function page saves it.
inline void writePreset(const std::filesystem::path& app, const std::string& file, const std::string& display,
                        std::vector<std::string> commands)
{
    writeFile(app / "presets" / (file + ".pst"), *encodePreset({display, file, std::move(commands)}));
}

struct RecordingSessionView : SessionView {
    std::string display;
    std::vector<std::string> consoleProcs;
    std::vector<std::string> scripts;
    std::vector<std::string> debug;
    std::string lastProc;
    std::string lastData;
    std::array<bool, kSessionTimerCount> timers{};
    std::array<int, kSessionTimerCount> intervals{};
    bool consolePresent = true;

    void appendDisplay(std::string_view text) override { display += text; }
    std::string displayText() const override { return display; }
    void setDisplayText(std::string_view text) override { display = std::string(text); }
    void clearScriptLists() override
    {
        consoleProcs.clear();
        scripts.clear();
    }
    void addConsoleProc(const std::string& p) override { consoleProcs.push_back(p); }
    void addScriptEntry(const std::string& e) override { scripts.push_back(e); }
    void DebugPrint(const std::string& t) override { debug.push_back(t); }
    void showLastCall(const std::string& proc, const std::string& data) override
    {
        lastProc = proc;
        lastData = data;
    }
    void setTimerEnabled(SessionTimer t, bool on) override { timers[static_cast<std::size_t>(t)] = on; }
    bool timerEnabled(SessionTimer t) const override { return timers[static_cast<std::size_t>(t)]; }
    void setTimerInterval(SessionTimer t, int ms) override { intervals[static_cast<std::size_t>(t)] = ms; }
    void showConsoleState(bool present, const std::string&) override { consolePresent = present; }
    bool on(SessionTimer t) const { return timerEnabled(t); }
};

struct SessionTest : testing::Test {
    sim::SimDesktop desktop;
    sim::SimMessageLoop loop;
    ConsoleBridge bridge{desktop, loop};
    CvarProbe probe{bridge};
    sim::MemorySettings settings;
    sim::ScriptedDialogs dialogs;
    sim::FixedHostInfo host;
    TempDir appFolder{"ravelin-app"};
    sim::SimConsole* console = nullptr;
    RecordingSessionView view;
    std::unique_ptr<MainSession> session;

    SessionTest()
    {
        console = &desktop.addConsole();
        console->setServer(answerAsQuake3);
        bridge.setSelectedConsole(console->handle());
        std::filesystem::create_directories(appFolder.path() / "Scripts");
    }

    MainSession& makeSession()
    {
        session = std::make_unique<MainSession>(MainServices{bridge, probe, settings, dialogs, appFolder.path(), &host},
                                                view);
        return *session;
    }

    void useConsoleScript(const std::string& code) { writeConsoleScript(appFolder.path(), code); }
};

} // namespace ravelin::test
