#pragma once
// The table of the 25 best plays and the ranking file "D:\OSR_RANK.dat"
// (904 bytes: 25 entries of 36 bytes, a checksum byte, 3 bytes to fill),
// and the entry of the play that has just ended.
#include <cstddef>
#include <cstdint>
#include <string>

struct RankEntry {
  // 0 score overflow count, 1 score below 1,000,000,000, 2 stage reached,
  // 3 the play's longest chain, 4 rank value, 5 the name (three characters
  // and a zero byte), 6-8 kept as they are.
  uint32_t word[9];
};

inline constexpr int kRankEntries = 25;
inline constexpr int kRankFileSize = 904;
inline constexpr int kRankTableBytes = 900;  // the checksum byte follows
inline constexpr const char* kRankFileName = "D:\\OSR_RANK.dat";

extern RankEntry RankTable[kRankEntries];
// The play that has just ended: filled where a play ends without a
// continue, named by the name entry, cleared by the ranking scene.
extern RankEntry PendingRankEntry;

// Default scores 100,000,000 down to 4,000,000, name "OSR"; words 3 and 6
// to 8 keep what they held.
void ResetRankTable();
// Reads the file into the table, or resets it when the file is missing, is
// anything but a regular file (a link, a pipe, a directory), is of another
// size than 904 bytes or fails its checksum; the reset is told in one line
// on standard error.
void LoadRankFile();
// Writes the table to the file through a temporary file renamed over the
// old one; false (the old file kept whole, one line on standard error) when
// the save failed.
bool SaveRankFile();
// Deletes the ranking file (the table in memory stays); false when no file
// was there to delete or it could not be removed, and then *why (when
// given) says what stopped it, or is empty when nothing was there. A
// directory of the name is never removed.
bool DeleteRankFile(std::string* why = nullptr);
// The place 0..24 that e would take, or 25 when it ranks below all; a
// score equal to a stored one ranks above it.
int32_t FindRankPosition(const RankEntry* e);
// Stores e at its place, moving the entries below down by one (the last is
// lost); the place, or 25 when e was not stored.
int32_t InsertRankEntry(const RankEntry* e);
// Sum modulo 256 of (byte i + i mod 5); 0 when n < 1.
uint8_t RankFileChecksum(const uint8_t* bytes, int32_t n);

// The file's bytes for a table: entries little-endian, the checksum, three
// zero bytes.
void EncodeRankFile(const RankEntry* table, uint8_t out[kRankFileSize]);
// The table held by a file's bytes; false (table untouched) unless there
// are exactly 904 bytes whose checksum matches. The fill bytes are ignored.
bool DecodeRankFile(const uint8_t* bytes, size_t n, RankEntry* table);

// Words 0 to 4 of PendingRankEntry from the game root: score overflow,
// score, stage, the play's longest chain and the rank value. The name stays.
void FillPendingRankEntry();
// Words 0 to 4 of PendingRankEntry 0, its name three blanks.
void ClearPendingRankEntry();

// The name word: the three characters of name (bytes in the file's order)
// and a zero byte.
void SetRankName(RankEntry* e, const char* name);
// The name of an entry as it is printed: at most three characters, ending
// at a zero byte, each character the fonts do not hold (outside ' ' to '_')
// shown as a blank. A file may hold any bytes in the name word.
void RankNameText(const RankEntry& e, char out[4]);
