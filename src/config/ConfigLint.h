// What is wrong with a configuration file before the server sees it, each
// finding on its line.
//
// The engine's limits, as measured on the servers (and given for 1.32):
//   - exec reads the whole file into the command buffer and skips the
//     whole file ("Cbuf_InsertText overflowed") unless its bytes and one
//     more fit: 16,384 bytes in Quake III 1.32, 131,072 in ioq3 (OpenArena
//     0.8.8 runs a 131,071-byte file and skips a 131,072-byte one);
//   - a command keeps its first 1,023 characters, the rest is lost.
// Besides those: unknown cvars and commands, latched cvars (changed only
// by the next map), lines that stop the server, unbalanced quotes, and two
// comment forms Quake III 1.32 reads differently from ioq3.
//
// What the server knows comes from its own lists (`cvarlist`, `cmdlist`);
// without them no name is called unknown.
#pragma once

#include "config/ConfigSyntax.h"

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace ravelin {

inline constexpr std::size_t kExecBuffer132 = 16384;
inline constexpr std::size_t kExecBufferIoq3 = 131072;
inline constexpr std::size_t kCommandLineLimit = 1024;

// The server's cvars and commands, names folded to lower case.
class ServerKnowledge {
public:
    struct Cvar {
        std::string name; // as the server spells it
        bool latched = false;
    };

    // Reads `cvarlist` output: a line of flag letters, the name and the
    // quoted value (`S    AL   sv_maxclients "8"`). Other lines are skipped.
    void addCvarList(const std::vector<std::string>& lines);
    // Reads `cmdlist` output: one bare command name a line.
    void addCmdList(const std::vector<std::string>& lines);
    void addCvar(const std::string& name, bool latched = false);

    bool empty() const { return m_cvars.empty(); }
    const Cvar* cvar(std::string_view name) const;
    bool command(std::string_view name) const;
    // Every cvar name, in order without regard to case (for completion).
    std::vector<std::string> cvarNames() const;

private:
    std::map<std::string, Cvar> m_cvars;
    std::set<std::string> m_commands;
};

enum class LintKind {
    FileTooBig,
    LineTooLong,
    UnknownCvar,
    UnknownCommand,
    LatchedCvar,
    StopsServer,
    UnbalancedQuote,
    BlockCommentSpansLines,
    SemicolonInComment,
};

struct LintFinding {
    int line = 0; // 0-based
    LintKind kind = LintKind::UnknownCommand;
    std::string message;
    // Where on the line the finding points (bytes), for the editor's marks.
    std::size_t start = 0;
    std::size_t length = 0;

    bool operator==(const LintFinding&) const = default;
};

struct LintOptions {
    std::size_t execBuffer = kExecBufferIoq3;
    // The file's size in bytes (line ends included).
    std::size_t fileBytes = 0;
    // The ioq3 engine: its comments need no warning.
    bool ioq3 = true;
};

// Findings in line order (a line's findings in the order of the checks).
std::vector<LintFinding> lintConfig(const std::vector<std::string>& lines, const std::vector<ConfigLine>& syntax,
                                    const ServerKnowledge& knowledge, const LintOptions& options);

} // namespace ravelin
