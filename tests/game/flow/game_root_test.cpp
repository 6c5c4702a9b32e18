#include <gtest/gtest.h>

#include "cabinet/QvtBTUtil.h"
#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/core/HitBody.h"
#include "game/player/PShotMan.h"
#include "game/player/Player.h"
#include "game/scene/LoadingScreen.h"
#include "game/scene/Logo.h"
#include "support/Headless.h"
#include "support/ImageCompare.h"
#include "platform/byte_order.h"
#include "platform/registry.h"
#include "vrax/resource/SRscMan.h"
#include "support/ExpectAll.h"

namespace {

using testsupport::Headless;
using testsupport::HeadlessOptions;

SProc* SceneProc(Game*) { return testsupport::CurrentScene(); }
std::string SceneName(Game*) { return testsupport::CurrentSceneName(); }
int RunUntilScene(Headless& h, Game*, const std::string& name, int limit) {
  return testsupport::RunUntilScene(h, name, limit);
}

using testsupport::NullDevice;

// Runs the start-up until the notice shows: the game root, or null (with
// the failure recorded) when the start-up fails or the notice never comes.
Game* RunToNotice(Headless& h) {
  EXPECT_TRUE(h.Ok()) << h.Failure();
  Game* g = h.Ok() ? Game::GetInstance() : nullptr;
  if (!g) return nullptr;
  const int frames = RunUntilScene(h, g, "Notice", 600);
  EXPECT_GE(frames, 0);
  return frames >= 0 ? g : nullptr;
}

// Counts the frame events it receives (a child of the game root).
class Probe : public SProc {
 public:
  int draws = 0, begins = 0, mains = 0, ends = 0;
  int32_t Draw(SProcArg) override { return ++draws, 0; }
  int32_t Begin(SProcArg) override { return ++begins, 0; }
  int32_t Main(SProcArg) override { return ++mains, 0; }
  int32_t End(SProcArg) override { return ++ends, 0; }
};

TEST(GameRoot, BootsThroughTheLoadingScreenIntoTheAttractOrderOnSchedule) {
  Headless h(NullDevice());
  ASSERT_TRUE(h.Ok()) << h.Failure();
  Game* g = Game::GetInstance();
  ASSERT_NE(g, nullptr);
  h.Step(2);  // the first step only makes the processes running
  EXPECT_EQ(g->GetName(), "Game");
  // The loading screen shows while the common resources load.
  EXPECT_EQ(SceneName(g), "LoadingScreen");
  const int loading = RunUntilScene(h, g, "Notice", 600);
  ASSERT_GE(loading, 1);
  EXPECT_EQ(g->GetSceneId(), SCENE_NOTICE);
  EXPECT_NE(GetRscMan()->Sync(0), 0);
  // The persistent managers joined their lists with scene 2.
  for (auto [name, list] : {std::pair{"EnemyMan", GAME_LIST_ENEMY}, {"HitMan", GAME_LIST_HIT},
                            {"EShotMan", GAME_LIST_MANAGERS}})
    EXPECT_NE(g->FindInList(name, list), nullptr) << name;
  // The notice hands over to the logo once it has shown (241 frames) and
  // faded out (killed in the 62nd frame of the fade), with a few frames of
  // its wait and of the hand-over.
  const int toLogo = RunUntilScene(h, g, "Logo", 400);
  EXPECT_GE(toLogo, 241 + 62);
  EXPECT_LE(toLogo, 241 + 62 + 8);
}

TEST(GameRoot, OneSceneAFrameAndNoneWhileALoadIsPending) {
  Headless h(NullDevice());
  Game* g = RunToNotice(h);
  ASSERT_NE(g, nullptr);
  g->ChangeScene(SCENE_OPENING);
  g->ChangeScene(SCENE_TITLE);
  h.Step();
  EXPECT_EQ(g->GetSceneId(), SCENE_OPENING);
  h.Step();
  EXPECT_EQ(g->GetSceneId(), SCENE_TITLE);

  // A resource still loading holds the queue; the scene id stays.
  SRsc* img = GetRscMan()->CreateResource(3, RscTag("IMG"), "\\Module\\Logo", 0, 0, 0, 0);
  ASSERT_NE(img, nullptr);
  g->ChangeScene(SCENE_RANKING);
  h.Step();
  int waited = 0;
  while (!img->IsSettled() && waited < 100) {
    EXPECT_EQ(g->GetSceneId(), SCENE_TITLE);
    h.Step();
    ++waited;
  }
  EXPECT_GE(waited, 1);
  h.Step(2);
  EXPECT_EQ(g->GetSceneId(), SCENE_RANKING);
  GetRscMan()->ReleaseGroup(3, nullptr, 0);
}

TEST(GameRoot, WhilePausedChildrenAreOnlyDrawnAndNothingAdvances) {
  Headless h(NullDevice());
  Game* g = RunToNotice(h);
  ASSERT_NE(g, nullptr);
  Probe probe;
  probe.SetStatic(true);
  g->AddChild(3, &probe, 0);
  h.Step(2);
  g->RampValue(0, 0.0f, 10);
  g->SetPause(true);
  g->ChangeScene(SCENE_TITLE);
  const int draws = probe.draws, mains = probe.mains, begins = probe.begins, frames = g->frameCounter;
  const float level = g->GetFadeLevel();
  h.Step(5);
  EXPECT_TRUE(g->IsPaused());
  EXPECT_EQ(probe.draws, draws + 5);
  EXPECT_LE(probe.mains, mains + 1);  // the pause takes effect at the next begin
  EXPECT_LE(probe.begins, begins + 1);
  const int pausedMains = probe.mains, pausedBegins = probe.begins, pausedEnds = probe.ends;
  h.Step(3);
  EXPECT_EQ(probe.mains, pausedMains);
  EXPECT_EQ(probe.begins, pausedBegins);
  EXPECT_EQ(probe.ends, pausedEnds);
  EXPECT_EQ(g->GetSceneId(), SCENE_NOTICE);
  EXPECT_LE(g->frameCounter, frames + 1);
  EXPECT_LE(level - g->GetFadeLevel(), 0.11f);
  g->SetPause(false);
  h.Step(2);
  EXPECT_FALSE(g->IsPaused());
  EXPECT_GT(probe.mains, pausedMains);
  EXPECT_EQ(g->GetSceneId(), SCENE_TITLE);
  probe.Kill(0);
  h.Step(3);
}

TEST(GameRoot, TestSwitchTakesOverForGoodAndDrainsTheQueue) {
  Headless h(NullDevice());
  Game* g = RunToNotice(h);
  ASSERT_NE(g, nullptr);
  h.Hold(plat::CabInput::kTest);
  h.Step(3);
  h.ReleaseAll();
  EXPECT_EQ(g_GameTakeover, 1);
  EXPECT_NE(g->FindInList("TestMode", GAME_LIST_MANAGERS), nullptr);
  EXPECT_EQ(g->FindInList("EnemyMan", GAME_LIST_ENEMY), nullptr);
  g->ChangeScene(SCENE_TITLE);
  g->ChangeScene(SCENE_LOGO);
  h.Step();
  EXPECT_EQ(g->GetSceneId(), SCENE_TITLE);
  EXPECT_EQ(g->GetRequests().size(), 1u);
  h.Step();
  EXPECT_EQ(g->GetSceneId(), SCENE_LOGO);
  EXPECT_EQ(SceneProc(g), nullptr);  // nothing was created
  EXPECT_NE(g->FindInList("TestMode", GAME_LIST_MANAGERS), nullptr);
}

TEST(GameRoot, LoadingScreenPicture) {
  Headless h;
  ASSERT_TRUE(h.Ok()) << h.Failure();
  Game* g = Game::GetInstance();
  LoadingScreen* screen = nullptr;
  for (int i = 0; i < 100; ++i) {
    h.Step();
    screen = dynamic_cast<LoadingScreen*>(SceneProc(g));
    if (screen && screen->GetPhase() == 1 && i > 3) break;
  }
  ASSERT_NE(screen, nullptr);
  ASSERT_EQ(screen->GetPhase(), 1);
  h.Step();  // the text drawn in the frame shown next
  plat::Image shot;
  ASSERT_TRUE(h.Screenshot(&shot));
  // The layer shows 853.33 x 640 play units on the 640 x 480 screen: 0.75
  // pixel per unit about the centre (320, 240). The text starts at play
  // (-126, 260), pixel (225.5, 435); its cells are 28 x 31 at scale 0.5,
  // 10.5 x 11.6 pixels: two lines of 18 cells fill x 225.5..414.5, y
  // 435..458.3. Line 1 begins with three spaces (x up to 257); line 2 with "D".
  constexpr uint32_t kBlack = 0xFF000000u;
  using testsupport::PixelsUnlike;
  // The service's side images fill the 140-pixel bars at both edges.
  EXPECT_EQ(PixelsUnlike(shot, kBlack, 140, 0, 500, 480, 8), PixelsUnlike(shot, kBlack, 225, 435, 415, 459, 8))
      << "ink outside the text block";
  EXPECT_EQ(PixelsUnlike(shot, kBlack, 225, 435, 257, 446, 8), 0) << "the three leading spaces";
  EXPECT_GT(PixelsUnlike(shot, kBlack, 226, 447, 236, 458, 8), 10) << "the D";
  EXPECT_GT(PixelsUnlike(shot, kBlack, 258, 435, 268, 446, 8), 10) << "the N";
  EXPECT_TRUE(testsupport::MatchesGolden(shot, "loading_screen.png", 8, 40));
}

TEST(GameRoot, FadeRampsOverItsFramesAndShakeSettlesBackToRest) {
  Headless h(NullDevice());
  Game* g = RunToNotice(h);
  ASSERT_NE(g, nullptr);
  h.Step(3);  // past the notice's own fade-in request
  g->RampValue(3, 1.0f, 0);
  g->RampValue(3, 0.0f, 4);
  EXPECT_EQ(g->GetFadeLayer(), 3);
  for (float want : {0.75f, 0.5f, 0.25f, 0.0f, 0.0f}) {
    h.Step();
    EXPECT_FLOAT_EQ(g->GetFadeLevel(), want);
  }
  g->RampValue(0, 2.0f, 0);
  EXPECT_EQ(g->GetFadeLevel(), 2.0f);

  g->StartShake(2);
  EXPECT_EQ(g->GetShakeFrames(), 60);
  bool moved = false;
  float lastX = 0.0f;
  for (int i = 0; i < 59; ++i) {
    h.Step();
    const SVec4& s = g->GetShakeOffset();
    if (s.x != lastX && s.x != 0.0f) {
      // Each new offset swings to the other side.
      if (moved) { EXPECT_LT(s.x * lastX, 0.0f); }
      moved = true;
      lastX = s.x;
    }
  }
  EXPECT_TRUE(moved);
  h.Step();
  EXPECT_ALL({VAL(g->GetShakeFrames(), 0), VAL(g->GetShakeOffset().x, 0.0f), VAL(g->GetShakeOffset().y, 0.0f)});
}

TEST(GameRoot, StageClearAndGameOverChooseTheNextScene) {
  Headless h(NullDevice());
  Game* g = RunToNotice(h);
  ASSERT_NE(g, nullptr);
  g->ChangeScene(SCENE_STAGE, 2);
  h.Step();
  ASSERT_EQ(g->GetSceneId(), SCENE_STAGE);
  EXPECT_EQ(g->stage, 2);
  EXPECT_EQ(g->lives, g->settings[SettingsWord::lives]);  // a new play
  EXPECT_NE(g->FindInList("Stage2", GAME_LIST_STAGE), nullptr);
  // The stage ends once the Player's stage-clear sequence has run 600
  // frames after the game root's event 18.
  g->SendEvent(Game::kEventStageClear, 0);
  EXPECT_EQ(g->stageClear, 1);
  h.Step(2);
  EXPECT_EQ(g->GetSceneId(), SCENE_STAGE);
  g_Player.stageClearCounter = 599;
  h.Step(1);
  EXPECT_EQ(g->GetSceneId(), SCENE_STAGE);
  h.Step(2);
  EXPECT_EQ(g->FindInList("Stage2", GAME_LIST_STAGE), nullptr);
  EXPECT_ALL({VAL(g->GetSceneId(), SCENE_STAGE_RESULT), VAL(g->stageClear, 0)});

  // A game over whose score ranks goes to the name entry...
  g->ChangeScene(SCENE_STAGE, 3);
  h.Step();
  ASSERT_EQ(g->GetSceneId(), SCENE_STAGE);
  g->record[REC_SCORE] = 200000000;
  g->gameOver = 1;
  h.Step(2);
  EXPECT_ALL({VAL(g->GetSceneId(), SCENE_ENTRY), VAL(g->gameOver, 0)});
  // ...one that does not, without credits, to the ranking.
  g->ChangeScene(SCENE_STAGE, 3);
  h.Step();
  ASSERT_EQ(g->GetSceneId(), SCENE_STAGE);
  EXPECT_EQ(g->record[REC_SCORE], 0u);
  g->gameOver = 1;
  h.Step(2);
  EXPECT_EQ(g->GetSceneId(), SCENE_RANKING);
}

// The cabinet goes back to the service (the result word 0 written, the
// window closed) only while nothing is paid in: no credit and no coin towards
// the next one. With two coins a credit, one coin in holds the game against
// start and button 1 held and against the service's count-down running out.
TEST(GameRoot, TheCabinetIsHandedBackOnlyWithNoCreditAndNoCoinTowardsOne) {
  for (const bool coin : {false, true}) {
    for (const bool countDown : {false, true}) {
      SCOPED_TRACE(testing::Message() << (coin ? "one coin of two" : "no coin")
                                      << (countDown ? ", the count-down at 0" : ", start and button 1 held"));
      HeadlessOptions o = NullDevice();
      o.prepareSaveDir = [](const testsupport::TempDir&) {
        plat::RegKey key;
        ASSERT_TRUE(key.Open(kQvtRegistryKey, true) && key.WriteDword("UserSelectEnable", 1));
      };
      Headless h(o);
      Game* g = RunToNotice(h);
      ASSERT_NE(g, nullptr);
      g->settings[SettingsWord::coinPlay] = 1;
      g->settings[SettingsWord::coinUnit] = 2;
      g->settings[SettingsWord::creditsPerUnit] = 1;
      h.Step(61);  // the rule waits 60 frames
      CoinCounter* coins = GetCoinCounter();
      if (coin) {
        h.Hold(plat::CabInput::kCoin);
        h.Step();
        h.Hold(plat::CabInput::kCoin, false);
        for (int i = 0; i < 10 && coins->totalCoins == 0; ++i) h.Step();
        ASSERT_EQ(coins->totalCoins, 1);
        EXPECT_ALL({VAL(coins->credits, 0), VAL(coins->remainder, 1)});
      }
      if (countDown) {
        QvtSharedMemory block;
        ASSERT_TRUE(block.Open(QvtChannels::Default()));
        uint8_t head[8] = {1};  // valid, 0 ms left
        plat::WriteLe32(head + 4, 0);
        ASSERT_TRUE(block.Write(0, 8, head));
      } else {
        h.Hold(plat::CabInput::kStart);
        h.Hold(plat::CabInput::kButton1);
      }
      h.Step(3);
      h.ReleaseAll();
      uint32_t result = 0xDEADBEEF;
      plat::RegKey key;
      if (key.Open(kQvtRegistryKey, false)) key.ReadDword("GameResult", &result);
      EXPECT_ALL({VAL(h.QuitRequested(), !coin), VAL(result, coin ? 0xDEADBEEFu : 0u)});
    }
  }
}

// A stage-list process whose end fires a player shot.
class EndShooter : public SProc {
 public:
  int32_t KillChildren(SProcArg arg) override {
    g_PShotMan.Fire(0, 0, 0.0f, 0.0f, 0.0f, -35.0f, 1.0f, 1.0f, 8.0f);
    return SProc::KillChildren(arg);
  }
};

TEST(GameRoot, TheStageEndsBeforeItsLeftoversAreClearedAndAStageStartClearsTheModeWord) {
  Headless h(NullDevice());
  Game* g = RunToNotice(h);
  ASSERT_NE(g, nullptr);
  // The stage list is killed before the player shots are released, so a
  // shot its end fires goes with the others.
  g->AddChild(GAME_LIST_STAGE, new EndShooter(), 0);
  h.Step();
  g->ClearStageObjects();
  EXPECT_TRUE(HitGroupTable[kHitGroupShot].Empty());
  // A stage start sets the mode word (1 in a demo play) back to 0.
  g->demoPlay = 1;
  g->ChangeScene(SCENE_STAGE, 2);
  h.Step();
  ASSERT_EQ(g->GetSceneId(), SCENE_STAGE);
  EXPECT_EQ(g->demoPlay, 0);
  g->ClearStageObjects();
  h.Step(2);
}

TEST(GameRoot, AFadeOfNoFramesIsAtOnceOneOfNegativeFramesAtTheNextStep) {
  Headless h(NullDevice());
  Game* g = RunToNotice(h);
  ASSERT_NE(g, nullptr);
  h.Step(3);  // past the notice's own fade-in request
  g->RampValue(0, 1.0f, 0);
  EXPECT_EQ(g->GetFadeLevel(), 1.0f);
  g->RampValue(0, 0.0f, -3);
  EXPECT_EQ(g->GetFadeLevel(), 1.0f);  // counter 0, duration -3: unchanged
  h.Step();
  EXPECT_EQ(g->GetFadeLevel(), 0.0f);  // counter 1 is not below -3: target
  g->RampValue(0, 1.0f, 0);
}

}  // namespace
