#include "consolehost/ConsoleModel.h"

#include "platform/ipc/IpcProtocol.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace ravelin::consolehost {

namespace {

int countLineEnds(std::string_view text)
{
    int count = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n", at + 2))
        ++count;
    return count;
}

} // namespace

ConsoleModel::ConsoleModel()
{
    // Markers another program could not print by chance.
    std::random_device random;
    char base[20];
    std::snprintf(base, sizeof base, "%08x%04x", random(), random() & 0xFFFF);
    m_tokenBase = std::string("rvl") + base;
}

void ConsoleModel::serverOutput(std::string_view bytes)
{
    std::string shown;
    shown.reserve(bytes.size() + bytes.size() / 16 + 4);
    std::size_t i = 0;
    auto next = [&]() -> int { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : -1; };

    // Finish what the previous read left open.
    if (m_heldCr) {
        m_heldCr = false;
        shown += "\r\n";
        if (next() == '\n')
            ++i;
    }
    if (m_heldCaret && i < bytes.size()) {
        m_heldCaret = false;
        char c = bytes[i];
        if (c != '^' && c != '\n' && c != '\r')
            ++i; // caret + this character was a colour code
        else
            shown += '^';
    }

    while (i < bytes.size()) {
        char c = bytes[i];
        if (c == '^') {
            if (i + 1 == bytes.size()) {
                m_heldCaret = true;
                ++i;
                break;
            }
            char following = bytes[i + 1];
            // A line end is never swallowed as a colour: that would merge
            // two lines.
            if (following != '^' && following != '\n' && following != '\r') {
                i += 2;
                continue;
            }
            shown += '^';
            ++i;
            continue;
        }
        if (c == '\r') {
            if (i + 1 == bytes.size()) {
                m_heldCr = true;
                ++i;
                break;
            }
            shown += "\r\n";
            i += bytes[i + 1] == '\n' ? 2 : 1;
            continue;
        }
        if (c == '\n') {
            shown += "\r\n";
            ++i;
            continue;
        }
        shown += c;
        ++i;
    }
    if (!shown.empty())
        route(std::move(shown));
}

bool ConsoleModel::execsOpen() const
{
    for (const auto& [id, exec] : m_execs) {
        if (!exec.done)
            return true;
    }
    return false;
}

void ConsoleModel::route(std::string text)
{
    if (m_routed.empty() && m_capturing == 0 && !execsOpen()) {
        appendShown(std::move(text));
        return;
    }
    // Whole lines only: a marker must be seen whole to be kept back.
    m_routed += text;
    std::string visible;
    std::size_t start = 0;
    for (std::size_t end; (end = m_routed.find("\r\n", start)) != std::string::npos; start = end + 2) {
        std::string_view line(m_routed.data() + start, end - start);
        if (m_capturing != 0) {
            Exec& exec = m_execs[m_capturing];
            if (line == exec.end) {
                exec.capturing = false;
                exec.done = true;
                m_capturing = 0;
            } else if (exec.bytes + line.size() + 5 > kMaxExecBytes) {
                exec.cut = true;
            } else {
                exec.bytes += line.size() + 5;
                exec.lines.emplace_back(line);
            }
            continue;
        }
        auto found = std::find_if(m_execs.begin(), m_execs.end(),
                                  [&](const auto& entry) { return !entry.second.done && line == entry.second.begin; });
        if (found != m_execs.end()) {
            found->second.capturing = true;
            m_capturing = found->first;
            continue;
        }
        visible.append(line);
        visible += "\r\n";
    }
    m_routed.erase(0, start);
    if (m_capturing == 0 && !execsOpen()) {
        visible += m_routed;
        m_routed.clear();
    }
    if (!visible.empty())
        appendShown(std::move(visible));
}

std::uint64_t ConsoleModel::startExec(std::string_view command, std::string& error)
{
    if (command.empty() || command.find_first_of("\r\n") != std::string_view::npos) {
        error = command.empty() ? "no command given" : "a command is one line";
        return 0;
    }
    if (!m_accepting) {
        error = "the server is not running";
        return 0;
    }
    // Finished ones count too until they are collected: nothing piles up.
    if (m_execs.size() >= kMaxExecs) {
        error = "too many commands waiting for their output";
        return 0;
    }
    std::uint64_t id = ++m_lastExec;
    Exec exec;
    exec.begin = m_tokenBase + "-" + std::to_string(id) + "b";
    exec.end = m_tokenBase + "-" + std::to_string(id) + "e";
    // One write: the engines run every line of one read in the same frame,
    // so nothing else the server prints can fall between the markers.
    std::string unit = "echo " + exec.begin + "\n";
    unit += command;
    unit += "\necho " + exec.end + "\n";
    if (unit.size() > kMaxLineBytes) {
        error = "the command is too long (at most " + std::to_string(kMaxLineBytes - (unit.size() - command.size()))
            + " characters)";
        return 0;
    }
    if (m_queue.size() >= kMaxQueuedLines) {
        error = "the server is not reading its input";
        return 0;
    }
    m_execs.emplace(id, std::move(exec));
    m_queue.push_back({std::move(unit), id});
    if (m_events.lineQueued)
        m_events.lineQueued();
    return id;
}

const ConsoleModel::Exec* ConsoleModel::exec(std::uint64_t id) const
{
    auto it = m_execs.find(id);
    return it == m_execs.end() ? nullptr : &it->second;
}

void ConsoleModel::forgetExec(std::uint64_t id)
{
    auto it = m_execs.find(id);
    if (it == m_execs.end())
        return;
    if (!it->second.taken) {
        // Never sent: it need not be.
        std::erase_if(m_queue, [id](const Queued& queued) { return queued.exec == id; });
        m_execs.erase(it);
        return;
    }
    // Sent: its output is still kept back when it comes, then it goes.
    if (it->second.done)
        m_execs.erase(it);
    else
        it->second.lines.clear();
}

void ConsoleModel::failExecs()
{
    m_execs.clear();
    m_capturing = 0;
    if (!m_routed.empty()) {
        std::string rest = std::move(m_routed);
        m_routed.clear();
        appendShown(std::move(rest));
    }
}

void ConsoleModel::restoreLines(std::size_t ringBytes, std::uint64_t first, const std::vector<NumberedLine>& lines)
{
    m_ring = LineRing(ringBytes, first == 0 ? 0 : first - 1);
    for (const NumberedLine& line : lines)
        m_ring.add(line.text, line.continues);
}

std::vector<std::string> ConsoleModel::queueCopy() const
{
    std::vector<std::string> lines;
    for (const Queued& queued : m_queue) {
        if (queued.exec == 0)
            lines.push_back(queued.text);
    }
    return lines;
}

void ConsoleModel::restoreQueue(const std::vector<std::string>& lines)
{
    m_queue.clear();
    for (const std::string& line : lines)
        m_queue.push_back({line, 0});
}

void ConsoleModel::note(std::string_view text)
{
    std::string shown;
    for (char c : text) {
        if (c == '\n')
            shown += "\r\n";
        else
            shown += c;
    }
    appendShown(std::move(shown));
}

void ConsoleModel::appendShown(std::string text)
{
    if (m_output.size() + text.size() <= kOutputLimit) {
        // Appends come in whole CR LF pairs, except a CR held at the end
        // of the box whose LF starts this text.
        if (!m_output.empty() && m_output.back() == '\r' && !text.empty() && text.front() == '\n')
            ++m_lineEnds;
        m_lineEnds += countLineEnds(text);
        m_output += text;
        number(text);
        if (m_events.outputChanged)
            m_events.outputChanged(false, text);
        return;
    }
    number(text);
    // The box would pass its limit: the new text replaces it whole. Text
    // that alone is longer keeps its end, which is what an operator reads.
    if (text.size() > kOutputLimit)
        text.erase(0, text.size() - kOutputLimit);
    m_output = std::move(text);
    m_lineEnds = countLineEnds(m_output);
    if (m_events.outputChanged)
        m_events.outputChanged(true, m_output);
}

void ConsoleModel::number(std::string_view text)
{
    std::uint64_t before = m_ring.newest();
    m_assembler.feed(text, [this](std::string_view line, bool continues) { m_ring.add(line, continues); });
    if (m_ring.newest() != before && m_events.linesAdded)
        m_events.linesAdded();
}

void ConsoleModel::setOutput(std::string_view text)
{
    m_output.assign(text.substr(0, kOutputLimit));
    m_lineEnds = countLineEnds(m_output);
    if (m_events.outputChanged)
        m_events.outputChanged(true, m_output);
}

void ConsoleModel::clearOutput() { setOutput({}); }

void ConsoleModel::setInput(std::string_view text)
{
    if (text.size() > kMaxInputBytes) {
        // Half a command is worse than none: the line is emptied.
        m_input.clear();
        refuseInput();
    } else {
        m_input.assign(text);
        m_inputNoted = false;
    }
    if (m_events.inputChanged)
        m_events.inputChanged();
}

void ConsoleModel::refuseInput()
{
    if (m_inputNoted)
        return;
    m_inputNoted = true;
    note("(the input line takes at most " + std::to_string(kMaxInputBytes) + " characters; the rest was refused)\n");
}

void ConsoleModel::typeChar(char character)
{
    if (character == '\r' || character == '\n') {
        enter();
        return;
    }
    if (character == '\b') {
        if (m_input.empty())
            return;
        m_input.pop_back();
    } else if (m_input.size() >= kMaxInputBytes) {
        refuseInput();
        return;
    } else {
        m_input += character;
    }
    if (m_events.inputTyped)
        m_events.inputTyped(character);
    else if (m_events.inputChanged)
        m_events.inputChanged();
}

void ConsoleModel::enter()
{
    std::string line = std::move(m_input);
    m_input.clear();
    m_inputNoted = false;
    if (m_events.inputChanged)
        m_events.inputChanged();
    if (m_events.inputEntered)
        m_events.inputEntered();
    submit(line);
}

void ConsoleModel::echo(std::string_view line)
{
    std::string shown = "]";
    shown += line;
    shown += '\n';
    note(shown);
}

void ConsoleModel::submit(std::string_view line)
{
    if (!m_accepting)
        echo(line);
    // A line holding line ends is several commands; each goes on its own,
    // as the server would have split them anyway.
    std::size_t start = 0;
    for (;;) {
        std::size_t end = line.find_first_of("\r\n", start);
        queueLine(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
        if (line[end] == '\r' && start < line.size() && line[start] == '\n')
            ++start;
        if (start == line.size())
            break;
    }
}

void ConsoleModel::queueLine(std::string_view line)
{
    if (!m_accepting) {
        note("(the server is not running; the line was not sent)\n");
        return;
    }
    if (m_queue.size() >= kMaxQueuedLines) {
        if (!m_droppedNoted)
            note("(the server is not reading its input; lines are being dropped)\n");
        m_droppedNoted = true;
        return;
    }
    m_droppedNoted = false;
    std::string queued(line);
    if (queued.size() > kMaxLineBytes - 1) {
        queued.resize(kMaxLineBytes - 1);
        note("(line cut to " + std::to_string(kMaxLineBytes - 1) + " characters: the server reads at most "
             + std::to_string(kMaxLineBytes) + " bytes per line)\n");
    }
    queued += '\n';
    m_queue.push_back({std::move(queued), 0});
    if (m_events.lineQueued)
        m_events.lineQueued();
}

std::string ConsoleModel::takeBatch(std::size_t maxBytes)
{
    std::string batch;
    while (!m_queue.empty() && (batch.empty() || batch.size() + m_queue.front().text.size() <= maxBytes)) {
        batch += m_queue.front().text;
        m_inFlight.push_back(std::move(m_queue.front()));
        m_queue.pop_front();
    }
    return batch;
}

void ConsoleModel::inputTaken()
{
    while (!m_inFlight.empty()) {
        Queued queued = std::move(m_inFlight.front());
        m_inFlight.pop_front();
        if (queued.exec != 0) {
            if (auto it = m_execs.find(queued.exec); it != m_execs.end())
                it->second.taken = true;
            continue;
        }
        queued.text.pop_back(); // its LF
        echo(queued.text);
    }
}

std::string ConsoleModel::takeQueuedLine()
{
    if (m_queue.empty())
        return {};
    std::string line = std::move(m_queue.front().text);
    m_queue.pop_front();
    return line;
}

void ConsoleModel::buttonDown(int button) { m_pressed = button; }

void ConsoleModel::buttonUp(int button)
{
    // A click is a press and a release on the same button.
    bool clicked = m_pressed == button;
    m_pressed = -1;
    if (clicked)
        click(button);
}

void ConsoleModel::click(int button)
{
    switch (button) {
    case ipc::kCopyButton:
        if (m_events.copyRequested)
            m_events.copyRequested(m_output);
        break;
    case ipc::kClearButton: clearOutput(); break;
    case ipc::kQuitButton: submit("quit"); break;
    default: break;
    }
}

void ConsoleModel::setVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    if (m_events.visibilityChanged)
        m_events.visibilityChanged(visible);
}

void ConsoleModel::requestFocus()
{
    if (m_events.focusRequested)
        m_events.focusRequested();
}

} // namespace ravelin::consolehost
