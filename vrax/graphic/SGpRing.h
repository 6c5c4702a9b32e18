#pragma once
// Flat rings (annuli) built as one triangle strip of 2n + 2 vertices on a
// primitive: shock waves, gauges and circles. n = 3k segments (3 when k is
// 0 or less); the angle starts at 0 and steps by -1/n turn; the last pair
// repeats the first pair's positions. Each returns 0, or -1 when the
// primitive cannot be allocated (also for k above 10922, whose vertices 16-bit
// indices could not address).
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SGpRect.h"

// Colours per vertex: inner vertices take `innerColour`, outer `outerColour`.
int BuildRing(SGpObj_Prim* prim, float innerR, float outerR, float innerZ, float outerZ,
              const float* innerColour, const float* outerColour, int k);
// One colour, set once at the first vertex: meant for a colour-per-primitive
// object (SGpObj_PrimFill), whose colour setter colours the whole ring.
int BuildRingMono(SGpObj_Prim* prim, float innerR, float outerR, float innerZ, float outerZ,
                  const float* colour, int k);
// As BuildRing, with the image mapped once around the ring from four corner
// coordinates (top-left, top-right, bottom-left, bottom-right): inner
// vertices run along the top edge, outer along the bottom, left to right
// (right to left when the outer radius is the smaller).
int BuildRingTextured(SGpObj_Prim* prim, float innerR, float outerR, float innerZ, float outerZ,
                      const float* innerColour, const float* outerColour, const SGpUV* corners,
                      int k);
