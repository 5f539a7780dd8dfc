// Linear-time substring search (see TextSearch.h).
#include "vbscript/TextSearch.h"

#include "vbscript/Interrupt.h"

#include <algorithm>
#include <vector>

namespace ravelin::vbs {

namespace {

// Needles up to this length are searched for directly: at most this many
// comparisons per text byte, and no table to build.
constexpr size_t kDirectNeedle = 16;

// Knuth-Morris-Pratt over the needle and text as seen through `at`
// (forward or reversed, folded or not): the index in text coordinates of
// the first match at or after `from`, or npos.
template <typename Needle, typename Hay>
size_t kmp(size_t needleSize, Needle needleAt, size_t haySize, Hay hayAt, size_t from)
{
    std::vector<size_t> fail(needleSize, 0);
    for (size_t i = 1, k = 0; i < needleSize; ++i) {
        while (k > 0 && needleAt(i) != needleAt(k))
            k = fail[k - 1];
        if (needleAt(i) == needleAt(k))
            ++k;
        fail[i] = k;
        pollInterrupt();
    }
    for (size_t i = from, k = 0; i < haySize; ++i) {
        char c = hayAt(i);
        while (k > 0 && c != needleAt(k))
            k = fail[k - 1];
        if (c == needleAt(k))
            ++k;
        if (k == needleSize)
            return i + 1 - needleSize;
        pollInterrupt();
    }
    return std::string_view::npos;
}

bool sameAt(std::string_view hay, size_t i, std::string_view needle, CompareMode mode)
{
    if (mode == CompareMode::Binary)
        return hay.compare(i, needle.size(), needle) == 0;
    for (size_t k = 0; k < needle.size(); ++k)
        if (foldCase(hay[i + k]) != foldCase(needle[k]))
            return false;
    return true;
}

} // namespace

size_t findText(std::string_view hay, std::string_view needle, size_t from, CompareMode mode)
{
    if (needle.size() > hay.size() || from > hay.size() - needle.size())
        return needle.empty() && from <= hay.size() ? from : std::string_view::npos;
    if (needle.size() <= kDirectNeedle) {
        if (mode == CompareMode::Binary) {
            // One character (Split's usual delimiter) is a plain memchr.
            size_t p = needle.size() == 1 ? hay.find(needle[0], from) : hay.find(needle, from);
            pollInterrupt((p == std::string_view::npos ? hay.size() : p) - from);
            return p;
        }
        for (size_t i = from; i + needle.size() <= hay.size(); ++i) {
            if (sameAt(hay, i, needle, mode))
                return i;
            pollInterrupt();
        }
        return std::string_view::npos;
    }
    if (mode == CompareMode::Binary)
        return kmp(
            needle.size(), [&](size_t i) { return needle[i]; }, hay.size(), [&](size_t i) { return hay[i]; }, from);
    return kmp(
        needle.size(), [&](size_t i) { return foldCase(needle[i]); }, hay.size(),
        [&](size_t i) { return foldCase(hay[i]); }, from);
}

size_t rfindText(std::string_view hay, std::string_view needle, size_t last, CompareMode mode)
{
    if (needle.size() > hay.size())
        return std::string_view::npos;
    size_t start = std::min(last, hay.size() - needle.size());
    if (needle.size() <= kDirectNeedle) {
        for (size_t i = start + 1; i-- > 0;) {
            if (sameAt(hay, i, needle, mode))
                return i;
            pollInterrupt();
        }
        return std::string_view::npos;
    }
    // Search the reversed text for the reversed needle, beginning where a
    // match would end at `start`.
    const size_t n = hay.size(), m = needle.size();
    const size_t from = n - (start + m);
    size_t r;
    if (mode == CompareMode::Binary)
        r = kmp(
            m, [&](size_t i) { return needle[m - 1 - i]; }, n, [&](size_t i) { return hay[n - 1 - i]; }, from);
    else
        r = kmp(
            m, [&](size_t i) { return foldCase(needle[m - 1 - i]); }, n,
            [&](size_t i) { return foldCase(hay[n - 1 - i]); }, from);
    return r == std::string_view::npos ? r : n - r - m;
}

} // namespace ravelin::vbs
