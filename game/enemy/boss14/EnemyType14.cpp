#include "game/enemy/boss14/EnemyType14.h"

#include "game/enemy/BossScript.h"
#include "game/enemy/BossSteps.h"

int32_t EnemyType14::Init(SProcArg arg) {
  script = &script_;
  const int32_t r = OnInit(arg);
  if (r < 0) return r;
  script_.position = GetPosition();
  angles[0] = kFirstAngle;
  script_.Enter();
  return 0;
}

int32_t EnemyType14::OnDispose(SProcArg arg) {
  if (script_.GetState() != SCRIPT_DEFEATED) {
    StopBossVoices({EnemyType14Behavior::kVoiceRings, EnemyType14Behavior::kVoiceLoop,
                    EnemyType14Behavior::kVoiceCharge});
  }
  return EnemyBase::OnDispose(arg);
}
