// Boss type 10 in the running program, spawned from its stage record: its
// attack cycle, its self-defeat past the chain frame limit, its defeat by
// the ship's shots and its end; the arrow emitter's pattern and the rand
// draws of the break-up; the break-up's flash over the view in stage 3 as
// it plays.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <vector>

#include "boss_fight.h"
#include "boss_rig.h"
#include "game/core/StageCounters.h"
#include "game/effect/EShotGen.h"
#include "game/effect/ELaserGen.h"
#include "game/effect/EfxMan.h"
#include "game/tables/effect_tables.h"
#include "game/enemy/boss10/Boss10.h"
#include "support/ImageCompare.h"
#include "support/SoundProbe.h"
#include "support/StageBossFight.h"
#include "support/WeaponRig.h"
#include "vrax/resource/SImageSlot.h"

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
      boss->SendEvent(kHitEventDefeated, 0);
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
  for (int f = 0; f < 2000 && !(s.step == 1 && s.frame == 128); ++f) w.Step();
  ASSERT_EQ(s.GetState(), 0);
  ASSERT_EQ(s.frame, 128);
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

// The climb from (0, -4000, 4170), unhittable, tilted -0.021 turn: each
// frame places it at t = count / 130, y = 3358 t - 4000, z = 4170 - 1146 t,
// the count (from 0) held at 60 through the first stretch; sound 42 plays on
// each frame of that stretch whose animator value, truncated, is 546, 552,
// 556 or 558, and on no other.
TEST(Boss10, ClimbPathAndItsRoarFrames) {
  bossfight::SpawnedBoss<EnemyType10> b(3, "osr_bs08", 245760, 10);
  ASSERT_TRUE(b.ok);
  EnemyType10* boss = b.boss;
  auto& s = boss->Script();
  const float* p = boss->GetPosition();
  EXPECT_EQ(p[0], 0.0f);
  EXPECT_EQ(p[1], -4000.0f);
  EXPECT_EQ(p[2], 4170.0f);
  EXPECT_EQ(boss->angles[0], -0.021f);
  EXPECT_EQ(boss->body.disabled, 1);
  SRsc* se = testsupport::EffectBank();
  int roars = 0, frames = 0;
  for (int k = 0; k < 3000 && s.GetState() == S::kClimb && s.step == 0; ++k) {
    const int32_t alive = boss->framesAlive;
    const int32_t v = int32_t(boss->animator.value);
    const int32_t count = s.frame;
    // Stopped first: a play is not restarted within a frame's length of
    // sound, which the quick frames here would fall inside.
    testsupport::StopSound(se, 42);
    testsupport::MarkSound(se, 42);
    b.w.Step();
    if (boss->framesAlive == alive) continue;
    ++frames;
    const bool roar = v == 546 || v == 552 || v == 556 || v == 558;
    EXPECT_EQ(testsupport::SoundPlayed(se, 42), roar) << v;
    roars += roar;
    const float t = float(count) / 130.0f;
    EXPECT_NEAR(p[1], 3358.0f * t - 4000.0f, 1e-2f) << count;
    EXPECT_NEAR(p[2], 4170.0f - 1146.0f * t, 1e-2f) << count;
    EXPECT_EQ(s.frame, count < 60 ? count + 1 : 60);
  }
  EXPECT_GT(roars, 0);
  EXPECT_GT(frames, 60);
  ASSERT_EQ(s.step, 1);
  // Its second stretch carries the count on from 60, the place held at
  // t = 1 (0, -642, 3024) from count 130.
  for (int k = 0; k < 2000 && s.GetState() == S::kClimb && s.step == 1; ++k) {
    const int32_t count = s.frame;
    b.w.Step();
    if (s.step != 1) break;
    EXPECT_EQ(s.frame, count + 1);
    const float t = std::fmin(float(count) / 130.0f, 1.0f);
    EXPECT_NEAR(p[1], 3358.0f * t - 4000.0f, 1e-2f) << count;
    EXPECT_NEAR(p[2], 4170.0f - 1146.0f * t, 1e-2f) << count;
  }
  for (int k = 0; k < 2000 && s.GetState() == S::kClimb; ++k) b.w.Step();
  EXPECT_EQ(s.GetState(), S::kArrowTour);
  EXPECT_EQ(boss->body.disabled, 0);
}

// The lasers: on the frame the second stretch of state 3 arrives, one
// generator G on node 91 (code 256, 30 shots a step) and eight lasers from
// node 91 whose one matrix turns on by 0.125 i: they point at 0, 0.125,
// 0.375, 0.75, 0.25, 0.875, 0.625 and 0.5 turns, in that order.
TEST(Boss10, LasersPointWhereTheTurningMatrixLeftThem) {
  bossfight::SpawnedBoss<EnemyType10> b(3, "osr_bs08", 245760, 10);
  ASSERT_TRUE(b.ok);
  EnemyType10* boss = b.boss;
  auto& s = boss->Script();
  for (int k = 0; k < 4000 && !(s.GetState() == S::kLasers && s.step == 2); ++k) {
    b.w.Step();
    b.w.G()->lives = 3;
  }
  ASSERT_EQ(s.GetState(), S::kLasers);
  std::vector<float> turns;
  int g = 0;
  for (SProc* c = boss->GetList(0)->Head(); c != nullptr; c = SProcList::Next(c)) {
    if (auto* laser = dynamic_cast<ELaserGen*>(c)) {
      const SMatrix& m = laser->Origin();
      float a = std::atan2(m.m[0][1], m.m[0][0]) / 6.2831855f;
      if (a < -1e-4f) a += 1.0f;
      turns.push_back(a);
      EXPECT_NEAR(m.m[3][0], s.muzzle[0][0], 1e-3f);
      EXPECT_NEAR(m.m[3][1], s.muzzle[0][1], 1e-3f);
    }
    if (auto* gen = dynamic_cast<EShotGen*>(c)) {
      ++g;
      EXPECT_EQ(gen->codeA, 256);
      EXPECT_EQ(gen->ways, 30);
    }
  }
  const std::vector<float> want = {0.0f, 0.125f, 0.375f, 0.75f, 0.25f, 0.875f, 0.625f, 0.5f};
  ASSERT_EQ(turns.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(turns[i], want[i], 1e-4f) << i;
  EXPECT_EQ(g, 1);
}

// The break-up by the companion's count: sounds 14 and 33 at 0, 25 and 33
// at 125, 23 at 430, where the model stops drawing; the flash's axes
// scaled by 9.5 + 14.5 sin(r pi/2) over 430 to 440.
TEST(Boss10, BreakUpSoundsAndFlashByFrame) {
  bossfight::SpawnedBoss<EnemyType10> b(3, "osr_bs08", 245760, 10);
  ASSERT_TRUE(b.ok);
  EnemyType10* boss = b.boss;
  BossPartsObjectT10* c = bossfight::DefeatForTheShow<BossPartsObjectT10>(b);
  ASSERT_NE(c, nullptr);
  SHandle<BossPartsObjectT10> h(c);
  SRsc* se = testsupport::EffectBank();
  const int32_t ids[4] = {14, 25, 33, 23};
  std::map<int32_t, std::vector<int32_t>> played;
  std::map<int32_t, float> flash;
  int32_t undrawnFrom = -1;
  for (int k = 0; k < 460 && h.Get() != nullptr && c->timer.GetCount() <= 440; ++k) {
    const int32_t count = c->timer.GetCount();
    for (int32_t n : ids) testsupport::MarkSound(se, n);
    b.w.Step();
    if (h.Get() == nullptr) break;
    for (int32_t n : ids)
      if (testsupport::SoundPlayed(se, n)) played[n].push_back(count);
    int packets = 0;
    for (int32_t n = 0; boss->model.GetNode(n) != nullptr; ++n) packets += boss->model.GetNode(n)->GetPacketCount();
    if (undrawnFrom < 0 && packets == 0) undrawnFrom = count;
    if (ScriptedProc::DrawSet* set = c->SetA()) {
      const float* x = set->world.GetMatrix().m[0];
      flash[count] = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
    }
  }
  ASSERT_NE(h.Get(), nullptr);
  EXPECT_EQ(played[14], (std::vector<int32_t>{0}));
  EXPECT_EQ(played[25], (std::vector<int32_t>{125}));
  EXPECT_EQ(played[33], (std::vector<int32_t>{0, 125}));
  EXPECT_EQ(played[23], (std::vector<int32_t>{430}));
  EXPECT_EQ(undrawnFrom, 430);
  EXPECT_NEAR(flash[430], 9.5f, 1e-3f);
  EXPECT_NEAR(flash[435], 9.5f + 14.5f * std::sin(0.5f * 3.14159265f / 2.0f), 1e-3f);
  EXPECT_NEAR(flash[440], 24.0f, 1e-3f);
}

// The break-up's flash stands at the model root's depth (the boss's, the
// stand-in root at its place), as before the fixed screen camera, and keeps
// its place in the view as the rail runs on: its grid point (x, y) stands at
// (10 x, 10 y cos a, z + 10 y sin a), a = -0.0365 turns, so at the depth
// 3914 of stage 3's boss 10 units of the grid are 8.7 pixels and the four
// bursts of count 0 at (-20, 60), (20, 0), (-20, -80) and (100, 40) paint
// about pixels (302, 292), (337, 240), (303, 175) and (409, 275). In stage 3
// as it plays, 40 frames into the show (the camera 40 keys on), taking the
// flash away changes each of those places, nothing off the play area (x 140
// to 500) and far from all of it. The sparks of [125, 240] stand on a ring
// of radius 200 (less later) about (10, -60), pixel (328, 191): those of
// counts 125 to 131 (at most 7 steps old, each 3 brushes within 30 and 4
// within 60 of its point, none yet over 18 wide) paint only grid points
// 134 to 266 from it, each on the picture's play area.
TEST(Boss10, BreakUpFlashAtTheRootsDepthWhereverTheRailTookTheCamera) {
  testsupport::StageBossFight f(3, true);
  auto* b = dynamic_cast<EnemyType10*>(f.Start(4500.0f, 4498.0f, "Boss08"));
  ASSERT_NE(b, nullptr);
  auto* show = bossfight::DefeatForTheShow<BossPartsObjectT10>(f, b);
  ASSERT_NE(show, nullptr);
  const float z = b->GetPosition()[2];
  EXPECT_NEAR(z, 3914.0f, 20.0f);
  const float placed = g_MapMng.t;
  while (show->timer.GetCount() < 40) f.Step();
  EXPECT_GE(g_MapMng.t - placed, 39.0f);
  const bossfight::GridShot shot = bossfight::ShootGrid(f.W(), show);
  ASSERT_TRUE(shot.ok);
  const float bursts[4][2] = {{-20, 60}, {20, 0}, {-20, -80}, {100, 40}};
  for (const auto& o : bursts) {
    const bossfight::Pixel p = bossfight::GridPixel(o[0], o[1], 10.0f, -0.0365f, z);
    EXPECT_GE(bossfight::ChangedNear(shot, p, 4), 40) << o[0] << ", " << o[1] << " at " << p.x << ", " << p.y;
  }
  const int inside = shot.Count(140, 0, 500, 480);
  EXPECT_GT(inside, 2000);
  EXPECT_LT(inside, 360 * 480 / 4);
  EXPECT_EQ(shot.Count(0, 0, 140, 480) + shot.Count(500, 0, 640, 480), 0);

  while (show->timer.GetCount() < 125) f.Step();
  const ColourGridPacket& grid = show->SetA()->grid;
  const auto colours = [&grid] {
    std::vector<float> v;
    for (int r = 0; r <= 48; ++r)
      for (int c = 0; c <= 48; ++c) v.insert(v.end(), grid.ColourAt(c, r), grid.ColourAt(c, r) + 4);
    return v;
  };
  const std::vector<float> before = colours();
  while (show->timer.GetCount() < 132) f.Step();
  const std::vector<float> after = colours();
  int painted = 0;
  for (int r = 0; r <= 48; ++r)
    for (int c = 0; c <= 48; ++c) {
      const size_t k = size_t(r * 49 + c) * 4;
      if (std::equal(&before[k], &before[k] + 4, &after[k])) continue;
      ++painted;
      const float x = 10.0f * float(c) - 240.0f, y = 10.0f * float(r) - 240.0f;
      const float d = std::hypot(x - 10.0f, y + 60.0f);
      EXPECT_TRUE(d >= 134.0f && d <= 266.0f) << x << ", " << y << ": " << d;
      const bossfight::Pixel p = bossfight::GridPixel(x, y, 10.0f, -0.0365f, z);
      EXPECT_TRUE(p.x >= 140.0f && p.x <= 500.0f && p.y >= 0.0f && p.y <= 480.0f) << x << ", " << y;
    }
  EXPECT_GT(painted, 8);
}

// The arrow tour (state 1): stretches 3, 4, 5, 24, 6, 7, 8, 24, 3, 4, 5 in
// that order and then the return; 4.3 to the right each frame of stretch
// 4 and to the left each frame of stretch 7, still otherwise; seven triples
// of arrow emitters on entry and again on the arrivals of sub-steps 3 and
// 7, after the kills of sub-steps 2 and 6.
TEST(Boss10, ArrowTourStretchesSwayAndEmitters) {
  bossfight::SpawnedBoss<EnemyType10> b(3, "osr_bs08", 245760, 10);
  ASSERT_TRUE(b.ok);
  EnemyType10* boss = b.boss;
  auto& s = boss->Script();
  for (int k = 0; k < 3000 && s.GetState() != S::kArrowTour; ++k) b.w.Step();
  ASSERT_EQ(s.GetState(), S::kArrowTour);
  EXPECT_EQ(bossfight::CountChildren<BossArrowEmitter>(boss, 0), 21);
  std::vector<int32_t> asked = {boss->routeCursorIndex};
  std::vector<int> triples;  // sub-steps at whose end 21 fresh emitters stood
  const float* p = boss->GetPosition();
  for (int k = 0; k < 4000 && s.GetState() == S::kArrowTour; ++k) {
    const int32_t cursor = boss->routeCursorIndex, sub = s.step;
    const float x = p[0];
    const int before = bossfight::CountChildren<BossArrowEmitter>(boss, 0);
    b.w.Step();
    b.w.G()->lives = 3;
    if (s.GetState() != S::kArrowTour) break;
    const float want = cursor == 4 ? 4.3f : cursor == 7 ? -4.3f : 0.0f;
    EXPECT_NEAR(p[0] - x, want, 1e-3f) << cursor;
    if (boss->routeCursorIndex != asked.back()) asked.push_back(boss->routeCursorIndex);
    if (before == 0 && bossfight::CountChildren<BossArrowEmitter>(boss, 0) == 21) triples.push_back(sub);
  }
  EXPECT_EQ(asked, (std::vector<int32_t>{3, 4, 5, 24, 6, 7, 8, 24, 3, 4, 5}));
  EXPECT_EQ(triples, (std::vector<int>{3, 7}));
  EXPECT_EQ(s.GetState(), EnemyBase::SCRIPT_RELEASED);
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

namespace {

constexpr double kTau = 6.283185307179586;

// A live effect sprite as the muzzle and ring tests see it.
struct Spr {
  const SGpKeyList* keys;
  float size[2];
  float at[3];
  float turn;
};

// The sparks and rings a step of the world spawned (live after it, not
// before).
template <class Step>
std::vector<Spr> SpawnedBy(Step&& step) {
  std::set<const SObject*> before;
  for (const SObject* o = g_EfxMan.Live(1).HeadObj(); o != nullptr; o = o->GetNext()) before.insert(o);
  step();
  std::vector<Spr> out;
  for (const SObject* o = g_EfxMan.Live(1).HeadObj(); o != nullptr; o = o->GetNext()) {
    if (before.count(o) != 0) continue;
    const SGpKeyList* keys = static_cast<const EfxSprite*>(o)->track.GetList();
    const SGpSpriteCell* c = static_cast<const EfxSprite*>(o)->Sprite();
    // The boss's muzzle sprites and rings; the ship's own effects aside.
    if (c == nullptr || (keys != SprEfx01_4KeysB && keys != SprEfx00_4KeysB)) continue;
    out.push_back(Spr{static_cast<const EfxSprite*>(o)->track.GetList(), {c->scaleX, c->scaleY},
                      {c->ownPos[0], c->ownPos[1], c->ownPos[2]}, c->angle});
  }
  return out;
}

// The climb's second stretch: on a count with bit 2 set (124) one spark of
// the muzzle sequence at each of nodes 92 and 93, size 23; at count 128
// (bit 2 clear: no spark) seven rings about each node, size 30, at
// (100 cos a, 80 sin a) with a = 2 pi (0.05 k + 0.1), k = 0..6.
TEST(Boss10, ClimbSparksAndRingsAtTheirSizesAndPlaces) {
  bossfight::SpawnedBoss<EnemyType10> b(3, "osr_bs08", 245760, 10);
  ASSERT_TRUE(b.ok);
  auto& s = b.boss->Script();
  const auto until = [&](int32_t count) {
    for (int k = 0; k < 2000 && !(s.step == 1 && s.frame == count); ++k) b.w.Step();
    ASSERT_EQ(s.step, 1);
    ASSERT_EQ(s.frame, count);
  };
  const auto muzzles = [&] {
    std::vector<std::vector<float>> m;
    for (int i = 1; i <= 2; ++i) m.push_back({s.muzzle[i][0], s.muzzle[i][1], s.muzzle[i][2]});
    return m;
  };
  until(124);
  auto m = muzzles();
  auto sprites = SpawnedBy([&] { b.w.Step(); });
  ASSERT_EQ(sprites.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(sprites[i].keys, SprEfx01_4KeysB);
    EXPECT_EQ(sprites[i].size[0], 23.0f);
    EXPECT_EQ(sprites[i].size[1], 23.0f);
    for (int c = 0; c < 3; ++c) EXPECT_FLOAT_EQ(sprites[i].at[c], m[i][size_t(c)]) << c;
  }
  until(128);
  m = muzzles();
  sprites = SpawnedBy([&] { b.w.Step(); });
  ASSERT_EQ(sprites.size(), 14u);
  for (int k = 0; k < 7; ++k) {
    const double a = kTau * (0.05 * k + 0.1);
    for (int i = 0; i < 2; ++i) {
      SCOPED_TRACE(testing::Message() << k << " " << i);
      const Spr& r = sprites[size_t(2 * k + i)];
      EXPECT_EQ(r.keys, SprEfx00_4KeysB);
      EXPECT_EQ(r.size[0], 30.0f);
      EXPECT_EQ(r.size[1], 30.0f);
      EXPECT_NEAR(r.at[0], m[size_t(i)][0] + 100.0 * std::cos(a), 1e-3);
      EXPECT_NEAR(r.at[1], m[size_t(i)][1] + 80.0 * std::sin(a), 1e-3);
      EXPECT_FLOAT_EQ(r.at[2], m[size_t(i)][2]);
    }
  }
}

// The fight's flashes up to its first lasers: volley B on the tour and
// volley A in the fan cannon are 16 sparks each at one muzzle (node 92 at
// v = 308, node 93 at v = 321), the lasers' burst at v = 107 eight at each
// of nodes 92 and 93; all of the muzzle sequence at size 23, the sparks of
// one flash turned i/n of a turn apart.
TEST(Boss10, VolleyAndBurstFlashesAreSparksOfTheMuzzleSequence) {
  bossfight::SpawnedBoss<EnemyType10> b(3, "osr_bs08", 245760, 10);
  ASSERT_TRUE(b.ok);
  EnemyType10* boss = b.boss;
  auto& s = boss->Script();
  std::map<int32_t, std::vector<std::vector<int>>> seen;  // state: sparks per muzzle, per flash
  for (int k = 0; k < 6000 && !(s.GetState() == S::kLasers && s.step >= 2); ++k) {
    const int32_t state = s.GetState();
    const float v = boss->animator.value;
    float m[3][3];
    for (int i = 0; i < 3; ++i) std::copy(s.muzzle[i], s.muzzle[i] + 3, m[i]);
    const auto sprites = SpawnedBy([&] {
      b.w.Step();
      b.w.G()->lives = 3;
    });
    if (state == S::kClimb || sprites.empty()) continue;
    std::vector<int> at(3, 0);
    std::vector<float> turns;
    for (const Spr& r : sprites) {
      ASSERT_EQ(r.keys, SprEfx01_4KeysB) << state;
      EXPECT_EQ(r.size[0], 23.0f);
      EXPECT_EQ(r.size[1], 23.0f);
      for (int i = 0; i < 3; ++i)
        if (r.at[0] == m[i][0] && r.at[1] == m[i][1] && r.at[2] == m[i][2]) ++at[size_t(i)];
      turns.push_back(r.turn);
    }
    seen[state].push_back(at);
    const bool burst = state == S::kLasers;
    const size_t n = burst ? 8 : 16;
    EXPECT_EQ(v, burst ? 107.0f : v == 308.0f ? 308.0f : 321.0f) << state;
    const std::vector<int> want = burst ? std::vector<int>{0, 8, 8}
                                        : v == 308.0f ? std::vector<int>{0, 16, 0} : std::vector<int>{0, 0, 16};
    EXPECT_EQ(at, want) << state << " " << v;
    for (size_t i = 0; i < turns.size(); ++i) EXPECT_FLOAT_EQ(turns[i], float(i % n) / float(n)) << i;
  }
  EXPECT_EQ(seen[S::kArrowTour].size(), 6u);  // two volleys B in each of sub-steps 3, 7 and 11
  EXPECT_EQ(seen[S::kFanCannon].size(), 2u);
  EXPECT_EQ(seen[S::kLasers].size(), 1u);
}

// The flight home of state 100000 from right of the home point, on the rig
// whose stretches each arrive after 10 frames: the bank into the turn
// (stretch 6, frames 1 to 10), the path home (stretch 7 from frame 11; its
// one key of 104 frames ends on the 105th advance, frame 116), the bank out
// (stretch 8, frames 116 to 125); on frame 126 it arrives, the idle stretch
// 2 is set and the next state is asked for, which enters on frame 127 (not
// after a further run of stretch 2).
TEST(Boss10, ReturnGoesOnInTheFrameItsLastStretchArrives) {
  enemytest::BossRig<EnemyType10> r(10, 100000, 10.0f);
  ASSERT_NE(r.boss, nullptr);
  auto& s = r.boss->Script();
  r.m.rig.Run(1);
  const float* p = r.boss->GetPosition();
  s.home[0] = p[0] - 100.0f, s.home[1] = p[1], s.home[2] = p[2];
  s.next = S::kFanCannon;
  s.ChangeState(EnemyBase::SCRIPT_RELEASED);
  std::vector<std::pair<int32_t, int>> stood;  // (route cursor, frames)
  int frames = 0;
  while (frames < 400) {
    r.m.rig.Run(1);
    ++frames;
    if (s.GetState() != EnemyBase::SCRIPT_RELEASED) break;
    if (stood.empty() || stood.back().first != r.boss->routeCursorIndex) stood.emplace_back(r.boss->routeCursorIndex, 0);
    ++stood.back().second;
  }
  EXPECT_EQ(stood, (std::vector<std::pair<int32_t, int>>{{6, 10}, {7, 105}, {8, 10}, {2, 1}}));
  EXPECT_EQ(frames, 127);
  EXPECT_EQ(s.GetState(), S::kFanCannon);
  EXPECT_EQ(r.boss->routeCursorIndex, 24);
}

// The climb's flashes as drawn (the picture shows the frame before the last
// step): the orange sparks of the muzzle pairs of counts 124 and 125, then
// the ring burst of count 128, pale blue about both muzzles (nodes 92 and
// 93, some 3081 deep: (+-150, -688) x 512 / 3593 = (+-21.4, -98.1) on the
// play area); the hull's grey shows neither colour.
TEST(Boss10, PictureOfTheClimbRings) {
  testsupport::PlayOptions o;
  o.nullDevice = false;
  testsupport::PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  bossfight::BossStage stage(3, "osr_bs08", 245760);
  ASSERT_TRUE(stage.ok);
  plat::SRand(1);
  SHandle<EnemyType10> h(static_cast<EnemyType10*>(stage.Spawn(10)));
  ASSERT_NE(h.Get(), nullptr);
  const auto at = [&](int32_t count) {
    return [&h, count] { return h.Get() == nullptr || (h->Script().step == 1 && h->Script().frame == count); };
  };
  const auto blue = [](uint32_t r, uint32_t, uint32_t b) { return b > 150 && b > r + 30; };
  const auto orange = [](uint32_t r, uint32_t, uint32_t b) { return r > 100 && r > b + 40; };
  plat::Image img;
  ASSERT_GE(bossfight::Fight(w, 3000, false, at(126)), 0);
  ASSERT_NE(h.Get(), nullptr);
  w.Step();
  ASSERT_TRUE(w.H().Screenshot(&img));
  for (float x : {-21.4f, 21.4f}) {
    SCOPED_TRACE(x);
    EXPECT_GT(testsupport::CountPlayPixels(img, x - 20.0f, -118.0f, x + 20.0f, -78.0f, orange), 30);
    EXPECT_EQ(testsupport::CountPlayPixels(img, x - 30.0f, -128.0f, x + 30.0f, -68.0f, blue), 0);
  }
  ASSERT_GE(bossfight::Fight(w, 10, false, at(129)), 0);
  ASSERT_NE(h.Get(), nullptr);
  w.Step();
  ASSERT_TRUE(w.H().Screenshot(&img));
  for (float x : {-21.4f, 21.4f}) {
    SCOPED_TRACE(x);
    EXPECT_GT(testsupport::CountPlayPixels(img, x - 30.0f, -128.0f, x + 30.0f, -68.0f, blue), 100);
  }
  EXPECT_TRUE(testsupport::MatchesGolden(img, "boss10_climb_rings.png", 8, 400));
}

}  // namespace
