#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/image_files.h"
#include "vrax/resource/ImageDecodeAhead.h"

namespace {

using Result = ImageDecodeAhead::Result;
using Bytes = ImageDecodeAhead::Bytes;

Bytes Png(int w, int h, uint32_t argb) {
  const std::vector<uint8_t> png =
      testsupport::EncodePng(testsupport::MakeImage(w, h, [argb](int, int) { return argb; }));
  return Bytes(png.begin(), png.end());
}

// Each file's decode is handed out once, and only for the very bytes it was
// made from; a file without bytes is left to the caller.
TEST(ImageDecodeAhead, TakesEachDecodeOnceForItsOwnBytes) {
  const Bytes a = Png(5, 4, 0xFF00FF00u), b = Png(2, 2, 0x40102030u);
  const Bytes broken = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 'x'};
  ImageDecodeAhead ahead;
  ASSERT_TRUE(ahead.Start({a, {}, broken, b}));
  plat::Image img;
  EXPECT_EQ(ahead.Take(3, a.data(), a.size(), &img), Result::kNone);  // other bytes
  ASSERT_EQ(ahead.Take(0, a.data(), a.size(), &img), Result::kDecoded);
  EXPECT_EQ(img.width, 5);
  EXPECT_EQ(testsupport::PixelAt(img, 4, 3), 0xFF00FF00u);
  EXPECT_EQ(ahead.Take(0, a.data(), a.size(), &img), Result::kNone);  // taken
  EXPECT_EQ(ahead.Take(1, a.data(), a.size(), &img), Result::kNone);  // not decoded ahead
  EXPECT_EQ(ahead.Take(2, broken.data(), broken.size(), &img), Result::kDamaged);
  ASSERT_EQ(ahead.Take(3, b.data(), b.size(), &img), Result::kDecoded);
  EXPECT_EQ(testsupport::PixelAt(img, 1, 1), 0x40102030u);
  EXPECT_EQ(ahead.Take(4, b.data(), b.size(), &img), Result::kNone);  // beyond the list
}

TEST(ImageDecodeAhead, NothingToDecodeStartsNothingAndStopDropsTheRest) {
  ImageDecodeAhead ahead;
  EXPECT_FALSE(ahead.Start({}));
  EXPECT_FALSE(ahead.Start({{}, {}}));
  const Bytes big = Png(1024, 1024, 0xFFFFFFFFu);
  ASSERT_TRUE(ahead.Start({big, big, big}));
  ahead.Stop();  // waits for the file in progress
  plat::Image img;
  EXPECT_EQ(ahead.Take(2, big.data(), big.size(), &img), Result::kNone);
  ASSERT_TRUE(ahead.Start({big}));  // dropped while running: the destructor waits
}

// Each file may be decoded into at most the bytes given for it (a 5 x 4
// picture takes 80): a larger picture is refused before it is made and
// taken as damaged. A file without a limit has the decoder's own bounds.
TEST(ImageDecodeAhead, EachFileIsHeldToItsBytes) {
  const Bytes a = Png(5, 4, 0xFF00FF00u);
  ImageDecodeAhead ahead;
  ASSERT_TRUE(ahead.Start({a, a, a}, {80, 79}));
  plat::Image img;
  ASSERT_EQ(ahead.Take(0, a.data(), a.size(), &img), Result::kDecoded);
  EXPECT_EQ(img.rgba.size(), 80u);
  EXPECT_EQ(ahead.Take(1, a.data(), a.size(), &img), Result::kDamaged);
  EXPECT_EQ(ahead.Take(2, a.data(), a.size(), &img), Result::kDecoded);
}

}  // namespace
