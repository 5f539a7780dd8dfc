// The preset reader on arbitrary bytes: it must refuse or read, never crash,
// and never allocate what a length or count field claims. A record it reads
// must encode back to exactly the bytes it came from.
#include "config/PresetFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ravelin::PresetReadResult read = ravelin::decodePreset(bytes);
    if (read.record) {
        const auto again = ravelin::encodePreset(*read.record);
        if (!again || *again != bytes)
            std::abort();
    } else if (read.error.empty()) {
        std::abort();
    }
    return 0;
}
