// Which events reach the desktop as notifications, kept in [Notifications]
// of the settings: a crashed, restarted or crash-looping server, a console
// gone, a banned player kicked (on by default) and a player joining (off).
#pragma once

#include "platform/Notifier.h"
#include "platform/SettingsStore.h"

#include <array>
#include <string>

namespace ravelin {

enum class NotifyEvent { Crashed, Restarted, CrashLoop, ConsoleGone, BannedKicked, PlayerJoined };
inline constexpr int kNotifyEventCount = 6;

struct NotifyEventInfo {
    const char* key; // the setting's name
    const char* caption; // the check box's
    bool onByDefault;
};
const NotifyEventInfo& notifyEventInfo(NotifyEvent event);

class Notifications {
public:
    // `notifier` may be null: nothing is shown then.
    Notifications(SettingsStore& settings, Notifier* notifier);

    bool enabled(NotifyEvent event) const { return m_enabled[static_cast<std::size_t>(event)]; }
    void setEnabled(NotifyEvent event, bool on);
    // "SERVER: what happened" with `detail` as the body, when the event is on.
    void post(NotifyEvent event, const std::string& server, const std::string& what, const std::string& detail = {});

private:
    SettingsStore& m_settings;
    Notifier* m_notifier;
    std::array<bool, kNotifyEventCount> m_enabled{};
};

} // namespace ravelin
