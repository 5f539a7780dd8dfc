#include "mainwindow/FrmMain.h"

#include "console/ConsoleText.h"
#include "mainwindow/ChromeArtwork.h"
#include "platform/qt/OutputBox.h"
#include "mainwindow/TabPictures.h"
#include "mainwindow/ClientsPage.h"
#include "mainwindow/FilterOptions.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QSystemTrayIcon>
#include <QTimer>

namespace ravelin {

namespace {

// The display shows line breaks as Qt does; the CR of each CR LF is dropped
// on the way in (the byte text itself keeps it).
QString forDisplay(std::string_view text) { return latin1(printableConsoleText(text)); }

// The window's own status-query socket and web server unless the caller
// brought its own.
MainServices withStatusSocket(MainServices services, UdpSocket* socket, HttpServer* http, Notifier* notifier)
{
    if (!services.udp)
        services.udp = socket;
    if (!services.http)
        services.http = http;
    if (!services.notifier)
        services.notifier = notifier;
    return services;
}

} // namespace

FrmMain::FrmMain(MainServices services, QWidget* parent)
    : QWidget(parent), m_wsClient(std::make_unique<QtUdpSocket>()), m_webServer(std::make_unique<QtHttpServer>()),
      m_notifier(std::make_unique<DBusNotifier>()),
      m_session(withStatusSocket(std::move(services), m_wsClient.get(), m_webServer.get(), m_notifier.get()), *this)
{
    setObjectName("frmMain");
    setFixedSize(740, 520 + chrome::kTitleHeight);

    buildChrome();
    buildTabs();
    buildPages();
    buildTimers();

    // Our own dialogs closing count as activations of this window.
    qApp->installEventFilter(this);
}

FrmMain::~FrmMain()
{
    qApp->removeEventFilter(this);
    // The pages go with the widgets, after the session they report to.
    m_session.clients().setRosterView(nullptr);
    m_session.clients().setFilterView(nullptr);
}

// Design-time intervals; which timers run is the session's call.
void FrmMain::buildTimers()
{
    static constexpr const char* names[kSessionTimerCount] = {"tmrAAI",     "tmrBanned", "tmrClearOut", "tmrClient",
                                                              "tmrConsole", "tmrReport", "tmrSystem"};
    using Tick = void (MainSession::*)();
    static constexpr Tick ticks[kSessionTimerCount] = {&MainSession::tmrAAI_Timer,      &MainSession::tmrBanned_Timer,
                                                       &MainSession::tmrClearOut_Timer, &MainSession::tmrClient_Timer,
                                                       &MainSession::tmrConsole_Timer,  &MainSession::tmrReport_Timer,
                                                       &MainSession::tmrSystem_Timer};
    for (int i = 0; i < kSessionTimerCount; ++i) {
        auto* timer = new QTimer(this);
        timer->setObjectName(names[i]);
        timer->setInterval(timerInterval(static_cast<SessionTimer>(i)));
        // The rotation's waits are the operator's; a coarse timer would
        // stretch each of them by up to 5 %.
        if (static_cast<SessionTimer>(i) == SessionTimer::tmrAAI)
            timer->setTimerType(Qt::PreciseTimer);
        const Tick tick = ticks[i];
        connect(timer, &QTimer::timeout, this, [this, tick] { (m_session.*tick)(); });
        m_timers[static_cast<std::size_t>(i)] = timer;
    }
}

void FrmMain::setTimerEnabled(SessionTimer timer, bool enabled)
{
    QTimer* t = m_timers[static_cast<std::size_t>(timer)];
    if (enabled && !t->isActive())
        t->start();
    else if (!enabled)
        t->stop();
}

bool FrmMain::timerEnabled(SessionTimer timer) const { return m_timers[static_cast<std::size_t>(timer)]->isActive(); }

// QTimer restarts a running timer on a new interval, as the rotation needs.
void FrmMain::setTimerInterval(SessionTimer timer, int intervalMs)
{
    m_timers[static_cast<std::size_t>(timer)]->setInterval(intervalMs);
}

void FrmMain::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    m_session.load();
    m_tabNames.assign(kTabNames.begin(), kTabNames.end());
    for (int i = 0; i < kTabCount; ++i) {
        m_tabPicOn[static_cast<std::size_t>(i)] = loadTabPicture(m_session.services().appFolder, i, true);
        m_tabPicOff[static_cast<std::size_t>(i)] = loadTabPicture(m_session.services().appFolder, i, false);
    }
    imgTab_Click(0);
}

void FrmMain::activate() { m_session.activate(); }

void FrmMain::queueActivation()
{
    if (m_activationQueued)
        return;
    m_activationQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_activationQueued = false;
        if (isVisible() && !isMinimized())
            activate();
    });
}

void FrmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        queueActivation();
    }
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Hide && watched != this && watched->isWidgetType() && QtDialogs::isOurs(watched)
        && static_cast<QWidget*>(watched)->isWindow() && m_shownOnce && !m_session.Unloading())
        queueActivation();
    return QWidget::eventFilter(watched, event);
}

void FrmMain::unload() { m_session.unload(); }

// Closed for good by the window manager: the console hidden when this
// window connected comes back, so no server is left without a window. The
// shutdown dialog's ways close it too, having dealt with the console.
void FrmMain::closeEvent(QCloseEvent* event)
{
    if (!m_leaving)
        m_session.handBackConsole();
    unload();
    if (m_tryMain)
        m_tryMain->hide();
    event->accept();
}

void FrmMain::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Only the bare background gets here: tabs and pages keep their clicks.
    m_session.showConsoleAgain();
    event->accept();
}

void FrmMain::imgTab_Click(int index)
{
    if (index < 0 || index >= kTabCount)
        return;
    auto at = [](int i) { return static_cast<std::size_t>(i); };
    for (int i = 0; i < kTabCount; ++i)
        if (i != index && m_imgTab[at(i)]->pixmap().cacheKey() != m_tabPicOff[at(i)].cacheKey())
            m_imgTab[at(i)]->setPixmap(m_tabPicOff[at(i)]);
    for (int i : tabRaiseSequence(index))
        m_imgTab[at(i)]->raise();
    if (m_imgTab[at(index)]->pixmap().cacheKey() != m_tabPicOn[at(index)].cacheKey())
        m_imgTab[at(index)]->setPixmap(m_tabPicOn[at(index)]);
    m_picBase[at(index)]->raise();
    m_currentTab = index;
    if (index == kCvarsTab)
        m_session.cvarsTab_Click(); // on every click, also of the selected tab
    else if (index == kEditorTab)
        m_session.editorTab_Click();
}

void FrmMain::DebugPrint(const std::string& strText) { m_txtDebug->appendText(latin1(strText) + '\n'); }

void FrmMain::appendDisplay(std::string_view text)
{
    m_displayText += text;
    m_txtDisplay->appendText(forDisplay(text));
    m_session.BumpTray();
}

void FrmMain::setDisplayText(std::string_view text)
{
    m_displayText = std::string(text);
    m_txtDisplay->replaceText(forDisplay(text));
    m_session.BumpTray();
}

void FrmMain::clearScriptLists()
{
    m_lstConsoleProc->clear();
    m_lstScripts->clear();
}

void FrmMain::addConsoleProc(const std::string& procedure) { m_lstConsoleProc->addItem(latin1(procedure)); }

void FrmMain::addScriptEntry(const std::string& entry) { m_lstScripts->addItem(latin1(entry)); }

void FrmMain::showLastCall(const std::string& proc, const std::string& data)
{
    m_txtLastProc->setText(latin1(proc));
    m_txtLastData->setText(latin1(data));
}

void FrmMain::showConsoleState(bool present, const std::string& message)
{
    m_lblConsoleState->setText(present ? QString() : latin1(message));
    m_lblConsoleState->setVisible(!present);
    // What the pages hold is from before the console went: greyed and
    // said so, not passed off as current.
    for (const char* name : {"lstClients", "lvCVars"}) {
        if (auto* list = findChild<QWidget*>(QLatin1String(name))) {
            list->setEnabled(present);
            list->setToolTip(present ? QString()
                                     : QStringLiteral("From before the server console went: ") + latin1(message));
        }
    }
}

} // namespace ravelin
