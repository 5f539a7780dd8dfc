// The per-user settings store: application, section, key -> text. On Linux
// it is an INI file per application under $XDG_CONFIG_HOME (qt/).
#pragma once

#include <string>
#include <string_view>

namespace ravelin {

inline constexpr const char* kSettingsApp = "Ravelin";

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored value, or `fallback` when the key is absent.
    virtual std::string getSetting(std::string_view app, std::string_view section, std::string_view key,
                                   std::string_view fallback = {}) = 0;
    virtual void saveSetting(std::string_view app, std::string_view section, std::string_view key,
                             std::string_view value) = 0;
};

} // namespace ravelin
