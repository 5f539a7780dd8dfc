#include "launcher/ServerList.h"

#include "launcher/GatehopInstaller.h"
#include "launcher/Machines.h"

#include <charconv>
#include <limits>

namespace ravelin {

namespace {

constexpr std::string_view kHandlePrefix = "hwnd";

} // namespace

// Marks the list as busy for the length of an action that yields, so clicks
// arriving through those yields are ignored instead of acting on a tree that
// is being rebuilt.
struct ServerList::BuildGuard {
    explicit BuildGuard(ServerList& list) : m_list(list), m_was(list.m_building) { m_list.m_building = true; }
    ~BuildGuard() { m_list.m_building = m_was; }
    BuildGuard(const BuildGuard&) = delete;
    BuildGuard& operator=(const BuildGuard&) = delete;
    ServerList& m_list;
    bool m_was;
};

ServerList::ServerList(ConsoleBridge& bridge, CvarProbe& probe, SettingsStore& settings, Dialogs& dialogs,
                       HostInfo& host, std::string programFolder, Callbacks callbacks)
    : m_bridge(bridge), m_probe(probe), m_settings(settings), m_dialogs(dialogs), m_host(host),
      m_programFolder(std::move(programFolder)), m_callbacks(std::move(callbacks))
{
    while (m_programFolder.size() > 1 && m_programFolder.back() == '/')
        m_programFolder.pop_back();
}

std::optional<WindowHandle> ServerList::serverHandle(const std::string& key)
{
    if (key.size() <= kHandlePrefix.size() || key.compare(0, kHandlePrefix.size(), kHandlePrefix) != 0)
        return std::nullopt;
    std::string_view id(key);
    id.remove_prefix(kHandlePrefix.size());
    for (char c : id)
        if (c < '0' || c > '9')
            return std::nullopt;
    long long value = 0;
    auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), value);
    if (error != std::errc() || end != id.data() + id.size() || value <= 0
        || value > std::numeric_limits<WindowHandle>::max())
        return std::nullopt;
    return static_cast<WindowHandle>(value);
}

void ServerList::changed()
{
    if (m_callbacks.treeChanged)
        m_callbacks.treeChanged();
}

const ServerNode* ServerList::findNode(const std::string& key) const
{
    if (m_tree.machine.key == key && !key.empty())
        return &m_tree.machine;
    for (const ServerNode& node : m_tree.children)
        if (node.key == key)
            return &node;
    for (const MachineBranch& branch : m_tree.remotes) {
        if (branch.node.key == key)
            return &branch.node;
        for (const ServerNode& node : branch.children)
            if (node.key == key)
                return &node;
    }
    return nullptr;
}

void ServerList::select(std::optional<std::string> key)
{
    if (key && !findNode(*key))
        key.reset();
    m_selected = std::move(key);
}

void ServerList::load()
{
    const std::string version =
        std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." + std::to_string(kVersionRevision);
    m_settings.saveSetting(kSettingsApp, "Settings", "EXEPath", m_programFolder + "/ravelin");
    m_settings.saveSetting(kSettingsApp, "Settings", "APPPath", m_programFolder);
    m_settings.saveSetting(kSettingsApp, "Internal", "CurrentVersion", version);

    m_versionLabel += std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + " Rev."
        + std::to_string(kVersionRevision);
    changed();

    if (!m_reloading)
        m_autoConnect = true;
    BuildServerList();
    m_autoConnect = false;
}

void ServerList::BuildServerList()
{
    if (m_building || m_connected || m_ended)
        return;
    BuildGuard guard(*this);

    m_defaultServerText = m_settings.getSetting(kSettingsApp, "Launch", "DefaultServer", kNoDefault);

    const std::string ip = m_host.localIp();
    m_tree = ServerTree{};
    m_tree.machine = ServerNode{ip, m_host.computerName() + "   [" + ip + "]", 3, "SERVER"};
    m_selected.reset();
    if (m_machines) {
        for (const std::string& name : m_machines->names())
            m_tree.remotes.push_back(
                {ServerNode{kMachinePrefix + name, name + "   [" + m_machines->stateText(name) + "]", 3, "SERVER"},
                 {}});
    }
    changed();

    WindowManager& windows = m_bridge.windows();
    for (WindowHandle console = windows.findNextWindow(0, kConsoleTitle); console > 0;
         console = windows.findNextWindow(console, kConsoleTitle)) {
        m_bridge.ShowConsoleOf(false, console);
        // A console whose server is not running cannot be asked its name:
        // its state stands in for it.
        const ServerRun run = windows.serverRun(console);
        std::string hostName =
            run.known && !run.running ? kNotRunning + run.state : m_probe.GetCvarValue(console, "sv_hostname");
        // Quit may have ended the program while the probe waited.
        if (m_ended)
            return;
        ServerNode node{std::string(kHandlePrefix) + std::to_string(console), kServerPrefix + hostName + "]", 2,
                        "GAME"};
        // A console on another machine goes under that machine's node.
        const std::string machine = m_machines ? m_machines->machineOf(console) : std::string();
        std::vector<ServerNode>* under = &m_tree.children;
        for (MachineBranch& branch : m_tree.remotes)
            if (!machine.empty() && branch.node.key == kMachinePrefix + machine)
                under = &branch.children;
        under->push_back(node);
        m_tree.expanded = true;
        changed();
        if (m_autoConnect && node.text == m_defaultServerText) {
            m_selected = node.key;
            changed();
            connectTo(console);
            return;
        }
    }

    if (m_tree.children.empty())
        m_tree.children.push_back(ServerNode{kRefreshKey, kRefreshText, 0, ""});
    m_tree.expanded = true;
    changed();
    if (m_callbacks.showWindow)
        m_callbacks.showWindow();
}

std::optional<WindowHandle> ServerList::selectedServer()
{
    std::optional<WindowHandle> handle;
    if (m_selected)
        handle = serverHandle(*m_selected);
    if (!handle)
        m_dialogs.messageBox(kNoSelection);
    return handle;
}

void ServerList::connectTo(WindowHandle console)
{
    m_connected = true;
    m_bridge.setSelectedConsole(console);
    m_bridge.ShowConsoleOf(false, console);
    if (m_callbacks.showMainWindow)
        m_callbacks.showMainWindow();
    if (m_callbacks.closeWindow)
        m_callbacks.closeWindow();
}

void ServerList::Connect()
{
    if (m_building || m_connected || m_ended)
        return;
    if (auto console = selectedServer()) {
        // One that will not come back by itself is no server to work with;
        // one restarting is followed once it runs.
        const ServerRun run = m_bridge.windows().serverRun(*console);
        if (run.known && !run.running && run.state.rfind("restarting", 0) != 0) {
            m_dialogs.messageBox(kServerEnded + run.state + "): start it again with \"ravelin-console restart "
                                     + std::to_string(*console) + "\".",
                                 Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
            return;
        }
        connectTo(*console);
    }
}

void ServerList::ShowServer()
{
    if (m_building || m_connected || m_ended)
        return;
    if (auto console = selectedServer()) {
        if (m_bridge.windows().isRemote(*console)) {
            m_dialogs.messageBox(kFarConsole, Dialogs::Buttons::Ok, Dialogs::Icon::Information);
            return;
        }
        m_bridge.ShowConsoleOf(true, *console);
        m_bridge.windows().setFocus(*console);
    }
}

void ServerList::KillServer()
{
    if (m_building || m_connected || m_ended || !m_selected)
        return;
    auto console = selectedServer();
    if (!console)
        return;
    {
        BuildGuard guard(*this);
        m_bridge.SendConsoleCommandTo("QUIT", *console);
        if (m_ended)
            return;
    }
    BuildServerList();
}

void ServerList::SetDefaultServer()
{
    if (m_building || m_connected || m_ended)
        return;
    if (!selectedServer())
        return;
    const std::string text = findNode(*m_selected)->text;
    const std::string stored = m_settings.getSetting(kSettingsApp, "Launch", "DefaultServer", "");
    if (text == stored) {
        if (m_dialogs.messageBox(kAlreadyDefault, Dialogs::Buttons::YesNo, Dialogs::Icon::Question)
            == Dialogs::Answer::Yes)
            m_settings.saveSetting(kSettingsApp, "Launch", "DefaultServer", "");
        return;
    }
    const std::string question = "Would you like to set \"" + text + "\" as the default server?";
    if (m_dialogs.messageBox(question, Dialogs::Buttons::YesNo, Dialogs::Icon::Question) == Dialogs::Answer::Yes) {
        m_settings.saveSetting(kSettingsApp, "Launch", "DefaultServer", text);
        m_dialogs.messageBox(kDefaultSet);
    }
}

void ServerList::NodeClick(const std::string& key)
{
    if (m_building || m_connected || m_ended)
        return;
    const ServerNode* node = findNode(key);
    if (!node)
        return;
    const std::string tag = node->tag;
    if (key == kRefreshKey)
        BuildServerList();
    if (tag == "SERVER" && !m_ended && !m_connected) {
        m_tree.expanded = !m_tree.expanded;
        changed();
    }
}

void ServerList::showAllConsoles()
{
    WindowManager& windows = m_bridge.windows();
    for (WindowHandle console = windows.findNextWindow(0, kConsoleTitle); console > 0;
         console = windows.findNextWindow(console, kConsoleTitle))
        m_bridge.ShowConsoleOf(true, console);
}

void ServerList::Quit()
{
    if (m_connected || m_ended)
        return;
    if (m_dialogs.messageBox(kQuitQuestion, Dialogs::Buttons::YesNo, Dialogs::Icon::Question, kQuitTitle)
        != Dialogs::Answer::Yes)
        return;
    // Honoured even mid-build: a console that never answers must not keep
    // the operator from leaving.
    showAllConsoles();
    m_ended = true;
    if (m_callbacks.endProgram)
        m_callbacks.endProgram();
}

void ServerList::Gatehop()
{
    if (m_building || m_connected || m_ended)
        return;
    if (m_gatehop)
        m_gatehop->Install();
    else
        m_dialogs.messageBox(kGatehopUnavailable, Dialogs::Buttons::Ok, Dialogs::Icon::Information);
}

void ServerList::AddMachine()
{
    if (m_building || m_connected || m_ended || !m_machines)
        return;
    auto text = m_dialogs.prompt(kAddMachinePrompt);
    if (!text || text->empty())
        return;
    auto identity = m_dialogs.prompt(kIdentityPrompt);
    if (!identity)
        return;
    const std::string refused = m_machines->add(*text, *identity);
    if (!refused.empty()) {
        m_dialogs.messageBox(refused, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return;
    }
    BuildServerList();
}

void ServerList::RemoveMachine()
{
    if (m_building || m_connected || m_ended || !m_machines)
        return;
    const std::string prefix = kMachinePrefix;
    if (!m_selected || m_selected->compare(0, prefix.size(), prefix) != 0) {
        m_dialogs.messageBox(kSelectMachine);
        return;
    }
    const std::string name = m_selected->substr(prefix.size());
    if (m_dialogs.messageBox("Remove the machine " + name + " from the list?", Dialogs::Buttons::YesNo,
                             Dialogs::Icon::Question)
        != Dialogs::Answer::Yes)
        return;
    m_machines->remove(name);
    BuildServerList();
}

void ServerList::refreshMachines()
{
    if (m_building || m_connected || m_ended || !m_machines)
        return;
    bool relist = false;
    bool textChanged = false;
    const auto names = m_machines->names();
    relist = names.size() != m_tree.remotes.size();
    for (std::size_t i = 0; i < m_tree.remotes.size() && !relist; ++i) {
        MachineBranch& branch = m_tree.remotes[i];
        const std::string name = names[i];
        const std::string text = name + "   [" + m_machines->stateText(name) + "]";
        const bool wasUp = branch.node.text.ends_with("[connected]");
        const bool isUp = text.ends_with("[connected]");
        relist = branch.node.key != kMachinePrefix + name || wasUp != isUp;
        if (branch.node.text != text) {
            branch.node.text = text;
            textChanged = true;
        }
    }
    if (relist)
        BuildServerList();
    else if (textChanged)
        changed();
}

void ServerList::windowClosing()
{
    if (m_connected || m_ended)
        return;
    m_ended = true;
    showAllConsoles();
}

} // namespace ravelin
