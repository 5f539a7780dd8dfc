// The q3sim program over real pipes and UDP on loopback.
#include "support/ChildProcess.h"
#include "support/TestEnvironment.h"
#include "support/UdpQuery.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <sstream>

using namespace std::chrono_literals;
using namespace ravelin::test;

namespace {

const std::string kMarker = "\xff\xff\xff\xff";

// q3sim on pipes: raw bytes to its standard input, what it printed, and
// datagrams to its UDP port on loopback.
struct Q3simProcess {
    ChildProcess child;
    std::string out, err;

    explicit Q3simProcess(std::vector<std::string> args, const std::filesystem::path& workDir = {})
    {
        args.insert(args.begin(), (binDir() / "q3sim").string());
        child = ChildProcess::piped(args, workDir);
    }
    // Waits until `done` holds for what it printed so far on stdout.
    bool waitForOut(const std::function<bool(const std::string&)>& done)
    {
        return waitFor([&] { return child.readAvailable(out, err), done(out); });
    }
    bool waitForLine(const std::string& line)
    {
        return waitForOut([&](const std::string& text) { return ("\n" + text).find("\n" + line + "\n") != text.npos; });
    }
    // The port of "Opening IP socket: 0.0.0.0:PORT"; 0 when not seen in time.
    int udpPort()
    {
        const std::string prefix = "Opening IP socket: 0.0.0.0:";
        std::size_t at = std::string::npos;
        waitForOut([&](const std::string& text) {
            at = text.find(prefix);
            return at != text.npos && text.find('\n', at) != text.npos;
        });
        return at == std::string::npos ? 0 : std::atoi(out.c_str() + at + prefix.size());
    }
    // The reply to one datagram, if any arrives in time.
    std::optional<std::string> query(const std::string& datagram, std::chrono::milliseconds timeout = 5s)
    {
        std::string reply = udpQuery(udpPort(), datagram, timeout);
        return reply.empty() ? std::nullopt : std::optional<std::string>(reply);
    }
};

} // namespace

// The reply's bytes are StatusReplyTest's; here they travel over UDP.
TEST(Q3simProcess, AnswersConsoleAndStatusQueriesAndOutlivesItsInput)
{
    Q3simProcess q3({"--players", "Bob,^1Red^7Guy", "+set", "sv_hostname", "My Arena", "+set", "net_port", "0"});
    int port = q3.udpPort();
    ASSERT_GT(port, 0);
    q3.child.write("sv_hostname\n");
    EXPECT_TRUE(q3.waitForLine("\"sv_hostname\" is:\"My Arena\" default:\"noname\""));
    // net_port reports the port actually bound, so the console can find it.
    q3.child.write("net_port\n");
    EXPECT_TRUE(q3.waitForLine("\"net_port\" is:\"" + std::to_string(port) + "\" default:\"27960\""));

    auto reply = q3.query(kMarker + "getstatus");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->rfind(kMarker + "statusResponse\n\\", 0), 0u);
    EXPECT_NE(reply->find(" \"^1Red^7Guy\"\n"), std::string::npos);
    EXPECT_EQ(q3.query(kMarker + "getinfo abc").value_or("").rfind(kMarker + "infoResponse\n\\challenge\\abc\\", 0),
              0u);
    // Garbage gets no answer and does not hurt; a short wait is enough,
    // since the queries above were answered at once.
    EXPECT_FALSE(q3.query("\x01garbage", 300ms));
    EXPECT_FALSE(q3.query(kMarker + "rcon secret status", 300ms));
    // Still serving the network after its console went away.
    q3.child.closeInput();
    EXPECT_TRUE(q3.query(kMarker + "getstatus"));
    EXPECT_TRUE(q3.child.running());
}

TEST(Q3simProcess, ReadsStdinTheEngineWayAndQuitsOnQuit)
{
    Q3simProcess q3({"+set", "net_port", "0"});
    ASSERT_GT(q3.udpPort(), 0);
    // Two commands in one write, then one longer than a read.
    q3.child.write("echo one\necho two\n");
    EXPECT_TRUE(q3.waitForLine("two"));
    EXPECT_TRUE(q3.waitForLine("one"));
    q3.child.write("echo " + std::string(300, 'x') + "\n");
    EXPECT_TRUE(q3.waitForLine(std::string(250, 'x')));
    EXPECT_TRUE(q3.waitForLine("Unknown command \"" + std::string(49, 'x') + "\""));
    // Without a line end, the last byte is still taken for one.
    q3.child.write("echo abc!");
    EXPECT_TRUE(q3.waitForLine("abc"));
    q3.child.write("quit\n");
    EXPECT_EQ(q3.child.wait(), 0);
}

TEST(Q3simProcess, WriteConfigLandsInTheBaseFolder)
{
    TempDir base("q3sim-base");
    TempDir work("q3sim-work");
    Q3simProcess q3({"+set", "fs_basepath", base.path().string(), "+set", "net_port", "0"}, work.path());
    q3.child.write("WRITECONFIG ..\\ravelin_tmp.cfg\n");
    EXPECT_TRUE(waitFor([&] { return std::filesystem::exists(base.path() / "ravelin_tmp.cfg"); }));
    // Without fs_basepath the current folder is the base.
    Q3simProcess here({"+set", "net_port", "0"}, work.path());
    here.child.write("WRITECONFIG ..\\ravelin_tmp.cfg\n");
    EXPECT_TRUE(waitFor([&] { return std::filesystem::exists(work.path() / "ravelin_tmp.cfg"); }));
}

// The first 25 game events (SimulationTest plays a seed in-process).
TEST(Q3simProcess, SeededRunsPlayTheSameEvents)
{
    auto events = [](Q3simProcess& q3) {
        std::vector<std::string> found;
        q3.waitForOut([&](const std::string& text) {
            found.clear();
            std::istringstream lines(text);
            for (std::string l; std::getline(lines, l) && found.size() < 25;)
                if (l.starts_with("Kill: ") || l.starts_with("say: ") || l.starts_with("Item: ")
                    || l.starts_with("ClientConnect: "))
                    found.push_back(l);
            return found.size() == 25;
        });
        return found;
    };
    std::vector<std::string> args{
        "--seed", "11",           "--join-every", "0.05", "--chat-every", "0.03", "--kill-every",
        "0.04",   "--item-every", "0.06",         "+set", "net_port",     "0"};
    Q3simProcess a(args), b(args);
    auto first = events(a);
    ASSERT_EQ(first.size(), 25u);
    EXPECT_EQ(first, events(b));
}

TEST(Q3simProcess, FloodLinesArriveInOrderOnStderrWhenAsked)
{
    Q3simProcess q3({"--stderr", "--flood", "3000", "+set", "net_port", "0"});
    ASSERT_TRUE(q3.waitForOut([&](const std::string&) { return q3.err.find("\nflood: 3000\n") != std::string::npos; }));
    std::size_t at = 0;
    for (int n = 1; n <= 3000; ++n) {
        at = q3.err.find("\nflood: " + std::to_string(n) + "\n", at);
        ASSERT_NE(at, std::string::npos) << n;
    }
    EXPECT_EQ(q3.out.find('\n'), std::string::npos) << "nothing on stdout";
}

TEST(Q3simProcess, BadOptionsAreReported)
{
    Q3simProcess q3({"--kill-every", "soon"});
    EXPECT_EQ(q3.child.wait(), 2);
    q3.child.readAvailable(q3.out, q3.err);
    EXPECT_NE(q3.err.find("--kill-every"), std::string::npos);
}
