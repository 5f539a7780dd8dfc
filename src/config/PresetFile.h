// Preset files: one saved timed command list. The format is a fixed binary
// record (little-endian, no header, no padding, nothing after it):
//
//   u16 L1, DisplayName[L1]   the name as the operator typed it
//   u16 L2, FileName[L2]      the sanitized name; the file is FileName + ".pst"
//   u16 1                     array dimensions
//   u32 N                     entry count
//   u32 0                     the array's lower bound
//   N × (u16 length, bytes)   the rotation entries, "command||interval"
//
// Files written elsewhere in this format load here and back. The reader
// trusts nothing it reads: every length is checked against the bytes really
// there before anything is taken, so a truncated, foreign or hostile file is
// refused with a reason instead of being believed.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ravelin {

struct PresetRecord {
    std::string DisplayName;
    std::string FileName;
    std::vector<std::string> Commands;
};

// Longest name or entry the 16-bit length fields can carry.
inline constexpr std::size_t kMaxPresetString = 65535;
// Files past this size are not presets (a legitimate list is far smaller);
// they are refused before being read.
inline constexpr std::uintmax_t kMaxPresetFileSize = 64u * 1024 * 1024;
inline constexpr const char* kPresetExtension = ".pst";

// The file name for a typed name: blanks become "_", then every / \ : ? " *
// < > | is dropped.
std::string SanitizePresetName(std::string_view answer);

// The record's bytes; nullopt when a string is longer than 65535 bytes.
std::optional<std::string> encodePreset(const PresetRecord& record);

struct PresetReadResult {
    std::optional<PresetRecord> record;
    // Why the bytes are not a preset; empty when they are.
    std::string error;
};

PresetReadResult decodePreset(std::string_view bytes);
PresetReadResult readPresetFile(const std::filesystem::path& path);

} // namespace ravelin
