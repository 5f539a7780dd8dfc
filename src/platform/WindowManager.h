// The window-manager operations the console bridge and the start window
// rely on, and nothing more. On Linux the server console is a ravelin-console
// process reached over a socket (ipc/); tests use an in-process desktop
// (tests/support). Handles are signed 32-bit numbers: 0 is "no window" and a window
// counts as found when its handle is greater than 0. Text crosses as bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ravelin {

using WindowHandle = std::int32_t;

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
};

} // namespace ravelin
