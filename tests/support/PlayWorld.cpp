#include "support/PlayWorld.h"

#include <gtest/gtest.h>

#include <cmath>

#include "game/core/Game.h"
#include "game/enemy/EnemySet.h"
#include "game/player/Player.h"
#include "game/player/ZGInterface.h"

namespace testsupport {

namespace {

HeadlessOptions Options(bool nullDevice) {
  HeadlessOptions o;
  o.nullDevice = nullDevice;
  return o;
}

// Takes the attract scenes out of the scene list without their hand-over,
// so no further attract scene (nor a demo play) starts during the test.
void DropScenes(Game* g) {
  SProcList* l = g->GetList(GAME_LIST_SCENE);
  while (l != nullptr && l->Head() != nullptr) {
    SProc* p = l->Head();
    l->DetachProcess(p);
    delete p;
  }
}

}  // namespace

PlayWorld::PlayWorld(const PlayOptions& options)
    : headless_(std::make_unique<Headless>(Options(options.nullDevice))) {
  if (!headless_->Ok()) {
    ADD_FAILURE() << headless_->Failure();
    return;
  }
  Game* g = Game::GetInstance();
  for (int i = 0; i < 600 && g->GetSceneId() != SCENE_NOTICE; ++i) headless_->Step();
  if (g->GetSceneId() != SCENE_NOTICE) {
    ADD_FAILURE() << "the notice never came";
    return;
  }
  DropScenes(g);
  // The persistent Player may still hold an earlier world's play.
  g_Player.SetState(Player::STATE_RESET);
  if (options.beforeStage) options.beforeStage();
  g->ChangeScene(SCENE_STAGE, options.stage);
  game_ = g;
  if (!options.playerStarts) return;
  for (int i = 0; i < 30 && (g->GetSceneId() != SCENE_STAGE || g_Player.state == Player::STATE_RESET); ++i) Step();
  EXPECT_EQ(g_Player.state, Player::STATE_START);
  if (!options.intro) {
    // The short flight of a stage entered again past its start: the Player's
    // start reads a checkpoint other than 0 in the next frame (the rail and
    // the enemy timeline have already started from the stage's beginning).
    restoreCheckpoint_ = g->checkpoint;
    g->checkpoint = kShortFlightCheckpoint;
  }
  if (!options.livelyStage) {
    // Only the Player's world: the stage scene has started the Player and
    // goes (with its rail, scenery, triggers and enemy timeline).
    if (SProcList* l = g->GetList(GAME_LIST_STAGE)) l->KillAll(0);
    g_EnemySet.Reset();
  }
}

PlayWorld::~PlayWorld() = default;

int PlayWorld::Step(int frames) {
  int run = 0;
  for (int i = 0; i < frames; ++i) {
    if (headless_->Step() == 0) break;
    ++run;
    if (!stageMayEnd && game_ != nullptr) game_->stageClear = 0;
    if (game_ != nullptr && game_->checkpoint == kShortFlightCheckpoint && g_Player.state != Player::STATE_START)
      game_->checkpoint = restoreCheckpoint_;
  }
  return run;
}

int PlayWorld::RunUntilState(int32_t s, int limit) {
  for (int i = 0; i <= limit; ++i) {
    if (g_Player.state == s) return i;
    if (i < limit && Step() == 0) return -1;
  }
  return -1;
}

int PlayWorld::RunToControl(int limit) {
  for (int i = 0; i <= limit; ++i) {
    if (g_Player.state == Player::STATE_PLAY && g_Player.controlMode == Player::CONTROL_NORMAL) return i;
    if (i < limit && Step() == 0) return -1;
  }
  return -1;
}

void PlayWorld::FlyShipVolley() {
  for (int i = 0; i < 60; ++i) g_ZGInterface.Ramp().Update(false);  // a whole ramp
  g_Player.AddPower(1.0f);  // a third option
  Step(15);
  Hold(plat::CabInput::kButton1);
  Step(1);
  Hold(plat::CabInput::kButton1, false);
  Step(6);
  for (int f = 0; f < 8; ++f) {
    const float a = (0.55f + 0.05f * static_cast<float>(f)) * 6.2831855f;
    const float x = g_Player.position[0], y = g_Player.position[1];
    g_Player.trails[1].Push(SVec4{x + 30.0f * std::cos(a), y + 30.0f * std::sin(a), 0.0f, 1.0f},
                            SVec4{x + 100.0f * std::cos(a), y + 100.0f * std::sin(a), 0.0f, 1.0f});
    Step();
  }
}

}  // namespace testsupport
