// The server's variables (cvars): names matched without regard to case,
// each with a value, a default and the engine's flags.
//
// Registration order is kept because the engine lists its variables newest
// first in info strings and in a written configuration.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace q3sim {

enum CvarFlag : unsigned {
    CvarArchive = 1u << 0, // written by writeconfig as seta
    CvarUserInfo = 1u << 1, // sent to the server with a client's settings
    CvarServerInfo = 1u << 2, // part of the status and info replies
    CvarSystemInfo = 1u << 3,
    CvarInit = 1u << 4, // only the command line may set it
    CvarLatch = 1u << 5, // a change waits for the next map
    CvarRom = 1u << 6, // never set by the operator
    CvarUserCreated = 1u << 7,
    CvarCheat = 1u << 8,
};

struct Cvar {
    std::string name;
    std::string value;
    std::string defaultValue;
    std::string latched; // pending value of a latched cvar
    bool hasLatched = false;
    unsigned flags = 0;
};

enum class SetResult { Changed, Created, ReadOnly, WriteProtected, Latched, CheatProtected, BadName };

class CvarTable {
public:
    Cvar* find(std::string_view name);
    const Cvar* find(std::string_view name) const;

    // Registers a cvar as the engine's Cvar_Get does: a variable the command
    // line created earlier keeps its value and takes the default and flags.
    Cvar& get(std::string_view name, std::string_view defaultValue, unsigned flags);

    // An operator's set: honours read-only, write-protected, latched and
    // cheat cvars. `extraFlags` are added (seta adds CvarArchive).
    SetResult set(std::string_view name, std::string_view value, unsigned extraFlags = 0);
    // The command line and the program itself set without those checks.
    void force(std::string_view name, std::string_view value);

    std::string value(std::string_view name) const;
    int integer(std::string_view name) const;

    // Applies latched values (at a map start); true when any changed.
    bool applyLatched();

    // All cvars in registration order.
    const std::vector<std::unique_ptr<Cvar>>& all() const { return m_cvars; }

    // The engine's info string of every cvar with `flag`, newest first; keys
    // or values that would break the backslash format are left out.
    std::string infoString(unsigned flag) const;

    // Registers the default variables of a Quake III Arena 1.32 dedicated
    // server; `basePath` is fs_basepath's default.
    void registerDefaults(const std::string& basePath);

private:
    std::vector<std::unique_ptr<Cvar>> m_cvars;
};

// The version string the server reports.
extern const char* const kVersion;

// A key or value that may stand in an info string.
bool validInfoText(std::string_view text);

// The engine's cvarlist flag column: S U R I A L C.
std::string cvarFlagColumn(unsigned flags);

} // namespace q3sim
