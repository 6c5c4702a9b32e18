#pragma once
// Boss type 8: a large craft hovering low in the view with three immune gun
// mounts, an engine hum and exhaust from ten nodes. It rises in along a
// spline inside a ring of sprites, then cycles through six attacks (among
// them shots that bounce off the play area's edges) while the rail loops
// over its arena. Past its time limit it escapes along the stage's escape
// path and ends; defeated, it drifts as a wreck while its companion moves
// the rail on after 290 frames and lets the enemy timeline run again.
#include <cstdint>

#include "game/enemy/BossMountParts.h"
#include "game/enemy/BossPartsObject.h"
#include "game/enemy/BossPhases.h"
#include "game/enemy/EnemyBase.h"
#include "game/enemy/OwnParam.h"

class EnemyType8;

// One of the three gun mounts, on a model node (a BossMountParts); its
// children are the generators the script hangs on it.
class B006Parts : public BossMountParts {
 public:
  static constexpr float kRadius = 25.0f;
  static constexpr Kind kKind = {"B006 Parts", 1, kRadius, false};
  B006Parts(EnemyType8* boss);  // NOLINT: built in the boss's array
};

class EnemyType8Behavior : public BossPhases<EnemyType8> {
 public:
  enum : int32_t {
    ENTRY = 0, SPIRAL = 1, MOUNT_GUNS = 2, BOUNCE = 3, CANNON = 4, SEEDS = 5, LINES = 6, MOVE_A = 7,
    MOVE_B = 8, ESCAPE = 9
  };
  static constexpr int32_t kHum = 37;
  static constexpr float kHoverDepth = 1770.0f;

  explicit EnemyType8Behavior(EnemyType8* boss);
  // One step of the hover: the tilt and the depth swing over 220 calls.
  void Hover();
  // Reflects the live enemy shots tagged `tag` at the play area's edges.
  static void BounceShots(int32_t tag);

  float hoverPhase = 0.0f;
  B006Parts parts[3];
  float* mountPoint[2] = {nullptr, nullptr};
  float* cannonPoint = nullptr;
  float savedDepth = 0.0f;
  uint8_t secondHalf = 0;
  float ringRadii[10] = {};
  float escapePoint[4] = {0.0f, 0.0f, 0.0f, 0.0f};

 private:
  bool OnEnter(int32_t state) override;
  bool OnFrame(int32_t state) override;
  bool OnLeave(int32_t state) override;
  // The escape once over time, else `to`.
  void EscapeOr(int32_t to);
  // EscapeOr(to) each time EveryFrames(n) fires.
  void Timer(int32_t n, int32_t to);
  void EntryRing();
  void EscapeFrame();
  void DefeatFrame();
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
  // The craft turns on its model's root, not on the placement node: the
  // root's matrix becomes identity x RotationX(first angle) x RotationY
  // (second angle); its pose from the animation is replaced.
  void PoseRoot();
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
