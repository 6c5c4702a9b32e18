#include "game/core/Game.h"
#include "game/effect/EfxProc.h"
#include "game/enemy/boss03/EnemyType3.h"
#include "game/stage/MapMng.h"

int32_t BossPartsObjectT3::User(int32_t code, SProcArg) {
  if (code == kCodeInit) {
    const SVec4 at{0.0f, -100.0f, 0.0f, 0.0f};
    EfxProc::SpawnG(this, &at, 8, 1.0f, &kIdentityMatrix);
    return 0;
  }
  if (code != kCodeMain) return 0;
  timer.Tick();
  if (timer.GetCount() != kMoveFrame) return 0;
  g_MapMng.armed = 0;
  g_MapMng.SetSection(0, kNextRail);
  g_MapMng.Reset();
  if (Game* g = GetGame()) g->StopSe(EnemyType3Behavior::kEngineSound);
  if (g_MapMng.speed < 1.0f) g_MapMng.SetSpeed(0.5f);
  // The show is over (the burst has played out): the wreck stays to the
  // stage's end, but lets the enemy timeline go, or the stage's next boss
  // would never come.
  if (auto* boss = dynamic_cast<EnemyBase*>(GetParent())) boss->ReleaseTimeline();
  return 0;
}
