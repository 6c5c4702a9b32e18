// The tutorial through the whole program in both modes, and scene 15.
#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <vector>

#include "game/core/Game.h"
#include "game/core/Replay.h"
#include "game/scene/PartsSpawnScene.h"
#include "game/scene/Tutorial.h"
#include "game/tables/scene_tables.h"
#include "support/Headless.h"

namespace {

using testsupport::Headless;

Tutorial* CurrentTutorial() { return dynamic_cast<Tutorial*>(testsupport::CurrentScene()); }

TEST(TutorialScene, TimelineFreezesThePlayAndEndsAtFrame3000) {
  AttractCounter = 1;  // the logo leads to the first demo play, then the tutorial
  Headless h(testsupport::NullDevice());
  ASSERT_TRUE(h.Ok()) << h.Failure();
  Game* g = GetGame();
  for (int i = 0; i < 5000 && !CurrentTutorial(); ++i) h.Step();
  ASSERT_NE(CurrentTutorial(), nullptr);
  EXPECT_EQ(std::tuple(CurrentTutorial()->GetMode(), g->demoPlay), std::tuple(int32_t(Tutorial::MODE_ATTRACT), 1));
  // Per frame: the caption, the markers, the freeze, the replay cursor.
  std::map<int32_t, int> captionAt = {{0, -1}};
  std::vector<int32_t> pausedFrames, markerB, markerA, cursorWhilePaused;
  int stateFrames[3] = {}, maxBand = 0;
  const SGpRect* caption = nullptr;
  for (int i = 0; i < 3200 && CurrentTutorial(); ++i) {
    h.Step();
    Tutorial* t = CurrentTutorial();
    if (!t) break;
    ++stateFrames[t->GetSceneState()];
    if (t->GetSceneState() != Tutorial::STATE_TUTORIAL) continue;
    const int32_t f = t->GetFrame() - 1;  // the frame whose events were applied
    if (t->Captions().Current() != caption) captionAt[static_cast<int>(t->Captions().Current() - &SprTutorial_2[0])] = f;
    caption = t->Captions().Current();
    if (t->Marker(1).IsEnabled()) markerB.push_back(f);
    if (t->Marker(0).IsEnabled()) markerA.push_back(f);
    if (g->IsPaused()) pausedFrames.push_back(f), cursorWhilePaused.push_back(g_Replay.GetCursor());
    maxBand = std::max(maxBand, t->GetBandPhase());
  }
  EXPECT_EQ(std::tuple(stateFrames[1], stateFrames[2]), std::tuple(3001, 60));  // frames 0 to 3,000, the fade
  const std::map<int32_t, int> wantCaptions = {{0, -1},    {1, 210},   {2, 470},   {3, 670},  {4, 840},  {5, 1000},
                                               {6, 1270},  {7, 1420},  {8, 1570},  {9, 1700}, {10, 2200}, {11, 2650}};
  EXPECT_EQ(captionAt, wantCaptions);
  // Marker B from 0 to 99 and 210 to 469, marker A from 2,290 to 2,529.
  EXPECT_EQ(std::tuple(markerB.size(), markerB[100], markerA.size(), markerA[0]), std::tuple(360u, 210, 240u, 2290));
  // Frozen from the begin of the frame whose draw asked (1,167 to 1,569 and
  // 1,700 to 1,839; at 1,570 the resume comes before caption 8).
  ASSERT_EQ(std::tuple(pausedFrames.size(), pausedFrames.front(), pausedFrames.back()),
            std::tuple((1570u - 1167) + (1840u - 1700), 1167, 1839));
  EXPECT_EQ(cursorWhilePaused[0], cursorWhilePaused[402]);  // the recorded play stands still
  EXPECT_EQ(maxBand, 360);  // the band's phase runs 1 to 360 after each frame's build
  for (int i = 0; i < 5 && g->GetSceneId() != SCENE_TITLE; ++i) h.Step();
  EXPECT_EQ(std::tuple(g->GetSceneId(), g->demoPlay, g->IsPaused()), std::tuple(int32_t(SCENE_TITLE), 0, false));
}

TEST(TutorialScene, BeforeAGameAStartPressEndsItAndStageOneFollows) {
  Headless h(testsupport::NullDevice());
  ASSERT_TRUE(h.Ok()) << h.Failure();
  ASSERT_GE(testsupport::RunUntilScene(h, "Notice", 600), 0);
  Game* g = GetGame();
  g->ChangeScene(SCENE_TUTORIAL, Tutorial::MODE_BEFORE_GAME);
  g->ChangeScene(SCENE_PARTS_SPAWN);
  h.Step(3);
  auto* t = dynamic_cast<Tutorial*>(g->FindInList("Tutorial", GAME_LIST_SCENE));
  auto* parts = dynamic_cast<PartsSpawnScene*>(g->FindInList("PartsSpawnScene", GAME_LIST_SCENE));
  ASSERT_TRUE(t && parts);
  h.Step(100);
  ASSERT_EQ(t->GetSceneState(), Tutorial::STATE_TUTORIAL);
  EXPECT_EQ(g->demoPlay, 0);
  // Scene 15: a part every 64 loaded frames, each counted by its chain.
  EXPECT_TRUE(g->GetSceneEffect().IsOn());
  EXPECT_EQ(parts->Chain()->chain, (parts->GetFrame() + 63) / 64);
  h.Press(plat::CabInput::kStart);
  h.Step(2);
  EXPECT_EQ(t->GetSceneState(), Tutorial::STATE_ENDING);
  for (int i = 0; i < 80 && g->GetSceneId() != SCENE_STAGE; ++i) h.Step();
  EXPECT_EQ(g->GetSceneId(), SCENE_STAGE);
  EXPECT_EQ(g->stage, 1);
}

}  // namespace
