// A console host running a server, for tests across programs; the child
// itself is the shared ChildProcess, so it is always ended and reaped.
#pragma once

#include "platform/WindowManager.h"
#include "support/ChildProcess.h"

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace ravelin::test {

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
    bool startQ3sim(const std::vector<std::string>& arguments,
                    const std::vector<std::string>& hostOptions = {"--headless"});

    WindowHandle handle() const { return static_cast<WindowHandle>(m_process.pid()); }
    ChildProcess& process() { return m_process; }
    const std::filesystem::path& log() const { return m_log; }
    std::string logText() const { return readFile(m_log); }
    // The host's endpoint ("" while there is none), and a raw connection to
    // it (-1 when there is none).
    std::filesystem::path endpoint() const;
    int connectRaw() const;

private:
    ChildProcess m_process;
    std::filesystem::path m_log;
};

// `ravelin-console ARGS`, the command-line client, run to its end.
CommandResult consoleClient(std::vector<std::string> args,
                            std::chrono::milliseconds timeout = std::chrono::seconds(30));

std::filesystem::path endpointFolder();
// True when no such process runs (gone, or a zombie nobody reaped yet).
bool processGone(pid_t pid);

} // namespace ravelin::test
