#include "stats/StatsStore.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

namespace ravelin::stats {

namespace {

const char* const kVersion1 = R"(
CREATE TABLE players(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, bot INTEGER NOT NULL DEFAULT 0);
CREATE TABLE games(id INTEGER PRIMARY KEY, map TEXT NOT NULL, gametype INTEGER NOT NULL DEFAULT 0,
  started INTEGER NOT NULL, ended INTEGER, how TEXT NOT NULL DEFAULT '');
CREATE TABLE kills(id INTEGER PRIMARY KEY, game INTEGER NOT NULL, time INTEGER NOT NULL, killer INTEGER,
  victim INTEGER NOT NULL, means TEXT NOT NULL, map TEXT NOT NULL, teamkill INTEGER NOT NULL DEFAULT 0);
CREATE TABLE sessions(id INTEGER PRIMARY KEY, game INTEGER NOT NULL, player INTEGER NOT NULL,
  started INTEGER NOT NULL, ended INTEGER);
CREATE TABLE scores(game INTEGER NOT NULL, player INTEGER NOT NULL, score INTEGER NOT NULL,
  ping INTEGER NOT NULL DEFAULT 0, PRIMARY KEY(game, player));
CREATE TABLE samples(time INTEGER PRIMARY KEY, players INTEGER NOT NULL);
CREATE INDEX kills_time ON kills(time);
)";

// Version 2: the client key, bots counted apart in the samples. Kills keep
// only the time index: every further index is written on every kill.
const char* const kVersion2 = R"(
ALTER TABLE players ADD COLUMN guid TEXT NOT NULL DEFAULT '';
ALTER TABLE samples ADD COLUMN bots INTEGER NOT NULL DEFAULT 0;
CREATE INDEX sessions_by_game ON sessions(game);
CREATE INDEX games_started ON games(started);
)";

const char* const kMigrations[] = {kVersion1, kVersion2};

} // namespace

double PlayerFigures::ratio() const
{
    // A player nobody killed yet is rated on kills alone.
    return static_cast<double>(kills) / static_cast<double>(std::max<std::int64_t>(deaths, 1));
}

const char* StatsStore::schemaVersion1() { return kVersion1; }

StatsStore::StatsStore(const std::string& path)
{
    try {
        openFile(path);
    } catch (const sql::Error& error) {
        m_problem = std::string("The statistics file ") + path + " cannot be used (" + error.what()
            + "); statistics are kept in memory until Ravelin ends.";
    } catch (const std::exception& error) {
        m_problem = std::string("The statistics file ") + path + " cannot be used (" + error.what()
            + "); statistics are kept in memory until Ravelin ends.";
    }
    if (!m_problem.empty())
        openMemory();
    else
        m_path = path;
}

StatsStore::~StatsStore()
{
    for (Warming& w : m_warming)
        if (w.result.valid())
            w.result.wait();
    m_transaction.reset();
}

void StatsStore::openFile(const std::string& path)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    auto db = std::make_unique<sql::Database>(path);
    // Reading the version is the first touch of the file: a file that is
    // not a database fails here, before anything is written to it.
    const std::int64_t version = db->scalar("PRAGMA user_version");
    if (version > kSchemaVersion)
        throw std::runtime_error("it was written by a newer Ravelin, schema version " + std::to_string(version));
    if (db->readOnly())
        throw std::runtime_error("it is read-only");
    const std::int64_t tables = db->scalar("SELECT count(*) FROM sqlite_master");
    if (version == 0 && tables > 0)
        throw std::runtime_error("it holds tables of another program");
    db->exec("PRAGMA journal_mode=WAL");
    db->exec("PRAGMA synchronous=NORMAL");
    m_db = std::move(db);
    migrate();
    closeUnfinished();
    prepareWrites();
    m_lastKillTime = m_db->scalar("SELECT coalesce(max(time), 0) FROM kills");
}

void StatsStore::openMemory()
{
    m_transaction.reset();
    m_cache.clear();
    ++m_generation;
    m_db = std::make_unique<sql::Database>(":memory:");
    migrate();
    prepareWrites();
}

void StatsStore::migrate()
{
    const std::int64_t version = m_db->scalar("PRAGMA user_version");
    for (std::int64_t v = version; v < kSchemaVersion; ++v) {
        sql::Transaction step(*m_db);
        m_db->exec(kMigrations[v]);
        m_db->exec("PRAGMA user_version=" + std::to_string(v + 1));
        step.commit();
    }
}

// Games and sessions a previous run left open (it ended, or crashed) end
// at the last moment that run recorded anything.
void StatsStore::closeUnfinished()
{
    const std::int64_t last = m_db->scalar(
        "SELECT max(coalesce((SELECT max(time) FROM samples),0), coalesce((SELECT max(time) FROM kills),0),"
        " coalesce((SELECT max(started) FROM sessions),0), coalesce((SELECT max(started) FROM games),0))");
    auto sessions = m_db->prepare("UPDATE sessions SET ended = max(started, ?1) WHERE ended IS NULL");
    sessions.bind(1, last).run();
    auto games = m_db->prepare("UPDATE games SET ended = max(started, ?1), how = 'interrupted' WHERE ended IS NULL");
    games.bind(1, last).run();
}

void StatsStore::prepareWrites()
{
    m_insertKill = m_db->prepare(
        "INSERT INTO kills(game, time, killer, victim, means, map, teamkill) VALUES(?1,?2,?3,?4,?5,?6,?7)");
    m_findPlayer = m_db->prepare("SELECT id, bot, guid FROM players WHERE name = ?1");
    m_insertPlayer = m_db->prepare("INSERT INTO players(name, bot, guid) VALUES(?1, ?2, ?3)");
    m_updatePlayer = m_db->prepare("UPDATE players SET bot = ?2, guid = ?3 WHERE id = ?1");
    m_insertSession = m_db->prepare("INSERT INTO sessions(game, player, started) VALUES(?1, ?2, ?3)");
    m_endSession = m_db->prepare("UPDATE sessions SET ended = ?2 WHERE id = ?1 AND ended IS NULL");
}

void StatsStore::begin()
{
    if (!m_transaction)
        m_transaction = std::make_unique<sql::Transaction>(*m_db);
}

void StatsStore::commit()
{
    if (!m_transaction)
        return;
    auto transaction = std::move(m_transaction);
    transaction->commit();
}

std::int64_t StatsStore::player(const std::string& name, bool bot, const std::string& guid)
{
    m_findPlayer.bind(1, name);
    if (m_findPlayer.step()) {
        const std::int64_t id = m_findPlayer.integer(0);
        const bool wasBot = m_findPlayer.integer(1) != 0;
        const std::string oldGuid = m_findPlayer.text(2);
        m_findPlayer.reset();
        const std::string newGuid = guid.empty() ? oldGuid : guid;
        if (wasBot != bot || newGuid != oldGuid)
            m_updatePlayer.bind(1, id).bind(2, std::int64_t{bot}).bind(3, newGuid).run();
        return id;
    }
    m_findPlayer.reset();
    m_insertPlayer.bind(1, name).bind(2, std::int64_t{bot}).bind(3, guid).run();
    return m_db->lastInsertId();
}

std::int64_t StatsStore::startGame(const std::string& map, int gametype, std::int64_t time)
{
    m_db->prepare("INSERT INTO games(map, gametype, started) VALUES(?1, ?2, ?3)")
        .bind(1, map)
        .bind(2, std::int64_t{gametype})
        .bind(3, time)
        .run();
    return m_db->lastInsertId();
}

void StatsStore::endGame(std::int64_t game, std::int64_t time, const std::string& how)
{
    m_db->prepare("UPDATE games SET ended = ?2, how = ?3 WHERE id = ?1").bind(1, game).bind(2, time).bind(3, how).run();
}

void StatsStore::addKill(std::int64_t game, std::int64_t time, std::int64_t killer, std::int64_t victim,
                         const std::string& means, const std::string& map, bool teamKill)
{
    m_insertKill.bind(1, game).bind(2, time);
    if (killer > 0)
        m_insertKill.bind(3, killer);
    else
        m_insertKill.bindNull(3);
    m_insertKill.bind(4, victim).bindStatic(5, means).bindStatic(6, map).bind(7, std::int64_t{teamKill}).run();
    m_lastKillTime = std::max(m_lastKillTime, time);
    const std::int64_t id = m_db->lastInsertId();
    for (CachedTally& cached : m_cache)
        if (time >= cached.from && (cached.game == 0 || cached.game == game))
            cached.tally.add(id, killer, victim, means, teamKill);
}

std::int64_t StatsStore::startSession(std::int64_t game, std::int64_t player, std::int64_t time)
{
    m_insertSession.bind(1, game).bind(2, player).bind(3, time).run();
    return m_db->lastInsertId();
}

void StatsStore::endSession(std::int64_t session, std::int64_t time)
{
    m_endSession.bind(1, session).bind(2, time).run();
}

void StatsStore::setScore(std::int64_t game, std::int64_t player, int score, int ping)
{
    m_db->prepare("INSERT OR REPLACE INTO scores(game, player, score, ping) VALUES(?1, ?2, ?3, ?4)")
        .bind(1, game)
        .bind(2, player)
        .bind(3, std::int64_t{score})
        .bind(4, std::int64_t{ping})
        .run();
}

void StatsStore::addSample(std::int64_t time, int players, int bots)
{
    m_db->prepare("INSERT OR REPLACE INTO samples(time, players, bots) VALUES(?1, ?2, ?3)")
        .bind(1, time)
        .bind(2, std::int64_t{players})
        .bind(3, std::int64_t{bots})
        .run();
}

void StatsStore::dropBefore(std::int64_t time)
{
    const char* const statements[] = {
        "DELETE FROM kills WHERE game IN (SELECT id FROM games WHERE ended < ?1)",
        "DELETE FROM sessions WHERE game IN (SELECT id FROM games WHERE ended < ?1)",
        "DELETE FROM scores WHERE game IN (SELECT id FROM games WHERE ended < ?1)",
        "DELETE FROM games WHERE ended < ?1",
        "DELETE FROM samples WHERE time < ?1",
    };
    for (const char* text : statements)
        m_db->prepare(text).bind(1, time).run();
    m_cache.clear();
    ++m_generation;
}

namespace {

// The window's condition on a table with `game` and a time column.
std::string windowWhere(const char* timeColumn)
{
    return std::string(" ") + timeColumn + " >= ?1 AND " + timeColumn + " < ?2 AND (?3 = 0 OR game = ?3) ";
}

void bindWindow(sql::Statement& statement, const Window& window)
{
    statement.bind(1, window.from).bind(2, window.to).bind(3, window.game);
}

std::vector<WeaponFigures> sortedWeapons(const std::map<std::string, std::int64_t>& byMeans)
{
    std::vector<WeaponFigures> out;
    for (const auto& [means, kills] : byMeans)
        out.push_back({means, kills});
    std::stable_sort(out.begin(), out.end(),
                     [](const WeaponFigures& a, const WeaponFigures& b) { return a.kills > b.kills; });
    return out;
}

} // namespace

void Tally::add(std::int64_t id, std::int64_t killer, std::int64_t victim, const std::string& means, bool teamKill)
{
    ++deaths[victim];
    if (killer == 0 || killer == victim) {
        ++suicides[victim];
        return;
    }
    if (teamKill) {
        ++teamKills[killer];
        return;
    }
    MeansTally& m = kills[killer][means];
    ++m.count;
    m.last = std::max(m.last, id);
}

Tally StatsStore::scan(sql::Database& db, const Window& window, std::int64_t afterId, Tally t)
{
    // Catching up after a reading walks the newest rows by id; "+time" keeps
    // the planner off the time index, which would walk the whole window.
    auto q = db.prepare("SELECT id, coalesce(killer, 0), victim, means, teamkill FROM kills WHERE id > ?4 AND"
                        + windowWhere(afterId > 0 ? "+time" : "time"));
    bindWindow(q, window);
    q.bind(4, afterId);
    while (q.step())
        t.add(q.integer(0), q.integer(1), q.integer(2), q.text(3), q.integer(4) != 0);
    return t;
}

void StatsStore::keep(const Window& window, Tally t)
{
    if (m_cache.size() >= kCachedWindows)
        m_cache.erase(m_cache.begin());
    m_cache.push_back({window.from, window.game, std::move(t)});
}

void StatsStore::warm(const Window& window)
{
    if (m_path.empty())
        return;
    // WAL lets this second connection read while the pump writes; one read
    // transaction keeps the tally and its last kill id from the same moment.
    auto read = [path = m_path, window] {
        sql::Database db(path, sql::Database::Mode::ReadOnly);
        sql::Transaction snapshot(db);
        const std::int64_t last = db.scalar("SELECT coalesce(max(id), 0) FROM kills");
        return std::make_pair(scan(db, window, 0, {}), last);
    };
    m_warming.push_back({window, m_generation, std::async(std::launch::async, read)});
}

bool StatsStore::adoptWarmed()
{
    for (auto it = m_warming.begin(); it != m_warming.end();) {
        if (it->result.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            ++it;
            continue;
        }
        try {
            auto [t, last] = it->result.get();
            const bool kept = std::any_of(m_cache.begin(), m_cache.end(), [&](const CachedTally& c) {
                return c.from == it->window.from && c.game == it->window.game;
            });
            // Kills written since its snapshot (this connection sees its own
            // uncommitted ones too) bring it up to now.
            if (it->generation == m_generation && !kept)
                keep(it->window, scan(*m_db, it->window, last, std::move(t)));
        } catch (const sql::Error&) {
            // The window is read where it is asked instead.
        }
        it = m_warming.erase(it);
    }
    return !m_warming.empty();
}

Tally StatsStore::tally(const Window& window)
{
    adoptWarmed();
    // A window still open (it reaches past the last kill) is kept and
    // followed; a closed one is read each time.
    const bool open = window.to > m_lastKillTime;
    if (open)
        for (const CachedTally& cached : m_cache)
            if (cached.from == window.from && cached.game == window.game)
                return cached.tally;
    Tally t = scan(*m_db, window, 0, {});
    if (open)
        keep(window, t);
    return t;
}

std::vector<PlayerFigures> StatsStore::players(const Window& window, bool bots, std::int64_t now)
{
    const Tally t = tally(window);
    std::map<std::int64_t, PlayerFigures> byId;
    for (const auto& [killer, means] : t.kills) {
        PlayerFigures& p = byId[killer];
        // Favourite weapon: the means of most kills; a tie goes to the one used last.
        MeansTally best;
        for (const auto& [name, m] : means) {
            p.kills += m.count;
            if (m.count > best.count || (m.count == best.count && m.last > best.last)) {
                best = m;
                p.favouriteWeapon = name;
            }
        }
    }
    for (const auto& [id, n] : t.teamKills)
        byId[id].teamKills = n;
    for (const auto& [id, n] : t.deaths)
        byId[id].deaths = n;
    for (const auto& [id, n] : t.suicides)
        byId[id].suicides = n;
    auto played =
        m_db->prepare("SELECT player, sum(min(coalesce(ended, ?4), ?2) - max(started, ?1)) FROM sessions"
                      " WHERE started < ?2 AND coalesce(ended, ?4) > ?1 AND (?3 = 0 OR game = ?3) GROUP BY player");
    bindWindow(played, window);
    played.bind(4, now);
    while (played.step())
        byId[played.integer(0)].secondsPlayed = std::max<std::int64_t>(0, played.integer(1));

    auto names = m_db->prepare("SELECT id, name, bot FROM players");
    std::vector<PlayerFigures> out;
    while (names.step()) {
        auto found = byId.find(names.integer(0));
        if (found == byId.end())
            continue;
        PlayerFigures p = found->second;
        p.id = names.integer(0);
        p.name = names.text(1);
        p.bot = names.integer(2) != 0;
        if (!p.bot || bots)
            out.push_back(std::move(p));
    }
    std::sort(out.begin(), out.end(), [](const PlayerFigures& a, const PlayerFigures& b) {
        return a.kills != b.kills ? a.kills > b.kills : a.name < b.name;
    });
    return out;
}

std::vector<WeaponFigures> StatsStore::weapons(const Window& window, bool bots)
{
    std::set<std::int64_t> botIds;
    auto q = m_db->prepare("SELECT id FROM players WHERE bot");
    while (q.step())
        botIds.insert(q.integer(0));
    std::map<std::string, std::int64_t> byMeans;
    for (const auto& [killer, means] : tally(window).kills)
        if (bots || !botIds.count(killer))
            for (const auto& [name, m] : means)
                byMeans[name] += m.count;
    return sortedWeapons(byMeans);
}

std::vector<GameFigures> StatsStore::games(const Window& window, int limit)
{
    auto q = m_db->prepare("SELECT id, map, started, coalesce(ended, 0), how FROM games"
                           " WHERE started < ?2 AND coalesce(ended, ?2) >= ?1 AND (?3 = 0 OR id = ?3)"
                           " ORDER BY started DESC, id DESC LIMIT ?4");
    bindWindow(q, window);
    q.bind(4, std::int64_t{limit});
    std::vector<GameFigures> out;
    while (q.step())
        out.push_back({q.integer(0), q.text(1), q.integer(2), q.integer(3), q.text(4), {}});
    auto scores = m_db->prepare("SELECT p.name, s.score FROM scores s JOIN players p ON p.id = s.player"
                                " WHERE s.game = ?1 ORDER BY s.score DESC, p.name");
    for (GameFigures& game : out) {
        scores.bind(1, game.id);
        while (scores.step())
            game.scores.emplace_back(scores.text(0), scores.integer(1));
        scores.reset();
    }
    return out;
}

std::vector<OnlineSample> StatsStore::samples(std::int64_t from, std::int64_t to)
{
    auto q = m_db->prepare("SELECT time, players, bots FROM samples WHERE time >= ?1 AND time < ?2 ORDER BY time");
    q.bind(1, from).bind(2, to);
    std::vector<OnlineSample> out;
    while (q.step())
        out.push_back({q.integer(0), static_cast<int>(q.integer(1)), static_cast<int>(q.integer(2))});
    return out;
}

std::optional<PlayerFigures> StatsStore::playerById(std::int64_t id, const Window& window, std::int64_t now)
{
    for (PlayerFigures& p : players(window, true, now))
        if (p.id == id)
            return std::move(p);
    auto q = m_db->prepare("SELECT name, bot FROM players WHERE id = ?1");
    q.bind(1, id);
    if (!q.step())
        return std::nullopt;
    PlayerFigures p;
    p.id = id;
    p.name = q.text(0);
    p.bot = q.integer(1) != 0;
    return p;
}

std::vector<WeaponFigures> StatsStore::weaponsOf(std::int64_t player, const Window& window)
{
    std::map<std::string, std::int64_t> byMeans;
    const Tally t = tally(window);
    if (auto found = t.kills.find(player); found != t.kills.end())
        for (const auto& [name, m] : found->second)
            byMeans[name] += m.count;
    return sortedWeapons(byMeans);
}

std::int64_t StatsStore::killCount() { return m_db->scalar("SELECT count(*) FROM kills"); }

} // namespace ravelin::stats
