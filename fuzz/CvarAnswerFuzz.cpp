// The cvar probe's reading of console lines (the server's output): any
// line, against any name, must be classified and its fields taken without
// reading past its end. Input: the name, a NUL byte, then the line.
#include "console/CvarProbe.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t split = input.find('\0');
    std::string_view name = split == std::string_view::npos ? std::string_view("sv_hostname") : input.substr(0, split);
    std::string_view line = split == std::string_view::npos ? input : input.substr(split + 1);
    auto kind = ravelin::CvarProbe::classify(line, name);
    if (kind == ravelin::CvarProbe::LineKind::Answer) {
        (void)ravelin::CvarProbe::answerField(line, 1);
        (void)ravelin::CvarProbe::answerDefault(line);
    }
    for (int field = 0; field < 3; ++field)
        (void)ravelin::CvarProbe::answerField(line, field);
    return 0;
}
