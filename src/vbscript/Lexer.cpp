// Lexer: one pass over the text producing positioned tokens.
#include "vbscript/Lexer.h"

#include "vbscript/Errors.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace ravelin::vbs {

Symbol Interner::intern(std::string_view name)
{
    std::string key = lowerCase(name);
    auto it = m_ids.find(key);
    if (it != m_ids.end())
        return it->second;
    Symbol s = static_cast<Symbol>(m_spellings.size());
    m_spellings.emplace_back(name);
    m_folded.push_back(key);
    m_ids.emplace(std::move(key), s);
    return s;
}

const char* tokenName(Tok t)
{
    switch (t) {
    case Tok::EndOfFile: return "end of file";
    case Tok::EndOfStatement: return "end of statement";
    case Tok::Identifier: return "identifier";
    case Tok::Number: return "number";
    case Tok::String: return "string";
    case Tok::DateLiteral: return "date";
    case Tok::LParen: return "(";
    case Tok::RParen: return ")";
    case Tok::Comma: return ",";
    case Tok::Dot: return ".";
    case Tok::Plus: return "+";
    case Tok::Minus: return "-";
    case Tok::Star: return "*";
    case Tok::Slash: return "/";
    case Tok::Backslash: return "\\";
    case Tok::Caret: return "^";
    case Tok::Ampersand: return "&";
    case Tok::Eq: return "=";
    case Tok::Ne: return "<>";
    case Tok::Lt: return "<";
    case Tok::Gt: return ">";
    case Tok::Le: return "<=";
    case Tok::Ge: return ">=";
#define RAVELIN_VBS_KW_NAME(name, text)                                                                                \
    case Tok::Kw##name: return text;
        RAVELIN_VBS_KEYWORDS(RAVELIN_VBS_KW_NAME)
#undef RAVELIN_VBS_KW_NAME
    }
    return "?";
}

namespace {

struct KeywordEntry {
    std::string_view text;
    Tok tok;
};

const KeywordEntry keywordTable[] = {
#define RAVELIN_VBS_KW_ROW(name, text) {text, Tok::Kw##name},
    RAVELIN_VBS_KEYWORDS(RAVELIN_VBS_KW_ROW)
#undef RAVELIN_VBS_KW_ROW
};

bool identStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || static_cast<unsigned char>(c) >= 0xC0;
}
bool identChar(char c) { return identStart(c) || (c >= '0' && c <= '9') || c == '_'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    char l = static_cast<char>(c | 0x20);
    if (l >= 'a' && l <= 'f')
        return l - 'a' + 10;
    return -1;
}

class Lexer {
public:
    Lexer(std::string_view src, Interner& in, int firstLine) : m_src(src), m_in(in), m_line(firstLine) {}

    std::vector<Token> run()
    {
        std::vector<Token> out;
        out.reserve(m_src.size() / 3 + 8);
        bool space = false;
        while (m_pos < m_src.size()) {
            char c = m_src[m_pos];
            if (c == ' ' || c == '\t' || c == '\f' || c == '\v' || c == '\0') {
                ++m_pos;
                space = true;
                continue;
            }
            if (c == '_' && continuationFollows()) {
                space = true;
                continue;
            }
            Token t;
            t.line = m_line;
            t.column = column();
            t.spaceBefore = space;
            space = false;
            if (c == '\r' || c == '\n') {
                if (c == '\r' && m_pos + 1 < m_src.size() && m_src[m_pos + 1] == '\n')
                    ++m_pos;
                ++m_pos;
                t.kind = Tok::EndOfStatement;
                t.symbol = 1; // a line end, not a ':'
                pushEnd(out, t);
                newLine();
                continue;
            }
            if (c == ':') {
                ++m_pos;
                t.kind = Tok::EndOfStatement;
                pushEnd(out, t);
                continue;
            }
            if (c == '\'') {
                skipComment();
                continue;
            }
            if (c == '"') {
                lexString(t);
                out.push_back(std::move(t));
                continue;
            }
            if (isDigit(c)
                || (c == '.' && m_pos + 1 < m_src.size() && isDigit(m_src[m_pos + 1]) && !memberDotContext(out, t))) {
                lexNumber(t);
                out.push_back(std::move(t));
                continue;
            }
            if (c == '&' && m_pos + 1 < m_src.size() && lexRadix(t)) {
                out.push_back(std::move(t));
                continue;
            }
            if (c == '#') {
                lexDate(t);
                out.push_back(std::move(t));
                continue;
            }
            if (identStart(c) || c == '[') {
                std::string_view name;
                if (c == '[') {
                    size_t end = m_src.find(']', m_pos);
                    if (end == std::string_view::npos)
                        raiseAt(Err::InvalidCharacter, t.line, t.column);
                    name = m_src.substr(m_pos + 1, end - m_pos - 1);
                    m_pos = end + 1;
                } else {
                    size_t start = m_pos;
                    while (m_pos < m_src.size() && identChar(m_src[m_pos]))
                        ++m_pos;
                    name = m_src.substr(start, m_pos - start);
                }
                bool afterDot = !out.empty() && out.back().kind == Tok::Dot && !t.spaceBefore;
                if (!afterDot && c != '[') {
                    std::string folded = lowerCase(name);
                    if (folded == "rem") {
                        skipComment();
                        continue;
                    }
                    Tok kw = keyword(folded);
                    if (kw != Tok::Identifier) {
                        t.kind = kw;
                        out.push_back(std::move(t));
                        continue;
                    }
                }
                t.kind = Tok::Identifier;
                t.dotMember = afterDot;
                t.symbol = m_in.intern(name);
                // A trailing type character is not VBScript; leave it to the parser.
                out.push_back(std::move(t));
                continue;
            }
            ++m_pos;
            switch (c) {
            case '(': t.kind = Tok::LParen; break;
            case ')': t.kind = Tok::RParen; break;
            case ',': t.kind = Tok::Comma; break;
            case '.': t.kind = Tok::Dot; break;
            case '+': t.kind = Tok::Plus; break;
            case '-': t.kind = Tok::Minus; break;
            case '*': t.kind = Tok::Star; break;
            case '/': t.kind = Tok::Slash; break;
            case '\\': t.kind = Tok::Backslash; break;
            case '^': t.kind = Tok::Caret; break;
            case '&': t.kind = Tok::Ampersand; break;
            case '=':
                t.kind = Tok::Eq;
                if (peek('<')) {
                    ++m_pos;
                    t.kind = Tok::Le;
                } else if (peek('>')) {
                    ++m_pos;
                    t.kind = Tok::Ge;
                }
                break;
            case '<':
                t.kind = Tok::Lt;
                if (peek('>')) {
                    ++m_pos;
                    t.kind = Tok::Ne;
                } else if (peek('=')) {
                    ++m_pos;
                    t.kind = Tok::Le;
                }
                break;
            case '>':
                t.kind = Tok::Gt;
                if (peek('=')) {
                    ++m_pos;
                    t.kind = Tok::Ge;
                } else if (peek('<')) {
                    ++m_pos;
                    t.kind = Tok::Ne;
                }
                break;
            default: raiseAt(Err::InvalidCharacter, t.line, t.column);
            }
            out.push_back(std::move(t));
        }
        Token e;
        e.kind = Tok::EndOfStatement;
        e.symbol = 1;
        e.line = m_line;
        e.column = column();
        pushEnd(out, e);
        Token eof;
        eof.kind = Tok::EndOfFile;
        eof.line = m_line;
        eof.column = column();
        out.push_back(std::move(eof));
        return out;
    }

private:
    static Tok keyword(const std::string& folded)
    {
        for (const KeywordEntry& k : keywordTable)
            if (k.text == folded)
                return k.tok;
        return Tok::Identifier;
    }

    bool memberDotContext(const std::vector<Token>& out, const Token& t) const
    {
        // `x.5` never occurs; `.5` after an identifier without a blank would be
        // a member, so only treat it as a number after a blank or an operator.
        if (out.empty())
            return false;
        Tok k = out.back().kind;
        return !t.spaceBefore && (k == Tok::Identifier || k == Tok::RParen);
    }

    static void pushEnd(std::vector<Token>& out, const Token& t)
    {
        if (!out.empty() && out.back().kind == Tok::EndOfStatement) {
            out.back().symbol |= t.symbol; // empty statements carry no meaning
            return;
        }
        if (out.empty())
            return;
        out.push_back(t);
    }

    bool peek(char c) const { return m_pos < m_src.size() && m_src[m_pos] == c; }
    int column() const { return static_cast<int>(m_pos - m_lineStart) + 1; }
    void newLine()
    {
        ++m_line;
        m_lineStart = m_pos;
    }

    bool continuationFollows()
    {
        // `_` followed by blanks and a line end joins the next line.
        size_t p = m_pos + 1;
        while (p < m_src.size() && (m_src[p] == ' ' || m_src[p] == '\t'))
            ++p;
        if (p < m_src.size() && m_src[p] != '\r' && m_src[p] != '\n')
            return false;
        if (p > m_pos + 1 || m_pos == 0 || m_src[m_pos - 1] == ' ' || m_src[m_pos - 1] == '\t' || p >= m_src.size()
            || true) {
            if (p < m_src.size() && m_src[p] == '\r' && p + 1 < m_src.size() && m_src[p + 1] == '\n')
                ++p;
            m_pos = p < m_src.size() ? p + 1 : p;
            newLine();
            return true;
        }
        return false;
    }

    void skipComment()
    {
        while (m_pos < m_src.size() && m_src[m_pos] != '\r' && m_src[m_pos] != '\n')
            ++m_pos;
    }

    void lexString(Token& t)
    {
        ++m_pos;
        std::string s;
        for (;;) {
            if (m_pos >= m_src.size() || m_src[m_pos] == '\r' || m_src[m_pos] == '\n')
                raiseAt(Err::UnterminatedString, t.line, t.column);
            char c = m_src[m_pos++];
            if (c == '"') {
                if (peek('"')) {
                    s.push_back('"');
                    ++m_pos;
                    continue;
                }
                break;
            }
            s.push_back(c);
        }
        t.kind = Tok::String;
        t.value = Variant::string(std::move(s));
    }

    void lexNumber(Token& t)
    {
        size_t start = m_pos;
        bool isFloat = false;
        while (m_pos < m_src.size() && isDigit(m_src[m_pos]))
            ++m_pos;
        if (peek('.')) {
            isFloat = true;
            ++m_pos;
            while (m_pos < m_src.size() && isDigit(m_src[m_pos]))
                ++m_pos;
        }
        if (m_pos < m_src.size() && (m_src[m_pos] == 'e' || m_src[m_pos] == 'E')) {
            size_t save = m_pos;
            ++m_pos;
            if (peek('+') || peek('-'))
                ++m_pos;
            if (m_pos < m_src.size() && isDigit(m_src[m_pos])) {
                isFloat = true;
                while (m_pos < m_src.size() && isDigit(m_src[m_pos]))
                    ++m_pos;
            } else {
                m_pos = save;
            }
        }
        if (m_pos < m_src.size() && identStart(m_src[m_pos]))
            raiseAt(Err::ExpectedEndOfStatement, m_line, column());
        std::string text(m_src.substr(start, m_pos - start));
        // from_chars reads "." whatever the process locale says (a Qt host
        // adopts the user's, where strtod may want a decimal comma).
        double d = 0;
        std::from_chars(text.data(), text.data() + text.size(), d);
        t.kind = Tok::Number;
        if (!isFloat && d <= 32767)
            t.value = Variant::integer(static_cast<int16_t>(d));
        else if (!isFloat && d <= 2147483647.0)
            t.value = Variant::longInt(static_cast<int32_t>(d));
        else
            t.value = Variant::dbl(d);
    }

    bool lexRadix(Token& t)
    {
        // &Hxx, &Oxx or &xx (octal), optionally ending in '&' for Long.
        size_t p = m_pos + 1;
        int base = 8;
        char k = static_cast<char>(m_src[p] | 0x20);
        if (k == 'h') {
            base = 16;
            ++p;
        } else if (k == 'o') {
            ++p;
        } else if (!isDigit(m_src[p]))
            return false;
        size_t start = p;
        uint64_t v = 0;
        while (p < m_src.size()) {
            int d = hexValue(m_src[p]);
            if (d < 0 || d >= base)
                break;
            v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
            if (v > 0xFFFFFFFFull)
                raiseAt(Err::InvalidNumber, t.line, t.column);
            ++p;
        }
        if (p == start)
            return false;
        if (p < m_src.size() && identChar(m_src[p]) && m_src[p] != '_')
            return false; // `"x" &hi`: the operator & and a name
        bool forceLong = false;
        if (p < m_src.size() && m_src[p] == '&') {
            forceLong = true;
            ++p;
        }
        m_pos = p;
        t.kind = Tok::Number;
        // Up to four digits without '&' wrap at 16 bits (&hFFFF is -1); any
        // other literal is read as 32 bits and is still an Integer when the
        // value fits one (&h10& and &hFFFFFFFF& are Integers, &hFFFF& a Long).
        if (!forceLong && v <= 0xFFFF) {
            t.value = Variant::integer(static_cast<int16_t>(static_cast<uint16_t>(v)));
        } else {
            auto x = static_cast<int32_t>(static_cast<uint32_t>(v));
            t.value = x >= -32768 && x <= 32767 ? Variant::integer(static_cast<int16_t>(x)) : Variant::longInt(x);
        }
        return true;
    }

    void lexDate(Token& t)
    {
        size_t end = m_src.find('#', m_pos + 1);
        size_t nl = m_src.find_first_of("\r\n", m_pos + 1);
        if (end == std::string_view::npos || (nl != std::string_view::npos && nl < end))
            raiseAt(Err::SyntaxError, t.line, t.column);
        std::string_view text = m_src.substr(m_pos + 1, end - m_pos - 1);
        double serial;
        if (!parseDate(text, serial))
            raiseAt(Err::SyntaxError, t.line, t.column);
        m_pos = end + 1;
        t.kind = Tok::DateLiteral;
        t.value = Variant::date(serial);
    }

    std::string_view m_src;
    Interner& m_in;
    size_t m_pos = 0;
    size_t m_lineStart = 0;
    int m_line;
};

} // namespace

std::vector<Token> tokenize(std::string_view source, Interner& interner, int firstLine)
{
    return Lexer(source, interner, firstLine).run();
}

} // namespace ravelin::vbs
