#include "platform/crt_rand.h"

#include <gtest/gtest.h>

TEST(CrtRand, SequenceFromSeedZeroMatchesTheClassicGenerator) {
  plat::SRand(0);
  const int expected[] = {38, 7719, 21238, 2437, 8855};
  for (int e : expected) EXPECT_EQ(plat::Rand(), e);
}

TEST(CrtRand, ReseedingRepeatsTheSequenceAndWrapsIn32Bits) {
  plat::SRand(0xFFFFFFFFu);
  int a = plat::Rand(), b = plat::Rand();
  plat::SRand(0xFFFFFFFFu);
  EXPECT_EQ(plat::Rand(), a);
  EXPECT_EQ(plat::Rand(), b);
  // (0xFFFFFFFF * 214013 + 2531011) mod 2^32 = 2316998
  EXPECT_EQ(a, (2316998u >> 16) & 0x7FFF);
  for (int i = 0; i < 1000; ++i) {
    int r = plat::Rand();
    EXPECT_GE(r, 0);
    EXPECT_LE(r, plat::kRandMax);
  }
}
