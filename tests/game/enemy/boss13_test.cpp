// Boss type 13: the materialisation and the attack cycle with their
// lengths, the streamers along their paths and their full pool, the draws
// of the loop attack, the time-out, and the defeat that ends the boss at
// the explosion's frame 215, or by itself when no explosion could be had.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/core/StageCounters.h"
#include "game/effect/EfxMan.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemyType13.h"
#include "model_rig.h"
#include "platform/crt_rand.h"
#include "support/BossFight.h"
#include "support/ImageCompare.h"

namespace {

using enemytest::ModelRig;

// rand draws that lead from seed a to seed b (-1 beyond 100).
int Draws(uint32_t a, uint32_t b) {
  for (int n = 0; n <= 100; ++n, a = a * 214013u + 2531011u)
    if (a == b) return n;
  return -1;
}

struct Boss13Rig {
  explicit Boss13Rig(int32_t chainLimit = 100000) {
    EnemyParam& p = m.rig.Param(1, "Boss11", 13, 350, 130000, 56.0f);
    p.defeatMode = 3;
    p.chainFrameLimit = chainLimit;
    m.rig.Spawn(0.0f, 1, 0, 0.0f, -150.0f);
    if (m.Load()) boss = dynamic_cast<EnemyType13*>(m.rig.SpawnNow(0));
  }
  int32_t State() const { return boss->Script().GetState(); }
  // Runs until the state changes (or `limit` frames); the frames it took.
  int RunState(int limit) {
    const int32_t s = State();
    for (int f = 1; f <= limit; ++f) {
      m.rig.Run();
      if (m.rig.Enemies() == 0 || State() != s) return f;
    }
    return -1;
  }
  ModelRig m;
  EnemyType13* boss = nullptr;
};

TEST(Boss13, MaterialisesThenRunsItsCycle) {
  Boss13Rig r;
  ASSERT_NE(r.boss, nullptr);
  EXPECT_GT(r.boss->Script().streamers.LiveCount(), 0);
  // Frames 0 to 350 invisible and untouchable; its first rig frame only
  // adds it, and the change takes effect at the next run.
  EXPECT_EQ(r.RunState(500), 353);
  EXPECT_EQ(r.boss->visible, 1);
  EXPECT_EQ(r.boss->body.disabled, 0);
  EXPECT_EQ(r.boss->Script().streamers.GetParent(), nullptr);
  const std::vector<std::pair<int32_t, int>> cycle = {
      {1, 181}, {2, 181}, {3, 421}, {100000, 61}, {4, 401}, {100000, 61}, {5, 501},
      {1, 181}, {6, 271}, {7, 392}, {8, 817},     {2, 181}};
  for (const auto& [state, frames] : cycle) {
    ASSERT_EQ(r.State(), state);
    if (state == 4) {
      // The loop's draws (c = 0 ran with the entry): 12 on every third
      // frame, 16 on every twelfth.
      std::vector<int> draws;
      for (int f = 0; f < 13; ++f) {
        const uint32_t before = plat::RandSeed();
        r.m.rig.Run();
        draws.push_back(Draws(before, plat::RandSeed()));
      }
      EXPECT_EQ(draws, (std::vector<int>{0, 0, 12, 0, 0, 12, 0, 0, 12, 0, 0, 16, 0}));
      EXPECT_EQ(r.RunState(500) + 13, frames);
      continue;
    }
    if (state == 2) EXPECT_EQ(r.boss->Script().satellites.LiveCount(), 2);
    EXPECT_EQ(r.RunState(1000), frames) << "state " << state;
  }
}

TEST(Boss13, StreamersFollowTheirPathAndFillTheirPool) {
  testsupport::WeaponRig w;
  EnemyType13Streamers s;
  s.SetStatic(true);
  w.Adopt(&s);
  const float from[4] = {0.0f, 0.0f, 0.0f, 1.0f}, to[4] = {100.0f, -40.0f, 0.0f, 1.0f};
  s.Launch(from, to, 10.0f, 8.0f);
  auto* e = static_cast<EnemyType13Streamer*>(s.Live().HeadObj());
  ASSERT_NE(e, nullptr);
  while (e->phase == EnemyType13Streamer::FADE_IN) w.Run();
  // Both tangents are half the chord: the Hermite point at u = 0.5 is the
  // chord's middle, reached on the sixth step of the ten-frame path.
  w.Run(6);
  EXPECT_NEAR(e->position[0], 50.0f, 1e-3f);
  EXPECT_NEAR(e->position[1], -20.0f, 1e-3f);
  w.Run(5);
  EXPECT_EQ(e->phase, EnemyType13Streamer::FADE_OUT);
  EXPECT_NEAR(e->position[0], 100.0f, 1e-3f);
  for (int i = 0; i < 70; ++i) s.Launch(from, to, 10.0f, 8.0f);
  EXPECT_EQ(s.LiveCount(), EnemyType13Streamers::kCapacity);
  s.Dispose();
  EXPECT_EQ(s.LiveCount(), 0);
}

TEST(Boss13, TimeOutAtTheEndOfTheFirstAttack) {
  Boss13Rig r(700);
  ASSERT_NE(r.boss, nullptr);
  r.RunState(500), r.RunState(500);
  EXPECT_EQ(r.RunState(500), 181);
  EXPECT_EQ(r.State(), EnemyBase::SCRIPT_DEFEATED);
  EXPECT_EQ(StageDefeatCount, 0);
}

// The defeat (its first frame runs with the entry): 58 frames of drift,
// 121 of the path to the centre, then the explosion ends the boss on its
// frame 215; with the explosion pool full the boss ends itself then.
TEST(Boss13, DefeatEndsAtTheExplosionsFrameOrByItself) {
  for (bool full : {false, true}) {
    Boss13Rig r;
    ASSERT_NE(r.boss, nullptr);
    r.RunState(500);
    r.m.rig.Run(30);
    if (full)
      for (int i = 0; i < 1000; ++i) {
        const SVec4 at{0.0f, 0.0f, 0.0f, 1.0f};
        if (r.m.rig.weapons.efx.SpawnRandom(2, &at, 1.0e9f, 0) == nullptr) break;  // waits for the rail
      }
    r.boss->SendEvent(EObjBase::EV_DEFEATED, 0);
    r.m.rig.Run();
    int blast = -1, ended = -1, spawned = -1;
    for (int f = 2; f <= 600 && ended < 0; ++f) {
      r.m.rig.Run();
      if (g_EnemySet.paused == 0) {
        ended = f;
      } else if (blast < 0 && r.boss->Script().blastCount >= 0) {
        blast = f;
        spawned = r.boss->Script().blastSpawned;
      }
    }
    EXPECT_EQ(blast, 58 + 121) << full;
    EXPECT_EQ(ended - blast, 214) << full;
    EXPECT_EQ(spawned, full ? 0 : 1);
  }
}

// Stage 4's second boss from its stage record, twin streams on the
// picture, finished by the player's shots.
TEST(Boss13, HeadlessFightFromStageFour) {
  testsupport::BossFight f(4, 113, true);
  ASSERT_TRUE(f.Start());
  f.Step(2);
  auto* boss = dynamic_cast<EnemyType13*>(f.Boss());
  ASSERT_NE(boss, nullptr);
  f.Step(620);
  EXPECT_EQ(boss->Script().GetState(), 2);
  plat::Image img;
  ASSERT_TRUE(f.world.H().Screenshot(&img));
  EXPECT_TRUE(testsupport::MatchesGolden(img, "boss13_streams.png", 8, 400));
  boss->hitPoints = 12;
  f.world.Hold(plat::CabInput::kButton1);
  int defeated = -1, ended = -1;
  for (int k = 1; k <= 1500 && ended < 0; ++k) {
    f.Step();
    if (f.Boss() == nullptr) ended = k;
    else if (defeated < 0 && boss->Script().GetState() == EnemyBase::SCRIPT_DEFEATED) defeated = k;
  }
  ASSERT_GT(defeated, 0);
  // `defeated` is the defeat's first frame.
  EXPECT_EQ(ended - defeated, 57 + 121 + 214);
  EXPECT_EQ(g_EnemySet.paused, 0);
}

}  // namespace
