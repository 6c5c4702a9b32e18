#include "game/scene/RankTable.h"

#include <cstdio>
#include <cstring>

#include "platform/paths.h"

RankEntry RankTable[kRankEntries];

namespace {
constexpr int kFileSize = 904;
constexpr int kTableBytes = 900;
}  // namespace

void ResetRankTable() {
  for (int i = 0; i < kRankEntries; ++i) {
    RankEntry& e = RankTable[i];
    e.word[0] = 0;
    e.word[1] = 100000000u - 4000000u * static_cast<uint32_t>(i);
    e.word[2] = 0;
    e.word[4] = 0;
    const uint8_t name[4] = {'O', 'S', 'R', 0};
    std::memcpy(&e.word[5], name, 4);
  }
}

uint8_t RankFileChecksum(const uint8_t* bytes, int32_t n) {
  uint8_t sum = 0;
  for (int32_t i = 0; i < n; ++i) sum = static_cast<uint8_t>(sum + bytes[i] + i % 5);
  return sum;
}

void LoadRankFile() {
  std::FILE* f = std::fopen(plat::MapPath(kRankFileName).c_str(), "rb");
  if (!f) {
    ResetRankTable();
    return;
  }
  uint8_t buffer[kFileSize + 1];
  const size_t got = std::fread(buffer, 1, sizeof buffer, f);
  std::fclose(f);
  if (got != kFileSize || RankFileChecksum(buffer, kTableBytes) != buffer[kTableBytes]) {
    ResetRankTable();
    return;
  }
  for (int i = 0; i < kRankEntries; ++i)
    for (int k = 0; k < 9; ++k) {
      const uint8_t* p = buffer + 36 * i + 4 * k;
      RankTable[i].word[k] = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                             static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
    }
}

bool DeleteRankFile() { return std::remove(plat::MapPath(kRankFileName).c_str()) == 0; }

int32_t FindRankPosition(const RankEntry* e) {
  for (int32_t i = 0; i < kRankEntries; ++i) {
    const RankEntry& t = RankTable[i];
    if (e->word[0] > t.word[0] || (e->word[0] == t.word[0] && e->word[1] >= t.word[1])) return i;
  }
  return kRankEntries;
}
