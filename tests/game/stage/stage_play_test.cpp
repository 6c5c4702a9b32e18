// The stage scenes in the whole program: each stage started directly loads
// its resources, runs its rail, its triggers and its enemies.
#include <gtest/gtest.h>

#include "game/core/Game.h"
#include "game/core/StageCounters.h"
#include "game/enemy/EnemySet.h"
#include "game/player/Player.h"
#include "game/stage/MapMng.h"
#include "game/stage/StageProc.h"
#include "support/EffectWatch.h"
#include "support/ErrorBox.h"
#include "support/PlayWorld.h"

namespace {

using testsupport::PlayWorld;

// Plays the stage started by the world to its end: the ship holds fire in
// the middle of the screen (below the bosses), with its lives topped up so
// that it lasts; ends when the game root leaves the stage. The frames it
// took, or -1 after the limit. The effects never run out of room.
int PlayToEnd(PlayWorld& w, int limit) {
  Game* g = w.G();
  w.stageMayEnd = true;
  w.Hold(plat::CabInput::kButton1);
  testsupport::EffectWatch effects;
  for (int f = 0; f < limit; ++f) {
    if (g->GetSceneId() != SCENE_STAGE) {
      effects.ExpectRoomAndNoStuckSprites("the stage shot at");
      return f;
    }
    g->lives = 3;
    w.Step();
    effects.Frame();
  }
  return -1;
}

TEST(StagePlay, StageOneRunsToItsEnd) {
  testsupport::ErrorBoxCatcher box;
  testsupport::PlayOptions o;
  o.livelyStage = true;
  PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  const int frames = PlayToEnd(w, 20000);
  EXPECT_GT(frames, 8000);
  EXPECT_EQ(w.G()->GetSceneId(), SCENE_STAGE_RESULT);
  EXPECT_TRUE(box.texts.empty()) << box.texts.front();
}

}  // namespace
