#include "game/enemy/EnemyType9.h"

#include <algorithm>
#include <cmath>

#include "game/core/Game.h"
#include "game/enemy/EventEnemy.h"
#include "game/stage/MapMng.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = 1.5707964f;

}  // namespace

int32_t EnemyType9::Init(SProcArg arg) {
  const int32_t r = InitEventEnemy(this, &script_, arg);
  if (r < 0) return r;
  if (Game* g = GetGame()) {
    g->StopMusic(kStageMusic);
    g->PlayMusic(kBossMusic);
  }
  return 0;
}

int32_t EnemyType9::Main(SProcArg) { return MainEventEnemy(this); }

int32_t EnemyType9Behavior::Handle(int32_t code, int32_t state) {
  if (state != 0) return 0;
  if (position == nullptr) position = owner->GetPosition();
  switch (code) {
    case CODE_ENTER: {
      count = step = 0;
      float* p = position;
      p[0] = 0.0f, p[1] = -400.0f, p[2] = 0.0f;
      owner->SetRoutePoint(kStretchRise);
      static constexpr float kTop[4] = {0.0f, -100.0f, 0.0f, 0.0f};
      StartFlight(&mover, p, kTop, kRiseFrames);
      return 1;
    }
    case CODE_FRAME:
      Frame();
      return 1;
    case CODE_LEAVE:
      return 1;
    default:
      return 0;
  }
}

void EnemyType9Behavior::Frame() {
  float* p = position;
  const bool arrived = owner->animator.count >= 1;
  switch (step) {
    case STEP_RISE:
      if (!mover.Advance(p, 1.0f)) {
        owner->SetRoutePoint(kStretchSettle);
        mover.Clear();
        step = STEP_SETTLE;
      }
      break;
    case STEP_SETTLE:
      p[1] += 0.8f - 0.8f * std::sin(float(count) / 130.0f * kHalfPi);
      ++count;
      if (arrived) {
        PlayEventVoice(kVoiceA);
        owner->SetRoutePoint(kStretchWobble);
        count = 0;
        std::copy(p, p + 4, saved);
        step = STEP_WOBBLE;
      }
      break;
    case STEP_WOBBLE:
    case STEP_WOBBLE2:
      p[0] = saved[0] + 3.0f * std::sin(float(count) * 0.02f * kHalfPi);
      p[1] = saved[1] + 4.0f * std::sin(float(count) * 0.025f * kHalfPi);
      if (step == STEP_WOBBLE && count == kReleaseFrame) owner->ReleaseTimeline();
      ++count;
      if (arrived && step == STEP_WOBBLE) {
        std::copy(p, p + 4, saved);
        owner->SetRoutePoint(kStretchWobble2);
        step = STEP_WOBBLE2;
        count = 0;
      } else if (arrived) {
        PlayEventVoice(kVoiceB);
        owner->SetRoutePoint(kStretchSink);
        step = STEP_SINK;
        count = 0;
      }
      break;
    case STEP_SINK:
      p[1] -= (1.0f - std::cos(float(std::min(count, 120)) * kPi / 240.0f)) * 7.0f;
      // The first wobble has let the timeline go; the end leaves it alone.
      if (p[1] < kGoneY) owner->Kill(1);
      ++count;
      break;
    default:
      break;
  }
  // Whatever the step: the rail halts when it stands on key 6300.
  if (static_cast<int32_t>(g_MapMng.t) == kStopKey) g_MapMng.StartTransition(0.0f, kStopSteps);
}
