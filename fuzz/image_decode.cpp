// Feeds arbitrary bytes to the PNG and JPEG decoders, and what they decode
// to a texture, as the image resource does with a texture file (on the null
// device).
#include <cstddef>
#include <cstdint>
#include <utility>

#include "fuzz/decoded_texture.h"
#include "platform/image_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::Image out;
  const bool decoded = plat::DecodeImage(data, size, &out);
  fuzzsupport::MakeDecodedTexture(decoded, std::move(out));
  return 0;
}
