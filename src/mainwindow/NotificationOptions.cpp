#include "mainwindow/NotificationOptions.h"

#include <QCheckBox>

namespace ravelin {

NotificationOptions::NotificationOptions(Notifications& notifications, QWidget* page)
    : QGroupBox("Desktop Notifications", page)
{
    setObjectName("frNotify");
    setAccessibleName(title());
    setGeometry(400, 100, 310, 40 + kNotifyEventCount * 24);
    for (int i = 0; i < kNotifyEventCount; ++i) {
        const auto event = static_cast<NotifyEvent>(i);
        auto* box = new QCheckBox(notifyEventInfo(event).caption, this);
        box->setObjectName(QStringLiteral("chkNotify%1").arg(notifyEventInfo(event).key));
        box->setAccessibleName(box->text());
        box->setGeometry(12, 26 + i * 24, 290, 22);
        box->setChecked(notifications.enabled(event));
        connect(box, &QCheckBox::clicked, this,
                [&notifications, event](bool checked) { notifications.setEnabled(event, checked); });
    }
}

} // namespace ravelin
