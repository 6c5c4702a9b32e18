#include "vrax/io/SCacheArchive.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "tests/vrax/io/io_test_util.h"
#include "vrax/io/LoadBudget.h"
#include "vrax/io/SLzCodec.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t U32(const Bytes& b, size_t o) { return b[o] | b[o + 1] << 8 | b[o + 2] << 16 | b[o + 3] << 24; }

Bytes Repeat(const std::string& s, int n) {
  Bytes b;
  for (int i = 0; i < n; ++i) b.insert(b.end(), s.begin(), s.end());
  return b;
}

Bytes Noise(size_t n) {
  Bytes b(n);
  uint32_t s = 99;
  for (auto& x : b) x = static_cast<uint8_t>((s = s * 1664525u + 1013904223u) >> 24);
  return b;
}

struct ArchiveFixture : ::testing::Test {
  IoTempDir dir;
  SCacheArchive cache;
  void SetUp() override {
    cache.Init(16777216, 1);
    cache.SetParams(2, 524288, 1.0f);
  }
  std::string Path(const std::string& n) const { return dir.path + "/" + n; }
};

TEST_F(ArchiveFixture, SavedBytesFollowTheLayout) {
  Bytes text = Repeat("resource data ", 50);
  Bytes noise = Noise(200);
  ASSERT_EQ(cache.Add("\\common\\a.tr", text.data(), static_cast<uint32_t>(text.size())), 0);
  ASSERT_EQ(cache.Add("\\common\\n.bin", noise.data(), static_cast<uint32_t>(noise.size())), 0);
  ASSERT_EQ(cache.Save(Path("logo")), 0);
  Bytes f = dir.Read("logo.sca");
  ASSERT_GE(f.size(), 28u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(f.data()), 20), std::string("VRAX CACHE ARCHIVE\0\0", 20));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(f.data()) + 20, 4), "1001");
  EXPECT_EQ(U32(f, 24), 2u);
  // First entry: name, size, packed flag 1, LZ block of level 2.
  EXPECT_STREQ(reinterpret_cast<char*>(f.data()) + 28, "\\common\\a.tr");
  uint32_t size0 = U32(f, 28 + 128);
  EXPECT_EQ(f[28 + 132], 1);
  EXPECT_LT(size0, text.size());
  EXPECT_EQ(f[28 + 136 + 2], 2) << "block level";
  EXPECT_EQ(U32(f, 28 + 136 + 16), text.size());
  // Second entry: incompressible, stored raw.
  size_t e1 = 28 + 136 + size0;
  EXPECT_STREQ(reinterpret_cast<char*>(f.data()) + e1, "\\common\\n.bin");
  EXPECT_EQ(U32(f, e1 + 128), 200u);
  EXPECT_EQ(f[e1 + 132], 0);
  EXPECT_EQ(Bytes(f.begin() + e1 + 136, f.end()), noise);

  SCacheArchive back;
  back.Init(16777216, 1);
  ASSERT_EQ(back.Load(Path("logo")), 0);
  uint32_t sz = 0;
  ASSERT_EQ(back.GetSize("\\common\\a.tr", &sz), 0);
  EXPECT_EQ(sz, text.size());
  Bytes out(sz);
  ASSERT_EQ(back.Lookup("\\common\\a.tr", out.data(), out.size()), 0);
  EXPECT_EQ(out, text);
  EXPECT_EQ(back.Lookup("\\common\\a.tr", out.data(), out.size() - 1), -1) << "does not fit";
  EXPECT_EQ(back.GetSize("missing", &sz), -1);
  EXPECT_EQ(sz, 0u);
}

// An entry of no bytes is saved as a size of 0 and nothing behind it (no
// write from a buffer that does not exist), and loads back.
TEST_F(ArchiveFixture, AnEmptyEntrySavesAndLoadsBack) {
  const Bytes text = Repeat("abc", 3);
  ASSERT_EQ(cache.Add("empty", nullptr, 0), 0);
  ASSERT_EQ(cache.Add("text", text.data(), static_cast<uint32_t>(text.size())), 0);
  ASSERT_EQ(cache.Save(Path("e")), 0);
  const Bytes f = dir.Read("e.sca");
  ASSERT_EQ(f.size(), 28u + 136u + 136u + text.size());
  EXPECT_EQ(U32(f, 28 + 128), 0u);
  SCacheArchive back;
  back.Init(16777216, 1);
  ASSERT_EQ(back.Load(Path("e")), 0);
  uint32_t sz = 9;
  ASSERT_EQ(back.GetSize("empty", &sz), 0);
  EXPECT_EQ(sz, 0u);
  ASSERT_EQ(back.GetSize("text", &sz), 0);
  EXPECT_EQ(sz, text.size());
}

TEST_F(ArchiveFixture, AddRules) {
  Bytes one = Repeat("first ", 20), two = Repeat("second ", 20);
  EXPECT_EQ(cache.Add("n", one.data(), 120), 0);
  EXPECT_EQ(cache.Add("n", two.data(), 140), 0);
  Bytes out(120);
  ASSERT_EQ(cache.Lookup("n", out.data(), out.size()), 0);
  EXPECT_EQ(out, one) << "an existing name is not replaced";
  // Above the threshold: raw without an attempt.
  uint8_t packed = 9;
  cache.SetParams(2, 100, 1.0f);
  cache.Add("big", two.data(), 140);
  cache.EntryData("big", &packed);
  EXPECT_EQ(packed, 0);
  packed = 9;
  cache.SetParams(0, 0, 1.0f);  // level 0 stores raw
  cache.Add("raw", one.data(), 120);
  cache.EntryData("raw", &packed);
  EXPECT_EQ(packed, 0);
  // Names that do not fit the 128-byte field are not cached.
  std::string longName(128, 'x');
  EXPECT_EQ(cache.Add(longName, one.data(), 10), -1);
  EXPECT_FALSE(cache.Contains(longName));
  EXPECT_EQ(cache.Add(std::string(127, 'y'), one.data(), 10), 0);
  // Capacity: per entry and in total, where an entry also takes its
  // bookkeeping (384 bytes and its name twice: 386 for a name of one
  // letter): 60 + 386 fit a pool of 500, twice that does not.
  SCacheArchive small;
  small.Init(500, 0);
  const Bytes wide(501, 'w');
  EXPECT_EQ(small.Add("a", wide.data(), 501), -1);
  EXPECT_EQ(small.AddEntry("b", one.data(), 60, 0), 0);
  EXPECT_EQ(small.ChargedBytes(), 446u);
  EXPECT_EQ(small.AddEntry("c", one.data(), 60, 0), -1) << "pool full";
  EXPECT_EQ(small.EntryCount(), 1u);
  EXPECT_EQ(small.UsedBytes(), 60u);
  // A file whose raw bytes and bookkeeping do not fit, but its LZ block
  // does, is packed at once and kept.
  SCacheArchive tight;
  tight.Init(1200, 1);
  tight.SetParams(2, 0, 1.0f);
  const Bytes run(1000, 'r');
  EXPECT_EQ(tight.Add("r", run.data(), 1000), 0);
  uint8_t tightPacked = 9;
  ASSERT_NE(tight.EntryData("r", &tightPacked), nullptr);
  EXPECT_EQ(tightPacked, 1);
  // An entry that leaves the pool again (its block, chosen under a ratio
  // limit above 1, no longer fits) takes its bookkeeping with it.
  const Bytes noise = Noise(1000);
  SLzCodec lz;
  ASSERT_EQ(lz.Compress(noise.data(), 1000, 2), 0);
  ASSERT_GT(lz.GetPackedSize(), 1000u);
  SCacheArchive leaves;
  leaves.Init(1000 + 386 + (lz.GetPackedSize() - 1000) / 2, 1);
  leaves.SetParams(2, 0, 2.0f);
  EXPECT_EQ(leaves.Add("n", noise.data(), 1000), 0);
  EXPECT_EQ(leaves.EntryCount(), 0u);
  EXPECT_EQ(leaves.ChargedBytes(), 0u);
}

// Entries of no bytes are charged like any other: an archive of 100,000
// of them (a damaged one took 800 MB and a frame of two seconds with
// 1.9 million) fills a pool of 38,599 bytes with 96 of them (384 + 2 x 7
// bytes each for names of seven letters: 38,208), leaves the rest out and
// still loads; what is left takes an entry of 5 bytes, not one of 10.
TEST_F(ArchiveFixture, EmptyEntriesAreChargedAgainstThePool) {
  Bytes f(28, 0);
  std::memcpy(f.data(), "VRAX CACHE ARCHIVE", 18);
  std::memcpy(f.data() + 20, "1001", 4);
  const uint32_t n = 100000;
  f[24] = uint8_t(n), f[25] = uint8_t(n >> 8), f[26] = uint8_t(n >> 16);
  f.reserve(28 + size_t(n) * 136);
  for (uint32_t i = 0; i < n; ++i) {
    char name[128] = {};
    std::snprintf(name, sizeof name, "e%06u", i);
    f.insert(f.end(), name, name + 128);
    f.insert(f.end(), 8, 0);
  }
  SCacheArchive c;
  c.Init(38599, 1);
  ASSERT_EQ(c.LoadFromMemory(f.data(), f.size()), 0);
  EXPECT_EQ(c.EntryCount(), 96u);
  EXPECT_EQ(c.ChargedBytes(), 96u * 398u);
  EXPECT_EQ(c.UsedBytes(), 0u);
  EXPECT_TRUE(c.Contains("e000095"));
  EXPECT_FALSE(c.Contains("e000096"));
  // 38,208 + 10 + 386 pass 38,599; 38,208 + 5 + 386 do not.
  const Bytes ten(10, 't');
  EXPECT_EQ(c.AddEntry("x", ten.data(), 10, 0), -1);
  EXPECT_EQ(c.AddEntry("y", ten.data(), 5, 0), 0);
  EXPECT_EQ(c.ChargedBytes(), 38599u);
  // Added one by one the same way.
  SCacheArchive d;
  d.Init(38599, 1);
  int added = 0;
  for (uint32_t i = 0; i < 200; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "e%06u", i);
    added += d.Add(name, nullptr, 0) == 0;
  }
  EXPECT_EQ(added, 96);
  EXPECT_EQ(d.ChargedBytes(), 96u * 398u);
}

// Files are packed on a worker thread; what the cache answers meanwhile and
// what it holds afterwards are what packing at once gives.
TEST_F(ArchiveFixture, PackingInTheBackgroundKeepsTheCacheAsIfPackedAtOnce) {
  const Bytes text = Repeat("resource data ", 2000);  // 28,000 bytes that pack well
  const Bytes noise = Noise(5000);                    // does not pack: stays raw
  SLzCodec lz;
  ASSERT_EQ(lz.Compress(text.data(), static_cast<uint32_t>(text.size()), 2), 0);
  const Bytes block(lz.GetPackedData(), lz.GetPackedData() + lz.GetPackedSize());
  ASSERT_LT(block.size(), 2000u);

  // While packing: listed, its size known, its bytes served.
  ASSERT_EQ(cache.Add("\\a\\text.tr", text.data(), static_cast<uint32_t>(text.size())), 0);
  EXPECT_EQ(cache.PackingCount(), 1u);
  EXPECT_TRUE(cache.Contains("\\a\\text.tr"));
  uint32_t size = 0;
  ASSERT_EQ(cache.GetSize("\\a\\text.tr", &size), 0);
  EXPECT_EQ(size, text.size());
  Bytes out(size);
  ASSERT_EQ(cache.Lookup("\\a\\text.tr", out.data(), out.size()), 0);
  EXPECT_EQ(out, text);
  EXPECT_EQ(cache.PackingCount(), 1u) << "serving the file did not wait for its pack";

  // Polling takes the block once the worker is done (a generous bound for a
  // busy machine).
  for (int i = 0; i < 60000 && cache.PackingCount() > 0; ++i) {
    cache.Poll();
    if (cache.PackingCount() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(cache.PackingCount(), 0u);
  uint8_t packed = 9;
  const Bytes* held = cache.EntryData("\\a\\text.tr", &packed);
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(packed, 1);
  EXPECT_EQ(*held, block);

  // Removed while it packs (or before a frame took its block), a file leaves
  // nothing listed, packing or charged.
  const uint64_t charged = LoadedTotal().Used();
  ASSERT_EQ(cache.Add("\\a\\again.tr", text.data(), static_cast<uint32_t>(text.size())), 0);
  cache.Remove("\\a\\again.tr");
  EXPECT_FALSE(cache.Contains("\\a\\again.tr"));
  EXPECT_EQ(cache.PackingCount(), 0u);
  EXPECT_EQ(LoadedTotal().Used(), charged);
  EXPECT_EQ(cache.EntryCount(), 1u);

  // The pool counts a file still packing at its raw size; a file that fits
  // only beside the packed block is still taken, as with packing at once:
  // 28,000 + 5,000 bytes exceed the 30,000 of the pool, the block and the
  // 5,000 do not.
  SCacheArchive small;
  small.Init(30000, 1);
  small.SetParams(2, 0, 1.0f);
  ASSERT_EQ(small.Add("t", text.data(), static_cast<uint32_t>(text.size())), 0);
  EXPECT_EQ(small.Add("n", noise.data(), static_cast<uint32_t>(noise.size())), 0);
  EXPECT_EQ(small.EntryCount(), 2u);
  EXPECT_EQ(small.UsedBytes(), block.size() + noise.size());
  // Saved in the order of adding, each in its final form.
  ASSERT_EQ(small.Save(Path("bg")), 0);
  const Bytes f = dir.Read("bg.sca");
  ASSERT_EQ(f.size(), 28 + 136 + block.size() + 136 + noise.size());
  EXPECT_EQ(U32(f, 24), 2u);
  EXPECT_STREQ(reinterpret_cast<const char*>(f.data()) + 28, "t");
  EXPECT_EQ(f[28 + 132], 1);
  EXPECT_EQ(Bytes(f.begin() + 28 + 136, f.begin() + 28 + 136 + long(block.size())), block);
  const size_t e1 = 28 + 136 + block.size();
  EXPECT_STREQ(reinterpret_cast<const char*>(f.data()) + e1, "n");
  EXPECT_EQ(f[e1 + 132], 0);
  EXPECT_EQ(Bytes(f.begin() + long(e1) + 136, f.end()), noise);
}

// What the pool holds is charged to the shared total while it is held:
// each entry its stored bytes, 384 of bookkeeping and its name twice, and a
// block being packed its entry's raw size besides until a frame takes it
// (one the total cannot take leaves its entry raw). An entry the total
// cannot take is not cached; an archive file is held whole while it loads,
// and the archive Save builds while it is written: one the total cannot
// take does not load or save. Clearing the cache or ending it, with a pack
// under way, gives everything back.
TEST_F(ArchiveFixture, WhatThePoolHoldsIsChargedToTheSharedTotal) {
  LoadTotal& total = LoadedTotal();
  const struct Restore {
    uint64_t limit = LoadedTotal().Limit();
    ~Restore() { LoadedTotal().SetLimit(limit); }
  } restore;
  const uint64_t before = total.Used();
  const Bytes text = Repeat("resource data ", 2000);  // 28,000 bytes that pack well
  const Bytes noise = Noise(5000);                    // stays raw
  SLzCodec lz;
  ASSERT_EQ(lz.Compress(text.data(), static_cast<uint32_t>(text.size()), 2), 0);
  const uint64_t block = lz.GetPackedSize();
  const uint64_t entry = 384 + 2;  // bookkeeping and a one-letter name twice
  auto settle = [](SCacheArchive& c) {
    for (int i = 0; i < 60000 && c.PackingCount() > 0; ++i) {
      c.Poll();
      if (c.PackingCount() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(c.PackingCount(), 0u);
  };
  {
    SCacheArchive c;
    c.Init(1u << 24, 1);
    c.SetParams(2, 0, 1.0f);
    ASSERT_EQ(c.Add("t", text.data(), 28000), 0);
    ASSERT_EQ(c.Add("n", noise.data(), 5000), 0);
    EXPECT_EQ(total.Used(), before + (28000 + entry + 28000) + (5000 + entry + 5000));
    settle(c);
    const uint64_t pool = block + entry + 5000 + entry;
    EXPECT_EQ(total.Used(), before + pool);

    const uint64_t archive = 28 + 136 + block + 136 + 5000;
    total.SetLimit(before + pool + archive - 1);
    EXPECT_EQ(c.Save(Path("p")), -1);
    EXPECT_FALSE(c.Exists(Path("p")));
    total.SetLimit(before + pool + archive);
    ASSERT_EQ(c.Save(Path("p")), 0);
    EXPECT_EQ(dir.Read("p.sca").size(), archive);
    EXPECT_EQ(total.Used(), before + pool);

    const Bytes ten(10, 't');
    total.SetLimit(before + pool + 10 + entry - 1);
    EXPECT_EQ(c.AddEntry("x", ten.data(), 10, 0), -1);
    EXPECT_FALSE(c.Contains("x"));
    EXPECT_EQ(total.Used(), before + pool);
    total.SetLimit(before + pool + 10 + entry);
    EXPECT_EQ(c.AddEntry("x", ten.data(), 10, 0), 0);
    c.Clear();
    EXPECT_EQ(total.Used(), before);

    total.SetLimit(before + archive - 1);
    EXPECT_EQ(c.Load(Path("p")), -1);
    EXPECT_EQ(c.EntryCount(), 0u);
    EXPECT_EQ(total.Used(), before);
    total.SetLimit(before + archive + pool);
    ASSERT_EQ(c.Load(Path("p")), 0);
    EXPECT_EQ(c.EntryCount(), 2u);
    EXPECT_EQ(total.Used(), before + pool);

    c.Clear();
    total.SetLimit(before + 28000 + entry + 27999);
    ASSERT_EQ(c.Add("t", text.data(), 28000), 0);
    EXPECT_EQ(c.PackingCount(), 0u);
    uint8_t packed = 9;
    ASSERT_NE(c.EntryData("t", &packed), nullptr);
    EXPECT_EQ(packed, 0);
    EXPECT_EQ(total.Used(), before + 28000 + entry);
    total.SetLimit(restore.limit);
    ASSERT_EQ(c.Add("u", text.data(), 28000), 0);
    EXPECT_EQ(c.PackingCount(), 1u);
  }
  EXPECT_EQ(total.Used(), before);
}

TEST_F(ArchiveFixture, DamagedOrForeignArchivesAreRefused) {
  Bytes text = Repeat("abcdefgh", 40);
  cache.Add("x", text.data(), static_cast<uint32_t>(text.size()));
  cache.Add("y", text.data(), 64);
  ASSERT_EQ(cache.Save(Path("ok")), 0);
  Bytes good = dir.Read("ok.sca");
  auto loadBytes = [&](const Bytes& b) {
    SCacheArchive c;
    c.Init(16777216, 1);
    return c.LoadFromMemory(b.data(), b.size());
  };
  ASSERT_EQ(loadBytes(good), 0);
  ASSERT_EQ(good[28 + 132], 1);  // the first entry is packed
  const struct {
    const char* what;
    void (*change)(Bytes&);
  } cases[] = {
      {"version", [](Bytes& b) { b[23] = '2'; }},
      {"magic", [](Bytes& b) { b[0] = 'v'; }},
      {"truncated data", [](Bytes& b) { b.pop_back(); }},
      {"name without terminator", [](Bytes& b) { std::memset(b.data() + 28, 'n', 128); }},
      {"size beyond the file", [](Bytes& b) { b[28 + 131] = 0x7F; }},
      {"unknown flag", [](Bytes& b) { b[28 + 132] = 2; }},
      {"count beyond the entries", [](Bytes& b) { b[24] = 200; }},
  };
  for (const auto& c : cases) {
    Bytes b = good;
    c.change(b);
    EXPECT_EQ(loadBytes(b), -1) << c.what;
  }
  {
    // An entry the cache refuses is left out; the entries after it load.
    Bytes bad = good;
    bad[28 + 136] = 7;  // the first entry's LZ block header
    SCacheArchive c;
    c.Init(16777216, 1);
    EXPECT_EQ(c.LoadFromMemory(bad.data(), bad.size()), 0);
    EXPECT_FALSE(c.Contains("x"));
    EXPECT_TRUE(c.Contains("y"));
    // A pool one byte smaller than the first entry: that entry stays out.
    const uint32_t xSize = U32(good, 28 + 128);
    SCacheArchive small;
    small.Init(xSize - 1, 1);
    EXPECT_EQ(small.LoadFromMemory(good.data(), good.size()), 0);
    EXPECT_FALSE(small.Contains("x"));
  }
  Bytes b = good;
  std::memset(b.data() + 24, 0, 4);
  b.resize(28);
  SCacheArchive c;
  c.Init(1000, 0);
  EXPECT_EQ(c.LoadFromMemory(b.data(), b.size()), 0);
  EXPECT_EQ(c.EntryCount(), 0u) << "count 0 loads nothing";
  EXPECT_EQ(cache.Load(Path("absent")), -1);
  EXPECT_FALSE(cache.Exists(Path("absent")));
}

}  // namespace
