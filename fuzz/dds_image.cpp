// Feeds arbitrary bytes to the DDS reader (uncompressed layouts and DXT
// blocks) and what it decodes to a texture, as the count-down renderer does
// with its picture file (on the null device). What a file costs follows its
// bytes: the decode holds at most 8 bytes of RGBA for each byte of file (a
// DXT1 block of 8 bytes makes 16 pixels) and 64 KB besides.
#include <cstddef>
#include <cstdint>
#include <utility>

#include "fuzz/decoded_texture.h"
#include "fuzz/load_bytes.h"
#include "platform/dds_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::Image out;
  fuzzsupport::LoadBytes::Begin();
  const bool decoded = plat::DecodeDds(data, size, &out);
  if (fuzzsupport::LoadBytes::End() > uint64_t(8) * size + (uint64_t(64) << 10)) __builtin_trap();
  fuzzsupport::MakeDecodedTexture(decoded, std::move(out));
  return 0;
}
