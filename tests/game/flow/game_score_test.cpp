#include <gtest/gtest.h>

#include <cstring>

#include "game/core/Game.h"
#include "game/player/ChainCounter.h"

namespace {

class GameScore : public ::testing::Test {
 protected:
  GameScore() {
    std::memcpy(game.settings, kDefaultSettings, sizeof game.settings);
    game.settings[SettingsWord::extendRow] = 1;
    game.lives = 2;
  }
  ~GameScore() override { g_ChainCounter.chain = 0; }
  uint32_t Score() const { return game.record[REC_SCORE]; }
  uint32_t Overflow() const { return game.record[REC_OVERFLOW]; }
  Game game;
};

TEST_F(GameScore, ExtendThresholdsGiveOneLifeEachAlsoTwoInOneAddition) {
  game.record[REC_SCORE] = 49999990;
  game.AddScore(20);
  EXPECT_EQ(game.lives, 3);
  game.AddScore(1000);  // below the second threshold, already past the first
  EXPECT_EQ(game.lives, 3);
  game.record[REC_SCORE] = 49999990;
  game.AddScore(150000010);
  EXPECT_EQ(game.lives, 5);
  EXPECT_EQ(Score(), 200000000u);
  // Row 0 gives none; after an overflow no row gives any.
  game.settings[SettingsWord::extendRow] = 0;
  game.record[REC_SCORE] = 0;
  game.AddScore(300000000);
  EXPECT_EQ(game.lives, 5);
  game.settings[SettingsWord::extendRow] = 5;
  game.record[REC_SCORE] = 0;
  game.record[REC_OVERFLOW] = 1;
  game.AddScore(500000000);
  EXPECT_EQ(game.lives, 5);
}

// Every row's two thresholds, from the extend table: one point short of a
// threshold gives nothing, reaching it gives one life.
TEST_F(GameScore, EveryExtendRowGivesItsLivesExactlyAtItsTwoThresholds) {
  const uint32_t rows[6][2] = {{0, 0},
                               {50000000, 200000000},
                               {100000000, 250000000},
                               {150000000, 300000000},
                               {200000000, 350000000},
                               {250000000, 400000000}};
  for (int row = 1; row <= 5; ++row) {
    game.settings[SettingsWord::extendRow] = row;
    for (uint32_t t : rows[row]) {
      game.lives = 2;
      game.record[REC_SCORE] = t - 10;
      game.AddScore(9);
      EXPECT_EQ(game.lives, 2) << "row " << row << ", one short of " << t;
      game.AddScore(1);
      EXPECT_EQ(game.lives, 3) << "row " << row << ", reaching " << t;
    }
  }
}

TEST_F(GameScore, ScoreCarriesPastThirtyTwoBitsIntoTheOverflowWord) {
  game.record[REC_SCORE] = 999999999;
  game.AddScore(2);
  EXPECT_EQ(Score(), 1u);
  EXPECT_EQ(Overflow(), 1u);
  // 999,999,999 + 4,000,000,000 passes 2^32: summed in 64 bits, four whole
  // thousand millions and more are carried.
  game.record[REC_SCORE] = 999999999;
  game.record[REC_OVERFLOW] = 0;
  game.AddScore(4000000000u);
  EXPECT_EQ(Overflow(), 4u);
  EXPECT_EQ(Score(), 999999999u);
  // A chain bonus times a large multiplier beyond 32 bits.
  game.record[REC_SCORE] = 0;
  game.record[REC_OVERFLOW] = 0;
  g_ChainCounter.chain = 1000;
  game.AddBonusScore(1, 9000000);  // 9,000,000,000 in all
  EXPECT_EQ(Overflow(), 9u);
  EXPECT_EQ(Score(), 0u);
}

TEST_F(GameScore, BonusKindsAndMultiplier) {
  g_ChainCounter.chain = 0;
  game.AddBonusScore(1, 1234);
  EXPECT_EQ(Score(), 1200u);
  g_ChainCounter.chain = 3;
  game.AddBonusScore(1, 1234);
  EXPECT_EQ(Score(), 4800u);
  game.AddBonusScore(8, 199);
  EXPECT_EQ(Score(), 4900u);
  game.AddBonusScore(9, 500);
  game.AddBonusScore(0, 500);
  game.AddBonusScore(1, -500);
  EXPECT_EQ(Score(), 4900u);
}

TEST_F(GameScore, ContinueCountsPlaysInTheLastDigitAndNewPlayStartsBlank) {
  game.record[REC_SCORE] = 234567892;
  game.record[REC_OVERFLOW] = 1;
  EXPECT_EQ(game.ResetForPlay(), 23456789u);
  EXPECT_EQ(Score(), 3u);
  EXPECT_EQ(Overflow(), 0u);
  EXPECT_EQ(game.bombs, 2);
  EXPECT_EQ(game.lives, game.settings[SettingsWord::lives]);
  game.record[REC_SCORE] = 19;
  game.ResetForPlay();
  EXPECT_EQ(Score(), 9u);
  game.record[REC_TOTAL_COUNT] = 7;
  game.RestorePlayRecord();
  EXPECT_EQ(game.record[REC_TOTAL_COUNT], 0u);
  EXPECT_EQ(Score(), 0u);
}

TEST_F(GameScore, TotalsCarryOnTheirOwn) {
  game.record[REC_BONUS_B] = 999999999;
  game.AddScoreCarry(3000000001u);
  EXPECT_EQ(game.record[REC_BONUS_B], 0u);
  EXPECT_EQ(game.record[REC_BONUS_B_OVERFLOW], 4u);
  game.AddTotalC(5);
  EXPECT_EQ(game.record[REC_TOTAL_C], 5u);
  EXPECT_EQ(Score(), 0u);
}

// A stage result's end clears the words of the stage: the result bonus pair
// and the counters after it, the lock catches among them. The score, its
// overflow word, the high score taken at the play's start and the play's
// longest chain go on.
TEST_F(GameScore, TheStageResetClearsTheStageWordsAndKeepsThePlayWords) {
  for (int i = 0; i < REC_WORDS; ++i) game.record[i] = 100u + static_cast<uint32_t>(i);
  game.ResetScoreGlobals();
  const uint32_t after[REC_WORDS] = {100, 101, 102, 103, 0, 0, 0, 0, 0, 0, 0, 0, 112, 0};
  for (int i = 0; i < REC_WORDS; ++i) EXPECT_EQ(game.record[i], after[i]) << "word " << i;
}

TEST_F(GameScore, ExtendSoundIsSilentWhileMutedOrInASilentDemo) {
  EXPECT_FALSE(game.SoundMuted());
  game.soundOff = 1;
  EXPECT_TRUE(game.SoundMuted());
  game.soundOff = 0;
  game.demoPlay = 1;
  game.settings[SettingsWord::attractSound] = 1;
  EXPECT_FALSE(game.SoundMuted());
  game.settings[SettingsWord::attractSound] = 0;
  EXPECT_TRUE(game.SoundMuted());
  // The extend still counts while the sound is muted.
  game.record[REC_SCORE] = 49999999;
  game.AddScore(1);
  EXPECT_EQ(game.lives, 3);
}

}  // namespace

namespace {

// The switcher outside the process tree: one request a call, first in first
// out; a scene that cannot be linked is not kept (the leak checker watches).
TEST(GameQueue, OneRequestEachSwitchInOrder) {
  Game game;
  game.ChangeScene(SCENE_TITLE);
  game.ChangeScene(SCENE_RANKING, 7);
  game.ChangeScene(SCENE_STAGE, 3);
  game.SwitchScene();
  EXPECT_EQ(game.GetSceneId(), SCENE_TITLE);
  ASSERT_EQ(game.GetRequests().size(), 2u);
  game.SwitchScene();
  EXPECT_EQ(game.GetSceneId(), SCENE_RANKING);
  EXPECT_EQ(game.GetCurrentRequest().a1, 7);
  game.SwitchScene();
  EXPECT_EQ(game.GetSceneId(), SCENE_STAGE);
  EXPECT_EQ(game.stage, 3);
  EXPECT_TRUE(game.GetRequests().empty());
  game.SwitchScene();
  EXPECT_EQ(game.GetSceneId(), SCENE_STAGE);
}

}  // namespace
