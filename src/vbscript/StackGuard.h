// The C++ stack the engine's recursive walks (parser, resolver, evaluator,
// Execute and Eval) may use on the current thread. Scripts nest without
// bound (`Execute s` where s is "Execute s", a chain of 300,000 calls); each
// walk checks the stack left before it goes one level deeper and raises
// error 28 "Out of stack space" while there is still room to unwind.
#pragma once

#include <cstdint>

namespace ravelin::vbs {

// Lowest stack address the walks may reach on this thread (computed once per thread).
uintptr_t stackFloor() noexcept;

// Raises error 28 when the stack is nearly used up.
void raiseOutOfStack();

inline void checkStack(uintptr_t floor = stackFloor())
{
    char probe = 0;
    if (reinterpret_cast<uintptr_t>(&probe) < floor)
        raiseOutOfStack();
}

} // namespace ravelin::vbs
