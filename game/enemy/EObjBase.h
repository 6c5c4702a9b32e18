#pragma once
// The enemy object: a process with a collision body in group 7 (mask 0x7F by
// default, power 0, aux 100) whose owner is the enemy. Only the fields the
// collision layer reads and writes are here so far.
#include <cstdint>

#include "game/core/HitBody.h"
#include "vrax/kernel/SProc.h"

class EObjBase : public SProc {
 public:
  static constexpr uint32_t kDefaultMask = 0x7F;
  static constexpr int32_t KIND_ENEMY = 1;
  static constexpr int32_t KIND_BOSS = 2;
  static constexpr int32_t STATE_DEFEATED = 10;

  // The enemy's position (x, y, z, w).
  virtual float* GetPosition() { return position; }

  float position[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  HitBody body;
  int32_t kind = KIND_ENEMY;
  int32_t hitPoints = 0;
  int32_t scoreValue = 0;
  HitBody* lastAttacker = nullptr;
  int32_t lastHitFrame = -1;
  int32_t behaviorState = 0;  // 0 idle, 5 linked to a dash slot, 10 defeated
  uint8_t finished = 0;
  uint8_t flagged = 0;
  int32_t dashSlot = -1;
  int32_t rank = 0;
  int32_t group4Serial = 0;
};
