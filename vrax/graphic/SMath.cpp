#include "vrax/graphic/SMath.h"

#include <cmath>

namespace {

constexpr SMatrix kPresets[SMatrix::kPresetCount] = {
    {{{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}},
    {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}},
    {{{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}}},
    {{{1, 0, 0, 0}, {0, 0, -1, 0}, {0, 1, 0, 0}, {0, 0, 0, 1}}},
    {{{1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}, {0, 0, 0, 1}}},
    {{{0, 0, 1, 0}, {0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 0, 1}}},
    {{{1, 0, 0, 0}, {0, 0, 1, 0}, {0, -1, 0, 0}, {0, 0, 0, 1}}},
};

void SetIdentity(SMatrix* out) { *out = kIdentityMatrix; }

}  // namespace

SMatrix* SMatrix::Identity(SMatrix* out) {
  SetIdentity(out);
  return out;
}

SMatrix* SMatrix::Scale(SMatrix* out, const SMatrix* in, float sx, float sy, float sz) {
  const float s[3] = {sx, sy, sz};
  SMatrix r = *in;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r.m[i][j] = in->m[i][j] * s[i];
  *out = r;
  return out;
}

SMatrix* SMatrix::Copy(SMatrix* out, const SMatrix* in) {
  *out = *in;
  return out;
}

const SMatrix& SMatrix::Preset(int n) {
  if (n < 0 || n >= kPresetCount) n = 0;
  return kPresets[n];
}

SMatrix* SMatrix::SetPreset(SMatrix* out, int n) {
  *out = Preset(n);
  return out;
}

SMatrix* SMatrix::Multiply(SMatrix* out, const SMatrix* a, const SMatrix* b) {
  SMatrix r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      float v = a->m[i][0] * b->m[0][j];
      v = v + a->m[i][1] * b->m[1][j];
      v = v + a->m[i][2] * b->m[2][j];
      v = v + a->m[i][3] * b->m[3][j];
      r.m[i][j] = v;
    }
  }
  *out = r;
  return out;
}

SMatrix* SMatrix::Inverse(SMatrix* out, float* det, const SMatrix* in) {
  const auto& a = in->m;
  // 2x2 determinants of the upper two rows (s) and the lower two rows (c).
  const float s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
  const float s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
  const float s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
  const float s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
  const float s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
  const float s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
  const float c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
  const float c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
  const float c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
  const float c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
  const float c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
  const float c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];
  const float d = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
  if (det != nullptr) *det = d;
  if (d == 0.0f || !std::isfinite(d)) return nullptr;
  const float k = 1.0f / d;
  SMatrix r;
  r.m[0][0] = (a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3) * k;
  r.m[0][1] = (-a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3) * k;
  r.m[0][2] = (a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3) * k;
  r.m[0][3] = (-a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3) * k;
  r.m[1][0] = (-a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1) * k;
  r.m[1][1] = (a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1) * k;
  r.m[1][2] = (-a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1) * k;
  r.m[1][3] = (a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1) * k;
  r.m[2][0] = (a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0) * k;
  r.m[2][1] = (-a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0) * k;
  r.m[2][2] = (a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0) * k;
  r.m[2][3] = (-a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0) * k;
  r.m[3][0] = (-a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0) * k;
  r.m[3][1] = (a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0) * k;
  r.m[3][2] = (-a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0) * k;
  r.m[3][3] = (a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0) * k;
  *out = r;
  return out;
}

SMatrix* SMatrix::PerspectiveFovRH(SMatrix* out, float fovY, float aspect, float zn, float zf) {
  const float yScale = 1.0f / std::tan(fovY * 0.5f);
  const float xScale = yScale / aspect;
  SMatrix r{};
  r.m[0][0] = xScale;
  r.m[1][1] = yScale;
  r.m[2][2] = zf / (zn - zf);
  r.m[2][3] = -1.0f;
  r.m[3][2] = zn * zf / (zn - zf);
  r.m[3][3] = 0.0f;
  *out = r;
  return out;
}

SMatrix* SMatrix::OrthoRH(SMatrix* out, float w, float h, float zn, float zf) {
  SMatrix r{};
  r.m[0][0] = 2.0f / w;
  r.m[1][1] = 2.0f / h;
  r.m[2][2] = 1.0f / (zn - zf);
  r.m[3][2] = zn / (zn - zf);
  r.m[3][3] = 1.0f;
  *out = r;
  return out;
}

SMatrix* SMatrix::LookAtLH(SMatrix* out, const SVec3* eye, const SVec3* at, const SVec3* up) {
  SVec3 z{at->x - eye->x, at->y - eye->y, at->z - eye->z};
  SVec3Normalize(&z, &z);
  SVec3 x;
  SVec3Cross(&x, up, &z);
  SVec3Normalize(&x, &x);
  SVec3 y;
  SVec3Cross(&y, &z, &x);
  SMatrix r;
  r.m[0][0] = x.x; r.m[0][1] = y.x; r.m[0][2] = z.x; r.m[0][3] = 0.0f;
  r.m[1][0] = x.y; r.m[1][1] = y.y; r.m[1][2] = z.y; r.m[1][3] = 0.0f;
  r.m[2][0] = x.z; r.m[2][1] = y.z; r.m[2][2] = z.z; r.m[2][3] = 0.0f;
  r.m[3][0] = -SVec3Dot(&x, eye);
  r.m[3][1] = -SVec3Dot(&y, eye);
  r.m[3][2] = -SVec3Dot(&z, eye);
  r.m[3][3] = 1.0f;
  *out = r;
  return out;
}

SMatrix* SMatrix::Translation(SMatrix* out, float x, float y, float z) {
  SetIdentity(out);
  out->m[3][0] = x;
  out->m[3][1] = y;
  out->m[3][2] = z;
  return out;
}

SMatrix* SMatrix::Scaling(SMatrix* out, float sx, float sy, float sz) {
  SetIdentity(out);
  out->m[0][0] = sx;
  out->m[1][1] = sy;
  out->m[2][2] = sz;
  return out;
}

SMatrix* SMatrix::RotationZ(SMatrix* out, float radians) {
  const float c = std::cos(radians);
  const float s = std::sin(radians);
  SetIdentity(out);
  out->m[0][0] = c;
  out->m[0][1] = s;
  out->m[1][0] = -s;
  out->m[1][1] = c;
  return out;
}

SMatrix* SMatrix::RotationQuaternion(SMatrix* out, const SQuat* q) {
  const float x = q->x, y = q->y, z = q->z, w = q->w;
  SetIdentity(out);
  out->m[0][0] = 1.0f - 2.0f * (y * y + z * z);
  out->m[0][1] = 2.0f * (x * y + z * w);
  out->m[0][2] = 2.0f * (x * z - y * w);
  out->m[1][0] = 2.0f * (x * y - z * w);
  out->m[1][1] = 1.0f - 2.0f * (x * x + z * z);
  out->m[1][2] = 2.0f * (y * z + x * w);
  out->m[2][0] = 2.0f * (x * z + y * w);
  out->m[2][1] = 2.0f * (y * z - x * w);
  out->m[2][2] = 1.0f - 2.0f * (x * x + y * y);
  return out;
}

SVec3* SVec3Normalize(SVec3* out, const SVec3* v) {
  const float len = std::sqrt(v->x * v->x + v->y * v->y + v->z * v->z);
  if (len == 0.0f) {
    *out = SVec3{0.0f, 0.0f, 0.0f};
    return out;
  }
  *out = SVec3{v->x / len, v->y / len, v->z / len};
  return out;
}

SVec3* SVec3TransformCoord(SVec3* out, const SVec3* v, const SMatrix* m) {
  SVec4 t;
  SVec3Transform(&t, v, m);
  *out = SVec3{t.x / t.w, t.y / t.w, t.z / t.w};
  return out;
}

SVec4* SVec3Transform(SVec4* out, const SVec3* v, const SMatrix* m) {
  float r[4];
  for (int j = 0; j < 4; ++j) {
    float s = v->x * m->m[0][j];
    s = s + v->y * m->m[1][j];
    s = s + v->z * m->m[2][j];
    s = s + m->m[3][j];
    r[j] = s;
  }
  *out = SVec4{r[0], r[1], r[2], r[3]};
  return out;
}

SVec3* SVec3Cross(SVec3* out, const SVec3* a, const SVec3* b) {
  const SVec3 r{a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x};
  *out = r;
  return out;
}

float SVec3Dot(const SVec3* a, const SVec3* b) { return a->x * b->x + a->y * b->y + a->z * b->z; }

namespace {

// out = R x in with R the identity carrying c, s, -s, c at (i0,i0), (i0,i1),
// (i1,i0), (i1,i1) (the sign of s is given by the caller's index order).
SMatrix* RotateAxis(SMatrix* out, const SMatrix* in, float turns, int i0, int i1) {
  const float a = turns * kTurnToRad;
  const float c = std::cos(a);
  const float s = std::sin(a);
  SMatrix r;
  SetIdentity(&r);
  r.m[i0][i0] = c;
  r.m[i0][i1] = s;
  r.m[i1][i0] = -s;
  r.m[i1][i1] = c;
  return SMatrix::Multiply(out, &r, in);
}

}  // namespace

SMatrix* RotateX(SMatrix* out, const SMatrix* in, float turns) { return RotateAxis(out, in, turns, 1, 2); }
SMatrix* RotateY(SMatrix* out, const SMatrix* in, float turns) { return RotateAxis(out, in, turns, 2, 0); }
SMatrix* RotateZ(SMatrix* out, const SMatrix* in, float turns) { return RotateAxis(out, in, turns, 0, 1); }

float QuadBezier(float a, float b, float c, float t) {
  const float u = 1.0f - t;
  return u * u * a + 2.0f * u * t * b + t * t * c;
}
