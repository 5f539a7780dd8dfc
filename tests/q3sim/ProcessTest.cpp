// The q3sim program over real pipes and UDP on loopback.
#include "support/ChildProcess.h"
#include "support/TestEnvironment.h"
#include "support/UdpQuery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using namespace std::chrono_literals;
using ravelin::test::waitFor;

namespace {

const std::string kMarker = "\xff\xff\xff\xff";

// q3sim on pipes: raw bytes to its standard input, what it printed, and
// datagrams to its UDP port on loopback.
class Q3simProcess {
public:
    explicit Q3simProcess(const std::vector<std::string>& args, const std::filesystem::path& workDir = {})
    {
        std::vector<std::string> argv{(ravelin::test::binDir() / "q3sim").string()};
        argv.insert(argv.end(), args.begin(), args.end());
        m_child = ravelin::test::ChildProcess::piped(argv, workDir);
    }
    void write(const std::string& bytes) { m_child.write(bytes); }
    void closeInput() { m_child.closeInput(); }
    bool running() { return m_child.running(); }
    int waitForExit() { return m_child.wait().value_or(-1); }

    // Complete lines printed so far.
    std::vector<std::string> lines()
    {
        m_child.readAvailable(m_out, m_err);
        std::vector<std::string> result;
        std::size_t start = 0;
        for (auto lf = m_out.find('\n'); lf != std::string::npos; lf = m_out.find('\n', start)) {
            result.push_back(m_out.substr(start, lf - start));
            start = lf + 1;
        }
        return result;
    }
    std::string stderrText()
    {
        m_child.readAvailable(m_out, m_err);
        return m_err;
    }
    bool waitForLine(const std::string& line)
    {
        return waitFor([&] { return contains(lines(), line); });
    }
    // The port of "Opening IP socket: 0.0.0.0:PORT"; 0 when not seen in time.
    int udpPort()
    {
        const std::string prefix = "Opening IP socket: 0.0.0.0:";
        int port = 0;
        waitFor([&] {
            for (const auto& l : lines())
                if (l.rfind(prefix, 0) == 0)
                    port = std::stoi(l.substr(prefix.size()));
            return port != 0;
        });
        return port;
    }
    // The reply to one datagram, if any arrives in time.
    std::optional<std::string> query(const std::string& datagram, std::chrono::milliseconds timeout = 5s)
    {
        const int port = udpPort();
        std::string reply = port == 0 ? std::string() : ravelin::test::udpQuery(port, datagram, timeout);
        return reply.empty() ? std::nullopt : std::optional<std::string>(reply);
    }
    static bool contains(const std::vector<std::string>& lines, const std::string& line)
    {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

private:
    ravelin::test::ChildProcess m_child;
    std::string m_out;
    std::string m_err;
};

} // namespace

TEST(Q3simProcess, AnswersConsoleAndStatusQueriesAndOutlivesItsInput)
{
    Q3simProcess q3({"--players", "Bob,^1Red^7Guy", "+set", "sv_hostname", "My Arena", "+set", "net_port", "0"});
    int port = q3.udpPort();
    ASSERT_GT(port, 0);
    q3.write("sv_hostname\n");
    EXPECT_TRUE(q3.waitForLine("\"sv_hostname\" is:\"My Arena\" default:\"noname\""));
    // net_port reports the port actually bound, so the console can find it.
    q3.write("net_port\n");
    EXPECT_TRUE(q3.waitForLine("\"net_port\" is:\"" + std::to_string(port) + "\" default:\"27960\""));

    auto reply = q3.query(kMarker + "getstatus");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->rfind(kMarker + "statusResponse\n\\", 0), 0u);
    EXPECT_NE(reply->find("\\sv_hostname\\My Arena"), std::string::npos);
    EXPECT_NE(reply->find(" \"Bob\"\n"), std::string::npos);
    EXPECT_NE(reply->find(" \"^1Red^7Guy\"\n"), std::string::npos);

    auto info = q3.query(kMarker + "getinfo abc");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->rfind(kMarker + "infoResponse\n\\challenge\\abc\\", 0), 0u);
    // Garbage gets no answer and does not hurt; a short wait is enough,
    // since the queries above were answered at once.
    EXPECT_FALSE(q3.query("\x01garbage", 300ms));
    EXPECT_FALSE(q3.query(kMarker + "rcon secret status", 300ms));
    // Still serving the network after its console went away.
    q3.closeInput();
    EXPECT_TRUE(q3.query(kMarker + "getstatus"));
    EXPECT_TRUE(q3.running());
}

TEST(Q3simProcess, ReadsStdinTheEngineWayAndQuitsOnQuit)
{
    Q3simProcess q3({"+set", "net_port", "0"});
    ASSERT_GT(q3.udpPort(), 0);
    // Two commands in one write, then one longer than a read.
    q3.write("echo one\necho two\n");
    EXPECT_TRUE(q3.waitForLine("two"));
    EXPECT_TRUE(Q3simProcess::contains(q3.lines(), "one"));
    q3.write("echo " + std::string(300, 'x') + "\n");
    EXPECT_TRUE(q3.waitForLine(std::string(250, 'x')));
    EXPECT_TRUE(q3.waitForLine("Unknown command \"" + std::string(49, 'x') + "\""));
    // Without a line end, the last byte is still taken for one.
    q3.write("echo abc!");
    EXPECT_TRUE(q3.waitForLine("abc"));
    q3.write("quit\n");
    EXPECT_EQ(q3.waitForExit(), 0);
}

TEST(Q3simProcess, WriteConfigLandsInTheBaseFolder)
{
    ravelin::test::TempDir base("q3sim-base");
    ravelin::test::TempDir work("q3sim-work");
    Q3simProcess q3({"+set", "fs_basepath", base.path().string(), "+set", "net_port", "0"}, work.path());
    ASSERT_GT(q3.udpPort(), 0);
    q3.write("WRITECONFIG ..\\ravelin_tmp.cfg\n");
    EXPECT_TRUE(waitFor([&] { return std::filesystem::exists(base.path() / "ravelin_tmp.cfg"); }));
    // Without fs_basepath the current folder is the base.
    Q3simProcess here({"+set", "net_port", "0"}, work.path());
    here.write("WRITECONFIG ..\\ravelin_tmp.cfg\n");
    EXPECT_TRUE(waitFor([&] { return std::filesystem::exists(work.path() / "ravelin_tmp.cfg"); }));
}

TEST(Q3simProcess, SeededRunsPlayTheSameEvents)
{
    auto events = [](Q3simProcess& q3) {
        std::vector<std::string> found;
        waitFor([&] {
            found.clear();
            for (const auto& l : q3.lines())
                if (l.rfind("Kill: ", 0) == 0 || l.rfind("say: ", 0) == 0 || l.rfind("Item: ", 0) == 0
                    || l.rfind("ClientConnect: ", 0) == 0)
                    found.push_back(l);
            return found.size() >= 25;
        });
        found.resize(std::min<std::size_t>(found.size(), 25));
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
    ASSERT_TRUE(waitFor([&] { return q3.stderrText().find("\nflood: 3000\n") != std::string::npos; }));
    std::string text = q3.stderrText();
    std::size_t at = 0;
    for (int n = 1; n <= 3000; ++n) {
        at = text.find("\nflood: " + std::to_string(n) + "\n", at);
        ASSERT_NE(at, std::string::npos) << n;
    }
    EXPECT_TRUE(q3.lines().empty());
}

TEST(Q3simProcess, BadOptionsAreReported)
{
    Q3simProcess q3({"--kill-every", "soon"});
    EXPECT_EQ(q3.waitForExit(), 2);
    EXPECT_NE(q3.stderrText().find("--kill-every"), std::string::npos);
}
