// Feeds arbitrary bytes to the BMP reader (the header check, then SDL's
// decoder for what passes it) and what it decodes to a texture, as the
// count-down renderer does with a side image (on the null device). What a
// file costs follows its bytes: a size ReadBmpSize gives is at most 510
// bytes of RGBA for each byte of file (run-length codes set at most 255
// pixels with 2 bytes), and the most the decode holds at once at most 2 KB
// for each byte (127.5 pixels, each in the decoder's surface of up to 4
// bytes with its rows padded, its RGBA copy and the picture) and 1 MB
// besides. A picture that decodes is the size ReadBmpSize gives.
#include <cstddef>
#include <cstdint>
#include <utility>

#include "fuzz/decoded_texture.h"
#include "fuzz/load_bytes.h"
#include "platform/dds_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::Image out;
  fuzzsupport::LoadBytes::Begin();
  const bool decoded = plat::DecodeBmp(data, size, &out);
  if (fuzzsupport::LoadBytes::End() > uint64_t(2048) * size + (uint64_t(1) << 20)) __builtin_trap();
  int w = 0, h = 0;
  const bool sized = plat::ReadBmpSize(data, size, &w, &h);
  if (sized && uint64_t(w) * uint64_t(h) * 4 > uint64_t(510) * size) __builtin_trap();
  if (decoded && (!sized || w != out.width || h != out.height)) __builtin_trap();
  fuzzsupport::MakeDecodedTexture(decoded, std::move(out));
  return 0;
}
