#include "game/enemy/BossSteps.h"

#include <cmath>

#include "game/core/Game.h"

void BossHover(float* p, const float* home, int32_t frame, float ax, float ay) {
  constexpr float kQuarter = 1.5707964f;
  p[0] = home[0] + ax * std::sin(float(frame) * 0.02f * kQuarter);
  p[1] = home[1] + ay * std::sin(float(frame) * 0.025f * kQuarter);
}

void BossStopSe(int32_t n) {
  if (Game* g = GetGame()) g->StopSe(n);
}

void BossScreenRamp(float level, int32_t frames) {
  if (Game* g = GetGame()) g->RampValue(Game::kFadeLayerFlash, level, frames);
}
