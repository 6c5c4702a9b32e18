#include "platform/frame_pacer.h"

#include <gtest/gtest.h>

#include "platform/clock.h"

namespace {

TEST(FramePacer, PresentsAreNeverCloserThanOnePeriod) {
  // A lower bound only, so load cannot break it: each time is taken before
  // the present is marked.
  plat::FramePacer pacer;
  int64_t prev = plat::PerfCounter();
  pacer.MarkPresent();
  for (int i = 0; i < 4; ++i) {
    pacer.Wait();
    const int64_t now = plat::PerfCounter();
    // More than one period of 0.0167006254 s, less the part of a 256-ns
    // tick the counter drops.
    EXPECT_GT(now - prev, 16700625 - 256);
    prev = plat::PerfCounter();
    pacer.MarkPresent();
  }
}

// A counter of the test's own: each reading returns the time and moves it
// on by a step.
int64_t g_now = 0, g_step = 0, g_reads = 0;
int64_t FakeCounter() {
  const int64_t t = g_now;
  g_now += g_step;
  ++g_reads;
  return t;
}

TEST(FramePacer, LateFrameDoesNotWait) {
  plat::FramePacer pacer(&FakeCounter);
  g_now = 0, g_step = int64_t(1) << 30, g_reads = 0;
  pacer.MarkPresent();
  EXPECT_TRUE(pacer.Due());  // 2^22 ticks on: far beyond one period
  pacer.Wait();
  EXPECT_EQ(g_reads, 3);  // the present, Due, and one reading in Wait
}

// One period is (10^9 >> 8) x 0.0167006254 = 65236.816 ticks of 256 ns (in
// floats): 65236 ticks on is not yet due, 65237 is. The hold spins on
// the counter, reading it again at once, and ends with the first reading
// that is due.
TEST(FramePacer, TheHoldEndsAtTheFirstReadingMoreThanOnePeriodOfTicksOn) {
  struct Case {
    int64_t last, step, endsAt;
  } cases[] = {
      // The present at 255 (tick 0); readings 255 + 64k. The first with
      // reading >> 8 >= 65237 (reading >= 16700672): k = 260945, 16700735.
      // (More than 16700625 ns on the bare counter would be 16700927.)
      {255, 64, 16700735},
      // The present at tick 0xFFFFFFFD; readings a tick apart, the 32-bit
      // ticks wrapping after three: due 65237 ticks on.
      {int64_t(0xFFFFFFFD) * 256, 256, int64_t(0xFFFFFFFD) * 256 + int64_t(65237) * 256},
      // The present at 0; a reading every nanosecond: tick 65237 is first
      // reached at 65237 x 256 (16.7 million readings: a hold that slept
      // between readings would never end).
      {0, 1, int64_t(65237) * 256},
  };
  for (const Case& c : cases) {
    plat::FramePacer pacer(&FakeCounter);
    g_now = c.last, g_step = c.step;
    pacer.MarkPresent();
    EXPECT_EQ(pacer.LastPresent(), uint32_t(c.last >> 8));
    pacer.Wait();
    EXPECT_EQ(g_now - c.step, c.endsAt) << c.last << " " << c.step;
  }
  // A tick count in frame periods.
  EXPECT_FALSE(plat::FramePacer::TicksToFrames(65236) > 1.0f);
  EXPECT_TRUE(plat::FramePacer::TicksToFrames(65237) > 1.0f);
}

}  // namespace
