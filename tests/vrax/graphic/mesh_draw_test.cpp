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
