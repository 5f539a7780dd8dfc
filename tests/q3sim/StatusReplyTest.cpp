// The UDP replies: getstatus and getinfo bytes, and what gets no answer.
#include "ServerFixture.h"

#include "q3sim/Reports.h"

namespace {

const std::string kMarker = "\xff\xff\xff\xff";

// The lines between line feeds, the last one after the last line feed.
std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines{""};
    for (char c : text)
        c == '\n' ? void(lines.emplace_back()) : lines.back().push_back(c);
    return lines;
}

} // namespace

class StatusReply : public ServerFixture {};

TEST_F(StatusReply, HeaderInfoLineAndOnePlayerLinePerPlayer)
{
    server.cvars().set("sv_hostname", "My Arena");
    server.connectPlayer("^1Red^7Guy", false)->score = 5;
    server.connectPlayer("Two Words", false);
    auto reply = server.answerPacket(kMarker + "getstatus");
    ASSERT_TRUE(reply);
    auto lines = splitLines(*reply);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], kMarker + "statusResponse");
    EXPECT_EQ(lines[1].substr(0, 1), "\\");
    EXPECT_NE(lines[1].find("\\sv_hostname\\My Arena"), std::string::npos);
    EXPECT_NE(lines[1].find("\\mapname\\q3dm17"), std::string::npos);
    EXPECT_NE(lines[1].find("\\version\\Q3 1.32 linux-i386"), std::string::npos);
    EXPECT_EQ(lines[1].find("challenge"), std::string::npos);
    const auto& players = server.players().all();
    EXPECT_EQ(lines[2], "5 " + std::to_string(players[0].ping) + " \"^1Red^7Guy\"");
    EXPECT_EQ(lines[3], "0 " + std::to_string(players[1].ping) + " \"Two Words\"");
    EXPECT_EQ(lines[4], "");
}

TEST_F(StatusReply, EmptyServerChallengeAndCommandCase)
{
    auto reply = server.answerPacket(kMarker + "GETSTATUS 12345\n");
    ASSERT_TRUE(reply);
    EXPECT_EQ(splitLines(*reply).size(), 3u) << "no player lines";
    EXPECT_EQ(reply->back(), '\n');
    EXPECT_NE(splitLines(*reply)[1].find("\\challenge\\12345"), std::string::npos);
}

TEST_F(StatusReply, InfoResponse)
{
    server.cvars().set("sv_hostname", "My Arena");
    server.connectPlayer("Bob", false);
    auto reply = server.answerPacket(kMarker + "getinfo xyz");
    ASSERT_TRUE(reply);
    EXPECT_EQ(*reply,
              kMarker
                  + "infoResponse\n\\challenge\\xyz\\protocol\\68\\hostname\\My Arena\\mapname\\q3dm17"
                    "\\clients\\1\\sv_maxclients\\8\\gametype\\0\\pure\\1\\sv_allowAnonymous\\0");
}

TEST_F(StatusReply, GarbageGetsNoAnswerAndBadTextIsLeftOut)
{
    const std::string garbage[] = {
        "", "\xff\xff", "getstatus", kMarker, kMarker + "connect", kMarker + "\0getstatus", std::string(3000, '\xff')};
    for (const std::string& g : garbage)
        EXPECT_FALSE(server.answerPacket(g)) << g.size();
    // A challenge or hostname that would break the info line is left out, not echoed.
    server.cvars().set("sv_hostname", "bad\\name");
    auto reply = server.answerPacket(kMarker + "getstatus \"\\\\;\"");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->find("challenge"), std::string::npos);
    EXPECT_EQ(reply->find("bad"), std::string::npos);
    EXPECT_EQ(splitLines(*reply).size(), 3u);
}
