#include "stats/StatsPage.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace ravelin::stats {

namespace {

bool plain(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ';
}

std::string number(std::int64_t value) { return std::to_string(value); }

const char* const kStyle = "body{font-family:sans-serif;margin:1em;background:#f4f4f4}"
                           "table{border-collapse:collapse;margin:.5em 0 1.5em}"
                           "th,td{border:1px solid #bbb;padding:2px 8px;text-align:left}"
                           "th{background:#ddd}td.n{text-align:right}nav a{margin-right:1em}"
                           ".warn{color:#a00}svg{background:#fff;border:1px solid #bbb}";

void head(std::string& out, const std::string& title)
{
    out += "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
           "<meta name=\"viewport\" content=\"width=device-width\"><title>";
    out += title;
    out += "</title><style>";
    out += kStyle;
    out += "</style></head><body>\n";
}

void nav(std::string& out, const StatsSnapshot& s)
{
    out += "<h1>" + htmlText(s.server.empty() ? std::string("Server statistics") : s.server) + "</h1>\n<nav>";
    for (Span span : {Span::Game, Span::Today, Span::AllTime}) {
        out += "<a href=\"/?span=";
        out += spanKey(span);
        out += "\">";
        out += spanTitle(span);
        out += "</a>";
    }
    out += "</nav>\n";
    if (!s.problem.empty())
        out += "<p class=\"warn\">" + htmlText(s.problem) + "</p>\n";
}

void playersTable(std::string& out, const std::vector<PlayerFigures>& players, bool links)
{
    out += "<table id=\"players\"><caption>Players</caption><thead><tr><th>Player</th><th>Kills</th><th>Deaths</th>"
           "<th>Suicides</th><th>Team kills</th><th>Ratio</th><th>Favourite weapon</th><th>Time played</th>"
           "</tr></thead><tbody>\n";
    for (const PlayerFigures& p : players) {
        out += "<tr><td>";
        if (links)
            out += "<a href=\"/player?id=" + number(p.id) + "\">" + htmlText(p.name) + "</a>";
        else
            out += htmlText(p.name);
        out += "</td><td class=\"n\">" + number(p.kills) + "</td><td class=\"n\">" + number(p.deaths)
            + "</td><td class=\"n\">" + number(p.suicides) + "</td><td class=\"n\">" + number(p.teamKills)
            + "</td><td class=\"n\">" + formatRatio(p.ratio()) + "</td><td>" + htmlText(p.favouriteWeapon)
            + "</td><td class=\"n\">" + formatDuration(p.secondsPlayed) + "</td></tr>\n";
    }
    out += "</tbody></table>\n";
}

void weaponsTable(std::string& out, const std::vector<WeaponFigures>& weapons)
{
    out += "<table id=\"weapons\"><caption>Weapons</caption><thead><tr><th>Means</th><th>Kills</th></tr></thead>"
           "<tbody>\n";
    for (const WeaponFigures& w : weapons)
        out += "<tr><td>" + htmlText(w.means) + "</td><td class=\"n\">" + number(w.kills) + "</td></tr>\n";
    out += "</tbody></table>\n";
}

std::string scoresText(const GameFigures& g)
{
    std::string text;
    for (const auto& [name, score] : g.scores) {
        if (!text.empty())
            text += ", ";
        text += name + " " + number(score);
    }
    return text;
}

void gamesTable(std::string& out, const std::vector<GameFigures>& games)
{
    out += "<table id=\"games\"><caption>Games</caption><thead><tr><th>Map</th><th>Start</th><th>End</th>"
           "<th>How it ended</th><th>Final scores</th></tr></thead><tbody>\n";
    for (const GameFigures& g : games)
        out += "<tr><td>" + htmlText(g.map.empty() ? std::string("?") : g.map) + "</td><td>"
            + htmlText(formatTime(g.started)) + "</td><td>"
            + htmlText(g.ended ? formatTime(g.ended) : std::string("running")) + "</td><td>" + htmlText(g.how)
            + "</td><td>" + htmlText(scoresText(g)) + "</td></tr>\n";
    out += "</tbody></table>\n";
}

} // namespace

const char* spanTitle(Span span)
{
    switch (span) {
    case Span::Game: return "This game";
    case Span::Today: return "Today";
    case Span::AllTime: break;
    }
    return "All time";
}

const char* spanKey(Span span)
{
    switch (span) {
    case Span::Game: return "game";
    case Span::Today: return "today";
    case Span::AllTime: break;
    }
    return "all";
}

std::string htmlText(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '^' && i + 1 < text.size() && text[i + 1] != '^') {
            ++i;
            continue;
        }
        if (plain(c)) {
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7f) {
            // Control characters have no business in a page: shown as a blank.
            out += ' ';
        } else {
            // Latin-1 bytes are their own code points.
            out += "&#" + std::to_string(c) + ';';
        }
    }
    return out;
}

std::string formatDuration(std::int64_t seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return text;
}

std::string formatRatio(double ratio)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", ratio);
    return text;
}

std::string formatTime(std::int64_t unixSeconds)
{
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

std::string onlineSvg(const std::vector<OnlineSample>& samples, std::int64_t from, std::int64_t to)
{
    constexpr int w = 720, h = 160, pad = 24;
    int top = 4;
    for (const OnlineSample& s : samples)
        top = std::max(top, s.players + s.bots);
    std::string out = "<svg id=\"online\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(w) + "\" height=\""
        + number(h) + "\" role=\"img\" aria-label=\"Players online over the last 24 hours\">";
    out += "<text x=\"4\" y=\"14\" font-size=\"12\">" + number(top) + "</text>";
    out += "<text x=\"4\" y=\"" + number(h - 4) + "\" font-size=\"12\">0</text>";
    out += "<line x1=\"" + number(pad) + "\" y1=\"" + number(h - pad) + "\" x2=\"" + number(w) + "\" y2=\""
        + number(h - pad) + "\" stroke=\"#888\"/>";
    const double span = std::max<double>(1, static_cast<double>(to - from));
    std::string people, all;
    for (const OnlineSample& s : samples) {
        const double x = pad + (w - pad) * static_cast<double>(s.time - from) / span;
        const auto y = [&](int n) { return (h - pad) - (h - pad - 8) * static_cast<double>(n) / top; };
        char point[64];
        std::snprintf(point, sizeof point, "%.1f,%.1f ", x, y(s.players));
        people += point;
        std::snprintf(point, sizeof point, "%.1f,%.1f ", x, y(s.players + s.bots));
        all += point;
    }
    out += "<polyline fill=\"none\" stroke=\"#bbb\" points=\"" + all + "\"/>";
    out += "<polyline fill=\"none\" stroke=\"#06c\" stroke-width=\"2\" points=\"" + people + "\"/>";
    out += "</svg>\n<p>Players online over the last 24 hours (blue: players, grey: with bots).</p>\n";
    return out;
}

std::string renderStatsPage(const StatsSnapshot& s)
{
    std::string out;
    head(out, "Statistics");
    nav(out, s);
    out += "<h2>" + std::string(spanTitle(s.span)) + "</h2>\n";
    playersTable(out, s.players, true);
    weaponsTable(out, s.weapons);
    gamesTable(out, s.games);
    out += "<h2>Players online</h2>\n" + onlineSvg(s.online, s.now - 86400, s.now);
    out += "<p>Updated " + htmlText(formatTime(s.now)) + ".</p></body></html>\n";
    return out;
}

std::string renderPlayerPage(const StatsSnapshot& context, const PlayerFigures& player,
                             const std::vector<WeaponFigures>& weapons)
{
    std::string out;
    head(out, "Player statistics");
    nav(out, context);
    out += "<h2>" + htmlText(player.name) + " (" + spanTitle(context.span) + ")</h2>\n";
    playersTable(out, {player}, false);
    weaponsTable(out, weapons);
    out += "</body></html>\n";
    return out;
}

std::string renderNotFound()
{
    std::string out;
    head(out, "Not found");
    out += "<p>There is no such page. <a href=\"/\">Statistics</a></p></body></html>\n";
    return out;
}

} // namespace ravelin::stats
