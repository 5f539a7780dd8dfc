#include "config/LikeMatch.h"

#include <cstddef>
#include <utility>

namespace ravelin {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Whether `c` belongs to the class written between `[` and `]` (exclusive
// of both, `!` already taken off). Ranges run from the smaller byte to the
// larger one, as VB sorts them; a `-` first or last is a literal.
bool inClass(char c, std::string_view body)
{
    const auto u = static_cast<unsigned char>(c);
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (i + 2 < body.size() && body[i + 1] == '-') {
            auto lo = static_cast<unsigned char>(body[i]);
            auto hi = static_cast<unsigned char>(body[i + 2]);
            if (lo > hi)
                std::swap(lo, hi);
            if (u >= lo && u <= hi)
                return true;
            i += 2;
        } else if (static_cast<unsigned char>(body[i]) == u) {
            return true;
        }
    }
    return false;
}

// Greedy wildcard matching with one remembered star: on a mismatch the last
// `*` swallows one more character and matching resumes after it. Linear in
// practice, quadratic at worst, never exponential.
bool matchFrom(std::string_view text, std::string_view pattern)
{
    std::size_t t = 0;
    std::size_t p = 0;
    std::size_t starP = std::string_view::npos; // pattern position after the last star
    std::size_t starT = 0; // text position that star stands at
    while (t < text.size()) {
        if (p < pattern.size()) {
            const char pc = pattern[p];
            if (pc == '*') {
                starP = ++p;
                starT = t;
                continue;
            }
            if (pattern.substr(p, 2) == "[]") { // VB: matches the empty string
                p += 2;
                continue;
            }
            bool ok = false;
            std::size_t next = p + 1;
            if (pc == '?') {
                ok = true;
            } else if (pc == '#') {
                ok = isDigit(text[t]);
            } else if (pc == '[') {
                const std::size_t close = pattern.find(']', p + 1);
                if (close == std::string_view::npos) {
                    ok = text[t] == '['; // unbalanced: a literal bracket
                } else {
                    std::string_view body = pattern.substr(p + 1, close - p - 1);
                    const bool negate = !body.empty() && body.front() == '!';
                    if (negate)
                        body.remove_prefix(1);
                    ok = inClass(text[t], body) != negate;
                    next = close + 1;
                }
            } else {
                ok = pc == text[t];
            }
            if (ok) {
                ++t;
                p = next;
                continue;
            }
        }
        if (starP == std::string_view::npos)
            return false;
        p = starP;
        t = ++starT;
    }
    while (p < pattern.size() && (pattern[p] == '*' || pattern.substr(p, 2) == "[]"))
        p += pattern[p] == '*' ? 1 : 2;
    return p == pattern.size();
}

} // namespace

bool likeMatch(std::string_view text, std::string_view pattern) { return matchFrom(text, pattern); }

} // namespace ravelin
