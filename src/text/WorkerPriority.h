#pragma once

#include <cerrno>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

// Background work gives way to the window's thread: the calling thread's
// nice value becomes the main thread's plus `steps` (on Linux a thread has
// its own). The window's few milliseconds a turn then come first on a busy
// machine, and idle cores still run the work at full speed.
inline void yieldToWindow(int steps = 5)
{
    errno = 0;
    const int main = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::getpid()));
    if (errno == 0)
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), main + steps);
}
