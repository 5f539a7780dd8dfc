// How the console's output text is cut into lines. Lines end in CR LF; the
// text after the last CR LF is a partial line, not yet handled. The line
// count is the number of CR LF pairs, and -1 for an empty text (an empty
// split), which callers use to tell "no output box" from "nothing new".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ravelin {

// Elements of the text split at every CR LF: the complete lines followed by
// the (possibly empty) partial line. An empty text gives no elements.
std::vector<std::string_view> splitConsoleText(std::string_view text);

// Number of complete lines: CR LF pairs, or -1 for an empty text.
int consoleLineCount(std::string_view text);

// The text as a person should see it: CR dropped (line ends become LF) and
// so are other control characters but tab, such as the 0x19 the Q3 engine
// puts after a player's name in chat lines, which a text box shows as a box.
std::string printableConsoleText(std::string_view text);

bool startsWithNoCase(std::string_view text, std::string_view prefix);
bool containsNoCase(std::string_view text, std::string_view needle);
// 1-based position of needle in text ignoring case, 0 when absent.
std::size_t findNoCase(std::string_view text, std::string_view needle);

} // namespace ravelin
