#include "game/core/PhaseTimer.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(PhaseTimer, NewTimerIsAtStart) {
  PhaseTimer t;
  EXPECT_EQ(t.GetPhase(), 0);
  EXPECT_EQ(t.GetCount(), 0);
  EXPECT_EQ(t.GetRatio(), 0.0f);
  EXPECT_EQ(t.IsAtStart(), 1.0f);
  EXPECT_EQ(t.IsDone(), 0.0f);
}

TEST(PhaseTimer, WithinIncludesItsEndAndKeepsTheRatioAfterIt) {
  PhaseTimer t;
  t.SetCount(15);
  EXPECT_TRUE(t.Within(30));
  EXPECT_EQ(t.GetRatio(), 0.5f);
  for (int i = 0; i < 15; ++i) t.Tick();
  EXPECT_TRUE(t.Within(30));
  EXPECT_EQ(t.GetRatio(), 1.0f);
  EXPECT_EQ(t.IsDone(), 1.0f);
  t.Tick();
  EXPECT_FALSE(t.Within(30));
  EXPECT_EQ(t.GetRatio(), 1.0f);
  // A negative count inside the window gives a negative ratio.
  t.SetCount(-3);
  EXPECT_TRUE(t.Within(6));
  EXPECT_EQ(t.GetRatio(), -0.5f);
  EXPECT_EQ(t.IsAtStart(), 0.0f);
}

TEST(PhaseTimer, WindowBothBoundsInclusive) {
  PhaseTimer t;
  t.SetRatio(0.25f);
  t.SetCount(5);
  EXPECT_FALSE(t.Window(10, 20));
  EXPECT_EQ(t.GetRatio(), 0.25f);
  t.SetCount(10);
  EXPECT_TRUE(t.Window(10, 20));
  EXPECT_EQ(t.GetRatio(), 0.0f);
  EXPECT_EQ(t.IsAtStart(), 1.0f);
  t.SetCount(20);
  EXPECT_TRUE(t.Window(10, 20));
  EXPECT_EQ(t.GetRatio(), 1.0f);
  t.SetCount(21);
  EXPECT_FALSE(t.Window(10, 20));
}

TEST(PhaseTimer, ZeroLengthWindowsGiveTheirEndValue) {
  PhaseTimer t;
  EXPECT_TRUE(t.Within(0));
  EXPECT_EQ(t.GetRatio(), 1.0f);
  EXPECT_EQ(t.IsDone(), 1.0f);
  t.SetRatio(0.0f);
  t.SetCount(12);
  EXPECT_TRUE(t.Window(12, 12));
  EXPECT_EQ(t.GetRatio(), 1.0f);
  EXPECT_FALSE(t.Within(0));
}

TEST(PhaseTimer, AWindowAsWideAsTheCountGoesDoesNotOverflow) {
  // count 0 in [-2^31, 2^31 - 1]: 2^31 / (2^32 - 1), 0.5 in single precision.
  PhaseTimer t;
  EXPECT_TRUE(t.Window(INT32_MIN, INT32_MAX));
  EXPECT_EQ(t.GetRatio(), 0.5f);
}

}  // namespace
