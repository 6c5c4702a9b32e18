// The intro flight of a first stage, the warp and the ending flight of the
// last, a continue after the last life, and the dash against a boss, in the
// whole program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "game/core/Game.h"
#include "game/enemy/EnemySet.h"
#include "game/player/DashForm.h"
#include "game/player/Player.h"
#include "game/player/ZGInterface.h"
#include "game/scene/ContinuePrompt.h"
#include "game/stage/MapMng.h"
#include "game/stage/StageProc.h"
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
  EXPECT_EQ(g_Player.position[1], 288.0f);  // kept inside the play area, 32 px above its foot
}

TEST(PlayerFlight, TheEndingFlightFollowsTheEndingPathThenWaitsBelow) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  g_Player.OnEvent(10);
  w.Step();  // step 0: motion 52, the ship at (0, 130)
  EXPECT_ALL({VAL(g_Player.slots[0].motion, 52), VAL(g_Player.position[1], 130.0f), VAL(g_Player.step, 1)});
  // Counter c of the 1,080 frames takes key c of the stand-in path, which
  // eases (smoothstep) between its points: (0, 150) at 130; half way
  // from there to (-60, 120) at 300, smoothstep 0.5: (-30, 135); (60, 90)
  // at 500; (0, -400) at 1,079, over the top of the screen.
  struct Key {
    int counter;
    float x, y;
  };
  int at = 0;
  for (const Key& k : {Key{130, 0.0f, 150.0f}, Key{215, -30.0f, 135.0f}, Key{500, 60.0f, 90.0f},
                       Key{1079, 0.0f, -400.0f}}) {
    at += w.Step(k.counter - at);
    EXPECT_EQ(g_Player.stepCounter, k.counter);
    EXPECT_NEAR(g_Player.position[0], k.x, 1e-3f) << k.counter;
    EXPECT_NEAR(g_Player.position[1], k.y, 1e-3f) << k.counter;
    EXPECT_EQ(g_Player.position[2], 0.0f);
  }
  // The last frame places it below the screen, where it stays.
  w.Step();
  EXPECT_ALL({VAL(g_Player.step, 2), VAL(g_Player.position[1], 500.0f)});
  for (int f = 0; f < 100; ++f) {
    w.Step();
    ASSERT_EQ(g_Player.position[0], 0.0f) << "frame " << f;
    ASSERT_EQ(g_Player.position[1], 500.0f) << "frame " << f;
  }
  EXPECT_EQ(g_Player.state, Player::STATE_SCRIPTED);
}

TEST(PlayerFlight, StageFiveWarpsTheShipOutHidesTheDisplayAndFliesTheEnding) {
  testsupport::PlayOptions o;
  o.stage = 5;
  o.livelyStage = true;
  PlayWorld w(o);
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  ASSERT_TRUE(g_ZGInterface.IsShown());
  g_EnemySet.Reset();  // nothing comes to shoot the ship
  g_MapMng.SetSection(0, 3900.0f);
  int frames = 0;
  while (StageProc::RailKey() < 3921 && frames < 100) frames += w.Step();
  ASSERT_EQ(StageProc::RailKey(), 3921);
  EXPECT_ALL({VAL(g_Player.state, Player::STATE_SCRIPTED), VAL(g_Player.scriptedSub, 9),
              VAL(g_ZGInterface.Ramp().GetState(), HoldRamp::HIDING)});
  w.Step(60);  // a whole ramp
  EXPECT_FALSE(g_ZGInterface.IsShown());
  // Out of sight until the rail reaches 4100, then the ending flight.
  frames = 0;
  while (g_Player.scriptedSub == 9 && frames < 400) frames += w.Step();
  // The Player's frame saw 4100; the rail, a key a frame, has moved on.
  ASSERT_EQ(g_Player.scriptedSub, 10);
  EXPECT_EQ(std::lround(g_MapMng.t), 4100 + 1);
  w.Step(1 + 500);
  EXPECT_EQ(g_Player.stepCounter, 500);
  EXPECT_NEAR(g_Player.position[0], 60.0f, 1e-3f);
  EXPECT_NEAR(g_Player.position[1], 90.0f, 1e-3f);
}

TEST(PlayerFlight, StartDuringTheContinuePromptContinuesThePlay) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  Game* g = w.G();
  g->settings[SettingsWord::coinPlay] = 0;  // free play: start alone continues
  g->record[REC_SCORE] = 12340;
  w.Step(180);
  g->lives = 0;
  g_Player.SendEvent(kHitEventHit, 0);
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
  // the plays, the ship enters again and the display, gone with the last
  // life, ramps back in.
  EXPECT_FALSE(g_ZGInterface.IsShown());
  EXPECT_GE(w.RunUntilState(Player::STATE_SCRIPTED, 10), 0);
  EXPECT_EQ(g_ZGInterface.Ramp().GetState(), HoldRamp::SHOWING);
  EXPECT_ALL({VAL(g->lives, g->settings[SettingsWord::lives]), VAL(g->bombs, 2), VAL(g->record[REC_SCORE], 1u),
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
