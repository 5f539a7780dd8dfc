#include "clients/BanFile.h"

#include <algorithm>
#include <charconv>

namespace ravelin {

namespace {

constexpr std::string_view kMagic = "ravelin-bans";
constexpr const char* kHex = "0123456789ABCDEF";

bool needsEscape(unsigned char c) { return c < 0x21 || c > 0x7e || c == '%' || c == '='; }

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool parseInt(std::string_view text, std::int64_t& value)
{
    if (text.empty())
        return false;
    const char* end = text.data() + text.size();
    auto [at, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && at == end;
}

bool validFieldName(std::string_view name)
{
    if (name.empty())
        return false;
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-'))
            return false;
    return true;
}

std::string lineRef(std::size_t number) { return "line " + std::to_string(number); }

// One `ban` line's fields; false with `why` when it cannot be taken.
bool parseBan(std::string_view rest, Ban& ban, std::string& why)
{
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = rest.find(' ', start);
        if (end == std::string_view::npos)
            end = rest.size();
        const std::string_view field = rest.substr(start, end - start);
        start = end + 1;
        if (field.empty())
            continue;
        const std::size_t eq = field.find('=');
        const std::string_view name = field.substr(0, eq);
        if (eq == std::string_view::npos || !validFieldName(name)) {
            why = "\"" + EscapeBanField(field) + "\" is not a field (word=value)";
            return false;
        }
        std::string value;
        if (!UnescapeBanField(field.substr(eq + 1), value)) {
            why = "the field " + std::string(name) + " has a broken %XX escape";
            return false;
        }
        if (name == "name")
            ban.name = std::move(value);
        else if (name == "address")
            ban.address = std::move(value);
        else if (name == "key")
            ban.key = std::move(value);
        else if (name == "reason")
            ban.reason = std::move(value);
        else if (name == "since") {
            if (!parseInt(value, ban.since)) {
                why = "since is not a number of seconds";
                return false;
            }
        } else if (name == "ends") {
            if (value == "never")
                ban.ends = 0;
            else if (!parseInt(value, ban.ends) || ban.ends <= 0) {
                why = "ends is neither \"never\" nor a number of seconds";
                return false;
            }
        } else {
            ban.otherFields.emplace_back(std::string(name), std::move(value));
        }
    }
    if (ban.name.empty() && ban.address.empty() && ban.key.empty()) {
        why = "the ban has no name, address or key";
        return false;
    }
    return true;
}

} // namespace

std::string EscapeBanField(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if (needsEscape(c)) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

bool UnescapeBanField(std::string_view text, std::string& out)
{
    out.clear();
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int high = hexValue(text[i + 1]);
        const int low = hexValue(text[i + 2]);
        if (high < 0 || low < 0)
            return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

BanFileContent ParseBanFile(std::string_view bytes)
{
    BanFileContent content;
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) {
            content.problems.push_back(lineRef(lines.size() + 1)
                                       + " was skipped: the file ends inside it (it was cut short)");
            break;
        }
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }

    std::size_t first = 0;
    std::int64_t version = 0;
    if (!lines.empty() && lines[0].starts_with(kMagic) && lines[0].size() > kMagic.size() + 1
        && lines[0][kMagic.size()] == ' ' && parseInt(lines[0].substr(kMagic.size() + 1), version) && version > 0
        && version < 1'000'000) {
        content.version = static_cast<int>(version);
        first = 1;
    } else if (!bytes.empty()) {
        content.problems.push_back("line 1 was skipped: the file does not start with \"ravelin-bans VERSION\"");
        first = lines.empty() ? 0 : 1;
    }

    bool ended = false;
    std::int64_t endCount = -1;
    std::size_t banLines = 0;
    for (std::size_t i = first; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.empty())
            continue;
        const std::size_t blank = line.find(' ');
        const std::string_view kind = line.substr(0, blank);
        const std::string_view rest = blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
        if (ended) {
            content.problems.push_back(lineRef(i + 1) + " was skipped: it comes after the end line");
            continue;
        }
        if (kind == "ban") {
            ++banLines;
            Ban ban;
            std::string why;
            if (parseBan(rest, ban, why))
                content.bans.push_back(std::move(ban));
            else
                content.problems.push_back(lineRef(i + 1) + " was skipped: " + why);
        } else if (kind == "end") {
            ended = true;
            if (!parseInt(rest, endCount))
                content.problems.push_back(lineRef(i + 1) + ": the end line has no count of bans");
        } else {
            // A newer version's kind of line, or a damaged one: kept as it is.
            content.otherLines.emplace_back(line);
            if (content.version <= BanFileContent::kVersion)
                content.problems.push_back(lineRef(i + 1) + " is not a ban line; it is kept as it is");
        }
    }
    if (!bytes.empty() && !ended)
        content.problems.push_back("the file has no end line: it was cut short, so bans after line "
                                   + std::to_string(lines.size()) + " may be missing");
    else if (ended && endCount >= 0 && static_cast<std::size_t>(endCount) != banLines)
        content.problems.push_back("the end line counts " + std::to_string(endCount) + " bans but the file holds "
                                   + std::to_string(banLines));
    return content;
}

std::string SerializeBanFile(const BanFileContent& content)
{
    std::string out =
        std::string(kMagic) + " " + std::to_string(std::max(content.version, BanFileContent::kVersion)) + "\n";
    for (const Ban& ban : content.bans) {
        out += "ban name=" + EscapeBanField(ban.name);
        if (!ban.address.empty())
            out += " address=" + EscapeBanField(ban.address);
        if (!ban.key.empty())
            out += " key=" + EscapeBanField(ban.key);
        if (!ban.reason.empty())
            out += " reason=" + EscapeBanField(ban.reason);
        out += " since=" + std::to_string(ban.since);
        out += " ends=" + (ban.ends == 0 ? std::string("never") : std::to_string(ban.ends));
        for (const auto& [name, value] : ban.otherFields)
            out += " " + name + "=" + EscapeBanField(value);
        out += "\n";
    }
    for (const std::string& line : content.otherLines)
        out += line + "\n";
    out += "end " + std::to_string(content.bans.size()) + "\n";
    return out;
}

} // namespace ravelin
