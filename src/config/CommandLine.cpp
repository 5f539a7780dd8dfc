#include "config/CommandLine.h"

#include "config/LikeMatch.h"
#include "platform/Text.h"

#include <algorithm>

namespace ravelin {

const std::array<const char*, 47> CommandLine::kCommands = {
    "RAM_STATUS",   "cmdlist",    "status",      "map",           "vstr",      "say",    "exec",       "seta",
    "set",          "sets",       "killserver",  "spdevmap",      "spmap",     "devmap", "sectorlist", "map_restart",
    "dumpuser",     "systeminfo", "serverinfo",  "kick",          "heartbeat", "vminfo", "vmprofile",  "midiinfo",
    "net_restart",  "in_restart", "writeconfig", "changeVectors", "quit",      "freeze", "crash",      "error",
    "meminfo",      "bind",       "unbindall",   "touchFile",     "dir",       "path",   "bindlist",   "unbind",
    "cvar_restart", "cvarlist",   "reset",       "setu",          "toggle",    "wait",   "echo"};

namespace {} // namespace

bool CommandLine::txtOut_KeyDown(int keyCode)
{
    if (keyCode == kUp || keyCode == kDown) {
        if (DosKey() == 0)
            return false;
        if (keyCode == kUp)
            browseUp();
        else
            browseDown();
        return true;
    }
    // The selection goes first, then the key deletes as usual: a completed
    // tail and the typed character before it go in one press.
    if (keyCode == kBackspace && m_view && m_view->selLength() > 0)
        m_view->replaceSelection({});
    return false;
}

bool CommandLine::txtOut_KeyPress(char character) { return character == '\r'; }

void CommandLine::txtOut_KeyUp(int keyCode)
{
    if (keyCode == kEnter && m_view)
        enter(m_view->text());
    if (keyCode != kBackspace && keyCode != kDelete)
        complete();
}

void CommandLine::txtOut_GotFocus()
{
    if (m_view)
        m_view->setSelection(0, static_cast<int>(m_view->text().size()));
}

void CommandLine::enter(const std::string& line)
{
    const std::string word = asciiUpper(trimBlanks(line));
    if (word == "RAM_STATUS") {
        if (m_hooks.ramStatus)
            m_hooks.ramStatus();
    } else if (word == "QUIT" || asciiUpper(line).find("QUIT") != std::string::npos) {
        m_dialogs.messageBox(kRefused, Dialogs::Buttons::Ok, Dialogs::Icon::Critical, kRefusedTitle);
    } else {
        m_history.push_back(line);
        if (m_hooks.send)
            m_hooks.send(line);
        while (static_cast<int>(m_history.size()) > kHistoryLimit)
            m_history.pop_front();
    }
    if (m_view)
        m_view->setText({});
    m_historyPos = static_cast<int>(m_history.size()) + 1;
}

void CommandLine::browseUp()
{
    if (m_historyPos < 2 || m_historyPos - 1 > static_cast<int>(m_history.size()))
        return;
    --m_historyPos;
    if (m_view)
        m_view->setText(m_history[static_cast<std::size_t>(m_historyPos - 1)]);
}

void CommandLine::browseDown()
{
    const int count = static_cast<int>(m_history.size());
    if (m_historyPos > count)
        return;
    ++m_historyPos;
    if (m_view)
        m_view->setText(m_historyPos > count ? std::string() : m_history[static_cast<std::size_t>(m_historyPos - 1)]);
}

// The tail of the first match goes in place of the selection and is
// selected. A match that adds nothing (it equals the typed text, or differs
// only in case) changes nothing: putting an empty tail in place of a
// selected completion would delete it on the release of any key.
void CommandLine::complete()
{
    if (!m_view || Intellisense() == 0)
        return;
    const std::string text = m_view->text();
    if (text.empty())
        return;
    const std::string pattern = asciiUpper(text) + "*";
    std::string match;
    bool found = false;
    for (const std::string& entry : m_history)
        if (likeMatch(asciiUpper(entry), pattern)) {
            if (entry == text)
                return;
            match = entry;
            found = true;
            break;
        }
    if (!found)
        for (const char* command : kCommands)
            if (likeMatch(asciiUpper(command), pattern)) {
                match = command;
                found = true;
                break;
            }
    if (!found || match.size() <= text.size())
        return;
    const int n = static_cast<int>(text.size());
    m_view->replaceSelection(match.substr(text.size()));
    m_view->setSelection(n, static_cast<int>(m_view->text().size()) - n);
}

void CommandLine::imgHistory_Click()
{
    if (!m_view)
        return;
    std::vector<CommandLineView::PopupRow> rows;
    rows.push_back({kClearRow, kClearRowData});
    for (const std::string& entry : m_history)
        rows.push_back({entry, 0});
    m_view->showHistoryPopup(rows, static_cast<int>(rows.size()) - 1);
}

void CommandLine::lstHistory_Click(int row, const std::string& text, int itemData)
{
    if (!m_view)
        return;
    m_view->hideHistoryPopup();
    if (row < 0)
        return;
    if (itemData == kClearRowData)
        m_history.clear();
    else
        m_view->setText(text);
    m_view->focusCommandLine();
}

void CommandLine::imgCommands_Click()
{
    if (m_view)
        m_view->showCommandPopup();
}

void CommandLine::lstCmd_Click(int row, const std::string& text)
{
    if (!m_view)
        return;
    m_view->hideCommandPopup();
    if (row < 0)
        return;
    m_view->setText(text);
    m_view->focusCommandLine();
}

int CommandLine::readSetting(const char* key)
{
    // Anything but "0" counts as the default, on.
    return m_settings.getSetting(kSettingsApp, kSettingsSection, key, "1") == "0" ? 0 : 1;
}

void CommandLine::writeSetting(const char* key, int value)
{
    m_settings.saveSetting(kSettingsApp, kSettingsSection, key, value == 0 ? "0" : "1");
}

int CommandLine::Intellisense() { return readSetting("Intellisense"); }

void CommandLine::setIntellisense(int value)
{
    writeSetting("Intellisense", value);
    if (m_view)
        m_view->showIntellisense(value == 0 ? 0 : 1);
}

int CommandLine::DosKey() { return readSetting("DosKey"); }

void CommandLine::setDosKey(int value)
{
    writeSetting("DosKey", value);
    if (m_view)
        m_view->showDosKey(value == 0 ? 0 : 1);
}

void CommandLine::applySettings()
{
    setDosKey(DosKey());
    setIntellisense(Intellisense());
}

} // namespace ravelin
