#pragma once
#include <cstdint>
#include <vector>

#include "platform/gfx_device.h"

// Encoders for test images: the decoders under test read what these write.
namespace testsupport {

enum class PngKind { kRgba, kRgb, kGrey, kPalette };

std::vector<uint8_t> EncodePng(const plat::Image& image, PngKind kind = PngKind::kRgba);
std::vector<uint8_t> EncodeJpeg(const plat::Image& image, int quality = 95);

// An image of w x h whose pixel (x, y) is f(x, y) as 0xAARRGGBB.
template <class F>
plat::Image MakeImage(int w, int h, F f) {
  plat::Image img;
  img.width = w;
  img.height = h;
  img.rgba.resize(static_cast<size_t>(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t c = f(x, y);
      uint8_t* p = &img.rgba[(static_cast<size_t>(y) * w + x) * 4];
      p[0] = static_cast<uint8_t>(c >> 16);
      p[1] = static_cast<uint8_t>(c >> 8);
      p[2] = static_cast<uint8_t>(c);
      p[3] = static_cast<uint8_t>(c >> 24);
    }
  return img;
}

// Pixel (x, y) of an RGBA image as 0xAARRGGBB.
uint32_t PixelAt(const plat::Image& img, int x, int y);

}  // namespace testsupport
