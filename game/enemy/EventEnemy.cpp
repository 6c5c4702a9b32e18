#include "game/enemy/EventEnemy.h"

#include "game/core/Game.h"
#include "game/core/StageCounters.h"
#include "game/enemy/EnemyToolkit.h"

int32_t InitEventEnemy(EnemyBase* e, Behavior* script, SProcArg extra) {
  e->script = script;
  const int32_t r = e->OnInit(extra);
  if (r < 0) return r;  // not spawned: nothing was counted to take back
  --StageEnemyCount;
  e->body.Detach();
  script->Enter();
  return 0;
}

int32_t MainEventEnemy(EnemyBase* e) {
  e->ApplyAnimation();
  e->behavior.Update();
  ++e->framesAlive;
  return 0;
}

void StartFlight(SplineMover* mover, const float* a, const float* b, float frames) {
  const float from[4] = {a[0], a[1], a[2], a[3]};
  const float to[4] = {b[0], b[1], b[2], b[3]};
  float ta[4], tb[4];
  CalcSplineTangent(ta, from, from, to, 0.0f, 0.0f);
  CalcSplineTangent(tb, from, to, to, 0.0f, 0.0f);
  mover->AddKey(from, ta, frames, -1.0f);
  mover->AddKey(to, tb, 0.0f, -1.0f);
}

void PlayEventVoice(int32_t n) {
  if (Game* g = GetGame()) g->PlayVoice(n, 61440);
}
