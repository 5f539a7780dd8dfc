#include "launcher/Machines.h"

#include "platform/ipc/MachineWindowManager.h"

#include <chrono>
#include <thread>

namespace ravelin {

namespace {

constexpr const char* kSection = "Remote";

// Letters, digits and the few marks user and host names use; nothing a
// shell, ssh's option parser or its token expansion would read.
bool nameCharacter(char c, bool host)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return c == '.' || c == '-' || c == '_' || (host && c == ':');
}

bool checkName(const std::string& name, const char* what, bool host, std::string& error)
{
    if (name.empty()) {
        error = std::string("The ") + what + " is missing.";
        return false;
    }
    if (name.front() == '-') {
        error = std::string("The ") + what + " \"" + name + "\" starts with \"-\": ssh would read it as an option.";
        return false;
    }
    for (char c : name) {
        if (c == ' ' || c == '\t') {
            error = std::string("The ") + what + " \"" + name + "\" holds a blank.";
            return false;
        }
        if (!nameCharacter(c, host)) {
            error = std::string("The ") + what + " \"" + name + "\" holds \"" + std::string(1, c)
                + "\", which is not part of a name.";
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<MachineEntry> parseMachine(const std::string& text, std::string& error)
{
    MachineEntry entry;
    std::string rest = text;
    // A trailing ":digits" is the port.
    if (auto colon = rest.rfind(':'); colon != std::string::npos && colon + 1 < rest.size()
        && rest.find_first_not_of("0123456789", colon + 1) == std::string::npos && rest.size() - colon <= 6) {
        const long port = std::stol(rest.substr(colon + 1));
        if (port < 1 || port > 65535) {
            error = "The port " + rest.substr(colon + 1) + " is not between 1 and 65535.";
            return std::nullopt;
        }
        entry.port = static_cast<int>(port);
        rest.erase(colon);
    }
    std::string host = rest;
    if (auto at = rest.find('@'); at != std::string::npos) {
        if (!checkName(rest.substr(0, at), "user name", false, error))
            return std::nullopt;
        host = rest.substr(at + 1);
    }
    if (!checkName(host, "host name", false, error))
        return std::nullopt;
    entry.target = rest;
    return entry;
}

bool validIdentity(const std::string& path, std::string& error)
{
    if (path.empty())
        return true;
    if (path.front() == '-') {
        error = "The identity file \"" + path + "\" starts with \"-\": ssh would read it as an option.";
        return false;
    }
    for (char c : path) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            error = "The identity file's name holds a control character.";
            return false;
        }
    }
    return true;
}

std::vector<MachineEntry> loadMachines(SettingsStore& settings)
{
    std::vector<MachineEntry> machines;
    const std::string countText = settings.getSetting(kSettingsApp, kSection, "MachineCount", "0");
    const int count = countText.find_first_not_of("0123456789") == std::string::npos && countText.size() < 4
        ? std::stoi(countText.empty() ? "0" : countText)
        : 0;
    for (int i = 1; i <= count; ++i) {
        const std::string n = std::to_string(i);
        std::string error;
        auto entry = parseMachine(settings.getSetting(kSettingsApp, kSection, "Machine" + n), error);
        const std::string identity = settings.getSetting(kSettingsApp, kSection, "Identity" + n);
        // An entry edited by hand into something unsafe is left out, not run.
        if (!entry || !validIdentity(identity, error))
            continue;
        entry->identity = identity;
        machines.push_back(*entry);
    }
    return machines;
}

void saveMachines(SettingsStore& settings, const std::vector<MachineEntry>& machines)
{
    const int before = std::stoi("0" + settings.getSetting(kSettingsApp, kSection, "MachineCount", "0"));
    for (std::size_t i = 0; i < machines.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        settings.saveSetting(kSettingsApp, kSection, "Machine" + n, machines[i].name());
        settings.saveSetting(kSettingsApp, kSection, "Identity" + n, machines[i].identity);
    }
    for (int i = static_cast<int>(machines.size()) + 1; i <= before; ++i) {
        settings.saveSetting(kSettingsApp, kSection, "Machine" + std::to_string(i), "");
        settings.saveSetting(kSettingsApp, kSection, "Identity" + std::to_string(i), "");
    }
    settings.saveSetting(kSettingsApp, kSection, "MachineCount", std::to_string(machines.size()));
}

void storeMachine(SettingsStore& settings, const MachineEntry& machine)
{
    auto machines = loadMachines(settings);
    bool replaced = false;
    for (MachineEntry& known : machines) {
        if (known.name() == machine.name()) {
            known = machine;
            replaced = true;
        }
    }
    if (!replaced)
        machines.push_back(machine);
    saveMachines(settings, machines);
}

void MachineSet::start(const MachineEntry& machine)
{
    const std::string config = m_settings.getSetting(kSettingsApp, kSection, "SshConfig");
    m_windows.addMachine(machine.name(), ipc::sshRelayCommand(machine.target, machine.port, machine.identity, config));
}

void MachineSet::connectAll(std::chrono::milliseconds wait)
{
    for (const MachineEntry& machine : loadMachines(m_settings))
        start(machine);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (const std::string& name : m_windows.machineNames()) {
        ipc::RelayLink* link = m_windows.link(name);
        while (link && link->state() == ipc::RelayLink::State::Connecting
               && std::chrono::steady_clock::now() < deadline) {
            link->poll();
            if (link->state() == ipc::RelayLink::State::Connecting)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
}

std::string MachineSet::add(const std::string& text, const std::string& identity)
{
    std::string error;
    auto entry = parseMachine(text, error);
    if (!entry || !validIdentity(identity, error))
        return error;
    entry->identity = identity;
    storeMachine(m_settings, *entry);
    m_windows.removeMachine(entry->name());
    start(*entry);
    return {};
}

void MachineSet::remove(const std::string& name)
{
    auto machines = loadMachines(m_settings);
    std::erase_if(machines, [&](const MachineEntry& m) { return m.name() == name; });
    saveMachines(m_settings, machines);
    m_windows.removeMachine(name);
}

std::vector<std::string> MachineSet::names() const { return m_windows.machineNames(); }

std::string MachineSet::machineOf(WindowHandle console) const { return m_windows.machineOf(console); }

std::string MachineSet::stateText(const std::string& name)
{
    ipc::RelayLink* link = m_windows.link(name);
    if (!link)
        return "removed";
    link->poll();
    switch (link->state()) {
    case ipc::RelayLink::State::Connected: return "connected";
    case ipc::RelayLink::State::Connecting: return "connecting";
    case ipc::RelayLink::State::Failed: break;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::seconds>(link->nextRetry() - ipc::RelayLink::Clock::now()).count();
    return link->message() + "; trying again in " + std::to_string(std::max<long long>(left, 0) + 1) + " s";
}

} // namespace ravelin
