#pragma once
// The game root's shared batch draw object: a sprite batch with its own
// table of sprite cells, from which play objects that are drawn as plain
// sprites (the items) take one sprite each. A new sprite starts with the
// table's scale and colour; releasing the sprite (delete) gives its cell
// back. The root prepares it in scene 2 and enters it in the item layer.
#include <cstdint>

#include "vrax/graphic/SGpSpriteBatch.h"
#include "vrax/graphic/SGpSpriteCell.h"

class SharedSpriteBatch {
 public:
  // Draw key of the batch (the item layer).
  static constexpr int32_t kDrawKey = 23;

  // Sizes the table for n sprites (releasing every live one) and sets the
  // starting scale and colour. 0, or -1 when the table cannot be had.
  int32_t Prepare(int32_t n, float scaleX, float scaleY, const float* colour);
  // A sprite from the table linked at the back of the batch, or null when
  // every cell is in use (or before Prepare).
  SGpSpriteCell* Take();
  // Releases every live sprite.
  void ReleaseAll();
  // Enters the batch at its key.
  void Enter();

  int32_t FreeCount() const { return pool_.GetFree(); }
  SGpSpriteBatch& Batch() { return batch_; }

 private:
  SGpSpriteCellPool pool_;
  SGpSpriteBatch batch_;
  float scale_[2] = {1.0f, 1.0f};
  float colour_[4] = {1.0f, 1.0f, 1.0f, 1.0f};
};
