// The console lines the statistics read: each line of the input is parsed,
// then the whole input is recorded into a history in memory, and every
// name is put through the web page's escaping, which must leave no markup.
#include "stats/StatsLine.h"
#include "stats/StatsPage.h"
#include "stats/StatsRecorder.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void checkEscaped(const std::string& name)
{
    for (char c : ravelin::stats::htmlText(name))
        if (c == '<' || c == '>' || c == '"' || c == '\'')
            __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace ravelin::stats;
    // A fresh history each run, so memory stays that of one input.
    StatsStore store(":memory:");
    StatsRecorder recorder(store);
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::int64_t now = 1'800'000'000;
    while (!input.empty()) {
        const std::size_t end = input.find('\n');
        const std::string_view line = input.substr(0, end);
        if (const auto parsed = parseStatsLine(line)) {
            if (const auto* kill = std::get_if<KillLine>(&*parsed)) {
                if (kill->victim < 0 || kill->means.empty())
                    __builtin_trap();
                checkEscaped(kill->killerName);
            } else if (const auto* info = std::get_if<UserinfoLine>(&*parsed)) {
                checkEscaped(info->name);
            }
        }
        recorder.line(line, now++);
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    }
    recorder.endPass(now);
    return 0;
}
