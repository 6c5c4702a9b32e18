#pragma once
// One value that runs at a speed towards a limit and then wraps (back to
// start, keeping the overshoot) or stops just short of the limit, with a
// one-deep save and restore of its parameters.
#include <cstdint>

class ValueAnimator {
 public:
  // value += step x speed, then the wrap or stop rule at the limit.
  void Advance(float step);
  // Saves (start, limit, wrap, speed) when nothing is saved yet.
  void PushState();
  // Restores the saved parameters (value = start) when something is saved.
  void PopState();

  float start = 0.0f;
  float limit = 0.0f;
  float value = 0.0f;
  float speed = 0.0f;
  uint32_t wrap = 0;
  uint32_t count = 0;
  uint32_t depth = 0;

 private:
  struct Saved {
    float start, limit;
    uint32_t wrap;
    float speed;
  };
  Saved stack_[3] = {};
  int32_t top_ = 0;
};
