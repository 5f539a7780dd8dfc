// The relay's request handling as ssh hands it bytes: a stream cut into
// frames by their length headers, each payload handled by the relay over an
// endpoint folder with no consoles in it (every console lookup fails, every
// request is still parsed and answered), until a malformed one ends the link
// as it would. The answers must be whole frames with the request's tag.
// The same bytes are also read as `ssh -G` output (the address a link's
// watch knocks on), which must come out as a host and a numeric port or
// nothing.
#include "consolehost/Relay.h"
#include "platform/ipc/ReturnWatch.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <unistd.h>

using namespace ravelin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::filesystem::path folder = [] {
        char pattern[] = "/tmp/ravelin-relay-fuzz-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        return std::filesystem::path(made ? made : "/nonexistent") / "consoles";
    }();
    static ipc::IpcWindowManager windows(folder);
    std::string_view stream(reinterpret_cast<const char*>(data), size);
    if (auto address = ipc::parseSshResolved(stream);
        address && (address->host.empty() || address->port.find_first_not_of("0123456789") != std::string::npos))
        std::abort();
    consolehost::RelayService service(windows);
    size_t used = 0;
    while (stream.size() - used >= ipc::kFrameHeader) {
        const std::uint32_t length = ipc::frameLength(stream.substr(used, ipc::kFrameHeader));
        if (length == 0 || length > ipc::kMaxRelayRequest || stream.size() - used - ipc::kFrameHeader < length)
            break;
        std::string_view payload = stream.substr(used + ipc::kFrameHeader, length);
        used += ipc::kFrameHeader + length;
        std::string out;
        const bool keep = service.handle(payload, out);
        for (size_t at = 0; at < out.size();) {
            if (out.size() - at < ipc::kFrameHeader + 5)
                std::abort();
            const std::uint32_t answer = ipc::frameLength(std::string_view(out).substr(at));
            if (answer < 5 || out.size() - at - ipc::kFrameHeader < answer)
                std::abort();
            at += ipc::kFrameHeader + answer;
        }
        if (!keep)
            break;
    }
    return 0;
}
