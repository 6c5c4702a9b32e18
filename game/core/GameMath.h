#pragma once
// Vector, quaternion and matrix helpers of the game on top of the engine's
// math (vrax/graphic/SMath.h): row-vector convention, translation in the
// fourth row. Rotation builders here take turns (1.0 = a revolution); the
// quaternion and perspective builders take radians. Each routine writes its
// output and returns it.
#include <cstdint>

#include "vrax/graphic/SMath.h"

SVec3* Vec3Add(SVec3* out, const SVec3* a, const SVec3* b);
SVec3* Vec3Sub(SVec3* out, const SVec3* a, const SVec3* b);
SVec3* Vec3Cross(SVec3* out, const SVec3* a, const SVec3* b);
float Vec3Dot(const SVec3* a, const SVec3* b);
// out = v / |v|; a zero vector gives a zero vector (no division by 0).
SVec3* NormalizeVec3(SVec3* out, const SVec3* v);
// out = a + (b - a) t, a linear blend of two positions.
SVec3* MatrixBuildA(SVec3* out, const SVec3* a, const SVec3* b, float t);

// a + (b - a)(1 - cos(t pi/2)): slow start, full speed at t = 1.
float EaseInterp(float a, float b, float t);

// Radians.
SQuat* QuatFromEuler(SQuat* out, float yaw, float pitch, float roll);
SMatrix* MatrixFromQuat(SMatrix* out, const SQuat* q);
// Spherical blend along the shortest arc (q2 negated when q1.q2 < 0), linear
// for nearly equal rotations; not renormalised.
SQuat* MatrixBuildB(SQuat* out, const SQuat* q1, const SQuat* q2, float t);

SMatrix* MatrixScale3(SMatrix* m, float x, float y, float z);
// out = Rx(ax) Ry(ay) Rz(az) in, turns. out may be in.
SMatrix* MakeRotationXYZ(SMatrix* out, const SMatrix* in, float ax, float ay, float az);
SMatrix* MakeRotationXYZ(SMatrix* m, float ax, float ay, float az);
// Angles in 1/65536 turns: out = Rz(az) Rx(ax) Ry(ay) in. out may be in.
SMatrix* MakeRotationTurns16(SMatrix* out, const SMatrix* in, int32_t ax, int32_t ay, int32_t az);
// m = Ry(angle) m, turns.
SMatrix* MatrixApplyRotY(SMatrix* m, float angle);
// Normalises rows 0..2 (as 3-vectors) of m into out; the rest is copied.
SMatrix* OrthonormalizeAxes(SMatrix* out, const SMatrix* m);
SMatrix* OrthonormalizeAxes(SMatrix* m);
// Right-handed perspective; null (out unchanged) when |zFar - zNear| < 0.01
// or |sin(fovY / 2)| < 0.01.
SMatrix* MatrixPerspective(SMatrix* out, float fovY, float aspect, float zNear, float zFar);
// Right-handed look-at matrix.
SMatrix* MatrixFromTransform(SMatrix* out, const SVec3* eye, const SVec3* at, const SVec3* up);
