// Feeds arbitrary bytes to the PNG and JPEG decoders, and what they decode
// to a texture, as the image resource does with a texture file (on the null
// device). What a file costs follows its bytes, not its header's claim: a
// size ReadImageSize gives (what the image loader charges) is at most
// 33,024 bytes of RGBA for each byte of file (a PNG's rows inflate at most
// 1032 to 1, 32 pixels of 1-bit grey a byte of rows; a JPEG's first scan
// holds at most 8 blocks a byte, of up to 32 x 32 pixels each: 32,768), and
// the most the decode holds at once is at most 16 bytes for each pixel
// that allows (the RGB rows, the RGBA picture and the coefficients of a
// progressive JPEG) and 8 MB besides (the libraries' own working memory,
// which grows with a row at most). An arithmetic-coded JPEG, whose coding
// may spend far less than a bit on a block, is bounded by its picture's
// size instead: at most 16 bytes held for each of its pixels and 8 MB
// besides. A picture that decodes is the size ReadImageSize gives.
#include <cstddef>
#include <cstdint>
#include <utility>

#include "fuzz/decoded_texture.h"
#include "fuzz/load_bytes.h"
#include "platform/image_decode.h"

namespace {

constexpr uint64_t kRgbaPerByte = 33024;
constexpr uint64_t kPixelsPerByte = kRgbaPerByte / 4;
constexpr uint64_t kHeldPerPixel = 16;
constexpr uint64_t kHeldBesides = uint64_t(8) << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::Image out;
  fuzzsupport::LoadBytes::Begin();
  const bool decoded = plat::DecodeImage(data, size, &out);
  const uint64_t held = fuzzsupport::LoadBytes::End();
  int w = 0, h = 0;
  const bool sized = plat::ReadImageSize(data, size, &w, &h);
  const bool allowed = sized && plat::ImageSizeAllowed(w, h);
  const uint64_t pixels = allowed ? uint64_t(w) * uint64_t(h) : 0;
  const bool arithmetic = plat::IsArithmeticJpeg(data, size);
  if (held > kHeldPerPixel * (arithmetic ? pixels : kPixelsPerByte * size) + kHeldBesides) __builtin_trap();
  if (!arithmetic && pixels * 4 > kRgbaPerByte * size) __builtin_trap();
  if (decoded && (!sized || w != out.width || h != out.height)) __builtin_trap();
  fuzzsupport::MakeDecodedTexture(decoded, std::move(out));
  return 0;
}
