// The engine's configuration syntax, read the way its command buffer and
// tokenizer read it, one line at a time.
//
// In: one line of a configuration file (no line end) and whether a block
// comment is still open from the lines before. Out: coloured spans (for
// the editor) and the commands the line holds with their words (for the
// lint and the exec report).
//
// The rules, as the ioq3 engine applies them when it execs a file:
//   - a line end always ends a command (even inside quotes);
//   - ";" ends a command, except inside double quotes or a comment;
//   - "//" starts a comment to the end of the line, also in the middle of a
//     word ("http://x" is the word "http:");
//   - "/*" starts a comment that may run over several lines, to "*/";
//   - a double quote starts a quoted word that ends at the next quote or at
//     the line end (then the quote is unbalanced and swallows any ";").
// Quake III 1.32 differs in two ways the lint points out: its buffer splits
// at ";" inside a "//" comment too, and its block comments end at the line
// end. Offsets are bytes; text is bytes (Latin-1 when shown).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ravelin {

enum class ConfigSpanKind {
    Comment,
    Keyword, // a command word the engine itself knows (set, exec, map, ...)
    Command, // the first word of a command: a cvar, or a command of the game
    CvarName, // the cvar a set/seta/sets/setu/reset/toggle/unset/vstr names
    Quoted, // a double-quoted word, quotes included
    Word, // any other argument
    Separator, // ";"
};

struct ConfigSpan {
    std::size_t start = 0;
    std::size_t length = 0;
    ConfigSpanKind kind = ConfigSpanKind::Word;

    bool operator==(const ConfigSpan&) const = default;
};

// One command of a line: its words (quotes removed) and where each begins.
struct ConfigCommand {
    std::size_t start = 0;
    std::size_t end = 0; // one past its last byte, before any ";"
    std::vector<std::string> words;
    std::vector<std::size_t> wordStarts;
};

struct ConfigLine {
    std::vector<ConfigSpan> spans;
    std::vector<ConfigCommand> commands;
    // A quote opened on this line and never closed.
    bool unbalancedQuote = false;
    // A block comment is still open at the line's end.
    bool blockCommentOpen = false;
    // A ";" inside a "//" comment (Quake III 1.32 runs what follows it).
    bool semicolonInComment = false;
};

ConfigLine tokenizeConfigLine(std::string_view line, bool inBlockComment = false);

// Every line of a file, the block-comment state carried from line to line.
std::vector<ConfigLine> tokenizeConfigLines(const std::vector<std::string>& lines);

// The engine's own command words that name a cvar in their first argument.
bool namesCvarFirst(std::string_view command);
// A command the engine or its game module knows, whatever the server's
// own list says (compared without regard to case).
bool isBuiltinCommand(std::string_view command);
// Commands that stop the server.
bool stopsServer(std::string_view command);

// Case-free comparison of ASCII names, as the engine compares them.
bool sameName(std::string_view a, std::string_view b);
std::string lowerName(std::string_view name);

} // namespace ravelin
