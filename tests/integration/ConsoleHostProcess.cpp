#include "integration/ChildProcess.h"

#include "platform/ipc/EndpointFolder.h"
#include "support/TestEnvironment.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace ravelin::test {

namespace {

int toStatus(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1; }

pid_t spawn(const std::vector<std::string>& argv, int out, int err)
{
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
        int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(out >= 0 ? out : null, 1);
        ::dup2(err >= 0 ? err : null, 2);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    return pid;
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::filesystem::path& log)
{
    int out = log.empty() ? -1 : ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    m_pid = spawn(argv, out, out);
    if (out >= 0)
        ::close(out);
}

ChildProcess::~ChildProcess() { stop(); }

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : m_pid(other.m_pid), m_status(other.m_status)
{
    other.m_pid = -1;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept
{
    if (this != &other) {
        stop();
        m_pid = other.m_pid;
        m_status = other.m_status;
        other.m_pid = -1;
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

bool ConsoleHostProcess::start(const std::vector<std::string>& serverCommand,
                               const std::vector<std::string>& hostOptions)
{
    static int counter = 0;
    m_log = std::filesystem::path(std::getenv("XDG_RUNTIME_DIR")) / ("host-" + std::to_string(++counter) + ".log");
    std::vector<std::string> argv{(binDir() / "ravelin-console").string()};
    argv.insert(argv.end(), hostOptions.begin(), hostOptions.end());
    argv.push_back("--");
    argv.insert(argv.end(), serverCommand.begin(), serverCommand.end());
    m_process = ChildProcess(argv, m_log);
    // The window exists once the endpoint carrying the host's pid is there.
    std::string suffix = "-";
    suffix += std::to_string(m_process.pid());
    suffix += ".sock";
    return waitFor([&] {
               if (!m_process.running())
                   return true;
               for (const auto& name : ipc::listEndpoints(endpointFolder())) {
                   if (name.ends_with(suffix))
                       return true;
               }
               return false;
           })
        && m_process.running();
}

bool ConsoleHostProcess::startQ3sim(const std::vector<std::string>& arguments)
{
    std::vector<std::string> command{(binDir() / "q3sim").string()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return start(command);
}

std::string ConsoleHostProcess::logText() const { return readFile(m_log); }

CommandResult runCommand(const std::vector<std::string>& argv, std::chrono::milliseconds timeout)
{
    TempDir dir("ravelin-cmd");
    auto outPath = dir.path() / "out";
    auto errPath = dir.path() / "err";
    int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    pid_t pid = spawn(argv, out, err);
    ::close(out);
    ::close(err);
    CommandResult result;
    int raw = 0;
    bool done = waitFor([&] { return ::waitpid(pid, &raw, WNOHANG) == pid; }, timeout, std::chrono::milliseconds(2));
    if (!done) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &raw, 0);
        result.status = -1;
    } else {
        result.status = toStatus(raw);
    }
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
}

std::filesystem::path endpointFolder() { return ipc::defaultEndpointFolder(); }

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace ravelin::test

namespace ravelin::test {

bool processGone(pid_t pid)
{
    if (::kill(pid, 0) != 0)
        return true;
    std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    auto paren = stat.rfind(')');
    return paren == std::string::npos || (paren + 2 < stat.size() && stat[paren + 2] == 'Z');
}

} // namespace ravelin::test
