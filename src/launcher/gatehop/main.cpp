// gatehop: named as a server launcher's target (or renamed to the game's
// server binary), it brings the server up under Ravelin: the real server
// runs inside ravelin-console with the same arguments, and ravelin starts
// connected to that console. gatehop lives as long as the server does and
// passes termination signals on, so launchers, systemd units and scripts
// see the server's own life and exit status. When Ravelin's programs cannot
// be found the server is still started, bare.
#include "launcher/GameRegistry.h"
#include "launcher/gatehop/GatehopShim.h"
#include "platform/DisplayEnvironment.h"
#include "platform/ipc/EndpointFolder.h"
#include "platform/linux/IniRegistry.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace ravelin;

namespace {

volatile pid_t g_child = 0;

void forward(int signal)
{
    if (g_child > 0)
        kill(g_child, signal);
}

bool isExecutable(const fs::path& path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec) && access(path.c_str(), X_OK) == 0;
}

std::vector<char*> argvOf(std::vector<std::string>& command)
{
    std::vector<char*> argv;
    for (auto& word : command)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    return argv;
}

pid_t spawn(std::vector<std::string> command)
{
    const pid_t pid = fork();
    if (pid == 0) {
        auto argv = argvOf(command);
        execv(argv[0], argv.data());
        std::fprintf(stderr, "gatehop: cannot start %s: %s\n", argv[0], std::strerror(errno));
        _exit(127);
    }
    return pid;
}

// Starts ravelin on its own (a new session, not our child), so it outlives
// this server and is never left a zombie.
void spawnDetached(std::vector<std::string> command)
{
    const pid_t pid = fork();
    if (pid == 0) {
        setsid();
        if (fork() != 0)
            _exit(0);
        const int null = open("/dev/null", O_RDONLY);
        if (null >= 0)
            dup2(null, STDIN_FILENO);
        auto argv = argvOf(command);
        execv(argv[0], argv.data());
        std::fprintf(stderr, "gatehop: cannot start %s: %s\n", argv[0], std::strerror(errno));
        _exit(127);
    }
    if (pid > 0)
        waitpid(pid, nullptr, 0);
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool consoleListed(pid_t host)
{
    for (const auto& name : ipc::listEndpoints(ipc::defaultEndpointFolder()))
        if (auto endpoint = ipc::parseEndpointName(name); endpoint && endpoint->pid == host)
            return true;
    return false;
}

int exitStatus(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

int usage(FILE* to)
{
    std::fprintf(to,
                 "usage: gatehop [SERVER ARGUMENTS...]\n"
                 "Started in place of a Quake III-engine dedicated server: runs the real server\n"
                 "inside ravelin-console with the same arguments and starts ravelin on it.\n"
                 "The real server is INSTALLEXEPATH of [HKEY_LOCAL_MACHINE\\SOFTWARE\\ID\\QUAKE3]\n"
                 "in ~/.config/Ravelin/registry.ini, else this program's name + \"b\", else a\n"
                 "known server program (ioq3ded, oa_ded, ...) in its folder.\n"
                 "  --gatehop-help     this text\n"
                 "  --gatehop-version  the version\n");
    return to == stdout ? 0 : 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    // Every other argument belongs to the server, so gatehop's own options
    // carry its name. Started by its own name it also answers the usual ones.
    const bool ownName = fs::path(argv[0]).filename() == "gatehop" || fs::path(argv[0]).filename() == "Gatehop";
    if (args.size() == 1 && (args[0] == "--gatehop-version" || (ownName && args[0] == "--version"))) {
        std::printf("gatehop %s\n", RAVELIN_VERSION_TEXT);
        return 0;
    }
    if (args.size() == 1 && (args[0] == "--gatehop-help" || (ownName && args[0] == "--help")))
        return usage(stdout);

    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        self = fs::absolute(argv[0], ec);
    // Invoked through a symlink (a launcher's "target"), the link's place
    // and name count: that is where the game and its renamed server are.
    fs::path invoked = fs::absolute(argv[0], ec);
    if (!fs::path(argv[0]).has_parent_path()) {
        // Found on PATH: resolve like the shell did.
        const char* path = std::getenv("PATH");
        invoked = gatehop::findProgram(argv[0], {}, path ? path : "", isExecutable);
        if (invoked.empty())
            invoked = self;
    }

    IniRegistry registry;
    const std::string installExe =
        registryText(ReadRegistryValue(registry, RegistryRoot::LocalMachine, kGameExeKey, kGameExeValue));
    fs::path server = gatehop::findRealServer(invoked, installExe, isExecutable);
    if (server.empty() && invoked != self)
        server = gatehop::findRealServer(self, installExe, isExecutable);
    if (server.empty()) {
        std::fprintf(stderr,
                     "gatehop: cannot find the real server: rename it to %sb, or set INSTALLEXEPATH under "
                     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ID\\QUAKE3] in %s\n",
                     invoked.filename().c_str(), registry.file().c_str());
        return 127;
    }

    const fs::path settingsFile = registry.file().parent_path() / "Ravelin.ini";
    const fs::path recorded = gatehop::recordedProgram(readFile(settingsFile));
    const char* pathEnv = std::getenv("PATH");
    const std::string path = pathEnv ? pathEnv : "";
    fs::path ravelin =
        isExecutable(recorded) ? recorded : gatehop::findProgram("ravelin", self.parent_path(), path, isExecutable);
    const fs::path console = gatehop::findProgram(
        "ravelin-console", ravelin.empty() ? fs::path() : ravelin.parent_path(), path, isExecutable);
    if (console.empty()) {
        std::fprintf(stderr, "gatehop: ravelin-console not found; starting the server without Ravelin\n");
        auto command = std::vector<std::string>{server.string()};
        command.insert(command.end(), args.begin(), args.end());
        auto serverArgv = argvOf(command);
        execv(serverArgv[0], serverArgv.data());
        std::fprintf(stderr, "gatehop: cannot start %s: %s\n", server.c_str(), std::strerror(errno));
        return 127;
    }

    struct sigaction action {};
    action.sa_handler = forward;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT})
        sigaction(signal, &action, nullptr);

    const pid_t host = spawn(gatehop::consoleCommand(console, server, args));
    if (host < 0) {
        std::perror("gatehop: fork");
        return 127;
    }
    g_child = host;

    // ravelin lists the consoles once at start: it is started when this
    // console can be found, or not at all when the host ends first.
    int status = 0;
    bool ended = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!consoleListed(host)) {
        if (waitpid(host, &status, WNOHANG) == host) {
            ended = true;
            break;
        }
        if (std::chrono::steady_clock::now() > deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!ended) {
        if (ravelin.empty())
            std::fprintf(stderr, "gatehop: ravelin not found; the server runs in its console alone\n");
        else if (!displayNamedInEnvironment())
            std::fprintf(stderr, "gatehop: no display; start ravelin on the desktop to connect to this server\n");
        else if (consoleListed(host))
            spawnDetached(gatehop::ravelinCommand(ravelin, host));
        while (waitpid(host, &status, 0) < 0 && errno == EINTR) {}
    }
    return exitStatus(status);
}
