#include "game/enemy/BossScript.h"

#include "game/core/Game.h"
#include "game/effect/EShotGen.h"
#include "game/enemy/SpawnChild.h"

bool BossTimeUp(const EnemyBase* boss) { return boss->framesAlive > boss->chainFrameLimit; }

void DefeatBoss(EnemyBase* boss) { boss->SendEvent(kHitEventDefeated, 0); }

void KillBossGenerators(EnemyBase* boss) {
  if (SProcList* l = boss->GetList(0)) l->KillAll(0);
}

void KillBossChildren(EnemyBase* boss) {
  for (int32_t n = 0; n < boss->ListCount(); ++n)
    if (SProcList* l = boss->GetList(n)) l->KillAll(0);
}

void BossSe(int32_t n, int32_t gain) {
  if (Game* g = GetGame()) g->PlaySe(n, gain);
}

void BossVoice(int32_t n, int32_t gain) {
  if (Game* g = GetGame()) g->PlayVoice(n, gain);
}

void StopBossVoices(std::initializer_list<int32_t> voices) {
  Game* g = GetGame();
  if (g == nullptr) return;
  for (int32_t v : voices) g->StopVoice(v);
}

void StartLoopPath(SplineMover* path, const float* at, float t, float length) {
  const float right[4] = {1.0f, t, 0.0f, 1.0f};
  const float left[4] = {-1.0f, t, 0.0f, 1.0f};
  path->AddKey(at, right, 120.0f, length);
  path->AddKey(at, left, 120.0f, length);
  path->AddKey(at, right, 0.0f, length);
  path->loop = 1;
}

EShotGen* BossGen(EnemyBase* boss, const float* source, SObject* holder, uint32_t flags, uint32_t hitWord,
                  int32_t codeA, int32_t codeB, float baseAngle, float sweepStart, float sweepEnd, float startSpeed,
                  float endSpeed, int32_t ways, float spread, int32_t rows, float rowWidth, int32_t volleyFrames,
                  int32_t volleys, int32_t bursts, int32_t burstFrames, float offsetX, float offsetY, uint32_t word20,
                  uint32_t muzzleFlash, float startDelay, const EShotMotion* motion, int32_t id, int32_t a4) {
  return SpawnChild<EShotGen>(boss, 0, 0, source, flags, hitWord, codeA, codeB, baseAngle, sweepStart, sweepEnd,
                              startSpeed, endSpeed, ways, spread, rows, rowWidth, volleyFrames, volleys, bursts,
                              burstFrames, offsetX, offsetY, word20, muzzleFlash, startDelay, motion, id, a4, holder);
}
