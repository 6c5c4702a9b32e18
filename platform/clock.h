#pragma once
#include <cstdint>

// Timers in place of the performance counter and the multimedia millisecond
// clock, over the monotonic clock.
namespace plat {

int64_t PerfCounter();    // ticks since an arbitrary origin
int64_t PerfFrequency();  // ticks per second
uint32_t TimeGetTime();   // milliseconds, wraps like a 32-bit counter
void SleepMs(uint32_t ms);

class Event;

// The millisecond clock as the cabinet code waits on it: its time-outs,
// pauses and fades go through one of these, so tests can run them on a clock
// of their own instead of waiting out real seconds.
class MsClock {
 public:
  virtual ~MsClock() = default;
  virtual uint32_t NowMs() = 0;
  // The same time in microseconds, wrapping like a 32-bit counter: finer
  // where the clock has it (the real one does), else NowMs in microseconds.
  // For spans of a few milliseconds that whole milliseconds would round by
  // up to one.
  virtual uint32_t NowUs() { return NowMs() * 1000u; }
  virtual void Sleep(uint32_t ms) = 0;
  // Waits at most ms for the event; true when it is set.
  virtual bool Wait(Event& event, uint32_t ms) = 0;
};

// The real clock: TimeGetTime, SleepMs and the event's own wait.
MsClock& SystemClock();

}  // namespace plat
