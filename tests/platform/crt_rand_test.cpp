#include "platform/crt_rand.h"

#include <gtest/gtest.h>

#include <vector>

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

// A skip moves the state as that many draws would. The generator's period is
// 2^32 (odd increment, multiplier one more than a multiple of 4): 2^32 - 1
// draws take it one draw back, and 2^31 draws twice bring it home.
TEST(CrtRand, SkipMovesTheStateAsThatManyDraws) {
  const struct {
    uint32_t seed;
    std::vector<uint32_t> skips;
    uint32_t state;  // after the skips
  } cases[] = {
      {7, {0}, 7},
      {1, {1}, 2745024},  // 1 x 214013 + 2531011
      {2745024, {0xFFFFFFFFu}, 1},
      {12345, {0x80000000u, 0x80000000u}, 12345},
  };
  for (const auto& c : cases) {
    plat::SRand(c.seed);
    for (uint32_t n : c.skips) plat::RandSkip(n);
    EXPECT_EQ(plat::RandSeed(), c.state) << c.seed;
  }
  // From seed 0 the values run 38, 7719, 21238, 2437, 8855: skipping k
  // draws leaves the (k + 1)-th next.
  const int expected[] = {38, 7719, 21238, 2437, 8855};
  for (uint32_t k = 0; k < 5; ++k) {
    plat::SRand(0);
    plat::RandSkip(k);
    EXPECT_EQ(plat::Rand(), expected[k]) << k;
  }
}
