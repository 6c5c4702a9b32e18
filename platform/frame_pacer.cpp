#include "platform/frame_pacer.h"

#include "platform/clock.h"

namespace plat {

FramePacer::FramePacer(Counter counter) : counter_(counter != nullptr ? counter : &PerfCounter) {}

void FramePacer::SetCounter(Counter counter) { counter_ = counter != nullptr ? counter : &PerfCounter; }

uint32_t FramePacer::ReadTicks() const { return static_cast<uint32_t>(static_cast<uint64_t>(counter_()) >> 8); }

float FramePacer::TicksToFrames(uint32_t ticks) {
  static const float divisor = static_cast<float>(PerfFrequency() >> 8) * kFramePeriod;
  return static_cast<float>(ticks) / divisor;
}

bool FramePacer::Due() const { return TicksToFrames(ReadTicks() - last_) > 1.0f; }

void FramePacer::Wait() const {
  // A busy wait: the counter is read again at once until the period is over.
  while (!Due()) {
  }
}

}  // namespace plat
