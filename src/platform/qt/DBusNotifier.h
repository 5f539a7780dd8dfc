// Notifications through the freedesktop notification service on the
// session bus (org.freedesktop.Notifications). Each one is sent without
// waiting for the reply; with no bus or no service nothing is shown and
// nothing is logged.
#pragma once

#include "platform/Notifier.h"

namespace ravelin {

class DBusNotifier final : public Notifier {
public:
    void notify(const std::string& summary, const std::string& body) override;
};

} // namespace ravelin
