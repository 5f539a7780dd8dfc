// VB's `Like` operator with text comparison's neighbour, binary comparison:
// the completion of the command line matches typed text against history
// entries and known commands with it.
//
// Pattern characters: `?` any one character, `#` any one digit, `*` any run
// of characters (also none), `[abc]` / `[a-z]` one character of the class,
// `[!abc]` one character outside it. Everything else matches itself, byte
// for byte (callers upper-case both sides for a case-free match).
//
// The operator types the pattern, so it is never an error: a `[` without
// its `]` matches a literal `[`, and so does the rest of what follows it.
#pragma once

#include <string_view>

namespace ravelin {

bool likeMatch(std::string_view text, std::string_view pattern);

} // namespace ravelin
