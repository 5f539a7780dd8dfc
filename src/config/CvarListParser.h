// The server's `cvarlist` output, read into cvar table rows. Each cvar is one
// line: a column of flag letters (S serverinfo, U userinfo, R read-only,
// I init, A archive, L latched, C cheat, ? made by a user...), the name, and
// the value in double quotes:
//     S   I     com_protocol "71"
// The closing count lines ("286 total cvars", "286 cvar indexes") and
// anything else without a quoted value after a column of single letters at
// least seven wide give no row. Every engine prints the
// flags in the same columns; the letters shown are the ones given, blanks
// dropped.
#pragma once

#include "config/CvarDumpParser.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ravelin {

std::optional<CvarRow> parseCvarListLine(std::string_view line);
std::vector<CvarRow> parseCvarList(const std::vector<std::string>& lines);

} // namespace ravelin
