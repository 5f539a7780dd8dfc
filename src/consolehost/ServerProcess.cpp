#include "consolehost/ServerProcess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ravelin::consolehost {

ServerProcess::~ServerProcess()
{
    if (m_input >= 0)
        ::close(m_input);
    if (m_output >= 0)
        ::close(m_output);
    if (running()) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

bool ServerProcess::start(const std::vector<std::string>& argv, std::string& error)
{
    if (argv.empty()) {
        error = "no server command given";
        return false;
    }
    // Started again after it ended (a restart): the old pipes go.
    if (m_pid > 0 && !m_exited) {
        error = "the server still runs";
        return false;
    }
    for (int* fd : {&m_input, &m_output}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    m_pid = -1;
    m_exited = false;
    int in[2], out[2], status[2];
    if (::pipe2(in, O_CLOEXEC) != 0) {
        error = std::string("cannot create a pipe: ") + std::strerror(errno);
        return false;
    }
    if (::pipe2(out, O_CLOEXEC) != 0) {
        error = std::string("cannot create a pipe: ") + std::strerror(errno);
        ::close(in[0]);
        ::close(in[1]);
        return false;
    }
    // Closed by a successful exec; carries errno when the exec fails.
    if (::pipe2(status, O_CLOEXEC) != 0) {
        error = std::string("cannot create a pipe: ") + std::strerror(errno);
        for (int fd : {in[0], in[1], out[0], out[1]})
            ::close(fd);
        return false;
    }
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    pid_t parent = ::getpid();
    pid_t pid = ::fork();
    if (pid < 0) {
        error = std::string("cannot fork: ") + std::strerror(errno);
        for (int fd : {in[0], in[1], out[0], out[1], status[0], status[1]})
            ::close(fd);
        return false;
    }
    if (pid == 0) {
        // The server goes when its console host goes, however the host ends.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(127);
        ::setpgid(0, 0);
        ::signal(SIGPIPE, SIG_DFL);
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGTERM, SIG_DFL);
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(out[1], 2);
        ::execvp(args[0], args.data());
        int code = errno;
        [[maybe_unused]] ssize_t ignored = ::write(status[1], &code, sizeof code);
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(status[1]);
    int code = 0;
    ssize_t n;
    do {
        n = ::read(status[0], &code, sizeof code);
    } while (n < 0 && errno == EINTR);
    ::close(status[0]);
    if (n == static_cast<ssize_t>(sizeof code)) {
        error = "cannot start " + argv[0] + ": " + std::strerror(code);
        ::close(in[1]);
        ::close(out[0]);
        ::waitpid(pid, nullptr, 0);
        return false;
    }
    m_pid = pid;
    m_input = in[1];
    m_output = out[0];
    ::fcntl(m_input, F_SETFL, ::fcntl(m_input, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_output, F_SETFL, ::fcntl(m_output, F_GETFL) | O_NONBLOCK);
    return true;
}

void ServerProcess::adopt(pid_t pid, int input, int output)
{
    m_pid = pid;
    m_input = input;
    m_output = output;
    keepAcrossExec(false);
    ::fcntl(m_input, F_SETFL, ::fcntl(m_input, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_output, F_SETFL, ::fcntl(m_output, F_GETFL) | O_NONBLOCK);
}

void ServerProcess::keepAcrossExec(bool keep)
{
    for (int fd : {m_input, m_output}) {
        if (fd >= 0)
            ::fcntl(fd, F_SETFD, keep ? 0 : FD_CLOEXEC);
    }
}

int ServerProcess::unreadInput() const
{
    if (m_input < 0)
        return 0;
    int pending = 0;
    if (::ioctl(m_input, FIONREAD, &pending) != 0)
        return 0;
    return pending;
}

bool ServerProcess::writeLine(std::string_view line)
{
    if (m_input < 0 || m_exited)
        return false;
    // At most 255 bytes into an empty pipe: written whole or not at all.
    for (;;) {
        ssize_t n = ::write(m_input, line.data(), line.size());
        if (n == static_cast<ssize_t>(line.size()))
            return true;
        if (n < 0 && errno == EINTR)
            continue;
        return false;
    }
}

std::optional<std::string> ServerProcess::readOutput()
{
    if (m_output < 0)
        return std::nullopt;
    char buffer[16384];
    for (;;) {
        ssize_t n = ::read(m_output, buffer, sizeof buffer);
        if (n > 0)
            return std::string(buffer, static_cast<std::size_t>(n));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return std::string();
        ::close(m_output);
        m_output = -1;
        return std::nullopt;
    }
}

bool ServerProcess::pollExit()
{
    if (m_exited)
        return true;
    if (m_pid <= 0)
        return false;
    int raw = 0;
    pid_t done = ::waitpid(m_pid, &raw, WNOHANG);
    if (done != m_pid)
        return false;
    m_exited = true;
    m_rawStatus = raw;
    m_status = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : 1;
    if (m_input >= 0) {
        ::close(m_input);
        m_input = -1;
    }
    return true;
}

int ServerProcess::exitSignal() const { return m_exited && WIFSIGNALED(m_rawStatus) ? WTERMSIG(m_rawStatus) : 0; }

std::string ServerProcess::exitDescription() const
{
    if (WIFSIGNALED(m_rawStatus))
        return "killed by signal " + std::to_string(WTERMSIG(m_rawStatus)) + " (" + ::strsignal(WTERMSIG(m_rawStatus))
            + ")";
    return "exited with status " + std::to_string(m_status);
}

void ServerProcess::signal(int signalNumber)
{
    if (running())
        ::kill(m_pid, signalNumber);
}

} // namespace ravelin::consolehost
