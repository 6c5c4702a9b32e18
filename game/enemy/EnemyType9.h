#pragma once
// Enemy type 9: the fly-past, a staged set piece. It switches to the boss
// music, rises into view along a short spline, settles, wobbles while two
// voice lines play, lets the enemy timeline run on, then sinks out of view
// and ends itself. While it lives it halts the rail at rail key 6300. It
// cannot be hit and does not count as a spawned enemy.
#include <cstdint>

#include "game/core/Behavior.h"
#include "game/core/SplineMover.h"
#include "game/enemy/EnemyBase.h"

class EnemyType9Behavior : public Behavior {
 public:
  enum : int32_t { STEP_RISE = 0, STEP_SETTLE = 1, STEP_WOBBLE = 2, STEP_WOBBLE2 = 3, STEP_SINK = 4 };
  enum : uint32_t { kStretchWobble2 = 0, kStretchRise = 4, kStretchSettle = 5, kStretchWobble = 6, kStretchSink = 7 };
  static constexpr int32_t kVoiceA = 33;
  static constexpr int32_t kVoiceB = 34;
  static constexpr float kRiseFrames = 160.0f;
  // The frame of the first wobble at which the timeline runs on.
  static constexpr int32_t kReleaseFrame = 75;
  // The rail key at which it halts the rail, and over how many steps.
  static constexpr int32_t kStopKey = 6300;
  static constexpr int32_t kStopSteps = 10;
  static constexpr float kGoneY = -400.0f;

  explicit EnemyType9Behavior(EnemyBase* e) : owner(e) {}
  int32_t Handle(int32_t code, int32_t state) override;

  EnemyBase* owner;
  float* position = nullptr;
  float saved[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  int32_t count = 0;
  int32_t step = 0;
  SplineMover mover;

 private:
  void Frame();
};

class EnemyType9 : public EnemyBase {
 public:
  static constexpr int32_t kType = 9;
  static constexpr int32_t kStageMusic = 2;
  static constexpr int32_t kBossMusic = 5;

  using EnemyBase::Script;  // EObjBase's behaviour handler, beside the accessor
  EnemyType9Behavior& Script() { return script_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;

 private:
  EnemyType9Behavior script_{this};
};
