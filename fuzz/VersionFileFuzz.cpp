// The update check's version file: any bytes a web server sends must parse
// without fault, and what the check would store or open must be a clean URL.
#include "launcher/VersionFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto file = ravelin::parseVersionFile(bytes);
    if (!file)
        return 0;
    ravelin::isNewer(*file, {1, 0, 448});
    for (const std::string* location : {&file->location, &file->nextLocation}) {
        if (!ravelin::isWebLocation(*location))
            continue;
        for (char c : *location)
            if (static_cast<unsigned char>(c) <= ' ')
                std::abort();
    }
    return 0;
}
