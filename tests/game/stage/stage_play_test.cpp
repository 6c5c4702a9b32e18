// The stage scenes in the whole program: each stage started directly loads
// its resources, runs its rail, its triggers and its enemies.
#include <gtest/gtest.h>

#include "game/core/Game.h"
#include "game/core/StageCounters.h"
#include "game/enemy/EnemySet.h"
#include "game/player/Player.h"
#include "game/stage/MapMng.h"
#include "game/stage/StageProc.h"
#include "support/ErrorBox.h"
#include "support/PlayWorld.h"

namespace {

using testsupport::PlayWorld;

TEST(StagePlay, StageOneLoadsAndRuns) {
  testsupport::ErrorBoxCatcher box;
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  auto* stage = static_cast<StageProc*>(w.G()->FindInList("Stage1", GAME_LIST_STAGE));
  ASSERT_NE(stage, nullptr);
  w.Step(600);
  EXPECT_EQ(stage->GetBehaviorState(), StageProc::STATE_PLAY);
  EXPECT_GT(g_MapMng.t, 300.0f);
  EXPECT_GT(StageEnemyCount, 0);
  EXPECT_TRUE(box.texts.empty()) << box.texts.front();
}

}  // namespace
