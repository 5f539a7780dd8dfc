// Text the server builds from its state: the console status table, the UDP
// status and info replies, a client's settings, and the configuration file.
// All are plain functions of the cvars and players so tests can check bytes.
#pragma once

#include "q3sim/Cvars.h"
#include "q3sim/Players.h"

#include <string>
#include <vector>

namespace q3sim {

// The console status table, one string per line (no line ends): map line,
// header, rule, one row per player, and the closing empty line.
std::vector<std::string> statusTable(const std::string& mapName, const std::vector<Player>& players);
// The same table as the ioq3 engine prints it (OpenArena): `cl score ping
// name address rate`, a two-wide slot, the name padded to 16 visible
// characters (colour codes do not count), "^7" before the address.
std::vector<std::string> ioq3StatusTable(const std::string& mapName, const std::vector<Player>& players);

// One row of the status table: slot in columns 1-3, score from column 5,
// ping from column 11, name from column 16 padded to 16 bytes, then lastmsg,
// address, qport and rate.
std::string statusRow(const Player& player);

// The reply to getstatus, with the four 0xFF bytes. `challenge` is echoed
// in the info line when it is not empty.
std::string statusResponse(const CvarTable& cvars, const std::vector<Player>& players, const std::string& challenge);

// The reply to getinfo.
std::string infoResponse(const CvarTable& cvars, const std::vector<Player>& players, const std::string& challenge);

// A player's settings as the engine keeps them (backslash pairs).
std::string userinfoString(const Player& player);

// `dumpuser` output lines: "userinfo", "--------", then one key/value row
// per setting, the key padded to 20 characters. A person's `ip` keeps its
// port on Q3 1.32 and drops it on the ioq3 engine (`ioq3`).
std::vector<std::string> userinfoDump(const Player& player, bool ioq3 = false);

// The ClientUserinfoChanged line the game prints for a player; OpenArena's
// game (`ioq3`) ends it with `\id\` and the client key.
std::string userinfoChangedLine(const Player& player, bool ioq3 = false);

// The whole text writeconfig writes: header comment, unbindall, the key
// bindings and one seta line per archived cvar, newest first.
std::string configFileText(const CvarTable& cvars);

// `cvarlist` output lines; `match` filters names with * and ? wildcards.
std::vector<std::string> cvarList(const CvarTable& cvars, const std::string& match);

} // namespace q3sim
