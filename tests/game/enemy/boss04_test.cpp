// Boss type 4 in stage 1: the staged entry that stops, jumps and restarts
// the rail, the attack cycle with the tour's length, an over-time defeat
// without a count, the defeat show (its vanishing parts, the game told once
// at frame 480, the wreck kept after it) and its rand draws; the sweep's
// side by its draw with its stretches and gun; the way home by side, and
// straight to the defeat past the time; the voices on dispose and the
// defeat voice by its draw; the laser on the low part; a picture mid-fight
// and a defeat by the Player's shots, which never hurt the armour parts,
// then the defeat's screen grid over the view; the parts on their nodes,
// and a grab ending their generators.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "boss_fight.h"
#include "gen_expect.h"
#include "game/core/Game.h"
#include "game/core/StageCounters.h"
#include "game/effect/ELaserGen.h"
#include "game/effect/EShotGen.h"
#include "game/enemy/EnemySet.h"
#include "game/enemy/boss04/EnemyType4.h"
#include "game/stage/MapMng.h"
#include "platform/crt_rand.h"
#include "support/ImageCompare.h"
#include "support/SoundProbe.h"
#include "support/StageBossFight.h"
#include "support/WeaponRig.h"

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

// Kills the boss and runs until it is disposed of (at most three frames).
bool Dispose(StageBossFight& f, EnemyType4* b) {
  SHandle<EnemyType4> h(b);
  b->Kill(0);
  for (int i = 0; i < 3 && h.Get() != nullptr; ++i) f.Step();
  return h.Get() == nullptr;
}

// The boss of stage 1's record (waiting for rail key 8230), run on into
// `state` (none: as it comes); null when it did not come or get there.
EnemyType4* Fight(StageBossFight& f, int32_t state = -1) {
  auto* b = dynamic_cast<EnemyType4*>(f.Start(8230.0f, 8228.0f, "Boss02"));
  if (b == nullptr || (state >= 0 && RunTo(f, b, state, 3000) < 0)) return nullptr;
  return b;
}

TEST(Boss04, EntryCycleOverTimeDefeatShowAndEnd) {
  StageBossFight f(1);
  EnemyType4* b = Fight(f);
  ASSERT_NE(b, nullptr);
  // The rail stops at once at the arena; the core is off while it arrives.
  f.Step(2);
  const float stop = g_MapMng.t;
  EXPECT_GE(stop, 8230.0f);
  EXPECT_LE(stop, 8231.0f);
  for (int i = 0; i < 30; ++i) {
    f.Step();
    ASSERT_EQ(g_MapMng.t, stop) << "frame " << i;  // held there on every frame
  }
  EXPECT_EQ(b->body.disabled, 1);
  // It waits under the rail until the rail, running again, reaches 8360,
  // then rises to its fighting depth.
  while (b->Script().step < 2) f.Step();
  EXPECT_EQ(b->GetPosition()[2], -100.0f);
  while (b->Script().step < 3) f.Step();
  EXPECT_GE(g_MapMng.t, 8360.0f);
  EXPECT_LT(g_MapMng.t, 8362.0f);
  ASSERT_GT(RunTo(f, b, 1, 400), 0);
  EXPECT_EQ(b->body.disabled, 0);
  // The cycle: the tour's path of 128, 256 and 128 frames ends on its call
  // 129 + 256 + 128 = 513; swarm 181 frames, sweep 221, bombard 338, laser
  // 361 (each state seen from the frame after its last).
  std::vector<int> took;
  for (int32_t s : {2, 3, 4, 5, 1}) took.push_back(RunTo(f, b, s, 800));
  EXPECT_EQ(took, (std::vector<int>{513, 181, 221, 338, 361}));
  // Over time: the swarm's end defeats it, without popup or count.
  const int32_t defeats = StageDefeatCount;
  ASSERT_GT(RunTo(f, b, 2, 800), 0);
  b->chainFrameLimit = 0;
  ASSERT_EQ(RunTo(f, b, EnemyBase::SCRIPT_DEFEATED, 200), 181);
  EXPECT_EQ(StageDefeatCount, defeats);
  f.W().stageMayEnd = true;
  // The show: node groups vanish one a phase and stay gone; the game hears
  // that the boss is beaten at 480; the show ends at 730 but never the
  // wreck, which holds the timeline on.
  auto gone = [b](int n) { return b->model.GetNode(n)->GetLocal()->m[0][0] == 0.0f; };
  f.Step(47);
  EXPECT_TRUE(gone(27) && gone(40) && !gone(44));
  f.Step(480 - 47);
  EXPECT_EQ(f.W().G()->stageClear, 0);
  f.Step();
  EXPECT_EQ(f.W().G()->stageClear, 1);
  EXPECT_TRUE(gone(27) && gone(44) && gone(20) && gone(49) && !gone(17));
  SHandle<EnemyType4> h(b);
  f.Step(740 - 481);
  EXPECT_TRUE(gone(17));
  ASSERT_NE(h.Get(), nullptr);
  EXPECT_EQ(g_EnemySet.paused, 1);
}

// The entry's sounds by its sub-step and step: effect 42 at step 40 of
// sub-step 1, effect 2 when the rail reaches 8360 (sub-step 2 to 3),
// effect 36 at step 8 of sub-step 4. Then every state's voice (17 tour,
// 18 sweep, 19 bombard, 20 laser) and generators with their values: P on
// parts 0 and 1, Q on 2 and 3, R on 6 (tour); S(0..9) from part 7 on the
// body (swarm); T on parts 2 and 3, U on the drawn side's part (sweep); V
// and W on the body, at step 197 X(0.25, 4.5), X(0.242, 4.43),
// X(0.258, 4.43), Y(0x20B, 0x20A, 12), Y(0x20C, 0x20B, 8) (bombard); at
// step 40 the laser L and Z (laser).
TEST(Boss04, EntrySoundsVoicesAndGeneratorsOfEachState) {
  using enemytest::ExpectGen;
  using enemytest::LiveGens;
  StageBossFight f(1);
  EnemyType4* b = Fight(f);
  ASSERT_NE(b, nullptr);
  auto& s = b->Script();
  SRsc* se = testsupport::EffectBank();
  SRsc* vo = testsupport::VoiceBank();
  ASSERT_NE(se, nullptr);
  ASSERT_NE(vo, nullptr);
  for (int32_t n : {42, 2, 36}) testsupport::MarkSound(se, n);
  for (int32_t n : {17, 18, 19, 20}) testsupport::MarkSound(vo, n);
  std::vector<std::pair<int32_t, int32_t>> heard[3];
  const int32_t sounds[3] = {42, 2, 36};
  for (int k = 0; k < 3000 && s.GetState() == EnemyType4Behavior::ENTRY; ++k) {
    const std::pair<int32_t, int32_t> at{s.step, s.frame};
    f.Step();
    for (int i = 0; i < 3; ++i)
      if (testsupport::SoundPlayed(se, sounds[i])) {
        heard[i].push_back(at);
        testsupport::MarkSound(se, sounds[i]);
      }
  }
  ASSERT_EQ(s.GetState(), EnemyType4Behavior::TOUR);
  EXPECT_EQ(heard[0], (std::vector<std::pair<int32_t, int32_t>>{{1, 40}}));
  ASSERT_EQ(heard[1].size(), 1u);
  EXPECT_EQ(heard[1][0].first, 2);
  EXPECT_EQ(heard[2], (std::vector<std::pair<int32_t, int32_t>>{{4, 8}}));
  // The tour.
  EXPECT_TRUE(testsupport::SoundPlayed(vo, 17));
  for (int i : {0, 1}) {
    const auto g = LiveGens(&s.parts[i]);
    ASSERT_EQ(g.size(), 1u) << i;
    ExpectGen(*g[0], ShotTuple{0x101, 5, 4, 4, 0.3f, 0, 0, 2.1f, 2.5f, 8, 1.0f, 1, 0, 0, 3, 1000, 60, 0, 0, 0, 0, 0,
                               -1, -1, 0});
  }
  for (int i : {2, 3}) {
    const auto g = LiveGens(&s.parts[i]);
    ASSERT_EQ(g.size(), 1u) << i;
    ExpectGen(*g[0], ShotTuple{0x10101, 5, 0x20A, 0x20A, 0, 0, 0, 6.0f, 7.0f, 7, 1.0f, 1, 0, 0, 4, 1000, 90, 0, 0, 0,
                               0, 70.0f, -1, -1, 0});
  }
  {
    const auto g = LiveGens(&s.parts[6]);
    ASSERT_EQ(g.size(), 1u);
    ExpectGen(*g[0], ShotTuple{0x20101, 5, 0x308, 0x308, 0, 0, 0, 2.0f, 2.0f, 17, 1.0f, 1, 0, 45, 1000, 0, 0, 0, 0, 0,
                               0, 45.0f, -1, -1, 0});
  }
  // The swarm.
  ASSERT_GT(RunTo(f, b, EnemyType4Behavior::SWARM, 800), 0);
  {
    const auto g = LiveGens(b);
    ASSERT_EQ(g.size(), 10u);
    for (int32_t i = 0; i < 10; ++i) {
      SCOPED_TRACE(i);
      ExpectGen(*g[size_t(i)], ShotTuple{0x101, 5, 4, 4, 0, 0, 0, 0, 0, 1, 0, 1, 0, 1, 6, 0, 0, 0, 0, 0, 1, 65.0f, -1,
                                         i, 0});
      EXPECT_FLOAT_EQ(g[size_t(i)]->OwnerPosition()[0], s.parts[7].hitPosition[0]);
    }
  }
  // The sweep.
  ASSERT_GT(RunTo(f, b, EnemyType4Behavior::SWEEP, 800), 0);
  EXPECT_TRUE(testsupport::SoundPlayed(vo, 18));
  for (int i : {2, 3}) {
    const auto g = LiveGens(&s.parts[i]);
    ASSERT_EQ(g.size(), 1u) << i;
    ExpectGen(*g[0], ShotTuple{0x40101, 5, 4, 4, 0.25f, 0, 0, 3.2f, 2.5f, 8, 1.0f, 1, 0, 10, 42, 0, 0, 0, 0, 0, 1, 0,
                               -1, -1, 0});
  }
  {
    const auto g = LiveGens(&s.parts[s.side]);
    ASSERT_EQ(g.size(), 1u);
    ExpectGen(*g[0], ShotTuple{0x10101, 5, 0x508, 0x508, 0, 0, 0, 7.0f, 7.0f, 1, 0, 1, 0, 3, 7, 3, 30, 0, 0, 0, 1,
                               30.0f, -1, -1, 0});
    EXPECT_TRUE(LiveGens(&s.parts[1 - s.side]).empty());
  }
  // The bombardment.
  ASSERT_GT(RunTo(f, b, EnemyType4Behavior::BOMBARD, 800), 0);
  EXPECT_TRUE(testsupport::SoundPlayed(vo, 19));
  {
    const auto g = LiveGens(b);
    ASSERT_EQ(g.size(), 2u);
    ExpectGen(*g[0], ShotTuple{0x20101, 5, 0x20A, 0x20A, 0, 0, 0, 2.5f, 2.5f, 27, 1.0f, 1, 0, 68, 100, 0, 0, 0, 0, 0,
                               1, 45.0f, -1, -1, 0});
    ExpectGen(*g[1], ShotTuple{0x2101, 5, 11, 11, 0, 0.25f, 0.5f, 2.5f, 2.5f, 6, 1.0f, 1, 0, 6, 10, 100, 13, 0, 0, 0,
                               1, 50.0f, -1, -1, 0});
  }
  while (s.frame <= 197) f.Step();
  {
    const auto g = LiveGens(b);
    ASSERT_EQ(g.size(), 5u);
    const std::pair<float, float> xs[3] = {{0.25f, 4.5f}, {0.242f, 4.43f}, {0.258f, 4.43f}};
    for (int i = 0; i < 3; ++i)
      ExpectGen(*g[size_t(i)], ShotTuple{0x101, 5, 0, 0, xs[i].first, 0, 0, xs[i].second, xs[i].second, 15, 1.0f, 1, 0,
                                         0, 1, 0, 0, 0, 0, 0, 1, 0, 2, -1, 0});
    ExpectGen(*g[3], ShotTuple{0x40121, 5, 0x20B, 0x20A, 0.25f, 0, 0, 4.0f, 3.5f, 13, 1.0f, 1, 0, 1, 8, 0, 0, 0, 0, 0,
                               0, 12.0f, 3, -1, 0});
    ExpectGen(*g[4], ShotTuple{0x40121, 5, 0x20C, 0x20B, 0.25f, 0, 0, 4.0f, 3.5f, 13, 1.0f, 1, 0, 1, 8, 0, 0, 0, 0, 0,
                               0, 8.0f, 3, -1, 0});
  }
  // The laser.
  ASSERT_GT(RunTo(f, b, EnemyType4Behavior::LASER, 800), 0);
  EXPECT_TRUE(testsupport::SoundPlayed(vo, 20));
  while (s.frame <= 40) {
    EXPECT_TRUE(LiveGens(b).empty());
    f.Step();
  }
  {
    const auto g = LiveGens(b);
    ASSERT_EQ(g.size(), 1u);
    ExpectGen(*g[0], ShotTuple{0x40121, 5, 0x20B, 10, 0, 0, 0, 2.0f, 3.0f, 16, 1.0f, 1, 0, 13, 10, 100, 15, 0, 0, 0, 1,
                               20.0f, -1, -1, 0});
    const auto l = enemytest::LiveLasers(b);
    ASSERT_EQ(l.size(), 1u);
    enemytest::ExpectLaser(*l[0], {0x40000, 25.0f, 200, 2, 0.7f, 2.0f, 5.0f, 32.0f, 18.0f, 3.0f, 6.0f, 30.0f, 15.0f,
                                   30});
  }
}

// The show's own handler, one frame at a time, its effect children left
// standing (they draw for themselves).
class ShowFrames : public BossPartsObjectT4 {
 public:
  using BossPartsObjectT4::BossPartsObjectT4;
  void Frame() { User(kCodeMain, 0); }

 protected:
  int32_t Main(SProcArg) override { return 0; }
};

// The show's own draws, its model from the stage's data: one for the
// angle of each radius burst, two for the place of each burst of [200, 300]
// on counts whose low five bits are 15, none elsewhere. Each burst's own
// painting draws as much as the plain burst that opens [200, 300].
TEST(Boss04, DefeatShowDrawsOnlyForItsBursts) {
  testsupport::WeaponRig rig;
  bossfight::BossStage stage(1, "osr_bs02", 290816);
  ASSERT_TRUE(stage.ok);
  ModelInstance model;
  ASSERT_EQ(model.Bind(stage.mdl.get()), 0);
  auto* show = new ShowFrames(&model);
  rig.Adopt(show);
  std::vector<int> draws;
  for (int c = 0; c <= 740; ++c) {
    draws.push_back(bossfight::DrawsOf([&] { show->Frame(); }));
    rig.Run(1);
  }
  const int burst = draws[200];
  EXPECT_GT(burst, 0);
  for (int c : {207, 239, 271}) EXPECT_EQ(draws[size_t(c)], burst + 2) << c;  // 0b11001111 ...
  for (int c : {47, 51, 135, 311, 359, 391, 409, 427, 499, 535, 599}) EXPECT_EQ(draws[size_t(c)], burst + 1) << c;
  for (int c : {46, 136, 154, 201, 206, 208, 302, 392, 501, 601, 700, 731, 740}) EXPECT_EQ(draws[size_t(c)], 0) << c;
}

// The show's brushes and grid, counted by hand from its timeline: a burst
// of the grid paints 3 brushes and its ring 4, so the count-0 pair of
// bursts and rings adds 14, counts 15 and 25 one each (7), the opening of
// [45, 135] one (7) and its radius bursts (counts & 3 = 3) 7 each, count
// 155 two (14). The grid is set up at 9.5 by 9.5 (z 1.0) and grows to 28.0
// over [720, 730].
TEST(Boss04, DefeatShowBrushesAndGridOnTheirCounts) {
  testsupport::WeaponRig rig;
  bossfight::BossStage stage(1, "osr_bs02", 290816);
  ASSERT_TRUE(stage.ok);
  ModelInstance model;
  ASSERT_EQ(model.Bind(stage.mdl.get()), 0);
  auto* show = new ShowFrames(&model);
  rig.Adopt(show);
  ASSERT_NE(show->SetA(), nullptr);
  const auto axis = [&](int row) {
    const SMatrix& m = show->SetA()->world.GetMatrix();
    return std::sqrt(m.m[row][0] * m.m[row][0] + m.m[row][1] * m.m[row][1] + m.m[row][2] * m.m[row][2]);
  };
  EXPECT_NEAR(axis(0), 9.5f, 1e-4f);
  EXPECT_NEAR(axis(1), 9.5f, 1e-4f);
  EXPECT_NEAR(axis(2), 1.0f, 1e-4f);
  std::vector<int> added;
  for (int c = 0; c <= 730; ++c) {
    const int before = show->SetA()->brushes.Count();
    show->Frame();
    added.push_back(show->SetA()->brushes.Count() - before);
    rig.Run(1);
  }
  const std::vector<std::pair<int, int>> want = {{0, 14}, {1, 0}, {15, 7}, {16, 0}, {25, 7}, {44, 0}, {45, 7},
                                                 {46, 0}, {47, 7}, {48, 0}, {51, 7}, {135, 7}, {136, 0}, {155, 14}};
  for (const auto& [c, n] : want) EXPECT_EQ(added[size_t(c)], n) << c;
  EXPECT_NEAR(axis(0), 28.0f, 1e-3f);
  EXPECT_NEAR(axis(1), 28.0f, 1e-3f);
  EXPECT_NEAR(axis(2), 1.0f, 1e-4f);
}

// The sweep's side is drawn on its entry: a draw below one half takes side
// 1 (stretches 16, 17, 18 and the gun on part 1), else side 0 (13, 14, 15
// and part 0). From seed 0 the first draw is 38 / 32767, from seed 10000 it
// is 32694 / 32767.
TEST(Boss04, SweepSideByItsDrawWithItsStretchesAndGun) {
  StageBossFight f(1);
  EnemyType4* b = Fight(f, 2);
  ASSERT_NE(b, nullptr);
  auto& s = b->Script();
  for (const auto& [seed, side] : {std::pair{0u, 1}, std::pair{10000u, 0}}) {
    SCOPED_TRACE(side);
    plat::SRand(seed);
    s.ChangeState(3);
    s.Update();  // enter and its step 0
    EXPECT_EQ(s.side, side);
    EXPECT_EQ(b->routeCursorIndex, 13 + 3 * side);
    EXPECT_EQ(bossfight::CountChildren<EShotGen>(&s.parts[side], 0), 1);
    EXPECT_EQ(bossfight::CountChildren<EShotGen>(&s.parts[1 - side], 0), 0);
    f.Step(28);
    EXPECT_EQ(b->routeCursorIndex, 14 + 3 * side);
    f.Step(200 - 28);
    EXPECT_EQ(b->routeCursorIndex, 15 + 3 * side);
    ASSERT_EQ(RunTo(f, b, 4, 100), 21);
    EXPECT_EQ(bossfight::CountChildren<EShotGen>(&s.parts[side], 0), 0);
  }
}

// Released (user code 14), it glides home along a 64-frame path: from left
// of home through stretches 10, 11, 12, from right of it through 7, 8, 9,
// from home itself on stretch 0; it asks for stretch 0 as it resumes the
// state after the one it left. Past its time the release defeats it at
// once, without a count.
TEST(Boss04, ReleasedGoesHomeBySideOrFallsPastItsTime) {
  StageBossFight f(1);
  EnemyType4* b = Fight(f, 2);
  ASSERT_NE(b, nullptr);
  auto& s = b->Script();
  float* p = b->GetPosition();
  for (const auto& [dx, stretches] : {std::pair{-40.0f, std::vector<int32_t>{10, 11, 12, 0}},
                                      std::pair{40.0f, std::vector<int32_t>{7, 8, 9, 0}},
                                      std::pair{0.0f, std::vector<int32_t>{0}}}) {
    SCOPED_TRACE(dx);
    ASSERT_EQ(s.GetState(), 2);
    const float home[3] = {s.home[0], s.home[1], s.home[2]};
    p[0] = home[0] + dx;
    b->SendEvent(EObjBase::EV_RELEASED, 0);
    std::vector<int32_t> seen;
    int frames = 0;
    for (; frames < 400 && s.GetState() != 3; ++frames) {
      f.Step();
      if (s.GetState() == EnemyBase::SCRIPT_RELEASED &&
          (seen.empty() || seen.back() != b->routeCursorIndex))
        seen.push_back(b->routeCursorIndex);
    }
    EXPECT_EQ(seen, stretches);
    EXPECT_EQ(s.GetState(), 3);
    EXPECT_EQ(p[0], home[0]);
    EXPECT_EQ(p[1], home[1]);
    EXPECT_EQ(p[2], home[2]);
    s.ChangeState(2);
    f.Step();
  }
  const int32_t defeats = StageDefeatCount;
  b->chainFrameLimit = 0;
  b->SendEvent(EObjBase::EV_RELEASED, 0);
  f.Step();
  EXPECT_EQ(s.GetState(), EnemyBase::SCRIPT_DEFEATED);
  EXPECT_EQ(StageDefeatCount, defeats);
}

// Disposed while it fights, it stops its four voices; its defeat stops
// them itself and says 21 on a draw above one half, else 22; disposed after
// the defeat it leaves the voices alone.
TEST(Boss04, VoicesOnDisposeAndTheDefeatVoiceByItsDraw) {
  {
    StageBossFight f(1);
    EnemyType4* b = Fight(f, 1);
    ASSERT_NE(b, nullptr);
    SRsc* voices = testsupport::VoiceBank();
    for (int32_t v : {17, 18, 19, 20}) testsupport::LoopSound(voices, v);
    ASSERT_TRUE(Dispose(f, b));
    for (int32_t v : {17, 18, 19, 20}) EXPECT_FALSE(testsupport::SoundPlaying(voices, v)) << v;
  }
  for (const auto& [seed, voice] : {std::pair{0u, 22}, std::pair{10000u, 21}}) {
    SCOPED_TRACE(voice);
    StageBossFight f(1);
    EnemyType4* b = Fight(f, 1);
    ASSERT_NE(b, nullptr);
    SRsc* voices = testsupport::VoiceBank();
    for (int32_t v : {17, 18, 19, 20}) testsupport::LoopSound(voices, v);
    testsupport::MarkSound(voices, 21);
    testsupport::MarkSound(voices, 22);
    plat::SRand(seed);
    b->Script().ChangeState(EnemyBase::SCRIPT_DEFEATED);
    b->Script().Update();
    for (int32_t v : {17, 18, 19, 20}) EXPECT_FALSE(testsupport::SoundPlaying(voices, v)) << v;
    EXPECT_TRUE(testsupport::SoundPlayed(voices, voice));
    EXPECT_FALSE(testsupport::SoundPlayed(voices, 43 - voice));
    for (int32_t v : {17, 18, 19, 20}) testsupport::LoopSound(voices, v);
    ASSERT_TRUE(Dispose(f, b));
    for (int32_t v : {17, 18, 19, 20}) EXPECT_TRUE(testsupport::SoundPlaying(voices, v)) << v;
    for (int32_t v : {17, 18, 19, 20}) testsupport::StopSound(voices, v);
  }
}

// The laser of state 5's frame 40 stands on the low part (part 6, node 68)
// as the part stands: the node matrix, with the shared matrix (the
// identity) applied. The stand-in node is not turned, so its axes are the
// boss's placement: tilted by its first angle, 0.17 turn about x (the
// model row's scale stays in the model's own drawing). The beam starts at
// the node's point projected to depth 0 (the part's own hit point) and
// runs along the node's y axis, farther away the longer it gets.
TEST(Boss04, LaserStandsOnTheLowPartFacingAsItFaces) {
  StageBossFight f(1);
  EnemyType4* b = Fight(f, 5);
  ASSERT_NE(b, nullptr);
  f.Step(39);
  ASSERT_EQ(bossfight::CountChildren<ELaserGen>(b, 0), 0);
  f.Step();
  ASSERT_EQ(bossfight::CountChildren<ELaserGen>(b, 0), 1);
  auto* laser = static_cast<ELaserGen*>(b->GetList(0)->Head());
  while (dynamic_cast<ELaserGen*>(laser) == nullptr) laser = static_cast<ELaserGen*>(SProcList::Next(laser));
  const SMatrix& o = laser->Origin();
  const float c = std::cos(0.34f * 3.14159265f), sn = std::sin(0.34f * 3.14159265f);
  const float rows[3][3] = {{1.0f, 0.0f, 0.0f}, {0.0f, c, sn}, {0.0f, -sn, c}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(o.m[i][j], rows[i][j], 1e-3f) << i << j;
  const SMatrix& node = *b->Script().parts[6].nodeMatrix;
  for (int j = 0; j < 3; ++j) EXPECT_EQ(o.m[3][j], node.m[3][j]);
  // Charged after 126 frames, it lays one segment a frame at the start
  // point, and each moves on along the node's y axis.
  f.Step(126 + 12);
  ASSERT_GE(laser->LiveSegments(), 10);
  const float d = 512.0f / (o.m[3][2] + 512.0f);
  const float start[2] = {o.m[3][0] * d, o.m[3][1] * d};
  EXPECT_NEAR(start[0], b->Script().parts[6].hitPosition[0], 1e-3f);
  EXPECT_NEAR(start[1], b->Script().parts[6].hitPosition[1], 1e-3f);
  float farthest = 0.0f;
  for (const SObject* x = laser->Segments().HeadObj(); x != nullptr; x = x->GetNext()) {
    const auto* seg = static_cast<const LaserSegment*>(x);
    const float at[3] = {start[0], start[1] + seg->distance * c, seg->distance * sn};
    const float e = 512.0f / (at[2] + 512.0f);
    EXPECT_NEAR(seg->position[0], at[0] * e, 1e-2f) << seg->distance;
    EXPECT_NEAR(seg->position[1], at[1] * e, 1e-2f) << seg->distance;
    farthest = std::max(farthest, seg->distance);
  }
  EXPECT_GE(farthest, 200.0f);
}

TEST(Boss04, PictureAndTheShotsThatDefeatIt) {
  StageBossFight f(1, true);
  EnemyType4* b = Fight(f, 3);
  ASSERT_NE(b, nullptr);
  f.Step(60);
  // Step 61 of the sweep: the boss stands where the tour's path ended, at
  // its first key (0, -412, 3830), on the side's second stretch; parts 2 and
  // 3 fire their random fans, and one side part its aimed stream.
  auto& s = b->Script();
  EXPECT_EQ(s.frame, 61);
  const float* at = b->GetPosition();
  EXPECT_EQ(std::make_tuple(at[0], at[1], at[2]), std::make_tuple(0.0f, -412.0f, 3830.0f));
  EXPECT_EQ(b->routeCursorIndex, 14 + 3 * s.side);
  for (int i : {2, 3}) EXPECT_EQ(bossfight::CountChildren<EShotGen>(&s.parts[i], 0), 1) << i;
  EXPECT_EQ(bossfight::CountChildren<EShotGen>(&s.parts[s.side], 0), 1);
  EXPECT_EQ(bossfight::CountChildren<EShotGen>(&s.parts[1 - s.side], 0), 0);
  plat::Image img;
  ASSERT_TRUE(f.W().H().Screenshot(&img));
  EXPECT_TRUE(testsupport::MatchesGolden(img, "boss04_fight.png", 8, 400));
  const int32_t defeats = StageDefeatCount;
  b->hitPoints = 8;
  f.W().Hold(plat::CabInput::kButton1);
  ASSERT_GT(RunTo(f, b, EnemyBase::SCRIPT_DEFEATED, 1500), 0);
  EXPECT_EQ(StageDefeatCount, defeats + 1);
  for (const B002Parts& p : b->Script().parts) EXPECT_EQ(p.hitPoints, 1000);
  // The defeat's screen grid stands at the boss's depth z (its model root's,
  // the stand-in root at its place), turned 0.05 turn back about x and 9.5
  // times its 480 x 640, as before the fixed screen camera, and keeps its
  // place in the view as the rail runs on: its point (x, y) stands at
  // (9.5 x, 9.5 y cos a, z + 9.5 y sin a), a = -0.05 turn, so its brushes
  // land round the boss. Shot down on its sweep at depth 3830 (on the
  // picture about (320, 206), its hull some 170 pixels across and drawn
  // over the grid), the burst of count 0 at (-20, 100) paints below it at
  // pixel (302, 326), those of count 155 at (40, -200) and (40, -250) above
  // it at (350, 99) and (349, 69). Taking the grid away 20 and 175 frames
  // into the show (the rail as many keys on), each burst 20 steps old (its
  // three brushes within 30 of its place, 43 wide), changes each place,
  // nowhere beside the play area (x 140 to 500), and far from all of it.
  auto* show = bossfight::FirstChildOf<BossPartsObjectT4>(b);
  ASSERT_NE(show, nullptr);
  const float z = b->GetPosition()[2];
  EXPECT_EQ(z, 3830.0f);
  const float placed = g_MapMng.t;
  const struct {
    int count;
    std::vector<std::pair<float, float>> bursts;
  } moments[] = {{20, {{-20, 100}}}, {175, {{40, -200}, {40, -250}}}};
  for (const auto& m : moments) {
    while (show->timer.GetCount() < m.count) f.Step();
    EXPECT_GE(g_MapMng.t - placed, float(m.count - 1));
    const bossfight::GridShot shot = bossfight::ShootGrid(f.W(), show);
    ASSERT_TRUE(shot.ok);
    for (const auto& [x, y] : m.bursts) {
      const bossfight::Pixel p = bossfight::GridPixel(x, y, 9.5f, -0.05f, z);
      EXPECT_GE(bossfight::ChangedNear(shot, p, 3), 20) << m.count << ": " << x << ", " << y << " at " << p.x
                                                        << ", " << p.y;
    }
    const int inside = shot.Count(140, 0, 500, 480);
    EXPECT_GT(inside, 500) << m.count;
    EXPECT_LT(inside, 360 * 480 / 4) << m.count;
    EXPECT_EQ(shot.Count(0, 0, 140, 480) + shot.Count(500, 0, 640, 480), 0) << m.count;
  }
}

// The eight armour parts (parts 0 to 7) ride nodes 62, 63, 67, 66, 65, 64,
// 68 and 69 as "B002 Parts": 1000 hit points, class 3, record kind 0 and
// no record, a body of mask 0x104 and radius 4 at the node's point, and
// they keep their node's world matrix. Damage and a defeat do nothing to a
// part; grabbed (code 9) or caught by a grab attempt (code 11), it ends
// the generators hung on it, and only its own.
TEST(Boss04, ArmourPartsOnTheirNodesAndAGrabEndsTheirGenerators) {
  StageBossFight f(1);
  EnemyType4* b = Fight(f, EnemyType4Behavior::TOUR);
  ASSERT_NE(b, nullptr);
  auto& s = b->Script();
  const int32_t nodes[8] = {62, 63, 67, 66, 65, 64, 68, 69};
  for (int i = 0; i < 8; ++i) {
    B002Parts& p = s.parts[i];
    EXPECT_EQ(p.GetName(), "B002 Parts") << i;
    ASSERT_NE(p.node, nullptr) << i;
    EXPECT_EQ(p.node, b->model.GetNode(nodes[i])) << i;
    EXPECT_EQ(p.nodeMatrix, p.node->GetWorld()) << i;
    EXPECT_EQ(p.hitPoints, 1000) << i;
    EXPECT_EQ(p.classKind, 3) << i;
    EXPECT_EQ(p.paramKind, 0) << i;
    EXPECT_EQ(p.param, nullptr) << i;
    EXPECT_EQ(p.body.radius, 4.0f) << i;
    EXPECT_EQ(p.body.mask, 0x104u) << i;
  }
  // The tour hangs one generator on each of parts 0 to 3.
  for (int i = 0; i < 4; ++i) ASSERT_EQ(bossfight::CountChildren<EShotGen>(&s.parts[i], 0), 1) << i;
  s.parts[0].SendEvent(kHitEventHit, 50);
  s.parts[0].SendEvent(kHitEventDefeated, 0);
  EXPECT_EQ(s.parts[0].hitPoints, 1000);
  EXPECT_EQ(bossfight::CountChildren<EShotGen>(&s.parts[0], 0), 1);
  s.parts[0].SendEvent(EObjBase::EV_GRABBED, 0);
  EXPECT_EQ(bossfight::CountChildren<EShotGen>(&s.parts[0], 0), 0);
  EXPECT_EQ(bossfight::CountChildren<EShotGen>(&s.parts[1], 0), 1);
  s.parts[2].SendEvent(EObjBase::EV_GRAB_ATTEMPT, 0);
  EXPECT_EQ(bossfight::CountChildren<EShotGen>(&s.parts[2], 0), 0);
  EXPECT_EQ(bossfight::CountChildren<EShotGen>(&s.parts[3], 0), 1);
}

}  // namespace
