// Mesh packets of loaded models on the null device: the rigid path's
// states and subsets, texture scrolling over frames, and the skinned path
// moving vertices by the bones the node tree recorded.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gp_support.h"
#include "vrax/graphic/SGpObj_Mesh.h"
#include "vrax/resource/ModelWriter.h"
#include "vrax/resource/SRsc_Image.h"
#include "vrax/resource/SRsc_Model.h"
#include "vrax/resource/model_fixtures.h"  // tests/vrax/resource

namespace {

struct MeshDraw : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(gpu.ok);
    gpu.dev()->BeginScene();
  }
  void TearDown() override { gpu.dev()->EndScene(); }
  uint64_t Draws() const { return gpu.dev()->GetStats().draws; }
  NullDeviceScope gpu;
};

TEST_F(MeshDraw, RigidPacketDrawsOneSubsetPerMaterial) {
  auto m = modelfix::BuildRigid();
  ASSERT_NE(m, nullptr);
  plat::GfxDevice* d = gpu.dev();
  d->SetRenderState(plat::kRsLighting, 0);
  SGpMan::SetBlendMode(0, 0.5f);
  const plat::Matrix before = [] {
    plat::Matrix t = plat::Matrix::Identity();
    t.m[3][0] = 9.0f;
    return t;
  }();
  d->SetTransform(plat::kTsTexture0, before);
  m->GetMesh(0)->Execute();
  EXPECT_EQ(Draws(), 2u);  // two materials, one face each
  EXPECT_EQ(d->GetRenderState(plat::kRsLighting), 1u);
  EXPECT_EQ(d->GetVertexShader(), 0x152u);
  EXPECT_EQ(gpu.tss(0, plat::kTssColourOp), uint32_t(plat::kTopModulate));
  EXPECT_EQ(gpu.tss(0, plat::kTssAlphaOp), uint32_t(plat::kTopDisable));
  EXPECT_EQ(gpu.tss(0, plat::kTssTextureTransformFlags), uint32_t(plat::kTtffDisable));
  plat::Matrix after;
  d->GetTransform(plat::kTsTexture0, &after);
  EXPECT_EQ(after, before);
  EXPECT_EQ(SGpMan::GetTextureIndex(), 1);  // material 1 bound last
  EXPECT_EQ(m->GetDrawData().frameCounter, 1);

  SGpMan::SetBlendMode(1, 0.5f);
  m->GetMesh(1)->Execute();  // node 1: one face of attribute 0
  EXPECT_EQ(Draws(), 3u);
  EXPECT_EQ(gpu.tss(0, plat::kTssAlphaOp), uint32_t(plat::kTopModulate));

  // A packet without faces draws nothing.
  SGpObj_Mesh empty;
  empty.Execute();
  EXPECT_EQ(Draws(), 3u);
}

// An image whose list names `listed` pictures, the first `made` on the device.
struct ListedImage : SRsc_Image {
  ListedImage(int listed, int made) : listed(listed), tex(size_t(made)) {
    for (auto*& t : tex) SGpMan::GetDevice()->CreateTextureFromImage(plat::Image{1, 1, {255, 255, 255, 255}}, &t);
  }
  ~ListedImage() override {
    for (auto* t : tex) SGpMan::ForgetTexture(t), t->Release();
  }
  int32_t TextureCount() const override { return listed; }
  plat::Texture* GetDeviceTexture(int32_t n) const override { return n < int32_t(tex.size()) ? tex[size_t(n)] : nullptr; }
  int listed;
  std::vector<plat::Texture*> tex;
};

// The two-material model ("0 body", "1 trim") after texture 0 of its image,
// another image's texture bound before: a material past the image's list
// draws with the texture bound before it (the body's), one whose picture
// failed (or past the list after it) not at all. A skinned model after a
// picture that failed draws nothing.
TEST_F(MeshDraw, MaterialsPastTheImagesListDrawWithTheTextureBoundBefore) {
  auto m = modelfix::BuildRigid();
  auto skinned = modelfix::Build(modelfix::Skinned());
  ASSERT_TRUE(m && skinned);
  ListedImage other(1, 1);
  // Listed, made; subsets drawn; the image's texture stage 0 holds (-1: other's).
  const int rows[][4] = {{1, 1, 2, 0}, {2, 2, 2, 1}, {2, 0, 0, -1}, {1, 0, 0, -1}, {2, 1, 1, 0}};
  for (const auto& r : rows) {
    ListedImage image(r[0], r[1]);
    SGpMan::SetTexture(&other, 0);
    const uint64_t before = Draws();
    SGpMan::SetTexture(&image, 0);  // the model's image, entered before it
    m->GetMesh(0)->Execute();
    EXPECT_EQ(Draws() - before, uint64_t(r[2])) << r[0] << " listed, " << r[1] << " made";
    EXPECT_EQ(gpu.dev()->GetTexture(0), r[3] < 0 ? other.tex[0] : image.tex[size_t(r[3])]) << r[0] << ", " << r[1];
  }
  NoTexturePacket().Execute();
  const uint64_t before = Draws();
  for (int i = 0; i < 2; ++i) skinned->GetMesh(0)->Execute();  // both parts
  EXPECT_EQ(Draws(), before);
}

TEST_F(MeshDraw, TextureScrollsAlongTheKeysWhileUpdated) {
  auto m = modelfix::BuildRigid();
  ASSERT_NE(m, nullptr);
  SGpObj_Mesh* p = m->GetMesh(0);
  ModelMaterial& mat = m->GetMaterialGroup(0)->materials[0];
  // Without an update the stored matrix stays put.
  p->Execute();
  EXPECT_EQ(mat.matrix.m[2][0], 0.0f);
  EXPECT_EQ(p->uvClock, 0.0f);

  m->GetDrawData().frameCounter = 0;
  m->FlagMesh(0);
  for (int i = 0; i < 6; ++i) p->Execute();
  // Six draws: the clock stood at 0, 0.2, ... 1.0 when read; u = clock / 10
  // and v = clock / 20 from the keys.
  EXPECT_NEAR(p->uvClock, 1.2f, 1e-5f);
  EXPECT_NEAR(mat.matrix.m[2][0], 0.1f, 1e-5f);
  EXPECT_NEAR(mat.matrix.m[2][1], 1.0f - 0.05f, 1e-5f);
  EXPECT_EQ(mat.update, 1);
  // The update ends with the animation's last frame, and the frame counter
  // starts over.
  for (int i = 0; i < 4; ++i) p->Execute();
  EXPECT_EQ(mat.update, 0);
  EXPECT_EQ(m->GetDrawData().frameCounter, 0);
  const float u = mat.matrix.m[2][0];
  p->Execute();
  EXPECT_EQ(mat.matrix.m[2][0], u);
}

TEST_F(MeshDraw, ScrollWithoutAnimationShiftsOncePerUpdate) {
  ModelFile f = modelfix::Rigid();
  f.hasTag = false;
  f.nodes[0].animated = false;
  const auto tca = WriteTexAnimScroll(0.125f, 0.0f);
  auto m = modelfix::Build(f, &tca);
  ASSERT_NE(m, nullptr);
  EXPECT_FALSE(m->IsAnimated());
  ModelMaterial& mat = m->GetMaterialGroup(0)->materials[0];
  for (int frame = 1; frame <= 3; ++frame) {
    m->FlagMesh(0);
    m->GetMesh(0)->Execute();
    m->GetMesh(0)->Execute();  // a second draw in the frame does not shift again
    EXPECT_FLOAT_EQ(mat.matrix.m[2][0], 0.125f * float(frame));
  }
}

TEST_F(MeshDraw, SkinnedModelMovesVerticesByTheRecordedBones) {
  auto m = modelfix::Build(modelfix::Skinned());
  ASSERT_NE(m, nullptr);
  SGpNode* root = m->GetNode(0);
  // Frame 10: bone 1 has turned a quarter about z at its joint (1, 0, 0).
  SGpNode* nodes = m->GetNode(0);
  ModelApplyMotion(nodes, m->NodeCount(), nullptr, SGpMotionCursor{m.get(), 10.0f}, false);
  EXPECT_NEAR(m->GetNode(1)->GetRotation()[2], 0.25f, 1e-6f);
  root->Execute();
  EXPECT_EQ(Draws(), 1u);
  EXPECT_EQ(m->GetDrawData().partsDrawn, 0);
  const SGpMeshVertex* v = m->GetSkinnedMesh()->Vertices();
  // Vertex 0 (bone 0) stays; vertex 2 lists bones "1" and "0" and follows
  // its first bone; vertex 4 (bone 1) at (2, -0.5) turns to (1.5, 1).
  EXPECT_NEAR(v[0].x, 0.0f, 1e-5f);
  EXPECT_NEAR(v[0].y, -0.5f, 1e-5f);
  EXPECT_NEAR(v[2].x, 1.5f, 1e-5f);
  EXPECT_NEAR(v[2].y, 0.0f, 1e-5f);
  EXPECT_NEAR(v[4].x, 1.5f, 1e-5f);
  EXPECT_NEAR(v[4].y, 1.0f, 1e-5f);
  // Normals are those of the unskinned mesh.
  EXPECT_EQ(v[4].nz, m->GetDrawData().source[4].nz);

  // Back at frame 0 the bar is straight again.
  ModelApplyMotion(nodes, m->NodeCount(), nullptr, SGpMotionCursor{m.get(), 0.0f}, false);
  root->Execute();
  EXPECT_NEAR(v[4].x, 2.0f, 1e-5f);
  EXPECT_NEAR(v[4].y, -0.5f, 1e-5f);
}

// A part whose packet does not run in a round keeps the world matrix it
// recorded last, and its offset is applied to it once per round: the bone
// table is never overwritten by the products.
TEST_F(MeshDraw, SkinnedPartNotRecordedInARoundKeepsItsPoseRoundAfterRound) {
  auto m = modelfix::Build(modelfix::Skinned());
  ASSERT_NE(m, nullptr);
  SGpNode* nodes = m->GetNode(0);
  ModelApplyMotion(nodes, m->NodeCount(), nullptr, SGpMotionCursor{m.get(), 0.0f}, false);
  nodes->Execute();  // both parts record: the bar lies straight
  const SGpMeshVertex* v = m->GetSkinnedMesh()->Vertices();
  // Vertex 4 follows bone 1 alone: (2, -0.5) in the straight bar.
  EXPECT_NEAR(v[4].x, 2.0f, 1e-5f);
  EXPECT_NEAR(v[4].y, -0.5f, 1e-5f);
  for (int round = 1; round <= 3; ++round) {
    // The first part twice completes the count; the second records nothing.
    m->GetMesh(0)->Execute();
    m->GetMesh(0)->Execute();
    EXPECT_EQ(Draws(), uint64_t(1 + round));
    EXPECT_NEAR(v[4].x, 2.0f, 1e-5f) << round;
    EXPECT_NEAR(v[4].y, -0.5f, 1e-5f) << round;
  }
}

TEST_F(MeshDraw, SkinnedModelWaitsForEveryPartAndSkipsBadParts) {
  auto m = modelfix::Build(modelfix::Skinned());
  ASSERT_NE(m, nullptr);
  SGpMeshModel& d = m->GetDrawData();
  m->GetMesh(0)->Execute();
  EXPECT_EQ(d.partsDrawn, 1);
  EXPECT_EQ(Draws(), 0u);
  // The next frame's first part completes the count.
  m->GetMesh(0)->Execute();
  EXPECT_EQ(Draws(), 1u);
  EXPECT_EQ(d.partsDrawn, 0);
  // A part index outside the bone table records nothing and draws safely.
  m->GetMesh(1)->partIndex = 57;
  m->GetMesh(0)->Execute();
  m->GetMesh(1)->Execute();
  EXPECT_EQ(Draws(), 2u);
  // Bone numbers beyond the table leave their vertices alone.
  d.skinBones[5] = 9;
  d.skinBones[4] = -3;
  m->GetMesh(1)->partIndex = 1;
  m->GetMesh(0)->Execute();
  m->GetMesh(1)->Execute();
  EXPECT_EQ(Draws(), 3u);
}

// A damaged model whose drawing once multiplied its counts: one node of
// 256 faces, one per material of its group of 256, and texture key lists
// of 4,096 keys at frames -4094 to 0 and 2^20, so the clock stays in their
// last segment (a scan from the first key passes 4,095 keys each time).
// One frame draws every material; each finds its faces in at most 9 steps
// (256 groups) and each key value in at most 13 (4,096 frames).
TEST_F(MeshDraw, FrameOfManyMaterialsAndKeysLooksEachUpInLogSteps) {
  constexpr uint32_t kMaterials = 256, kKeys = 4096;
  modelfix::LaidOutModel f;
  f.Header(true, 100).U32(1).U32(kMaterials);
  for (uint32_t i = 0; i < kMaterials; ++i)
    f.Str("0").F32({0, 0, 0, 1, 1, 1, 1, 1, 0, 0, 0, 1, 0, 0, 0, 1}).F32({0, 1, 1}).U32(0).U32(0).F32({0});
  f.Str("meshes").U32(0).Str("hierarchy").U32(1);
  f.Str("0").U8(0).Str("").F32({0, 0, 0}).F32({0, 0, 0, 1}).F32({1, 1, 1}).F32({0, 0, 0, 0});
  f.Str("p").U32(3).F32({0, 0, 0}).F32({1, 0, 0}).F32({0, 0, 1});
  f.Str("f").U32(kMaterials);
  for (uint32_t i = 0; i < kMaterials; ++i) f.U16(0).U16(1).U16(2).U32(i);
  f.Str("u").U32(3).F32({0, 0}).F32({1, 0}).F32({0, 1});
  f.Str("c").U8(0).Str("m").U32(0).Str("a").U8(1);
  f.U32(0);  // no tracks
  modelfix::LaidOutModel tca;
  tca.U32(1).Str("0");
  for (int list = 0; list < 2; ++list) {
    tca.U8(1).U32(kKeys);
    for (int32_t k = 0; k + 1 < int32_t(kKeys); ++k) tca.U32(uint32_t(k - int32_t(kKeys) + 2)).F32({0});
    tca.U32(1u << 20).F32({1});
  }
  const auto bma = f.bytes(), tcaBytes = tca.bytes();
  SRsc_Model_Ex m;
  const uint32_t params[4] = {0, 0, 0, 0};
  ASSERT_TRUE(m.Build(bma.data(), bma.size(), tcaBytes.data(), tcaBytes.size(), params));
  SGpObj_Mesh* p = m.GetMesh(0);
  ASSERT_TRUE(p->mesh && p->uKeyCount == int32_t(kKeys) && m.IsAnimated());
  for (uint32_t i = 0; i < kMaterials; ++i) m.FlagMesh(int32_t(i));
  p->Execute();
  EXPECT_EQ(Draws(), uint64_t(kMaterials));
  EXPECT_NEAR(p->uvClock, 0.2f * float(kMaterials), 1e-3f);  // read once per material
  // At least one step per lookup: every material's lookups were counted.
  EXPECT_GE(p->mesh->LookupSteps(), uint64_t(kMaterials));
  EXPECT_LE(p->mesh->LookupSteps(), uint64_t(kMaterials) * 9);
  EXPECT_GE(p->uSegments.Steps() + p->vSegments.Steps(), uint64_t(kMaterials) * 2);
  EXPECT_LE(p->uSegments.Steps() + p->vSegments.Steps(), uint64_t(kMaterials) * 2 * 13);
}

// A packet that keeps the world matrices it was executed under.
struct WorldLog : SGpObj {
  void Execute() override { seen.push_back(SGpMan::GetWorld().m[3][0]); }
  std::vector<float> seen;
};

// A chain of 50,000 nodes, each the child of the one before and standing
// one unit further along x in model space (a file of 6 MB): it is drawn and
// placed on a small stack, once per node, the last node 49,999 units out.
TEST_F(MeshDraw, ChainOfAnyDepthDrawsAndPlacesEveryNode) {
  constexpr uint32_t kNodes = 50000;
  modelfix::LaidOutModel f;
  f.Header(false, 1).U32(0).Str("meshes").U32(0).Str("hierarchy").U32(kNodes);
  for (uint32_t i = 0; i < kNodes; ++i)
    f.BareNode(std::to_string(i), i > 0 ? std::to_string(i - 1) : std::string(), float(i), false);
  const auto bytes = f.bytes();
  SRsc_Model_Ex m;
  const uint32_t params[4] = {0, 0, 0, 0};
  ASSERT_TRUE(m.Build(bytes.data(), bytes.size(), nullptr, 0, params));
  WorldLog first, last;
  m.GetNode(0)->AddPacket(&first);
  m.GetNode(int32_t(kNodes) - 1)->AddPacket(&last);
  SMatrix id;
  SGpMan::SetView(*SMatrix::Identity(&id));
  SGpMan::SetWorld(id);
  m.GetNode(0)->Execute();
  EXPECT_EQ(first.seen, std::vector<float>{0.0f});
  EXPECT_EQ(last.seen, std::vector<float>{float(kNodes - 1)});
  EXPECT_EQ(SGpMan::GetWorld().m[3][0], 0.0f);
  m.GetNode(0)->UpdateKept(nullptr, 1);
  EXPECT_EQ(m.GetNode(int32_t(kNodes) - 1)->GetWorld()->m[3][0], float(kNodes - 1));
}

}  // namespace
