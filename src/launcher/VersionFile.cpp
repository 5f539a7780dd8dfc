#include "launcher/VersionFile.h"

#include "platform/Text.h"

#include <charconv>
#include <vector>

namespace ravelin {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

std::optional<std::int32_t> wholeNumber(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9')
            return std::nullopt;
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lower(text[i]) != prefix[i])
            return false;
    return true;
}

} // namespace

std::optional<VersionNumber> parseVersionNumber(std::string_view text)
{
    const auto parts = split(text, '.');
    if (parts.size() != 3)
        return std::nullopt;
    const auto major = wholeNumber(parts[0]);
    const auto minor = wholeNumber(parts[1]);
    const auto revision = wholeNumber(parts[2]);
    if (!major || !minor || !revision)
        return std::nullopt;
    return VersionNumber{*major, *minor, *revision};
}

std::optional<VersionFile> parseVersionFile(std::string_view bytes)
{
    if (bytes.size() > kMaxVersionFileBytes)
        return std::nullopt;
    const auto fields = split(trimBlanks(bytes, " \r\n\t"), ' ');
    if (fields.size() != 3)
        return std::nullopt;
    return VersionFile{std::string(fields[0]), std::string(fields[1]), std::string(fields[2])};
}

bool isNewer(const VersionFile& file, VersionNumber running)
{
    const auto announced = parseVersionNumber(file.version);
    return announced && *announced > running;
}

bool isWebLocation(std::string_view location)
{
    for (std::string_view scheme : {"http://", "https://", "ftp://"}) {
        if (!startsWithNoCase(location, scheme))
            continue;
        const std::string_view rest = location.substr(scheme.size());
        if (rest.empty() || rest.front() == '/')
            return false;
        // No control characters or blanks anywhere: a URL the desktop
        // would split or misread is not a location.
        for (char c : location)
            if (static_cast<unsigned char>(c) <= ' ' || c == '\x7f')
                return false;
        return true;
    }
    return false;
}

} // namespace ravelin
