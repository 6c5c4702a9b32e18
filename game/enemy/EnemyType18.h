#pragma once
// Enemy type 18: a staged event that flies down into view and plays a
// chain of animation stretches, the later ones when the earlier have played
// through, with an explosion and a voice on the way. It stays in its last
// stretch until the stage (or the timeline's screen clear) ends it, holding
// the enemy timeline meanwhile, and can never be hit.
#include <cstdint>

#include "game/core/Behavior.h"
#include "game/core/SplineMover.h"
#include "game/enemy/EnemyBase.h"

class EnemyType18Behavior : public Behavior {
 public:
  enum : int32_t { STATE_ENTER = 0, STATE_SHOW = 1 };
  static constexpr int32_t kVoice = 35;
  static constexpr int32_t kVoiceFrame = 25;
  static constexpr float kEnterFrames = 160.0f;
  static constexpr int32_t kBlastKind = 5;
  // Phase 2 loops its stretch; it moves on after more than this many laps.
  static constexpr uint32_t kLoops = 3;

  explicit EnemyType18Behavior(EnemyBase* e) : enemy(e) {}
  int32_t Handle(int32_t code, int32_t state) override;

  EnemyBase* enemy;
  float* position = nullptr;
  int32_t counter = 0;
  int32_t phase = 0;
  SplineMover mover;
};

class EnemyType18 : public EnemyBase {
 public:
  static constexpr int32_t kType = 18;

  using EnemyBase::Script;  // EObjBase's behaviour handler, beside the accessor
  EnemyType18Behavior& Script() { return script_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;

 private:
  EnemyType18Behavior script_{this};
};
