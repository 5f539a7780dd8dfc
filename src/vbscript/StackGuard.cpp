// Finds the current thread's stack bounds once and keeps a margin for
// unwinding, error reporting and the host's own frames.
#include "vbscript/StackGuard.h"

#include "vbscript/Errors.h"

#include <algorithm>
#include <pthread.h>

namespace ravelin::vbs {

namespace {

uintptr_t computeStackFloor() noexcept
{
    char probe = 0;
    auto here = reinterpret_cast<uintptr_t>(&probe);
    size_t size = size_t(8) << 20;
    uintptr_t low = here > size ? here - size : 0;
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
        void* addr = nullptr;
        size_t sz = 0;
        if (pthread_attr_getstack(&attr, &addr, &sz) == 0 && addr && sz) {
            low = reinterpret_cast<uintptr_t>(addr);
            size = sz;
        }
        pthread_attr_destroy(&attr);
    }
    // A quarter of the stack, at most 2 MiB, stays free below the floor.
    size_t margin = std::min(size / 4, size_t(2) << 20);
    return low + margin;
}

} // namespace

uintptr_t stackFloor() noexcept
{
    thread_local uintptr_t floor = computeStackFloor();
    return floor;
}

void raiseOutOfStack() { raise(Err::OutOfStack); }

} // namespace ravelin::vbs
