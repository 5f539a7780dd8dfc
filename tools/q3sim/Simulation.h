// When game events and flood lines are due.
//
// In: the intervals from the command line and the seconds since the game
// began. Out: calls on the server for each due event, in a fixed order, and
// the number of flood lines due; plus how long the loop may sleep. Events
// fall on exact multiples of their interval, so a seeded run plays the same
// events in the same order however the loop is scheduled.
#pragma once

#include <cstdint>
#include <string>

namespace q3sim {

class Server;

struct EventIntervals {
    double join = 0; // seconds; 0 = never
    double leave = 0;
    double chat = 0;
    double kill = 0;
    double item = 0;
};

class Simulation {
public:
    explicit Simulation(EventIntervals intervals) : m_intervals(intervals) {}

    // Runs every event due up to `now` (seconds since the start).
    void advance(Server& server, double now);
    // Seconds from `now` to the next event; negative when there is none.
    double nextDue(double now) const;

private:
    struct Track {
        double interval = 0;
        std::int64_t fired = 0;
    };
    EventIntervals m_intervals;
    Track m_tracks[5] = {{m_intervals.join, 0},
                         {m_intervals.leave, 0},
                         {m_intervals.chat, 0},
                         {m_intervals.kill, 0},
                         {m_intervals.item, 0}};
};

// Numbered flood lines: first `burst` lines at once, then `rate` lines a
// second for `seconds` seconds. Lines read "flood: N", N counting from 1.
class Flood {
public:
    Flood(std::int64_t burst, double rate, double seconds) : m_burst(burst), m_rate(rate), m_seconds(seconds) {}

    // Lines that should have been printed by `now` (seconds since the start
    // of the flood), in total.
    std::int64_t dueBy(double now) const;
    std::int64_t total() const;
    // Seconds from `now` until another line is due; negative when done.
    double nextDue(double now, std::int64_t printed) const;

    static std::string line(std::int64_t n) { return "flood: " + std::to_string(n); }

private:
    std::int64_t m_burst;
    double m_rate;
    double m_seconds;
};

} // namespace q3sim
