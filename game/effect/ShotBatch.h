#pragma once
// The game's colour-vertex primitive: vertices of position and packed colour
// (16 bytes), drawn in one call. The colour grid, the laser strips and the
// glow discs draw with it.
#include <cstdint>

#include "vrax/graphic/SGpObj_Prim.h"

class ShotBatch : public SGpObj_Prim {
 public:
  ShotBatch() : SGpObj_Prim(plat::kFvfPosColour) {}

  // Its vertices are written with the primitive's own cursor operations:
  // SetPos, SetColour (0..1 channels packed as 0xAARRGGBB: >= 1 gives 255,
  // <= 0 gives 0, else the integer part of c x 255 + 0.5), SeekVertex, Next,
  // Prev, and drawn with Execute.
};
