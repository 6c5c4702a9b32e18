#include "support/ImageCompare.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/image_decode.h"
#include "support/BuildDirs.h"

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

int64_t PixelsUnlike(const plat::Image& image, uint32_t colour, int x0, int y0, int x1, int y1, int tolerance) {
  int64_t n = 0;
  for (int y = std::max(y0, 0); y < std::min(y1, image.height); ++y)
    for (int x = std::max(x0, 0); x < std::min(x1, image.width); ++x) {
      const uint32_t p = PixelAt(image, x, y);
      for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int(p >> shift & 0xFF) - int(colour >> shift & 0xFF)) > tolerance) {
          ++n;
          break;
        }
    }
  return n;
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

::testing::AssertionResult MatchesReference(const plat::Image& actual, const std::string& reference,
                                            const std::string& actualOut, int tolerance, int64_t maxPixelsOver) {
  const char* update = std::getenv("OSTREL_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    if (!WritePng(reference, actual))
      return ::testing::AssertionFailure() << "cannot write reference " << reference;
    return ::testing::AssertionSuccess();
  }
  plat::Image expected;
  ::testing::AssertionResult r = ::testing::AssertionSuccess();
  if (!std::filesystem::exists(reference))
    r = ::testing::AssertionFailure() << "no reference image " << reference
                                      << " (OSTREL_UPDATE_GOLDEN=1 writes it; check it, then commit it)";
  else if (!ReadPng(reference, &expected))
    r = ::testing::AssertionFailure() << "reference image " << reference << " cannot be decoded";
  else
    r = ImagesMatch(actual, expected, tolerance, maxPixelsOver);
  if (!r) {
    WritePng(actualOut, actual);
    r << " (actual image written to " << actualOut << ")";
  }
  return r;
}

::testing::AssertionResult MatchesGolden(const plat::Image& actual, const std::string& name,
                                         int tolerance, int64_t maxPixelsOver) {
  return MatchesReference(actual, std::string(testsupport::TestSourceDir()) + "/golden/" + name,
                          std::string(testsupport::TestBinaryDir()) + "/golden-actual/" + name, tolerance, maxPixelsOver);
}

}  // namespace testsupport
