// The web page in a real browser: Debian's chromium, headless, loads the
// page from the running server and finds the tables, with a player named
// "<b>x</b>" shown as text.
#include "../mainwindow/QtTestApp.h"
#include "platform/qt/QtHttpServer.h"
#include "platform/sim/SimServices.h"
#include "stats/StatsFeature.h"
#include "support/TestEnvironment.h"

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace ravelin;
using namespace ravelin::test;

TEST(StatsBrowserTest, ChromiumShowsTheTablesAndNamesAsText)
{
    const QString chromium = QStandardPaths::findExecutable("chromium");
    if (chromium.isEmpty())
        GTEST_SKIP() << "chromium is not installed (scripts/install-deps.sh installs it)";
    TempDir data("ravelin-stats-web");
    TempDir profile("ravelin-chromium");
    sim::MemorySettings settings;
    settings.saveSetting(kSettingsApp, "WebStatistics", "Enabled", "1");
    settings.saveSetting(kSettingsApp, "WebStatistics", "Port", "0");
    QtHttpServer server;
    stats::StatsFeature feature(settings, data.path(), &server);
    feature.open("Browser Arena", 27960);
    ASSERT_TRUE(feature.webServing()) << feature.webProblem();
    for (const char* line :
         {"InitGame: \\mapname\\q3dm17", "ClientUserinfoChanged: 0 n\\<b>x</b>\\t\\0",
          "ClientUserinfoChanged: 1 n\\^1Red^7Guy\\t\\0", "Kill: 0 1 10: <b>x</b> killed RedGuy by MOD_RAILGUN"})
        feature.line(line);
    feature.endPass();

    QProcess browser;
    browser.start(chromium,
                  {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                   "--disable-background-networking", "--disable-component-update", "--disable-sync",
                   "--user-data-dir=" + QString::fromStdString(profile.path().string()), "--dump-dom",
                   QString::fromStdString(feature.webUrl())});
    ASSERT_TRUE(waitForQt([&] { return browser.state() == QProcess::NotRunning; }, 60000));
    const std::string dom = browser.readAllStandardOutput().toStdString();
    for (const char* table : {"<table id=\"players\">", "<table id=\"weapons\">", "<table id=\"games\">", "<svg"})
        EXPECT_NE(dom.find(table), std::string::npos) << table << "\n" << dom.substr(0, 500);
    // The name is text in its cell: the DOM holds escaped text, no <b> element.
    EXPECT_NE(dom.find("&lt;b&gt;x&lt;/b&gt;"), std::string::npos) << dom;
    EXPECT_EQ(dom.find("<b>"), std::string::npos);
    EXPECT_NE(dom.find("RedGuy"), std::string::npos);
}
