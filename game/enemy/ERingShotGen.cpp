#include "game/enemy/ERingShotGen.h"

#include <cmath>

#include "game/effect/EShotMan.h"

ERingShotGen::ERingShotGen(const float* position, float angle_, float angleStep_, float driftSpeed_, int32_t firstId,
                           int32_t delay_, SObject* holder)
    : angle(angle_), angleStep(angleStep_), driftSpeed(driftSpeed_), delay(delay_), shotId(firstId) {
  position_.Set(position, holder);
}

int32_t ERingShotGen::Init(SProcArg) {
  SetName("ERingShotGen");
  cycle = 0;
  return 0;
}

int32_t ERingShotGen::Main(SProcArg) {
  if (delay > 0) {
    --delay;
    return 0;
  }
  const int32_t r = cycle % kCycle;
  if (r == kFireAt) {
    const float* p = position_.Read();
    for (int32_t i = 0; i < kShots; ++i)
      EShotMan::Fire(kShotCode, kHitWord, p[0], p[1], p[2], kShotSpacing * float(i), kShotSpeed, nullptr, shotId,
                     nullptr, 1.0f);
  } else if (r == kDriftAt) {
    const float a = angle * 6.2831855f;
    const float v[2] = {driftSpeed * std::cos(a), driftSpeed * std::sin(a)};
    EShotMan::ForEach(shotId, v);
    ++shotId;
    angle += angleStep;
  }
  ++cycle;
  return 0;
}
