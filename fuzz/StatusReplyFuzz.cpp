// The UDP status reply as any sender could shape it: the reply test, the
// player lines, and the name key and fields the roster makes of each line.
#include "clients/PlayerText.h"
#include "clients/StatusReply.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    if (!ravelin::IsStatusReply(reply))
        return 0;
    for (const std::string& line : ravelin::ParseStatusReply(reply)) {
        if (line.empty() || line.find('\n') != std::string::npos)
            __builtin_trap();
        const std::string key = ravelin::NameKey(line);
        if (key.size() < 2 || key.front() != '"' || key.back() != '"')
            __builtin_trap();
        const std::string safe = ravelin::SafeNameField(key);
        if (safe.find(';') != std::string::npos || safe.find('\n') != std::string::npos)
            __builtin_trap();
        (void)ravelin::SplitWords(line);
    }
    return 0;
}
