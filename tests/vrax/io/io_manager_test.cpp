#include "vrax/io/SIOMan.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/vrax/io/io_test_util.h"
#include "vrax/io/LoadBudget.h"
#include "vrax/kernel/SKernel.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Text(int n, char seed) {
  Bytes b;
  for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(seed + (i % 7)));
  return b;
}

int Load(SFile& f, const char* name) {
  f.SetName(name);
  return f.Load();
}

// A started kernel with the I/O manager added the way the start-up does.
struct IoFixture : ::testing::Test {
  IoTempDir dir;
  SKernel kernel;
  SIOMan io;
  ErrorBoxCatcher box;

  void SetUp() override {
    ASSERT_EQ(kernel.Start(), 0);
    ASSERT_EQ(kernel.AddChild(0, &io, 0), 0);
    io.SetDataPath((dir.path + "/").c_str());
    kernel.Step();  // first frame: nothing runs
  }
  void TearDown() override {
    kernel.Kill(0);
    kernel.Dispose();
  }
};

TEST_F(IoFixture, OneFilePerFrameReadThenCompleted) {
  EXPECT_EQ(SIOMan::GetInstance(), &io);
  EXPECT_EQ(io.GetName(), "VRAX I/O Manager");
  EXPECT_EQ(kernel.GetList(3)->Head(), &io) << "takes the front of list 3";
  EXPECT_TRUE(io.GetStreamFlag());
  dir.Write("a.bin", Text(100, 'a'));
  dir.Write("b.bin", Text(50, 'b'));
  SFile a, b;
  ASSERT_EQ(Load(a, "a.bin"), 0);
  ASSERT_EQ(Load(b, "b.bin"), 0);
  EXPECT_EQ(a.GetState(), SFile::STATE_QUEUED);
  std::vector<std::pair<int, int>> states;
  for (int f = 0; f < 5; ++f) {
    kernel.Step();
    states.emplace_back(a.GetState(), b.GetState());
  }
  EXPECT_EQ(states, (std::vector<std::pair<int, int>>{{3, 2}, {1, 2}, {1, 3}, {1, 1}, {1, 1}}));
  EXPECT_EQ(a.GetSize(), 100u);
  EXPECT_EQ(a.GetCapacity(), 100u) << "the manager's buffer holds exactly the file";
  EXPECT_EQ(Bytes(static_cast<uint8_t*>(a.GetData()), static_cast<uint8_t*>(a.GetData()) + 100), Text(100, 'a'));
  EXPECT_TRUE(io.Flush(false));
  EXPECT_TRUE(box.texts.empty());
}

TEST_F(IoFixture, FailuresShowTheirMessageAndMarkTheFile) {
  dir.Write("empty.bin", {});
  dir.Write("x.bin", Text(10, 'x'));
  SFile missing, empty, busy, noname;
  EXPECT_EQ(noname.Load(), -1);
  Load(missing, "none.bin");
  Load(empty, "empty.bin");
  Load(busy, "x.bin");
  EXPECT_EQ(busy.Load(), -5);
  EXPECT_EQ(busy.GetState(), SFile::STATE_FAILED);
  kernel.Step();
  EXPECT_EQ(missing.GetState(), SFile::STATE_FAILED);
  EXPECT_EQ(io.GetLastError(), -1);
  kernel.Step();
  EXPECT_EQ(empty.GetState(), SFile::STATE_FAILED) << "zero length counts as missing";
  kernel.Step();  // the busy-failed request is passed over
  EXPECT_EQ(busy.GetState(), SFile::STATE_FAILED);
  EXPECT_TRUE(io.Flush(false));
  const std::string managerOpen = "Vrax\\Io\\SIOMan(136) : file open error\n";
  EXPECT_EQ(box.texts, (std::vector<std::string>{"Vrax\\Io\\SFile(48) : file open error\n",
                                                 "Vrax\\Io\\SFile(42) : file busy error\n", managerOpen, managerOpen}));
  // A failed file may be loaded again.
  EXPECT_EQ(busy.Load(), 0);
  for (int i = 0; i < 2; ++i) kernel.Step();
  EXPECT_EQ(busy.GetState(), SFile::STATE_DONE);
}

TEST_F(IoFixture, CallerBufferCapacityIsHonoured) {
  dir.Write("big.bin", Text(64, 'q'));
  Bytes small(16, 0), fits(64, 0);
  SFile f;
  f.SetData(small.data(), static_cast<uint32_t>(small.size()));
  Load(f, "big.bin");
  kernel.Step();
  EXPECT_EQ(f.GetState(), SFile::STATE_FAILED);
  EXPECT_EQ(small, Bytes(16, 0)) << "nothing written into the short buffer";
  EXPECT_EQ(box.texts.back(), "Vrax\\Io\\SIOMan(150) : file read error\n");
  f.SetData(fits.data(), static_cast<uint32_t>(fits.size()));
  f.Load();
  io.Flush(true);
  EXPECT_EQ(f.GetState(), SFile::STATE_DONE);
  EXPECT_EQ(fits, Text(64, 'q'));
  // A request reused for a larger file gets a larger buffer of the manager's.
  dir.Write("small.bin", Text(8, 's'));
  SFile g;
  Load(g, "small.bin");
  io.Flush(true);
  Load(g, "big.bin");
  io.Flush(true);
  EXPECT_EQ(g.GetState(), SFile::STATE_DONE);
  EXPECT_EQ(g.GetSize(), 64u);
}

TEST_F(IoFixture, CachedFilesCompleteInTheirFrameAndArchiveRoundTrips) {
  io.SetCacheMode(2, 16777216, 2, 524288);
  EXPECT_EQ(io.Cache().Mode(), 1);
  dir.Write("common/a.tr", Text(3000, 'a'));
  dir.Write("common/b.tr", Text(40, 'b'));
  EXPECT_EQ(io.CacheLoad("cache/common"), -1) << "no archive yet";
  io.CacheClear();
  SFile a, b;
  Load(a, "common/a.tr");
  Load(b, "common/b.tr");
  EXPECT_TRUE(io.Flush(true));
  ASSERT_EQ(a.GetState(), SFile::STATE_DONE);
  ASSERT_EQ(io.CacheSave("cache/common"), 0);
  EXPECT_TRUE(io.CacheExists("cache/common"));
  // Remove the sources: a later run is served from the archive alone.
  std::filesystem::remove_all(dir.path + "/common");
  io.CacheClear();
  ASSERT_EQ(io.CacheLoad("cache/common"), 0);
  SFile a2, b2;
  Load(a2, "common/a.tr");
  Load(b2, "common/b.tr");
  kernel.Step();
  EXPECT_EQ(a2.GetState(), SFile::STATE_DONE) << "done in the frame it is handled";
  EXPECT_EQ(b2.GetState(), SFile::STATE_QUEUED);
  kernel.Step();
  EXPECT_EQ(b2.GetState(), SFile::STATE_DONE);
  EXPECT_EQ(a2.GetSize(), 3000u);
  EXPECT_EQ(a2.GetCapacity(), 3000u) << "a cache hit allocates the cached size";
  const uint8_t* d = static_cast<const uint8_t*>(a2.GetData());
  EXPECT_EQ(Bytes(d, d + 3000), Text(3000, 'a'));
  // A caller buffer too small for the cached file fails cleanly.
  Bytes small(100);
  SFile a3;
  a3.SetData(small.data(), 100);
  Load(a3, "common/a.tr");
  kernel.Step();
  EXPECT_EQ(a3.GetState(), SFile::STATE_FAILED);
  EXPECT_TRUE(box.texts.size() == 1);
}

TEST_F(IoFixture, StreamFlagClearReadsAndCompletesInOnePassAndCancel) {
  dir.Write("c.bin", Text(20, 'c'));
  io.SetStreamFlag(false);
  SFile c, d;
  Load(c, "c.bin");
  kernel.Step();
  EXPECT_EQ(c.GetState(), SFile::STATE_DONE);
  io.SetStreamFlag(true);
  Load(d, "c.bin");
  d.Cancel();
  EXPECT_EQ(d.GetState(), SFile::STATE_IDLE);
  EXPECT_TRUE(io.Flush(false));
  {
    SFile e;
    Load(e, "c.bin");
  }  // destroyed while queued: leaves the list
  EXPECT_TRUE(io.Flush(false));
  // Save writes the data at the path.
  SFile s;
  s.SetName("out/s.bin");
  Bytes payload = Text(33, 's');
  s.SetData(payload.data(), 33);
  s.SetSize(33);
  EXPECT_EQ(s.Save(), 0);
  EXPECT_EQ(dir.Read("out/s.bin"), payload);
  EXPECT_EQ(s.GetFileSize(), 33);
}

TEST_F(IoFixture, FileAboveCacheCapacityIsReadButNotCached) {
  io.SetCacheMode(2, 1000, 2, 524288);
  dir.Write("huge.bin", Text(5000, 'h'));
  SFile f;
  Load(f, "huge.bin");
  io.Flush(true);
  EXPECT_EQ(f.GetState(), SFile::STATE_DONE);
  EXPECT_FALSE(io.Cache().Contains("huge.bin"));
}

TEST_F(IoFixture, DamagedArchiveIsRebuilt) {
  io.SetCacheMode(2, 16777216, 2, 524288);
  dir.Write("stage/m.bma", Text(500, 'm'));
  Bytes damaged(std::begin("VRAX CACHE ARCHIVE"), std::end("VRAX CACHE ARCHIVE"));
  damaged.resize(20);
  damaged.insert(damaged.end(), {'1', '0', '0', '1', 5, 0, 0, 0, 'j', 'u', 'n', 'k'});
  dir.Write("cache/stage.sca", damaged);
  // The scene's pattern: load, and on failure clear, read everything, save.
  ASSERT_EQ(io.CacheLoad("cache/stage"), -1);
  io.CacheClear();
  SFile m;
  Load(m, "stage/m.bma");
  io.Flush(true);
  ASSERT_EQ(io.CacheSave("cache/stage"), 0);
  io.CacheClear();
  ASSERT_EQ(io.CacheLoad("cache/stage"), 0);
  EXPECT_TRUE(io.Cache().Contains("stage/m.bma"));
}

// A data file is read whole, so its size is held to far above the largest
// real one: 256 MB. Past it the file fails before any room is made for it
// (no buffer: capacity 0), whatever it holds; a damaged camera file of 1 GB
// took 1 GB and a frame of seconds. The files are sparse: they take no disk.
TEST_F(IoFixture, FilesPastTheLargestDataFileFailBeforeRoomIsMade) {
  constexpr uint64_t kMb = 1 << 20;
  const std::string refused = "Vrax\\Io\\SIOMan(145) : file stream error\n";
  const struct {
    const char* name;
    uint64_t size;
    bool callerBuffer;    // read into a 16-byte buffer of the caller's
    std::string message;  // the one error line
  } cases[] = {
      // Not refused for its size: it fails only for the caller's short
      // buffer, with nothing written into it.
      {"at_most.bin", 256 * kMb, true, "Vrax\\Io\\SIOMan(150) : file read error\n"},
      {"past.bin", 256 * kMb + 1, false, refused},
      {"past_caller.bin", 256 * kMb + 1, true, refused},
      {"camera.cam", 1024 * kMb, false, refused},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    dir.Write(c.name, Text(8, 'z'));
    std::filesystem::resize_file(dir.File(c.name), c.size);
    box.texts.clear();
    Bytes small(16, 0);
    SFile f;
    if (c.callerBuffer) f.SetData(small.data(), static_cast<uint32_t>(small.size()));
    Load(f, c.name);
    kernel.Step();
    EXPECT_EQ(f.GetState(), SFile::STATE_FAILED);
    EXPECT_EQ(io.GetLastError(), -2);
    EXPECT_EQ(box.texts, std::vector<std::string>{c.message});
    EXPECT_TRUE(io.Flush(false)) << "taken off the list";
    EXPECT_EQ(f.GetCapacity(), c.callerBuffer ? 16u : 0u) << "no room made";
    if (!c.callerBuffer) {
      EXPECT_EQ(f.GetData(), nullptr);
    }
    EXPECT_EQ(small, Bytes(16, 0));
  }
  // A cache archive is read whole too: one past the size fails to load as
  // a damaged one does, its entries untaken, although its bytes after the
  // entries would be passed over.
  io.SetCacheMode(2, 16777216, 0, 0);
  dir.Write("stage/m.bma", Text(500, 'm'));
  SFile m;
  Load(m, "stage/m.bma");
  io.Flush(true);
  ASSERT_EQ(io.CacheSave("cache/big"), 0);
  ASSERT_EQ(io.CacheSave("cache/padded"), 0);
  const std::string padded = dir.File("cache/padded.sca");
  std::filesystem::resize_file(padded, std::filesystem::file_size(padded) + kMb);
  std::filesystem::resize_file(dir.File("cache/big.sca"), 256 * kMb + 1);
  io.CacheClear();
  EXPECT_EQ(io.CacheLoad("cache/big"), -1);
  EXPECT_FALSE(io.Cache().Contains("stage/m.bma"));
  EXPECT_EQ(io.CacheLoad("cache/padded"), 0);
  EXPECT_TRUE(io.Cache().Contains("stage/m.bma"));
}

}  // namespace

namespace {

// Puts the shared total's limit back however a test ends.
struct TotalLimit {
  uint64_t limit = LoadedTotal().Limit();
  ~TotalLimit() { LoadedTotal().SetLimit(limit); }
};

// A buffer the manager makes is charged to the shared total from before it
// is made until it is freed: exactly its bytes (the file's size, or the
// larger buffer it reuses), on every path a request can end by.
TEST_F(IoFixture, AFilesBufferIsChargedWhileItIsHeldAndGivenBackOnEveryPath) {
  LoadTotal& total = LoadedTotal();
  const uint64_t before = total.Used();
  dir.Write("a.bin", Text(100, 'a'));
  dir.Write("small.bin", Text(8, 's'));
  dir.Write("big.bin", Text(64, 'b'));
  {
    SFile f;
    Load(f, "a.bin");
    EXPECT_EQ(total.Used(), before) << "queued: no room yet";
    kernel.Step();
    EXPECT_EQ(f.GetState(), SFile::STATE_READING);
    EXPECT_EQ(total.Used(), before + 100);
    kernel.Step();
    EXPECT_EQ(f.GetState(), SFile::STATE_DONE);
    EXPECT_EQ(total.Used(), before + 100);
    f.FreeData();
    EXPECT_EQ(total.Used(), before);
    // Done, then read again into a larger buffer (the old one goes), then
    // a smaller file into the same buffer (its 64 bytes stay charged).
    Load(f, "small.bin");
    io.Flush(true);
    EXPECT_EQ(total.Used(), before + 8);
    Load(f, "big.bin");
    io.Flush(true);
    EXPECT_EQ(total.Used(), before + 64);
    Load(f, "small.bin");
    io.Flush(true);
    EXPECT_EQ(f.GetSize(), 8u);
    EXPECT_EQ(total.Used(), before + 64);
    // A failed read keeps no buffer of the manager's.
    Load(f, "none.bin");
    io.Flush(true);
    EXPECT_EQ(f.GetState(), SFile::STATE_FAILED);
    EXPECT_EQ(f.GetData(), nullptr);
    EXPECT_EQ(total.Used(), before);
    // Cancelled while reading: its bytes are not done and go.
    Load(f, "a.bin");
    kernel.Step();
    ASSERT_EQ(f.GetState(), SFile::STATE_READING);
    f.Cancel();
    EXPECT_EQ(f.GetState(), SFile::STATE_IDLE);
    EXPECT_EQ(f.GetData(), nullptr);
    EXPECT_EQ(total.Used(), before);
    // Ended done, and ended while reading.
    SFile g;
    Load(g, "big.bin");
    io.Flush(true);
    Load(f, "a.bin");
    kernel.Step();
    ASSERT_EQ(f.GetState(), SFile::STATE_READING);
    EXPECT_EQ(total.Used(), before + 164);
  }
  EXPECT_EQ(total.Used(), before);
  EXPECT_TRUE(io.Flush(false));
  // A caller's buffer is the caller's: nothing is charged for it.
  Bytes mine(100);
  SFile c;
  c.SetData(mine.data(), 100);
  Load(c, "a.bin");
  io.Flush(true);
  EXPECT_EQ(c.GetState(), SFile::STATE_DONE);
  EXPECT_EQ(total.Used(), before);
  // A file served from the cache: the entry (its bytes, 384 of bookkeeping
  // and its name twice) and the request's copy are both held.
  io.SetCacheMode(2, 1u << 24, 0, 0);
  ASSERT_EQ(io.Cache().AddEntry("c/a.bin", Text(100, 'a').data(), 100, 0), 0);
  const uint64_t entry = 100 + 384 + 2 * 7;
  EXPECT_EQ(total.Used(), before + entry);
  {
    SFile h;
    Load(h, "c/a.bin");
    kernel.Step();
    ASSERT_EQ(h.GetState(), SFile::STATE_DONE);
    EXPECT_EQ(total.Used(), before + entry + 100);
  }
  EXPECT_EQ(total.Used(), before + entry);
  io.CacheClear();
  EXPECT_EQ(total.Used(), before);
  EXPECT_TRUE(box.texts.size() == 1u) << "only the missing file's line";
}

// A file whose buffer the shared total cannot take fails before any room
// is made, as one whose buffer cannot be allocated: "file stream error" at
// the line of its source (the disk 145, the cache 116), the request failed,
// the total as it was. The next file that fits loads.
TEST_F(IoFixture, AFilePastTheSharedTotalFailsAsOneWithoutMemory) {
  const TotalLimit restore;
  LoadTotal& total = LoadedTotal();
  dir.Write("a.bin", Text(100, 'a'));
  dir.Write("b.bin", Text(99, 'b'));
  io.SetCacheMode(2, 1u << 24, 0, 0);
  ASSERT_EQ(io.Cache().AddEntry("c.bin", Text(100, 'c').data(), 100, 0), 0);
  const uint64_t held = total.Used();
  total.SetLimit(held + 99);
  struct Case {
    const char* name;
    std::string line;
  } const cases[] = {{"a.bin", "Vrax\\Io\\SIOMan(145) : file stream error\n"},
                     {"c.bin", "Vrax\\Io\\SIOMan(116) : file stream error\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    box.texts.clear();
    SFile f;
    Load(f, c.name);
    kernel.Step();
    EXPECT_EQ(f.GetState(), SFile::STATE_FAILED);
    EXPECT_EQ(io.GetLastError(), -2);
    EXPECT_EQ(box.texts, std::vector<std::string>{c.line});
    EXPECT_EQ(f.GetData(), nullptr);
    EXPECT_EQ(f.GetCapacity(), 0u);
    EXPECT_EQ(total.Used(), held);
    EXPECT_TRUE(io.Flush(false));
  }
  SFile b;
  Load(b, "b.bin");
  io.Flush(true);
  EXPECT_EQ(b.GetState(), SFile::STATE_DONE);
  EXPECT_EQ(total.Used(), held + 99);
}

}  // namespace
