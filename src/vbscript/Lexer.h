// Lexer: source text in, tokens out.
//
// Every token carries its line and column (1-based), so a compile error and
// every run-time error raised later can name its position. Identifiers are
// case-folded and interned into the engine's `Interner` here, once; later
// stages compare symbol numbers, never text. Keywords that VBScript also lets
// a script use as names (Error, Explicit, Step, Preserve, Property after a
// dot...) come out as identifiers and the parser recognises them by symbol.
// Line continuation (`_` at the end of a line) is consumed here; `:` and line
// ends both produce an end-of-statement token.
#pragma once

#include "vbscript/Variant.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ravelin::vbs {

using Symbol = uint32_t;

// Case-insensitive identifier interning: one number per folded name.
class Interner {
public:
    Symbol intern(std::string_view name);
    // The spelling first seen for the symbol (for messages and listings).
    const std::string& spelling(Symbol s) const { return m_spellings[s]; }
    const std::string& folded(Symbol s) const { return m_folded[s]; }
    size_t size() const { return m_spellings.size(); }

private:
    std::unordered_map<std::string, Symbol> m_ids;
    std::vector<std::string> m_spellings;
    std::vector<std::string> m_folded;
};

#define RAVELIN_VBS_KEYWORDS(X)                                                                                        \
    X(And, "and")                                                                                                      \
    X(ByRef, "byref") X(ByVal, "byval") X(Call, "call") X(Case, "case") X(Class, "class") X(Const, "const")            \
        X(Dim, "dim") X(Do, "do") X(Each, "each") X(Else, "else") X(ElseIf, "elseif") X(Empty, "empty") X(End, "end")  \
            X(Eqv, "eqv") X(Erase, "erase") X(Exit, "exit") X(False, "false") X(For, "for") X(Function, "function")    \
                X(Goto, "goto") X(If, "if") X(Imp, "imp") X(In, "in") X(Is, "is") X(Let, "let") X(Loop, "loop")        \
                    X(Me, "me") X(Mod, "mod") X(New, "new") X(Next, "next") X(Not, "not") X(Nothing, "nothing")        \
                        X(Null, "null") X(On, "on") X(Option, "option") X(Or, "or") X(Private, "private")              \
                            X(Public, "public") X(ReDim, "redim") X(Select, "select") X(Set, "set") X(Stop, "stop")    \
                                X(Sub, "sub") X(Then, "then") X(To, "to") X(True, "true") X(Until, "until")            \
                                    X(Wend, "wend") X(While, "while") X(With, "with") X(Xor, "xor")

enum class Tok : uint8_t {
    EndOfFile,
    EndOfStatement, // line end or ':'
    Identifier,
    Number, // value in Token::value (Integer, Long or Double)
    String,
    DateLiteral,
    // punctuation and operators
    LParen,
    RParen,
    Comma,
    Dot,
    Plus,
    Minus,
    Star,
    Slash,
    Backslash,
    Caret,
    Ampersand,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
#define RAVELIN_VBS_KW_ENUM(name, text) Kw##name,
    RAVELIN_VBS_KEYWORDS(RAVELIN_VBS_KW_ENUM)
#undef RAVELIN_VBS_KW_ENUM
};

const char* tokenName(Tok t);

struct Token {
    Tok kind = Tok::EndOfFile;
    int line = 0;
    int column = 0;
    Symbol symbol = 0; // identifiers
    Variant value; // numbers, strings, dates
    bool spaceBefore = false; // whitespace before the token (for `a .b` vs `a.b`)
    bool dotMember = false; // identifier following a '.' (keywords allowed)
};

// Tokenises a whole source text; raises compile errors with their position.
std::vector<Token> tokenize(std::string_view source, Interner& interner, int firstLine = 1);

} // namespace ravelin::vbs
