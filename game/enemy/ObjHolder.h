#pragma once
// One glow sprite a boss keeps: a pooled sprite of one of the game's sprite
// sheets, following a position the boss names, with a key-frame animation
// of its own. The sprite is held by a checked handle: once the sheet has
// given it back (the stage's sprites cleared) the holder holds nothing.
#include <cstdint>

#include "vrax/graphic/SGpKeyTrack.h"
#include "vrax/graphic/SGpSpriteCell.h"
#include "vrax/kernel/SHandle.h"

class ObjHolder {
 public:
  ObjHolder() = default;
  // Gives the sprite back.
  ~ObjHolder();
  ObjHolder(const ObjHolder&) = delete;
  ObjHolder& operator=(const ObjHolder&) = delete;

  // Starts the animation on keys and takes a sprite from sheet n (the
  // game's draw layer n) at the back of its list: it stands at `position`
  // (followed live), with the colour, angle a (turns) and scales b and c,
  // showing the animation's current part. A sprite held from before is
  // given back first. Holds nothing when the sheet has no sprite to give.
  void Create(int32_t sheet, float* position, const SGpKeyList* keys, const float* colour, float a, float b,
              float c);
  // Advances the animation by dt; the sprite shows its current part.
  void Step(float dt);
  // Gives the sprite back to its pool; nothing when none is held.
  void Release();
  void Release2() { Release(); }

  SGpSpriteCell* Sprite() const { return sprite.Get(); }

  SHandle<SGpSpriteCell> sprite;
  SGpKeyTrack animation;
};
