// Boss type 3 in stage 1: its states over frames through the three phases
// (a phase ended by the time limit, one by an event, the last by the
// Player's shots), the cannon sets, the rail it loops, stops and moves on,
// and its end; a picture mid-fight.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "game/core/StageCounters.h"
#include "game/effect/ELaserGen.h"
#include "game/effect/EShotGen.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/enemy/EnemyType3.h"
#include "game/player/Player.h"
#include "game/stage/MapMng.h"
#include "platform/crt_rand.h"
#include "support/StageBossFight.h"
#include "support/ImageCompare.h"

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
  b->SendEvent(EObjBase::EV_DEFEATED, 0);
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
  f.Step(200);
  EXPECT_NEAR(g_MapMng.speed, 0.0f, 1e-4f);
  SHandle<EnemyType3> h(b);
  f.Step(88);
  ASSERT_NE(h.Get(), nullptr);
  EXPECT_EQ(g_MapMng.armed, 1);
  EXPECT_EQ(g_EnemySet.paused, 1);
  f.Step(3);
  EXPECT_NE(h.Get(), nullptr);
  EXPECT_EQ(g_MapMng.armed, 0);
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
    parities.push_back(b->Script().subStep & 1);
    const float hx = b->hitPosition[0], hy = b->hitPosition[1];
    PlayerPos.x = hx + dx;
    PlayerPos.y = hy + dy;
    const float half = float(b->Script().subStep & 1) / 16.0f;
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

TEST(Boss03, PictureWithTheSecondSetFiring) {
  StageBossFight f(1, true);
  auto* b = dynamic_cast<EnemyType3*>(f.Start(7400.0f, 7398.0f, "Boss01"));
  ASSERT_NE(b, nullptr);
  Trace t;
  RunTo(f, b, 3, 400, &t);
  b->SendEvent(EObjBase::EV_DEFEATED, 0);
  RunTo(f, b, 8, 400, &t);
  f.Step(60);
  // Steps 0 to 60 of the laser state: the rise stopped on the first y past
  // -730 (10 a frame); cannon 5 holds the laser; cannons 3 and 4 have fired
  // their sweeping shots at steps 32 to 60, turning towards 0.13 and -0.13
  // from step 30.
  auto& s = b->Script();
  EXPECT_EQ(s.GetState(), EnemyType3Behavior::LASER);
  EXPECT_EQ(s.step, 61);
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

}  // namespace
