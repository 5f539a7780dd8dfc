#include "consolehost/HostHandover.h"

#include "platform/ipc/IpcProtocol.h"

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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
    if (!r.ok() || h.serverPid <= 0)
        return std::nullopt;
    return h;
}

bool localDisplayReachable(const std::string& display)
{
    if (display.size() < 2 || display[0] != ':')
        return false;
    std::string number = display.substr(1, display.find('.') == std::string::npos ? std::string::npos
                                                                                    : display.find('.') - 1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos || number.size() > 6)
        return false;
    std::string path = "/tmp/.X11-unix/X" + number;
    // The server listens on the abstract name and on the file; either will do.
    for (bool abstract : {true, false}) {
        int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::size_t offset = abstract ? 1 : 0;
        std::memcpy(address.sun_path + offset, path.c_str(), path.size());
        socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size() + (abstract ? 0 : 1));
        bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0;
        ::close(fd);
        if (ok)
            return true;
    }
    return false;
}

} // namespace ravelin::consolehost
