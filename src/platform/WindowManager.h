// The window-manager operations the console bridge and the start window
// rely on, and nothing more. On Linux the server console is a ravelin-console
// process reached over a socket (ipc/); tests use an in-process desktop
// (tests/support). Handles are signed 32-bit numbers: 0 is "no window" and a window
// counts as found when its handle is greater than 0. Text crosses as bytes.
#pragma once

#include "platform/LineRing.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ravelin {

using WindowHandle = std::int32_t;

// Where a command run for its output stands (startExec / pollExec).
// The server a console's host runs and supervises: whether it runs now, and
// how often it was started (a change means it was started again).
struct ServerRun {
    bool known = false; // false: a console that does not supervise its server
    bool running = true;
    std::uint32_t starts = 0;
    std::string state; // "running", "restarting in 4 s", "stopped after 5 crashes", "ended"
};

struct ExecPoll {
    enum class State { Running, Done, Failed } state = State::Failed;
    std::vector<std::string> lines;
    std::string error;
};

class WindowManager {
public:
    virtual ~WindowManager() = default;

    // First top-level window with this class and title, or 0.
    virtual WindowHandle findWindow(std::string_view className, std::string_view title) = 0;
    // The next top-level window after `after` (0: from the first) whose
    // title is exactly `title`, whatever its class; 0 at the end.
    virtual WindowHandle findNextWindow(WindowHandle after, std::string_view title) = 0;

    virtual WindowHandle firstChild(WindowHandle parent) = 0;
    virtual WindowHandle nextSibling(WindowHandle window) = 0;

    // Class name as read into a buffer of `capacity` characters (cut to
    // capacity - 1, as the platform call does).
    virtual std::string className(WindowHandle window, int capacity = 250) = 0;
    virtual std::string caption(WindowHandle window) = 0;

    // Edit-box text: the length first, then the text into a buffer of
    // `capacity` characters (at most capacity - 1 are returned).
    virtual int textLength(WindowHandle window) = 0;
    virtual std::string text(WindowHandle window, int capacity) = 0;
    virtual void setText(WindowHandle window, std::string_view text) = 0;
    // Complete lines of an edit box (CR LF pairs), -1 when it is empty. A
    // window that knows its count answers without sending its text; by
    // default the text is read and counted.
    virtual int lineCount(WindowHandle window)
    {
        int length = textLength(window);
        if (length <= 0)
            return -1;
        std::string all = text(window, length + 1);
        if (all.empty())
            return -1;
        int count = 0;
        for (std::size_t at = all.find("\r\n"); at != std::string::npos; at = all.find("\r\n", at + 2))
            ++count;
        return count;
    }
    virtual void sendChar(WindowHandle window, char character) = 0;

    virtual void leftButtonDown(WindowHandle window) = 0;
    virtual void leftButtonUp(WindowHandle window) = 0;

    virtual void showWindow(WindowHandle window, bool visible) = 0;
    virtual bool isWindowVisible(WindowHandle window) = 0;
    virtual void setFocus(WindowHandle window) = 0;

    // Numbered output lines of a console window (its top-level handle). A
    // window manager without them answers not ok / 0 / false.
    virtual LineBatch readLines(WindowHandle console, std::uint64_t after, std::size_t maxBytes)
    {
        (void)console, (void)after, (void)maxBytes;
        return {};
    }
    // The number after which the newest `chars` characters' worth of lines
    // begins; `ok` false when the console has no numbered lines.
    virtual std::uint64_t tailStart(WindowHandle console, std::size_t chars, bool& ok)
    {
        (void)console, (void)chars;
        ok = false;
        return 0;
    }
    // Sends one command line, typed whole in one step: what is in the input
    // line stays. False when the console could not take it this way.
    virtual bool sendLine(WindowHandle console, std::string_view line)
    {
        (void)console, (void)line;
        return false;
    }
    // Runs a command for its output alone: an id to poll, or 0 with `error`.
    virtual std::uint64_t startExec(WindowHandle console, std::string_view command, int timeoutMs, std::string& error)
    {
        (void)console, (void)command, (void)timeoutMs;
        error = "this console cannot run a command for its output";
        return 0;
    }
    virtual ExecPoll pollExec(WindowHandle console, std::uint64_t id)
    {
        (void)console, (void)id;
        ExecPoll poll;
        poll.error = "the console is gone";
        return poll;
    }
    virtual ServerRun serverRun(WindowHandle console)
    {
        (void)console;
        return {};
    }

    // A console on another machine, reached through its relay: its server's
    // UDP port and files are not ours to reach, so the two operations below
    // go through the relay. A local console's are reached directly.
    virtual bool isRemote(WindowHandle console)
    {
        (void)console;
        return false;
    }
    // Asks the far server for its status; `onReply` gets the reply's bytes
    // (empty when none came) on a later turn of the event loop. False when
    // the query could not be sent.
    virtual bool queryStatus(WindowHandle console, std::function<void(const std::string& reply)> onReply)
    {
        (void)console, (void)onReply;
        return false;
    }
    // The file the console's server wrote (its cvar dump) at `path`, or
    // nullopt when it is not there; `remove` deletes it after reading.
    virtual std::optional<std::string> readServerFile(WindowHandle console, const std::string& path, bool remove);
};

} // namespace ravelin
