// The rotation: a preset's entries ("command||interval") sent one after
// another in a loop on the rotation timer. The run list mirrors lstExec:
// entry 0 is an empty starting position that is never sent, entries 1..N
// are the preset's. Each tick selects the next entry (wrapping to 1), sets
// the timer to that entry's interval (the wait after its own command) and
// sends its command, unless it is the placeholder "NOP".
//
// An entry whose interval is not a whole number of 1 to 65535 ms would
// either flood the server (0, negative) or stop the rotation silently, so
// such an entry waits the starting interval (1000 ms) instead, and the run
// says so once, on the debug output, when it starts.
//
// The runner owns no timer and no console: its owner passes the hooks, so
// tests drive it on a fake clock.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ravelin {

inline constexpr const char* kRotationPlaceholder = "NOP";
inline constexpr const char* kRotationSeparator = "||";
// The timer's interval when stopped, so the first command goes out about
// one second after Run; also the wait after an entry with a bad interval.
inline constexpr int kRotationStartInterval = 1000;
inline constexpr int kMaxRotationInterval = 65535;

struct RotationEntry {
    std::string command;
    std::string interval;
};

// Splits at every "||": the first piece is the command, the second the
// interval; further pieces are ignored.
RotationEntry splitRotationEntry(std::string_view entry);

// The interval in ms when it is a whole decimal number from 1 to 65535.
std::optional<int> rotationInterval(std::string_view text);

struct RotationHooks {
    std::function<void(bool enabled)> enableTimer;
    std::function<void(int intervalMs)> setInterval;
    // lstExec: its entries, and the one selected (the one sent last).
    std::function<void(const std::vector<std::string>& entries)> showEntries;
    std::function<void(int index)> selectEntry;
    std::function<void(const std::string& command)> send;
    std::function<void(const std::string& line)> debugPrint;
};

class RotationRunner {
public:
    // `unloading` is the owner's closing flag, read afresh at every step.
    explicit RotationRunner(const bool& unloading) : m_unloading(unloading) {}

    RotationHooks& hooks() { return m_hooks; }

    // Starts from the top with these entries; false (and nothing started)
    // when there are none.
    bool start(const std::vector<std::string>& commands, std::string_view name = {});
    // One timer tick.
    void step();
    // Timer off and back to the starting interval; the run list stays.
    void stop();

    bool running() const { return m_running; }
    int interval() const { return m_interval; }
    int selected() const { return m_selected; }
    const std::vector<std::string>& entries() const { return m_entries; }

private:
    void setInterval(int ms);

    const bool& m_unloading;
    RotationHooks m_hooks;
    std::vector<std::string> m_entries;
    int m_selected = -1;
    int m_interval = kRotationStartInterval;
    bool m_running = false;
};

} // namespace ravelin
