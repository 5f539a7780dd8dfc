#include "platform/ipc/EndpointFolder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace ravelin::ipc {

namespace {

// Checks one folder of the chain: a real directory (not a link), ours,
// closed to group and others.
std::string checkOne(const std::filesystem::path& folder)
{
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0)
        return "endpoint folder " + folder.string() + " is missing: " + std::strerror(errno);
    if (!S_ISDIR(st.st_mode))
        return "endpoint folder " + folder.string() + " is not a directory; refusing to use it";
    if (st.st_uid != ::geteuid())
        return "endpoint folder " + folder.string() + " is owned by user " + std::to_string(st.st_uid)
            + ", not by us; refusing to use it";
    if ((st.st_mode & 077) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
        return "endpoint folder " + folder.string() + " has mode " + mode
            + " (open to group or others); refusing to use it (it must be 0700)";
    }
    return {};
}

bool makeFolder(const std::filesystem::path& folder, std::string& error)
{
    if (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST)
        return true;
    error = "cannot create endpoint folder " + folder.string() + ": " + std::strerror(errno);
    return false;
}

// sockaddr_un holds about 107 bytes of path. A longer path is reached
// through the folder's descriptor in /proc, which resolves to the same place.
struct SocketAddress {
    sockaddr_un address{};
    int folderFd = -1;
    bool ok = false;

    SocketAddress(const std::filesystem::path& folder, const std::string& name)
    {
        address.sun_family = AF_UNIX;
        std::string full = (folder / name).string();
        if (full.size() < sizeof(address.sun_path)) {
            std::memcpy(address.sun_path, full.c_str(), full.size() + 1);
            ok = true;
            return;
        }
        folderFd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (folderFd < 0)
            return;
        std::string viaProc = "/proc/self/fd/" + std::to_string(folderFd) + "/" + name;
        if (viaProc.size() >= sizeof(address.sun_path))
            return;
        std::memcpy(address.sun_path, viaProc.c_str(), viaProc.size() + 1);
        ok = true;
    }
    ~SocketAddress()
    {
        if (folderFd >= 0)
            ::close(folderFd);
    }
    SocketAddress(const SocketAddress&) = delete;
    SocketAddress& operator=(const SocketAddress&) = delete;
    const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&address); }
};

} // namespace

std::filesystem::path defaultEndpointFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime)
        return std::filesystem::path(runtime) / "ravelin" / "consoles";
    return std::filesystem::path("/tmp") / ("ravelin-" + std::to_string(::geteuid())) / "consoles";
}

std::string prepareEndpointFolder(const std::filesystem::path& folder)
{
    std::string error;
    auto parent = folder.parent_path();
    if (!parent.empty() && !makeFolder(parent, error))
        return error;
    if (!makeFolder(folder, error))
        return error;
    return checkEndpointFolder(folder);
}

std::string checkEndpointFolder(const std::filesystem::path& folder)
{
    // The parent is ours too (we create it), so someone who could rename
    // entries in it could swap the folder; check it as well.
    auto parent = folder.parent_path();
    if (!parent.empty()) {
        if (std::string problem = checkOne(parent); !problem.empty())
            return problem;
    }
    return checkOne(folder);
}

std::string makeEndpointName(std::uint64_t startNs, pid_t pid)
{
    char name[64];
    std::snprintf(name, sizeof name, "%016llx-%d.sock", static_cast<unsigned long long>(startNs),
                  static_cast<int>(pid));
    return name;
}

std::optional<EndpointName> parseEndpointName(std::string_view name)
{
    constexpr std::string_view suffix = ".sock";
    if (name.size() < 16 + 1 + 1 + suffix.size() || name[16] != '-' || !name.ends_with(suffix))
        return std::nullopt;
    EndpointName parsed;
    for (std::size_t i = 0; i < 16; ++i) {
        char c = name[i];
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0)
            return std::nullopt;
        parsed.startNs = parsed.startNs * 16 + static_cast<std::uint64_t>(digit);
    }
    std::string_view pid = name.substr(17, name.size() - 17 - suffix.size());
    if (pid.empty() || pid.size() > 9)
        return std::nullopt;
    long value = 0;
    for (char c : pid) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value <= 0)
        return std::nullopt;
    parsed.pid = static_cast<pid_t>(value);
    return parsed;
}

std::vector<std::string> listEndpoints(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (dirent* entry = ::readdir(dir)) {
        if (parseEndpointName(entry->d_name))
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

// The name an endpoint is bound under until it listens; no lister reads it.
constexpr std::string_view kPendingPrefix = ".";
constexpr std::string_view kPendingSuffix = ".new";

std::string pendingName(const std::string& name)
{
    return std::string(kPendingPrefix) + name + std::string(kPendingSuffix);
}

// A host killed between binding and publishing leaves its pending socket;
// the next host to publish removes those whose process has ended. A
// living process's pending name may be in use this very moment.
void removeAbandonedPending(const std::filesystem::path& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    std::vector<std::string> abandoned;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view entryName = entry->d_name;
        if (entryName.size() <= kPendingPrefix.size() + kPendingSuffix.size() || !entryName.starts_with(kPendingPrefix)
            || !entryName.ends_with(kPendingSuffix))
            continue;
        entryName.remove_prefix(kPendingPrefix.size());
        entryName.remove_suffix(kPendingSuffix.size());
        auto parsed = parseEndpointName(entryName);
        if (parsed && ::kill(parsed->pid, 0) != 0 && errno == ESRCH)
            abandoned.push_back(pendingName(std::string(entryName)));
    }
    ::closedir(dir);
    for (const std::string& entryName : abandoned) {
        auto path = folder / entryName;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::geteuid())
            ::unlink(path.c_str());
    }
}

} // namespace

int listenEndpoint(const std::filesystem::path& folder, const std::string& name, std::string& error)
{
    removeAbandonedPending(folder);

    // Bound under a name no lister reads, and renamed into place only once
    // it listens: a client that connected in between would be refused and
    // take the socket for a dead host's leftover.
    std::string pending = pendingName(name);
    SocketAddress address(folder, pending);
    if (!address.ok || !SocketAddress(folder, name).ok) {
        error = "endpoint path too long: " + (folder / name).string();
        return -1;
    }
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("cannot create socket: ") + std::strerror(errno);
        return -1;
    }
    auto pendingPath = folder / pending;
    ::unlink(pendingPath.c_str());
    if (::bind(fd, address.get(), sizeof(sockaddr_un)) != 0) {
        error = "cannot bind " + pendingPath.string() + ": " + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    // The folder already keeps others out; the socket's own mode says the
    // same thing once more.
    ::chmod(pendingPath.c_str(), 0600);
    if (::listen(fd, SOMAXCONN) != 0) {
        error = std::string("cannot listen: ") + std::strerror(errno);
        ::close(fd);
        ::unlink(pendingPath.c_str());
        return -1;
    }
    if (::rename(pendingPath.c_str(), (folder / name).c_str()) != 0) {
        error = "cannot publish " + (folder / name).string() + ": " + std::strerror(errno);
        ::close(fd);
        ::unlink(pendingPath.c_str());
        return -1;
    }
    return fd;
}

int connectEndpoint(const std::filesystem::path& folder, const std::string& name)
{
    SocketAddress address(folder, name);
    if (!address.ok) {
        errno = ENAMETOOLONG;
        return -1;
    }
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, address.get(), sizeof(sockaddr_un)) != 0) {
        int saved = errno;
        ::close(fd);
        errno = saved;
        return -1;
    }
    return fd;
}

long peerUid(int fd)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return -1;
    return static_cast<long>(credentials.uid);
}

} // namespace ravelin::ipc
