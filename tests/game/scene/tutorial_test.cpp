// The tutorial through the whole program in both modes (a start during its
// freeze included), and scene 15.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <map>
#include <tuple>
#include <vector>

#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/core/Replay.h"
#include "game/effect/EShotMan.h"
#include "game/player/Player.h"
#include "game/scene/PartsSpawnScene.h"
#include "game/scene/Tutorial.h"
#include "game/scene/TutorialParts.h"
#include "game/enemy/EnemyMan.h"
#include "game/enemy/EnemySet.h"
#include "game/enemy/EObjBase.h"
#include "game/player/Player.h"
#include "game/tables/scene_tables.h"
#include "support/BuildDirs.h"
#include "support/ExpectAll.h"
#include "support/Headless.h"
#include "support/ImageCompare.h"
#include "vrax/kernel/SHandle.h"

namespace {

using testsupport::Headless;

// The scenes running go without handing over: the notice would hand over
// to the logo, which would end the tutorial at once.
void DropScenesWithoutHandingOver(Game* g) {
  SProcList* scenes = g->GetList(GAME_LIST_SCENE);
  while (SProc* p = scenes->Head()) {
    scenes->DetachProcess(p);
    delete p;
  }
}

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
  // The recorded ship is never hit, and from the end of the fade-in (30
  // frames) to the end event the play stays in view: a loss here with no
  // lives left (as the demo plays leave them) would fade the play to black
  // for the rest of the tutorial.
  const int32_t lives = g->lives;
  std::vector<int32_t> hitFrames, darkFrames;
  for (int i = 0; i < 3200 && CurrentTutorial(); ++i) {
    h.Step();
    Tutorial* t = CurrentTutorial();
    if (!t) break;
    ++stateFrames[t->GetSceneState()];
    if (t->GetSceneState() != Tutorial::STATE_TUTORIAL) continue;
    const int32_t f = t->GetFrame() - 1;  // the frame whose events were applied
    if (g_Player.state == Player::STATE_DEATH) hitFrames.push_back(f);
    if (f >= 30 && g->GetFadeLevel() != 1.0f) darkFrames.push_back(f);
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
  EXPECT_TRUE(hitFrames.empty()) << "hit in frame " << hitFrames.front();
  EXPECT_TRUE(darkFrames.empty()) << "faded in frame " << darkFrames.front();
  EXPECT_EQ(g->lives, lives);
  for (int i = 0; i < 5 && g->GetSceneId() != SCENE_TITLE; ++i) h.Step();
  EXPECT_EQ(std::tuple(g->GetSceneId(), g->demoPlay, g->IsPaused()), std::tuple(int32_t(SCENE_TITLE), 0, false));
}

// Pixels of the play area (360 x 480 of the 640 x 480 picture) that are not
// black.
int LitPlayPixels(const plat::Image& img) {
  return testsupport::CountPlayPixels(img, -240.0f, -320.0f, 240.0f, 320.0f,
                                      [](uint32_t r, uint32_t g, uint32_t b) { return r + g + b > 24; });
}

// The picture against its reference, the ship's surroundings (100 x 100
// pixels round it) left out of the comparison: the ship's glow pulses on a
// count that runs from its start, and how many frames the program takes to
// reach the tutorial depends on the loading.
::testing::AssertionResult MatchesGoldenBesideShip(const plat::Image& img, const std::string& name) {
  const char* update = std::getenv("OSTREL_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") return testsupport::MatchesGolden(img, name);
  plat::Image expected;
  if (!testsupport::ReadPng(std::string(testsupport::TestSourceDir()) + "/golden/" + name, &expected))
    return ::testing::AssertionFailure() << "no reference image " << name;
  const int cx = testsupport::PlayPx(PlayerPos.x), cy = testsupport::PlayPy(PlayerPos.y);
  plat::Image actual = img;
  for (plat::Image* im : {&actual, &expected})
    for (int y = std::max(cy - 50, 0); y < std::min(cy + 50, im->height); ++y)
      for (int x = std::max(cx - 50, 0); x < std::min(cx + 50, im->width); ++x)
        std::fill_n(&im->rgba[(static_cast<size_t>(y) * im->width + x) * 4], 4, uint8_t{0});
  ::testing::AssertionResult r = testsupport::ImagesMatch(actual, expected, 8, 400);
  if (!r) testsupport::WritePng(std::string(testsupport::TestBinaryDir()) + "/golden-actual/" + name, img);
  return r;
}

TEST(TutorialScene, PictureMidWayAndThePlayInViewThroughout) {
  Headless h;
  ASSERT_TRUE(h.Ok()) << h.Failure();
  ASSERT_GE(testsupport::RunUntilScene(h, "Notice", 600), 0);
  Game* g = GetGame();
  DropScenesWithoutHandingOver(g);
  // No lives left, as the attract sequence's demo plays leave them: a loss
  // in the tutorial would now fade the play to black.
  g->lives = -1;
  g->ChangeScene(SCENE_TUTORIAL, Tutorial::MODE_ATTRACT);
  auto tutorial = [g] { return dynamic_cast<Tutorial*>(g->FindInList("Tutorial", GAME_LIST_SCENE)); };
  for (int i = 0; i < 30 && tutorial() == nullptr; ++i) h.Step();
  ASSERT_NE(tutorial(), nullptr);
  // Every 100th frame from the end of the fade-in to the end event, most of
  // the play area is lit (the band alone covers it with at least 0.2 of its
  // image).
  plat::Image img;
  std::vector<std::pair<int32_t, int>> dark;
  for (int i = 0; i < 3100 && tutorial() != nullptr; ++i) {
    h.Step();
    const Tutorial* t = tutorial();
    if (t == nullptr || t->GetSceneState() != Tutorial::STATE_TUTORIAL) continue;
    const int32_t f = t->GetFrame() - 1;
    if (f % 100 == 50) {
      ASSERT_TRUE(h.Screenshot(&img));
      const int lit = LitPlayPixels(img);
      if (lit < 360 * 480 / 2) dark.emplace_back(f, lit);
    }
    if (f != 1500) continue;
    // Mid-way: play frozen since frame 1,167 under caption 7; the ship in
    // play low on the screen; the fourth formation's darts crossing on their
    // lanes (y -280 to -190, 30 apart) over the play area and the third
    // formation's drones gone above its top edge.
    ASSERT_TRUE(h.Screenshot(&img));
    EXPECT_TRUE(MatchesGoldenBesideShip(img, "tutorial_midway.png"));
    EXPECT_EQ(t->Captions().Current(), &SprTutorial_2[7]);
    EXPECT_TRUE(g->IsPaused());
    EXPECT_EQ(g_Player.state, Player::STATE_PLAY);
    EXPECT_GT(PlayerPos.y, -60.0f);
    std::vector<float> lanes;
    int above = 0;
    for (SProc* e = g_EnemyMan.GetList(0)->Head(); e != nullptr; e = SProcList::Next(e)) {
      const float* p = static_cast<EObjBase*>(e)->GetPosition();
      if (e->GetName() == "Dart" && p[0] > -240.0f && p[0] < 240.0f) lanes.push_back(p[1]);
      above += e->GetName() == "Drone" && p[1] < -320.0f;
    }
    std::sort(lanes.begin(), lanes.end());
    EXPECT_EQ(lanes, (std::vector<float>{-280.0f, -250.0f, -220.0f, -190.0f}));
    EXPECT_EQ(above, 5);
  }
  EXPECT_TRUE(dark.empty()) << "frame " << dark.front().first << ": " << dark.front().second << " lit pixels";
}

TEST(TutorialScene, InAttractModeACoinShortOfACreditEndsIt) {
  // Two coins a credit: the coin that came in before the tutorial makes no
  // credit; the tutorial ends in its first frame of play all the same.
  CoinCounter* coins = GetCoinCounter();
  coins->coins = coins->totalCoins = coins->credits = coins->serviceCredits = 0;  // a global
  Headless h(testsupport::NullDevice());
  ASSERT_TRUE(h.Ok()) << h.Failure();
  ASSERT_GE(testsupport::RunUntilScene(h, "Notice", 600), 0);
  Game* g = GetGame();
  g->settings[SettingsWord::coinUnit] = 2;
  g->settings[SettingsWord::coinPlay] = 1;
  h.Press(plat::CabInput::kCoin, 2);
  h.Step(4);
  ASSERT_EQ(std::tuple(coins->totalCoins, coins->credits), std::tuple(1, 0));
  ASSERT_EQ(testsupport::CurrentSceneName(), "Notice");  // the notice waits for a credit
  g->ChangeScene(SCENE_TUTORIAL, Tutorial::MODE_ATTRACT);
  const auto tutorial = [g] { return g->FindInList("Tutorial", GAME_LIST_SCENE); };
  for (int i = 0; i < 20 && !tutorial(); ++i) h.Step();
  ASSERT_NE(tutorial(), nullptr);
  int frames = 0;
  for (; frames < 200 && tutorial(); ++frames) h.Step();
  // The fade of state 2 and no more.
  EXPECT_LT(frames, 80);
}

TEST(TutorialScene, EveryLifeLostInTheTutorialOffersNoContinue) {
  // The recorded play has nobody to answer the offer, and before a game the
  // credit is already paid: the ship goes on without a prompt, and stage 1
  // then starts a play with full lives.
  Headless h(testsupport::NullDevice());
  ASSERT_TRUE(h.Ok()) << h.Failure();
  ASSERT_GE(testsupport::RunUntilScene(h, "Notice", 600), 0);
  Game* g = GetGame();
  g->settings[SettingsWord::coinPlay] = 1;
  h.Press(plat::CabInput::kCoin, 2);
  ASSERT_GE(testsupport::RunUntilScene(h, "Title", 600), 0);
  h.Step(10);
  h.Press(plat::CabInput::kStart);
  const auto tutorial = [g] { return dynamic_cast<Tutorial*>(g->FindInList("Tutorial", GAME_LIST_SCENE)); };
  for (int i = 0; i < 100 && (!tutorial() || tutorial()->GetSceneState() != Tutorial::STATE_TUTORIAL); ++i) h.Step();
  ASSERT_TRUE(tutorial() != nullptr && tutorial()->GetSceneState() == Tutorial::STATE_TUTORIAL);
  bool prompt = false;
  int deathFrames = 0;
  for (int i = 0; i < 1100 && deathFrames < 400; ++i) {
    if (g_Player.state == Player::STATE_PLAY && g_Player.invulnerability == 0)
      EShotMan::Fire(0, 1, g_Player.position[0], g_Player.position[1], 0.0f, 0.25f, 0.0f, nullptr, 0, nullptr, 1.0f);
    h.Step();
    if (g->lives < 0) ++deathFrames;
    prompt = prompt || g->FindInList("ContinuePrompt", GAME_LIST_SCENE) != nullptr;
  }
  EXPECT_LT(g->lives, 0);
  EXPECT_FALSE(prompt);
  ASSERT_NE(tutorial(), nullptr);
  h.Press(plat::CabInput::kStart);
  for (int i = 0; i < 100 && g->GetSceneId() != SCENE_STAGE; ++i) h.Step();
  EXPECT_EQ(g->GetSceneId(), SCENE_STAGE);
  EXPECT_EQ(g->lives, g->settings[SettingsWord::lives]);
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
  EXPECT_EQ(parts->Chain()->chain, (parts->GetFrame() + 63) / 64);
  h.Press(plat::CabInput::kStart);
  h.Step(2);
  EXPECT_EQ(t->GetSceneState(), Tutorial::STATE_ENDING);
  for (int i = 0; i < 80 && g->GetSceneId() != SCENE_STAGE; ++i) h.Step();
  EXPECT_EQ(g->GetSceneId(), SCENE_STAGE);
  EXPECT_EQ(g->stage, 1);
}

// Before a game, start pressed while the tutorial holds the play frozen
// (frames 1,167 to 1,569): the press lifts the freeze with it, the 60-frame
// fade runs at once, one count a frame, and stage 1 follows the fade, not
// the end of the freeze some 300 frames later.
TEST(TutorialScene, BeforeAGameAStartDuringTheFreezeLeadsToStageOneAtOnce) {
  Headless h(testsupport::NullDevice());
  ASSERT_TRUE(h.Ok()) << h.Failure();
  ASSERT_GE(testsupport::RunUntilScene(h, "Notice", 600), 0);
  Game* g = GetGame();
  DropScenesWithoutHandingOver(g);
  g->ChangeScene(SCENE_TUTORIAL, Tutorial::MODE_BEFORE_GAME);
  auto tutorial = [g] { return dynamic_cast<Tutorial*>(g->FindInList("Tutorial", GAME_LIST_SCENE)); };
  const auto frozenAt = [&](int32_t f) {
    const Tutorial* t = tutorial();
    return t != nullptr && t->GetSceneState() == Tutorial::STATE_TUTORIAL && t->GetFrame() > f;
  };
  for (int i = 0; i < 1400 && !frozenAt(1250); ++i) h.Step();
  ASSERT_TRUE(frozenAt(1250));
  ASSERT_TRUE(g->IsPaused());
  SHandle<Tutorial> t(tutorial());
  h.Press(plat::CabInput::kStart);
  ASSERT_TRUE(t);
  EXPECT_FALSE(g->IsPaused());
  ASSERT_EQ(t->GetSceneState(), Tutorial::STATE_ENDING);
  // The fade counts on every frame: the freeze no longer holds the scene.
  const int32_t counted = t->GetFrame();
  EXPECT_GE(counted, 1);
  h.Step(10);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->GetFrame(), counted + 10);
  // Its count of 60 ends it, and stage 1 starts.
  int frames = 10;
  for (; frames < 200 && t; ++frames) h.Step();
  EXPECT_LE(frames, 60 + 3);
  for (int i = 0; i < 20 && g->GetSceneId() != SCENE_STAGE; ++i) h.Step();
  EXPECT_ALL({VAL(g->GetSceneId(), int32_t(SCENE_STAGE)), VAL(g->stage, 1), VAL(g->IsPaused(), false)});
}

// Caption changes: caption n takes caption n - 1 as the one squeezed out;
// 14 and beyond are ignored. Caption 0 has none before it: it takes itself
// (rect -1 would lie before the table), and a negative index is ignored.
TEST(TutorialScene, CaptionChangesTakeTheOneBeforeAndStopAtFourteen) {
  const SGpRect* t = &SprTutorial_2[0];
  CaptionPanel panel;
  panel.Init(t);
  struct Row {
    int32_t n;
    const SGpRect *previous, *current;
  };
  const Row rows[] = {{3, t + 2, t + 3}, {13, t + 12, t + 13}, {14, t + 12, t + 13},
                      {0, t + 0, t + 0}, {-1, t + 0, t + 0},   {1, t + 0, t + 1}};
  for (const Row& r : rows) {
    panel.Show(r.n);
    EXPECT_EQ(std::tuple(panel.Previous(), panel.Current()), std::tuple(r.previous, r.current)) << "caption " << r.n;
  }
}

// A tutorial ended by something other than its own ending (a second scene
// started beside it, as a stage result that ran on beside it once did):
// the title that follows releases the tutorial's stage script while its
// enemies still fly. They end with the script, and nothing reads its freed
// tables afterwards (the address checker stops the test at such a read).
TEST(TutorialScene, EndedWhileItsEnemiesLiveTheyEndWithItsScript) {
  Headless h(testsupport::NullDevice());
  ASSERT_TRUE(h.Ok()) << h.Failure();
  ASSERT_GE(testsupport::RunUntilScene(h, "Notice", 600), 0);
  Game* g = GetGame();
  DropScenesWithoutHandingOver(g);
  g->ChangeScene(SCENE_TUTORIAL, Tutorial::MODE_ATTRACT);
  auto tutorial = [g] { return dynamic_cast<Tutorial*>(g->FindInList("Tutorial", GAME_LIST_SCENE)); };
  for (int i = 0; i < 1500 && !(tutorial() && g_EnemyMan.CountChildren() >= 2); ++i) h.Step();
  ASSERT_NE(tutorial(), nullptr);
  ASSERT_GE(g_EnemyMan.CountChildren(), 2);
  ASSERT_NE(g_EnemySet.script, nullptr);
  g->ChangeScene(SCENE_TITLE);
  h.Step(2);
  ASSERT_NE(g->FindInList("Title", GAME_LIST_SCENE), nullptr);
  EXPECT_EQ(g_EnemySet.script, nullptr);
  // The tutorial is cut short without clearing the play; its enemies, ended
  // with the script, are gone two frames after.
  if (Tutorial* t = tutorial()) t->Kill(0);
  h.Step(3);
  EXPECT_EQ(g_EnemyMan.CountChildren(), 0);
  h.Step(600);
}

}  // namespace
