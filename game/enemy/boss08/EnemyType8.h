#pragma once
// Boss type 8: a large craft hovering low in the view with three immune gun
// mounts, an engine hum and exhaust from ten nodes. It rises in along a
// spline inside a ring of sprites, then cycles through six attacks (among
// them shots that bounce off the play area's edges) while the rail loops
// over its arena. Past its time limit it escapes along the stage's escape
// path and ends; defeated, it drifts as a wreck while its companion moves
// the rail on after 290 frames and lets the enemy timeline run again.
#include <cstdint>

#include "game/core/Behavior.h"
#include "game/core/SplineMover.h"
#include "game/enemy/BossPartsObject.h"
#include "game/enemy/EnemyBase.h"
#include "game/enemy/OwnParam.h"

class EnemyType8;

// A gun mount on a model node: immune to the Player's shots, never
// destroyed; its children are the generators the script hangs on it.
class B006Parts : public EObjBase {
 public:
  static constexpr uint32_t kMask = 0x104;
  static constexpr float kRadius = 25.0f;
  B006Parts(EnemyType8* boss) : boss_(boss) {}  // NOLINT: built in the boss's array

  SGpNode* node = nullptr;

 protected:
  int32_t Init(SProcArg nodeNumber) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  int32_t User(int32_t code, SProcArg arg) override;

 private:
  EnemyType8* boss_;
};

class EnemyType8Behavior : public Behavior {
 public:
  enum : int32_t {
    ENTRY = 0, SPIRAL = 1, MOUNT_GUNS = 2, BOUNCE = 3, CANNON = 4, SEEDS = 5, LINES = 6, MOVE_A = 7,
    MOVE_B = 8, ESCAPE = 9
  };
  static constexpr int32_t kHum = 37;
  static constexpr float kHoverDepth = 1770.0f;

  explicit EnemyType8Behavior(EnemyType8* boss);
  int32_t Handle(int32_t code, int32_t state) override;
  // One step of the hover: the tilt and the depth swing over 220 calls.
  void Hover();
  // Reflects the live enemy shots tagged `tag` at the play area's edges.
  static void BounceShots(int32_t tag);

  EnemyType8* owner;
  float* position = nullptr;
  float saved[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  int32_t next = 0;
  int32_t subStep = 0;
  int32_t count = 0;
  SplineMover mover;
  float hoverPhase = 0.0f;
  B006Parts parts[3];
  float* mountPoint[2] = {nullptr, nullptr};
  float* cannonPoint = nullptr;
  float savedDepth = 0.0f;
  uint8_t secondHalf = 0;
  float ringRadii[10] = {};
  float escapePoint[4] = {0.0f, 0.0f, 0.0f, 0.0f};

 private:
  bool OnEnter(int32_t state);
  bool OnFrame(int32_t state);
  bool OnLeave(int32_t state);
  // EveryFrames(n) firing: the escape once over time, else `to`.
  void Timer(int32_t n, int32_t to);
  void EntryRing();
  void EscapeFrame();
  void DefeatFrame();
  void KillMounts(int last);
  void KillOwn();
  // The recoil route entries of the boss's own record become route entry n.
  void RecoilFrom(int32_t n);
};

class EnemyType8 : public EnemyBase {
 public:
  static constexpr int32_t kType = 8;
  static constexpr int32_t kModelKey8 = 28;
  static constexpr float kLoopStart = 3175.0f;
  static constexpr float kLoopTrigger = 3274.0f;
  static constexpr int32_t kHumSound = 43;

  using EnemyBase::Script;  // EObjBase's behaviour handler, beside the accessor
  EnemyType8Behavior& Script() { return script_; }

  int32_t humInterval = 540;
  float* exhaustNodes[7] = {};
  float exhaustPoints[19][4] = {};
  OwnParam own;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t KillChildren(SProcArg arg) override;
  void Step() override;
  void StepChildren() override;

 private:
  void HumAndExhaust();
  EnemyType8Behavior script_{this};
};

// The defeat companion: the wreck's burst, and after 290 frames the rail
// moved on past the arena, the loop let go, the hum stopped and the enemy
// timeline running again; the wreck stays.
class BossPartsObjectT8 : public BossPartsObject {
 public:
  static constexpr int32_t kMoveFrame = 290;
  static constexpr float kNextRail = 3155.0f;
  using BossPartsObject::BossPartsObject;

 protected:
  int32_t User(int32_t code, SProcArg arg) override;
};
