#include "support/ImageCompare.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/image_decode.h"

namespace testsupport {

bool WritePng(const std::string& path, const plat::Image& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.rgba.size() != size_t(image.width) * image.height * 4)
    return false;
  std::vector<uint8_t> bytes = EncodePng(image);
  if (bytes.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
}

bool ReadPng(const std::string& path, plat::Image* image) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  std::string bytes = s.str();
  return plat::DecodeImage(bytes.data(), bytes.size(), image);
}

ImageDiff DiffImages(const plat::Image& a, const plat::Image& b, int tolerance) {
  ImageDiff d;
  d.sameSize = a.width == b.width && a.height == b.height && a.rgba.size() == b.rgba.size();
  if (!d.sameSize) return d;
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      size_t i = (size_t(y) * a.width + x) * 4;
      int worst = 0;
      for (int c = 0; c < 4; ++c) worst = std::max(worst, std::abs(int(a.rgba[i + c]) - int(b.rgba[i + c])));
      d.maxChannelDiff = std::max(d.maxChannelDiff, worst);
      if (worst > tolerance) {
        if (d.pixelsOver++ == 0) {
          d.firstX = x;
          d.firstY = y;
        }
      }
    }
  }
  return d;
}

::testing::AssertionResult ImagesMatch(const plat::Image& actual, const plat::Image& expected,
                                       int tolerance, int64_t maxPixelsOver) {
  ImageDiff d = DiffImages(actual, expected, tolerance);
  if (!d.sameSize)
    return ::testing::AssertionFailure() << "size " << actual.width << "x" << actual.height
                                         << ", expected " << expected.width << "x"
                                         << expected.height;
  if (d.pixelsOver > maxPixelsOver) {
    char first[64];
    std::snprintf(first, sizeof first, "%08X vs %08X", PixelAt(actual, d.firstX, d.firstY),
                  PixelAt(expected, d.firstX, d.firstY));
    return ::testing::AssertionFailure()
           << d.pixelsOver << " pixels differ by more than " << tolerance << " (largest "
           << d.maxChannelDiff << "); first at (" << d.firstX << ", " << d.firstY << "): " << first;
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult MatchesGolden(const plat::Image& actual, const std::string& name,
                                         int tolerance, int64_t maxPixelsOver) {
  const std::string golden = std::string(OSTREL_TEST_SOURCE_DIR) + "/golden/" + name;
  const char* update = std::getenv("OSTREL_UPDATE_GOLDEN");
  plat::Image expected;
  if ((update && *update == '1') || !ReadPng(golden, &expected)) {
    bool existed = std::filesystem::exists(golden);
    if (!WritePng(golden, actual))
      return ::testing::AssertionFailure() << "cannot write reference " << golden;
    if (!existed)
      return ::testing::AssertionFailure() << "no reference image; wrote " << golden
                                           << " (check it, then commit it)";
    return ::testing::AssertionSuccess();
  }
  ::testing::AssertionResult r = ImagesMatch(actual, expected, tolerance, maxPixelsOver);
  if (!r) {
    std::string out = std::string(OSTREL_TEST_BINARY_DIR) + "/golden-actual/" + name;
    WritePng(out, actual);
    r << " (actual image written to " << out << ")";
  }
  return r;
}

}  // namespace testsupport
