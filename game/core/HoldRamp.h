#pragma once
// The in-game display's show and hide ramp: four states (hidden, showing,
// shown, hiding) and 60 frames a ramp. Driving it advances it by one frame
// towards shown or hidden; a ramp driven the other way turns round from
// the mirrored point, so the display never jumps. A started ramp runs on
// by itself (Run) in frames in which nobody drives it, and holds at its end.
#include <cstdint>

class HoldRamp {
 public:
  enum State : int32_t { HIDDEN = 0, SHOWING = 1, SHOWN = 2, HIDING = 3 };
  static constexpr int32_t kFrames = 60;

  // One frame towards shown (true) or hidden (false).
  void Update(bool show);
  // Once a frame by the display: a running ramp not driven since the last
  // Run advances one frame in its own direction.
  void Run();
  // Held hidden at once (the display's start).
  void Reset();

  int32_t GetState() const { return state_; }
  int32_t GetCounter() const { return counter_; }
  bool IsHidden() const { return state_ == HIDDEN; }
  // 0.0 hidden .. 1.0 shown.
  float Value() const;

 private:
  int32_t state_ = HIDDEN;
  int32_t counter_ = 0;  // frames into the running ramp
  bool driven_ = false;
};
