#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/gfx_device.h"

// Decodes PNG and JPEG files held in memory into 8-bit RGBA (rows from the
// top). The format is told by the file's signature, not by its name. A file
// without alpha decodes as opaque; palette, grey and 16-bit PNGs are expanded.
namespace plat {

// Largest width or height accepted; larger images fail (a damaged header must
// not make the decoder allocate gigabytes).
constexpr int kMaxImageSide = 8192;
// Largest width x height accepted: 64 MB of RGBA.
constexpr uint64_t kMaxImagePixels = 16u * 1024u * 1024u;

// Whether a picture of w x h may be decoded: both sides 1 to kMaxImageSide
// and no more than kMaxImagePixels in all. Readers check the size their
// header claims before they make room for the pixels.
constexpr bool ImageSizeAllowed(int64_t w, int64_t h) {
  return w > 0 && h > 0 && w <= kMaxImageSide && h <= kMaxImageSide && uint64_t(w) * uint64_t(h) <= kMaxImagePixels;
}

enum class ImageFormat { kUnknown, kPng, kJpeg };
ImageFormat DetectImageFormat(const void* data, size_t size);

// Returns false and leaves `out` empty for damaged, truncated or unknown
// data; `error` (optional) receives a short reason.
bool DecodeImage(const void* data, size_t size, Image* out, std::string* error = nullptr);

}  // namespace plat
