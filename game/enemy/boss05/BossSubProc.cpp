#include "game/enemy/boss05/BossSubProc.h"

#include <cmath>

#include "game/effect/EShotMan.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kHalfPi = 1.5707964f;
constexpr uint32_t kHit = 5;

}  // namespace

BossSubProc::BossSubProc(const float* o, uint32_t c, float a, float s, int32_t n, float w)
    : code(c), centre(a), speed(s), count(n), spread(w) {
  for (int i = 0; i < 4; ++i) origin[i] = o[i];
}

int32_t BossSubProc::Init(SProcArg) {
  SetName("BossSubProc");
  frame = 0;
  fanNumber = 0.0f;
  initialCount = float(count);
  return 0;
}

void BossSubProc::Fan(int32_t n) const {
  if (n < 2) {
    // The even spacing divides by n - 1: a fan of one is its centre shot.
    EShotMan::Fire(int32_t(code), kHit, origin[0], origin[1], origin[2], centre, speed + 1.0f, nullptr, -1, nullptr,
                   1.0f);
    return;
  }
  for (int32_t j = n; j >= 1; --j) {
    const float angle = centre - spread / 2.0f + float(n - j) * spread / float(n - 1);
    const float v = speed + std::sin(kTwoPi * float(j) / float(2 * (n - 1) + 4));
    EShotMan::Fire(int32_t(code), kHit, origin[0], origin[1], origin[2], angle, v, nullptr, -1, nullptr, 1.0f);
  }
}

int32_t BossSubProc::Main(SProcArg) {
  if (frame % 2 == 0) {
    const int32_t n = count;
    count = n - 1;
    Fan(n);
    spread = 0.11f - 0.11f * std::sin(fanNumber / initialCount * kHalfPi);
    if (fanNumber < initialCount) fanNumber = std::fmin(fanNumber + 1.0f, initialCount);
    if (count <= 1) Kill(0);
  }
  ++frame;
  return 0;
}
