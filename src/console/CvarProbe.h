// The cvar probe: asks a server console for one cvar by typing its bare name
// and reading the server's answer. The engines answer in several forms:
//     "NAME" is:"VALUE" default:"DEFAULT"      (Quake III 1.32; ioq3 when
//                                               the value is not the default)
//     "NAME" is:"VALUE", the default           (ioq3: default = value)
//     "NAME" is:"VALUE"                        (ioq3, read-only: default "")
// and to a name they do not know: `Unknown command "NAME"` (1.32),
// `unknown command: NAME` (ioq3 with a map), baseq3's chat echo
// (`server: NAME`, `broadcast: print "server: NAME...`), or nothing at all
// (ioq3 before a map). All of these give "UNKNOWN COMMAND".
//
// Only lines printed after the query was typed, and only those naming the
// cvar asked for (without regard to case), count: a late answer to another
// probe never satisfies this one. The query is typed once; it is typed again
// only while the console has not echoed it ("]NAME", which the console host
// writes when the server takes the line), at most three copies in all.
// Once echoed, a server that stays silent for a while did not know the
// name. A console that is gone, or that never took the query, gives
// "UNKNOWN". Waits run on the message loop's clock and pauses.
#pragma once

#include "console/ConsoleBridge.h"

#include <string>
#include <string_view>

namespace ravelin {

inline constexpr const char* kCvarUnknown = "UNKNOWN";
inline constexpr const char* kCvarUnknownCommand = "UNKNOWN COMMAND";

class CvarProbe {
public:
    static constexpr int kMaxCopies = 3;
    // Without an echo or an answer for this long, the query is typed again.
    static constexpr int kRetypeMs = 1000;
    // Echoed but unanswered for this long: the server did not know the name.
    static constexpr int kSilenceMs = 1000;
    static constexpr int kPollMs = 10;

    explicit CvarProbe(ConsoleBridge& bridge) : m_bridge(bridge) {}

    std::string GetCvarValue(WindowHandle console, std::string_view name);
    std::string GetCvarDefault(WindowHandle console, std::string_view name);

    // The n-th double-quoted field (0 name, 1 value, 2 default) of an answer
    // line; empty when the line has too few quotes.
    static std::string answerField(std::string_view line, int field);

    // What one console line says about a query for `name`.
    enum class LineKind { Other, Echo, Answer, Unknown };
    static LineKind classify(std::string_view line, std::string_view name);
    // The default of an answer line in any of its forms.
    static std::string answerDefault(std::string_view line);

private:
    std::string probe(WindowHandle console, std::string_view name, int field);

    ConsoleBridge& m_bridge;
};

} // namespace ravelin
