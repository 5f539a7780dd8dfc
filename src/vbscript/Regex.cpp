// The matcher and the public face of regular expressions: runs a compiled
// program (RegexProgram.h) over a subject with an explicit backtracking
// stack, and builds searching from a position, search-all and replace on it.
#include "vbscript/Regex.h"

#include "vbscript/RegexProgram.h"

#include <algorithm>
#include <cstring>

namespace ravelin::vbs {

namespace {

using namespace regex;

constexpr std::size_t kNoMatch = RegexMatch::kNoMatch;

struct Frame {
    enum Kind : std::int32_t { Choice, RestoreSlot, RestoreReg, RepGreedy, RepLazy, AltNext };
    Kind kind;
    std::int32_t pc;
    std::size_t a;
    std::size_t b;
};

class Matcher {
public:
    Matcher(const RegexProgram& prog, std::string_view subject, std::vector<Frame>& stack,
            std::vector<std::size_t>& caps, std::vector<std::size_t>& regs, unsigned& steps)
        : m_prog(prog), m_s(reinterpret_cast<const unsigned char*>(subject.data())), m_n(subject.size()),
          m_stack(stack), m_caps(caps), m_regs(regs), m_steps(steps)
    {}

    // Runs the program from `pc` at `pos`; on success `pos` is where the
    // match (or the lookahead body) ended. The stack is left as it was found.
    bool run(int pc, std::size_t& pos, int depth)
    {
        const std::size_t base = m_stack.size();
        const Inst* code = m_prog.code.data();
        for (;;) {
            const Inst& in = code[pc];
            switch (in.op) {
            case Op::Str: {
                std::size_t len = static_cast<std::size_t>(in.b);
                if (m_n - pos >= len && std::memcmp(m_s + pos, m_prog.literals.data() + in.a, len) == 0) {
                    pos += len;
                    ++pc;
                    continue;
                }
                break;
            }
            case Op::StrFold: {
                std::size_t len = static_cast<std::size_t>(in.b);
                if (m_n - pos >= len) {
                    const char* lit = m_prog.literals.data() + in.a;
                    std::size_t k = 0;
                    while (k < len && foldByte(m_s[pos + k]) == static_cast<unsigned char>(lit[k]))
                        ++k;
                    if (k == len) {
                        pos += len;
                        ++pc;
                        continue;
                    }
                }
                break;
            }
            case Op::Set:
                if (pos < m_n && m_prog.sets[in.a][m_s[pos]]) {
                    ++pos;
                    ++pc;
                    continue;
                }
                break;
            case Op::Split:
                m_stack.push_back(Frame{Frame::Choice, in.b, pos, 0});
                pc = in.a;
                continue;
            case Op::Jmp: pc = in.a; continue;
            case Op::Save:
                m_stack.push_back(Frame{Frame::RestoreSlot, in.a, m_caps[in.a], 0});
                m_caps[in.a] = pos;
                ++pc;
                continue;
            case Op::Bol:
                if (pos == 0 || (m_prog.flags.multiline && isLineBreak(m_s[pos - 1]))) {
                    ++pc;
                    continue;
                }
                break;
            case Op::Eol:
                if (pos == m_n || (m_prog.flags.multiline && isLineBreak(m_s[pos]))) {
                    ++pc;
                    continue;
                }
                break;
            case Op::WordB:
            case Op::NotWordB: {
                bool before = pos > 0 && isWordByte(m_s[pos - 1]);
                bool after = pos < m_n && isWordByte(m_s[pos]);
                if ((before != after) == (in.op == Op::WordB)) {
                    ++pc;
                    continue;
                }
                break;
            }
            case Op::BackRef:
                if (matchBackRef(in.a, pos)) {
                    ++pc;
                    continue;
                }
                break;
            case Op::Look: {
                if (depth > kMaxNesting)
                    break;
                std::vector<std::size_t> before(m_caps);
                std::size_t end = pos;
                bool found = run(pc + 1, end, depth + 1);
                if (in.flag) {
                    if (found) {
                        m_caps = std::move(before);
                        break;
                    }
                } else {
                    if (!found)
                        break;
                    // Groups set inside stay set; remember how to undo them
                    // should the match backtrack past the lookahead.
                    for (std::size_t k = 0; k < m_caps.size(); ++k)
                        if (m_caps[k] != before[k])
                            m_stack.push_back(Frame{Frame::RestoreSlot, static_cast<std::int32_t>(k), before[k], 0});
                }
                pc = in.a;
                continue;
            }
            case Op::LookEnd:
            case Op::Match: m_stack.resize(base); return true;
            case Op::RepSet: {
                const ByteSet& set = m_prog.sets[in.a];
                std::size_t limit = in.c == kUnbounded ? m_n : std::min(m_n, pos + static_cast<std::size_t>(in.c));
                std::size_t minEnd = pos + static_cast<std::size_t>(in.b);
                if (minEnd > m_n)
                    break;
                std::size_t p = pos;
                if (in.flag) {
                    while (p < limit && set[m_s[p]])
                        ++p;
                    if (p < minEnd)
                        break;
                    if (p > minEnd)
                        m_stack.push_back(Frame{Frame::RepGreedy, pc, minEnd, p});
                } else {
                    while (p < minEnd && set[m_s[p]])
                        ++p;
                    if (p < minEnd)
                        break;
                    if (p < limit)
                        m_stack.push_back(Frame{Frame::RepLazy, pc, p, limit});
                }
                pos = p;
                ++pc;
                continue;
            }
            case Op::RegSet:
                m_stack.push_back(Frame{Frame::RestoreReg, in.a, m_regs[in.a], 0});
                m_regs[in.a] = pos;
                ++pc;
                continue;
            case Op::RegCheck:
                if (m_regs[in.a] != pos) {
                    ++pc;
                    continue;
                }
                break;
            case Op::AltDispatch: {
                if (pos >= m_n)
                    break;
                const auto& starts = m_prog.dispatch[static_cast<std::size_t>(in.a)][m_s[pos]];
                if (starts.empty())
                    break;
                if (starts.size() > 1)
                    m_stack.push_back(Frame{Frame::AltNext, pc, pos, 1});
                pc = starts[0];
                continue;
            }
            case Op::ResetCaps:
                for (int k = in.a; k < in.b; ++k) {
                    if (m_caps[k] != kNoMatch) {
                        m_stack.push_back(Frame{Frame::RestoreSlot, k, m_caps[k], 0});
                        m_caps[k] = kNoMatch;
                    }
                }
                ++pc;
                continue;
            }

            // Failure: unwind to the most recent choice.
            if (++m_steps >= kRegexInterruptInterval) {
                m_steps = 0;
                checkInterrupt();
            }
            for (;;) {
                if (m_stack.size() == base)
                    return false;
                Frame& f = m_stack.back();
                if (f.kind == Frame::RestoreSlot) {
                    m_caps[f.pc] = f.a;
                    m_stack.pop_back();
                } else if (f.kind == Frame::RestoreReg) {
                    m_regs[f.pc] = f.a;
                    m_stack.pop_back();
                } else if (f.kind == Frame::Choice) {
                    pc = f.pc;
                    pos = f.a;
                    m_stack.pop_back();
                    break;
                } else if (f.kind == Frame::RepGreedy) {
                    pos = --f.b;
                    pc = f.pc + 1;
                    if (f.b == f.a)
                        m_stack.pop_back();
                    break;
                } else if (f.kind == Frame::AltNext) {
                    const auto& starts = m_prog.dispatch[static_cast<std::size_t>(code[f.pc].a)][m_s[f.a]];
                    pos = f.a;
                    pc = starts[f.b++];
                    if (f.b == starts.size())
                        m_stack.pop_back();
                    break;
                } else { // RepLazy: take one more byte
                    const Inst& rep = code[f.pc];
                    if (f.a < f.b && m_prog.sets[rep.a][m_s[f.a]]) {
                        pos = ++f.a;
                        pc = f.pc + 1;
                        if (f.a == f.b)
                            m_stack.pop_back();
                        break;
                    }
                    m_stack.pop_back();
                }
            }
        }
    }

private:
    bool matchBackRef(int group, std::size_t& pos) const
    {
        std::size_t s = m_caps[2 * group], e = m_caps[2 * group + 1];
        if (s == kNoMatch || e == kNoMatch || e < s)
            return true; // an unset group matches the empty string
        std::size_t len = e - s;
        if (m_n - pos < len)
            return false;
        if (m_prog.flags.ignoreCase) {
            for (std::size_t k = 0; k < len; ++k)
                if (foldByte(m_s[s + k]) != foldByte(m_s[pos + k]))
                    return false;
        } else if (len != 0 && std::memcmp(m_s + s, m_s + pos, len) != 0) { // an empty subject has no bytes at all
            return false;
        }
        pos += len;
        return true;
    }

    const RegexProgram& m_prog;
    const unsigned char* m_s;
    std::size_t m_n;
    std::vector<Frame>& m_stack;
    std::vector<std::size_t>& m_caps;
    std::vector<std::size_t>& m_regs;
    unsigned& m_steps;
};

// Scratch space reused across searches on one thread, so a search over
// many short lines allocates nothing.
struct Scratch {
    std::vector<Frame> stack;
    std::vector<std::size_t> regs;
    unsigned steps = 0;
};

Scratch& scratch()
{
    thread_local Scratch s;
    return s;
}

} // namespace

std::string_view RegexMatch::group(std::string_view subject, std::size_t n) const
{
    if (!groupSet(n))
        return {};
    return subject.substr(m_slots[2 * n], m_slots[2 * n + 1] - m_slots[2 * n]);
}

Regex::CompileResult Regex::compile(std::string_view pattern, RegexFlags flags)
{
    CompileResult result;
    regex::Build build = regex::buildProgram(pattern, flags);
    if (!build.program) {
        result.error = std::move(build.error);
        result.errorOffset = build.errorOffset;
        return result;
    }
    result.regex.reset(new Regex(std::move(build.program)));
    return result;
}

std::size_t Regex::groupCount() const { return static_cast<std::size_t>(m_program->groups); }

RegexFlags Regex::flags() const { return m_program->flags; }

bool Regex::search(std::string_view subject, std::size_t start, RegexMatch& match) const
{
    const RegexProgram& prog = *m_program;
    const std::size_t n = subject.size();
    if (start > n)
        return false;
    Scratch& sc = scratch();
    match.m_slots.assign(2 * (prog.groups + 1), kNoMatch);
    sc.regs.assign(prog.registers, kNoMatch);
    sc.stack.clear();
    Matcher matcher(prog, subject, sc.stack, match.m_slots, sc.regs, sc.steps);
    const auto* bytes = reinterpret_cast<const unsigned char*>(subject.data());

    for (std::size_t at = start; at <= n; ++at) {
        if (prog.anchoredAtStart && at > 0)
            return false;
        pollInterrupt();
        if (!prog.prefix.empty()) {
            std::size_t found = subject.find(prog.prefix, at);
            if (found == std::string_view::npos)
                return false;
            at = found;
        } else if (prog.wordStart) {
            while (at < n && (!prog.firstSet[bytes[at]] || (at > 0 && isWordByte(bytes[at - 1]))))
                ++at;
            if (at == n)
                return false;
        } else if (prog.useFirstSet) {
            while (at < n && !prog.firstSet[bytes[at]])
                ++at;
            if (at == n)
                return false;
        }
        std::size_t pos = at;
        if (matcher.run(0, pos, 0)) {
            match.m_slots[0] = at;
            match.m_slots[1] = pos;
            return true;
        }
    }
    return false;
}

std::vector<RegexMatch> Regex::searchAll(std::string_view subject) const
{
    std::vector<RegexMatch> all;
    std::size_t at = 0;
    RegexMatch m;
    while (at <= subject.size() && search(subject, at, m)) {
        at = m.length() == 0 ? m.end() + 1 : m.end();
        all.push_back(m);
        pollInterrupt(64);
    }
    return all;
}

bool Regex::test(std::string_view subject) const
{
    RegexMatch m;
    return search(subject, 0, m);
}

void Regex::expandReplacement(std::string& out, std::string_view subject, const RegexMatch& match,
                              std::string_view replacement)
{
    const std::size_t groups = match.groupCount();
    for (std::size_t i = 0; i < replacement.size(); ++i) {
        char c = replacement[i];
        if (c != '$' || i + 1 >= replacement.size()) {
            out += c;
            continue;
        }
        char next = replacement[i + 1];
        if (next == '$') {
            out += '$';
            ++i;
        } else if (next == '&') {
            out += subject.substr(match.start(), match.length());
            ++i;
        } else if (next == '`') {
            out += subject.substr(0, match.start());
            ++i;
        } else if (next == '\'') {
            out += subject.substr(match.end());
            ++i;
        } else if (next >= '0' && next <= '9') {
            // Two digits when they name a group, else one; otherwise the
            // dollar sign is kept as written.
            std::size_t one = static_cast<std::size_t>(next - '0');
            if (i + 2 < replacement.size() && replacement[i + 2] >= '0' && replacement[i + 2] <= '9') {
                std::size_t two = one * 10 + static_cast<std::size_t>(replacement[i + 2] - '0');
                if (two >= 1 && two <= groups) {
                    out += match.group(subject, two);
                    i += 2;
                    continue;
                }
            }
            if (one >= 1 && one <= groups) {
                out += match.group(subject, one);
                ++i;
            } else {
                out += '$';
            }
        } else {
            out += '$';
        }
    }
}

std::string Regex::replace(std::string_view subject, std::string_view replacement, bool global) const
{
    std::string out;
    std::size_t copied = 0;
    std::size_t at = 0;
    RegexMatch m;
    while (at <= subject.size() && search(subject, at, m)) {
        out += subject.substr(copied, m.start() - copied);
        expandReplacement(out, subject, m, replacement);
        copied = m.end();
        pollInterrupt(m.length() + replacement.size());
        if (!global)
            break;
        at = m.length() == 0 ? m.end() + 1 : m.end();
    }
    out += subject.substr(copied);
    return out;
}

} // namespace ravelin::vbs
