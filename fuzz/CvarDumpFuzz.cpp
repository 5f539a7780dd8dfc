// The cvar dump parser on arbitrary file contents: every row it returns
// must come from a "set" line, and nothing it reads may crash it.
#include "config/CvarDumpParser.h"
#include "platform/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto rows = ravelin::parseCvarDump(text);
    std::size_t lines = ravelin::splitLines(text).size();
    if (rows.size() > lines)
        std::abort();
    for (const auto& row : rows)
        if (row.value.find('"') != std::string::npos || row.key.find(' ') != std::string::npos)
            std::abort();
    return 0;
}
