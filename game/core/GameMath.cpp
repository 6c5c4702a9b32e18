#include "game/core/GameMath.h"

#include <cmath>

#include "game/core/Easing.h"

SVec3* Vec3Add(SVec3* out, const SVec3* a, const SVec3* b) {
  out->x = a->x + b->x;
  out->y = a->y + b->y;
  out->z = a->z + b->z;
  return out;
}

SVec3* Vec3Sub(SVec3* out, const SVec3* a, const SVec3* b) {
  out->x = a->x - b->x;
  out->y = a->y - b->y;
  out->z = a->z - b->z;
  return out;
}

SVec3* Vec3Cross(SVec3* out, const SVec3* a, const SVec3* b) {
  const SVec3 r{a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x};
  *out = r;
  return out;
}

float Vec3Dot(const SVec3* a, const SVec3* b) { return a->x * b->x + a->y * b->y + a->z * b->z; }

SVec3* NormalizeVec3(SVec3* out, const SVec3* v) {
  const float sq = v->x * v->x + v->y * v->y + v->z * v->z;
  if (!(sq > 0.0f)) {
    *out = SVec3{0.0f, 0.0f, 0.0f};
    return out;
  }
  const float k = 1.0f / std::sqrt(sq);
  out->x = v->x * k;
  out->y = v->y * k;
  out->z = v->z * k;
  return out;
}

SVec3* MatrixBuildA(SVec3* out, const SVec3* a, const SVec3* b, float t) {
  out->x = a->x + (b->x - a->x) * t;
  out->y = a->y + (b->y - a->y) * t;
  out->z = a->z + (b->z - a->z) * t;
  return out;
}

float EaseInterp(float a, float b, float t) { return a + (b - a) * (1.0f - std::cos(t * kHalfPi)); }

SQuat* QuatFromEuler(SQuat* out, float yaw, float pitch, float roll) {
  const float hy = yaw * 0.5f, hp = pitch * 0.5f, hr = roll * 0.5f;
  const float sy = std::sin(hy), cy = std::cos(hy);
  const float sp = std::sin(hp), cp = std::cos(hp);
  const float sr = std::sin(hr), cr = std::cos(hr);
  out->x = cy * sp * cr + sy * cp * sr;
  out->y = sy * cp * cr - cy * sp * sr;
  out->z = cy * cp * sr - sy * sp * cr;
  out->w = cy * cp * cr + sy * sp * sr;
  return out;
}

SMatrix* MatrixFromQuat(SMatrix* out, const SQuat* q) {
  const float x = q->x, y = q->y, z = q->z, w = q->w;
  SMatrix& m = *out;
  m[0][0] = 1.0f - 2.0f * (y * y + z * z);
  m[0][1] = 2.0f * (x * y + w * z);
  m[0][2] = 2.0f * (x * z - w * y);
  m[0][3] = 0.0f;
  m[1][0] = 2.0f * (x * y - w * z);
  m[1][1] = 1.0f - 2.0f * (x * x + z * z);
  m[1][2] = 2.0f * (y * z + w * x);
  m[1][3] = 0.0f;
  m[2][0] = 2.0f * (x * z + w * y);
  m[2][1] = 2.0f * (y * z - w * x);
  m[2][2] = 1.0f - 2.0f * (x * x + y * y);
  m[2][3] = 0.0f;
  m[3][0] = m[3][1] = m[3][2] = 0.0f;
  m[3][3] = 1.0f;
  return out;
}

SQuat* MatrixBuildB(SQuat* out, const SQuat* q1, const SQuat* q2, float t) {
  SQuat b = *q2;
  float d = q1->x * b.x + q1->y * b.y + q1->z * b.z + q1->w * b.w;
  if (d < 0.0f) {
    b = SQuat{-b.x, -b.y, -b.z, -b.w};
    d = -d;
  }
  float k1, k2;
  if (1.0f - d > 0.001f) {
    const float th = std::acos(d);
    const float s = std::sin(th);
    k1 = std::sin((1.0f - t) * th) / s;
    k2 = std::sin(t * th) / s;
  } else {
    k1 = 1.0f - t;
    k2 = t;
  }
  const SQuat a = *q1;
  out->x = k1 * a.x + k2 * b.x;
  out->y = k1 * a.y + k2 * b.y;
  out->z = k1 * a.z + k2 * b.z;
  out->w = k1 * a.w + k2 * b.w;
  return out;
}

SMatrix* MatrixScale3(SMatrix* m, float x, float y, float z) { return SMatrix::Scaling(m, x, y, z); }

SMatrix* MakeRotationXYZ(SMatrix* out, const SMatrix* in, float ax, float ay, float az) {
  RotateZ(out, in, az);
  RotateY(out, out, ay);
  RotateX(out, out, ax);
  return out;
}

SMatrix* MakeRotationXYZ(SMatrix* m, float ax, float ay, float az) {
  return MakeRotationXYZ(m, m, ax, ay, az);
}

namespace {

// Radians of an angle in 1/65536 turns, rounded to single precision as turns
// first.
float Turns16ToRadians(int32_t a) {
  const float turns = static_cast<float>(static_cast<double>(a) * 1.52587890625e-05);
  return turns * kTwoPi;
}

// out = R x in, R a fresh identity carrying c, s, -s, c at (i0,i0), (i0,i1),
// (i1,i0), (i1,i1).
void RotateRad(SMatrix* out, const SMatrix* in, float rad, int i0, int i1) {
  const float c = std::cos(rad);
  const float s = std::sin(rad);
  SMatrix r;
  SMatrix::Identity(&r);
  r[i0][i0] = c;
  r[i0][i1] = s;
  r[i1][i0] = -s;
  r[i1][i1] = c;
  SMatrix::Multiply(out, &r, in);
}

}  // namespace

SMatrix* MakeRotationTurns16(SMatrix* out, const SMatrix* in, int32_t ax, int32_t ay, int32_t az) {
  RotateRad(out, in, Turns16ToRadians(ay), 2, 0);
  RotateRad(out, out, Turns16ToRadians(ax), 1, 2);
  RotateRad(out, out, Turns16ToRadians(az), 0, 1);
  return out;
}

SMatrix* MatrixApplyRotY(SMatrix* m, float angle) { return RotateY(m, m, angle); }

SMatrix* OrthonormalizeAxes(SMatrix* out, const SMatrix* m) {
  if (out != m) SMatrix::Copy(out, m);
  for (int r = 0; r < 3; ++r) {
    const SVec3 v{(*m)[r][0], (*m)[r][1], (*m)[r][2]};
    SVec3 n;
    NormalizeVec3(&n, &v);
    (*out)[r][0] = n.x;
    (*out)[r][1] = n.y;
    (*out)[r][2] = n.z;
  }
  return out;
}

SMatrix* OrthonormalizeAxes(SMatrix* m) { return OrthonormalizeAxes(m, m); }

SMatrix* MatrixPerspective(SMatrix* out, float fovY, float aspect, float zNear, float zFar) {
  const float s = std::sin(fovY / 2.0f);
  if (std::fabs(zFar - zNear) < 0.01f || std::fabs(s) < 0.01f) return nullptr;
  const float yScale = std::cos(fovY / 2.0f) / s;
  SMatrix::Identity(out);
  SMatrix& m = *out;
  m[0][0] = yScale / aspect;
  m[1][1] = yScale;
  m[2][2] = -(zFar / (zFar - zNear));
  m[2][3] = -1.0f;
  m[3][2] = -(zFar / (zFar - zNear)) * zNear;
  m[3][3] = 0.0f;
  return out;
}

SMatrix* MatrixFromTransform(SMatrix* out, const SVec3* eye, const SVec3* at, const SVec3* up) {
  SVec3 z, x, y, t;
  Vec3Sub(&t, eye, at);
  NormalizeVec3(&z, &t);
  Vec3Cross(&t, up, &z);
  NormalizeVec3(&x, &t);
  Vec3Cross(&t, &z, &x);
  NormalizeVec3(&y, &t);
  SMatrix& m = *out;
  m[0][0] = x.x; m[0][1] = y.x; m[0][2] = z.x; m[0][3] = 0.0f;
  m[1][0] = x.y; m[1][1] = y.y; m[1][2] = z.y; m[1][3] = 0.0f;
  m[2][0] = x.z; m[2][1] = y.z; m[2][2] = z.z; m[2][3] = 0.0f;
  m[3][0] = -Vec3Dot(&x, eye);
  m[3][1] = -Vec3Dot(&y, eye);
  m[3][2] = -Vec3Dot(&z, eye);
  m[3][3] = 1.0f;
  return out;
}
