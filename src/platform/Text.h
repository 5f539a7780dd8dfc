// Trimming and case folding of byte text (std::string, no Qt) for every layer
// above this one. Each caller names the characters that count as blank where
// its input allows more than the blank itself (tabs in files, line breaks in
// downloaded text).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ravelin {

inline std::string_view trimLeft(std::string_view text, std::string_view blanks = " ")
{
    const auto first = text.find_first_not_of(blanks);
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

inline std::string_view trimRight(std::string_view text, std::string_view blanks = " ")
{
    const auto last = text.find_last_not_of(blanks);
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

// VB's Trim by default: blanks only, tabs kept.
inline std::string_view trimBlanks(std::string_view text, std::string_view blanks = " ")
{
    return trimRight(trimLeft(text, blanks), blanks);
}

// ASCII letters only, so Latin-1 bytes above 127 stay as they are.
inline char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string asciiUpper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = asciiUpper(c);
    return out;
}

// The text split at every LF and nothing else removed (a CR stays on its
// line), so joining the parts with LF gives the text back.
inline std::vector<std::string> splitLines(std::string_view text)
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

} // namespace ravelin
