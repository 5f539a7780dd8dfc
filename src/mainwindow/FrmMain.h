// The main window: a strip of eight overlapping tabs over eight stacked
// pages, seven timers, and the console page that follows the server's
// output. The window only owns controls and timers; the line handling lives
// in ConsolePump, the restacking rule in TabOrder.h.
//
// Load runs once before the first show. The activation steps run only on
// the program's own activations (first show, a dialog of ours closing, a
// restore from the tray), never when the operator merely switches back from
// another application. Unload disables the timers, sets Unloading and spins
// the message loop so that handlers suspended in a yield see the flag and
// return.
#pragma once

#include "console/ConsolePump.h"
#include "console/CvarProbe.h"
#include "mainwindow/TabOrder.h"
#include "platform/Dialogs.h"
#include "platform/HostInfo.h"
#include "platform/SettingsStore.h"
#include "scripting/ScriptHost.h"
#include "vbscript/ScriptControl.h"

#include <QPixmap>
#include <QWidget>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace ravelin {

struct MainServices {
    ConsoleBridge& bridge;
    CvarProbe& probe;
    SettingsStore& settings;
    Dialogs& dialogs;
    std::filesystem::path appFolder;
    // The machine's name for scripts (sGetComputerName); none in some tests.
    HostInfo* host = nullptr;
};

class FrmMain : public QWidget, private ConsoleDisplay, public RavelinOperations, private ScriptHostView {
    Q_OBJECT
public:
    static constexpr int kUnloadYields = 10000;

    explicit FrmMain(MainServices services, QWidget* parent = nullptr);
    ~FrmMain() override;

    // The load steps; runs once, before the first show.
    void load();
    bool loaded() const { return m_loaded; }
    // The activation steps (also called by the tray's restore).
    void activate();
    int activations() const { return m_activations; }
    // Timers off, Unloading set, then the yields. Runs once; closing the
    // window runs it too.
    void unload();

    void imgTab_Click(int index);

    // Public operations for scripts and other windows.
    void ConsoleOut(const std::string& strData) override;
    void DebugPrint(const std::string& strText) override;
    void InitScripts() override;
    std::string sGetComputerName() override;
    bool Unloading() const { return m_unloading; }
    const std::string& GameBasePath() const { return m_gameBasePath; }

    QLabel* imgTab(int index) const { return m_imgTab[static_cast<std::size_t>(index)]; }
    QWidget* picBase(int index) const { return m_picBase[static_cast<std::size_t>(index)]; }
    const QPixmap& TabPicOn(int index) const { return m_tabPicOn[static_cast<std::size_t>(index)]; }
    const QPixmap& TabPicOff(int index) const { return m_tabPicOff[static_cast<std::size_t>(index)]; }
    const std::vector<std::string>& tabNames() const { return m_tabNames; }
    ConsolePump& pump() { return m_pump; }
    ScriptHost& scriptHost() { return m_scriptHost; }
    vbs::ScriptControl& scMain() { return m_scMain; }
    // The display's text as bytes, CR LF line ends included.
    std::string displayText() const override { return m_displayText; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void appendDisplay(std::string_view text) override;
    void setDisplayText(std::string_view text) override;
    void clearScriptLists() override;
    void addConsoleProc(const std::string& procedure) override;
    void addScriptEntry(const std::string& entry) override;
    void connectScriptDialogs();

    void buildTabs();
    void buildPages();
    void buildConsolePage(QWidget* page);
    void buildFunctionPage(QWidget* page);
    QTimer* makeTimer(const char* name, int interval);
    void queueActivation();

    void tmrConsole_Timer();
    void tmrClearOut_Timer();
    void tmrClient_Timer();
    void tmrBanned_Timer();
    void tmrAAI_Timer();
    void tmrReport_Timer();
    void tmrSystem_Timer();
    void cmdClear_Click();
    void cmdInitScripts_Click();
    void txtOut_Enter();
    void ParseStatusBlock(const std::string& block);

    MainServices m_services;
    bool m_unloading = false;
    bool m_loaded = false;
    bool m_unloaded = false;
    bool m_shownOnce = false;
    bool m_activationQueued = false;
    int m_activations = 0;
    std::string m_gameBasePath;
    std::string m_displayText;
    std::vector<std::string> m_tabNames;
    std::array<QLabel*, kTabCount> m_imgTab{};
    std::array<QWidget*, kTabCount> m_picBase{};
    std::array<QPixmap, kTabCount> m_tabPicOn;
    std::array<QPixmap, kTabCount> m_tabPicOff;

    QTimer* m_tmrConsole = nullptr;
    QTimer* m_tmrClearOut = nullptr;
    QTimer* m_tmrClient = nullptr;
    QTimer* m_tmrBanned = nullptr;
    QTimer* m_tmrAAI = nullptr;
    QTimer* m_tmrReport = nullptr;
    QTimer* m_tmrSystem = nullptr;

    QPlainTextEdit* m_txtDisplay = nullptr;
    QLineEdit* m_txtOut = nullptr;
    QPushButton* m_cmdClear = nullptr;
    QPlainTextEdit* m_txtDebug = nullptr;
    QListWidget* m_lstScripts = nullptr;
    QListWidget* m_lstConsoleProc = nullptr;
    QLineEdit* m_txtLastProc = nullptr;
    QLineEdit* m_txtLastData = nullptr;
    QPushButton* m_cmdInitScripts = nullptr;

    ConsolePump m_pump;
    vbs::ScriptControl m_scMain;
    ScriptHost m_scriptHost;
};

} // namespace ravelin
