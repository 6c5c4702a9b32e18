#include "platform/dds_image.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/ExpectAll.h"
#include "support/image_files.h"

using Bytes = std::vector<uint8_t>;

namespace {

void Le32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A header laid out by hand (shared with the fuzz seeds).
Bytes Header(uint32_t w, uint32_t h, uint32_t pfFlags, uint32_t fourCc, uint32_t bits, uint32_t r, uint32_t g,
             uint32_t b, uint32_t a) {
  return testsupport::DdsHeader(w, h, pfFlags, fourCc, bits, r, g, b, a);
}

Bytes Px(const plat::Image& img, int x, int y) {
  const uint8_t* p = &img.rgba[(size_t(y) * img.width + x) * 4];
  return Bytes(p, p + 4);
}

TEST(DdsImage, UncompressedLayouts) {
  // A8R8G8B8: bytes B, G, R, A.
  Bytes argb = Header(2, 1, 0x41, 0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
  argb.insert(argb.end(), {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80});
  // R5G6B5 without alpha: 0xF800 is full red, 0x0400 is green 32 of 63.
  Bytes rgb565 = Header(2, 1, 0x40, 0, 16, 0xF800, 0x07E0, 0x001F, 0);
  rgb565.insert(rgb565.end(), {0x00, 0xF8, 0x00, 0x04});
  // Luminance with alpha, 8 + 8 bits; an alpha-only 8-bit surface.
  Bytes la = Header(1, 1, 0x20001, 0, 16, 0x00FF, 0, 0, 0xFF00);
  la.insert(la.end(), {0x80, 0x40});
  Bytes a8 = Header(1, 1, 0x2, 0, 8, 0, 0, 0, 0xFF);
  a8.push_back(0x33);
  struct Case {
    const Bytes* file;
    int x;
    Bytes rgba;
  } cases[] = {{&argb, 0, {255, 0, 0, 255}}, {&argb, 1, {0, 0, 255, 128}}, {&rgb565, 0, {255, 0, 0, 255}},
               {&rgb565, 1, {0, 130, 0, 255}}, {&la, 0, {128, 128, 128, 64}},   {&a8, 0, {0, 0, 0, 0x33}}};
  for (const Case& c : cases) {
    plat::Image img;
    ASSERT_TRUE(plat::DecodeDds(c.file->data(), c.file->size(), &img));
    EXPECT_EQ(Px(img, c.x, 0), c.rgba);
  }
}

TEST(DdsImage, DxtBlocks) {
  // One DXT1 block: colour 0 white, colour 1 black, index 1 for the first
  // pixel only (bits 0-1 of the index word).
  Bytes dxt1 = Header(4, 4, 0x4, 0x31545844, 0, 0, 0, 0, 0);
  dxt1.insert(dxt1.end(), {0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00});
  plat::Image img;
  ASSERT_TRUE(plat::DecodeDds(dxt1.data(), dxt1.size(), &img));
  EXPECT_ALL({VAL(img.width, 4), VAL(img.height, 4)});
  EXPECT_EQ(Px(img, 0, 0), (Bytes{0, 0, 0, 255}));
  EXPECT_EQ(Px(img, 1, 0), (Bytes{255, 255, 255, 255}));
  // DXT5: alpha endpoints 255 and 0 with every alpha index 1 (alpha 0).
  Bytes dxt5 = Header(4, 4, 0x4, 0x35545844, 0, 0, 0, 0, 0);
  dxt5.insert(dxt5.end(), {0xFF, 0x00, 0x49, 0x92, 0x24, 0x49, 0x92, 0x24});
  dxt5.insert(dxt5.end(), {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
  ASSERT_TRUE(plat::DecodeDds(dxt5.data(), dxt5.size(), &img));
  EXPECT_EQ(Px(img, 3, 3), (Bytes{255, 255, 255, 0}));
}

TEST(DdsImage, DamagedFilesAreRefused) {
  Bytes good = Header(2, 2, 0x40, 0, 32, 0xFF0000, 0xFF00, 0xFF, 0);
  good.resize(128 + 16);
  std::vector<std::pair<const char*, Bytes>> bad;
  auto with = [&](size_t at, uint32_t v) {
    Bytes b = good;
    Le32(b, at, v);
    return b;
  };
  bad.push_back({"short data", Bytes(good.begin(), good.end() - 1)});
  bad.push_back({"no magic", with(0, 0)});
  bad.push_back({"header size", with(4, 100)});
  bad.push_back({"huge width", with(16, 0x100000)});
  bad.push_back({"zero height", with(12, 0)});
  bad.push_back({"cube map", with(112, 0x200)});
  bad.push_back({"odd bit count", with(88, 12)});
  bad.push_back({"unknown four-cc", with(80, 0x4)});
  bad.push_back({"truncated DXT", Header(8, 8, 0x4, 0x31545844, 0, 0, 0, 0, 0)});
  for (auto& [what, b] : bad) {
    plat::Image img;
    img.width = 5;
    EXPECT_FALSE(plat::DecodeDds(b.data(), b.size(), &img)) << what;
    EXPECT_ALL({VAL(img.width, 0), VAL(img.rgba.size(), size_t{0})});
  }
  plat::Image img;
  EXPECT_TRUE(plat::DecodeDds(good.data(), good.size(), &img));
}

}  // namespace
