// The running script's time limit, as seen by code that cannot reach the
// interpreter: the regex matcher and the long loops of the built-ins (text
// searches, splits, replacements, file reads and writes).
//
// The interpreter installs a check for the duration of a run on its thread;
// that check throws the time-out error once the run's deadline has passed, so
// a built-in working on a huge input ends within moments of the limit instead
// of finishing its whole job first. Polling is a counter bump: the check
// itself (a clock read) runs once every kInterruptInterval units of work.
#pragma once

#include <cstddef>

namespace ravelin::vbs {

using InterruptCheck = void (*)(void* context);
inline constexpr unsigned kInterruptInterval = 1u << 16;
struct Interrupt {
    InterruptCheck check = nullptr;
    void* context = nullptr;
};

// Installs `interrupt` on this thread; returns the previous one. Null (the
// default) checks nothing.
Interrupt setInterrupt(Interrupt interrupt);

// Runs the check now (it may throw).
void checkInterrupt();

namespace detail {
extern thread_local std::size_t interruptWork;
}

// Counts `work` units (bytes compared, characters copied, matches found) and
// runs the check each time kInterruptInterval of them have piled up.
inline void pollInterrupt(std::size_t work = 1)
{
    detail::interruptWork += work;
    if (detail::interruptWork >= kInterruptInterval) {
        detail::interruptWork = 0;
        checkInterrupt();
    }
}

} // namespace ravelin::vbs
