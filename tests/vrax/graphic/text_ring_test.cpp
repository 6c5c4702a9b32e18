#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <utility>

#include "vrax/resource/SImageSlot.h"
#include "vrax/graphic/SGpRing.h"
#include "vrax/graphic/SGpText.h"

namespace {

SImageSlot ImgFont;
// A 256x128 font sheet of 16x16 cells (16 columns) starting at code 32.
const SGpRect kSheet(&ImgFont, 0, 256.0f, 128.0f, 0.0f, 0.0f, 256.0f, 128.0f);
const SGpRectGrid kFont{&kSheet, 16.0f, 16.0f, 32};

struct Text : ::testing::Test {
  void SetUp() override {
    ASSERT_EQ(t.Init(&kFont, 16), 0);
    t.spacing[0] = 2.0f;
    t.spacing[1] = 4.0f;
  }
  SVec3 Corner(int quad, int corner) { return t.quads.GetVertexPos(quad * 4 + corner); }
  // Each {quad, corner, x, y}.
  void ExpectCorners(std::initializer_list<std::array<float, 4>> want) {
    for (const auto& w : want) {
      const SVec3 c = Corner(int(w[0]), int(w[1]));
      EXPECT_EQ(std::make_pair(c.x, c.y), std::make_pair(w[2], w[3])) << "quad " << w[0] << " corner " << w[1];
    }
  }
  SGpText t;
};

TEST_F(Text, GlyphsAdvanceBySpacingAndLineFeedsReturnToTheOrigin) {
  EXPECT_EQ(t.quads.GetActiveCount(), 0);
  t.PutString("AB\nC");
  ASSERT_EQ(t.quads.GetActiveCount(), 3);
  // Corners: top-left, top-right, bottom-left, bottom-right.
  ExpectCorners({{0, 0, 0, 0}, {1, 0, 18, 0}, {2, 0, 0, 20}, {1, 1, 34, 0}, {1, 2, 18, 16}, {1, 3, 34, 16}});
  // 'A' = code 65 = cell 33: row 2, column 1 of the sheet.
  EXPECT_EQ(t.quads.GetVertexUV(0).x, 16.0f / 256.0f * (255.0f / 256.0f));
  EXPECT_EQ(t.quads.GetVertexUV(0).y, 32.0f / 128.0f * (127.0f / 128.0f));
  EXPECT_EQ(t.quads.GetVertexColour(0), 0xFFFFFFFFu);
  EXPECT_EQ(std::make_pair(t.pen[0], t.pen[1]), std::make_pair(18.0f, 20.0f));
}

TEST_F(Text, SpacesAndLowCharactersOnlyAdvance) {
  t.PutString("A B\x1f" "C\xC8" "D");
  ASSERT_EQ(t.quads.GetActiveCount(), 4);
  EXPECT_EQ(Corner(1, 0).x, 36.0f);  // after A and a space
  EXPECT_EQ(Corner(2, 0).x, 72.0f);  // 0x1F skipped
  EXPECT_EQ(Corner(3, 0).x, 108.0f);  // 0xC8 counts as below the first index
}

TEST_F(Text, ScaleOriginAndCapacity) {
  t.scale[0] = 2.0f, t.scale[1] = 0.5f;
  t.origin[0] = 100.0f, t.origin[1] = 50.0f, t.origin[2] = 3.0f;
  t.Clear();
  t.PutString("AB\nA");
  EXPECT_EQ(Corner(0, 0).z, 3.0f);
  // The second line starts at 50 + 8 + 4.
  ExpectCorners({{0, 0, 100, 50}, {0, 3, 132, 58}, {1, 0, 134, 50}, {2, 0, 100, 62}});

  // Past the capacity: glyphs dropped, pen still advances.
  SGpText small;
  ASSERT_EQ(small.Init(&kFont, 2), 0);
  small.PutString("ABCD");
  EXPECT_EQ(small.quads.GetActiveCount(), 2);
  EXPECT_EQ(small.pen[0], 64.0f);
}

TEST_F(Text, RecolouringAndFormatting) {
  t.colour[0] = 0.0f;  // cyan text
  t.PutString("AB");
  EXPECT_EQ(t.quads.GetVertexColour(7), 0xFF00FFFFu);
  t.SetVertexColourRGBA(1.0f, 0.0f, 0.0f, 1.0f);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(t.quads.GetVertexColour(i), 0xFFFF0000u);
  t.PutString("C");  // new glyphs take the object's colour again
  EXPECT_EQ(t.quads.GetVertexColour(8), 0xFF00FFFFu);
  const float green[4] = {0, 1, 0, 1};
  t.SetVertexColour(green);
  EXPECT_EQ(t.quads.GetVertexColour(11), 0xFF00FF00u);

  t.Printf("%d", 42);
  EXPECT_EQ(t.quads.GetActiveCount(), 2);
  t.PrintfAppend("%s", "x");
  t.PrintfAppend("%c", 'y');
  EXPECT_EQ(t.quads.GetActiveCount(), 4);
  EXPECT_EQ(Corner(3, 0).x, 54.0f);
  t.pen[0] = 500.0f;
  t.Clear();
  EXPECT_EQ(t.pen[0], 0.0f);
  EXPECT_EQ(t.quads.GetActiveCount(), 0);

  // A formatted text is cut at 615 characters.
  SGpText big;
  ASSERT_EQ(big.Init(&kFont, 700), 0);
  big.Printf("%s", std::string(1000, 'A').c_str());
  EXPECT_EQ(big.quads.GetActiveCount(), 615);
}

TEST(SGpRing, SegmentsVerticesAndClosingPair) {
  const float in[4] = {1, 0, 0, 1}, out[4] = {0, 0, 1, 0.5f};
  SGpObj_Prim p;
  ASSERT_EQ(BuildRing(&p, 10, 20, 1, 2, in, out, 0), 0);
  EXPECT_EQ(p.GetVertexCapacity(), 8);
  EXPECT_EQ(p.GetIndices().size(), 18u);  // a strip of 8: 6 triangles
  ASSERT_EQ(BuildRing(&p, 10, 20, 1, 2, in, out, 4), 0);
  EXPECT_EQ(p.GetVertexCapacity(), 26);
  EXPECT_EQ(p.GetActiveCount(), 1);
  for (int i : {0, 1}) EXPECT_EQ(p.GetVertexPos(24 + i).x, p.GetVertexPos(i).x) << i;
  EXPECT_EQ(p.GetVertexPos(0).x, 10.0f);
  EXPECT_EQ(p.GetVertexPos(1).x, 20.0f);
  EXPECT_EQ(p.GetVertexPos(1).z, 2.0f);
  EXPECT_EQ(p.GetVertexColour(0), 0xFFFF0000u);
  EXPECT_EQ(p.GetVertexColour(1), 0x800000FFu);
  // Clockwise in a y-up frame: the second segment is at -1/12 turn.
  const float a = -1.0f / 12.0f * 6.2831855f;
  EXPECT_EQ(p.GetVertexPos(2).x, 10.0f * std::cos(a));
  EXPECT_EQ(p.GetVertexPos(3).y, 20.0f * std::sin(a));
  EXPECT_LT(p.GetVertexPos(3).y, 0.0f);
  // Strip triangles over consecutive vertices.
  EXPECT_EQ(p.GetIndices()[3], 1);
  EXPECT_EQ(p.GetIndices()[5], 3);
}

// k of 0 or less gives 3 segments; 10922 gives 32766 segments, 65534
// vertices; any larger k would pass the 65,536 vertices that 16-bit indices
// address and builds nothing.
TEST(SGpRing, SegmentCountsAndTheLargestRing) {
  const float w[4] = {1, 1, 1, 1};
  const SGpUV uv[4] = {};
  struct Case {
    int k, result, vertices;
  } cases[] = {{0, 0, 8}, {-2, 0, 8}, {1, 0, 8}, {10922, 0, 65534}, {10923, -1, 0}, {0x7FFFFFFF, -1, 0}};
  for (const Case& c : cases) {
    SGpObj_Prim a, b;
    EXPECT_EQ(BuildRing(&a, 1, 2, 0, 0, w, w, c.k), c.result) << c.k;
    EXPECT_EQ(a.GetVertexCapacity(), c.vertices) << c.k;
    EXPECT_EQ(BuildRingTextured(&b, 1, 2, 0, 0, w, w, uv, c.k), c.result) << c.k;
  }
}

TEST(SGpRing, TexturedRunsAlongTheImageAndMonoColoursAll) {
  const float w[4] = {1, 1, 1, 1};
  const SGpUV uv[4] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 0.5f}, {1.0f, 0.5f}};
  SGpObj_Prim p;
  ASSERT_EQ(BuildRingTextured(&p, 10, 20, 0, 0, w, w, uv, 0), 0);  // 3 segments
  EXPECT_EQ(p.GetVertexUV(0).x, 0.0f);
  EXPECT_EQ(p.GetVertexUV(2).x, 1.0f / 3.0f);
  EXPECT_EQ(p.GetVertexUV(1).y, 0.5f);
  for (int i : {6, 7}) EXPECT_EQ(p.GetVertexUV(i).x, 1.0f) << i;  // closing pair at the end coordinates
  // Outer radius smaller: right to left.
  ASSERT_EQ(BuildRingTextured(&p, 20, 10, 0, 0, w, w, uv, 0), 0);
  EXPECT_EQ(p.GetVertexUV(0).x, 1.0f);
  EXPECT_EQ(p.GetVertexUV(6).x, 0.0f);

  SGpObj_PrimFill f;
  const float red[4] = {1, 0, 0, 1};
  ASSERT_EQ(BuildRingMono(&f, 5, 6, 0, 0, red, 1), 0);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(f.GetVertexColour(i), 0xFFFF0000u) << i;
}

}  // namespace
