#include "game/core/Easing.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Easing, CurvesAtChosenPoints) {
  EXPECT_NEAR(Interpolate(3, 10.0f, 20.0f, 0.5f), 10.0f + 10.0f * (1.0f - std::cos(kPi / 4)), 1e-4);
  EXPECT_NEAR(Interpolate(3, 10.0f, 20.0f, 0.5f), 12.93f, 0.01f);
  EXPECT_NEAR(Interpolate(1, 10.0f, 20.0f, 0.5f), 17.07f, 0.01f);
  EXPECT_EQ(Interpolate(4, 10.0f, 20.0f, 0.5f), Interpolate(1, 10.0f, 20.0f, 0.5f));
  EXPECT_NEAR(Interpolate(2, 0.0f, 1.0f, 1.0f), 1.0f, 1e-6);
  EXPECT_NEAR(Interpolate(5, 0.0f, 8.0f, 0.5f), 4.0f, 1e-5);
  EXPECT_NEAR(Interpolate(6, 0.0f, 8.0f, 0.25f), Interpolate(5, 0.0f, 8.0f, 0.25f), 1e-5);
  for (int type : {7, 8}) {
    EXPECT_NEAR(Interpolate(type, 3.0f, 9.0f, 0.0f), 3.0f, 1e-5) << type;
    EXPECT_NEAR(Interpolate(type, 3.0f, 9.0f, 0.5f), 9.0f, 1e-5) << type;
    EXPECT_NEAR(Interpolate(type, 3.0f, 9.0f, 1.0f), 3.0f, 1e-5) << type;
  }
  EXPECT_NEAR(Interpolate(9, 3.0f, 9.0f, 0.5f), 9.0f, 1e-5);
  EXPECT_NEAR(Interpolate(9, 3.0f, 9.0f, 1.0f), 3.0f, 1e-5);
  // Slow start of the way back.
  EXPECT_GT(Interpolate(9, 3.0f, 9.0f, 0.6f), 8.5f);
  for (float from : {0.0f, -50.0f}) {
    EXPECT_NEAR(Interpolate(10, from, 100.0f, 0.0f), 0.0f, 1e-6);
    EXPECT_NEAR(Interpolate(10, from, 100.0f, 0.5f), 0.5f, 1e-6);
    EXPECT_NEAR(Interpolate(10, from, 100.0f, 1.0f), 1.0f, 1e-6);
  }
  for (int type : {0, 11, -1}) EXPECT_EQ(Interpolate(type, 2.0f, 4.0f, 0.25f), 2.5f) << type;
  // Not clamped.
  EXPECT_EQ(Interpolate(0, 0.0f, 10.0f, 1.5f), 15.0f);
}

TEST(Easing, SplineSegments) {
  EXPECT_NEAR(EvalCatmullRom(0.5f, 0.0f, 1.0f, 2.0f, 3.0f), 1.5f, 1e-6);
  EXPECT_NEAR(EvalBSpline(0.3f, 7.0f, 7.0f, 7.0f, 7.0f), 7.0f, 1e-4);
  // Catmull-Rom and cardinal pass through p1 and p2; tension 0 is Catmull-Rom.
  EXPECT_FLOAT_EQ(EvalCatmullRom(0.0f, 4.0f, -2.0f, 5.0f, 1.0f), -2.0f);
  EXPECT_FLOAT_EQ(EvalCatmullRom(1.0f, 4.0f, -2.0f, 5.0f, 1.0f), 5.0f);
  EXPECT_FLOAT_EQ(EvalCardinal(1.0f, 0.4f, 4.0f, -2.0f, 5.0f, 1.0f), 5.0f);
  EXPECT_NEAR(EvalCardinal(0.37f, 0.0f, 4.0f, -2.0f, 5.0f, 1.0f),
              EvalCatmullRom(0.37f, 4.0f, -2.0f, 5.0f, 1.0f), 1e-5);
  // Tension 1: no tangents, the plain Hermite blend of p1 and p2.
  EXPECT_NEAR(EvalCardinal(0.5f, 1.0f, 100.0f, 0.0f, 10.0f, -100.0f), 5.0f, 1e-6);
  // The B-spline does not pass through its control points.
  EXPECT_NEAR(EvalBSpline(0.0f, 0.0f, 6.0f, 0.0f, 0.0f), 4.0f, 1e-4);
}

TEST(Easing, VectorFormsAndSegmentKinds) {
  const float p0[4] = {0, 0, 0, 99}, p1[4] = {1, 10, -1, 99}, p2[4] = {2, 20, -2, 99},
              p3[4] = {3, 30, -3, 99};
  float out[4] = {0, 0, 0, 42};
  EvalSplineSegment(out, 1, 0.5f, 0.0f, p0, p1, p2, p3);
  EXPECT_NEAR(out[0], 1.5f, 1e-6);
  EXPECT_NEAR(out[1], 15.0f, 1e-5);
  EXPECT_NEAR(out[2], -1.5f, 1e-6);
  EXPECT_EQ(out[3], 42.0f);
  EvalSplineSegment(out, 2, 0.5f, 0.0f, p0, p1, p2, p3);
  EXPECT_NEAR(out[0], 1.5f, 1e-4);
  EvalSplineSegment(out, 0, 0.0f, 0.5f, p0, p1, p2, p3);
  EXPECT_EQ(out[1], 10.0f);
  float keep[3] = {7, 8, 9};
  EvalSplineSegment(keep, 3, 0.5f, 0.0f, p0, p1, p2, p3);
  EXPECT_EQ(keep[0], 7.0f);
  EXPECT_EQ(keep[2], 9.0f);
}

}  // namespace
