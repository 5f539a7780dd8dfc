// Regular-expression patterns to programs: a recursive-descent parser
// builds a syntax tree (one function per grammar rule of ECMAScript 3), a
// pass over the tree finds what a match can start with, and the compiler
// emits the program that the matcher in Regex.cpp runs.
#include "vbscript/RegexProgram.h"

#include <algorithm>
#include <climits>

namespace ravelin::vbs::regex {

namespace {

struct Node {
    enum class Kind { Empty, Set, Str, Cat, Alt, Group, Repeat, Bol, Eol, WordB, NotWordB, BackRef, Look };
    Kind kind = Kind::Empty;
    ByteSet set{}; // Set
    std::string text; // Str; lower-cased when `fold`
    bool fold = false; // Str compares case-insensitively
    std::vector<Node> kids; // Cat, Alt; Group, Repeat, Look have one
    int index = 0; // Group number, BackRef number
    int min = 0; // Repeat
    int max = 0; // Repeat; kUnbounded for no limit
    bool greedy = true; // Repeat
    bool negate = false; // Look
};

// ---------------------------------------------------------------- parsing

class Parser {
public:
    Parser(std::string_view pattern, RegexFlags flags) : m_p(pattern), m_flags(flags) { m_totalGroups = countGroups(); }

    bool parse(Node& out)
    {
        if (!parseDisjunction(out, 0))
            return false;
        if (m_pos < m_p.size()) // only a stray ')' stops the top level early
            return fail("unmatched ')'");
        return true;
    }

    int groups() const { return m_groupCounter; }
    const std::string& error() const { return m_error; }
    std::size_t errorOffset() const { return m_errorAt; }

private:
    bool fail(const char* what)
    {
        if (m_error.empty()) {
            m_error = what;
            m_errorAt = m_pos;
        }
        return false;
    }
    bool atEnd() const { return m_pos >= m_p.size(); }
    unsigned char peek(std::size_t ahead = 0) const
    {
        return m_pos + ahead < m_p.size() ? static_cast<unsigned char>(m_p[m_pos + ahead]) : 0;
    }

    // Capturing groups in the whole pattern, needed before parsing because
    // `\12` is a backreference only when there are at least twelve groups.
    int countGroups() const
    {
        int count = 0;
        bool inClass = false;
        for (std::size_t i = 0; i < m_p.size(); ++i) {
            char c = m_p[i];
            if (c == '\\') {
                ++i;
            } else if (inClass) {
                if (c == ']')
                    inClass = false;
            } else if (c == '[') {
                inClass = true;
            } else if (c == '(' && (i + 1 >= m_p.size() || m_p[i + 1] != '?')) {
                ++count;
            }
        }
        return count;
    }

    // Disjunction :: Alternative ( '|' Alternative )*
    bool parseDisjunction(Node& out, int depth)
    {
        if (depth > kMaxNesting)
            return fail("pattern nested too deeply");
        Node alt;
        alt.kind = Node::Kind::Alt;
        for (;;) {
            Node branch;
            if (!parseAlternative(branch, depth))
                return false;
            alt.kids.push_back(std::move(branch));
            if (peek() != '|' || atEnd())
                break;
            ++m_pos;
        }
        if (alt.kids.size() == 1)
            out = std::move(alt.kids.front());
        else
            out = std::move(alt);
        return true;
    }

    // Alternative :: Term*  (adjacent literals merged into one string)
    bool parseAlternative(Node& out, int depth)
    {
        Node cat;
        cat.kind = Node::Kind::Cat;
        while (!atEnd() && peek() != '|' && peek() != ')') {
            Node term;
            if (!parseTerm(term, depth))
                return false;
            if (term.kind == Node::Kind::Str && !cat.kids.empty() && cat.kids.back().kind == Node::Kind::Str
                && cat.kids.back().fold == term.fold) {
                cat.kids.back().text += term.text;
            } else {
                cat.kids.push_back(std::move(term));
            }
        }
        if (cat.kids.empty())
            out = Node{};
        else if (cat.kids.size() == 1)
            out = std::move(cat.kids.front());
        else
            out = std::move(cat);
        return true;
    }

    // Term :: Assertion | Atom Quantifier?
    bool parseTerm(Node& out, int depth)
    {
        unsigned char c = peek();
        if (c == '^' || c == '$' || (c == '\\' && (peek(1) == 'b' || peek(1) == 'B'))) {
            if (c == '^')
                out.kind = Node::Kind::Bol;
            else if (c == '$')
                out.kind = Node::Kind::Eol;
            else
                out.kind = peek(1) == 'b' ? Node::Kind::WordB : Node::Kind::NotWordB;
            m_pos += c == '\\' ? 2 : 1;
            if (quantifierAhead())
                return fail("nothing to repeat");
            return true;
        }
        Node atom;
        if (!parseAtom(atom, depth))
            return false;
        return parseQuantifier(atom, out);
    }

    // True when the text ahead is a quantifier: * + ? {n} {n,} {n,m}.
    bool quantifierAhead() const
    {
        unsigned char c = peek();
        if (c == '*' || c == '+' || c == '?')
            return !atEnd();
        if (c != '{')
            return false;
        int a = 0, b = 0;
        std::size_t len = 0;
        return braceQuantifier(m_pos, a, b, len);
    }

    // Reads {n}, {n,} or {n,m} at `at`; a brace that does not form one is an
    // ordinary character, as scripts written for browsers expect.
    bool braceQuantifier(std::size_t at, int& lo, int& hi, std::size_t& length) const
    {
        std::size_t i = at;
        if (i >= m_p.size() || m_p[i] != '{')
            return false;
        ++i;
        auto number = [&](int& value) {
            std::size_t start = i;
            long long v = 0;
            while (i < m_p.size() && m_p[i] >= '0' && m_p[i] <= '9') {
                v = std::min<long long>(v * 10 + (m_p[i] - '0'), INT_MAX);
                ++i;
            }
            value = static_cast<int>(v);
            return i > start;
        };
        if (!number(lo))
            return false;
        hi = lo;
        if (i < m_p.size() && m_p[i] == ',') {
            ++i;
            if (!number(hi))
                hi = kUnbounded;
        }
        if (i >= m_p.size() || m_p[i] != '}')
            return false;
        length = i + 1 - at;
        return true;
    }

    bool parseQuantifier(Node& atom, Node& out)
    {
        int lo = 0, hi = 0;
        unsigned char c = peek();
        std::size_t len = 0;
        if (atEnd() || !(c == '*' || c == '+' || c == '?' || c == '{')) {
            out = std::move(atom);
            return true;
        }
        if (c == '*') {
            lo = 0, hi = kUnbounded, len = 1;
        } else if (c == '+') {
            lo = 1, hi = kUnbounded, len = 1;
        } else if (c == '?') {
            lo = 0, hi = 1, len = 1;
        } else if (!braceQuantifier(m_pos, lo, hi, len)) {
            out = std::move(atom);
            return true;
        }
        if (hi != kUnbounded && hi < lo)
            return fail("numbers out of order in {} quantifier");
        m_pos += len;
        bool greedy = true;
        if (peek() == '?' && !atEnd()) {
            greedy = false;
            ++m_pos;
        }
        if (quantifierAhead())
            return fail("nothing to repeat");
        out.kind = Node::Kind::Repeat;
        out.min = lo;
        out.max = hi;
        out.greedy = greedy;
        out.kids.push_back(std::move(atom));
        return true;
    }

    Node literal(unsigned char c) const
    {
        Node n;
        n.kind = Node::Kind::Str;
        n.fold = m_flags.ignoreCase;
        n.text.assign(1, static_cast<char>(m_flags.ignoreCase ? foldByte(c) : c));
        return n;
    }

    Node setNode(const ByteSet& set) const
    {
        Node n;
        n.kind = Node::Kind::Set;
        n.set = set;
        return n;
    }

    static ByteSet anySet()
    {
        ByteSet s;
        s.fill(1);
        s['\n'] = 0;
        s['\r'] = 0;
        return s;
    }

    bool parseAtom(Node& out, int depth)
    {
        unsigned char c = peek();
        switch (c) {
        case '.':
            ++m_pos;
            out = setNode(anySet());
            return true;
        case '[': return parseClass(out);
        case '(': return parseGroup(out, depth);
        case '*':
        case '+':
        case '?': return fail("nothing to repeat");
        case '{': {
            int a = 0, b = 0;
            std::size_t len = 0;
            if (braceQuantifier(m_pos, a, b, len))
                return fail("nothing to repeat");
            ++m_pos;
            out = literal(c);
            return true;
        }
        case '\\': return parseAtomEscape(out);
        default:
            ++m_pos;
            out = literal(c);
            return true;
        }
    }

    bool parseGroup(Node& out, int depth)
    {
        std::size_t open = m_pos;
        ++m_pos;
        Node inner;
        if (peek() == '?') {
            unsigned char kind = peek(1);
            if (kind != ':' && kind != '=' && kind != '!')
                return fail("invalid group");
            m_pos += 2;
            if (!parseDisjunction(inner, depth + 1))
                return false;
            if (peek() != ')' || atEnd()) {
                m_pos = open;
                return fail("unterminated group");
            }
            ++m_pos;
            if (kind == ':') {
                out = std::move(inner);
                // A non-capturing group still quantifies as a unit, so a
                // bare string inside it must not merge with its neighbours.
                if (out.kind == Node::Kind::Str && out.text.size() > 1) {
                    Node cat;
                    cat.kind = Node::Kind::Cat;
                    cat.kids.push_back(std::move(out));
                    out = std::move(cat);
                }
                return true;
            }
            out.kind = Node::Kind::Look;
            out.negate = kind == '!';
            out.kids.push_back(std::move(inner));
            return true;
        }
        int index = ++m_groupCounter;
        if (!parseDisjunction(inner, depth + 1))
            return false;
        if (peek() != ')' || atEnd()) {
            m_pos = open;
            return fail("unterminated group");
        }
        ++m_pos;
        out.kind = Node::Kind::Group;
        out.index = index;
        out.kids.push_back(std::move(inner));
        return true;
    }

    static int hexValue(unsigned char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    // Reads `count` hex digits at the cursor, or nothing when they are not all there.
    int hexDigits(int count)
    {
        int value = 0;
        for (int k = 0; k < count; ++k) {
            if (m_pos + k >= m_p.size())
                return -1;
            int h = hexValue(static_cast<unsigned char>(m_p[m_pos + k]));
            if (h < 0)
                return -1;
            value = value * 16 + h;
        }
        m_pos += count;
        return value;
    }

    // Up to three octal digits worth at most 0377.
    int octalDigits()
    {
        int value = 0;
        for (int k = 0; k < 3 && peek() >= '0' && peek() <= '7' && !atEnd(); ++k) {
            int next = value * 8 + (peek() - '0');
            if (next > 0377)
                break;
            value = next;
            ++m_pos;
        }
        return value;
    }

    enum class EscapeKind { Char, Set, Never };

    // The escapes shared by atoms and classes, the cursor just after the
    // backslash. A character beyond one byte can never match a byte string.
    bool characterEscape(EscapeKind& kind, int& ch, ByteSet& set)
    {
        if (atEnd())
            return fail("trailing backslash");
        unsigned char c = peek();
        ++m_pos;
        kind = EscapeKind::Char;
        set.fill(0);
        auto range = [&](int lo, int hi) {
            for (int k = lo; k <= hi; ++k)
                set[k] = 1;
        };
        switch (c) {
        case 'd':
        case 'D': range('0', '9'); break;
        case 'w':
        case 'W': range('a', 'z'), range('A', 'Z'), range('0', '9'), set['_'] = 1; break;
        case 's':
        case 'S': set[' '] = set['\t'] = set['\n'] = set['\r'] = set['\f'] = set['\v'] = 1; break;
        case 'n': ch = '\n'; return true;
        case 'r': ch = '\r'; return true;
        case 't': ch = '\t'; return true;
        case 'f': ch = '\f'; return true;
        case 'v': ch = '\v'; return true;
        case 'x': {
            int v = hexDigits(2);
            ch = v < 0 ? 'x' : v;
            return true;
        }
        case 'u': {
            int v = hexDigits(4);
            ch = v < 0 ? 'u' : v;
            if (ch > 0xFF)
                kind = EscapeKind::Never;
            return true;
        }
        case 'c':
            if ((peek() >= 'a' && peek() <= 'z') || (peek() >= 'A' && peek() <= 'Z')) {
                ch = peek() % 32;
                ++m_pos;
            } else {
                // Not a control letter: the backslash stands for itself and
                // the "c" is read again as an ordinary character.
                ch = '\\';
                --m_pos;
            }
            return true;
        default:
            if (c >= '0' && c <= '7') {
                --m_pos;
                ch = octalDigits();
            } else {
                ch = c; // identity escape: \. \\ \/ \8 ...
            }
            return true;
        }
        kind = EscapeKind::Set;
        if (c == 'D' || c == 'W' || c == 'S')
            for (auto& bit : set)
                bit = !bit;
        return true;
    }

    bool parseAtomEscape(Node& out)
    {
        ++m_pos; // backslash
        unsigned char c = peek();
        if (c >= '1' && c <= '9' && !atEnd()) {
            std::size_t start = m_pos;
            long long value = 0;
            while (peek() >= '0' && peek() <= '9' && !atEnd()) {
                value = std::min<long long>(value * 10 + (peek() - '0'), INT_MAX);
                ++m_pos;
            }
            if (value <= m_totalGroups) {
                out.kind = Node::Kind::BackRef;
                out.index = static_cast<int>(value);
                return true;
            }
            m_pos = start; // not a group: an octal escape or the digit itself
        }
        EscapeKind kind;
        int ch = 0;
        ByteSet set;
        if (!characterEscape(kind, ch, set))
            return false;
        if (kind == EscapeKind::Set) {
            out = setNode(set);
        } else if (kind == EscapeKind::Never) {
            out = setNode(ByteSet{});
        } else {
            out = literal(static_cast<unsigned char>(ch));
        }
        return true;
    }

    // One class member: a character (ch >= 0) or a set (\d, \w, ...).
    bool classAtom(int& ch, ByteSet& set, bool& isSet)
    {
        isSet = false;
        unsigned char c = peek();
        ++m_pos;
        if (c != '\\') {
            ch = c;
            return true;
        }
        if (peek() == 'b' && !atEnd()) { // backspace inside a class
            ++m_pos;
            ch = '\b';
            return true;
        }
        EscapeKind kind;
        if (!characterEscape(kind, ch, set))
            return false;
        if (kind == EscapeKind::Set)
            isSet = true;
        else if (kind == EscapeKind::Never)
            ch = -1;
        return true;
    }

    // Class :: '[' '^'? ClassRanges ']'
    bool parseClass(Node& out)
    {
        std::size_t open = m_pos;
        ++m_pos;
        bool negate = false;
        if (peek() == '^' && !atEnd()) {
            negate = true;
            ++m_pos;
        }
        ByteSet members{};
        for (;;) {
            if (atEnd()) {
                m_pos = open;
                return fail("unterminated character class");
            }
            if (peek() == ']') {
                ++m_pos;
                break;
            }
            int lo = 0;
            ByteSet loSet;
            bool loIsSet = false;
            if (!classAtom(lo, loSet, loIsSet))
                return false;
            if (peek() == '-' && !atEnd() && m_pos + 1 < m_p.size() && m_p[m_pos + 1] != ']') {
                std::size_t dash = m_pos;
                ++m_pos;
                int hi = 0;
                ByteSet hiSet;
                bool hiIsSet = false;
                if (!classAtom(hi, hiSet, hiIsSet))
                    return false;
                if (loIsSet || hiIsSet) {
                    // [\d-z]: the dash cannot form a range and stands for itself.
                    addMember(members, lo, loSet, loIsSet);
                    members['-'] = 1;
                    addMember(members, hi, hiSet, hiIsSet);
                    continue;
                }
                if (lo >= 0 && hi >= 0 && lo > hi) {
                    m_pos = dash;
                    return fail("range out of order in character class");
                }
                if (lo >= 0)
                    for (int k = lo; k <= std::min(hi < 0 ? 0xFF : hi, 0xFF); ++k)
                        members[k] = 1;
                continue;
            }
            addMember(members, lo, loSet, loIsSet);
        }
        if (m_flags.ignoreCase)
            for (int k = 0; k < 256; ++k)
                if (members[k])
                    members[otherCase(static_cast<unsigned char>(k))] = 1;
        if (negate)
            for (auto& bit : members)
                bit = !bit;
        out = setNode(members);
        return true;
    }

    static void addMember(ByteSet& members, int ch, const ByteSet& set, bool isSet)
    {
        if (isSet) {
            for (int k = 0; k < 256; ++k)
                members[k] |= set[k];
        } else if (ch >= 0) {
            members[ch] = 1;
        }
    }

    std::string_view m_p;
    RegexFlags m_flags;
    std::size_t m_pos = 0;
    int m_totalGroups = 0;
    int m_groupCounter = 0;
    std::string m_error;
    std::size_t m_errorAt = 0;
};

// ---------------------------------------------------------------- analysis

bool canBeEmpty(const Node& n)
{
    switch (n.kind) {
    case Node::Kind::Set:
    case Node::Kind::Str: return false;
    case Node::Kind::Cat: return std::all_of(n.kids.begin(), n.kids.end(), canBeEmpty);
    case Node::Kind::Alt: return std::any_of(n.kids.begin(), n.kids.end(), canBeEmpty);
    case Node::Kind::Group: return canBeEmpty(n.kids[0]);
    case Node::Kind::Repeat: return n.min == 0 || canBeEmpty(n.kids[0]);
    default: return true;
    }
}

// Lowest and highest capture number inside a node (lo > hi when none).
void groupRange(const Node& n, int& lo, int& hi)
{
    if (n.kind == Node::Kind::Group) {
        lo = std::min(lo, n.index);
        hi = std::max(hi, n.index);
    }
    for (const Node& k : n.kids)
        groupRange(k, lo, hi);
}

struct FirstInfo {
    ByteSet set{};
    bool nullable = true;
};

// Bytes a match of `n` can begin with, and whether it can match nothing
// (then the bytes that follow it count too).
FirstInfo firstBytes(const Node& n)
{
    FirstInfo f;
    switch (n.kind) {
    case Node::Kind::Set:
        f.set = n.set;
        f.nullable = false;
        break;
    case Node::Kind::Str: {
        unsigned char c = static_cast<unsigned char>(n.text[0]);
        f.set[c] = 1;
        if (n.fold)
            f.set[otherCase(c)] = 1;
        f.nullable = false;
        break;
    }
    case Node::Kind::Cat:
        for (const Node& k : n.kids) {
            FirstInfo kf = firstBytes(k);
            for (int b = 0; b < 256; ++b)
                f.set[b] |= kf.set[b];
            if (!kf.nullable) {
                f.nullable = false;
                break;
            }
        }
        break;
    case Node::Kind::Alt:
        f.nullable = false;
        for (const Node& k : n.kids) {
            FirstInfo kf = firstBytes(k);
            for (int b = 0; b < 256; ++b)
                f.set[b] |= kf.set[b];
            f.nullable = f.nullable || kf.nullable;
        }
        break;
    case Node::Kind::Group: f = firstBytes(n.kids[0]); break;
    case Node::Kind::Repeat:
        f = firstBytes(n.kids[0]);
        if (n.min == 0 || n.max == 0)
            f.nullable = true;
        break;
    case Node::Kind::BackRef: f.set.fill(1); break;
    default: // zero-width assertions and lookahead
        break;
    }
    return f;
}

class Compiler {
public:
    explicit Compiler(RegexProgram& program) : m_prog(program) {}

    bool compile(const Node& root)
    {
        emitNode(root);
        emit(Op::Match);
        return !m_tooBig;
    }

private:
    int here() const { return static_cast<int>(m_prog.code.size()); }

    int emit(Op op, int a = 0, int b = 0, int c = 0, bool flag = false)
    {
        if (m_prog.code.size() >= Regex::kMaxProgramSize) {
            m_tooBig = true;
            return here() - 1;
        }
        m_prog.code.push_back(Inst{op, flag, a, b, c});
        return here() - 1;
    }

    void patchA(int at, int target)
    {
        if (!m_tooBig)
            m_prog.code[at].a = target;
    }
    void patchB(int at, int target)
    {
        if (!m_tooBig)
            m_prog.code[at].b = target;
    }

    int addSet(const ByteSet& set)
    {
        m_prog.sets.push_back(set);
        return static_cast<int>(m_prog.sets.size() - 1);
    }

    void emitNode(const Node& n)
    {
        if (m_tooBig)
            return;
        switch (n.kind) {
        case Node::Kind::Empty: break;
        case Node::Kind::Set: emit(Op::Set, addSet(n.set)); break;
        case Node::Kind::Str: {
            int offset = static_cast<int>(m_prog.literals.size());
            m_prog.literals += n.text;
            emit(n.fold ? Op::StrFold : Op::Str, offset, static_cast<int>(n.text.size()));
            break;
        }
        case Node::Kind::Cat:
            for (const Node& k : n.kids)
                emitNode(k);
            break;
        case Node::Kind::Alt: {
            if (emitDispatch(n))
                break;
            std::vector<int> exits;
            for (std::size_t i = 0; i < n.kids.size(); ++i) {
                if (i + 1 < n.kids.size()) {
                    int split = emit(Op::Split);
                    patchA(split, here());
                    emitNode(n.kids[i]);
                    exits.push_back(emit(Op::Jmp));
                    patchB(split, here());
                } else {
                    emitNode(n.kids[i]);
                }
            }
            for (int e : exits)
                patchA(e, here());
            break;
        }
        case Node::Kind::Group:
            emit(Op::Save, 2 * n.index);
            emitNode(n.kids[0]);
            emit(Op::Save, 2 * n.index + 1);
            break;
        case Node::Kind::Repeat: emitRepeat(n); break;
        case Node::Kind::Bol: emit(Op::Bol); break;
        case Node::Kind::Eol: emit(Op::Eol); break;
        case Node::Kind::WordB: emit(Op::WordB); break;
        case Node::Kind::NotWordB: emit(Op::NotWordB); break;
        case Node::Kind::BackRef: emit(Op::BackRef, n.index); break;
        case Node::Kind::Look: {
            int look = emit(Op::Look, 0, 0, 0, n.negate);
            emitNode(n.kids[0]);
            emit(Op::LookEnd);
            patchA(look, here());
            break;
        }
        }
    }

    // An alternation whose branches all consume at least one byte jumps
    // straight to the branches that can start with the next byte.
    bool emitDispatch(const Node& n)
    {
        if (n.kids.size() < 3)
            return false;
        std::vector<FirstInfo> firsts;
        for (const Node& k : n.kids) {
            firsts.push_back(firstBytes(k));
            if (firsts.back().nullable)
                return false;
        }
        int table = static_cast<int>(m_prog.dispatch.size());
        m_prog.dispatch.emplace_back();
        emit(Op::AltDispatch, table);
        std::vector<int> exits;
        for (std::size_t i = 0; i < n.kids.size(); ++i) {
            int start = here();
            for (int b = 0; b < 256; ++b)
                if (firsts[i].set[static_cast<std::size_t>(b)])
                    m_prog.dispatch[static_cast<std::size_t>(table)][static_cast<std::size_t>(b)].push_back(start);
            emitNode(n.kids[i]);
            exits.push_back(emit(Op::Jmp));
        }
        for (int e : exits)
            patchA(e, here());
        return true;
    }

    // A node that matches exactly one byte, as a set; false otherwise.
    static bool singleByte(const Node& n, ByteSet& set)
    {
        if (n.kind == Node::Kind::Set) {
            set = n.set;
            return true;
        }
        if (n.kind == Node::Kind::Str && n.text.size() == 1) {
            set.fill(0);
            unsigned char c = static_cast<unsigned char>(n.text[0]);
            set[c] = 1;
            if (n.fold)
                set[otherCase(c)] = 1;
            return true;
        }
        return false;
    }

    // One iteration of a loop body: a fresh start for its groups, and when
    // the body can match nothing, a check that it moved (an empty iteration
    // would otherwise loop forever).
    void emitIteration(const Node& body, bool optional)
    {
        int lo = INT_MAX, hi = INT_MIN;
        groupRange(body, lo, hi);
        bool guard = optional && canBeEmpty(body);
        int reg = guard ? m_prog.registers++ : 0;
        if (guard)
            emit(Op::RegSet, reg);
        if (lo <= hi)
            emit(Op::ResetCaps, 2 * lo, 2 * hi + 2);
        emitNode(body);
        if (guard)
            emit(Op::RegCheck, reg);
    }

    void emitRepeat(const Node& n)
    {
        const Node& body = n.kids[0];
        if (n.max == 0)
            return;
        ByteSet set;
        if (singleByte(body, set)) {
            emit(Op::RepSet, addSet(set), n.min, n.max, n.greedy);
            return;
        }
        for (int i = 0; i < n.min && !m_tooBig; ++i)
            emitIteration(body, false);
        if (n.max == kUnbounded) {
            int loop = emit(Op::Split);
            int bodyStart = here();
            emitIteration(body, true);
            emit(Op::Jmp, loop);
            setSplit(loop, bodyStart, here(), n.greedy);
            return;
        }
        std::vector<int> splits;
        for (int i = n.min; i < n.max && !m_tooBig; ++i) {
            int split = emit(Op::Split);
            patchA(split, here());
            splits.push_back(split);
            emitIteration(body, true);
        }
        for (int split : splits)
            setSplit(split, m_prog.code[split].a, here(), n.greedy);
    }

    void setSplit(int split, int body, int exit, bool greedy)
    {
        patchA(split, greedy ? body : exit);
        patchB(split, greedy ? exit : body);
    }

    RegexProgram& m_prog;
    bool m_tooBig = false;
};

// Literal bytes every match starts with, looking through zero-width nodes
// (they constrain the position but do not move it).
std::string literalPrefix(const Node& root)
{
    const Node* first = &root;
    if (root.kind == Node::Kind::Cat) {
        for (const Node& k : root.kids) {
            if (k.kind == Node::Kind::Bol || k.kind == Node::Kind::Eol || k.kind == Node::Kind::WordB
                || k.kind == Node::Kind::NotWordB || k.kind == Node::Kind::Look)
                continue;
            first = &k;
            break;
        }
    }
    while (first->kind == Node::Kind::Group)
        first = &first->kids[0];
    if (first->kind == Node::Kind::Cat && !first->kids.empty())
        first = &first->kids[0];
    if (first->kind == Node::Kind::Str && !first->fold)
        return first->text;
    return {};
}

// Whether every match begins with an assertion of this kind (the first
// element through leading concatenations and groups).
bool startsWith(const Node& root, Node::Kind kind)
{
    const Node* n = &root;
    while (n->kind == Node::Kind::Cat || n->kind == Node::Kind::Group) {
        if (n->kids.empty())
            return false;
        n = &n->kids[0];
    }
    return n->kind == kind;
}

} // namespace

Build buildProgram(std::string_view pattern, RegexFlags flags)
{
    Build result;
    Parser parser(pattern, flags);
    Node root;
    if (!parser.parse(root)) {
        result.error = parser.error();
        result.errorOffset = parser.errorOffset();
        return result;
    }
    auto program = std::make_shared<RegexProgram>();
    program->flags = flags;
    program->groups = parser.groups();
    Compiler compiler(*program);
    if (!compiler.compile(root)) {
        result.error = "pattern too large";
        result.errorOffset = 0;
        return result;
    }
    program->anchoredAtStart = !flags.multiline && startsWith(root, Node::Kind::Bol);
    program->prefix = literalPrefix(root);
    FirstInfo first = firstBytes(root);
    program->useFirstSet = !first.nullable;
    program->firstSet = first.set;
    program->wordStart = program->useFirstSet && startsWith(root, Node::Kind::WordB);
    for (int b = 0; b < 256 && program->wordStart; ++b)
        if (first.set[static_cast<std::size_t>(b)] && !isWordByte(static_cast<unsigned char>(b)))
            program->wordStart = false;
    result.program = std::move(program);
    return result;
}

} // namespace ravelin::vbs::regex
