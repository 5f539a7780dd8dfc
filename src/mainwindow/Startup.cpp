#include "mainwindow/Startup.h"

#include "console/ConsoleBridge.h"
#include "console/CvarProbe.h"
#include "mainwindow/DemoDriver.h"
#include "launcher/FrmSplash.h"
#include "launcher/FrmVersion.h"
#include "mainwindow/FrmMain.h"
#include "platform/AppFolder.h"
#include "platform/ipc/IpcWindowManager.h"
#include "platform/linux/ProcMemoryInfo.h"
#include "platform/qt/CurlDownload.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtHostInfo.h"
#include "platform/qt/QtMessageLoop.h"
#include "platform/qt/QtSettingsStore.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPointer>

#include <cstdio>
#include <cstdlib>

namespace ravelin {

namespace {

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

} // namespace

int m_Startup(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Ravelin");
    QApplication::setQuitOnLastWindowClosed(true);

    // --- Command line -------------------------------------------------
    QApplication::setApplicationVersion(RAVELIN_VERSION_TEXT);
    QCommandLineParser parser;
    parser.setApplicationDescription("Operator console for Quake III Arena-engine dedicated servers.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption noVersionCheck("no-version-check", "Do not check for a newer version at start.");
    const QCommandLineOption consoleOption(
        "console", "Connect to the server console hosted by this ravelin-console process (as gatehop does).",
        "pid");
    parser.addOptions({noVersionCheck, consoleOption});
    // The demo driver's options (see launcher/DemoDriver.h).
    parser.addOptions({{"connect", "Demo: connect to the server with this host name.", "name"},
                       {"screenshots", "Demo: write screenshots of the windows into this folder.", "folder"},
                       {"report-start", "Demo: print how the start window ended and quit."},
                       {"driver-timeout", "Demo: give up after this many seconds.", "seconds"}});
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

    ipc::IpcWindowManager windows;
    QtMessageLoop loop;
    ConsoleBridge bridge(windows, loop);
    CvarProbe probe(bridge);
    QtSettingsStore settings;
    QtDialogs dialogs;
    QtHostInfo host;
    ProcMemoryInfo memory;

    QPointer<FrmMain> mainWindow;
    bool mainShown = false;
    auto showMainWindow = [&] {
        // A main window that was unloaded is gone; showing it again loads a
        // fresh one, as the first time.
        if (!mainWindow) {
            mainWindow = new FrmMain(MainServices{bridge, probe, settings, dialogs, appFolder, &host, &memory});
            mainWindow->setAttribute(Qt::WA_DeleteOnClose);
            mainWindow->load();
        }
        mainWindow->show();
        mainWindow->raise();
        mainShown = true;
    };
    auto endProgram = [] {
        // Ends at once: no window event may run after this.
        std::fflush(nullptr);
        std::_Exit(0);
    };

    // --- Start step 1: the version check, shown without waiting for it ---
    // Its transfer starts once the start window has loaded: a check that
    // ends early (no network) would otherwise put its message box inside the
    // list build's waits and hold the start window until it is answered.
    QPointer<FrmVersion> frmVersion;
    if (!parser.isSet(noVersionCheck) && !demoRun) {
        frmVersion = new FrmVersion(settings, dialogs, std::make_unique<CurlDownload>());
        frmVersion->setAttribute(Qt::WA_DeleteOnClose);
        frmVersion->show();
    }
    // --- End of start step 1 -------------------------------------------

    auto* splash = new FrmSplash(SplashServices{bridge, probe, settings, dialogs, host, programFolder.string(),
                                                showMainWindow, endProgram, appFolder.string()});
    // A console named on the command line is connected to instead of the
    // stored default server.
    if (parser.isSet(consoleOption))
        splash->setReloading(true);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    CloseWatcher watcher;
    splash->installEventFilter(&watcher);
    splash->load();
    // Connecting to the default server during the load closes the start
    // window before it was shown; there is nothing left to show then.
    if (!watcher.closed && !mainShown)
        splash->show();
    splash->removeEventFilter(&watcher);
    if (parser.isSet(consoleOption) && !watcher.closed && !mainShown)
        splash->connectToConsole(consoleHost);
    if (frmVersion)
        frmVersion->load();
    // The demo's screenshot mode and the end-to-end runs drive the windows
    // from here when their options are given.
    startDemoDriver(QCoreApplication::arguments(), bridge, probe);
    return app.exec();
}

} // namespace ravelin
