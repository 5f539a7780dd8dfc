#include "q3sim/Server.h"

#include "q3sim/CommandText.h"
#include "q3sim/Reports.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace q3sim {

namespace {

// Bot names of the stock game, in their own spelling; addbot takes any name
// but spells these the way the game does.
const std::vector<std::string> kBotNames = {
    "Anarki",  "Angel",  "Biker", "Bitterman", "Bones",  "Cadavre", "Crash", "Daemia", "Doom",    "Gorre",  "Grunt",
    "Hossman", "Hunter", "Keel",  "Klesk",     "Lucy",   "Major",   "Mynx",  "Orbb",   "Patriot", "Phobos", "Ranger",
    "Razor",   "Sarge",  "Slash", "Sorlag",    "Stripe", "TankJr",  "Uriel", "Visor",  "Wrack",   "Xaero"};

// Handles of simulated human players; a few with colour codes and blanks,
// the cases an operator console has to get right.
const std::vector<std::string> kPlayerNames = {
    "Fragmaster", "^1Red^7Baron",  "Tank Girl", "xXSniperXx", "^4Blue^7Steel",   "n00b",
    "Kestrel",    "^3Sun^7Dancer", "Mad Max",   "Vortex",     "^2Green^7Goblin", "Rocketeer",
    "Lagmonster", "^5Ice^7Queen",  "Shambler",  "Deimos",     "Quadzilla",       "^6Pink^7Panther",
    "Railgod",    "Old Timer",     "Camper",    "Spike"};

const std::vector<std::string> kChat = {"gg",
                                        "nice shot!",
                                        "anyone up for ctf later?",
                                        "lag is killing me tonight",
                                        "who has the rail?",
                                        "stop camping the quad",
                                        "brb",
                                        "lol",
                                        "this map never gets old",
                                        "one more round then I'm off",
                                        "rematch?",
                                        "how do you get to the megahealth on this map",
                                        "that rocket came out of nowhere",
                                        "thanks for the game everyone",
                                        "is the server restarting soon?",
                                        "wow, telefrag",
                                        "ok back",
                                        "good luck everyone",
                                        "nice moves",
                                        "my mouse died, one sec"};

// Now and then a line a language filter should catch; mild words only.
const std::vector<std::string> kSaltyChat = {
    "that was a damn lucky shot", "what the hell was that", "crap, lag again",
    "bloody campers on the rail", "this map is piss easy",  "damn it, missed again"};

struct MeansOfDeath {
    int number;
    const char* name;
};

const std::vector<MeansOfDeath> kWeapons = {{1, "MOD_SHOTGUN"},       {2, "MOD_GAUNTLET"},       {3, "MOD_MACHINEGUN"},
                                            {4, "MOD_GRENADE"},       {5, "MOD_GRENADE_SPLASH"}, {6, "MOD_ROCKET"},
                                            {7, "MOD_ROCKET_SPLASH"}, {8, "MOD_PLASMA"},         {10, "MOD_RAILGUN"},
                                            {10, "MOD_RAILGUN"},      {11, "MOD_LIGHTNING"},     {12, "MOD_BFG"}};

const std::vector<MeansOfDeath> kWorldDeaths = {
    {14, "MOD_WATER"}, {16, "MOD_LAVA"}, {19, "MOD_FALLING"}, {22, "MOD_TRIGGER_HURT"}};

const std::vector<std::string> kItems = {"weapon_shotgun",
                                         "weapon_grenadelauncher",
                                         "weapon_rocketlauncher",
                                         "weapon_lightning",
                                         "weapon_railgun",
                                         "weapon_plasmagun",
                                         "weapon_bfg",
                                         "ammo_shells",
                                         "ammo_rockets",
                                         "ammo_slugs",
                                         "ammo_cells",
                                         "ammo_lightning",
                                         "item_armor_shard",
                                         "item_armor_combat",
                                         "item_armor_body",
                                         "item_health",
                                         "item_health_large",
                                         "item_health_mega",
                                         "item_quad",
                                         "item_haste"};

const char* const kMapInit[] = {
    "Hunk_Clear: reset the hunk ok",
    "------- Game Initialization -------",
    "gamename: baseq3",
    "gamedate: Oct  7 2002",
    "0 teams with 0 entities",
    "15 items registered",
    "-----------------------------------",
    "------- BotLib Initialization -------",
    "------------ Map Loading ------------",
};

bool validMapName(const std::string& name)
{
    if (name.empty() || name.size() > 64)
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    });
}

bool allDigits(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

Server::Server(Output output, std::uint64_t seed, const std::string& basePath)
    : m_output(std::move(output)), m_random(seed)
{
    m_cvars.registerDefaults(basePath);
}

void Server::print(const std::string& line)
{
    if (m_output)
        m_output(line);
}

void Server::startupSet(const std::string& name, const std::string& value)
{
    if (equalsNoCase(name, "fs_homepath"))
        m_homepathGiven = true;
    m_cvars.force(name, value);
}

void Server::finishStartupSets()
{
    if (!m_homepathGiven)
        m_cvars.force("fs_homepath", m_cvars.value("fs_basepath"));
    // A command-line sv_maxclients is already the value in force.
    int maxClients = std::clamp(m_cvars.integer("sv_maxclients"), 1, 1000);
    m_cvars.force("sv_maxclients", std::to_string(maxClients));
}

std::vector<std::string> Server::bannerLines() const
{
    std::string base = m_cvars.value("fs_basepath");
    std::string game = gameFolder();
    return {m_cvars.value("version"),
            "----- FS_Startup -----",
            "Current search path:",
            base + "/" + game + "/pak0.pk3 (3539 files)",
            base + "/" + game,
            "",
            "----------------------",
            "3539 files in pk3 files",
            "execing default.cfg",
            "execing q3config.cfg",
            "couldn't exec autoexec.cfg",
            "Hunk_Clear: reset the hunk ok",
            "--- Common Initialization Complete ---"};
}

std::string Server::gameFolder() const
{
    std::string game = m_cvars.value("fs_game");
    return game.empty() ? "baseq3" : game;
}

void Server::executeText(std::string_view text)
{
    for (const std::string& line : splitCommands(text)) {
        if (m_quit)
            return;
        executeLine(line);
    }
}

void Server::executeLine(std::string_view line) { execute(tokenize(line)); }

void Server::execute(const std::vector<std::string>& args)
{
    if (args.empty() || m_quit)
        return;
    const std::string command = toLower(args[0]);
    if (command == "set")
        commandSet(args, 0);
    else if (command == "seta")
        commandSet(args, CvarArchive);
    else if (command == "sets")
        commandSet(args, CvarServerInfo);
    else if (command == "setu")
        commandSet(args, CvarUserInfo);
    else if (command == "reset")
        commandReset(args);
    else if (command == "echo")
        print(joinArgs(args));
    else if (command == "say")
        commandSay(args);
    else if (command == "status")
        commandStatus();
    else if (command == "writeconfig")
        commandWriteConfig(args);
    else if (command == "kick")
        commandKick(args);
    else if (command == "clientkick")
        commandClientKick(args);
    else if (command == "dumpuser")
        commandDumpUser(args);
    else if (command == "map" || command == "devmap")
        commandMap(args);
    else if (command == "map_restart")
        commandMapRestart();
    else if (command == "cvarlist")
        commandCvarList(args);
    else if (command == "cmdlist")
        commandCmdList();
    else if (command == "flood")
        commandFlood(args);
    else if (command == "serverinfo")
        commandServerInfo();
    else if (command == "quit")
        commandQuit();
    else if (command == "sim_connect")
        commandSimConnect(args);
    else if (command == "sim_crash" || command == "sim_dropmap" || command == "sim_hang")
        commandFailure(args);
    else if (m_ioq3 && command == "banaddr")
        commandBanAddr(args);
    else if (m_ioq3 && command == "bandel")
        commandBanDel(args);
    else if (m_ioq3 && command == "listbans")
        commandListBans();
    else if (m_ioq3 && command == "flushbans") {
        m_addressBans.clear();
        print("All bans and exceptions have been deleted.");
    } else if (command == "exec")
        commandExec(args);
    else if (command == "wait") {
        // The engine defers the rest of the buffer a frame; here every
        // command runs at once, so there is nothing to wait for.
    } else if (cvarCommand(args)) {
    } else if (command == "addbot" && m_mapRunning)
        commandAddBot(args);
    else if (command == "simkill" && m_mapRunning)
        commandSimKill(args);
    else if (command == "simexit" && m_mapRunning)
        commandSimExit(args);
    else
        unknownCommand(args);
}

void Server::unknownCommand(const std::vector<std::string>& args)
{
    if (!m_ioq3) {
        print("Unknown command \"" + args[0] + "\"");
        return;
    }
    // ioq3 hands an unknown word to the game, which only runs with a map;
    // without one nothing at all is printed.
    if (!m_mapRunning)
        return;
    if (m_chatEcho)
        broadcastPrint("server: " + joinArgs(args, 0));
    else
        print("unknown command: " + args[0]);
}

bool Server::cvarCommand(const std::vector<std::string>& args)
{
    Cvar* cvar = m_cvars.find(args[0]);
    if (!cvar)
        return false;
    if (args.size() == 1) {
        std::string line = "\"" + cvar->name + "\" is:\"" + cvar->value;
        if (!m_ioq3)
            line += "\" default:\"" + cvar->defaultValue + "\"";
        else if (cvar->flags & CvarRom)
            line += "^7\"";
        else if (equalsNoCase(cvar->value, cvar->defaultValue))
            line += "^7\", the default";
        else
            line += "^7\" default:\"" + cvar->defaultValue + "^7\"";
        print(line);
        if (cvar->hasLatched)
            print("latched: \"" + cvar->latched + "\"");
        return true;
    }
    reportSet(cvar->name, static_cast<int>(m_cvars.set(cvar->name, args[1])));
    return true;
}

void Server::reportSet(const std::string& name, int result)
{
    switch (static_cast<SetResult>(result)) {
    case SetResult::ReadOnly: print(name + " is read only."); break;
    case SetResult::WriteProtected: print(name + " is write protected."); break;
    case SetResult::Latched: print(name + " will be changed upon restarting."); break;
    case SetResult::CheatProtected: print(name + " is cheat protected."); break;
    case SetResult::BadName: print("invalid cvar name string: " + name); break;
    case SetResult::Changed:
    case SetResult::Created: break;
    }
}

void Server::commandSet(const std::vector<std::string>& args, unsigned extraFlags)
{
    if (args.size() < 3) {
        print("usage: " + toLower(args[0]) + " <variable> <value>");
        return;
    }
    reportSet(args[1], static_cast<int>(m_cvars.set(args[1], joinArgs(args, 2), extraFlags)));
}

void Server::commandReset(const std::vector<std::string>& args)
{
    if (args.size() != 2) {
        print("usage: reset <variable>");
        return;
    }
    if (Cvar* cvar = m_cvars.find(args[1]))
        reportSet(cvar->name, static_cast<int>(m_cvars.set(cvar->name, cvar->defaultValue)));
}

bool Server::requireRunning()
{
    if (!m_mapRunning)
        print("Server is not running.");
    return m_mapRunning;
}

void Server::commandStatus()
{
    if (!requireRunning())
        return;
    const std::string map = m_cvars.value("mapname");
    for (const std::string& line : m_ioq3 ? ioq3StatusTable(map, m_players.all()) : statusTable(map, m_players.all()))
        print(line);
}

std::filesystem::path Server::configPath(const std::string& name, std::string& error) const
{
    std::string relative = name;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    auto slash = relative.find_last_of('/');
    auto lastPart = slash == std::string::npos ? relative : relative.substr(slash + 1);
    if (lastPart.find('.') == std::string::npos)
        relative += ".cfg";
    std::filesystem::path base = std::filesystem::path(m_cvars.value("fs_basepath")).lexically_normal();
    if (relative.empty() || relative.front() == '/' || relative.find(':') != std::string::npos) {
        error = "refusing to write outside the game folders";
        return {};
    }
    std::filesystem::path target = (base / gameFolder() / relative).lexically_normal();
    // ".." may step from the game folder up into the base folder, as the
    // console relies on, but never out of it.
    auto rel = target.lexically_relative(base);
    if (rel.empty() || *rel.begin() == ".." || rel == "." || target.filename().empty()) {
        error = "refusing to create relative path \"" + target.string() + "\"";
        return {};
    }
    return target;
}

void Server::commandWriteConfig(const std::vector<std::string>& args)
{
    if (m_ioq3WriteConfig) {
        commandWriteConfigIoq3(args);
        return;
    }
    if (args.size() != 2) {
        print("Usage: writeconfig <filename>");
        return;
    }
    std::string shown = args[1];
    {
        auto slash = shown.find_last_of("/\\");
        auto lastPart = slash == std::string::npos ? shown : shown.substr(slash + 1);
        if (lastPart.find('.') == std::string::npos)
            shown += ".cfg";
    }
    print("Writing " + shown + ".");
    std::string error;
    std::filesystem::path target = configPath(args[1], error);
    if (target.empty()) {
        print("WARNING: " + error);
        print("Couldn't write " + shown + ".");
        return;
    }
    // Written beside the target and renamed into place, so a reader that
    // waits for the file never sees it half written.
    std::error_code ec;
    std::filesystem::create_directories(target.parent_path(), ec);
    std::filesystem::path temporary = target;
    temporary += ".q3sim-" + std::to_string(::getpid()) + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << configFileText(m_cvars);
        out.close();
        if (!out) {
            std::filesystem::remove(temporary, ec);
            print("Couldn't write " + shown + ".");
            return;
        }
    }
    std::filesystem::rename(temporary, target, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        print("Couldn't write " + shown + ".");
    }
}

void Server::broadcastPrint(const std::string& text) { print("broadcast: print \"" + text + "\\n\""); }

void Server::dropPlayer(int slot, const std::string& reason)
{
    Player* player = m_players.bySlot(slot);
    if (!player)
        return;
    broadcastPrint(player->name + "^7 " + reason);
    print("ClientDisconnect: " + std::to_string(slot));
    m_players.remove(slot);
    std::erase(m_pendingBegins, slot);
}

void Server::commandKick(const std::vector<std::string>& args)
{
    if (!requireRunning())
        return;
    if (args.size() != 2) {
        print("Usage: kick <player name>");
        print("kick all = kick everyone");
        print("kick allbots = kick all bots");
        return;
    }
    if (Player* player = m_players.byName(args[1])) {
        dropPlayer(player->slot, "was kicked");
        return;
    }
    print("Player " + args[1] + " is not on the server");
    const bool all = equalsNoCase(args[1], "all");
    const bool allBots = equalsNoCase(args[1], "allbots");
    if (!all && !allBots)
        return;
    std::vector<int> slots;
    for (const Player& player : m_players.all())
        if (all || player.bot)
            slots.push_back(player.slot);
    for (int slot : slots)
        dropPlayer(slot, "was kicked");
}

Player* Server::playerByNumber(const std::string& text)
{
    if (!allDigits(text)) {
        print("Bad slot number: " + text);
        return nullptr;
    }
    int slot = text.size() > 6 ? -1 : std::atoi(text.c_str());
    if (slot < 0 || slot >= m_cvars.integer("sv_maxclients")) {
        print("Bad client slot: " + (slot < 0 ? text : std::to_string(slot)));
        return nullptr;
    }
    Player* player = m_players.bySlot(slot);
    if (!player)
        print("Client " + std::to_string(slot) + " is not active");
    return player;
}

void Server::commandClientKick(const std::vector<std::string>& args)
{
    if (!requireRunning())
        return;
    if (args.size() != 2) {
        print("Usage: clientkick <client number>");
        return;
    }
    if (Player* player = playerByNumber(args[1]))
        dropPlayer(player->slot, "was kicked");
}

void Server::commandDumpUser(const std::vector<std::string>& args)
{
    if (!requireRunning())
        return;
    if (args.size() != 2) {
        print("Usage: info <userid>");
        return;
    }
    Player* player = nullptr;
    if (allDigits(args[1])) {
        player = playerByNumber(args[1]);
    } else {
        player = m_players.byName(args[1]);
        if (!player)
            print("Player " + args[1] + " is not on the server");
    }
    if (!player)
        return;
    for (const std::string& line : userinfoDump(*player, m_ioq3))
        print(line);
}

void Server::commandSay(const std::vector<std::string>& args)
{
    if (!requireRunning())
        return;
    if (args.size() < 2)
        return;
    std::string text = "console: " + joinArgs(args);
    print(text);
    print("broadcast: chat \"" + text + "\\n\"");
}

void Server::commandMap(const std::vector<std::string>& args)
{
    if (args.size() < 2) {
        // Without a name the engine has nothing to load and says nothing.
        return;
    }
    if (!validMapName(args[1])) {
        print("Can't find map maps/" + args[1] + ".bsp");
        return;
    }
    spawnMap(args[1]);
}

void Server::spawnMap(const std::string& name)
{
    // The running game ends first, as the engine's map change does.
    if (m_mapRunning) {
        print("==== ShutdownGame ====");
        print("ShutdownGame:");
    }
    m_cvars.applyLatched();
    int maxClients = std::clamp(m_cvars.integer("sv_maxclients"), 1, 1000);
    m_cvars.force("sv_maxclients", std::to_string(maxClients));
    print("------ Server Initialization ------");
    print("Server: " + name);
    m_cvars.force("mapname", name);
    m_serverId = m_random.range(1000, 99999);
    m_cvars.force("sv_serverid", std::to_string(m_serverId));
    for (const char* line : kMapInit)
        print(line);
    print("trying to load maps/" + name + ".aas");
    print("loaded maps/" + name + ".aas");
    print("found " + std::to_string(m_random.range(30, 70)) + " level items");
    print("-------------------------------------");
    print("32 bots parsed");
    print("30 arenas parsed");
    print("AAS initialized.");
    print("-----------------------------------");
    print("InitGame: " + m_cvars.infoString(CvarServerInfo));
    m_mapRunning = true;

    // Players beyond a smaller slot count lose their place; the others come
    // back into the new map with their scores reset.
    std::vector<int> dropped;
    for (const Player& player : m_players.all())
        if (player.slot >= maxClients)
            dropped.push_back(player.slot);
    for (int slot : dropped) {
        print("ClientDisconnect: " + std::to_string(slot));
        m_players.remove(slot);
    }
    for (Player& player : m_players.all()) {
        player.score = 0;
        print("ClientConnect: " + std::to_string(player.slot));
        print(userinfoChangedLine(player, m_ioq3));
        broadcastPrint(player.name + "^7 entered the game");
        print("ClientBegin: " + std::to_string(player.slot));
    }
}

void Server::commandMapRestart()
{
    if (!requireRunning())
        return;
    // A latched slot count or game type needs the whole map loaded again.
    bool latched = false;
    for (const char* name : {"sv_maxclients", "g_gametype"})
        if (const Cvar* cvar = m_cvars.find(name); cvar && cvar->hasLatched)
            latched = true;
    if (latched) {
        spawnMap(m_cvars.value("mapname"));
        return;
    }
    print("------- Game Initialization -------");
    print("gamename: baseq3");
    print("gamedate: Oct  7 2002");
    print("-----------------------------------");
    for (Player& player : m_players.all()) {
        player.score = 0;
        print(userinfoChangedLine(player, m_ioq3));
        print("ClientBegin: " + std::to_string(player.slot));
    }
}

Player* Server::connectPlayer(const std::string& requestedName, bool bot, int skill)
{
    Player player;
    player.name = sanitizeName(requestedName);
    player.bot = bot;
    if (bot) {
        player.address = "bot";
        player.ping = 0;
        player.qport = 0;
        player.rate = 16384;
        player.skill = std::clamp(skill, 1, 5);
        std::string lower = toLower(cleanName(player.name));
        auto known =
            std::find_if(kBotNames.begin(), kBotNames.end(), [&](const std::string& b) { return toLower(b) == lower; });
        player.model = known != kBotNames.end() ? lower : "sarge";
    } else {
        static const std::vector<std::string> networks = {"192.0.2.", "198.51.100.", "203.0.113."};
        player.address = m_random.pick(networks) + std::to_string(m_random.range(2, 254)) + ":"
            + std::to_string(m_random.chance(70) ? 27960 : m_random.range(1024, 65000));
        player.ping = m_random.range(18, 160);
        player.lastmsg = m_random.range(0, 50);
        player.qport = m_random.range(1, 65535);
        static const std::vector<int> rates = {25000, 25000, 10000, 16000, 8000};
        player.rate = m_random.pick(rates);
        static const std::vector<std::string> models = {"sarge", "visor", "ranger", "major", "doom", "keel"};
        player.model = m_random.pick(models);
    }
    Player* added = m_players.add(player, m_cvars.integer("sv_maxclients"));
    if (!added)
        return nullptr;
    printJoin(*added, true);
    return added;
}

// Q3 1.32's game logs the connect before the settings; the ioq3 engine
// says "connecting" first (people only) and OpenArena's game logs the
// settings, with the key, before the connect.
void Server::printJoin(const Player& player, bool begin)
{
    const std::string slot = std::to_string(player.slot);
    if (m_ioq3) {
        if (!player.bot)
            print("Client " + slot + " connecting with 0 challenge ping");
        print(userinfoChangedLine(player, true));
        print("ClientConnect: " + slot);
    } else {
        print("ClientConnect: " + slot);
        print(userinfoChangedLine(player));
    }
    broadcastPrint(player.name + "^7 connected");
    if (!begin)
        return;
    broadcastPrint(player.name + "^7 entered the game");
    print("ClientBegin: " + slot);
}

Player* Server::connectClient(const std::string& name, const std::string& address, const std::string& guid)
{
    if (!m_mapRunning)
        return nullptr;
    const std::string ip = address.substr(0, address.find(':'));
    if (m_ioq3 && addressBanned(ip))
        return nullptr;
    Player player;
    player.name = sanitizeName(name);
    player.address = address.find(':') == std::string::npos ? address + ":27960" : address;
    player.guid = guid;
    player.ping = 50;
    player.qport = m_random.range(1, 65535);
    Player* added = m_players.add(player, m_cvars.integer("sv_maxclients"));
    if (!added)
        return nullptr;
    printJoin(*added, false);
    m_pendingBegins.push_back(added->slot);
    return added;
}

void Server::beginPending()
{
    std::vector<int> slots;
    slots.swap(m_pendingBegins);
    for (int slot : slots) {
        if (const Player* player = m_players.bySlot(slot)) {
            broadcastPrint(player->name + "^7 entered the game");
            print("ClientBegin: " + std::to_string(slot));
        }
    }
}

void Server::commandSimConnect(const std::vector<std::string>& args)
{
    if (args.size() < 3) {
        print("Usage: sim_connect <name> <address> [guid]");
        return;
    }
    connectClient(args[1], args[2], args.size() > 3 ? args[3] : std::string());
}

namespace {

// "A.B.C.D" or "A.B.C.D/BITS" as an address and a mask width; false for
// anything else.
bool parseRange(const std::string& text, std::uint32_t& address, int& bits)
{
    const std::size_t slash = text.find('/');
    bits = 32;
    if (slash != std::string::npos) {
        if (!allDigits(text.substr(slash + 1)) || text.size() - slash > 3)
            return false;
        bits = std::atoi(text.c_str() + slash + 1);
        if (bits > 32)
            return false;
    }
    const std::string ip = text.substr(0, slash);
    unsigned parts[4];
    char tail = 0;
    if (std::sscanf(ip.c_str(), "%u.%u.%u.%u%c", &parts[0], &parts[1], &parts[2], &parts[3], &tail) != 4)
        return false;
    address = 0;
    for (unsigned part : parts) {
        if (part > 255)
            return false;
        address = address << 8 | part;
    }
    return true;
}

std::string rangeText(std::uint32_t address, int bits)
{
    return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 255) + "."
        + std::to_string(address >> 8 & 255) + "." + std::to_string(address & 255) + "/" + std::to_string(bits);
}

std::uint32_t maskOf(int bits) { return bits == 0 ? 0 : ~std::uint32_t(0) << (32 - bits); }

} // namespace

bool Server::addressBanned(const std::string& ip) const
{
    std::uint32_t address = 0;
    int bits = 0;
    if (!parseRange(ip, address, bits))
        return false;
    for (const std::string& ban : m_addressBans) {
        std::uint32_t banned = 0;
        int banBits = 0;
        if (parseRange(ban, banned, banBits) && (address & maskOf(banBits)) == (banned & maskOf(banBits)))
            return true;
    }
    return false;
}

void Server::commandBanAddr(const std::vector<std::string>& args)
{
    if (!requireRunning())
        return;
    std::uint32_t address = 0;
    int bits = 0;
    if (args.size() != 2 || !parseRange(args[1], address, bits)) {
        print("Usage: " + args[0] + " (ip[/subnet] | clientnum [subnet])");
        return;
    }
    const std::string range = rangeText(address & maskOf(bits), bits);
    if (std::find(m_addressBans.begin(), m_addressBans.end(), range) != m_addressBans.end()) {
        print("Error: " + range + " is a subnet of " + range + ".");
        return;
    }
    m_addressBans.push_back(range);
    print("Added ban: " + range);
}

void Server::commandBanDel(const std::vector<std::string>& args)
{
    if (!requireRunning())
        return;
    if (args.size() != 2) {
        print("Usage: " + args[0] + " (ip[/subnet] | num)");
        return;
    }
    std::uint32_t address = 0;
    int bits = 0;
    if (allDigits(args[1])) {
        const std::size_t index = static_cast<std::size_t>(std::atoi(args[1].c_str()));
        if (index >= 1 && index <= m_addressBans.size()) {
            print("Deleting ban " + m_addressBans[index - 1]);
            m_addressBans.erase(m_addressBans.begin() + static_cast<std::ptrdiff_t>(index - 1));
        } else {
            print("Invalid ban number given");
        }
        return;
    }
    if (!parseRange(args[1], address, bits))
        return;
    const std::string range = rangeText(address & maskOf(bits), bits);
    auto at = std::find(m_addressBans.begin(), m_addressBans.end(), range);
    if (at == m_addressBans.end())
        return;
    print("Deleting ban " + range);
    m_addressBans.erase(at);
}

void Server::commandListBans()
{
    if (!requireRunning())
        return;
    for (std::size_t i = 0; i < m_addressBans.size(); ++i)
        print("Ban #" + std::to_string(i + 1) + ": " + m_addressBans[i]);
}

void Server::commandAddBot(const std::vector<std::string>& args)
{
    if (args.size() < 2) {
        print("Usage: Addbot <botname> [skill 1-5] [team] [msec delay] [altname]");
        return;
    }
    std::string name = args[1];
    std::string lower = toLower(name);
    for (const std::string& known : kBotNames)
        if (toLower(known) == lower)
            name = known;
    if (args.size() >= 6 && !args[5].empty())
        name = args[5];
    int skill = args.size() >= 3 ? static_cast<int>(std::atof(args[2].c_str())) : 4;
    if (!connectPlayer(name, true, skill)) {
        print("^1Unable to add bot.  All player slots are in use.");
        print("^1Start server with more 'open' slots (or check setting of sv_maxclients cvar).");
    }
}

void Server::commandCvarList(const std::vector<std::string>& args)
{
    for (const std::string& line : cvarList(m_cvars, args.size() > 1 ? args[1] : std::string()))
        print(line);
}

// A test aid, not an engine command: N numbered lines at once, as fast as
// they can be written ("flood: K", counting on from the last flood).
void Server::commandFlood(const std::vector<std::string>& args)
{
    long count = args.size() > 1 ? std::strtol(args[1].c_str(), nullptr, 10) : 0;
    for (long i = 0; i < count; ++i)
        print("flood: " + std::to_string(++m_floodPrinted));
}

void Server::commandCmdList()
{
    static const char* const commands[] = {"cmdlist",     "cvarlist", "set",        "seta",        "sets",
                                           "setu",        "reset",    "echo",       "wait",        "quit",
                                           "writeconfig", "status",   "serverinfo", "kick",        "clientkick",
                                           "dumpuser",    "map",      "devmap",     "map_restart", "say",
                                           "exec"};
    for (const char* command : commands)
        print(command);
    print(std::to_string(std::size(commands)) + " commands");
}

void Server::commandServerInfo()
{
    print("Server info settings:");
    std::string info = m_cvars.infoString(CvarServerInfo);
    // Pairs of the backslash string, one per line, the key padded to 20.
    std::vector<std::string> parts;
    std::size_t start = 1;
    while (start <= info.size()) {
        auto end = info.find('\\', start);
        parts.push_back(info.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string key = parts[i];
        if (key.size() < 20)
            key.append(20 - key.size(), ' ');
        print(key + " " + parts[i + 1]);
    }
}

void Server::commandQuit()
{
    if (m_mapRunning) {
        print("----- Server Shutdown -----");
        print("==== ShutdownGame ====");
        print("---------------------------");
    }
    m_quit = true;
}

std::string Server::uniqueSimulatedName()
{
    std::string name = m_random.pick(kPlayerNames);
    std::string candidate = name;
    for (int n = 2; m_players.byName(cleanName(candidate)); ++n)
        candidate = name + std::to_string(n);
    return candidate;
}

void Server::simulateJoin()
{
    if (!m_mapRunning || static_cast<int>(m_players.size()) >= m_cvars.integer("sv_maxclients"))
        return;
    connectPlayer(uniqueSimulatedName(), false);
}

void Server::simulateLeave()
{
    if (!m_mapRunning)
        return;
    // Bots stay until kicked; people come and go.
    std::vector<int> people;
    for (const Player& player : m_players.all())
        if (!player.bot)
            people.push_back(player.slot);
    if (people.empty())
        return;
    dropPlayer(m_random.pick(people), "disconnected");
}

void Server::simulateChat()
{
    if (!m_mapRunning || m_players.size() == 0)
        return;
    const Player& speaker = m_players.all()[m_random.next() % m_players.size()];
    std::string text = m_random.chance(15) ? m_random.pick(kSaltyChat) : m_random.pick(kChat);
    print("say: " + speaker.name + ": " + text);
    print(speaker.name + "^7: " + text);
}

void Server::simulateKill()
{
    if (!m_mapRunning || m_players.size() == 0)
        return;
    auto& all = m_players.all();
    Player& victim = all[m_random.next() % all.size()];
    if (all.size() == 1 || m_random.chance(10)) {
        const MeansOfDeath& mod = m_random.pick(kWorldDeaths);
        victim.score -= 1;
        print("Kill: 1022 " + std::to_string(victim.slot) + " " + std::to_string(mod.number) + ": <world> killed "
              + victim.name + " by " + mod.name);
        return;
    }
    std::size_t killerIndex = m_random.next() % (all.size() - 1);
    if (&all[killerIndex] == &victim)
        killerIndex = all.size() - 1;
    Player& killer = all[killerIndex];
    const MeansOfDeath& mod = m_random.pick(kWeapons);
    killer.score += 1;
    print("Kill: " + std::to_string(killer.slot) + " " + std::to_string(victim.slot) + " " + std::to_string(mod.number)
          + ": " + killer.name + " killed " + victim.name + " by " + mod.name);
}

// simkill KILLER VICTIM [MOD_NAME]: a scripted frag between players named
// as the engine finds them ("<world>" for a fall), for tests that need known
// figures.
void Server::commandSimKill(const std::vector<std::string>& args)
{
    if (args.size() < 3) {
        print("Usage: simkill <killer|<world>> <victim> [MOD_NAME]");
        return;
    }
    const bool world = args[1] == "<world>";
    Player* killer = world ? nullptr : m_players.byName(args[1]);
    Player* victim = m_players.byName(args[2]);
    if ((!world && !killer) || !victim) {
        print("simkill: no such player");
        return;
    }
    std::string means = args.size() > 3 ? args[3] : std::string(world ? "MOD_FALLING" : "MOD_RAILGUN");
    int number = 0;
    for (const MeansOfDeath& mod : kWeapons)
        if (mod.name == means)
            number = mod.number;
    for (const MeansOfDeath& mod : kWorldDeaths)
        if (mod.name == means)
            number = mod.number;
    if (world || killer == victim)
        victim->score -= 1;
    else
        killer->score += 1;
    print("Kill: " + std::to_string(world ? 1022 : killer->slot) + " " + std::to_string(victim->slot) + " "
          + std::to_string(number) + ": " + (world ? std::string("<world>") : killer->name) + " killed " + victim->name
          + " by " + means);
}

// simexit [REASON...]: the game reaches a limit: the exit line, every
// player's final score, then the map starts again.
void Server::commandSimExit(const std::vector<std::string>& args)
{
    std::string reason;
    for (std::size_t i = 1; i < args.size(); ++i)
        reason += (reason.empty() ? "" : " ") + args[i];
    print("Exit: " + (reason.empty() ? std::string("Fraglimit hit.") : reason));
    for (const Player& player : m_players.all())
        print("score: " + std::to_string(player.score) + "  ping: " + std::to_string(player.ping)
              + "  client: " + std::to_string(player.slot) + " " + player.name);
    spawnMap(m_cvars.value("mapname"));
}

void Server::simulateItem()
{
    if (!m_mapRunning || m_players.size() == 0)
        return;
    const Player& player = m_players.all()[m_random.next() % m_players.size()];
    print("Item: " + std::to_string(player.slot) + " " + m_random.pick(kItems));
}

std::optional<std::string> Server::answerPacket(std::string_view datagram)
{
    if (datagram.size() < 4 || datagram.substr(0, 4) != "\xff\xff\xff\xff")
        return std::nullopt;
    // The engine reads one line of text after the marker.
    std::string line;
    for (char c : datagram.substr(4)) {
        if (c == '\0' || c == '\n')
            break;
        line += (c == '%' || static_cast<unsigned char>(c) > 127) ? '.' : c;
    }
    auto args = tokenize(line);
    if (args.empty())
        return std::nullopt;
    std::string challenge = args.size() > 1 ? args[1] : std::string();
    if (challenge.size() > 128)
        challenge.clear();
    if (equalsNoCase(args[0], "getstatus"))
        return statusResponse(m_cvars, m_players.all(), challenge);
    if (equalsNoCase(args[0], "getinfo"))
        return infoResponse(m_cvars, m_players.all(), challenge);
    return std::nullopt;
}

} // namespace q3sim
