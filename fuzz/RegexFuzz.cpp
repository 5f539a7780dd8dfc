// RegExp: the first line is the pattern (its first byte picks the flags),
// the rest the subject. Compiles, then searches, replaces and lists matches;
// a search that backtracks too long is cut off by the interrupt.
#include "vbscript/Regex.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

using namespace ravelin::vbs;

namespace {

struct Deadline {
    std::chrono::steady_clock::time_point at;
};

struct TooLong {};

void check(void* context)
{
    if (std::chrono::steady_clock::now() > static_cast<Deadline*>(context)->at)
        throw TooLong{};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 16 * 1024)
        return 0;
    std::string_view in(reinterpret_cast<const char*>(data), size);
    RegexFlags flags;
    flags.ignoreCase = (in[0] & 1) != 0;
    flags.multiline = (in[0] & 2) != 0;
    in.remove_prefix(1);
    size_t nl = in.find('\n');
    std::string_view pattern = in.substr(0, nl);
    std::string_view subject = nl == std::string_view::npos ? std::string_view() : in.substr(nl + 1);
    auto compiled = Regex::compile(pattern, flags);
    if (!compiled)
        return 0;
    Deadline deadline{std::chrono::steady_clock::now() + std::chrono::milliseconds(200)};
    RegexInterrupt previous = setRegexInterrupt({check, &deadline});
    try {
        const Regex& re = *compiled.regex;
        RegexMatch m;
        if (re.search(subject, 0, m)) {
            for (size_t g = 0; g <= m.groupCount(); ++g)
                (void)m.group(subject, g);
        }
        (void)re.searchAll(subject);
        (void)re.replace(subject, "[$1$&$`$'$$$99]", true);
    } catch (const TooLong&) {}
    setRegexInterrupt(previous);
    return 0;
}
