// The session core: everything the main window does with the server, the
// scripts and the timers' work, without a widget. It owns the script engine,
// the script host and the console pump, reads the probe's answers at load,
// holds the closing flag `Unloading`, and exposes the operations scripts
// reach as one table that every feature adds its rows to.
//
// The window (FrmMain) owns controls and QTimers and forwards: each tick
// calls the matching tmr…_Timer method here, each control event its handler.
// A test drives the same methods with a recording view and the simulated
// desktop, no QApplication needed.
//
// Every handler may yield inside the bridge, so timers and control events
// run in the middle of others; each timer method checks `Unloading` first,
// and the pump never nests.
#pragma once

#include "mainwindow/Notifications.h"
#include "config/CommandLine.h"
#include "config/ConfigEditor.h"
#include "config/CvarTable.h"
#include "clients/ClientsFeature.h"
#include "console/ConsolePump.h"
#include "console/CvarProbe.h"
#include "mainwindow/SectionPanels.h"
#include "mainwindow/SessionView.h"
#include "mainwindow/TimedCommandList.h"
#include "mainwindow/ShutdownChoice.h"
#include "mainwindow/SystemMonitor.h"
#include "mainwindow/TrayAnimation.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/HostInfo.h"
#include "platform/HttpServer.h"
#include "platform/MemoryInfo.h"
#include "platform/SettingsStore.h"
#include "platform/UdpSocket.h"
#include "platform/WallClock.h"
#include "scripting/OperationTable.h"
#include "scripting/RavelinOperations.h"
#include "scripting/ScriptHost.h"
#include "stats/StatsFeature.h"
#include "vbscript/ScriptControl.h"

#include <filesystem>
#include <functional>
#include <string>

namespace ravelin {

struct MainServices {
    ConsoleBridge& bridge;
    CvarProbe& probe;
    SettingsStore& settings;
    Dialogs& dialogs;
    std::filesystem::path appFolder;
    // The machine's name for scripts (sGetComputerName); none in some tests.
    HostInfo* host = nullptr;
    // Memory figures for the reports and the monitor; none in some tests.
    MemoryInfo* memory = nullptr;
    // The start procedure's: a fresh start window with Reloading set, and
    // the end of the program. Absent in some tests.
    std::function<void()> reopenStartWindow = {};
    std::function<void()> endProgram = {};
    // The clock bounded waits read; the steady clock when none is given.
    Clock* clock = nullptr;
    // wsClient, the status query's socket; none in some tests.
    UdpSocket* udp = nullptr;
    // The calendar clock bans end by; the system's when none is given.
    WallClock* wallClock = nullptr;
    // The command line the server in use was started with (its +exec file
    // is marked in the config editor); none in some tests.
    std::function<std::vector<std::string>()> serverArguments = {};
    // How the config editor runs a command and reads its output; the
    // console collector when none is given.
    RunCommand runCommand = {};
    // The statistics web page's server; none in some tests.
    HttpServer* http = nullptr;
    // The desktop's notifications; none in some tests.
    Notifier* notifier = nullptr;
};

class MainSession final : public RavelinOperations {
public:
    static constexpr int kUnloadYields = 10000;
    static constexpr const char* kConsoleGone = "*** The server console is gone: commands cannot be sent.";
    static constexpr const char* kConsoleBack = "*** The server console answers again.";
    static constexpr const char* kNotSent = "*** Not sent (no server console): ";
    static constexpr const char* kServerDown = "*** The server is not running: commands cannot be sent";
    static constexpr const char* kServerRestarted =
        "*** The server was started again: its settings and players are read afresh.";
    static constexpr const char* kNoConsole = "There is no server console: the variables cannot be read.";

    MainSession(MainServices services, SessionView& view);
    ~MainSession() override;
    MainSession(const MainSession&) = delete;
    MainSession& operator=(const MainSession&) = delete;

    // The load steps that are not about controls; runs once.
    void load();
    // The activation steps (first show, a dialog of ours closing, a restore).
    void activate();
    // Timers off in their order, Unloading set, then the yields so that
    // handlers suspended in a yield see the flag and return. Runs once.
    void unload();
    // Shows again the console hidden when this session connected to it; the
    // window calls it when it is closed for good.
    void handBackConsole();

    // The timers' work.
    void tmrConsole_Timer();
    void tmrClearOut_Timer();
    void tmrClient_Timer();
    void tmrBanned_Timer();
    void tmrAAI_Timer();
    void tmrReport_Timer();
    void tmrSystem_Timer();

    // Control events.
    void cmdClear_Click();
    void cmdInitScripts_Click() { InitScripts(); }
    // A line typed into the command line and Enter.
    void txtOut_Enter(const std::string& line);
    // A click on the cvars tab: the cvar dump.
    void cvarsTab_Click();
    // A click on the editor tab: the first one lists the files.
    void editorTab_Click() { m_configEditor.pageShown(); }
    // Double-click on the window background.
    void showConsoleAgain();

    // The end of the work with this server, after the shutdown dialog has
    // closed on a way (QUIT, where the way asks for it, is already sent).
    void leave(ShutdownWay way);
    void sendQuit();
    // The tray animation's step; every change of the console display.
    void BumpTray() { m_tray.BumpTray(); }

    // Operations scripts and other windows call.
    void ConsoleOut(const std::string& strData) override;
    std::string ConsoleExec(const std::string& strCommand) override;
    void DebugPrint(const std::string& strText) override;
    void InitScripts() override;
    std::string sGetComputerName() override;
    // The RAM status report said at once (scripts, the command line's RAM_STATUS).
    void DisplayRAMStats() { m_timedCommands.DisplayRAMStats(); }
    void RefreshPresets() { m_timedCommands.RefreshPresets(); }
    void ClearFuncHighlight() { m_sections.ClearFuncHighlight(); }
    bool HighlightFunc(int index) { return m_sections.HighlightFunc(index); }

    bool Unloading() const { return m_unloading; }
    bool loaded() const { return m_loaded; }
    int activations() const { return m_activations; }
    const std::string& GameBasePath() const { return m_gameBasePath; }
    bool consolePresent() const { return m_consolePresent; }

    OperationTable& operations() { return m_operations; }
    ConsolePump& pump() { return m_pump; }
    ScriptHost& scriptHost() { return m_scriptHost; }
    CvarTable& cvars() { return m_cvars; }
    CommandLine& commandLine() { return m_commandLine; }
    ConfigEditor& configEditor() { return m_configEditor; }
    // The script engine (scMain) every script of the session runs in.
    vbs::ScriptControl& scriptControl() { return m_scMain; }
    const MainServices& services() const { return m_services; }
    SystemMonitor& monitor() { return m_monitor; }
    TrayAnimation& tray() { return m_tray; }
    SessionView& view() { return m_view; }
    TimedCommandList& timedCommands() { return m_timedCommands; }
    SectionPanels& sections() { return m_sections; }
    ClientsFeature& clients() { return m_clients; }
    stats::StatsFeature& statistics() { return m_stats; }
    Notifications& notifications() { return m_notifications; }

private:
    void connectScriptDialogs();
    // Notices a console that went away (or came back) and says so once.
    void checkConsole();
    // The console's host started its server again: what the load learned
    // from the server is learned again, and the roster starts afresh.
    void followRestart();
    // A line from the command line, unless the console is gone.
    void sendTypedLine(const std::string& line);
    // Where the server keeps its files, for the config editor.
    ServerFolders serverFolders();
    ConfigEditorServices configEditorServices();
    std::string statisticsName();
    void notifyServerRun(const ServerRun& run);
    // A variable's value through the probe; "" when the server has none.
    std::string knownCvar(const char* name);

    MainServices m_services;
    SessionView& m_view;
    bool m_unloading = false;
    bool m_loaded = false;
    bool m_unloaded = false;
    bool m_consolePresent = true;
    int m_activations = 0;
    // How often the console's host had started its server when last seen
    // running (0: not known yet).
    std::uint32_t m_serverStarts = 0;
    std::string m_gameBasePath;
    OperationTable m_operations;
    ConsolePump m_pump;
    vbs::ScriptControl m_scMain;
    ScriptHost m_scriptHost;
    TimedCommandList m_timedCommands;
    SectionPanels m_sections;
    SystemMonitor m_monitor;
    TrayAnimation m_tray;
    SteadyClock m_steadyClock;
    CvarTable m_cvars;
    CommandLine m_commandLine;
    ClientsFeature m_clients;
    // fs_homepath and fs_game of an engine the cvar table did not ask
    // (Quake III 1.32), asked once when the editor first needs them.
    bool m_foldersAsked = false;
    std::string m_homePath;
    std::string m_fsGame;
    ConfigEditor m_configEditor;
    stats::StatsFeature m_stats;
    Notifications m_notifications;
    std::string m_serverName; // for notifications; "" until the first activation
    std::string m_downKind; // how the server was last seen down ("" while it runs)
    bool m_hostSpoke = false; // the console host wrote a server event this pass
};

} // namespace ravelin
