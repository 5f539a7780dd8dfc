// The ban file as read from disk: any bytes, and what is read is written
// back so that reading it again gives the same bans (nothing is lost).
#include "clients/BanFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const ravelin::BanFileContent first = ravelin::ParseBanFile(bytes);
    const ravelin::BanFileContent second = ravelin::ParseBanFile(ravelin::SerializeBanFile(first));
    if (second.bans != first.bans)
        __builtin_trap();
    std::string value;
    if (!ravelin::UnescapeBanField(ravelin::EscapeBanField(bytes), value) || value != bytes)
        __builtin_trap();
    return 0;
}
