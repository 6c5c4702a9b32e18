#include "game/enemy/EnemyType17.h"

#include "game/effect/EfxMan.h"
#include "game/enemy/EventEnemy.h"
#include "game/stage/MapMng.h"

int32_t EnemyType17::Init(SProcArg arg) {
  const int32_t r = InitEventEnemy(this, &script_, arg);
  if (r < 0) return r;
  angles[0] = 0.35f;
  g_MapMng.StartTransition(0.0f, kStopSteps);
  return 0;
}

int32_t EnemyType17::Main(SProcArg) { return MainEventEnemy(this); }

int32_t EnemyType17Behavior::Handle(int32_t code, int32_t state) {
  if (position == nullptr) position = enemy->GetPosition();
  float* p = position;
  if (state != 0) return 0;
  if (code == CODE_ENTER) {
    counter = 0;
    p[0] = 0.0f, p[1] = -160.0f, p[2] = 250.0f;
    enemy->SetRoutePoint(kStretchIdle);
    return 1;
  }
  if (code != CODE_FRAME) return code == CODE_LEAVE ? 1 : 0;
  switch (counter) {
    case 0:
      enemy->SetRoutePoint(kStretchA);
      break;
    case kFrameB:
      enemy->SetRoutePoint(kStretchB);
      break;
    case kFrameRestart:
      g_MapMng.StartTransition(1.0f, EnemyType17::kRestartSteps);
      PlayEventVoice(kVoice);
      break;
    case kFrameBlast: {
      enemy->SetRoutePoint(kStretchC);
      const SVec4 at{p[0], p[1], p[2], p[3]};
      if (EfxMan* efx = EfxMan::Instance()) efx->SpawnRandom(kBlastKind, &at, 1.0f, static_cast<SProc*>(nullptr));
      break;
    }
    default:
      break;
  }
  ++counter;
  return 1;
}
