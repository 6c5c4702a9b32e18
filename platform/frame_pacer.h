#pragma once
#include <cstdint>

// Holds a windowed game to its frame rate: Wait() returns once more than one
// frame period has passed since the last MarkPresent(), measured on
// PerfCounter(). It sleeps for the bulk of the wait and spins only for the
// last stretch, so pacing costs a small part of a core instead of all of it.
namespace plat {

class FramePacer {
 public:
  static constexpr double kFramePeriod = 0.0167006254;  // seconds, 1/59.878
  static constexpr int64_t kDefaultSpinNs = 1000000;    // the last 1 ms is spun

  explicit FramePacer(double periodSeconds = kFramePeriod, int64_t spinNs = kDefaultSpinNs);

  // Returns when PerfCounter() - last present > one period. Returns at once
  // before the first MarkPresent().
  void Wait() const;
  // True when Wait() would return at once.
  bool Due() const;
  // Records the present time (call right after presenting, also for a frame
  // that was not shown).
  void MarkPresent();
  void MarkPresentAt(int64_t ticks);

  int64_t LastPresent() const { return last_; }
  // Largest elapsed tick count that does not yet end the wait.
  int64_t PeriodTicks() const { return periodTicks_; }

 private:
  int64_t periodTicks_;
  int64_t spinTicks_;
  int64_t last_ = 0;
  bool marked_ = false;
};

}  // namespace plat
