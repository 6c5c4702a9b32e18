#pragma once
// Small operations the behaviour scripts of the model enemies share (the
// value-animator loaders and the frame divider are EnemyBase members): the
// bullet-path lookup, the spline tangent, an exact vector comparison and the
// rotation builder of the enemies' placement matrices.
#include <cstdint>

#include "game/effect/EShotMotion.h"
#include "vrax/graphic/SMath.h"

struct SGpRect;

struct ParamTable {
  // The first record of the first bullet path of the running stage script
  // whose id equals `id`; null for -1, without a script or paths, or when
  // no path has that id.
  static const EShotMotion* FindValue(int32_t id);
};

// Kochanek-Bartels tangent at p1 between p0 and p2 (no continuity term):
// (p1 - p0)(1 + b)(1 - t)/2 + (p2 - p1)(1 - b)(1 - t)/2, w = 1. Returns out.
float* CalcSplineTangent(float* out, const float* p0, const float* p1, const float* p2, float tension,
                         float bias);

// x, y and z equal (any unordered component: false).
bool Vec3Equal(const float* a, const float* b);

// The upper 3x4 part of m back to the identity; the translation row stays.
void ResetRotation(SMatrix* m);

// m = R x m, R the rotation about axis 0 (x), 1 (y) or 2 (z) by `turns`
// (row-vector convention: a vertex turns by R first, then by the old m).
void RotateLeft(SMatrix* m, int axis, float turns);

// Enters the texture of a sprite part (its image's texture by the part's
// id) at the key; nothing without a part, an image or a loaded image.
void EnterPartTexture(const SGpRect* part, int32_t key);
