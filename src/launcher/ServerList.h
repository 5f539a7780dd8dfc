// The start window's logic, free of any widget: the server tree (a machine
// node with one child per server console, or the refresh prompt), the list
// build that hides each console and asks it for its host name, the
// default-server auto-connect of a fresh start, and the rules of the
// window's buttons with their exact messages.
//
// The window owns one ServerList, forwards clicks and the tree's selection
// to it and redraws the tree whenever `treeChanged` fires. A list build
// waits in the cvar probe, which yields to the message loop, so clicks can
// arrive in the middle of one: every action except Quit is ignored while a
// build runs (a half-built tree is no basis for Connect or Kill), and Quit
// stops the build after the probe in progress.
#pragma once

#include "console/ConsoleBridge.h"
#include "console/CvarProbe.h"
#include "platform/Dialogs.h"
#include "platform/HostInfo.h"
#include "platform/SettingsStore.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ravelin {

class GatehopInstaller;
class MachineSet;

inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 448;

struct ServerNode {
    std::string key;
    std::string text;
    int image = 0; // 2 server, 3 machine, 0 none
    std::string tag;
};

// Another machine, reached over ssh, and the consoles listed on it.
struct MachineBranch {
    ServerNode node;
    std::vector<ServerNode> children;
};

struct ServerTree {
    ServerNode machine;
    std::vector<ServerNode> children;
    bool expanded = false;
    std::vector<MachineBranch> remotes;
};

class ServerList {
public:
    static constexpr const char* kNoSelection = "Please select a server";
    static constexpr const char* kRefreshKey = "REFRESH";
    static constexpr const char* kRefreshText = "No servers found: click here to refresh";
    static constexpr const char* kServerPrefix = "Quake 3 Arena [";
    static constexpr const char* kAlreadyDefault =
        "The currently selected server is already set to default, would you like to delete that setting?";
    static constexpr const char* kDefaultSet = "Default server has been set.  If you change the Name of your "
                                               "server, you will have to set it as the default again...";
    static constexpr const char* kQuitQuestion = "Are you sure you want to quit?";
    static constexpr const char* kQuitTitle = "Quit Quake 3:Ravelin?";
    static constexpr const char* kNotRunning = "not running: ";
    static constexpr const char* kServerEnded = "The server of this console is not running (";
    static constexpr const char* kGatehopUnavailable = "The Gatehop installer is not available in this version.";
    // A machine reached over ssh: its node's key is this and the machine's name.
    static constexpr const char* kMachinePrefix = "MACHINE:";
    static constexpr const char* kAddMachinePrompt =
        "Machine to add: user@host, user@host:port or a host alias from your ssh configuration";
    static constexpr const char* kIdentityPrompt =
        "Identity file for this machine (leave blank for ssh's own keys and agent):";
    static constexpr const char* kSelectMachine = "Please select a machine";
    static constexpr const char* kFarConsole =
        "This console runs on another machine: its window is shown on that machine's desktop.";
    // Stands in for an absent default: no node text can equal it.
    static constexpr const char* kNoDefault = "9999999999999999999999";

    struct Callbacks {
        std::function<void()> treeChanged;
        // Build step 5: the window becomes visible.
        std::function<void()> showWindow;
        // Connect: the console is chosen; show the main window.
        std::function<void()> showMainWindow;
        // Connect ends the window's life.
        std::function<void()> closeWindow;
        std::function<void()> endProgram;
    };

    ServerList(ConsoleBridge& bridge, CvarProbe& probe, SettingsStore& settings, Dialogs& dialogs, HostInfo& host,
               std::string programFolder, Callbacks callbacks);

    bool Reloading() const { return m_reloading; }
    void setReloading(bool reloading) { m_reloading = reloading; }

    // Load steps: settings, version label, first build (auto-connecting at
    // a fresh start).
    void load();
    // "Ravelin Version 1.0 Rev.448" once loaded, "Ravelin Version " before.
    const std::string& versionLabel() const { return m_versionLabel; }

    const ServerTree& tree() const { return m_tree; }
    bool building() const { return m_building; }
    bool connected() const { return m_connected; }
    bool ended() const { return m_ended; }

    // The tree's selection, by node key; the window reports every change.
    void select(std::optional<std::string> key);
    const std::optional<std::string>& selectedKey() const { return m_selected; }

    // A node's console handle when the key names a server node ("hwnd"
    // followed by a positive decimal handle), else nullopt. The machine
    // node's key is an IP address and never qualifies, whatever its digits.
    static std::optional<WindowHandle> serverHandle(const std::string& key);

    void BuildServerList();
    void Connect();
    void ShowServer();
    void KillServer();
    void SetDefaultServer();
    void NodeClick(const std::string& key);
    void Quit();
    void Gatehop();
    // The machines reached over ssh (none when null).
    void setMachines(MachineSet* machines) { m_machines = machines; }
    void AddMachine();
    void RemoveMachine();
    // The window's timer: machine nodes show their link's state as it is
    // now, and a machine that came up (or went) has its consoles listed again.
    void refreshMachines();
    // The installer the Gatehop button runs (owned by the window).
    void setGatehopInstaller(GatehopInstaller* installer) { m_gatehop = installer; }
    // The window is closed by other means than Connect or Quit: every
    // listed console is shown again so no server is left without a window.
    void windowClosing();

private:
    struct BuildGuard;
    const ServerNode* findNode(const std::string& key) const;
    // The selected server node's handle, or nullopt after telling the
    // operator to select a server.
    std::optional<WindowHandle> selectedServer();
    void showAllConsoles();
    void connectTo(WindowHandle console);
    void changed();

    ConsoleBridge& m_bridge;
    CvarProbe& m_probe;
    SettingsStore& m_settings;
    Dialogs& m_dialogs;
    HostInfo& m_host;
    std::string m_programFolder;
    Callbacks m_callbacks;

    bool m_reloading = false;
    bool m_autoConnect = false;
    std::string m_defaultServerText;
    std::string m_versionLabel = "Ravelin Version ";
    ServerTree m_tree;
    std::optional<std::string> m_selected;
    bool m_building = false;
    bool m_connected = false;
    bool m_ended = false;
    GatehopInstaller* m_gatehop = nullptr;
    MachineSet* m_machines = nullptr;
};

} // namespace ravelin
