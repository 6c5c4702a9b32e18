#include "game/core/Game.h"
#include "game/effect/EfxMath.h"
#include "game/effect/EfxProc.h"
#include "game/enemy/boss08/EnemyType8.h"
#include "game/stage/MapMng.h"

int32_t BossPartsObjectT8::User(int32_t code, SProcArg) {
  if (code == kCodeInit) {
    SMatrix m = kIdentityMatrix;
    MatrixRotateX(&m, -0.09f);
    const SVec4 at{0.0f, -120.0f, 0.0f, 0.0f};
    EfxProc::SpawnG(this, &at, 8, 1.0f, &m);
    return 0;
  }
  if (code != kCodeMain) return 0;
  timer.Tick();
  if (timer.GetCount() != kMoveFrame) return 0;
  g_MapMng.SetSection(0, kNextRail);
  g_MapMng.armed = 0;
  if (Game* g = GetGame()) g->StopSe(EnemyType8Behavior::kHum);
  // The rail has moved on: the enemy timeline runs again (the wreck, which
  // lives on, would otherwise hold it, and the stage's next wave and boss
  // would never come).
  if (auto* boss = dynamic_cast<EnemyBase*>(GetParent())) boss->ReleaseTimeline();
  return 0;
}
