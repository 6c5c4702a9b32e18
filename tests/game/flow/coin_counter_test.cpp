// Coins and credits: each coin setting turning coins into credits, the cap
// of 9, the service button, paying for plays and continues, what the service
// client receives, and the credit line and prompts.
#include "game/core/CoinCounter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "cabinet/QvtBTUtil.h"
#include "cabinet/ServiceClient.h"
#include "game/core/CoinDisplay.h"
#include "game/core/Game.h"
#include "platform/ipc.h"
#include "support/ExpectAll.h"
#include "support/TempDir.h"

namespace {

// Raw word of the pad that carries the service button.
constexpr int kServiceWord = 8;

class CoinTest : public ::testing::Test {
 protected:
  CoinTest() {
    std::memcpy(game.settings, kDefaultSettings, sizeof game.settings);
    c = GetCoinCounter();
    Clear();
    game.GamePadRef().Update();  // the pad's counters leave their reset value
  }
  ~CoinTest() override {
    Clear();
    c->mode = CoinCounter::MODE_IDLE;
  }
  void Clear() {
    c->pendingCoins = c->handOver = c->coins = c->totalCoins = c->serviceCoins = 0;
    c->serviceCredits = c->credits = c->remainder = c->coinEvent = c->lastSource = c->lock = 0;
    c->mode = CoinCounter::MODE_PLAY;
  }
  void Settings(int32_t unit, int32_t perUnit, int32_t toContinue, int32_t coinPlay = 1) {
    game.settings[SettingsWord::coinUnit] = unit;
    game.settings[SettingsWord::creditsPerUnit] = perUnit;
    game.settings[SettingsWord::continueCoins] = toContinue;
    game.settings[SettingsWord::coinPlay] = coinPlay;
  }
  // Coins counted from the mechanism, as the board's hand-over leaves them.
  void InsertCoins(int32_t n) {
    c->coins += n;
    c->lastSource = CoinCounter::SOURCE_MECHANISM;
    c->Update();
  }
  // One press of the service button: the counter reads -1 on the release.
  void PressService() {
    SPad& pad = game.GamePadRef();
    pad.raw_[kServiceWord] = 1;
    pad.Update();
    pad.raw_[kServiceWord] = 0;
    pad.Update();
    ASSERT_EQ(pad.GetCounter(SPad::PAD_SERVICE), -1);
    c->Update();
    pad.Update();
  }
  std::string Line() {
    static_cast<SProc&>(display).Draw(0);
    return display.LineText();
  }
  std::string Prompt() {
    static_cast<SProc&>(display).Draw(0);
    return display.PromptText();
  }

  Game game;
  CoinCounter* c = nullptr;
  CoinDisplay display;
};

TEST_F(CoinTest, EachCoinSettingTurnsCoinsIntoCreditsAndALine) {
  struct Case {
    int32_t unit, perUnit, toContinue, coins;
    int32_t credits, remainder;
    const char* line;
  } cases[] = {
      {1, 1, 1, 3, 3, 0, "CREDIT(S) 3"},      {2, 1, 2, 3, 1, 1, "CREDIT(S) 1 1/2"},
      {1, 2, 1, 1, 2, 0, "CREDIT(S) 2"},      {3, 2, 2, 7, 4, 1, "CREDIT(S) 4 1/3"},
      {4, 1, 1, 4, 1, 0, "CREDIT(S) 1 0/4"},  {2, 1, 2, 5, 2, 1, "CREDIT(S) 2 1/2"},
      {1, 1, 1, 9, 9, 0, "CREDIT(S) 9"},
      // A coin unit of 0 counts as 1: no division by zero.
      {0, 1, 1, 3, 3, 0, "CREDIT(S) 3"},
  };
  static_cast<SProc&>(display).Init(0);
  for (const Case& k : cases) {
    Clear();
    Settings(k.unit, k.perUnit, k.toContinue);
    InsertCoins(k.coins);
    EXPECT_ALL({VAL(c->credits, k.credits), VAL(c->remainder, k.remainder)});
    EXPECT_EQ(Line(), k.line) << k.unit << " " << k.perUnit << " " << k.coins;
  }
}

TEST_F(CoinTest, CreditsStopAtNine) {
  // Coin unit equal to the continue price: the nine credits become service
  // credits and the coins are spent.
  Settings(1, 1, 1);
  InsertCoins(9);  // exactly nine from coins is already the cap
  EXPECT_ALL({VAL(c->credits, 9), VAL(c->serviceCredits, 9), VAL(c->coins, 0)});
  Clear();
  InsertCoins(12);
  EXPECT_ALL({VAL(c->credits, 9), VAL(c->serviceCredits, 9), VAL(c->serviceCoins, 0), VAL(c->coins, 0),
              VAL(c->totalCoins, 0), VAL(c->remainder, 0)});
  InsertCoins(1);
  EXPECT_ALL({VAL(c->credits, 9), VAL(c->serviceCredits, 9), VAL(c->coins, 0)});
  // Otherwise nine units of coins are kept as service coins.
  Clear();
  Settings(2, 1, 1);
  InsertCoins(20);
  EXPECT_ALL({VAL(c->credits, 9), VAL(c->serviceCoins, 18), VAL(c->totalCoins, 18), VAL(c->coins, 0)});
  InsertCoins(3);
  EXPECT_ALL({VAL(c->credits, 9), VAL(c->serviceCoins, 18), VAL(c->coins, 0)});
  // The display shows more than eight credits as nine.
  static_cast<SProc&>(display).Init(0);
  c->credits = 12;
  c->mode = CoinCounter::MODE_PLAY;
  EXPECT_EQ(Line(), "CREDIT(S) 9 0/2");
}

TEST_F(CoinTest, ServiceButtonGivesCreditsOrCoins) {
  // Equal start and continue prices: a whole credit per press.
  Settings(1, 1, 1);
  PressService();
  EXPECT_ALL({VAL(c->serviceCredits, 1), VAL(c->credits, 1), VAL(c->coinEvent, 1), VAL(c->lastSource, 1)});
  // Coin unit 2, continue 1, one credit a unit: a coin per press.
  Clear();
  Settings(2, 1, 1);
  PressService();
  EXPECT_ALL({VAL(c->serviceCoins, 1), VAL(c->credits, 0), VAL(c->remainder, 1)});
  PressService();
  EXPECT_ALL({VAL(c->serviceCoins, 2), VAL(c->credits, 1), VAL(c->remainder, 0)});
  // Two credits a unit: a credit per press.
  Clear();
  Settings(2, 2, 1);
  PressService();
  EXPECT_ALL({VAL(c->serviceCredits, 1), VAL(c->credits, 1)});
  // The tenth credit from the service button is over the cap.
  Clear();
  Settings(1, 1, 1);
  for (int i = 0; i < 9; ++i) PressService();
  EXPECT_EQ(c->credits, 9);
  PressService();
  EXPECT_ALL({VAL(c->credits, 9), VAL(c->serviceCredits, 9), VAL(c->coins, 0)});
  // Free play counts nothing but still marks the event.
  Clear();
  Settings(1, 1, 1, 0);
  PressService();
  EXPECT_ALL({VAL(c->coinEvent, 1), VAL(c->serviceCredits, 0), VAL(c->serviceCoins, 0), VAL(c->credits, 0)});
}

TEST_F(CoinTest, PayingForAPlayAndAContinue) {
  // One coin worth two credits: the second is kept as a service credit.
  Settings(1, 2, 1);
  InsertCoins(1);
  ASSERT_EQ(c->credits, 2);
  c->ConsumePlay();
  c->Update();
  EXPECT_ALL({VAL(c->serviceCredits, 1), VAL(c->coins, 0), VAL(c->credits, 1)});
  c->ConsumePlay();  // the service credit pays
  c->Update();
  EXPECT_ALL({VAL(c->serviceCredits, 0), VAL(c->credits, 0)});
  // One credit a unit: a start takes the unit's coins, a continue its own.
  Clear();
  Settings(2, 1, 1);
  InsertCoins(5);
  c->ConsumePlay();
  EXPECT_EQ(c->coins, 3);
  c->mode = CoinCounter::MODE_CONTINUE;
  c->ConsumePlay();
  EXPECT_EQ(c->coins, 2);
  // Service coins are taken first.
  c->serviceCoins = 1;
  c->SubtractCoins(2);
  EXPECT_ALL({VAL(c->serviceCoins, 0), VAL(c->coins, 1)});
  // Free play clears every count.
  Clear();
  Settings(1, 1, 1, 0);
  c->coins = c->serviceCoins = c->totalCoins = c->credits = c->serviceCredits = 3;
  c->ConsumePlay();
  EXPECT_ALL({VAL(c->coins, 0), VAL(c->serviceCoins, 0), VAL(c->totalCoins, 0), VAL(c->credits, 0),
              VAL(c->serviceCredits, 0)});
}

TEST_F(CoinTest, WhenAGameMayStart) {
  struct Case {
    int32_t coinPlay, mode, totalCoins, serviceCredits, lock;
    bool start;
  } cases[] = {
      {0, CoinCounter::MODE_CONTINUE, 0, 0, 0, true},   // free play continues
      {0, CoinCounter::MODE_ATTRACT, 0, 0, 0, false},   // free play's start is the scene's
      {1, CoinCounter::MODE_ATTRACT, 0, 1, 0, true},    // a service credit
      {1, CoinCounter::MODE_ATTRACT, 1, 0, 0, false},   // below the unit of 2
      {1, CoinCounter::MODE_ATTRACT, 2, 0, 0, true},
      {1, CoinCounter::MODE_CONTINUE, 1, 0, 0, true},   // the continue price of 1
      {1, CoinCounter::MODE_CONTINUE, 0, 0, 0, false},
      {1, CoinCounter::MODE_ATTRACT, 2, 1, 1, false},   // locked
  };
  Settings(2, 1, 1);
  for (const Case& k : cases) {
    game.settings[SettingsWord::coinPlay] = k.coinPlay;
    c->mode = k.mode;
    c->totalCoins = k.totalCoins;
    c->serviceCredits = k.serviceCredits;
    c->lock = k.lock;
    EXPECT_EQ(c->CanStart(), k.start) << k.coinPlay << " " << k.mode << " " << k.totalCoins;
  }
}

// The service client hears the coins and credits of the frame before: the
// game counts as busy for the service (its busy byte in the shared block,
// event A) while coins or credits are in, and free play reports one credit.
TEST_F(CoinTest, TheServiceClientHearsLastFramesCoinsAndTheCredits) {
  testsupport::ScopedSaveDir save;
  const QvtChannels ch = QvtChannels::Default();
  ch.Unlink();
  {
    QvtBTUtil client(1, ch);
    SetServiceClient(&client);
    plat::SharedMemory block;
    ASSERT_TRUE(block.Open(ch.blockName, 128));
    Settings(1, 1, 1);
    InsertCoins(2);  // reports the counts before this frame's coins
    EXPECT_EQ(block.data()[1], 0);
    EXPECT_FALSE(client.IsEventASet());
    c->Update();
    EXPECT_EQ(block.data()[1], 1);  // busy while coins are in
    EXPECT_TRUE(client.IsEventASet());
    // No coins and no credits: not busy.
    Clear();
    c->Update();
    c->Update();
    EXPECT_EQ(block.data()[1], 0);
    EXPECT_FALSE(client.IsEventASet());
    // Free play reports one credit, so the service sees the game busy.
    game.settings[SettingsWord::coinPlay] = 0;
    c->Update();
    c->Update();
    EXPECT_EQ(block.data()[1], 1);
    EXPECT_TRUE(client.IsEventASet());
    SetServiceClient(nullptr);
  }
  ch.Unlink();
}

TEST_F(CoinTest, PromptsByModeAndCoins) {
  static_cast<SProc&>(display).Init(0);
  Settings(2, 1, 3);
  c->mode = CoinCounter::MODE_ATTRACT;
  EXPECT_EQ(Prompt(), "");
  InsertCoins(1);
  EXPECT_EQ(Prompt(), "      ADD 1 COIN(S)        \n                          \n        TO START !          \n");
  InsertCoins(1);
  EXPECT_EQ(Prompt(), "    PRESS START BUTTON      \n        TO START !          \n");
  c->mode = CoinCounter::MODE_START;
  EXPECT_EQ(Prompt(), "       START GAME !\n");
  Clear();
  Settings(2, 1, 3);
  c->mode = CoinCounter::MODE_CONTINUE;
  EXPECT_EQ(Prompt(), "INSERT 3 COIN(S) TO CONTINUE");
  EXPECT_EQ(Line(), "CREDIT(S) 0 0/2");
  InsertCoins(1);
  EXPECT_EQ(Prompt(), "   ADD 2 COIN(S) TO CONTINUE");
  InsertCoins(2);
  EXPECT_EQ(Prompt(), "PRESS START BUTTON TO CONTINUE");
  EXPECT_EQ(Line(), "ENJOY");
  game.settings[SettingsWord::coinPlay] = 0;
  EXPECT_EQ(Line(), "FREE PLAY");
  c->mode = CoinCounter::MODE_ATTRACT;
  c->serviceCredits = 1;
  EXPECT_EQ(Prompt(), "      - FREE PLAY -        \n                           \n    PRESS START BUTTON      \n"
                      "        TO START !          \n");
  c->mode = CoinCounter::MODE_HIDDEN;
  EXPECT_EQ(Line(), "");
}

TEST(CoinDisplayAlpha, ShownThreeSecondsThenFadingExceptInAttractAndContinue) {
  struct Case {
    int32_t mode, frames;
    bool force;
    float alpha;
  } cases[] = {
      {CoinCounter::MODE_PLAY, 0, false, 1.0f},     {CoinCounter::MODE_PLAY, 179, false, 1.0f},
      {CoinCounter::MODE_PLAY, 180, false, 1.0f},   {CoinCounter::MODE_PLAY, 210, false, 0.5f},
      {CoinCounter::MODE_PLAY, 240, false, 0.0f},   {CoinCounter::MODE_PLAY, 1000, true, 1.0f},
      {CoinCounter::MODE_ATTRACT, 1000, false, 1.0f}, {CoinCounter::MODE_CONTINUE, 1000, false, 1.0f},
  };
  for (const Case& k : cases)
    EXPECT_EQ(CoinDisplay::LineAlpha(k.mode, k.frames, k.force), k.alpha) << k.mode << " " << k.frames;
}

}  // namespace
