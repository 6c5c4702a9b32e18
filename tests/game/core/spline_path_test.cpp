#include <gtest/gtest.h>

#include "game/core/Easing.h"
#include "game/core/MotionPath.h"
#include "game/core/SplineMover.h"

namespace {

const float kZeroTangent[3] = {0, 0, 0};

TEST(SplineMover, TwoKeysRunTenFramesThenEndAndClear) {
  SplineMover m;
  const float a[4] = {0, 0, 0, 1}, b[4] = {10, 0, 0, 1};
  m.AddKey(a, kZeroTangent, 10.0f, -1.0f);
  m.AddKey(b, kZeroTangent, 10.0f, -1.0f);
  float out[3];
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(m.Advance(out, 1.0f)) << i;
    const float u = i / 10.0f;
    EXPECT_NEAR(out[0], 10.0f * (3 * u * u - 2 * u * u * u), 1e-4) << i;
  }
  EXPECT_FALSE(m.Advance(out, 1.0f));
  EXPECT_FLOAT_EQ(out[0], 10.0f);
  EXPECT_EQ(m.KeyCount(), 0);
  EXPECT_EQ(m.current, nullptr);
}

TEST(SplineMover, SegmentsShareTheirPointAndLoopCountsLaps) {
  SplineMover m;
  const float k0[4] = {0, 0, 0, 1}, k1[4] = {10, 0, 0, 1}, k2[4] = {10, 10, 0, 1};
  m.AddKey(k0, kZeroTangent, 10.0f, -1.0f);
  m.AddKey(k1, kZeroTangent, 10.0f, -1.0f);
  m.AddKey(k2, kZeroTangent, 10.0f, -1.0f);
  float out[3];
  for (int i = 0; i < 10; ++i) m.Advance(out, 1.0f);
  EXPECT_TRUE(m.Advance(out, 1.0f));  // the eleventh: the second key
  EXPECT_FLOAT_EQ(out[0], 10.0f);
  EXPECT_FLOAT_EQ(out[1], 0.0f);
  EXPECT_TRUE(m.Advance(out, 1.0f));  // u = 0.1 of the second segment
  EXPECT_NEAR(out[1], 10.0f * (3 * 0.01f - 2 * 0.001f), 1e-4);
  m.loop = 1;
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(m.Advance(out, 1.0f));
  EXPECT_GE(m.laps, 4u);
}

TEST(SplineMover, TangentLengthSharedPointsAndFullPool) {
  SplineMover m;
  const float p[4] = {0, 0, 0, 1};
  const float t[3] = {3, 4, 0};
  m.AddKey(p, t, 5.0f, 10.0f);
  m.AddKey(p, t, 5.0f, -1.0f);
  EXPECT_FLOAT_EQ(m.current->tangent[0], 6.0f);
  EXPECT_FLOAT_EQ(m.current->tangent[1], 8.0f);
  EXPECT_FLOAT_EQ(m.next->tangent[0], 3.0f);
  for (int i = 0; i < 20; ++i) m.AddKey(p, t, 5.0f, -1.0f);
  EXPECT_EQ(m.KeyCount(), 16);  // the pool of 16 keys
  m.Clear();
  float moving[4] = {1, 2, 3, 1};
  m.AddKeyShared(moving, kZeroTangent, 4.0f, -1.0f);
  m.AddKey(p, kZeroTangent, 4.0f, -1.0f);
  moving[0] = 50.0f;
  float out[3];
  m.Advance(out, 1.0f);
  EXPECT_FLOAT_EQ(out[0], 50.0f);
}

TEST(SplineMover, FewerThanTwoKeysOrZeroFramesStopAtTheEnd) {
  SplineMover m;
  float out[3] = {-1, -1, -1};
  EXPECT_FALSE(m.Advance(out, 1.0f));
  EXPECT_EQ(out[0], -1.0f);
  const float only[4] = {7, 8, 9, 1};
  m.AddKey(only, kZeroTangent, 10.0f, -1.0f);
  EXPECT_FALSE(m.Advance(out, 1.0f));
  EXPECT_EQ(out[0], 7.0f);
  EXPECT_EQ(out[2], 9.0f);

  const float a[4] = {0, 0, 0, 1}, b[4] = {4, 0, 0, 1};
  m.AddKey(a, kZeroTangent, 0.0f, -1.0f);
  m.AddKey(b, kZeroTangent, 0.0f, -1.0f);
  EXPECT_FALSE(m.Advance(out, 0.0f));
  EXPECT_EQ(out[0], 4.0f);
}

MotionPath Line(int n) {
  MotionPath p;
  for (int i = 0; i < n; ++i) p.AddKey(SVec4{10.0f * i, 0, 0, 1});
  return p;
}

TEST(MotionPath, EndsMirrorTheOuterKeys) {
  MotionPath p = Line(3);
  ASSERT_TRUE(p.SetEnds(nullptr, nullptr));
  EXPECT_FLOAT_EQ(p.start.x, -10.0f);
  EXPECT_FLOAT_EQ(p.end.x, 30.0f);
  const SVec4 s{1, 2, 3, 4};
  p.SetEnds(&s, nullptr);
  EXPECT_FLOAT_EQ(p.start.y, 2.0f);
  MotionPath one = Line(1);
  one.end = SVec4{5, 5, 5, 5};
  EXPECT_FALSE(one.SetEnds(nullptr, nullptr));
  EXPECT_EQ(one.start.w, 1.0f);
  EXPECT_EQ(one.end.x, 5.0f);
  p.Reset();
  EXPECT_EQ(p.KeyCount(), 0);
  EXPECT_EQ(p.end.x, 0.0f);
}

TEST(MotionPath, EvaluateUsesTheEndPointForTheLastTwoSegments) {
  MotionPath p = Line(4);
  p.kind = 1;
  p.SetEnds(nullptr, nullptr);
  float out[3];
  ASSERT_TRUE(p.Evaluate(out, 1, 0.5f));
  const float mid = out[0];
  p.end = SVec4{1000, 0, 0, 1};  // key 3 is (30, 0, 0)
  p.Evaluate(out, 1, 0.5f);
  EXPECT_NE(out[0], mid);
  // Weights at 0.5: -0.0625, 0.5625, 0.5625, -0.0625.
  EXPECT_FLOAT_EQ(out[0], 0.5625f * 10 + 0.5625f * 20 - 0.0625f * 1000);
  out[0] = -7;
  EXPECT_FALSE(p.Evaluate(out, 3, 0.0f));
  EXPECT_FALSE(p.Evaluate(out, -1, 0.0f));
  EXPECT_EQ(out[0], -7.0f);
}

TEST(MotionPath, AdvanceByArcLengthAndStopAtTheEnd) {
  MotionPath p = Line(4);
  p.kind = 1;
  p.SetEnds(nullptr, nullptr);
  int32_t seg = -1;
  float t = -1;
  ASSERT_TRUE(p.Advance(&seg, &t, 0, 0.0f, 5.0f));
  EXPECT_EQ(seg, 0);
  EXPECT_NEAR(t, 0.5f, 0.01f);
  // Across a segment boundary.
  ASSERT_TRUE(p.Advance(&seg, &t, 0, 0.5f, 10.0f));
  EXPECT_EQ(seg, 1);
  float at[3];
  p.Evaluate(at, seg, t);
  EXPECT_NEAR(at[0], 15.0f, 0.01f);
  // Past the last segment: the end of the path, reported as the end.
  EXPECT_FALSE(p.Advance(&seg, &t, 2, 0.5f, 500.0f));
  EXPECT_EQ(seg, 2);
  EXPECT_EQ(t, 1.0f);
  EXPECT_FALSE(p.Advance(&seg, &t, 7, 0.0f, 1.0f));
  EXPECT_EQ(seg, 2);
  EXPECT_EQ(p.FindDistance(0, 0.0f, 0.0f, 1.0f, 0.001f, &t), -1.0f);
  // Equal keys: no length to walk, the path simply ends.
  MotionPath still;
  for (int i = 0; i < 3; ++i) still.AddKey(SVec4{4, 4, 4, 1});
  still.SetEnds(nullptr, nullptr);
  EXPECT_FALSE(still.Advance(&seg, &t, 0, 0.0f, 1.0f));
  EXPECT_EQ(seg, 1);
  EXPECT_EQ(t, 1.0f);
}

}  // namespace
