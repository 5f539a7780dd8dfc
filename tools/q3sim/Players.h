// The connected players: one per slot, from slot 0 up to sv_maxclients - 1.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace q3sim {

struct Player {
    int slot = 0;
    std::string name; // may hold colour codes (^0 to ^8)
    int score = 0;
    int ping = 0;
    int lastmsg = 0; // milliseconds since the last packet, as status shows it
    std::string address; // "bot" for bots, else "IP:PORT"
    int qport = 0;
    int rate = 25000;
    bool bot = false;
    std::string model = "sarge";
    int skill = 0; // bots only
    int handicap = 100;
    std::string guid; // the client key (cl_guid); none for bots
};

class PlayerTable {
public:
    // Adds a player in the lowest free slot below `maxClients`; nothing when
    // the server is full.
    Player* add(Player player, int maxClients);
    Player* bySlot(int slot);
    // The engine's lookup by name: the name as it stands, then without its
    // colour codes, both without regard to case.
    Player* byName(std::string_view name);
    void remove(int slot);
    void clear() { m_players.clear(); }

    // Players in slot order.
    const std::vector<Player>& all() const { return m_players; }
    std::vector<Player>& all() { return m_players; }
    std::size_t size() const { return m_players.size(); }

private:
    std::vector<Player> m_players;
};

// The name without colour codes, as the engine cleans it: a caret followed
// by anything but another caret is dropped with that character, and so are
// control characters.
std::string cleanName(std::string_view name);

// A name the engine would accept in a client's settings: no double quotes,
// backslashes or semicolons (they would break the replies and the info
// strings), no control characters, at most 35 bytes, never empty.
std::string sanitizeName(std::string_view name);

} // namespace q3sim
