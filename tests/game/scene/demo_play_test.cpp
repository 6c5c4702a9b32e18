// The demo plays through the whole program: end rules, two runs alike and a
// picture with the prompt.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/core/Replay.h"
#include "game/effect/EShotMan.h"
#include "game/player/Player.h"
#include "game/scene/AttractScene.h"
#include "game/stage/DemoStage1.h"
#include "platform/crt_rand.h"
#include "support/Headless.h"
#include "support/ImageCompare.h"
#include "support/ServiceTap.h"

namespace {

using testsupport::Headless;

// The demo of stage 1 heading the stage list (null when none is there).
DemoStage1* Demo() { return dynamic_cast<DemoStage1*>(GetGame()->GetList(GAME_LIST_STAGE)->Head()); }

// From power-on to the first demo play (the second attract step).
bool RunToDemo(Headless& h) {
  AttractCounter = 1;
  CoinCounter* coins = GetCoinCounter();
  coins->coins = coins->totalCoins = coins->credits = coins->serviceCredits = 0;  // a global
  for (int i = 0; i < 2000 && !Demo(); ++i) h.Step();
  return Demo() != nullptr;
}

struct DemoRun {
  std::vector<uint64_t> hashes;  // per replay frame
  int phaseFrames[3] = {}, next = 0;
  std::set<int32_t> stageWords;  // every value the stage number took
};

// One uninterrupted demo: a hash of the play state in every frame.
DemoRun RunDemo() {
  DemoRun run;
  Headless h(testsupport::NullDevice());
  EXPECT_TRUE(h.Ok()) << h.Failure();
  if (!RunToDemo(h)) return run;
  Game* g = GetGame();
  int32_t lastCursor = 0;
  for (int i = 0; i < 3000 && Demo(); ++i) {
    h.Step();
    if (DemoStage1* d = Demo()) {
      ++run.phaseFrames[d->Demo().GetPhase()];
      run.stageWords.insert(g->stage);
      // One per frame the replay drove.
      if (d->Demo().GetPhase() == DemoPlay::PHASE_WAIT || g_Replay.GetCursor() == lastCursor) continue;
      lastCursor = g_Replay.GetCursor();
      const uint64_t pos = uint64_t(int64_t(PlayerPos.x * 64) & 0xFFFFF) << 20 | uint64_t(int64_t(PlayerPos.y * 64) & 0xFFFFF);
      run.hashes.push_back((uint64_t(plat::RandSeed()) << 32 ^ g->record[REC_SCORE] ^ pos) + g_Replay.GetCursor());
    }
  }
  EXPECT_EQ(std::tuple(g->demoPlay, g_Replay.GetMode()), std::tuple(0, int32_t(Replay::MODE_OFF)));
  for (int i = 0; i < 5 && g->GetSceneId() == SCENE_STAGE; ++i) h.Step();
  run.next = g->GetSceneId();
  return run;
}

TEST(DemoPlays, LeftAloneTheDemoFadesOutOnTime_TheTutorialFollows_TwoRunsAlike) {
  const DemoRun a = RunDemo();
  // Playback runs 2,402 frames (the fade starts once the count exceeds 2,400);
  // the stage ends 60 frames after the fade began, in the fade's 62nd frame.
  EXPECT_EQ(std::tuple(a.phaseFrames[1], a.phaseFrames[2], a.next), std::tuple(2402, 62, int(SCENE_TUTORIAL)));
  // The demo runs as stage 101 all along, past the stage's checkpoints (the
  // shots' demo rule reads it).
  EXPECT_EQ(a.stageWords, std::set<int32_t>{101});
  // Replay frame by replay frame the plays agree (the second run in this
  // process starts from what the first left in the persistent objects).
  const std::vector<uint64_t> b = RunDemo().hashes;
  const size_t n = std::min(a.hashes.size(), b.size());
  EXPECT_TRUE(n >= 2400 && std::equal(b.begin(), b.begin() + n, a.hashes.begin())) << "two runs differ";
}

// A coin, or in free play a start press, ends the demo at once. In free
// play a coin or a service press credits nothing but is a coin event all
// the same: a start pressed in its frame still grants its service credit.
TEST(DemoPlays, ACoinOrAFreePlayStartEndsTheDemoAtOnce) {
  enum Beside { kAlone, kServicePress, kCoin };  // an event in the frame of the press
  for (const auto& [freePlay, beside] : {std::pair{false, kAlone}, std::pair{true, kAlone},
                                         std::pair{true, kServicePress}, std::pair{true, kCoin}}) {
    SCOPED_TRACE(testing::Message() << freePlay << " " << beside);
    Headless h(testsupport::NullDevice());
    GetGame()->settings[SettingsWord::coinPlay] = freePlay ? 0 : 1;
    ASSERT_TRUE(RunToDemo(h));
    h.Step(100);
    DemoStage1* demo = Demo();
    const CoinCounter* coins = GetCoinCounter();
    // A service press counts when let go; a coin the frame after the board
    // was told to take it.
    if (beside == kServicePress) {
      h.Hold(plat::CabInput::kService);
      h.Step();
      h.Hold(plat::CabInput::kService, false);
    } else if (beside == kCoin) {
      h.Hold(plat::CabInput::kCoin);
      for (int i = 0; i < 10 && coins->handOver == 0; ++i) h.Step();
    }
    h.Hold(freePlay ? plat::CabInput::kStart : plat::CabInput::kCoin);
    h.Step();
    EXPECT_TRUE(beside == kAlone || coins->GetCoinEvent() == 1) << "no event beside the press";
    for (int i = 0; i < 10 && demo->GetState() == SProc::STATE_RUNNING; ++i) h.Step();
    // Ended in the draw of the frame the coin counted in, before any fade.
    EXPECT_EQ(demo->Demo().GetPhase(), DemoPlay::PHASE_PLAY);
    h.ReleaseAll();
    h.Step(4);
    EXPECT_EQ(GetGame()->GetSceneId(), SCENE_TITLE);
    EXPECT_EQ(coins->serviceCredits, freePlay ? 1 : 0);
  }
}

TEST(DemoPlays, OneCoinShortOfACreditStillLeadsToTheTitle) {
  // Two coins a credit: one coin makes no credit, but a coin is in.
  Headless h(testsupport::NullDevice());
  Game* g = GetGame();
  g->settings[SettingsWord::coinUnit] = 2;
  g->settings[SettingsWord::coinPlay] = 1;
  ASSERT_TRUE(RunToDemo(h));
  h.Step(100);
  h.Press(plat::CabInput::kCoin, 2);
  for (int i = 0; i < 10 && g->GetSceneId() == SCENE_STAGE; ++i) h.Step();
  const CoinCounter* coins = GetCoinCounter();
  EXPECT_EQ(std::tuple(coins->totalCoins, coins->credits, g->GetSceneId()), std::tuple(1, 0, int32_t(SCENE_TITLE)));
}

TEST(DemoPlays, ACoinInBeforeTheDemoEndsItAsItsPlayBegins) {
  // Two coins a credit: one coin during the logo makes no credit, so the
  // logo hands over to the demo as usual; the demo, finding a coin in, fades
  // out on its first frame of playback and the title follows.
  Headless h(testsupport::NullDevice());
  ASSERT_TRUE(h.Ok()) << h.Failure();
  Game* g = GetGame();
  g->settings[SettingsWord::coinUnit] = 2;
  g->settings[SettingsWord::coinPlay] = 1;
  AttractCounter = 1;
  CoinCounter* coins = GetCoinCounter();
  coins->coins = coins->totalCoins = coins->credits = coins->serviceCredits = 0;
  ASSERT_GE(testsupport::RunUntilScene(h, "Logo", 2000), 0);
  h.Press(plat::CabInput::kCoin, 2);
  for (int i = 0; i < 2000 && !Demo(); ++i) h.Step();
  ASSERT_NE(Demo(), nullptr);
  EXPECT_EQ(std::tuple(coins->totalCoins, coins->credits), std::tuple(1, 0));
  int playFrames = 0;
  for (int i = 0; i < 3000 && Demo(); ++i) {
    h.Step();
    if (Demo() != nullptr && Demo()->Demo().GetPhase() == DemoPlay::PHASE_PLAY) ++playFrames;
  }
  EXPECT_EQ(playFrames, 1);
  for (int i = 0; i < 5 && g->GetSceneId() == SCENE_STAGE; ++i) h.Step();
  EXPECT_EQ(g->GetSceneId(), SCENE_TITLE);
}

// A bullet on the ship whenever it can be hit.
void ShootTheShip() {
  if (g_Player.state == Player::STATE_PLAY && g_Player.invulnerability == 0)
    EShotMan::Fire(0, 1, g_Player.position[0], g_Player.position[1], 0.0f, 0.25f, 0.0f, nullptr, 0, nullptr, 1.0f);
}

TEST(DemoPlays, ADemoThatLosesEveryLifeEndsAsIfItsTimeWereUp) {
  // Nobody stands at the cabinet to answer a continue offer: no prompt
  // freezes the attract sequence, the service hears of no play and the
  // demo's score enters no ranking; the demo fades out and the tutorial
  // follows.
  Headless h(testsupport::NullDevice());
  ASSERT_TRUE(h.Ok()) << h.Failure();
  testsupport::ServiceTap tap;
  ASSERT_TRUE(RunToDemo(h));
  Game* g = GetGame();
  bool prompt = false;
  for (int i = 0; i < 2000 && Demo() != nullptr && Demo()->Demo().GetPhase() != DemoPlay::PHASE_FADE; ++i) {
    ShootTheShip();
    h.Step();
    prompt = prompt || g->FindInList("ContinuePrompt", GAME_LIST_SCENE) != nullptr;
  }
  ASSERT_NE(Demo(), nullptr);
  EXPECT_EQ(Demo()->Demo().GetPhase(), DemoPlay::PHASE_FADE);
  EXPECT_LT(g->lives, 0);
  EXPECT_FALSE(prompt);
  for (int i = 0; i < 100 && g->GetSceneId() == SCENE_STAGE; ++i) h.Step();
  EXPECT_EQ(g->GetSceneId(), SCENE_TUTORIAL);
  EXPECT_FALSE(g->IsPaused());
  EXPECT_TRUE(tap.Codes().empty());
}

TEST(DemoPlays, PictureOfADemoFrameWithItsPrompt) {
  Headless h;
  ASSERT_TRUE(h.Ok()) << h.Failure();
  ASSERT_TRUE(RunToDemo(h));
  for (int i = 0; i < 300 && Demo()->Demo().GetCounter() != 100; ++i) h.Step();
  ASSERT_EQ(Demo()->Demo().GetCounter(), 100);  // faded in, the first line shown
  EXPECT_EQ(Demo()->Demo().Prompt().GlyphCount(), 13);  // "INSERT COIN(S)" but its blank
  plat::Image shot;
  ASSERT_TRUE(h.Screenshot(&shot));
  // " INSERT COIN(S) " in 14 x 18 cells, 15 units apart, from play (-126,
  // -10): the "I" from x -111, pixels (236.75, 232.5) at 0.75 pixel a unit.
  // Near-white ink in the "I", none in a box as large left of the prompt.
  const auto whiteIn = [&](int x0) { return 130 - testsupport::PixelsUnlike(shot, 0xFFFFFFFFu, x0, 233, x0 + 10, 246, 90); };
  EXPECT_GT(whiteIn(237), 4) << "the I";
  EXPECT_EQ(whiteIn(200), 0) << "left of the prompt";
  EXPECT_TRUE(testsupport::MatchesGolden(shot, "demo_play.png", 8, 60));
}

}  // namespace
