// The cloud layer (its range table, its spawns and their rand order, the
// clouds it draws) and the stage name (its timing and its rows).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/stage/CloudQuad.h"
#include "game/stage/StageName.h"
#include "game/tables/font_tables.h"
#include "platform/crt_rand.h"
#include "support/ExpectAll.h"
#include "support/StageWorld.h"
#include "vrax/graphic/SGpQueue.h"

namespace {

constexpr float k = 1.0f / 32767.0f;
// rand() from seed 0.
constexpr int kRand[] = {38, 7719, 21238, 2437, 8855, 11797};

// One range entry of 24 floats: from, drift x, drift z, factor, colour,
// carried value, start y, interval, rotation; then the same at `to`.
std::vector<float> Entry(float from, float to, float interval0, float interval1, float driftZ = 2.0f) {
  return {from, 0.0f, driftZ, 0.0f, 1.0f, 1.0f, 1.0f, 0.5f, 0.0f, 300.0f, interval0, 0.0f,
          to,   0.0f, driftZ, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 999.0f, interval1, 0.0f};
}

std::vector<float> Table(std::initializer_list<std::vector<float>> entries) {
  std::vector<float> t;
  for (const auto& e : entries) t.insert(t.end(), e.begin(), e.end());
  const std::vector<float> end = Entry(-1.0f, -1.0f, 0.0f, 0.0f);
  t.insert(t.end(), end.begin(), end.end());
  return t;
}

class Clouds : public testsupport::StageWorld {
 protected:
  void Start(int stage, const std::vector<float>& table, uint32_t flags = 0, float life = 50.0f) {
    args = CloudQuadArgs{stage, table.data(), nullptr, flags, life, -25.0f};
    cloud.SetStatic(true);
    ASSERT_EQ(kernel.AddChild(2, &cloud, reinterpret_cast<SProcArg>(&args)), 0);
    map.currentPath = 0;
    map.speed = 1.0f;
  }
  // One frame of the cloud layer at rail position t.
  void Step(float t) {
    map.t = t;
    static_cast<SProc&>(cloud).Main(0);
  }
  CloudQuadArgs args;
  CloudQuad cloud;
};

TEST(CloudRange, FirstEntryHoldingTheValueBothEndsIncluded) {
  const std::vector<float> t = Table({Entry(0, 10, 1, 1), Entry(10, 20, 1, 1), Entry(30, 30, 1, 1)});
  EXPECT_ALL({VAL(FindCloudRange(t.data(), 10.0f), 0), VAL(FindCloudRange(t.data(), 10.5f), 1),
              VAL(FindCloudRange(t.data(), 25.0f), -1), VAL(FindCloudRange(t.data(), 30.0f), 2),
              VAL(FindCloudRange(nullptr, 1.0f), -1)});
}

TEST_F(Clouds, ScreenSpaceSpawnDrawsScaleXAndTimerInThatOrder) {
  const std::vector<float> table = Table({Entry(0, 100, 5, 15)});
  Start(1, table);
  plat::SRand(0);
  Step(50.0f);  // the timer starts at 0: a spawn at once
  const CloudQuad::Cloud& c = cloud.GetCloud(0);
  const float scale = 2.0f * float(kRand[0]) * k + 1.0f;
  EXPECT_ALL({VAL(cloud.GetAliveCount(), 1), VAL(cloud.GetRingIndex(), 1), VAL(c.scale, scale),
              VAL(c.x, (float(kRand[1]) * k - 0.5f) * 480.0f), VAL(c.y, 300.0f - scale * 100.0f), VAL(c.z, -25.0f),
              VAL(c.life, 50.0f),
              // Interval halfway from 5 to 15; start y is the from value.
              VAL(cloud.GetSpawnTimer(), (float(kRand[2]) * k - 0.5f) * 10.0f + 10.0f),
              VAL(cloud.GetStartY(), 300.0f), VAL(cloud.GetColour()[0], 0.5f), VAL(plat::Rand(), kRand[3])});
  // The cloud drifts by the speed times the drift (0, 2) and its life runs
  // down by the speed; at 0 it dies.
  map.speed = 0.5f;
  Step(50.0f);
  EXPECT_ALL({VAL(c.y, 300.0f - scale * 100.0f + 1.0f), VAL(c.life, 49.5f)});
}

TEST_F(Clouds, FiftyAliveSkipTheSpawnAndOutsideTheRangesTheTimerIsHeld) {
  const std::vector<float> table = Table({Entry(0, 1000, 0.5f, 0.5f)});
  Start(1, table, 0, 10000.0f);
  plat::SRand(0);
  for (int i = 0; i < 400 && cloud.GetAliveCount() < 50; ++i) Step(10.0f);
  ASSERT_EQ(cloud.GetAliveCount(), 50);
  const uint32_t seed = plat::RandSeed();
  for (int i = 0; i < 10; ++i) Step(10.0f);
  EXPECT_EQ(plat::RandSeed(), seed);  // nothing drawn
  EXPECT_LT(cloud.GetSpawnTimer(), -8.0f);
  // Past the table: the timer is held at 0; clouds still drift.
  const float y = cloud.GetCloud(0).y;
  Step(2000.0f);
  EXPECT_ALL({VAL(cloud.GetSpawnTimer(), 0.0f), VAL(cloud.GetCloud(0).y, y + 2.0f), VAL(plat::RandSeed(), seed)});
}

TEST_F(Clouds, StageValuesAndAnEntryWithEqualEnds) {
  const std::vector<float> table = Table({Entry(2700, 2700, 7, 9)});
  Start(4, table);
  Step(2699.0f);
  EXPECT_EQ(cloud.GetZAtSpawn(), 90.0f);
  Step(2700.0f);  // the entry's two ends are equal: its from values
  EXPECT_ALL({VAL(cloud.GetZAtSpawn(), 90.0f), VAL(cloud.GetSpawnInterval(), 7.0f)});
  Step(2701.0f);
  EXPECT_EQ(cloud.GetZAtSpawn(), -120.0f);
}

TEST_F(Clouds, StageTwoLivesLongerFurtherOnEachPath) {
  const std::vector<float> table = Table({});
  Start(2, table);
  struct Case {
    int path;
    float t, life;
  } cases[] = {{0, 1601, 300}, {0, 1602, 1000}, {1, 1800, 300}, {1, 2000, 1000}};
  for (const Case& c : cases) {
    map.currentPath = c.path;
    Step(c.t);
    EXPECT_EQ(cloud.GetLifeAtSpawn(), c.life) << c.path << " " << c.t;
  }
}

TEST_F(Clouds, ViewPlacedSpawnDrawsFourValuesAndEveryCloudDrawsTwoPackets) {
  const std::vector<float> table = Table({Entry(0, 100, 50, 50)});
  Start(1, table, 1);
  plat::SRand(0);
  Step(10.0f);
  EXPECT_EQ(plat::Rand(), kRand[4]);  // scale, side, distance, timer
  kernel.Step();  // the layer starts running
  const int alive = cloud.GetAliveCount();
  kernel.Step();  // draws the alive clouds
  int packets = 0;
  for (auto& [key, p] : gp.GetQueue()->Entries()) packets += key == 20;  // the clouds draw at key 20
  EXPECT_EQ(alive, 1);
  EXPECT_EQ(packets, 2 * alive);
}

// ---------------------------------------------------------------- stage name

TEST(StageNameRows, RippleInHoldAndRippleOut) {
  EXPECT_ALL({VAL(StageName::RowX(0, 7), 0.0f), VAL(StageName::Alpha(0), 0.0f), VAL(StageName::Alpha(30), 0.5f),
              VAL(StageName::RowX(60, 3), -60.0f), VAL(StageName::RowX(179, 22), -60.0f),
              VAL(StageName::Alpha(179), 1.0f), VAL(StageName::RowX(180, 5), -60.0f),
              VAL(StageName::Alpha(210), 0.5f)});
  // Row 0 has no ripple: x = (1 - sin(a pi/2)) 60 - 60 coming in, and
  // (1 - cos(a pi/2)) 60 - 60 going out, a = 0.5 both times.
  EXPECT_NEAR(StageName::RowX(30, 0), -42.426407f, 1e-4f);
  EXPECT_NEAR(StageName::RowX(210, 0), -42.426407f, 1e-4f);
  // Row 23 would complete 2.5 waves at a = 0.5: row 11.5 is half a cycle.
  EXPECT_NEAR(StageName::RowX(30, 23) + 60.0f, -(StageName::RowX(30, 0) + 60.0f), 1e-3f);
}

class StageNameRun : public testsupport::StageWorld {};

TEST_F(StageNameRun, ShowsTwentyThreeRowsForExactly240Frames) {
  auto* name = new StageName();
  ASSERT_EQ(kernel.AddChild(2, name, 3), 0);
  SHandle<StageName> h(name);
  int shown = 0, last = 0;
  for (int i = 0; i < 300; ++i) {
    kernel.Step();
    StageName* n = h.Get();
    if (n == nullptr) break;
    if (n->GetFrame() == last) continue;
    last = n->GetFrame();
    ++shown;
    if (shown != 1) continue;
    // The rows of stage 3: cells 47 .. 69 of the grid, one unit apart.
    int rows = 0;
    for (SObject* o = const_cast<SGpSpriteBatch&>(n->GetBatch()).GetList()->HeadObj(); o; o = o->GetNext()) {
      auto* cell = static_cast<SGpSpriteCell*>(o);
      SGpUV uv[4];
      SprStgNameDesc.GetCellUV(2 * 23 + 1 + rows, uv);
      EXPECT_EQ(cell->part->vTL, uv[0].v) << rows;
      EXPECT_EQ(cell->position[1], float(rows) - 100.0f);
      ++rows;
    }
    EXPECT_EQ(rows, 23);
  }
  EXPECT_EQ(shown, 240);
  EXPECT_EQ(h.Get(), nullptr);
}

}  // namespace
