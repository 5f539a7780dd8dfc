// Connections over time: idle ones time out, and at the cap the longest-idle
// one makes room for a newcomer; the handover between a host and its next
// self keeps what the window held.
#include "consolehost/EndpointServer.h"
#include "consolehost/HostHandover.h"
#include "platform/ipc/EndpointFolder.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace ravelin::consolehost;
using ravelin::test::TempDir;

namespace {

struct EndpointServerTest : testing::Test {
    TempDir dir{"ravelin-endpoint"};
    EndpointServer server{[](EndpointServer::Connection, std::string_view, bool&) { return std::string(1, '\0'); },
                          EndpointServer::Watcher{[](int, bool, bool) {}, [](int) {}}};
    std::vector<int> clients;

    void SetUp() override
    {
        std::string error;
        ASSERT_EQ(ravelin::ipc::prepareEndpointFolder(dir.path() / "ravelin" / "consoles"), "");
        ASSERT_TRUE(server.start(dir.path() / "ravelin" / "consoles", "0000000000000001-1.sock", error)) << error;
    }
    ~EndpointServerTest() override
    {
        for (int fd : clients)
            ::close(fd);
    }

    void connect(int count)
    {
        for (int i = 0; i < count; ++i) {
            int fd = ravelin::ipc::connectEndpoint(dir.path() / "ravelin" / "consoles", "0000000000000001-1.sock");
            ASSERT_GE(fd, 0);
            clients.push_back(fd);
        }
        server.readable(server.listenFd());
    }
};

} // namespace

TEST_F(EndpointServerTest, IdleConnectionsTimeOut)
{
    connect(3);
    EXPECT_EQ(server.clientCount(), 3u);
    server.expireIdle();
    EXPECT_EQ(server.clientCount(), 3u);
    server.expireIdle(EndpointServer::Clock::now() + EndpointServer::kIdleTimeout + std::chrono::seconds(1));
    EXPECT_EQ(server.clientCount(), 0u);
}

TEST_F(EndpointServerTest, AtTheCapTheLongestIdleMakesRoom)
{
    connect(static_cast<int>(EndpointServer::kMaxClients));
    connect(5);
    EXPECT_EQ(server.clientCount(), EndpointServer::kMaxClients);
    // The first ones went: their ends read the close.
    char byte = 0;
    EXPECT_EQ(::recv(clients.front(), &byte, 1, MSG_DONTWAIT), 0);
    EXPECT_EQ(::recv(clients.back(), &byte, 1, MSG_DONTWAIT), -1); // still open, nothing to read
}

TEST(HostHandoverTest, RoundTripKeepsTheWindowAndTheQueue)
{
    Handover h;
    h.serverPid = 4242;
    h.serverInput = 7;
    h.serverOutput = 8;
    h.listenFd = 9;
    h.folder = "/run/user/1/ravelin/consoles";
    h.name = "0000000000000001-1.sock";
    h.keep = true;
    h.lostDisplay = true;
    h.output = std::string("a\r\n\0b\r\n", 7);
    h.input = "half typed";
    h.visible = false;
    h.queued = {"status\n", "say hi\n"};
    auto back = decodeHandover(encodeHandover(h));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->serverPid, 4242);
    EXPECT_EQ(back->listenFd, 9);
    EXPECT_EQ(back->output, h.output);
    EXPECT_EQ(back->input, h.input);
    EXPECT_EQ(back->queued, h.queued);
    EXPECT_TRUE(back->keep && back->lostDisplay && !back->visible);
    EXPECT_FALSE(decodeHandover(encodeHandover(h).substr(0, 20)));
    EXPECT_FALSE(localDisplayReachable("remote:0"));
    EXPECT_FALSE(localDisplayReachable(":x"));
}
