#include "Q3simProcess.h"

#include "support/TestEnvironment.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

Q3simProcess::Q3simProcess(const std::vector<std::string>& args, const std::filesystem::path& workDir)
{
    int in[2], out[2], err[2];
    if (::pipe2(in, O_CLOEXEC) || ::pipe2(out, O_CLOEXEC) || ::pipe2(err, O_CLOEXEC))
        throw std::runtime_error("pipe failed");
    std::string program = (ravelin::test::binDir() / "q3sim").string();
    std::vector<std::string> argvText{program};
    argvText.insert(argvText.end(), args.begin(), args.end());
    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        if (!workDir.empty() && ::chdir(workDir.c_str()) != 0)
            ::_exit(126);
        std::vector<char*> argv;
        for (auto& a : argvText)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    m_in = in[1];
    m_out = out[0];
    m_err = err[0];
    ::fcntl(m_out, F_SETFL, O_NONBLOCK);
    ::fcntl(m_err, F_SETFL, O_NONBLOCK);
}

Q3simProcess::~Q3simProcess()
{
    terminate();
    for (int fd : {m_in, m_out, m_err})
        if (fd >= 0)
            ::close(fd);
}

void Q3simProcess::write(const std::string& bytes)
{
    if (m_in >= 0)
        (void)!::write(m_in, bytes.data(), bytes.size());
}

void Q3simProcess::closeInput()
{
    if (m_in >= 0)
        ::close(m_in);
    m_in = -1;
}

void Q3simProcess::pump()
{
    char buffer[65536];
    for (auto [fd, text] : {std::pair{m_out, &m_outText}, std::pair{m_err, &m_errText}}) {
        for (;;) {
            ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            text->append(buffer, static_cast<std::size_t>(n));
        }
    }
}

std::vector<std::string> Q3simProcess::lines()
{
    pump();
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
    pump();
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

bool Q3simProcess::running()
{
    if (m_exited || m_pid <= 0)
        return false;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_exited = true;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return false;
    }
    return true;
}

int Q3simProcess::waitForExit(std::chrono::milliseconds timeout)
{
    ravelin::test::waitFor([this] { return !running(); }, timeout);
    return m_exited ? m_status : -1;
}

void Q3simProcess::terminate()
{
    if (running()) {
        ::kill(m_pid, SIGTERM);
        if (waitForExit(std::chrono::seconds(5)) < 0 && running()) {
            ::kill(m_pid, SIGKILL);
            waitForExit();
        }
    }
}
