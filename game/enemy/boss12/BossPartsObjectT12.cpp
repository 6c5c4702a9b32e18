#include "game/effect/EfxMath.h"
#include "game/effect/EfxProc.h"
#include "game/enemy/boss12/Boss12.h"
#include "game/stage/MapMng.h"

int32_t BossPartsObjectT12::User(int32_t code, SProcArg) {
  if (code == kCodeInit) {
    SMatrix m;
    GetSharedMatrix(&m, 1);
    MatrixRotateX(&m, -0.1f);
    SVec4 p{0.0f, 0.0f, 0.0f, 1.0f};
    if (SGpNode* root = owner != nullptr ? owner->GetRootNode() : nullptr) {
      // Where the model's root stands in the world.
      root->SetKeepWorld(1);
      root->GetRoot()->UpdateKept(nullptr, 0);
      const float* t = root->GetWorld()->m[3];
      p = SVec4{t[0], t[1], t[2], 1.0f};
    }
    EfxProc::SpawnG(this, &p, 8, 1.0f, &m);
    return 0;
  }
  if (code != kCodeMain) return 0;
  timer.Tick();
  if (timer.GetCount() != kRailFrame) return 0;
  g_MapMng.armed = 0;
  g_MapMng.SetSection(0, kRailTo);
  // The rail has moved on: the enemy timeline runs again while the wreck
  // sinks on (it would otherwise hold the timeline, and the stage's next
  // wave and boss would never come).
  if (auto* boss = dynamic_cast<EnemyBase*>(GetParent())) boss->ReleaseTimeline();
  return 0;
}
