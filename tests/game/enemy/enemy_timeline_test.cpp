// The enemy timeline over stage scripts built here, written and read back by
// the real loader: delays in rail distance, every opcode, the loop point and
// resume, the pause, and the bad records it must survive.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

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

// A jump of any size from any record finishes the timeline when it leaves
// the list, without overflowing the record index.
TEST(EnemyTimeline, JumpsOfAnySizeFinishWithoutOverflow) {
  for (int32_t jump : {INT32_MAX, INT32_MIN}) {
    SCOPED_TRACE(jump);
    EnemyRig rig;
    AddDrone(rig);
    rig.Spawn(0.0f, 1, 0, 0, 0);
    rig.Record(0.0f, EnemySet::OP_WHILE_ENEMIES, 0, jump);
    rig.Spawn(0.0f, 1, 0, 0, 0);
    ASSERT_TRUE(rig.Load());
    Frame();
    EXPECT_TRUE(g_EnemySet.Finished());
    EXPECT_EQ(rig.Enemies(), 1);
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
    // A loop of delay-0 records whose jump was not marked at load (the
    // loader marks every such loop; the runner still holds it to one pass a
    // frame): one spawn a frame.
    testsupport::ErrorBoxCatcher box;
    EnemyRig rig;
    AddDrone(rig);
    rig.Spawn(0.0f, 1, 0, 0, 0);
    rig.Record(0.0f, EnemySet::OP_JUMP, 0, -1);
    ASSERT_TRUE(rig.Load());
    ASSERT_TRUE(rig.loaded->timeline[1].timelessLoop);
    rig.loaded->timeline[1].timelessLoop = false;
    Frame();
    EXPECT_EQ(rig.Enemies(), 1);
    Frame();
    EXPECT_EQ(rig.Enemies(), 2);
  }
}

// Loops that advance no time (every record on the way runs at once: delay
// 0 or less) are told at load, once for all of them, and not taken: the
// timeline goes on past their jump. Loops with a record that waits are
// taken as the data say.
TEST(EnemyTimeline, ALoopThatNeverWaitsIsToldAtLoadAndNotTaken) {
  struct Case {
    const char* what;
    std::function<void(EnemyRig&)> build;
    const char* told;   // "" none
    int afterLoad;      // enemies after the first frame
    int afterTen;       // enemies ten frames (of rail distance 1) later
    bool finished;      // after those frames
  };
  const Case cases[] = {
      {"nine spawns and a jump back over them, then a spawn of delay 5",
       [](EnemyRig& r) {
         for (int i = 0; i < 9; ++i) r.Spawn(0.0f, 1, 0, 0, 0);  // 0..8
         r.Record(0.0f, EnemySet::OP_JUMP, 0, -9);                // 9 -> 0
         r.Spawn(5.0f, 1, 0, 0, 0);                               // 10
       },
       "timeline record 9 jumps back to record 0 in a loop that never waits, and is not taken (1 in all)", 9, 10,
       true},
      {"a forward jump that skips the only record that waits",
       [](EnemyRig& r) {
         r.Spawn(0.0f, 1, 0, 0, 0);                  // 0
         r.Record(0.0f, EnemySet::OP_JUMP, 0, 2);    // 1 -> 3
         r.Spawn(10.0f, 1, 0, 0, 0);                 // 2 (skipped)
         r.Record(0.0f, EnemySet::OP_JUMP, 0, -3);   // 3 -> 0
       },
       "timeline record 3 jumps back to record 0 in a loop that never waits, and is not taken (1 in all)", 1, 1,
       true},
      {"a jump back while enemies live, and one of a negative delay",
       [](EnemyRig& r) {
         r.Spawn(-1.0f, 1, 0, 0, 0);                          // 0
         r.Record(0.0f, EnemySet::OP_WHILE_ENEMIES, 0, -1);   // 1 -> 0 while enemies live
         r.Spawn(0.0f, 1, 0, 0, 0);                           // 2
         r.Record(-2.0f, EnemySet::OP_JUMP, 0, -1);           // 3 -> 2
       },
       "timeline record 1 jumps back to record 0 in a loop that never waits, and is not taken (2 in all)", 2, 2,
       true},
      {"a loop with a record that waits is taken",
       [](EnemyRig& r) {
         r.Spawn(0.0f, 1, 0, 0, 0);                  // 0
         r.Spawn(3.0f, 1, 0, 0, 0);                  // 1
         r.Record(0.0f, EnemySet::OP_JUMP, 0, -2);   // 2 -> 0
       },
       "", 1, 7, false},
      {"a wait on an enemy whose parameter is not there never jumps",
       [](EnemyRig& r) {
         r.Spawn(0.0f, 1, 0, 0, 0);                          // 0
         r.Record(0.0f, EnemySet::OP_WHILE_NAMED, 99, -1);   // 1: parameter 99 is not there
       },
       "timeline record 1 names parameter 99, which the script does not hold (1 in all)", 1, 1, true},
      {"a record whose delay is not a number never runs, and so waits",
       [](EnemyRig& r) {
         r.Spawn(0.0f, 1, 0, 0, 0);                                        // 0
         r.Spawn(std::numeric_limits<float>::quiet_NaN(), 1, 0, 0, 0);     // 1
         r.Record(0.0f, EnemySet::OP_JUMP, 0, -2);                         // 2 -> 0
       },
       "", 1, 1, false},
      {"a jump not taken falls through into a loop closed by a jump back while enemies live",
       [](EnemyRig& r) {
         r.Spawn(0.0f, 1, 0, 0, 0);                           // 0
         r.Record(0.0f, EnemySet::OP_JUMP, 0, 2);             // 1 -> 3
         r.Spawn(10.0f, 1, 0, 0, 0);                          // 2 (skipped)
         r.Record(0.0f, EnemySet::OP_JUMP, 0, -3);            // 3 -> 0, not taken: on to 4
         r.Spawn(0.0f, 1, 0, 0, 0);                           // 4
         r.Record(0.0f, EnemySet::OP_WHILE_ENEMIES, 0, -5);   // 5 -> 0 while enemies live
       },
       "timeline record 3 jumps back to record 0 in a loop that never waits, and is not taken (2 in all)", 2, 2,
       true},
      {"a loop that only a jump not taken would close, where that jump is always taken, is no loop",
       [](EnemyRig& r) {
         r.Record(0.0f, EnemySet::OP_WHILE_SECTION, 0, 4);    // 0 -> 4 while the flag is 1 (it is 0)
         r.Spawn(10.0f, 1, 0, 0, 0);                          // 1 waits
         r.Spawn(0.0f, 1, 0, 0, 0);                           // 2
         r.Record(0.0f, EnemySet::OP_JUMP, 0, -2);            // 3 -> 1, to the record that waits
         r.Spawn(0.0f, 1, 0, 0, 0);                           // 4
         r.Record(0.0f, EnemySet::OP_WHILE_ENEMIES, 0, -3);   // 5 -> 2 while enemies live
       },
       "", 0, 2, false},
      {"a record that stays (a jump of 0) is no loop",
       [](EnemyRig& r) {
         r.Spawn(0.0f, 1, 0, 0, 0);                  // 0
         r.Record(0.0f, EnemySet::OP_JUMP, 0, 0);    // 1 stays
       },
       "", 1, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testsupport::ErrorBoxCatcher box;
    EnemyRig rig;
    AddDrone(rig);
    c.build(rig);
    ASSERT_TRUE(rig.Load());
    if (*c.told == '\0') {
      EXPECT_TRUE(box.texts.empty());
    } else {
      ASSERT_EQ(box.texts.size(), 1u);
      EXPECT_NE(box.texts[0].find(c.told), std::string::npos) << box.texts[0];
    }
    g_MapMng.speed = 1.0f;
    Frame();
    EXPECT_EQ(rig.Enemies(), c.afterLoad);
    Frame(10);
    EXPECT_EQ(rig.Enemies(), c.afterTen);
    EXPECT_EQ(g_EnemySet.Finished(), c.finished);
  }
}

// However many spawns a script holds, at most 1024 enemies live at once and
// the timeline spawns at most 256 a frame: a spawn past the live bound is
// refused and consumed, one past the frame's bound runs in the next frame.
// Each bound is told once, however often it holds a spawn back.
TEST(EnemyTimeline, SpawnsStayWithinTheLiveAndTheFrameBound) {
  struct Case {
    const char* what;
    std::function<void(EnemyRig&)> build;
    std::vector<int> enemies;         // after each frame (of rail distance 1)
    std::vector<const char*> told;    // the lines, in order
    bool finished;                    // after those frames
  };
  const Case cases[] = {
      {"a loop that waits a frame and spawns 100 a pass",
       [](EnemyRig& r) {
         r.Spawn(1.0f, 1, 0, 0, 0);                                  // 0
         for (int i = 1; i < 100; ++i) r.Spawn(0.0f, 1, 0, 0, 0);    // 1..99
         r.Record(0.0f, EnemySet::OP_JUMP, 0, -100);                 // 100 -> 0
       },
       // Record 0 waits out frame 1; then 100 a frame, and the twelfth pass
       // reaches 1024 at its record 24.
       {0, 100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 1024, 1024, 1024},
       {"timeline record 24 is not spawned: 1024 enemies live, the most there may be"}, false},
      {"2000 spawns of delay 0",
       [](EnemyRig& r) {
         for (int i = 0; i < 2000; ++i) r.Spawn(0.0f, 1, 0, 0, 0);
       },
       {256, 512, 768, 1024, 1024},  // records 1024 to 1999 are refused in frame 5
       {"timeline record 256 waits for the next frame: 256 spawns in this one, the most a frame makes",
        "timeline record 1024 is not spawned: 1024 enemies live, the most there may be"},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testsupport::ErrorBoxCatcher box;
    EnemyRig rig;
    AddDrone(rig);
    c.build(rig);
    ASSERT_TRUE(rig.Load());
    for (size_t f = 0; f < c.enemies.size(); ++f) {
      Frame();
      EXPECT_EQ(rig.Enemies(), c.enemies[f]) << "frame " << f + 1;
    }
    EXPECT_EQ(StageEnemyCount, rig.Enemies());
    EXPECT_EQ(g_EnemySet.Finished(), c.finished);
    EXPECT_EQ(box.texts.size(), c.told.size());
    for (size_t i = 0; i < c.told.size() && i < box.texts.size(); ++i)
      EXPECT_NE(box.texts[i].find(c.told[i]), std::string::npos) << box.texts[i];
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
