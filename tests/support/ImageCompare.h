#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/gfx_device.h"  // plat::Image (8-bit RGBA, rows from the top)
#include "support/image_files.h"  // PixelAt, MakeImage, EncodePng

// Image helpers for screenshot tests: PNG files in and out, and a comparison
// with a per-channel tolerance that reports where and how much two images
// differ.
namespace testsupport {

bool WritePng(const std::string& path, const plat::Image& image);
bool ReadPng(const std::string& path, plat::Image* image);

struct ImageDiff {
  bool sameSize = false;
  int64_t pixelsOver = 0;  // pixels with a channel beyond the tolerance
  int maxChannelDiff = 0;
  int firstX = -1, firstY = -1;  // first pixel beyond the tolerance
};
ImageDiff DiffImages(const plat::Image& actual, const plat::Image& expected, int tolerance);

// Pixels in [x0, x1) x [y0, y1), clipped to the image, whose colour differs
// from `colour` (0xAARRGGBB) by more than tolerance in some channel.
int64_t PixelsUnlike(const plat::Image& image, uint32_t colour, int x0, int y0, int x1, int y1, int tolerance = 2);

// Passes when both images have the same size and at most maxPixelsOver
// pixels differ by more than tolerance in some channel.
::testing::AssertionResult ImagesMatch(const plat::Image& actual, const plat::Image& expected,
                                       int tolerance = 2, int64_t maxPixelsOver = 0);

// Compares with the reference PNG tests/golden/<name>. Only with
// OSTREL_UPDATE_GOLDEN=1 in the environment is the image written as the new
// reference (and the test passes). A missing or undecodable reference fails,
// as does a mismatch; the actual image is then written next to the test
// binaries as golden-actual/<name> for inspection.
::testing::AssertionResult MatchesGolden(const plat::Image& actual, const std::string& name,
                                         int tolerance = 2, int64_t maxPixelsOver = 0);
// The same with the reference and the place for the actual image given.
::testing::AssertionResult MatchesReference(const plat::Image& actual, const std::string& reference,
                                            const std::string& actualOut, int tolerance, int64_t maxPixelsOver);

// Play space on the 640 x 480 picture: 0.75 pixels a unit around (320, 240).
inline int PlayPx(float x) { return static_cast<int>(320.0f + x * 0.75f); }
inline int PlayPy(float y) { return static_cast<int>(240.0f + y * 0.75f); }

// Pixels of the play-space box [x0, x1) x [y0, y1) whose colour passes
// test(r, g, b).
template <class Test>
int CountPlayPixels(const plat::Image& img, float x0, float y0, float x1, float y1, Test test) {
  int n = 0;
  for (int y = PlayPy(y0); y < PlayPy(y1); ++y)
    for (int x = PlayPx(x0); x < PlayPx(x1); ++x) {
      const uint32_t p = PixelAt(img, x, y);
      if (test((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF)) ++n;
    }
  return n;
}

}  // namespace testsupport
