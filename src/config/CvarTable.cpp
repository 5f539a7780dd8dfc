#include "config/CvarTable.h"

#include "config/CvarListParser.h"

#include <cctype>
#include <fstream>
#include <map>
#include <iterator>

namespace ravelin {

namespace {

bool answered(const std::string& value) { return value != kCvarUnknown && value != kCvarUnknownCommand; }

bool isFolderName(const std::string& value)
{
    return !value.empty() && answered(value) && value.find_first_of("/\\") == std::string::npos;
}

std::string lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool isAbsolutePath(const std::string& value) { return !value.empty() && value.front() == '/'; }

} // namespace

CvarDumpTarget cvarDumpTarget(const std::string& gameBasePath, const std::string& baseGame, const std::string& homePath,
                              const std::string& fsGame)
{
    if (isFolderName(baseGame) && isAbsolutePath(homePath)) {
        const std::string game = isFolderName(fsGame) ? fsGame : baseGame;
        return {std::string("WRITECONFIG ") + kCvarDumpName, std::filesystem::path(homePath) / game / kCvarDumpName};
    }
    return {std::string("WRITECONFIG ..\\") + kCvarDumpName, std::filesystem::path(gameBasePath) / kCvarDumpName};
}

void CvarTable::learnDumpTarget(const std::string& gameBasePath)
{
    const WindowHandle console = m_bridge.FindConsoleWindow();
    // The probe takes only an answer naming the cvar it asked for, so a
    // late answer to an earlier query cannot stand in for one of these.
    const std::string baseGame = m_probe.GetCvarValue(console, "com_basegame");
    std::string homePath;
    std::string fsGame;
    if (isFolderName(baseGame)) {
        homePath = m_probe.GetCvarValue(console, "fs_homepath");
        fsGame = m_probe.GetCvarValue(console, "fs_game");
    }
    m_target = cvarDumpTarget(gameBasePath, baseGame, homePath, fsGame);
    m_baseGame = baseGame;
    m_homePath = homePath;
    m_fsGame = fsGame;
}

void CvarTable::startDump()
{
    if (m_state != State::Idle || m_unloading)
        return;
    m_state = State::Waiting;
    if (m_view)
        m_view->setBusy(true);
    // Every cvar the server has, with its flags, when it can list them; the
    // dump file holds only the archived ones.
    const WindowHandle console = m_bridge.FindConsoleWindow();
    CommandOutput listed = m_bridge.ExecCommand(console, "cvarlist", ConsoleBridge::kExecTimeoutMs);
    if (m_unloading) {
        stop();
        return;
    }
    // The console strips colour codes from what it shows, the file keeps
    // them: the values of the cvars the file holds come from the file.
    m_listed = listed.ok ? parseCvarList(listed.lines) : std::vector<CvarRow>{};
    // A file left from a dump that came too late must not pass for this one.
    removeDump();
    CommandOutput written = m_bridge.ExecCommand(console, m_target.command, ConsoleBridge::kExecTimeoutMs);
    if (!written.ok)
        m_bridge.SendConsoleCommand(m_target.command);
    if (m_unloading) {
        stop();
        return;
    }
    m_deadline = m_clock.now() + m_limit;
    m_previous.clear();
    if (m_view)
        m_view->setDumpTimerEnabled(true);
}

// One step of the wait: look for the file, then read it until two reads in
// a row find the same length and it holds at least kMinDumpSize bytes.
void CvarTable::tmrCvarDump_Timer()
{
    if (m_state == State::Idle)
        return;
    if (m_unloading) {
        stop();
        return;
    }
    // The file is read through the window manager: a console on another
    // machine has its server's files there, read by its relay.
    std::optional<std::string> read =
        m_bridge.windows().readServerFile(m_bridge.FindConsoleWindow(), m_target.file.string(), false);
    if (m_state == State::Waiting && read) {
        m_state = State::Reading;
        m_previous.clear();
    }
    if (m_state == State::Reading) {
        std::string text = read.value_or(std::string());
        if (text.size() > m_previous.size()) {
            m_previous = std::move(text);
        } else if (text.size() < kMinDumpSize) {
            m_previous.clear();
        } else {
            finish(text);
            return;
        }
    }
    if (m_clock.now() >= m_deadline) {
        removeDump();
        if (!m_listed.empty()) {
            // A server that cannot write the file still listed every cvar.
            fill(std::move(m_listed));
            m_listed.clear();
            return;
        }
        stop();
        m_dialogs.messageBox(timeoutMessage(), Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
    }
}

std::string CvarTable::timeoutMessage() const
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(m_limit).count();
    return "The server did not write its variables to " + m_target.file.string() + " within " + std::to_string(seconds)
        + (seconds == 1 ? " second" : " seconds") + ". The table still shows the variables read before.";
}

void CvarTable::removeDump()
{
    m_bridge.windows().readServerFile(m_bridge.FindConsoleWindow(), m_target.file.string(), true);
}

void CvarTable::finish(const std::string& text)
{
    removeDump();
    std::vector<CvarRow> rows = parseCvarDump(text);
    if (!m_listed.empty()) {
        std::map<std::string, std::string> fromFile;
        for (CvarRow& row : rows)
            fromFile[lowered(row.key)] = std::move(row.value);
        for (CvarRow& row : m_listed) {
            if (auto found = fromFile.find(lowered(row.key)); found != fromFile.end())
                row.value = found->second;
        }
        rows = std::move(m_listed);
        m_listed.clear();
    }
    fill(std::move(rows));
}

void CvarTable::fill(std::vector<CvarRow> rows)
{
    m_list.load(std::move(rows));
    ++m_fills;
    if (m_view) {
        m_view->showRows(m_list.rows());
        m_view->showSortOrder(m_list.sortColumn(), m_list.ascending());
    }
    stop();
}

void CvarTable::stop()
{
    m_state = State::Idle;
    m_previous.clear();
    if (m_view) {
        m_view->setDumpTimerEnabled(false);
        m_view->setBusy(false);
    }
}

void CvarTable::lvCVars_ColumnClick(int column)
{
    const int selected = m_view ? m_view->selectedRow() : -1;
    const int moved = m_list.columnClick(column, selected);
    if (!m_view)
        return;
    m_view->showRows(m_list.rows());
    m_view->showSortOrder(m_list.sortColumn(), m_list.ascending());
    if (moved >= 0)
        m_view->selectRow(moved);
}

void CvarTable::lvCVars_KeyPress(char typed)
{
    if (m_view)
        m_view->showSearch(std::string(1, typed));
}

void CvarTable::txtFind_Enter(const std::string& text)
{
    const int found = m_list.find(text);
    if (found < 0)
        m_dialogs.messageBox(kItemNotFound, Dialogs::Buttons::Ok);
    else if (m_view)
        m_view->selectRow(found);
    if (m_view)
        m_view->hideSearch(true);
}

void CvarTable::txtFind_LostFocus()
{
    if (m_view)
        m_view->hideSearch(false);
}

void CvarTable::lvCVars_DblClick()
{
    if (!m_view)
        return;
    const int index = m_view->selectedRow();
    if (index < 0 || index >= static_cast<int>(m_list.rows().size()))
        return;
    const CvarRow& row = m_list.rows()[static_cast<std::size_t>(index)];
    SetVarForm form(m_bridge, m_probe, m_dialogs, row.key, row.value);
    const int fillsBefore = m_fills;
    m_view->showSetVar(form);
    // The value shown is what was typed; the row is the one the dialog was
    // opened from, unless a reload replaced the rows meanwhile.
    if (form.applied() && fillsBefore == m_fills) {
        m_list.setValue(index, form.appliedValue());
        m_view->showRowValue(index, form.appliedValue());
    }
}

} // namespace ravelin
