#include "console/CvarProbe.h"

#include "console/ConsoleText.h"

namespace ravelin {

namespace {

bool equalsNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && startsWithNoCase(a, b); }

// `text` starts with `word` (any case) followed by the end or one of `after`.
bool startsWithWord(std::string_view text, std::string_view word, std::string_view after)
{
    if (!startsWithNoCase(text, word))
        return false;
    return text.size() == word.size() || after.find(text[word.size()]) != std::string_view::npos;
}

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

std::string CvarProbe::answerDefault(std::string_view line)
{
    constexpr std::string_view kTheDefault = "\", the default";
    if (line.size() >= kTheDefault.size() && line.substr(line.size() - kTheDefault.size()) == kTheDefault)
        return answerField(line, 1);
    return answerField(line, 2);
}

CvarProbe::LineKind CvarProbe::classify(std::string_view line, std::string_view name)
{
    if (name.empty())
        return LineKind::Other;
    if (line.size() == name.size() + 1 && line[0] == ']' && line.substr(1) == name)
        return LineKind::Echo;
    if (!line.empty() && line.front() == '"')
        return equalsNoCase(answerField(line, 0), name) ? LineKind::Answer : LineKind::Other;

    constexpr std::string_view kUnknown132 = "Unknown command \"";
    if (line.substr(0, kUnknown132.size()) == kUnknown132) {
        std::string_view rest = line.substr(kUnknown132.size());
        std::size_t quote = rest.find('"');
        return quote != std::string_view::npos && equalsNoCase(rest.substr(0, quote), name) ? LineKind::Unknown
                                                                                            : LineKind::Other;
    }
    for (std::string_view prefix : {"unknown command: ", "server: ", "broadcast: print \"server: "}) {
        if (line.substr(0, prefix.size()) == prefix && startsWithWord(line.substr(prefix.size()), name, " \\\""))
            return LineKind::Unknown;
    }
    return LineKind::Other;
}

std::string CvarProbe::fromOutput(const std::vector<std::string>& lines, std::string_view name, int field)
{
    for (const std::string& line : lines) {
        switch (classify(line, name)) {
        case LineKind::Answer: return field == 1 ? answerField(line, 1) : answerDefault(line);
        case LineKind::Unknown: return kCvarUnknownCommand;
        case LineKind::Echo:
        case LineKind::Other: break;
        }
    }
    // The output ended without an answer: ioq3 before a map says nothing at
    // all to a name it does not know.
    return kCvarUnknownCommand;
}

std::string CvarProbe::probe(WindowHandle console, std::string_view name, int field)
{
    if (console <= 0 || name.empty())
        return kCvarUnknown;
    CommandOutput output = m_bridge.ExecCommand(console, name, kTimeoutMs);
    if (!output.ok)
        return kCvarUnknown;
    return fromOutput(output.lines, name, field);
}

std::string CvarProbe::GetCvarValue(WindowHandle console, std::string_view name) { return probe(console, name, 1); }

std::string CvarProbe::GetCvarDefault(WindowHandle console, std::string_view name) { return probe(console, name, 2); }

} // namespace ravelin
