#include "platform/dds_image.h"

#include <SDL.h>
#include <squish.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "platform/byte_order.h"
#include "platform/image_decode.h"

namespace plat {

namespace {

constexpr size_t kHeaderEnd = 128;  // "DDS " and the 124-byte header
constexpr uint32_t kPfAlphaPixels = 0x1, kPfAlpha = 0x2, kPfFourCc = 0x4, kPfRgb = 0x40, kPfLuminance = 0x20000;
constexpr uint32_t kCaps2CubeOrVolume = 0x200 | 0x200000;

constexpr uint32_t FourCc(const char (&s)[5]) {
  return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
         uint32_t(uint8_t(s[3])) << 24;
}

bool Fail(std::string* error, const char* why, Image* out) {
  *out = Image{};
  if (error) *error = why;
  return false;
}

// One channel under a mask, scaled to 0-255; `missing` when there is no mask.
uint8_t Channel(uint32_t pixel, uint32_t mask, uint8_t missing) {
  if (mask == 0) return missing;
  const int shift = std::countr_zero(mask);
  const uint64_t max = mask >> shift;
  const uint64_t v = (pixel & mask) >> shift;
  return static_cast<uint8_t>((v * 255 + max / 2) / max);
}

}  // namespace

namespace {

bool DecodeDdsPixels(const void* data, size_t size, Image* out, std::string* error) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  if (!p || size < kHeaderEnd || std::memcmp(p, "DDS ", 4) != 0) return Fail(error, "not a DDS file", out);
  if (ReadLe32(p + 4) != 124 || ReadLe32(p + 76) != 32) return Fail(error, "bad header size", out);
  const uint32_t height = ReadLe32(p + 12), width = ReadLe32(p + 16);
  if (!ImageSizeAllowed(width, height)) return Fail(error, "bad image size", out);
  if (ReadLe32(p + 112) & kCaps2CubeOrVolume) return Fail(error, "not a 2-D surface", out);
  const uint32_t pfFlags = ReadLe32(p + 80), fourCc = ReadLe32(p + 84), bits = ReadLe32(p + 88);
  const uint32_t rMask = ReadLe32(p + 92), gMask = ReadLe32(p + 96), bMask = ReadLe32(p + 100),
                 aMask = ReadLe32(p + 104);
  const uint8_t* body = p + kHeaderEnd;
  const size_t bodySize = size - kHeaderEnd;
  Image img;
  img.width = static_cast<int>(width);
  img.height = static_cast<int>(height);
  // The picture is allocated only once the file is known to hold all of
  // its pixels: a header may claim far more than the file carries.

  if (pfFlags & kPfFourCc) {
    int flags = 0;
    if (fourCc == FourCc("DXT1"))
      flags = squish::kDxt1;
    else if (fourCc == FourCc("DXT3"))
      flags = squish::kDxt3;
    else if (fourCc == FourCc("DXT5"))
      flags = squish::kDxt5;
    else
      return Fail(error, "unsupported compression", out);
    const size_t need = static_cast<size_t>(squish::GetStorageRequirements(img.width, img.height, flags));
    if (bodySize < need) return Fail(error, "truncated", out);
    img.rgba.resize(size_t{width} * height * 4);
    squish::DecompressImage(img.rgba.data(), img.width, img.height, body, flags);
    *out = std::move(img);
    return true;
  }

  const bool rgb = pfFlags & kPfRgb, lum = pfFlags & kPfLuminance, alphaOnly = pfFlags & kPfAlpha;
  if ((!rgb && !lum && !alphaOnly) || (bits != 8 && bits != 16 && bits != 24 && bits != 32))
    return Fail(error, "unsupported pixel format", out);
  const size_t bpp = bits / 8;
  if (bodySize / bpp / width < height) return Fail(error, "truncated", out);
  img.rgba.resize(size_t{width} * height * 4);
  const uint32_t alpha = (pfFlags & (kPfAlphaPixels | kPfAlpha)) ? aMask : 0;
  uint8_t* dst = img.rgba.data();
  for (size_t i = 0, n = size_t{width} * height; i < n; ++i, dst += 4) {
    uint32_t px = 0;
    for (size_t b = 0; b < bpp; ++b) px |= uint32_t(body[i * bpp + b]) << (8 * b);
    if (rgb) {
      dst[0] = Channel(px, rMask, 0);
      dst[1] = Channel(px, gMask, 0);
      dst[2] = Channel(px, bMask, 0);
    } else if (lum) {
      dst[0] = dst[1] = dst[2] = Channel(px, rMask, 0);
    } else {
      dst[0] = dst[1] = dst[2] = 0;
    }
    dst[3] = Channel(px, alpha, 255);
  }
  *out = std::move(img);
  return true;
}

}  // namespace

bool DecodeDds(const void* data, size_t size, Image* out, std::string* error) {
  if (!out) return false;
  try {
    return DecodeDdsPixels(data, size, out, error);
  } catch (const std::bad_alloc&) {
    return Fail(error, "out of memory", out);
  }
}

std::vector<uint8_t> EncodeDds(const Image& image, DdsLayout layout) {
  const bool dxt = layout != DdsLayout::kA8R8G8B8;
  const int flags = layout == DdsLayout::kDxt1 ? squish::kDxt1 : squish::kDxt5;
  const size_t dataSize = dxt ? static_cast<size_t>(squish::GetStorageRequirements(image.width, image.height, flags))
                              : size_t(image.width) * image.height * 4;
  std::vector<uint8_t> f(kHeaderEnd + dataSize, 0);
  std::memcpy(f.data(), "DDS ", 4);
  WriteLe32(f.data() + 4, 124);
  WriteLe32(f.data() + 8, dxt ? 0x81007u : 0x100Fu);  // caps, size, format, and pitch or linear size
  WriteLe32(f.data() + 12, static_cast<uint32_t>(image.height));
  WriteLe32(f.data() + 16, static_cast<uint32_t>(image.width));
  WriteLe32(f.data() + 20, static_cast<uint32_t>(dxt ? dataSize : size_t(image.width) * 4));
  WriteLe32(f.data() + 76, 32);
  WriteLe32(f.data() + 108, 0x1000);  // a texture
  uint8_t* body = f.data() + kHeaderEnd;
  if (dxt) {
    WriteLe32(f.data() + 80, kPfFourCc);
    WriteLe32(f.data() + 84, layout == DdsLayout::kDxt1 ? FourCc("DXT1") : FourCc("DXT5"));
    squish::CompressImage(image.rgba.data(), image.width, image.height, body, flags | squish::kColourRangeFit);
    return f;
  }
  WriteLe32(f.data() + 80, kPfRgb | kPfAlphaPixels);
  WriteLe32(f.data() + 88, 32);
  WriteLe32(f.data() + 92, 0x00FF0000);
  WriteLe32(f.data() + 96, 0x0000FF00);
  WriteLe32(f.data() + 100, 0x000000FF);
  WriteLe32(f.data() + 104, 0xFF000000);
  for (size_t i = 0, n = size_t(image.width) * image.height; i < n; ++i) {
    const uint8_t* s = image.rgba.data() + i * 4;
    uint8_t* d = body + i * 4;
    d[0] = s[2];  // B, G, R, A in memory
    d[1] = s[1];
    d[2] = s[0];
    d[3] = s[3];
  }
  return f;
}

namespace {

// A BMP file: a 14-byte file header ("BM", the file size, two reserved
// words, the offset of the pixels), then an info header that starts with its
// own size. The core header (12 bytes) holds a 16-bit width and height, the
// planes and the bits per pixel; every longer one (16 bytes and up) a signed
// 32-bit width and height (a negative height: rows from the top), the planes,
// the bits per pixel and, from 20 bytes on, the compression.
constexpr size_t kBmpFileHeader = 14;
constexpr uint32_t kBmpCoreHeader = 12, kBmpShortestInfoHeader = 16;
constexpr uint32_t kBmpUncompressed = 0, kBmpRle8 = 1, kBmpRle4 = 2, kBmpBitFields = 3;

// Most pixels one byte of run-length data can set: a code of two bytes (a
// count and a colour) sets at most 255 pixels, and a literal run sets one
// or two pixels a byte. The codes that end a row, move ahead or end the
// picture set none; what they pass over is left undefined, and a picture
// that leaves most of itself undefined is damaged.
constexpr uint64_t kRlePixelsPer2Bytes = 255;

// The size the header claims, checked before the decoder makes room for it:
// a damaged or hostile header must not cost gigabytes. Uncompressed rows
// (each padded to 4 bytes) must all be in the file; run-length pictures
// (8 or 4 bits a pixel) may claim no more pixels than their data can set.
// Any other compression is refused: nothing tells what its file must hold,
// and the decoder would make the whole picture before it found it could
// not read it.
bool CheckBmpHeader(const uint8_t* p, size_t size, std::string* error, int* outWidth, int* outHeight,
                    uint32_t* outCompression = nullptr, uint32_t* outPixelsAt = nullptr) {
  const auto fail = [error](const char* why) {
    if (error) *error = why;
    return false;
  };
  if (!p || size < kBmpFileHeader + 4 || p[0] != 'B' || p[1] != 'M') return fail("not a BMP file");
  const uint8_t* info = p + kBmpFileHeader;
  const uint32_t pixelsAt = ReadLe32(p + 10), infoSize = ReadLe32(info);
  int64_t width = 0, height = 0;
  uint32_t bits = 0, compression = kBmpUncompressed;
  if (infoSize == kBmpCoreHeader) {
    if (size < kBmpFileHeader + kBmpCoreHeader) return fail("truncated");
    width = ReadLe16(info + 4);
    height = ReadLe16(info + 6);
    bits = ReadLe16(info + 10);
  } else if (infoSize >= kBmpShortestInfoHeader) {
    if (size < kBmpFileHeader + std::min<size_t>(infoSize, 20)) return fail("truncated");
    width = static_cast<int32_t>(ReadLe32(info + 4));
    height = static_cast<int32_t>(ReadLe32(info + 8));
    if (height < 0) height = -height;  // rows from the top
    bits = ReadLe16(info + 14);
    if (infoSize >= 20) compression = ReadLe32(info + 16);
  } else {
    return fail("bad header size");
  }
  if (!ImageSizeAllowed(width, height)) return fail("bad image size");
  if (compression > kBmpBitFields) return fail("unsupported compression");
  if (compression == kBmpUncompressed || compression == kBmpBitFields) {
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
      return fail("unsupported pixel format");
    const uint64_t row = (uint64_t(width) * bits + 31) / 32 * 4;
    if (pixelsAt > size || (size - pixelsAt) / row < uint64_t(height)) return fail("truncated");
  }
  if (compression == kBmpRle8 || compression == kBmpRle4) {
    if (pixelsAt > size) return fail("truncated");
    if (uint64_t(width) * uint64_t(height) * 2 > (size - pixelsAt) * kRlePixelsPer2Bytes)
      return fail("compressed data too short for its size");
  }
  *outWidth = static_cast<int>(width);
  *outHeight = static_cast<int>(height);
  if (outCompression) *outCompression = compression;
  if (outPixelsAt) *outPixelsAt = pixelsAt;
  return true;
}

// The codes of a run-length picture, walked before the decoder is given
// them. The decoder follows the codes to the picture's end code (0, 1),
// however far past the picture's rows they go, and a run of 255 pixels
// costs it as much outside the picture as inside: 64 MB of runs would hold
// it for seconds. The codes up to the end code may set at most twice the
// picture's pixels and number at most twice its pixels and two a row
// besides (a picture sets each pixel once, with one code at least for each
// run and a row's end or move for each row); codes without an end code are
// refused here too. A code takes two bytes: a count and a colour (a run),
// or 0 and 0 (a row's end), 1 (the end), 2 and two bytes of move, or a
// count of 3 and more pixels whose bytes follow, padded to 2.
bool CheckBmpRunLengthCodes(const uint8_t* p, size_t size, size_t at, int w, int h, bool fourBits,
                            std::string* error) {
  const uint64_t pixels = uint64_t(w) * uint64_t(h);
  const uint64_t maxCodes = 2 * pixels + 2 * uint64_t(h);
  uint64_t codes = 0, set = 0;
  for (;;) {
    if (size - at < 2) {
      if (error) *error = "run-length codes without their end";
      return false;
    }
    const uint8_t count = p[at], code = p[at + 1];
    at += 2;
    if (count != 0) {
      set += count;
    } else if (code == 1) {
      return true;
    } else if (code == 2) {
      at = std::min(size, at + 2);
    } else if (code > 2) {
      set += code;
      const size_t bytes = fourBits ? (code + 1u) / 2 : code;
      at = std::min(size, at + (bytes + 1) / 2 * 2);
    }
    if (++codes > maxCodes || set > 2 * pixels) {
      if (error) *error = "run-length codes that go on past the picture";
      return false;
    }
  }
}

}  // namespace

bool DecodeBmp(const void* data, size_t size, Image* out, std::string* error) {
  if (!out) return false;
  *out = Image{};
  int width = 0, height = 0;
  uint32_t compression = 0, pixelsAt = 0;
  const auto* p = static_cast<const uint8_t*>(data);
  if (!CheckBmpHeader(p, size, error, &width, &height, &compression, &pixelsAt)) return false;
  if ((compression == kBmpRle8 || compression == kBmpRle4) &&
      !CheckBmpRunLengthCodes(p, size, pixelsAt, width, height, compression == kBmpRle4, error))
    return false;
  if (size > size_t(INT32_MAX)) {
    if (error) *error = "too large";
    return false;
  }
  SDL_Surface* s = SDL_LoadBMP_RW(SDL_RWFromConstMem(data, static_cast<int>(size)), 1);
  SDL_Surface* c = s ? SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ABGR8888, 0) : nullptr;  // R, G, B, A in memory
  if (s) SDL_FreeSurface(s);
  // SDL reads the size the header claims, which was checked above.
  bool ok = c && c->w == width && c->h == height && SDL_LockSurface(c) == 0;
  const char* why = "damaged data";
  if (ok) {
    try {
      out->rgba.resize(size_t(c->w) * c->h * 4);
      for (int y = 0; y < c->h; ++y)
        std::memcpy(out->rgba.data() + size_t(y) * c->w * 4,
                    static_cast<uint8_t*>(c->pixels) + size_t(y) * c->pitch, size_t(c->w) * 4);
      out->width = c->w;
      out->height = c->h;
    } catch (const std::bad_alloc&) {
      ok = false;
      why = "out of memory";
    }
    SDL_UnlockSurface(c);
  }
  if (!ok) {
    *out = Image{};
    if (error) *error = why;
  }
  if (c) SDL_FreeSurface(c);
  return ok;
}

bool ReadBmpSize(const void* data, size_t size, int* width, int* height, std::string* error) {
  return CheckBmpHeader(static_cast<const uint8_t*>(data), size, error, width, height);
}

}  // namespace plat
