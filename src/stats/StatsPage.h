// The statistics as a web page: what goes in is the figures of one time
// window (and of one player), what comes out is a whole HTML document with
// the tables and an inline SVG chart of players online. Player names and
// every other text from the server are untrusted: colour codes are
// dropped and every character outside plain letters, digits and blanks is
// written as a character reference, so no name can become markup.
#pragma once

#include "stats/StatsStore.h"

#include <string>
#include <string_view>
#include <vector>

namespace ravelin::stats {

enum class Span { Game, Today, AllTime };

struct StatsSnapshot {
    Span span = Span::AllTime;
    std::string server; // the server's name
    std::string map; // the current map
    std::vector<PlayerFigures> players;
    std::vector<WeaponFigures> weapons;
    std::vector<GameFigures> games;
    std::vector<OnlineSample> online; // the last 24 hours
    std::int64_t now = 0;
    std::string problem; // why the history is only in memory, if it is
};

const char* spanTitle(Span span); // "This game", "Today", "All time"
const char* spanKey(Span span); // "game", "today", "all"

// Bytes (Latin-1) as HTML text: colour codes stripped, then everything but
// [A-Za-z0-9 ] as a numeric character reference.
std::string htmlText(std::string_view text);
std::string formatDuration(std::int64_t seconds); // "1:02:03"
std::string formatRatio(double ratio); // "1.50"
std::string formatTime(std::int64_t unixSeconds); // local "2026-12-07 14:40"

// The players-online chart: a polyline over [from, to), one point a sample.
std::string onlineSvg(const std::vector<OnlineSample>& samples, std::int64_t from, std::int64_t to);
std::string renderStatsPage(const StatsSnapshot& snapshot);
std::string renderPlayerPage(const StatsSnapshot& context, const PlayerFigures& player,
                             const std::vector<WeaponFigures>& weapons);
std::string renderNotFound();

} // namespace ravelin::stats
