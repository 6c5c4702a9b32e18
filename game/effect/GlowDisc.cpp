#include "game/effect/GlowDisc.h"

#include "vrax/graphic/SGpRing.h"

int GlowDisc::Build(float innerR, float outerR, const float* innerColour, const float* outerColour, int n) {
  return BuildRing(&prim_, innerR, outerR, 0.0f, 0.0f, innerColour, outerColour, n);
}
