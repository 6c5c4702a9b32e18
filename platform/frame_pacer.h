#pragma once
#include <cstdint>

// Holds a windowed game to its frame rate: Wait() spins, without sleeping,
// until more than one frame period has passed since the last MarkPresent().
// Time is read as the performance counter shifted right by 8 bits and cut to
// 32 bits (so the difference of two readings wraps correctly), and a tick
// difference is turned into frame periods by dividing it by (frequency >> 8)
// x one period, as floats.
namespace plat {

class FramePacer {
 public:
  static constexpr float kFramePeriod = 0.0167006254f;  // seconds, 1/59.878
  // A performance counter of PerfFrequency() ticks a second.
  using Counter = int64_t (*)();

  // Reads `counter` (null: PerfCounter).
  explicit FramePacer(Counter counter = nullptr);

  // The counter >> 8, low 32 bits.
  uint32_t ReadTicks() const;
  // A tick difference (of ReadTicks values) in frame periods; the divisor is
  // computed on the first call.
  static float TicksToFrames(uint32_t ticks);

  // True once TicksToFrames(ReadTicks() - last present) exceeds 1.0 (a value
  // of exactly 1.0 is not yet due).
  bool Due() const;
  // Spins until Due().
  void Wait() const;
  // Records the present time (call right after presenting, also for a frame
  // that was not shown).
  void MarkPresent() { last_ = ReadTicks(); }

  uint32_t LastPresent() const { return last_; }
  void SetCounter(Counter counter);

 private:
  Counter counter_;
  uint32_t last_ = 0;
};

}  // namespace plat
