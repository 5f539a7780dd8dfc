// Real processes for tests across programs: a child that is always ended
// and reaped when its owner goes (no strays, whatever the test does), a
// console host running a server, and a one-shot command whose output is
// captured.
#pragma once

#include "platform/WindowManager.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace ravelin::test {

class ChildProcess {
public:
    ChildProcess() = default;
    // Starts argv[0] (a path) with stdin from /dev/null and stdout/stderr
    // into `log` (or /dev/null when empty).
    ChildProcess(const std::vector<std::string>& argv, const std::filesystem::path& log = {});
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }
    bool running();
    void signal(int number);
    // Waits for the exit; the status as a shell reports it, or nullopt when
    // still running after `timeout`.
    std::optional<int> wait(std::chrono::milliseconds timeout = std::chrono::seconds(15));
    // SIGTERM, a moment's grace, then SIGKILL; always reaps.
    void stop();

private:
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

// `ravelin-console [OPTIONS] -- SERVER ARGS` in the test's own runtime
// folder. Once start() returns true the host's window exists.
class ConsoleHostProcess {
public:
    ConsoleHostProcess() = default;
    // `hostOptions` come before "--"; without "--headless" among them the
    // host shows its Qt window (tests set QT_QPA_PLATFORM=offscreen first).
    bool start(const std::vector<std::string>& serverCommand,
               const std::vector<std::string>& hostOptions = {"--headless"});
    // q3sim from the build with these arguments.
    bool startQ3sim(const std::vector<std::string>& arguments);

    WindowHandle handle() const { return static_cast<WindowHandle>(m_process.pid()); }
    ChildProcess& process() { return m_process; }
    const std::filesystem::path& log() const { return m_log; }
    std::string logText() const;

private:
    ChildProcess m_process;
    std::filesystem::path m_log;
};

struct CommandResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a command to its end (killed after `timeout`), capturing its output.
CommandResult runCommand(const std::vector<std::string>& argv,
                         std::chrono::milliseconds timeout = std::chrono::seconds(30));

std::filesystem::path endpointFolder();
// True when no such process runs (gone, or a zombie nobody reaped yet).
bool processGone(pid_t pid);
std::string readFile(const std::filesystem::path& path);

} // namespace ravelin::test
