#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <utility>

#include "platform/gfx_device.h"
#include "vrax/graphic/SGpMesh.h"

namespace {

// Two triangles folded along the edge v0-v1: one in the z = 0 plane, one in
// the x = 0 plane; v3 is used by no face.
std::unique_ptr<SGpMesh> Fold(plat::GfxDevice* dev) {
  std::unique_ptr<SGpMesh> m(SGpMesh::Create(2, 4, dev));
  SGpMeshVertex* v = m->LockVertexBuffer();
  v[0] = {0, 0, 0, 9, 9, 9, 0, 0, 0};
  v[1] = {0, 1, 0, 9, 9, 9, 0, 0, 0};
  v[2] = {1, 0, 0, 9, 9, 9, 0, 0, 0};
  v[3] = {0, 0, 1, 9, 9, 9, 0, 0, 0};
  m->UnlockVertexBuffer();
  uint16_t* i = m->LockIndexBuffer();
  const uint16_t idx[6] = {0, 1, 2, 0, 3, 1};
  std::copy(idx, idx + 6, i);
  m->UnlockIndexBuffer();
  uint32_t* a = m->LockAttributeBuffer();
  a[0] = 1, a[1] = 0;
  m->UnlockAttributeBuffer();
  return m;
}

TEST(Mesh, NormalsAreTheNormalisedSumOfUnitFaceNormals) {
  auto m = Fold(nullptr);
  m->ComputeNormals();
  const SGpMeshVertex* v = m->Vertices();
  // Face 0: (0,1,0) x (1,0,0) = (0,0,-1); face 1: (0,0,1) x (0,1,0) = (-1,0,0).
  const float h = 1.0f / std::sqrt(2.0f);
  const float want[4][3] = {{-h, 0, -h}, {-h, 0, -h}, {0, 0, -1}, {-1, 0, 0}};
  for (int k = 0; k < 4; ++k) {
    EXPECT_NEAR(v[k].nx, want[k][0], 1e-6f) << k;
    EXPECT_NEAR(v[k].ny, want[k][1], 1e-6f) << k;
    EXPECT_NEAR(v[k].nz, want[k][2], 1e-6f) << k;
  }
  // Positions, colours and coordinates are not touched.
  EXPECT_EQ(v[2].x, 1.0f);
}

TEST(Mesh, DegenerateFacesAndUnusedVerticesGiveZeroNormals) {
  std::unique_ptr<SGpMesh> m(SGpMesh::Create(1, 4, nullptr));
  SGpMeshVertex* v = m->LockVertexBuffer();
  v[0] = {0, 0, 0, 5, 5, 5, 0, 0, 0};
  v[1] = {1, 1, 1, 5, 5, 5, 0, 0, 0};
  v[2] = {2, 2, 2, 5, 5, 5, 0, 0, 0};  // on one line with v0 and v1
  m->UnlockVertexBuffer();
  uint16_t* i = m->LockIndexBuffer();
  i[0] = 0, i[1] = 1, i[2] = 2;
  m->ComputeNormals();
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(m->Vertices()[k].nx, 0.0f);
    EXPECT_EQ(m->Vertices()[k].nz, 0.0f);
  }
}

TEST(Mesh, CreationLimits) {
  // 16-bit indices: at most 65,536 vertices.
  for (auto [faces, vertices] : {std::pair<int, int>{0, 3}, {1, 0}, {1, 65537}})
    EXPECT_EQ(SGpMesh::Create(faces, vertices, nullptr), nullptr) << faces << "," << vertices;
  std::unique_ptr<SGpMesh> m(SGpMesh::Create(1, 65536, nullptr));
  EXPECT_NE(m, nullptr);
}

TEST(Mesh, SubsetsDrawTheFacesOfOneAttribute) {
  auto dev = plat::CreateNullGfxDevice(plat::DeviceParams{});
  auto m = Fold(dev.get());
  for (uint32_t a : {0u, 1u, 2u}) EXPECT_EQ(m->SubsetFaceCount(a), a < 2 ? 1u : 0u) << a;
  ASSERT_EQ(dev->BeginScene(), plat::kOk);
  const auto before = dev->GetStats();
  EXPECT_EQ(m->DrawSubset(1), plat::kOk);
  EXPECT_EQ(m->DrawSubset(7), plat::kOk);  // no faces: nothing drawn
  EXPECT_EQ(dev->GetStats().draws - before.draws, 1u);
  EXPECT_EQ(dev->GetStats().triangles - before.triangles, 1u);
  EXPECT_EQ(dev->GetVertexShader(), uint32_t(plat::kFvfPosNormalColourTex));  // position, normal, colour, uv
  dev->EndScene();
}

// 1,024 faces, each of its own attribute, in a scattered order: every
// subset is found, absent ones are not, and each lookup looks at no more
// than floor(log2 1024) + 1 = 11 of the groups.
TEST(Mesh, SubsetLookupsTakeLogSteps) {
  constexpr uint32_t kFaces = 1024;
  auto dev = plat::CreateNullGfxDevice(plat::DeviceParams{});
  std::unique_ptr<SGpMesh> m(SGpMesh::Create(kFaces, 3, dev.get()));
  uint32_t* a = m->LockAttributeBuffer();
  for (uint32_t f = 0; f < kFaces; ++f) a[f] = (f * 389) % kFaces;
  m->UnlockAttributeBuffer();
  uint16_t* idx = m->LockIndexBuffer();
  for (uint32_t f = 0; f < kFaces; ++f) idx[3 * f] = 0, idx[3 * f + 1] = 1, idx[3 * f + 2] = 2;
  m->UnlockIndexBuffer();
  ASSERT_EQ(dev->BeginScene(), plat::kOk);
  uint64_t lookups = 0;
  for (uint32_t at = 0; at < kFaces; ++at, lookups += 2) {
    EXPECT_EQ(m->SubsetFaceCount(at), 1u) << at;
    m->DrawSubset(at);
  }
  for (uint32_t at : {kFaces, 5000u, 0xFFFFFFFFu}) {
    EXPECT_EQ(m->SubsetFaceCount(at), 0u) << at;
    ++lookups;
  }
  EXPECT_EQ(dev->GetStats().draws, uint64_t(kFaces));
  EXPECT_LE(m->LookupSteps(), lookups * 11);
  dev->EndScene();
}

}  // namespace
