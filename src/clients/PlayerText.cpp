#include "clients/PlayerText.h"

namespace ravelin {

std::string RemoveColourCodes(std::string_view text)
{
    std::string out(text);
    for (;;) {
        std::string next;
        next.reserve(out.size());
        bool removed = false;
        for (std::size_t i = 0; i < out.size(); ++i) {
            if (out[i] == '^' && i + 1 < out.size() && out[i + 1] >= '0' && out[i + 1] <= '8') {
                ++i;
                removed = true;
                continue;
            }
            next += out[i];
        }
        out.swap(next);
        if (!removed)
            return out;
    }
}

std::string StripConsoleColours(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '^' && i + 1 < text.size() && text[i + 1] != '^') {
            ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

std::vector<std::string_view> SplitFields(std::string_view text, char separator)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            fields.push_back(text.substr(start));
            return fields;
        }
        fields.push_back(text.substr(start, at - start));
        start = at + 1;
    }
}

std::vector<std::string_view> SplitWords(std::string_view text) { return SplitFields(text, ' '); }

std::string NameKeyOf(std::string_view name)
{
    std::string plain = RemoveColourCodes(name);
    std::string unquoted;
    unquoted.reserve(plain.size());
    for (char c : plain)
        if (c != '"')
            unquoted += c;
    return '"' + std::string(trimBlanks(unquoted)) + '"';
}

// Everything after the second blank is the name, its own blanks included.
std::string NameKey(std::string_view playerLine)
{
    std::size_t first = playerLine.find(' ');
    std::size_t second = first == std::string_view::npos ? first : playerLine.find(' ', first + 1);
    return NameKeyOf(second == std::string_view::npos ? std::string_view() : playerLine.substr(second + 1));
}

std::string SafeArgument(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c == '"')
            c = '\'';
        else if (c == ';')
            c = ':';
        else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    }
    return out;
}

namespace {

std::string_view insideQuotes(std::string_view field)
{
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
        return field.substr(1, field.size() - 2);
    return field;
}

} // namespace

std::string SafeNameField(std::string_view field) { return '"' + SafeArgument(insideQuotes(field)) + '"'; }

bool NameFieldNeedsCleaning(std::string_view field)
{
    std::string_view inside = insideQuotes(field);
    return SafeArgument(inside) != inside;
}

} // namespace ravelin
