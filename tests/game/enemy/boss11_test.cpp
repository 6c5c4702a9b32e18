// Boss type 11 in the running program, spawned from its stage record: its
// attack cycle and self-defeat past its limit, its defeat by the ship's
// shots with the game told at the break-up's frame 50 and the wreck kept
// until the stage's objects are cleared 600 frames later; the break-up's
// rand draws; sparks riding on a shot that ends; the break-up's flash over
// the sunken model in stage 3 as it plays.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <tuple>
#include <vector>

#include "boss_fight.h"
#include "boss_rig.h"
#include "game/effect/EShotGen.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EfxGen.h"
#include "game/enemy/boss11/Boss11.h"
#include "support/ImageCompare.h"
#include "support/SoundProbe.h"
#include "support/StageBossFight.h"
#include "support/WeaponRig.h"

namespace {

using testsupport::PlayWorld;
using S = EnemyType11Behavior;

struct Run11 {
  std::vector<std::pair<int, int>> trace;  // (frame, state entered)
  int beaten = -1;                         // frame the game heard the boss is beaten
  int end = -1;
};

Run11 Fight(PlayWorld& w, bossfight::BossStage& stage, bool fire, int limit) {
  Run11 r;
  w.stageMayEnd = true;
  SHandle<EnemyType11> h(static_cast<EnemyType11*>(stage.Spawn(11)));
  int frame = 0;
  r.end = bossfight::Fight(w, limit, fire, [&] {
    if (r.beaten < 0 && w.G()->stageClear != 0) r.beaten = frame;
    EnemyType11* boss = h.Get();
    if (boss == nullptr || boss->GetState() >= SProc::STATE_KILLED) return true;
    const int s = boss->Script().GetState();
    if (r.trace.empty() || r.trace.back().second != s) r.trace.emplace_back(frame, s);
    ++frame;
    return false;
  });
  return r;
}

int Entered(const Run11& r, int state) {
  for (auto& t : r.trace)
    if (t.second == state) return t.first;
  return -1;
}

TEST(Boss11, CycleThenDefeatsItselfPastItsLimit) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  bossfight::BossStage stage(3, "osr_bs09", 10496);
  ASSERT_TRUE(stage.ok);
  const Run11 r = Fight(w, stage, false, 6000);
  std::vector<int> states;
  for (auto& t : r.trace) states.push_back(t.second);
  // 1 waits in 7; 3 and 5 go home first; 2, 4 and 6 change straight on.
  // The time checks come at the ends: the third attack ends in time (about
  // frame 3540), the generator volley after it past 3600 frames alive.
  const std::vector<int> want = {0, 1, 7, 2, 3, 100000, 7, 4, 5, 100000, 7, 6, 1, 7, 2, 3, 100000, 7, 4, 100001};
  EXPECT_EQ(states, want);
  EXPECT_GT(Entered(r, EnemyBase::SCRIPT_DEFEATED), 3600);
  const int defeat = Entered(r, EnemyBase::SCRIPT_DEFEATED);
  EXPECT_EQ(r.beaten - defeat, 51);
  EXPECT_EQ(r.end - r.beaten, 601);
}

TEST(Boss11, ShotDownTellsTheGameOnceAndEnds) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  bossfight::BossStage stage(3, "osr_bs09", 10496);
  ASSERT_TRUE(stage.ok);
  const Run11 r = Fight(w, stage, true, 3000);
  const int defeat = Entered(r, EnemyBase::SCRIPT_DEFEATED);
  ASSERT_GT(defeat, 0);
  EXPECT_EQ(r.beaten - defeat, 51);
  // The show never ends the wreck: it goes when the stage's objects are
  // cleared, on the 601st frame after the notice.
  EXPECT_EQ(r.end - r.beaten, 601);
}

// The sweep: to the left in 120 frames on stretches 1 then 3 (frame 60), to
// the right in 180 on 4, 5 (60) and 6 (120), home in 120 on 1 and 3 again,
// stretch 0 between and at the end.
TEST(Boss11, SweepStretchesByStepAndFrame) {
  bossfight::SpawnedBoss<EnemyType11> b(3, "osr_bs09", 10496, 11);
  ASSERT_TRUE(b.ok);
  PlayWorld& w = b.w;
  EnemyType11* boss = b.boss;
  auto& s = boss->Script();
  for (int f = 0; f < 3000 && s.GetState() != S::kSweep; ++f) w.Step();
  ASSERT_EQ(s.GetState(), S::kSweep);
  // (stretch, frame of the sweep it was asked for on)
  std::vector<std::pair<int32_t, int>> asked = {{boss->routeCursorIndex, 0}};
  for (int f = 1; f < 600 && s.GetState() == S::kSweep; ++f) {
    w.Step();
    if (s.GetState() != S::kSweep) break;
    if (boss->routeCursorIndex != asked.back().first) asked.emplace_back(boss->routeCursorIndex, f);
  }
  // The first path ends on its call 121, the second 181 calls later.
  const std::vector<std::pair<int32_t, int>> want = {{1, 0},   {3, 60},  {4, 121}, {5, 181},
                                                      {6, 241}, {0, 301}, {1, 302}, {3, 362}, {0, 422}};
  EXPECT_EQ(asked, want);
}

// Entering the wander draws nothing: the four emitter points are drawn by
// its frame code (12 draws), every frame from the first, which runs in the
// same update as the entry and before any emitter or generator made there.
TEST(Boss11, WanderEntryDrawsOnlyItsFramesPoints) {
  enemytest::BossRig<EnemyType11> r(11);
  ASSERT_NE(r.boss, nullptr);
  auto& s = r.boss->Script();
  s.ChangeState(S::kWander);
  EXPECT_EQ(bossfight::DrawsOf([&] { s.Update(); }), 12);
  ASSERT_EQ(s.GetState(), S::kWander);
  EXPECT_EQ(bossfight::DrawsOf([&] { s.Update(); }), 12);
}

TEST(Boss11, BreakUpDrawsItsRandValuesByTheTable) {
  testsupport::WeaponRig rig;
  bossfight::BossStage stage(3, "osr_bs09", 10496);
  ASSERT_TRUE(stage.ok);
  ModelInstance model;
  ASSERT_EQ(model.Bind(stage.mdl.get()), 0);
  rig.Adopt(new BossPartsObjectT11(&model));
  std::vector<int> draws;
  for (int f = 0; f <= 229; ++f) draws.push_back(bossfight::DrawsOf([&] { rig.Run(1); }));
  // Twelve a frame for the sparks of 60 to 190, none between the windows.
  for (int f : {60, 61, 125, 190}) EXPECT_EQ(draws[size_t(f)], 12) << f;
  for (int f : {1, 9, 11, 191, 199}) EXPECT_EQ(draws[size_t(f)], 0) << f;
  // Part 13 is gone from frame 30 (scaled to nothing), the model's packets
  // from frame 200.
  EXPECT_EQ(model.GetNode(13)->GetLocal()->m[0][0], 0.0f);
  EXPECT_EQ(model.GetNode(12)->GetPacketCount(), 0);
}

TEST(Boss11, SparksRidingOnAShotStayWhereItEnded) {
  testsupport::WeaponRig rig;
  EShot* shot = EShotMan::Fire(0x309, 5, 40.0f, -100.0f, 0.0f, 0.25f, 0.0f, nullptr, -1, nullptr, 1.0f);
  ASSERT_NE(shot, nullptr);
  const EfxSpriteDesc look{};
  auto* gen = new EfxGen(6, reinterpret_cast<const SVec4*>(shot->position), 0x1000000, &look, 0, 0, 0, 0, 0, 1.0f,
                         1, 0, 2.0f, 2.0f, 7, 7, 15, nullptr, 0, shot);
  rig.Adopt(gen);
  rig.Run(3);
  EShotMan::ClearAll(0);
  // Every cell, the freed one among them, is taken again by shots
  // elsewhere; the emitter stays put.
  for (int i = 0; i < 1500; ++i)
    EShotMan::Fire(7, 5, -150.0f, 200.0f, 0.0f, 0.25f, 0.0f, nullptr, -1, nullptr, 1.0f);
  rig.Run(10);
  EXPECT_EQ(gen->Origin()->x, 40.0f);
  EXPECT_EQ(gen->Origin()->y, -100.0f);
}

TEST(Boss11, PictureOfTheSwayAndBurst) {
  plat::Image img;
  ASSERT_TRUE(bossfight::PictureAfter(3, "osr_bs09", 10496, 11, S::kSwayBurst, 80, &img));
  // The burst of frame 65 rings the boss at its home (0, -100).
  const int64_t ring = testsupport::PixelsUnlike(img, 0xFF000000, testsupport::PlayPx(-160), testsupport::PlayPy(-260),
                                                 testsupport::PlayPx(160), testsupport::PlayPy(60), 8);
  EXPECT_GT(ring, 1000);
  EXPECT_TRUE(testsupport::MatchesGolden(img, "boss11_sway_burst.png", 8, 400));
}

// The long wander (state 5): generators G8, G9 and G10 on entry (codes 7,
// bases 0.25, 0.25 and 0); timeline T1 on its step counter, with stretch 5
// at 360: stretches 4, 6, 1, 2, 3, 4, 5, 6 at its frames 0, 60, 120, 180,
// 240, 300, 360 and 480; on its frame 540 (the counter having been raised to
// 540) stretch 0 and the home run, seen after 540 frames; the home run's
// path of 60 frames ends on its call 61, then the wait.
TEST(Boss11, LongWanderTimelineAndItsSwitchAt540) {
  bossfight::SpawnedBoss<EnemyType11> b(3, "osr_bs09", 10496, 11);
  ASSERT_TRUE(b.ok);
  EnemyType11* boss = b.boss;
  auto& s = boss->Script();
  for (int f = 0; f < 4000 && s.GetState() != S::kLongWander; ++f) {
    b.w.Step();
    b.w.G()->lives = 3;
  }
  ASSERT_EQ(s.GetState(), S::kLongWander);
  std::vector<int32_t> codes;
  std::vector<float> bases;
  for (SProc* c = boss->GetList(0)->Head(); c != nullptr; c = SProcList::Next(c))
    if (auto* g = dynamic_cast<EShotGen*>(c); g != nullptr && c->GetState() < SProc::STATE_KILLED) {
      codes.push_back(g->codeA);
      bases.push_back(g->baseAngle);
    }
  EXPECT_EQ(codes, (std::vector<int32_t>{7, 7, 7}));
  EXPECT_EQ(bases, (std::vector<float>{0.25f, 0.25f, 0.0f}));
  std::vector<std::pair<int32_t, int>> asked = {{boss->routeCursorIndex, 0}};
  int f = 1;
  for (; f < 1000 && s.GetState() == S::kLongWander; ++f) {
    b.w.Step();
    b.w.G()->lives = 3;
    if (boss->routeCursorIndex != asked.back().first) asked.emplace_back(boss->routeCursorIndex, f);
  }
  const std::vector<std::pair<int32_t, int>> want = {{4, 0},   {6, 60},  {1, 120}, {2, 180}, {3, 240},
                                                      {4, 300}, {5, 360}, {6, 480}, {0, 539}};
  EXPECT_EQ(asked, want);
  EXPECT_EQ(f - 1, 540);
  EXPECT_EQ(s.GetState(), EnemyBase::SCRIPT_RELEASED);
  EXPECT_EQ(s.next, S::kShotRain);
  int home = 1;  // its first frame has run
  for (int k = 0; k < 200; ++k) {
    b.w.Step();
    if (s.GetState() != EnemyBase::SCRIPT_RELEASED) break;
    ++home;
  }
  EXPECT_EQ(home, 61);
  EXPECT_EQ(s.GetState(), S::kWait);
}

// The break-up frame by frame, by the companion's count: sound 14 at 0, 10
// and 20; 14, 25 and 33 at 30 (part 13 bursts and is hidden from then on);
// 23 at 200, where the flash comes with its grid floor at 0.5 and the model
// stops drawing; the flash's axes scaled by 1 + 5 sin(r pi/2) over 200 to
// 230. The defeat cries one of voices 40 and 41.
TEST(Boss11, BreakUpSoundsPartsAndFlashByFrame) {
  bossfight::SpawnedBoss<EnemyType11> b(3, "osr_bs09", 10496, 11);
  ASSERT_TRUE(b.ok);
  EnemyType11* boss = b.boss;
  b.w.Step(30);
  SRsc* se = testsupport::EffectBank();
  SRsc* voice = testsupport::VoiceBank();
  for (int32_t n : {40, 41}) testsupport::MarkSound(voice, n);
  boss->SendEvent(kHitEventDefeated, 0);
  b.w.Step();
  EXPECT_NE(testsupport::SoundPlayed(voice, 40), testsupport::SoundPlayed(voice, 41));
  BossPartsObjectT11* c = bossfight::FirstChildOf<BossPartsObjectT11>(boss);
  ASSERT_NE(c, nullptr);
  const int32_t ids[4] = {14, 25, 33, 23};
  std::map<int32_t, std::vector<int32_t>> played;
  std::map<int32_t, float> flashScale;
  int32_t hiddenFrom = -1, undrawnFrom = -1, flashFrom = -1;
  float floor = 0.0f;
  for (int k = 0; k < 240 && c->timer.GetCount() <= 231; ++k) {
    const int32_t count = c->timer.GetCount();
    for (int32_t n : ids) testsupport::RearmSound(se, n);
    b.w.Step();
    for (int32_t n : ids)
      if (testsupport::SoundPlayed(se, n)) played[n].push_back(count);
    if (hiddenFrom < 0 && boss->model.GetNode(13)->GetLocal()->m[0][0] == 0.0f) hiddenFrom = count;
    if (undrawnFrom < 0 && boss->model.GetNode(12)->GetPacketCount() == 0) undrawnFrom = count;
    if (ScriptedProc::DrawSet* set = c->SetA()) {
      if (flashFrom < 0) {
        flashFrom = count;
        floor = set->grid.GetAlphaMin();
      }
      const float* x = set->world.GetMatrix().m[0];
      flashScale[count] = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
    }
  }
  EXPECT_EQ(played[14], (std::vector<int32_t>{0, 10, 20, 30}));
  EXPECT_EQ(played[25], (std::vector<int32_t>{30}));
  EXPECT_EQ(played[33], (std::vector<int32_t>{30}));
  EXPECT_EQ(played[23], (std::vector<int32_t>{200}));
  EXPECT_EQ(hiddenFrom, 30);
  EXPECT_EQ(undrawnFrom, 200);
  EXPECT_EQ(flashFrom, 200);
  EXPECT_EQ(floor, 0.5f);
  EXPECT_NEAR(flashScale[200], 1.0f, 1e-4f);
  EXPECT_NEAR(flashScale[215], 1.0f + 5.0f * std::sin(0.5f * 3.14159265f / 2.0f), 1e-3f);
  EXPECT_NEAR(flashScale[230], 6.0f, 1e-3f);
  EXPECT_NEAR(flashScale[231], 6.0f, 1e-3f);  // left as the window's last frame made it
}

// The break-up's flash grows over the model wherever the rail has taken the
// camera: placed at part 12's point on the screen, pushed back to depth 100,
// as before the fixed screen camera, it stays there as the rail runs on. In
// stage 3 as it plays the model has sunk below the view by frame 200 (part
// 12 at a point 1,000 units under the middle), so only the flash's painted
// middle, grown to 6 times its 480 x 480 by frame 230, comes up into the
// view: the bottom rows of the play area change, and nothing above them.
TEST(Boss11, BreakUpFlashGrowsOverTheSunkenModelWhereverTheRailTookTheCamera) {
  testsupport::StageBossFight f(3, true);
  auto* b = dynamic_cast<EnemyType11*>(f.Start(6300.0f, 6298.0f, "Boss09"));
  ASSERT_NE(b, nullptr);
  auto* show = bossfight::DefeatForTheShow<BossPartsObjectT11>(f, b);
  ASSERT_NE(show, nullptr);
  while (show->timer.GetCount() < 200) f.Step();
  const float* part = b->model.GetNode(12)->GetWorld()->m[3];
  EXPECT_GT(512.0f * part[1] / (512.0f + part[2]), 1000.0f);
  const float placed = g_MapMng.t;
  while (show->timer.GetCount() < 231) f.Step();
  EXPECT_GE(g_MapMng.t - placed, 30.0f);
  const bossfight::GridShot shot = bossfight::ShootGrid(f.W(), show);
  ASSERT_TRUE(shot.ok);
  EXPECT_GT(shot.Count(140, 440, 500, 480), 1000);
  EXPECT_EQ(shot.Count(0, 0, 640, 440) + shot.Count(0, 440, 140, 480) + shot.Count(500, 440, 640, 480), 0);
}

// The generator volley (state 4) by its frame: sounds 53 and 9 at 25,
// voice 39 and sound 21 at 30, where the animation slows to 0.3; G4 to G7
// on entry (codes 10, 0, 0, 0; G5 and G6 turning 0.25 to 0.375 and back);
// the long wander follows as soon as the animation run has completed.
TEST(Boss11, VolleySoundsAtItsFramesAndEndsWithItsAnimation) {
  bossfight::SpawnedBoss<EnemyType11> b(3, "osr_bs09", 10496, 11);
  ASSERT_TRUE(b.ok);
  EnemyType11* boss = b.boss;
  auto& s = boss->Script();
  for (int f = 0; f < 4000 && s.GetState() != S::kVolley; ++f) {
    b.w.Step();
    b.w.G()->lives = 3;
  }
  ASSERT_EQ(s.GetState(), S::kVolley);
  std::vector<std::tuple<int32_t, float, float>> gens;
  for (SProc* c = boss->GetList(0)->Head(); c != nullptr; c = SProcList::Next(c))
    if (auto* g = dynamic_cast<EShotGen*>(c); g != nullptr && c->GetState() < SProc::STATE_KILLED)
      gens.emplace_back(g->codeA, g->sweepStart, g->sweepEnd);
  EXPECT_EQ(gens, (std::vector<std::tuple<int32_t, float, float>>{
                      {10, 0.0f, 0.0f}, {0, 0.25f, 0.375f}, {0, 0.375f, 0.25f}, {0, 0.0f, 0.0f}}));
  SRsc* se = testsupport::EffectBank();
  SRsc* voice = testsupport::VoiceBank();
  std::map<int32_t, std::vector<int32_t>> played;  // sound (voices + 100): volley frames
  int32_t completed = -1, left = -1;
  for (int k = 0; k < 2000 && left < 0; ++k) {
    const int32_t frame = s.frame;
    for (int32_t n : {53, 9, 21}) testsupport::RearmSound(se, n);
    testsupport::StopSound(voice, 39);
    testsupport::MarkSound(voice, 39);
    b.w.Step();
    b.w.G()->lives = 3;
    if (s.GetState() != S::kVolley) {
      left = frame;
      break;
    }
    for (int32_t n : {53, 9, 21})
      if (testsupport::SoundPlayed(se, n)) played[n].push_back(frame);
    if (testsupport::SoundPlayed(voice, 39)) played[139].push_back(frame);
    if (frame == 30) {
      EXPECT_EQ(boss->animator.speed, 0.3f);
    }
    if (completed < 0 && boss->animator.count >= 1) completed = frame;
  }
  EXPECT_EQ(played[53], (std::vector<int32_t>{25}));
  EXPECT_EQ(played[9], (std::vector<int32_t>{25}));
  EXPECT_EQ(played[21], (std::vector<int32_t>{30}));
  EXPECT_EQ(played[139], (std::vector<int32_t>{30}));
  ASSERT_GT(completed, 30);
  // The animator advances after the script's step: the script sees the
  // completion in its next frame and its change takes effect in the one
  // after.
  EXPECT_EQ(left, completed + 2);
  EXPECT_EQ(s.GetState(), S::kLongWander);
}

// With stretches of ten frames the volley's animation run completes long
// before its frame 30: the volley ends then, whatever its frame.
TEST(Boss11, VolleyEndsWithAShortAnimationBeforeItsFrame30) {
  enemytest::BossRig<EnemyType11> r(11, 100000, 10.0f);
  ASSERT_NE(r.boss, nullptr);
  for (int k = 0; k < 30 && r.State() != S::kVolley; ++k) r.RunState(3000);
  ASSERT_EQ(r.State(), S::kVolley);
  const int frames = r.RunState(200);
  EXPECT_GT(frames, 9);
  EXPECT_LT(frames, 30);
  EXPECT_EQ(r.State(), S::kLongWander);
}

}  // namespace
