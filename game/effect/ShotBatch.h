#pragma once
// The game's colour-vertex primitive: vertices of position and packed colour
// (16 bytes), drawn in one call. The colour grid, the laser strips and the
// glow discs draw with it.
#include <cstdint>

#include "vrax/graphic/SGpObj_Prim.h"

class ShotBatch : public SGpObj_Prim {
 public:
  ShotBatch() : SGpObj_Prim(plat::kFvfPosColour) {}

  // Writes the cursor vertex (the primitive's own setters do the same).
  void SetPosition(float x, float y, float z) { SetPos(x, y, z); }
  void SetPosition(const SVec3* p) { SetPos(*p); }
  // Packs 0..1 channels as 0xAARRGGBB (>= 1 gives 255, <= 0 gives 0, else
  // the integer part of c x 255 + 0.5).
  void SetColourRGBA(float r, float g, float b, float a) { SetColour(r, g, b, a); }
  void SelectVertex(int index) { SeekVertex(index); }
  void NextVertex() { Next(); }
  void PrevVertex() { Prev(); }
  // Draws `count` primitives from the first.
  void DrawAll(int count);
};
