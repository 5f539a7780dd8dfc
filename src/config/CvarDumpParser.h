// The configuration dump a server writes on WRITECONFIG, read back into the
// rows of the cvar table.
//
// In: the file's bytes. The text is split at every LF; a CR before it stays
// at the end of its line. Out: one row per line whose first three
// characters are "set" in any case (set, seta, sets, setu), in file order;
// bind, unbindall and comment lines are skipped.
//
// Row grammar: the command word, a blank, the name up to the next blank,
// that blank, then the value: the rest of the line with every double quote
// removed (inside the value too), blanks kept, a CR at the line's end
// dropped. The name keeps its case and
// duplicates give duplicate rows.
//
// Lines the engine never writes but a damaged file may hold: a "set" line
// without a blank after the command word, or without one after the name,
// gives no row (there is no name, or no value, to show).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ravelin {

struct CvarRow {
    std::string key; // the cvar name
    std::string value; // its value without quotes
    std::string flags = {}; // the letters cvarlist shows (empty from a dump file)

    bool operator==(const CvarRow&) const = default;
};

// The row a single line gives, if any.
std::optional<CvarRow> parseDumpLine(std::string_view line);

// Every row of a whole dump, in file order.
std::vector<CvarRow> parseCvarDump(std::string_view text);

} // namespace ravelin
