// The default-settings and ranking-clear pages.
#include <gtest/gtest.h>

#include "TestModeRig.h"
#include "game/core/RankTable.h"
#include "support/ImageCompare.h"

#include <filesystem>

namespace {

using namespace testmode_rig;

TEST(TestModeDefaultsPage, YesRestoresAndSavesTheDefaultsNoLeavesEverything) {
  TestModeRig rig;
  ASSERT_TRUE(rig.Open());
  TestMode* m = rig.Mode();
  int32_t* s = rig.Settings();
  s[SettingsWord::lives] = 5;
  s[SettingsWord::serviceCoins] = 0;
  s[SettingsWord::coinPlay] = 0;
  // The page draws nothing in the frame it opens, then asks with no chosen.
  rig.Frame({kDown}, 1);
  rig.Frame();
  for (int i = 0; i < 4; ++i) rig.Tap({kDown});
  ASSERT_EQ(m->GetCursor(), kMenuDefaults);
  rig.Frame({kB1});
  rig.Frame();
  EXPECT_EQ(m->SpritesUsed(), 0);
  EXPECT_EQ(m->GetCursor(), 1);
  rig.Frame();
  EXPECT_EQ(m->SpritesUsed(), 10);  // title and subtitle twice, choices, mark, help, guides
  rig.Tap({kB2});
  ASSERT_TRUE(rig.BackToMenu(3));
  EXPECT_EQ(s[SettingsWord::lives], 5);
  EXPECT_TRUE(SettingsFileBytes(rig.Sys()).empty());
  // A direction and a button in one frame: the toggled choice, yes, counts.
  rig.OpenPage(kMenuDefaults);
  rig.Frame({kLeft, kB1});
  ASSERT_TRUE(rig.BackToMenu(3));
  const std::vector<int32_t> defaults = {1, 1, 1, 1, 1, 2, 2, 3, 0, 100, 100, 0, 1, 3, 1};
  EXPECT_EQ(std::vector<int32_t>(s, s + kSettingsCount), defaults);
  EXPECT_EQ(std::vector<int32_t>(m->GetBackup(), m->GetBackup() + kSettingsCount), defaults);
  // The file: 1, 1, 1, 1, 1, 2, 2, 3, 0, 100, 100, 0, 1, 3, 1 as 32-bit
  // little-endian words, then the checksum 0x51 and three zero bytes.
  const unsigned char expected[64] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0,   0, 0, 1,   0, 0, 0, 1, 0, 0, 0, 2, 0,
                                      0, 0, 2, 0, 0, 0, 3, 0, 0, 0,   0, 0, 0,   0, 100, 0, 0, 0, 100, 0, 0, 0,
                                      0, 0, 0, 0, 1, 0, 0, 0, 3, 0,   0, 0, 1,   0, 0, 0, 0x51, 0, 0, 0};
  EXPECT_EQ(SettingsFileBytes(rig.Sys()), std::string(reinterpret_cast<const char*>(expected), 64));
}

// A settings file that cannot be written (a directory in its place) is
// told on standard error and shown on the page that asked for the save, one
// red line centred at y 192 above the help line: the page stays, as a
// failure must not look like a success. On the default-settings page the
// question stays (no then leaves, without the line); on a settings page the
// confirmation's yes goes back to editing, and a later yes that saves
// leaves as usual.
TEST(TestModeSave, AFailedSaveIsShownOnThePageThatAskedForIt) {
  testsupport::HeadlessOptions options;
  options.prepareSaveDir = [](const testsupport::TempDir& dir) { ASSERT_TRUE(dir.MakeDir("OSR_SYS.dat")); };
  TestModeRig rig(true, options);
  ASSERT_TRUE(rig.Open());
  TestMode* m = rig.Mode();
  const std::string file = rig.Sys().SaveDir() + "/OSR_SYS.dat";
  const auto red = [](uint32_t r, uint32_t g, uint32_t b) { return r > 200 && g < 60 && b < 60; };
  // Red pixels on the line's row, 18 glyphs 16 wide and 24 high.
  const auto redOnTheRow = [&] {
    plat::Image shot;
    EXPECT_TRUE(rig.Sys().Screenshot(&shot));
    return testsupport::CountPlayPixels(shot, -160.0f, 184.0f, 160.0f, 224.0f, red);
  };
  rig.OpenPage(kMenuDefaults);
  rig.Frame();
  EXPECT_EQ(redOnTheRow(), 0);
  ::testing::internal::CaptureStderr();
  rig.Tap({kLeft});
  rig.Tap({kB1});  // yes
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "settings not saved: " + file + " is a directory\n");
  EXPECT_FALSE(rig.BackToMenu(3));
  EXPECT_EQ(m->GetPage(), TEST_PAGE_DEFAULTS);
  EXPECT_TRUE(m->NotSaved());
  EXPECT_GT(redOnTheRow(), 300);
  EXPECT_EQ(rig.Settings()[SettingsWord::lives], 2);  // the live settings took the defaults
  rig.Tap({kRight});
  rig.Tap({kB1});  // no
  ASSERT_TRUE(rig.BackToMenu(3));
  EXPECT_FALSE(m->NotSaved());
  EXPECT_EQ(redOnTheRow(), 0);

  rig.OpenPage(kMenuGame);
  rig.CursorTo(3);  // the exit item
  const auto keep = [&] {
    rig.Tap({kB1});
    ASSERT_EQ(m->Confirm().GetState(), TestModeYN::kOpen);
    rig.Tap({kRight});
    rig.Tap({kB1});  // yes
  };
  ::testing::internal::CaptureStderr();
  keep();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "settings not saved: " + file + " is a directory\n");
  EXPECT_FALSE(rig.BackToMenu(3));
  EXPECT_EQ(m->GetPage(), TEST_PAGE_GAME);
  EXPECT_EQ(m->GetPageStep(), 1);
  EXPECT_TRUE(m->NotSaved());
  EXPECT_GT(redOnTheRow(), 300);
  std::filesystem::remove_all(file);
  keep();
  ASSERT_TRUE(rig.BackToMenu(3));
  EXPECT_FALSE(m->NotSaved());
  EXPECT_EQ(SettingsFileBytes(rig.Sys()).size(), 64u);
}

TEST(TestModeRankingPage, YesDeletesTheRankingFileNoKeepsIt) {
  testsupport::HeadlessOptions options;
  options.saveFiles = {{"OSR_RANK.dat", std::string(904, '\0')}};
  TestModeRig rig(false, options);
  ASSERT_TRUE(rig.Open());
  const std::string file = rig.Sys().SaveDir() + "/OSR_RANK.dat";
  ASSERT_TRUE(std::filesystem::exists(file));
  const uint32_t top = RankTable[0].word[1];
  rig.OpenPage(kMenuRanking);
  EXPECT_EQ(rig.Mode()->GetCursor(), 1);
  rig.Tap({kRight});
  rig.Tap({kLeft});
  rig.Tap({kB1});  // no
  ASSERT_TRUE(rig.BackToMenu(3));
  EXPECT_TRUE(std::filesystem::exists(file));
  for (int pass = 0; pass < 2; ++pass) {  // the second time there is no file
    rig.OpenPage(kMenuRanking);
    rig.Tap({kLeft});
    rig.Tap({kB1});  // yes
    ASSERT_TRUE(rig.BackToMenu(3));
    EXPECT_EQ(rig.Mode()->GetCursor(), kMenuRanking);
    EXPECT_FALSE(std::filesystem::exists(file));
  }
  EXPECT_EQ(RankTable[0].word[1], top);  // the table in memory is left alone
}

// A ranking file that cannot be removed (here a directory in its place) is
// told in one line, as a failed save is; without a file nothing is told.
TEST(TestModeRankingPage, AClearThatFailsIsTold) {
  testsupport::HeadlessOptions options;
  options.prepareSaveDir = [](const testsupport::TempDir& dir) { ASSERT_TRUE(dir.Write("OSR_RANK.dat/inside", "x")); };
  TestModeRig rig(false, options);
  ASSERT_TRUE(rig.Open());
  const std::string file = rig.Sys().SaveDir() + "/OSR_RANK.dat";
  rig.OpenPage(kMenuRanking);
  rig.Tap({kLeft});
  ::testing::internal::CaptureStderr();
  rig.Tap({kB1});  // yes
  std::string told = ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(rig.BackToMenu(3));
  EXPECT_EQ(told, "ranking not cleared: " + file + " is a directory\n");
  EXPECT_TRUE(std::filesystem::exists(file + "/inside"));
  std::filesystem::remove_all(file);
  rig.OpenPage(kMenuRanking);
  rig.Tap({kLeft});
  ::testing::internal::CaptureStderr();
  rig.Tap({kB1});  // yes, with nothing to remove
  told = ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(rig.BackToMenu(3));
  EXPECT_EQ(told, "");
}

}  // namespace
