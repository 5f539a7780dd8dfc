#include "consolehost/ConsoleModel.h"

#include "platform/ipc/IpcProtocol.h"

#include <algorithm>

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
        appendShown(std::move(shown));
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
        if (m_events.outputChanged)
            m_events.outputChanged(false, text);
        return;
    }
    // The box would pass its limit: the new text replaces it whole. Text
    // that alone is longer keeps its end, which is what an operator reads.
    if (text.size() > kOutputLimit)
        text.erase(0, text.size() - kOutputLimit);
    m_output = std::move(text);
    m_lineEnds = countLineEnds(m_output);
    if (m_events.outputChanged)
        m_events.outputChanged(true, m_output);
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
    m_queue.push_back(std::move(queued));
    if (m_events.lineQueued)
        m_events.lineQueued();
}

std::string ConsoleModel::takeBatch(std::size_t maxBytes)
{
    std::string batch;
    while (!m_queue.empty() && (batch.empty() || batch.size() + m_queue.front().size() <= maxBytes)) {
        batch += m_queue.front();
        m_inFlight.push_back(std::move(m_queue.front()));
        m_queue.pop_front();
    }
    return batch;
}

void ConsoleModel::inputTaken()
{
    while (!m_inFlight.empty()) {
        std::string line = std::move(m_inFlight.front());
        m_inFlight.pop_front();
        line.pop_back(); // its LF
        echo(line);
    }
}

std::string ConsoleModel::takeQueuedLine()
{
    if (m_queue.empty())
        return {};
    std::string line = std::move(m_queue.front());
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
