// The statistics history of one server: raw events (every kill with its
// time, killer, victim, means and map; who was in which game from when to
// when; games with their end and final scores; players online each minute)
// in SQLite, and the figures computed from them for any time window. Times
// are Unix seconds.
//
// Writes happen between begin() and commit(), one transaction per console
// pass; the file runs in WAL mode so a crash loses at most the pass being
// written. A file that cannot be opened or written, or one a newer schema
// wrote, is left alone: the store then keeps the session's figures in
// memory and says why in problem().
#pragma once

#include "stats/Sqlite.h"

#include <cstdint>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ravelin::stats {

// A time window [from, to); `game` > 0 limits it to one game.
struct Window {
    std::int64_t from = 0;
    std::int64_t to = 0;
    std::int64_t game = 0;
};

struct PlayerFigures {
    std::int64_t id = 0;
    std::string name;
    bool bot = false;
    std::int64_t kills = 0;
    std::int64_t deaths = 0;
    std::int64_t suicides = 0;
    std::int64_t teamKills = 0;
    std::int64_t secondsPlayed = 0;
    std::string favouriteWeapon;
    double ratio() const;
};

struct WeaponFigures {
    std::string means;
    std::int64_t kills = 0;
};

struct GameFigures {
    std::int64_t id = 0;
    std::string map;
    std::int64_t started = 0;
    std::int64_t ended = 0; // 0 while it runs
    std::string how;
    std::vector<std::pair<std::string, std::int64_t>> scores; // best first
};

struct OnlineSample {
    std::int64_t time = 0;
    int players = 0;
    int bots = 0;
};

// Kill counts of one window, as read from the raw kills.
struct MeansTally {
    std::int64_t count = 0;
    std::int64_t last = 0; // the latest kill's id
};
struct Tally {
    std::map<std::int64_t, std::map<std::string, MeansTally>> kills; // killer -> means
    std::map<std::int64_t, std::int64_t> teamKills, deaths, suicides;
    void add(std::int64_t id, std::int64_t killer, std::int64_t victim, const std::string& means, bool teamKill);
};

class StatsStore {
public:
    static constexpr int kSchemaVersion = 2;

    // Opens or creates the file; never throws: see problem().
    explicit StatsStore(const std::string& path);
    ~StatsStore();

    // Empty when the history is on disk; otherwise why it is only in memory.
    const std::string& problem() const { return m_problem; }
    bool inMemory() const { return !m_problem.empty(); }

    void begin();
    void commit();
    bool inTransaction() const { return m_transaction != nullptr; }

    std::int64_t player(const std::string& name, bool bot, const std::string& guid);
    std::int64_t startGame(const std::string& map, int gametype, std::int64_t time);
    void endGame(std::int64_t game, std::int64_t time, const std::string& how);
    // `killer` 0: the world.
    void addKill(std::int64_t game, std::int64_t time, std::int64_t killer, std::int64_t victim,
                 const std::string& means, const std::string& map, bool teamKill);
    std::int64_t startSession(std::int64_t game, std::int64_t player, std::int64_t time);
    void endSession(std::int64_t session, std::int64_t time);
    void setScore(std::int64_t game, std::int64_t player, int score, int ping);
    void addSample(std::int64_t time, int players, int bots);
    // Drops games that ended before `time`, with their kills and sessions,
    // and older samples.
    void dropBefore(std::int64_t time);

    // Figures; `now` ends sessions and games still running.
    std::vector<PlayerFigures> players(const Window& window, bool bots, std::int64_t now);
    std::vector<WeaponFigures> weapons(const Window& window, bool bots);
    std::vector<GameFigures> games(const Window& window, int limit);
    std::vector<OnlineSample> samples(std::int64_t from, std::int64_t to);
    std::optional<PlayerFigures> playerById(std::int64_t id, const Window& window, std::int64_t now);
    std::vector<WeaponFigures> weaponsOf(std::int64_t player, const Window& window);
    std::int64_t killCount();

    // Reads the window's kills on a connection of its own, on another
    // thread, so the first look at a long history does not hold the caller;
    // a window asked for before that ends is read where it is asked.
    void warm(const Window& window);
    // Takes finished readings into the windows kept (the caller's thread;
    // figures ask for it too). True while a reading is still running.
    bool adoptWarmed();

    // The schema's first version, kept so migration from it can be checked.
    static const char* schemaVersion1();

private:
    // One pass over the window's kills. The windows the section shows are
    // read once, then kept up to date by addKill, so a refresh costs no scan.
    Tally tally(const Window& window);
    static Tally scan(sql::Database& db, const Window& window, std::int64_t afterId, Tally t);
    void keep(const Window& window, Tally t);
    void openFile(const std::string& path);
    void openMemory();
    void migrate();
    void closeUnfinished();
    void prepareWrites();

    std::unique_ptr<sql::Database> m_db;
    std::unique_ptr<sql::Transaction> m_transaction;
    std::string m_problem;
    sql::Statement m_insertKill;
    sql::Statement m_findPlayer;
    sql::Statement m_insertPlayer;
    sql::Statement m_updatePlayer;
    sql::Statement m_insertSession;
    sql::Statement m_endSession;
    struct CachedTally {
        std::int64_t from;
        std::int64_t game;
        Tally tally;
    };
    // This game, today and all time, with room for a player page's window.
    static constexpr std::size_t kCachedWindows = 4;
    std::vector<CachedTally> m_cache;
    std::int64_t m_lastKillTime = 0;
    std::string m_path; // "" in memory
    struct Warming {
        Window window;
        std::uint64_t generation;
        std::future<std::pair<Tally, std::int64_t>> result; // the tally and the last kill it read
    };
    std::vector<Warming> m_warming;
    // Counts the clearings of m_cache: a reading from before one is stale.
    std::uint64_t m_generation = 0;
};

} // namespace ravelin::stats
