#include "console/ConsoleText.h"

#include "platform/Text.h"

#include <algorithm>

namespace ravelin {

std::vector<std::string_view> splitConsoleText(std::string_view text)
{
    std::vector<std::string_view> parts;
    if (text.empty())
        return parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 2;
    }
}

int consoleLineCount(std::string_view text)
{
    if (text.empty())
        return -1;
    int count = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n", at + 2))
        ++count;
    return count;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    return std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char a, char b) { return asciiUpper(a) == asciiUpper(b); });
}

std::size_t findNoCase(std::string_view text, std::string_view needle)
{
    auto it = std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                          [](char a, char b) { return asciiUpper(a) == asciiUpper(b); });
    if (it == text.end())
        return needle.empty() ? 1 : 0;
    return static_cast<std::size_t>(it - text.begin()) + 1;
}

bool containsNoCase(std::string_view text, std::string_view needle) { return findNoCase(text, needle) > 0; }

std::string printableConsoleText(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 0x20 && byte != 0x7f) || c == '\n' || c == '\t')
            shown += c;
    }
    return shown;
}

} // namespace ravelin
