#include "platform/qt/QtHostInfo.h"
#include "platform/qt/QtSettingsStore.h"
#include "support/TestEnvironment.h"

#include <QHostAddress>
#include <QSettings>

#include <gtest/gtest.h>

using namespace ravelin;
using ravelin::test::TempDir;

TEST(QtSettingsStore, ValuesLiveInOneIniFilePerApplication)
{
    TempDir config{"ravelin-config"};
    {
        QtSettingsStore store(config.path());
        store.saveSetting("Ravelin", "Launch", "DefaultServer", "Quake 3 Arena [Demo Arena One]");
        store.saveSetting("Ravelin", "Internal", "CurrentVersion", "1.0.448");
        store.saveSetting("Other", "Settings", "DosKey", "1");
    }
    const auto file = config.path() / "Ravelin" / "Ravelin.ini";
    ASSERT_TRUE(std::filesystem::exists(file));
    QSettings ini(QString::fromStdString(file.string()), QSettings::IniFormat);
    EXPECT_EQ(ini.value("Launch/DefaultServer").toString(), "Quake 3 Arena [Demo Arena One]");
    EXPECT_EQ(ini.childGroups(), (QStringList{"Internal", "Launch"}));
    EXPECT_TRUE(std::filesystem::exists(config.path() / "Other" / "Other.ini"));

    QtSettingsStore again(config.path());
    EXPECT_EQ(again.getSetting("Ravelin", "Launch", "DefaultServer"), "Quake 3 Arena [Demo Arena One]");
    EXPECT_EQ(again.getSetting("Ravelin", "Launch", "Missing", "fallback"), "fallback");
    EXPECT_EQ(again.getSetting("Ravelin", "Settings", "DosKey", "absent"), "absent");
}

TEST(QtSettingsStore, EveryByteAndAnEmptyValueSurvive)
{
    TempDir config{"ravelin-config"};
    QtSettingsStore store(config.path());
    const std::string bytes = "caf\xe9 = [x]; \"q\" \\ /";
    store.saveSetting("Ravelin", "Launch", "DefaultServer", bytes);
    EXPECT_EQ(QtSettingsStore(config.path()).getSetting("Ravelin", "Launch", "DefaultServer"), bytes);
    // A cleared default is stored as "" and reads back as "", not as absent.
    store.saveSetting("Ravelin", "Launch", "DefaultServer", "");
    EXPECT_EQ(store.getSetting("Ravelin", "Launch", "DefaultServer", "absent"), "");
}

TEST(QtSettingsStore, DefaultsToTheConfigFolderOfTheEnvironment)
{
    QtSettingsStore store;
    EXPECT_EQ(store.fileFor("Ravelin"),
              std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "Ravelin" / "Ravelin.ini");
}

TEST(QtHostInfo, LocalAddressIsADottedIPv4Address)
{
    QtHostInfo host;
    QHostAddress address(QString::fromStdString(host.localIp()));
    EXPECT_EQ(address.protocol(), QAbstractSocket::IPv4Protocol) << host.localIp();
    EXPECT_FALSE(host.computerName().empty());
}
