// Player names as the roster keys them, and player-derived text made safe to
// put into a console command line.
#pragma once

#include "platform/Text.h"

#include <string>
#include <string_view>
#include <vector>

namespace ravelin {

// Removes every colour code (a caret and a digit 0 to 8), again and again
// until none is left, so no such pair survives ("^^11" leaves nothing).
std::string RemoveColourCodes(std::string_view text);
// What the console window leaves of a text: a caret and any following
// character other than a caret are dropped.
std::string StripConsoleColours(std::string_view text);
// Splits at single blanks, keeping empty words (as a split at " " does).
std::vector<std::string_view> SplitWords(std::string_view text);
std::vector<std::string_view> SplitFields(std::string_view text, char separator);

// The name key of a status-reply player line: the third and later words
// joined by blanks, colour codes removed, double quotes removed, trimmed,
// enclosed in double quotes. The reply merge and the reconciliation pass use
// this one order, so a row is never dropped and added again.
std::string NameKey(std::string_view playerLine);
// The key of a name as it stands (no words to join).
std::string NameKeyOf(std::string_view name);

// Player-derived text as one argument of a command line: double quotes
// become single quotes, semicolons colons, line breaks and other control
// characters blanks. The server's command splitter then cannot end the
// argument or start a command of the player's choosing.
std::string SafeArgument(std::string_view text);
// A name field ("Bob") for a command: the quotes around it kept, the text
// inside made safe.
std::string SafeNameField(std::string_view field);
// True when SafeNameField had to change the text inside the quotes.
bool NameFieldNeedsCleaning(std::string_view field);

} // namespace ravelin
