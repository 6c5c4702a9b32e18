#pragma once
// Enemy type 17: a staged event that brings the rail to a halt, plays its
// animation stretches, starts the rail again with a voice and ends in a
// large explosion. It stays until the stage (or the timeline's screen clear)
// ends it, holding the enemy timeline meanwhile, and can never be hit.
#include <cstdint>

#include "game/core/Behavior.h"
#include "game/enemy/EnemyBase.h"

class EnemyType17Behavior : public Behavior {
 public:
  enum : uint32_t { kStretchIdle = 0, kStretchA = 15, kStretchB = 16, kStretchC = 17 };
  static constexpr int32_t kVoice = 16;
  // The frames of its sequence.
  static constexpr int32_t kFrameB = 40;
  static constexpr int32_t kFrameRestart = 120;
  static constexpr int32_t kFrameBlast = 160;
  static constexpr int32_t kBlastKind = 3;

  explicit EnemyType17Behavior(EnemyBase* e) : enemy(e) {}
  int32_t Handle(int32_t code, int32_t state) override;

  EnemyBase* enemy;
  float* position = nullptr;
  int32_t counter = 0;
};

class EnemyType17 : public EnemyBase {
 public:
  static constexpr int32_t kType = 17;
  // The rail eases to a stop over this many steps when it appears.
  static constexpr int32_t kStopSteps = 30;
  static constexpr int32_t kRestartSteps = 10;

  using EnemyBase::Script;  // EObjBase's behaviour handler, beside the accessor

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;

 private:
  EnemyType17Behavior script_{this};
};
