// What the session core asks of the main window: the console display, the
// script lists and debug box, the last call's two boxes, and its timers.
// The window implements it with widgets and QTimers; tests implement it with
// plain members, so a whole session runs without a display.
#pragma once

#include "console/ConsolePump.h"
#include "scripting/ScriptHost.h"

#include <string>

namespace ravelin {

// The main window's timers, in the order the unload disables them. tmrAAI
// is the rotation's tick (the timed command list).
enum class SessionTimer { tmrAAI, tmrBanned, tmrClearOut, tmrClient, tmrConsole, tmrReport, tmrSystem };
inline constexpr int kSessionTimerCount = 7;

// Design-time interval of each timer, in milliseconds.
constexpr int timerInterval(SessionTimer timer)
{
    switch (timer) {
    case SessionTimer::tmrAAI: return 1000;
    case SessionTimer::tmrBanned: return 10000;
    case SessionTimer::tmrClearOut: return 1000;
    case SessionTimer::tmrClient: return 1000;
    case SessionTimer::tmrConsole: return 100;
    case SessionTimer::tmrReport: return 60000;
    case SessionTimer::tmrSystem: return 500;
    }
    return 1000;
}

class SessionView : public ConsoleDisplay, public ScriptHostView {
public:
    // txtLastProc and txtLastData.
    virtual void showLastCall(const std::string& proc, const std::string& data) = 0;
    virtual void setTimerEnabled(SessionTimer timer, bool enabled) = 0;
    virtual bool timerEnabled(SessionTimer timer) const = 0;
    // A running timer starts counting its new interval afresh.
    virtual void setTimerInterval(SessionTimer timer, int intervalMs) = 0;
    // Whether the console in use still answers; the window shows it.
    virtual void showConsoleState(bool present, const std::string& message) = 0;
};

} // namespace ravelin
