// The staged set pieces (enemy types 2, 9, 17 and 18) frame by frame on the
// enemy rig: flights, animation stretches, the timeline's pause and its
// release, the rail's stop and restart, the arena loop, and that nothing
// can hit them.
#include <gtest/gtest.h>

#include <cmath>

#include "game/core/HitBody.h"
#include "game/core/StageCounters.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/enemy/EnemyType17.h"
#include "game/enemy/EnemyType18.h"
#include "game/enemy/EnemyType2.h"
#include "game/enemy/EnemyType9.h"
#include "game/stage/MapMng.h"
#include "model_rig.h"
#include "support/ExpectAll.h"

namespace {

using enemytest::ModelRig;

struct Stretch {
  int32_t index;
  float from, to;
  uint32_t wrap;
};

// One set piece of `type` as timeline record 0 (record 1: a stand-in boss
// of type 5), its stretches in route table 1, and the rail run as the map
// manager runs it: the armed section change, the speed easing, the move.
class EventRig {
 public:
  EventRig(int32_t type, std::initializer_list<Stretch> stretches) {
    auto& routes = m.rig.script.routeTables.emplace_back();
    routes.id = 1;
    routes.entries.assign(18, RouteEntry{0, 0.0f, 0.0f, 0, 0.0f});
    for (const Stretch& s : stretches) routes.entries[size_t(s.index)] = RouteEntry{0, s.from, s.to, s.wrap, 1.0f};
    m.rig.Param(1, "Event", type).routeTableId = 1;
    m.rig.Param(2, "Boss", 5);
    m.rig.Spawn(0.0f, 1, 0, 0.0f, 0.0f);
    m.rig.Spawn(0.0f, 2, 0, 0.0f, 0.0f);
    g_MapMng.startSpeed = g_MapMng.targetSpeed = 1.0f;
    g_MapMng.steps = 1;
    g_MapMng.step = 2;  // no easing under way
    g_MapMng.armed = 0;
    g_MapMng.currentPath = 0;
  }
  ~EventRig() { g_MapMng.armed = 0; }

  // Spawns the set piece; it runs from the next Frame on.
  EnemyBase* Start(float railT = 0.0f) {
    if (!m.Load()) return nullptr;
    g_MapMng.t = railT;
    auto* e = dynamic_cast<EnemyBase*>(g_EnemySet.SpawnAt(0));
    if (e != nullptr) m.rig.Run(1);  // added -> running
    frame = 0;
    return e;
  }
  // One frame: the rail, then the enemies.
  void Frame(int n = 1) {
    for (int i = 0; i < n; ++i) {
      g_MapMng.CheckQueuedSection();
      g_MapMng.StepTransition();
      g_MapMng.Advance(g_MapMng.speed);
      m.rig.Run(1);
      ++frame;
    }
  }
  // Runs until frame f (the enemy's f-th frame).
  void To(int f) { Frame(f - frame); }

  ModelRig m;
  int frame = 0;
};

const float* Pos(EnemyBase* e) { return e->GetPosition(); }

TEST(EventEnemyType2, FliesInHoversReleasesTheTimelineAndLeaves) {
  EventRig r(2, {{0, 100, 140, 1}, {8, 0, 70, 0}, {9, 70, 90, 0}, {10, 140, 160, 0}, {11, 160, 220, 0}});
  SHandle<SProc> h = r.Start();
  auto* e = static_cast<EnemyType2*>(h.Get());
  ASSERT_NE(e, nullptr);
  // Untouchable, not counted, the timeline held, the arena loop armed.
  EXPECT_ALL({VAL(StageEnemyCount, 0), VAL(HitGroupTable[7].Count(), 0), VAL(g_EnemySet.paused, 1),
              VAL(e->angles[0], 0.35f), VAL(g_MapMng.armed, 1), VAL(g_MapMng.armedT, 7353.0f),
              VAL(g_MapMng.armedAt, 7636.0f), VAL(g_MapMng.armedPath, 0), VAL(Pos(e)[1], -450.0f)});
  struct Row {
    int frame;
    int32_t state;    // the script's state after the frame
    int32_t stretch;  // route entry last loaded
    uint8_t paused;
  };
  // Entry flight: 90 frames, ends on call 91; hover from frame 92 (c = 0)
  // to c = 80 (frame 172); the exit starts on frame 173 with the release.
  const Row rows[] = {{1, 0, 8, 1},    {70, 0, 8, 1},    {71, 0, 9, 1},   {91, 0, 9, 1},   {92, 1, 0, 1},
                      {172, 1, 0, 1},  {173, 2, 10, 0},  {192, 2, 10, 0}, {193, 2, 11, 0}};
  for (const Row& row : rows) {
    r.To(row.frame);
    SCOPED_TRACE(row.frame);
    ASSERT_NE(h.Get(), nullptr);
    EXPECT_ALL({VAL(e->Script().GetState() == row.state || e->Script().GetNextState() == row.state, true),
                VAL(e->routeCursorIndex, row.stretch), VAL(g_EnemySet.paused, row.paused)});
    if (row.frame == 91) EXPECT_ALL({VAL(Pos(e)[0], 0.0f), VAL(Pos(e)[1], -30.0f)});
  }
  // The exit flight lasts 95 frames: on call 96 (frame 268) it ends itself.
  r.To(267);
  EXPECT_EQ(LiveProc(h), e);
  r.To(268);
  EXPECT_EQ(LiveProc(h), nullptr);
  ASSERT_NE(h.Get(), nullptr);  // killed, disposed after the next frame
  EXPECT_EQ(Pos(e)[1], -500.0f);
  r.Frame(2);
  EXPECT_EQ(h.Get(), nullptr);
}

TEST(EventEnemyType2, WithoutItsModelItEndsUncountedAndTheTimelineRunsOn) {
  EventRig r(2, {{8, 0, 70, 0}});
  r.m.modelSlot.Reset();
  EXPECT_EQ(r.Start(), nullptr);
  EXPECT_ALL({VAL(StageEnemyCount, 0), VAL(g_EnemySet.paused, 0), VAL(g_MapMng.armed, 0)});
}

TEST(EventEnemyType2, ItsEndLeavesTheTimelineToTheEnemyAfterIt) {
  EventRig r(2, {{8, 0, 70, 0}});
  ASSERT_NE(r.Start(), nullptr);
  r.To(180);
  ASSERT_EQ(g_EnemySet.paused, 0);
  // A boss comes after the release and holds the timeline.
  ASSERT_NE(g_EnemySet.SpawnAt(1), nullptr);
  ASSERT_EQ(g_EnemySet.paused, 1);
  r.To(270);
  EXPECT_EQ(r.m.rig.Enemies(), 1);  // the entrance has gone, the boss stays
  EXPECT_EQ(g_EnemySet.paused, 1);
}

TEST(EventEnemyType2, TheArenaLoopsWhileItIsArmed) {
  EventRig r(2, {{8, 0, 70, 0}});
  ASSERT_NE(r.Start(7630.0f), nullptr);
  r.Frame(5);
  EXPECT_EQ(g_MapMng.t, 7635.0f);
  r.Frame(2);  // reaches 7636, back to 7353 the next frame
  EXPECT_EQ(g_MapMng.t, 7354.0f);
}

TEST(EventEnemyType17, StopsTheRailRestartsItAndBlowsUp) {
  EventRig r(17, {{0, 0, 40, 1}, {15, 0, 40, 0}, {16, 40, 120, 0}, {17, 120, 200, 0}});
  SHandle<SProc> h = r.Start();
  auto* e = static_cast<EnemyType17*>(h.Get());
  ASSERT_NE(e, nullptr);
  EXPECT_ALL({VAL(Pos(e)[0], 0.0f), VAL(Pos(e)[1], -160.0f), VAL(Pos(e)[2], 250.0f), VAL(e->angles[0], 0.35f),
              VAL(StageEnemyCount, 0), VAL(HitGroupTable[7].Count(), 0)});
  r.To(1);
  EXPECT_EQ(e->routeCursorIndex, 15);
  // The rail eases to a stop over 30 steps.
  r.To(15);
  EXPECT_GT(g_MapMng.speed, 0.1f);
  EXPECT_LT(g_MapMng.speed, 0.9f);
  r.To(31);
  EXPECT_LT(std::fabs(g_MapMng.speed), 1e-6f);
  const float stopped = g_MapMng.t;
  r.To(41);
  EXPECT_EQ(e->routeCursorIndex, 16);
  r.To(121);  // c = 120: the restart over 10 steps
  EXPECT_EQ(g_MapMng.t, stopped);
  r.To(132);
  EXPECT_EQ(g_MapMng.speed, 1.0f);
  EXPECT_GT(g_MapMng.t, stopped + 3.0f);
  const int32_t blasts = r.m.rig.weapons.efx.LiveCount(8);
  r.To(161);
  EXPECT_ALL({VAL(e->routeCursorIndex, 17), VAL(r.m.rig.weapons.efx.LiveCount(8), blasts + 1)});
  // It stays, holding the timeline, until a screen clear ends it.
  r.To(400);
  EXPECT_EQ(LiveProc(h), e);
  EXPECT_EQ(g_EnemySet.paused, 1);
  g_EnemyMan.BroadcastAll(kHitEventDefeated, EObjBase::kUncounted);
  r.Frame(2);
  EXPECT_EQ(h.Get(), nullptr);
  EXPECT_ALL({VAL(g_EnemySet.paused, 0), VAL(StageDefeatCount, 0)});
}

TEST(EventEnemyType18, PlaysItsStretchesWhenEachHasPlayedThrough) {
  EventRig r(18, {{0, 0, 60, 0}, {1, 60, 120, 0}, {2, 120, 150, 1}, {3, 150, 200, 1}});
  auto* e = static_cast<EnemyType18*>(r.Start());
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(Pos(e)[1], -400.0f);
  struct Row {
    int frame;
    int32_t phase, stretch;
  };
  // Flight: 160 frames, ends on frame 161; phase 0 from frame 162 plays
  // stretch 0 (60 frames) to frame 221; stretch 1 from frame 222 (60
  // frames); stretch 2 from frame 282, four laps of 30 frames; stretch 3
  // from frame 402.
  const Row rows[] = {{161, 0, 0}, {221, 0, 0}, {222, 1, 1}, {281, 1, 1}, {282, 2, 2},
                      {401, 2, 2}, {402, 3, 3}, {600, 3, 3}};
  const int32_t blasts = r.m.rig.weapons.efx.LiveCount(8);
  for (const Row& row : rows) {
    r.To(row.frame);
    SCOPED_TRACE(row.frame);
    EXPECT_ALL({VAL(e->Script().phase, row.phase), VAL(e->routeCursorIndex, row.stretch)});
    if (row.frame == 161) { EXPECT_EQ(Pos(e)[1], -100.0f); }
    if (row.frame == 222) { EXPECT_EQ(r.m.rig.weapons.efx.LiveCount(8), blasts + 1); }
  }
  EXPECT_EQ(g_EnemySet.paused, 1);
}

TEST(EventEnemyType9, RisesWobblesReleasesTheTimelineAndSinks) {
  EventRig r(9, {{4, 0, 160, 0}, {5, 160, 220, 0}, {6, 220, 340, 0}, {0, 340, 400, 0}, {7, 400, 460, 0}});
  SHandle<SProc> h = r.Start();
  auto* e = static_cast<EnemyType9*>(h.Get());
  ASSERT_NE(e, nullptr);
  EXPECT_ALL({VAL(Pos(e)[1], -400.0f), VAL(e->routeCursorIndex, 4), VAL(StageEnemyCount, 0),
              VAL(HitGroupTable[7].Count(), 0)});
  struct Row {
    int frame;
    int32_t step, stretch;
    uint8_t paused;
  };
  // Rise: ends on frame 161; settle: stretch 5 plays through by frame 220;
  // wobble from frame 221 (count 0 on frame 222), released at count 75
  // (frame 297); stretch 6 through on frame 340; second wobble to frame
  // 400; sink from frame 401.
  const Row rows[] = {{160, 0, 4, 1}, {161, 1, 5, 1}, {220, 1, 5, 1}, {221, 2, 6, 1}, {296, 2, 6, 1},
                      {297, 2, 6, 0}, {340, 2, 6, 0}, {341, 3, 0, 0}, {400, 3, 0, 0}, {401, 4, 7, 0}};
  for (const Row& row : rows) {
    r.To(row.frame);
    SCOPED_TRACE(row.frame);
    EXPECT_ALL({VAL(e->Script().step, row.step), VAL(e->routeCursorIndex, row.stretch),
                VAL(g_EnemySet.paused, row.paused)});
  }
  // The sink: up by (1 - cos(c pi/240)) x 7 a frame, nothing at c = 0.
  const float y0 = Pos(e)[1];
  r.To(402);
  EXPECT_EQ(Pos(e)[1], y0);
  float y = y0;
  int f = 402;
  while (LiveProc(h) != nullptr && f < 700) {
    r.Frame();
    ++f;
    if (LiveProc(h) != nullptr) {
      EXPECT_LT(Pos(e)[1], y);
      y = Pos(e)[1];
    }
  }
  EXPECT_LT(f, 700);
  EXPECT_LT(y, -390.0f);
}

// Its motion by hand: the settle's first frame (c = 0, frame 162) lifts it
// by 0.8 - 0.8 sin(0) = 0.8 and the next by 0.8 - 0.8 sin(1/130 pi/2) =
// 0.790334; in the first wobble (count 0 on frame 222) count 50 puts it at
// x = 3 sin(50 x 0.02 pi/2) = 3 and y = saved + 4 sin(50 x 0.025 pi/2) =
// saved + 3.695518; in the sink (count 0 on frame 402) count 60 drops it by
// (1 - cos(60 pi/240)) x 7 = 2.050253.
TEST(EventEnemyType9, SettlesWobblesAndSinksByItsCurves) {
  EventRig r(9, {{4, 0, 160, 0}, {5, 160, 220, 0}, {6, 220, 340, 0}, {0, 340, 400, 0}, {7, 400, 460, 0}});
  SHandle<SProc> h = r.Start();
  auto* e = static_cast<EnemyType9*>(h.Get());
  ASSERT_NE(e, nullptr);
  r.To(161);
  float y = Pos(e)[1];
  r.To(162);
  EXPECT_NEAR(Pos(e)[1] - y, 0.8f, 1e-4f);
  y = Pos(e)[1];
  r.To(163);
  EXPECT_NEAR(Pos(e)[1] - y, 0.790334f, 1e-4f);
  r.To(221);
  ASSERT_EQ(e->Script().step, 2);
  const float sx = Pos(e)[0], sy = Pos(e)[1];
  r.To(272);
  EXPECT_NEAR(Pos(e)[0] - sx, 3.0f, 1e-4f);
  EXPECT_NEAR(Pos(e)[1] - sy, 3.695518f, 1e-4f);
  r.To(461);
  ASSERT_EQ(e->Script().step, 4);
  y = Pos(e)[1];
  r.To(462);
  EXPECT_NEAR(y - Pos(e)[1], 2.050253f, 1e-4f);
}

TEST(EventEnemyType9, HaltsTheRailOnKey6300WhateverItsStep) {
  for (float start : {6290.0f, 6299.5f}) {
    SCOPED_TRACE(start);
    EventRig r(9, {{4, 0, 160, 0}});
    ASSERT_NE(r.Start(start), nullptr);
    r.Frame(40);
    EXPECT_LT(g_MapMng.speed, 0.01f);
    EXPECT_GE(g_MapMng.t, 6300.0f);
    EXPECT_LT(g_MapMng.t, 6310.0f);
  }
}

// Its end leaves the timeline alone: once its wobble has let the timeline go,
// a boss that comes after it keeps its hold.
TEST(EventEnemyType9, ItsEndLeavesTheTimelineToTheEnemyAfterIt) {
  EventRig r(9, {{4, 0, 160, 0}, {5, 160, 220, 0}, {6, 220, 340, 0}, {0, 340, 400, 0}, {7, 400, 460, 0}});
  SHandle<SProc> h = r.Start();
  ASSERT_NE(h.Get(), nullptr);
  r.To(297);
  ASSERT_EQ(g_EnemySet.paused, 0);
  ASSERT_NE(g_EnemySet.SpawnAt(1), nullptr);
  ASSERT_EQ(g_EnemySet.paused, 1);
  int f = 297;
  while (h.Get() != nullptr && f < 800) r.Frame(), ++f;
  ASSERT_EQ(h.Get(), nullptr);
  EXPECT_EQ(r.m.rig.Enemies(), 1);
  EXPECT_EQ(g_EnemySet.paused, 1);
}

// Its end is a kill that leaves the pause alone (only the wobble's frame 75
// lets the timeline go): with a first wobble that plays through before that
// frame, the timeline is still held when it has sunk out of view.
TEST(EventEnemyType9, ItsEndNeverTouchesThePause) {
  EventRig r(9, {{4, 0, 160, 0}, {5, 160, 170, 0}, {6, 0, 20, 0}, {0, 0, 20, 0}, {7, 0, 20, 0}});
  SHandle<SProc> h = r.Start();
  ASSERT_NE(h.Get(), nullptr);
  int f = 0;
  while (h.Get() != nullptr && f < 800) r.Frame(), ++f;
  EXPECT_EQ(h.Get(), nullptr);
  EXPECT_EQ(g_EnemySet.paused, 1);
}

}  // namespace
