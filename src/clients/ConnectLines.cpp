#include "clients/ConnectLines.h"

#include <charconv>

namespace ravelin {

namespace {

// A slot number that ends the text or is followed by a blank.
bool readSlot(std::string_view& text, int& slot)
{
    const char* end = text.data() + text.size();
    auto [at, ec] = std::from_chars(text.data(), end, slot);
    if (ec != std::errc() || at == text.data() || slot < 0 || slot > 4096 || (at != end && *at != ' '))
        return false;
    text.remove_prefix(static_cast<std::size_t>(at - text.data()));
    return true;
}

std::string_view dropLogTime(std::string_view line)
{
    std::size_t i = 0;
    while (i < line.size() && line[i] == ' ')
        ++i;
    const std::size_t digits = i;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9')
        ++i;
    if (i > digits && i + 3 < line.size() && line[i] == ':' && line[i + 1] >= '0' && line[i + 1] <= '9'
        && line[i + 2] >= '0' && line[i + 2] <= '9' && line[i + 3] == ' ')
        return line.substr(i + 4);
    return line;
}

} // namespace

std::string InfoValue(std::string_view info, std::string_view key)
{
    if (!info.empty() && info.front() == '\\')
        info.remove_prefix(1);
    std::size_t at = 0;
    while (at <= info.size()) {
        const std::size_t keyEnd = info.find('\\', at);
        if (keyEnd == std::string_view::npos)
            return {};
        const std::size_t valueEnd = info.find('\\', keyEnd + 1);
        const std::string_view value = info.substr(
            keyEnd + 1, valueEnd == std::string_view::npos ? std::string_view::npos : valueEnd - keyEnd - 1);
        if (info.substr(at, keyEnd - at) == key)
            return std::string(value);
        if (valueEnd == std::string_view::npos)
            return {};
        at = valueEnd + 1;
    }
    return {};
}

std::optional<ConnectEvent> ParseConnectLine(std::string_view line)
{
    line = dropLogTime(line);
    ConnectEvent event;
    auto prefixed = [&](std::string_view prefix) {
        if (!line.starts_with(prefix))
            return false;
        line.remove_prefix(prefix.size());
        return true;
    };
    if (prefixed("ClientConnect: ")) {
        event.kind = ConnectEvent::Kind::Connect;
        if (!readSlot(line, event.slot))
            return std::nullopt;
        return event;
    }
    if (prefixed("ClientDisconnect: ")) {
        event.kind = ConnectEvent::Kind::Disconnect;
        if (!readSlot(line, event.slot))
            return std::nullopt;
        return event;
    }
    if (prefixed("ClientUserinfoChanged: ")) {
        event.kind = ConnectEvent::Kind::Userinfo;
        if (!readSlot(line, event.slot) || line.empty())
            return std::nullopt;
        const std::string_view info = line.substr(1);
        event.name = InfoValue(info, "n");
        event.key = InfoValue(info, "id");
        return event;
    }
    if (prefixed("Client ")) {
        event.kind = ConnectEvent::Kind::Connecting;
        if (!readSlot(line, event.slot) || !line.starts_with(" connecting with "))
            return std::nullopt;
        return event;
    }
    return std::nullopt;
}

bool ParseUserinfoRow(std::string_view line, std::string& key, std::string& value)
{
    const std::size_t blank = line.find(' ');
    if (blank == 0 || blank == std::string_view::npos)
        return false;
    key = std::string(line.substr(0, blank));
    const std::size_t start = line.find_first_not_of(' ', blank);
    value = start == std::string_view::npos ? std::string() : std::string(line.substr(start));
    while (!value.empty() && value.back() == ' ')
        value.pop_back();
    return true;
}

std::string AddressOf(std::string_view ip)
{
    if (ip.empty())
        return {};
    for (char c : ip)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == '.' || c == ':'
              || c == '[' || c == ']'))
            return {};
    const std::size_t colon = ip.find(':');
    if (colon != std::string_view::npos && ip.find(':', colon + 1) == std::string_view::npos)
        ip = ip.substr(0, colon);
    if (ip.size() > 2 && ip.front() == '[') {
        const std::size_t close = ip.find(']');
        if (close == std::string_view::npos)
            return {};
        ip = ip.substr(1, close - 1);
    }
    if (ip.find_first_of("0123456789") == std::string_view::npos)
        return {};
    return std::string(ip);
}

} // namespace ravelin
