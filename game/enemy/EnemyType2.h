#pragma once
// Enemy type 2: a staged entrance. A model flies in from above the view to
// its hover point, wobbles there while a voice plays, then flies out again
// and ends itself. It switches the music to the boss music and loops the
// rail over the arena ahead, holds the enemy timeline until its exit flight
// starts, and can never be hit.
#include <cstdint>

#include "game/core/Behavior.h"
#include "game/core/SplineMover.h"
#include "game/enemy/EnemyBase.h"

class EnemyType2Behavior : public Behavior {
 public:
  enum : int32_t { STATE_ENTER = 0, STATE_HOVER = 1, STATE_EXIT = 2 };
  // Route entries (animation stretches) the sequence plays.
  enum : uint32_t { kStretchHover = 0, kStretchArrive = 8, kStretchBrake = 9, kStretchTurn = 10, kStretchLeave = 11 };
  static constexpr int32_t kVoice = 15;
  static constexpr float kEnterFrames = 90.0f;
  static constexpr int32_t kHoverFrames = 80;
  static constexpr float kExitFrames = 95.0f;

  explicit EnemyType2Behavior(EnemyBase* e) : enemy(e) {}
  int32_t Handle(int32_t code, int32_t state) override;

  EnemyBase* enemy;
  float* position = nullptr;
  int32_t counter = 0;
  float saved[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  SplineMover mover;
};

class EnemyType2 : public EnemyBase {
 public:
  static constexpr int32_t kType = 2;
  // The queued section change it arms: on path 0, at 7636 back to 7353.
  static constexpr float kLoopTo = 7353.0f;
  static constexpr float kLoopAt = 7636.0f;
  // Music entries: the stage's tune stops, the boss tune starts.
  static constexpr int32_t kStageMusic = 0;
  static constexpr int32_t kBossMusic = 5;

  using EnemyBase::Script;  // EObjBase's behaviour handler, beside the accessor
  EnemyType2Behavior& Script() { return script_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;

 private:
  EnemyType2Behavior script_{this};
};
