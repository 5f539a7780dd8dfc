// What a benchmark needs to drive a real console host from this process on
// Qt's event loop: the IPC window manager, the bridge and probe over it,
// in-memory settings and scripted dialogs; and a way to run the event loop
// for a while or until something holds. Header-only, shared by the bench
// programs that build a main window.
#pragma once

#include "console/ConsoleBridge.h"
#include "console/CvarProbe.h"
#include "platform/ipc/IpcWindowManager.h"
#include "platform/qt/QtMessageLoop.h"
#include "platform/sim/SimServices.h"

#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace ravelin::bench {

// Runs the event loop for `ms` milliseconds, or until `done` holds (checked
// every `pollMs`: each check is a wake-up of the bench's own, charged to
// what it measures), sleeping while there is nothing to do. True when
// `done` held.
inline bool runFor(int ms, const std::function<bool()>& done = {}, int pollMs = 20)
{
    if (done && done())
        return true;
    QEventLoop events;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &events, &QEventLoop::quit);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done && done())
            events.quit();
    });
    deadline.start(ms);
    poll.start(pollMs);
    events.exec();
    return done && done();
}

struct HostedDesktop {
    ipc::IpcWindowManager windows;
    QtMessageLoop loop;
    ConsoleBridge bridge{windows, loop};
    CvarProbe probe{bridge};
    sim::MemorySettings settings;
    sim::ScriptedDialogs dialogs;

    // The first console host to appear, or 0 after `ms`.
    WindowHandle waitForConsole(int ms = 10000)
    {
        WindowHandle console = 0;
        runFor(ms, [&] { return (console = windows.findNextWindow(0, "Quake 3 Console")) > 0; });
        return console;
    }
};

} // namespace ravelin::bench
