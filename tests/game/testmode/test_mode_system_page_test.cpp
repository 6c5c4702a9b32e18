// The system page: the coin-mode cycle with the service's coin credit, the
// coin rules of coin play, the items that free play and service mode hide,
// and what discarding puts back.
#include <gtest/gtest.h>

#include "TestModeRig.h"

namespace {

using namespace testmode_rig;

enum SystemItem : int32_t { kCoinMode, kCoinUnit, kCredits, kContinueCoins, kContinue, kAttract, kExit };

// The coin words: service coins, coin play, coin unit, credits per unit,
// coins to continue.
std::vector<int32_t> CoinWords(const int32_t* s) {
  return {s[SettingsWord::serviceCoins], s[SettingsWord::coinPlay], s[SettingsWord::coinUnit], s[SettingsWord::creditsPerUnit], s[SettingsWord::continueCoins]};
}

// The strip index a sprite quad shows (strips are 24 texels apart on a
// 512-texel-high image).
int StripOfSprite(const TestMode* m, int32_t i) {
  return static_cast<int>(m->Sprite(i).GetVertexUV(0).y * 512.0f / 24.0f + 0.5f);
}

// Each row: a press on the coin mode (or on another item first), the coin
// words after it.
struct CoinModeRow {
  int32_t item;
  Inputs press;
  std::vector<int32_t> words;
};

TEST(TestModeSystemPage, CoinModeCyclesThroughServiceCoinPlayAndFreePlay) {
  TestModeRig rig;
  ASSERT_TRUE(rig.Sys().Ok());
  ServiceTap service(2);  // the service asks 2 coins a credit
  ASSERT_TRUE(rig.Open());
  rig.OpenPage(kMenuSystem);
  const int32_t* s = rig.Settings();
  // At start-up the service coin rule ran with the program's own client.
  ASSERT_EQ(CoinWords(s), (std::vector<int32_t>{1, 1, 1, 1, 1}));
  const CoinModeRow rows[] = {
      {kCoinMode, {kRight}, {0, 1, 1, 1, 1}},  // service -> coin play, the manual words (1, 1, 1)
      {kCoinMode, {kRight}, {0, 0, 1, 1, 1}},  // -> free play
      {kCoinMode, {kRight}, {1, 1, 2, 1, 2}},  // -> service: 2 coins a credit
      {kCoinMode, {kLeft}, {0, 0, 1, 1, 1}},   // service -> free play
      {kCoinMode, {kLeft}, {0, 1, 1, 1, 1}},   // -> coin play
      {kCoinUnit, {kRight}, {0, 1, 2, 1, 2}},
      {kCoinUnit, {kRight}, {0, 1, 3, 1, 3}},
      {kCoinMode, {kLeft}, {1, 1, 2, 1, 2}},   // coin play -> service keeps (3, 1, 3)
      {kCoinMode, {kRight}, {0, 1, 3, 1, 3}},  // and gives them back
  };
  for (const CoinModeRow& r : rows) {
    rig.CursorTo(r.item);
    rig.Tap(r.press);
    EXPECT_EQ(CoinWords(s), r.words);
  }
  EXPECT_EQ(ManualCoinSettings[0], 3);
}

// Each row: the item pressed on, the press, the coin unit, credits per unit
// and coins to continue after it (coin play).
struct CoinRuleRow {
  int32_t item;
  Inputs press;
  int32_t unit, credits, continues;
};

TEST(TestModeSystemPage, CoinsToContinueFollowTheCoinUnitUnlessOneUnitGivesOneCredit) {
  TestModeRig rig;
  ASSERT_TRUE(rig.Open());
  rig.OpenPage(kMenuSystem);
  rig.Tap({kRight});  // coin play
  const int32_t* s = rig.Settings();
  const CoinRuleRow rows[] = {
      {kCoinUnit, {kRight}, 2, 1, 2},       {kCoinUnit, {kRight}, 3, 1, 3},
      {kContinueCoins, {kLeft}, 3, 1, 2},   {kContinueCoins, {kLeft}, 3, 1, 1},
      {kContinueCoins, {kLeft}, 3, 1, 1},   {kContinueCoins, {kRight}, 3, 1, 2},
      {kContinueCoins, {kRight}, 3, 1, 3},  {kContinueCoins, {kRight}, 3, 1, 3},
      {kContinueCoins, {kLeft}, 3, 1, 2},   {kCoinUnit, {kRight}, 4, 1, 4},
      {kContinueCoins, {kLeft}, 4, 1, 3},   {kCoinUnit, {kRight}, 4, 1, 3},  // at 4: nothing changes
      {kCredits, {kLeft}, 4, 1, 3},         {kCredits, {kRight}, 4, 2, 4},
      {kContinueCoins, {kLeft}, 4, 2, 4},   {kCredits, {kRight}, 4, 3, 4},
      {kCredits, {kRight}, 4, 4, 4},        {kCredits, {kRight}, 4, 4, 4},
      {kCoinUnit, {kLeft}, 3, 4, 3},        {kCoinUnit, {kLeft, kRight}, 3, 4, 3},
  };
  for (const CoinRuleRow& r : rows) {
    rig.CursorTo(r.item);
    rig.Tap(r.press);
    EXPECT_EQ((std::vector<int32_t>{s[SettingsWord::coinUnit], s[SettingsWord::creditsPerUnit], s[SettingsWord::continueCoins]}),
              (std::vector<int32_t>{r.unit, r.credits, r.continues}))
        << "item " << r.item;
  }
  // No auto-repeat: holding moves once.
  rig.CursorTo(kCredits);
  rig.Frame({kLeft}, 40);
  EXPECT_EQ(s[SettingsWord::creditsPerUnit], 3);
  rig.Frame();
  // Continue and attract sound toggle with either direction.
  for (int32_t item : {kContinue, kAttract}) {
    const int32_t word = item == kContinue ? SettingsWord::continueOn : SettingsWord::attractSound;
    rig.CursorTo(item);
    rig.Tap({kLeft});
    EXPECT_EQ(s[word], 0);
    rig.Tap({kRight});
    EXPECT_EQ(s[word], 1);
  }
}

// Each row: the coin mode (pressed from service), the cursor after each
// press of down from item 0 and after one up, the sprite quads drawn and the
// coin mode's picture.
struct HiddenRow {
  int presses;
  std::vector<int32_t> downs;
  int32_t afterUp;
  int sprites;
  int picture;
};

TEST(TestModeSystemPage, FreePlayAndServiceHideTheCoinRows) {
  const HiddenRow rows[] = {
      {0, {4, 5, 6, 0, 4}, kCoinMode, 12, 20},  // service
      {1, {1, 2, 3, 4, 5}, kContinue, 18, 2},   // coin play: title, 7 items, arrow, 6 values, help lines
      {2, {4, 5, 6, 0, 4}, kCoinMode, 12, 3},   // free play
  };
  for (const HiddenRow& r : rows) {
    TestModeRig rig;
    ASSERT_TRUE(rig.Open());
    rig.OpenPage(kMenuSystem);
    TestMode* m = rig.Mode();
    for (int i = 0; i < r.presses; ++i) rig.Tap({kRight});
    rig.Frame();
    EXPECT_EQ(m->SpritesUsed(), r.sprites);
    // Title, the visible item labels, the arrow, then the coin mode picture.
    const int visibleItems = r.sprites == 18 ? 7 : 4;
    EXPECT_EQ(StripOfSprite(m, 1 + visibleItems + 1), r.picture);
    for (int32_t expected : r.downs) {
      rig.Tap({kDown});
      EXPECT_EQ(m->GetCursor(), expected) << "coin mode " << r.presses;
    }
    rig.Tap({kUp});
    EXPECT_EQ(m->GetCursor(), r.afterUp);
  }
}

TEST(TestModeSystemPage, CoinsToContinueShowAsANumberOnlyWhenBelowTheCoinUnit) {
  TestModeRig rig;
  ASSERT_TRUE(rig.Open());
  rig.OpenPage(kMenuSystem);
  TestMode* m = rig.Mode();
  int32_t* s = rig.Settings();
  rig.Tap({kRight});  // coin play
  s[SettingsWord::coinUnit] = 3;
  s[SettingsWord::continueCoins] = 3;
  rig.Frame();
  const int used = m->SpritesUsed();
  // The last value before continue and attract: the picture of row 4.
  EXPECT_EQ(StripOfSprite(m, used - 6), 8);
  s[SettingsWord::continueCoins] = 2;
  rig.Frame();
  EXPECT_EQ(m->SpritesUsed(), used);
  EXPECT_EQ(StripOfSprite(m, used - 6), 4);
  EXPECT_EQ(m->Text(2).GlyphCount(), 1);
  EXPECT_FLOAT_EQ(m->Text(2).GetOrigin()[1], -176.0f);
}

TEST(TestModeSystemPage, DiscardingPutsBackTheCoinModeAndKeepsTheManualWords) {
  TestModeRig rig;
  ASSERT_TRUE(rig.Open());
  rig.OpenPage(kMenuSystem);
  const int32_t* s = rig.Settings();
  rig.Tap({kRight});  // coin play
  rig.CursorTo(kCoinUnit);
  rig.Tap({kRight});
  rig.Tap({kUp});
  rig.Tap({kLeft});  // service: the manual words (2, 1, 2) are kept
  rig.CursorTo(kAttract);
  rig.Tap({kRight});
  ASSERT_EQ(s[SettingsWord::attractSound], 0);
  rig.Tap({kDown});
  rig.Tap({kB1});
  ASSERT_EQ(rig.Mode()->Confirm().GetState(), TestModeYN::kOpen);
  rig.Tap({kB1});  // no
  ASSERT_TRUE(rig.BackToMenu(3));
  EXPECT_EQ(CoinWords(s), (std::vector<int32_t>{1, 1, 1, 1, 1}));
  EXPECT_EQ(s[SettingsWord::attractSound], 1);
  EXPECT_EQ((std::vector<int32_t>(ManualCoinSettings, ManualCoinSettings + 3)), (std::vector<int32_t>{2, 1, 2}));
  EXPECT_TRUE(SettingsFileBytes(rig.Sys()).empty());
}

}  // namespace
