// The server's output for "exec NAME", read against the file it ran: the
// lines that name an unknown command, and those refusing a cvar (read only,
// write protected, cheat protected, latched), are picked out and tied to
// the file's line that caused them.
//
// Unknown commands read `Unknown command "X"` (Quake III 1.32),
// `unknown command: X` (ioq3 with a map) or, from baseq3's game on ioq3,
// `broadcast: print "server: X ...`. The n-th report about X goes to the
// n-th command of the file that starts with X (any case); cvar reports go
// to the n-th command that sets that cvar.
#pragma once

#include "config/ConfigSyntax.h"

#include <string>
#include <vector>

namespace ravelin {

struct ExecOutputLine {
    enum class Kind { Plain, UnknownCommand, CvarRefused };
    std::string text;
    Kind kind = Kind::Plain;
    std::string name; // the command or cvar named
    int fileLine = -1; // 0-based line of the file, -1 when none matches
};

// The name an unknown-command line reports; empty for other lines.
std::string unknownCommandName(std::string_view line);
// The cvar a refusal line names; empty for other lines.
std::string refusedCvarName(std::string_view line);

std::vector<ExecOutputLine> readExecOutput(const std::vector<std::string>& output,
                                           const std::vector<ConfigLine>& syntax);

} // namespace ravelin
