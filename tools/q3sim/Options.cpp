#include "q3sim/Options.h"

#include "q3sim/CommandText.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace q3sim {

namespace {

bool parseSeconds(const std::string& text, double& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    double value = std::strtod(text.c_str(), &end);
    if (errno || *end || !std::isfinite(value) || value < 0)
        return false;
    out = value;
    return true;
}

bool parseCount(const std::string& text, std::int64_t& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno || *end || value < 0)
        return false;
    out = value;
    return true;
}

std::vector<std::string> splitPlayers(const std::string& list)
{
    std::vector<std::string> names;
    std::string current;
    for (char c : list) {
        if (c == ',') {
            if (!current.empty())
                names.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        names.push_back(current);
    return names;
}

} // namespace

std::string usageText()
{
    return "usage: q3sim [options] [+set NAME VALUE]... [+COMMAND ARGS]...\n"
           "A simulated Quake III Arena 1.32 dedicated server: console on standard input and\n"
           "output, status queries on UDP net_port (0 picks a free port).\n"
           "\n"
           "  --players \"A,B,...\"   players connected from the start (colour codes allowed)\n"
           "  --seed N              seed of the simulation (same seed, same game)\n"
           "  --join-every S        a player joins every S seconds (fractions allowed, 0 = never)\n"
           "  --leave-every S       a player leaves every S seconds\n"
           "  --chat-every S        a player chats every S seconds\n"
           "  --kill-every S        a frag every S seconds\n"
           "  --item-every S        an item pickup every S seconds\n"
           "  --max-players N       player slots (sv_maxclients), 1 to 1000\n"
           "  --flood N             print N numbered lines \"flood: K\" at once\n"
           "  --flood-rate LPS      print LPS numbered lines a second ...\n"
           "  --flood-seconds S     ... for S seconds\n"
           "  --flood-stamps        end each flood line with \" at=NS\", the monotonic clock when printed\n"
           "  --stderr              print everything to standard error instead of output\n"
           "  --ioq3                answer as the ioq3 engine does (\", the default\", \"unknown command: x\",\n"
           "                        nothing for an unknown command before a map)\n"
           "  --chat-echo           unknown commands are said to everyone (baseq3 on ioq3)\n"
           "  --frame-ms MS         read the console once per frame of MS milliseconds\n"
           "  --no-map              start without a map\n"
           "  --crash-after S       crash (SIGSEGV) S seconds after the start; on the console\n"
           "                        sim_crash [SIGNAL | exit N], sim_dropmap [MESSAGE], sim_hang fail too\n"
           "  --ioq3-writeconfig    writeconfig as ioq3 does: no \"..\", only .cfg, under fs_homepath\n"
           "  --help                this text\n"
           "\n"
           "example: q3sim --players \"Bob,^1Red^7Guy\" +set sv_hostname \"My Arena\" +set net_port 0 +map q3dm17\n";
}

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error)
{
    Options options;
    std::size_t i = 0;
    auto value = [&](const std::string& option) -> std::optional<std::string> {
        if (i + 1 >= args.size()) {
            error = "option " + option + " needs a value";
            return std::nullopt;
        }
        return args[++i];
    };
    // Options may stand anywhere, also between the engine commands, so a
    // known option name always counts as one; any other word belongs to the
    // "+" command before it.
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!arg.empty() && arg[0] == '+') {
            options.commands.push_back({arg.substr(1)});
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (arg == "--stderr") {
            options.toStderr = true;
            continue;
        }
        if (arg == "--flood-stamps") {
            options.floodStamps = true;
            continue;
        }
        if (arg == "--ioq3" || arg == "--chat-echo" || arg == "--no-map") {
            (arg == "--ioq3" ? options.ioq3 : arg == "--chat-echo" ? options.chatEcho : options.noMap) = true;
            continue;
        }
        if (arg == "--ioq3-writeconfig") {
            options.ioq3WriteConfig = true;
            continue;
        }
        struct IntervalOption {
            const char* name;
            double EventIntervals::*field;
        };
        static const IntervalOption intervals[] = {{"--join-every", &EventIntervals::join},
                                                   {"--leave-every", &EventIntervals::leave},
                                                   {"--chat-every", &EventIntervals::chat},
                                                   {"--kill-every", &EventIntervals::kill},
                                                   {"--item-every", &EventIntervals::item}};
        bool handled = false;
        for (const auto& option : intervals) {
            if (arg != option.name)
                continue;
            auto text = value(arg);
            if (!text)
                return std::nullopt;
            if (!parseSeconds(*text, options.intervals.*option.field)) {
                error = "option " + arg + " needs a number of seconds, not \"" + *text + "\"";
                return std::nullopt;
            }
            handled = true;
        }
        if (handled)
            continue;
        if (arg == "--players") {
            auto text = value(arg);
            if (!text)
                return std::nullopt;
            options.players = splitPlayers(*text);
        } else if (arg == "--seed") {
            auto text = value(arg);
            std::int64_t seed = 0;
            if (!text)
                return std::nullopt;
            if (!parseCount(*text, seed)) {
                error = "option --seed needs a whole number, not \"" + *text + "\"";
                return std::nullopt;
            }
            options.seed = static_cast<std::uint64_t>(seed);
        } else if (arg == "--max-players") {
            auto text = value(arg);
            std::int64_t count = 0;
            if (!text)
                return std::nullopt;
            if (!parseCount(*text, count) || count < 1 || count > 1000) {
                error = "option --max-players needs a number from 1 to 1000, not \"" + *text + "\"";
                return std::nullopt;
            }
            options.maxPlayers = static_cast<int>(count);
        } else if (arg == "--frame-ms") {
            auto text = value(arg);
            std::int64_t ms = 0;
            if (!text)
                return std::nullopt;
            if (!parseCount(*text, ms) || ms > 10000) {
                error = "option --frame-ms needs a number of milliseconds up to 10000, not \"" + *text + "\"";
                return std::nullopt;
            }
            options.frameMs = static_cast<int>(ms);
        } else if (arg == "--crash-after") {
            auto text = value(arg);
            if (!text)
                return std::nullopt;
            if (!parseSeconds(*text, options.crashAfter)) {
                error = "option --crash-after needs a number of seconds, not \"" + *text + "\"";
                return std::nullopt;
            }
        } else if (arg == "--flood") {
            auto text = value(arg);
            if (!text)
                return std::nullopt;
            if (!parseCount(*text, options.flood)) {
                error = "option --flood needs a number of lines, not \"" + *text + "\"";
                return std::nullopt;
            }
        } else if (arg == "--flood-rate" || arg == "--flood-seconds") {
            auto text = value(arg);
            if (!text)
                return std::nullopt;
            double& field = arg == "--flood-rate" ? options.floodRate : options.floodSeconds;
            if (!parseSeconds(*text, field)) {
                error = "option " + arg + " needs a number, not \"" + *text + "\"";
                return std::nullopt;
            }
        } else if (!options.commands.empty()) {
            options.commands.back().push_back(arg);
        } else {
            error = "unknown option \"" + arg + "\"";
            return std::nullopt;
        }
    }
    std::vector<std::vector<std::string>> commands;
    for (auto& command : options.commands) {
        if (command.empty() || command[0].empty())
            continue;
        if (equalsNoCase(command[0], "set") || equalsNoCase(command[0], "seta") || equalsNoCase(command[0], "sets")
            || equalsNoCase(command[0], "setu")) {
            if (command.size() < 3) {
                error = "+" + command[0] + " needs a name and a value";
                return std::nullopt;
            }
            options.sets.emplace_back(command[1], joinArgs(command, 2));
            continue;
        }
        commands.push_back(command);
    }
    options.commands = std::move(commands);
    if ((options.floodRate > 0) != (options.floodSeconds > 0) && options.floodRate > 0) {
        error = "option --flood-rate needs --flood-seconds";
        return std::nullopt;
    }
    return options;
}

} // namespace q3sim
