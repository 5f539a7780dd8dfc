// Whether the environment names a display for Qt to open: one given by
// DISPLAY or WAYLAND_DISPLAY, or a platform chosen outright with
// QT_QPA_PLATFORM (offscreen, vnc ...). A server started by a boot-time unit
// or a login over ssh has none.
#pragma once

#include <cstdlib>

namespace ravelin {

inline bool displayNamedInEnvironment()
{
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (const char* value = std::getenv(name); value && *value)
            return true;
    return false;
}

} // namespace ravelin
