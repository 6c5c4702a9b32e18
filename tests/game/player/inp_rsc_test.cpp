// The ".inp" input records: the file layout, loading through the resource
// manager, and damaged files.
#include "game/player/InpRsc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/player/Player.h"
#include "support/EngineWorld.h"
#include "support/TempDir.h"
#include "vrax/io/LoadBudget.h"

namespace {

constexpr uint32_t kInp = RscTag("INP");

std::string Str(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

// n records, record k filled with the byte k + 1.
std::vector<uint8_t> Records(int n) {
  std::vector<uint8_t> r;
  for (int k = 0; k < n; ++k) r.insert(r.end(), 32, static_cast<uint8_t>(k + 1));
  return r;
}

TEST(InpFile, CountThenThirtyTwoByteRecords) {
  const std::vector<uint8_t> file = InpRsc::Write(Records(2));
  ASSERT_EQ(file.size(), 4u + 64u);
  EXPECT_EQ((std::vector<uint8_t>(file.begin(), file.begin() + 5)), (std::vector<uint8_t>{2, 0, 0, 0, 1}));
  EXPECT_EQ(file[4 + 32], 2);
  std::vector<uint8_t> back;
  ASSERT_TRUE(InpRsc::Parse(file.data(), file.size(), &back));
  EXPECT_EQ(back, Records(2));
  // A count beyond the bytes, or no count at all, is refused.
  const uint8_t claims3[] = {3, 0, 0, 0};
  EXPECT_FALSE(InpRsc::Parse(claims3, sizeof claims3, &back));
  EXPECT_TRUE(back.empty());
  const uint8_t huge[] = {0xFF, 0xFF, 0xFF, 0xFF, 0};
  EXPECT_FALSE(InpRsc::Parse(huge, sizeof huge, &back));
  EXPECT_FALSE(InpRsc::Parse(claims3, 3, &back));
  // Extra bytes after the records are not records.
  std::vector<uint8_t> longer = file;
  longer.push_back(9);
  ASSERT_TRUE(InpRsc::Parse(longer.data(), longer.size(), &back));
  EXPECT_EQ(back.size(), 64u);
}

class InpWorld : public testsupport::EngineWorld {
 protected:
  void SetUp() override {
    EngineWorld::SetUp();
    rm.RegisterKind(kInp, &InpRsc::Create);
  }
  InpRsc* Load(const char* path) {
    SRsc* r = rm.CreateResource(0, kInp, path, 0, 0, 0, 0);
    EXPECT_NE(r, nullptr);
    EXPECT_EQ(rm.Sync(1), 1);
    return static_cast<InpRsc*>(r);
  }

  testsupport::TempDir dir{"inp"};
  testsupport::ScopedDataDir data{dir.Path()};
};

TEST_F(InpWorld, LoadsRecordsAndTheEmptyFile) {
  ASSERT_TRUE(dir.Write("p/three.inp", Str(InpRsc::Write(Records(3)))));
  ASSERT_TRUE(dir.Write("p/none.inp", Str(InpRsc::Write({}))));
  const uint64_t base = LoadedTotal().Used();
  InpRsc* three = Load("\\p\\three");
  InpRsc* none = Load("\\p\\none");
  // Ready, the files are freed and the records alone are held: one block
  // of 3 x 32 bytes with the allocator's header, none for no records.
  EXPECT_EQ(LoadedTotal().Used(), base + 3 * 32 + 16);
  ASSERT_EQ(three->GetStatus(), kRscReady);
  EXPECT_EQ(three->RecordCount(), 3);
  EXPECT_EQ(three->Records(), Records(3));
  EXPECT_EQ(none->GetStatus(), kRscReady);
  EXPECT_EQ(none->RecordCount(), 0);
  EXPECT_EQ(box.Count("resource open error"), 0);
  // The Player copies them into its own array.
  Player p;
  p.recordCursor = 5;
  p.TakeInputRecords(three->Records());
  EXPECT_EQ(p.inputRecords, Records(3));
  EXPECT_EQ(p.recordCursor, 0);
}

// With the cache on, the damaged files leave it and no archive is saved.
TEST_F(InpWorld, MissingShortOrDamagedFilesFailWithOneMessageEach) {
  io.SetCacheMode(2, 1u << 24, 0, 0);
  std::vector<uint8_t> cut = InpRsc::Write(Records(4));
  cut.resize(cut.size() - 1);
  ASSERT_TRUE(dir.Write("p/cut.inp", Str(cut)));
  ASSERT_TRUE(dir.Write("p/tiny.inp", "\x01\x00"));
  const uint64_t base = LoadedTotal().Used();
  InpRsc* cutRsc = Load("\\p\\cut");
  InpRsc* tiny = Load("\\p\\tiny");
  InpRsc* missing = Load("\\p\\missing");
  for (InpRsc* r : {cutRsc, tiny, missing}) {
    EXPECT_EQ(r->GetStatus(), kRscFailed);
    EXPECT_EQ(r->GetStep(), -1);
    EXPECT_EQ(r->RecordCount(), 0);
  }
  EXPECT_EQ(box.Count(".\\Game\\Player.cpp(1339) : resource open error"), 3);
  EXPECT_EQ(LoadedTotal().Used(), base) << "failed, nothing is held";
  EXPECT_FALSE(io.Cache().Contains("\\p\\cut.inp") || io.Cache().Contains("\\p\\tiny.inp"));
  EXPECT_EQ(io.CacheSave("cache/p"), -1);
}

}  // namespace
