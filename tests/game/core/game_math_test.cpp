#include "game/core/GameMath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

SVec3 Apply(const SVec3& v, const SMatrix& m) {
  SVec3 out;
  SVec3TransformCoord(&out, &v, &m);
  return out;
}

void ExpectVec(const SVec3& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-5);
  EXPECT_NEAR(v.y, y, 1e-5);
  EXPECT_NEAR(v.z, z, 1e-5);
}

TEST(GameMath, RotationOrders) {
  SMatrix id, m;
  SMatrix::Identity(&id);
  MakeRotationXYZ(&m, &id, 0.25f, 0, 0);
  ExpectVec(Apply({0, 1, 0}, m), 0, 0, 1);
  MakeRotationTurns16(&m, &id, 16384, 0, 16384);
  ExpectVec(Apply({1, 0, 0}, m), 0, 0, 1);
  MakeRotationTurns16(&m, &id, 0, 16384, 0);
  ExpectVec(Apply({1, 0, 0}, m), 0, 0, -1);
  // In place.
  SMatrix::Identity(&m);
  MakeRotationTurns16(&m, &m, 0, 16384, 0);
  ExpectVec(Apply({1, 0, 0}, m), 0, 0, -1);
}

TEST(GameMath, QuaternionsAndSlerp) {
  SQuat q;
  QuatFromEuler(&q, 0.7f, 0.0f, 0.0f);
  SMatrix a, b;
  MatrixFromQuat(&a, &q);
  SMatrix::RotationQuaternion(&b, &q);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(a[i][j], b[i][j], 1e-6);
  const SQuat neg{-q.x, -q.y, -q.z, -q.w};
  SQuat r;
  for (float t : {0.0f, 0.3f, 1.0f}) {
    MatrixBuildB(&r, &q, &neg, t);
    EXPECT_NEAR(r.w, q.w, 1e-5);
    EXPECT_NEAR(r.y, q.y, 1e-5);
  }
  MatrixBuildB(&r, &q, &q, 0.4f);
  EXPECT_FLOAT_EQ(r.y, q.y * 0.6f + q.y * 0.4f);
  const SQuat id{0, 0, 0, 1};
  SQuat half;
  QuatFromEuler(&half, 1.0f, 0, 0);
  MatrixBuildB(&r, &id, &half, 0.5f);
  SQuat quarter;
  QuatFromEuler(&quarter, 0.5f, 0, 0);
  EXPECT_NEAR(r.y, quarter.y, 1e-5);
}

TEST(GameMath, PerspectiveAndLookAt) {
  SMatrix m;
  SMatrix::Identity(&m);
  m[0][1] = 42.0f;
  EXPECT_EQ(MatrixPerspective(&m, 1.0f, 1.0f, 5.0f, 5.0f), nullptr);
  EXPECT_EQ(m[0][1], 42.0f);
  EXPECT_EQ(MatrixPerspective(&m, 0.0f, 1.0f, 1.0f, 100.0f), nullptr);
  ASSERT_NE(MatrixPerspective(&m, 1.0f, 2.0f, 1.0f, 101.0f), nullptr);
  const float ys = std::cos(0.5f) / std::sin(0.5f);
  EXPECT_FLOAT_EQ(m[1][1], ys);
  EXPECT_FLOAT_EQ(m[0][0], ys / 2.0f);
  EXPECT_FLOAT_EQ(m[2][2], -1.01f);
  EXPECT_EQ(m[2][3], -1.0f);
  EXPECT_EQ(m[3][3], 0.0f);

  const SVec3 eye{0, 0, 10}, at{0, 0, 0}, up{0, 1, 0};
  MatrixFromTransform(&m, &eye, &at, &up);
  ExpectVec(Apply({0, 0, 0}, m), 0, 0, -10);
  ExpectVec(Apply({1, 2, 0}, m), 1, 2, -10);
  // Eye at the target: no division by zero, finite rows.
  MatrixFromTransform(&m, &at, &at, &up);
  EXPECT_TRUE(std::isfinite(m[0][0]));
}

}  // namespace
