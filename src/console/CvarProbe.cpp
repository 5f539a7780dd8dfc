#include "console/CvarProbe.h"

#include "console/ConsoleText.h"

#include <chrono>

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

// Reads a console's output as it grows and hands out each complete line once.
// A box that was cleared or replaced (its text no longer continues what was
// seen) is read again from its first line.
class NewLines {
public:
    explicit NewLines(std::string text) { skipTo(std::move(text)); }

    template <typename Visit>
    bool scan(std::string text, Visit visit)
    {
        if (text.size() < m_done || text.compare(0, m_done, m_text, 0, m_done) != 0)
            m_done = 0;
        m_text = std::move(text);
        for (;;) {
            std::size_t end = m_text.find("\r\n", m_done);
            if (end == std::string::npos)
                return false;
            std::string_view line(m_text.data() + m_done, end - m_done);
            m_done = end + 2;
            if (visit(line))
                return true;
        }
    }

private:
    void skipTo(std::string text)
    {
        m_text = std::move(text);
        std::size_t last = m_text.rfind("\r\n");
        m_done = last == std::string::npos ? 0 : last + 2;
    }

    std::string m_text;
    std::size_t m_done = 0;
};

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

std::string CvarProbe::probe(WindowHandle console, std::string_view name, int field)
{
    MessageLoop& loop = m_bridge.loop();
    if (console <= 0 || m_bridge.FindInputBoxOf(console) == 0)
        return kCvarUnknown;

    NewLines lines(m_bridge.ReadConsoleOutputOf(console));
    m_bridge.SendConsoleCommandTo(name, console);
    int copies = 1;
    std::int64_t typedAt = loop.nowMs();
    std::int64_t echoedAt = -1;
    std::string result;
    LineKind found = LineKind::Other;

    for (;;) {
        loop.pause(std::chrono::milliseconds(kPollMs));
        if (m_bridge.FindInputBoxOf(console) == 0)
            return kCvarUnknown;
        bool done = lines.scan(m_bridge.ReadConsoleOutputOf(console), [&](std::string_view line) {
            switch (classify(line, name)) {
            case LineKind::Echo:
                if (echoedAt < 0)
                    echoedAt = loop.nowMs();
                return false;
            case LineKind::Answer:
                found = LineKind::Answer;
                result = field == 1 ? answerField(line, 1) : answerDefault(line);
                return true;
            case LineKind::Unknown: found = LineKind::Unknown; return true;
            case LineKind::Other: return false;
            }
            return false;
        });
        if (done)
            return found == LineKind::Answer ? result : std::string(kCvarUnknownCommand);

        std::int64_t now = loop.nowMs();
        if (echoedAt >= 0) {
            // The server has the query and says nothing: ioq3 before a map.
            if (now - echoedAt >= kSilenceMs)
                return kCvarUnknownCommand;
            continue;
        }
        if (now - typedAt >= kRetypeMs) {
            // Not even echoed: the line did not get through (another command
            // took the input line, or the server does not read).
            if (copies >= kMaxCopies)
                return kCvarUnknown;
            m_bridge.SendConsoleCommandTo(name, console);
            ++copies;
            typedAt = loop.nowMs();
        }
    }
}

std::string CvarProbe::GetCvarValue(WindowHandle console, std::string_view name) { return probe(console, name, 1); }

std::string CvarProbe::GetCvarDefault(WindowHandle console, std::string_view name) { return probe(console, name, 2); }

} // namespace ravelin
