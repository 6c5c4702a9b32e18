#pragma once
#include <cstdint>

// Timers in place of the performance counter and the multimedia millisecond
// clock, over the monotonic clock.
namespace plat {

int64_t PerfCounter();    // ticks since an arbitrary origin
int64_t PerfFrequency();  // ticks per second
uint32_t TimeGetTime();   // milliseconds, wraps like a 32-bit counter
void SleepMs(uint32_t ms);

// Waits until PerfCounter() >= deadline: sleeps for the bulk of the wait and
// spins only for the last stretch, so a paced loop does not burn a core.
void WaitUntil(int64_t deadline, int64_t spinTicks);

}  // namespace plat
