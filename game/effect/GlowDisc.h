#pragma once
// A filled disc (or ring) of position-and-colour vertices that shades from
// one colour at its inner radius to another at its outer radius: the laser's
// muzzle glow and the shadow packet's blobs. Executing the packet draws the
// disc with the graphic manager's current states.
#include "vrax/graphic/SGpObj.h"
#include "vrax/graphic/SGpObj_Prim.h"

class GlowDisc : public SGpObj {
 public:
  GlowDisc() = default;
  // Rebuilds the shape: 6n + 2 vertices (3n divisions) from inner radius
  // (innerColour) to outer radius (outerColour) at depth 0. 0, or -1 when the
  // primitive cannot be allocated.
  int Build(float innerR, float outerR, const float* innerColour, const float* outerColour, int n);
  // The laser's form: a disc of 15 divisions.
  int Build(float radius, const float* centre, const float* edge) { return Build(0.0f, radius, centre, edge, 5); }
  void Execute() override { prim_.Execute(); }
  const SGpObj_Prim& Prim() const { return prim_; }

 private:
  SGpObj_Prim prim_{plat::kFvfPosColour};
};
