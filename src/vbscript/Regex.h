// Regular expressions as the RegExp object understands them (the ECMAScript 3
// dialect): a pattern and flags go in, `Regex::compile` turns them into a
// program once, and `search` runs it over a byte string from a start position,
// giving the whole match and every group (an unset group has offset kNoMatch).
// `replace` substitutes `$1`..`$99`, `$&`, `` $` ``, `$'` and `$$` for the first
// or every match. Strings are bytes, one byte per character (Latin-1, as the
// rest of the engine reads them); IgnoreCase folds Latin-1 letters.
//
// Trade-off: a backtracking matcher (needed for backreferences and lookahead)
// driven by an explicit stack, so a long subject never deepens the C++ stack;
// only lookahead nesting recurses, and that is bounded by the pattern. Counted
// repetition is unrolled into the program (bounded by kMaxProgramSize), and a
// repeated single-character atom runs as one instruction that gives back
// characters without a stack entry per character. Searches skip ahead with a
// literal prefix (memmem) or the set of bytes that can start a match.
#pragma once

#include "vbscript/Interrupt.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ravelin::vbs {

struct RegexFlags {
    bool ignoreCase = false;
    bool multiline = false;
};

// Offsets of one match. group(0) is the whole match; groups a pattern has
// but the match did not set report kNoMatch.
struct RegexMatch {
    static constexpr std::size_t kNoMatch = static_cast<std::size_t>(-1);

    std::size_t start() const { return m_slots[0]; }
    std::size_t end() const { return m_slots[1]; }
    std::size_t length() const { return m_slots[1] - m_slots[0]; }
    // Number of capturing groups, not counting the whole match.
    std::size_t groupCount() const { return m_slots.size() / 2 - 1; }
    bool groupSet(std::size_t n) const { return m_slots[2 * n] != kNoMatch && m_slots[2 * n + 1] != kNoMatch; }
    std::size_t groupStart(std::size_t n) const { return m_slots[2 * n]; }
    std::size_t groupEnd(std::size_t n) const { return m_slots[2 * n + 1]; }
    // Text of group n in `subject` (empty when unset).
    std::string_view group(std::string_view subject, std::size_t n) const;

    std::vector<std::size_t> m_slots;
};

struct RegexProgram;

// The search checks the running script's time limit (Interrupt.h) every
// kRegexInterruptInterval backtracking steps and at each start position; the
// check may throw to abandon the search, so a pattern that backtracks without
// end cannot freeze its host.
using RegexInterrupt = Interrupt;
inline constexpr unsigned kRegexInterruptInterval = kInterruptInterval;
inline RegexInterrupt setRegexInterrupt(RegexInterrupt interrupt) { return setInterrupt(interrupt); }

class Regex {
public:
    // Longest program a pattern may unroll to; `a{1000000}` is refused as a
    // syntax error rather than eating memory.
    static constexpr std::size_t kMaxProgramSize = 1u << 20;

    struct CompileResult;

    // Compiles `pattern`; on a bad pattern the result has no regex and an
    // error text (the engine reports it as error 5017).
    static CompileResult compile(std::string_view pattern, RegexFlags flags = {});

    // First match at or after `start`; false when there is none.
    bool search(std::string_view subject, std::size_t start, RegexMatch& match) const;
    // Every match as the Global flag finds them: after an empty match the
    // next search starts one character further on.
    std::vector<RegexMatch> searchAll(std::string_view subject) const;
    bool test(std::string_view subject) const;

    // `subject` with the first (or every, when `global`) match replaced by
    // `replacement` expanded as described above.
    std::string replace(std::string_view subject, std::string_view replacement, bool global) const;
    // Appends `replacement` expanded for one match to `out`.
    static void expandReplacement(std::string& out, std::string_view subject, const RegexMatch& match,
                                  std::string_view replacement);

    std::size_t groupCount() const;
    RegexFlags flags() const;

private:
    explicit Regex(std::shared_ptr<const RegexProgram> program) : m_program(std::move(program)) {}
    std::shared_ptr<const RegexProgram> m_program;
};

struct Regex::CompileResult {
    std::unique_ptr<Regex> regex; // null on a syntax error
    std::string error; // what is wrong with the pattern
    std::size_t errorOffset = 0; // where in the pattern
    explicit operator bool() const { return regex != nullptr; }
};

} // namespace ravelin::vbs
