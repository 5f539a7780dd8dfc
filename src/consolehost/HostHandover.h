// What a console host hands over to its next self when it replaces itself
// (exec) to change between windowed and headless: the running server (its
// pid and pipes stay with the process), the listening endpoint, and the
// window's state. The server is the host's child throughout, so its life
// never depends on a display: when the display goes, the host carries on
// headless under the same pid, endpoint and handle; `show` with a display
// brings the window back there.
#pragma once

#include "platform/LineRing.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace ravelin::consolehost {

struct Handover {
    pid_t serverPid = 0;
    int serverInput = -1;
    int serverOutput = -1;
    int listenFd = -1;
    std::string folder;
    std::string name;
    bool keep = false;
    // The display went away under the window.
    bool lostDisplay = false;
    std::string output;
    std::string input;
    bool visible = true;
    std::vector<std::string> queued;
    // The numbered lines: the ring's bound, the number of the first line
    // kept, and the lines kept, so readers carry on where they were.
    std::uint64_t ringBytes = 0;
    std::uint64_t firstLine = 1;
    std::vector<NumberedLine> lines;
    // The server's command line, so the next self can start it again after
    // a crash; empty from a host too old to pass it.
    std::vector<std::string> command;
    // The server had ended when the host replaced itself (serverPid is 0
    // then): a restart due in `restartInMs` (negative: none pending), or
    // ended for good ("stopped after N crashes" or ended, kept by --keep).
    bool serverGone = false;
    std::int64_t restartInMs = -1;
    std::uint32_t starts = 1;
    // The restart state (RestartPolicy::State), the crashes counted for a
    // crash loop and the restarts so far (the back-off), so the next self
    // goes on where this one was.
    std::uint8_t restartState = 0;
    std::uint32_t crashes = 0;
    std::uint32_t restarts = 0;
};

std::string encodeHandover(const Handover& handover);
std::optional<Handover> decodeHandover(std::string_view bytes);

// Whether an X display named like DISPLAY (":N" or ":N.S", local) accepts
// connections, so a host does not replace itself onto a display it cannot
// open.
bool localDisplayReachable(const std::string& display);

// Whether a window system connection to `display` opens, with `authority`
// as XAUTHORITY when not empty: this program runs as `--check-display` with
// them and must end with status 0 within `timeoutMs`. A display that takes the
// connection but refuses our credentials passes the check above and would
// end the host (and its server) in the middle of replacing itself.
bool displayOpens(const std::string& display, const std::string& authority, int timeoutMs = 10000);

} // namespace ravelin::consolehost
