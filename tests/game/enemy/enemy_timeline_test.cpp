// The enemy timeline over stage scripts built here, written and read back by
// the real loader: delays in rail distance, every opcode, the loop point and
// resume, the pause, and the bad records it must survive.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/core/StageCounters.h"
#include "game/effect/EShotMan.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/stage/MapMng.h"
#include "support/EnemyRig.h"
#include "support/ErrorBox.h"

namespace {

using testsupport::EnemyRig;

uint32_t FloatWord(float f) {
  uint32_t w;
  std::memcpy(&w, &f, 4);
  return w;
}

// One frame of a stage scene's timeline work: the rail moves, the timeline
// steps (the enemies themselves are not run).
void Frame(int n = 1) {
  for (int i = 0; i < n; ++i) {
    g_MapMng.t += g_MapMng.speed;
    g_EnemySet.Update();
  }
}

// A plain sprite enemy, parameter 1 (no script).
void AddDrone(EnemyRig& rig) { rig.Param(1, "Drone", 0); }

TEST(EnemyTimeline, DelaysAreRailDistance) {
  EnemyRig rig;
  AddDrone(rig);
  rig.Spawn(10.0f, 1, 0, 0, 0);
  rig.Spawn(0.0f, 1, 0, 0, 0);  // same frame as the one before
  rig.Spawn(10.0f, 1, 0, 0, 0);
  ASSERT_TRUE(rig.Load());
  g_MapMng.speed = 2.0f;
  // Elapsed 0, 2, 4, 6, 8 after frames 1..5: the record of delay 10 runs in
  // frame 6 (elapsed reached 10), together with the delay-0 record.
  Frame(5);
  EXPECT_EQ(rig.Enemies(), 0);
  Frame();
  EXPECT_EQ(rig.Enemies(), 2);
  EXPECT_EQ(StageEnemyCount, 2);
  // The rail stands: the timeline stands.
  g_MapMng.speed = 0.0f;
  Frame(50);
  EXPECT_EQ(rig.Enemies(), 2);
  g_MapMng.speed = 2.0f;
  Frame(4);
  EXPECT_EQ(rig.Enemies(), 2);
  Frame();
  EXPECT_EQ(rig.Enemies(), 3);
  EXPECT_TRUE(g_EnemySet.Finished());
}

TEST(EnemyTimeline, WaitForRailJumpAndEnd) {
  EnemyRig rig;
  AddDrone(rig);
  rig.Record(0.0f, EnemySet::OP_WAIT_RAIL, FloatWord(20.0f));  // 0
  rig.Spawn(0.0f, 1, 0, 0, 0);                                  // 1
  rig.Record(0.0f, EnemySet::OP_JUMP, 0, 2);                    // 2 -> 4
  rig.Spawn(0.0f, 1, 0, 0, 0);                                  // 3 (skipped)
  rig.Record(0.0f, EnemySet::OP_END);                           // 4
  rig.Spawn(0.0f, 1, 0, 0, 0);                                  // 5 (never)
  ASSERT_TRUE(rig.Load());
  // Delay 0 with the rail before 20: tested again every frame.
  Frame(19);
  EXPECT_EQ(rig.Enemies(), 0);
  EXPECT_EQ(g_EnemySet.index, 0);
  Frame();  // t = 20
  EXPECT_EQ(rig.Enemies(), 1);
  EXPECT_TRUE(g_EnemySet.Finished());
  Frame(10);
  EXPECT_EQ(rig.Enemies(), 1);
}

TEST(EnemyTimeline, ConditionalJumps) {
  EnemyRig rig;
  rig.Param(1, "Drone", 0);
  rig.Param(2, "Leader", 0);
  rig.Spawn(0.0f, 2, 0, 0, 0);                                  // 0
  rig.Record(1.0f, EnemySet::OP_WHILE_NAMED, 2, 0);             // 1: stays while "Leader" lives
  rig.Record(1.0f, EnemySet::OP_WHILE_SECTION, 0, 0);           // 2: stays while the flag is 1
  rig.Spawn(0.0f, 1, 0, 0, 0);                                  // 3
  rig.Record(1.0f, EnemySet::OP_WHILE_ENEMIES, 0, 0);           // 4: stays while any enemy lives
  rig.Spawn(0.0f, 1, 0, 0, 0);                                  // 5
  ASSERT_TRUE(rig.Load());
  g_MapMng.sectionFlag = 1;
  Frame(10);
  EXPECT_EQ(g_EnemySet.index, 1);
  g_EnemyMan.FindFirst("Leader")->Kill(0);  // killed: no longer found
  Frame(10);
  EXPECT_EQ(g_EnemySet.index, 2);
  g_MapMng.sectionFlag = 0;
  Frame(2);
  EXPECT_EQ(g_EnemySet.index, 4);
  g_EnemyMan.KillChildrenAll(0);
  g_EnemyMan.DisposeChildren();
  Frame(2);
  EXPECT_TRUE(g_EnemySet.Finished());
  EXPECT_EQ(StageEnemyCount, 3);
}

TEST(EnemyTimeline, ClearScreenDefeatsWithoutCounting) {
  EnemyRig rig;
  AddDrone(rig);
  rig.Spawn(0.0f, 1, 0, 0, 0);
  rig.Spawn(0.0f, 1, 0, 50, 0);
  rig.Record(5.0f, EnemySet::OP_CLEAR);
  ASSERT_TRUE(rig.Load());
  rig.Run(1, true);
  ASSERT_EQ(rig.Enemies(), 2);
  EShotMan::Fire(0x0101, 1, 0.0f, 0.0f, 0.0f, 0.25f, 1.0f, nullptr, 0, nullptr, 1.0f);
  ASSERT_EQ(HitGroupTable[EShotMan::kHitGroup].Count(), 1);
  rig.Run(5, true);
  EXPECT_EQ(StageDefeatCount, 0);
  rig.Run(2);
  EXPECT_EQ(rig.Enemies(), 0);
  EXPECT_EQ(HitGroupTable[EShotMan::kHitGroup].Count(), 0);
}

TEST(EnemyTimeline, LoopPointAndResume) {
  EnemyRig rig;
  AddDrone(rig);
  for (int i = 0; i < 5; ++i) rig.Record(1.0f, 0x7F0);  // 0..4: unknown opcodes stay
  rig.Record(0.0f, EnemySet::OP_LOOP_POINT);            // 5
  rig.Spawn(0.0f, 1, 0, 0, 0);                          // 6
  ASSERT_TRUE(rig.Load());
  g_EnemySet.index = 5;
  Frame();
  EXPECT_EQ(g_EnemySet.loopIndex, 6);
  ASSERT_TRUE(rig.Load(1));
  EXPECT_EQ(g_EnemySet.index, 6);
  Frame();
  EXPECT_EQ(rig.Enemies(), 2);
  ASSERT_TRUE(rig.Load(0));
  EXPECT_EQ(g_EnemySet.index, 0);
}

TEST(EnemyTimeline, PausedTimelineStandsStill) {
  EnemyRig rig;
  AddDrone(rig);
  rig.Spawn(3.0f, 1, 0, 0, 0);
  ASSERT_TRUE(rig.Load());
  g_EnemySet.paused = 1;
  Frame(20);
  EXPECT_EQ(rig.Enemies(), 0);
  EXPECT_EQ(g_EnemySet.elapsed, 0.0f);
  g_EnemySet.paused = 0;
  Frame(3);
  EXPECT_EQ(rig.Enemies(), 0);
  Frame();
  EXPECT_EQ(rig.Enemies(), 1);
}

// Records the data may hold that the timeline must survive: each case ends
// the frame, spawns nothing it should not and counts only real spawns. A
// reference that names nothing (a parameter, a script, a factory type) is
// told at load, once for all the records of its kind.
TEST(EnemyTimeline, BadRecordsAreSurvived) {
  struct Case {
    const char* what;
    int32_t type;         // of parameter 1
    uint32_t paramId;     // named by the spawn
    int32_t extraIndex;   // of parameter 1
    int32_t expected;     // enemies after both spawn records
    const char* told;     // the load's line ("" none)
    uint32_t scriptId = 0;  // named by the first spawn
  };
  const Case cases[] = {
      {"type 19 has an empty factory entry", 19, 1, 0, 0,
       "timeline record 0 spawns enemy type 19, outside 0 to 18 (2 in all)"},
      {"type 24 lies outside the factory table", 24, 1, 0, 0,
       "timeline record 0 spawns enemy type 24, outside 0 to 18 (2 in all)"},
      {"a negative type", -1, 1, 0, 0, "timeline record 0 spawns enemy type -1, outside 0 to 18 (2 in all)"},
      {"a parameter id that names nothing", 0, 7, 0, 1,
       "timeline record 0 names parameter 7, which the script does not hold (1 in all)"},
      {"a key-list index outside the table", 0, 1, 400, 2, ""},
      {"a negative key-list index", 0, 1, -3, 2, ""},
      {"a script id that names nothing", 0, 1, 0, 1,
       "timeline record 0 names script 9, which the script does not hold (1 in all)", 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testsupport::ErrorBoxCatcher box;
    EnemyRig rig;
    EnemyParam& p = rig.Param(1, "Odd", c.type);
    p.extraIndex = c.extraIndex;
    rig.Spawn(0.0f, c.paramId, c.scriptId, 0, 0);
    rig.Spawn(1.0f, 1, 0, 0, 0);  // parameter 1, one key later
    ASSERT_TRUE(rig.Load());
    if (*c.told == '\0') {
      EXPECT_TRUE(box.texts.empty());
    } else {
      ASSERT_EQ(box.texts.size(), 1u);
      EXPECT_NE(box.texts[0].find(c.told), std::string::npos) << box.texts[0];
    }
    Frame(3);
    EXPECT_EQ(rig.Enemies(), c.expected);
    EXPECT_EQ(StageEnemyCount, rig.Enemies());
    EXPECT_TRUE(g_EnemySet.Finished());
  }
}

TEST(EnemyTimeline, JumpsOutOfTheListFinish) {
  for (int32_t jump : {-5, 9, INT32_MIN / 2}) {
    SCOPED_TRACE(jump);
    EnemyRig rig;
    AddDrone(rig);
    rig.Record(0.0f, EnemySet::OP_JUMP, 0, jump);
    rig.Spawn(0.0f, 1, 0, 0, 0);
    ASSERT_TRUE(rig.Load());
    Frame();
    EXPECT_TRUE(g_EnemySet.Finished());
    EXPECT_EQ(rig.Enemies(), 0);
  }
}

TEST(EnemyTimeline, EndlessRecordsRunOncePerFrame) {
  {
    // A record of delay 0 that stays: tested once a frame, not for ever.
    EnemyRig rig;
    rig.Record(0.0f, 0x7F0);
    ASSERT_TRUE(rig.Load());
    Frame(3);
    EXPECT_EQ(g_EnemySet.index, 0);
    EXPECT_FALSE(g_EnemySet.Finished());
  }
  {
    // A loop of delay-0 records: at most one pass a frame (one spawn).
    EnemyRig rig;
    AddDrone(rig);
    rig.Spawn(0.0f, 1, 0, 0, 0);
    rig.Record(0.0f, EnemySet::OP_JUMP, 0, -1);
    ASSERT_TRUE(rig.Load());
    Frame();
    EXPECT_EQ(rig.Enemies(), 1);
    Frame();
    EXPECT_EQ(rig.Enemies(), 2);
  }
}

TEST(EnemyTimeline, SpawnAtHandsTheExtraOfEveryType) {
  EnemyRig rig;
  EnemyParam& p = rig.Param(1, "Drone", 0);
  p.extraIndex = 4;
  rig.Spawn(0.0f, 1, 0, 0, 0);
  ASSERT_TRUE(rig.Load());
  EObjBase* e = rig.SpawnNow(0);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(StageEnemyCount, 1);
  EXPECT_EQ(g_EnemySet.index, 0);  // outside the timeline
  EXPECT_EQ(rig.SpawnNow(1), nullptr);
  EXPECT_EQ(rig.SpawnNow(-1), nullptr);
}

}  // namespace
