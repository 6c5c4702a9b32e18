#pragma once
// Boss type 12: it rises from below and behind into view, holds the camera
// on a loop of the rail while it fights, smokes from its vents, swings from
// side to side through six attacks, and either escapes upwards when its
// time has run out or is destroyed; its defeat companion then moves the
// rail on.
#include <cstdint>

#include "game/enemy/BossBehavior.h"
#include "game/enemy/BossPartsObject.h"
#include "game/enemy/EnemyBase.h"
#include "game/tables/EfxSpriteDesc.h"

class EnemyType12;

class EnemyType12Behavior : public BossBehaviorOf<EnemyType12> {
 public:
  static constexpr int32_t kEntrance = 0;
  static constexpr int32_t kHover = 1;
  static constexpr int32_t kSweep = 2;
  static constexpr int32_t kSwayVolley = 3;
  static constexpr int32_t kSwayStageShots = 4;
  static constexpr int32_t kFanVolley = 5;
  static constexpr int32_t kTurningVolleys = 6;
  static constexpr int32_t kEscape = 7;

  int32_t Handle(int32_t code, int32_t state) override;

 private:
  int32_t Entrance(int32_t code);
  int32_t Hover(int32_t code);
  int32_t Sweep(int32_t code);
  int32_t Sways(int32_t code, int32_t state);
  int32_t FanVolley(int32_t code);
  int32_t TurningVolleys(int32_t code);
  int32_t Defeated(int32_t code);
  void AwayEnter() override;
  // One frame of a sway (wide or slow, dir +1 right, -1 left); true on its
  // last frame, when the frame counter starts again from 0.
  bool Sway(bool wide, float dir);
  // Out of time: escape; else the given state.
  void NextOrEscape(int32_t state) { NextOrTimeUp(state, kEscape); }
  void Gen(int32_t which, int32_t n = 0);
};

class EnemyType12 : public EnemyBase {
 public:
  static constexpr int32_t kType = 12;
  // The rail loop held while the boss fights.
  static constexpr float kLoopTo = 3941.0f;
  static constexpr float kLoopAt = 4311.0f;

  using EnemyBase::Script;  // EObjBase's behaviour handler, beside the accessor
  EnemyType12Behavior& Script() { return script_; }

  EfxSpriteDesc smoke;
  // The vents: parts 94 down to 87.
  float* vents[8] = {};

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;

 private:
  EnemyType12Behavior script_;
};

// Ends the type 12 boss's defeat: one large explosion at set-up and, 290
// frames later, the rail let go from the boss's loop and moved on to 4280
// of path 0, and the enemy timeline running again while the wreck sinks
// on.
class BossPartsObjectT12 : public BossPartsObject {
 public:
  static constexpr int32_t kRailFrame = 290;
  static constexpr float kRailTo = 4280.0f;

  using BossPartsObject::BossPartsObject;

 protected:
  int32_t User(int32_t code, SProcArg arg) override;
};
