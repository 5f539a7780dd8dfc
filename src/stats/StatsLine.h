// The game lines the statistics read from a server's console: what goes in
// is one console line (bytes, without its line end), what comes out is one
// event or nothing. Both engines' forms are read: Quake III 1.32 and the
// ioq3 engine (OpenArena) print the same lines, on the console without the
// game clock and in games.log with it ("  1:32 Kill: ..."), so a leading
// clock is skipped. Anything not understood is ignored: the console is
// outside input and a wrong guess would put made-up figures in the history.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace ravelin::stats {

// The killer slot the engine uses for deaths nobody caused (falls, lava).
inline constexpr int kWorldSlot = 1022;

struct KillLine {
    int killer = 0;
    int victim = 0;
    int meansNumber = 0;
    std::string killerName;
    std::string victimName;
    std::string means; // MOD_ROCKET, MOD_FALLING, ...
};
struct ConnectLine {
    int slot = 0;
};
struct UserinfoLine {
    int slot = 0;
    std::string name; // colour codes stripped
    int team = 0; // 0 free, 1 red, 2 blue, 3 spectator
    bool bot = false; // userinfo carries a skill
    std::string guid; // the ioq3 engine's \id\ (cl_guid); empty when none
};
struct DisconnectLine {
    int slot = 0;
};
struct InitGameLine {
    std::string map;
    int gametype = 0;
};
struct ShutdownGameLine {};
struct ExitLine {
    std::string reason; // "Fraglimit hit.", "Timelimit hit.", ...
};
struct ScoreLine {
    int score = 0;
    int ping = 0;
    int slot = 0;
    std::string name;
};

using StatsLine = std::variant<KillLine, ConnectLine, UserinfoLine, DisconnectLine, InitGameLine, ShutdownGameLine,
                               ExitLine, ScoreLine>;

std::optional<StatsLine> parseStatsLine(std::string_view line);

// A name as the tables show and key it: colour codes (a caret and any
// character but a caret) removed, blanks around trimmed.
std::string cleanPlayerName(std::string_view name);

// The value of `key` in a backslash info string ("\k\v\k2\v2"), if present.
std::optional<std::string_view> infoValue(std::string_view info, std::string_view key);

} // namespace ravelin::stats
