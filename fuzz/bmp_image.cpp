// Feeds arbitrary bytes to the BMP reader (the header check, then SDL's
// decoder for what passes it) and what it decodes to a texture, as the
// count-down renderer does with a side image (on the null device).
#include <cstddef>
#include <cstdint>
#include <utility>

#include "fuzz/decoded_texture.h"
#include "platform/dds_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::Image out;
  const bool decoded = plat::DecodeBmp(data, size, &out);
  fuzzsupport::MakeDecodedTexture(decoded, std::move(out));
  return 0;
}
