// The roster: reply merges, reconciliation passes, STATUS tables, the query
// socket and the monitor tick.
#include "ClientsFixture.h"

using namespace ravelin;
using namespace ravelin::test;

namespace {

const std::string kQ3Header = "num score ping name            lastmsg address               qport rate\r\n"
                              "--- ----- ---- --------------- ------- --------------------- ----- -----\r\n";

} // namespace

TEST_F(ClientsTest, RepliesAddRowsInOrderAndLaterRepliesKeepTheSlots)
{
    reply({"12 50 \"Bob\"", "3 100 \"^1Red^7Guy\""});
    EXPECT_EQ(rows(), (std::vector<std::string>{row("", "12", "50", "Bob"), row("", "3", "100", "RedGuy")}));
    EXPECT_EQ(view.rows, rows());
    EXPECT_EQ(statusRequests(), 1);

    clients.roster().ParseStatusBlock("map: q3dm17\r\n" + kQ3Header
                                      + "  3    12   50 Bob                   0 127.0.0.1:27960       1 25000\r\n"
                                        " 10     3  100 RedGuy                0 bot                   0 25000\r\n");
    reply({"14 48 \"Bob\"", "123456 99999 \"RedGuy\""});
    EXPECT_EQ(rows(), (std::vector<std::string>{row("3", "14", "48", "Bob"), row("10", "12345", "9999", "RedGuy")}));
    EXPECT_EQ(statusRequests(), 1) << "no new row, no slot refresh";

    // Duplicate keys share a row.
    reply({"1 1 \"Bob\"", "2 2 \"^4Bob\""});
    EXPECT_EQ(rows().size(), 2u);
    EXPECT_EQ(rows()[0], row("3", "2", "2", "Bob"));
}

TEST_F(ClientsTest, AMalformedPlayerLineEndsTheMergeWithoutASlotRefresh)
{
    reply({"1 1 \"A\"", "broken", "2 2 \"B\""});
    EXPECT_EQ(rows(), std::vector<std::string>{row("", "1", "1", "A")});
    EXPECT_EQ(statusRequests(), 0);
}

TEST_F(ClientsTest, PassesDropAbsentPlayersAndAskForSlotsOncePerPass)
{
    reply({"1 1 \"A\"", "2 2 \"B\"", "3 3 \"C\""});
    clients.roster().ParseStatusBlock(kQ3Header
                                      + "  0     1    1 A                     0 bot 0 1\r\n"
                                        "  1     2    2 B                     0 bot 0 1\r\n"
                                        "  2     3    3 C                     0 bot 0 1\r\n");
    const int before = statusRequests();
    socket.sent.clear();
    clients.roster().UpdateClients();
    EXPECT_EQ(statusRequests(), before) << "every slot known, every player there";
    ASSERT_EQ(socket.sent.size(), 1u);
    EXPECT_EQ(std::tie(socket.sent[0].host, socket.sent[0].port, socket.sent[0].data),
              std::make_tuple("127.0.0.1", kPort, std::string("\xff\xff\xff\xffgetstatus", 13)));

    reply({"2 2 \"B\""});
    clients.roster().UpdateClients();
    EXPECT_EQ(rows(), std::vector<std::string>{row("1", "2", "2", "B")});
    EXPECT_EQ(statusRequests(), before + 1);

    reply({});
    clients.roster().UpdateClients();
    EXPECT_EQ(std::make_tuple(rows().size(), view.rows.size(), statusRequests()), std::make_tuple(0u, 0u, before + 2));
}

TEST_F(ClientsTest, StatusTablesFillSlotsByTheNameColumn)
{
    reply({"0 0 \"Bob\"", "0 0 \"Bobby\"", "0 0 \"Two\"", "0 0 \"Two Words\"", "0 0 \"^9Nine\""});
    // 1.32 layout.
    clients.roster().ParseStatusBlock("map: q3dm17\r\n" + kQ3Header
                                      + "  4     0    0 Bobby                 0 bot 0 1\r\n"
                                        "  5     0    0 Two Words             0 bot 0 1\r\n"
                                        "  6     0    0 Bob                   0 bot 0 1\r\n"
                                        "  7     0    0 Nine                  0 bot 0 1\r\n"
                                        "  8     0    0 Two                   0 bot 0 1\r\n");
    EXPECT_EQ(
        rows(),
        (std::vector<std::string>{row("6", "0", "0", "Bob"), row("4", "0", "0", "Bobby"), row("8", "0", "0", "Two"),
                                  row("5", "0", "0", "Two Words"), row("7", "0", "0", "^9Nine")}));

    // OpenArena layout rewrites them; a block without a table changes nothing.
    clients.roster().ParseStatusBlock("Server is not running.\r\n");
    clients.roster().ParseStatusBlock("");
    EXPECT_EQ(rows()[0], row("6", "0", "0", "Bob"));
    clients.roster().ParseStatusBlock(
        "map: oa_dm1\r\ncl score ping name            address                                 rate \r\n"
        "-- ----- ---- --------------- --------------------------------------- -----\r\n"
        "11     0    0 Two Words       bot                                     16384\r\n"
        " 1     0    0 Bob             bot                                     16384\r\n");
    EXPECT_EQ(rows()[0], row("1", "0", "0", "Bob"));
    EXPECT_EQ(rows()[3], row("11", "0", "0", "Two Words"));

    // With every slot known, a pass asks for none (a name with a blank no
    // longer costs a STATUS every second).
    const int before = statusRequests();
    reply({"0 0 \"Bob\"", "0 0 \"Bobby\"", "0 0 \"Two\"", "0 0 \"Two Words\"", "0 0 \"^9Nine\""});
    clients.roster().UpdateClients();
    EXPECT_EQ(statusRequests(), before);
}

TEST_F(ClientsTest, ASlotThatStaysUnknownIsAskedForWithABackOff)
{
    console->setServer([](sim::SimConsole& c, const std::string& line) {
        if (line == "STATUS")
            c.print("map: q3dm17\n" + std::string("num score ping name\n"));
    });
    reply({"1 1 \"Connecting\""});
    ASSERT_EQ(statusRequests(), 1);
    // Ten monitor ticks a second apart: asked after 1, 2, 4 and 8 seconds.
    for (int second = 1; second <= 10; ++second) {
        for (int i = 0; i < 1000 / sim::SimMessageLoop::kMsPerYield; ++i)
            loop.yield();
        reply({"1 1 \"Connecting\""});
        clients.roster().UpdateClients();
    }
    EXPECT_EQ(statusRequests(), 1 + 4);
}

TEST_F(ClientsTest, OnlyTheServersOwnRepliesAreTaken)
{
    socket.deliver(statusReply({"1 1 \"Spoof\""}), kPort + 1);
    socket.deliver(statusReply({"1 1 \"Spoof\""}), kPort, /*fromLoopback=*/false);
    EXPECT_EQ(std::make_tuple(rows().size(), clients.query().StatusPlayers().size()), std::make_tuple(0u, 0u));
    reply({"1 1 \"Real\""});
    EXPECT_EQ(rows().size(), 1u);
    // Not a status reply: the players stay, the merge runs on them again.
    socket.deliver("\xff\xff\xff\xffprint\nno\n", kPort);
    EXPECT_EQ(clients.query().StatusPlayers(), std::vector<std::string>{"1 1 \"Real\""});
}

TEST_F(ClientsTest, ATakenQueryPortFallsBackToAnyFreePort)
{
    socket.takenPorts.insert(StatusQuery::kLocalPort);
    clients.roster().UpdateClients();
    clients.roster().UpdateClients();
    EXPECT_EQ(socket.bindAttempts, (std::vector<int>{StatusQuery::kLocalPort, 0}));
    EXPECT_EQ(std::make_tuple(socket.bound(), socket.sent.size()), std::make_tuple(true, 2u));
}

TEST_F(ClientsTest, ServerPortComesFromNetPortAndANonNumberKeepsIt)
{
    clients.query().setServerPort(0);
    netPort = "27961";
    clients.UpdateServerPort();
    EXPECT_EQ(clients.query().ServerPort(), 27961);
    for (const char* bad : {"UNKNOWN", "27a", "", "-5"}) {
        netPort = bad;
        clients.UpdateServerPort();
        EXPECT_EQ(clients.query().ServerPort(), 27961) << bad;
    }
}

TEST_F(ClientsTest, TheMonitorRefreshesThePortOnTick12AndEveryTenthAfterAcrossPeriods)
{
    clients.chkClient_Click(true);
    EXPECT_TRUE(monitorTimer);
    EXPECT_EQ(socket.sent.size(), 1u) << "checking the box queries at once";
    std::vector<int> refreshed;
    for (int tick = 1; tick <= 32; ++tick) {
        if (tick == 6) {
            clients.chkClient_Click(false);
            EXPECT_FALSE(monitorTimer);
            clients.chkClient_Click(true);
        }
        const int probes = count("net_port");
        clients.tmrClient_Timer();
        if (count("net_port") > probes)
            refreshed.push_back(tick);
    }
    EXPECT_EQ(refreshed, (std::vector<int>{12, 22, 32}));
    unloading = true;
    const std::size_t sent = socket.sent.size();
    clients.tmrClient_Timer();
    EXPECT_EQ(socket.sent.size(), sent);
}

TEST_F(ClientsTest, ScriptRowsAreCountedAndRemovedBySlot)
{
    reply({"1 1 \"A\""});
    clients.roster().ParseStatusBlock(kQ3Header + "  7     1    1 A                     0 bot 0 1\r\n");
    clients.roster().AddClient("just text");
    EXPECT_EQ(clients.roster().ClientCount(), 2);
    clients.roster().RemoveClient(7);
    EXPECT_EQ(rows(), std::vector<std::string>{"just text"});
    // A merge passes over a row without a name field.
    reply({"1 1 \"A\""});
    EXPECT_EQ(rows().size(), 2u);
}
