#pragma once
#include <cstdint>
#include <vector>

#include "platform/gfx_device.h"

// Encoders for test images: the decoders under test read what these write.
namespace testsupport {

enum class PngKind { kRgba, kRgb, kGrey, kPalette };

// Adam7 interlaced when `interlaced`.
std::vector<uint8_t> EncodePng(const plat::Image& image, PngKind kind = PngKind::kRgba, bool interlaced = false);
std::vector<uint8_t> EncodeJpeg(const plat::Image& image, int quality = 95);

// One scan of a JPEG's script: the components it holds (0 luma, 1 and 2
// chroma), its band of coefficients ss..se (0 the DC one) and its successive
// approximation bits ah, al.
struct JpegScan {
  std::vector<int> components;
  int ss = 0, se = 63, ah = 0, al = 0;
};
// A colour JPEG that libjpeg writes with this script of scans (progressive
// when a scan holds part of the coefficients or of their bits), its
// coefficients Huffman-coded or, when `arithmetic`, arithmetic-coded.
std::vector<uint8_t> EncodeJpeg(const plat::Image& image, int quality, const std::vector<JpegScan>& scans,
                                bool arithmetic = false);

// How a JPEG is laid out beside its script: grey (one component, the
// picture's green) or colour with the luma sampled `lumaSampling` x
// `lumaSampling` times the chroma's (2: 4:2:0, 1: 4:4:4), and, with no
// script given, the encoder's own progressive script when `progressive`.
struct JpegForm {
  bool grey = false;
  int lumaSampling = 2;
  bool progressive = false;
};
std::vector<uint8_t> EncodeJpeg(const plat::Image& image, int quality, const JpegForm& form,
                                const std::vector<JpegScan>& scans = {});

// A progressive script of n scans without successive approximation: the DC
// coefficients of all three components, then the AC bands of each component
// (single coefficients from 1 up, the last band running to 63), n - 1 AC
// scans shared out among the components.
std::vector<JpegScan> SpectralScript(int n);

// The file with scan `scan` (from 2) repeated `times` times after itself.
// A scan's part is what lies between the end of the scan before it (its
// entropy-coded data ends at the first marker that is not a stuffed 0xFF00
// or a restart marker) and the end of its own data: the tables it uses,
// its header and its data.
std::vector<uint8_t> RepeatScan(const std::vector<uint8_t>& jpg, int scan, int times);

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

// A DDS header laid out by hand (128 bytes): "DDS ", size 124, flags,
// height, width, ..., the pixel format at 76 (size 32, flags, four-cc, bits,
// R G B A masks), caps at 108 and caps2 (cube map and volume bits) at 112.
std::vector<uint8_t> DdsHeader(uint32_t w, uint32_t h, uint32_t pfFlags, uint32_t fourCc, uint32_t bits, uint32_t r,
                               uint32_t g, uint32_t b, uint32_t a, uint32_t caps2 = 0);

// A BMP file's headers laid out by hand: the 14-byte file header ("BM", the
// file size counting `pixels`, two zero words, the pixel offset 14 +
// infoSize), then an info header of infoSize bytes: 12 (the core header:
// 16-bit width and height, planes 1, bits) or 40 and more (signed 32-bit
// width and height, planes 1, bits, compression, the rest 0); any other size
// is left 0 after its size word. `pixels` follow.
std::vector<uint8_t> BmpFile(uint32_t infoSize, int32_t w, int32_t h, uint16_t bits, uint32_t compression,
                             const std::vector<uint8_t>& pixels);

// One PNG chunk as a file holds it: the data's length (big-endian), the
// four-letter type, the data and the CRC of type and data.
std::vector<uint8_t> PngChunk(const char (&type)[5], const std::vector<uint8_t>& data);
// A PNG of w x h pixels of one colour (8-bit RGBA, every row unfiltered),
// its data deflated by zlib a row at a time, so that 4096 x 4096 costs a
// moment and no picture in memory; `extra` (whole chunks) lies between the
// header and the data.
// Only the first `rows` rows are written when rows is not negative (a
// file cut short when fewer than h).
std::vector<uint8_t> FlatPng(int w, int h, uint32_t argb, const std::vector<uint8_t>& extra = {}, int rows = -1);

// FlatPng's picture (no extra chunks) whose one data stream goes on after
// the rows with zeroMiB MiB of zero bytes (one MiB deflated once, about a
// kilobyte, and repeated), then ends as a stream does: an empty final block
// and the checksum of all it holds. `rowsEnd` (optional) receives where in
// the file the rows' compressed data ends.
std::vector<uint8_t> PngWithTrailingZeros(int w, int h, uint32_t argb, uint32_t zeroMiB, size_t* rowsEnd = nullptr);

// Pixel (x, y) of an RGBA image as 0xAARRGGBB.
uint32_t PixelAt(const plat::Image& img, int x, int y);

}  // namespace testsupport
