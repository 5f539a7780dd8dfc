#include "mainwindow/Startup.h"

#include "console/ConsoleBridge.h"
#include "console/CvarProbe.h"
#include "mainwindow/DemoDriver.h"
#include "launcher/FrmSplash.h"
#include "launcher/FrmVersion.h"
#include "platform/qt/Accessible.h"
#include "launcher/VersionCheck.h"
#include "mainwindow/FrmMain.h"
#include "platform/AppFolder.h"
#include "platform/DisplayEnvironment.h"
#include "platform/ipc/IpcWindowManager.h"
#include "platform/ipc/MachineWindowManager.h"
#include "launcher/Machines.h"
#include "platform/linux/ProcessArguments.h"
#include "platform/linux/ProcMemoryInfo.h"
#include "platform/qt/CurlDownload.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtHostInfo.h"
#include "platform/qt/QtMessageLoop.h"
#include "platform/qt/QtSettingsStore.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <functional>

namespace ravelin {

namespace {

// Termination signals arrive through a pipe, so the work they start runs on
// the user-interface thread like any other event.
int g_signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

// SIGTERM (logout, kill, a service manager), SIGINT and SIGHUP end the
// program the way closing its window does: the consoles it hid are shown
// again first, so no server is left without a window. A second signal
// meanwhile ends it at once.
void onTermination(QObject* owner, std::function<void()> giveBackAndEnd)
{
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [notifier, giveBackAndEnd] {
        notifier->setEnabled(false);
        for (int signal : {SIGTERM, SIGINT, SIGHUP})
            ::signal(signal, SIG_DFL);
        giveBackAndEnd();
    });
}

bool wantsOnlyText(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"--help", "-h", "-?", "--help-all", "--version", "-v"})
            if (std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}

// Notes that a window received its close event (the start window may close
// itself inside its own load, before it was ever shown).
class CloseWatcher final : public QObject {
public:
    bool closed = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close)
            closed = true;
        return QObject::eventFilter(watched, event);
    }
};

// Deletes a main window closed for good, but only once no handler is
// suspended in a yield or under a modal dialog: one of the window's own may
// be (a pump pass waiting on the console when the shutdown dialog closed
// the window), and it must resume to find the window unloaded, not gone.
class DisposeOnClose final : public QObject {
public:
    explicit DisposeOnClose(QWidget* window) : QObject(window), m_window(window)
    {
        m_poll.setInterval(50);
        connect(&m_poll, &QTimer::timeout, this, [this] {
            if (QtMessageLoop::depth() > 0 || QApplication::activeModalWidget())
                return;
            m_poll.stop();
            m_window->deleteLater();
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Close)
            QTimer::singleShot(0, this, [this] {
                if (!m_window->isVisible())
                    m_poll.start();
            });
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* m_window;
    QTimer m_poll;
};

} // namespace

int m_Startup(int argc, char** argv)
{
    // --- Command line -------------------------------------------------
    QCommandLineParser parser;
    parser.setApplicationDescription("Operator console for Quake III Arena-engine dedicated servers.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption noVersionCheck("no-version-check", "Do not check for a newer version at start.");
    const QCommandLineOption consoleOption(
        "console", "Connect to the server console hosted by this ravelin-console process (as gatehop does).", "pid");
    const QCommandLineOption addMachineOption(
        "add-machine", "Add a machine reached over ssh (user@host, user@host:port or a host alias) to the list.",
        "machine");
    parser.addOptions({noVersionCheck, consoleOption, addMachineOption});
    // The demo driver's options (see launcher/DemoDriver.h).
    parser.addOptions({{"connect", "Demo: connect to the server with this host name.", "name"},
                       {"screenshots", "Demo: write screenshots of the windows into this folder.", "folder"},
                       {"report-start", "Demo: print how the start window ended and quit."},
                       {"driver-timeout", "Demo: give up after this many seconds.", "seconds"}});
    if (wantsOnlyText(argc, argv)) {
        // --help and --version answer on a terminal without a display.
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName("Ravelin");
        QCoreApplication::setApplicationVersion(RAVELIN_VERSION_TEXT);
        parser.process(app);
        return 0;
    }
    // A machine named on the command line is checked and stored before
    // anything else, so it is there whatever happens next.
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--add-machine") != 0)
            continue;
        std::string error;
        auto machine = parseMachine(argv[i + 1], error);
        if (!machine) {
            std::fprintf(stderr, "ravelin: %s\n", error.c_str());
            return 2;
        }
        QCoreApplication::setApplicationName("Ravelin");
        QtSettingsStore store;
        storeMachine(store, *machine);
        std::fprintf(stderr, "ravelin: machine %s added\n", machine->name().c_str());
        if (!displayNamedInEnvironment())
            return 0;
    }
    if (!displayNamedInEnvironment()) {
        std::fprintf(stderr,
                     "ravelin: no display to show its windows on (DISPLAY and WAYLAND_DISPLAY are not set); "
                     "start it on the desktop\n");
        return 1;
    }

    QApplication app(argc, argv);
    accessible::installClickingToggles();
    QApplication::setApplicationName("Ravelin");
    QApplication::setApplicationVersion(RAVELIN_VERSION_TEXT);
    // The window flow below decides when the program ends.
    QApplication::setQuitOnLastWindowClosed(false);
    parser.process(app);
    bool consoleOk = false;
    const long consoleHost = parser.value(consoleOption).toLong(&consoleOk);
    if (parser.isSet(consoleOption) && (!consoleOk || consoleHost <= 0)) {
        std::fprintf(stderr, "ravelin: --console needs the pid of a ravelin-console process\n");
        return 2;
    }
    // The scripted demo runs must not depend on the network.
    const bool demoRun = parser.isSet("connect") || parser.isSet("report-start") || parser.isSet("screenshots");
    // --- End of command line ------------------------------------------

    const std::filesystem::path programFolder = AppFolder::executableFolder();
    const std::filesystem::path appFolder = AppFolder::resolve(programFolder);

    ipc::IpcWindowManager localWindows;
    // This machine's consoles, then those of every machine reached over ssh.
    ipc::MachineWindowManager windows(localWindows);
    QtMessageLoop loop;
    ConsoleBridge bridge(windows, loop);
    CvarProbe probe(bridge);
    QtSettingsStore settings;
    MachineSet machines(settings, windows);
    machines.connectAll();
    // The links are read between events: answers that come by themselves
    // (status replies) and restarts after a link dropped.
    QTimer linkPoll;
    QObject::connect(&linkPoll, &QTimer::timeout, [&windows] { windows.pollMachines(); });
    linkPoll.start(20);
    QtDialogs dialogs;
    QtHostInfo host;
    ProcMemoryInfo memory;

    // ---- Window flow: the start window, the main window, and back again ----
    // The program ends when its last window is gone for good (a main window
    // hidden to the tray is not gone) or at once through endProgram; a start
    // window on its way counts as open.
    QPointer<FrmMain> mainWindow;
    QPointer<FrmSplash> startWindow;
    bool mainShown = false;
    bool startWindowDue = false;
    auto endIfNoWindowLeft = [&] {
        if (!mainWindow && !startWindow && !startWindowDue)
            QCoreApplication::quit();
    };
    auto endProgram = [] {
        // Ends at once: no window event may run after this.
        std::fflush(nullptr);
        std::_Exit(0);
    };
    std::function<void(bool)> openStartWindow;
    // The main window asking is going away (it closes itself); a later
    // connect loads a fresh one. The start window opens once it has gone.
    auto reopenStartWindow = [&] {
        mainWindow = nullptr;
        startWindowDue = true;
        QTimer::singleShot(0, [&] {
            startWindowDue = false;
            openStartWindow(true);
        });
    };
    auto showMainWindow = [&] {
        // A main window that was unloaded is gone; showing it again loads a
        // fresh one, as the first time.
        if (!mainWindow) {
            MainServices services{bridge, probe, settings, dialogs, appFolder, &host, &memory};
            services.reopenStartWindow = reopenStartWindow;
            services.endProgram = endProgram;
            services.serverArguments = [&] {
                return processArguments(localWindows.serverPid(bridge.FindConsoleWindow()));
            };
            mainWindow = new FrmMain(std::move(services));
            QObject::connect(mainWindow, &QObject::destroyed, endIfNoWindowLeft);
            mainWindow->installEventFilter(new DisposeOnClose(mainWindow));
            mainWindow->load();
        }
        mainWindow->show();
        mainWindow->raise();
        mainShown = true;
    };
    // A fresh start window each time: at start-up, and with Reloading set
    // (no automatic connect) when the shutdown dialog returns to it.
    openStartWindow = [&](bool reloading) {
        auto* splash = new FrmSplash(SplashServices{bridge, probe, settings, dialogs, host, programFolder.string(),
                                                    showMainWindow, endProgram, appFolder.string(), &machines});
        startWindow = splash;
        splash->setAttribute(Qt::WA_DeleteOnClose);
        splash->setReloading(reloading);
        QObject::connect(splash, &QObject::destroyed, endIfNoWindowLeft);
        mainShown = false;
        CloseWatcher watcher;
        splash->installEventFilter(&watcher);
        splash->load();
        // Connecting to the default server during the load closes the start
        // window before it was shown; there is nothing left to show then.
        if (!watcher.closed && !mainShown)
            splash->show();
        splash->removeEventFilter(&watcher);
    };

    // --- Start step 1: the version check, shown without waiting for it ---
    // Its transfer starts once the start window has loaded: a check that
    // ends early (no network) would otherwise put its message box inside the
    // list build's waits and hold the start window until it is answered.
    QPointer<FrmVersion> frmVersion;
    if (!parser.isSet(noVersionCheck) && !demoRun && !VersionCheck::configuredLocation(settings).empty()) {
        frmVersion = new FrmVersion(settings, dialogs, std::make_unique<CurlDownload>());
        frmVersion->setAttribute(Qt::WA_DeleteOnClose);
        frmVersion->show();
    }
    // --- End of start step 1 -------------------------------------------

    onTermination(&app, [&] {
        if (mainWindow)
            mainWindow->session().handBackConsole();
        if (startWindow)
            startWindow->giveConsolesBack();
        endProgram();
    });

    // A console named on the command line is connected to instead of the
    // stored default server.
    openStartWindow(parser.isSet(consoleOption));
    if (parser.isSet(consoleOption) && startWindow && startWindow->isVisible() && !mainShown)
        startWindow->connectToConsole(consoleHost);
    if (frmVersion)
        frmVersion->load();
    // ---- end of the window flow ----
    // The demo's screenshot mode and the end-to-end runs drive the windows
    // from here when their options are given.
    startDemoDriver(QCoreApplication::arguments(), bridge, probe, appFolder);
    return app.exec();
}

} // namespace ravelin
