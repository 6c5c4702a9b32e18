#pragma once
// Boss type 5: a thin body under its behaviour script. It carries six
// thruster glows on model nodes 37 to 42 that puff smoke while the fight
// runs, five extra collision bodies on the thrusters (after its
// transformation) and the effect-shot manager of its script. It loops the
// rail over its arena while it lives; it ends by escaping when its time is
// up or at the end of its defeat show (BossPartsObjectT5).
#include <cstdint>

#include "game/core/HitBody.h"
#include "game/enemy/EnemyBase.h"
#include "game/enemy/ObjHolder.h"
#include "game/enemy/boss05/EnemyType5Behavior.h"
#include "game/tables/EfxSpriteDesc.h"

class EnemyType5 : public EnemyBase {
 public:
  static constexpr int32_t kType = 5;
  static constexpr int32_t kGlows = 6;
  static constexpr int32_t kFirstGlowNode = 37;
  // The charge sound, stopped whenever the boss is killed.
  static constexpr int32_t kChargeSound = 46;
  // The arena loop: back to rail 4391 whenever the rail reaches 4466.
  static constexpr float kLoopTo = 4391.0f, kLoopAt = 4466.0f;

  using EnemyBase::Script;  // EObjBase's behaviour handler, beside the accessor
  EnemyType5Behavior& Script() { return script_; }
  // The world translation row of model node n (a fixed point when the
  // model has no such node).
  float* NodePoint(int32_t n);
  // The six thruster glows on nodes 37 to 42, created anew.
  void CreateGlows();
  void ReleaseGlows();

  ObjHolder glows[kGlows];
  HitBody parts[kGlows];
  EfxSpriteDesc smoke;
  float screen[4] = {};

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t End(SProcArg arg) override;
  int32_t KillChildren(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  void Smoke(int32_t k);

  EnemyType5Behavior script_{this};
  float nowhere_[4] = {0.0f, 0.0f, 0.0f, 1.0f};
};
