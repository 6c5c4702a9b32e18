#pragma once
// Boss type 10: a large craft that climbs into view from far below and
// behind, tours its route points sowing arrow emitters, fires fan volleys
// at fixed points of its animation, sweeps eight lasers, and is defeated
// either by the player or by itself once it has been alive longer than its
// chain frame limit (it never escapes). Its defeat companion plays the
// break-up; the boss ends itself 400 frames into its last defeat step.
#include <cstdint>

#include "game/effect/FollowedPosition.h"
#include "game/effect/ShadowPacket.h"
#include "game/enemy/BossBehavior.h"
#include "game/enemy/BossPartsObject.h"
#include "game/enemy/EnemyBase.h"
#include "game/enemy/Flasher.h"
#include "vrax/graphic/SGpState.h"

class EnemyType10;

class EnemyType10Behavior : public BossBehaviorOf<EnemyType10> {
 public:
  // States besides the two every boss knows.
  static constexpr int32_t kClimb = 0;
  static constexpr int32_t kArrowTour = 1;
  static constexpr int32_t kFanCannon = 2;
  static constexpr int32_t kLasers = 3;

  int32_t Handle(int32_t code, int32_t state) override;

  // The fan volleys of states 2 and 1, run each frame: they fire when the
  // value animator stands exactly on 308.0 or 321.0.
  void VolleyA();
  void VolleyB();
  // Seven triples of arrow emitters on node 89.
  void EmitterTriples();

  float swaySpeed = 4.3f;
  // World points of nodes 89 (emitter origin), 90 (hit point), 91, 92 and
  // 93 (muzzles).
  float* emitterPoint = nullptr;
  float* hitPoint = nullptr;
  float* muzzle[3] = {nullptr, nullptr, nullptr};
  // Where volley A's first three generators fire from; the second volley
  // moves the first volley's generators as well.
  float volleyPoint[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  int32_t volleys = 0;

 private:
  int32_t Climb(int32_t code);
  int32_t ArrowTour(int32_t code);
  int32_t FanCannon(int32_t code);
  int32_t Lasers(int32_t code);
  int32_t Return(int32_t code);
  int32_t Defeat(int32_t code);
  float Value() const;
  // n muzzle sprites at the point.
  void MuzzleSprites(const float* at, int32_t n);
};

class EnemyType10 : public EnemyBase {
 public:
  static constexpr int32_t kType = 10;
  using EnemyBase::Script;  // EObjBase's behaviour handler, beside the accessor
  EnemyType10Behavior& Script() { return script_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  EnemyType10Behavior script_;
  ShadowPacket shadow_;
  uint8_t shadowAttached_ = 0;
};

// A small emitter that fires the arrow pattern from a point of its boss,
// again and again, resting between patterns.
class BossArrowEmitter : public SProc {
 public:
  // The step after which the pattern repeats.
  static constexpr int32_t kLastStep = 34;

  BossArrowEmitter(const float* origin, SObject* holder, float baseHeading, float speed, int32_t repeats,
                   int32_t rest);

  float origin[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float baseHeading = 0.0f;
  float heading = 0.0f;
  float speed = 0.0f;
  int32_t repeats = 0;
  int32_t rest = 0;
  int32_t startDelay = 0;
  int32_t step = 0;
  int32_t wait = 0;
  float side[2] = {0.0f, 0.0f};

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;

 private:
  void Step();
  void Fire(int32_t code, float across);

  FollowedPosition from_;
};

// The break-up of the type 10 boss: explosions on the hull, burning debris,
// sparks, shaking and swelling parts, a colour change and a large explosion
// under a growing flash. Effects and sounds only; it ends with its boss.
class BossPartsObjectT10 : public BossPartsObject {
 public:
  explicit BossPartsObjectT10(ModelInstance* model);

  SGpState_Ambient tint;  // state A
  AmbientPush push;       // state B
  AmbientPop pop;         // state C

 protected:
  int32_t User(int32_t code, SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  void SetUp();
  void Frame();
  // P(n): node n's world position projected at distance 512.
  SVec4 P(int32_t n);
  void Spark(float cx, float cy, float angle, float radius, int32_t life);
  void DetachTint();

  SMatrix flash_ = kIdentityMatrix;
  uint8_t tinted_ = 0;
};
