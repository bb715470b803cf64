#pragma once

#include <sys/types.h>

namespace vel::test {

// The kernel's id of the calling thread.
pid_t CurrentThreadId();

// True while thread `tid` of this process sleeps in the kernel, as a thread
// does once it waits on a condition variable, a read or a time-out. Lets a
// test wait until another thread has begun to wait before waking it. An id
// of 0 (a thread that has not said who it is yet) is not asleep.
bool ThreadIsAsleep(pid_t tid);

}  // namespace vel::test
