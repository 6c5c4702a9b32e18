// Primitives and the sprite batch on the null device: which states a draw
// sets, what reaches the device buffers, how many draw calls are made.
#include <gtest/gtest.h>

#include <cstring>

#include "vrax/resource/SImageSlot.h"
#include "gp_support.h"
#include "support/image_files.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SGpRect.h"
#include "vrax/graphic/SGpSpriteBatch.h"
#include "vrax/graphic/SGpVtxList.h"
#include "vrax/resource/SRsc_Image.h"

namespace {

struct Draw : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(gpu.ok);
    gpu.dev()->BeginScene();
  }
  void TearDown() override { gpu.dev()->EndScene(); }
  uint64_t Draws() const { return gpu.dev()->GetStats().draws; }
  uint64_t Triangles() const { return gpu.dev()->GetStats().triangles; }
  NullDeviceScope gpu;
};

TEST_F(Draw, NothingActiveSetsNoStateAndDrawsNothing) {
  SGpObj_PrimQuad q;
  ASSERT_EQ(q.AllocPrims(2), 0);
  ASSERT_NE(q.GetVertexBuffer(), nullptr);
  q.SetActiveCount(0);
  gpu.dev()->SetRenderState(plat::kRsLighting, 1);
  q.Execute();
  EXPECT_EQ(Draws(), 0u);
  EXPECT_EQ(gpu.rs(plat::kRsLighting), 1u);
}

TEST_F(Draw, PrimitiveListsLiveInTheHoldersUntilGivenBack) {
  const int vertexLists = GetVtxList().Count(), indexLists = GetVtxListB().Count();
  {
    SGpObj_PrimQuad q;
    ASSERT_EQ(q.AllocPrims(2), 0);
    ASSERT_EQ(q.AllocPrims(8), 0);  // larger: new lists, the old ones given back
    EXPECT_TRUE(GetVtxList().Count() == vertexLists + 1 && GetVtxListB().Count() == indexLists + 1);
  }
  EXPECT_TRUE(GetVtxList().Count() == vertexLists && GetVtxListB().Count() == indexLists);
  // A holder that ends releases what it still holds.
  plat::VertexBuffer* kept = nullptr;
  {
    SGpVtxList holder(1);
    kept = holder.Create(gpu.dev(), 64, plat::kFvfPosColour);
    ASSERT_NE(kept, nullptr);
    kept->AddRef();
  }
  EXPECT_EQ(kept->Release(), 0u);
}

TEST_F(Draw, UploadsOnceAndDrawsTheActiveTriangles) {
  SGpObj_PrimQuad q;
  ASSERT_EQ(q.AllocPrims(3), 0);
  q.Seek(0, 0);
  for (int i = 0; i < 12; ++i) {
    q.SetPos(float(i), 1, 2);
    q.SetColour(1, 0, 0, 1);
    q.Next();
  }
  q.SetActiveCount(2);
  SGpMan::SetBlendMode(0, 0.5f);
  q.Execute();
  EXPECT_EQ(Draws(), 1u);
  EXPECT_EQ(Triangles(), 4u);
  EXPECT_FALSE(q.IsDirty());
  EXPECT_EQ(gpu.tss(0, plat::kTssColourOp), uint32_t(plat::kTopModulate));
  EXPECT_EQ(gpu.tss(0, plat::kTssAlphaOp), uint32_t(plat::kTopDisable));
  EXPECT_EQ(gpu.rs(plat::kRsLighting), 0u);
  EXPECT_EQ(gpu.rs(plat::kRsCullMode), uint32_t(plat::kCullNone));
  EXPECT_EQ(gpu.dev()->GetVertexShader(), uint32_t(plat::kFvfPosColourTex));
  // The device copy holds the vertices and the quad indices.
  SGpVertex v;
  std::memcpy(&v, q.GetVertexBuffer()->Data() + 7 * 24, sizeof v);
  EXPECT_EQ(v.x, 7.0f);
  EXPECT_EQ(v.colour, 0xFFFF0000u);
  uint16_t ix[6];
  std::memcpy(ix, q.GetIndexBuffer()->Data() + 12, sizeof ix);
  EXPECT_EQ(ix[0], 4);
  EXPECT_EQ(ix[5], 7);

  // An active count beyond the allocation draws only what exists.
  q.SetActiveCount(50);
  SGpMan::SetBlendMode(1, 0.5f);
  q.Execute();
  EXPECT_EQ(Triangles(), 4u + 6u);
  EXPECT_EQ(gpu.tss(0, plat::kTssAlphaOp), uint32_t(plat::kTopModulate));
}

TEST_F(Draw, FormatsSetTheirOwnOperationsAndLighting) {
  struct Case {
    uint32_t fvf;
    uint32_t op;
    uint32_t lighting;
  } cases[] = {{plat::kFvfPosColour, plat::kTopSelectArg1, 0},
               {plat::kFvfPosColourTex, plat::kTopModulate, 0},
               {plat::kFvfPosNormalColour, plat::kTopSelectArg1, 1},
               {plat::kFvfPosNormalColourTex, plat::kTopModulate, 1}};
  SGpMan::SetBlendMode(2, 0.5f);
  for (const Case& c : cases) {
    SGpObj_Prim p(c.fvf);
    ASSERT_EQ(p.AllocVertices(8), 0);
    for (int i = 0; i < 5; ++i) p.Next();
    p.EndStrip();
    p.Execute();
    EXPECT_EQ(gpu.tss(0, plat::kTssColourOp), c.op) << c.fvf;
    EXPECT_EQ(gpu.tss(0, plat::kTssAlphaOp), c.op) << c.fvf;
    EXPECT_EQ(gpu.rs(plat::kRsLighting), c.lighting) << c.fvf;
    EXPECT_EQ(gpu.dev()->GetVertexShader(), c.fvf);
    EXPECT_EQ(p.GetVertexBuffer()->Size(), 8 * plat::VertexStride(c.fvf));
  }
  EXPECT_EQ(Triangles(), 12u);  // 3 triangles of a 5-vertex strip, 4 times
}

// A primitive draws only through both device buffers of the device in use:
// allocated before there was a device, or on a device that has ended, it
// sets no state and draws nothing until it is allocated again.
TEST_F(Draw, WithoutBuffersOfTheDeviceInUseNothingIsDrawn) {
  SGpDeviceRecord rec;
  rec.holdRate = 0;
  SGpMan::ReleaseDevice();
  SGpObj_PrimQuad before;
  ASSERT_EQ(before.AllocPrims(1), 0);
  EXPECT_EQ(before.GetVertexBuffer(), nullptr);
  ASSERT_EQ(SGpMan::CreateDevice(&rec), 0);
  SGpObj_PrimQuad earlier;
  ASSERT_EQ(earlier.AllocPrims(1), 0);
  ASSERT_NE(earlier.GetVertexBuffer(), nullptr);
  SGpMan::ReleaseDevice();
  ASSERT_EQ(SGpMan::CreateDevice(&rec), 0);  // a new device: earlier's buffers are of the old one
  gpu.dev()->BeginScene();
  for (SGpObj_PrimQuad* q : {&before, &earlier}) {
    gpu.dev()->SetRenderState(plat::kRsLighting, 1);
    q->Execute();
    EXPECT_EQ(Draws(), 0u);
    EXPECT_EQ(gpu.rs(plat::kRsLighting), 1u);  // no state set either
  }
  EXPECT_EQ(before.GetVertexBuffer(), nullptr);
  // Allocated again on the device in use, both draw.
  for (SGpObj_PrimQuad* q : {&before, &earlier}) {
    ASSERT_EQ(q->AllocPrims(1), 0);
    q->Execute();
  }
  EXPECT_EQ(Draws(), 2u);
}

// Image slots and a part of texture 0 and 3 on them.
SImageSlot ImgOne;
SImageSlot ImgTwo;
const SGpRect kOne(&ImgOne, 0, 32.0f, 32.0f, 0.0f, 0.0f, 8.0f, 8.0f);
const SGpRect kTwo(&ImgTwo, 3, 32.0f, 32.0f, 8.0f, 0.0f, 8.0f, 8.0f);

// An image of `count` textures made on the device, whose list names
// `listed` pictures (more: the pictures past the textures failed).
struct TexturedImage : SRsc_Image {
  explicit TexturedImage(int count, int listed = -1) : textures(size_t(count)) {
    for (plat::Texture*& t : textures)
      SGpMan::GetDevice()->CreateTextureFromImage(testsupport::MakeImage(1, 1, [](int, int) { return ~0u; }), &t);
    for (int i = 0; i < (listed < 0 ? count : listed); ++i) packets_.emplace_back(this, uint32_t(i));
  }
  ~TexturedImage() override {
    for (plat::Texture* t : textures) SGpMan::ForgetTexture(t), t->Release();
  }
  plat::Texture* GetDeviceTexture(int32_t n) const override {
    return n < int32_t(textures.size()) ? textures[size_t(n)] : nullptr;
  }
  std::vector<plat::Texture*> textures;
};

// Then with ImgTwo's picture of kTwo missing (its image of three textures
// of four listed): its entry draws nothing, kOne's still draws; with an
// image whose list names three, kTwo's number is past it: its entry binds
// nothing and is drawn with the texture bound before it, kOne's.
TEST_F(Draw, BatchDrawsOncePerTexture) {
  TexturedImage one(1), two(4), short3(3, 4), three(3);
  ImgOne = &one;
  ImgTwo = &two;
  SGpSpriteBatch batch;
  std::vector<SGpSpriteCell*> cells;
  for (int i = 0; i < 33; ++i) {
    cells.push_back(batch.AddBack());
    cells.back()->part = &kOne;
  }
  batch.Execute();
  EXPECT_EQ(Draws(), 1u);
  EXPECT_EQ(Triangles(), 66u);
  for (int i = 0; i < 4; ++i) {
    cells.push_back(batch.AddBack());
    cells.back()->part = i % 2 ? &kOne : &kTwo;
  }
  batch.Execute();
  EXPECT_EQ(Draws(), 3u);
  // The texture of the last entry drawn was bound last.
  EXPECT_EQ(SGpMan::GetTextureOwner(), ImgTwo);
  EXPECT_EQ(SGpMan::GetTextureIndex(), 3);
  ImgTwo = &short3;
  batch.Execute();
  EXPECT_EQ(Draws(), 4u);
  EXPECT_EQ(Triangles(), 66u + 74u + 70u);  // kOne's 35 quads again, not kTwo's 2
  // ImgTwo's slot empty: kTwo's entry draws nothing with the texture 3 of
  // the image bound before it.
  ImgOne = &two;
  ImgTwo = nullptr;
  batch.Execute();
  ImgOne = &one;
  EXPECT_EQ(Draws(), 5u);
  EXPECT_EQ(Triangles(), 66u + 74u + 70u + 70u);
  ImgTwo = &three;
  batch.Execute();
  EXPECT_EQ(Draws(), 7u);
  EXPECT_EQ(Triangles(), 66u + 74u + 70u + 70u + 74u);
  EXPECT_EQ(gpu.dev()->GetTexture(0), one.textures[0]);
  for (SGpSpriteCell* c : cells) delete c;
  batch.Execute();  // no requests: no draw
  EXPECT_EQ(Draws(), 7u);
  ImgOne = nullptr;
  ImgTwo = nullptr;
}

// The current image going away is current no more: a material's texture
// asked of the current image afterwards reads nothing of it.
TEST_F(Draw, AnImageGoneIsNoLongerCurrent) {
  {
    TexturedImage gone(2);
    SGpMan::SetTexture(&gone, 1);
    EXPECT_EQ(SGpMan::GetTextureOwner(), &gone);
  }
  EXPECT_EQ(SGpMan::GetTextureOwner(), nullptr);
  SGpMan::SetTexture(nullptr, 1);
  EXPECT_EQ(SGpMan::GetTextureIndex(), 1);
}

TEST(SGpRectTexture, NullUntilTheImageIsLoadedThenBindsNoneWithoutItsList) {
  SImageSlot slot;
  const SGpRect part(&slot, 0, 8.0f, 8.0f, 0.0f, 0.0f, 8.0f, 8.0f);
  EXPECT_EQ(part.GetTexture(), nullptr);
  SRsc_Image_Ex image;
  slot = &image;  // loaded, but its list not read: it has no texture
  // A loaded image without the texture binds none, whatever the number.
  EXPECT_EQ(part.GetTexture(), &NoTexturePacket());
  EXPECT_EQ(part.GetTexture(5), &NoTexturePacket());
  const SGpRect loose(nullptr, 0, 8.0f, 8.0f, 0.0f, 0.0f, 8.0f, 8.0f);
  EXPECT_EQ(loose.GetTexture(), nullptr);
  EXPECT_EQ(loose.KeyRef().Apply(), nullptr);
  EXPECT_EQ(SGpKeyRef{}.Get(), nullptr);
}

TEST_F(Draw, BillboardsFaceTheCamera) {
  // A view turned a half turn about y: the camera's right row is (-1, 0, 0).
  SMatrix view, id;
  SMatrix::Identity(&id);
  RotateY(&view, &id, 0.5f);
  SGpMan::SetView(view);
  SGpSpriteBatch batch;
  SGpSpriteCell* c = batch.AddBack();
  c->part = &kOne;  // 8x8, pivot (4, 4)
  c->billboard = true;
  c->ownPos[0] = 100.0f;
  batch.Build();
  const SGpObj_PrimQuadFill* p = batch.GetEntry(0).prim;
  // Offset (-4, -4): right = -(row 0 of the view inverse) = (1, 0, ~0),
  // up = -(row 1) = (0, -1, 0).
  EXPECT_NEAR(p->GetVertexPos(0).x, 96.0f, 1e-4f);
  EXPECT_NEAR(p->GetVertexPos(0).y, 4.0f, 1e-4f);
  EXPECT_NEAR(p->GetVertexPos(3).x, 104.0f, 1e-4f);
  EXPECT_NEAR(p->GetVertexPos(3).y, -4.0f, 1e-4f);
  delete c;
}

}  // namespace
