#include "Q3simProcess.h"

#include "support/TestEnvironment.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

Q3simProcess::Q3simProcess(const std::vector<std::string>& args, const std::filesystem::path& workDir)
{
    std::vector<std::string> argv{(ravelin::test::binDir() / "q3sim").string()};
    argv.insert(argv.end(), args.begin(), args.end());
    m_child = ravelin::test::ChildProcess::piped(argv, workDir);
}

std::vector<std::string> Q3simProcess::lines()
{
    m_child.readAvailable(m_outText, m_errText);
    std::vector<std::string> result;
    std::size_t start = 0;
    for (auto lf = m_outText.find('\n'); lf != std::string::npos; lf = m_outText.find('\n', start)) {
        result.push_back(m_outText.substr(start, lf - start));
        start = lf + 1;
    }
    return result;
}

std::string Q3simProcess::stderrText()
{
    m_child.readAvailable(m_outText, m_errText);
    return m_errText;
}

bool Q3simProcess::waitForLine(const std::string& line, std::chrono::milliseconds timeout)
{
    return ravelin::test::waitFor(
        [&] {
            for (const auto& l : lines())
                if (l == line)
                    return true;
            return false;
        },
        timeout);
}

int Q3simProcess::udpPort()
{
    const std::string prefix = "Opening IP socket: 0.0.0.0:";
    int port = 0;
    ravelin::test::waitFor([&] {
        for (const auto& l : lines())
            if (l.rfind(prefix, 0) == 0)
                port = std::stoi(l.substr(prefix.size()));
        return port != 0;
    });
    return port;
}

std::optional<std::string> Q3simProcess::query(const std::string& datagram, std::chrono::milliseconds timeout)
{
    int port = udpPort();
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || port == 0)
        return std::nullopt;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    pollfd pfd{fd, POLLIN, 0};
    std::optional<std::string> reply;
    if (::poll(&pfd, 1, static_cast<int>(timeout.count())) == 1) {
        char buffer[65536];
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n >= 0)
            reply = std::string(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return reply;
}

int Q3simProcess::waitForExit(std::chrono::milliseconds timeout) { return m_child.wait(timeout).value_or(-1); }
