// The function page ("Environment Functions"): five collapsible sections
// holding the rotation composer with "Save Preset", the preset runner with
// lstExec, the client filters' title row, the script lists and the script
// debug output. Control events go to the session's TimedCommandList (and
// the script controls to the session itself); the page shows what the list
// reports.
#pragma once

#include "mainwindow/TimedCommandList.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace ravelin {

class MainSession;
class SectionStackWidget;
class OutputBox;

class FunctionPage final : public QWidget, private TimedCommandListView {
public:
    // How much script debug output the box keeps, in lines.
    static constexpr int kDebugLinesKept = 10000;

    FunctionPage(MainSession& session, QWidget* page);

    // The script controls the main window writes to.
    OutputBox* txtDebug() const { return m_txtDebug; }
    QListWidget* lstScripts() const { return m_lstScripts; }
    QListWidget* lstConsoleProc() const { return m_lstConsoleProc; }
    QLineEdit* txtLastProc() const { return m_txtLastProc; }
    QLineEdit* txtLastData() const { return m_txtLastData; }
    QPushButton* cmdInitScripts() const { return m_cmdInitScripts; }
    SectionStackWidget* sections() const { return m_stack; }

private:
    void buildComposer(QWidget* section);
    void buildRunner(QWidget* section);
    void buildScripts(QWidget* section);
    void buildDebug(QWidget* section);

    void showComList(const std::vector<std::string>& entries) override;
    void showPresets(const std::vector<std::string>& names, int chosen) override;
    void setPresetChoiceEnabled(bool enabled) override;
    void showRunning(bool running) override;
    void showExecList(const std::vector<std::string>& entries) override;
    void selectExec(int index) override;

    MainSession& m_session;
    TimedCommandList& m_list;
    SectionStackWidget* m_stack = nullptr;

    QListWidget* m_lstCom = nullptr;
    QLineEdit* m_txtComValue = nullptr;
    QLineEdit* m_txtInt = nullptr;
    QComboBox* m_cboPreset = nullptr;
    QRadioButton* m_optRunAAI = nullptr;
    QRadioButton* m_optStopAAI = nullptr;
    QListWidget* m_lstExec = nullptr;

    OutputBox* m_txtDebug = nullptr;
    QListWidget* m_lstScripts = nullptr;
    QListWidget* m_lstConsoleProc = nullptr;
    QLineEdit* m_txtLastProc = nullptr;
    QLineEdit* m_txtLastData = nullptr;
    QPushButton* m_cmdInitScripts = nullptr;
};

class InternalStatsSection;
class WebStatsSection;

// The stats page ("Statistics"): the internal statistics and the web page.
class StatsPage final : public QWidget {
public:
    StatsPage(MainSession& session, QWidget* page);
    SectionStackWidget* sections() const { return m_stack; }
    InternalStatsSection* internal() const { return m_internal; }
    WebStatsSection* web() const { return m_web; }

private:
    SectionStackWidget* m_stack = nullptr;
    InternalStatsSection* m_internal = nullptr;
    WebStatsSection* m_web = nullptr;
};

// The report switch chkReport on the options page.
void buildReportOption(MainSession& session, QWidget* optionsPage);

} // namespace ravelin
