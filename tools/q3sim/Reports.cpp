#include "q3sim/Reports.h"

#include "q3sim/CommandText.h"

#include <fnmatch.h>

#include <cstdio>

namespace q3sim {

namespace {

std::string format(const char* fmt, int value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, fmt, value);
    return buffer;
}

std::string padTo(std::string text, std::size_t width)
{
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

const char* const kOutOfBand = "\xff\xff\xff\xff";

} // namespace

std::vector<std::string> statusTable(const std::string& mapName, const std::vector<Player>& players)
{
    std::vector<std::string> lines;
    lines.push_back("map: " + mapName);
    lines.push_back("num score ping name            lastmsg address               qport rate");
    lines.push_back("--- ----- ---- --------------- ------- --------------------- ----- -----");
    for (const Player& player : players)
        lines.push_back(statusRow(player));
    lines.push_back("");
    return lines;
}

std::vector<std::string> ioq3StatusTable(const std::string& mapName, const std::vector<Player>& players)
{
    std::vector<std::string> lines;
    lines.push_back("map: " + mapName);
    lines.push_back("cl score ping name            address                                 rate ");
    lines.push_back("-- ----- ---- --------------- --------------------------------------- -----");
    for (const Player& player : players) {
        std::string row = format("%2i ", player.slot);
        row += format("%5i ", player.score);
        row += format("%4i ", player.ping > 9999 ? 9999 : player.ping);
        std::size_t visible = 0;
        for (std::size_t i = 0; i < player.name.size(); ++i) {
            if (player.name[i] == '^' && i + 1 < player.name.size() && player.name[i + 1] != '^') {
                ++i;
                continue;
            }
            ++visible;
        }
        row += player.name;
        row.append(visible < 16 ? 16 - visible : 1, ' ');
        row += "^7" + player.address;
        row.append(player.address.size() < 39 ? 39 - player.address.size() : 1, ' ');
        row += format(" %5i", player.rate);
        lines.push_back(row);
    }
    lines.push_back("");
    return lines;
}

std::string statusRow(const Player& player)
{
    // The engine pads the name on its byte length, colour codes included, so
    // the columns after it stay put in the raw text.
    std::string row = format("%3i ", player.slot);
    row += format("%5i ", player.score);
    row += format("%4i ", player.ping > 9999 ? 9999 : player.ping);
    row += padTo(player.name, 16);
    row += format("%7i ", player.lastmsg);
    row += padTo(player.address, 22);
    row += format("%5i", player.qport);
    row += format(" %5i", player.rate);
    return row;
}

std::string statusResponse(const CvarTable& cvars, const std::vector<Player>& players, const std::string& challenge)
{
    std::string info = cvars.infoString(CvarServerInfo);
    if (!challenge.empty() && validInfoText(challenge))
        info += "\\challenge\\" + challenge;
    std::string reply = std::string(kOutOfBand) + "statusResponse\n" + info + "\n";
    // Like the engine, stop listing players before the reply outgrows one
    // network message.
    for (const Player& player : players) {
        std::string line =
            std::to_string(player.score) + " " + std::to_string(player.ping) + " \"" + player.name + "\"\n";
        if (reply.size() + line.size() >= 16384)
            break;
        reply += line;
    }
    return reply;
}

std::string infoResponse(const CvarTable& cvars, const std::vector<Player>& players, const std::string& challenge)
{
    int privateClients = cvars.integer("sv_privateClients");
    int clients = 0;
    for (const Player& player : players)
        if (player.slot >= privateClients)
            ++clients;
    std::string info;
    auto add = [&info](const std::string& key, const std::string& value) {
        if (!value.empty() && validInfoText(value))
            info += "\\" + key + "\\" + value;
    };
    add("challenge", challenge);
    add("protocol", cvars.value("protocol"));
    add("hostname", cvars.value("sv_hostname"));
    add("mapname", cvars.value("mapname"));
    add("clients", std::to_string(clients));
    add("sv_maxclients", std::to_string(cvars.integer("sv_maxclients") - privateClients));
    add("gametype", std::to_string(cvars.integer("g_gametype")));
    add("pure", std::to_string(cvars.integer("sv_pure")));
    if (cvars.integer("sv_minPing"))
        add("minPing", cvars.value("sv_minPing"));
    if (cvars.integer("sv_maxPing"))
        add("maxPing", cvars.value("sv_maxPing"));
    add("game", cvars.value("fs_game"));
    add("sv_allowAnonymous", std::to_string(cvars.integer("sv_allowAnonymous")));
    return std::string(kOutOfBand) + "infoResponse\n" + info;
}

namespace {

std::vector<std::pair<std::string, std::string>> userinfoPairs(const Player& player, bool ioq3 = false)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    if (player.bot) {
        char skill[16];
        std::snprintf(skill, sizeof skill, "%5.2f", static_cast<double>(player.skill));
        pairs = {{"name", player.name},
                 {"rate", std::to_string(player.rate)},
                 {"snaps", "20"},
                 {"skill", skill},
                 {"model", player.model},
                 {"headmodel", player.model},
                 {"team_model", player.model},
                 {"team_headmodel", player.model},
                 {"handicap", std::to_string(player.handicap)},
                 {"color1", "4"},
                 {"color2", "5"},
                 {"characterfile", "bots/" + toLower(cleanName(player.name)) + "_c.c"},
                 {"sex", "male"},
                 {"team", "free"}};
    } else {
        const std::string ip = ioq3 ? player.address.substr(0, player.address.rfind(':')) : player.address;
        pairs = {{"ip", ip},
                 {"cl_guid", player.guid},
                 {"cl_anonymous", "0"},
                 {"cg_predictItems", "1"},
                 {"sex", "male"},
                 {"handicap", std::to_string(player.handicap)},
                 {"color2", "5"},
                 {"color1", "4"},
                 {"team_headmodel", "*james"},
                 {"team_model", "james"},
                 {"headmodel", player.model},
                 {"model", player.model},
                 {"snaps", "20"},
                 {"rate", std::to_string(player.rate)},
                 {"name", player.name},
                 {"teamtask", "0"}};
    }
    return pairs;
}

} // namespace

std::string userinfoString(const Player& player)
{
    std::string info;
    for (const auto& [key, value] : userinfoPairs(player))
        info += "\\" + key + "\\" + value;
    return info;
}

std::vector<std::string> userinfoDump(const Player& player, bool ioq3)
{
    std::vector<std::string> lines{"userinfo", "--------"};
    for (const auto& [key, value] : userinfoPairs(player, ioq3))
        lines.push_back(padTo(key, 20) + " " + value);
    return lines;
}

std::string userinfoChangedLine(const Player& player, bool ioq3)
{
    std::string line = "ClientUserinfoChanged: " + std::to_string(player.slot) + " n\\" + player.name
        + "\\t\\0\\model\\" + player.model + "\\hmodel\\" + player.model
        + "\\g_redteam\\\\g_blueteam\\\\c1\\4\\c2\\5\\hc\\" + std::to_string(player.handicap) + "\\w\\0\\l\\0";
    if (player.bot)
        line += "\\skill\\" + format("%i", player.skill);
    line += "\\tt\\0\\tl\\0";
    if (ioq3)
        line += "\\id\\" + player.guid;
    return line;
}

namespace {

// The key bindings of the install's configuration.
const char* const kBindings[][2] = {
    {"TAB", "+scores"},       {"ENTER", "+button2"},
    {"ESCAPE", "togglemenu"}, {"SPACE", "+moveup"},
    {"+", "sizeup"},          {"-", "sizedown"},
    {"/", "weapnext"},        {"0", "weapon 10"},
    {"1", "weapon 1"},        {"2", "weapon 2"},
    {"3", "weapon 3"},        {"4", "weapon 4"},
    {"5", "weapon 5"},        {"6", "weapon 6"},
    {"7", "weapon 7"},        {"8", "weapon 8"},
    {"9", "weapon 9"},        {"=", "sizeup"},
    {"[", "weapprev"},        {"\\", "+mlook"},
    {"]", "weapnext"},        {"_", "sizedown"},
    {"`", "toggleconsole"},   {"a", "+moveleft"},
    {"c", "+movedown"},       {"d", "+moveright"},
    {"s", "+back"},           {"t", "messagemode"},
    {"w", "+forward"},        {"y", "messagemode2"},
    {"~", "toggleconsole"},   {"PAUSE", "pause"},
    {"UPARROW", "+forward"},  {"DOWNARROW", "+back"},
    {"LEFTARROW", "+left"},   {"RIGHTARROW", "+right"},
    {"ALT", "+strafe"},       {"CTRL", "+attack"},
    {"SHIFT", "+speed"},      {"DEL", "+lookdown"},
    {"PGDN", "+lookup"},      {"END", "centerview"},
    {"F1", "vote yes"},       {"F2", "vote no"},
    {"F3", "ui_teamorders"},  {"F11", "screenshot"},
    {"MOUSE1", "+attack"},    {"MOUSE2", "+strafe"},
    {"MOUSE3", "+zoom"},      {"MWHEELDOWN", "weapnext"},
    {"MWHEELUP", "weapprev"},
};

} // namespace

std::string configFileText(const CvarTable& cvars)
{
    std::string text = "// generated by quake, do not modify\n";
    text += "unbindall\n";
    for (const auto& binding : kBindings)
        text += std::string("bind ") + binding[0] + " \"" + binding[1] + "\"\n";
    const auto& all = cvars.all();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        const Cvar& cvar = **it;
        if (!(cvar.flags & CvarArchive))
            continue;
        // A latched change is what the next start should see.
        const std::string& value = cvar.hasLatched ? cvar.latched : cvar.value;
        text += "seta " + cvar.name + " \"" + value + "\"\n";
    }
    return text;
}

std::vector<std::string> cvarList(const CvarTable& cvars, const std::string& match)
{
    std::vector<std::string> lines;
    int count = 0;
    const auto& all = cvars.all();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        const Cvar& cvar = **it;
        if (!match.empty() && fnmatch(match.c_str(), cvar.name.c_str(), FNM_CASEFOLD) != 0)
            continue;
        lines.push_back(cvarFlagColumn(cvar.flags) + " " + cvar.name + " \"" + cvar.value + "\"");
        ++count;
    }
    lines.push_back("");
    lines.push_back(std::to_string(count) + " total cvars");
    lines.push_back(std::to_string(all.size()) + " cvar indexes");
    return lines;
}

} // namespace q3sim
