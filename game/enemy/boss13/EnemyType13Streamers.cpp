#include "game/enemy/boss13/EnemyType13Streamers.h"

#include "game/core/Game.h"
#include "game/effect/EfxMan.h"
#include "game/effect/EfxTables.h"
#include "game/effect/RandF.h"
#include "game/enemy/EnemyToolkit.h"
#include "vrax/graphic/SGpKeyTrack.h"

EnemyType13Streamer::~EnemyType13Streamer() {
  if (SGpSpriteCell* c = sprite.Get()) delete c;
}

int32_t EnemyType13Streamers::Init(SProcArg) {
  SetName("EnemyType13Streamers");
  return pool_.Init(kCapacity);
}

void EnemyType13Streamers::Launch(const float* start, const float* end, float frames, float life) {
  // The sprite first: a streamer without one never joins the live list.
  Game* game = GetGame();
  SGpSpriteCell* cell = game != nullptr ? game->LayerBatch(int(kSheet)).AddBack() : nullptr;
  if (cell == nullptr) return;
  EnemyType13Streamer* e = pool_.Acquire();
  if (e == nullptr) {
    delete cell;
    return;
  }
  live_.PushBack(e);
  for (int i = 0; i < 4; ++i) e->position[i] = e->trail[i] = start[i];
  e->life = life;
  SGpKeyTrack keys;
  keys.Init(EfxKeyList7);
  cell->part = keys.GetPart();
  cell->position = e->position;
  // Its three words: the tint (0 until the first step draws one) and the
  // life as both sizes.
  cell->angle = 0.0f;
  cell->scaleX = cell->scaleY = life;
  cell->colour[0] = cell->colour[1] = cell->colour[2] = 1.0f;
  cell->colour[3] = 0.1f;
  e->sprite.Set(cell);
  float t1[4], t2[4];
  CalcSplineTangent(t1, start, start, end, 0.0f, 0.0f);
  CalcSplineTangent(t2, start, end, end, 0.0f, 0.0f);
  e->path.AddKey(start, t1, frames, -1.0f);
  e->path.AddKey(end, t2, -1.0f, -1.0f);
}

void EnemyType13Streamers::Step(EnemyType13Streamer* e) {
  SGpSpriteCell* cell = e->sprite.Get();
  const float tint = RandF();
  if (cell == nullptr) {
    e->Release(1);
    return;
  }
  cell->angle = tint;
  float& alpha = cell->colour[3];
  switch (e->phase) {
    case EnemyType13Streamer::FADE_IN:
      alpha += 0.04f;
      if (alpha >= 0.9f) e->phase = EnemyType13Streamer::TRAVEL;
      break;
    case EnemyType13Streamer::TRAVEL: {
      const float dx = e->position[0] - e->trail[0], dy = e->position[1] - e->trail[1];
      const float dz = e->position[2] - e->trail[2];
      if (dx * dx + dy * dy + dz * dz > 4.0f) {
        static constexpr float kFrom[4] = {0.6f, 0.6f, 0.6f, 0.7f};
        static constexpr float kTo[4] = {0.4f, 0.4f, 0.4f, 0.4f};
        const SVec4 at{e->position[0], e->position[1], e->position[2], e->position[3]};
        const float size = 0.6f * e->life;
        if (EfxMan* efx = EfxMan::Instance())
          efx->SpawnSprite(kSheet, &at, EfxKeyList7, kFrom, kTo, 20, 25, RandF(), size, size, nullptr, nullptr, 0.0f,
                           1);
        for (int i = 0; i < 4; ++i) e->trail[i] = e->position[i];
      }
      if (!e->path.Advance(e->position, 1.0f)) e->phase = EnemyType13Streamer::FADE_OUT;
      break;
    }
    default:
      alpha -= 0.01f;
      if (alpha <= 0.0f) e->Release(1);
      break;
  }
}

int32_t EnemyType13Streamers::Main(SProcArg) {
  live_.SafeWalk([this](SObject* o) { Step(static_cast<EnemyType13Streamer*>(o)); });
  return 0;
}

void EnemyType13Streamers::ReleaseAll() {
  live_.SafeWalk([](SObject* o) { static_cast<EnemyType13Streamer*>(o)->Release(1); });
}

int32_t EnemyType13Streamers::OnDispose(SProcArg) {
  ReleaseAll();
  return 0;
}
