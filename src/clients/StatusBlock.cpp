#include "clients/StatusBlock.h"

#include "clients/PlayerText.h"

namespace ravelin {

namespace {

bool isHeader(std::string_view line, std::size_t& nameAt)
{
    const std::vector<std::string_view> words = SplitWords(trimBlanks(line));
    std::vector<std::string_view> nonEmpty;
    for (std::string_view w : words)
        if (!w.empty())
            nonEmpty.push_back(w);
    if (nonEmpty.size() < 4 || nonEmpty[1] != "score" || nonEmpty[2] != "ping" || nonEmpty[3] != "name")
        return false;
    if (nonEmpty[0] != "num" && nonEmpty[0] != "cl")
        return false;
    nameAt = line.find(" name");
    if (nameAt == std::string_view::npos)
        return false;
    ++nameAt;
    return true;
}

bool slotOf(std::string_view line, int& slot)
{
    std::string_view trimmed = trimBlanks(line);
    std::string_view first = trimmed.substr(0, trimmed.find(' '));
    if (first.empty() || first.size() > 6)
        return false;
    int value = 0;
    for (char c : first) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    slot = value;
    return true;
}

} // namespace

StatusTable ParseStatusBlock(std::string_view block)
{
    StatusTable table;
    std::size_t nameAt = 0;
    std::size_t start = 0;
    while (start < block.size()) {
        std::size_t end = block.find('\n', start);
        if (end == std::string_view::npos)
            end = block.size();
        std::string_view line = block.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        start = end + 1;

        if (!table.hasHeader) {
            table.hasHeader = isHeader(line, nameAt);
            continue;
        }
        int slot = 0;
        if (!slotOf(line, slot))
            continue;
        // A numbered row too short to reach the name column ends the table.
        if (line.size() <= nameAt)
            break;
        table.rows.push_back({slot, std::string(line.substr(nameAt))});
    }
    return table;
}

bool NameColumnStartsWith(std::string_view nameColumn, std::string_view name)
{
    if (name.empty() || nameColumn.substr(0, name.size()) != name)
        return false;
    return nameColumn.size() == name.size() || nameColumn[name.size()] == ' ';
}

} // namespace ravelin
