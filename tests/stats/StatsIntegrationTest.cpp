// The statistics against q3sim in a real console host, in both engine
// modes: a scripted game fills the section's tables, the history file and
// the web page, and a restarted main window shows the same all-time figures.
#include "mainwindow/HostedMainWindow.h"
#include "mainwindow/StatsSections.h"

#include <QPushButton>
#include <QTableWidget>
#include <QTcpSocket>

#include <array>
#include <map>

using namespace ravelin;
using namespace ravelin::test;

namespace {

struct StatsAgainstQ3simTest : HostedMainWindowTest, testing::WithParamInterface<const char*> {
    void SetUp() override
    {
        settings.saveSetting(kSettingsApp, "WebStatistics", "Enabled", "1");
        settings.saveSetting(kSettingsApp, "WebStatistics", "Port", "0");
        std::vector<std::string> arguments{"+set",     "sv_hostname", "Stats Arena", "+set",
                                           "net_port", "0",           "--players",   "Bob,Anna,<b>x</b>"};
        if (*GetParam())
            arguments.insert(arguments.begin(), GetParam());
        startServerAndWindow(arguments);
        ASSERT_TRUE(waitForQt([&] { return stats().opened(); }));
    }

    stats::StatsFeature& stats() { return window->session().statistics(); }

    // Kills, deaths and suicides of every player, all time.
    std::map<std::string, std::array<std::int64_t, 3>> figures()
    {
        std::map<std::string, std::array<std::int64_t, 3>> out;
        for (const auto& p : stats().snapshot(stats::Span::AllTime).players)
            out[p.name] = {p.kills, p.deaths, p.suicides};
        return out;
    }

    std::string get(const std::string& request)
    {
        QTcpSocket socket;
        socket.connectToHost("127.0.0.1", static_cast<quint16>(window->session().services().http->port()));
        if (!socket.waitForConnected(5000))
            return "no connection";
        socket.write(request.data(), static_cast<qint64>(request.size()));
        QByteArray answer;
        waitForQt([&] {
            socket.waitForReadyRead(50);
            answer += socket.readAll();
            // The whole answer: its headers and the body they announce.
            const qsizetype head = answer.indexOf("\r\n\r\n");
            const qsizetype length = answer.indexOf("Content-Length: ");
            if (head >= 0 && length >= 0 && length < head
                && answer.size() >= head + 4 + answer.mid(length + 16, head - length - 16).split('\r')[0].toLongLong())
                return true;
            return socket.state() != QAbstractSocket::ConnectedState;
        });
        return answer.toStdString();
    }
};

} // namespace

TEST_P(StatsAgainstQ3simTest, ScriptedGameFillsTablesHistoryAndPageAndOutlivesARestart)
{
    for (const char* line : {"simkill Bob Anna MOD_RAILGUN", "simkill Bob Anna MOD_RAILGUN",
                             "simkill Bob Anna MOD_ROCKET", "simkill Anna Bob MOD_ROCKET",
                             "simkill <b>x</b> Bob MOD_SHOTGUN", "simkill <world> Anna MOD_FALLING", "simexit"})
        window->ConsoleOut(line);
    ASSERT_TRUE(waitForQt([&] {
        const auto games = stats().snapshot(stats::Span::AllTime).games;
        return games.size() >= 2 && games[1].how == "Fraglimit hit.";
    })) << serverOutput();

    const auto before = figures();
    EXPECT_EQ(before.at("Bob"), (std::array<std::int64_t, 3>{3, 2, 0}));
    EXPECT_EQ(before.at("Anna"), (std::array<std::int64_t, 3>{1, 4, 1}));
    const auto games = stats().snapshot(stats::Span::AllTime).games;
    EXPECT_EQ(games[1].scores.front(), (std::pair<std::string, std::int64_t>("Bob", 3)));

    // The section shows them once opened.
    window->imgTab_Click(2);
    window->findChild<QPushButton*>("cmdStatsRefresh")->click();
    auto* table = window->findChild<QTableWidget*>("lvStatsPlayers");
    ASSERT_GE(table->rowCount(), 3);
    EXPECT_EQ(table->item(0, 0)->text(), "Bob") << "most kills first";
    EXPECT_EQ(table->item(0, 1)->text(), "3");
    EXPECT_EQ(table->item(0, 6)->text(), "MOD_RAILGUN");
    const QString pictures = qEnvironmentVariable("RAVELIN_SCREENSHOT_DIR");
    if (!pictures.isEmpty()) {
        window->session().sections().imgToggle_Click(0);
        window->grab().save(pictures + "/stats-internal-" + (*GetParam() ? "ioq3" : "q3") + ".png");
        window->session().sections().imgToggle_Click(0);
        window->session().sections().imgToggle_Click(1);
        window->grab().save(pictures + "/stats-web-" + (*GetParam() ? "ioq3" : "q3") + ".png");
    }

    // The history on disk.
    {
        sql::Database file(stats().databaseFile().string(), sql::Database::Mode::ReadOnly);
        EXPECT_EQ(file.scalar("SELECT count(*) FROM kills"), 6);
        EXPECT_EQ(file.scalar("SELECT count(*) FROM kills WHERE killer IS NULL AND means = 'MOD_FALLING'"), 1);
    }
    EXPECT_EQ(stats().databaseFile().filename(),
              "Stats_Arena_" + std::to_string(window->session().clients().query().ServerPort()) + ".sqlite");

    // The web page: the same table, the name as text, only GET.
    const std::string page = get("GET /?span=all HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n");
    EXPECT_NE(page.find("HTTP/1.1 200"), std::string::npos) << page.substr(0, 200);
    EXPECT_NE(page.find("&#60;b&#62;x&#60;&#47;b&#62;"), std::string::npos);
    EXPECT_EQ(page.find("<b>x"), std::string::npos);
    EXPECT_NE(get("POST / HTTP/1.1\r\nHost: localhost\r\nContent-Length: 0\r\nConnection: close\r\n\r\n").find("405"),
              std::string::npos);
    const std::string huge = "GET /" + std::string(200000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n";
    EXPECT_EQ(get(huge).find("200 OK"), std::string::npos) << "an oversized request is not served";

    // Ravelin ends and starts again on the same server.
    window->unload();
    window.reset();
    openWindow();
    ASSERT_TRUE(waitForQt([&] { return window->session().activations() > 0 && stats().opened(); }));
    EXPECT_EQ(figures(), before);
}

INSTANTIATE_TEST_SUITE_P(BothEngines, StatsAgainstQ3simTest, testing::Values("", "--ioq3"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(*info.param ? "Ioq3" : "Q3");
                         });
