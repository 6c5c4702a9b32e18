#pragma once
// The frame counter of timed sequences: a phase (which step runs), a frame
// count within the step and the last ratio 0..1 computed from the count,
// which the owner feeds into an easing curve. The owner advances it; it
// never ticks by itself.
#include <cstdint>

class PhaseTimer {
 public:
  PhaseTimer() = default;
  virtual ~PhaseTimer() = default;

  // count > n: false, ratio kept; else ratio = count / n and true. Both ends
  // are inclusive. A window of length 0 yields its end value, 1.0.
  virtual bool Within(int32_t n);
  // count outside a..b: false, ratio kept; else ratio = (count - a) / (b - a)
  // and true. A window with a == b yields 1.0.
  virtual bool Window(int32_t a, int32_t b);
  virtual int32_t GetPhase() const { return phase_; }
  virtual void NextPhase() { ++phase_; }
  virtual void SetPhase(int32_t v) { phase_ = v; }
  virtual int32_t GetCount() const { return count_; }
  virtual void ResetCount() { count_ = 0; }
  virtual void Tick() { ++count_; }
  virtual void SetCount(int32_t v) { count_ = v; }
  virtual float GetRatio() const { return ratio_; }
  // 1.0 when the ratio is 0.0, else 0.0.
  virtual float IsAtStart() const;
  // 1.0 when the ratio is exactly 1.0, else 0.0.
  virtual float IsDone() const;

  void SetRatio(float v) { ratio_ = v; }

 private:
  int32_t phase_ = 0;
  int32_t count_ = 0;
  float ratio_ = 0.0f;
};
