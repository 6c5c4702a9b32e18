#include "support/PictureCuts.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/dds_image.h"
#include "platform/image_decode.h"
#include "support/NewFails.h"

namespace testsupport {

const PictureReader kImageReader = {
    "PNG and JPEG",
    [](const uint8_t* d, size_t n, plat::Image* out) { return plat::DecodeImage(d, n, out); },
    [](const uint8_t* d, size_t n, int* w, int* h) { return plat::ReadImageSize(d, n, w, h); },
};
const PictureReader kBmpReader = {
    "BMP",
    [](const uint8_t* d, size_t n, plat::Image* out) { return plat::DecodeBmp(d, n, out); },
    [](const uint8_t* d, size_t n, int* w, int* h) { return plat::ReadBmpSize(d, n, w, h); },
};
const PictureReader kDdsReader = {
    "DDS",
    [](const uint8_t* d, size_t n, plat::Image* out) { return plat::DecodeDds(d, n, out); },
    nullptr,
};

std::vector<size_t> EveryCut(size_t size) {
  std::vector<size_t> cuts;
  for (size_t n = 1; n < size; ++n) cuts.push_back(n);
  return cuts;
}

std::vector<size_t> SeededCuts(size_t size, int count, uint32_t seed) {
  std::vector<size_t> cuts;
  uint64_t s = seed;
  for (int i = 0; i < count && size > 1; ++i) {
    s = s * 6364136223846793005u + 1442695040888963407u;
    cuts.push_back(1 + size_t((s >> 33) % (size - 1)));
  }
  return cuts;
}

void ExpectCutsRefused(const PictureReader& reader, const std::vector<uint8_t>& file, uint64_t rgbaPerByte,
                       const std::vector<size_t>& cuts) {
  int accepted = 0, tooLarge = 0, claimed = 0;
  size_t firstAccepted = 0, firstTooLarge = 0, firstClaimed = 0;  // the first cut of each fault
  for (const size_t n : cuts) {
    const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(std::min(n, file.size())));
    const uint64_t most = rgbaPerByte * n;
    plat::Image out;
    bool ok = false;
    int refused = 0;
    {
      NewFails fail(static_cast<size_t>(most + kCutSlack));
      ok = reader.decode(cut.data(), cut.size(), &out);
      refused = fail.Refused();
    }
    if (ok || !out.rgba.empty() || out.width != 0) {
      if (accepted++ == 0) firstAccepted = n;
    }
    if (refused != 0) {
      if (tooLarge++ == 0) firstTooLarge = n;
    }
    int w = 0, h = 0;
    if (reader.readSize && reader.readSize(cut.data(), cut.size(), &w, &h) && plat::ImageSizeAllowed(w, h) &&
        uint64_t(w) * uint64_t(h) * 4 > most) {
      if (claimed++ == 0) firstClaimed = n;
    }
  }
  EXPECT_EQ(accepted, 0) << reader.what << ": cuts accepted, the first of " << firstAccepted << " bytes";
  EXPECT_EQ(tooLarge, 0) << reader.what << ": cuts that asked for room past their bytes, the first of "
                         << firstTooLarge << " bytes";
  EXPECT_EQ(claimed, 0) << reader.what << ": cuts whose size was read past their bytes, the first of " << firstClaimed
                        << " bytes";
}

}  // namespace testsupport
