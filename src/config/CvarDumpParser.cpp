#include "config/CvarDumpParser.h"

#include "platform/Text.h"

namespace ravelin {

std::optional<CvarRow> parseDumpLine(std::string_view line)
{
    if (line.size() < 3 || asciiUpper(line[0]) != 'S' || asciiUpper(line[1]) != 'E' || asciiUpper(line[2]) != 'T')
        return std::nullopt;
    // The first blank at or after the third character ends the command word
    // ("set" itself has it at the fourth).
    const std::size_t p1 = line.find(' ', 2);
    if (p1 == std::string_view::npos)
        return std::nullopt;
    const std::size_t p2 = line.find(' ', p1 + 1);
    if (p2 == std::string_view::npos)
        return std::nullopt;
    // A file written with CR LF ends each value in a CR that is no part of
    // it (and would ride along into a set command).
    if (line.back() == '\r')
        line.remove_suffix(1);
    CvarRow row;
    row.key = std::string(line.substr(p1 + 1, p2 - p1 - 1));
    for (char c : line.substr(p2 + 1))
        if (c != '"')
            row.value += c;
    return row;
}

std::vector<CvarRow> parseCvarDump(std::string_view text)
{
    std::vector<CvarRow> rows;
    for (const std::string& line : splitLines(text))
        if (auto row = parseDumpLine(line))
            rows.push_back(std::move(*row));
    return rows;
}

} // namespace ravelin
