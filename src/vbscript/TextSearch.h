// Substring search for the string built-ins (InStr, InStrRev, Replace, Split,
// Filter), binary or case-insensitive.
//
// A short needle is looked for directly (a memchr-driven scan, the common case
// of a delimiter or a word). A long one goes through Knuth-Morris-Pratt, so
// the cost stays linear in the text whatever the needle: a needle of a million
// "a"s ending in "b" against ten million "a"s takes milliseconds, not hours.
// Both paths poll the script's time limit (Interrupt.h) as they go.
#pragma once

#include "vbscript/Variant.h"

#include <string_view>

namespace ravelin::vbs {

// First position >= from where needle starts in hay; npos when none.
size_t findText(std::string_view hay, std::string_view needle, size_t from, CompareMode mode);
// Last position <= last where needle starts in hay; npos when none.
size_t rfindText(std::string_view hay, std::string_view needle, size_t last, CompareMode mode);

} // namespace ravelin::vbs
