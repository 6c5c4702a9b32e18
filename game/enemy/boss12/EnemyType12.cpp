#include "game/effect/EfxMan.h"
#include "game/effect/RandF.h"
#include "game/enemy/BossKit.h"
#include "game/enemy/boss12/Boss12.h"
#include "game/stage/MapMng.h"
#include "game/tables/effect_tables.h"

int32_t EnemyType12::Init(SProcArg arg) {
  script = &script_;
  if (OnInit(arg) < 0) return -1;
  angles[0] = -0.1f;
  for (int i = 0; i < 8; ++i) vents[i] = NodePoint(this, 94 - i);
  script_.position = position;
  script_.enemy = this;
  script_.Enter();
  smoke = EfxSpriteDesc{&SprEfx00_4KeysC[0], {0.5f, 0.5f, 0.5f, 0.1f}, {0.4f, 0.4f, 0.4f, 0.5f}, 10, 50};
  g_MapMng.armedT = kLoopTo;
  g_MapMng.armedAt = kLoopAt;
  g_MapMng.armedPath = 0;
  g_MapMng.armed = 1;
  UpdateNodeWorlds(this);
  return 0;
}

int32_t EnemyType12::Main(SProcArg arg) {
  OnMain(arg);
  UpdateNodeWorlds(this);
  if (framesAlive % 7 != 0) return 0;
  // Smoke from the body and the eight vents: one draw a puff.
  const SVec4 body{position[0], position[1], position[2], 1.0f};
  const SVec4 rise{0.0f, 3.0f, 0.3f, 1.0f};
  g_EfxMan.SpawnSpriteDir(14, &body, &smoke, RandF(), 2.0f, 2.0f, nullptr, &rise, 0.985f, 1);
  const SVec4 ventRise{0.0f, 2.0f, 0.4f, 1.0f};
  for (float* v : vents) {
    const SVec4 at{v[0], v[1], v[2], 1.0f};
    g_EfxMan.SpawnSpriteDir(14, &at, &smoke, RandF(), 2.0f, 2.0f, nullptr, &ventRise, 0.985f, 1);
  }
  return 0;
}
