// The presets folder: listing its preset files in file-name order with the
// name each one shows, and saving a list under a typed name. A file that is
// not a valid preset is left out of the listing with a reason, so one bad
// file never hides the others.
#pragma once

#include "config/PresetFile.h"

#include <filesystem>
#include <string>
#include <vector>

namespace ravelin {

inline constexpr const char* kPresetFolderName = "presets";

struct PresetListing {
    // Parallel lists: entry i of the drop-down and its file.
    std::vector<std::string> names;
    std::vector<std::filesystem::path> paths;
    // One line per file left out, naming it and saying why.
    std::vector<std::string> skipped;
};

// Every regular file whose name ends in ".pst" (any case; a file named only
// ".pst" included), sorted by name without regard to case.
std::vector<std::filesystem::path> listPresetFiles(const std::filesystem::path& folder);

PresetListing loadPresetListing(const std::filesystem::path& folder);

enum class PresetSaveResult { Saved, TooLong, WriteFailed };

// Writes `record` as `folder`/FileName.pst, replacing a file of that name
// only once the new one is complete. Creates the folder when missing.
PresetSaveResult savePresetFile(const std::filesystem::path& folder, const PresetRecord& record,
                                std::string* error = nullptr);

} // namespace ravelin
