// The machines Ravelin reaches over ssh, as the operator lists them: each is
// `user@host`, `user@host:port` or an ssh host alias, with an optional
// identity file, kept in the settings' "Remote" section (MachineCount,
// Machine1.., Identity1..; SshConfig names an ssh configuration file of
// Ravelin's own, passed as `ssh -F`).
//
// Every name is checked before it becomes an ssh argument: a user or host
// that starts with "-", holds a blank or any character a shell or ssh would
// read as more than a name is refused with a message saying why. Nothing
// from the settings reaches a shell; ssh is started with an argument list.
//
// MachineSet ties the list to the window manager's links: it starts one link
// per machine, adds and removes machines in both places, and says what the
// start window shows for a machine.
#pragma once

#include "platform/SettingsStore.h"
#include "platform/WindowManager.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace ravelin {

namespace ipc {
class MachineWindowManager;
}

struct MachineEntry {
    std::string target; // user@host or a host alias
    int port = 0; // 0: ssh's own choice
    std::string identity; // "" for ssh's own keys and agent

    // The name the start window and the settings use: target, and ":port" when one is given.
    std::string name() const { return port > 0 ? target + ":" + std::to_string(port) : target; }
};

// Reads "USER@HOST[:PORT]" or "ALIAS[:PORT]"; nullopt with `error` set
// when it is not a name ssh can be given safely.
std::optional<MachineEntry> parseMachine(const std::string& text, std::string& error);
// An identity file must be a plain path (not an option, no control characters).
bool validIdentity(const std::string& path, std::string& error);

std::vector<MachineEntry> loadMachines(SettingsStore& settings);
void saveMachines(SettingsStore& settings, const std::vector<MachineEntry>& machines);
// Adds (or replaces, by name) one machine in the settings.
void storeMachine(SettingsStore& settings, const MachineEntry& machine);

class MachineSet {
public:
    MachineSet(SettingsStore& settings, ipc::MachineWindowManager& windows) : m_settings(settings), m_windows(windows)
    {}

    // Starts a link to every machine in the settings, all at once, and
    // waits up to `wait` for them to answer or fail, so the first list
    // shows what they run.
    void connectAll(std::chrono::milliseconds wait = std::chrono::seconds(10));
    // Adds a machine from what the operator typed; "" when added, else why not.
    std::string add(const std::string& text, const std::string& identity);
    void remove(const std::string& name);

    std::vector<std::string> names() const;
    // The machine a console runs on; "" for this machine.
    std::string machineOf(WindowHandle console) const;
    // What the start window shows beside a machine's name: "connected",
    // "connecting", or why the link is down and when it is tried again.
    std::string stateText(const std::string& name);

private:
    void start(const MachineEntry& machine);

    SettingsStore& m_settings;
    ipc::MachineWindowManager& m_windows;
};

} // namespace ravelin
