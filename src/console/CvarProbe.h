// The cvar probe: asks a server console for one cvar by typing its bare name
// and waiting until the server's answer line,
//     "NAME" is:"VALUE" default:"DEFAULT"
// is the last complete line of the output. The name is typed again on every
// attempt (a slow server sees the query many times); after 1000 attempts the
// probe gives up and answers "UNKNOWN". A server that does not know the name
// answers "Unknown command", reported as "UNKNOWN COMMAND". It works on an
// explicit console handle so the start window can label consoles it is not
// connected to.
#pragma once

#include "console/ConsoleBridge.h"

#include <string>
#include <string_view>

namespace ravelin {

inline constexpr const char* kCvarUnknown = "UNKNOWN";
inline constexpr const char* kCvarUnknownCommand = "UNKNOWN COMMAND";

class CvarProbe {
public:
    static constexpr int kAttemptLimit = 1000;

    explicit CvarProbe(ConsoleBridge& bridge) : m_bridge(bridge) {}

    std::string GetCvarValue(WindowHandle console, std::string_view name);
    std::string GetCvarDefault(WindowHandle console, std::string_view name);

    // The n-th double-quoted field (0 name, 1 value, 2 default) of an answer
    // line; empty when the line has too few quotes.
    static std::string answerField(std::string_view line, int field);

private:
    std::string probe(WindowHandle console, std::string_view name, int field);

    ConsoleBridge& m_bridge;
};

} // namespace ravelin
