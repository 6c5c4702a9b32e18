#pragma once
// The table of the 25 best plays and the ranking file "D:\OSR_RANK.dat"
// (904 bytes: 25 entries of 36 bytes, a checksum byte, 3 bytes to fill).
// Only what the game root and the test mode need is here so far: reset,
// load, the position search and the deletion of the file.
#include <cstdint>

struct RankEntry {
  uint32_t word[9];  // 0 overflow, 1 score, 2 stage, 3 record word, 4 rank value, 5 name
};

inline constexpr int kRankEntries = 25;
inline constexpr const char* kRankFileName = "D:\\OSR_RANK.dat";
extern RankEntry RankTable[kRankEntries];

// Default scores 100,000,000 down to 4,000,000, name "OSR".
void ResetRankTable();
// Reads the file into the table, or resets it when the file is unusable.
void LoadRankFile();
// Deletes the ranking file (the table in memory stays); false when no file
// was there to delete or it could not be removed.
bool DeleteRankFile();
// The place 0..24 that e would take, or 25 when it ranks below all.
int32_t FindRankPosition(const RankEntry* e);
// Sum modulo 256 of (byte i + i mod 5); 0 when n < 1.
uint8_t RankFileChecksum(const uint8_t* bytes, int32_t n);
