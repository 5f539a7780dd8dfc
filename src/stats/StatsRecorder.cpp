#include "stats/StatsRecorder.h"

namespace ravelin::stats {

namespace {

// Team games (team deathmatch and later) are where a frag can hit one's own side.
constexpr int kFirstTeamGametype = 3;

} // namespace

void StatsRecorder::line(std::string_view text, std::int64_t now)
{
    // The game prints every chat line twice: "say: NAME: TEXT", then
    // "NAME^7: TEXT", which the console shows without the colour code. A
    // player named "Kill" could thus print a kill of their own making; the
    // echo of the chat line just seen is skipped.
    if (!m_chatEcho.empty() && text == m_chatEcho) {
        m_chatEcho.clear();
        return;
    }
    m_chatEcho.clear();
    if (text.substr(0, 5) == "say: ") {
        m_chatEcho = cleanPlayerName(text.substr(5));
        return;
    }
    const auto parsed = parseStatsLine(text);
    if (!parsed)
        return;
    write();
    std::visit([&](const auto& event) { on(event, now); }, *parsed);
}

void StatsRecorder::write() { m_store.begin(); }

void StatsRecorder::endPass(std::int64_t now)
{
    if (now - m_lastSample >= kSampleSeconds) {
        // Minutes are sampled on the minute, so two runs' samples line up.
        m_lastSample = now - now % kSampleSeconds;
        write();
        m_store.addSample(m_lastSample, playersOnline(), botsOnline());
    }
    if (m_retentionDays > 0 && now - m_lastRetention >= 3600) {
        m_lastRetention = now;
        write();
        m_store.dropBefore(now - std::int64_t{m_retentionDays} * 86400);
    }
    m_store.commit();
}

int StatsRecorder::playersOnline() const
{
    int n = 0;
    for (const auto& [slot, s] : m_slots)
        n += !s.bot && s.player != 0;
    return n;
}

int StatsRecorder::botsOnline() const
{
    int n = 0;
    for (const auto& [slot, s] : m_slots)
        n += s.bot && s.player != 0;
    return n;
}

// Lines of a game that started before Ravelin looked still count: they go to
// a game whose map is not known.
void StatsRecorder::ensureGame(std::int64_t now)
{
    if (m_game != 0)
        return;
    m_game = m_store.startGame(m_map, m_gametype, now);
    m_gameStart = now;
    m_exitReason.clear();
}

void StatsRecorder::endGame(std::int64_t now, const std::string& how)
{
    if (m_game == 0)
        return;
    const std::int64_t end = m_exitReason.empty() ? now : m_exitTime;
    for (auto& [number, slot] : m_slots)
        closeSession(slot, end);
    m_store.endGame(m_game, end, m_exitReason.empty() ? how : m_exitReason);
    m_game = 0;
    m_exitReason.clear();
}

void StatsRecorder::openSession(Slot& slot, std::int64_t now)
{
    if (slot.session == 0 && slot.player != 0) {
        ensureGame(now);
        slot.session = m_store.startSession(m_game, slot.player, now);
    }
}

void StatsRecorder::closeSession(Slot& slot, std::int64_t now)
{
    if (slot.session != 0)
        m_store.endSession(slot.session, now);
    slot.session = 0;
}

// A slot first seen in a kill (Ravelin started mid-game) is taken to be
// the player the line names.
StatsRecorder::Slot& StatsRecorder::slotFor(int number, const std::string& nameFromLine, std::int64_t now)
{
    Slot& slot = m_slots[number];
    if (slot.player == 0 && !nameFromLine.empty()) {
        slot.name = nameFromLine;
        slot.player = m_store.player(nameFromLine, false, {});
        openSession(slot, now);
    }
    return slot;
}

void StatsRecorder::on(const KillLine& kill, std::int64_t now)
{
    ensureGame(now);
    Slot& victim = slotFor(kill.victim, kill.victimName, now);
    if (victim.player == 0)
        return;
    std::int64_t killerId = 0;
    bool teamKill = false;
    if (kill.killer != kWorldSlot) {
        const Slot& killer = slotFor(kill.killer, kill.killerName, now);
        killerId = killer.player;
        teamKill = kill.killer != kill.victim && m_gametype >= kFirstTeamGametype && killer.team == victim.team
            && (killer.team == 1 || killer.team == 2);
    }
    m_store.addKill(m_game, now, killerId, victim.player, kill.means, m_map, teamKill);
}

void StatsRecorder::on(const ConnectLine& connect, std::int64_t now)
{
    // The name comes with the userinfo line (before or after this one,
    // depending on the engine); only then does the stay begin.
    (void)connect;
    ensureGame(now);
}

void StatsRecorder::on(const UserinfoLine& info, std::int64_t now)
{
    if (info.name.empty())
        return;
    Slot& slot = m_slots[info.slot];
    if (slot.player != 0 && slot.name != info.name)
        closeSession(slot, now);
    slot.name = info.name;
    slot.team = info.team;
    slot.bot = info.bot;
    slot.player = m_store.player(info.name, info.bot, info.guid);
    openSession(slot, now);
}

void StatsRecorder::on(const DisconnectLine& disconnect, std::int64_t now)
{
    auto found = m_slots.find(disconnect.slot);
    if (found == m_slots.end())
        return;
    closeSession(found->second, now);
    m_slots.erase(found);
}

void StatsRecorder::on(const InitGameLine& init, std::int64_t now)
{
    endGame(now, "map changed");
    m_map = init.map;
    m_gametype = init.gametype;
    ensureGame(now);
    // Players who stay are announced again by the new game, slot by slot.
    m_slots.clear();
}

void StatsRecorder::on(const ShutdownGameLine&, std::int64_t now)
{
    endGame(now, "shut down");
    m_slots.clear();
}

void StatsRecorder::on(const ExitLine& exit, std::int64_t now)
{
    ensureGame(now);
    m_exitReason = exit.reason;
    m_exitTime = now;
}

void StatsRecorder::on(const ScoreLine& score, std::int64_t now)
{
    ensureGame(now);
    Slot& slot = slotFor(score.slot, score.name, now);
    if (slot.player != 0)
        m_store.setScore(m_game, slot.player, score.score, score.ping);
}

} // namespace ravelin::stats
