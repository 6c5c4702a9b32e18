#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "vrax/graphic/SMath.h"

namespace {

SMatrix Rows(std::initializer_list<float> v) {
  SMatrix m;
  int i = 0;
  for (float f : v) m.m[i / 4][i % 4] = f, ++i;
  return m;
}

void ExpectMatrixEq(const SMatrix& a, const SMatrix& b) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(a.m[r][c], b.m[r][c]) << "at " << r << "," << c;
}

void ExpectMatrixNear(const SMatrix& a, const SMatrix& b, float tol) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(a.m[r][c], b.m[r][c], tol) << "at " << r << "," << c;
}

SVec3 Apply(const SMatrix& m, SVec3 v) {
  SVec3 o;
  SVec3TransformCoord(&o, &v, &m);
  return o;
}

void ExpectNear3(SVec3 v, float x, float y, float z, float tol = 1e-6f) {
  EXPECT_NEAR(v.x, x, tol);
  EXPECT_NEAR(v.y, y, tol);
  EXPECT_NEAR(v.z, z, tol);
}

TEST(SMath, IdentityCopyScaleAndPresets) {
  SMatrix id;
  SMatrix::Identity(&id);
  ExpectMatrixEq(id, Rows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
  SMatrix in = Rows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
  SMatrix s;
  SMatrix::Scale(&s, &in, 2, 3, 0.5f);
  ExpectMatrixEq(s, Rows({2, 4, 6, 4, 15, 18, 21, 8, 4.5f, 5, 5.5f, 12, 13, 14, 15, 16}));
  SMatrix::Scale(&in, &in, 2, 3, 0.5f);  // in place
  ExpectMatrixEq(in, s);

  SMatrix p;
  SMatrix::SetPreset(&p, 2);
  ExpectMatrixEq(p, Rows({0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1}));
  SMatrix::SetPreset(&p, 1);
  ExpectMatrixEq(p, Rows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
  SMatrix::SetPreset(&p, 3);
  ExpectMatrixEq(p, Rows({1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1}));
  SMatrix::SetPreset(&p, 4);
  ExpectMatrixEq(p, Rows({1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1}));
  SMatrix::SetPreset(&p, 5);
  ExpectMatrixEq(p, Rows({0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 0, 1}));
  SMatrix::SetPreset(&p, 6);
  ExpectMatrixEq(p, Rows({1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1}));
  SMatrix::SetPreset(&p, 0);  // all zero, the fourth row too
  EXPECT_EQ(p.m[3][3], 0.0f);
  // A number outside the table's 0..6 reads preset 0.
  for (int n : {-1, 7}) {
    SMatrix::SetPreset(&p, 1);
    SMatrix::SetPreset(&p, n);
    EXPECT_EQ(p.m[0][0], 0.0f) << n;
    EXPECT_EQ(p.m[3][3], 0.0f) << n;
  }
}

TEST(SMath, MultiplyIsRowTimesColumnAndMayAlias) {
  SMatrix a = Rows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
  SMatrix b = Rows({2, 0, 0, 0, 0, 1, 0, 1, 1, 0, 1, 0, 0, 0, 0, 1});
  SMatrix o;
  SMatrix::Multiply(&o, &a, &b);
  // Row 0: (1*2 + 3*1, 2, 3, 2 + 4).
  ExpectMatrixEq(o, Rows({5, 2, 3, 6, 17, 6, 7, 14, 29, 10, 11, 22, 41, 14, 15, 30}));
  SMatrix::Multiply(&a, &a, &b);
  ExpectMatrixEq(a, o);
  // The evaluation order is fixed: 1e8 + 1 - 1e8 in single precision is 0.
  SMatrix big = Rows({1e8f, 1, -1e8f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  SMatrix ones = Rows({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0});
  SMatrix::Multiply(&o, &big, &ones);
  EXPECT_EQ(o.m[0][0], 0.0f);
}

TEST(SMath, InverseUndoesAnAffineMatrixAndRefusesSingular) {
  // Scale 2, 4, 0.5 then translate (3, -8, 1): inverse is exact in binary.
  SMatrix m = Rows({2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0.5f, 0, 3, -8, 1, 1});
  SMatrix inv;
  float det = 0;
  ASSERT_EQ(SMatrix::Inverse(&inv, &det, &m), &inv);
  EXPECT_EQ(det, 4.0f);
  ExpectMatrixEq(inv, Rows({0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 2, 0, -1.5f, 2, -2, 1}));

  // A general matrix: m x inverse is the identity within rounding.
  SMatrix g = Rows({4, 7, 2, 0, 3, 6, 1, 0, 2, 5, 3, 0, 1, -2, 4, 1});
  ASSERT_NE(SMatrix::Inverse(&inv, &det, &g), nullptr);
  EXPECT_NEAR(det, 9.0f, 1e-5f);  // 4(18-5) - 7(9-2) + 2(15-12)
  SMatrix p, id;
  SMatrix::Multiply(&p, &g, &inv);
  ExpectMatrixNear(p, *SMatrix::Identity(&id), 1e-5f);
  EXPECT_NEAR(inv.m[0][0], 13.0f / 9.0f, 1e-6f);  // (6*3 - 1*5) / 9

  // A projective matrix (last column not 0, 0, 0, 1) inverts as well.
  SMatrix persp;
  SMatrix::PerspectiveFovRH(&persp, 1.5707964f, 2.0f, 1.0f, 3.0f);
  ASSERT_NE(SMatrix::Inverse(&inv, &det, &persp), nullptr);
  SMatrix::Multiply(&p, &inv, &persp);
  ExpectMatrixNear(p, id, 1e-6f);

  SMatrix singular = Rows({1, 2, 3, 4, 2, 4, 6, 8, 0, 0, 1, 0, 0, 0, 0, 1});
  SMatrix keep = id;
  EXPECT_EQ(SMatrix::Inverse(&keep, &det, &singular), nullptr);
  EXPECT_EQ(det, 0.0f);
  ExpectMatrixEq(keep, id);
}

TEST(SMath, PerspectiveAndOrthographicRightHanded) {
  SMatrix p;
  // tan(fov/2) = 240/512 as the virtual screen uses it: y scale 512/240.
  SMatrix::PerspectiveFovRH(&p, 2.0f * std::atan2(240.0f, 512.0f), 4.0f / 3.0f, 8.0f, 4096.0f);
  EXPECT_NEAR(p.m[1][1], 512.0f / 240.0f, 2e-6f);
  EXPECT_EQ(p.m[0][0], p.m[1][1] / (4.0f / 3.0f));
  EXPECT_EQ(p.m[2][2], 4096.0f / (8.0f - 4096.0f));
  EXPECT_EQ(p.m[3][2], 8.0f * 4096.0f / (8.0f - 4096.0f));
  EXPECT_EQ(p.m[2][3], -1.0f);
  EXPECT_EQ(p.m[3][3], 0.0f);
  EXPECT_EQ(p.m[0][1], 0.0f);
  // Near plane maps to depth 0, far plane to 1 (right-handed: z negative ahead).
  EXPECT_NEAR(Apply(p, {0, 0, -8}).z, 0.0f, 1e-6f);
  EXPECT_NEAR(Apply(p, {0, 0, -4096}).z, 1.0f, 1e-6f);
  // 90 degrees, aspect 2, near 1, far 3: exact values.
  SMatrix::PerspectiveFovRH(&p, 1.5707964f, 2.0f, 1.0f, 3.0f);
  ExpectMatrixEq(p, Rows({0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1.5f, -1, 0, 0, -1.5f, 0}));

  SMatrix o;
  SMatrix::OrthoRH(&o, 640, 480, 1, 65536);
  const float zs = 1.0f / (1.0f - 65536.0f);
  const std::tuple<int, int, float> cells[] = {{0, 0, 2.0f / 640.0f}, {1, 1, 2.0f / 480.0f}, {2, 2, zs}, {3, 2, zs}, {3, 3, 1}};
  for (auto [r, c, want] : cells) EXPECT_EQ(o.m[r][c], want) << r << "," << c;
  ExpectNear3(Apply(o, {320, -240, -1}), 1.0f, -1.0f, 0.0f, 0.0f);
}

TEST(SMath, LookAtLeftHanded) {
  SMatrix v;
  SVec3 eye{0, 0, -7}, at{0, 0, 0}, up{0, 1, 0};
  SMatrix::LookAtLH(&v, &eye, &at, &up);
  ExpectMatrixEq(v, Rows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 7, 1}));
  // Eye at (5, 0, 0) looking at the origin: the eye's +z is world -x.
  eye = {5, 0, 0};
  SMatrix::LookAtLH(&v, &eye, &at, &up);
  ExpectMatrixEq(v, Rows({0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 5, 1}));
  EXPECT_EQ(Apply(v, {0, 0, 0}).z, 5.0f);
}

TEST(SMath, TranslationScalingRotationsAndQuaternion) {
  SMatrix t;
  SMatrix::Translation(&t, 1, 2, 3);
  ExpectMatrixEq(t, Rows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1}));
  SMatrix::Scaling(&t, 2, 3, 4);
  ExpectMatrixEq(t, Rows({2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1}));

  SMatrix z;
  SMatrix::RotationZ(&z, 0.5f);
  EXPECT_EQ(z.m[0][1], std::sin(0.5f));
  EXPECT_EQ(z.m[1][0], -std::sin(0.5f));

  // Half-turn quaternion about y: x -> -x, z -> -z.
  SQuat q{0, 1, 0, 0};
  SMatrix r;
  SMatrix::RotationQuaternion(&r, &q);
  ExpectMatrixEq(r, Rows({-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1}));
  // Quarter turn about z (sqrt(1/2) components): (1,0,0) -> (0,1,0).
  const float h = std::sqrt(0.5f);
  q = {0, 0, h, h};
  SMatrix::RotationQuaternion(&r, &q);
  EXPECT_EQ(r.m[0][1], 2.0f * (h * h));
  EXPECT_EQ(r.m[0][0], 1.0f - 2.0f * (h * h));
  EXPECT_EQ(r.m[1][0], -(2.0f * (h * h)));
  ExpectNear3(Apply(r, {1, 0, 0}), 0.0f, 1.0f, 0.0f);
}

TEST(SMath, VectorNormaliseAndTransform) {
  SVec3 v{3, 0, 4}, n;
  SVec3Normalize(&n, &v);
  EXPECT_EQ(n.x, 0.6f);  // 3 / 5, correctly rounded division
  EXPECT_EQ(n.z, 0.8f);
  SVec3 zero{0, 0, 0};
  SVec3Normalize(&n, &zero);
  ExpectNear3(n, 0.0f, 0.0f, 0.0f, 0.0f);
  v = {0, 0, 2};
  SVec3Normalize(&v, &v);
  EXPECT_EQ(v.z, 1.0f);

  // Homogeneous divide: w = 2 halves every component.
  SMatrix m = Rows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 4, 6, 8, 2});
  ExpectNear3(Apply(m, {2, 2, 2}), 3.0f, 4.0f, 5.0f, 0.0f);
  SVec4 o4;
  SVec3 in{2, 2, 2};
  SVec3Transform(&o4, &in, &m);
  EXPECT_EQ(o4.w, 2.0f);
  EXPECT_EQ(o4.x, 6.0f);
}

TEST(SMath, EngineRotationsInTurnsAndQuadBezier) {
  SMatrix id, r;
  SMatrix::Identity(&id);
  RotateZ(&r, &id, 0.25f);
  ExpectNear3(Apply(r, {1, 0, 0}), 0.0f, 1.0f, 0.0f);
  EXPECT_EQ(r.m[0][0], std::cos(0.25f * 6.2831855f));
  EXPECT_EQ(r.m[0][1], std::sin(0.25f * 6.2831855f));

  RotateX(&r, &id, 0.25f);
  ExpectNear3(Apply(r, {0, 1, 0}), 0.0f, 0.0f, 1.0f);
  RotateY(&r, &id, 0.25f);
  ExpectNear3(Apply(r, {1, 0, 0}), 0.0f, 0.0f, -1.0f);
  EXPECT_EQ(r.m[2][0], std::sin(0.25f * 6.2831855f));

  // out = R x in: rotating a translation leaves the translation row alone,
  // and in place works.
  SMatrix t;
  SMatrix::Translation(&t, 5, 6, 7);
  RotateZ(&t, &t, 0.5f);
  EXPECT_EQ(t.m[3][0], 5.0f);
  EXPECT_EQ(t.m[3][2], 7.0f);
  EXPECT_NEAR(t.m[0][0], -1.0f, 1e-6f);

  const struct { float a, b, c, t, want; } bez[] = {
      {0, 1, 0, 0.5f, 0.5f}, {3, 9, 7, 0, 3}, {3, 9, 7, 1, 7}, {1, 2, 3, 0.25f, 0.5625f * 1 + 0.375f * 2 + 0.0625f * 3}};
  for (const auto& b : bez) EXPECT_EQ(QuadBezier(b.a, b.b, b.c, b.t), b.want) << b.t;
}

}  // namespace
