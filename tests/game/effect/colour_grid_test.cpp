// Painting into the colour grid and the brushes that paint it.
#include <gtest/gtest.h>

#include "game/effect/BrushListPacket.h"
#include "game/effect/ColourGridPacket.h"

namespace {

constexpr float kRed[4] = {1, 0, 0, 1};
constexpr float kBlue[4] = {0, 0, 1, 0};

TEST(ColourGrid, PaintBlendsTowardsTheGradientInsideTheRadius) {
  ColourGridPacket grid;
  grid.Build(40.0f, 40.0f, 4, 4, nullptr);  // vertices 10 apart, (2, 2) at the centre
  grid.Paint(0.0f, 0.0f, 0.0f, kRed, kBlue, 1.0f);  // radius 0: nothing
  EXPECT_EQ(grid.ColourAt(2, 2)[0], 0.0f);
  grid.Paint(0.0f, 0.0f, 20.0f, kRed, kBlue, 1.0f);
  EXPECT_EQ(grid.ColourAt(2, 2)[0], 1.0f);  // the centre takes colour 1 exactly
  // (3, 2): d^2 = 100, q = 1/4, k = 3/4; target red 0.75, blue 0.25.
  EXPECT_FLOAT_EQ(grid.ColourAt(3, 2)[0], 0.5625f);
  EXPECT_FLOAT_EQ(grid.ColourAt(3, 2)[2], 0.1875f);
  EXPECT_EQ(grid.ColourAt(4, 2)[0], 0.0f);  // on the rim: k = 0
  EXPECT_EQ(grid.ColourAt(0, 0)[0], 0.0f);  // outside
}

TEST(ColourGrid, AlphaBoundsAndDegenerateSizes) {
  ColourGridPacket grid;
  const float dim[4] = {0, 0, 0, 0.5f};
  grid.Build(20.0f, 20.0f, 2, 2, dim);
  grid.SetAlphaMin(0.85f);
  grid.Paint(0.0f, 0.0f, 30.0f, kBlue, kBlue, 1.0f);  // pulls alpha towards 0
  // Below the minimum before: may not fall further, not lifted either.
  EXPECT_EQ(grid.ColourAt(1, 1)[3], 0.5f);
  ColourGridPacket thin;
  thin.Build(10.0f, 10.0f, 0, 0, nullptr);  // 0 columns or rows become 1
  EXPECT_EQ(thin.Columns(), 1);
  EXPECT_EQ(thin.Rows(), 1);
  thin.Paint(0.0f, 0.0f, 8.0f, kRed, kRed, 1.0f);
}

TEST(ColourGrid, BrushPaintsLifePlusOneTimesThenEnds) {
  ColourGridPacket grid;
  grid.Build(40.0f, 40.0f, 4, 4, nullptr);
  BrushListPacket brushes;
  const float v0[2] = {1.0f, 0.0f}, v1[2] = {1.0f, 0.0f};
  Brush* b = brushes.Add(&grid, 0, 0, 5, 5, kRed, kRed, kRed, kRed, 0.1f, 0.1f, v0, v1, 2, 3);
  ASSERT_NE(b, nullptr);
  brushes.Update();
  brushes.Update();
  EXPECT_EQ(brushes.Count(), 1);
  EXPECT_EQ(b->x, 2.0f);
  brushes.Update();
  EXPECT_EQ(brushes.Count(), 0);
  // Life 0 paints once and ends (no 0/0).
  brushes.Add(&grid, 0, 0, 5, 5, kRed, kRed, kRed, kRed, 1, 1, v0, v1, 0, 1);
  brushes.Update();
  EXPECT_EQ(brushes.Count(), 0);
  // Its one paint uses the start values (t = 0): on a fresh grid it moves to
  // x = 1, and vertex (2, 2) at d^2 = 1 gets k = (1 - 1/25) x 1 = 0.96 of red.
  ColourGridPacket fresh;
  fresh.Build(40.0f, 40.0f, 4, 4, nullptr);
  brushes.Add(&fresh, 0, 0, 5, 9, kRed, kRed, kBlue, kBlue, 1, 0, v0, v1, 0, 1);
  brushes.Update();
  EXPECT_FLOAT_EQ(fresh.ColourAt(2, 2)[0], 0.96f);
  EXPECT_FLOAT_EQ(fresh.ColourAt(2, 2)[2], 0.0f);
  for (int i = 0; i < 256; ++i) ASSERT_NE(brushes.Add(&grid, 0, 0, 1, 1, kRed, kRed, kRed, kRed, 0, 0, v0, v1, 9, 0), nullptr);
  EXPECT_EQ(brushes.Add(&grid, 0, 0, 1, 1, kRed, kRed, kRed, kRed, 0, 0, v0, v1, 9, 0), nullptr);
}

}  // namespace
