#include <gtest/gtest.h>

#include <filesystem>

#include "support/ImageCompare.h"
#include "support/TempDir.h"

namespace {

plat::Image Gradient(int w, int h) {
  plat::Image img;
  img.width = w;
  img.height = h;
  img.rgba.resize(size_t(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &img.rgba[(size_t(y) * w + x) * 4];
      p[0] = uint8_t(x * 7);
      p[1] = uint8_t(y * 13);
      p[2] = uint8_t(x ^ y);
      p[3] = uint8_t(255 - x);
    }
  return img;
}

TEST(ImageCompare, PngRoundTripKeepsEveryByteAndToleranceCounts) {
  testsupport::TempDir dir;
  plat::Image a = Gradient(37, 11);  // odd width: rows are not padded
  ASSERT_TRUE(testsupport::WritePng(dir.File("a.png"), a));
  plat::Image b;
  ASSERT_TRUE(testsupport::ReadPng(dir.File("a.png"), &b));
  EXPECT_EQ(b.width, 37);
  EXPECT_EQ(b.height, 11);
  EXPECT_EQ(a.rgba, b.rgba);
  EXPECT_EQ(testsupport::PixelAt(a, 3, 2), 0xFC151A01u);  // A=255-3, R=21, G=26, B=1

  b.rgba[(2 * 37 + 5) * 4 + 1] += 2;  // within tolerance 2
  EXPECT_TRUE(testsupport::ImagesMatch(b, a, 2));
  b.rgba[(4 * 37 + 9) * 4 + 3] += 3;  // one pixel beyond it
  EXPECT_FALSE(testsupport::ImagesMatch(b, a, 2));
  EXPECT_TRUE(testsupport::ImagesMatch(b, a, 2, 1));
  testsupport::ImageDiff d = testsupport::DiffImages(b, a, 2);
  EXPECT_EQ(d.pixelsOver, 1);
  EXPECT_EQ(d.firstX, 9);
  EXPECT_EQ(d.firstY, 4);
  EXPECT_EQ(d.maxChannelDiff, 3);

  EXPECT_FALSE(testsupport::ImagesMatch(Gradient(37, 10), a));
  EXPECT_FALSE(testsupport::ReadPng(dir.File("missing.png"), &b));
}

// A reference is written only on request: a missing or damaged one fails
// and stays as it was; the actual image goes beside the test binaries.
TEST(ImageCompare, ReferenceIsWrittenOnlyWithTheUpdateSwitch) {
  testsupport::TempDir dir;
  const plat::Image a = Gradient(9, 4);
  const std::string ref = dir.File("ref.png"), out = dir.File("out/ref.png");
  testsupport::ScopedEnv update("OSTREL_UPDATE_GOLDEN", nullptr);
  EXPECT_FALSE(testsupport::MatchesReference(a, ref, out, 2, 0));
  EXPECT_FALSE(std::filesystem::exists(ref));
  EXPECT_TRUE(std::filesystem::exists(out));

  ASSERT_TRUE(dir.Write("ref.png", "not a picture"));
  EXPECT_FALSE(testsupport::MatchesReference(a, ref, out, 2, 0));
  EXPECT_EQ(dir.Read("ref.png"), "not a picture");

  update.Set("1");
  EXPECT_TRUE(testsupport::MatchesReference(a, ref, out, 2, 0));
  update.Set(nullptr);
  EXPECT_TRUE(testsupport::MatchesReference(a, ref, out, 2, 0));
  EXPECT_FALSE(testsupport::MatchesReference(Gradient(9, 5), ref, out, 2, 0));
}

}  // namespace
