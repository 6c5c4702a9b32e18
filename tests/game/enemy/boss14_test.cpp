// Boss type 14 and its ring emitters: the attack cycle with its waits and
// returns, the untouchable entrance, the emitter's redirection by shot id,
// the time-out, the defeat show's end, and a fight from stage 4's record.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "boss_rig.h"
#include "game/core/StageCounters.h"
#include "game/effect/EShotMan.h"
#include "game/enemy/ERingShotGen.h"
#include "game/enemy/EnemyType14.h"
#include "support/BossFight.h"
#include "support/ImageCompare.h"

namespace {

using Rig = enemytest::BossRig<EnemyType14>;

TEST(Boss14, CycleOfAttacksWaitsAndReturns) {
  Rig r(14);
  ASSERT_NE(r.boss, nullptr);
  EXPECT_EQ(r.boss->body.disabled, 1);
  // Its first rig frame only adds it; the change asked for on the entrance's
  // frame 170 takes effect at the next run.
  EXPECT_EQ(r.RunState(400), 173);
  EXPECT_EQ(r.boss->body.disabled, 0);
  // Each attack lasts its end-of-attack count + 1; a wait until the idle
  // loop (60 frames) completes once more.
  const std::vector<std::pair<int32_t, int>> cycle = {
      {1, 301}, {7, -1}, {2, 421}, {100000, 81}, {7, -1}, {3, 221}, {7, -1}, {4, 788}, {7, -1},
      {5, 621}, {7, -1}, {6, 365}, {100000, 81}, {7, -1}, {1, 301}};
  for (const auto& [state, frames] : cycle) {
    ASSERT_EQ(r.State(), state);
    const int took = r.RunState(2000);
    EXPECT_TRUE(frames > 0 ? took == frames : took <= 61) << state << " " << took;
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
  auto drifting = [](int32_t id, float turns) {  // shots of the id drifting at 5 towards turns
    int n = 0;
    EShotMan::WalkShots([&](EShot* s) {
      n += s->id == id && std::fabs(s->velocity[0] - 5.0f * std::cos(turns * 6.2831855f)) < 1e-4f &&
           std::fabs(s->velocity[1] - 5.0f * std::sin(turns * 6.2831855f)) < 1e-4f;
    });
    return n;
  };
  w.Run(4);
  EXPECT_EQ(drifting(40, 0.25f), 0);
  w.Run();  // cycle 6: the drift of its own ring alone
  EXPECT_EQ(drifting(40, 0.25f), 25);
  EXPECT_EQ(drifting(41, 0.25f), 0);
  w.Run(20);  // the second ring takes id 41 and the next angle
  EXPECT_EQ(drifting(41, 0.3f), 26);
  EXPECT_EQ(drifting(40, 0.25f), 25);
}

TEST(Boss14, TimeOutEndsTheFirstAttackWithoutCount) {
  Rig r(14, 200);
  ASSERT_NE(r.boss, nullptr);
  r.RunState(400);
  // Past the limit the boss fires on to the end of its attack.
  EXPECT_EQ(r.RunState(400), 301);
  EXPECT_EQ(r.State(), EnemyBase::SCRIPT_DEFEATED);
  EXPECT_EQ(StageDefeatCount, 0);
}

// Stage 4's last boss from its stage record: the rings on the picture, then
// the player's shots finish it; its show tells the game the boss is beaten
// 340 frames after the defeat's first frame; the wreck, holding the
// timeline, goes with the stage's objects 600 frames after that.
TEST(Boss14, HeadlessFightFromStageFour) {
  testsupport::BossFight f(4, 114, true);
  ASSERT_TRUE(f.Start());
  f.world.stageMayEnd = true;
  f.Step(262);
  auto* boss = dynamic_cast<EnemyType14*>(f.Boss());
  ASSERT_NE(boss, nullptr);
  EXPECT_EQ(boss->Script().GetState(), 1);
  EXPECT_EQ(g_EnemySet.paused, 1);
  plat::Image img;
  ASSERT_TRUE(f.world.H().Screenshot(&img));
  EXPECT_TRUE(testsupport::MatchesGolden(img, "boss14_rings.png", 8, 400));
  const auto end = f.ShootDown(12, 1200);
  ASSERT_GT(end.defeated, 0);
  EXPECT_EQ(end.told - end.defeated, 341);
  EXPECT_EQ(end.ended - end.told, 601);
}

}  // namespace
