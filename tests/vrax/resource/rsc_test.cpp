#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/EngineWorld.h"
#include "support/NewFails.h"
#include "support/PictureCuts.h"
#include "support/Repeated.h"
#include "support/TempDir.h"
#include "support/image_files.h"
#include "vrax/graphic/SGpRect.h"
#include "vrax/resource/SImageSlot.h"
#include "vrax/resource/SRsc_Image.h"

namespace {

using testsupport::EncodeJpeg;
using testsupport::EncodePng;
using testsupport::MakeImage;
using testsupport::Numbered;
using testsupport::Repeated;

constexpr uint32_t kImg = RscTag("IMG");

constexpr SRscRequest kEnd = {nullptr, 0, nullptr, 0, 0, 0, 0};

std::string Bytes(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }
std::string SolidPng(int w, int h, uint32_t argb) {
  return Bytes(EncodePng(MakeImage(w, h, [argb](int, int) { return argb; })));
}

// The engine's managers on a kernel, the null device, and a data directory
// of its own.
class RscWorld : public testsupport::EngineWorld {
 protected:
  int StepsUntilLoaded(int limit = 50) {
    for (int i = 1; i <= limit; ++i) {
      kernel.Step();
      if (rm.Sync(0)) return i;
    }
    return -1;
  }

  testsupport::TempDir dir{"rsc"};
  testsupport::ScopedDataDir data{dir.Path()};
};

TEST_F(RscWorld, ImageListOfPngAndJpegLoadsIntoTextures) {
  plat::Image a = MakeImage(3, 2, [](int x, int y) { return 0x80000000u | (x * 40u << 16) | (y * 90u << 8) | 7u; });
  plat::Image b = MakeImage(17, 5, [](int, int) { return 0xFF3366CCu; });
  ASSERT_TRUE(dir.Write("img/a.png", Bytes(EncodePng(a))));
  ASSERT_TRUE(dir.Write("img/b photo.jpg", Bytes(EncodeJpeg(b))));
  ASSERT_TRUE(dir.Write("img/list.tr", "a.png\r\nb photo.jpg\r\n\r\n"));

  SRsc* slot = nullptr;
  const SRscRequest table[] = {{&slot, kImg, "\\img\\list", 0, 0, 0, 0}, kEnd};
  rm.LoadTable(1, table, -1);
  ASSERT_NE(slot, nullptr);
  EXPECT_EQ(slot->GetStatus(), kRscLoading);
  EXPECT_EQ(slot->GetGroup(), 1);
  EXPECT_EQ(rm.Sync(0), 0);
  // One file per frame, each completed a frame after its read: at least
  // n + 1 frames for n textures.
  int frames = StepsUntilLoaded();
  EXPECT_GE(frames, 3);
  ASSERT_EQ(slot->GetStatus(), kRscReady);
  auto* img = static_cast<SRsc_Image*>(slot);
  EXPECT_EQ(img->Kind(), 0x494D47u);
  ASSERT_EQ(img->TextureCount(), 2);
  EXPECT_EQ(img->GetTexturePacket(2), &KeepTexturePacket());  // past the list
  EXPECT_EQ(img->GetTexturePacket(1)->GetIndex(), 1u);
  plat::Texture* ta = img->GetDeviceTexture(0);
  plat::Texture* tb = img->GetDeviceTexture(1);
  ASSERT_TRUE(ta && tb);
  EXPECT_EQ(ta->Width(), 3);
  EXPECT_EQ(tb->Width(), 17);
  EXPECT_EQ(tb->Height(), 5);
  EXPECT_EQ(testsupport::PixelAt(ta->Pixels(), 2, 1), testsupport::PixelAt(a, 2, 1));  // alpha kept
  EXPECT_EQ(rm.Find("\\img\\list", kImg), slot);
  EXPECT_EQ(rm.Find("\\img\\list", RscTag("SND")), nullptr);
  // The number past the list is told in one line: the list's file, what
  // it names and the number.
  ASSERT_EQ(box.texts.size(), 1u);
  const std::string pastList =
      " : \\img\\list.tr names 2 pictures, none numbered 2: drawn with the texture bound before it (told once)\n";
  EXPECT_EQ(box.Count(pastList), 1) << box.texts[0];

  // The texture packet binds its texture on stage 0, once for a repeat.
  img->GetTexturePacket(1)->Execute();
  EXPECT_EQ(SGpMan::GetDevice()->GetTexture(0), tb);
  EXPECT_EQ(SGpMan::GetTextureIndex(), 1);
  SGpMan::SetTexture(nullptr, 5);  // beyond the count: index recorded only
  EXPECT_EQ(SGpMan::GetDevice()->GetTexture(0), tb);
  EXPECT_EQ(SGpMan::GetTextureIndex(), 5);
  // Past the list again, bound or looked up: told no more.
  EXPECT_EQ(img->GetTexturePacket(2), &KeepTexturePacket());
  EXPECT_EQ(box.texts.size(), 1u);

  // Loading a ready resource again is refused and marks it failed.
  EXPECT_EQ(slot->Load(0, 0, 0, 0), -1);
  EXPECT_EQ(slot->GetStatus(), kRscFailed);
  EXPECT_EQ(box.Count("resource open error"), 1);
  EXPECT_EQ(box.Count("SRsc(148) : resource open error"), 1);

  // Releasing the group kills it: idle, not found, disposed a frame later.
  rm.ReleaseGroup(1, nullptr, 0);
  EXPECT_EQ(slot->GetStatus(), kRscIdle);
  EXPECT_EQ(rm.Find("\\img\\list", kImg), nullptr);
  for (int i = 0; i < 2; ++i) kernel.Step();
  EXPECT_EQ(rm.GetList(1)->Count(), 0);
}

// With the cache on as the game has it (files packed in the background), the
// files whose bytes failed leave it, the others stay, and no archive is saved
// from it until it is cleared.
TEST_F(RscWorld, SyncSettlesAfterFailures) {
  io.SetCacheMode(2, 1u << 24, 2, 524288);
  ASSERT_TRUE(dir.Write("ok/one.tr", "t.png"));
  ASSERT_TRUE(dir.Write("ok/t.png", SolidPng(2, 2, 0xFFFFFFFFu)));
  ASSERT_TRUE(dir.Write("bad/t.png", dir.Read("ok/t.png")));
  ASSERT_TRUE(dir.Write("bad/blank.tr", " \r\n\t\r\n"));
  ASSERT_TRUE(dir.Write("bad/gone.tr", "missing.png\r\n"));
  ASSERT_TRUE(dir.Write("bad/broken.tr", "broken.png\r\n"));
  ASSERT_TRUE(dir.Write("bad/broken.png", "\x89PNG\r\n\x1a\n not really"));
  ASSERT_TRUE(dir.Write("bad/long.tr", "t.png\r\n" + std::string(300, 'x') + ".png"));
  SRsc *ok = nullptr, *none = nullptr, *blank = nullptr, *gone = nullptr, *broken = nullptr, *lng = nullptr;
  const SRscRequest table[] = {
      {&ok, kImg, "\\ok\\one", 0, 0, 0, 0},         {&none, kImg, "\\bad\\nolist", 0, 0, 0, 0},
      {&blank, kImg, "\\bad\\blank", 0, 0, 0, 0},   {&gone, kImg, "\\bad\\gone", 0, 0, 0, 0},
      {&broken, kImg, "\\bad\\broken", 0, 0, 0, 0}, {&lng, kImg, "\\bad\\long", 0, 0, 0, 0}, kEnd};
  rm.ReleaseGroup(2, nullptr, 0);
  rm.LoadTable(2, table, -1);
  EXPECT_EQ(rm.Sync(1), 1);  // returns although five of six failed
  EXPECT_EQ(ok->GetStatus(), kRscReady);
  for (SRsc* r : {none, blank, gone, broken, lng}) EXPECT_EQ(r->GetStatus(), kRscFailed);
  EXPECT_EQ(box.Count("resource open error"), 5);
  // No list file, a list without a name, a missing texture file, a failed
  // texture creation, an over-long name.
  for (const char* e : {"SRsc_Image_Ex(59)", "SRsc_Image_Ex(84)", "SRsc_Image_Ex(102)", "SRsc_Image_Ex(114)",
                        "SRsc_Image_Ex(120)"})
    EXPECT_EQ(box.Count(e), 1) << e;
  EXPECT_EQ(static_cast<SRsc_Image*>(lng)->TextureCount(), 1);  // kept until disposal
  kernel.Step();
  EXPECT_EQ(rm.Sync(0), 1);  // the scene switcher is not held up either
  EXPECT_EQ(io.GetStreamFlag(), true);  // restored after the wait
  for (const char* name : {"\\ok\\one.tr", "\\ok\\t.png", "\\bad\\t.png", "\\bad\\gone.tr", "\\bad\\broken.tr"})
    EXPECT_TRUE(io.Cache().Contains(name)) << name;
  for (const char* name : {"\\bad\\blank.tr", "\\bad\\broken.png", "\\bad\\long.tr"})
    EXPECT_FALSE(io.Cache().Contains(name)) << name;
  EXPECT_EQ(io.CacheSave("cache\\bad"), -1);
  EXPECT_EQ(dir.Kind("cache/bad.sca"), '-');
  io.CacheClear();
  EXPECT_EQ(io.CacheSave("cache\\empty"), 0);
  EXPECT_EQ(dir.Kind("cache/empty.sca"), 'f');

  // The first picture's entry (size at 304, packed flag at 308, bytes from
  // 312) a level 5 block of 4 literals claiming 64 bytes, or its middle byte
  // inverted, or the picture as a level 5 block (head: u16 version 1, i16
  // level 5, u32 total, token bytes 0, literal bytes, unpacked size) with
  // any one byte of its head inverted: read from the tree, the archive is
  // written again in its order; the tree damaged, none. The block whole is
  // served, the archive kept.
  ASSERT_TRUE(dir.Write("arc/two.tr", "p.png\r\nq.png"));
  ASSERT_TRUE(dir.Write("arc/p.png", SolidPng(4, 4, 0xFF00FF00u)));
  ASSERT_TRUE(dir.Write("arc/q.png", SolidPng(2, 2, 0xFF0000FFu)));
  SRsc* two = nullptr;
  const SRscRequest arc[] = {{&two, kImg, "\\arc\\two", 0, 0, 0, 0}, kEnd};
  rm.LoadTable(2, arc, -1);
  EXPECT_EQ(rm.Sync(1), 1);
  ASSERT_EQ(io.CacheSave("cache\\arc"), 0);
  const std::string whole = dir.Read("cache/arc.sca");
  ASSERT_GT(whole.size(), 312u);
  const size_t size = uint8_t(whole[304]) | uint8_t(whole[305]) << 8, flip = 312 + size / 2;
  const std::string unpackable =
      whole.substr(0, 304) + std::string("\x18\0\0\0\x01\0\0\0\x01\0\x05\0\x18\0\0\0\0\0\0\0\x04\0\0\0\x40\0\0\0abcd", 32) +
      whole.substr(312 + size);
  const auto le32 = [](size_t n) { return std::string{char(n), char(n >> 8), char(n >> 16), char(n >> 24)}; };
  const std::string block = std::string("\x01\0\x05\0", 4) + le32(20 + size) + le32(0) + le32(size) + le32(size) +
                            whole.substr(312, size);
  const auto withBlock = [&](const std::string& b) {
    return whole.substr(0, 304) + le32(b.size()) + std::string("\x01\0\0\0", 4) + b + whole.substr(312 + size);
  };
  const std::string flipped = whole.substr(0, flip) + char(~whole[flip]) + whole.substr(flip + 1);
  std::vector<std::pair<std::string, std::string>> damaged = {{"unpackable", unpackable}, {"middle", flipped}};
  for (size_t at = 0; at < 20; ++at) {
    std::string b = block;
    b[at] = char(~b[at]);
    damaged.emplace_back("head byte " + std::to_string(at), withBlock(b));
  }
  damaged.emplace_back("block whole", withBlock(block));
  damaged.emplace_back("tree damaged", flipped);
  for (const auto& [k, bytes] : damaged) {
    const bool treeWhole = k != "tree damaged";
    ASSERT_TRUE(dir.Write("cache/arc.sca", bytes));
    ASSERT_TRUE(treeWhole || dir.Write("arc/p.png", dir.Read("bad/broken.png")));
    rm.ReleaseGroup(2, nullptr, 0);
    io.CacheClear();
    box.texts.clear();
    ASSERT_EQ(io.CacheLoad("cache\\arc"), 0);
    rm.LoadTable(2, arc, -1);
    EXPECT_EQ(rm.Sync(1), 1);
    kernel.Step();
    EXPECT_EQ(two->GetStatus(), treeWhole ? kRscReady : kRscFailed) << k;
    EXPECT_EQ(box.Count("SRsc_Image_Ex(114) : resource open error"), treeWhole ? 0 : 1) << k;
    EXPECT_TRUE(!treeWhole || box.texts.empty()) << k;
    const std::string after = k == "block whole" ? bytes : whole;
    EXPECT_TRUE(treeWhole ? dir.Read("cache/arc.sca") == after : dir.Kind("cache/arc.sca") == '-') << k;
  }
}

// Texture files the cache holds are decoded on a worker from the frame the
// list is read; each texture still appears in the frame its file completes.
TEST_F(RscWorld, CachedTexturesAppearInTheFrameTheirFileCompletes) {
  // The first image is large, so its decode is still running when its file
  // completes a frame later: the loader must wait for it in that frame.
  const std::string big = SolidPng(1024, 1024, 0xFF102030u);
  const std::string small = SolidPng(4, 3, 0x80FF0000u);
  io.SetCacheMode(2, 1u << 24, 0, 0);
  ASSERT_EQ(io.Cache().AddEntry("\\img\\big.png", big.data(), static_cast<uint32_t>(big.size()), 0), 0);
  ASSERT_EQ(io.Cache().AddEntry("\\img\\small.png", small.data(), static_cast<uint32_t>(small.size()), 0), 0);
  ASSERT_EQ(io.Cache().AddEntry("\\img\\list.tr", "big.png\r\nsmall.png\r\nbig.png", 27, 0), 0);

  SRsc* slot = nullptr;
  const SRscRequest table[] = {{&slot, kImg, "\\img\\list", 0, 0, 0, 0}, kEnd};
  rm.LoadTable(1, table, -1);
  ASSERT_NE(slot, nullptr);
  auto* img = static_cast<SRsc_Image*>(slot);
  // Every file comes from the cache at once, one a frame: the list in frame
  // 1 (its first name queued), then one texture in each of frames 2, 3, 4.
  std::vector<int> counts;
  for (int frame = 1; frame <= 5; ++frame) {
    kernel.Step();
    counts.push_back(img->TextureCount());
  }
  EXPECT_EQ(counts, (std::vector<int>{0, 1, 2, 3, 3}));
  ASSERT_EQ(slot->GetStatus(), kRscReady);
  ASSERT_EQ(img->TextureCount(), 3);
  EXPECT_EQ(img->GetDeviceTexture(0)->Width(), 1024);
  EXPECT_EQ(testsupport::PixelAt(img->GetDeviceTexture(0)->Pixels(), 700, 900), 0xFF102030u);
  EXPECT_EQ(testsupport::PixelAt(img->GetDeviceTexture(1)->Pixels(), 3, 2), 0x80FF0000u);
  EXPECT_EQ(img->GetDeviceTexture(2)->Height(), 1024);
  EXPECT_TRUE(box.texts.empty());
}

// A damaged texture file in the cache fails as one read from disk does.
TEST_F(RscWorld, CachedDamagedTextureFailsWithItsLine) {
  const std::string ok = SolidPng(2, 2, 0xFFFFFFFFu);
  const std::string broken = "\x89PNG\r\n\x1a\n not really";
  io.SetCacheMode(2, 1u << 20, 0, 0);
  ASSERT_EQ(io.Cache().AddEntry("\\d\\ok.png", ok.data(), static_cast<uint32_t>(ok.size()), 0), 0);
  ASSERT_EQ(io.Cache().AddEntry("\\d\\broken.png", broken.data(), static_cast<uint32_t>(broken.size()), 0), 0);
  ASSERT_EQ(io.Cache().AddEntry("\\d\\list.tr", "ok.png\nbroken.png\nok.png", 24, 0), 0);
  SRsc* slot = nullptr;
  const SRscRequest table[] = {{&slot, kImg, "\\d\\list", 0, 0, 0, 0}, kEnd};
  rm.LoadTable(1, table, -1);
  EXPECT_EQ(rm.Sync(1), 1);
  EXPECT_EQ(slot->GetStatus(), kRscFailed);
  EXPECT_EQ(box.Count("SRsc_Image_Ex(114)"), 1);
  EXPECT_EQ(box.Count("resource open error"), 1);
  EXPECT_EQ(static_cast<SRsc_Image*>(slot)->TextureCount(), 1);  // the one before the damage

  // Every lookup: none for the picture that failed and the one after it
  // (never read), nothing new past the list's three.
  auto* img = static_cast<SRsc_Image*>(slot);
  EXPECT_NE(img->GetTexturePacket(0), &NoTexturePacket());
  SImageSlot held;
  held = img;
  for (int n = 0; n < 4; ++n) {
    const SGpRect part(&held, uint32_t(n), 2.0f, 2.0f, 0.0f, 0.0f, 2.0f, 2.0f);
    SGpObj* want = n == 0 ? img->GetTexturePacket(0) : n < 3 ? &NoTexturePacket() : &KeepTexturePacket();
    EXPECT_TRUE(img->GetTexturePacket(n) == want && part.GetTexture() == want && part.KeyRef().Apply() == want) << n;
  }
}

// An image loads at most 128 textures, one a frame at best: names past
// them are left out, told in one error line, and the image is ready with
// the first 128 (on disk, or decoded ahead from the cache). The list is read
// in frames 1 and 2, then each texture file in two frames: ready in frame
// 2 + 2 x 128 however long the list. Every name is a file of its own (a name
// given again is not read again).
TEST_F(RscWorld, NamesPastTheImagesLastTextureAreToldOnceAndLeftOut) {
  const std::string png = SolidPng(2, 2, 0xFF804020u);
  const struct {
    const char* what;
    std::string list;
    bool cached;
    int errorLines;
  } cases[] = {
      {"128 names", Numbered("t", ".png\r\n", 128), false, 0},
      {"129 names", Numbered("t", ".png\r\n", 129), false, 1},
      {"10,000 names", Numbered("t", ".png\r\n", 10000), false, 1},
      {"10,000 names from the cache", Numbered("t", ".png\r\n", 10000), true, 1},
  };
  for (int i = 0; i < 128; ++i) ASSERT_TRUE(dir.Write("n/t" + std::to_string(i) + ".png", png));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    box.texts.clear();
    io.SetCacheMode(c.cached ? 2 : 0, 1u << 24, 0, 0);
    io.CacheClear();
    if (c.cached) {
      for (int i = 0; i < 128; ++i) {
        const std::string name = "\\n\\t" + std::to_string(i) + ".png";
        ASSERT_EQ(io.Cache().AddEntry(name, png.data(), uint32_t(png.size()), 0), 0);
      }
      ASSERT_EQ(io.Cache().AddEntry("\\n\\list.tr", c.list.data(), uint32_t(c.list.size()), 0), 0);
    } else {
      ASSERT_TRUE(dir.Write("n/list.tr", c.list));
    }
    SRsc* slot = nullptr;
    const SRscRequest table[] = {{&slot, kImg, "\\n\\list", 0, 0, 0, 0}, kEnd};
    rm.LoadTable(1, table, -1);
    const int frames = StepsUntilLoaded(1000);
    ASSERT_EQ(slot->GetStatus(), kRscReady);
    // Cached files complete in the frame they are asked for: one a frame.
    EXPECT_EQ(frames, c.cached ? 1 + 128 : 2 + 2 * 128);
    EXPECT_EQ(static_cast<SRsc_Image*>(slot)->TextureCount(), 128);
    EXPECT_EQ(box.Count("SRsc_Image_Ex(126) : resource open error"), c.errorLines);
    EXPECT_EQ(box.texts.size(), size_t(c.errorLines));
    rm.ReleaseGroup(1, nullptr, 0);
    for (int i = 0; i < 2; ++i) kernel.Step();
  }
}

// A name the list gives again is neither read nor decoded again: its
// number binds the texture made for the name's first line, in a frame of
// its own. The files are spoilt once their textures are made, so a second
// read would fail the image.
TEST_F(RscWorld, ANameGivenAgainIsReadAndDecodedOnce) {
  const std::string a = SolidPng(3, 2, 0xFF112233u), b = SolidPng(5, 4, 0x80445566u);
  const std::string list = "a.png\r\nb.png\r\na.png\r\na.png\r\nb.png\r\n";
  for (const bool cached : {false, true}) {
    SCOPED_TRACE(cached ? "from the cache" : "from disk");
    box.texts.clear();
    io.SetCacheMode(cached ? 2 : 0, 1u << 24, 0, 0);
    io.CacheClear();
    if (cached) {
      ASSERT_EQ(io.Cache().AddEntry("\\r\\a.png", a.data(), uint32_t(a.size()), 0), 0);
      ASSERT_EQ(io.Cache().AddEntry("\\r\\b.png", b.data(), uint32_t(b.size()), 0), 0);
      ASSERT_EQ(io.Cache().AddEntry("\\r\\list.tr", list.data(), uint32_t(list.size()), 0), 0);
    } else {
      ASSERT_TRUE(dir.Write("r/a.png", a));
      ASSERT_TRUE(dir.Write("r/b.png", b));
      ASSERT_TRUE(dir.Write("r/list.tr", list));
    }
    SRsc* slot = nullptr;
    const SRscRequest table[] = {{&slot, kImg, "\\r\\list", 0, 0, 0, 0}, kEnd};
    rm.LoadTable(1, table, -1);
    auto* img = static_cast<SRsc_Image*>(slot);
    std::vector<int> counts;
    for (int frame = 1; frame <= 10; ++frame) {
      kernel.Step();
      counts.push_back(img->TextureCount());
      if (img->TextureCount() == 2) {  // both files made: spoil them
        if (cached) {
          io.CacheClear();
        } else {
          ASSERT_TRUE(dir.Write("r/a.png", "spoilt"));
          ASSERT_TRUE(dir.Write("r/b.png", "spoilt"));
        }
      }
    }
    // Each file in two frames from disk (one from the cache), each name
    // given again in one.
    EXPECT_EQ(counts, cached ? (std::vector<int>{0, 1, 2, 3, 4, 5, 5, 5, 5, 5})
                             : (std::vector<int>{0, 0, 0, 1, 1, 2, 3, 4, 5, 5}));
    ASSERT_EQ(slot->GetStatus(), kRscReady);
    EXPECT_TRUE(box.texts.empty());
    plat::Texture* ta = img->GetDeviceTexture(0);
    plat::Texture* tb = img->GetDeviceTexture(1);
    ASSERT_TRUE(ta && tb);
    EXPECT_NE(ta, tb);
    EXPECT_EQ(img->GetDeviceTexture(2), ta);
    EXPECT_EQ(img->GetDeviceTexture(3), ta);
    EXPECT_EQ(img->GetDeviceTexture(4), tb);
    EXPECT_EQ(testsupport::PixelAt(tb->Pixels(), 4, 3), 0x80445566u);
    EXPECT_EQ(img->GetTexturePacket(3)->GetIndex(), 3u);
    // Released once for each of its numbers: the texture outlives none.
    rm.ReleaseGroup(1, nullptr, 0);
    for (int i = 0; i < 2; ++i) kernel.Step();
  }
}

// Each picture's pixels are charged to the image's budget before they are
// made: a 2048 x 2048 picture (16 MB) and then one of 4096 x 4096 (64 MB) do
// not fit together, and the second is refused with the texture line (in
// the file's frame, its pixels never made) whether its file comes from disk
// or from the cache. The image keeps the first; every other resource has a
// budget of its own, so a list of the large picture alone loads; and the
// pictures that fit are those of the files, however often they are named.
TEST_F(RscWorld, AnImagePastItsBudgetIsRefusedAndTheGameGoesOn) {
  const std::vector<uint8_t> mid = testsupport::FlatPng(2048, 2048, 0xFF204060u);
  const std::vector<uint8_t> big = testsupport::FlatPng(4096, 4096, 0xFF806040u);
  const std::vector<uint8_t> wide = testsupport::FlatPng(4096, 2048, 0xFF102030u);  // 32 MB
  const std::vector<uint8_t> dot = testsupport::FlatPng(1, 1, 0xFFFFFFFFu);
  const std::string files[][2] = {{"mid.png", Bytes(mid)}, {"big.png", Bytes(big)}, {"wide.png", Bytes(wide)},
                                  {"dot.png", Bytes(dot)}};
  const struct {
    const char* list;
    int status;
    int textures;
  } lists[] = {
      {"mid.png\r\nbig.png\r\ndot.png\r\n", kRscFailed, 1},
      {"big.png\r\n", kRscReady, 1},
      // Named twice, charged once: 32 MB and 4 bytes.
      {"wide.png\r\nwide.png\r\ndot.png\r\n", kRscReady, 3},
  };
  for (const bool cached : {false, true}) {
    SCOPED_TRACE(cached ? "from the cache" : "from disk");
    io.SetCacheMode(cached ? 2 : 0, 1u << 27, 0, 0);
    io.CacheClear();
    for (const auto& f : files) {
      if (cached) {
        const std::string name = "\\b\\" + f[0];
        ASSERT_EQ(io.Cache().AddEntry(name, f[1].data(), uint32_t(f[1].size()), 0), 0);
      } else {
        ASSERT_TRUE(dir.Write("b/" + f[0], f[1]));
      }
    }
    std::vector<SRsc*> slots(3, nullptr);
    for (size_t i = 0; i < 3; ++i) {
      const std::string text = lists[i].list, n = std::to_string(i);
      if (cached) {
        ASSERT_EQ(io.Cache().AddEntry("\\b\\l" + n + ".tr", text.data(), uint32_t(text.size()), 0), 0);
      } else {
        ASSERT_TRUE(dir.Write("b/l" + n + ".tr", text));
      }
    }
    // The lists that do not make a 64 MB picture first, while no block of
    // 64 MB may be had: the refused picture's pixels are never asked for.
    const SRscRequest rows[] = {{&slots[0], kImg, "\\b\\l0", 0, 0, 0, 0},
                                {&slots[2], kImg, "\\b\\l2", 0, 0, 0, 0},
                                kEnd};
    const SRscRequest alone[] = {{&slots[1], kImg, "\\b\\l1", 0, 0, 0, 0}, kEnd};
    box.texts.clear();
    rm.LoadTable(1, rows, -1);
    {
      testsupport::NewFails fail(64u << 20);
      EXPECT_EQ(rm.Sync(1), 1);
      EXPECT_EQ(fail.Refused(), 0);
    }
    rm.LoadTable(1, alone, -1);
    EXPECT_EQ(rm.Sync(1), 1);
    for (size_t i = 0; i < 3; ++i) {
      SCOPED_TRACE(lists[i].list);
      auto* img = static_cast<SRsc_Image*>(slots[i]);
      EXPECT_EQ(img->GetStatus(), lists[i].status);
      EXPECT_EQ(img->TextureCount(), lists[i].textures);
    }
    EXPECT_EQ(box.Count("SRsc_Image_Ex(114) : resource open error"), 1);
    EXPECT_EQ(box.texts.size(), 1u);
    EXPECT_EQ(static_cast<SRsc_Image*>(slots[1])->GetDeviceTexture(0)->Width(), 4096);
    rm.ReleaseGroup(1, nullptr, 0);
    for (int i = 0; i < 2; ++i) kernel.Step();
  }
}

// What all resources alive hold together is bounded too (here at 3.5
// pictures of 64 x 64: 16 KB each, width x height x 4): lists that each fit
// their own budget load until the total is reached, the next is refused
// with the texture line and the game goes on; what an image holds is
// charged once however often it names a file, and is held while the image
// lives, failed or not (the failed image keeps the texture it made). Its
// release gives back what was taken, no more, no less: the refused list
// then loads.
TEST_F(RscWorld, WhatAllImagesHoldTogetherIsBoundedAndGivenBackOnRelease) {
  constexpr uint64_t kPicture = 64 * 64 * 4;
  LoadTotal& total = LoadedTotal();
  const uint64_t before = total.Used();
  // The limit is put back however the test ends.
  const struct Restore {
    uint64_t limit;
    ~Restore() { LoadedTotal().SetLimit(limit); }
  } restore{total.Limit()};
  for (int i = 0; i < 4; ++i)
    ASSERT_TRUE(dir.Write("t/p" + std::to_string(i) + ".png", SolidPng(64, 64, 0xFF000000u | uint32_t(i))));
  ASSERT_TRUE(dir.Write("t/twice.tr", "p0.png\r\np0.png\r\n"));
  ASSERT_TRUE(dir.Write("t/one.tr", "p1.png\r\n"));
  ASSERT_TRUE(dir.Write("t/failing.tr", "p2.png\r\nmissing.png\r\n"));
  ASSERT_TRUE(dir.Write("t/last.tr", "p3.png\r\n"));
  for (const bool cached : {false, true}) {
    SCOPED_TRACE(cached ? "from the cache" : "from disk");
    io.SetCacheMode(cached ? 2 : 0, 1u << 24, 0, 0);
    io.CacheClear();
    // The cache's entries are held in the total too (each its bytes, 384
    // of bookkeeping and its name twice): the pictures count from there.
    uint64_t entries = 0;
    if (cached) {
      for (const char* f : {"p0.png", "p1.png", "p2.png", "p3.png", "twice.tr", "one.tr", "failing.tr", "last.tr"}) {
        const std::string bytes = dir.Read(std::string("t/") + f);
        const std::string name = std::string("\\t\\") + f;
        ASSERT_EQ(io.Cache().AddEntry(name, bytes.data(), uint32_t(bytes.size()), 0), 0);
        entries += bytes.size() + 384 + 2 * name.size();
      }
    }
    const uint64_t base = total.Used();
    EXPECT_EQ(base, before + entries);
    total.SetLimit(base + kPicture * 7 / 2);
    SRsc *twice = nullptr, *one = nullptr, *failing = nullptr, *last = nullptr;
    const SRscRequest rows[] = {{&twice, kImg, "\\t\\twice", 0, 0, 0, 0},
                                {&one, kImg, "\\t\\one", 0, 0, 0, 0},
                                {&failing, kImg, "\\t\\failing", 0, 0, 0, 0},
                                kEnd};
    box.texts.clear();
    rm.LoadTable(1, rows, -1);
    EXPECT_EQ(rm.Sync(1), 1);
    EXPECT_EQ(twice->GetStatus(), kRscReady);
    EXPECT_EQ(one->GetStatus(), kRscReady);
    EXPECT_EQ(failing->GetStatus(), kRscFailed);
    EXPECT_EQ(static_cast<SRsc_Image*>(failing)->TextureCount(), 1);
    EXPECT_EQ(total.Used(), base + 3 * kPicture);
    // A fourth picture passes the total: refused before it is made.
    const SRscRequest next[] = {{&last, kImg, "\\t\\last", 0, 0, 0, 0}, kEnd};
    rm.LoadTable(2, next, -1);
    EXPECT_EQ(rm.Sync(1), 1);
    EXPECT_EQ(last->GetStatus(), kRscFailed);
    EXPECT_EQ(static_cast<SRsc_Image*>(last)->TextureCount(), 0);
    EXPECT_EQ(total.Used(), base + 3 * kPicture);
    EXPECT_EQ(box.Count("SRsc_Image_Ex(102) : resource open error"), 1);  // the missing file
    EXPECT_EQ(box.Count("SRsc_Image_Ex(114) : resource open error"), 1);  // the total
    // Released, what the three held is given back, and the list loads.
    rm.ReleaseGroup(1, nullptr, 0);
    rm.ReleaseGroup(2, nullptr, 0);
    for (int i = 0; i < 2; ++i) kernel.Step();
    EXPECT_EQ(total.Used(), base);
    rm.LoadTable(2, next, -1);
    EXPECT_EQ(rm.Sync(1), 1);
    EXPECT_EQ(last->GetStatus(), kRscReady);
    EXPECT_EQ(total.Used(), base + kPicture);
    rm.ReleaseGroup(2, nullptr, 0);
    for (int i = 0; i < 2; ++i) kernel.Step();
    EXPECT_EQ(total.Used(), base);
  }
}

// An image's files are held in the shared total while it loads: its list
// until it is ready or fails, each texture file until its texture is made,
// and, with the files cached, the decode-ahead's copies (each file once)
// until it stops; ready, it holds its pixels alone. The copies take free
// room only and give it back to the image's own loads, so the most it needs
// is the same from the cache as from disk, worked out here from the files'
// sizes: a total of exactly that loads the image, one byte less fails it at
// the charge that passes it, with its line; the game goes on and nothing
// stays charged once the image is released.
TEST_F(RscWorld, AnImagesFilesAndCopiesAreHeldInTheTotalWhileItLoads) {
  constexpr uint64_t kPicture = 64 * 64 * 4;
  LoadTotal& total = LoadedTotal();
  const struct Restore {
    uint64_t limit = LoadedTotal().Limit();
    ~Restore() { LoadedTotal().SetLimit(limit); }
  } restore;
  const std::string p0 = SolidPng(64, 64, 0xFF102030u), p1 = SolidPng(64, 64, 0xFF405060u);
  ASSERT_EQ(p0.size(), p1.size());
  const uint64_t file = p0.size();
  const std::string list = "p0.png\r\np1.png\r\np0.png\r\n";
  ASSERT_TRUE(dir.Write("h/p0.png", p0));
  ASSERT_TRUE(dir.Write("h/p1.png", p1));
  ASSERT_TRUE(dir.Write("h/list.tr", list));
  for (const bool cached : {false, true}) {
    SCOPED_TRACE(cached ? "from the cache" : "from disk");
    io.SetCacheMode(cached ? 2 : 0, 1u << 24, 0, 0);
    io.CacheClear();
    if (cached) {
      for (const auto& [name, bytes] : {std::pair{"p0.png", p0}, {"p1.png", p1}, {"list.tr", list}})
        ASSERT_EQ(io.Cache().AddEntry(std::string("\\h\\") + name, bytes.data(), uint32_t(bytes.size()), 0), 0);
    }
    const uint64_t base = total.Used();
    // The list, p0's pixels, then p1's file and pixels.
    const uint64_t most = list.size() + file + 2 * kPicture;
    for (const uint64_t limit : {most, most - 1}) {
      SCOPED_TRACE(limit - most);
      total.SetLimit(base + limit);
      box.texts.clear();
      SRsc* image = nullptr;
      const SRscRequest rows[] = {{&image, kImg, "\\h\\list", 0, 0, 0, 0}, kEnd};
      rm.LoadTable(1, rows, -1);
      EXPECT_EQ(rm.Sync(1), 1);
      if (limit == most) {
        EXPECT_EQ(image->GetStatus(), kRscReady);
        EXPECT_EQ(static_cast<SRsc_Image*>(image)->TextureCount(), 3);
        EXPECT_TRUE(box.texts.empty());
        EXPECT_EQ(total.Used(), base + 2 * kPicture);
      } else {
        EXPECT_EQ(image->GetStatus(), kRscFailed);
        // The last charge is p1's pixels (the texture's line); the failed
        // image keeps p0's picture.
        EXPECT_EQ(box.texts, std::vector<std::string>{"VRAX\\Resource\\Win\\SRsc_Image_Ex(114) : resource open error\n"});
        EXPECT_EQ(total.Used(), base + kPicture);
      }
      rm.ReleaseGroup(1, nullptr, 0);
      for (int i = 0; i < 2; ++i) kernel.Step();
      EXPECT_EQ(total.Used(), base);
    }
  }
  io.CacheClear();
}

// The decode-ahead's copies give their room back to a load that needs it:
// with the total full of one list's copies of large cached files (a 64 x 64
// picture and 40,000 bytes after it each), a second list's files and
// pixels load, and so do the first list's, whose dropped copies are decoded
// when their files arrive.
TEST_F(RscWorld, TheDecodeAheadsCopiesGiveTheirRoomToALoadThatNeedsIt) {
  constexpr uint64_t kPicture = 64 * 64 * 4;
  LoadTotal& total = LoadedTotal();
  const struct Restore {
    uint64_t limit = LoadedTotal().Limit();
    ~Restore() { LoadedTotal().SetLimit(limit); }
  } restore;
  const std::string list = "a0.png\r\na1.png\r\na2.png\r\n";
  io.SetCacheMode(2, 1u << 24, 0, 0);
  io.CacheClear();
  uint64_t files = 0;
  for (uint32_t i = 0; i < 3; ++i) {
    const std::string png = SolidPng(64, 64, 0xFF000010u * (i + 1)) + std::string(40000, '\0');
    ASSERT_EQ(io.Cache().AddEntry("\\c\\a" + std::to_string(i) + ".png", png.data(), uint32_t(png.size()), 0), 0);
    files += png.size();
  }
  ASSERT_EQ(io.Cache().AddEntry("\\c\\ahead.tr", list.data(), uint32_t(list.size()), 0), 0);
  ASSERT_TRUE(dir.Write("n/need.tr", "b.png"));
  ASSERT_TRUE(dir.Write("n/b.png", SolidPng(64, 64, 0xFF00FF00u)));
  // The second list's files enter the cache as they are read (from free
  // room): what the lists hold is counted without the cache.
  const auto held = [&] { return total.Used() - io.Cache().ChargedBytes(); };
  const uint64_t base = held();
  // The first list and its copies with their pixels fill the total.
  total.SetLimit(total.Used() + list.size() + files + 3 * kPicture);
  SRsc *ahead = nullptr, *need = nullptr;
  const SRscRequest rows[] = {{&ahead, kImg, "\\c\\ahead", 0, 0, 0, 0}, {&need, kImg, "\\n\\need", 0, 0, 0, 0}, kEnd};
  rm.LoadTable(1, rows, -1);
  EXPECT_EQ(rm.Sync(1), 1);
  EXPECT_TRUE(box.texts.empty());
  ASSERT_EQ(need->GetStatus(), kRscReady);
  ASSERT_EQ(ahead->GetStatus(), kRscReady);
  EXPECT_EQ(testsupport::PixelAt(static_cast<SRsc_Image*>(need)->GetDeviceTexture(0)->Pixels(), 9, 9), 0xFF00FF00u);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(testsupport::PixelAt(static_cast<SRsc_Image*>(ahead)->GetDeviceTexture(i)->Pixels(), 9, 9),
              0xFF000010u * uint32_t(i + 1));
  EXPECT_EQ(held(), base + 4 * kPicture);
  rm.ReleaseGroup(1, nullptr, 0);
  for (int i = 0; i < 2; ++i) kernel.Step();
  EXPECT_EQ(held(), base);
  io.CacheClear();
}

// A picture cut short, at any byte, fails its list with the texture line,
// and nothing of it stays charged: a cut its header shows cannot hold the
// picture is refused before any charge, and one that fails to decode gives
// its charge back at once. The image keeps the texture it made before (16
// x 16, 1 KB), charged until its release. From the cache the decode-ahead
// charged, when the list was read, the pictures it was to make: the cut's,
// where its header passed, and the 64 x 64 picture after it (16 KB), never
// made once the list failed; both are given back when it stops. The cut
// picture leaves the cache, and its entry's charge (its bytes, 384 of
// bookkeeping and its name twice) with it.
TEST_F(RscWorld, APictureCutShortFailsItsListAndKeepsNoCharge) {
  constexpr uint64_t kKept = 16 * 16 * 4;
  LoadTotal& total = LoadedTotal();
  const uint64_t before = total.Used();
  const std::string good = SolidPng(16, 16, 0xFF204080u), after = SolidPng(64, 64, 0xFF00FF00u);
  const plat::Image small = MakeImage(7, 5, [](int x, int y) { return 0x80000000u | uint32_t(x * 36) << 16 | uint32_t(y * 50); });
  const plat::Image photo = MakeImage(48, 40, [](int x, int y) { return 0xFF000000u | uint32_t(x * y * 97); });
  const std::vector<testsupport::JpegScan> progressive = {
      {{0, 1, 2}, 0, 0, 0, 0}, {{0}, 1, 63, 0, 0}, {{1}, 1, 63, 0, 0}, {{2}, 1, 63, 0, 0}};
  const struct {
    const char* what;
    std::vector<uint8_t> file;
    std::vector<size_t> cuts;
  } pictures[] = {
      {"PNG", EncodePng(small), {}},
      {"PNG interlaced", EncodePng(small, testsupport::PngKind::kRgba, true), {}},
      {"PNG palette", EncodePng(small, testsupport::PngKind::kPalette), {}},
      {"PNG grey", EncodePng(small, testsupport::PngKind::kGrey), {}},
      {"JPEG baseline", EncodeJpeg(photo, 80), {}},
      {"JPEG progressive", EncodeJpeg(photo, 80, progressive), {}},
      // 4 MB of pixels in a few kilobytes: most cuts are refused from the
      // header, the rest charged, decoded as far as they go and given back.
      {"1024 x 1024 PNG", testsupport::FlatPng(1024, 1024, 0xFF806040u), {}},
  };
  for (const auto& p : pictures) {
    SCOPED_TRACE(p.what);
    const std::vector<size_t> cuts = p.file.size() < 2000 ? testsupport::EveryCut(p.file.size())
                                                          : testsupport::SeededCuts(p.file.size(), 40, 3);
    int faults = 0;
    for (const bool cached : {false, true}) {
      io.SetCacheMode(cached ? 2 : 0, 1u << 24, 0, 0);
      for (const size_t n : cuts) {
        const std::string cut(p.file.begin(), p.file.begin() + static_cast<std::ptrdiff_t>(n));
        const std::string list = "good.png\r\ncut.png\r\nafter.png\r\n";
        io.CacheClear();
        if (cached) {
          for (const auto& [name, bytes] : {std::pair<std::string, const std::string&>{"good.png", good},
                                            {"cut.png", cut}, {"after.png", after}, {"list.tr", list}})
            ASSERT_EQ(io.Cache().AddEntry("\\c\\" + name, bytes.data(), uint32_t(bytes.size()), 0), 0);
        } else {
          ASSERT_TRUE(dir.Write("c/good.png", good));
          ASSERT_TRUE(dir.Write("c/cut.png", cut));
          ASSERT_TRUE(dir.Write("c/after.png", after));
          ASSERT_TRUE(dir.Write("c/list.tr", list));
        }
        // What the cache holds stays charged beside the image, but for the
        // cut picture's entry.
        const uint64_t base = total.Used();
        const uint64_t cutEntry = cached ? n + 384 + 2 * std::string("\\c\\cut.png").size() : 0;
        box.texts.clear();
        SRsc* slot = nullptr;
        const SRscRequest table[] = {{&slot, kImg, "\\c\\list", 0, 0, 0, 0}, kEnd};
        rm.LoadTable(1, table, -1);
        EXPECT_EQ(rm.Sync(1), 1);
        const bool ok = slot->GetStatus() == kRscFailed && static_cast<SRsc_Image*>(slot)->TextureCount() == 1 &&
                        box.Count("SRsc_Image_Ex(114) : resource open error") == 1 && box.texts.size() == 1 &&
                        total.Used() == base - cutEntry + kKept && !io.Cache().Contains("\\c\\cut.png");
        if (!ok && faults++ < 3)
          ADD_FAILURE() << (cached ? "from the cache" : "from disk") << ", cut at " << n << " bytes: status "
                        << slot->GetStatus() << ", " << box.texts.size() << " lines, "
                        << int64_t(total.Used() - base) << " bytes charged";
        rm.ReleaseGroup(1, nullptr, 0);
        for (int i = 0; i < 2; ++i) kernel.Step();
        EXPECT_EQ(total.Used(), base - cutEntry);
      }
    }
    io.CacheClear();
    EXPECT_EQ(total.Used(), before);
    EXPECT_EQ(faults, 0);
  }
}

// The decode-ahead copies the cached files when the list is read (frame
// 1) and charges their pictures then; a file that changed in the cache
// before the loader reads it (frame 2 for the second line) is decoded from
// what the loader read and charged for that: the charge taken for the copy
// (64 x 64, 16 KB) is given back, and the image holds 2 x 2 and 8 x 8.
TEST_F(RscWorld, AFileChangedInTheCacheIsChargedForWhatTheLoaderRead) {
  LoadTotal& total = LoadedTotal();
  const uint64_t before = total.Used();
  const std::string first = SolidPng(2, 2, 0xFF0000FFu), copied = SolidPng(64, 64, 0xFF00FF00u),
                    read = SolidPng(8, 8, 0xFFFF0000u), list = "first.png\r\nsecond.png\r\n";
  io.SetCacheMode(2, 1u << 24, 0, 0);
  io.CacheClear();
  ASSERT_EQ(io.Cache().AddEntry("\\k\\first.png", first.data(), uint32_t(first.size()), 0), 0);
  ASSERT_EQ(io.Cache().AddEntry("\\k\\second.png", copied.data(), uint32_t(copied.size()), 0), 0);
  ASSERT_EQ(io.Cache().AddEntry("\\k\\list.tr", list.data(), uint32_t(list.size()), 0), 0);
  uint64_t base = total.Used();  // what the cache holds
  SRsc* slot = nullptr;
  const SRscRequest table[] = {{&slot, kImg, "\\k\\list", 0, 0, 0, 0}, kEnd};
  rm.LoadTable(1, table, -1);
  kernel.Step();
  // The list, held while the image loads, the decode-ahead's copies of both
  // files and both pictures' pixels, charged ahead.
  EXPECT_EQ(total.Used(), base + list.size() + first.size() + copied.size() + 2 * 2 * 4 + 64 * 64 * 4);
  const uint64_t image = total.Used() - base;
  io.CacheClear();
  ASSERT_EQ(io.Cache().AddEntry("\\k\\first.png", first.data(), uint32_t(first.size()), 0), 0);
  ASSERT_EQ(io.Cache().AddEntry("\\k\\second.png", read.data(), uint32_t(read.size()), 0), 0);
  base = total.Used() - image;
  EXPECT_EQ(rm.Sync(1), 1);
  ASSERT_EQ(slot->GetStatus(), kRscReady);
  EXPECT_EQ(static_cast<SRsc_Image*>(slot)->GetDeviceTexture(1)->Width(), 8);
  EXPECT_EQ(total.Used(), base + 2 * 2 * 4 + 8 * 8 * 4);
  rm.ReleaseGroup(1, nullptr, 0);
  for (int i = 0; i < 2; ++i) kernel.Step();
  EXPECT_EQ(total.Used(), base);
  io.CacheClear();
  EXPECT_EQ(total.Used(), before);
}

// A picture decoded ahead whose texture cannot be made (memory runs out in
// that frame: frame 3 makes the second line's texture) holds nothing: its
// charge, taken when the list was read, is given back, and the failed
// image holds the first texture's alone.
TEST_F(RscWorld, ATextureNotMadeFromAPictureDecodedAheadKeepsNoCharge) {
  LoadTotal& total = LoadedTotal();
  const uint64_t before = total.Used();
  const std::string first = SolidPng(2, 2, 0xFF0000FFu), second = SolidPng(32, 32, 0xFF00FF00u),
                    list = "first.png\r\nsecond.png\r\n";
  io.SetCacheMode(2, 1u << 24, 0, 0);
  io.CacheClear();
  ASSERT_EQ(io.Cache().AddEntry("\\m\\first.png", first.data(), uint32_t(first.size()), 0), 0);
  ASSERT_EQ(io.Cache().AddEntry("\\m\\second.png", second.data(), uint32_t(second.size()), 0), 0);
  ASSERT_EQ(io.Cache().AddEntry("\\m\\list.tr", list.data(), uint32_t(list.size()), 0), 0);
  const uint64_t base = total.Used();  // what the cache holds
  SRsc* slot = nullptr;
  const SRscRequest table[] = {{&slot, kImg, "\\m\\list", 0, 0, 0, 0}, kEnd};
  rm.LoadTable(1, table, -1);
  for (int frame = 1; frame <= 2; ++frame) kernel.Step();
  ASSERT_EQ(static_cast<SRsc_Image*>(slot)->TextureCount(), 1);
  // The list, held while the image loads, the decode-ahead's copies of both
  // files, and both pictures' pixels, charged ahead.
  EXPECT_EQ(total.Used(), base + list.size() + first.size() + second.size() + 2 * 2 * 4 + 32 * 32 * 4);
  {
    testsupport::NewFails fail(1);
    EXPECT_NO_THROW(kernel.Step());
  }
  EXPECT_EQ(slot->GetStatus(), kRscFailed);
  EXPECT_EQ(static_cast<SRsc_Image*>(slot)->TextureCount(), 1);
  EXPECT_EQ(total.Used(), base + 2 * 2 * 4);
  rm.ReleaseGroup(1, nullptr, 0);
  for (int i = 0; i < 2; ++i) kernel.Step();
  EXPECT_EQ(total.Used(), base);
  io.CacheClear();
  EXPECT_EQ(total.Used(), before);
}

// A name that leads out of the data folder is a file the game does not
// have: the list fails at it with the missing file's lines, though a file
// of that name is there; names in subfolders, and names that go up and
// come back down inside the folder, load. The system follows such a name
// as written, so it loads only through folders that are there (in any
// case): "gone\\..\\sub\\in.png" with no folder "gone" is a missing file.
TEST_F(RscWorld, ANameOutOfTheDataFolderIsRefusedWithTheOpenError) {
  testsupport::ScopedDataDir inner(dir.Path() + "/data");
  const std::string png = SolidPng(2, 2, 0xFF00FF00u);
  ASSERT_TRUE(dir.Write("outside.png", png));
  ASSERT_TRUE(dir.Write("data/l/sub/in.png", png));
  ASSERT_TRUE(dir.Write("data/m/in.png", png));
  ASSERT_TRUE(
      dir.Write("data/l/inside.tr", "sub/in.png\r\nsub\\..\\..\\m\\in.png\r\n./sub/in.png\r\nSUB/../sub/in.png\r\n"));
  ASSERT_TRUE(dir.Write("data/l/out.tr", "sub/in.png\r\n../../outside.png\r\n"));
  ASSERT_TRUE(dir.Write("data/l/back.tr", "sub\\..\\..\\..\\outside.png\r\n"));
  ASSERT_TRUE(dir.Write("data/l/through.tr", "sub/in.png\r\ngone\\..\\sub\\in.png\r\n"));
  SRsc *inside = nullptr, *out = nullptr, *back = nullptr, *through = nullptr;
  const SRscRequest rows[] = {{&inside, kImg, "\\l\\inside", 0, 0, 0, 0},
                              {&out, kImg, "\\l\\out", 0, 0, 0, 0},
                              {&back, kImg, "\\l\\back", 0, 0, 0, 0},
                              {&through, kImg, "\\l\\through", 0, 0, 0, 0},
                              kEnd};
  rm.LoadTable(1, rows, -1);
  EXPECT_EQ(rm.Sync(1), 1);
  EXPECT_EQ(inside->GetStatus(), kRscReady);
  EXPECT_EQ(static_cast<SRsc_Image*>(inside)->TextureCount(), 4);
  EXPECT_EQ(out->GetStatus(), kRscFailed);
  EXPECT_EQ(static_cast<SRsc_Image*>(out)->TextureCount(), 1);
  EXPECT_EQ(back->GetStatus(), kRscFailed);
  EXPECT_EQ(through->GetStatus(), kRscFailed);
  EXPECT_EQ(static_cast<SRsc_Image*>(through)->TextureCount(), 1);
  EXPECT_EQ(box.Count("Vrax\\Io\\SIOMan(136) : file open error"), 3);
  EXPECT_EQ(box.Count("SRsc_Image_Ex(102) : resource open error"), 3);
  EXPECT_EQ(box.texts.size(), 6u);
}

// Memory running out is the texture line's open error and the image stops
// there, with what it made: in the decoder (the 1024 x 1024 picture's 4 MB
// refused) and in the loader's own lists (the name given again after 64
// others, whose number has no room: the list of 64 textures cannot grow to
// 128, 1 KB). Nothing is thrown through the frame.
TEST_F(RscWorld, MemoryRunningOutIsTheOpenError) {
  ASSERT_TRUE(dir.Write("o/big.png", SolidPng(1024, 1024, 0xFF000080u)));
  ASSERT_TRUE(dir.Write("o/one.tr", "big.png\r\n"));
  const std::string dot = SolidPng(1, 1, 0xFF00FF00u);
  for (int i = 0; i < 64; ++i) ASSERT_TRUE(dir.Write("o/t" + std::to_string(i) + ".png", dot));
  ASSERT_TRUE(dir.Write("o/two.tr", Numbered("t", ".png\r\n", 64) + "t0.png\r\n"));
  SRsc *one = nullptr, *two = nullptr;
  const SRscRequest first[] = {{&one, kImg, "\\o\\one", 0, 0, 0, 0}, kEnd};
  rm.LoadTable(1, first, -1);
  int refused = 0;
  {
    testsupport::NewFails fail(1024 * 1024 * 4);
    EXPECT_NO_THROW(rm.Sync(1));
    refused = fail.Refused();
  }
  EXPECT_EQ(refused, 1);
  EXPECT_EQ(one->GetStatus(), kRscFailed);
  EXPECT_EQ(static_cast<SRsc_Image*>(one)->TextureCount(), 0);
  EXPECT_EQ(box.Count("SRsc_Image_Ex(114) : resource open error"), 1);

  // The frames of the list and of the 64 files; then the frame in which the
  // name given again would bind t0's texture.
  const SRscRequest second[] = {{&two, kImg, "\\o\\two", 0, 0, 0, 0}, kEnd};
  rm.LoadTable(1, second, -1);
  for (int i = 0; i < 2 + 2 * 64; ++i) kernel.Step();
  auto* img = static_cast<SRsc_Image*>(two);
  ASSERT_EQ(img->TextureCount(), 64);
  {
    testsupport::NewFails fail(128 * sizeof(void*));
    EXPECT_NO_THROW(kernel.Step());
    refused = fail.Refused();
  }
  EXPECT_EQ(refused, 1);
  EXPECT_EQ(two->GetStatus(), kRscFailed);
  EXPECT_EQ(img->TextureCount(), 64);
  EXPECT_NE(img->GetDeviceTexture(63), nullptr);
  EXPECT_EQ(box.Count("SRsc_Image_Ex(114) : resource open error"), 2);
  EXPECT_EQ(box.texts.size(), 2u);

  // Without any memory even the line cannot be shown: the image still ends
  // failed, so that nothing waits for it.
  SRsc* three = nullptr;
  const SRscRequest third[] = {{&three, kImg, "\\o\\two", 0, 0, 0, 0}, kEnd};
  rm.LoadTable(1, third, -1);
  for (int i = 0; i < 2 + 2 * 64; ++i) kernel.Step();
  ASSERT_EQ(static_cast<SRsc_Image*>(three)->TextureCount(), 64);
  {
    testsupport::NewFails fail(1);
    EXPECT_NO_THROW(kernel.Step());
  }
  EXPECT_EQ(three->GetStatus(), kRscFailed);
  EXPECT_EQ(box.texts.size(), 2u);
  kernel.Step();
  EXPECT_EQ(rm.Sync(0), 1);  // all settled: the game goes on
}

TEST_F(RscWorld, TablesKindsAndGroups) {
  ASSERT_TRUE(dir.Write("g/a.tr", "a.png"));
  ASSERT_TRUE(dir.Write("g/a.png", SolidPng(1, 1, 0xFF000000u)));
  SRsc *s0 = nullptr, *s1 = nullptr, *s2 = nullptr, *s3 = reinterpret_cast<SRsc*>(1);
  const SRscRequest table[] = {
      {&s0, kImg, "\\g\\a", 0, 0, 0, 0}, {&s1, kImg, "\\g\\a", 0, 0, 0, 0}, {&s2, kImg, "\\g\\a", 0, 0, 0, 0}, kEnd};
  // The manager's name, its place behind the I/O manager in kernel list 3,
  // its 16 group lists and its three kinds.
  EXPECT_EQ(rm.GetName(), "VRAX Resource Manager");
  EXPECT_EQ(kernel.GetList(3)->Head(), &io);
  EXPECT_EQ(kernel.GetList(3)->Tail(), &rm);
  EXPECT_EQ(rm.ListCount(), 16);
  EXPECT_EQ(RscTag("IMG"), 0x494D47u);
  EXPECT_EQ(RscTag("MDL"), 0x4D444Cu);
  EXPECT_EQ(RscTag("SND"), 0x534E44u);
  rm.LoadTable(17, table, 2);  // group 17 & 15 = 1; two rows only
  ASSERT_TRUE(s0 && s1);
  EXPECT_EQ(s2, nullptr);
  EXPECT_EQ(s0->GetGroup(), 1);
  EXPECT_EQ(rm.GetList(1)->Count(), 2);
  rm.LoadTable(1, &table[3], -1);  // a table that starts with its end
  EXPECT_EQ(rm.GetList(1)->Count(), 2);

  const SRscRequest unknown[] = {{&s3, RscTag("XYZ"), "\\g\\a", 0, 0, 0, 0}, kEnd};
  rm.LoadTable(1, unknown, -1);
  EXPECT_EQ(s3, nullptr);
  EXPECT_EQ(box.Count("SRscMan(110) : resoruce type error"), 1);

  // The first kind registered for a tag wins.
  static int secondCalls = 0;
  rm.RegisterKind(kImg, []() -> SRsc* {
    ++secondCalls;
    return nullptr;
  });
  EXPECT_NE(rm.CreateResource(1, kImg, "\\g\\a", 0, 0, 0, 0), nullptr);
  EXPECT_EQ(secondCalls, 0);

  // Regrouping a live resource moves it to the back of that group's list.
  s0->SetGroup(5);
  EXPECT_EQ(s0->GetGroup(), 5);
  EXPECT_EQ(rm.GetList(5)->Tail(), s0);

  // Group memory comes from the buffer given at release.
  alignas(32) static uint8_t buffer[4096 + 8];
  rm.ReleaseGroup(3, buffer + 8, 4096);
  EXPECT_EQ(rm.GroupAllocator(3), buffer + 32);
  EXPECT_EQ(rm.Allocator(3).Capacity(), 4096u - 24);
  SRsc* r = rm.CreateResource(3, kImg, "\\g\\a", 0, 0, 0, 0);
  EXPECT_EQ(r->GroupAlloc(100), buffer + 32);
  EXPECT_EQ(rm.GroupAlloc(3, 1), buffer + 32 + 128);
  EXPECT_EQ(rm.GroupAlloc(4, 1), nullptr);  // a group without memory
  EXPECT_EQ(rm.Sync(1), 1);
}

// A kind whose loader never finishes and waits on no file: the wait gives up
// after a bounded number of idle passes instead of hanging.
TEST_F(RscWorld, SyncDoesNotSpinForeverOnAStuckLoader) {
  struct Stuck : SRsc {
    uint32_t Kind() const override { return RscTag("STK"); }
    int32_t Init(SProcArg) override {
      SetInitResult(0);
      return 0;
    }
  };
  rm.RegisterKind(RscTag("STK"), []() -> SRsc* { return new Stuck; });
  SRsc* r = rm.CreateResource(0, RscTag("STK"), "\\stuck", 0, 0, 0, 0);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(rm.Sync(1), 1);
  EXPECT_EQ(box.Count("resource busy error"), 1);
  EXPECT_EQ(rm.Sync(0), 0);  // it is still loading
}

// Damaged lists through the whole loader: every one ends ready or failed,
// none hangs the wait or reads past its data.
TEST_F(RscWorld, MutatedListsSettle) {
  ASSERT_TRUE(dir.Write("m/t.png", SolidPng(1, 1, 0xFF00FF00u)));
  const std::string seed = "t.png\r\nt.png t.png\r\n";
  uint32_t s = 99;
  auto next = [&s]() {
    s = s * 1103515245u + 12345u;
    return s >> 10;
  };
  std::vector<SRsc*> slots(60, nullptr);
  std::vector<SRscRequest> table;
  std::vector<std::string> names(slots.size());
  for (size_t i = 0; i < slots.size(); ++i) {
    std::string text = seed;
    for (int e = 0; e < 3; ++e) {
      size_t at = next() % (text.size() + 1);
      if (next() % 2)
        text.insert(at, std::string(1 + next() % 200, static_cast<char>(next() & 0xFF)));
      else if (at < text.size())
        text[at] = static_cast<char>(next() & 0xFF);
    }
    names[i] = "\\m\\l" + std::to_string(i);
    ASSERT_TRUE(dir.Write("m/l" + std::to_string(i) + ".tr", text));
    table.push_back({&slots[i], kImg, names[i].c_str(), 0, 0, 0, 0});
  }
  table.push_back(kEnd);
  rm.LoadTable(4, table.data(), -1);
  EXPECT_EQ(rm.Sync(1), 1);
  for (SRsc* r : slots) EXPECT_TRUE(r->IsSettled());
}

}  // namespace
