// Boss type 10 in the running program, spawned from its stage record: its
// attack cycle, its self-defeat past the chain frame limit, its defeat by
// the ship's shots and its end; the arrow emitter's pattern and the rand
// draws of the break-up.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "boss_fight.h"
#include "game/core/StageCounters.h"
#include "game/enemy/EnemyType10.h"
#include "support/ImageCompare.h"
#include "support/SoundProbe.h"
#include "support/WeaponRig.h"

namespace {

using testsupport::PlayWorld;
using S = EnemyType10Behavior;

struct Run10 {
  std::vector<std::pair<int, int>> trace;  // (frame, state entered)
  int released = -1;                       // frame the timeline was let go
  int emittersOnTour = -1;                 // arrow emitters on entering the tour
  int end = -1;
};

Run10 Fight(PlayWorld& w, bossfight::BossStage& stage, bool fire) {
  Run10 r;
  SHandle<EnemyType10> h(static_cast<EnemyType10*>(stage.Spawn(10)));
  int frame = 0;
  r.end = bossfight::Fight(w, 6000, fire, [&] {
    EnemyType10* boss = h.Get();
    if (boss == nullptr || boss->GetState() >= SProc::STATE_KILLED) return true;
    const int s = boss->Script().GetState();
    if (r.trace.empty() || r.trace.back().second != s) {
      r.trace.emplace_back(frame, s);
      if (s == S::kArrowTour && r.emittersOnTour < 0)
        r.emittersOnTour = bossfight::CountChildren<BossArrowEmitter>(boss, 0);
    }
    if (r.released < 0 && g_EnemySet.paused == 0) r.released = frame;
    ++frame;
    return false;
  });
  return r;
}

TEST(Boss10, CycleThenDefeatsItselfPastItsLimitAndEnds) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  bossfight::BossStage stage(3, "osr_bs08", 245760);
  ASSERT_TRUE(stage.ok);
  const int32_t defeats = StageDefeatCount;
  const Run10 r = Fight(w, stage, false);
  // Climb, tour, return, fan cannon, lasers, and round again until a check
  // past 3600 frames alive: the end of a fan cannon defeats it on the spot.
  std::vector<int> states;
  for (auto& t : r.trace) states.push_back(t.second);
  const std::vector<int> want = {0, 1, 100000, 2, 3, 1, 100000, 2, 3, 1, 100000, 2, 100001};
  EXPECT_EQ(states, want);
  ASSERT_EQ(r.trace.size(), want.size());
  // The fan cannon lasts 300 frames (its frame divider fires on the 300th).
  EXPECT_EQ(r.trace[4].first - r.trace[3].first, 300);
  EXPECT_GT(r.trace[12].first, 3600);
  // Seven triples of emitters on the tour.
  EXPECT_EQ(r.emittersOnTour, 21);
  // Past its limit: neither counted nor rewarded.
  EXPECT_EQ(StageDefeatCount, defeats);
  // The defeat's last step lets the timeline go at its count 120 and ends
  // the boss at 400, 280 frames later.
  EXPECT_EQ(r.end - r.released, 280);
  EXPECT_EQ(g_MapMng.armed, 0);
}

TEST(Boss10, ShotDownItEndsOnceAndASecondDefeatChangesNothing) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  bossfight::BossStage stage(3, "osr_bs08", 245760);
  ASSERT_TRUE(stage.ok);
  const int32_t defeats = StageDefeatCount;
  SHandle<EnemyType10> h(static_cast<EnemyType10*>(stage.Spawn(10)));
  int released = -1;
  const int end = bossfight::Fight(w, 3000, true, [&] {
    EnemyType10* boss = h.Get();
    if (boss == nullptr) return true;
    if (released < 0 && g_EnemySet.paused == 0) {
      released = 0;
      // Released while it lives: a further defeat must not pay, count or
      // start a second break-up.
      boss->SendEvent(EObjBase::EV_DEFEATED, 0);
      EXPECT_EQ(bossfight::CountChildren<BossPartsObjectT10>(boss, 0), 1);
    }
    return false;
  });
  EXPECT_GT(end, 0);
  EXPECT_EQ(released, 0);
  EXPECT_EQ(StageDefeatCount, defeats + 1);
  EXPECT_EQ(g_EnemySet.paused, 0);
}

// Its climb's second stretch: at count 128 (the count having been held at
// 60 through the first) sound 36 rings once with the muzzle rings.
TEST(Boss10, ClimbRingsAtCount128) {
  bossfight::SpawnedBoss<EnemyType10> b(3, "osr_bs08", 245760, 10);
  ASSERT_TRUE(b.ok);
  PlayWorld& w = b.w;
  EnemyType10* boss = b.boss;
  SRsc* se = testsupport::EffectBank();
  testsupport::MarkSound(se, 36);
  auto& s = boss->Script();
  for (int f = 0; f < 2000 && !(s.subStep == 1 && s.count == 128); ++f) w.Step();
  ASSERT_EQ(s.GetState(), 0);
  ASSERT_EQ(s.count, 128);
  EXPECT_FALSE(testsupport::SoundPlayed(se, 36));
  w.Step();
  EXPECT_TRUE(testsupport::SoundPlayed(se, 36));
  testsupport::MarkSound(se, 36);
  w.Step();
  EXPECT_FALSE(testsupport::SoundPlayed(se, 36));
}

TEST(Boss10, ArrowEmitterFiresItsPatternThenEnds) {
  testsupport::WeaponRig rig;
  rig.PlaceOwner(0.0f, -100.0f);
  const float at[4] = {0.0f, -100.0f, 0.0f, 1.0f};
  rig.Adopt(new BossArrowEmitter(at, nullptr, 0.25f, 3.0f, 0, 2));
  int draws = bossfight::DrawsOf([&] { rig.Run(40); });
  // Two frames of rest, then one step a frame: one heading draw, shots at
  // steps 1, 2, 4, 5, 6 and 12, 19, 26, 33; step 34 ends it (no repeats).
  EXPECT_EQ(draws, 1);
  const int steps[] = {1, 2, 4, 5, 6, 12, 19, 26, 33};
  const int counts[] = {1, 2, 2, 1, 2, 1, 1, 1, 1};
  const int kinds[] = {7, 7, 7, 0, 7, 10, 10, 10, 10};
  for (int i = 0; i < 9; ++i) {
    const auto shots = rig.ShotsOfFrame(2 + steps[i]);
    ASSERT_EQ(int(shots.size()), counts[i]) << steps[i];
    EXPECT_EQ(shots[0].kind, kinds[i]) << steps[i];
  }
  EXPECT_EQ(rig.ShotsOfFrame(2 + 5)[0].batch, 2);
  // The pairs stand across the heading, 7 either side at step 2.
  const auto pair = rig.ShotsOfFrame(4);
  EXPECT_NEAR(std::hypot(pair[0].x - pair[1].x, pair[0].y - pair[1].y), 14.0f, 0.01f);
  EXPECT_EQ(int(rig.shots.size()), 12);
  EXPECT_EQ(rig.Generators(), 0);
}

TEST(Boss10, BreakUpDrawsItsRandValuesByTheTable) {
  testsupport::WeaponRig rig;
  bossfight::BossStage stage(3, "osr_bs08", 245760);
  ASSERT_TRUE(stage.ok);
  ModelInstance model;
  ASSERT_EQ(model.Bind(stage.mdl.get()), 0);
  rig.Adopt(new BossPartsObjectT10(&model));
  std::vector<int> draws;
  for (int f = 0; f <= 432; ++f) draws.push_back(bossfight::DrawsOf([&] { rig.Run(1); }));
  // Counts from the table for frames with no effect that draws of its own:
  // 351 only the colour window's unused draw; 352 and every fourth frame
  // two more for the glow; 380 to 390 three for the jitter.
  EXPECT_EQ(draws[251], 0);
  EXPECT_EQ(draws[351], 1);
  EXPECT_EQ(draws[352], 3);
  EXPECT_EQ(draws[380], 6);
  EXPECT_EQ(draws[381], 4);
  EXPECT_EQ(draws[391], 1);
  EXPECT_EQ(draws[420], 3);
  EXPECT_EQ(draws[421], 1);
  EXPECT_EQ(draws[429], 1);
}

}  // namespace

namespace {

TEST(Boss10, PictureOfTheFanCannon) {
  plat::Image img;
  ASSERT_TRUE(bossfight::PictureAfter(3, "osr_bs08", 245760, 10, S::kFanCannon, 120, &img));
  // The hull at its hit point, 3032.8 deep: (0, -667.8) x 512 / 3544.8 =
  // (0, -96.5) on the play area.
  const int64_t hull = testsupport::PixelsUnlike(img, 0xFF000000, testsupport::PlayPx(-8), testsupport::PlayPy(-104),
                                                 testsupport::PlayPx(8), testsupport::PlayPy(-88), 8);
  EXPECT_GT(hull, 0);
  EXPECT_TRUE(testsupport::MatchesGolden(img, "boss10_fan_cannon.png", 8, 400));
}

}  // namespace
