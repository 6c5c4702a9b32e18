#pragma once
// Boxes on the picture worked out from play-space numbers: a place at a
// depth, the union of boxes, and how far a sprite's key list reaches from
// its pivot.
#include "support/DrawnThings.h"
#include "vrax/graphic/SGpRect.h"

namespace testsupport {

// Holds nothing: the union's start.
constexpr PixelBox kNothing{640, 480, 0, 0};

// The picture's pixels that hold the play rectangle [x0, x1] x [y0, y1]
// standing anywhere between depths zA and zB: the view stands 512 before
// the play plane, so a place at depth z shows at 512 / (512 + z) of its play
// coordinates about the centre, and the play area shows at 0.75 pixels a
// unit about (320, 240). One pixel of slack each side for the filtering.
PixelBox DepthBox(float x0, float y0, float x1, float y1, float zA = 0.0f, float zB = 0.0f);

PixelBox Union(const PixelBox& a, const PixelBox& b);

// The farthest a part of the key list reaches from its pivot, turned any
// way: the largest distance from the pivot to a corner.
float Reach(const SGpKeyList* keys);

// How far the parts of the key list stand left of, above, right of and
// below their pivots, unturned.
struct Extent {
  float left = 0, up = 0, right = 0, down = 0;
};
Extent Extents(const SGpKeyList* keys);

// f + f^2 + ... + f^n: how far a velocity damped by f before each of n
// steps carries, per unit of its start.
float Damped(float f, int n);

}  // namespace testsupport
