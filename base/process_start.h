// The moment the process started. A manager that starts a program for each move counts the
// move's time from there: loading the program, reading the files and setting up the search all
// come out of the same budget as the search itself.
#pragma once

#include <chrono>
#include <cstdint>

#include "base/time_control.h"

namespace zarvo {

// The process's start on the monotonic clock: the earlier of a stamp taken before any static
// initialisation of the program and, where the system records it, the kernel's start time
// (which also covers loading the program).
TMonotonicClock::time_point ProcessStartTime();

// The latest moment a process can have started whose start the kernel gives as `startTicks`
// whole ticks since boot (rounded down), with the boot clock reading `bootNow` at `now`.
TMonotonicClock::time_point LatestStartFromTicks(int64_t startTicks, int64_t ticksPerSecond,
                                                 std::chrono::nanoseconds bootNow,
                                                 TMonotonicClock::time_point now);

}  // namespace zarvo
