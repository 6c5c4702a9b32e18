#include "game/enemy/BossKit.h"
#include "game/enemy/boss11/Boss11.h"

int32_t EnemyType11::Init(SProcArg arg) {
  script = &script_;
  if (OnInit(arg) < 0) return -1;
  script_.position = position;
  angles[0] = 0.14f;
  script_.enemy = this;
  script_.Enter();
  UpdateNodeWorlds(this);
  return 0;
}

int32_t EnemyType11::Main(SProcArg arg) {
  OnMain(arg);
  UpdateNodeWorlds(this);
  return 0;
}

int32_t EnemyType11::OnDispose(SProcArg arg) {
  // A defeated boss's cry goes on over its break-up.
  if (script_.GetState() != SCRIPT_DEFEATED)
    StopBossVoices({36, 37, 38, 39});
  return EnemyBase::OnDispose(arg);
}
