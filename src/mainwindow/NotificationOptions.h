// The options page's "Desktop Notifications" box: one check box per event
// that may reach the desktop, saved as it is clicked.
#pragma once

#include "mainwindow/Notifications.h"

#include <QGroupBox>

namespace ravelin {

class NotificationOptions final : public QGroupBox {
public:
    NotificationOptions(Notifications& notifications, QWidget* page);
};

} // namespace ravelin
