#include "game/core/SharedSpriteBatch.h"

#include <cstring>

int32_t SharedSpriteBatch::Prepare(int32_t n, float scaleX, float scaleY, const float* colour) {
  ReleaseAll();
  scale_[0] = scaleX, scale_[1] = scaleY;
  std::memcpy(colour_, colour, sizeof colour_);
  return pool_.Init(n) < 0 ? -1 : 0;
}

SGpSpriteCell* SharedSpriteBatch::Take() {
  SGpSpriteCell* cell = pool_.Acquire();
  if (cell == nullptr) return nullptr;
  cell->scaleX = scale_[0];
  cell->scaleY = scale_[1];
  std::memcpy(cell->colour, colour_, sizeof colour_);
  batch_.GetList()->PushBack(cell);
  return cell;
}

void SharedSpriteBatch::ReleaseAll() { pool_.DestroyAll(); }

void SharedSpriteBatch::Enter() { batch_.Enter(kDrawKey); }
