#include "config/ConfigSyntax.h"

#include <algorithm>
#include <array>

namespace ravelin {

namespace {

// The engine's commands (a dedicated server's cmdlist, Quake III 1.32 and
// ioq3) and those its game module answers from the console.
constexpr std::array kBuiltinCommands = {
    "abort_podium", "addbot",        "addip",      "banaddr",     "bandel",        "banclient",    "banuser",
    "botlist",      "changevectors", "clientkick", "cmdlist",     "cvar_modified", "cvar_restart", "cvarlist",
    "devmap",       "dir",           "dumpuser",   "echo",        "entitylist",    "exceptaddr",   "exceptdel",
    "exec",         "execq",         "fdir",       "flushbans",   "forceteam",     "game_memory",  "game_restart",
    "heartbeat",    "in_restart",    "kick",       "kickall",     "kickbots",      "kicknum",      "killserver",
    "listbans",     "listip",        "map",        "map_restart", "meminfo",       "net_restart",  "path",
    "print",        "quit",          "rehashbans", "removeip",    "reset",         "say",          "sayto",
    "sectorlist",   "serverinfo",    "set",        "seta",        "setenv",        "sets",         "setu",
    "spdevmap",     "spmap",         "status",     "systeminfo",  "tell",          "toggle",       "touchfile",
    "unset",        "vminfo",        "vmprofile",  "vstr",        "wait",          "which",        "writeconfig",
};

constexpr std::array kCvarFirstCommands = {"set", "seta", "sets", "setu", "reset", "toggle", "unset", "vstr"};

bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool startsAt(std::string_view text, std::size_t at, std::string_view what)
{
    return text.substr(at, what.size()) == what;
}

// Builds the commands of a line as the scan finds their words.
class LineBuilder {
public:
    explicit LineBuilder(ConfigLine& out) : m_out(out) {}

    void span(std::size_t start, std::size_t length, ConfigSpanKind kind)
    {
        if (length > 0)
            m_out.spans.push_back({start, length, kind});
    }

    // A word of the current command; the first word opens a command.
    void word(std::size_t start, std::size_t length, std::string text, bool quoted)
    {
        if (!m_open) {
            m_out.commands.push_back({});
            m_out.commands.back().start = start;
            m_open = true;
        }
        ConfigCommand& command = m_out.commands.back();
        ConfigSpanKind kind = quoted ? ConfigSpanKind::Quoted : ConfigSpanKind::Word;
        if (command.words.empty() && !quoted)
            kind = isBuiltinCommand(text) ? ConfigSpanKind::Keyword : ConfigSpanKind::Command;
        else if (command.words.size() == 1 && !quoted && namesCvarFirst(command.words.front()))
            kind = ConfigSpanKind::CvarName;
        command.words.push_back(std::move(text));
        command.wordStarts.push_back(start);
        command.end = start + length;
        span(start, length, kind);
    }

    void endCommand() { m_open = false; }

private:
    ConfigLine& m_out;
    bool m_open = false;
};

} // namespace

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string lowerName(std::string_view name)
{
    std::string out(name);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool namesCvarFirst(std::string_view command)
{
    return std::any_of(kCvarFirstCommands.begin(), kCvarFirstCommands.end(),
                       [&](const char* known) { return sameName(command, known); });
}

bool isBuiltinCommand(std::string_view command)
{
    return std::any_of(kBuiltinCommands.begin(), kBuiltinCommands.end(),
                       [&](const char* known) { return sameName(command, known); });
}

bool stopsServer(std::string_view command) { return sameName(command, "quit") || sameName(command, "killserver"); }

ConfigLine tokenizeConfigLine(std::string_view line, bool inBlockComment)
{
    ConfigLine out;
    LineBuilder build(out);
    std::size_t at = 0;
    const std::size_t size = line.size();

    if (inBlockComment) {
        const std::size_t close = line.find("*/");
        const std::size_t end = close == std::string_view::npos ? size : close + 2;
        build.span(0, end, ConfigSpanKind::Comment);
        if (close == std::string_view::npos) {
            out.blockCommentOpen = true;
            return out;
        }
        at = end;
    }

    while (at < size) {
        const char c = line[at];
        if (isBlank(c)) {
            ++at;
        } else if (startsAt(line, at, "//")) {
            out.semicolonInComment = line.find(';', at) != std::string_view::npos;
            build.span(at, size - at, ConfigSpanKind::Comment);
            at = size;
        } else if (startsAt(line, at, "/*")) {
            const std::size_t close = line.find("*/", at + 2);
            const std::size_t end = close == std::string_view::npos ? size : close + 2;
            build.span(at, end - at, ConfigSpanKind::Comment);
            out.blockCommentOpen = close == std::string_view::npos;
            at = end;
        } else if (c == ';') {
            build.span(at, 1, ConfigSpanKind::Separator);
            build.endCommand();
            ++at;
        } else if (c == '"') {
            const std::size_t close = line.find('"', at + 1);
            const std::size_t end = close == std::string_view::npos ? size : close + 1;
            const std::size_t textEnd = close == std::string_view::npos ? size : close;
            if (close == std::string_view::npos)
                out.unbalancedQuote = true;
            build.word(at, end - at, std::string(line.substr(at + 1, textEnd - at - 1)), true);
            at = end;
        } else {
            std::size_t end = at;
            while (end < size && !isBlank(line[end]) && line[end] != '"' && line[end] != ';'
                   && !startsAt(line, end, "//") && !startsAt(line, end, "/*"))
                ++end;
            build.word(at, end - at, std::string(line.substr(at, end - at)), false);
            at = end;
        }
    }
    return out;
}

std::vector<ConfigLine> tokenizeConfigLines(const std::vector<std::string>& lines)
{
    std::vector<ConfigLine> out;
    out.reserve(lines.size());
    bool inBlock = false;
    for (const std::string& line : lines) {
        out.push_back(tokenizeConfigLine(line, inBlock));
        inBlock = out.back().blockCommentOpen;
    }
    return out;
}

} // namespace ravelin
