// The command line: `q3sim [options] [+set NAME VALUE]... [+COMMAND ARGS]...`.
//
// Options start with "--"; everything from the first "+" word on is engine
// commands, each "+" word starting a new one whose arguments are the words
// that follow (kept as given, so quoting by the shell survives).
#pragma once

#include "q3sim/Simulation.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace q3sim {

struct Options {
    std::vector<std::string> players;
    std::optional<std::uint64_t> seed;
    EventIntervals intervals;
    std::optional<int> maxPlayers;
    std::int64_t flood = 0;
    double floodRate = 0;
    double floodSeconds = 0;
    bool toStderr = false;
    // The ioq3 engine's console forms (", the default", "unknown command: x",
    // silence for an unknown command before a map).
    bool ioq3 = false;
    // baseq3's game on a dedicated server: an unknown command is said to
    // everyone as "server: ..." instead.
    bool chatEcho = false;
    bool floodStamps = false;
    // Read standard input once per frame of this many ms (0: at once).
    int frameMs = 0;
    // Start without a map, as a dedicated server started without +map.
    bool noMap = false;
    // writeconfig as the ioq3 engine does it (Server::setIoq3WriteConfig).
    bool ioq3WriteConfig = false;
    bool help = false;
    // Crash (SIGSEGV) this many seconds after the start (0: never).
    double crashAfter = 0;
    // +set NAME VALUE, in order.
    std::vector<std::pair<std::string, std::string>> sets;
    // Every other +COMMAND with its arguments, in order.
    std::vector<std::vector<std::string>> commands;
};

// Parses argv (without the program name). Returns the options, or an error
// message in `error`.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error);

std::string usageText();

} // namespace q3sim
