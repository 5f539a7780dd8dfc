// The launcher shim installer behind the start window's Gatehop button:
// proposes the game's folder, lets the operator confirm or change it,
// copies the shim there as "Gatehop" (executable) and tells the operator
// how to point a server launcher at it.
#pragma once

#include "launcher/GameRegistry.h"
#include "platform/Dialogs.h"

#include <filesystem>
#include <string>
#include <vector>

namespace ravelin {

class GatehopInstaller {
public:
    static constexpr const char* kPrompt = "Enter your Quake III: Arena directory below:";
    static constexpr const char* kTitle = "Installing Gatehop";
    static constexpr const char* kTargetName = "Gatehop";

    // `sources`: where the shipped shim may be, best first (the application
    // folder, the program's folder, the installed libexec folder).
    GatehopInstaller(Dialogs& dialogs, Registry& registry, std::vector<std::filesystem::path> sources,
                     std::vector<std::filesystem::path> gameFolders = usualGameFolders());

    // The whole install; returns the installed file, or "" when the
    // operator cancelled or the copy failed (the operator was told why).
    std::filesystem::path Install();

    // The instructions shown after a copy, three paragraphs.
    static std::string instructions();
    // The first existing shim among the sources, "" when none.
    std::filesystem::path shimSource() const;

private:
    Dialogs& m_dialogs;
    Registry& m_registry;
    std::vector<std::filesystem::path> m_sources;
    std::vector<std::filesystem::path> m_gameFolders;
};

} // namespace ravelin
