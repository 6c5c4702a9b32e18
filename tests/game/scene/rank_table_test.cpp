#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/scene/RankTable.h"
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
  for (const std::string& bad : {FileOf(table, 1), FileOf(table).substr(0, 903), FileOf(table) + "x"}) {
    ASSERT_TRUE(save.Dir().Write("OSR_RANK.dat", bad));
    RankTable[0].word[1] = 1;
    LoadRankFile();
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
  LoadRankFile();
  EXPECT_EQ(RankTable[0].word[1], 777u);
  EXPECT_EQ(RankTable[3].word[8], 42u);
  ResetRankTable();
}

}  // namespace
