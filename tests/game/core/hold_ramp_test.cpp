// The in-game display's show and hide ramp: its four states and the
// mirrored turn, and in the whole program the display sliding in at a
// stage start, out after the last life and at the stage's end, and held
// hidden by the tutorial, which lays the panel's gauges itself.
#include "game/core/HoldRamp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/core/Game.h"
#include "game/effect/EfxMan.h"
#include "game/player/Player.h"
#include "game/player/ZGInterface.h"
#include "game/scene/Tutorial.h"
#include "game/tables/font_tables.h"
#include "support/ExpectAll.h"
#include "support/Headless.h"
#include "support/PlayWorld.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpQueue.h"
#include "vrax/graphic/SGpState.h"

namespace {

using testsupport::PlayWorld;

TEST(HoldRamp, SixtyFramesEachWayAndAReversalFromTheMirroredPoint) {
  HoldRamp r;
  EXPECT_ALL({VAL(r.GetState(), HoldRamp::HIDDEN), VAL(r.Value(), 0.0f)});
  r.Update(true);
  EXPECT_ALL({VAL(r.GetState(), HoldRamp::SHOWING), VAL(r.GetCounter(), 1)});
  for (int i = 0; i < 58; ++i) r.Update(true);
  EXPECT_ALL({VAL(r.GetState(), HoldRamp::SHOWING), VAL(r.Value(), 59.0f / 60.0f)});
  r.Update(true);  // the 60th frame
  EXPECT_ALL({VAL(r.GetState(), HoldRamp::SHOWN), VAL(r.Value(), 1.0f)});
  r.Update(true);
  EXPECT_EQ(r.GetState(), HoldRamp::SHOWN);
  // 20 frames towards hidden, then turned round: the showing ramp resumes
  // at 60 - 20 = 40 frames and takes its own frame, 41; 19 more show it.
  for (int i = 0; i < 20; ++i) r.Update(false);
  EXPECT_ALL({VAL(r.GetState(), HoldRamp::HIDING), VAL(r.GetCounter(), 20)});
  EXPECT_NEAR(r.Value(), 40.0f / 60.0f, 1e-6f);
  r.Update(true);
  EXPECT_ALL({VAL(r.GetState(), HoldRamp::SHOWING), VAL(r.GetCounter(), 41)});
  EXPECT_NEAR(r.Value(), 41.0f / 60.0f, 1e-6f);
  for (int i = 0; i < 18; ++i) r.Update(true);
  EXPECT_EQ(r.GetState(), HoldRamp::SHOWING);
  r.Update(true);
  EXPECT_EQ(r.GetState(), HoldRamp::SHOWN);
  r.Reset();
  EXPECT_ALL({VAL(r.GetState(), HoldRamp::HIDDEN), VAL(r.GetCounter(), 0)});
}

TEST(HoldRamp, AStartedRampRunsOnInFramesNobodyDrivesIt) {
  HoldRamp r;
  r.Run();  // held: nothing to run
  EXPECT_EQ(r.GetState(), HoldRamp::HIDDEN);
  // Driven once: that frame's Run adds nothing, the next 59 finish it.
  r.Update(true);
  r.Run();
  EXPECT_EQ(r.GetCounter(), 1);
  for (int i = 0; i < 58; ++i) r.Run();
  EXPECT_ALL({VAL(r.GetState(), HoldRamp::SHOWING), VAL(r.GetCounter(), 59)});
  r.Run();
  EXPECT_EQ(r.GetState(), HoldRamp::SHOWN);
  r.Run();
  EXPECT_EQ(r.GetState(), HoldRamp::SHOWN);
  // Driven every frame: one frame each, never two.
  for (int i = 0; i < 30; ++i) {
    r.Update(false);
    r.Run();
  }
  EXPECT_ALL({VAL(r.GetState(), HoldRamp::HIDING), VAL(r.GetCounter(), 30)});
}

// The y of the n newest live sprites of the life icon (table
// SprGameIf00_4) or the bomb icon (its three frames, SprGameIf00_3): the
// icons the last frame spawned.
std::vector<float> IconYs(const SGpRect* table, int count, int n) {
  std::vector<float> ys;
  for (SObject* o = g_EfxMan.Live(1).HeadObj(); o != nullptr; o = o->GetNext()) {
    const SGpSpriteCell* cell = static_cast<EfxSprite*>(o)->Sprite();
    if (cell != nullptr && cell->part >= table && cell->part < table + count) ys.push_back(cell->ownPos[1]);
  }
  if (ys.size() > size_t(n)) ys.erase(ys.begin(), ys.end() - n);
  return ys;
}
std::vector<float> LifeIconYs() { return IconYs(SprGameIf00_4, 1, GetGame()->lives); }
std::vector<float> BombIconYs() { return IconYs(SprGameIf00_3, 3, GetGame()->bombs); }

// The y translation of the world state the display entered before its
// panel at key 3 in the last frame; NaN when the panel was not entered.
float PanelWorldY() {
  float y = std::nanf("");
  const SGpState_World* world = nullptr;
  for (const auto& [key, packet] : GetGpMan()->GetQueue()->Entries()) {
    if (key != 3) continue;
    if (const auto* w = dynamic_cast<const SGpState_World*>(packet)) world = w;
    if (packet == &g_ZGInterface.Panel() && world != nullptr) y = world->GetMatrix().m[3][1];
  }
  return y;
}

TEST(DisplayRamp, SlidesInAtTheStageStartAndOutAfterTheLastLife) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  Game* g = w.G();
  // The Player's start frame drives the ramp towards shown; the display
  // runs it on by itself, one frame each frame.
  w.Step();
  EXPECT_ALL({VAL(g_ZGInterface.Ramp().GetState(), HoldRamp::SHOWING), VAL(g_ZGInterface.Ramp().GetCounter(), 1)});
  w.Step(29);
  // Half way: 64 of its 128 units above its place, the life icons with it
  // and the bomb icons as far below theirs; the panel is drawn so in the
  // next frame (drawing comes before the frame's logic).
  EXPECT_EQ(g_ZGInterface.SlideOffset(), 64.0f);
  EXPECT_EQ(LifeIconYs(), std::vector<float>(size_t(g->lives), -240.0f - 64.0f));
  ASSERT_EQ(g->bombs, 2);
  EXPECT_EQ(BombIconYs(), (std::vector<float>{300.0f + 64.0f, 284.0f + 64.0f}));
  w.Step();
  EXPECT_EQ(PanelWorldY(), -64.0f);
  w.Step(29);
  EXPECT_ALL({VAL(g_ZGInterface.Ramp().GetState(), HoldRamp::SHOWN), VAL(g_ZGInterface.SlideOffset(), 0.0f)});
  w.Step();
  EXPECT_EQ(PanelWorldY(), 0.0f);
  EXPECT_EQ(LifeIconYs(), std::vector<float>(size_t(g->lives), -240.0f));
  // The hit that takes the last life drives it towards hidden (between two
  // frames here: the next frame counts as driven); it runs on and is hidden
  // 60 frames later, before the continue prompt stops the play.
  ASSERT_GE(w.RunToControl(), 0);
  w.Step(180);
  g->lives = 0;
  g_Player.SendEvent(kHitEventHit, 0);
  EXPECT_ALL({VAL(g_ZGInterface.Ramp().GetState(), HoldRamp::HIDING), VAL(g_ZGInterface.Ramp().GetCounter(), 1)});
  w.Step(59);
  EXPECT_TRUE(g_ZGInterface.IsShown());
  w.Step();
  EXPECT_FALSE(g_ZGInterface.IsShown());
  EXPECT_FALSE(g->IsPaused());
  w.Step();
  EXPECT_TRUE(std::isnan(PanelWorldY()));
}

// Starts the tutorial before a game from the notice, the display's ramp
// driven towards shown `shown` frames first; the tutorial once its first
// frame of play has run.
Tutorial* StartTutorial(testsupport::Headless& h, int shown) {
  if (testsupport::RunUntilScene(h, "Notice", 600) < 0) return nullptr;
  for (int i = 0; i < shown; ++i) g_ZGInterface.Ramp().Update(true);
  Game* g = GetGame();
  g->ChangeScene(SCENE_TUTORIAL, Tutorial::MODE_BEFORE_GAME);
  Tutorial* t = nullptr;
  for (int i = 0; i < 200 && (t == nullptr || t->GetSceneState() != Tutorial::STATE_TUTORIAL); ++i) {
    h.Step();
    t = dynamic_cast<Tutorial*>(g->FindInList("Tutorial", GAME_LIST_SCENE));
  }
  return t != nullptr && t->GetSceneState() == Tutorial::STATE_TUTORIAL ? t : nullptr;
}

TEST(DisplayRamp, TheTutorialLaysThePanelsGaugesWithTheDisplayHidden) {
  testsupport::Headless h(testsupport::NullDevice());
  ASSERT_TRUE(h.Ok()) << h.Failure();
  ASSERT_NE(StartTutorial(h, 0), nullptr);
  // The tutorial's power of 2.6 is a new whole level for the reset gauge:
  // its fill stands at 0.6 (x -179 to -179 + 115 x 0.6), laid by the
  // tutorial, the display staying hidden throughout.
  for (int i = 0; i < 30; ++i) {
    EXPECT_FALSE(g_ZGInterface.IsShown());
    h.Step();
  }
  EXPECT_NEAR(g_ZGInterface.GaugeShown(), 0.6f, 1e-5f);
  EXPECT_NEAR(g_ZGInterface.Panel().GetVertexPos(4 + 3).x, -179.0f + 69.0f, 1e-3f);
}

TEST(DisplayRamp, TheTutorialHidesADisplayLeftShown) {
  testsupport::Headless h(testsupport::NullDevice());
  ASSERT_TRUE(h.Ok()) << h.Failure();
  ASSERT_NE(StartTutorial(h, 60), nullptr);  // a whole ramp: shown
  // Every frame of the tutorial drives it towards hidden: gone after 60.
  EXPECT_ALL({VAL(g_ZGInterface.Ramp().GetState(), HoldRamp::HIDING), VAL(g_ZGInterface.Ramp().GetCounter(), 1)});
  h.Step(58);
  EXPECT_TRUE(g_ZGInterface.IsShown());
  h.Step();
  EXPECT_FALSE(g_ZGInterface.IsShown());
}

TEST(DisplayRamp, TheStageEndAndThePlayersResetDriveItTowardsHidden) {
  PlayWorld w;
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  ASSERT_EQ(g_ZGInterface.Ramp().GetState(), HoldRamp::SHOWN);
  // The stage's clear runs 600 frames; the frame that ends the stage steps
  // the ramp, then puts the Player into its reset state, which steps it
  // again.
  w.stageMayEnd = true;
  g_Player.StartStageClear();
  int frames = 0;
  while (g_Player.state != Player::STATE_RESET && frames < 700) frames += w.Step();
  ASSERT_EQ(g_Player.state, Player::STATE_RESET);
  EXPECT_ALL({VAL(g_ZGInterface.Ramp().GetState(), HoldRamp::HIDING), VAL(g_ZGInterface.Ramp().GetCounter(), 2)});
}

}  // namespace
