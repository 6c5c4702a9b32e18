#pragma once
// Boss type 14: a boss that fights alone through one looping script. It
// comes in untouchable, then runs six attacks in a fixed cycle (rings with
// eight ring emitters, a loop with walls and bursts, petals, six orbiting
// satellites, bows, charge rings), waiting for its animation between them
// and flying home after the two attacks that move it. Past its chain frame
// limit the end of an attack defeats it (no popup, no count). Its defeat
// hands the show to BossPartsObjectT14; the wreck then stays, holding the
// enemy timeline, until the stage ends.
#include <cstdint>

#include "game/enemy/BossBehavior.h"
#include "game/enemy/BossOption2D.h"
#include "game/enemy/EnemyBase.h"
#include "game/enemy/SpawnChild.h"

class EnemyType14;

class EnemyType14Behavior : public BossBehaviorOf<EnemyType14> {
 public:
  enum : int32_t {
    ENTRANCE = 0,
    RINGS = 1,
    LOOP = 2,
    PETALS = 3,
    SATELLITES = 4,
    BOWS = 5,
    CHARGE = 6,
    WAIT = 7,
  };
  static constexpr int32_t kSatellites = 6;
  // Voices of the attacks and of the defeat.
  static constexpr int32_t kVoiceRings = 47, kVoiceLoop = 48, kVoiceCharge = 49;
  static constexpr int32_t kVoiceDefeatA = 51, kVoiceDefeatB = 52;

  explicit EnemyType14Behavior(EnemyType14* e) { enemy = e; }
  int32_t Handle(int32_t code, int32_t state) override;

  int32_t sweep = 0;
  float pathPoints[4][4] = {};
  // The loop's clock of the body's motions, which runs round within it.
  int32_t motionClock = 0;
  ChildSlots<BossOption2D, kSatellites> satellites;
  float angleA = 0.0f;
  float orbit = 0.0f;

 private:
  int32_t Entrance(int32_t code);
  int32_t Rings(int32_t code);
  int32_t Loop(int32_t code);
  int32_t Petals(int32_t code);
  int32_t Satellites(int32_t code);
  int32_t Bows(int32_t code);
  int32_t Charge(int32_t code);
  int32_t ReturnHome(int32_t code);
  int32_t Defeat(int32_t code);
  // The end-of-attack check: after n + 1 frames of the frame divider, the
  // time check, else the change to `state`.
  void EndOfAttack(int32_t n, int32_t state);
  void LoopBurst(bool mirrored);
  void LoopWall();
  // Home, the boss waits for its motion to complete before the next attack.
  int32_t AfterHome() override { return WAIT; }
};

class EnemyType14 : public EnemyBase {
 public:
  static constexpr int32_t kType = 14;
  static constexpr float kFirstAngle = -0.14f;

  using EnemyBase::Script;  // EObjBase's behaviour handler, beside the accessor
  EnemyType14Behavior& Script() { return script_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  EnemyType14Behavior script_{this};
};
