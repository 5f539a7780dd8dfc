#include "mainwindow/Startup.h"

#include "console/ConsoleBridge.h"
#include "console/CvarProbe.h"
#include "mainwindow/DemoDriver.h"
#include "launcher/FrmSplash.h"
#include "mainwindow/FrmMain.h"
#include "platform/AppFolder.h"
#include "platform/ipc/IpcWindowManager.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtHostInfo.h"
#include "platform/qt/QtMessageLoop.h"
#include "platform/qt/QtSettingsStore.h"

#include <QApplication>
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

    const std::filesystem::path programFolder = AppFolder::executableFolder();
    const std::filesystem::path appFolder = AppFolder::resolve(programFolder);

    ipc::IpcWindowManager windows;
    QtMessageLoop loop;
    ConsoleBridge bridge(windows, loop);
    CvarProbe probe(bridge);
    QtSettingsStore settings;
    QtDialogs dialogs;
    QtHostInfo host;

    QPointer<FrmMain> mainWindow;
    bool mainShown = false;
    auto showMainWindow = [&] {
        // A main window that was unloaded is gone; showing it again loads a
        // fresh one, as the first time.
        if (!mainWindow) {
            mainWindow = new FrmMain(MainServices{bridge, probe, settings, dialogs, appFolder, &host});
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

    auto* splash = new FrmSplash(SplashServices{bridge, probe, settings, dialogs, host, programFolder.string(),
                                                showMainWindow, endProgram});
    splash->setAttribute(Qt::WA_DeleteOnClose);
    CloseWatcher watcher;
    splash->installEventFilter(&watcher);
    splash->load();
    // Connecting to the default server during the load closes the start
    // window before it was shown; there is nothing left to show then.
    if (!watcher.closed && !mainShown)
        splash->show();
    splash->removeEventFilter(&watcher);
    // The demo's screenshot mode and the end-to-end runs drive the windows
    // from here when their options are given.
    startDemoDriver(QCoreApplication::arguments(), bridge, probe);
    return app.exec();
}

} // namespace ravelin
