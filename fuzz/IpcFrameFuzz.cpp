// The console protocol as a host reads it: a byte stream cut into frames by
// their length headers, each payload decoded and answered against a console
// model, and each answer decoded again as a client reads a Describe reply
// and a batch of numbered lines. Each payload is also fed to the model as
// server output, so a command run for its output meets arbitrary text.
#include "consolehost/ConsoleRequests.h"
#include "platform/ipc/IpcProtocol.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace ravelin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view stream(reinterpret_cast<const char*>(data), size);
    consolehost::ConsoleModel model;
    consolehost::ConsoleRequests requests(model, {});
    model.serverOutput("first line\nsecond ^1line\n");
    size_t used = 0;
    while (stream.size() - used >= ipc::kFrameHeader) {
        std::uint32_t length = ipc::frameLength(stream.substr(used, ipc::kFrameHeader));
        if (length == 0 || length > ipc::kMaxRequestPayload)
            break;
        if (stream.size() - used - ipc::kFrameHeader < length)
            break;
        std::string_view payload = stream.substr(used + ipc::kFrameHeader, length);
        used += ipc::kFrameHeader + length;
        bool closeAfter = false;
        std::string answer = requests.answer(payload, closeAfter, 1);
        model.serverOutput(payload);
        if (model.hasQueuedLine())
            model.takeBatch();
        model.inputTaken();
        // A client's view of a reply: status, then what Describe returns.
        ipc::PayloadReader reader(payload);
        reader.u8();
        reader.u32();
        reader.u32();
        reader.u32();
        reader.string();
        reader.string();
        std::uint8_t count = reader.u8();
        for (int i = 0; i < count && reader.ok(); ++i) {
            reader.string();
            reader.string();
        }
        ipc::PayloadReader back(answer);
        back.u8();
        ipc::decodeBatch(back);
        back.rest();
        if (closeAfter)
            break;
    }
    return 0;
}
