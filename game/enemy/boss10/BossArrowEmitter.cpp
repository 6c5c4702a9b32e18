#include <cmath>

#include "game/effect/EShotMan.h"
#include "game/effect/RandF.h"
#include "game/enemy/EObjBase.h"
#include "game/enemy/boss10/Boss10.h"

namespace {
constexpr float kTwoPi = 6.28318530718f;
constexpr uint32_t kHit = 5;
}  // namespace

BossArrowEmitter::BossArrowEmitter(const float* at, SObject* holder, float baseHeading_, float speed_,
                                   int32_t repeats_, int32_t rest_)
    : baseHeading(baseHeading_), speed(speed_), repeats(repeats_), rest(rest_), startDelay(rest_) {
  from_.Set(at, holder);
  const float* p = from_.Read();
  for (int i = 0; i < 4; ++i) origin[i] = p[i];
}

int32_t BossArrowEmitter::Init(SProcArg) {
  SetName("BossArrowEmitter");
  step = 0;
  wait = 0;
  return 0;
}

int32_t BossArrowEmitter::Main(SProcArg) {
  if (startDelay > 0) {
    --startDelay;
    return 0;
  }
  if (wait < 1) {
    Step();
    ++step;
  }
  --wait;
  return 0;
}

void BossArrowEmitter::Fire(int32_t code, float across) {
  EShotMan::Fire(code, kHit, origin[0] + across * side[0], origin[1] + across * side[1], 0.0f, heading, speed,
                 nullptr, -1, nullptr, 1.0f);
}

void BossArrowEmitter::Step() {
  switch (step) {
    case 0:
      ProjectToScreen(from_.Read(), origin);
      heading = baseHeading + RandFS();
      side[0] = std::cos(kTwoPi * (heading - 0.25f));
      side[1] = std::sin(kTwoPi * (heading - 0.25f));
      break;
    case 1:
      Fire(7, 0.0f);
      break;
    case 2:
      Fire(7, -7.0f);
      Fire(7, 7.0f);
      break;
    case 4:
      Fire(7, -11.0f);
      Fire(7, 11.0f);
      break;
    case 5:
      Fire(0x200, 0.0f);
      break;
    case 6:
      Fire(7, -12.5f);
      Fire(7, 12.5f);
      break;
    case 12:
    case 19:
    case 26:
    case 33:
      Fire(10, 0.0f);
      break;
    case kLastStep:
      if (--repeats < 0) {
        Kill(0);
        return;
      }
      step = -1;  // the caller's step + 1 starts the pattern again
      wait = rest;
      break;
    default:
      break;
  }
}
