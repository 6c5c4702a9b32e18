#include "game/core/HoldRamp.h"

void HoldRamp::Update(bool show) {
  driven_ = true;
  const int32_t held = show ? SHOWN : HIDDEN;
  const int32_t running = show ? SHOWING : HIDING;
  if (state_ == held) return;
  if (state_ != running) {
    // From the other end, or turning round: a ramp that had gone c frames
    // the other way stands where this one stands after kFrames - c.
    counter_ = state_ == (show ? HIDING : SHOWING) ? kFrames - counter_ : 0;
    state_ = running;
  }
  if (++counter_ >= kFrames) {
    state_ = held;
    counter_ = 0;
  }
}

void HoldRamp::Run() {
  if (!driven_ && (state_ == SHOWING || state_ == HIDING)) Update(state_ == SHOWING);
  driven_ = false;
}

void HoldRamp::Reset() {
  state_ = HIDDEN;
  counter_ = 0;
  driven_ = false;
}

float HoldRamp::Value() const {
  const float t = static_cast<float>(counter_) / static_cast<float>(kFrames);
  switch (state_) {
    case SHOWING: return t;
    case SHOWN: return 1.0f;
    case HIDING: return 1.0f - t;
    default: return 0.0f;
  }
}
