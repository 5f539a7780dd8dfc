// The simulated server: runs console commands, keeps the cvars and the
// players, plays game events, and answers out-of-band datagrams.
//
// In: command text (from standard input or the command line), datagrams and
// event calls from the simulation. Out: console lines through the output
// callback, datagram replies as return values, and configuration files.
// Nothing here touches a descriptor or a clock, so tests drive it directly.
#pragma once

#include "q3sim/Cvars.h"
#include "q3sim/Players.h"
#include "q3sim/Random.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace q3sim {

class Server {
public:
    using Output = std::function<void(const std::string& line)>;

    Server(Output output, std::uint64_t seed, const std::string& basePath);

    CvarTable& cvars() { return m_cvars; }
    const CvarTable& cvars() const { return m_cvars; }
    PlayerTable& players() { return m_players; }
    Random& random() { return m_random; }

    void print(const std::string& line);

    // Command buffer text: split into command lines and run in order.
    void executeText(std::string_view text);
    // One command line, tokenized the engine's way.
    void executeLine(std::string_view line);
    // One command with its arguments already separated.
    void execute(const std::vector<std::string>& args);

    // A +set from the command line: no protection applies.
    void startupSet(const std::string& name, const std::string& value);
    // Once the command line's sets are in: fs_homepath follows fs_basepath
    // unless it was given.
    void finishStartupSets();

    std::vector<std::string> bannerLines() const;

    bool mapRunning() const { return m_mapRunning; }
    void setIoq3Forms(bool on) { m_ioq3 = on; }
    void setChatEcho(bool on) { m_chatEcho = on; }
    bool quitRequested() const { return m_quit; }
    // sim_hang was typed: hang once a status query has been answered.
    bool hangAfterAnswer() const { return m_hangAfterAnswer; }

    // Loads a map: applies latched cvars, resets scores, reconnects players.
    void spawnMap(const std::string& name);

    // Connects a player (a bot when `bot`), printing the join lines; null
    // when the server is full.
    Player* connectPlayer(const std::string& name, bool bot, int skill = 0);
    // A person connecting from `address` (IP or IP:PORT) with client key
    // `guid`, as the test command `sim_connect NAME ADDRESS GUID` asks: the
    // connect lines now, `ClientBegin` only when beginPending() runs (a real
    // client loads the map first). On the ioq3 engine an address on the
    // engine's ban list is refused without a line. Null when not connected.
    Player* connectClient(const std::string& name, const std::string& address, const std::string& guid);
    // Slots whose ClientBegin is still to come.
    bool hasPendingBegins() const { return !m_pendingBegins.empty(); }
    void beginPending();
    // Drops a player with the engine's broadcast (reason "was kicked",
    // "disconnected", ...) and the game's disconnect line.
    void dropPlayer(int slot, const std::string& reason);

    // Simulated game events; each does nothing when it cannot happen.
    void simulateJoin();
    void simulateLeave();
    void simulateChat();
    void simulateKill();
    void simulateItem();

    // The answer to an out-of-band datagram, if it deserves one.
    std::optional<std::string> answerPacket(std::string_view datagram);

    // Where writeconfig puts `name`: relative to fs_basepath/<game folder>,
    // "\" read as "/", ".cfg" added when there is no extension. Empty (with
    // the reason in `error`) when the path would leave fs_basepath.
    std::filesystem::path configPath(const std::string& name, std::string& error) const;
    std::string gameFolder() const;

    // The ioq3 engine's writeconfig (Ioq3WriteConfig.cpp): relative paths
    // refused, only ".cfg", the file under fs_homepath/<fs_game or
    // com_basegame>/ and no bind lines. Also registers com_basegame, which
    // tells where that engine writes.
    void setIoq3WriteConfig(bool on);
    bool ioq3WriteConfig() const { return m_ioq3WriteConfig; }

private:
    void commandSet(const std::vector<std::string>& args, unsigned extraFlags);
    void commandReset(const std::vector<std::string>& args);
    void commandStatus();
    void commandWriteConfig(const std::vector<std::string>& args);
    void commandWriteConfigIoq3(const std::vector<std::string>& args);
    void commandKick(const std::vector<std::string>& args);
    void commandClientKick(const std::vector<std::string>& args);
    void commandDumpUser(const std::vector<std::string>& args);
    void commandSay(const std::vector<std::string>& args);
    void commandMap(const std::vector<std::string>& args);
    void commandMapRestart();
    void commandAddBot(const std::vector<std::string>& args);
    void commandSimKill(const std::vector<std::string>& args);
    void commandSimExit(const std::vector<std::string>& args);
    void commandCvarList(const std::vector<std::string>& args);
    void commandCmdList();
    void commandFlood(const std::vector<std::string>& args);
    void commandExec(const std::vector<std::string>& args);
    void commandServerInfo();
    void commandQuit();
    void commandSimConnect(const std::vector<std::string>& args);
    // sim_crash, sim_dropmap, sim_hang (Failures.cpp).
    void commandFailure(const std::vector<std::string>& args);
    // The ioq3 engine's address ban list: banaddr, bandel, listbans,
    // flushbans (not on Q3 1.32).
    void commandBanAddr(const std::vector<std::string>& args);
    void commandBanDel(const std::vector<std::string>& args);
    void commandListBans();
    bool addressBanned(const std::string& address) const;
    void printJoin(const Player& player, bool begin);
    bool cvarCommand(const std::vector<std::string>& args);
    void reportSet(const std::string& name, int result);
    bool requireRunning();
    Player* playerByNumber(const std::string& text);
    std::string uniqueSimulatedName();
    void broadcastPrint(const std::string& text);
    void unknownCommand(const std::vector<std::string>& args);

    Output m_output;
    CvarTable m_cvars;
    PlayerTable m_players;
    Random m_random;
    bool m_mapRunning = false;
    bool m_ioq3 = false;
    long m_floodPrinted = 0;
    bool m_chatEcho = false;
    bool m_quit = false;
    bool m_hangAfterAnswer = false;
    bool m_homepathGiven = false;
    bool m_ioq3WriteConfig = false;
    int m_execDepth = 0;
    int m_serverId = 0;
    std::vector<int> m_pendingBegins;
    // Address bans as "A.B.C.D/BITS", in the order added.
    std::vector<std::string> m_addressBans;
};

} // namespace q3sim
