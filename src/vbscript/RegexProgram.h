// The compiled form of a regular expression, shared by the compiler
// (RegexCompiler.cpp: pattern text to a syntax tree to this program) and the
// matcher (Regex.cpp). Internal to those two files; the engine uses Regex.h.
//
// A program is a list of instructions for a backtracking machine: literal
// runs, byte sets, splits and jumps, capture saves, assertions, lookahead
// bodies, single-byte repetitions run as one instruction, loop registers that
// stop empty iterations, and dispatch tables that send an alternation of many
// branches to the few that can start with the next byte.
#pragma once

#include "vbscript/Regex.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ravelin::vbs {

namespace regex {

using ByteSet = std::array<std::uint8_t, 256>;

inline constexpr int kUnbounded = -1;
// Deeper nesting than this is refused; it keeps the recursive-descent
// parser and the lookahead recursion of the matcher off the C++ stack limit.
inline constexpr int kMaxNesting = 500;

inline bool isWordByte(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
inline bool isLineBreak(unsigned char c) { return c == '\n' || c == '\r'; }
// Case pairs of the byte strings' character set, Latin-1: ASCII letters
// and the accented letters 0xC0-0xDE / 0xE0-0xFE (but for × and ÷).
inline bool isUpperByte(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7); }
inline bool isLowerByte(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7); }
inline unsigned char foldByte(unsigned char c) { return isUpperByte(c) ? static_cast<unsigned char>(c + 32) : c; }
inline unsigned char otherCase(unsigned char c)
{
    if (isUpperByte(c))
        return static_cast<unsigned char>(c + 32);
    if (isLowerByte(c))
        return static_cast<unsigned char>(c - 32);
    return c;
}

enum class Op : std::uint8_t {
    Str, // a = literal offset, b = length
    StrFold, // same, compared case-insensitively (literal stored lower-case)
    Set, // a = set index
    Split, // try a, on failure b
    Jmp, // a
    Save, // a = capture slot
    Bol,
    Eol,
    WordB,
    NotWordB,
    BackRef, // a = group
    Look, // flag = negative, a = pc after the lookahead body
    LookEnd,
    RepSet, // a = set index, b = min, c = max, flag = greedy
    RegSet, // a = loop register: remember where this iteration began
    RegCheck, // a = loop register: an iteration that consumed nothing fails
    ResetCaps, // slots [a, b) become unset at the start of an iteration
    AltDispatch, // a = dispatch table: the alternatives worth trying for the next byte
    Match,
};

struct Inst {
    Op op;
    bool flag = false;
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::int32_t c = 0;
};

// For each byte, the start of every alternative that can begin with it, in
// pattern order; an alternation of many words tries one or two of them
// instead of all.
using DispatchTable = std::array<std::vector<std::int32_t>, 256>;

struct Program {
    RegexFlags flags;
    std::vector<Inst> code;
    std::vector<ByteSet> sets;
    std::vector<DispatchTable> dispatch;
    std::string literals;
    int groups = 0;
    int registers = 0;
    // Search acceleration.
    bool anchoredAtStart = false; // begins with ^ outside multiline mode
    std::string prefix; // every match begins with these bytes
    bool useFirstSet = false;
    ByteSet firstSet{};
    // Matches start with \b and a word byte: only word starts are worth trying.
    bool wordStart = false;
};

// Parses and compiles a pattern; on a bad pattern the program is null and
// `error`/`errorOffset` say what and where.
struct Build {
    std::shared_ptr<const RegexProgram> program;
    std::string error;
    std::size_t errorOffset = 0;
};
Build buildProgram(std::string_view pattern, RegexFlags flags);

} // namespace regex

struct RegexProgram : regex::Program {};

} // namespace ravelin::vbs
