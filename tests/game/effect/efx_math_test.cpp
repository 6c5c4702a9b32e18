// The shared effect helpers: the random floats at both ends of rand, the
// basis table, the rotation about x in turns and the colour comparison.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/effect/EfxMath.h"
#include "game/effect/RandF.h"
#include "platform/crt_rand.h"

namespace {

// Seeds the generator so that its next draw is v.
void SeedForDraw(int v) {
  plat::SRand(1);
  for (int n = 0; n < 10000000; ++n) {
    const uint32_t s = plat::RandSeed();
    if (plat::Rand() == v) {
      plat::SRand(s);
      return;
    }
  }
  FAIL() << "no draw of " << v;
}

TEST(EfxMath, RandomFloatsReachBothEnds) {
  SeedForDraw(32767);
  EXPECT_EQ(RandF(), 1.0f);
  SeedForDraw(0);
  EXPECT_EQ(RandF(), 0.0f);
  SeedForDraw(32767);
  EXPECT_EQ(RandFS(), 0.5f);
  SeedForDraw(0);
  EXPECT_EQ(RandFS(), -0.5f);
  // One draw per call: from seed 0 the draws are 38 and 7719.
  plat::SRand(0);
  EXPECT_FLOAT_EQ(RandF(), 38.0f / 32767.0f);
  EXPECT_FLOAT_EQ(RandFS(), 7719.0f / 32767.0f - 0.5f);
}

TEST(EfxMath, BasisTableAndRotationAboutX) {
  const float rows[8][4][4] = {
      {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}},
      {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}},
      {{0, 0, -1, 0}, {0, 1, 0, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}},
      {{1, 0, 0, 0}, {0, 0, -1, 0}, {0, 1, 0, 0}, {0, 0, 0, 1}},
      {{1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}, {0, 0, 0, 1}},
      {{0, 0, 1, 0}, {0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 0, 1}},
      {{1, 0, 0, 0}, {0, 0, 1, 0}, {0, -1, 0, 0}, {0, 0, 0, 1}},
      {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}},
  };
  for (int n = 0; n < 8; ++n) {
    SMatrix m;
    EXPECT_EQ(GetSharedMatrix(&m, n), &m);
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) EXPECT_EQ(m.m[r][c], rows[n][r][c]) << n << " " << r << c;
  }
  // A quarter turn: R[1][2] = 1, R[2][1] = -1, applied before M (R x M).
  SMatrix m = kIdentityMatrix;
  m.m[3][0] = 5.0f, m.m[3][1] = 3.0f;  // M's translation stays (M x R would turn y onto z)
  m.m[0][0] = 2.0f;  // M scales x by 2: R x M keeps row 0 at (2, 0, 0)
  MatrixRotateX(&m, 0.25f);
  EXPECT_NEAR(m.m[1][2], 1.0f, 1e-6f);
  EXPECT_NEAR(m.m[2][1], -1.0f, 1e-6f);
  EXPECT_NEAR(m.m[1][1], 0.0f, 1e-6f);
  EXPECT_EQ(m.m[0][0], 2.0f);
  EXPECT_EQ(m.m[3][0], 5.0f);
  EXPECT_EQ(m.m[3][1], 3.0f);
  EXPECT_EQ(m.m[3][2], 0.0f);
  // The sign table of the eight-way index.
  EXPECT_EQ(std::vector<int32_t>(DirSignTable, DirSignTable + 8),
            (std::vector<int32_t>{-1, -1, -1, 1, 1, 1, 0, 0}));
}

TEST(EfxMath, ColoursDifferWhenAnyComponentDiffers) {
  const float a[4] = {1, 1, 1, 1}, b[4] = {1, 1, 1, 0}, n[4] = {1, 1, 1, NAN};
  EXPECT_FALSE(Vec4Differs(a, a));
  EXPECT_TRUE(Vec4Differs(a, b));
  EXPECT_TRUE(Vec4Differs(n, n));
}

}  // namespace
