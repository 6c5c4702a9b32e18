#include "platform/frame_pacer.h"

#include <cmath>

#include "platform/clock.h"

namespace plat {

FramePacer::FramePacer(double periodSeconds, int64_t spinNs)
    // "More than one period" on an integer clock: elapsed > floor(period).
    : periodTicks_(static_cast<int64_t>(std::floor(periodSeconds * double(PerfFrequency())))),
      spinTicks_(spinNs * PerfFrequency() / 1000000000) {}

bool FramePacer::Due() const { return !marked_ || PerfCounter() - last_ > periodTicks_; }

void FramePacer::Wait() const {
  if (!marked_) return;
  WaitUntil(last_ + periodTicks_ + 1, spinTicks_);
}

void FramePacer::MarkPresent() { MarkPresentAt(PerfCounter()); }

void FramePacer::MarkPresentAt(int64_t ticks) {
  last_ = ticks;
  marked_ = true;
}

}  // namespace plat
