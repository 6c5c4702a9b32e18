// Stage 4's wreck set piece (type 18) on its stage as it plays. It holds
// the enemy timeline while it lives and never ends by itself, so it comes
// where something of the stage ends it: it lands in the frame boss 13
// comes, plays its show while the boss materialises, and goes with the
// screen clear that follows the boss once the boss's end lets the timeline
// run on; the stage then goes on to boss 14.
#include <gtest/gtest.h>

#include "game/core/Game.h"
#include "game/core/StageCounters.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/enemy/EnemyType18.h"
#include "support/ExpectAll.h"
#include "support/SoundProbe.h"
#include "support/StageBossFight.h"

namespace {

using testsupport::StageBossFight;

// The wreck's show, by its own frame k (its k-th step): the flight from
// y = -400 to -100 is a path of one 160-frame key, which ends on call 161;
// the show starts the frame after, on stretch 0 (60 frames, one a step),
// which has played through after the step of frame 221; stretch 1 (60
// frames) follows on 222, its voice 25 frames into its phase (the phase's
// own count starts on 223), then stretch 2 on 282, whose 30-frame lap
// comes round four times by frame 401, and the resting stretch 3 on 402.
struct WreckRow {
  int k;
  int32_t state, phase;
  uint32_t stretch;
};
constexpr WreckRow kWreckRows[] = {
    {1, EnemyType18Behavior::STATE_ENTER, 0, 0},  {161, EnemyType18Behavior::STATE_ENTER, 0, 0},
    {162, EnemyType18Behavior::STATE_SHOW, 0, 0}, {221, EnemyType18Behavior::STATE_SHOW, 0, 0},
    {222, EnemyType18Behavior::STATE_SHOW, 1, 1}, {248, EnemyType18Behavior::STATE_SHOW, 1, 1},
    {281, EnemyType18Behavior::STATE_SHOW, 1, 1}, {282, EnemyType18Behavior::STATE_SHOW, 2, 2},
    {401, EnemyType18Behavior::STATE_SHOW, 2, 2},
    {402, EnemyType18Behavior::STATE_SHOW, 3, 3}, {460, EnemyType18Behavior::STATE_SHOW, 3, 3},
};

TEST(StageSetPiece, StageFourWreckLandsWithBossThirteenAndGoesWithIt) {
  StageBossFight f(4);
  // The frame the wreck first exists: boss 13 came in the same frame, and
  // only the boss counts as spawned.
  const int32_t before = StageEnemyCount;
  auto* w = dynamic_cast<EnemyType18*>(f.Start(5671.0f, 5669.0f, "Wreck"));
  ASSERT_NE(w, nullptr);
  auto* b = dynamic_cast<EnemyBase*>(g_EnemyMan.FindFirst("Boss11"));
  ASSERT_NE(b, nullptr);
  EXPECT_ALL({VAL(StageEnemyCount, before + 1), VAL(g_EnemySet.paused, 1), VAL(w->GetPosition()[1], -400.0f)});
  SHandle<EnemyType18> wreck(w);
  SHandle<EnemyBase> boss(b);
  SRsc* voices = testsupport::VoiceBank();
  testsupport::MarkSound(voices, 35);  // its voice
  int k = 0;
  for (const WreckRow& row : kWreckRows) {
    for (; k < row.k; ++k) {
      if (k + 1 == 248) { EXPECT_FALSE(testsupport::SoundPlayed(voices, 35)); }
      f.Step();
    }
    SCOPED_TRACE(row.k);
    ASSERT_NE(LiveProc(wreck), nullptr);
    EXPECT_ALL({VAL(w->Script().GetState(), row.state), VAL(w->Script().phase, row.phase),
                VAL(w->routeCursorIndex, row.stretch), VAL(g_EnemySet.paused, 1)});
    if (row.k == 161) { EXPECT_ALL({VAL(w->GetPosition()[0], 0.0f), VAL(w->GetPosition()[1], -100.0f)}); }
    if (row.k >= 248) { EXPECT_TRUE(testsupport::SoundPlayed(voices, 35)); }
  }
  ASSERT_NE(LiveProc(boss), nullptr);
  // Boss 13 shot down: the wreck stays through its defeat show. The boss's
  // end lets the timeline go; the clear-screen record one rail key on then
  // runs and ends the wreck, defeated without a count, before anything
  // else of the stage comes.
  const int32_t spawned = StageEnemyCount, defeats = StageDefeatCount;
  b->SendEvent(kHitEventDefeated, 0);
  int end = -1;
  for (int n = 1; n <= 1000 && end < 0; ++n) {
    f.Step();
    if (LiveProc(boss) == nullptr) {
      end = n;
    } else {
      ASSERT_NE(LiveProc(wreck), nullptr) << n;
    }
  }
  ASSERT_GT(end, 0);
  int gone = 0;
  for (; gone <= 3 && LiveProc(wreck) != nullptr; ++gone) f.Step();
  EXPECT_ALL({VAL(LiveProc(wreck) == nullptr, true), VAL(StageDefeatCount, defeats + 1),
              VAL(StageEnemyCount, spawned), VAL(g_EnemySet.paused, 0)});
  // The stage goes on: the waves before boss 14 come.
  int next = -1;
  for (int n = 1; n <= 600 && next < 0; ++n) {
    f.Step();
    if (StageEnemyCount > spawned) next = n;
  }
  EXPECT_GT(next, 0);
  EXPECT_EQ(g_EnemyMan.FindFirst("Wreck"), nullptr);
}

}  // namespace
