#pragma once
// Small helpers that the effect code and much of the rest of the game share:
// basis matrices, rotations with the angle in turns, the aim at the player,
// colour comparison, depth scaling and the half-cosine ease.
#include <cstdint>

#include "game/effect/RandF.h"
#include "vrax/graphic/SMath.h"

// The engine's basis presets: 0 zero, 1 identity, 2/5 quarter turns about Y,
// 3/6 quarter turns about X, 4 a half turn about X; n = 7 (and any other n)
// gives the zero matrix. Copies preset n into out.
SMatrix* GetSharedMatrix(SMatrix* out, int32_t n);
void CopyMatrix(SMatrix* out, const SMatrix* in);

// m = Rx(turns) x m: the rotation applies before m's own transform.
SMatrix* MatrixRotateX(SMatrix* m, float turns);
// m = Rz(turns) x m.
SMatrix* MatrixRotateZ(SMatrix* m, float turns);
// out = Rz(az) x Rx(ax) x Ry(ay) x base (turns): a point turns about z, then
// x, then y, then by base. out may be base.
SMatrix* MatrixRotateYXZ(SMatrix* out, const SMatrix* base, float ax, float ay, float az);

// Direction from (x, y) to the player, in turns (-0.5 to 0.5).
float AngleToPlayer(float x, float y);

// True when any component differs (a NaN counts as different).
bool Vec4Differs(const float* a, const float* b);
void Vec4Set(float* v, float x, float y, float z, float w);

// Sign of the sprite turn per screen orientation: vertical screens (view
// modes 0 to 2 and 3 to 5) turn sprites a quarter turn back, others not.
extern const int32_t DirSignTable[8];
// DirSignTable at the game's view mode; 0 for modes past the table (the
// horizontal modes 8 to 11) and without a game.
int32_t GetDirSign();

// 512 / (z + 512): how a depth shrinks positions and radii. The divisor is
// held at 1 or more, so z at or behind -511 gives 512 rather than a division
// by zero or a mirrored picture.
float DepthScale(float z);

// a + (b - a)(0.5 - 0.5 cos(pi t)).
float EaseHalfCosine(float a, float b, float t);
