#include "game/enemy/boss07/EnemyType7.h"

#include "game/effect/RandF.h"
#include "game/enemy/BossScript.h"

int32_t EnemyType7::Init(SProcArg arg) {
  script = &script_;
  const int32_t r = OnInit(arg);
  if (r < 0) return r;
  script_.position = GetPosition();
  angles[0] = kTilt;
  clapPeriod = kFirstClapPeriod;
  script_.Enter();
  // Both are members: never deleted by the kernel, they end with the body
  // or at its defeat.
  script_.thunder.SetStatic(true);
  AddChild(2, &script_.thunder, 0);
  storm_.SetStatic(true);
  AddChild(2, &storm_, 0);
  SetInitResult(0);
  return 0;
}

int32_t EnemyType7::Main(SProcArg arg) {
  const int32_t s = script_.GetState();
  if (s > 0 && s < SCRIPT_DEFEATED && clapPeriod > 0 && framesAlive % clapPeriod == 0) {
    clapPeriod = int32_t(RandF() * 480.0f + 420.0f);
    storm_.Thunderclap(EnemyType7Storm::kDefaultFlashes);
  }
  return OnMain(arg);
}

int32_t EnemyType7::End(SProcArg) {
  BroadcastAll(EVENT_END, 0);
  return 0;
}

int32_t EnemyType7::OnDispose(SProcArg arg) {
  if (script_.GetState() != SCRIPT_DEFEATED) StopBossVoices({26, 27, 28, 29});
  return EnemyBase::OnDispose(arg);
}
