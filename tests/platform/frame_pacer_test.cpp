#include "platform/frame_pacer.h"

#include <gtest/gtest.h>

#include "platform/clock.h"

namespace {

TEST(FramePacer, PresentsAreNeverCloserThanOnePeriod) {
  plat::FramePacer pacer;
  // 1/59.878 s on a nanosecond clock: more than 16700625 ns.
  EXPECT_EQ(pacer.PeriodTicks(), 16700625);
  EXPECT_TRUE(pacer.Due());  // nothing presented yet: no wait
  int64_t before = plat::PerfCounter();
  pacer.Wait();
  EXPECT_LT(plat::PerfCounter() - before, pacer.PeriodTicks());

  pacer.MarkPresent();
  int64_t prev = pacer.LastPresent();
  for (int i = 0; i < 4; ++i) {
    EXPECT_FALSE(pacer.Due());
    pacer.Wait();
    int64_t now = plat::PerfCounter();
    EXPECT_GT(now - prev, pacer.PeriodTicks());
    pacer.MarkPresentAt(now);
    prev = now;
  }
}

TEST(FramePacer, LateFrameDoesNotWait) {
  plat::FramePacer pacer(1.0);
  pacer.MarkPresentAt(plat::PerfCounter() - 2000000000);  // 2 s ago
  EXPECT_TRUE(pacer.Due());
  int64_t before = plat::PerfCounter();
  pacer.Wait();
  EXPECT_LT(plat::PerfCounter() - before, 500000000);
}

}  // namespace
