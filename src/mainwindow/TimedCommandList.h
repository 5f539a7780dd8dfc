// The main window's timed command list: composing a rotation (lstCom),
// saving it as a preset and listing the presets (cboPreset, PresetPaths),
// running the chosen one on tmrAAI (lstExec follows), and the RAM status
// report (chkReport, tmrReport, DisplayRAMStats). Plain C++: the window's
// pages forward their control events here and show what this reports
// through TimedCommandListView; the timers are the session's.
#pragma once

#include "clients/RamReport.h"
#include "clients/RotationRunner.h"
#include "scripting/OperationTable.h"

#include <filesystem>
#include <string>
#include <vector>

namespace ravelin {

struct MainServices;
class SessionView;

class TimedCommandListView {
public:
    virtual ~TimedCommandListView() = default;
    virtual void showComList(const std::vector<std::string>& entries) = 0;
    // cboPreset's names; `chosen` is -1 for none.
    virtual void showPresets(const std::vector<std::string>& names, int chosen) = 0;
    virtual void setPresetChoiceEnabled(bool enabled) = 0;
    // optRunAAI when running, optStopAAI otherwise.
    virtual void showRunning(bool running) = 0;
    virtual void showExecList(const std::vector<std::string>& entries) = 0;
    virtual void selectExec(int index) = 0;
};

class TimedCommandList {
public:
    static constexpr const char* kSavePrompt = "Enter a name for your new preset:";
    static constexpr const char* kWriteFailed = "File System Error: Could not write file!";
    static constexpr const char* kClearPrompt = "Are you sure you want to clear the list?";
    static constexpr const char* kNothingToSave = "The command list is empty: add a command before saving a preset.";
    static constexpr const char* kTooLong =
        "The preset cannot be saved: its name or a command is longer than 65535 characters.";
    static constexpr const char* kNothingToRun = "This preset has no commands to run.";
    static constexpr const char* kUnreadable = "This preset cannot be read: ";

    TimedCommandList(const MainServices& services, SessionView& session, const bool& unloading);

    // The page showing this list; may be attached after the load.
    void setView(TimedCommandListView* view);
    // RefreshPresets and DisplayRAMStats for scripts.
    void addOperations(OperationTable& table);

    // Composing.
    void cmdAddItem_Click(const std::string& command, const std::string& interval);
    void cmdRemoveComItem_Click(int selected);
    void cmdClearComList_Click();
    void cmdSavePreset_Click();

    // Presets.
    void RefreshPresets();
    void cboPreset_Click(int index);

    // The rotation.
    void optRunAAI_Click();
    void optStopAAI_Click();
    void tmrAAI_Timer();

    // Reports.
    void chkReport_Click(bool checked);
    void tmrReport_Timer();
    void DisplayRAMStats();

    std::filesystem::path presetFolder() const;
    const std::vector<std::string>& comList() const { return m_lstCom; }
    const std::vector<std::string>& presetNames() const { return m_presetNames; }
    const std::vector<std::filesystem::path>& PresetPaths() const { return m_PresetPaths; }
    int chosenPreset() const { return m_chosen; }
    const RotationRunner& rotation() const { return m_rotation; }
    const ReportSchedule& reportSchedule() const { return m_reportSchedule; }

private:
    void stopRotation();
    void sayReport();
    void debugPrint(const std::string& line);

    const MainServices& m_services;
    SessionView& m_session;
    const bool& m_unloading;
    TimedCommandListView* m_view = nullptr;
    std::vector<std::string> m_lstCom; // the rotation being composed, "command||interval" entries
    std::vector<std::string> m_presetNames;
    std::vector<std::filesystem::path> m_PresetPaths;
    int m_chosen = -1;
    RotationRunner m_rotation;
    ReportSchedule m_reportSchedule;
};

} // namespace ravelin
