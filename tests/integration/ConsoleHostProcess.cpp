#include "integration/ConsoleHostProcess.h"

#include "platform/ipc/EndpointFolder.h"
#include "support/TestEnvironment.h"

#include <csignal>

namespace ravelin::test {

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
    return waitFor([&] { return !m_process.running() || !endpoint().empty(); }) && m_process.running();
}

bool ConsoleHostProcess::startQ3sim(const std::vector<std::string>& arguments,
                                    const std::vector<std::string>& hostOptions)
{
    std::vector<std::string> command{(binDir() / "q3sim").string()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return start(command, hostOptions);
}

std::filesystem::path ConsoleHostProcess::endpoint() const
{
    const std::string suffix = "-" + std::to_string(m_process.pid()) + ".sock";
    for (const auto& name : ipc::listEndpoints(endpointFolder()))
        if (name.ends_with(suffix))
            return endpointFolder() / name;
    return {};
}

int ConsoleHostProcess::connectRaw() const
{
    const std::filesystem::path path = endpoint();
    return path.empty() ? -1 : ipc::connectEndpoint(endpointFolder(), path.filename().string());
}

CommandResult consoleClient(std::vector<std::string> args, std::chrono::milliseconds timeout)
{
    args.insert(args.begin(), (binDir() / "ravelin-console").string());
    return runCommand(args, timeout);
}

std::filesystem::path endpointFolder() { return ipc::defaultEndpointFolder(); }

bool processGone(pid_t pid)
{
    if (::kill(pid, 0) != 0)
        return true;
    std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    auto paren = stat.rfind(')');
    return paren == std::string::npos || (paren + 2 < stat.size() && stat[paren + 2] == 'Z');
}

} // namespace ravelin::test
