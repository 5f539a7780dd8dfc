// The per-thread time-limit hook (see Interrupt.h).
#include "vbscript/Interrupt.h"

namespace ravelin::vbs {

namespace detail {
thread_local std::size_t interruptWork = 0;
}

namespace {
thread_local Interrupt t_interrupt;
}

Interrupt setInterrupt(Interrupt interrupt)
{
    Interrupt previous = t_interrupt;
    t_interrupt = interrupt;
    return previous;
}

void checkInterrupt()
{
    if (t_interrupt.check)
        t_interrupt.check(t_interrupt.context);
}

} // namespace ravelin::vbs
