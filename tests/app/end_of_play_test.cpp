// The end of a play through the whole program: a coin and start at the
// title, stage 1, the ship shot down by the test's own bullets until the
// continue prompt, a coin and start to continue, the lives lost again, GAME
// OVER, a name typed into the name entry, the ranking showing it and the
// attract sequence again; the ranking file then holds the name, and the
// network service has heard the whole play in order.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/core/RankTable.h"
#include "game/effect/EShotMan.h"
#include "game/player/Player.h"
#include "game/scene/ContinuePrompt.h"
#include "game/scene/Entry.h"
#include "game/scene/Ranking.h"
#include "support/ErrorBox.h"
#include "support/Headless.h"
#include "support/ServiceTap.h"

namespace {

using plat::CabInput;
using testsupport::Headless;
using testsupport::RunUntilScene;
using Codes = std::vector<uint8_t>;

bool PromptUp(Game* g) { return g->FindInList("ContinuePrompt", GAME_LIST_SCENE) != nullptr; }

// Shoots the ship down with one bullet on it whenever it can be hit, until
// the continue prompt comes up; false when it does not within limit frames.
bool ShootUntilThePrompt(Headless& h, Game* g, int limit) {
  for (int i = 0; i < limit && !PromptUp(g); ++i) {
    if (g_Player.state == Player::STATE_PLAY && g_Player.invulnerability == 0)
      EShotMan::Fire(0, 1, g_Player.position[0], g_Player.position[1], 0.0f, 0.25f, 0.0f, nullptr, 0, nullptr, 1.0f);
    h.Step();
  }
  return PromptUp(g);
}

std::string NameOf(const RankEntry& e) {
  char name[4];
  RankNameText(e, name);
  return name;
}

TEST(EndOfPlay, ContinueThenGameOverNameEntryRankingAndBackToTheAttract) {
  CoinCounter* coins = GetCoinCounter();
  coins->coins = coins->totalCoins = coins->serviceCoins = coins->credits = coins->serviceCredits = 0;
  testsupport::ErrorBoxCatcher box;
  Headless h(testsupport::NullDevice());
  ASSERT_TRUE(h.Ok()) << h.Failure();
  testsupport::ServiceTap tap;
  ASSERT_GE(RunUntilScene(h, "Notice", 600), 0);
  Game* g = GetGame();
  g->settings[SettingsWord::coinPlay] = 1;
  ResetRankTable();

  // A coin and start at the title: the game and player 0's play begin.
  h.Press(CabInput::kCoin, 2);
  ASSERT_GE(RunUntilScene(h, "Title", 600), 0);
  h.Step(10);
  h.Press(CabInput::kStart, 1);
  ASSERT_GE(RunUntilScene(h, "Tutorial", 200), 0);
  h.Step(5);
  h.Press(CabInput::kStart, 1);  // the tutorial before a play ends on a start press
  for (int i = 0; i < 600 && g->FindInList("Stage1", GAME_LIST_STAGE) == nullptr; ++i) h.Step();
  ASSERT_NE(g->FindInList("Stage1", GAME_LIST_STAGE), nullptr);
  EXPECT_EQ(tap.Codes(), (Codes{0xFD, 0x00}));

  // Every life lost: the prompt pauses the game; a coin and start continue.
  ASSERT_TRUE(ShootUntilThePrompt(h, g, 6000));
  EXPECT_EQ(g->lives, -1);
  h.Step();  // the pause holds from the next frame
  EXPECT_TRUE(g->IsPaused());
  h.Press(CabInput::kCoin, 2);
  for (int i = 0; i < 30 && !coins->CanStart(); ++i) h.Step();
  ASSERT_TRUE(coins->CanStart());
  h.Press(CabInput::kStart, 1);
  h.Step(2);
  EXPECT_EQ(ContinuePromptAnswer, 1);
  EXPECT_EQ(tap.Codes(), (Codes{0x04}));
  for (int i = 0; i < 10 && g->IsPaused(); ++i) h.Step();
  EXPECT_FALSE(g->IsPaused());
  EXPECT_EQ(g->lives, g->settings[SettingsWord::lives]);

  // The second try scores, then loses every life again; left alone the
  // prompt ends in GAME OVER and the play ranks.
  g->AddScore(50000000);
  const uint32_t score = g->record[REC_SCORE];
  ASSERT_TRUE(ShootUntilThePrompt(h, g, 6000));
  ASSERT_GE(RunUntilScene(h, "Entry", 2000), 0);
  EXPECT_EQ(tap.Codes(), (Codes{0x08}));
  EXPECT_EQ(PendingRankEntry.word[1], score);

  // "ABC": A chosen, B and C one step further each, then the end mark.
  auto* entry = dynamic_cast<Entry*>(g->FindInList("Entry", GAME_LIST_SCENE));
  ASSERT_NE(entry, nullptr);
  for (int i = 0; i < 20 && entry->GetSceneState() != Entry::STATE_NAME; ++i) h.Step();
  for (CabInput in : {CabInput::kButton1, CabInput::kRight, CabInput::kButton1, CabInput::kRight,
                      CabInput::kButton1, CabInput::kButton1})
    h.Press(in, 1);
  ASSERT_EQ(entry->GetSceneState(), Entry::STATE_CONFIRMED);
  EXPECT_EQ(NameOf(PendingRankEntry), "ABC");
  // The defaults hold 100,000,000 - 4,000,000 p at place p (from 0): a score
  // from 48,000,000 up to 52,000,000 goes in at place 13.
  const int32_t place = entry->GetInsertedAt();
  ASSERT_GE(score, 48000000u);
  ASSERT_LT(score, 52000000u);
  EXPECT_EQ(place, 13);

  // Saved, the game over told, and without a credit on to the ranking, whose
  // row of the new play is highlighted with the name.
  ASSERT_GE(RunUntilScene(h, "Ranking", 700), 0);
  EXPECT_EQ(tap.Codes(), (Codes{0xFE}));
  auto* ranking = dynamic_cast<Ranking*>(g->FindInList("Ranking", GAME_LIST_SCENE));
  ASSERT_NE(ranking, nullptr);
  h.Step(5);
  const Ranking::Row& row = ranking->GetRow(place);
  EXPECT_TRUE(row.highlight);
  EXPECT_EQ(NameOf(*row.entry), "ABC");

  // Then the attract sequence again, and the file holds the name.
  ASSERT_GE(RunUntilScene(h, "Logo", 2500), 0);
  RankEntry table[kRankEntries];
  const std::string path = h.SaveDir() + "/OSR_RANK.dat";
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  uint8_t bytes[kRankFileSize + 1];
  const size_t n = std::fread(bytes, 1, sizeof bytes, f);
  std::fclose(f);
  ASSERT_TRUE(DecodeRankFile(bytes, n, table));
  EXPECT_EQ(NameOf(table[place]), "ABC");
  EXPECT_EQ(table[place].word[1], score);
  EXPECT_TRUE(box.texts.empty()) << box.texts.front();
}

}  // namespace
