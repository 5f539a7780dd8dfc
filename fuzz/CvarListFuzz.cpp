// The cvarlist reader on arbitrary console lines: every row it returns names
// a cvar without blanks, and nothing it reads may crash it.
#include "config/CvarListParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            lines.push_back(std::move(line));
            line.clear();
        } else {
            line += static_cast<char>(data[i]);
        }
    }
    lines.push_back(line);
    const auto rows = ravelin::parseCvarList(lines);
    if (rows.size() > lines.size())
        std::abort();
    for (const auto& row : rows)
        if (row.key.empty() || row.key.find(' ') != std::string::npos || row.flags.find(' ') != std::string::npos)
            std::abort();
    return 0;
}
