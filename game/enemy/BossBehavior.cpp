#include "game/enemy/BossBehavior.h"

#include <algorithm>

#include "game/effect/RandF.h"
#include "game/enemy/BossKit.h"
#include "game/enemy/BossScript.h"
#include "game/stage/MapMng.h"

void BossBehavior::SetHome(int32_t after) {
  std::copy(position, position + 4, home);
  next = after;
}

void BossBehavior::TimeUp(int32_t timeUp) {
  if (timeUp == kDefeat)
    DefeatBoss(Body());
  else
    ChangeState(timeUp);
}

void BossBehavior::NextOrTimeUp(int32_t state, int32_t timeUp) {
  if (BossTimeUp(Body()))
    TimeUp(timeUp);
  else
    ChangeState(state);
}

void BossBehavior::Shake() {
  position[0] += 1.5f * RandFS();
  position[1] += 1.5f * RandFS();
}

void BossBehavior::EndFlight() {
  Body()->everyCounter = 0;
  path.Clear();
}

int32_t BossBehavior::FlyHome(int32_t code, const HomeFlight& flight, const float* to) {
  EnemyBase* e = Body();
  switch (code) {
    case CODE_ENTER:
      frame = 0;
      HomeEnter();
      if (BossTimeUp(e)) {
        TimeUp(flight.timeUp);
        return 1;
      }
      PathTo(path, position, to, flight.frames);
      if (flight.routePoint != kKeepRoute && (!flight.routeIfElsewhere || e->routeCursorIndex != flight.routePoint))
        e->SetRoutePoint(uint32_t(flight.routePoint));
      return 1;
    case CODE_FRAME:
      HomeFrame();
      if (!path.Advance(position, 1.0f)) ChangeState(AfterHome());
      return 1;
    case CODE_LEAVE:
      EndFlight();
      return 1;
    default:
      return 0;
  }
}

int32_t BossBehavior::WaitSegment(int32_t code) {
  EnemyBase* e = Body();
  if (code == CODE_ENTER) {
    waitMark_ = e->animator.count + 1;
    return 1;
  }
  if (code != CODE_FRAME) return code == CODE_LEAVE;
  if (e->animator.count >= waitMark_) ChangeState(next);
  return 1;
}

int32_t BossBehavior::FlyAway(int32_t code, const float* to, float frames) {
  EnemyBase* e = Body();
  switch (code) {
    case CODE_ENTER:
      frame = 0;
      e->grabMode = EObjBase::GRAB_DEFEATED;
      // A body never registered is left as it is.
      e->body.Detach();
      AwayEnter();
      KillBossGenerators(e);
      PathTo(path, position, to, frames);
      return 1;
    case CODE_FRAME:
      AwayFrame();
      if (!path.Advance(position, 1.0f)) {
        g_MapMng.StartTransition(1.0f, 30);
        g_MapMng.armed = 0;
        e->Kill(0);
      }
      return 1;
    case CODE_LEAVE:
      EndFlight();
      return 1;
    default:
      return 0;
  }
}
