#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <utility>

#include "vrax/resource/SImageSlot.h"
#include "vrax/graphic/SGpRect.h"
#include "vrax/graphic/SGpSpriteBatch.h"

namespace {

// Two images that are never loaded: the batch only tells them apart.
SRsc_Image_Ex ImageA, ImageB;
SImageSlot ImgA, ImgB;
const SGpRect kPartA(&ImgA, 0, 64.0f, 64.0f, 0.0f, 0.0f, 16.0f, 8.0f);
const SGpRect kPartA1(&ImgA, 1, 64.0f, 64.0f, 16.0f, 0.0f, 16.0f, 8.0f);
const SGpRect kPartB(&ImgB, 0, 64.0f, 64.0f, 0.0f, 0.0f, 16.0f, 8.0f);

// Releases every request of a batch at the end of a test.
struct Batch : ::testing::Test {
  void SetUp() override {
    ImgA = &ImageA;
    ImgB = &ImageB;
  }
  void TearDown() override {
    while (!b.GetList()->Empty()) delete static_cast<SGpSpriteCell*>(b.GetList()->HeadObj());
  }
  SGpSpriteCell* Add(const SGpRect* part, float x, float y) {
    SGpSpriteCell* c = b.AddBack();
    c->part = part;
    c->ownPos[0] = x;
    c->ownPos[1] = y;
    return c;
  }
  SGpSpriteBatch b;
};

TEST_F(Batch, OneQuadPerRequestAroundThePivot) {
  SGpSpriteCell* c = Add(&kPartA, 100.0f, 50.0f);
  c->ownPos[2] = 7.0f;
  c->colour[1] = 0.0f;
  b.Build();
  ASSERT_EQ(b.GetEntryCount(), 1);
  const SGpObj_PrimQuadFill* p = b.GetEntry(0).prim;
  EXPECT_EQ(p->GetActiveCount(), 1);
  EXPECT_EQ(p->GetPrimCapacity(), 32);
  // Pivot (8, 4): corners at (92, 46), (108, 46), (92, 54), (108, 54).
  const float xs[4] = {92, 108, 92, 108}, ys[4] = {46, 46, 54, 54};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(p->GetVertexPos(i).x, xs[i]);
    EXPECT_EQ(p->GetVertexPos(i).y, ys[i]);
    EXPECT_EQ(p->GetVertexPos(i).z, 7.0f);
    EXPECT_EQ(p->GetVertexColour(i), 0xFFFF00FFu);
  }
  EXPECT_EQ(std::make_pair(p->GetVertexUV(3).x, p->GetVertexUV(3).y), std::make_pair(kPartA.uBR, kPartA.vBR));

  // Scale and a redirected position pointer.
  float pos[3] = {0, 0, 0};
  c->position = pos;
  c->scaleX = 2.0f, c->scaleY = 0.5f;
  b.Build();
  EXPECT_EQ(p->GetVertexPos(0).x, -16.0f);
  EXPECT_EQ(p->GetVertexPos(3).y, 2.0f);
}

TEST_F(Batch, RotationTurnsTheQuadAboutThePosition) {
  SGpSpriteCell* c = Add(&kPartA, 10.0f, 20.0f);
  c->angle = 0.25f;
  b.Build();
  const SGpObj_PrimQuadFill* p = b.GetEntry(0).prim;
  // Offsets (-8, -4) and (8, 4) turned a quarter: (4, -8) and (-4, 8)
  // (within sine rounding).
  for (auto [i, x, y] : {std::tuple{0, 14.0f, 12.0f}, {3, 6.0f, 28.0f}}) {
    EXPECT_NEAR(p->GetVertexPos(i).x, x, 1e-5f) << i;
    EXPECT_NEAR(p->GetVertexPos(i).y, y, 1e-5f) << i;
  }
}

TEST_F(Batch, GrowsByDoublingAndKeepsTheQuadsWritten) {
  for (int i = 0; i < 33; ++i) Add(&kPartA, float(i), 0.0f);
  b.Build();
  ASSERT_EQ(b.GetEntryCount(), 1);
  const SGpObj_PrimQuadFill* p = b.GetEntry(0).prim;
  EXPECT_EQ(p->GetPrimCapacity(), 64);
  EXPECT_EQ(p->GetActiveCount(), 33);
  for (int i = 0; i < 33; ++i) EXPECT_EQ(p->GetVertexPos(4 * i).x, float(i) - 8.0f) << i;
  b.Build();  // the next frame reuses the grown primitive
  EXPECT_EQ(p->GetPrimCapacity(), 64);
  EXPECT_EQ(p->GetActiveCount(), 33);
}

TEST_F(Batch, OneEntryPerTextureInFirstSeenOrder) {
  for (int i = 0; i < 6; ++i) Add(i % 2 ? &kPartB : &kPartA, float(i), 0.0f);
  Add(&kPartA1, 0, 0);
  b.AddBack();  // no part: skipped
  b.Build();
  ASSERT_EQ(b.GetEntryCount(), 3);
  EXPECT_EQ(b.GetEntry(0).image, ImgA);
  EXPECT_EQ(b.GetEntry(0).texture, 0u);
  EXPECT_EQ(b.GetEntry(1).image, ImgB);
  EXPECT_EQ(b.GetEntry(2).texture, 1u);
  for (int e : {0, 1, 2}) EXPECT_EQ(b.GetEntry(e).prim->GetActiveCount(), e < 2 ? 3 : 1) << e;
  // Order within a texture follows the list: A quads at x 0, 2, 4.
  EXPECT_EQ(b.GetEntry(0).prim->GetVertexPos(8).x, 4.0f - 8.0f);
  // Requests added at the front come first.
  SGpSpriteCell* front = b.AddFront();
  front->part = &kPartB;
  b.Build();
  EXPECT_EQ(b.GetEntry(1).prim->GetVertexPos(0).x, -8.0f);
  EXPECT_EQ(b.GetEntry(1).prim->GetActiveCount(), 4);

  b.Clear();
  EXPECT_EQ(b.GetEntryCount(), 0);
}

TEST_F(Batch, FullPoolAndLargestPrimitive) {
  SGpSpriteCellPool* pool = GetSpriteCellPool();
  ASSERT_EQ(pool->Capacity(), 1024);  // the engine's global pool
  const int freeBefore = pool->GetFree();
  std::vector<SGpSpriteCell*> held;
  while (SGpSpriteCell* c = b.AddBack()) held.push_back(c);
  EXPECT_EQ(int(held.size()), freeBefore);
  EXPECT_EQ(b.AddFront(), nullptr);
  EXPECT_EQ(b.GetList()->Count(), freeBefore);
  for (SGpSpriteCell* c : held) delete c;
  EXPECT_EQ(pool->GetFree(), freeBefore);
  EXPECT_TRUE(b.GetList()->Empty());
}

}  // namespace
