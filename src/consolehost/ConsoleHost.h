// One console host: starts the server, presents its console window (a Qt
// window, or headless), serves the console protocol on its endpoint, feeds
// entered lines to the server the way the engine reads them (whole lines
// joined, one write per read), and ends with the server. When its display
// goes away it replaces itself by a headless host over the same server and
// endpoint (HostHandover.h). Runs on a Qt event loop; the pieces it wires
// together are plain C++.
#pragma once

#include "consolehost/ConsoleModel.h"
#include "consolehost/RestartPolicy.h"
#include "platform/LineRing.h"

#include <memory>
#include <string>
#include <vector>

namespace ravelin::consolehost {

struct HostOptions {
    bool headless = false;
    bool keep = false;
    // Whether a server that ended is started again (RestartPolicy.h).
    RestartMode restart = RestartMode::OnCrash;
    std::vector<std::string> command;
    // A descriptor holding a handover (HostHandover.h) from the previous
    // self of this process; -1 for a fresh start.
    int adoptFd = -1;
    // The X display this host was to show its window on refused it: the
    // host runs headless, and `show` can bring the window up later.
    std::string refusedDisplay;
    // The bound of the numbered lines kept.
    std::size_t keepBytes = LineRing::kDefaultBytes;
};

class ConsoleHost {
public:
    explicit ConsoleHost(HostOptions options);
    ~ConsoleHost();
    ConsoleHost(const ConsoleHost&) = delete;
    ConsoleHost& operator=(const ConsoleHost&) = delete;

    // Sets everything up; false (with the reason on stderr) when the host
    // cannot run. The exit status is then `exitStatus()`.
    bool start();
    int exitStatus() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Whether a display is there to show a window on.
bool displayAvailable();
// The X display a windowed start would use, when it is one to try first
// (Qt's X11 platform, no Wayland): DISPLAY's value, else empty.
std::string displayToCheck();

} // namespace ravelin::consolehost
