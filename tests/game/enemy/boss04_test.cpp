// Boss type 4 in stage 1: the staged entry that stops, jumps and restarts
// the rail, the attack cycle, an over-time defeat without a count, the
// defeat show (its vanishing parts, its draws, the game told once at frame
// 480) and the boss's end; a picture mid-fight and a defeat by the
// Player's shots, which never hurt the armour parts.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "game/core/Game.h"
#include "game/core/StageCounters.h"
#include "game/enemy/EnemySet.h"
#include "game/enemy/EnemyType4.h"
#include "game/stage/MapMng.h"
#include "platform/crt_rand.h"
#include "support/StageBossFight.h"
#include "support/ImageCompare.h"

namespace {

using testsupport::StageBossFight;

// Runs until the script is in `state`; the frames it took (-1 after limit).
int RunTo(StageBossFight& f, EnemyType4* b, int32_t state, int limit) {
  for (int i = 1; i <= limit; ++i) {
    f.Step();
    if (b->Script().GetState() == state) return i;
  }
  return -1;
}

TEST(Boss04, EntryCycleOverTimeDefeatShowAndEnd) {
  StageBossFight f(1);
  auto* b = dynamic_cast<EnemyType4*>(f.Start(8230.0f, 8228.0f, "Boss02"));
  ASSERT_NE(b, nullptr);
  // The rail stops at once at the arena; the core is off while it arrives.
  f.Step(2);
  const float stop = g_MapMng.t;
  EXPECT_GE(stop, 8230.0f);
  EXPECT_LE(stop, 8231.0f);
  f.Step(30);
  EXPECT_EQ(g_MapMng.t, stop);
  EXPECT_EQ(b->body.disabled, 1);
  // It waits under the rail until the rail, running again, reaches 8360,
  // then rises to its fighting depth.
  while (b->Script().subStep < 2) f.Step();
  EXPECT_EQ(b->GetPosition()[2], -100.0f);
  while (b->Script().subStep < 3) f.Step();
  EXPECT_GE(g_MapMng.t, 8360.0f);
  EXPECT_LT(g_MapMng.t, 8362.0f);
  ASSERT_GT(RunTo(f, b, 1, 400), 0);
  EXPECT_EQ(b->body.disabled, 0);
  // The cycle: tour, swarm 181 frames, sweep 221, bombard 338, laser 361.
  std::vector<int> took;
  for (int32_t s : {2, 3, 4, 5, 1}) took.push_back(RunTo(f, b, s, 800));
  EXPECT_EQ(std::vector<int>(took.begin() + 1, took.end()), (std::vector<int>{181, 221, 338, 361}));
  // Over time: the swarm's end defeats it, without popup or count.
  const int32_t defeats = StageDefeatCount;
  ASSERT_GT(RunTo(f, b, 2, 800), 0);
  b->chainFrameLimit = 0;
  ASSERT_EQ(RunTo(f, b, EnemyBase::SCRIPT_DEFEATED, 200), 181);
  EXPECT_EQ(StageDefeatCount, defeats);
  f.W().stageMayEnd = true;
  // The show: node groups vanish one a phase and stay gone; in [200, 300]
  // the show draws only on counts whose low five bits are 15: its own two
  // for the burst's place, and two for each of the 3 + 4 brushes it paints; the game hears that the boss is beaten at 480; the boss ends
  // after 730 with the show, letting the timeline go.
  auto gone = [b](int n) { return b->model.GetNode(n)->GetLocal()->m[0][0] == 0.0f; };
  f.Step(47);
  EXPECT_TRUE(gone(27) && gone(40) && !gone(44));
  f.Step(205 - 47);
  std::vector<int> extra;
  for (int c = 205; c < 210; ++c) {
    const uint32_t s = plat::RandSeed();
    f.Step();
    extra.push_back(testsupport::RandDraws(s, plat::RandSeed()));
  }
  const int stage = *std::min_element(extra.begin(), extra.end());
  for (int& d : extra) d -= stage;
  EXPECT_EQ(extra, (std::vector<int>{0, 0, 2 + 2 * (3 + 4), 0, 0}));  // 207 = 0b11001111
  f.Step(480 - 210);
  EXPECT_EQ(f.W().G()->stageClear, 0);
  f.Step();
  EXPECT_EQ(f.W().G()->stageClear, 1);
  EXPECT_TRUE(gone(27) && gone(44) && gone(20) && gone(49) && !gone(17));
  SHandle<EnemyType4> h(b);
  f.Step(730 - 481);
  ASSERT_NE(h.Get(), nullptr);
  EXPECT_EQ(g_EnemySet.paused, 1);
  f.Step();  // count 730: killed, gone at the frame's end
  EXPECT_EQ(g_EnemySet.paused, 0);
  f.Step();
  EXPECT_EQ(h.Get(), nullptr);
}

TEST(Boss04, PictureAndTheShotsThatDefeatIt) {
  StageBossFight f(1, true);
  auto* b = dynamic_cast<EnemyType4*>(f.Start(8230.0f, 8228.0f, "Boss02"));
  ASSERT_NE(b, nullptr);
  ASSERT_GT(RunTo(f, b, 3, 2000), 0);
  f.Step(60);
  plat::Image img;
  ASSERT_TRUE(f.W().H().Screenshot(&img));
  EXPECT_TRUE(testsupport::MatchesGolden(img, "boss04_fight.png", 8, 400));
  const int32_t defeats = StageDefeatCount;
  b->hitPoints = 8;
  f.W().Hold(plat::CabInput::kButton1);
  ASSERT_GT(RunTo(f, b, EnemyBase::SCRIPT_DEFEATED, 1500), 0);
  EXPECT_EQ(StageDefeatCount, defeats + 1);
  for (const B002Parts& p : b->Script().parts) EXPECT_EQ(p.hitPoints, 1000);
}

}  // namespace
