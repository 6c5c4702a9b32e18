// The intro flight of a first stage, a continue after the last life, and
// the dash against a boss, in the whole program.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "game/core/Game.h"
#include "game/player/DashForm.h"
#include "game/player/Player.h"
#include "game/scene/ContinuePrompt.h"
#include "support/ExpectAll.h"
#include "support/PlayWorld.h"
#include "test_enemy.h"

namespace {

using plat::CabInput;
using testsupport::PlayOptions;
using testsupport::PlayWorld;

TEST(PlayerFlight, AFirstStageStartsWithTheIntroAndThePathFlight) {
  PlayOptions o;
  o.intro = true;
  PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  w.Step();
  ASSERT_EQ(g_Player.state, Player::STATE_SCRIPTED);
  EXPECT_EQ(g_Player.scriptedSub, 2);
  // Tiny at first, growing along the flight path until it leaves below the
  // screen; then the path flight of 400 frames (no camera path in the
  // stand-in stage: the ship waits below) and control.
  w.Step(2);
  EXPECT_NEAR(g_Player.hullScale[0], 0.1f / 130.0f, 1e-4f);
  int toPath = 0;
  float biggest = 0.0f;
  while (g_Player.scriptedSub == 2 && toPath < 400) {
    toPath += w.Step();
    biggest = std::max(biggest, g_Player.hullScale[0]);
  }
  EXPECT_EQ(g_Player.scriptedSub, 3);
  EXPECT_GT(toPath, 130);
  EXPECT_LT(toPath, 130 + 120 + 20);
  EXPECT_GT(biggest, 2.0f);
  EXPECT_EQ(g_Player.hullScale[0], 1.0f);
  EXPECT_EQ(w.RunToControl(500), 401);
  w.Step();
  EXPECT_EQ(g_Player.position[1], Player::kMaxY);  // kept inside the play area
}

TEST(PlayerFlight, StartDuringTheContinuePromptContinuesThePlay) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  Game* g = w.G();
  g->settings[kSetCoinPlay] = 0;  // free play: start alone continues
  g->record[REC_SCORE] = 12340;
  w.Step(180);
  g->lives = 0;
  g_Player.SendEvent(Player::kEventHit, 0);
  ASSERT_EQ(g_Player.state, Player::STATE_DEATH);
  ASSERT_EQ(g->lives, -1);
  w.Step(62);
  ASSERT_TRUE(g->IsPaused());
  // The prompt runs in its drawing, before the pads are polled: it sees the
  // press in the next frame and continues in the one after.
  w.Hold(CabInput::kStart);
  w.Step(2);
  w.ReleaseAll();
  w.Step();
  EXPECT_EQ(ContinuePromptAnswer, 1);
  // The play goes on: lives and bombs back, the score's last digit counts
  // the plays, the ship enters again.
  EXPECT_GE(w.RunUntilState(Player::STATE_SCRIPTED, 10), 0);
  EXPECT_ALL({VAL(g->lives, g->settings[kSetLives]), VAL(g->bombs, 2), VAL(g->record[REC_SCORE], 1u),
              VAL(g_Player.scriptedSub, 0), VAL(g_Player.power, 2.0f)});
  EXPECT_FALSE(g->IsPaused());
  EXPECT_GE(w.RunToControl(), 0);
}

// Runs the boss dash to its end, pressing the shot button on the third
// frame of every aim when `press` is set; the dash states seen.
std::vector<int32_t> RunBossDash(PlayWorld& w, bool press) {
  std::vector<int32_t> states;
  for (int i = 0; i < 800 && g_Player.controlMode == Player::CONTROL_DASH; ++i) {
    const bool aim = g_DashForm.dashState == DashForm::DASH_AIMING && g_DashForm.stateCounter == 2;
    w.Hold(CabInput::kButton1, press && aim);
    w.Step();
    if (states.empty() || states.back() != g_DashForm.dashState) states.push_back(g_DashForm.dashState);
  }
  w.ReleaseAll();
  return states;
}

TEST(PlayerFlight, TheBossDashStrikesSevenTimesOnTimeOrLetsTheBossGo) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  w.Step(180);
  std::vector<testenemy::Logged> log;
  testenemy::TestEnemy* boss =
      testenemy::Spawn(&log, 1, 0.0f, -150.0f, 0x7F, EObjBase::KIND_BOSS, 100000);
  // On time: seven strikes, the finish, and a blow of 7 x 5000 that the
  // boss survives (it is let go).
  g_Player.SendEvent(Player::kEventDash, 0);
  ASSERT_EQ(g_Player.controlMode, Player::CONTROL_DASH);
  EXPECT_ALL({VAL(g_DashForm.variant, DashForm::VARIANT_BOSS), VAL(g_DashForm.targetCount, 7),
              VAL(boss->grabMode, EObjBase::GRAB_HELD)});
  const std::vector<int32_t> hit = RunBossDash(w, true);
  EXPECT_EQ(std::count(hit.begin(), hit.end(), DashForm::DASH_STRIKING), 7);
  EXPECT_EQ(std::find(hit.begin(), hit.end(), DashForm::DASH_MISSED), hit.end());
  EXPECT_NE(std::find(hit.begin(), hit.end(), DashForm::DASH_ALL_STRUCK), hit.end());
  EXPECT_ALL({VAL(boss->hitPoints, 100000 - 7 * 5000), VAL(boss->grabMode, EObjBase::GRAB_FREE),
              VAL(g_Player.controlMode, Player::CONTROL_NORMAL)});
  // No press: the first window runs out, the dash returns, and the boss is
  // let go all the same.
  w.Step(30);
  g_Player.SendEvent(Player::kEventDash, 0);
  ASSERT_EQ(boss->grabMode, EObjBase::GRAB_HELD);
  const std::vector<int32_t> missed = RunBossDash(w, false);
  EXPECT_NE(std::find(missed.begin(), missed.end(), DashForm::DASH_MISSED), missed.end());
  EXPECT_EQ(std::find(missed.begin(), missed.end(), DashForm::DASH_STRIKING), missed.end());
  EXPECT_ALL({VAL(boss->hitPoints, 65000), VAL(boss->grabMode, EObjBase::GRAB_FREE)});
}

}  // namespace
