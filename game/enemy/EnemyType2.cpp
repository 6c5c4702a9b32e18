#include "game/enemy/EnemyType2.h"

#include <cmath>

#include "game/core/Game.h"
#include "game/enemy/EventEnemy.h"
#include "game/stage/MapMng.h"

namespace {

constexpr float kHalfPi = 1.5707964f;

}  // namespace

int32_t EnemyType2::Init(SProcArg arg) {
  script_.position = nullptr;
  const int32_t r = InitEventEnemy(this, &script_, arg);
  if (r < 0) return r;
  angles[0] = 0.35f;
  g_MapMng.armedT = kLoopTo;
  g_MapMng.armedAt = kLoopAt;
  g_MapMng.armedPath = 0;
  g_MapMng.armed = 1;
  if (Game* g = GetGame()) {
    g->StopMusic(kStageMusic);
    g->PlayMusic(kBossMusic);
  }
  return 0;
}

int32_t EnemyType2::Main(SProcArg) { return MainEventEnemy(this); }

int32_t EnemyType2Behavior::Handle(int32_t code, int32_t state) {
  if (position == nullptr) position = enemy->GetPosition();
  float* p = position;
  switch (state) {
    case STATE_ENTER:
      if (code == CODE_ENTER) {
        counter = 0;
        p[0] = 0.0f, p[1] = -450.0f, p[2] = 0.0f;
        static constexpr float kHover[4] = {0.0f, -30.0f, 0.0f, 0.0f};
        StartFlight(&mover, p, kHover, kEnterFrames);
        return 1;
      }
      if (code == CODE_LEAVE) {
        mover.Clear();
        return 1;
      }
      if (code != CODE_FRAME) return 0;
      if (!mover.Advance(p, 1.0f)) ChangeState(STATE_HOVER);
      if (counter == 0) enemy->SetRoutePoint(kStretchArrive);
      if (counter == 70) enemy->SetRoutePoint(kStretchBrake);
      ++counter;
      return 1;
    case STATE_HOVER:
      if (code == CODE_ENTER) {
        counter = 0;
        for (int i = 0; i < 4; ++i) saved[i] = p[i];
        PlayEventVoice(kVoice);
        return 1;
      }
      if (code == CODE_LEAVE) return 1;
      if (code != CODE_FRAME) return 0;
      p[0] = saved[0] + 6.0f * std::sin(float(counter) * 0.02f * kHalfPi);
      p[1] = saved[1] + 7.0f * std::sin(float(counter) * 0.025f * kHalfPi);
      if (counter == 0) enemy->SetRoutePoint(kStretchHover);
      if (counter == kHoverFrames) ChangeState(STATE_EXIT);
      ++counter;
      return 1;
    case STATE_EXIT:
      if (code == CODE_ENTER) {
        counter = 0;
        static constexpr float kGone[4] = {0.0f, -500.0f, 0.0f, 0.0f};
        StartFlight(&mover, p, kGone, kExitFrames);
        enemy->ReleaseTimeline();
        return 1;
      }
      if (code == CODE_LEAVE) {
        mover.Clear();
        return 1;
      }
      if (code != CODE_FRAME) return 0;
      // The timeline was released on entering this state: the end leaves
      // the pause as the enemies spawned since have set it.
      if (!mover.Advance(p, 1.0f)) enemy->Kill(0);
      if (counter == 0) enemy->SetRoutePoint(kStretchTurn);
      if (counter == 20) enemy->SetRoutePoint(kStretchLeave);
      ++counter;
      return 1;
    default:
      return 0;
  }
}
