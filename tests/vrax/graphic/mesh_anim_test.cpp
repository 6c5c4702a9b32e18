// Texture key lists, texture matrices, processor skinning and colour
// packing of the model mesh packets.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "vrax/graphic/SGpObj_Mesh.h"

namespace {

// The value of a list at *clock, with its segments found as the loader
// finds them.
float KeyValue(const ModelUvKey* keys, int32_t count, float* clock) {
  return ModelKeyValue(keys, count, ModelKeySegments(keys, count), clock);
}

TEST(ModelKeys, InterpolateLoopAndHold) {
  const ModelUvKey keys[3] = {{0, 0.0f}, {10, 1.0f}, {20, 0.0f}};
  float clock;
  for (float t : {5.0f, 15.0f}) {
    clock = t;
    EXPECT_FLOAT_EQ(KeyValue(keys, 3, &clock), 0.5f) << t;
  }
  // At the last key's frame no segment holds: 0; beyond it the clock
  // starts over at the first key.
  for (float t : {20.0f, 20.5f}) {
    clock = t;
    EXPECT_EQ(KeyValue(keys, 3, &clock), 0.0f) << t;
  }
  EXPECT_EQ(clock, 0.0f);
  // One key: the value is 0 and the clock returns to it once past it.
  const ModelUvKey one[1] = {{4, 0.75f}};
  clock = 4.2f;
  EXPECT_EQ(KeyValue(one, 1, &clock), 0.0f);
  EXPECT_EQ(clock, 4.0f);
}

TEST(ModelKeys, EmptyListsAndEqualFramesNeverDivideByZero) {
  float clock = 3.0f;
  EXPECT_EQ(KeyValue(nullptr, 0, &clock), 0.0f);
  EXPECT_EQ(clock, 3.0f);
  // Keys all at one frame form no segment: the value is 0.
  const ModelUvKey same[3] = {{2, 0.25f}, {2, 0.5f}, {2, 0.75f}};
  for (float t : {0.0f, 2.0f, 3.0f}) {
    clock = t;
    EXPECT_EQ(KeyValue(same, 3, &clock), 0.0f) << t;
  }
  // A zero-length segment inside a list is stepped over.
  const ModelUvKey step[3] = {{0, 0.0f}, {5, 1.0f}, {5, 2.0f}};
  clock = 5.0f;
  EXPECT_FALSE(std::isnan(KeyValue(step, 3, &clock)));
}

// Keys out of order: the value comes from the first segment of the list
// that holds the clock, whatever later segments hold it too.
TEST(ModelKeys, KeysOutOfOrderTakeTheFirstSegmentHoldingTheClock) {
  // Segments [0, 10) 0..1 and [5, 20) 5..2; 10..5 holds nothing.
  const ModelUvKey overlap[4] = {{0, 0.0f}, {10, 1.0f}, {5, 5.0f}, {20, 2.0f}};
  // [10, 20) 0..1; then 20..0 holds nothing; [0, 30) 2..3 holds the rest.
  const ModelUvKey around[4] = {{10, 0.0f}, {20, 1.0f}, {0, 2.0f}, {30, 3.0f}};
  struct Case {
    const ModelUvKey* keys;
    float clock, value;
  } cases[] = {
      {overlap, 3.0f, 0.3f},  {overlap, 7.0f, 0.7f},  {overlap, 12.0f, 3.6f},
      {overlap, 20.0f, 0.0f}, {overlap, -1.0f, 0.0f}, {around, 5.0f, 2.0f + 5.0f / 30.0f},
      {around, 15.0f, 0.5f},  {around, 25.0f, 2.0f + 25.0f / 30.0f},
  };
  for (const Case& c : cases) {
    float clock = c.clock;
    EXPECT_NEAR(KeyValue(c.keys, 4, &clock), c.value, 1e-5f) << c.clock;
  }
}

// Lists of random frames (repeated, out of order) against the rule as
// written: the first i with frame i <= clock < frame i + 1, the value
// interpolated in it, 0 without one.
TEST(ModelKeys, RandomListsGiveWhatTheFirstHoldingSegmentGives) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int32_t> frame(-4, 12), size(1, 9);
  for (int list = 0; list < 300; ++list) {
    std::vector<ModelUvKey> keys(size_t(size(rng)));
    for (size_t k = 0; k < keys.size(); ++k) keys[k] = {frame(rng), float(k + 1)};
    const int32_t n = int32_t(keys.size());
    const ModelKeySegments segments(keys.data(), n);
    for (float t = -5.0f; t <= float(keys.back().frame); t += 0.25f) {
      float want = 0.0f;
      for (int32_t i = 0; i + 1 < n; ++i) {
        const float f0 = float(keys[size_t(i)].frame), f1 = float(keys[size_t(i) + 1].frame);
        if (f0 <= t && t < f1) {
          want = keys[size_t(i)].value + (t - f0) / (f1 - f0) * (keys[size_t(i) + 1].value - keys[size_t(i)].value);
          break;
        }
      }
      float clock = t;
      EXPECT_EQ(ModelKeyValue(keys.data(), n, segments, &clock), want) << list << " at " << t;
    }
  }
}

// A lookup compares at most floor(log2 n) + 1 of the n distinct frames:
// 10 for 1,000 keys, wherever the clock stands.
TEST(ModelKeys, LookupsTakeLogSteps) {
  std::vector<ModelUvKey> keys;
  for (int32_t k = 0; k < 1000; ++k) keys.push_back({k, float(k)});
  const ModelKeySegments segments(keys.data(), 1000);
  uint64_t lookups = 0;
  for (float t = 0.5f; t < 1000.0f; t += 7.0f, ++lookups) {
    float clock = t;
    EXPECT_FLOAT_EQ(ModelKeyValue(keys.data(), 1000, segments, &clock), t);
  }
  EXPECT_LE(segments.Steps(), lookups * 10);
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
