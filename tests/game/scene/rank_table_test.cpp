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

std::string FileOf(const RankEntry* table, int delta = 0) {
  std::string bytes(904, '\0');
  for (int i = 0; i < kRankEntries; ++i)
    for (int k = 0; k < 9; ++k)
      for (int b = 0; b < 4; ++b) bytes[36 * i + 4 * k + b] = static_cast<char>(table[i].word[k] >> (8 * b));
  bytes[900] = static_cast<char>(RankFileChecksum(reinterpret_cast<const uint8_t*>(bytes.data()), 900) + delta);
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
  const uint8_t abc[3] = {0x61, 0x62, 0x63};
  EXPECT_EQ(RankFileChecksum(abc, 3), 0x29);
  EXPECT_EQ(RankFileChecksum(abc, 0), 0);
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
  std::string good = FileOf(table);
  good[902] = 'z';  // the fill bytes are not looked at
  ASSERT_TRUE(save.Dir().Write("OSR_RANK.dat", good));
  LoadRankFile();
  EXPECT_EQ(RankTable[0].word[1], 777u);
  EXPECT_EQ(RankTable[3].word[8], 42u);
  ResetRankTable();
}

}  // namespace
