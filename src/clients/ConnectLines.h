// What the engine and the game print when a player connects, changes
// settings or leaves, read into events for one slot, and the lines of a
// `dumpuser` answer. Q3 1.32 prints `ClientConnect: N` before
// `ClientUserinfoChanged: N n\NAME\...`; the ioq3 engine (OpenArena) prints
// `Client N connecting with P challenge ping` first (not for bots), then the
// settings line with `\id\KEY`, then `ClientConnect: N`. Every text here
// comes from players and is kept as bytes, never trusted.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ravelin {

struct ConnectEvent {
    enum class Kind { Connecting, Connect, Userinfo, Disconnect };
    Kind kind = Kind::Connect;
    int slot = -1;
    // Userinfo only: the name as the player set it, and the key (cl_guid)
    // when the line carries one.
    std::string name;
    std::string key;
};

// The event a console line reports, if any. A leading game-log time
// ("  3:14 ") is allowed.
std::optional<ConnectEvent> ParseConnectLine(std::string_view line);

// One row of a `dumpuser` answer ("ip                   10.1.2.3"): the
// key and the value with the blanks between them dropped; false for a line
// that is not a row.
bool ParseUserinfoRow(std::string_view line, std::string& key, std::string& value);

// The address part of an `ip` setting: an IPv4 address loses its port; an
// IPv6 one stays; anything that is not an address gives "".
std::string AddressOf(std::string_view ip);

// The value of `key` in a backslash info string ("n\Bob\t\0\id\AB12").
std::string InfoValue(std::string_view info, std::string_view key);

} // namespace ravelin
