#pragma once
// Boss type 4: an armoured core carrying eight immune armour parts and a
// blob shadow. It arrives in a staged entry that stops the rail, jumps it
// to the arena and restarts it, then cycles through five attacks fired from
// its parts, moving its model through numbered animation stretches. Its
// defeat plays a 730-frame show whose companion tells the game at frame 480
// that the stage's boss is beaten; the wreck stays (holding the enemy
// timeline) until the stage ends.
#include <cstdint>

#include "game/effect/ShadowPacket.h"
#include "game/enemy/BossMountParts.h"
#include "game/enemy/BossPartsObject.h"
#include "game/enemy/BossPhases.h"
#include "game/enemy/EnemyBase.h"

class EnemyType4;

// One of the eight armour parts, on a model node (a BossMountParts). Unlike
// boss 8's gun mounts it enters its node in the draw queue itself while the
// node hangs in no tree, and a grab ends every list of its children.
class B002Parts : public BossMountParts {
 public:
  static constexpr float kRadius = 4.0f;
  static constexpr Kind kKind = {"B002 Parts", 0, kRadius, true};
  B002Parts(EnemyType4* boss);  // NOLINT: built in the boss's array

 protected:
  int32_t Draw(SProcArg arg) override;
};

class EnemyType4Behavior : public BossPhases<EnemyType4> {
 public:
  enum : int32_t { ENTRY = 0, TOUR = 1, SWARM = 2, SWEEP = 3, BOMBARD = 4, LASER = 5 };
  enum : int32_t { kVoiceTour = 17, kVoiceSweep = 18, kVoiceBombard = 19, kVoiceLaser = 20 };
  static constexpr float kArenaRail = 8230.0f;
  static constexpr float kRiseRail = 8360.0f;

  explicit EnemyType4Behavior(EnemyType4* boss);

  B002Parts parts[8];
  float pathKeys[3][4] = {};
  int32_t side = 0;
  float speed = 0.0f;

 private:
  bool OnEnter(int32_t state) override;
  bool OnFrame(int32_t state) override;
  bool OnLeave(int32_t state) override;
  void EntryFrame();
  void ReleasedFrame();
  // A ring of dust sprites round the boss (A: 12 at the landing, B: 16).
  void DustRing(bool large);
};

class EnemyType4 : public EnemyBase {
 public:
  static constexpr int32_t kType = 4;
  static constexpr int32_t kCoreNode = 70;
  static constexpr float kShadowBehind = 400.0f;

  using EnemyBase::Script;  // EObjBase's behaviour handler, beside the accessor
  EnemyType4Behavior& Script() { return script_; }

  float* coreTranslation = nullptr;
  ShadowPacket shadow;
  uint8_t shadowHold = 0;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  void Step() override;

 private:
  EnemyType4Behavior script_{this};
};

// The defeat show: explosion chains at the model's nodes, the parts
// vanishing group by group, the screen grid growing to frame 730; the game
// told at frame 480 that the boss is beaten. It ends with the boss.
class BossPartsObjectT4 : public BossPartsObject {
 public:
  static constexpr int32_t kBeatenFrame = 480;
  using BossPartsObject::BossPartsObject;

 protected:
  int32_t User(int32_t code, SProcArg arg) override;

 private:
  void Timeline();
  void Vanish();
  // The point of node n (its world translation projected at distance 512).
  SVec4 Point(int32_t n);
  // A placement rotated about z by z turns and about x by x turns at p.
  static SMatrix Placement(float z, float x, const SVec4& p);
  void RadiusBurst(float cx, float cy, float angle, float radius);
  void Burst(float x, float y, float c2, float c3, float d0);
};
