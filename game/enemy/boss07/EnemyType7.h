#pragma once
// Boss type 7, the thunder boss: its behaviour throws lightning through its
// own thunder manager, fires shot generators and brings two satellites;
// its storm darkens the stage and claps thunder. The body claps thunder on
// a 420 to 900-frame cycle while the fight runs. Its defeat companion
// (BossPartsObjectT7) plays the wreck's destruction and ends the body.
#include <cstdint>

#include "game/enemy/EnemyBase.h"
#include "game/enemy/boss07/EnemyType7Behavior.h"
#include "game/enemy/boss07/EnemyType7Storm.h"

class EnemyType7 : public EnemyBase {
 public:
  static constexpr int32_t kType = 7;
  static constexpr int32_t kFirstClapPeriod = 480;
  // The model's tilt about x while it fights.
  static constexpr float kTilt = 0.08f;

  using EnemyBase::Script;  // EObjBase's behaviour handler, beside the accessor
  EnemyType7Behavior& Script() { return script_; }
  EnemyType7Storm& Storm() { return storm_; }

  int32_t clapPeriod = kFirstClapPeriod;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t End(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  EnemyType7Behavior script_{this};
  EnemyType7Storm storm_;
};
