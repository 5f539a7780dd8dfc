#include "mainwindow/TimedCommandList.h"

#include "config/PresetFolder.h"
#include "mainwindow/MainSession.h"

namespace ravelin {

TimedCommandList::TimedCommandList(const MainServices& services, SessionView& session, const bool& unloading)
    : m_services(services), m_session(session), m_unloading(unloading), m_rotation(unloading)
{
    RotationHooks& hooks = m_rotation.hooks();
    hooks.enableTimer = [this](bool on) { m_session.setTimerEnabled(SessionTimer::tmrAAI, on); };
    hooks.setInterval = [this](int ms) { m_session.setTimerInterval(SessionTimer::tmrAAI, ms); };
    hooks.showEntries = [this](const std::vector<std::string>& entries) {
        if (m_view)
            m_view->showExecList(entries);
    };
    hooks.selectEntry = [this](int index) {
        if (m_view)
            m_view->selectExec(index);
    };
    hooks.send = [this](const std::string& command) { m_services.bridge.SendConsoleCommand(command); };
    hooks.debugPrint = [this](const std::string& line) { debugPrint(line); };
}

void TimedCommandList::setView(TimedCommandListView* view)
{
    m_view = view;
    if (!m_view)
        return;
    m_view->showComList(m_lstCom);
    m_view->showPresets(m_presetNames, m_chosen);
    m_view->setPresetChoiceEnabled(!m_rotation.running());
    m_view->showRunning(m_rotation.running());
    m_view->showExecList(m_rotation.entries());
    m_view->selectExec(m_rotation.selected());
}

void TimedCommandList::addOperations(OperationTable& table)
{
    table.addMethod("RefreshPresets", 0, 0, [this](OperationTable::Args) {
        RefreshPresets();
        return vbs::Variant();
    });
    table.addMethod("DisplayRAMStats", 0, 0, [this](OperationTable::Args) {
        DisplayRAMStats();
        return vbs::Variant();
    });
}

void TimedCommandList::debugPrint(const std::string& line) { m_session.DebugPrint(line); }

std::filesystem::path TimedCommandList::presetFolder() const { return m_services.appFolder / kPresetFolderName; }

void TimedCommandList::cmdAddItem_Click(const std::string& command, const std::string& interval)
{
    m_lstCom.push_back(command + kRotationSeparator + interval);
    if (m_view)
        m_view->showComList(m_lstCom);
}

void TimedCommandList::cmdRemoveComItem_Click(int selected)
{
    if (selected < 0 || selected >= static_cast<int>(m_lstCom.size()))
        return;
    m_lstCom.erase(m_lstCom.begin() + selected);
    if (m_view)
        m_view->showComList(m_lstCom);
}

void TimedCommandList::cmdClearComList_Click()
{
    if (m_services.dialogs.messageBox(kClearPrompt, Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes)
        return;
    m_lstCom.clear();
    if (m_view)
        m_view->showComList(m_lstCom);
}

void TimedCommandList::cmdSavePreset_Click()
{
    // An empty preset could never run; refused before a name is asked for.
    if (m_lstCom.empty()) {
        m_services.dialogs.messageBox(kNothingToSave, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return;
    }
    const std::optional<std::string> answer = m_services.dialogs.prompt(kSavePrompt);
    if (!answer || answer->empty())
        return;
    const PresetRecord record{*answer, SanitizePresetName(*answer), m_lstCom};
    std::string error;
    switch (savePresetFile(presetFolder(), record, &error)) {
    case PresetSaveResult::Saved: RefreshPresets(); return;
    case PresetSaveResult::TooLong:
        m_services.dialogs.messageBox(kTooLong, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return;
    case PresetSaveResult::WriteFailed:
        debugPrint("Preset not saved: " + error);
        m_services.dialogs.messageBox(kWriteFailed, Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
        return;
    }
}

void TimedCommandList::RefreshPresets()
{
    PresetListing listing = loadPresetListing(presetFolder());
    m_presetNames = std::move(listing.names);
    m_PresetPaths = std::move(listing.paths);
    m_chosen = -1;
    if (m_view)
        m_view->showPresets(m_presetNames, m_chosen);
    for (const std::string& line : listing.skipped)
        debugPrint(line);
}

void TimedCommandList::cboPreset_Click(int index)
{
    m_chosen = index >= 0 && index < static_cast<int>(m_PresetPaths.size()) ? index : -1;
    stopRotation();
}

void TimedCommandList::optRunAAI_Click()
{
    if (m_chosen < 0 || m_chosen >= static_cast<int>(m_PresetPaths.size())) {
        stopRotation();
        return;
    }
    const std::filesystem::path& path = m_PresetPaths[static_cast<std::size_t>(m_chosen)];
    const PresetReadResult read = readPresetFile(path);
    if (!read.record) {
        stopRotation();
        m_services.dialogs.messageBox(kUnreadable + path.string() + " (" + read.error + ")", Dialogs::Buttons::Ok,
                                      Dialogs::Icon::Exclamation);
        return;
    }
    if (read.record->Commands.empty()) {
        stopRotation();
        m_services.dialogs.messageBox(kNothingToRun, Dialogs::Buttons::Ok, Dialogs::Icon::Exclamation);
        return;
    }
    m_rotation.start(read.record->Commands, read.record->DisplayName);
    if (m_view) {
        m_view->setPresetChoiceEnabled(false);
        m_view->showRunning(true);
    }
}

void TimedCommandList::optStopAAI_Click() { stopRotation(); }

void TimedCommandList::stopRotation()
{
    m_rotation.stop();
    if (m_view) {
        m_view->setPresetChoiceEnabled(true);
        m_view->showRunning(false);
    }
}

void TimedCommandList::tmrAAI_Timer() { m_rotation.step(); }

void TimedCommandList::chkReport_Click(bool checked) { m_session.setTimerEnabled(SessionTimer::tmrReport, checked); }

void TimedCommandList::tmrReport_Timer()
{
    if (m_unloading)
        return;
    if (m_reportSchedule.tick() && !m_unloading)
        sayReport();
}

void TimedCommandList::DisplayRAMStats() { sayReport(); }

// Each line is said on its own; saying yields, so the window may close
// between two lines.
void TimedCommandList::sayReport()
{
    if (!m_services.memory)
        return;
    const std::vector<std::string> lines = ramReportLines(m_services.memory->status());
    for (const std::string& line : lines) {
        if (m_unloading)
            return;
        m_services.bridge.ConsoleSay(line);
    }
}

} // namespace ravelin
