#include "platform/qt/QtHostInfo.h"

#include "platform/qt/QtText.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QSysInfo>

namespace ravelin {

std::string QtHostInfo::computerName() { return latin1Bytes(QSysInfo::machineHostName()); }

std::string QtHostInfo::localIp()
{
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry& entry : iface.addressEntries()) {
            const QHostAddress ip = entry.ip();
            if (ip.protocol() == QAbstractSocket::IPv4Protocol && !ip.isLoopback())
                return ip.toString().toStdString();
        }
    }
    return "127.0.0.1";
}

} // namespace ravelin
