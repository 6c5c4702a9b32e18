#include <gtest/gtest.h>

#include <cmath>

#include "game/core/AxisMotion.h"
#include "game/core/MotionParam.h"
#include "game/core/ValueAnimator.h"
#include "game/player/Player.h"

namespace {

MotionParam::Block Block(float duration, uint32_t flags, float aBase, float aFrom, float aTo,
                         float sBase, float sFrom, float sTo) {
  return MotionParam::Block{duration, flags, aBase, aFrom, aTo, sBase, sFrom, sTo, 0.0f, 0.0f, 0.0f};
}

TEST(MotionParam, PhaseEndsAfterItsDurationWithBasesOfTheLastFrame) {
  MotionParam m;
  float pos[3] = {0, 0, 0};
  // Linear speed curve 0 -> 3 over 30 frames, constant heading offset 0.25.
  const auto b = Block(30.0f, 0x1, 0.0f, 0.25f, 0.9f, 1.0f, 0.0f, 3.0f);
  m.Setup(&b);
  for (int i = 0; i < 30; ++i) EXPECT_TRUE(m.Update(pos, 1.0f)) << i;
  EXPECT_FALSE(m.Update(pos, 1.0f));
  // The 31st frame: u = 30/30: speed 1 + 3, heading 0 + 0.25 (flags 0 for
  // the angle: the constant "from").
  EXPECT_FLOAT_EQ(m.speedBase, 4.0f);
  EXPECT_FLOAT_EQ(m.angleBase, 0.25f);
  EXPECT_EQ(m.elapsed, 0.0f);
  // -1000 keeps what the previous phase left.
  const auto keep = Block(5.0f, 0, kMotionKeep, 0, 0, kMotionKeep, 0, 0);
  m.Setup(&keep);
  EXPECT_FLOAT_EQ(m.speedBase, 4.0f);
  EXPECT_FLOAT_EQ(m.angleBase, 0.25f);
}

TEST(MotionParam, CurveSelectorsAndAim) {
  EXPECT_FLOAT_EQ(MotionCurve(0x2, 0.0f, 10.0f, 0.5f), 5.0f);
  EXPECT_NEAR(MotionCurve(0x4, 0.0f, 10.0f, 1.0f), 10.0f, 1e-5);
  EXPECT_NEAR(MotionCurve(0x8, 0.0f, 10.0f, 1.0f), 10.0f, 1e-5);
  EXPECT_EQ(MotionCurve(0xF, 3.0f, 10.0f, 0.5f), 0.0f);
  EXPECT_EQ(MotionCurve(0x3, 3.0f, 10.0f, 0.5f), 3.0f);
  PlayerPos = SVec4{0.0f, 100.0f, 0.0f, 0.0f};
  MotionParam m;
  float pos[3] = {0, 0, 0};
  m.position = pos;
  const auto b = Block(10.0f, 0x10000, 0.1f, 0, 0, 1.0f, 0, 0);
  m.Setup(&b);
  EXPECT_NEAR(m.angleBase, 0.35f, 1e-6);  // straight down (0.25 turn) + offset
  PlayerPos = SVec4{0, 0, 0, 0};
}

TEST(MotionParam, ZeroDurationRunsAtTheEndValues) {
  MotionParam m;
  float pos[3] = {0, 0, 0};
  const auto b = Block(0.0f, 0x1, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 4.0f);
  m.Setup(&b);
  EXPECT_FALSE(m.Update(pos, 1.0f));
  EXPECT_FLOAT_EQ(pos[0], 4.0f);
  EXPECT_TRUE(std::isfinite(m.speedBase));
}

TEST(AxisMotion, AbsoluteRelativeKeepAndIdle) {
  AxisMotion a;
  a.Init();
  const AxisMotion::Block bad{0, 0x300 | AxisMotion::kAbsolute, 4, 0.0f, 1.0f};
  EXPECT_FALSE(a.SetAxis(&bad));
  const AxisMotion::Block bx{0, 0x100 | AxisMotion::kAbsolute, 4, 0.0f, 8.0f};
  const AxisMotion::Block by{0, 0x200 | AxisMotion::kRelative | AxisMotion::kKeep, 2, 0.0f, 1.0f};
  ASSERT_TRUE(a.SetAxis(&bx));
  ASSERT_TRUE(a.SetAxis(&by));
  EXPECT_EQ(a.mode[0], AxisMotion::kAbsolute);
  float x = 100, y = 0, h = 0;
  const float owner[3] = {0, 0, 0};
  const float wantX[] = {0, 2, 4, 6, 8};
  const float wantY[] = {0, 0.5f, 1.5f, 2.5f, 3.5f};
  for (int i = 0; i < 5; ++i) {
    a.Step(&x, &y, &h, owner, 1.0f);
    EXPECT_FLOAT_EQ(x, wantX[i]) << i;
    EXPECT_FLOAT_EQ(y, wantY[i]) << i;
  }
  EXPECT_EQ(a.mode[0], AxisMotion::kIdle);
  EXPECT_NE(a.mode[1], AxisMotion::kIdle);  // kept, holding u at 1
  a.Step(&x, &y, &h, owner, 1.0f);
  EXPECT_FLOAT_EQ(x, 8.0f);
  EXPECT_FLOAT_EQ(y, 4.5f);
  EXPECT_EQ(h, 0.0f);
}

TEST(AxisMotion, ZeroDurationSitsAtTheEnd) {
  AxisMotion a;
  a.Init();
  const AxisMotion::Block b{0, 0x400 | AxisMotion::kAbsolute, 0, 1.0f, 3.0f};
  a.SetAxis(&b);
  float h = 0;
  a.Step(nullptr, nullptr, &h, nullptr, 1.0f);
  EXPECT_EQ(h, 3.0f);
  EXPECT_EQ(a.mode[2], AxisMotion::kIdle);
}

TEST(ValueAnimator, WrapStopAndSaveRestore) {
  ValueAnimator v;
  v.limit = 1.0f;
  v.speed = 0.3f;
  v.wrap = 1;
  const float want[] = {0.3f, 0.6f, 0.9f, 0.2f};
  for (float w : want) {
    v.Advance(1.0f);
    EXPECT_NEAR(v.value, w, 1e-6);
  }
  EXPECT_EQ(v.count, 1u);

  ValueAnimator s;
  s.limit = 1.0f;
  s.speed = 0.3f;
  for (int i = 0; i < 3; ++i) s.Advance(1.0f);
  for (int i = 0; i < 3; ++i) {
    s.Advance(1.0f);
    EXPECT_NEAR(s.value, 0.7f, 1e-6);
    EXPECT_EQ(s.count, 1u);
  }

  ValueAnimator down;
  down.value = 1.0f;
  down.limit = 0.0f;
  down.speed = -0.4f;
  down.Advance(1.0f);
  down.Advance(1.0f);
  down.Advance(1.0f);
  EXPECT_NEAR(down.value, -0.4f, 1e-6);  // limit + speed

  s.PushState();
  s.start = 5.0f;
  s.speed = 9.0f;
  s.PushState();  // one deep: ignored
  s.PopState();
  EXPECT_EQ(s.start, 0.0f);
  EXPECT_EQ(s.speed, 0.3f);
  EXPECT_EQ(s.value, 0.0f);
  s.PopState();  // nothing saved
  EXPECT_EQ(s.depth, 0u);
}

TEST(ValueAnimator, ZeroWrapLimitStartsOver) {
  ValueAnimator v;
  v.start = 2.0f;
  v.value = -1.0f;
  v.speed = 0.5f;
  v.wrap = 1;
  v.Advance(4.0f);
  EXPECT_EQ(v.value, 2.0f);
  EXPECT_EQ(v.count, 1u);
}

}  // namespace
