#include "game/enemy/BossSteps.h"

#include <cmath>

#include "game/core/Game.h"
#include "game/enemy/EnemyBase.h"
#include "game/enemy/EnemyToolkit.h"

EShotGen* BossShotGen::Start(EnemyBase* boss, const float* origin, SObject* holder) const {
  return BossGen(boss, origin, holder, flags, hitWord, codeA, codeB, angle, curveFrom, curveTo, speedFrom, speedTo,
                 shots, spread, rows, rowWidth, stepFrames, steps, volleys, volleyFrames, offsetX, offsetY, 0u, 0u,
                 delay, motion, id, last);
}

EShotGen* StartShotGen(EnemyBase* boss, const float* origin, SObject* holder, const float (&w)[25]) {
  auto i = [&w](int k) { return int32_t(w[k]); };
  return BossGen(boss, origin, holder, uint32_t(w[0]), uint32_t(w[1]), i(2), i(3), w[4], w[5], w[6], w[7], w[8], i(9),
                 w[10], i(11), w[12], i(13), i(14), i(15), i(16), w[17], w[18], uint32_t(w[19]), uint32_t(w[20]),
                 w[21], nullptr, i(23), i(24));
}

bool BossTimeCheck(EnemyBase* boss) {
  if (!BossTimeUp(boss)) return false;
  DefeatBoss(boss);
  return true;
}

void BossPathTo(SplineMover* path, const float* from, const float* to, float frames, float tension, float bias) {
  float a[4], b[4], t0[4], t1[4];
  for (int i = 0; i < 4; ++i) a[i] = from[i], b[i] = to[i];
  CalcSplineTangent(t0, a, a, b, tension, bias);
  CalcSplineTangent(t1, a, b, b, tension, bias);
  path->Clear();
  path->AddKey(a, t0, frames, -1.0f);
  path->AddKey(b, t1, 0.0f, -1.0f);
}

void BossHover(float* p, const float* home, int32_t frame) {
  constexpr float kQuarter = 1.5707964f;
  p[0] = home[0] + 6.0f * std::sin(float(frame) * 0.02f * kQuarter);
  p[1] = home[1] + 7.0f * std::sin(float(frame) * 0.025f * kQuarter);
}

void BossStopSe(int32_t n) {
  if (Game* g = GetGame()) g->StopSe(n);
}

void BossScreenRamp(float level, int32_t frames) {
  if (Game* g = GetGame()) g->RampValue(7, level, frames);
}
