// The registry substitute as a file of typed values, one section per key:
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\ID\QUAKE III ARENA]
//   INSTALLPATH="/usr/lib/ioquake3"
//   Players=dword:00000010
//
// A value is text ("quoted", or bare to the end of the line), a 32-bit number
// (dword: and eight hex digits) or raw bytes (hex:01,02, any other type).
// Key and value names match in any case, as in the registry. The file is
// read when a key is opened, so edits show at the next lookup.
#pragma once

#include "platform/Registry.h"

#include <filesystem>
#include <map>
#include <string>

namespace ravelin {

class IniRegistry final : public Registry {
public:
    // `file` empty: $XDG_CONFIG_HOME/Ravelin/registry.ini (~/.config when unset).
    explicit IniRegistry(std::filesystem::path file = {});

    static std::filesystem::path defaultFile();
    const std::filesystem::path& file() const { return m_file; }

    long openKey(RegistryRoot root, std::string_view path, RegistryKey& key) override;
    long queryValue(RegistryKey key, std::string_view name, int& type, std::string& data) override;
    long closeKey(RegistryKey key) override;

    struct Value {
        int type = REG_SZ;
        std::string data;
    };
    using Values = std::map<std::string, Value>; // by upper-case name
    // The values of section `section` (matched in any case) in `text`.
    static Values parseSection(std::string_view text, std::string_view section);

private:
    std::filesystem::path m_file;
    std::map<RegistryKey, Values> m_open;
    RegistryKey m_next = 0;
};

} // namespace ravelin
