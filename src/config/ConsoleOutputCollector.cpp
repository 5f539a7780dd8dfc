#include "config/ConsoleOutputCollector.h"

#include <chrono>

namespace ravelin {

namespace {

// Hands out each complete line of a growing output box once. A box that
// was cleared or replaced (no longer continues what was seen) is read
// again from its first line.
class GrowingText {
public:
    explicit GrowingText(std::string text) : m_text(std::move(text))
    {
        const std::size_t last = m_text.rfind("\r\n");
        m_done = last == std::string::npos ? 0 : last + 2;
    }

    std::vector<std::string> newLines(std::string text)
    {
        if (text.size() < m_done || text.compare(0, m_done, m_text, 0, m_done) != 0)
            m_done = 0;
        m_text = std::move(text);
        std::vector<std::string> lines;
        for (std::size_t end = m_text.find("\r\n", m_done); end != std::string::npos;
             end = m_text.find("\r\n", m_done)) {
            lines.push_back(m_text.substr(m_done, end - m_done));
            m_done = end + 2;
        }
        return lines;
    }

private:
    std::string m_text;
    std::size_t m_done = 0;
};

} // namespace

CommandOutput collectConsoleOutput(ConsoleBridge& bridge, const std::string& command, CollectTimes times)
{
    CommandOutput out;
    const WindowHandle console = bridge.FindConsoleWindow();
    if (console <= 0 || bridge.FindInputBoxOf(console) == 0) {
        out.error = "There is no server console to send the command to.";
        return out;
    }
    MessageLoop& loop = bridge.loop();
    GrowingText text(bridge.ReadConsoleOutputOf(console));
    bridge.SendConsoleCommandTo(command, console);
    const std::string echo = "]" + command;
    const std::int64_t sentAt = loop.nowMs();
    std::int64_t lastLineAt = -1;
    for (;;) {
        loop.pause(std::chrono::milliseconds(10));
        if (bridge.FindInputBoxOf(console) == 0) {
            out.ok = false;
            out.error = "The server console went away.";
            return out;
        }
        const std::int64_t now = loop.nowMs();
        for (std::string& line : text.newLines(bridge.ReadConsoleOutputOf(console))) {
            lastLineAt = now;
            if (!out.ok && line == echo) {
                out.ok = true; // the console took the command; what follows is its output
                continue;
            }
            if (out.ok)
                out.lines.push_back(std::move(line));
        }
        if (!out.ok && now - sentAt >= times.firstLineMs) {
            out.error = "The server console did not take the command.";
            return out;
        }
        if (out.ok && now - lastLineAt >= times.quietMs)
            return out;
        if (now - sentAt >= times.totalMs)
            return out;
    }
}

} // namespace ravelin
