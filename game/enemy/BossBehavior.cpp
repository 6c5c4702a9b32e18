#include "game/enemy/BossBehavior.h"

#include "game/enemy/BossKit.h"
#include "game/enemy/BossScript.h"

int32_t BossBehavior::FlyHome(int32_t code, const HomeFlight& flight, const float* to) {
  EnemyBase* e = Body();
  switch (code) {
    case CODE_ENTER:
      frame = 0;
      if (BossTimeUp(e)) {
        if (flight.timeUp == kDefeat)
          DefeatBoss(e);
        else
          ChangeState(flight.timeUp);
        return 1;
      }
      PathTo(path, position, to, flight.frames);
      if (flight.routePoint != kKeepRoute) e->SetRoutePoint(uint32_t(flight.routePoint));
      return 1;
    case CODE_FRAME:
      HomeFrame();
      if (!path.Advance(position, 1.0f)) ChangeState(AfterHome());
      return 1;
    case CODE_LEAVE:
      e->everyCounter = 0;
      path.Clear();
      return 1;
    default:
      return 0;
  }
}
