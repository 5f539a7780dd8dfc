// Turns a server's console lines into the statistics history: follows who
// sits in which slot (name, team, bot) and which game runs, and writes each
// kill, game and stay in the game to the store. The owner calls line() for
// every console line of a pump pass and endPass() after it: the pass's
// writes are one transaction, and a sample of the players online is taken
// once a minute at the end of a pass.
#pragma once

#include "stats/StatsLine.h"
#include "stats/StatsStore.h"

#include <cstdint>
#include <map>
#include <string>

namespace ravelin::stats {

class StatsRecorder {
public:
    static constexpr std::int64_t kSampleSeconds = 60;

    explicit StatsRecorder(StatsStore& store) : m_store(store) {}

    void line(std::string_view text, std::int64_t now);
    void endPass(std::int64_t now);

    // The game running now (0 before the first one is seen) and its start.
    std::int64_t currentGame() const { return m_game; }
    std::int64_t currentGameStart() const { return m_gameStart; }
    const std::string& currentMap() const { return m_map; }
    // The map already running when the history is opened: its InitGame
    // line came before, so the game seen first would have no map.
    void setRunningMap(const std::string& map)
    {
        if (m_game == 0)
            m_map = map;
    }
    int playersOnline() const;
    int botsOnline() const;
    // Games older than this many days are dropped at the end of a pass
    // (0: everything is kept).
    void setRetentionDays(int days) { m_retentionDays = days; }

private:
    struct Slot {
        std::string name;
        std::int64_t player = 0;
        std::int64_t session = 0;
        int team = 0;
        bool bot = false;
    };

    void write();
    void ensureGame(std::int64_t now);
    void endGame(std::int64_t now, const std::string& how);
    Slot& slotFor(int slot, const std::string& nameFromLine, std::int64_t now);
    void openSession(Slot& slot, std::int64_t now);
    void closeSession(Slot& slot, std::int64_t now);

    void on(const KillLine& kill, std::int64_t now);
    void on(const ConnectLine& connect, std::int64_t now);
    void on(const UserinfoLine& info, std::int64_t now);
    void on(const DisconnectLine& disconnect, std::int64_t now);
    void on(const InitGameLine& init, std::int64_t now);
    void on(const ShutdownGameLine&, std::int64_t now);
    void on(const ExitLine& exit, std::int64_t now);
    void on(const ScoreLine& score, std::int64_t now);

    StatsStore& m_store;
    std::map<int, Slot> m_slots;
    std::int64_t m_game = 0;
    std::int64_t m_gameStart = 0;
    std::string m_map;
    int m_gametype = 0;
    std::string m_exitReason;
    std::int64_t m_exitTime = 0;
    std::int64_t m_lastSample = 0;
    std::int64_t m_lastRetention = 0;
    int m_retentionDays = 0;
    // The echo the last chat line announced.
    std::string m_chatEcho;
};

} // namespace ravelin::stats
