// Replacing a file so that it is never lost: the new bytes go to a temporary
// file beside the target, are flushed to the disk, and only then renamed
// over the target. A crash, a full disk or a failing write leaves either the
// old file or the new one, never a half-written one, and the temporary file
// is removed on failure.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ravelin {

// True when `target` now holds `bytes`; otherwise `error` says why and the
// old file (if any) is untouched. The target's folder must exist.
bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes, std::string* error = nullptr);

} // namespace ravelin
