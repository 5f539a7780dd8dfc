#include "platform/sim/SimDesktop.h"

#include <algorithm>

namespace ravelin::sim {

namespace {

std::string toCrLf(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

} // namespace

void SimConsole::print(const std::string& text) { appendRaw(toCrLf(text)); }

void SimConsole::appendRaw(const std::string& text)
{
    if (m_capture) {
        m_capturePartial += text;
        for (std::size_t end; (end = m_capturePartial.find("\r\n")) != std::string::npos;) {
            m_capture->push_back(m_capturePartial.substr(0, end));
            m_capturePartial.erase(0, end + 2);
        }
        return;
    }
    if (auto* w = m_desktop.find(m_output))
        w->text += text;
    m_assembler.feed(text, [this](std::string_view line, bool continues) { m_ring.add(line, continues); });
}

void SimConsole::setOutput(const std::string& text)
{
    if (auto* w = m_desktop.find(m_output))
        w->text = text;
}

std::string SimConsole::output() const { return m_desktop.textOf(m_output); }

void SimConsole::enter(const std::string& line)
{
    m_entered.push_back(line);
    appendRaw("]" + line + "\r\n"); // the real console's echo
    if (m_server)
        m_server(*this, line);
}

SimDesktop::SimDesktop() = default;
SimDesktop::~SimDesktop() = default;

WindowHandle SimDesktop::addWindow(const std::string& className, const std::string& caption)
{
    WindowHandle h = addChild(0, className, caption);
    m_topLevel.push_back(h);
    return h;
}

WindowHandle SimDesktop::addChild(WindowHandle parent, const std::string& className, const std::string& caption)
{
    WindowHandle h = m_next++;
    Window& w = m_windows[h];
    w.parent = parent;
    w.className = className;
    w.text = caption;
    if (auto* p = find(parent))
        p->children.push_back(h);
    return h;
}

SimConsole& SimDesktop::addConsole(const SimConsoleOptions& options)
{
    m_consoles.push_back(std::unique_ptr<SimConsole>(new SimConsole(*this)));
    SimConsole& console = *m_consoles.back();
    console.m_window = addWindow("Q3 WinConsole", "Quake 3 Console");
    console.m_input = addChild(console.m_window, "Edit", "");
    addChild(console.m_window, "Button", "copy");
    console.m_clear = addChild(console.m_window, "Button", "clear");
    addChild(console.m_window, "Button", "quit");
    for (int i = 0; i < options.extraButtonsBeforeOutput; ++i)
        addChild(console.m_window, "Button", "extra");
    if (options.withOutputBox)
        console.m_output = addChild(console.m_window, "Edit", "");
    console.m_numbered = options.numberedLines;
    find(console.m_window)->console = &console;
    return console;
}

void SimDesktop::closeWindow(WindowHandle window)
{
    auto* w = find(window);
    if (!w)
        return;
    for (WindowHandle child : std::vector<WindowHandle>(w->children))
        closeWindow(child);
    if (w->parent) {
        if (auto* p = find(w->parent))
            std::erase(p->children, window);
    }
    std::erase(m_topLevel, window);
    m_windows.erase(window);
}

bool SimDesktop::exists(WindowHandle window) const { return find(window) != nullptr; }

std::string SimDesktop::textOf(WindowHandle window) const
{
    const auto* w = find(window);
    return w ? w->text : std::string();
}

SimDesktop::Window* SimDesktop::find(WindowHandle window)
{
    auto it = m_windows.find(window);
    return it == m_windows.end() ? nullptr : &it->second;
}

const SimDesktop::Window* SimDesktop::find(WindowHandle window) const
{
    auto it = m_windows.find(window);
    return it == m_windows.end() ? nullptr : &it->second;
}

SimConsole* SimDesktop::numberedConsole(WindowHandle console)
{
    auto* w = find(console);
    return w && w->console && w->console->m_numbered ? w->console : nullptr;
}

LineBatch SimDesktop::readLines(WindowHandle console, std::uint64_t after, std::size_t maxBytes)
{
    SimConsole* c = numberedConsole(console);
    return c ? c->m_ring.read(after, maxBytes) : LineBatch{};
}

std::uint64_t SimDesktop::tailStart(WindowHandle console, std::size_t chars, bool& ok)
{
    SimConsole* c = numberedConsole(console);
    ok = c != nullptr;
    return c ? c->m_ring.tailStart(chars) : 0;
}

bool SimDesktop::sendLine(WindowHandle console, std::string_view line)
{
    SimConsole* c = numberedConsole(console);
    if (!c)
        return false;
    c->enter(std::string(line));
    return true;
}

std::uint64_t SimDesktop::startExec(WindowHandle console, std::string_view command, int timeoutMs, std::string& error)
{
    (void)timeoutMs;
    SimConsole* c = numberedConsole(console);
    if (!c) {
        error = "the console is gone";
        return 0;
    }
    std::vector<std::string> lines;
    c->m_capture = &lines;
    c->m_entered.emplace_back(command);
    if (c->m_server)
        c->m_server(*c, std::string(command));
    c->m_capture = nullptr;
    c->m_capturePartial.clear();
    m_execs[++m_lastExec] = {console, std::move(lines)};
    return m_lastExec;
}

ExecPoll SimDesktop::pollExec(WindowHandle console, std::uint64_t id)
{
    ExecPoll poll;
    auto it = m_execs.find(id);
    if (it == m_execs.end() || it->second.first != console || !find(console)) {
        poll.error = "the console is gone";
        return poll;
    }
    poll.state = ExecPoll::State::Done;
    poll.lines = std::move(it->second.second);
    m_execs.erase(it);
    return poll;
}

SimConsole* SimDesktop::consoleOwning(WindowHandle child)
{
    auto* w = find(child);
    if (!w)
        return nullptr;
    auto* parent = find(w->parent);
    return parent ? parent->console : nullptr;
}

WindowHandle SimDesktop::findWindow(std::string_view className, std::string_view title)
{
    ++m_calls.findWindow;
    for (WindowHandle h : m_topLevel) {
        const Window& w = m_windows.at(h);
        if (w.className == className && w.text == title)
            return h;
    }
    return 0;
}

WindowHandle SimDesktop::findNextWindow(WindowHandle after, std::string_view title)
{
    auto it = m_topLevel.begin();
    if (after > 0) {
        it = std::find(m_topLevel.begin(), m_topLevel.end(), after);
        if (it == m_topLevel.end())
            return 0;
        ++it;
    }
    for (; it != m_topLevel.end(); ++it) {
        if (m_windows.at(*it).text == title)
            return *it;
    }
    return 0;
}

WindowHandle SimDesktop::firstChild(WindowHandle parent)
{
    const auto* w = find(parent);
    return (w && !w->children.empty()) ? w->children.front() : 0;
}

WindowHandle SimDesktop::nextSibling(WindowHandle window)
{
    const auto* w = find(window);
    if (!w)
        return 0;
    const std::vector<WindowHandle>& siblings = w->parent ? find(w->parent)->children : m_topLevel;
    auto it = std::find(siblings.begin(), siblings.end(), window);
    if (it == siblings.end() || ++it == siblings.end())
        return 0;
    return *it;
}

std::string SimDesktop::className(WindowHandle window, int capacity)
{
    const auto* w = find(window);
    if (!w || capacity <= 0)
        return {};
    return w->className.substr(0, static_cast<size_t>(capacity - 1));
}

std::string SimDesktop::caption(WindowHandle window) { return textOf(window); }

int SimDesktop::textLength(WindowHandle window)
{
    const auto* w = find(window);
    return w ? static_cast<int>(w->text.size()) : 0;
}

std::string SimDesktop::text(WindowHandle window, int capacity)
{
    ++m_calls.textReads;
    const auto* w = find(window);
    if (!w || capacity <= 0)
        return {};
    return w->text.substr(0, static_cast<size_t>(capacity - 1));
}

void SimDesktop::setText(WindowHandle window, std::string_view text)
{
    if (auto* w = find(window))
        w->text = std::string(text);
}

void SimDesktop::sendChar(WindowHandle window, char character)
{
    ++m_calls.sendChar;
    auto* w = find(window);
    if (!w)
        return;
    SimConsole* console = consoleOwning(window);
    if (character == '\r' && console && window == console->m_input) {
        std::string line = w->text;
        w->text.clear();
        console->enter(line);
        return;
    }
    if (character == '\b') {
        if (!w->text.empty())
            w->text.pop_back();
        return;
    }
    w->text += character;
}

void SimDesktop::leftButtonDown(WindowHandle window)
{
    ++m_calls.buttonDown;
    if (auto* w = find(window))
        w->pressed = true;
}

void SimDesktop::leftButtonUp(WindowHandle window)
{
    ++m_calls.buttonUp;
    auto* w = find(window);
    if (!w || !w->pressed)
        return;
    w->pressed = false;
    // A click is a press and a release on the same button.
    if (SimConsole* console = consoleOwning(window); console && window == console->m_clear)
        console->setOutput("");
}

void SimDesktop::showWindow(WindowHandle window, bool visible)
{
    if (auto* w = find(window))
        w->visible = visible;
}

bool SimDesktop::isWindowVisible(WindowHandle window)
{
    const auto* w = find(window);
    return w && w->visible;
}

int SimDesktop::lineCount(WindowHandle window)
{
    ++m_calls.lineCounts;
    const Window* w = find(window);
    if (!w || w->text.empty())
        return -1;
    int count = 0;
    for (std::size_t at = w->text.find("\r\n"); at != std::string::npos; at = w->text.find("\r\n", at + 2))
        ++count;
    return count;
}

void SimDesktop::setFocus(WindowHandle window)
{
    if (find(window))
        m_focus = window;
}

void SimMessageLoop::yield()
{
    ++m_yields;
    for (auto it = m_queue.begin(); it != m_queue.end() && it->first <= m_yields;) {
        auto task = std::move(it->second);
        it = m_queue.erase(it);
        task();
        it = m_queue.begin();
    }
    std::erase_if(m_everyYield, [](auto& task) { return !task(); });
}

void SimMessageLoop::post(int afterYields, std::function<void()> task)
{
    m_queue.emplace(m_yields + std::max(afterYields, 1), std::move(task));
}

} // namespace ravelin::sim
