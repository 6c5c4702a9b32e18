#include "platform/image_decode.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstdlib>

#include "support/image_files.h"

using plat::DecodeImage;
using plat::Image;
using testsupport::EncodeJpeg;
using testsupport::EncodePng;
using testsupport::MakeImage;
using testsupport::PixelAt;
using testsupport::PngKind;

namespace {

// 7 x 5 (odd, non-power-of-two) with a distinct colour and alpha per pixel.
Image Pattern() {
  return MakeImage(7, 5, [](int x, int y) {
    return uint32_t(x * 30 + y) << 24 | uint32_t(x * 36) << 16 | uint32_t(y * 60) << 8 | uint32_t(255 - x * 20);
  });
}

TEST(ImageDecode, PngKeepsEveryPixelAndAlphaAtAnySize) {
  const Image src = Pattern();
  const auto png = EncodePng(src);
  Image out;
  std::string err;
  ASSERT_TRUE(DecodeImage(png.data(), png.size(), &out, &err)) << err;
  EXPECT_EQ(out.width, 7);
  EXPECT_EQ(out.height, 5);
  EXPECT_EQ(out.rgba, src.rgba);
}

TEST(ImageDecode, PngWithoutAlphaPaletteOrGreyBecomesOpaqueRgba) {
  const Image src = MakeImage(3, 2, [](int x, int y) { return 0x80000000u | uint32_t(x * 80) << 16 | uint32_t(y * 90) << 8 | 7u; });
  Image out;
  const auto rgb = EncodePng(src, PngKind::kRgb);
  ASSERT_TRUE(DecodeImage(rgb.data(), rgb.size(), &out));
  EXPECT_EQ(PixelAt(out, 2, 1), 0xFFA05A07u);
  const auto pal = EncodePng(src, PngKind::kPalette);
  ASSERT_TRUE(DecodeImage(pal.data(), pal.size(), &out));
  EXPECT_EQ(PixelAt(out, 1, 1), 0xFF505A07u);
  const auto grey = EncodePng(src, PngKind::kGrey);
  ASSERT_TRUE(DecodeImage(grey.data(), grey.size(), &out));
  EXPECT_EQ(PixelAt(out, 2, 0), 0xFFA0A0A0u);  // grey = red channel, replicated
}

TEST(ImageDecode, JpegDecodesOpaqueWithinCompressionError) {
  const Image src = MakeImage(33, 17, [](int x, int) { return x < 16 ? 0xFFC03020u : 0xFF2050E0u; });
  const auto jpg = EncodeJpeg(src, 100);
  Image out;
  std::string err;
  ASSERT_TRUE(DecodeImage(jpg.data(), jpg.size(), &out, &err)) << err;
  ASSERT_EQ(out.width, 33);
  ASSERT_EQ(out.height, 17);
  for (int y : {0, 8, 16})
    for (int x : {2, 30}) {
      const uint32_t want = PixelAt(src, x, y), got = PixelAt(out, x, y);
      EXPECT_EQ(got >> 24, 0xFFu);
      for (int s : {0, 8, 16}) EXPECT_NEAR(int(got >> s & 0xFF), int(want >> s & 0xFF), 6) << x << "," << y;
    }
}

TEST(ImageDecode, UnknownEmptyAndTruncatedDataFailCleanly) {
  Image out;
  std::string err;
  EXPECT_FALSE(DecodeImage(nullptr, 0, &out, &err));
  const char text[] = "not an image at all";
  EXPECT_FALSE(DecodeImage(text, sizeof text, &out, &err));
  EXPECT_EQ(err, "unknown image format");
  const auto png = EncodePng(Pattern());
  const auto jpg = EncodeJpeg(Pattern());
  for (size_t cut : {size_t{8}, size_t{20}, png.size() / 2, png.size() - 1}) {
    EXPECT_FALSE(DecodeImage(png.data(), cut, &out, &err)) << cut;
    EXPECT_TRUE(out.rgba.empty());
    EXPECT_EQ(out.width, 0);
  }
  for (size_t cut : {size_t{3}, size_t{40}, jpg.size() / 2, jpg.size() - 2}) {
    EXPECT_FALSE(DecodeImage(jpg.data(), cut, &out, &err)) << cut;
    EXPECT_TRUE(out.rgba.empty());
  }
}

TEST(ImageDecode, HugeDeclaredSizeIsRefusedBeforeAllocating) {
  auto png = EncodePng(Pattern());
  // IHDR width at bytes 16..19; 60000 wide. The chunk CRC no longer matches,
  // so libpng stops either way; patch the CRC too so only the size check
  // can refuse it.
  png[16] = 0; png[17] = 0; png[18] = 0xEA; png[19] = 0x60;
  uint32_t crc = static_cast<uint32_t>(crc32(0, png.data() + 12, 17));
  png[29] = crc >> 24; png[30] = crc >> 16; png[31] = crc >> 8; png[32] = crc;
  Image out;
  std::string err;
  EXPECT_FALSE(DecodeImage(png.data(), png.size(), &out, &err));
  EXPECT_TRUE(out.rgba.empty());
}

}  // namespace
