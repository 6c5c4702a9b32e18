// Boss type 14 and its ring emitters: the attack cycle with its waits and
// returns, the untouchable entrance, the time-out, the ring emitter's
// redirection by shot id, the satellites' handles, and the defeat show up to
// the boss's end.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/core/StageCounters.h"
#include "game/effect/EShotMan.h"
#include "game/enemy/ERingShotGen.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemyType14.h"
#include "game/player/Player.h"
#include "model_rig.h"
#include "support/BossFight.h"
#include "support/ImageCompare.h"
#include "platform/crt_rand.h"

namespace {

using enemytest::ModelRig;

// Frames a boss of type 14 spends in each state it enters, in order.
struct Trace {
  std::vector<int32_t> states;
  std::vector<int> frames;
};

struct Boss14Rig {
  explicit Boss14Rig(int32_t chainLimit = 100000) {
    EnemyParam& p = m.rig.Param(1, "Boss12", 14, 500, 140000, 60.0f);
    p.defeatMode = 3;
    p.chainFrameLimit = chainLimit;
    p.routeTableId = 7;
    m.rig.script.routeTables.push_back(RouteTable{7, std::vector<RouteEntry>(31, RouteEntry{0, 0, 60, 1, 1.0f})});
    m.rig.Spawn(0.0f, 1, 0, 0.0f, -150.0f);
  }
  EnemyType14* Start() {
    if (!m.Load()) return nullptr;
    boss = dynamic_cast<EnemyType14*>(m.rig.SpawnNow(0));
    return boss;
  }
  // Runs until the state changes (or `limit` frames); the frames it took.
  int RunState(int limit) {
    const int32_t s = boss->Script().GetState();
    for (int f = 1; f <= limit; ++f) {
      m.rig.Run();
      if (m.rig.Enemies() == 0 || boss->Script().GetState() != s) return f;
    }
    return -1;
  }
  ModelRig m;
  EnemyType14* boss = nullptr;
};

TEST(Boss14, CycleOfAttacksWaitsAndReturns) {
  Boss14Rig r;
  ASSERT_NE(r.Start(), nullptr);
  EXPECT_EQ(r.boss->body.disabled, 1);
  // Entrance: untouchable; the change asked for on its frame 170 takes
  // effect at the next run (the boss's first rig frame only adds it).
  EXPECT_EQ(r.RunState(400), 173);
  EXPECT_EQ(r.boss->Script().GetState(), 1);
  EXPECT_EQ(r.boss->body.disabled, 0);
  EXPECT_EQ(g_EnemySet.paused, 1);
  // Each attack lasts its end-of-attack count + 1; the waits last until the
  // idle loop (60 frames) completes once more.
  const std::vector<std::pair<int32_t, int>> expected = {
      {1, 301}, {7, -1}, {2, 421}, {100000, 81}, {7, -1}, {3, 221}, {7, -1}, {4, 788}, {7, -1},
      {5, 621}, {7, -1}, {6, 365}, {100000, 81}, {7, -1}, {1, 301}};
  for (const auto& [state, frames] : expected) {
    ASSERT_EQ(r.boss->Script().GetState(), state);
    const int took = r.RunState(2000);
    if (frames > 0) EXPECT_EQ(took, frames) << "state " << state;
    if (state == 7) EXPECT_LE(took, 61);
    if (state == 4) EXPECT_EQ(r.m.rig.Enemies(), 1);
  }
}

TEST(Boss14, RingEmitterRedirectsOnlyItsOwnRing) {
  testsupport::WeaponRig w;
  w.PlaceOwner(0.0f, -100.0f);
  w.PlacePlayer(220.0f, 300.0f);
  w.Adopt(new ERingShotGen(w.ownerPos, 0.25f, 0.05f, 5.0f, 40, 0, &w.owner));
  EShotMan::Fire(3, 5, 200, 0, 0, 0.5f, 1.0f, nullptr, 41, nullptr, 1.0f);  // the next ring's id
  w.Run(2);
  // Delay 0: the ring leaves on the second frame, 25 shots 0.04 turn apart.
  ASSERT_EQ(w.ShotsOfFrame(1).size(), 25u);
  EXPECT_FLOAT_EQ(w.ShotsOfFrame(1)[24].angle, 0.96f);
  // Shots of id 41 drifting at 5.0 towards `turns`.
  auto drifting = [](int32_t id, float turns) {
    int n = 0;
    EShotMan::WalkShots([&](EShot* s) {
      n += s->id == id && std::fabs(s->velocity[0] - 5.0f * std::cos(turns * 6.2831855f)) < 1e-4f &&
           std::fabs(s->velocity[1] - 5.0f * std::sin(turns * 6.2831855f)) < 1e-4f;
    });
    return n;
  };
  w.Run(4);
  EXPECT_EQ(drifting(40, 0.25f), 0);
  w.Run();  // cycle 6: the drift of the ring alone
  EXPECT_EQ(drifting(40, 0.25f), 25);
  EXPECT_EQ(drifting(41, 0.25f), 0);
  w.Run(20);  // the second ring takes id 41 and the next angle
  EXPECT_EQ(drifting(41, 0.3f), 26);
  EXPECT_EQ(drifting(40, 0.25f), 25);
}

TEST(Boss14, TimeOutEndsTheFirstAttackWithoutCount) {
  Boss14Rig r(200);
  ASSERT_NE(r.Start(), nullptr);
  r.RunState(400);
  // Past the limit the boss fires on to the end of its attack.
  EXPECT_EQ(r.RunState(400), 301);
  EXPECT_EQ(r.boss->Script().GetState(), EnemyBase::SCRIPT_DEFEATED);
  EXPECT_EQ(StageDefeatCount, 0);
}

TEST(Boss14, DefeatShowTellsTheGameAndEndsTheBoss) {
  Boss14Rig r;
  ASSERT_NE(r.Start(), nullptr);
  r.RunState(400);
  r.m.rig.Run(100);
  r.boss->SendEvent(EObjBase::EV_DEFEATED, 0);
  r.m.rig.Run();
  EXPECT_EQ(r.boss->Script().GetState(), EnemyBase::SCRIPT_DEFEATED);
  int ended = -1;
  for (int f = 1; f <= 600 && ended < 0; ++f) {
    r.m.rig.Run();
    if (g_EnemySet.paused == 0) ended = f;
  }
  // The companion's frame 0 runs in the frame after the defeat; it ends the
  // boss on its frame 461, the frame after the wreck vanished.
  EXPECT_EQ(ended, 462);
  r.m.rig.Run(2);
  EXPECT_EQ(r.m.rig.Enemies(), 0);
}

// Stage 4's last boss from its stage record: the rings mid-fight on the
// picture, then the player's shots finish it; the show tells the game the
// boss is beaten 340 frames after the defeat and ends the boss, and the
// timeline runs on.
TEST(Boss14, HeadlessFightFromStageFour) {
  testsupport::BossFight f(4, 114, true);
  ASSERT_TRUE(f.Start());
  f.world.stageMayEnd = true;
  f.Step(2);
  auto* boss = dynamic_cast<EnemyType14*>(f.Boss());
  ASSERT_NE(boss, nullptr);
  EXPECT_EQ(g_EnemySet.paused, 1);
  f.Step(260);  // the rings of the first attack
  EXPECT_EQ(boss->Script().GetState(), 1);
  plat::Image img;
  ASSERT_TRUE(f.world.H().Screenshot(&img));
  EXPECT_TRUE(testsupport::MatchesGolden(img, "boss14_rings.png", 8, 400));
  boss->hitPoints = 12;
  f.world.Hold(plat::CabInput::kButton1);
  int defeated = -1, told = -1, ended = -1;
  for (int k = 1; k <= 1200 && ended < 0; ++k) {
    f.Step();
    if (told < 0 && f.world.G()->stageClear != 0) told = k;
    if (f.Boss() == nullptr) ended = k;
    else if (defeated < 0 && boss->Script().GetState() == EnemyBase::SCRIPT_DEFEATED) defeated = k;
  }
  ASSERT_GT(defeated, 0);
  EXPECT_EQ(told - defeated, 341);
  EXPECT_EQ(ended - defeated, 462);
  EXPECT_EQ(g_EnemySet.paused, 0);
}

}  // namespace
