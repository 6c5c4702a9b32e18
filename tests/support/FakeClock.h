#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/clock.h"
#include "platform/thread.h"
#include "support/Eventually.h"

namespace testsupport {

// A millisecond clock that moves only when the test says so. Sleeps and
// event waits return at once (after a tiny real pause, so a polling thread
// does not spin hot): time-outs of seconds cost nothing, and only Advance
// makes them run out.
//
// One thread can be watched: every sleep and wait it asks of the clock is
// added up (WatchedWaitMs), so a test sees a thread that would have stalled
// even though the stall costs nothing here.
class FakeClock : public plat::MsClock {
 public:
  uint32_t NowMs() override {
    if (std::this_thread::get_id() != mover_.load()) ++reads_;
    return now_.load();
  }
  void Sleep(uint32_t ms) override {
    Count(ms);
    std::this_thread::sleep_for(std::chrono::microseconds(50));
  }
  bool Wait(plat::Event& event, uint32_t ms) override {
    Count(ms);
    return event.Wait(1);
  }
  void Advance(uint32_t ms) {
    mover_ = std::this_thread::get_id();
    now_ += ms;
    readsAtMove_ = reads_.load();
  }
  // Waits until another thread has read the clock since it last moved, or
  // until stopped() holds (no thread reads it any more). Moved only after
  // such a wait, the clock moves at most once between two reads of the
  // thread that waits on it: however late that thread is scheduled, its
  // waits see the time go by move by move, and moves made while it did not
  // run cannot carry the clock past them. False when neither came within
  // the real-time bound.
  template <class Stopped>
  bool SeenSinceMove(Stopped stopped) {
    return Eventually([&] { return reads_.load() != readsAtMove_.load() || stopped(); });
  }
  // Moves the clock a millisecond at a time until pred holds, each step
  // once another thread has read the clock since the step before: a thread
  // that waits on the clock sees every millisecond go by, however late it
  // is scheduled, and a wait it has not begun yet is not run out before it
  // begins. False when pred does not hold within the real-time bound.
  template <class Pred>
  bool AdvanceSeenUntil(Pred pred) {
    uint64_t seen = reads_.load();
    return Eventually([&] {
      if (pred()) return true;
      if (reads_.load() == seen) return false;
      Advance(1);
      seen = reads_.load();
      return false;
    });
  }
  void Set(uint32_t ms) { now_ = ms; }

  void Watch(std::thread::id thread) { watched_ = thread; }
  uint32_t WatchedWaitMs() const { return watchedMs_.load(); }

 private:
  void Count(uint32_t ms) {
    if (std::this_thread::get_id() == watched_.load()) watchedMs_ += ms;
  }

  std::atomic<uint32_t> now_{1000};
  // Reads by threads other than the one that last moved the clock.
  std::atomic<uint64_t> reads_{0};
  std::atomic<uint64_t> readsAtMove_{0};  // reads_ right after the last move
  std::atomic<std::thread::id> mover_{};
  std::atomic<std::thread::id> watched_{};
  std::atomic<uint32_t> watchedMs_{0};
};

}  // namespace testsupport
