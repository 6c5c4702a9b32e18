#include "game/enemy/ObjHolder.h"

#include "game/core/Game.h"

ObjHolder::~ObjHolder() { Release(); }

void ObjHolder::Create(int32_t sheet, float* position, const SGpKeyList* keys, const float* colour, float a,
                       float b, float c) {
  Release();
  animation.Init(keys);
  Game* game = GetGame();
  if (game == nullptr || sheet < 0 || sheet >= Game::kLayers) return;
  SGpSpriteCell* s = game->LayerBatch(sheet).AddBack();
  if (s == nullptr) return;
  sprite.Set(s);
  s->position = position != nullptr ? position : s->ownPos;
  for (int i = 0; i < 4; ++i) s->colour[i] = colour[i];
  s->angle = a;
  s->scaleX = b;
  s->scaleY = c;
  s->part = animation.GetPart();
}

void ObjHolder::Step(float dt) {
  animation.Advance(dt);
  if (SGpSpriteCell* s = sprite.Get()) s->part = animation.GetPart();
}

void ObjHolder::Release() {
  if (SGpSpriteCell* s = sprite.Get()) delete s;
  sprite.Reset();
}
