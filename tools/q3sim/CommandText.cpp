#include "q3sim/CommandText.h"

namespace q3sim {

std::string pipedReadText(std::string_view chunk)
{
    if (chunk.empty())
        return {};
    std::string text(chunk.substr(0, chunk.size() - 1));
    text += '\n';
    return text;
}

std::vector<std::string> splitCommands(std::string_view text)
{
    std::vector<std::string> lines;
    std::string current;
    int quotes = 0;
    auto flush = [&] {
        if (!current.empty())
            lines.push_back(current);
        current.clear();
        quotes = 0;
    };
    for (char c : text) {
        if (c == '"')
            ++quotes;
        if (c == '\n' || c == '\r' || (c == ';' && quotes % 2 == 0)) {
            flush();
            continue;
        }
        current += c;
    }
    flush();
    return lines;
}

namespace {

bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

} // namespace

std::vector<std::string> tokenize(std::string_view line)
{
    std::vector<std::string> args;
    std::size_t i = 0;
    const std::size_t n = line.size();
    auto at = [&](std::size_t k) { return k < n ? line[k] : '\0'; };
    for (;;) {
        // Blanks and comments between arguments.
        for (;;) {
            while (i < n && isBlank(line[i]))
                ++i;
            if (i >= n)
                return args;
            if (at(i) == '/' && at(i + 1) == '/')
                return args;
            if (at(i) == '/' && at(i + 1) == '*') {
                auto end = line.find("*/", i + 2);
                if (end == std::string_view::npos)
                    return args;
                i = end + 2;
                continue;
            }
            break;
        }
        std::string arg;
        if (line[i] == '"') {
            ++i;
            while (i < n && line[i] != '"')
                arg += line[i++];
            args.push_back(arg);
            if (i >= n)
                return args;
            ++i;
            continue;
        }
        // A bare word ends at a blank, a double quote or a comment.
        while (i < n && !isBlank(line[i])) {
            if (line[i] == '"')
                break;
            if (line[i] == '/' && (at(i + 1) == '/' || at(i + 1) == '*'))
                break;
            arg += line[i++];
        }
        args.push_back(arg);
    }
}

std::string joinArgs(const std::vector<std::string>& args, std::size_t first)
{
    std::string joined;
    for (std::size_t i = first; i < args.size(); ++i) {
        if (i > first)
            joined += ' ';
        joined += args[i];
    }
    return joined;
}

std::string toLower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

bool equalsNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && toLower(a) == toLower(b); }

} // namespace q3sim
