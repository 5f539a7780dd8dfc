#include "platform/linux/IniRegistry.h"

#include "platform/Text.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace ravelin {

namespace {

// Lines may end in CR LF; a CR is trimmed at the end only.
std::string_view trim(std::string_view text) { return trimRight(trimLeft(text, " \t"), " \t\r"); }

const char* rootName(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::ClassesRoot: return "HKEY_CLASSES_ROOT";
    case RegistryRoot::CurrentUser: return "HKEY_CURRENT_USER";
    case RegistryRoot::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case RegistryRoot::Users: return "HKEY_USERS";
    }
    return "";
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "01,ff" -> bytes; nullopt-like empty flag on a bad digit.
bool hexBytes(std::string_view text, std::string& out)
{
    out.clear();
    int pending = -1;
    for (char c : text) {
        if (c == ',' || c == ' ') {
            if (pending >= 0)
                out.push_back(char(pending));
            pending = -1;
            continue;
        }
        const int d = hexDigit(c);
        if (d < 0 || pending >= 16)
            return false;
        pending = pending < 0 ? d : pending * 16 + d;
    }
    if (pending >= 0)
        out.push_back(char(pending));
    return true;
}

bool parseValue(std::string_view text, IniRegistry::Value& value)
{
    text = trim(text);
    const std::string head = asciiUpper(text.substr(0, 6));
    if (head == "DWORD:") {
        const std::string_view digits = text.substr(6);
        if (digits.empty() || digits.size() > 8)
            return false;
        std::uint32_t number = 0;
        for (char c : digits) {
            const int d = hexDigit(c);
            if (d < 0)
                return false;
            number = number * 16 + std::uint32_t(d);
        }
        value.type = REG_DWORD;
        value.data.assign({char(number & 0xff), char((number >> 8) & 0xff), char((number >> 16) & 0xff),
                           char((number >> 24) & 0xff)});
        return true;
    }
    if (asciiUpper(text.substr(0, 4)) == "HEX:" || asciiUpper(text.substr(0, 4)) == "HEX(") {
        const auto colon = text.find(':');
        value.type = REG_BINARY;
        if (text[3] == '(') {
            const auto close = text.find(')');
            if (close == std::string_view::npos || close > colon)
                return false;
            value.type = std::atoi(std::string(text.substr(4, close - 4)).c_str());
        }
        return hexBytes(text.substr(colon + 1), value.data);
    }
    value.type = REG_SZ;
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    value.data = std::string(text);
    return true;
}

} // namespace

IniRegistry::IniRegistry(std::filesystem::path file) : m_file(file.empty() ? defaultFile() : std::move(file)) {}

std::filesystem::path IniRegistry::defaultFile()
{
    std::filesystem::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        config = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        config = std::filesystem::path(home) / ".config";
    return config / "Ravelin" / "registry.ini";
}

IniRegistry::Values IniRegistry::parseSection(std::string_view text, std::string_view section)
{
    Values values;
    const std::string wanted = asciiUpper(section);
    bool inSection = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inSection = line.back() == ']' && asciiUpper(line.substr(1, line.size() - 2)) == wanted;
            continue;
        }
        const auto equals = line.find('=');
        if (!inSection || equals == std::string_view::npos)
            continue;
        std::string_view name = trim(line.substr(0, equals));
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        Value value;
        // A line that cannot be read is left out: the value reads as absent.
        if (parseValue(line.substr(equals + 1), value))
            values[asciiUpper(name)] = std::move(value);
    }
    return values;
}

long IniRegistry::openKey(RegistryRoot root, std::string_view path, RegistryKey& key)
{
    key = 0;
    std::ifstream in(m_file, std::ios::binary);
    if (!in)
        return ERROR_FILE_NOT_FOUND;
    std::stringstream text;
    text << in.rdbuf();
    const std::string contents = text.str();
    const std::string section = std::string(rootName(root)) + "\\" + std::string(path);
    // A key exists when its section header does.
    const std::string wanted = "[" + asciiUpper(section) + "]";
    bool found = false;
    std::string_view rest = contents;
    while (!rest.empty() && !found) {
        const auto end = rest.find('\n');
        found = asciiUpper(trim(rest.substr(0, end))) == wanted;
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    if (!found)
        return ERROR_FILE_NOT_FOUND;
    key = ++m_next;
    m_open[key] = parseSection(contents, section);
    return ERROR_SUCCESS;
}

long IniRegistry::queryValue(RegistryKey key, std::string_view name, int& type, std::string& data)
{
    const auto open = m_open.find(key);
    if (open == m_open.end())
        return ERROR_INVALID_HANDLE;
    const auto value = open->second.find(asciiUpper(name));
    if (value == open->second.end())
        return ERROR_FILE_NOT_FOUND;
    type = value->second.type;
    data = value->second.data;
    return ERROR_SUCCESS;
}

long IniRegistry::closeKey(RegistryKey key) { return m_open.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE; }

} // namespace ravelin
