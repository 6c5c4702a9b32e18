#include "game/enemy/EnemyType18.h"

#include "game/effect/EfxMan.h"
#include "game/enemy/EventEnemy.h"

int32_t EnemyType18::Init(SProcArg arg) { return InitEventEnemy(this, &script_, arg); }

int32_t EnemyType18::Main(SProcArg) { return MainEventEnemy(this); }

int32_t EnemyType18Behavior::Handle(int32_t code, int32_t state) {
  if (position == nullptr) position = enemy->GetPosition();
  float* p = position;
  const uint32_t laps = enemy->animator.count;
  switch (state) {
    case STATE_ENTER:
      if (code == CODE_ENTER) {
        p[0] = 0.0f, p[1] = -400.0f, p[2] = 0.0f;
        enemy->SetRoutePoint(0);
        static constexpr float kStation[4] = {0.0f, -100.0f, 0.0f, 0.0f};
        StartFlight(&mover, p, kStation, kEnterFrames);
        return 1;
      }
      if (code == CODE_LEAVE) {
        mover.Clear();
        return 1;
      }
      if (code != CODE_FRAME) return 0;
      if (!mover.Advance(p, 1.0f)) ChangeState(STATE_SHOW);
      return 1;
    case STATE_SHOW:
      if (code == CODE_ENTER) {
        counter = 0;
        phase = 0;
        enemy->SetRoutePoint(0);
        return 1;
      }
      if (code != CODE_FRAME) return code == CODE_LEAVE ? 1 : 0;
      switch (phase) {
        case 0:
          if (laps >= 1) {
            enemy->SetRoutePoint(1);
            phase = 1;
            counter = 0;
            const SVec4 at{p[0], p[1], p[2], p[3]};
            if (EfxMan* efx = EfxMan::Instance()) efx->SpawnRandom(kBlastKind, &at, 1.0f, static_cast<SProc*>(nullptr));
          }
          break;
        case 1:
          if (counter == kVoiceFrame) PlayEventVoice(kVoice);
          ++counter;
          if (laps >= 1) {
            enemy->SetRoutePoint(2);
            counter = 0;
            phase = 2;
          }
          break;
        case 2:
          if (laps > kLoops) {
            enemy->SetRoutePoint(3);
            phase = 3;
          }
          break;
        default:
          break;
      }
      return 1;
    default:
      return 0;
  }
}
