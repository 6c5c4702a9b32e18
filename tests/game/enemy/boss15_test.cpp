// Boss type 15: the descent under the light shafts and the attack cycle
// with its waits, the arena loop it arms, the shot bounce rules at the play
// area's edges, the time-out, and the defeat show that ends the boss and
// lets the timeline and the rail go on.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/core/StageCounters.h"
#include "game/effect/EShotMan.h"
#include "game/enemy/EnemyType15.h"
#include "game/stage/MapMng.h"
#include "boss_rig.h"
#include "platform/crt_rand.h"
#include "support/BossFight.h"
#include "support/ImageCompare.h"

namespace {

using Rig = enemytest::BossRig<EnemyType15>;

TEST(Boss15, DescentThenTheCycleOfAttacks) {
  Rig r(15, 100000, 30.0f);  // every stretch a 30-frame loop
  ASSERT_NE(r.boss, nullptr);
  EXPECT_EQ(g_MapMng.armed, 1);
  EXPECT_EQ(g_MapMng.armedT, 179.0f);
  EXPECT_EQ(g_MapMng.armedAt, 849.0f);
  EXPECT_EQ(r.boss->body.disabled, 1);
  // 121 frames waiting, 181 on the path, the two stretches, then state 1.
  r.RunState(1000);
  EXPECT_EQ(r.State(), 1);
  EXPECT_EQ(r.boss->body.disabled, 0);
  const std::vector<std::pair<int32_t, int>> cycle = {
      {1, 301}, {14, -1}, {2, 601}, {14, -1}, {3, 391}, {14, -1}, {4, -1}, {14, -1}, {5, 1081},
      {14, -1}, {100000, 61}, {14, -1}, {7, -1}, {100000, 61}, {14, -1}, {1, 301}};
  for (const auto& [state, frames] : cycle) {
    // State 6 only turns to the return at once.
    ASSERT_EQ(r.State(), state);
    if (state == 5) {
      r.m.rig.Run(200);
      EXPECT_EQ(r.boss->Script().curtain.LiveCount(), 6);
      EXPECT_EQ(r.RunState(2000) + 200, frames);
      continue;
    }
    const int took = r.RunState(2000);
    if (frames > 0) { EXPECT_EQ(took, frames) << "state " << state; }
  }
}

TEST(Boss15, ShotsReboundFromTheSidesAndTheTopOnly) {
  testsupport::WeaponRig w;
  w.PlacePlayer(0.0f, 300.0f);
  struct Case {
    float x, y, angle;
    int32_t id;
    float expected;
  } cases[] = {
      {250, 0, 0.0f, 0, 0.5f},       // straight right at the right edge: back left
      {250, 0, 0.9f, 0, 0.6f},       // right edge, heading up: up and left
      {-250, 0, 0.6f, 0, 0.9f},      // left edge
      {-250, 0, 0.3f, 0, 0.2f},      // left edge, heading down
      {0, -330, 0.7f, 0, 0.3f},      // top edge
      {250, -330, 0.9f, 0, 0.4f},    // corner: right, then top
      {0, 330, 0.25f, 0, 0.25f},     // the bottom edge does not reflect
      {250, 0, 0.0f, 1, 0.0f},       // another id is left alone
      {100, 0, 1.2f, 0, 0.2f},       // inside: the angle only wrapped
  };
  std::vector<EShot*> shots;
  for (const Case& c : cases) {
    EShot* s = EShotMan::Fire(3, 5, 0, 0, 0, c.angle, 3.0f, nullptr, c.id, nullptr, 1.0f);
    ASSERT_NE(s, nullptr);
    s->position[0] = c.x, s->position[1] = c.y;
    shots.push_back(s);
  }
  BounceShots(0);
  for (size_t i = 0; i < shots.size(); ++i) {
    EXPECT_NEAR(shots[i]->angle, cases[i].expected, 1e-5f) << i;
    if (cases[i].id == 0 && cases[i].angle != cases[i].expected && cases[i].y != 330) {
      EXPECT_FLOAT_EQ(shots[i]->speed, 3.0f) << i;
      EXPECT_NEAR(shots[i]->velocity[0], 3.0f * std::cos(cases[i].expected * 6.2831855f), 1e-4f) << i;
    }
  }
}

// Out of time after its first attack the boss defeats itself; its show
// shakes it (two draws a frame), takes it to the centre, and it ends: the
// timeline and the rail go on.
TEST(Boss15, TimeOutAndTheDefeatShowEndTheBoss) {
  Rig r(15, 400, 30.0f);
  ASSERT_NE(r.boss, nullptr);
  r.RunState(1000);
  EXPECT_EQ(r.RunState(400), 301);
  EXPECT_EQ(r.State(), EnemyBase::SCRIPT_DEFEATED);
  EXPECT_EQ(StageDefeatCount, 0);
  EXPECT_EQ(g_MapMng.armed, 0);
  const uint32_t before = plat::RandSeed();
  r.m.rig.Run();
  uint32_t s = before;
  for (int i = 0; i < 2; ++i) s = s * 214013u + 2531011u;
  EXPECT_EQ(plat::RandSeed(), s);
  int ended = -1;
  for (int f = 1; f <= 1000 && ended < 0; ++f) {
    r.m.rig.Run();
    if (g_EnemySet.paused == 0) ended = f;
  }
  EXPECT_GT(ended, 76 + 121 + 120);
  r.m.rig.Run(2);
  EXPECT_EQ(r.m.rig.Enemies(), 0);
}

// Stage 5's first boss from its stage record: the bouncing fans on the
// picture, then finished by the player's shots.
TEST(Boss15, HeadlessFightFromStageFive) {
  testsupport::BossFight f(5, 115, true);
  ASSERT_TRUE(f.Start());
  f.Step(2);
  auto* boss = dynamic_cast<EnemyType15*>(f.Boss());
  ASSERT_NE(boss, nullptr);
  for (int k = 0; k < 1000 && boss->Script().GetState() != 1; ++k) f.Step();
  f.Step(150);
  plat::Image img;
  ASSERT_TRUE(f.world.H().Screenshot(&img));
  EXPECT_TRUE(testsupport::MatchesGolden(img, "boss15_fans.png", 8, 400));
  const auto end = f.ShootDown(12, 2000);
  ASSERT_GT(end.defeated, 0);
  EXPECT_GT(end.ended, end.defeated);
  EXPECT_EQ(g_EnemySet.paused, 0);
  EXPECT_EQ(g_MapMng.armed, 0);
}

}  // namespace
