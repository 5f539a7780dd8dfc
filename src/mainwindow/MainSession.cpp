#include "mainwindow/MainSession.h"

#include "config/CommandLineOperations.h"
#include "mainwindow/ScriptDialogs.h"
#include "scripting/RavelinObject.h"

namespace ravelin {

MainSession::MainSession(MainServices services, SessionView& view)
    : m_services(std::move(services)), m_view(view), m_pump(m_services.bridge, view, m_unloading),
      m_scriptHost(m_scMain, view, m_operations, m_services.appFolder), m_timedCommands(m_services, view, m_unloading),
      m_monitor(m_services.memory, m_unloading),
      m_cvars(m_services.bridge, m_services.probe, m_services.dialogs,
              m_services.clock ? *m_services.clock : m_steadyClock, m_unloading),
      m_commandLine(m_services.settings, m_services.dialogs,
                    {[this](const std::string& line) { sendTypedLine(line); }, [this] { DisplayRAMStats(); }}),
      m_clients(ClientsServices{m_services.bridge, m_services.probe, m_services.dialogs, m_services.udp,
                                [this](bool on) { m_view.setTimerEnabled(SessionTimer::tmrClient, on); },
                                m_services.wallClock,
                                m_services.appFolder.empty() ? std::filesystem::path() : m_services.appFolder / "data"},
                m_unloading),
      m_configEditor(configEditorServices()),
      m_stats(m_services.settings, m_services.appFolder / "data", m_services.http),
      m_notifications(m_services.settings, m_services.notifier)
{
    addRavelinOperations(m_operations, *this);
    m_timedCommands.addOperations(m_operations);
    m_sections.addOperations(m_operations);
    m_operations.addMethod("BumpTray", 0, 0, [this](OperationTable::Args) {
        BumpTray();
        return vbs::Variant();
    });
    addCommandLineOperations(m_operations, m_commandLine);
    m_clients.registerOperations(m_operations);

    ConsolePumpHooks& hooks = m_pump.hooks();
    hooks.hasConsoleProc = [this](const std::string& proc) { return m_scriptHost.hasConsoleProc(proc); };
    hooks.showLastCall = [this](const std::string& proc, const std::string& data) { m_view.showLastCall(proc, data); };
    hooks.runConsoleProc = [this](const std::string& proc, const std::string& data) {
        return m_scriptHost.runConsoleProc(proc, data);
    };
    hooks.debugPrint = [this](const std::string& text) { DebugPrint(text); };
    hooks.parseStatusBlock = [this](const std::string& block) { m_clients.roster().ParseStatusBlock(block); };
    hooks.lineSeen = [this](const std::string& line) { return m_clients.lineSeen(line); };
    m_clients.admin().bans().setDebugPrint([this](const std::string& text) { DebugPrint(text); });
    m_clients.admin().bans().setOnKick([this](const std::string& name, const std::string& ban) {
        m_notifications.post(NotifyEvent::BannedKicked, m_serverName, "banned player kicked", name + " (" + ban + ")");
    });
    m_clients.admin().bans().setOnJoin([this](const std::string& name) {
        m_notifications.post(NotifyEvent::PlayerJoined, m_serverName, "player joined", name);
    });
    hooks.consoleLine = [this](const std::string& line) {
        m_stats.line(line);
        // The host's own lines on a crash or a restart ("*** The server ..."):
        // look at the console now, not at the next slow tick, so the desktop
        // hears of it at once.
        if (line.starts_with("*** The server "))
            m_hostSpoke = true;
    };
    hooks.passEnded = [this] {
        m_stats.endPass();
        if (std::exchange(m_hostSpoke, false))
            checkConsole();
    };
    connectScriptDialogs();
}

// The engine outlives nothing that could call back into the view.
MainSession::~MainSession() { m_scMain.callbacks() = vbs::HostCallbacks{}; }

void MainSession::connectScriptDialogs()
{
    vbs::HostCallbacks& callbacks = m_scMain.callbacks();
    callbacks.msgBox = [this](const std::string& prompt, int buttons, const std::string& title) {
        return scriptMsgBox(m_services.dialogs, prompt, buttons, title);
    };
    callbacks.inputBox = [this](const std::string& prompt, const std::string& title, const std::string& def) {
        return vbs::Variant::string(scriptInputBox(m_services.dialogs, prompt, title, def));
    };
}

void MainSession::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    m_timedCommands.RefreshPresets();
    // Timers enabled at design time run from the moment the window exists.
    for (SessionTimer t :
         {SessionTimer::tmrClearOut, SessionTimer::tmrBanned, SessionTimer::tmrReport, SessionTimer::tmrSystem})
        m_view.setTimerEnabled(t, true);
    const WindowHandle console = m_services.bridge.FindConsoleWindow();
    m_gameBasePath = m_services.probe.GetCvarValue(console, "FS_BASEPATH");
    m_cvars.learnDumpTarget(m_gameBasePath);
    if (const ServerRun run = m_services.bridge.windows().serverRun(console); run.known && run.running)
        m_serverStarts = run.starts;
    m_clients.admin().setChatFilterMode(-1);
    m_monitor.prepareChart();
}

void MainSession::activate()
{
    if (m_unloading)
        return;
    ++m_activations;
    InitScripts();
    m_view.setTimerEnabled(SessionTimer::tmrConsole, true);
    // The server's name is asked before its port, so reading the port stays
    // the last thing an activation sends.
    const std::string serverName = m_stats.opened() ? std::string() : statisticsName();
    if (!serverName.empty())
        m_serverName = serverName;
    const std::string runningMap = m_stats.opened() ? std::string() : knownCvar("mapname");
    m_clients.UpdateServerPort();
    if (!m_stats.opened())
        m_stats.open(serverName, m_clients.query().ServerPort(), runningMap);
    m_commandLine.applySettings();
}

// The history is per server: its name and port name the file. Asked at the
// first activation; the pump feeds the statistics from then on.
std::string MainSession::statisticsName() { return knownCvar("sv_hostname"); }

std::string MainSession::knownCvar(const char* name)
{
    const std::string value = m_services.probe.GetCvarValue(m_services.bridge.FindConsoleWindow(), name);
    return value == "UNKNOWN" || value == "UNKNOWN COMMAND" ? std::string() : value;
}

void MainSession::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    for (int i = 0; i < kSessionTimerCount; ++i)
        m_view.setTimerEnabled(static_cast<SessionTimer>(i), false);
    m_unloading = true;
    for (int i = 0; i < kUnloadYields; ++i)
        m_services.bridge.loop().yield();
}

void MainSession::handBackConsole()
{
    const WindowHandle console = m_services.bridge.FindConsoleWindow();
    if (console > 0 && !m_services.bridge.windows().isWindowVisible(console))
        m_services.bridge.ShowConsoleOf(true, console);
}

void MainSession::showConsoleAgain() { m_services.bridge.ShowConsole(true); }

void MainSession::sendQuit() { m_services.bridge.SendConsoleCommand("QUIT"); }

void MainSession::leave(ShutdownWay way)
{
    switch (way) {
    case ShutdownWay::RestoreConsole:
        // The server goes on in its own console window.
        m_services.bridge.ShowConsole(true);
        m_services.bridge.loop().yield();
        unload();
        if (m_services.endProgram)
            m_services.endProgram();
        return;
    case ShutdownWay::ShutdownAndEnd:
        unload();
        if (m_services.endProgram)
            m_services.endProgram();
        return;
    case ShutdownWay::SelectServer:
    case ShutdownWay::ShutdownAndSelect:
        unload();
        if (m_services.reopenStartWindow)
            m_services.reopenStartWindow();
        return;
    }
}

void MainSession::tmrConsole_Timer()
{
    if (m_unloading)
        return;
    m_pump.runPass();
}

void MainSession::tmrClearOut_Timer()
{
    if (m_unloading)
        return;
    m_pump.trimDisplay();
    checkConsole();
}

// The other timers hand their tick to the feature that owns it (roster,
// lasting bans, rotation, report, system monitor), once the closing flag is
// checked, so no feature runs while the window unloads.
void MainSession::tmrClient_Timer()
{
    if (m_unloading)
        return;
    m_clients.tmrClient_Timer();
}

void MainSession::tmrBanned_Timer()
{
    if (m_unloading)
        return;
    m_clients.tmrBanned_Timer();
}

void MainSession::tmrAAI_Timer()
{
    if (m_unloading)
        return;
    m_timedCommands.tmrAAI_Timer();
}

void MainSession::tmrReport_Timer()
{
    if (m_unloading)
        return;
    m_timedCommands.tmrReport_Timer();
}

void MainSession::tmrSystem_Timer()
{
    if (m_unloading)
        return;
    m_monitor.tmrSystem_Timer();
}

// A console counts as there while its window has a class name (a host that
// went away answers none) and its host's server runs.
void MainSession::checkConsole()
{
    const WindowHandle console = m_services.bridge.FindConsoleWindow();
    const bool hostThere = console > 0 && !m_services.bridge.WindowClassName(console).empty();
    const ServerRun run = hostThere ? m_services.bridge.windows().serverRun(console) : ServerRun{};
    if (m_unloading)
        return;
    const bool present = hostThere && (!run.known || run.running);
    if (hostThere)
        notifyServerRun(run);
    if (run.known && run.running) {
        const bool restarted = m_serverStarts != 0 && run.starts != m_serverStarts;
        m_serverStarts = run.starts;
        if (restarted)
            followRestart();
    }
    if (m_unloading || present == m_consolePresent)
        return;
    m_consolePresent = present;
    const std::string message = present ? std::string(kConsoleBack)
        : hostThere                     ? kServerDown + std::string(" (") + run.state + ")."
                                        : std::string(kConsoleGone);
    m_view.appendDisplay(message + "\r\n");
    m_view.showConsoleState(present, message);
    if (!present && !hostThere)
        m_notifications.post(NotifyEvent::ConsoleGone, m_serverName, "server console gone");
}

// A server down is told once per spell: crashed when its host will start it
// again, stopped when the host gave up after a crash loop.
void MainSession::notifyServerRun(const ServerRun& run)
{
    const std::string kind = !run.known || run.running ? std::string()
        : run.state.starts_with("restarting")          ? std::string("restarting")
        : run.state.starts_with("stopped")             ? std::string("stopped")
                                                       : std::string("ended");
    if (kind == m_downKind)
        return;
    m_downKind = kind;
    if (kind == "restarting")
        m_notifications.post(NotifyEvent::Crashed, m_serverName, "server crashed", run.state);
    else if (kind == "stopped")
        m_notifications.post(NotifyEvent::CrashLoop, m_serverName, "restarts stopped", run.state);
}

void MainSession::followRestart()
{
    m_view.appendDisplay(kServerRestarted + std::string("\r\n"));
    m_notifications.post(NotifyEvent::Restarted, m_serverName, "server started again");
    m_gameBasePath = m_services.probe.GetCvarValue(m_services.bridge.FindConsoleWindow(), "FS_BASEPATH");
    m_cvars.learnDumpTarget(m_gameBasePath);
    m_foldersAsked = false;
    if (!m_unloading)
        m_clients.serverRestarted();
}

void MainSession::cmdClear_Click() { m_pump.clear(); }

void MainSession::txtOut_Enter(const std::string& line) { m_commandLine.enter(line); }

void MainSession::cvarsTab_Click()
{
    if (!m_consolePresent) {
        m_services.dialogs.messageBox(kNoConsole, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return;
    }
    m_cvars.startDump();
}

void MainSession::sendTypedLine(const std::string& line)
{
    if (!m_consolePresent) {
        m_view.appendDisplay(kNotSent + line + "\r\n");
        return;
    }
    m_services.bridge.SendConsoleCommand(line);
}

ServerFolders MainSession::serverFolders()
{
    ServerFolders folders{m_gameBasePath, m_cvars.homePath(), m_cvars.fsGame(), m_cvars.baseGame()};
    if (folders.ioq3())
        return folders;
    if (!m_foldersAsked) {
        m_foldersAsked = true;
        const WindowHandle console = m_services.bridge.FindConsoleWindow();
        m_homePath = m_services.probe.GetCvarValue(console, "fs_homepath");
        m_fsGame = m_services.probe.GetCvarValue(console, "fs_game");
    }
    folders.homePath = m_homePath;
    folders.fsGame = m_fsGame;
    return folders;
}

ConfigEditorServices MainSession::configEditorServices()
{
    ConfigEditorServices services{m_services.dialogs, [this] { return serverFolders(); }};
    services.serverArguments = m_services.serverArguments;
    services.runCommand = m_services.runCommand;
    if (!services.runCommand)
        services.runCommand = [this](const std::string& command) {
            if (!m_consolePresent || m_unloading)
                return CommandOutput{false, {}, "The server console is gone."};
            ConsoleBridge& bridge = m_services.bridge;
            return bridge.ExecCommand(bridge.FindConsoleWindow(), command, ConsoleBridge::kExecTimeoutMs);
        };
    services.knownCvars = [this] {
        std::vector<std::string> names;
        for (const CvarRow& row : m_cvars.list().rows())
            names.push_back(row.key);
        return names;
    };
    return services;
}

void MainSession::ConsoleOut(const std::string& strData) { m_services.bridge.SendConsoleCommand(strData); }

std::string MainSession::ConsoleExec(const std::string& strCommand)
{
    ConsoleBridge& bridge = m_services.bridge;
    CommandOutput output = bridge.ExecCommand(bridge.FindConsoleWindow(), strCommand, ConsoleBridge::kExecTimeoutMs);
    if (!output.ok) {
        DebugPrint("ConsoleExec [" + strCommand + "]: " + output.error);
        return {};
    }
    std::string text;
    for (const std::string& line : output.lines)
        text += line + "\r\n";
    return text;
}

void MainSession::DebugPrint(const std::string& strText) { m_view.DebugPrint(strText); }

void MainSession::InitScripts() { m_scriptHost.InitScripts(); }

std::string MainSession::sGetComputerName()
{
    return m_services.host ? m_services.host->computerName() : std::string();
}

} // namespace ravelin
