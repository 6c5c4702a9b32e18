#pragma once
// Boss type 11: one large tilted craft that enters from above and cycles
// through six attacks (a wander sowing particle emitters and shot
// generators, a sweep, sways with bursts and an aimed fan, a generator
// volley, a long wander and a rain of the shots on screen), going home
// between some of them. Its defeat companion plays the break-up and tells
// the game the boss is beaten.
#include <cstdint>

#include "game/enemy/BossBehavior.h"
#include "game/enemy/BossPartsObject.h"
#include "game/enemy/ColorFader.h"
#include "game/enemy/EnemyBase.h"
#include "game/enemy/Flasher.h"
#include "game/tables/EfxSpriteDesc.h"
#include "vrax/graphic/SGpState.h"

class EnemyType11;

class EnemyType11Behavior : public BossBehaviorOf<EnemyType11> {
 public:
  static constexpr int32_t kEntrance = 0;
  static constexpr int32_t kWander = 1;
  static constexpr int32_t kSweep = 2;
  static constexpr int32_t kSwayBurst = 3;
  static constexpr int32_t kVolley = 4;
  static constexpr int32_t kLongWander = 5;
  static constexpr int32_t kShotRain = 6;
  static constexpr int32_t kWait = 7;

  // Whatever the attack, the boss hovers about and flies back to the point
  // where it entered.
  EnemyType11Behavior() { home[1] = -100.0f; }
  int32_t Handle(int32_t code, int32_t state) override;

  // Four new emitter points (12 draws).
  void RerollPoints();
  // The aimed fan of state 3 (its last shot trails a particle emitter).
  void AimedFan();
  // Every live shot of id 0 turns down at a random speed (one draw each).
  static void ShotRain();

  float points[4][4] = {};
  float swayPoints[2][4] = {};
  int32_t swayIndex = 0;
  ColorFader follower;
  EfxSpriteDesc spriteA;
  EfxSpriteDesc spriteB;

 private:
  int32_t Entrance(int32_t code);
  int32_t Wander(int32_t code);
  int32_t Sweep(int32_t code);
  int32_t SwayBurst(int32_t code);
  int32_t Volley(int32_t code);
  int32_t LongWander(int32_t code);
  int32_t Rain(int32_t code);
  int32_t Defeated(int32_t code);
  // The route of timeline T1 at counter n (the counter may be set back).
  void TimelineT1(int32_t* counter, int32_t routeAt360);
  // After the flight home the boss waits for its stretch to end.
  int32_t AfterHome() override { return kWait; }
  // Three looping path keys at the position with the given tangents.
  void LoopKeys(const float (*tangents)[3], float length);
};

class EnemyType11 : public EnemyBase {
 public:
  static constexpr int32_t kType = 11;
  using EnemyBase::Script;  // EObjBase's behaviour handler, beside the accessor
  EnemyType11Behavior& Script() { return script_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  EnemyType11Behavior script_;
};

// The break-up of the type 11 boss: the wreck shakes and sinks, part 13
// bursts and goes, part 12 turns green and throws sparks, a flash grows
// while the model stops drawing. At frame 50 it tells the game the boss is
// beaten; its show is over at frame 230, and it ends with the boss.
class BossPartsObjectT11 : public BossPartsObject {
 public:
  static constexpr int32_t kBeatenFrame = 50;

  explicit BossPartsObjectT11(ModelInstance* model);

  SGpState_Ambient colour;
  AmbientPush push;
  AmbientPop pop;
  SMatrix modelMatrix = kIdentityMatrix;
  float rise[4] = {};
  float target[4] = {};
  float spare[4] = {};

 protected:
  int32_t User(int32_t code, SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  void SetUp();
  void Frame();
  SVec4 Projected(int32_t n);

  uint8_t tinted_ = 0;
};
