// Texture key lists, texture matrices, processor skinning and colour
// packing of the model mesh packets.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <utility>

#include "vrax/graphic/SGpObj_Mesh.h"

namespace {

TEST(ModelKeys, InterpolateLoopAndHold) {
  const ModelUvKey keys[3] = {{0, 0.0f}, {10, 1.0f}, {20, 0.0f}};
  float clock;
  for (float t : {5.0f, 15.0f}) {
    clock = t;
    EXPECT_FLOAT_EQ(ModelKeyValue(keys, 3, &clock), 0.5f) << t;
  }
  // At the last key's frame no segment holds: 0; beyond it the clock
  // starts over at the first key.
  for (float t : {20.0f, 20.5f}) {
    clock = t;
    EXPECT_EQ(ModelKeyValue(keys, 3, &clock), 0.0f) << t;
  }
  EXPECT_EQ(clock, 0.0f);
  // One key: the value is 0 and the clock returns to it once past it.
  const ModelUvKey one[1] = {{4, 0.75f}};
  clock = 4.2f;
  EXPECT_EQ(ModelKeyValue(one, 1, &clock), 0.0f);
  EXPECT_EQ(clock, 4.0f);
}

TEST(ModelKeys, EmptyListsAndEqualFramesNeverDivideByZero) {
  float clock = 3.0f;
  EXPECT_EQ(ModelKeyValue(nullptr, 0, &clock), 0.0f);
  EXPECT_EQ(clock, 3.0f);
  // Keys all at one frame form no segment: the value is 0.
  const ModelUvKey same[3] = {{2, 0.25f}, {2, 0.5f}, {2, 0.75f}};
  for (float t : {0.0f, 2.0f, 3.0f}) {
    clock = t;
    EXPECT_EQ(ModelKeyValue(same, 3, &clock), 0.0f) << t;
  }
  // A zero-length segment inside a list is stepped over.
  const ModelUvKey step[3] = {{0, 0.0f}, {5, 1.0f}, {5, 2.0f}};
  clock = 5.0f;
  EXPECT_FALSE(std::isnan(ModelKeyValue(step, 3, &clock)));
}

TEST(ModelTextureMatrixTest, FixedScrolledAndTurned) {
  SGpObj_Mesh p;
  ModelMaterial m;
  m.scaleU = 2.0f, m.scaleV = 3.0f;
  SMatrix t = ModelTextureMatrix(m, p, nullptr);
  EXPECT_EQ(t.m[0][0], 2.0f);
  EXPECT_EQ(t.m[1][1], 3.0f);
  EXPECT_EQ(m.matrix.m[0][0], 1.0f);  // nothing stored

  // Own matrix, animation off: one update shifts once.
  m.scaleU = m.scaleV = 1.0f;
  m.useMatrix = 1;
  m.scrollU = 0.25f, m.scrollV = -0.5f;
  m.update = 1;
  t = ModelTextureMatrix(m, p, nullptr);
  EXPECT_EQ(t.m[2][0], 0.25f);
  EXPECT_EQ(t.m[2][1], -0.5f);
  EXPECT_EQ(m.update, 0);
  t = ModelTextureMatrix(m, p, nullptr);
  EXPECT_EQ(t.m[2][0], 0.25f);

  // A non-zero angle turns the stored matrix further at every draw (with
  // its diagonal set back to the scales first).
  m.angle = 0.5f;
  SMatrix::Identity(&m.matrix);
  ModelTextureMatrix(m, p, nullptr);
  t = ModelTextureMatrix(m, p, nullptr);
  const float c = std::cos(0.5f), s = std::sin(0.5f);
  EXPECT_NEAR(t.m[0][0], c - s * s, 1e-5f);
  EXPECT_NEAR(t.m[0][1], -s - s * c, 1e-5f);
}

TEST(ModelSkinning, KnownVerticesFollowTheirBones) {
  SGpMeshVertex src[3] = {};
  src[0].x = 1, src[1].y = 1, src[2].z = 1;
  src[1].nx = 7;
  SGpMeshVertex dst[3];
  std::memcpy(dst, src, sizeof dst);
  SMatrix bones[2];
  SMatrix::Translation(&bones[0], 10, 0, 0);
  SMatrix::Identity(&bones[1]);
  RotateZ(&bones[1], &bones[1], 0.25f);
  const int32_t boneOf[3] = {0, 1, 2};  // bone 2 does not exist
  SkinPositions(src, dst, 3, boneOf, bones, 2);
  EXPECT_EQ(dst[0].x, 11.0f);
  EXPECT_NEAR(dst[1].x, -1.0f, 1e-6f);
  EXPECT_NEAR(dst[1].y, 0.0f, 1e-6f);
  EXPECT_EQ(dst[1].nx, 7.0f);  // normals untouched
  EXPECT_EQ(dst[2].z, 1.0f);   // out-of-range bone: left as it was
}

TEST(ModelColours, ChannelsClampAndRound) {
  const float c[4] = {1.0f, 0.5f, 0.0f, 1.0f};
  EXPECT_EQ(ModelPackColour(c), 0xFFFF8000u);
  for (auto [in, want] : {std::pair{1.5f, 255u}, {-0.2f, 0u}, {std::nanf(""), 0u}, {0.2f, 51u}})
    EXPECT_EQ(ModelColourByte(in), want) << in;
}

}  // namespace
