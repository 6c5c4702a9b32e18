#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/clock.h"
#include "platform/thread.h"

namespace testsupport {

// A millisecond clock that moves only when the test says so. Sleeps and
// event waits return at once (after a tiny real pause, so a polling thread
// does not spin hot): time-outs of seconds cost nothing, and only Advance
// makes them run out.
class FakeClock : public plat::MsClock {
 public:
  uint32_t NowMs() override { return now_.load(); }
  void Sleep(uint32_t) override { std::this_thread::sleep_for(std::chrono::microseconds(50)); }
  bool Wait(plat::Event& event, uint32_t) override { return event.Wait(1); }
  void Advance(uint32_t ms) { now_ += ms; }
  void Set(uint32_t ms) { now_ = ms; }

 private:
  std::atomic<uint32_t> now_{1000};
};

}  // namespace testsupport
