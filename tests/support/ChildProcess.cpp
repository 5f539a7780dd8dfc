#include "support/ChildProcess.h"

#include "support/TestEnvironment.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace ravelin::test {

namespace {

int toStatus(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1; }

// The child's stdin, stdout and stderr become `in`, `out` and `err`
// (/dev/null where one is negative).
pid_t spawn(const std::vector<std::string>& argv, int in, int out, int err, const std::filesystem::path& workDir = {})
{
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
        int null = ::open("/dev/null", O_RDWR);
        ::dup2(in >= 0 ? in : null, 0);
        ::dup2(out >= 0 ? out : null, 1);
        ::dup2(err >= 0 ? err : null, 2);
        if (!workDir.empty() && ::chdir(workDir.c_str()) != 0)
            ::_exit(126);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    return pid;
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::filesystem::path& log)
{
    int out = log.empty() ? -1 : ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    m_pid = spawn(argv, -1, out, out);
    if (out >= 0)
        ::close(out);
}

ChildProcess ChildProcess::piped(const std::vector<std::string>& argv, const std::filesystem::path& workDir)
{
    ChildProcess child;
    int in[2], out[2], err[2];
    if (::pipe2(in, O_CLOEXEC) || ::pipe2(out, O_CLOEXEC) || ::pipe2(err, O_CLOEXEC))
        return child;
    child.m_pid = spawn(argv, in[0], out[1], err[1], workDir);
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    child.m_in = in[1];
    child.m_out = out[0];
    child.m_err = err[0];
    ::fcntl(child.m_out, F_SETFL, O_NONBLOCK);
    ::fcntl(child.m_err, F_SETFL, O_NONBLOCK);
    return child;
}

ChildProcess::~ChildProcess()
{
    stop();
    closePipes();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_pid(other.m_pid), m_status(other.m_status), m_in(other.m_in), m_out(other.m_out), m_err(other.m_err)
{
    other.m_pid = other.m_in = other.m_out = other.m_err = -1;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept
{
    if (this != &other) {
        stop();
        closePipes();
        m_pid = other.m_pid;
        m_status = other.m_status;
        m_in = other.m_in;
        m_out = other.m_out;
        m_err = other.m_err;
        other.m_pid = other.m_in = other.m_out = other.m_err = -1;
    }
    return *this;
}

bool ChildProcess::running()
{
    if (m_pid <= 0 || m_status)
        return false;
    int raw = 0;
    if (::waitpid(m_pid, &raw, WNOHANG) == m_pid) {
        m_status = toStatus(raw);
        return false;
    }
    return true;
}

void ChildProcess::signal(int number)
{
    if (running())
        ::kill(m_pid, number);
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout)
{
    waitFor([this] { return !running(); }, timeout, std::chrono::milliseconds(5));
    return m_status;
}

void ChildProcess::stop()
{
    if (m_pid <= 0)
        return;
    if (running()) {
        ::kill(m_pid, SIGTERM);
        if (!wait(std::chrono::seconds(8))) {
            ::kill(m_pid, SIGKILL);
            wait(std::chrono::seconds(5));
        }
    }
    m_pid = -1;
}

void ChildProcess::write(std::string_view bytes)
{
    if (m_in >= 0)
        (void)!::write(m_in, bytes.data(), bytes.size());
}

void ChildProcess::closeInput()
{
    if (m_in >= 0)
        ::close(m_in);
    m_in = -1;
}

void ChildProcess::readAvailable(std::string& out, std::string& err)
{
    char buffer[65536];
    for (auto [fd, text] : {std::pair{m_out, &out}, std::pair{m_err, &err}}) {
        for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            text->append(buffer, static_cast<std::size_t>(n));
    }
}

void ChildProcess::closePipes()
{
    for (int* fd : {&m_in, &m_out, &m_err}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

CommandResult runCommand(const std::vector<std::string>& argv, std::chrono::milliseconds timeout)
{
    TempDir dir("ravelin-cmd");
    const auto outPath = dir.path() / "out";
    const auto errPath = dir.path() / "err";
    int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    pid_t pid = spawn(argv, -1, out, err);
    ::close(out);
    ::close(err);
    CommandResult result;
    int raw = 0;
    if (waitFor([&] { return ::waitpid(pid, &raw, WNOHANG) == pid; }, timeout, std::chrono::milliseconds(2))) {
        result.status = toStatus(raw);
    } else {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &raw, 0);
    }
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace ravelin::test
