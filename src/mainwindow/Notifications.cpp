#include "mainwindow/Notifications.h"

namespace ravelin {

namespace {

constexpr const char* kSection = "Notifications";

constexpr std::array<NotifyEventInfo, kNotifyEventCount> kEvents{{
    {"ServerCrashed", "Server crashed", true},
    {"ServerRestarted", "Server started again", true},
    {"CrashLoop", "Restarts stopped after a crash loop", true},
    {"ConsoleGone", "Server console gone", true},
    {"BannedPlayerKicked", "Banned player kicked", true},
    {"PlayerJoined", "Player joined", false},
}};

} // namespace

const NotifyEventInfo& notifyEventInfo(NotifyEvent event) { return kEvents[static_cast<std::size_t>(event)]; }

Notifications::Notifications(SettingsStore& settings, Notifier* notifier) : m_settings(settings), m_notifier(notifier)
{
    for (std::size_t i = 0; i < kEvents.size(); ++i) {
        const std::string value = m_settings.getSetting(kSettingsApp, kSection, kEvents[i].key);
        m_enabled[i] = value.empty() ? kEvents[i].onByDefault : value != "0";
    }
}

void Notifications::setEnabled(NotifyEvent event, bool on)
{
    m_enabled[static_cast<std::size_t>(event)] = on;
    m_settings.saveSetting(kSettingsApp, kSection, notifyEventInfo(event).key, on ? "1" : "0");
}

void Notifications::post(NotifyEvent event, const std::string& server, const std::string& what,
                         const std::string& detail)
{
    if (m_notifier && enabled(event))
        m_notifier->notify(server.empty() ? what : server + ": " + what, detail);
}

} // namespace ravelin
