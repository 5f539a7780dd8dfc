// The per-user settings store as INI files: one file per application,
// $XDG_CONFIG_HOME/<app>/<app>.ini (~/.config when the variable is unset),
// one INI group per section. Values are bytes, kept as Latin-1 so every
// byte survives. Each write is flushed at once: the program may end without
// running any destructor.
#pragma once

#include "platform/SettingsStore.h"

#include <filesystem>

namespace ravelin {

class QtSettingsStore final : public SettingsStore {
public:
    // `configFolder` empty: $XDG_CONFIG_HOME, else ~/.config.
    explicit QtSettingsStore(std::filesystem::path configFolder = {});

    std::string getSetting(std::string_view app, std::string_view section, std::string_view key,
                           std::string_view fallback = {}) override;
    void saveSetting(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view value) override;

    std::filesystem::path fileFor(std::string_view app) const;

private:
    std::filesystem::path m_folder;
};

} // namespace ravelin
