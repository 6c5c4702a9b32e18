#include "game/core/CameraTransform.h"

#include <cstring>

#include "game/core/GameMath.h"

void CameraTransform::SetPosition(float x, float y, float z) {
  matrix.m[3][0] = x, matrix.m[3][1] = y, matrix.m[3][2] = z, matrix.m[3][3] = 1.0f;
}

void CameraTransform::SetPositionV(const SVec3* p) { SetPosition(p->x, p->y, p->z); }

void CameraTransform::SetRotationQuat(const SQuat* q) {
  float pos[4];
  std::memcpy(pos, matrix.m[3], sizeof pos);
  SMatrix::RotationQuaternion(&matrix, q);
  std::memcpy(matrix.m[3], pos, sizeof pos);
}

void CameraTransform::SetRotationEuler(const SVec3* a) {
  SQuat q;
  QuatFromEuler(&q, a->y, a->x, a->z);
  SetRotationQuat(&q);
}

void CameraTransform::SetScale(const SVec3* s) {
  matrix.m[0][0] = s->x, matrix.m[1][1] = s->y, matrix.m[2][2] = s->z;
}

void CameraTransform::MoveLocal(const SVec3* d) {
  for (int i = 0; i < 3; ++i)
    matrix.m[3][i] = matrix.m[3][i] + matrix.m[0][i] * d->x + matrix.m[1][i] * d->y + matrix.m[2][i] * d->z;
}

void CameraTransform::RotateEuler(const SVec3* a) {
  SQuat q;
  QuatFromEuler(&q, a->y, a->x, a->z);
  SMatrix r;
  SMatrix::RotationQuaternion(&r, &q);
  SMatrix::Multiply(&matrix, &matrix, &r);
}

void CameraTransform::RotateAndMove(const SVec3* d, const SVec3* angles) {
  RotateEuler(angles);
  MoveLocal(d);
}

void CameraTransform::Move(const SVec3* d) {
  matrix.m[3][0] += d->x, matrix.m[3][1] += d->y, matrix.m[3][2] += d->z;
}

void CameraTransform::GetAxes(float* x, float* y, float* z) const {
  std::memcpy(x, matrix.m[0], 4 * sizeof(float));
  std::memcpy(y, matrix.m[1], 4 * sizeof(float));
  std::memcpy(z, matrix.m[2], 4 * sizeof(float));
}

void CameraTransform::GetAxesZXY(float* z, float* x, float* y) const { GetAxes(x, y, z); }

bool MatrixEquals(const SMatrix* a, const SMatrix* b) {
  const float* x = &a->m[0][0];
  const float* y = &b->m[0][0];
  for (int i = 15; i >= 0; --i)
    if (!(x[i] == y[i])) return false;
  return true;
}
