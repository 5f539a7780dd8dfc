#include "config/CvarDumpParser.h"

#include "platform/Text.h"

namespace ravelin {

std::vector<std::string> splitDumpLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            return lines;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
}

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
    for (const std::string& line : splitDumpLines(text))
        if (auto row = parseDumpLine(line))
            rows.push_back(std::move(*row));
    return rows;
}

} // namespace ravelin
