// The server's STATUS table as captured from the console between the two
// marker lines. Two layouts exist: Quake III Arena 1.32 prints
//     num score ping name            lastmsg address               qport rate
// with a three-wide slot, ioquake3 and OpenArena print
//     cl score ping name            address                                 rate
// with a two-wide slot. Neither is assumed: the header line says where the
// name column starts, and every later line whose first word is a number is a
// player row. A block without a header (no map: "Server is not running.")
// has no rows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ravelin {

struct StatusTableRow {
    int slot = 0;
    // The line from the name column on: the name, its padding and the
    // columns after it.
    std::string nameColumn;
};

struct StatusTable {
    bool hasHeader = false;
    std::vector<StatusTableRow> rows;
};

// Lines end in CR LF (a bare LF is taken too).
StatusTable ParseStatusBlock(std::string_view block);

// True when `name` (a name as the console shows it) is the name standing in
// this row's name column: the column starts with it and a blank or the end
// of the line follows.
bool NameColumnStartsWith(std::string_view nameColumn, std::string_view name);

} // namespace ravelin
