// libFuzzer entry point: arbitrary bytes as the ranking file
// ("OSR_RANK.dat"). A file that decodes must encode back to the same 901
// bytes (the fill bytes are not kept), and printing its names stays within
// three characters of the fonts' range.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "game/core/RankTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RankEntry table[kRankEntries] = {};
  if (!DecodeRankFile(data, size, table)) return 0;
  uint8_t again[kRankFileSize];
  EncodeRankFile(table, again);
  if (std::memcmp(again, data, kRankTableBytes + 1) != 0) __builtin_trap();
  for (const RankEntry& e : table) {
    char name[4];
    RankNameText(e, name);
    const size_t n = std::strlen(name);
    if (n > 3) __builtin_trap();
    for (size_t i = 0; i < n; ++i)
      if (name[i] < ' ' || name[i] > '_') __builtin_trap();
  }
  return 0;
}
