#include "game/enemy/boss13/EnemyType13.h"

#include "game/core/Game.h"
#include "game/enemy/BossScript.h"
#include "game/enemy/BossSteps.h"

int32_t EnemyType13::Init(SProcArg arg) {
  script = &script_;
  const int32_t r = OnInit(arg);
  if (r < 0) return r;
  script_.position = GetPosition();
  angles[0] = kFirstAngle;
  visible = 0;
  script_.Enter();
  if (Game* game = GetGame()) {
    game->StopMusic(3);
    game->PlayMusic(5);  // silent with the sound off
  }
  return 0;
}

int32_t EnemyType13::Draw(SProcArg arg) { return visible != 0 ? EnemyBase::Draw(arg) : 0; }

int32_t EnemyType13::OnDispose(SProcArg arg) {
  if (script_.GetState() != SCRIPT_DEFEATED)
    StopBossVoices({42, 43, 44, 45, 46});
  return EnemyBase::OnDispose(arg);
}
