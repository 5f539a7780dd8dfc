#include "console/ConsolePump.h"

#include "console/ConsoleText.h"

namespace ravelin {

namespace {

constexpr std::string_view kBeginStatus = "[BEGIN STATUS]";
constexpr std::string_view kEndStatus = "[END STATUS]";
constexpr std::string_view kProcPrefix = "Q3ARVL_";

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// Marks a pass as running for as long as it lasts, however it returns, and
// hands what it has for the display over at the end.
class PassFlag {
public:
    PassFlag(bool& flag, std::function<void()> atEnd) : m_flag(flag), m_atEnd(std::move(atEnd)) { m_flag = true; }
    ~PassFlag()
    {
        m_atEnd();
        m_flag = false;
    }

private:
    bool& m_flag;
    std::function<void()> m_atEnd;
};

} // namespace

ConsolePump::ConsolePump(ConsoleBridge& bridge, ConsoleDisplay& display, const bool& unloading, ConsolePumpHooks hooks)
    : m_bridge(bridge), m_display(display), m_unloading(unloading), m_hooks(std::move(hooks))
{}

void ConsolePump::runPass()
{
    if (m_passRunning)
        return;
    PassFlag running(m_passRunning, [this] {
        flushDisplay();
        if (m_hooks.passEnded)
            m_hooks.passEnded();
    });

    if (m_unloading)
        return;
    // The output box is looked up once per pass; the counts below ask the
    // window itself, so a pass costs one read of the text, not one per line.
    const WindowHandle box = m_bridge.FindOutputBox();
    int count = m_bridge.OutputLineCount(box);
    if (m_unloading)
        return;
    if (count == -1)
        return;
    if (count == m_llc)
        return;
    if (m_unloading)
        return;
    if (m_llc > count)
        m_llc = 0;
    if (m_unloading)
        return;

    // The text is read once; every line handled below comes from it.
    const std::string text = m_bridge.ReadEditText(box);
    const auto lines = splitConsoleText(text);
    // The last element of a split is the partial line, never handled.
    const int completeInText = static_cast<int>(lines.size()) - 1;

    // Set when a script or a hook ran (and may have yielded): only then can
    // the box have changed enough since the last count to matter, so only
    // then is it counted again. A count is a round trip to the host.
    bool outsideCodeRan = false;
    for (int k = m_llc + 1; k <= count; ++k) {
        if (m_unloading)
            return;
        // The box shrank (cleared or replaced) since it was read: every line
        // it holds now is new, so the next pass starts again from the first.
        // The text read above may itself already be the shorter one.
        if (k > completeInText || (outsideCodeRan && m_bridge.OutputLineCount(box) < k)) {
            m_llc = 0;
            return;
        }
        outsideCodeRan = false;
        std::string line(lines[static_cast<std::size_t>(k - 1)]);

        try {
            if (m_unloading)
                return;
            std::size_t begin = findNoCase(line, kBeginStatus);
            std::size_t end = findNoCase(line, kEndStatus);
            if (begin > 0) {
                m_inStatusBlock = true;
                m_statusBuffer.clear();
                line.clear();
            }
            if (m_unloading)
                return;
            if (!m_inStatusBlock) {
                if (m_hooks.consoleLine)
                    m_hooks.consoleLine(line);
                outsideCodeRan = dispatch(line);
            } else if (end > 0) {
                m_inStatusBlock = false;
                line.clear();
                show(" Successfull!\r\n");
                flushDisplay();
                outsideCodeRan = true;
                if (m_hooks.parseStatusBlock)
                    m_hooks.parseStatusBlock(m_statusBuffer);
                m_statusBuffer.clear();
            } else {
                m_statusBuffer += line;
                m_statusBuffer += "\r\n";
                show(".");
            }
        } catch (...) {
            // A failing handler costs only the rest of this line's handling.
            outsideCodeRan = true;
        }
        if (m_unloading)
            return;
        if (!m_inStatusBlock) {
            line += "\r\n";
            show(line);
        }
    }
    // Lines that arrived while this pass ran are left for the next one.
    m_llc = count;
}

std::string ConsolePump::procedureFor(std::string_view line, std::string* data)
{
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return {};
    std::string_view name = trimBlanks(line.substr(0, colon));
    if (name.size() < 3)
        return {};
    std::string proc(kProcPrefix);
    for (char c : name)
        proc += c == ' ' ? '_' : c;
    if (data)
        *data = std::string(line.substr(colon + 1));
    return proc;
}

bool ConsolePump::dispatch(const std::string& line)
{
    std::string data;
    std::string proc = procedureFor(line, &data);
    if (proc.empty())
        return false;
    if (!m_hooks.hasConsoleProc || !m_hooks.hasConsoleProc(proc))
        return false;
    // A script may yield or look at the display: it sees every line before.
    flushDisplay();
    if (m_hooks.showLastCall)
        m_hooks.showLastCall(proc, data);
    if (!m_hooks.runConsoleProc)
        return true;
    ScriptCallResult result = m_hooks.runConsoleProc(proc, data);
    if (result.failed && m_hooks.debugPrint) {
        m_hooks.debugPrint("Script Error[" + std::to_string(result.number) + "]: " + result.description);
        m_hooks.debugPrint("Error occured in [Console:" + proc + "] Data:" + data);
    }
    return true;
}

void ConsolePump::show(std::string_view text) { m_displayPending += text; }

void ConsolePump::flushDisplay()
{
    if (m_displayPending.empty())
        return;
    std::string text = std::move(m_displayPending);
    m_displayPending.clear();
    m_display.appendDisplay(text);
}

void ConsolePump::clear()
{
    m_display.setDisplayText({});
    m_llc = 0;
    m_bridge.ClearConsoleWindow();
}

void ConsolePump::trimDisplay()
{
    if (m_unloading)
        return;
    std::string text = m_display.displayText();
    if (text.size() > kTrimAbove)
        m_display.setDisplayText(std::string_view(text).substr(text.size() - kTrimKeep));
}

} // namespace ravelin
