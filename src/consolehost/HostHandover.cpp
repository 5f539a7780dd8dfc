#include "consolehost/HostHandover.h"

#include "platform/ipc/IpcProtocol.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace ravelin::consolehost {

using namespace ravelin::ipc;

namespace {

constexpr std::uint32_t kHandoverVersion = 1;

} // namespace

std::string encodeHandover(const Handover& h)
{
    PayloadWriter w;
    w.u32(kHandoverVersion)
        .u32(static_cast<std::uint32_t>(h.serverPid))
        .u32(static_cast<std::uint32_t>(h.serverInput))
        .u32(static_cast<std::uint32_t>(h.serverOutput))
        .u32(static_cast<std::uint32_t>(h.listenFd))
        .string(h.folder)
        .string(h.name)
        .u8(h.keep)
        .u8(h.lostDisplay)
        .string(h.output)
        .string(h.input)
        .u8(h.visible)
        .u32(static_cast<std::uint32_t>(h.queued.size()));
    for (const std::string& line : h.queued)
        w.string(line);
    w.u64(h.ringBytes).u64(h.firstLine).u32(static_cast<std::uint32_t>(h.lines.size()));
    for (const NumberedLine& line : h.lines)
        w.u8(line.continues ? 1 : 0).string(line.text);
    // Later fields go at the end: a newer host reads an older one's handover.
    w.u32(static_cast<std::uint32_t>(h.command.size()));
    for (const std::string& word : h.command)
        w.string(word);
    w.u8(h.serverGone)
        .u64(static_cast<std::uint64_t>(h.restartInMs))
        .u32(h.starts)
        .u8(h.restartState)
        .u32(h.crashes)
        .u32(h.restarts);
    return w.payload();
}

std::optional<Handover> decodeHandover(std::string_view bytes)
{
    PayloadReader r(bytes);
    if (r.u32() != kHandoverVersion)
        return std::nullopt;
    Handover h;
    h.serverPid = static_cast<pid_t>(r.u32());
    h.serverInput = static_cast<int>(r.u32());
    h.serverOutput = static_cast<int>(r.u32());
    h.listenFd = static_cast<int>(r.u32());
    h.folder = r.string();
    h.name = r.string();
    h.keep = r.u8() != 0;
    h.lostDisplay = r.u8() != 0;
    h.output = r.string();
    h.input = r.string();
    h.visible = r.u8() != 0;
    std::uint32_t count = r.u32();
    for (std::uint32_t i = 0; i < count && r.ok(); ++i)
        h.queued.push_back(r.string());
    if (r.ok() && !r.atEnd()) {
        h.ringBytes = r.u64();
        h.firstLine = r.u64();
        std::uint32_t lines = r.u32();
        for (std::uint32_t i = 0; i < lines && r.ok(); ++i) {
            bool continues = r.u8() != 0;
            h.lines.push_back({r.string(), continues});
        }
    }
    if (r.ok() && !r.atEnd()) {
        std::uint32_t words = r.u32();
        for (std::uint32_t i = 0; i < words && r.ok(); ++i)
            h.command.push_back(r.string());
        h.serverGone = r.u8() != 0;
        h.restartInMs = static_cast<std::int64_t>(r.u64());
        h.starts = r.u32();
        h.restartState = r.u8();
        h.crashes = r.u32();
        h.restarts = r.u32();
    }
    if (!r.ok() || (h.serverGone ? h.serverPid != 0 : h.serverPid <= 0))
        return std::nullopt;
    return h;
}

bool localDisplayReachable(const std::string& display)
{
    if (display.size() < 2 || display[0] != ':')
        return false;
    std::string number =
        display.substr(1, display.find('.') == std::string::npos ? std::string::npos : display.find('.') - 1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos || number.size() > 6)
        return false;
    std::string path = "/tmp/.X11-unix/X" + number;
    // The server listens on the abstract name and on the file; either will do.
    for (bool abstract : {true, false}) {
        int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::size_t offset = abstract ? 1 : 0;
        std::memcpy(address.sun_path + offset, path.c_str(), path.size());
        socklen_t length =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size() + (abstract ? 0 : 1));
        bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0;
        ::close(fd);
        if (ok)
            return true;
    }
    return false;
}

bool displayOpens(const std::string& display, const std::string& authority, int timeoutMs)
{
    // Everything the child needs is made before fork: between fork and
    // exec only async-signal-safe calls are allowed.
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        std::string_view text = *entry;
        if (text.starts_with("DISPLAY=") || (!authority.empty() && text.starts_with("XAUTHORITY=")))
            continue;
        environment.emplace_back(text);
    }
    environment.push_back("DISPLAY=" + display);
    if (!authority.empty())
        environment.push_back("XAUTHORITY=" + authority);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    // The child's own /proc/self/exe is this program.
    std::string self = "/proc/self/exe";
    std::string flag = "--check-display";
    char* argv[] = {self.data(), flag.data(), nullptr};

    pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // A refused display ends the check by abort: no core file for it,
        // and Qt's complaint is ours to put in words.
        rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
        }
        ::execve(self.c_str(), argv, envp.data());
        ::_exit(127);
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    for (;;) {
        pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (done < 0 && errno != EINTR)
            return false;
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace ravelin::consolehost
