#pragma once
// Boss type 3: a wheeled land boss that rolls in along the rail on eight
// spinning wheels and fights in three phases, each with a full bar of hit
// points. Phase 0 fires from a first set of three cannons, phase 1 from a
// second set (its weak point follows a cannon's shield in both), phase 2
// from the body itself. While it lives the rail loops over the arena; its
// defeat stops the rail and its companion moves the rail on past the arena
// after 290 frames and lets the enemy timeline go; the wreck stays to the
// stage's end.
#include <cstdint>

#include "game/enemy/BossPartsObject.h"
#include "game/enemy/BossPhases.h"
#include "game/enemy/EnemyBase.h"
#include "game/enemy/OwnParam.h"
#include "game/enemy/boss03/B001Parts.h"

class EnemyType3;

class EnemyType3Behavior : public BossPhases<EnemyType3> {
 public:
  enum : int32_t {
    ROLL_IN = 0, SETTLE_A = 1, SETTLE_B = 2, FANS = 3, ARCS = 4, STREAMS = 5, UNFOLD = 6, RISE = 7,
    LASER = 8, QUADS = 9, CORE = 10, RINGS = 11
  };
  static constexpr int32_t kEngineSound = 22;
  static constexpr int32_t kUnfoldSound = 35;

  explicit EnemyType3Behavior(EnemyType3* boss);
  // Every wheel eases from its speed to target (turns a frame) over frames.
  void SetWheelSpin(float target, float frames);

  B001Wheel wheels[8];
  B001Cannon cannons[6];

 private:
  bool OnEnter(int32_t state) override;
  bool OnFrame(int32_t state) override;
  bool OnLeave(int32_t state) override;
  void AddCannons(int first);
  // The direct shots of a second-set cannon, each after a muzzle flash.
  void ShotS1(B001Cannon& c);
  void ShotS2(B001Cannon& c);
};

class EnemyType3 : public EnemyBase {
 public:
  static constexpr int32_t kType = 3;
  static constexpr uint32_t kBodyMask = 0x24E;
  static constexpr float kBodyRadius = 120.0f;
  static constexpr float kCoreRadius = 100.0f;
  static constexpr float kArmourRadius = 150.0f;
  // The arena loop: reaching kLoopTrigger on path 0 sets the rail back to
  // kLoopStart while the boss lives.
  static constexpr float kLoopStart = 7353.0f;
  static constexpr float kLoopTrigger = 7636.0f;

  EnemyType3();
  using EnemyBase::Script;  // EObjBase's behaviour handler, beside the accessor
  EnemyType3Behavior& Script() { return script_; }
  // Writes the node and radius tables the next set of cannons reads.
  void SetCannonTables(int set);
  // Both bodies (re-)registered for the phase: the main body at `at`.
  void RegisterBodies(float* at, float radius);

  HitBody armour;
  float armourPosition[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  int32_t phase = 0;
  int32_t bodyNodes[3] = {0, 0, 0};
  int32_t muzzleNodes[3] = {0, 0, 0};
  float muzzleRadii[3] = {0.0f, 0.0f, 0.0f};
  float shieldRadii[3] = {0.0f, 0.0f, 0.0f};
  OwnParam own;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t KillChildren(SProcArg arg) override;
  int32_t User(int32_t code, SProcArg arg) override;
  void Step() override;

 private:
  void PhaseEnd();
  void WheelDust();
  EnemyType3Behavior script_{this};
};

// The defeat companion: the defeat burst, and after 290 frames the rail
// moved on past the arena, the loop let go, the engine stopped and the boss
// ended.
class BossPartsObjectT3 : public BossPartsObject {
 public:
  static constexpr int32_t kMoveFrame = 290;
  static constexpr float kNextRail = 7823.0f;
  using BossPartsObject::BossPartsObject;

 protected:
  int32_t User(int32_t code, SProcArg arg) override;
};
