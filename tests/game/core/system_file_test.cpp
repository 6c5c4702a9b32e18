#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/core/SystemFile.h"
#include "support/ChildProcess.h"
#include "support/ServiceTap.h"
#include "support/TempDir.h"

namespace {

// The default table, word by word.
constexpr int32_t kDefaults[kSettingsCount] = {1, 1, 1, 1, 1, 2, 2, 3, 0, 100, 100, 0, 1, 3, 1};

// A settings file of the words: each little-endian, then at byte 60 the sum
// modulo 256 of byte p + (p mod 5) over p = 0 to 59 (moved by checksumDelta),
// then zero fill; cut or padded to `size` bytes.
std::string Bytes(const int32_t* words, int size = kSystemFileSize, int checksumDelta = 0) {
  uint8_t block[kSystemFileSize] = {};
  for (int i = 0; i < kSettingsCount; ++i) {
    const auto u = static_cast<uint32_t>(words[i]);
    for (int b = 0; b < 4; ++b) block[4 * i + b] = static_cast<uint8_t>(u >> (8 * b));
  }
  int sum = 0;
  for (int p = 0; p < 60; ++p) sum += block[p] + p % 5;
  block[60] = static_cast<uint8_t>(sum % 256 + checksumDelta);
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
  // Loads and returns what the load told on standard error.
  std::string LoadTold() {
    ::testing::internal::CaptureStderr();
    Load();
    return ::testing::internal::GetCapturedStderr();
  }
  void ExpectDefaults() {
    for (int i = 0; i < kSettingsCount; ++i) EXPECT_EQ(live[i], kDefaults[i]) << "word " << i;
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
  EXPECT_EQ(file, Bytes(kDefaults));
  // No temporary file is left beside it.
  EXPECT_EQ(save.Dir().List(), std::vector<std::string>{"OSR_SYS.dat"});
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

// Each fallback to the defaults is told in one line naming the file.
TEST_F(SystemFile, MissingShortLongOrBadChecksumFilesGiveTheDefaultsAndSaySo) {
  const std::string path = save.Dir().File("OSR_SYS.dat");
  const std::string tail = ": using the default settings\n";
  EXPECT_EQ(LoadTold(), "settings file " + path + " not found" + tail);
  ExpectDefaults();
  const int32_t words[kSettingsCount] = {2, 2, 2, 1, 0, 1, 3, 3, 0, 50, 50, 0, 0, 1, 0};
  Write(Bytes(words, 63));
  EXPECT_EQ(LoadTold(), "settings file " + path + " holds 63 bytes, not 64" + tail);
  ExpectDefaults();
  Write(Bytes(words, 65));
  EXPECT_EQ(LoadTold(), "settings file " + path + " is larger than expected" + tail);
  ExpectDefaults();
  Write(Bytes(words, 64, 1));
  EXPECT_EQ(LoadTold(), "settings file " + path + " fails its checksum" + tail);
  ExpectDefaults();
  Write(Bytes(words));
  EXPECT_EQ(LoadTold(), "");  // a good file goes without a word
  EXPECT_EQ(live[SettingsWord::lives], 3);
  // The file is left as it was.
  EXPECT_EQ(save.Dir().Read("OSR_SYS.dat"), Bytes(words));
}

// A pipe, a directory or a link in the file's place is a damaged file: the
// load says what it found, neither waiting on the pipe nor following the
// link, and the next save puts a regular file in place of the pipe and the
// link (whose target keeps its bytes); a directory is left alone and the
// failed save is told. In a child process, bounded, in case the load
// should wait on the pipe.
TEST_F(SystemFile, APipeADirectoryOrALinkInTheFilesPlaceGiveTheDefaultsAndAreTold) {
  const int32_t words[kSettingsCount] = {2, 2, 2, 1, 0, 1, 3, 3, 0, 50, 50, 0, 0, 1, 0};
  ASSERT_TRUE(save.Dir().Write("good.dat", Bytes(words)));
  const std::string path = save.Dir().File("OSR_SYS.dat");
  for (const testsupport::OddEntry& c : testsupport::kOddEntries) {
    ASSERT_TRUE(save.Dir().PutOdd(c.kind, "OSR_SYS.dat", save.Dir().File("good.dat")));
    const auto r = testsupport::RunInChild([&] {
      EXPECT_EQ(LoadTold(), "settings file " + path + " " + c.told + ", not a regular file: using the default settings\n");
      ExpectDefaults();
      ::testing::internal::CaptureStderr();
      EXPECT_EQ(SaveSystemFile(words), c.kind != 'd');
      const std::string told = ::testing::internal::GetCapturedStderr();
      EXPECT_EQ(told, c.kind == 'd' ? "settings not saved: " + path + " is a directory\n" : "");
      return ::testing::Test::HasFailure() ? 1 : 0;
    });
    ASSERT_TRUE(r.ended) << "the load waited on the pipe";
    EXPECT_EQ(r.exitCode, 0) << c.kind;
    EXPECT_EQ(save.Dir().Kind("OSR_SYS.dat"), c.kind == 'd' ? 'd' : 'f');
    if (c.kind != 'd') {
      EXPECT_EQ(save.Dir().Read("OSR_SYS.dat"), Bytes(words));
    } else {
      EXPECT_EQ(save.Dir().Read("OSR_SYS.dat/inside"), "x");
    }
    EXPECT_EQ(save.Dir().Read("good.dat"), Bytes(words));
    EXPECT_EQ(save.Dir().List(), (std::vector<std::string>{"OSR_SYS.dat", "good.dat"}));
  }
}

TEST_F(SystemFile, OutOfRangeWordsOfAPassingFileTakeTheirDefaultsOthersAreKept) {
  const int32_t words[kSettingsCount] = {0, 9, 7, 2, 5, -1, 6, 123456, -99, 101, -1, 150, 3, 9, 0};
  Write(Bytes(words));
  EXPECT_EQ(LoadTold(), "settings file " + save.Dir().File("OSR_SYS.dat") +
                            ": words out of range take their defaults (0, 1, 2, 3, 4, 5, 6, 9, 10, 11, 12, 13)\n");
  EXPECT_EQ(live[SettingsWord::coinUnit], 1);  // a coin unit of 0 would divide by zero
  EXPECT_EQ(live[SettingsWord::creditsPerUnit], 1);
  EXPECT_EQ(live[SettingsWord::continueCoins], 1);  // above the coin unit
  EXPECT_EQ(live[SettingsWord::coinPlay], 1);
  EXPECT_EQ(live[SettingsWord::continueOn], 1);
  EXPECT_EQ(live[SettingsWord::difficulty], 2);
  EXPECT_EQ(live[SettingsWord::lives], 2);
  EXPECT_EQ(live[SettingsWord::reserved7], 123456);  // carried as they are
  EXPECT_EQ(live[SettingsWord::reserved8], -99);
  EXPECT_EQ(live[SettingsWord::musicVolume], 100);
  EXPECT_EQ(live[SettingsWord::effectVolume], 100);
  EXPECT_EQ(live[SettingsWord::effectBalance], 0);
  EXPECT_EQ(live[SettingsWord::attractSound], 1);
  EXPECT_EQ(live[SettingsWord::extendRow], 3);  // indexes the extend table
  EXPECT_EQ(live[SettingsWord::serviceCoins], 0);
  // The coins to continue may be anything up to the coin unit.
  const int32_t ok[kSettingsCount] = {3, 2, 3, 1, 1, 0, 1, 3, 0, 0, 0, -100, 0, 0, 0};
  Write(Bytes(ok));
  Load();
  for (int i = 0; i < kSettingsCount; ++i) EXPECT_EQ(live[i], ok[i]) << "word " << i;
}

TEST_F(SystemFile, ServiceCoinsTakeTheServiceDefaultWithoutAClient) {
  int32_t words[kSettingsCount];
  std::memcpy(words, kDefaults, sizeof words);
  words[SettingsWord::coinUnit] = 3;
  words[SettingsWord::coinPlay] = 0;
  Write(Bytes(words));
  Load();
  // The service's default coin credit is 1: one coin a credit, coin play.
  EXPECT_EQ(live[SettingsWord::coinUnit], 1);
  EXPECT_EQ(live[SettingsWord::continueCoins], 1);
  EXPECT_EQ(live[SettingsWord::creditsPerUnit], 1);
  EXPECT_EQ(live[SettingsWord::coinPlay], 1);
}

// The service's coin credit is checked against its range before it sets
// the coin words: 0xFFFFFFFF once made the coin unit -1. It takes its
// default, one coin a credit.
TEST_F(SystemFile, AServiceCoinCreditOutOfRangeGivesOneCoinACredit) {
  ::testing::internal::CaptureStderr();
  testsupport::ServiceTap service(0xFFFFFFFF);
  ::testing::internal::GetCapturedStderr();
  Write(Bytes(kDefaults));
  Load();
  EXPECT_EQ(live[SettingsWord::coinUnit], 1);
  EXPECT_EQ(live[SettingsWord::continueCoins], 1);
  EXPECT_EQ(live[SettingsWord::coinPlay], 1);
  EXPECT_EQ(live[SettingsWord::creditsPerUnit], 1);
}

// A directory in place of the temporary file once made every save fail:
// the save now makes its temporary file under a name of its own and leaves
// the directory alone.
TEST_F(SystemFile, ADirectoryOfTheOldTemporaryNameNoLongerStopsTheSave) {
  Write(Bytes(kDefaults));
  ASSERT_TRUE(save.Dir().MakeDir("OSR_SYS.dat.tmp"));
  int32_t words[kSettingsCount];
  std::memcpy(words, kDefaults, sizeof words);
  words[SettingsWord::lives] = 5;
  EXPECT_TRUE(SaveSystemFile(words));
  EXPECT_EQ(save.Dir().Read("OSR_SYS.dat"), Bytes(words));
  EXPECT_EQ(save.Dir().Read("OSR_SYS.dat.tmp/inside"), "x");
  EXPECT_EQ(save.Dir().List(), (std::vector<std::string>{"OSR_SYS.dat", "OSR_SYS.dat.tmp"}));
}

}  // namespace
