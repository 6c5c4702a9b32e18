// A play through the whole program from a coin: the title takes the coin and
// the start, the tutorial hands over to stage 1, and the ship, firing all the
// way, plays stage 1 to its end and the stage result.
#include <gtest/gtest.h>

#include "cabinet/QvtBTUtil.h"
#include "cabinet/ServiceClient.h"
#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/core/StageCounters.h"
#include "game/player/Player.h"
#include "support/ErrorBox.h"
#include "support/Headless.h"

namespace {

using plat::CabInput;
using testsupport::Headless;
using testsupport::RunUntilScene;

TEST(PlayFromCoin, CoinStartAndStageOneToItsEnd) {
  CoinCounter* coins = GetCoinCounter();
  coins->totalCoins = coins->credits = coins->serviceCredits = 0;
  testsupport::ErrorBoxCatcher box;
  Headless h(testsupport::NullDevice());
  ASSERT_TRUE(h.Ok()) << h.Failure();
  ASSERT_GE(RunUntilScene(h, "Notice", 600), 0);
  Game* g = GetGame();
  g->settings[SettingsWord::coinPlay] = 1;
  h.Press(CabInput::kCoin, 2);
  ASSERT_GE(RunUntilScene(h, "Title", 600), 0);
  h.Step(10);
  QvtBTUtil* client = GetServiceClient();
  const int32_t plays = client->GetCounterC();
  h.Press(CabInput::kStart, 1);
  EXPECT_EQ(client->GetCounterC(), plays + 1);
  ASSERT_GE(RunUntilScene(h, "Tutorial", 200), 0);
  h.Step(5);
  h.Press(CabInput::kStart, 1);  // the tutorial before a play ends on a start press
  for (int i = 0; i < 200 && g->FindInList("Stage1", GAME_LIST_STAGE) == nullptr; ++i) h.Step();
  ASSERT_NE(g->FindInList("Stage1", GAME_LIST_STAGE), nullptr);
  // The ship flies in, then fires without pause; its lives are topped up so
  // that it lasts to the end.
  h.Hold(CabInput::kButton1);
  int frames = 0;
  for (; frames < 20000 && g->GetSceneId() == SCENE_STAGE; ++frames) {
    g->lives = 3;
    h.Step();
  }
  EXPECT_EQ(g->GetSceneId(), SCENE_STAGE_RESULT);
  EXPECT_GT(frames, 8000);
  EXPECT_GT(StageDefeatCount, 20);
  EXPECT_GT(g->record[REC_SCORE], 0u);
  EXPECT_TRUE(box.texts.empty()) << box.texts.front();
}

}  // namespace
