#include "platform/clock.h"

#include <chrono>
#include <thread>

#include "platform/thread.h"

namespace plat {

int64_t PerfCounter() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int64_t PerfFrequency() { return 1000000000; }

uint32_t TimeGetTime() { return static_cast<uint32_t>(PerfCounter() / 1000000); }

void SleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

namespace {
class RealClock : public MsClock {
 public:
  uint32_t NowMs() override { return TimeGetTime(); }
  uint32_t NowUs() override { return static_cast<uint32_t>(PerfCounter() / 1000); }
  void Sleep(uint32_t ms) override { SleepMs(ms); }
  bool Wait(Event& event, uint32_t ms) override { return event.Wait(ms); }
};
}  // namespace

MsClock& SystemClock() {
  static RealClock clock;
  return clock;
}

}  // namespace plat
