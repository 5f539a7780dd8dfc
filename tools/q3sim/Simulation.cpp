#include "q3sim/Simulation.h"

#include "q3sim/Server.h"

#include <cmath>
#include <limits>

namespace q3sim {

void Simulation::advance(Server& server, double now)
{
    // Fire in time order; ties go join, leave, chat, kill, item.
    for (;;) {
        int best = -1;
        double bestTime = std::numeric_limits<double>::infinity();
        for (int i = 0; i < 5; ++i) {
            const Track& track = m_tracks[i];
            if (track.interval <= 0)
                continue;
            double due = track.interval * static_cast<double>(track.fired + 1);
            if (due <= now && due < bestTime) {
                best = i;
                bestTime = due;
            }
        }
        if (best < 0)
            return;
        ++m_tracks[best].fired;
        switch (best) {
        case 0: server.simulateJoin(); break;
        case 1: server.simulateLeave(); break;
        case 2: server.simulateChat(); break;
        case 3: server.simulateKill(); break;
        case 4: server.simulateItem(); break;
        }
        if (server.quitRequested())
            return;
    }
}

double Simulation::nextDue(double now) const
{
    double next = -1;
    for (const Track& track : m_tracks) {
        if (track.interval <= 0)
            continue;
        double wait = track.interval * static_cast<double>(track.fired + 1) - now;
        if (wait < 0)
            wait = 0;
        if (next < 0 || wait < next)
            next = wait;
    }
    return next;
}

std::int64_t Flood::total() const
{
    std::int64_t paced = (m_rate > 0 && m_seconds > 0) ? static_cast<std::int64_t>(std::floor(m_rate * m_seconds)) : 0;
    return m_burst + paced;
}

std::int64_t Flood::dueBy(double now) const
{
    if (m_rate <= 0 || m_seconds <= 0 || now <= 0)
        return m_burst;
    double elapsed = now < m_seconds ? now : m_seconds;
    auto paced = static_cast<std::int64_t>(std::floor(m_rate * elapsed));
    return std::min(m_burst + paced, total());
}

double Flood::nextDue(double now, std::int64_t printed) const
{
    if (printed >= total())
        return -1;
    if (printed < dueBy(now))
        return 0;
    // The next paced line falls when rate * t reaches the next whole number.
    double next = static_cast<double>(printed - m_burst + 1) / m_rate;
    return next > now ? next - now : 0;
}

} // namespace q3sim
