#include "platform/qt/DBusNotifier.h"

#include "platform/qt/QtText.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace ravelin {

void DBusNotifier::notify(const std::string& summary, const std::string& body)
{
    // Without a session bus's address there is no bus to reach: do not let
    // D-Bus try to start one.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        "org.freedesktop.Notifications", "/org/freedesktop/Notifications", "org.freedesktop.Notifications", "Notify");
    // The body is plain text: servers' and players' names may hold markup.
    QString text = latin1(body).toHtmlEscaped();
    call << QString("Ravelin") << 0u << QString("ravelin") << latin1(summary) << text << QStringList() << QVariantMap()
         << -1;
    call.setAutoStartService(false);
    bus.send(call);
}

} // namespace ravelin
