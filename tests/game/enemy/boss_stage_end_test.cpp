// The last bosses of stages 1, 3 and 4 (types 4, 11 and 14) on their
// stages as they play: defeated, each tells the game that the boss is
// beaten at its show's frame, and the wreck, whose show never ends it,
// holds the enemy timeline until the stage ends 600 frames later. Nothing
// of the stage's script comes after the boss, and the stage result follows
// on time. The bosses before them let their stages go on: the next enemy
// comes; types 5, 6, 13 and 15 end with their shows, types 3, 8, 10 and 12
// let the timeline go when theirs are over and their wrecks stay.
// Stage 4's wreck set piece comes with boss 13 (stage_set_piece_test.cpp).
#include <gtest/gtest.h>

#include "game/core/Game.h"
#include "game/core/StageCounters.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "support/StageBossFight.h"

namespace {

struct StageEnd {
  int told = -1;     // frames from the defeat state's first frame to the game's notice
  int cleared = -1;  // frames from the notice to the stage's end
  bool heldAll = true;    // the timeline paused and no enemy spawned
  bool bossToEnd = true;  // the wreck lived until the stage objects were cleared
};

StageEnd DefeatAndRunOut(int stage, float key, const char* name) {
  StageEnd r;
  testsupport::StageBossFight f(stage);
  EnemyBase* b = f.Start(key, key - 2.0f, name);
  EXPECT_NE(b, nullptr) << name;
  if (b == nullptr) return r;
  f.W().stageMayEnd = true;
  SHandle<EnemyBase> h(b);
  f.Step(20);
  const int32_t spawned = StageEnemyCount;
  const int32_t enemies = g_EnemyMan.CountChildren();
  b->SendEvent(kHitEventDefeated, 0);
  int defeat = -1;
  for (int k = 0; k < 2000; ++k) {
    f.Step();
    Game* g = f.W().G();
    EnemyBase* live = h.Get();
    if (live != nullptr && live->GetState() >= SProc::STATE_KILLED) live = nullptr;
    if (defeat < 0 && live != nullptr && live->script->GetState() == EnemyBase::SCRIPT_DEFEATED) defeat = k;
    if (r.told < 0 && g->stageClear != 0) r.told = k - defeat;
    if (r.told >= 0 && g->stageClear == 0) {
      // The stage's objects are cleared (which takes the notice back): the
      // wreck must go with them and not before.
      r.cleared = k - r.told - defeat;
      r.bossToEnd = r.bossToEnd && live == nullptr;
      break;
    }
    r.bossToEnd = r.bossToEnd && live != nullptr;
    r.heldAll = r.heldAll && g_EnemySet.paused == 1 && g_EnemyMan.CountChildren() <= enemies &&
                StageEnemyCount == spawned;
  }
  return r;
}

// The game told `told` frames after the defeat state's first frame; the
// stage's end 601 frames after that (the count is 0 on the notice's frame
// and ends the stage once above 600); the timeline held and the wreck kept
// all along.
void ExpectHeldToTheEnd(int stage, float key, const char* name, int told) {
  const StageEnd r = DefeatAndRunOut(stage, key, name);
  EXPECT_EQ(r.told, told);
  EXPECT_EQ(r.cleared, 601);
  EXPECT_TRUE(r.heldAll);
  EXPECT_TRUE(r.bossToEnd);
}

TEST(BossStageEnd, TypeFourHoldsStageOneToItsEnd) { ExpectHeldToTheEnd(1, 8230.0f, "Boss02", 481); }

TEST(BossStageEnd, TypeElevenHoldsStageThreeToItsEnd) { ExpectHeldToTheEnd(3, 6300.0f, "Boss09", 51); }

TEST(BossStageEnd, TypeFourteenHoldsStageFourToItsEnd) { ExpectHeldToTheEnd(4, 8868.0f, "Boss12", 341); }

// A boss before its stage's last, defeated on its stage as it plays (type
// 3 through its three phases, each ended as soon as the last one's change
// is over). Its wreck must end: while it lives it holds the timeline, and
// the stage's next boss could never come. While it holds the timeline
// nothing spawns; it ends `ended` frames after the defeat state's first
// frame (-1: at most `limit`, where the end waits on the stand-in model's
// animation), lets the timeline go `early` frames before its end, and the
// next record of the stage's script then comes: a wave, or the next boss
// once the rail reaches it.
void ExpectTheStageGoesOn(int stage, float key, const char* name, int ended, int limit, int early = 0) {
  SCOPED_TRACE(name);
  testsupport::StageBossFight f(stage);
  EnemyBase* b = f.Start(key, key - 2.0f, name);
  ASSERT_NE(b, nullptr);
  SHandle<EnemyBase> h(b);
  f.Step(20);
  const int32_t spawned = StageEnemyCount;
  for (int k = 0; k < 2000 && b->script->GetState() != EnemyBase::SCRIPT_DEFEATED; ++k) {
    if (b->grabMode != EObjBase::GRAB_DEFEATED) { b->SendEvent(kHitEventDefeated, 0); }
    f.Step();
  }
  ASSERT_EQ(b->script->GetState(), EnemyBase::SCRIPT_DEFEATED);
  int released = -1, end = -1, next = -1;
  for (int k = 1; k <= limit + 2000 && (next < 0 || end < 0); ++k) {
    f.Step();
    if (released < 0 && g_EnemySet.paused == 0) released = k;
    if (end < 0 && LiveProc(h) == nullptr) end = k;
    if (next < 0 && StageEnemyCount > spawned) next = k;
    if (released < 0) { ASSERT_EQ(StageEnemyCount, spawned) << k; }
  }
  ASSERT_GT(end, 0);
  if (ended > 0) {
    EXPECT_EQ(end, ended);
  } else {
    EXPECT_LE(end, limit);
  }
  EXPECT_EQ(released, end - early);
  EXPECT_GT(next, 0);
}

// A boss before its stage's last whose wreck stays to the stage's end
// (types 3, 8 and 12): defeated as above, it lets the timeline go `released`
// frames after the defeat state's first frame (-1: at most `limit`, where
// the release waits on the stand-in model's animation), nothing spawns
// before, the wreck still lives when the next record of the stage's script
// comes, and it lives on after that.
void ExpectTheStageGoesOnPastTheWreck(int stage, float key, const char* name, int released, int limit) {
  SCOPED_TRACE(name);
  testsupport::StageBossFight f(stage);
  EnemyBase* b = f.Start(key, key - 2.0f, name);
  ASSERT_NE(b, nullptr);
  SHandle<EnemyBase> h(b);
  f.Step(20);
  const int32_t spawned = StageEnemyCount;
  for (int k = 0; k < 2000 && b->script->GetState() != EnemyBase::SCRIPT_DEFEATED; ++k) {
    if (b->grabMode != EObjBase::GRAB_DEFEATED) { b->SendEvent(kHitEventDefeated, 0); }
    f.Step();
  }
  ASSERT_EQ(b->script->GetState(), EnemyBase::SCRIPT_DEFEATED);
  int release = -1, next = -1;
  for (int k = 1; k <= limit + 2000 && next < 0; ++k) {
    f.Step();
    if (release < 0 && g_EnemySet.paused == 0) release = k;
    if (next < 0 && StageEnemyCount > spawned) next = k;
    ASSERT_NE(LiveProc(h), nullptr) << k;
    if (release < 0) { ASSERT_EQ(StageEnemyCount, spawned) << k; }
  }
  ASSERT_GT(release, 0);
  if (released > 0) {
    EXPECT_EQ(release, released);
  } else {
    EXPECT_LE(release, limit);
  }
  EXPECT_GT(next, 0);
  f.Step(60);
  EXPECT_NE(LiveProc(h), nullptr);
}

// The show companions of types 3, 8 and 12 move the rail on when their
// tick brings the count to 290; type 5's ends on its count 405, counted
// from 0 and raised after the frame's windows. Each is made in the defeat
// state's first frame and runs from the next, so the boss ends 290 frames
// after that first frame (type 5: 406). Type 10's script lets the timeline
// go at its count 120 of its last step and ends itself at 400, 280 frames
// later. Type 13's defeat counts its frames from 1 in the defeat state's
// first frame (frame 0 here): at 58 it starts a path home whose 121st step
// (frame 178) starts the explosion, which runs its first frame in that
// frame (the effect manager steps after the enemies) and kills the boss on
// its 215th (178 + 214 = 392). Type 6 is ended by the blast of its own
// defeat explosion and type 15 by its script once its last animation
// stretch has played, both after steps of the stand-in model's animation.
// Type 3's companion lets the timeline go when its tick brings the count
// to 290, 290 frames after the defeat state's first frame (it runs from the
// next).
TEST(BossStageEnd, StageOneGoesOnAfterTypeThree) { ExpectTheStageGoesOnPastTheWreck(1, 7400.0f, "Boss01", 290, 290); }

TEST(BossStageEnd, StageTwoGoesOnAfterTypesFiveAndSix) {
  ExpectTheStageGoesOn(2, 4391.0f, "Boss03", 406, 406);
  ExpectTheStageGoesOn(2, 7348.0f, "Boss04", -1, 400);
}

TEST(BossStageEnd, StageThreeGoesOnAfterTypeTen) {
  ExpectTheStageGoesOn(3, 4500.0f, "Boss08", -1, 600, 280);
}

TEST(BossStageEnd, StageFourGoesOnAfterTypeThirteen) {
  ExpectTheStageGoesOn(4, 5671.0f, "Boss11", 392, 392);
}

TEST(BossStageEnd, StageFiveGoesOnAfterTypeFifteen) { ExpectTheStageGoesOn(5, 179.0f, "Boss13", -1, 600); }

// Types 8 and 12, bosses before their stage's last: their show companions
// move the rail on and let the timeline go when their tick brings the
// count to 290 (made in the defeat state's first frame, running from the
// next); until then nothing spawns. The wrecks stay, and the stage's next
// record comes while they live on.
TEST(BossStageEnd, StageThreeGoesOnPastTypeEightsWreck) {
  ExpectTheStageGoesOnPastTheWreck(3, 2000.0f, "Boss06", 290, 290);
}

TEST(BossStageEnd, StageFourGoesOnPastTypeTwelvesWreck) {
  ExpectTheStageGoesOnPastTheWreck(4, 3941.0f, "Boss10", 290, 290);
}

}  // namespace
