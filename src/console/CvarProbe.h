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
// The query runs for its output alone (ConsoleBridge::ExecCommand): only what
// the server printed for it counts, and neither the query nor its answer
// reaches the console page, the scripts or another client. Output that ends
// without an answer line means the server did not know the name, known the
// moment the output ends. A console that is gone, or that did not take the
// query in time, gives "UNKNOWN".
#pragma once

#include "console/ConsoleBridge.h"

#include <string>
#include <string_view>
#include <vector>

namespace ravelin {

inline constexpr const char* kCvarUnknown = "UNKNOWN";
inline constexpr const char* kCvarUnknownCommand = "UNKNOWN COMMAND";

class CvarProbe {
public:
    // The server takes the query and ends its answer within this, or the
    // answer is "UNKNOWN".
    static constexpr int kTimeoutMs = 3000;

    explicit CvarProbe(ConsoleBridge& bridge) : m_bridge(bridge) {}

    std::string GetCvarValue(WindowHandle console, std::string_view name);
    std::string GetCvarDefault(WindowHandle console, std::string_view name);

    // The n-th double-quoted field (0 name, 1 value, 2 default) of an answer
    // line; empty when the line has too few quotes.
    static std::string answerField(std::string_view line, int field);

    // What one console line says about a query for `name`.
    enum class LineKind { Other, Echo, Answer, Unknown };
    static LineKind classify(std::string_view line, std::string_view name);
    // The value (field 1) or default (field 2) the output of a query for
    // `name` gives, "UNKNOWN COMMAND" when it holds no answer line.
    static std::string fromOutput(const std::vector<std::string>& lines, std::string_view name, int field);
    // The default of an answer line in any of its forms.
    static std::string answerDefault(std::string_view line);

private:
    std::string probe(WindowHandle console, std::string_view name, int field);

    ConsoleBridge& m_bridge;
};

} // namespace ravelin
