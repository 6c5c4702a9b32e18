#pragma once
// An effect's sprite record: its animation, the colour it starts with, the
// colour it moves to (when different) and two frame counts. The effect
// manager's sprite spawns read it by address.
#include <cstdint>

#include "vrax/graphic/SGpRect.h"

struct EfxSpriteDesc {
  const SGpKeyList* keys = nullptr;
  float colourFrom[4] = {};  // red, green, blue, alpha, 0 to 1
  float colourTo[4] = {};
  int32_t p = 0;  // frames; the element's counter starts here when not 0
  int32_t q = 0;  // frames; else here
};
