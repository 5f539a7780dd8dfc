#include "mainwindow/FrmMain.h"

#include "mainwindow/TabPictures.h"
#include "platform/qt/QtDialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTimer>

namespace ravelin {

namespace {

QString latin1(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

// The display shows line breaks as Qt does; the CR of each CR LF is dropped
// on the way in (the byte text itself keeps it).
QString forDisplay(std::string_view text)
{
    QString shown = latin1(text);
    shown.remove(QChar('\r'));
    return shown;
}

} // namespace

FrmMain::FrmMain(MainServices services, QWidget* parent)
    : QWidget(parent)
    , m_services(std::move(services))
    , m_pump(m_services.bridge, *this, m_unloading)
    , m_scriptHost(m_scMain, *this, *this, m_services.appFolder)
{
    setObjectName("frmMain");
    setWindowTitle(kAppTitle);
    setFixedSize(740, 520);

    buildTabs();
    buildPages();

    // Design-time timer settings: interval, and whether the timer starts
    // with the window (see load()).
    m_tmrConsole = makeTimer("tmrConsole", 100);
    m_tmrClearOut = makeTimer("tmrClearOut", 1000);
    m_tmrClient = makeTimer("tmrClient", 1000);
    m_tmrBanned = makeTimer("tmrBanned", 10000);
    m_tmrAAI = makeTimer("tmrAAI", 1000);
    m_tmrReport = makeTimer("tmrReport", 60000);
    m_tmrSystem = makeTimer("tmrSystem", 500);
    connect(m_tmrConsole, &QTimer::timeout, this, &FrmMain::tmrConsole_Timer);
    connect(m_tmrClearOut, &QTimer::timeout, this, &FrmMain::tmrClearOut_Timer);
    connect(m_tmrClient, &QTimer::timeout, this, &FrmMain::tmrClient_Timer);
    connect(m_tmrBanned, &QTimer::timeout, this, &FrmMain::tmrBanned_Timer);
    connect(m_tmrAAI, &QTimer::timeout, this, &FrmMain::tmrAAI_Timer);
    connect(m_tmrReport, &QTimer::timeout, this, &FrmMain::tmrReport_Timer);
    connect(m_tmrSystem, &QTimer::timeout, this, &FrmMain::tmrSystem_Timer);

    ConsolePumpHooks& hooks = m_pump.hooks();
    hooks.parseStatusBlock = [this](const std::string& block) { ParseStatusBlock(block); };
    hooks.hasConsoleProc = [this](const std::string& proc) {
        const QString wanted = latin1(proc);
        for (int i = 0; i < m_lstConsoleProc->count(); ++i)
            if (m_lstConsoleProc->item(i)->text() == wanted)
                return true;
        return false;
    };
    hooks.showLastCall = [this](const std::string& proc, const std::string& data) {
        m_txtLastProc->setText(latin1(proc));
        m_txtLastData->setText(latin1(data));
    };
    hooks.runConsoleProc = [this](const std::string& proc, const std::string& data) {
        return m_scriptHost.runConsoleProc(proc, data);
    };
    hooks.debugPrint = [this](const std::string& text) { DebugPrint(text); };

    connectScriptDialogs();

    // Our own dialogs closing count as activations of this window.
    qApp->installEventFilter(this);
}

// MsgBox and InputBox in scripts open the program's own dialogs. Only OK and
// Yes/No boxes exist here; a script asking for other buttons gets OK.
void FrmMain::connectScriptDialogs()
{
    vbs::HostCallbacks& callbacks = m_scMain.callbacks();
    callbacks.msgBox = [this](const std::string& prompt, int buttons, const std::string& title) {
        const int set = buttons & 7;
        const bool yesNo = set == 3 || set == 4;
        Dialogs::Icon icon = Dialogs::Icon::None;
        switch (buttons & 0x70) {
        case 16: icon = Dialogs::Icon::Critical; break;
        case 32: icon = Dialogs::Icon::Question; break;
        case 48: icon = Dialogs::Icon::Exclamation; break;
        case 64: icon = Dialogs::Icon::Information; break;
        default: break;
        }
        auto answer = m_services.dialogs.messageBox(prompt, yesNo ? Dialogs::Buttons::YesNo : Dialogs::Buttons::Ok,
                                                    icon, title.empty() ? std::string(kAppTitle) : title);
        constexpr int vbOK = 1, vbYes = 6, vbNo = 7;
        return answer == Dialogs::Answer::Yes ? vbYes : answer == Dialogs::Answer::No ? vbNo : vbOK;
    };
    callbacks.inputBox = [this](const std::string& prompt, const std::string& title, const std::string& def) {
        auto reply = m_services.dialogs.prompt(prompt, title.empty() ? std::string(kAppTitle) : title, def);
        // A cancelled InputBox gives an empty string in VBScript.
        return vbs::Variant::string(reply.value_or(std::string()));
    };
}

FrmMain::~FrmMain() { qApp->removeEventFilter(this); }

QTimer* FrmMain::makeTimer(const char* name, int interval)
{
    auto* timer = new QTimer(this);
    timer->setObjectName(name);
    timer->setInterval(interval);
    return timer;
}

void FrmMain::load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    // Timers enabled at design time run from the moment the window exists.
    m_tmrClearOut->start();
    m_tmrBanned->start();
    m_tmrReport->start();
    m_tmrSystem->start();

    // Preset folder and RefreshPresets: added with the presets.
    m_gameBasePath = m_services.probe.GetCvarValue(m_services.bridge.FindConsoleWindow(), "FS_BASEPATH");
    // Command-line popups' left edge, CHAT_FILTER_MODE = -1 and HistoryPos:
    // added with the command line and the language filter.
    m_tabNames.assign(kTabNames.begin(), kTabNames.end());
    // RefreshVSBMain, RefreshVSBFunc, the panels' expanded heights and the
    // section toggles' pictures: added with the collapsible sections.
    for (int i = 0; i < kTabCount; ++i) {
        m_tabPicOn[static_cast<std::size_t>(i)] = loadTabPicture(m_services.appFolder, i, true);
        m_tabPicOff[static_cast<std::size_t>(i)] = loadTabPicture(m_services.appFolder, i, false);
    }
    imgTab_Click(0);
    // The empty memory chart: added with the system monitor.
}

void FrmMain::activate()
{
    if (m_unloading)
        return;
    ++m_activations;
    InitScripts();
    if (!m_tmrConsole->isActive())
        m_tmrConsole->start();
    // UpdateServerPort and the DosKey/Intellisense write-back: added with the
    // status query and the command line.
}

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
        && static_cast<QWidget*>(watched)->isWindow() && m_shownOnce && !m_unloading)
        queueActivation();
    return QWidget::eventFilter(watched, event);
}

void FrmMain::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_tmrAAI->stop();
    m_tmrBanned->stop();
    m_tmrClearOut->stop();
    m_tmrClient->stop();
    m_tmrConsole->stop();
    m_tmrReport->stop();
    m_tmrSystem->stop();
    m_unloading = true;
    for (int i = 0; i < kUnloadYields; ++i)
        m_services.bridge.loop().yield();
}

void FrmMain::closeEvent(QCloseEvent* event)
{
    unload();
    event->accept();
}

void FrmMain::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Only the bare background gets here: tabs and pages keep their clicks.
    m_services.bridge.ShowConsole(true);
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
    if (index == kCvarsTab) {
        // The cvar dump: added with the cvar table (runs on every click).
    }
}

void FrmMain::ConsoleOut(const std::string& strData) { m_services.bridge.SendConsoleCommand(strData); }

void FrmMain::DebugPrint(const std::string& strText)
{
    m_txtDebug->moveCursor(QTextCursor::End);
    m_txtDebug->insertPlainText(latin1(strText) + '\n');
}

void FrmMain::appendDisplay(std::string_view text)
{
    m_displayText += text;
    m_txtDisplay->moveCursor(QTextCursor::End);
    m_txtDisplay->insertPlainText(forDisplay(text));
    m_txtDisplay->ensureCursorVisible();
    // BumpTray: added with the tray icon.
}

void FrmMain::setDisplayText(std::string_view text)
{
    m_displayText = std::string(text);
    m_txtDisplay->setPlainText(forDisplay(text));
    m_txtDisplay->moveCursor(QTextCursor::End);
    m_txtDisplay->ensureCursorVisible();
}

void FrmMain::tmrConsole_Timer()
{
    if (m_unloading)
        return;
    m_pump.runPass();
}

void FrmMain::tmrClearOut_Timer() { m_pump.trimDisplay(); }

// Timers whose work arrives with later parts of the program; each already
// honours the closing flag first.
void FrmMain::tmrClient_Timer()
{
    if (m_unloading)
        return;
}

void FrmMain::tmrBanned_Timer()
{
    if (m_unloading)
        return;
}

void FrmMain::tmrAAI_Timer()
{
    if (m_unloading)
        return;
}

void FrmMain::tmrReport_Timer()
{
    if (m_unloading)
        return;
}

void FrmMain::tmrSystem_Timer()
{
    if (m_unloading)
        return;
}

void FrmMain::ParseStatusBlock(const std::string&)
{
    // Filled in with the client roster, which reads slot numbers from it.
}

void FrmMain::cmdClear_Click() { m_pump.clear(); }

void FrmMain::cmdInitScripts_Click() { InitScripts(); }

void FrmMain::InitScripts() { m_scriptHost.InitScripts(); }

std::string FrmMain::sGetComputerName() { return m_services.host ? m_services.host->computerName() : std::string(); }

void FrmMain::clearScriptLists()
{
    m_lstConsoleProc->clear();
    m_lstScripts->clear();
}

void FrmMain::addConsoleProc(const std::string& procedure) { m_lstConsoleProc->addItem(latin1(procedure)); }

void FrmMain::addScriptEntry(const std::string& entry) { m_lstScripts->addItem(latin1(entry)); }

void FrmMain::txtOut_Enter()
{
    std::string line = m_txtOut->text().toLatin1().toStdString();
    m_txtOut->clear();
    m_services.bridge.SendConsoleCommand(line);
}

} // namespace ravelin
