#include "console/CvarProbe.h"

namespace ravelin {

namespace {

bool isUnknownCommand(std::string_view line) { return line.substr(0, 15) == "Unknown command"; }

bool isAnswer(std::string_view line) { return !line.empty() && line.front() == '"'; }

} // namespace

std::string CvarProbe::answerField(std::string_view line, int field)
{
    // Field k lies between quote 2k+1 and quote 2k+2. A line cut short
    // yields an empty field rather than reading past its end.
    std::size_t open = std::string_view::npos;
    std::size_t from = 0;
    for (int quote = 0; quote <= 2 * field + 1; ++quote) {
        std::size_t at = line.find('"', from);
        if (at == std::string_view::npos)
            return {};
        if (quote == 2 * field)
            open = at;
        if (quote == 2 * field + 1)
            return std::string(line.substr(open + 1, at - open - 1));
        from = at + 1;
    }
    return {};
}

std::string CvarProbe::probe(WindowHandle console, std::string_view name, int field)
{
    std::string line;
    int attempts = 0;
    do {
        ++attempts;
        m_bridge.SendConsoleCommandTo(name, console);
        m_bridge.loop().yield();
        line = m_bridge.ConsoleLineOf(m_bridge.ConsoleLineCountOf(console), console);
        // Past the limit the probe stands in a made-up answer with UNKNOWN in
        // both fields; answering directly keeps a name holding quotes from
        // shifting the fields of that made-up line.
        if (attempts > kAttemptLimit)
            return kCvarUnknown;
    } while (!isAnswer(line) && !isUnknownCommand(line));

    if (isUnknownCommand(line))
        return kCvarUnknownCommand;
    return answerField(line, field);
}

std::string CvarProbe::GetCvarValue(WindowHandle console, std::string_view name) { return probe(console, name, 1); }

std::string CvarProbe::GetCvarDefault(WindowHandle console, std::string_view name) { return probe(console, name, 2); }

} // namespace ravelin
