// The stage-scene helpers: range-table lookups, the distance-keyed fog at
// chosen rail positions, the cloud values, the scroll layer and the camera
// transform.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "game/core/CameraTransform.h"
#include "game/core/Game.h"
#include "game/core/ScrollLayer.h"
#include "game/stage/CloudQuad.h"
#include "game/stage/MapMng.h"
#include "game/stage/RangeTable.h"
#include "support/ExpectAll.h"

namespace {

constexpr float kEnd = -1.0f;

// Fog records: two keys of (position, start, end, red, green, blue).
std::vector<float> FogTable(std::initializer_list<std::array<float, 12>> records) {
  std::vector<float> t;
  for (const auto& r : records) t.insert(t.end(), r.begin(), r.end());
  for (int i = 0; i < 12; ++i) t.push_back(i == 0 || i == 6 ? kEnd : 0.0f);
  return t;
}

TEST(RangeTable, BothEndsInclusiveFirstRecordWinsTerminatorGivesMinusOne) {
  const std::vector<float> fog = FogTable({{0, 0, 0, 0, 0, 0, 100, 0, 0, 0, 0, 0},
                                           {100, 0, 0, 0, 0, 0, 200, 0, 0, 0, 0, 0},
                                           {150, 0, 0, 0, 0, 0, 300, 0, 0, 0, 0, 0}});
  // 96-byte records: the range sits in floats 0 and 12.
  std::vector<float> layers(24 * 3, 7.0f);
  layers[0] = 10, layers[12] = 20, layers[24] = 20, layers[36] = 30, layers[48] = kEnd, layers[60] = kEnd;
  const std::vector<float> empty = FogTable({});
  EXPECT_ALL({VAL(FindRangeIndex48(fog.data(), 0.0f), 0), VAL(FindRangeIndex48(fog.data(), 100.0f), 0),
              VAL(FindRangeIndex48(fog.data(), 100.5f), 1), VAL(FindRangeIndex48(fog.data(), 150.0f), 1),
              VAL(FindRangeIndex48(fog.data(), 250.0f), 2), VAL(FindRangeIndex48(fog.data(), 300.5f), -1),
              VAL(FindRangeIndex48(fog.data(), -0.5f), -1), VAL(FindRangeIndex48(empty.data(), 0.0f), -1),
              VAL(FindRangeIndex48(nullptr, 0.0f), -1), VAL(FindRangeIndex(layers.data(), 20.0f), 0),
              VAL(FindRangeIndex(layers.data(), 25.0f), 1), VAL(FindRangeIndex(layers.data(), 31.0f), -1)});
}

class FogTest : public ::testing::Test {
 protected:
  FogTest() { saved_ = {g_MapMng.t, static_cast<float>(g_MapMng.currentPath)}; }
  ~FogTest() override {
    g_MapMng.t = saved_[0];
    g_MapMng.currentPath = static_cast<int32_t>(saved_[1]);
  }
  void At(int32_t path, float t) {
    g_MapMng.currentPath = path;
    g_MapMng.t = t;
  }
  Game game;
  std::array<float, 2> saved_{};
};

TEST_F(FogTest, InterpolatedBetweenTheRecordsKeysAndOffOutsideThem) {
  const std::vector<float> path0 = FogTable({{100, 1000, 3000, 0.2f, 0.4f, 0.6f, 200, 2000, 5000, 0.4f, 0.8f, 1.0f},
                                             {300, 500, 600, 1, 1, 1, 300, 700, 800, 0, 0, 0}});
  const std::vector<float> path1 = FogTable({});
  SGpState_Fog& fog = game.StageFog();
  float start = 0, end = 0;
  struct Case {
    int32_t path;
    float t;
    bool on;
    float start, end, r, g, b;
  } cases[] = {
      {0, 150.0f, true, 1500, 4000, 0.3f, 0.6f, 0.8f},   // halfway
      {0, 100.0f, true, 1000, 3000, 0.2f, 0.4f, 0.6f},   // the first key
      {0, 200.0f, true, 2000, 5000, 0.4f, 0.8f, 1.0f},   // the second key
      {0, 250.0f, false, 0, 0, 0, 0, 0},                 // between records
      {0, 300.0f, true, 500, 600, 1, 1, 1},              // equal keys hold the first
      {1, 150.0f, false, 0, 0, 0, 0, 0},                 // the other path's table ends at once
  };
  for (const Case& c : cases) {
    fog.SetEnable(c.on ? 0 : 1);
    At(c.path, c.t);
    ApplyStageFog(path0.data(), path1.data());
    EXPECT_EQ(fog.GetEnable(), c.on ? 1 : 0) << c.path << " " << c.t;
    if (!c.on) continue;
    fog.GetRange(&start, &end);
    const SGpColour& col = fog.GetColour();
    EXPECT_ALL({VAL(start, c.start), VAL(end, c.end)});
    EXPECT_NEAR(col.r, c.r, 1e-6);
    EXPECT_NEAR(col.g, c.g, 1e-6);
    EXPECT_NEAR(col.b, c.b, 1e-6);
  }
  At(0, 150.0f);
  fog.SetEnable(1);
  ApplyStageFog(nullptr, nullptr);
  EXPECT_EQ(fog.GetEnable(), 0);
}

class CloudValues : public CloudQuad {
 public:
  void Start(int32_t stage) {
    CloudQuadArgs a;
    a.stage = stage;
    a.life = 111.0f;
    a.z = 222.0f;
    Init(reinterpret_cast<SProcArg>(&a));
  }
};

TEST(CloudValuesByDistance, StageTwoLifeAndStageFourHeight) {
  CloudValues c;
  c.Start(2);
  struct Case {
    int32_t flag;
    float d, life;
  } cases[] = {{1, 1800, 300}, {0, 1800, 1000}, {0, 1601.9f, 300}, {0, 1602, 1000}, {1, 1999, 300}, {1, 2000, 1000}};
  for (const Case& k : cases) {
    c.UpdateByDistance(k.flag, k.d);
    EXPECT_EQ(c.GetLifeAtSpawn(), k.life) << k.flag << " " << k.d;
  }
  EXPECT_EQ(c.GetZAtSpawn(), 222.0f);  // stage 2 leaves the height
  c.Start(1);
  c.UpdateByDistance(0, 5000);
  EXPECT_ALL({VAL(c.GetLifeAtSpawn(), 111.0f), VAL(c.GetZAtSpawn(), 222.0f)});
}

TEST(ScrollLayerTest, TilesCentredAndTheOffsetWrapsWithinATile) {
  const SGpRect part(nullptr, 0, 256, 256, 0, 0, 64, 32);
  ScrollLayer s;
  ASSERT_EQ(s.Setup(&part, 2, 2, 64, 32), 0);
  const SGpObj_PrimQuadFill& q = s.Quads();
  ASSERT_EQ(q.GetActiveCount(), 4);
  // Quad 0 at the top left of the 128 x 64 grid, quad 3 at the bottom right.
  const SVec3 a = q.GetVertexPos(0), b = q.GetVertexPos(3), c = q.GetVertexPos(12), d = q.GetVertexPos(15);
  EXPECT_ALL({VAL(a.x, -64), VAL(a.y, -32), VAL(b.x, 0), VAL(b.y, 0), VAL(c.x, 0), VAL(c.y, 0), VAL(d.x, 64),
              VAL(d.y, 32)});
  EXPECT_ALL({VAL(q.GetVertexUV(0).x, part.uTL), VAL(q.GetVertexUV(3).y, part.vBR), VAL(q.GetVertexColour(5), 0xFFFFFFFFu)});
  const float red[4] = {1, 0, 0, 0.5f};
  s.ApplyAll(red);
  EXPECT_ALL({VAL(q.GetVertexColour(0), 0x80FF0000u), VAL(q.GetVertexColour(15), 0x80FF0000u)});

  ScrollLayer w;
  w.Setup(&part, 1, 1, 256, 100);
  struct Step {
    float dx, dy, x, y;
  } steps[] = {{250, 0, 250, 0}, {10, 0, 4, 0}, {1, -10, 5, 90}, {-10, 0, 251, 90}, {-551, 230, 212, 20}};
  for (const Step& k : steps) {
    w.Advance(k.dx, k.dy);
    EXPECT_ALL({VAL(w.GetOffsetX(), k.x), VAL(w.GetOffsetY(), k.y)});
  }
  // A tile size of 0 leaves the offset unwrapped instead of dividing by it.
  EXPECT_EQ(WrapScroll(300.0f, 0), 300.0f);
}

TEST(CameraTransformTest, LocalMovesFollowTheRotationPlainMovesDoNot) {
  const float kHalfPi = 1.5707964f;
  CameraTransform t;
  t.SetPosition(5, 6, 7);
  const SVec3 yaw{0, kHalfPi, 0};  // a quarter turn about y: X axis (0, 0, -1), Z axis (1, 0, 0)
  t.SetRotationEuler(&yaw);
  const float* p = t.GetPosition();
  EXPECT_ALL({VAL(p[0], 5), VAL(p[1], 6), VAL(p[2], 7), VAL(p[3], 1)});
  float x[4], y[4], z[4];
  t.GetAxes(x, y, z);
  EXPECT_NEAR(x[2], -1.0f, 1e-6);
  EXPECT_NEAR(z[0], 1.0f, 1e-6);
  EXPECT_NEAR(y[1], 1.0f, 1e-6);
  const SVec3 along{10, 0, 2};
  t.MoveLocal(&along);  // 10 X + 2 Z = (2, 0, -10)
  EXPECT_NEAR(p[0], 7.0f, 1e-5);
  EXPECT_NEAR(p[1], 6.0f, 1e-5);
  EXPECT_NEAR(p[2], -3.0f, 1e-5);
  const SVec3 plain{1, 1, 1};
  t.Move(&plain);
  EXPECT_NEAR(p[0], 8.0f, 1e-5);
  EXPECT_NEAR(p[1], 7.0f, 1e-5);
  EXPECT_NEAR(p[2], -2.0f, 1e-5);
  // The reordered axes put Z first.
  float zz[4], xx[4], yy[4];
  t.GetAxesZXY(zz, xx, yy);
  EXPECT_ALL({VAL(zz[0], z[0]), VAL(xx[2], x[2]), VAL(yy[1], y[1])});
  // Rotating post-multiplies: the position turns with the axes.
  CameraTransform r;
  r.SetPosition(5, 6, 7);
  r.RotateEuler(&yaw);
  EXPECT_NEAR(r.GetPosition()[0], 7.0f, 1e-5);
  EXPECT_NEAR(r.GetPosition()[2], -5.0f, 1e-5);
  // Rotate then move locally along the new Z axis.
  CameraTransform m;
  const SVec3 forward{0, 0, 3};
  m.RotateAndMove(&forward, &yaw);
  EXPECT_NEAR(m.GetPosition()[0], 3.0f, 1e-5);
  // A quaternion keeps the position; the scale writes the diagonal only.
  const SQuat q{0, 0, 0, 1};
  t.SetRotationQuat(&q);
  EXPECT_ALL({VAL(t.matrix.m[0][0], 1), VAL(t.matrix.m[0][2], 0), VAL(p[0], 8)});
  const SVec3 s{2, 3, 4};
  t.SetScale(&s);
  EXPECT_ALL({VAL(t.matrix.m[0][0], 2), VAL(t.matrix.m[1][1], 3), VAL(t.matrix.m[2][2], 4), VAL(t.matrix.m[0][1], 0),
              VAL(p[0], 8)});
  const SVec3 v{-1, -2, -3};
  t.SetPositionV(&v);
  EXPECT_ALL({VAL(p[0], -1), VAL(p[1], -2), VAL(p[2], -3), VAL(p[3], 1)});
}

TEST(CameraTransformTest, MatricesEqualOnlyWhenAllSixteenFloatsAre) {
  SMatrix a = kIdentityMatrix, b = kIdentityMatrix;
  EXPECT_TRUE(MatrixEquals(&a, &b));
  for (int i = 0; i < 16; ++i) {
    SMatrix c = a;
    (&c.m[0][0])[i] += 1.0f;
    EXPECT_FALSE(MatrixEquals(&a, &c)) << i;
  }
  b.m[3][0] = -0.0f;  // -0 equals 0
  EXPECT_TRUE(MatrixEquals(&a, &b));
  b.m[0][0] = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(MatrixEquals(&b, &b));
}

}  // namespace
