#include "config/CvarListParser.h"

namespace ravelin {

std::optional<CvarRow> parseCvarListLine(std::string_view line)
{
    const std::size_t open = line.find('"');
    if (open == std::string_view::npos || line.size() < open + 2 || line.back() != '"')
        return std::nullopt;
    std::string_view head = line.substr(0, open);
    while (!head.empty() && head.back() == ' ')
        head.remove_suffix(1);
    const std::size_t blank = head.rfind(' ');
    std::string_view name = blank == std::string_view::npos ? head : head.substr(blank + 1);
    if (name.empty())
        return std::nullopt;
    // The flag column: single letters and blanks, at least seven wide (so
    // "Unknown command "x"" is no cvar).
    const std::string_view column = blank == std::string_view::npos ? std::string_view() : head.substr(0, blank + 1);
    if (column.size() < 7)
        return std::nullopt;
    for (std::size_t i = 1; i < column.size(); ++i) {
        if (column[i] != ' ' && column[i - 1] != ' ')
            return std::nullopt;
    }
    CvarRow row;
    row.key = std::string(name);
    row.value = std::string(line.substr(open + 1, line.size() - open - 2));
    if (blank != std::string_view::npos) {
        for (char c : head.substr(0, blank)) {
            if (c != ' ')
                row.flags += c;
        }
    }
    return row;
}

std::vector<CvarRow> parseCvarList(const std::vector<std::string>& lines)
{
    std::vector<CvarRow> rows;
    for (const std::string& line : lines) {
        if (auto row = parseCvarListLine(line))
            rows.push_back(std::move(*row));
    }
    return rows;
}

} // namespace ravelin
