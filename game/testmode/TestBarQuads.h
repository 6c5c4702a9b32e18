#pragma once
// The test pages' bars: two rows of three untextured quads (position and
// colour only) addressed by a bar slot 0 to 2, the first row the fills, the
// second the backs. A bar is entered at the default key, back first.
#include <cstdint>

#include "vrax/graphic/SGpObj_Prim.h"

class TestBarQuads {
 public:
  static constexpr int32_t kSlots = 3;

  // Gives every quad its room (the test mode's set-up).
  void Prepare();
  // A level bar: the back over w at half alpha, then the fill over
  // w x ratio at full alpha (the ratio is not clamped).
  void DrawLevelBar(int32_t slot, float x, float y, float w, float h, float ratio, int32_t code, float alpha);
  // The same back, then a fill from the centre c = x + w/2 to
  // c + (w/2) x value, widened to reach one unit past the centre.
  void DrawCentreBar(int32_t slot, float x, float y, float w, float h, float value, int32_t code, float alpha);

  const SGpObj_Prim& Fill(int32_t slot) const { return fills_[slot]; }
  const SGpObj_Prim& Back(int32_t slot) const { return backs_[slot]; }

 private:
  void PutBack(int32_t slot, float x, float y, float w, float h, int32_t code, float alpha);
  static void PutBox(SGpObj_Prim& q, float left, float right, float top, float bottom);

  SGpObj_PrimQuadFill fills_[kSlots] = {SGpObj_PrimQuadFill(plat::kFvfPosColour),
                                        SGpObj_PrimQuadFill(plat::kFvfPosColour),
                                        SGpObj_PrimQuadFill(plat::kFvfPosColour)};
  SGpObj_PrimQuadFill backs_[kSlots] = {SGpObj_PrimQuadFill(plat::kFvfPosColour),
                                        SGpObj_PrimQuadFill(plat::kFvfPosColour),
                                        SGpObj_PrimQuadFill(plat::kFvfPosColour)};
};
