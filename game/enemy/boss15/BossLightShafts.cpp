#include "game/enemy/boss15/BossLightShafts.h"

#include <cmath>

#include "game/effect/EShotMan.h"
#include "game/enemy/BossScript.h"
#include "game/enemy/BossSteps.h"
#include "game/enemy/EObjBase.h"

namespace {

constexpr float kHalfPi = 1.5707964f;

}  // namespace

int32_t BossLightShafts::Init(SProcArg) {
  SetName("BossLightShafts");
  for (SGpObj_PrimQuad* p : {&left_, &right_}) {
    p->AllocPrims(1);
    p->SetActiveCount(0);
  }
  mode = FADE_IN;
  alpha = 0.0f;
  counter = 0;
  BossScreenRamp(1.3f, kFadeIn);
  return 0;
}

void BossLightShafts::Build(SGpObj_PrimQuad& p, float side) {
  const float v[4][3] = {{200.0f * side, -330.0f, 0.0f}, {0.0f, -330.0f, 0.0f}, {230.0f * side, 30.0f, 0.0f},
                         {0.0f, 30.0f, 0.0f}};
  p.Seek(0, 0);
  for (int i = 0; i < 4; ++i) {
    p.SetPos(v[i][0], v[i][1], v[i][2]);
    p.SetColour(1.0f, 1.0f, 1.0f, i == 1 ? alpha : 0.0f);
    p.Next();
  }
  p.SetActiveCount(p.GetCurVertex() / 4);
}

int32_t BossLightShafts::Main(SProcArg) {
  if (mode == FADE_IN) {
    alpha = 1.0f - std::cos(float(counter) / float(kFadeIn) * kHalfPi);
    ++counter;
    if (alpha >= 1.0f) {
      alpha = 1.0f;
      counter = 0;
      mode = SHINING;
    }
  } else if (mode == FADE_OUT) {
    alpha = std::cos(float(counter) / float(kFadeOut) * kHalfPi);
    ++counter;
    if (alpha <= 0.0f) {
      Kill(0);
      return 0;
    }
  }
  Build(left_, -1.0f);
  Build(right_, 1.0f);
  return 0;
}

int32_t BossLightShafts::Draw(SProcArg) {
  left_.Enter(kDrawKey);
  right_.Enter(kDrawKey);
  return 0;
}

int32_t BossLightShafts::User(int32_t code, SProcArg) {
  if (code != kEventFadeOut) return 0;
  mode = FADE_OUT;
  BossScreenRamp(1.0f, kFadeOut);
  return 0;
}

void BounceShots(int32_t id) {
  constexpr float kTwoPi = 6.2831855f;
  EShotMan::WalkShots([id](EShot* s) {
    if (s->id != id) return;
    float a = s->angle;
    if (a > 1.0f) a -= 1.0f;
    if (a < 0.0f) a += 1.0f;
    auto aim = [s, &a]() {
      s->angle = a;
      s->velocity[0] = s->speed * std::cos(a * kTwoPi);
      s->velocity[1] = s->speed * std::sin(a * kTwoPi);
    };
    s->angle = a;
    if (s->position[0] > EObjBase::kAreaX) {
      if (a > 0.75f && a <= 1.0f) a = 1.5f - a;
      if (a >= 0.0f && a < 0.25f) a = 0.5f - a;
      aim();
    }
    if (s->position[0] < -EObjBase::kAreaX) {
      if (a > 0.5f && a <= 0.75f) a = 1.5f - a;
      if (a > 0.25f && a <= 0.5f) a = 0.5f - a;
      aim();
    }
    if (s->position[1] < -EObjBase::kAreaY) {
      if (a > 0.5f && a <= 0.75f) a = 1.0f - a;
      if (a > 0.75f && a <= 1.0f) a = 2.0f - a;
      aim();
    }
  });
}
