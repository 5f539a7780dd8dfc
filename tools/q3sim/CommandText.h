// How the engine turns console text into commands and arguments.
//
// In: the bytes of one read() of piped standard input, or any command text.
// Out: command lines (split at LF, CR and at ";" outside double quotes) and,
// per line, the argument list of the engine's tokenizer (double quotes group,
// "//" ends the line, "/* */" is skipped). The quirks of the real engine are
// kept on purpose, because the console above us is written against them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace q3sim {

// The engine reads piped input 256 bytes at a time and drops the last byte of
// every read, taking it for the line end; the rest goes to the command buffer
// followed by a line end. A command longer than 255 bytes is therefore cut
// into pieces and loses one byte per read.
inline constexpr std::size_t kStdinReadSize = 256;
std::string pipedReadText(std::string_view chunk);

// Splits command buffer text into single command lines, as the engine's
// command buffer does: at LF or CR, or at ";" when an even number of double
// quotes precede it within the line. Empty lines are kept out.
std::vector<std::string> splitCommands(std::string_view text);

// The engine's argument tokenizer.
std::vector<std::string> tokenize(std::string_view line);

// The arguments from `first` on joined by single blanks (the engine's
// Cmd_Args after tokenizing).
std::string joinArgs(const std::vector<std::string>& args, std::size_t first = 1);

// Case-insensitive ASCII comparison, the way the engine compares names.
bool equalsNoCase(std::string_view a, std::string_view b);
std::string toLower(std::string_view text);

} // namespace q3sim
