#pragma once
// A scripted player for whole-game runs: each frame it looks at what the
// screen shows (the ship, the enemies, their bullets, the dash markers) and
// holds the cabinet inputs a player would, through the harness's injected
// inputs only. It fires, steers clear of what would hit the ship (unless it
// plays carelessly) and, in the chaining style, sweeps the lock-on over an
// enemy whenever it may, so that the dash strikes the enemies on screen (and
// presses in time with the marker when the dash is on a boss).
#include <cstdint>
#include <map>

#include "support/Headless.h"

class HitBody;

namespace testsupport {

class Pilot {
 public:
  enum Style : int32_t {
    STYLE_CARELESS = 0,  // fires from where it stands and dodges nothing
    STYLE_SHOOT = 1,     // fires and dodges, never locks on
    STYLE_CHAIN = 2,     // also locks on and dashes whenever it may
  };
  explicit Pilot(Headless& h, Style style = STYLE_SHOOT) : h_(h), style_(style) {}

  void SetStyle(Style style) { style_ = style; }
  Style GetStyle() const { return style_; }

  // Holds this frame's inputs (the caller then steps the frame). Outside
  // the ship's play state it lets everything go.
  void Fly();
  void ReleaseAll();

  int32_t LockOns() const { return lockOns_; }
  int32_t Dashes() const { return dashes_; }

 private:
  struct Threat {
    float x, y, vx, vy, r;
  };
  void Hold(plat::CabInput in, bool on);
  // The point on screen of a body (its depth scaled away).
  static void ScreenPoint(const HitBody* b, float* x, float* y);
  // Chooses the move towards (gx, gy) that keeps clear of the threats.
  int Steer(float gx, float gy, float speed, const Threat* threats, int n) const;
  void Dash();

  Headless& h_;
  Style style_;
  std::map<const HitBody*, std::pair<float, float>> last_;
  bool held_[8] = {};
  int32_t lockOns_ = 0;
  int32_t dashes_ = 0;
  int32_t lastDashState_ = 0;
  int32_t pressCooldown_ = 0;
  bool specialDown_ = false;
  int32_t shotHeld_ = 0;
  int32_t waiting_ = 0;
};

}  // namespace testsupport
