#pragma once
// "ERingShotGen": fires a ring of 25 enemy shots from a followed point every
// 20 frames and, five frames after each ring, gives every live shot of that
// ring one common drift velocity, so the ring first spreads out and then
// moves off as one body. Each ring carries its own shot id (first id, first
// id + 1, ...), so a later redirection never touches an earlier ring; the
// drift direction turns by the angle step from ring to ring. It never ends
// by itself: its owner kills it with its child list.
#include <cstdint>

#include "game/effect/FollowedPosition.h"
#include "vrax/kernel/SProc.h"

class ERingShotGen : public SProc {
 public:
  static constexpr int32_t kCycle = 20;
  static constexpr int32_t kFireAt = 1;
  static constexpr int32_t kDriftAt = 6;
  static constexpr int32_t kShots = 25;
  static constexpr float kShotSpacing = 0.04f;  // turns: 25 shots round the circle
  static constexpr float kShotSpeed = 7.0f;
  static constexpr int32_t kShotCode = 3;
  static constexpr uint32_t kHitWord = 5;

  // position: the point followed (x, y, z); holder: the object that holds
  // that memory (once it is gone the last point read is used).
  ERingShotGen(const float* position, float angle, float angleStep, float driftSpeed, int32_t firstId,
               int32_t delay, SObject* holder = GetCurrentProcess());

  float angle;
  float angleStep;
  float driftSpeed;
  int32_t delay;
  int32_t cycle = 0;
  int32_t shotId;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;

 private:
  FollowedPosition position_;
};
