#pragma once
// The pieces of boss type 3: its eight wheels, which spin their model nodes,
// and its six cannons, enemy objects on model nodes with a muzzle body and a
// shield body of their own. Both are members of the boss's script object and
// children (list 2, static) of the boss, which owns and outlives them.
#include <cstdint>

#include "game/core/HitBody.h"
#include "game/enemy/EObjBase.h"
#include "vrax/graphic/SGpNode.h"
#include "vrax/kernel/SProc.h"

class EnemyType3;

class B001Wheel : public SProc {
 public:
  B001Wheel(EnemyType3* boss) : boss_(boss) {}  // NOLINT: built in the boss's array

  SGpNode* node = nullptr;
  float* translation = nullptr;  // the node's world translation row
  float easeFrames = 120.0f;
  float easeCounter = 0.0f;
  float startSpeed = 0.02f;  // turns per frame
  float targetSpeed = 0.02f;
  float speed = 0.02f;
  float angle = 0.0f;  // turns

 protected:
  int32_t Init(SProcArg wheelNumber) override;
  int32_t Main(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;

 private:
  EnemyType3* boss_;
};

class B001Cannon : public EObjBase {
 public:
  static constexpr uint32_t kMuzzleMask = 0x104;
  static constexpr uint32_t kShieldMask = 0x100;
  enum : int32_t { EASE_ANGLE = 0, EASE_RATE = 1 };

  B001Cannon(EnemyType3* boss) : boss_(boss) {}  // NOLINT: built in the boss's array

  // Eases the angle (or the rate) from its value to target over frames,
  // turning the body node about axis 0 x, 1 y or 2 z.
  void SetAngleTarget(float target, float frames, int32_t axis);
  void SetRateTarget(float target, float frames, int32_t axis);
  void EaseAngle();
  void EaseRate();
  // True while the cannon takes part in frames (a destroyed cannon is killed
  // and, static, left in state none).
  bool Present() const { return GetState() != STATE_NONE; }

  SGpNode* node = nullptr;
  SMatrix* muzzleMatrix = nullptr;
  int32_t index = 0;
  float rate = 0.0f;
  float angle = 0.0f;
  float easeStart = 0.0f;
  float easeTarget = 0.0f;
  float easeCounter = 0.0f;
  float easeFrames = 1.0f;
  int32_t axis = 0;
  int32_t easeMode = EASE_RATE;
  HitBody shield;
  float shieldPosition[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  SMatrix* bodyMatrix = nullptr;

 protected:
  int32_t Init(SProcArg index) override;
  int32_t Main(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  int32_t User(int32_t code, SProcArg arg) override;

 private:
  void Destroyed(SProcArg ring);
  EnemyType3* boss_;
};
