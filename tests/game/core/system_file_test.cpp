#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/core/SystemFile.h"
#include "support/TempDir.h"

namespace {

std::string Bytes(const int32_t* words, int size = kSystemFileSize, int checksumDelta = 0) {
  uint8_t block[kSystemFileSize] = {};
  for (int i = 0; i < kSettingsCount; ++i) {
    const auto u = static_cast<uint32_t>(words[i]);
    for (int b = 0; b < 4; ++b) block[4 * i + b] = static_cast<uint8_t>(u >> (8 * b));
  }
  block[60] = static_cast<uint8_t>(SystemFileChecksum(block) + checksumDelta);
  std::string s(reinterpret_cast<const char*>(block), kSystemFileSize);
  s.resize(static_cast<size_t>(size), '\0');
  return s;
}

class SystemFile : public ::testing::Test {
 protected:
  void SetUp() override { std::memset(SystemFileBlock, 0, sizeof SystemFileBlock); }
  void Write(const std::string& bytes) { ASSERT_TRUE(save.Dir().Write("OSR_SYS.dat", bytes)); }
  void Load() {
    for (int32_t& w : live) w = -12345;
    LoadSystemFile(live);
  }
  void ExpectDefaults() {
    for (int i = 0; i < kSettingsCount; ++i) EXPECT_EQ(live[i], kDefaultSettings[i]) << "word " << i;
  }
  testsupport::ScopedSaveDir save;
  int32_t live[kSettingsCount] = {};
};

TEST_F(SystemFile, DefaultsSaveAsSixtyWordBytesChecksum0x51AndZeroFill) {
  ASSERT_TRUE(SaveSystemFile(kDefaultSettings));
  const std::string file = save.Dir().Read("OSR_SYS.dat");
  ASSERT_EQ(file.size(), 64u);
  EXPECT_EQ(static_cast<uint8_t>(file[60]), 0x51);
  EXPECT_EQ(file.substr(61), std::string(3, '\0'));
  EXPECT_EQ(file, Bytes(kDefaultSettings));
  // No temporary file is left beside it.
  EXPECT_TRUE(save.Dir().Read("OSR_SYS.dat.tmp").empty());
}

TEST_F(SystemFile, RoundTripKeepsEveryWordAndTheFillBytesOfTheFileRead) {
  const int32_t words[kSettingsCount] = {4, 2, 3, 1, 0, 4, 5, -7, 99, 10, 20, -100, 0, 5, 0};
  std::string bytes = Bytes(words);
  bytes[61] = 'x', bytes[62] = 'y', bytes[63] = 'z';  // fill bytes are outside the checksum
  Write(bytes);
  Load();
  for (int i = 0; i < kSettingsCount; ++i) EXPECT_EQ(live[i], words[i]) << "word " << i;
  ASSERT_TRUE(SaveSystemFile(live));
  EXPECT_EQ(save.Dir().Read("OSR_SYS.dat"), bytes);
}

TEST_F(SystemFile, MissingShortLongOrBadChecksumFilesGiveTheDefaults) {
  Load();
  ExpectDefaults();
  const int32_t words[kSettingsCount] = {2, 2, 2, 1, 0, 1, 3, 3, 0, 50, 50, 0, 0, 1, 0};
  for (int size : {63, 65}) {
    Write(Bytes(words, size));
    Load();
    ExpectDefaults();
  }
  Write(Bytes(words, 64, 1));
  Load();
  ExpectDefaults();
  Write(Bytes(words));
  Load();
  EXPECT_EQ(live[kSetLives], 3);
  // The file is left as it was.
  EXPECT_EQ(save.Dir().Read("OSR_SYS.dat"), Bytes(words));
}

TEST_F(SystemFile, OutOfRangeWordsOfAPassingFileTakeTheirDefaultsOthersAreKept) {
  const int32_t words[kSettingsCount] = {0, 9, 7, 2, 5, -1, 6, 123456, -99, 101, -1, 150, 3, 9, 0};
  Write(Bytes(words));
  Load();
  EXPECT_EQ(live[kSetCoinUnit], 1);  // a coin unit of 0 would divide by zero
  EXPECT_EQ(live[kSetCreditsPerUnit], 1);
  EXPECT_EQ(live[kSetContinueCoins], 1);  // above the coin unit
  EXPECT_EQ(live[kSetCoinPlay], 1);
  EXPECT_EQ(live[kSetContinueOn], 1);
  EXPECT_EQ(live[kSetDifficulty], 2);
  EXPECT_EQ(live[kSetLives], 2);
  EXPECT_EQ(live[kSetReserved7], 123456);  // carried as they are
  EXPECT_EQ(live[kSetReserved8], -99);
  EXPECT_EQ(live[kSetMusicVolume], 100);
  EXPECT_EQ(live[kSetEffectVolume], 100);
  EXPECT_EQ(live[kSetEffectBalance], 0);
  EXPECT_EQ(live[kSetAttractSound], 1);
  EXPECT_EQ(live[kSetExtendRow], 3);  // indexes the extend table
  EXPECT_EQ(live[kSetServiceCoins], 0);
  // The coins to continue may be anything up to the coin unit.
  const int32_t ok[kSettingsCount] = {3, 2, 3, 1, 1, 0, 1, 3, 0, 0, 0, -100, 0, 0, 0};
  Write(Bytes(ok));
  Load();
  for (int i = 0; i < kSettingsCount; ++i) EXPECT_EQ(live[i], ok[i]) << "word " << i;
}

TEST_F(SystemFile, ServiceCoinsTakeTheServiceDefaultWithoutAClient) {
  int32_t words[kSettingsCount];
  std::memcpy(words, kDefaultSettings, sizeof words);
  words[kSetCoinUnit] = 3;
  words[kSetCoinPlay] = 0;
  Write(Bytes(words));
  Load();
  // The service's default coin credit is 1: one coin a credit, coin play.
  EXPECT_EQ(live[kSetCoinUnit], 1);
  EXPECT_EQ(live[kSetContinueCoins], 1);
  EXPECT_EQ(live[kSetCreditsPerUnit], 1);
  EXPECT_EQ(live[kSetCoinPlay], 1);
}

TEST_F(SystemFile, AFailedSaveIsReportedAndLeavesTheOldFileWhole) {
  Write(Bytes(kDefaultSettings));
  // A directory where the temporary file should go makes the write fail.
  ASSERT_TRUE(save.Dir().Write("OSR_SYS.dat.tmp/blocker", "x"));
  int32_t words[kSettingsCount];
  std::memcpy(words, kDefaultSettings, sizeof words);
  words[kSetLives] = 5;
  EXPECT_FALSE(SaveSystemFile(words));
  EXPECT_EQ(save.Dir().Read("OSR_SYS.dat"), Bytes(kDefaultSettings));
}

}  // namespace
