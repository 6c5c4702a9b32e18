// The last bosses of stages 1, 3 and 4 (types 4, 11 and 14) on their
// stages as they play: defeated, each tells the game that the boss is
// beaten at its show's frame, and the wreck, whose show never ends it,
// holds the enemy timeline until the stage ends 600 frames later. Nothing
// of the stage's script comes after the boss (stage 4's wreck set piece
// waits after it), and the stage result follows on time.
#include <gtest/gtest.h>

#include "game/core/Game.h"
#include "game/core/StageCounters.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "support/StageBossFight.h"

namespace {

struct StageEnd {
  int told = -1;     // frames from the defeat state's first frame to the game's notice
  int cleared = -1;  // frames from the notice to the stage's end
  bool heldAll = true;    // the timeline paused and no enemy spawned
  bool bossToEnd = true;  // the wreck lived until the stage objects were cleared
};

StageEnd DefeatAndRunOut(int stage, float key, const char* name) {
  StageEnd r;
  testsupport::StageBossFight f(stage);
  EnemyBase* b = f.Start(key, key - 2.0f, name);
  EXPECT_NE(b, nullptr) << name;
  if (b == nullptr) return r;
  f.W().stageMayEnd = true;
  SHandle<EnemyBase> h(b);
  f.Step(20);
  const int32_t spawned = StageEnemyCount;
  const int32_t enemies = g_EnemyMan.CountChildren();
  b->SendEvent(EObjBase::EV_DEFEATED, 0);
  int defeat = -1;
  for (int k = 0; k < 2000; ++k) {
    f.Step();
    Game* g = f.W().G();
    EnemyBase* live = h.Get();
    if (live != nullptr && live->GetState() >= SProc::STATE_KILLED) live = nullptr;
    if (defeat < 0 && live != nullptr && live->script->GetState() == EnemyBase::SCRIPT_DEFEATED) defeat = k;
    if (r.told < 0 && g->stageClear != 0) r.told = k - defeat;
    if (r.told >= 0 && g->stageClear == 0) {
      // The stage's objects are cleared (which takes the notice back): the
      // wreck must go with them and not before.
      r.cleared = k - r.told - defeat;
      r.bossToEnd = r.bossToEnd && live == nullptr;
      break;
    }
    r.bossToEnd = r.bossToEnd && live != nullptr;
    r.heldAll = r.heldAll && g_EnemySet.paused == 1 && g_EnemyMan.CountChildren() <= enemies &&
                StageEnemyCount == spawned;
  }
  return r;
}

// The game told `told` frames after the defeat state's first frame; the
// stage's end 601 frames after that (the count is 0 on the notice's frame
// and ends the stage once above 600); the timeline held and the wreck kept
// all along.
void ExpectHeldToTheEnd(int stage, float key, const char* name, int told) {
  const StageEnd r = DefeatAndRunOut(stage, key, name);
  EXPECT_EQ(r.told, told);
  EXPECT_EQ(r.cleared, 601);
  EXPECT_TRUE(r.heldAll);
  EXPECT_TRUE(r.bossToEnd);
}

TEST(BossStageEnd, TypeFourHoldsStageOneToItsEnd) { ExpectHeldToTheEnd(1, 8230.0f, "Boss02", 481); }

TEST(BossStageEnd, TypeElevenHoldsStageThreeToItsEnd) { ExpectHeldToTheEnd(3, 6300.0f, "Boss09", 51); }

TEST(BossStageEnd, TypeFourteenHoldsStageFourToItsEndWithoutTheWreckAfterIt) {
  ExpectHeldToTheEnd(4, 8868.0f, "Boss12", 341);
}

}  // namespace
