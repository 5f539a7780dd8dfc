// The application folder: where the scripts, presets, tab pictures and the
// launcher shim live. $RAVELIN_HOME wins when set (seeded like a new folder
// when it is empty); a folder holding the
// program together with a Scripts folder (portable or build-tree layout) is
// used in place; otherwise the per-user data folder
// ($XDG_DATA_HOME/ravelin, ~/.local/share/ravelin) is used, created on first
// start and filled from the default files shipped with the program. Seeding
// only adds a default item (Scripts/, img/, gatehop) that is missing as a
// whole, so the operator's own edits are never overwritten.
#pragma once

#include <filesystem>
#include <vector>

namespace ravelin {

class AppFolder {
public:
    // The folder of the running executable (from /proc/self/exe).
    static std::filesystem::path executableFolder();

    // Folders that may hold the shipped defaults (Scripts/, img/, gatehop),
    // best first: the program's own folder, then ../share/ravelin beside it.
    static std::vector<std::filesystem::path> defaultSources(const std::filesystem::path& programFolder);

    // Resolves (and where needed creates and seeds) the application folder.
    static std::filesystem::path resolve(const std::filesystem::path& programFolder);

    // Copies each default item that `folder` lacks from the first source
    // that has it; items already there are left alone. Errors are ignored: a
    // missing picture falls back to a built-in one, a missing script is the
    // operator's to add.
    static void seed(const std::filesystem::path& folder, const std::vector<std::filesystem::path>& sources);
};

} // namespace ravelin
