#include "stats/StatsLine.h"

#include <charconv>

namespace ravelin::stats {

namespace {

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// games.log puts the game clock ("  1:32 ", "123:04 ") before every line.
std::string_view skipClock(std::string_view line)
{
    std::size_t i = 0;
    while (i < line.size() && line[i] == ' ')
        ++i;
    std::size_t digits = i;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9')
        ++digits;
    if (digits == i || digits + 3 >= line.size() || line[digits] != ':')
        return line;
    if (!(line[digits + 1] >= '0' && line[digits + 1] <= '9' && line[digits + 2] >= '0' && line[digits + 2] <= '9'))
        return line;
    if (line[digits + 3] != ' ')
        return line;
    return line.substr(digits + 4);
}

// Reads a decimal integer after optional blanks; advances `text`.
std::optional<int> readInt(std::string_view& text)
{
    text = trim(text);
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data())
        return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

bool consume(std::string_view& text, std::string_view prefix)
{
    text = trim(text);
    if (text.substr(0, prefix.size()) != prefix)
        return false;
    text.remove_prefix(prefix.size());
    return true;
}

bool validSlot(int slot) { return slot >= 0 && slot < 4096; }

std::optional<StatsLine> parseKill(std::string_view rest)
{
    KillLine kill;
    auto killer = readInt(rest);
    auto victim = readInt(rest);
    auto means = readInt(rest);
    if (!killer || !victim || !means || !consume(rest, ":"))
        return std::nullopt;
    if (!validSlot(*killer) && *killer != kWorldSlot)
        return std::nullopt;
    if (!validSlot(*victim))
        return std::nullopt;
    kill.killer = *killer;
    kill.victim = *victim;
    kill.meansNumber = *means;
    const std::size_t by = rest.rfind(" by ");
    if (by == std::string_view::npos)
        return std::nullopt;
    kill.means = std::string(trim(rest.substr(by + 4)));
    const std::string_view names = rest.substr(0, by);
    const std::size_t killed = names.find(" killed ");
    if (kill.means.empty() || killed == std::string_view::npos)
        return std::nullopt;
    kill.killerName = cleanPlayerName(names.substr(0, killed));
    kill.victimName = cleanPlayerName(names.substr(killed + 8));
    return kill;
}

std::optional<StatsLine> parseUserinfo(std::string_view rest)
{
    UserinfoLine info;
    auto slot = readInt(rest);
    if (!slot || !validSlot(*slot))
        return std::nullopt;
    info.slot = *slot;
    rest = trim(rest);
    // The engine writes the pairs without the leading backslash.
    std::string pairs = "\\" + std::string(rest);
    const auto name = infoValue(pairs, "n");
    if (!name)
        return std::nullopt;
    info.name = cleanPlayerName(*name);
    if (auto team = infoValue(pairs, "t")) {
        std::string_view t = *team;
        info.team = readInt(t).value_or(0);
    }
    info.bot = infoValue(pairs, "skill").has_value();
    if (auto guid = infoValue(pairs, "id"))
        info.guid = std::string(*guid);
    return info;
}

std::optional<StatsLine> parseScore(std::string_view rest)
{
    // score: 20  ping: 50  client: 0 Bob
    ScoreLine score;
    auto value = readInt(rest);
    if (!value || !consume(rest, "ping:"))
        return std::nullopt;
    auto ping = readInt(rest);
    if (!ping || !consume(rest, "client:"))
        return std::nullopt;
    auto slot = readInt(rest);
    if (!slot || !validSlot(*slot))
        return std::nullopt;
    score.score = *value;
    score.ping = *ping;
    score.slot = *slot;
    score.name = cleanPlayerName(rest);
    return score;
}

} // namespace

std::string cleanPlayerName(std::string_view name)
{
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '^' && i + 1 < name.size() && name[i + 1] != '^') {
            ++i;
            continue;
        }
        out += name[i];
    }
    return std::string(trim(out));
}

std::optional<std::string_view> infoValue(std::string_view info, std::string_view key)
{
    std::size_t pos = 0;
    while (pos < info.size() && info[pos] == '\\') {
        const std::size_t keyEnd = info.find('\\', pos + 1);
        if (keyEnd == std::string_view::npos)
            return std::nullopt;
        const std::size_t valueEnd = info.find('\\', keyEnd + 1);
        const std::string_view k = info.substr(pos + 1, keyEnd - pos - 1);
        const std::string_view v = info.substr(
            keyEnd + 1, valueEnd == std::string_view::npos ? std::string_view::npos : valueEnd - keyEnd - 1);
        if (k == key)
            return v;
        if (valueEnd == std::string_view::npos)
            break;
        pos = valueEnd;
    }
    return std::nullopt;
}

std::optional<StatsLine> parseStatsLine(std::string_view line)
{
    line = skipClock(trim(line));
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        // Quake III 1.32's own banner at the end of a game.
        if (trim(line) == "==== ShutdownGame ====")
            return ShutdownGameLine{};
        return std::nullopt;
    }
    const std::string_view word = line.substr(0, colon);
    std::string_view rest = line.substr(colon + 1);
    if (word == "Kill")
        return parseKill(rest);
    if (word == "ClientUserinfoChanged")
        return parseUserinfo(rest);
    if (word == "ClientConnect" || word == "ClientDisconnect") {
        auto slot = readInt(rest);
        if (!slot || !validSlot(*slot) || !trim(rest).empty())
            return std::nullopt;
        if (word == "ClientConnect")
            return ConnectLine{*slot};
        return DisconnectLine{*slot};
    }
    if (word == "InitGame") {
        const std::string_view info = trim(rest);
        InitGameLine init;
        init.map = std::string(infoValue(info, "mapname").value_or(""));
        if (auto type = infoValue(info, "g_gametype")) {
            std::string_view digits = *type;
            init.gametype = readInt(digits).value_or(0);
        }
        return init;
    }
    if (word == "ShutdownGame")
        return trim(rest).empty() ? std::optional<StatsLine>(ShutdownGameLine{}) : std::nullopt;
    if (word == "Exit")
        return ExitLine{std::string(trim(rest))};
    if (word == "score")
        return parseScore(rest);
    return std::nullopt;
}

} // namespace ravelin::stats
