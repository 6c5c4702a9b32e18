#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/core/RankTable.h"
#include "platform/file_io.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace {

RankEntry Entry(uint32_t overflow, uint32_t score) {
  RankEntry e{};
  e.word[0] = overflow;
  e.word[1] = score;
  return e;
}

// The ranking file of a table. Its checksum is the sum of the 900 table
// bytes plus the sum of i mod 5 over them, 180 x (0 + 1 + 2 + 3 + 4) = 1800,
// which is 8 modulo 256.
std::string FileOf(const RankEntry* table, int delta = 0) {
  std::string bytes(904, '\0');
  int sum = 8;
  for (int i = 0; i < kRankEntries; ++i)
    for (int k = 0; k < 9; ++k)
      for (int b = 0; b < 4; ++b) {
        bytes[36 * i + 4 * k + b] = static_cast<char>(table[i].word[k] >> (8 * b));
        sum += static_cast<uint8_t>(bytes[36 * i + 4 * k + b]);
      }
  bytes[900] = static_cast<char>(sum + delta);
  return bytes;
}

TEST(RankTable, DefaultsAndPositions) {
  ResetRankTable();
  EXPECT_EQ(RankTable[0].word[1], 100000000u);
  EXPECT_EQ(RankTable[24].word[1], 4000000u);
  EXPECT_EQ(std::memcmp(&RankTable[7].word[5], "OSR", 4), 0);
  RankEntry e = Entry(0, 100000000);
  EXPECT_EQ(FindRankPosition(&e), 0);  // an equal score ranks above
  e = Entry(0, 4000000);
  EXPECT_EQ(FindRankPosition(&e), 24);
  e = Entry(0, 3999999);
  EXPECT_EQ(FindRankPosition(&e), 25);
  e = Entry(1, 0);
  EXPECT_EQ(FindRankPosition(&e), 0);
}

// Worked by hand: byte i adds its value and i mod 5. Six bytes or more tell
// i mod 5 from i mod 4 (index 4 adds 4, index 5 adds 0).
TEST(RankTable, ChecksumVectors) {
  const uint8_t abcdef[6] = {0x61, 0x62, 0x63, 0x64, 0x65, 0x66};
  const uint8_t zeros[900] = {};
  const uint8_t ff[7] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  const struct {
    const uint8_t* bytes;
    int32_t n;
    uint8_t sum;
  } cases[] = {
      {abcdef, 0, 0x00},
      {abcdef, 3, 0x29},    // 0x61 + 0x62 + 0x63 + 0 + 1 + 2 = 297
      {abcdef, 6, 0x5F},    // 597 + (0 + 1 + 2 + 3 + 4 + 0) = 607 (i mod 4: 604, 0x5C)
      {ff, 7, 0x04},        // 7 x 255 + 11 = 1796 (i mod 4: 1794, 0x02)
      {zeros, 900, 0x08},   // 180 x 10 = 1800 (i mod 4: 225 x 6 = 1350, 0x46)
  };
  for (const auto& c : cases) EXPECT_EQ(RankFileChecksum(c.bytes, c.n), c.sum) << c.n;
}

TEST(RankTable, FileIsUsedOnlyWithTheRightSizeAndChecksum) {
  testsupport::ScopedSaveDir save;
  ResetRankTable();
  RankEntry table[kRankEntries];
  std::memcpy(table, RankTable, sizeof table);
  table[0].word[1] = 777;
  table[3].word[8] = 42;
  // Each fallback to the defaults is told in one line naming the file.
  const std::string path = save.Dir().File("OSR_RANK.dat");
  const struct {
    std::string bytes;
    const char* told;
  } bad[] = {{"", "not found"},
             {FileOf(table, 1), "fails its checksum"},
             {FileOf(table).substr(0, 903), "holds 903 bytes, not 904"},
             {FileOf(table) + "x", "is larger than expected"}};
  for (const auto& b : bad) {
    if (!b.bytes.empty()) { ASSERT_TRUE(save.Dir().Write("OSR_RANK.dat", b.bytes)); }
    RankTable[0].word[1] = 1;
    ::testing::internal::CaptureStderr();
    LoadRankFile();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "ranking file " + path + " " + b.told + ": using the default ranking\n");
    EXPECT_EQ(RankTable[0].word[1], 100000000u);
  }
  // A file of zeros with its checksum 8 loads: every word reads 0.
  std::string zeros(904, '\0');
  zeros[900] = 8;
  ASSERT_TRUE(save.Dir().Write("OSR_RANK.dat", zeros));
  LoadRankFile();
  EXPECT_EQ(RankTable[0].word[1], 0u);
  EXPECT_EQ(RankTable[24].word[5], 0u);
  std::string good = FileOf(table);
  good[902] = 'z';  // the fill bytes are not looked at
  ASSERT_TRUE(save.Dir().Write("OSR_RANK.dat", good));
  ::testing::internal::CaptureStderr();
  LoadRankFile();
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");  // a good file goes without a word
  EXPECT_EQ(RankTable[0].word[1], 777u);
  EXPECT_EQ(RankTable[3].word[8], 42u);
  ResetRankTable();
}

}  // namespace

namespace {

using testsupport::ScopedSaveDir;

// A table unlike the defaults in every word, names included.
void FillTable(RankEntry* t) {
  for (int i = 0; i < kRankEntries; ++i)
    for (int k = 0; k < 9; ++k) t[i].word[k] = 0x01020304u * static_cast<uint32_t>(i + 1) + static_cast<uint32_t>(k);
}

TEST(RankTable, SaveWritesTheFileByteForByteAndLoadsItBack) {
  ScopedSaveDir save;
  RankEntry table[kRankEntries];
  FillTable(table);
  std::memcpy(RankTable, table, sizeof table);
  ASSERT_TRUE(SaveRankFile());
  const std::string bytes = save.Dir().Read("OSR_RANK.dat");
  ASSERT_EQ(bytes.size(), 904u);
  std::string expected = FileOf(table);  // fill bytes written as zero
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(save.Dir().List(), std::vector<std::string>{"OSR_RANK.dat"});  // no temporary file left
  ResetRankTable();
  LoadRankFile();
  EXPECT_EQ(std::memcmp(RankTable, table, sizeof table), 0);
  ResetRankTable();
}

// Each step of a save cut short as by a power loss: the file then holds
// either the old table or the new one whole, never a torn mixture, and the
// next save goes through.
TEST(RankTable, ACrashAtAnyStepOfTheSaveLeavesTheOldOrTheNewFile) {
  static plat::SaveStep s_crashAt;
  const struct {
    plat::SaveStep step;
    bool newTable;
  } cases[] = {{plat::SaveStep::kCreated, false},
               {plat::SaveStep::kHalfWritten, false},
               {plat::SaveStep::kWritten, false},
               {plat::SaveStep::kSynced, false},
               {plat::SaveStep::kRenamed, true}};
  for (const auto& c : cases) {
    ScopedSaveDir save;
    ResetRankTable();
    ASSERT_TRUE(SaveRankFile());
    const std::string old = save.Dir().Read("OSR_RANK.dat");
    RankEntry table[kRankEntries];
    FillTable(table);
    std::memcpy(RankTable, table, sizeof table);
    s_crashAt = c.step;
    plat::SetSaveCrashHook([](plat::SaveStep s) { return s != s_crashAt; });
    EXPECT_FALSE(SaveRankFile());
    plat::SetSaveCrashHook(nullptr);
    const std::string temp =
        plat::SaveTempName(save.Dir().File("OSR_RANK.dat"), static_cast<long>(::getpid()), 0).substr(save.Path().size() + 1);
    if (c.step == plat::SaveStep::kHalfWritten) {
      EXPECT_EQ(save.Dir().Read(temp).size(), 452u);  // the torn write stayed in the temporary file
    }
    EXPECT_EQ(save.Dir().Read("OSR_RANK.dat"), c.newTable ? FileOf(table) : old) << static_cast<int>(c.step);
    LoadRankFile();
    EXPECT_EQ(RankTable[3].word[1], c.newTable ? table[3].word[1] : 88000000u) << static_cast<int>(c.step);
    std::memcpy(RankTable, table, sizeof table);
    EXPECT_TRUE(SaveRankFile());
    EXPECT_EQ(save.Dir().Read("OSR_RANK.dat"), FileOf(table));
    // The save after the crash removed what the crash left.
    EXPECT_EQ(save.Dir().List(), std::vector<std::string>{"OSR_RANK.dat"}) << static_cast<int>(c.step);
  }
  ResetRankTable();
}

// A pipe, a directory or a link in the file's place is a damaged file: the
// load says what it found, neither waiting on the pipe nor following the
// link, and the next save puts a regular file in place of the pipe and the
// link (whose target keeps its bytes); a directory is left alone, the
// failed save is told and the table in memory is kept. The test mode's
// clear never removes the directory. In a child process, bounded, in case
// the load should wait on the pipe.
TEST(RankTable, APipeADirectoryOrALinkInTheFilesPlaceGiveTheDefaultsAndAreTold) {
  ScopedSaveDir save;
  RankEntry table[kRankEntries];
  FillTable(table);
  ASSERT_TRUE(save.Dir().Write("good.dat", FileOf(table)));
  const std::string path = save.Dir().File("OSR_RANK.dat");
  for (const testsupport::OddEntry& c : testsupport::kOddEntries) {
    ASSERT_TRUE(save.Dir().PutOdd(c.kind, "OSR_RANK.dat", save.Dir().File("good.dat")));
    const auto r = testsupport::RunInChild([&] {
      std::memcpy(RankTable, table, sizeof table);
      ::testing::internal::CaptureStderr();
      LoadRankFile();
      EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                "ranking file " + path + " " + c.told + ", not a regular file: using the default ranking\n");
      EXPECT_EQ(RankTable[0].word[1], 100000000u);
      std::memcpy(RankTable, table, sizeof table);
      ::testing::internal::CaptureStderr();
      EXPECT_EQ(SaveRankFile(), c.kind != 'd');
      EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                c.kind == 'd' ? "ranking not saved: " + path + " is a directory\n" : "");
      EXPECT_EQ(std::memcmp(RankTable, table, sizeof table), 0);  // the table in memory is kept
      if (c.kind == 'd') { EXPECT_FALSE(DeleteRankFile()); }
      return ::testing::Test::HasFailure() ? 1 : 0;
    });
    ASSERT_TRUE(r.ended) << "the load waited on the pipe";
    EXPECT_EQ(r.exitCode, 0) << c.kind;
    EXPECT_EQ(save.Dir().Kind("OSR_RANK.dat"), c.kind == 'd' ? 'd' : 'f');
    if (c.kind != 'd') { EXPECT_EQ(save.Dir().Read("OSR_RANK.dat"), FileOf(table)); }
    if (c.kind == 'd') { EXPECT_EQ(save.Dir().Read("OSR_RANK.dat/inside"), "x"); }
    EXPECT_EQ(save.Dir().Read("good.dat"), FileOf(table));
    EXPECT_EQ(save.Dir().List(), (std::vector<std::string>{"OSR_RANK.dat", "good.dat"}));
  }
  ResetRankTable();
}

// A directory in place of the temporary file once made every save fail.
TEST(RankTable, ADirectoryOfTheOldTemporaryNameNoLongerStopsTheSave) {
  ScopedSaveDir save;
  ResetRankTable();
  ASSERT_TRUE(save.Dir().MakeDir("OSR_RANK.dat.tmp"));
  RankTable[0].word[1] = 5;
  EXPECT_TRUE(SaveRankFile());
  EXPECT_EQ(save.Dir().Read("OSR_RANK.dat"), FileOf(RankTable));
  EXPECT_EQ(save.Dir().Kind("OSR_RANK.dat.tmp"), 'd');
  ResetRankTable();
}

// Against the defaults (100,000,000 - 4,000,000 i): a score equal to place
// p's goes in at p, the entries from p on move down one and the last falls
// out; one below the last goes nowhere.
TEST(RankTable, InsertAtEveryPlace) {
  for (int p = 0; p <= kRankEntries; ++p) {
    ResetRankTable();
    RankEntry before[kRankEntries];
    std::memcpy(before, RankTable, sizeof before);
    RankEntry e = Entry(0, p < kRankEntries ? 100000000u - 4000000u * static_cast<uint32_t>(p) : 3999999u);
    e.word[3] = 77;
    SetRankName(&e, "NEW");
    ASSERT_EQ(InsertRankEntry(&e), p);
    for (int i = 0; i < kRankEntries; ++i) {
      const RankEntry& want = i < p ? before[i] : i == p ? e : before[i - 1];
      EXPECT_EQ(std::memcmp(&RankTable[i], &want, sizeof want), 0) << "insert at " << p << ", place " << i;
    }
  }
  ResetRankTable();
}

TEST(RankTable, NamesPrintAtMostThreeCharactersOfTheFonts) {
  const struct {
    uint32_t word;
    const char* shown;
  } cases[] = {
      {0x0052534Fu, "OSR"},  // "OSR" and its zero byte
      {0x44434241u, "ABC"},  // no zero byte: three characters only
      {0x005A0161u, "  Z"},  // 'a' and 0x01 are not in the fonts
      {0x00420041u, "A"},    // ends at the zero byte
      {0x00000000u, ""},     {0x7E605F20u, " _ "},  // '_' is the fonts' last character
  };
  for (const auto& c : cases) {
    RankEntry e{};
    e.word[5] = c.word;
    char name[4];
    RankNameText(e, name);
    EXPECT_STREQ(name, c.shown) << std::hex << c.word;
  }
}

TEST(RankTable, PendingEntryClearedToBlanksKeepsItsLastByte) {
  PendingRankEntry.word[5] = 0x11414141u;
  for (int k = 0; k < 5; ++k) PendingRankEntry.word[k] = 9;
  ClearPendingRankEntry();
  EXPECT_EQ(PendingRankEntry.word[5], 0x11202020u);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(PendingRankEntry.word[k], 0u);
  // With score 0 it ranks below the defaults.
  ResetRankTable();
  EXPECT_EQ(FindRankPosition(&PendingRankEntry), 25);
  PendingRankEntry = RankEntry{};
}

}  // namespace
