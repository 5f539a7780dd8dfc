// The main window: a strip of eight overlapping tabs over eight stacked
// pages, seven timers, and the controls of each page. The window owns
// controls and timers only: each tick and each control event is forwarded
// to the session core (MainSession), which does the work and writes back
// through the SessionView this window implements.
//
// Load runs once before the first show. The activation steps run only on
// the program's own activations (first show, a dialog of ours closing, a
// restore from the tray), never when the operator merely switches back from
// another application.
#pragma once

#include "mainwindow/MainSession.h"
#include "mainwindow/ShutdownChoice.h"
#include "mainwindow/TabOrder.h"
#include "platform/qt/DBusNotifier.h"
#include "platform/qt/QtHttpServer.h"
#include "platform/qt/QtUdpSocket.h"

#include <QIcon>
#include <QPixmap>
#include <QWidget>

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSystemTrayIcon;
class QTimer;
class QToolButton;

namespace ravelin {

class SysPage;
class ClientsPage;
class FilterOptions;
class OutputBox;

class FrmMain : public QWidget, private SessionView {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Q3A - Ravelin";

    explicit FrmMain(MainServices services, QWidget* parent = nullptr);
    ~FrmMain() override;

    // The load steps; runs once, before the first show.
    void load();
    bool loaded() const { return m_loaded; }
    // The activation steps (also called by the tray's restore).
    void activate();
    int activations() const { return m_session.activations(); }
    // Timers off, Unloading set, then the yields. Runs once; closing the
    // window runs it too.
    void unload();

    void imgTab_Click(int index);

    // The window's own frame (MainChrome.cpp): mode buttons 0 and 1 switch
    // the console pump on and off, 2 opens the shutdown dialog; hiding goes
    // to the tray, or minimises where the desktop has none.
    void imgMode_Click(int index);
    void imgMin_Click();
    void imgQuit_Click() { imgMode_Click(2); }
    void picClear_Click() { m_session.cmdClear_Click(); }
    // The tray icon's restore: one of the program's own activations.
    void tryMain_Restore();
    void BumpTray() { m_session.BumpTray(); }
    QToolButton* imgMode(int index) const { return m_imgMode[static_cast<std::size_t>(index)]; }
    QSystemTrayIcon* tryMain() const { return m_tryMain; }
    // How often the title asked the window system to move the window.
    int systemMoveRequests() const { return m_systemMoveRequests; }
    SysPage* sysPage() const { return m_sysPage; }

    // Public operations for scripts and other windows.
    void ConsoleOut(const std::string& strData) { m_session.ConsoleOut(strData); }
    void DebugPrint(const std::string& strText) override;
    void InitScripts() { m_session.InitScripts(); }
    bool Unloading() const { return m_session.Unloading(); }
    const std::string& GameBasePath() const { return m_session.GameBasePath(); }
    MainSession& session() { return m_session; }

    QLabel* imgTab(int index) const { return m_imgTab[static_cast<std::size_t>(index)]; }
    QWidget* picBase(int index) const { return m_picBase[static_cast<std::size_t>(index)]; }
    const QPixmap& TabPicOn(int index) const { return m_tabPicOn[static_cast<std::size_t>(index)]; }
    const QPixmap& TabPicOff(int index) const { return m_tabPicOff[static_cast<std::size_t>(index)]; }
    const std::vector<std::string>& tabNames() const { return m_tabNames; }
    ConsolePump& pump() { return m_session.pump(); }
    ScriptHost& scriptHost() { return m_session.scriptHost(); }
    vbs::ScriptControl& scMain() { return m_session.scriptControl(); }
    // The display's text as bytes, CR LF line ends included.
    std::string displayText() const override { return m_displayText; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void appendDisplay(std::string_view text) override;
    void setDisplayText(std::string_view text) override;
    void clearScriptLists() override;
    void addConsoleProc(const std::string& procedure) override;
    void addScriptEntry(const std::string& entry) override;
    void showLastCall(const std::string& proc, const std::string& data) override;
    void setTimerEnabled(SessionTimer timer, bool enabled) override;
    bool timerEnabled(SessionTimer timer) const override;
    void setTimerInterval(SessionTimer timer, int intervalMs) override;
    void showConsoleState(bool present, const std::string& message) override;

    void buildChrome();
    void buildTray();
    void imgTitle_MouseDown(const QPoint& global);
    void imgTitle_MouseMove(const QPoint& global);
    void openShutdown();
    void leave(ShutdownWay way);
    void showTrayFrame(int frame);
    bool inFocusChain(QWidget* widget) const;
    void buildTabs();
    void buildPages();
    void buildConsolePage(QWidget* page);
    void buildFunctionPage(QWidget* page);
    void buildTimers();
    void queueActivation();

    // wsClient: made before the session, which queries through it.
    std::unique_ptr<QtUdpSocket> m_wsClient;
    // The statistics page's web server, made before the session too.
    std::unique_ptr<QtHttpServer> m_webServer;
    // The desktop's notifications, made before the session too.
    std::unique_ptr<DBusNotifier> m_notifier;
    MainSession m_session;
    bool m_loaded = false;
    bool m_shownOnce = false;
    bool m_activationQueued = false;
    std::string m_displayText;
    std::vector<std::string> m_tabNames;
    std::array<QLabel*, kTabCount> m_imgTab{};
    std::array<QWidget*, kTabCount> m_picBase{};
    std::array<QPixmap, kTabCount> m_tabPicOn;
    std::array<QPixmap, kTabCount> m_tabPicOff;

    // Indexed by SessionTimer.
    std::array<QTimer*, kSessionTimerCount> m_timers{};

    OutputBox* m_txtDisplay = nullptr;
    QLineEdit* m_txtOut = nullptr;
    QPushButton* m_cmdClear = nullptr;
    OutputBox* m_txtDebug = nullptr;
    QListWidget* m_lstScripts = nullptr;
    QListWidget* m_lstConsoleProc = nullptr;
    QLineEdit* m_txtLastProc = nullptr;
    QLineEdit* m_txtLastData = nullptr;
    QPushButton* m_cmdInitScripts = nullptr;
    QLabel* m_lblConsoleState = nullptr;

    SysPage* m_sysPage = nullptr;
    int m_currentTab = 0;

    QLabel* m_imgTitle = nullptr;
    QLabel* m_imgModeSel = nullptr;
    QToolButton* m_imgMin = nullptr;
    QToolButton* m_imgQuit = nullptr;
    QToolButton* m_picClear = nullptr;
    QToolButton* m_imgUsers = nullptr;
    std::array<QToolButton*, 3> m_imgMode{};
    QSystemTrayIcon* m_tryMain = nullptr;
    std::vector<QIcon> m_imlTray;
    int m_systemMoveRequests = 0;
    bool m_dragging = false;
    QPoint m_dragOffset;
    bool m_shutdownOpen = false;
    // Leaving through the shutdown dialog: the close that follows hands
    // nothing back.
    bool m_leaving = false;
    bool m_minimisedByUs = false;
    ClientsPage* m_clientsPage = nullptr;
    FilterOptions* m_filterOptions = nullptr;
};

} // namespace ravelin
