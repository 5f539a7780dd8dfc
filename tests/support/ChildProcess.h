// The one child-process helper for tests: a child that is always ended and
// reaped when its owner goes (no strays, whatever the test does), with its
// output in a log file or on pipes the test reads without blocking, and a
// one-shot command whose output is captured.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ravelin::test {

class ChildProcess {
public:
    ChildProcess() = default;
    // Starts argv[0] (a path) with stdin from /dev/null and stdout/stderr
    // into `log` (or /dev/null when empty).
    ChildProcess(const std::vector<std::string>& argv, const std::filesystem::path& log = {});
    // Starts argv[0] in `workDir` (when given) with stdin, stdout and stderr
    // on pipes: write() feeds it, readAvailable() collects what it printed.
    static ChildProcess piped(const std::vector<std::string>& argv, const std::filesystem::path& workDir = {});
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

    // Piped children only. The bytes go in one write() call.
    void write(std::string_view bytes);
    void closeInput();
    // Appends what has arrived on stdout and stderr, without waiting.
    void readAvailable(std::string& out, std::string& err);

private:
    void closePipes();

    pid_t m_pid = -1;
    std::optional<int> m_status;
    int m_in = -1;
    int m_out = -1;
    int m_err = -1;
};

struct CommandResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a command to its end (killed after `timeout`), capturing its output.
CommandResult runCommand(const std::vector<std::string>& argv,
                         std::chrono::milliseconds timeout = std::chrono::seconds(30));

std::string readFile(const std::filesystem::path& path);

} // namespace ravelin::test
