// The game settings page and the yes/no confirmation it opens; the settings
// file it writes, read back by the next start.
#include <gtest/gtest.h>

#include "TestModeRig.h"
#include "support/ImageCompare.h"

namespace {

using namespace testmode_rig;

enum GameItem : int32_t { kDifficulty, kLives, kExtend, kExit };
constexpr int32_t kGameSettings[3] = {SettingsWord::difficulty, SettingsWord::lives, SettingsWord::extendRow};

// Each row: the item, the presses made on it, the settings word after.
struct ValueRow {
  int32_t item;
  Inputs press;
  int times;
  int32_t word;
  int32_t expected;
};

TEST(TestModeGamePage, ValuesStepByOneAndStopAtTheEnds) {
  TestModeRig rig;
  ASSERT_TRUE(rig.Open());
  rig.OpenPage(kMenuGame);
  const int32_t* s = rig.Settings();
  ASSERT_EQ(rig.Mode()->GetPageStep(), 1);
  const ValueRow rows[] = {
      {kDifficulty, {kRight}, 3, SettingsWord::difficulty, 4},  // 2 -> 4, no wrap to 0
      {kDifficulty, {kLeft}, 6, SettingsWord::difficulty, 0},
      {kDifficulty, {kLeft, kRight}, 1, SettingsWord::difficulty, 0},
      {kLives, {kRight}, 4, SettingsWord::lives, 5},
      {kLives, {kLeft}, 6, SettingsWord::lives, 1},
      {kExtend, {kRight}, 3, SettingsWord::extendRow, 5},
      {kExtend, {kLeft}, 7, SettingsWord::extendRow, 0},
  };
  for (const ValueRow& r : rows) {
    rig.CursorTo(r.item);
    for (int i = 0; i < r.times; ++i) rig.Tap(r.press);
    EXPECT_EQ(s[r.word], r.expected) << "item " << r.item;
  }
  // Holding moves once; the exit item has no value; up wraps to the exit.
  rig.CursorTo(kLives);
  rig.Frame({kRight}, 30);
  EXPECT_EQ(s[SettingsWord::lives], 2);
  rig.Tap({kUp});
  rig.Tap({kUp});
  EXPECT_EQ(rig.Mode()->GetCursor(), kExit);
  const std::vector<int32_t> before(s, s + kSettingsCount);
  rig.Tap({kRight});
  EXPECT_EQ(std::vector<int32_t>(s, s + kSettingsCount), before);
  EXPECT_EQ(rig.Mode()->GetPage(), TEST_PAGE_GAME);  // service leaves nothing
  rig.Tap({kService});
  EXPECT_EQ(rig.Mode()->GetPage(), TEST_PAGE_GAME);
}

// Each row: the settings word shown, its value, the text and its colour
// with the cursor off and on the item.
struct ShownRow {
  int32_t item;
  int32_t value;
  int glyphs;
  float offCursor[3];
  float onCursor[3];
};

TEST(TestModeGamePage, ValuesShowTheirLabelsAndMarkTheDefaults) {
  TestModeRig rig;
  ASSERT_TRUE(rig.Open());
  rig.OpenPage(kMenuGame);
  TestMode* m = rig.Mode();
  int32_t* s = rig.Settings();
  const ShownRow rows[] = {
      {kLives, 2, 1, {0, 1, 1}, {1, 1, 0}},        // "3", the default: cyan, yellow
      {kLives, 5, 1, {1, 1, 1}, {1, 0, 0}},        // "6": white, red
      {kDifficulty, 4, 8, {1, 1, 1}, {1, 0, 0}},   // "VERY HARD": the space draws nothing
      {kDifficulty, 2, 6, {0, 1, 1}, {1, 1, 0}},   // "NORMAL"
      {kExtend, 0, 7, {1, 1, 1}, {1, 0, 0}},       // "NOTHING"
      {kExtend, 1, 21, {1, 1, 1}, {1, 0, 0}},      // " 50,000,000" over "200,000,000"
      {kExtend, 3, 22, {0, 1, 1}, {1, 1, 0}},
  };
  for (const ShownRow& r : rows) {
    s[kGameSettings[r.item]] = r.value;
    for (int on = 0; on < 2; ++on) {
      rig.CursorTo(on ? r.item : (r.item + 1) % 4);
      rig.Frame();
      const GfxObject& t = m->Text(r.item);
      const float* want = on ? r.onCursor : r.offCursor;
      EXPECT_EQ(t.GlyphCount(), r.glyphs) << r.item << " " << r.value;
      EXPECT_EQ(std::vector<float>(t.GetColour(), t.GetColour() + 4),
                (std::vector<float>{want[0], want[1], want[2], 1.0f}))
          << r.item << " " << r.value << " cursor " << on;
    }
  }
}

// A game page with lives raised to 5, its cursor on the exit and the
// confirmation open.
void OpenConfirmationWithLives5(TestModeRig& rig) {
  rig.OpenPage(kMenuGame);
  rig.CursorTo(kLives);
  for (int i = 0; i < 3; ++i) rig.Tap({kRight});
  ASSERT_EQ(rig.Settings()[SettingsWord::lives], 5);
  rig.CursorTo(kExit);
  rig.Frame({kB1});
  ASSERT_EQ(rig.Mode()->Confirm().GetState(), TestModeYN::kOpen);
  ASSERT_EQ(rig.Mode()->Confirm().GetAnswer(), TestModeYN::kNo);
  ASSERT_EQ(rig.Mode()->GetPageStep(), 2);
  rig.Frame();
}

// Each row: what the operator does in the open confirmation, the answer,
// and what the page makes of it.
struct AnswerRow {
  const char* what;
  std::vector<PadLine> script;
  int32_t answer;
  bool saved;
  int32_t lives;
  bool backOnMenu;
};

TEST(TestModeConfirmation, YesSavesNoRestoresTheBackupCancelGoesOnEditing) {
  const PadLine release{{}, 1};
  const AnswerRow rows[] = {
      {"button at once", {{{kB1}}, release}, TestModeYN::kNo, false, 2, true},
      {"right then button", {{{kRight}}, release, {{kB2}}, release}, TestModeYN::kYes, true, 5, true},
      {"left twice then button", {{{kLeft}}, release, {{kLeft}}, release, {{kB1}}, release}, TestModeYN::kNo, false, 2,
       true},
      {"direction wins over a button", {{{kLeft, kB1}}, release, {{kB1}}, release}, TestModeYN::kYes, true, 5, true},
      {"service", {{{kRight}}, release, {{kService}}, release}, TestModeYN::kCancelled, false, 5, false},
      {"test switch", {{{kTest}}, release}, TestModeYN::kCancelled, false, 5, false},
  };
  for (const AnswerRow& r : rows) {
    SCOPED_TRACE(r.what);
    TestModeRig rig;
    ASSERT_TRUE(rig.Open());
    OpenConfirmationWithLives5(rig);
    rig.Settings()[SettingsWord::musicVolume] = 7;  // a word of another page, changed meanwhile
    rig.Run(r.script);
    TestMode* m = rig.Mode();
    EXPECT_EQ(m->Confirm().GetState(), TestModeYN::kClosed);
    EXPECT_EQ(m->Confirm().GetAnswer(), r.answer);
    EXPECT_EQ(rig.Settings()[SettingsWord::lives], r.lives);
    // No puts back every word as it was when the page opened.
    EXPECT_EQ(rig.Settings()[SettingsWord::musicVolume], r.answer == TestModeYN::kNo ? 100 : 7);
    EXPECT_EQ(!SettingsFileBytes(rig.Sys()).empty(), r.saved);
    EXPECT_EQ(rig.BackToMenu(3), r.backOnMenu);
    if (!r.backOnMenu) {
      EXPECT_EQ(m->GetPageStep(), 1);
      EXPECT_EQ(m->GetCursor(), kExit);
    }
  }
}

TEST(TestModeConfirmation, ClosedItIgnoresInputAndThePageDrawsAtHalfAlpha) {
  TestModeRig rig;
  ASSERT_TRUE(rig.Open());
  TestMode* m = rig.Mode();
  rig.Tap({kRight});
  rig.Tap({kService});
  EXPECT_EQ(m->Confirm().GetState(), TestModeYN::kClosed);
  EXPECT_EQ(m->Confirm().GetAnswer(), TestModeYN::kYes);
  OpenConfirmationWithLives5(rig);
  // Title, four items, arrow: no help or guide lines while the question is up.
  EXPECT_EQ(m->SpritesUsed(), 6);
  EXPECT_EQ(m->Text(kLives).GetColour()[3], 0.5f);
  rig.Tap({kService});
  EXPECT_EQ(m->GetPageStep(), 1);
  rig.Frame();
  EXPECT_EQ(m->SpritesUsed(), 9);
  EXPECT_EQ(m->Text(kLives).GetColour()[3], 1.0f);
}

TEST(TestModeGamePage, SavedLivesAreReadBackByTheNextStart) {
  std::string saved;
  {
    TestModeRig rig;
    ASSERT_TRUE(rig.Open());
    OpenConfirmationWithLives5(rig);
    rig.Run({{{kRight}}, {{}}, {{kB1}}, {{}}});
    saved = SettingsFileBytes(rig.Sys());
    int32_t expected[kSettingsCount] = {1, 1, 1, 1, 1, 2, 5, 3, 0, 100, 100, 0, 1, 3, 1};
    EXPECT_EQ(saved, SettingsFileFor(expected));
    EXPECT_EQ(static_cast<uint8_t>(saved[60]), 0x54);  // 0x51 for the defaults, lives 3 more
  }
  testsupport::HeadlessOptions next;
  next.nullDevice = true;
  next.saveFiles = {{"OSR_SYS.dat", saved}};
  testsupport::Headless sys(next);
  ASSERT_TRUE(sys.Ok());
  sys.Step(2);
  Game* g = GetGame();
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->settings[SettingsWord::lives], 5);
  EXPECT_EQ(g->lives, 5);
  g->ResetForPlay();  // what the start of a play does
  EXPECT_EQ(g->lives, 5);
}

// The save question with yes chosen. The answers stand at x -50 (yes, its
// strip 36 wide) and 50 (no, 48 wide), 24 high around y 0; the chosen one is
// red, the other white, and the mark (60 wide, red) is centred on the chosen
// answer, so that it shows on both sides of yes and nowhere around no.
TEST(TestModePictures, SaveQuestionMarksTheChosenAnswer) {
  TestModeRig rig(true);
  ASSERT_TRUE(rig.Open());
  OpenConfirmationWithLives5(rig);
  rig.Tap({kRight});
  rig.Frame();
  ASSERT_EQ(rig.Mode()->Confirm().GetAnswer(), TestModeYN::kYes);
  plat::Image shot;
  ASSERT_TRUE(rig.Sys().Screenshot(&shot));
  const auto red = [](uint32_t r, uint32_t g, uint32_t b) { return r > 200 && g < 60 && b < 60; };
  const auto white = [](uint32_t r, uint32_t g, uint32_t b) { return r > 200 && g > 200 && b > 200; };
  using testsupport::CountPlayPixels;
  EXPECT_GT(CountPlayPixels(shot, -68.0f, -12.0f, -32.0f, 12.0f, red), 15);
  EXPECT_EQ(CountPlayPixels(shot, -68.0f, -12.0f, -32.0f, 12.0f, white), 0);
  EXPECT_GT(CountPlayPixels(shot, 26.0f, -12.0f, 74.0f, 12.0f, white), 30);
  EXPECT_EQ(CountPlayPixels(shot, 26.0f, -12.0f, 74.0f, 12.0f, red), 0);
  // The mark's ends, left and right of yes; none beside no.
  EXPECT_GT(CountPlayPixels(shot, -80.0f, -12.0f, -68.0f, 12.0f, red), 4);
  EXPECT_GT(CountPlayPixels(shot, -32.0f, -12.0f, -20.0f, 12.0f, red), 4);
  EXPECT_EQ(CountPlayPixels(shot, 20.0f, -12.0f, 26.0f, 12.0f, red), 0);
  EXPECT_EQ(CountPlayPixels(shot, 74.0f, -12.0f, 80.0f, 12.0f, red), 0);
  EXPECT_TRUE(testsupport::MatchesGolden(shot, "test_mode_confirm.png", 8, 40));
}

}  // namespace
