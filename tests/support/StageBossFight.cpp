#include "support/StageBossFight.h"

#include "game/core/Game.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/stage/MapMng.h"
#include "game/stage/ScriptStgRsc.h"

namespace testsupport {

StageBossFight::StageBossFight(int32_t stage, bool picture) {
  PlayOptions o;
  o.stage = stage;
  o.livelyStage = true;
  o.nullDevice = !picture;
  world_ = std::make_unique<PlayWorld>(o);
}

EnemyBase* StageBossFight::Start(float key, float t, const char* name, int limit) {
  if (!world_->Ok() || g_EnemySet.script == nullptr) return nullptr;
  const auto& timeline = g_EnemySet.script->timeline;
  int32_t at = -1;
  for (size_t i = 0; i < timeline.size() && at < 0; ++i)
    if (timeline[i].Op() == EnemySet::OP_WAIT_RAIL && timeline[i].ArgumentF() == key) at = int32_t(i);
  if (at < 0) return nullptr;
  g_EnemySet.index = at;
  g_MapMng.SetSection(0, t);
  for (int f = 0; f < limit; ++f) {
    Step();
    if (SProc* p = g_EnemyMan.FindFirst(name)) return dynamic_cast<EnemyBase*>(p);
  }
  return nullptr;
}

void StageBossFight::Step(int frames) {
  for (int i = 0; i < frames; ++i) {
    world_->Step();
    if (Game* g = world_->G()) g->lives = 5;
  }
}

int RandDraws(uint32_t from, uint32_t to, int limit) {
  for (int n = 0; n <= limit; ++n) {
    if (from == to) return n;
    from = from * 214013u + 2531011u;
  }
  return -1;
}

}  // namespace testsupport
