#include "game/core/RankTable.h"

#include <cstdio>
#include <string>
#include <vector>

#include "game/core/Game.h"
#include "platform/byte_order.h"
#include "platform/paths.h"
#include "platform/file_io.h"

RankEntry RankTable[kRankEntries];
RankEntry PendingRankEntry;

namespace {
constexpr int kWords = 9;
constexpr int kEntryBytes = 4 * kWords;
constexpr int kNameWord = 5;
}  // namespace

void ResetRankTable() {
  for (int i = 0; i < kRankEntries; ++i) {
    RankEntry& e = RankTable[i];
    e.word[0] = 0;
    e.word[1] = 100000000u - 4000000u * static_cast<uint32_t>(i);
    e.word[2] = 0;
    e.word[4] = 0;
    SetRankName(&e, "OSR");
  }
}

uint8_t RankFileChecksum(const uint8_t* bytes, int32_t n) {
  uint8_t sum = 0;
  for (int32_t i = 0; i < n; ++i) sum = static_cast<uint8_t>(sum + bytes[i] + i % 5);
  return sum;
}

void EncodeRankFile(const RankEntry* table, uint8_t out[kRankFileSize]) {
  for (int i = 0; i < kRankEntries; ++i)
    for (int k = 0; k < kWords; ++k) plat::WriteLe32(out + kEntryBytes * i + 4 * k, table[i].word[k]);
  out[kRankTableBytes] = RankFileChecksum(out, kRankTableBytes);
  out[kRankTableBytes + 1] = out[kRankTableBytes + 2] = out[kRankTableBytes + 3] = 0;
}

bool DecodeRankFile(const uint8_t* bytes, size_t n, RankEntry* table) {
  if (n != kRankFileSize || RankFileChecksum(bytes, kRankTableBytes) != bytes[kRankTableBytes]) return false;
  for (int i = 0; i < kRankEntries; ++i)
    for (int k = 0; k < kWords; ++k) table[i].word[k] = plat::ReadLe32(bytes + kEntryBytes * i + 4 * k);
  return true;
}

void LoadRankFile() {
  const std::string path = plat::MapPath(kRankFileName);
  // A saved file is read where it stands, never through a link, and only a
  // regular file: anything else is a damaged file.
  std::vector<uint8_t> bytes;
  const plat::FileProblem problem = plat::ReadFile(path, kRankFileSize, &bytes, plat::Links::kRefuse);
  const char* what = nullptr;
  std::string size;
  if (problem != plat::FileProblem::kNone) {
    what = plat::DescribeFileProblem(problem);
  } else if (bytes.size() != kRankFileSize) {
    size = "holds " + std::to_string(bytes.size()) + " bytes, not " + std::to_string(kRankFileSize);
    what = size.c_str();
  } else if (!DecodeRankFile(bytes.data(), bytes.size(), RankTable)) {
    what = "fails its checksum";
  }
  if (what == nullptr) return;
  std::fprintf(stderr, "ranking file %s %s: using the default ranking\n", path.c_str(), what);
  ResetRankTable();
}

bool SaveRankFile() {
  uint8_t bytes[kRankFileSize];
  EncodeRankFile(RankTable, bytes);
  const plat::SaveResult saved = plat::ReplaceFile(plat::MapPath(kRankFileName), bytes, sizeof bytes);
  if (!saved) std::fprintf(stderr, "ranking not saved: %s\n", saved.why.c_str());
  return saved.ok;
}

bool DeleteRankFile(std::string* why) { return plat::RemoveFile(plat::MapPath(kRankFileName), why); }

int32_t FindRankPosition(const RankEntry* e) {
  for (int32_t i = 0; i < kRankEntries; ++i) {
    const RankEntry& t = RankTable[i];
    if (e->word[0] > t.word[0] || (e->word[0] == t.word[0] && e->word[1] >= t.word[1])) return i;
  }
  return kRankEntries;
}

int32_t InsertRankEntry(const RankEntry* e) {
  const int32_t p = FindRankPosition(e);
  if (p >= kRankEntries) return p;
  const RankEntry copy = *e;  // e may be an entry of the table itself
  for (int32_t i = kRankEntries - 1; i > p; --i) RankTable[i] = RankTable[i - 1];
  RankTable[p] = copy;
  return p;
}

void FillPendingRankEntry() {
  Game* g = GetGame();
  if (!g) return;
  RankEntry& e = PendingRankEntry;
  e.word[0] = g->record[REC_OVERFLOW];
  e.word[1] = g->record[REC_SCORE];
  e.word[2] = static_cast<uint32_t>(g->stage);
  e.word[3] = g->record[REC_BEST_CHAIN];
  e.word[4] = static_cast<uint32_t>(
      g->QueryStub(g->stage, static_cast<int32_t>(e.word[0]), static_cast<int32_t>(e.word[1])));
}

void ClearPendingRankEntry() {
  for (int k = 0; k < kNameWord; ++k) PendingRankEntry.word[k] = 0;
  uint32_t& name = PendingRankEntry.word[kNameWord];
  name = (name & 0xFF000000u) | 0x202020u;
}

void SetRankName(RankEntry* e, const char* name) {
  e->word[kNameWord] = static_cast<uint32_t>(static_cast<uint8_t>(name[0])) |
                       static_cast<uint32_t>(static_cast<uint8_t>(name[1])) << 8 |
                       static_cast<uint32_t>(static_cast<uint8_t>(name[2])) << 16;
}

void RankNameText(const RankEntry& e, char out[4]) {
  int n = 0;
  for (; n < 3; ++n) {
    const auto c = static_cast<uint8_t>(e.word[kNameWord] >> (8 * n));
    if (c == 0) break;
    out[n] = (c >= ' ' && c <= '_') ? static_cast<char>(c) : ' ';
  }
  out[n] = 0;
}
