// Boss type 3 in stage 1: its states over frames through the three phases
// (a phase ended by the time limit, one by an event, the last by the
// Player's shots), the cannon sets and their hit points, the rail it loops,
// stops and moves on, and its end; a picture mid-fight.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "game/core/StageCounters.h"
#include "game/effect/ELaserGen.h"
#include "game/effect/EfxProcG.h"
#include "game/effect/EShotGen.h"
#include "game/effect/EShotMan.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/enemy/boss03/EnemyType3.h"
#include "game/player/Player.h"
#include "game/stage/MapMng.h"
#include "platform/crt_rand.h"
#include "support/StageBossFight.h"
#include "support/ImageCompare.h"
#include "support/SoundProbe.h"
#include "gen_expect.h"

namespace {

using testsupport::StageBossFight;
using Trace = std::vector<std::pair<int32_t, int32_t>>;  // (frames alive, new state)

// Runs until the boss's script is in `state` (or `limit` frames), noting
// each new state with the boss's frames alive at its first frame.
void RunTo(StageBossFight& f, EnemyType3* b, int32_t state, int limit, Trace* trace) {
  for (int i = 0; i < limit && b->Script().GetState() != state; ++i) {
    const int32_t before = b->Script().GetState();
    f.Step();
    if (b->Script().GetState() != before) trace->emplace_back(b->framesAlive, b->Script().GetState());
  }
}

TEST(Boss03, ThreePhasesTheRailMovedOnAndTheEnd) {
  StageBossFight f(1);
  auto* b = dynamic_cast<EnemyType3*>(f.Start(7400.0f, 7398.0f, "Boss01"));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(g_EnemySet.paused, 1);
  EXPECT_EQ(g_MapMng.armed, 1);
  EXPECT_EQ(g_MapMng.armedAt, 7636.0f);
  EXPECT_EQ(g_MapMng.armedT, 7353.0f);
  // Settling (no generator yet): the boss draws only for its wheel dust,
  // eight a frame on frames alive that are multiples of 5; the stage's own
  // draws are the same every frame.
  Trace t;
  RunTo(f, b, 1, 200, &t);
  f.Step(3);
  std::vector<int> draws, want;
  for (int i = 0; i < 10; ++i) {
    const uint32_t s = plat::RandSeed();
    f.Step();
    draws.push_back(testsupport::RandDraws(s, plat::RandSeed()));
    want.push_back(b->framesAlive % 5 == 0 ? 8 : 0);
  }
  const int stage = *std::min_element(draws.begin(), draws.end());
  for (int& d : draws) d -= stage;
  EXPECT_EQ(draws, want);
  // Roll-in 121 frames, settles of 61 and 71, fans 171, arcs 201, streams
  // 271 (the frame a state asks for the next one, the next frame runs it).
  RunTo(f, b, 3, 2000, &t);
  RunTo(f, b, 4, 2000, &t);
  RunTo(f, b, 5, 2000, &t);
  RunTo(f, b, 3, 2000, &t);
  EXPECT_EQ(t, (Trace{{122, 1}, {183, 2}, {254, 3}, {425, 4}, {626, 5}, {897, 3}}));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(b->Script().cannons[i].GetName(), "B001 Cannon");
  // Over time: the next divider tick of the fans ends phase 0 (no popup,
  // no count); the first set goes, the second comes with the unfolding.
  const int32_t defeats = StageDefeatCount;
  b->chainFrameLimit = 0;
  t.clear();
  RunTo(f, b, 6, 400, &t);
  EXPECT_EQ(t, (Trace{{2, 6}}));
  EXPECT_EQ(b->phase, 1);
  EXPECT_EQ(b->hitPoints, b->param->hitPoints);
  f.Step();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(b->Script().cannons[i].GetState(), SProc::STATE_NONE);
  RunTo(f, b, 8, 400, &t);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[1].second * 10 + t[2].second, 78);
  for (int i = 3; i < 6; ++i) EXPECT_TRUE(b->Script().cannons[i].Present());
  // The recoil route moved in the boss's own record, not in the stage's.
  EXPECT_EQ(b->param->recoilRouteIndex, 9);
  for (const EnemyParam& p : g_EnemySet.script->params)
    if (p.type == 3) { EXPECT_EQ(p.recoilRouteIndex, -1); }
  // An event ends phase 1; the core is exposed for 161 frames, then rings.
  b->chainFrameLimit = 100000;
  b->SendEvent(kHitEventDefeated, 0);
  t.clear();
  RunTo(f, b, 11, 400, &t);
  EXPECT_EQ(t, (Trace{{1, 10}, {162, 11}}));
  EXPECT_EQ(StageDefeatCount, defeats);
  // The Player's shots finish the core.
  b->hitPoints = 8;
  f.W().Hold(plat::CabInput::kButton1);
  RunTo(f, b, EnemyBase::SCRIPT_DEFEATED, 600, &t);
  f.W().ReleaseAll();
  ASSERT_EQ(b->Script().GetState(), EnemyBase::SCRIPT_DEFEATED);
  EXPECT_EQ(StageDefeatCount, defeats + 1);
  // The rail eases to a stop over 185 frames; 290 frames after the defeat
  // the rail leaves the arena at 7823 at half speed, the loop let go, and
  // the timeline runs on; the wreck stays.
  // Its companion's defeat burst: a staged explosion of type 8 at
  // (0, -100, 0), scale 1.0, unturned, a child of the companion.
  {
    BossPartsObjectT3* show = nullptr;
    SProcList* l = b->GetList(0);
    for (SProc* c = l != nullptr ? l->Head() : nullptr; c != nullptr && show == nullptr; c = SProcList::Next(c))
      show = dynamic_cast<BossPartsObjectT3*>(c);
    ASSERT_NE(show, nullptr);
    SProcList* e = show->GetList(0);
    const EfxProcG* burst = e != nullptr && e->Head() != nullptr ? dynamic_cast<const EfxProcG*>(e->Head()) : nullptr;
    ASSERT_NE(burst, nullptr);
    EXPECT_EQ(burst->Type(), 8);
    EXPECT_EQ(burst->Position().x, 0.0f);
    EXPECT_EQ(burst->Position().y, -100.0f);
    EXPECT_EQ(burst->Position().z, 0.0f);
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j) EXPECT_EQ(burst->Orientation().m[i][j], i == j ? 1.0f : 0.0f);
  }
  f.Step(200);
  EXPECT_NEAR(g_MapMng.speed, 0.0f, 1e-4f);
  SHandle<EnemyType3> h(b);
  f.Step(88);
  ASSERT_NE(h.Get(), nullptr);
  EXPECT_EQ(g_MapMng.armed, 1);
  EXPECT_EQ(g_EnemySet.paused, 1);
  // The jump stops effect 22 and runs the stopped rail on at half speed.
  SRsc* se = testsupport::EffectBank();
  ASSERT_NE(se, nullptr);
  testsupport::LoopSound(se, 22);
  f.Step(3);
  EXPECT_NE(h.Get(), nullptr);
  EXPECT_FALSE(testsupport::SoundPlaying(se, 22));
  EXPECT_EQ(g_MapMng.armed, 0);
  EXPECT_EQ(g_MapMng.speed, 0.5f);
  EXPECT_GE(g_MapMng.t, 7823.0f);
  EXPECT_LT(g_MapMng.t, 7825.0f);
  EXPECT_EQ(g_EnemySet.paused, 0);
  EXPECT_EQ(g_EnemyMan.FindFirst("Boss01"), b);
}

// Each ring volley sends nine ring pairs round the boss and aims its three
// fans at the player: their base angle is
// atan2(player y - hit y, player x - hit x) in turns, taken from the core's
// hit point on the volley's entry (player below right: 1/8 turn; below
// left at twice the distance across: atan2(50, -100) / 2 pi).
TEST(Boss03, RingVolleysAimAtThePlayer) {
  StageBossFight f(1);
  auto* b = dynamic_cast<EnemyType3*>(f.Start(7400.0f, 7398.0f, "Boss01"));
  ASSERT_NE(b, nullptr);
  Trace t;
  RunTo(f, b, 1, 200, &t);
  ASSERT_EQ(b->Script().GetState(), 1);
  std::vector<int32_t> parities;
  for (const auto& [dx, dy, aim] : {std::tuple{100.0f, 100.0f, 0.125f}, std::tuple{-100.0f, 50.0f, 0.42620819f}}) {
    SCOPED_TRACE(dx);
    parities.push_back(b->Script().step & 1);
    const float hx = b->hitPosition[0], hy = b->hitPosition[1];
    PlayerPos.x = hx + dx;
    PlayerPos.y = hy + dy;
    const float half = float(b->Script().step & 1) / 16.0f;
    b->Script().ChangeState(EnemyType3Behavior::RINGS);
    b->Script().Update();
    std::vector<int32_t> fans;
    std::vector<float> rings;
    for (SProc* c = b->GetList(0)->Head(); c != nullptr; c = SProcList::Next(c)) {
      auto* g = dynamic_cast<EShotGen*>(c);
      if (g == nullptr || c->GetState() >= SProc::STATE_KILLED) continue;
      if (g->codeA == 10 && g->sweepEnd > g->sweepStart) rings.push_back(g->sweepStart);
      if (g->codeA != 0x309) continue;
      fans.push_back(g->ways);
      EXPECT_NEAR(g->baseAngle, aim, 1e-5f);
    }
    EXPECT_EQ(fans, (std::vector<int32_t>{13, 28, 18}));
    // Nine ring pairs at j/8 + 1/4 (j = -4 to 4), every other volley a
    // sixteenth of a turn on.
    ASSERT_EQ(rings.size(), 9u);
    for (int j = -4; j <= 4; ++j) EXPECT_NEAR(rings[size_t(j + 4)], float(j) / 8.0f + 0.25f + half, 1e-6f) << j;
    if (SProcList* l = b->GetList(0)) l->KillAll(0);
    f.Step();
  }
  EXPECT_NE(parities[0], parities[1]);
}

// The angles (turns, in [0, 1)) of the shots of batch << 8 | kind `code`
// now flying, sorted.
std::vector<float> ShotTurns(int32_t code) {
  std::vector<float> r;
  for (HitBody* h = HitGroupTable[EShotMan::kHitGroup].Head(); h != nullptr; h = h->NextBody()) {
    const auto* shot = reinterpret_cast<const EShot*>(h->power);
    if ((shot->batch << 8 | shot->kind) == code) r.push_back(shot->angle - std::floor(shot->angle));
  }
  std::sort(r.begin(), r.end());
  return r;
}

std::vector<float> Wrapped(std::vector<float> v) {
  for (float& a : v) a -= std::floor(a);
  std::sort(v.begin(), v.end());
  return v;
}

// Every generator and laser of the fight with its values, as each state
// makes it on its first frame: fans A(k), B(k) (k = 0, 1) on cannon 2;
// arcs C, D on cannon 2; streams E, F, G on cannons 0, 1, 2; the laser L
// and the fans H on cannon 5; the rings R1(a), R2(a) and the aimed fans T
// on the body. The quad shots of state 9 (code 10, speed 5) at
// 1 - angle + 0.23, 0.27, 0.19 and 0.31 from cannons 3 and 4 every 12 steps
// from 60 to 260; sound 35 while the unfolding's animation passes 180.
TEST(Boss03, GeneratorsShotsAndTheUnfoldSound) {
  using enemytest::ExpectGen;
  using enemytest::LiveGens;
  StageBossFight f(1);
  auto* b = dynamic_cast<EnemyType3*>(f.Start(7400.0f, 7398.0f, "Boss01"));
  ASSERT_NE(b, nullptr);
  auto& s = b->Script();
  Trace t;
  RunTo(f, b, EnemyType3Behavior::FANS, 2000, &t);
  ASSERT_EQ(s.GetState(), EnemyType3Behavior::FANS);
  {
    const auto g = LiveGens(&s.cannons[2]);
    ASSERT_EQ(g.size(), 4u);
    for (int k = 0; k < 2; ++k) {
      const float q = float(k) / 8.0f;
      SCOPED_TRACE(k);
      ExpectGen(*g[size_t(2 * k)], ShotTuple{0x401, 5, 0x20A, 0x20A, 0, q + 0.25f, q + 0.5f, 3.0f, 4.6f, 4, 1.0f, 1, 0,
                                             3, 14, 0, 0, 0, 0, 0, 1, 80.0f * float(k), 0, -1, 0});
      ExpectGen(*g[size_t(2 * k + 1)], ShotTuple{0x401, 5, 10, 10, 0, q + 0.375f, q + 0.125f, 3.0f, 4.6f, 4, 1.0f, 1,
                                                 0, 3, 14, 0, 0, 0, 0, 0, 1, 80.0f * float(k) + 40.0f, 0, -1, 0});
    }
    for (int i = 0; i < 3; ++i) { EXPECT_TRUE(LiveGens(&s.cannons[i]).size() == (i == 2 ? 4u : 0u)) << i; }
  }
  RunTo(f, b, EnemyType3Behavior::ARCS, 2000, &t);
  {
    const auto g = LiveGens(&s.cannons[2]);
    ASSERT_EQ(g.size(), 2u);
    ExpectGen(*g[0], ShotTuple{0x101, 5, 10, 10, 0.25f, 0, 0, 5.0f, 5.0f, 30, 1.0f, 1, 0, 5, 3, 300, 45, 0, 0, 0, 1,
                               45.0f, -1, -1, 0});
    ExpectGen(*g[1], ShotTuple{0x101, 5, 10, 10, 0.266f, 0, 0, 5.0f, 5.0f, 30, 1.0f, 1, 0, 5, 3, 300, 45, 0, 0, 0, 1,
                               75.0f, -1, -1, 0});
  }
  RunTo(f, b, EnemyType3Behavior::STREAMS, 2000, &t);
  {
    const auto e = LiveGens(&s.cannons[0]), ff = LiveGens(&s.cannons[1]), g = LiveGens(&s.cannons[2]);
    ASSERT_EQ(e.size(), 1u);
    ASSERT_EQ(ff.size(), 1u);
    ASSERT_EQ(g.size(), 1u);
    ExpectGen(*e[0], ShotTuple{0x101, 5, 10, 10, 0.375f, -0.024f, -0.024f, 3.3f, 3.3f, 5, 0.3f, 1, 0, 10, 160, 0, 0,
                               0, 0, 0, 1, 0, -1, -1, 0});
    ExpectGen(*ff[0], ShotTuple{0x101, 5, 10, 10, 0.125f, 0.024f, 0.024f, 3.3f, 3.3f, 5, 0.3f, 1, 0, 10, 160, 0, 0,
                                0, 0, 0, 1, 0, -1, -1, 0});
    ExpectGen(*g[0], ShotTuple{0x40101, 5, 0x204, 0x204, 0, 0, 0, 2.0f, 3.0f, 7, 1.0f, 1, 0, 5, 400, 0, 0, 0, 0, 0, 1,
                               80.0f, -1, -1, 0});
  }
  // Phase 0 ended by an event; the unfolding's sound when its animation
  // passes 180, before the second set comes.
  SRsc* se = testsupport::EffectBank();
  ASSERT_NE(se, nullptr);
  testsupport::MarkSound(se, 35);
  b->SendEvent(kHitEventDefeated, 0);
  RunTo(f, b, EnemyType3Behavior::UNFOLD, 10, &t);
  bool heard = false;
  for (int k = 0; k < 2000 && s.step < 2; ++k) {
    const int32_t before = int32_t(b->animator.value);
    f.Step();
    if (!heard && testsupport::SoundPlayed(se, 35)) {
      heard = true;
      EXPECT_LE(before, 180);
      EXPECT_GE(int32_t(b->animator.value), 180);
    }
  }
  EXPECT_TRUE(heard);
  RunTo(f, b, EnemyType3Behavior::LASER, 2000, &t);
  ASSERT_EQ(s.GetState(), EnemyType3Behavior::LASER);
  {
    const auto l = enemytest::LiveLasers(&s.cannons[5]);
    ASSERT_EQ(l.size(), 1u);
    enemytest::ExpectLaser(*l[0], {0x40000, 25.0f, 254, 0, 0.7f, 2.0f, 5.0f, 32.0f, 18.0f, 3.0f, 6.0f, 30.0f, 15.0f,
                                   30});
  }
  RunTo(f, b, EnemyType3Behavior::QUADS, 2000, &t);
  ASSERT_EQ(s.GetState(), EnemyType3Behavior::QUADS);
  {
    const auto h = LiveGens(&s.cannons[5]);
    ASSERT_EQ(h.size(), 1u);
    ExpectGen(*h[0], ShotTuple{0x50101, 5, 0x204, 0x204, 0, 0, 0, 1.0f, 4.0f, 7, 0.3f, 1, 0, 3, 17, 0, 0, 0, 0, 0, 1,
                               200.0f, 1, -1, 0});
  }
  // The quad shots, step by step (the step is 1 after the state's first
  // frame).
  int quads = 0;
  while (s.GetState() == EnemyType3Behavior::QUADS && s.frame <= 270) {
    const int32_t step = s.frame;
    const float a3 = 1.0f - s.cannons[3].angle, a4 = 1.0f - s.cannons[4].angle;
    EShotMan::ClearAll(0);
    f.Step();
    const std::vector<float> got = ShotTurns(0x00A);
    if (step >= 60 && step <= 260 && step % 12 == 0) {
      ++quads;
      std::vector<float> want;
      for (float a : {a3, a4})
        for (float d : {0.23f, 0.27f, 0.19f, 0.31f}) want.push_back(a + d);
      want = Wrapped(want);
      ASSERT_EQ(got.size(), want.size()) << step;
      for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-5f) << step;
    } else {
      EXPECT_TRUE(got.empty()) << step;
    }
  }
  EXPECT_EQ(quads, 17);
  // Phase 1 ended by an event: the core's rings.
  b->SendEvent(kHitEventDefeated, 0);
  RunTo(f, b, EnemyType3Behavior::RINGS, 400, &t);
  ASSERT_EQ(s.GetState(), EnemyType3Behavior::RINGS);
  {
    const auto g = LiveGens(b);
    ASSERT_EQ(g.size(), 21u);
    const float half = float((s.step - 1) & 1) / 16.0f;
    for (int j = -4; j <= 4; ++j) {
      SCOPED_TRACE(j);
      const float a = float(j) / 8.0f + half + 0.25f;
      ExpectGen(*g[size_t(2 * (j + 4))],
                ShotTuple{0x101, 5, 10, 10, 0, a, a + 0.05f, 4.5f, 2.5f, 1, 0, 1, 0, 1, 8, 2, 8, 0, 0, 0, 0, 0, -1, -1,
                          0});
      ExpectGen(*g[size_t(2 * (j + 4) + 1)],
                ShotTuple{0x101, 5, 10, 10, 0, a, a - 0.05f, 4.5f, 2.5f, 1, 0, 1, 0, 1, 8, 2, 8, 0, 0, 0, 0, 0, -1, -1,
                          30});
    }
    const float aim = g[18]->baseAngle;
    const std::pair<int32_t, float> fans[3] = {{13, 70.0f}, {28, 82.0f}, {18, 94.0f}};
    for (int i = 0; i < 3; ++i)
      ExpectGen(*g[size_t(18 + i)], ShotTuple{0x101, 5, 0x309, 0x309, aim, 0, 0, 3.0f, 3.0f, fans[i].first, 1.0f, 1, 0,
                                              0, 1, 0, 0, 0, 0, 0, 0, fans[i].second, -1, -1, 0});
  }
}

TEST(Boss03, PictureWithTheSecondSetFiring) {
  StageBossFight f(1, true);
  auto* b = dynamic_cast<EnemyType3*>(f.Start(7400.0f, 7398.0f, "Boss01"));
  ASSERT_NE(b, nullptr);
  Trace t;
  RunTo(f, b, 3, 400, &t);
  b->SendEvent(kHitEventDefeated, 0);
  RunTo(f, b, 8, 400, &t);
  f.Step(60);
  // Steps 0 to 60 of the laser state: the rise stopped on the first y past
  // -730 (10 a frame); cannon 5 holds the laser; cannons 3 and 4 have fired
  // their sweeping shots at steps 32 to 60, turning towards 0.13 and -0.13
  // from step 30.
  auto& s = b->Script();
  EXPECT_EQ(s.GetState(), EnemyType3Behavior::LASER);
  EXPECT_EQ(s.frame, 61);
  EXPECT_GT(b->GetPosition()[1], -730.0f);
  EXPECT_LE(b->GetPosition()[1], -720.0f);
  int lasers = 0;
  for (SProc* c = s.cannons[5].GetList(0)->Head(); c != nullptr; c = SProcList::Next(c))
    lasers += dynamic_cast<ELaserGen*>(c) != nullptr && c->GetState() < SProc::STATE_KILLED;
  EXPECT_EQ(lasers, 1);
  plat::Image img;
  ASSERT_TRUE(f.W().H().Screenshot(&img));
  EXPECT_TRUE(testsupport::MatchesGolden(img, "boss03_fight.png", 8, 400));
}

// Each cannon comes with a fortieth of the boss's full bar (whole points,
// rounded down): the first set as the fight starts, the second set as the
// unfolding attaches it after phase 0, when the boss's own bar is full
// again. Stage 1's boss has 300: 7 each, 20 points short of 7.5.
TEST(Boss03, EachCannonStartsWithAFortiethOfTheBossesHitPoints) {
  StageBossFight f(1);
  auto* b = dynamic_cast<EnemyType3*>(f.Start(7400.0f, 7398.0f, "Boss01"));
  ASSERT_NE(b, nullptr);
  const int32_t full = b->hitPoints;
  ASSERT_EQ(full, 300);
  auto& s = b->Script();
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(s.cannons[i].GetName(), "B001 Cannon") << i;
    EXPECT_EQ(s.cannons[i].hitPoints, full / 40) << i;
  }
  Trace t;
  RunTo(f, b, EnemyType3Behavior::FANS, 2000, &t);
  ASSERT_EQ(s.GetState(), EnemyType3Behavior::FANS);
  b->SendEvent(kHitEventDefeated, 0);
  RunTo(f, b, EnemyType3Behavior::LASER, 2000, &t);
  ASSERT_EQ(s.GetState(), EnemyType3Behavior::LASER);
  EXPECT_EQ(b->hitPoints, full);
  for (int i = 3; i < 6; ++i) {
    ASSERT_TRUE(s.cannons[i].Present()) << i;
    EXPECT_EQ(s.cannons[i].hitPoints, full / 40) << i;
  }
  EXPECT_EQ(full / 40, 7);
}

// Hits on the body and on a cannon keep their hit points in range: from
// near the least, three hits of 10 leave the least (a cannon takes a hit only
// once its flash has ended).
TEST(Boss03, HitsOnTheBodyAndACannonStayInRange) {
  StageBossFight f(1);
  auto* b = dynamic_cast<EnemyType3*>(f.Start(7400.0f, 7398.0f, "Boss01"));
  ASSERT_NE(b, nullptr);
  Trace t;
  RunTo(f, b, 3, 2000, &t);
  ASSERT_EQ(b->Script().GetState(), 3);
  EObjBase& cannon = b->Script().cannons[0];
  ASSERT_EQ(cannon.GetName(), "B001 Cannon");
  b->hitPoints = INT32_MIN + 5;
  cannon.hitPoints = INT32_MIN + 5;
  for (int i = 0; i < 3; ++i) {
    b->SendEvent(kHitEventHit, 10);
    cannon.SendEvent(kHitEventHit, 10);
    f.Step(8);
  }
  EXPECT_EQ(b->hitPoints, INT32_MIN);
  EXPECT_EQ(cannon.hitPoints, INT32_MIN);
}

}  // namespace
