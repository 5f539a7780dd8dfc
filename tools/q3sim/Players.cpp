#include "q3sim/Players.h"

#include "q3sim/CommandText.h"

#include <algorithm>

namespace q3sim {

Player* PlayerTable::add(Player player, int maxClients)
{
    int slot = 0;
    for (const Player& p : m_players) {
        if (p.slot != slot)
            break;
        ++slot;
    }
    if (slot >= maxClients)
        return nullptr;
    player.slot = slot;
    auto at = std::find_if(m_players.begin(), m_players.end(), [slot](const Player& p) { return p.slot > slot; });
    return &*m_players.insert(at, std::move(player));
}

Player* PlayerTable::bySlot(int slot)
{
    for (Player& p : m_players)
        if (p.slot == slot)
            return &p;
    return nullptr;
}

Player* PlayerTable::byName(std::string_view name)
{
    for (Player& p : m_players)
        if (equalsNoCase(p.name, name))
            return &p;
    for (Player& p : m_players)
        if (equalsNoCase(cleanName(p.name), name))
            return &p;
    return nullptr;
}

void PlayerTable::remove(int slot)
{
    std::erase_if(m_players, [slot](const Player& p) { return p.slot == slot; });
}

std::string cleanName(std::string_view name)
{
    std::string clean;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (c == '^' && i + 1 < name.size() && name[i + 1] != '^') {
            ++i;
            continue;
        }
        auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u <= 0x7E)
            clean += c;
    }
    return clean;
}

std::string sanitizeName(std::string_view name)
{
    std::string clean;
    for (char c : name) {
        auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\' || c == ';' || u < 0x20 || u == 0x7F)
            continue;
        clean += c;
    }
    auto first = clean.find_first_not_of(' ');
    auto last = clean.find_last_not_of(' ');
    clean = first == std::string::npos ? std::string() : clean.substr(first, last - first + 1);
    if (clean.size() > 35)
        clean.resize(35);
    if (cleanName(clean).empty())
        clean = "UnnamedPlayer";
    return clean;
}

} // namespace q3sim
